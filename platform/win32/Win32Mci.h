#pragma once
#include <memory>
#include <string>

#include "platform/mci.h"
#include "platform/sequencer/MidiOut.h"

namespace qv::win32 {

// The system's own MCI sequencer through WINMM's mciSendCommandA; chosen with
// QUAVEL_MIDI_OUT=mci. The parameter blocks of the seam are the system's, field for field.
class Win32Mci final : public IMci {
public:
    MCIERROR SendCommand(MCIDEVICEID deviceId, std::uint32_t msg, std::uintptr_t flags,
                         std::uintptr_t parms) override;
};

// Whether QUAVEL_MIDI_OUT asks for the system's MCI sequencer instead of ours.
bool WantsSystemMci();

// Our sequencer's output on Windows, as QUAVEL_MIDI_OUT asks: unset or "midiout" the MIDI mapper,
// "null" silence, anything else the MIDI output device of that name (or number). Answers null and
// the reason, and the string id of what the user is told, when the device cannot be opened.
std::unique_ptr<seq::IMidiOut> MakeMidiOutput(std::string& failure, std::uint32_t& problem);

}  // namespace qv::win32
