// Feeds arbitrary bytes to the MIDI file reader and walks whatever it accepts.
#include "platform/sequencer/ChannelState.h"
#include "platform/sequencer/Song.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qv::seq::Song song;
    if (qv::seq::ReadSmf({data, size}, song) != qv::seq::SmfStatus::Ok) return 0;
    qv::seq::ChaseState chase;
    std::int64_t previous = 0;
    for (const qv::seq::SongEvent& e : song.events) {
        // Times run forwards and stay within the song; every message lies within its storage.
        Check(e.timeUs >= previous && e.timeUs <= song.lengthUs);
        previous = e.timeUs;
        const auto message = song.Message(e);
        Check(!message.empty());
        if (!e.isSysex) chase.Apply(message);
    }
    qv::seq::NullMidiOut out;
    chase.Send(out);
    return 0;
}
