#include <thread>

#include "platform/sequencer/Outputs.h"
#include "platform/sequencer/SmfWriter.h"
#include "tests/sequencer/SequencerFixture.h"
#include "tests/support/WavFile.h"

namespace {

// An organ chord held for two seconds at 120 bpm, cut off after half a second by a reset to
// General MIDI that the file sends in two packets: F0 and the first bytes, then the rest with F7.
std::vector<std::uint8_t> ChordCutBySysexPackets() {
    qv::seq::SmfTrack t;
    t.Program(0, 0, 16);
    for (int key : {48, 60, 64, 67}) t.NoteOn(0, 0, key, 110);
    t.Event(48, {0xF0, 0x02, 0x7E, 0x7F}).Event(48, {0xF7, 0x03, 0x09, 0x01, 0xF7});
    for (int key : {48, 60, 64, 67}) t.NoteOff(key == 48 ? 288 : 0, 0, key);
    return qv::seq::BuildSmf(0, 96, {t.End()});
}

class WavOutput : public SequencerFixture {
protected:
    WavOutput() : SequencerFixture([this] { return std::move(m_wav); }) {}
    std::unique_ptr<qv::seq::IMidiOut> m_wav;
};

// Runs in real time, about two seconds: the synthesizer renders while the song plays.
TEST_F(WavOutput, RendersASongAsSoundAndTakesSysexSentInPacketsWhole) {
    std::string tried;
    if (qv::seq::FindSoundfont(tried).empty()) GTEST_SKIP() << "no soundfont; tried " << tried;
    const std::string wavPath = m_dir / "out.wav";
    std::string failure;
    m_wav = qv::seq::MakeWavOutput(wavPath, failure);
    ASSERT_TRUE(m_wav) << failure;

    const std::uint32_t id = OpenSong(ChordCutBySysexPackets(), "chord.mid");
    ASSERT_EQ(Play(id, 0, std::nullopt, 1), 0u);
    std::vector<Posted> posted;
    for (int i = 0; i < 1000 && posted.empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        posted = TakePosted();
    }
    EXPECT_EQ(posted, (std::vector<Posted>{{1, MCI_NOTIFY_SUCCESSFUL, id}}));
    m_mci.reset();  // the output goes with the sequencer, which completes the file

    qvtest::WavFile wav;
    ASSERT_TRUE(qvtest::ReadWavFile(wavPath, wav));
    EXPECT_GT(wav.Seconds(), 1.9);
    EXPECT_LT(wav.Seconds(), 4.0);
    const double sounding = wav.Rms(0.05, 0.45);
    EXPECT_GT(sounding, 0.006) << "silence while the song plays";
    EXPECT_LT(wav.Rms(1.3, 1.9), sounding / 20) << "the chord went on after the reset";
}

}  // namespace
