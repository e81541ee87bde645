// The cost of reading a MIDI file of many minimal tracks (one note each), which must grow with the
// file, not with its square. Usage: smf_many_tracks [TRACKS...]   (default 4000 16000 65535)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/sequencer/SmfWriter.h"
#include "platform/sequencer/Song.h"

namespace {

using namespace qv::seq;

// Twenty bytes a track: the chunk head, a note on and off, the end of the track.
std::vector<std::uint8_t> ManyTracks(int count) {
    SmfTrack track;
    track.NoteOn(0, 0, 60, 64).NoteOff(0, 0, 60).End();
    return BuildSmf(1, 96, std::vector<SmfTrack>(static_cast<std::size_t>(count), track));
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> counts;
    for (int i = 1; i < argc; ++i) counts.push_back(std::clamp(std::atoi(argv[i]), 1, 65535));
    if (counts.empty()) counts = {4000, 16000, 65535};
    for (int count : counts) {
        const std::vector<std::uint8_t> bytes = ManyTracks(count);
        const auto t0 = std::chrono::steady_clock::now();
        Song song;
        const SmfStatus status = ReadSmf(bytes, song);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        std::printf("%5d tracks, %7zu bytes: %s, %zu events, read in %.3f s\n", count, bytes.size(),
                    status == SmfStatus::Ok ? "ok" : "refused", song.events.size(), seconds);
    }
    return 0;
}
