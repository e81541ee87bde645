#pragma once
// The outputs the sequencer can play through, and the choice among them.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sequencer/DeferredOut.h"
#include "platform/sequencer/MidiOut.h"

namespace qv::seq {

// Why an output could not be made: the string id of what the window tells the user, and the
// detail for standard error.
struct OutputFailure {
    std::uint32_t messageId = 0;
    std::string reason;
};

// QUAVEL_MIDI_OUT picks the output: "fluidsynth" (the default: the system's General MIDI
// soundfont, sound through the desktop's sound server), "wav:PATH" (the same synthesizer
// rendering into a WAV file as the song plays), "alsa" or "alsa:CLIENT:PORT" (a synthesizer on
// the ALSA sequencer) or "null" (silent). When the one asked for cannot be made, the output is
// silent, carries the problem for the window, and one line on standard error says why, once.
std::unique_ptr<IMidiOut> MakeOutputFromEnvironment();
// The same, for a start that may yet hand its files to a player already running: the output is
// prepared (the soundfont loaded), but nothing is opened unless mayOpen answers true; when it
// answers false the result is the silent output, without a word.
std::unique_ptr<IMidiOut> MakeOutputFromEnvironment(const MayOpen& mayOpen);

// What QUAVEL_MIDI_OUT can choose, one line each: the kinds, then every ALSA port found.
std::string ListOutputs();

// Each answers null and the reason when it cannot be made.
std::unique_ptr<IMidiOut> MakeFluidSynthOutput(OutputFailure& failure, const MayOpen& mayOpen = {});
std::unique_ptr<IMidiOut> MakeWavOutput(const std::string& path, OutputFailure& failure,
                                        const MayOpen& mayOpen = {});

// Where to look for a soundfont, in order: the user's choice alone when there is one, so that a
// wrong one is reported rather than quietly replaced; else the synthesizer's own default, then the
// usual system places.
std::vector<std::string> SoundfontCandidates(const char* userChoice,
                                             const std::string& synthDefault);

// The first soundfont that exists among the candidates; empty, and the list of places tried in
// `tried`, when there is none.
std::string FindSoundfont(std::string& tried);

}  // namespace qv::seq
