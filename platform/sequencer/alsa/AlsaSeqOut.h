#pragma once
// Playing through the ALSA sequencer, to a hardware synthesizer's MIDI port or a software synth's
// port. Every message goes out at once (direct, unqueued): the player keeps the time, as it does
// for every output.
#include <alsa/asoundlib.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sequencer/MidiOut.h"
#include "platform/sequencer/SysexJoiner.h"

namespace qv::seq {

// The sequencer event, from our port to its subscribers, for one channel message or one whole
// SysEx message (F0 ... F7); false for anything else. A SysEx event points into the message.
bool ToSeqEvent(std::span<const std::uint8_t> message, snd_seq_event_t& event);

// Where the events go: the sequencer itself, or a test's recording.
using SeqEventSink = std::function<void(const snd_seq_event_t& event)>;

class AlsaSeqOut final : public IMidiOut {
public:
    explicit AlsaSeqOut(SeqEventSink sink) : m_sink(std::move(sink)) {}
    void Send(std::span<const std::uint8_t> message) override;

private:
    std::mutex m_mutex;  // players send from their own threads; the sequencer handle is not shared
    SysexJoiner m_sysex;
    SeqEventSink m_sink;
};

// A port that can be written to, as the sequencer lists it.
struct AlsaPort {
    int client = 0;
    int port = 0;
    std::string clientName;
    std::string portName;
    unsigned int type = 0;
};

// The port "alsa" alone means: the first that says it is a synthesizer or a MIDI port, leaving
// out our own client and the system's (its announcements and the through port, which sounds
// nowhere). Null when there is none.
const AlsaPort* FirstSynthPort(const std::vector<AlsaPort>& ports, int ownClient);

// Every port other clients may write to; empty, and why in `failure`, without a sequencer.
std::vector<AlsaPort> ListAlsaPorts(std::string& failure);

// Connected to the port at address ("CLIENT:PORT", numbers or names as aconnect takes them), or
// to the first synthesizer when address is empty; null and why in `failure` when it cannot be.
std::unique_ptr<IMidiOut> MakeAlsaOutput(std::string_view address, std::string& failure);

}  // namespace qv::seq
