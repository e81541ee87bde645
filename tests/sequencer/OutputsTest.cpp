// The outputs' own rules: which soundfont is tried, what an output that cannot be made tells the
// user, which ALSA port "alsa" means, and the sequencer event sent for each message.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <tuple>

#include "platform/sequencer/Outputs.h"
#include "platform/sequencer/alsa/AlsaSeqOut.h"
#include "res/resource.h"
#include "tests/support/FilesTempDir.h"

namespace {

using Names = std::vector<std::string>;
using qv::seq::SoundfontCandidates;

TEST(Soundfonts, TheUsersChoiceAloneElseTheSynthesizersDefaultBeforeTheUsualPlaces) {
    EXPECT_EQ(SoundfontCandidates("/mine.sf2", "/opt/gm.sf2"), Names{"/mine.sf2"});
    Names usual = SoundfontCandidates("", "");
    ASSERT_GT(usual.size(), 1u);
    // A default that is one of the usual places is tried once, first.
    Names expected = usual;
    std::rotate(expected.rbegin(), expected.rbegin() + 1, expected.rend());
    EXPECT_EQ(SoundfontCandidates(nullptr, usual.back()), expected);
    usual.insert(usual.begin(), "/opt/gm.sf2");
    EXPECT_EQ(SoundfontCandidates(nullptr, "/opt/gm.sf2"), usual);
}

TEST(Outputs, ThatCannotBeMadeOrMayNotOpenAreSilentAndCarryWhatToTellTheUser) {
    qvtest::TempDir dir;
    const std::string bad = dir.Write("bad.sf2", "not a soundfont");
    const std::string second = "wav:" + dir / "second.wav";
    const std::tuple<const char*, const char*, bool, std::uint32_t> rows[] = {
        {"sine", nullptr, true, IDS_SOUND_BADOUTPUT},
        {"wav:", nullptr, true, IDS_SOUND_BADOUTPUT},
        {"wav:/never.wav", bad.c_str(), true, IDS_SOUND_BADSOUNDFONT},  // not replaced by another
        {"alsa:no-such-client:0", nullptr, true, IDS_SOUND_NOALSAPORT},
        // A start that hands its files to a running player opens nothing and says nothing.
        {second.c_str(), nullptr, false, 0},
    };
    for (const auto& [out, soundfont, mayOpen, told] : rows) {
        ::setenv("QUAVEL_MIDI_OUT", out, 1);
        soundfont ? ::setenv("QUAVEL_SOUNDFONT", soundfont, 1) : ::unsetenv("QUAVEL_SOUNDFONT");
        EXPECT_EQ(qv::seq::MakeOutputFromEnvironment([open = mayOpen] { return open; })->Problem(),
                  told)
            << out;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "second.wav"));
    ::unsetenv("QUAVEL_MIDI_OUT");
    ::unsetenv("QUAVEL_SOUNDFONT");
}

TEST(AlsaOutput, AloneMeansTheFirstSynthesizerThatIsNeitherOursNorTheSystems) {
    std::vector<qv::seq::AlsaPort> ports = {
        {0, 1, "System", "Announce", SND_SEQ_PORT_TYPE_MIDI_GENERIC},
        {14, 0, "Midi Through", "Midi Through Port-0", SND_SEQ_PORT_TYPE_MIDI_GENERIC},
        {128, 0, "Quavel", "Quavel", SND_SEQ_PORT_TYPE_MIDI_GENERIC},
        {129, 0, "Recorder", "in", SND_SEQ_PORT_TYPE_APPLICATION},
        {130, 1, "Synth", "Synth input", SND_SEQ_PORT_TYPE_SYNTHESIZER},
    };
    EXPECT_EQ(qv::seq::FirstSynthPort(ports, 128), &ports[4]);
    ports.pop_back();
    EXPECT_EQ(qv::seq::FirstSynthPort(ports, 128), nullptr);
}

// The event as text: its type, then its SysEx bytes or its channel and numbers.
std::string Describe(const snd_seq_event_t& e) {
    EXPECT_TRUE(snd_seq_ev_is_direct(&e) && e.dest.client == SND_SEQ_ADDRESS_SUBSCRIBERS);
    const auto* data = static_cast<const std::uint8_t*>(e.data.ext.ptr);
    const std::vector<int> numbers =
        e.type == SND_SEQ_EVENT_SYSEX ? std::vector<int>(data, data + e.data.ext.len)
        : snd_seq_ev_is_note_type(&e)
            ? std::vector<int>{e.data.note.channel, e.data.note.note, e.data.note.velocity}
            : std::vector<int>{e.data.control.channel, int(e.data.control.param),
                               e.data.control.value};
    std::string text = std::to_string(e.type);
    for (int n : numbers) text += " " + std::to_string(n);
    return text;
}

TEST(AlsaOutput, SendsEachMessageAsItsSequencerEventDirectToSubscribers) {
    std::string sent;
    qv::seq::AlsaSeqOut out([&sent](const snd_seq_event_t& e) { sent += Describe(e); });
    const auto type = [](int t) { return std::to_string(t) + " "; };
    const std::pair<std::vector<std::uint8_t>, std::string> rows[] = {
        {{0x81, 60, 64}, type(SND_SEQ_EVENT_NOTEOFF) + "1 60 64"},
        {{0x92, 61, 100}, type(SND_SEQ_EVENT_NOTEON) + "2 61 100"},
        {{0x90, 61, 0}, type(SND_SEQ_EVENT_NOTEON) + "0 61 0"},
        {{0xA3, 62, 30}, type(SND_SEQ_EVENT_KEYPRESS) + "3 62 30"},
        {{0xBF, 123, 0}, type(SND_SEQ_EVENT_CONTROLLER) + "15 123 0"},  // all notes off, on stop
        {{0xC5, 40}, type(SND_SEQ_EVENT_PGMCHANGE) + "5 0 40"},
        {{0xD6, 70}, type(SND_SEQ_EVENT_CHANPRESS) + "6 0 70"},
        {{0xE7, 0x7F, 0x7F}, type(SND_SEQ_EVENT_PITCHBEND) + "7 0 8191"},
        {{0xE7, 0x00, 0x00}, type(SND_SEQ_EVENT_PITCHBEND) + "7 0 -8192"},
        // SysEx sent in packets goes whole, once its last packet has come.
        {{0xF0, 0x7E, 0x7F}, ""},
        {{0x09, 0x01, 0xF7}, type(SND_SEQ_EVENT_SYSEX) + "240 126 127 9 1 247"},
        // Nothing for what is cut short, is not a channel message, or continues nothing.
        {{0x93, 60}, ""},
        {{0xF8}, ""},
        {{0x01, 0xF7}, ""},
    };
    for (const auto& [message, expected] : rows) {
        sent.clear();
        out.Send(message);
        EXPECT_EQ(sent, expected) << ::testing::PrintToString(message);
    }
}

}  // namespace
