#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/sequencer/Outputs.h"
#include "platform/sequencer/SequencerMci.h"
#include "platform/sequencer/SmfWriter.h"
#include "tests/support/FilesTempDir.h"

namespace {

struct Wav {
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;
    std::vector<std::int16_t> samples;
};

std::uint32_t Le(const std::vector<char>& b, std::size_t at, int n) {
    std::uint32_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = (v << 8) | static_cast<std::uint8_t>(b[at + i]);
    return v;
}

// Just enough of the RIFF format to find the format and the samples.
bool ReadWav(const std::string& path, Wav& wav) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> b((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
    if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) || std::memcmp(b.data() + 8, "WAVE", 4))
        return false;
    for (std::size_t at = 12; at + 8 <= b.size();) {
        const std::uint32_t size = Le(b, at + 4, 4);
        const std::size_t body = at + 8;
        const std::size_t available = std::min<std::size_t>(size, b.size() - body);
        if (!std::memcmp(b.data() + at, "fmt ", 4) && available >= 16) {
            wav.channels = static_cast<int>(Le(b, body + 2, 2));
            wav.sampleRate = static_cast<int>(Le(b, body + 4, 4));
            wav.bitsPerSample = static_cast<int>(Le(b, body + 14, 2));
        } else if (!std::memcmp(b.data() + at, "data", 4)) {
            wav.samples.resize(available / 2);
            std::memcpy(wav.samples.data(), b.data() + body, wav.samples.size() * 2);
        }
        at = body + size + (size & 1);
    }
    return wav.channels > 0 && wav.sampleRate > 0;
}

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

    Wav wav;
    ASSERT_TRUE(ReadWav(wavPath, wav));
    ASSERT_EQ(wav.bitsPerSample, 16);
    ASSERT_GT(wav.channels, 0);
    EXPECT_EQ(lengthMs, 1500u);
    const double seconds = double(wav.samples.size()) / wav.channels / wav.sampleRate;
    EXPECT_GT(seconds, 1.4);
    EXPECT_LT(seconds, 3.5);
    // Sound, not silence, while the song plays.
    const std::size_t songSamples =
        std::min(wav.samples.size(), static_cast<std::size_t>(1.4 * wav.sampleRate * wav.channels));
    double sum = 0;
    int peak = 0;
    for (std::size_t i = 0; i < songSamples; ++i) {
        sum += double(wav.samples[i]) * wav.samples[i];
        peak = std::max(peak, std::abs(int(wav.samples[i])));
    }
    EXPECT_GT(peak, 2000);
    EXPECT_GT(std::sqrt(sum / double(songSamples)), 200.0);
}
