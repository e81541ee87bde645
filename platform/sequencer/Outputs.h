#pragma once
// The outputs the sequencer can play through, and the choice among them.
#include <memory>
#include <string>
#include <string_view>

#include "platform/sequencer/MidiOut.h"

namespace qv::seq {

// QUAVEL_MIDI_OUT picks the output: "fluidsynth" (the default: the system's General MIDI
// soundfont, sound through the desktop's sound server), "wav:PATH" (the same synthesizer
// rendering into a WAV file as the song plays) or "null" (silent). When the one asked for cannot
// be made, the output is silent and one line on standard error says why, once.
std::unique_ptr<IMidiOut> MakeOutputFromEnvironment();

// Each answers null and the reason when it cannot be made.
std::unique_ptr<IMidiOut> MakeFluidSynthOutput(std::string& failure);
std::unique_ptr<IMidiOut> MakeWavOutput(const std::string& path, std::string& failure);

// The first soundfont that exists among QUAVEL_SOUNDFONT and the usual system places; empty, and
// the list of places tried in `tried`, when there is none.
std::string FindSoundfont(std::string& tried);

}  // namespace qv::seq
