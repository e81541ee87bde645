// How late the player sends each event of a dense song on the silent output, beside a bare
// sleep_until loop to the same deadlines (the platform's floor), and the CPU the player uses. The
// main thread waits for the end of the play without being woken at the player's every deadline.
// Usage: seq_timing [SECONDS]   (default 30; runs about twice that in real time)
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "platform/mci.h"
#include "platform/sequencer/Player.h"
#include "platform/sequencer/SmfWriter.h"

namespace {

using namespace qv::seq;

// The real clock, remembering the deadline the player last waited for.
class DeadlineClock final : public IClock {
public:
    std::int64_t NowUs() const override { return m_clock.NowUs(); }
    void WaitUntil(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                   std::int64_t deadlineUs) override {
        m_lastDeadline.store(deadlineUs);
        m_clock.WaitUntil(lock, cv, deadlineUs);
    }
    std::int64_t LastDeadline() const { return m_lastDeadline.load(); }

private:
    SteadyClock m_clock;
    std::atomic<std::int64_t> m_lastDeadline{kForever};
};

// Notes the lateness of every note message against the deadline the player waited for.
// A message sent without a wait of its own counts against the earlier deadline: that can only
// overstate the lateness.
class LatenessOut final : public IMidiOut {
public:
    explicit LatenessOut(const DeadlineClock& clock) : m_clock(clock) {}
    void Send(std::span<const std::uint8_t> m) override {
        const std::uint8_t kind = m[0] & 0xF0;
        const std::int64_t deadline = m_clock.LastDeadline();
        if ((kind == 0x80 || kind == 0x90) && deadline != kForever) {
            m_lateUs.push_back(m_clock.NowUs() - deadline);
        }
    }
    std::vector<std::int64_t> m_lateUs;

private:
    const DeadlineClock& m_clock;
};

// Every 5 ms a note starts on the next channel and the one started 50 ms before ends; every
// 100 ms a four-note chord joins in. With 1000 ticks a second (25 frames of 40 ticks), a tick is 1
// ms.
std::vector<std::uint8_t> DenseSong(int seconds) {
    SmfTrack t;
    std::uint32_t delta = 0;
    for (int step = 0; step < seconds * 200; ++step) {
        const int channel = step % 16;
        if (step >= 10) {
            t.NoteOff(delta, (step - 10) % 16, 40 + (step - 10) % 48);
            delta = 0;
        }
        t.NoteOn(delta, channel, 40 + step % 48, 80);
        if (step % 20 == 0) {
            for (int k = 0; k < 4; ++k)
                t.NoteOn(0, 15 - k, 60 + 4 * k, 60).NoteOff(0, 15 - k, 60 + 4 * k);
        }
        delta = 5;
    }
    t.End(50);
    return BuildSmf(0, 0xE728, {t});
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& tv) { return double(tv.tv_sec) + double(tv.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

std::int64_t Percentile(std::vector<std::int64_t> v, double p) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[static_cast<std::size_t>(p * double(v.size() - 1))];
}

// The floor: sleep_until each deadline of the song, nothing else.
std::vector<std::int64_t> BareLoop(const Song& song) {
    std::vector<std::int64_t> late;
    const auto start = std::chrono::steady_clock::now() + std::chrono::milliseconds(1);
    for (std::size_t i = 0; i < song.events.size();) {
        const auto deadline = start + std::chrono::microseconds(song.events[i].timeUs);
        std::this_thread::sleep_until(deadline);
        const auto lateUs = std::chrono::duration_cast<std::chrono::microseconds>(
                                std::chrono::steady_clock::now() - deadline)
                                .count();
        // One measurement for each event due at this deadline, as the player is measured.
        const std::int64_t at = song.events[i].timeUs;
        for (; i < song.events.size() && song.events[i].timeUs == at; ++i) late.push_back(lateUs);
    }
    return late;
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
    Song song;
    if (ReadSmf(DenseSong(seconds), song) != SmfStatus::Ok) return 1;
    const Song copy = song;

    DeadlineClock clock;
    LatenessOut out(clock);
    Player player(std::move(song), out, clock, [](std::uintptr_t, std::uint32_t) {});
    const double cpuBefore = CpuSeconds();
    const auto wallBefore = std::chrono::steady_clock::now();
    player.Play(0, player.LengthUs(), std::nullopt);
    player.WaitWhilePlaying();
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
    const double cpu = CpuSeconds() - cpuBefore;

    const std::vector<std::int64_t> floor = BareLoop(copy);
    const std::int64_t ourMedian = Percentile(out.m_lateUs, 0.5),
                       ourP99 = Percentile(out.m_lateUs, 0.99);
    const std::int64_t floorMedian = Percentile(floor, 0.5), floorP99 = Percentile(floor, 0.99);
    std::printf("song: %d s, %zu events, %zu note messages measured\n", seconds, copy.events.size(),
                out.m_lateUs.size());
    std::printf("lateness (us)      median   p99\n");
    std::printf("  player          %7lld %6lld\n", static_cast<long long>(ourMedian),
                static_cast<long long>(ourP99));
    std::printf("  sleep_until     %7lld %6lld\n", static_cast<long long>(floorMedian),
                static_cast<long long>(floorP99));
    std::printf("  ratio           %7.2f %6.2f   (target <= 1.2)\n",
                double(ourMedian) / double(std::max<std::int64_t>(floorMedian, 1)),
                double(ourP99) / double(std::max<std::int64_t>(floorP99, 1)));
    std::printf("cpu: %.3f s over %.2f s of playback = %.3f%% of one core (target < 1%%)\n", cpu,
                wall, 100.0 * cpu / wall);
    std::printf("FIGURE lateness_median ours_us=%lld peer_us=%lld\n",
                static_cast<long long>(ourMedian), static_cast<long long>(floorMedian));
    std::printf("FIGURE lateness_p99 ours_us=%lld peer_us=%lld\n", static_cast<long long>(ourP99),
                static_cast<long long>(floorP99));
    std::printf("FIGURE player_cpu percent=%.3f\n", 100.0 * cpu / wall);
    return 0;
}
