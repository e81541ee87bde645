#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>

#include "platform/sequencer/Outputs.h"
#include "platform/sequencer/SequencerMci.h"
#include "platform/sequencer/SmfWriter.h"
#include "tests/support/FilesTempDir.h"
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

}  // namespace

// Runs in real time, about two seconds: the synthesizer renders while the song plays. The output
// is made in the background, as the program makes it, so the song must wait for it whole.
TEST(WavOutput, RendersASongAsSoundAndTakesSysexSentInPacketsWhole) {
    std::string tried;
    if (qv::seq::FindSoundfont(tried).empty()) GTEST_SKIP() << "no soundfont; tried " << tried;
    qvtest::TempDir dir;
    const std::string wavPath = dir / "out.wav";
    const std::string midPath = dir.Write("chord.mid", ChordCutBySysexPackets());

    qv::seq::OutputFailure failure;
    std::mutex mutex;
    std::condition_variable cv;
    std::uint32_t code = 0;
    {
        qv::seq::SequencerOptions options;
        options.makeOutput = [&] { return qv::seq::MakeWavOutput(wavPath, failure); };
        options.makeOutputInBackground = true;
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
    ASSERT_TRUE(qvtest::ReadWavFile(wavPath, wav)) << failure.reason;
    EXPECT_GT(wav.Seconds(), 1.9);
    EXPECT_LT(wav.Seconds(), 4.0);
    const double sounding = wav.Rms(0.05, 0.45);
    EXPECT_GT(sounding, 0.006) << "silence while the song plays";
    EXPECT_LT(wav.Rms(1.3, 1.9), sounding / 20) << "the chord went on after the reset";
}
