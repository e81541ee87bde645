// The synthesizer rendering into a WAV file, in real time: each case takes about two seconds.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>

#include "platform/sequencer/Outputs.h"
#include "platform/sequencer/SequencerMci.h"
#include "platform/sequencer/SmfWriter.h"
#include "tests/support/FilesTempDir.h"
#include "tests/support/WavFile.h"

namespace {

class WavOutput : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tried;
        if (qv::seq::FindSoundfont(tried).empty()) GTEST_SKIP() << "no soundfont; tried " << tried;
    }

    // Plays the song to its end through a WAV output; answers its length in milliseconds.
    std::uint32_t Render(const std::vector<std::uint8_t>& song, qvtest::WavFile& wav) {
        const std::string wavPath = m_dir / "out.wav";
        std::string failure;
        std::unique_ptr<qv::seq::IMidiOut> out = qv::seq::MakeWavOutput(wavPath, failure);
        EXPECT_TRUE(out) << failure;
        std::mutex mutex;
        std::condition_variable cv;
        std::uint32_t code = 0;
        qv::MCI_STATUS_PARMS status{};
        {
            qv::seq::SequencerOptions options;
            options.makeOutput = [&] { return std::move(out); };
            options.poster = [&](std::uintptr_t, std::uint32_t c, std::uint32_t) {
                std::lock_guard<std::mutex> guard(mutex);
                code = c;
                cv.notify_all();
            };
            qv::seq::SequencerMci mci(options);
            const std::string midPath = m_dir.Write("song.mid", song);
            qv::MCI_OPEN_PARMS open{};
            open.lpstrDeviceType = "sequencer";
            open.lpstrElementName = midPath.c_str();
            EXPECT_EQ(Send(mci, 0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT, &open), 0u);
            status.dwItem = MCI_STATUS_LENGTH;
            Send(mci, open.wDeviceID, MCI_STATUS, MCI_STATUS_ITEM, &status);
            qv::MCI_PLAY_PARMS play{};
            play.dwCallback = 1;
            EXPECT_EQ(Send(mci, open.wDeviceID, MCI_PLAY, MCI_FROM | MCI_NOTIFY, &play), 0u);
            std::unique_lock<std::mutex> lock(mutex);
            cv.wait_for(lock, std::chrono::seconds(10), [&] { return code != 0; });
            EXPECT_EQ(code, static_cast<std::uint32_t>(MCI_NOTIFY_SUCCESSFUL));
        }  // the output goes with the sequencer, which completes the file
        EXPECT_TRUE(qvtest::ReadWavFile(wavPath, wav));
        return static_cast<std::uint32_t>(status.dwReturn);
    }

    static qv::MCIERROR Send(qv::seq::SequencerMci& mci, std::uint32_t id, std::uint32_t msg,
                             std::uintptr_t flags, const void* parms) {
        return mci.SendCommand(id, msg, flags, reinterpret_cast<std::uintptr_t>(parms));
    }

    qvtest::TempDir m_dir;
};

}  // namespace

TEST_F(WavOutput, RendersASongAsSoundOfAboutItsLength) {
    // A rising arpeggio over a held chord, 1.5 s at 120 bpm.
    qv::seq::SmfTrack t;
    t.Program(0, 0, 0).Program(0, 1, 48);
    for (int key : {48, 55, 64}) t.NoteOn(0, 1, key, 90);
    for (int key : {60, 64, 67, 72, 76}) t.NoteOn(0, 0, key, 110).NoteOff(64, 0, key);
    for (int key : {48, 55, 64}) t.NoteOff(0, 1, key);
    t.End(64);  // 384 ticks at 128 a quarter
    qvtest::WavFile wav;
    EXPECT_EQ(Render(qv::seq::BuildSmf(0, 128, {t}), wav), 1500u);
    EXPECT_GT(wav.Seconds(), 1.4);
    EXPECT_LT(wav.Seconds(), 3.5);
    EXPECT_GT(wav.Rms(0, 1.4), 0.006) << "silence while the song plays";
}

TEST_F(WavOutput, SysexSentInPacketsReachesTheSynthesizerWhole) {
    // An organ chord held for two seconds, cut off after 0.5 s by a reset to General MIDI that
    // comes in two packets: F0 and the first bytes, then the rest up to F7.
    qv::seq::SmfTrack t;
    t.Program(0, 0, 16);
    for (int key : {48, 60, 64, 67}) t.NoteOn(0, 0, key, 110);
    t.Event(48, {0xF0, 0x02, 0x7E, 0x7F}).Event(48, {0xF7, 0x03, 0x09, 0x01, 0xF7});
    for (int key : {48, 60, 64, 67}) t.NoteOff(key == 48 ? 288 : 0, 0, key);
    t.End();
    qvtest::WavFile wav;
    Render(qv::seq::BuildSmf(0, 96, {t}), wav);
    const double before = wav.Rms(0.05, 0.45);
    EXPECT_GT(before, 0.006) << "the organ never sounded";
    EXPECT_LT(wav.Rms(1.3, 1.9), before / 20) << "the organ went on after the reset";
}
