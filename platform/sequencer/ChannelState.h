#pragma once
// The state of the sixteen channels: what to send so that nothing keeps sounding, what to send
// so that a new song starts from defaults, and what a song has set up by a given point.
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/sequencer/MidiOut.h"
#include "platform/sequencer/SysexJoiner.h"

namespace qv::seq {

// Sustain released, all notes off, all sound off, on every channel.
void SendSilence(IMidiOut& out);
// Sustain released and all notes off on every channel: notes end, but their release rings on.
void SendNotesOff(IMidiOut& out);
// Controllers, program, pitch bend and tuning back to their defaults on every channel.
void SendDefaults(IMidiOut& out);

// Collects the program, controller, parameter and pitch-bend state that a song's messages leave
// behind, so that playing from the middle of a song starts with the sound it has there.
class ChaseState {
public:
    // A channel message, or a SysEx packet as the song holds it.
    void Apply(std::span<const std::uint8_t> message);
    // The SysEx messages first (a reset among them has already cleared what came before it), then
    // each channel's state.
    void Send(IMidiOut& out) const;

private:
    static constexpr int kUnset = -1;
    static constexpr std::size_t kMaxParameters = 32;

    // A registered (RPN) or non-registered (NRPN) parameter set by data entry.
    struct Parameter {
        bool nrpn;
        std::uint8_t msb, lsb;
        int dataMsb, dataLsb;
    };
    struct Channel {
        Channel() { controllers.fill(kUnset); }
        std::array<int, 128> controllers;
        int program = kUnset;
        int bend = kUnset;
        int pressure = kUnset;
        int rpnMsb = kUnset, rpnLsb = kUnset, nrpnMsb = kUnset, nrpnLsb = kUnset;
        bool nrpnSelected = false;
        std::vector<Parameter> parameters;
    };

    static void ApplyControl(Channel& ch, int controller, int value);
    static void ApplyDataEntry(Channel& ch, int controller, int value);
    static void ResetControllers(Channel& ch);
    static void SendChannel(IMidiOut& out, int channel, const Channel& ch);

    void ApplySysex(std::span<const std::uint8_t> whole);

    std::array<Channel, 16> m_channels;
    SysexJoiner m_joiner;
    std::vector<std::vector<std::uint8_t>> m_sysex;  // since the last reset, in song order
    std::size_t m_nSysexBytes = 0;
};

}  // namespace qv::seq
