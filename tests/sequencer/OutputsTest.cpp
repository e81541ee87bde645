// The outputs' own rules: which soundfont is tried, which ALSA port "alsa" means, and the
// sequencer events the ALSA output sends for each message (recorded instead of sent, as this needs
// no sequencer device).
#include <gtest/gtest.h>

#include "platform/sequencer/Outputs.h"
#include "platform/sequencer/alsa/AlsaSeqOut.h"
#include "res/resource.h"
#include "tests/support/FilesTempDir.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(Soundfonts, TheUsersChoiceAloneElseTheSynthesizersDefaultBeforeTheUsualPlaces) {
    EXPECT_EQ(qv::seq::SoundfontCandidates("/mine.sf2", "/usr/share/sounds/sf2/default-GM.sf2"),
              std::vector<std::string>{"/mine.sf2"});
    const auto fromDefault = qv::seq::SoundfontCandidates(nullptr, "/opt/gm.sf2");
    const auto usual = qv::seq::SoundfontCandidates("", "");
    ASSERT_FALSE(usual.empty());
    EXPECT_EQ(fromDefault.front(), "/opt/gm.sf2");
    EXPECT_EQ(std::vector<std::string>(fromDefault.begin() + 1, fromDefault.end()), usual);
    // A default that is one of the usual places is tried once, first.
    const auto again = qv::seq::SoundfontCandidates(nullptr, usual.back());
    EXPECT_EQ(again.size(), usual.size());
    EXPECT_EQ(again.front(), usual.back());
}

// Each output that cannot be made is silent and carries what the window tells the user.
TEST(Outputs, ThatCannotBeMadeCarryWhatToTellTheUser) {
    qvtest::TempDir dir;
    const std::string bad = dir.Write("bad.sf2", "not a soundfont");
    const struct {
        const char* out;
        const char* soundfont;
        std::uint32_t told;
    } rows[] = {
        {"sine", nullptr, IDS_SOUND_BADOUTPUT},
        {"wav:", nullptr, IDS_SOUND_BADOUTPUT},
        {"wav:/never.wav", bad.c_str(), IDS_SOUND_BADSOUNDFONT},
        {"alsa:no-such-client:0", nullptr, IDS_SOUND_NOALSAPORT},
    };
    for (const auto& row : rows) {
        ::setenv("QUAVEL_MIDI_OUT", row.out, 1);
        row.soundfont ? ::setenv("QUAVEL_SOUNDFONT", row.soundfont, 1)
                      : ::unsetenv("QUAVEL_SOUNDFONT");
        EXPECT_EQ(qv::seq::MakeOutputFromEnvironment()->Problem(), row.told) << row.out;
    }
    ::unsetenv("QUAVEL_MIDI_OUT");
    ::unsetenv("QUAVEL_SOUNDFONT");
}

TEST(AlsaOutput, AloneMeansTheFirstSynthesizerThatIsNeitherOursNorTheSystems) {
    const std::vector<qv::seq::AlsaPort> ports = {
        {0, 1, "System", "Announce", SND_SEQ_PORT_TYPE_MIDI_GENERIC},
        {14, 0, "Midi Through", "Midi Through Port-0", SND_SEQ_PORT_TYPE_MIDI_GENERIC},
        {128, 0, "Quavel", "Quavel", SND_SEQ_PORT_TYPE_MIDI_GENERIC},
        {129, 0, "Recorder", "in", SND_SEQ_PORT_TYPE_APPLICATION},
        {130, 1, "Synth", "Synth input", SND_SEQ_PORT_TYPE_SYNTHESIZER},
    };
    const qv::seq::AlsaPort* first = qv::seq::FirstSynthPort(ports, 128);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->client * 1000 + first->port, 130001);
    EXPECT_EQ(qv::seq::FirstSynthPort({ports.begin(), ports.begin() + 4}, 128), nullptr);
}

struct Recorded {
    snd_seq_event_type_t type = SND_SEQ_EVENT_NONE;
    int channel = 0, param = 0, value = 0;  // note and velocity, or controller and value
    Bytes sysex = {};
};

TEST(AlsaOutput, SendsEachMessageAsItsSequencerEventDirectToSubscribers) {
    std::vector<Recorded> sent;
    qv::seq::AlsaSeqOut out([&sent](const snd_seq_event_t& e) {
        EXPECT_TRUE(snd_seq_ev_is_direct(&e));
        EXPECT_EQ(e.dest.client, SND_SEQ_ADDRESS_SUBSCRIBERS);
        if (e.type == SND_SEQ_EVENT_SYSEX) {
            const auto* data = static_cast<const std::uint8_t*>(e.data.ext.ptr);
            sent.push_back({e.type, 0, 0, 0, Bytes(data, data + e.data.ext.len)});
        } else if (snd_seq_ev_is_note_type(&e)) {
            sent.push_back({e.type, e.data.note.channel, e.data.note.note, e.data.note.velocity});
        } else {
            sent.push_back(
                {e.type, e.data.control.channel, int(e.data.control.param), e.data.control.value});
        }
    });
    const std::pair<Bytes, Recorded> rows[] = {
        {{0x81, 60, 64}, {SND_SEQ_EVENT_NOTEOFF, 1, 60, 64}},
        {{0x92, 61, 100}, {SND_SEQ_EVENT_NOTEON, 2, 61, 100}},
        {{0x90, 61, 0}, {SND_SEQ_EVENT_NOTEON, 0, 61, 0}},
        {{0xA3, 62, 30}, {SND_SEQ_EVENT_KEYPRESS, 3, 62, 30}},
        {{0xB4, 7, 90}, {SND_SEQ_EVENT_CONTROLLER, 4, 7, 90}},
        {{0xBF, 123, 0}, {SND_SEQ_EVENT_CONTROLLER, 15, 123, 0}},  // all notes off, on stop
        {{0xC5, 40}, {SND_SEQ_EVENT_PGMCHANGE, 5, 0, 40}},
        {{0xD6, 70}, {SND_SEQ_EVENT_CHANPRESS, 6, 0, 70}},
        {{0xE7, 0x00, 0x40}, {SND_SEQ_EVENT_PITCHBEND, 7, 0, 0}},
        {{0xE7, 0x7F, 0x7F}, {SND_SEQ_EVENT_PITCHBEND, 7, 0, 8191}},
        {{0xE7, 0x00, 0x00}, {SND_SEQ_EVENT_PITCHBEND, 7, 0, -8192}},
        // SysEx in packets goes whole, once its last packet has come.
        {{0xF0, 0x7E, 0x7F}, {}},
        {{0x09, 0x01, 0xF7}, {SND_SEQ_EVENT_SYSEX, 0, 0, 0, {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}}},
        // Nothing for what is cut short, or not a channel message, or continues nothing.
        {{0x93, 60}, {}},
        {{0xF8}, {}},
        {{0x01, 0xF7}, {}},
    };
    for (const auto& [message, expected] : rows) {
        sent.clear();
        out.Send(message);
        SCOPED_TRACE(::testing::PrintToString(message));
        if (expected.type == SND_SEQ_EVENT_NONE) {
            EXPECT_TRUE(sent.empty());
            continue;
        }
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(sent[0].type, expected.type);
        EXPECT_EQ(sent[0].channel, expected.channel);
        EXPECT_EQ(sent[0].param, expected.param);
        EXPECT_EQ(sent[0].value, expected.value);
        EXPECT_EQ(sent[0].sysex, expected.sysex);
    }
}

}  // namespace
