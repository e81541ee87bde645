#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>

#include "platform/sequencer/Outputs.h"
#include "platform/sequencer/SequencerMci.h"
#include "platform/sequencer/SmfWriter.h"
#include "tests/support/FilesTempDir.h"
#include "tests/support/WavFile.h"

namespace {

// A short phrase of our own: a rising arpeggio over a held chord, 1.5 s at 120 bpm.
std::vector<std::uint8_t> ShortPhrase() {
    qv::seq::SmfTrack t;
    t.Program(0, 0, 0).Program(0, 1, 48);
    for (int key : {48, 55, 64}) t.NoteOn(0, 1, key, 90);
    for (int key : {60, 64, 67, 72, 76}) t.NoteOn(0, 0, key, 110).NoteOff(64, 0, key);
    for (int key : {48, 55, 64}) t.NoteOff(0, 1, key);
    t.End(64);  // 384 ticks at 128 a quarter
    return qv::seq::BuildSmf(0, 128, {t});
}

}  // namespace

// Runs in real time, about two seconds: the synthesizer renders while the song plays.
TEST(WavOutput, RendersASongAsSoundOfAboutItsLength) {
    std::string tried;
    if (qv::seq::FindSoundfont(tried).empty()) GTEST_SKIP() << "no soundfont; tried " << tried;
    qvtest::TempDir dir;
    const std::string wavPath = dir / "out.wav";
    const std::string midPath = dir.Write("phrase.mid", ShortPhrase());

    std::string failure;
    std::unique_ptr<qv::seq::IMidiOut> out = qv::seq::MakeWavOutput(wavPath, failure);
    ASSERT_TRUE(out) << failure;

    std::mutex mutex;
    std::condition_variable cv;
    std::uint32_t code = 0;
    std::uint32_t lengthMs = 0;
    {
        qv::seq::SequencerOptions options;
        options.makeOutput = [&] { return std::move(out); };
        options.poster = [&](std::uintptr_t, std::uint32_t c, std::uint32_t) {
            std::lock_guard<std::mutex> guard(mutex);
            code = c;
            cv.notify_all();
        };
        qv::seq::SequencerMci mci(options);
        qv::MCI_OPEN_PARMS open{};
        open.lpstrDeviceType = "sequencer";
        open.lpstrElementName = midPath.c_str();
        ASSERT_EQ(mci.SendCommand(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT,
                                  reinterpret_cast<std::uintptr_t>(&open)),
                  0u);
        qv::MCI_STATUS_PARMS status{};
        status.dwItem = MCI_STATUS_LENGTH;
        mci.SendCommand(open.wDeviceID, MCI_STATUS, MCI_STATUS_ITEM,
                        reinterpret_cast<std::uintptr_t>(&status));
        lengthMs = static_cast<std::uint32_t>(status.dwReturn);
        qv::MCI_PLAY_PARMS play{};
        play.dwCallback = 1;
        ASSERT_EQ(mci.SendCommand(open.wDeviceID, MCI_PLAY, MCI_FROM | MCI_NOTIFY,
                                  reinterpret_cast<std::uintptr_t>(&play)),
                  0u);
        std::unique_lock<std::mutex> lock(mutex);
        cv.wait_for(lock, std::chrono::seconds(10), [&] { return code != 0; });
        EXPECT_EQ(code, static_cast<std::uint32_t>(MCI_NOTIFY_SUCCESSFUL));
    }  // the output goes with the sequencer, which completes the file

    qvtest::WavFile wav;
    ASSERT_TRUE(qvtest::ReadWavFile(wavPath, wav));
    EXPECT_EQ(lengthMs, 1500u);
    EXPECT_GT(wav.Seconds(), 1.4);
    EXPECT_LT(wav.Seconds(), 3.5);
    EXPECT_GT(wav.Rms(0, 1.4), 0.006) << "silence while the song plays";
}
