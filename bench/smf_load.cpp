// Loading a song: our reader (read and parse, as an open does on the window's thread) against
// FluidSynth's own file player loading the same file, in alternating rounds on a warm cache, at
// 1 MB and 10 MB, with the exponent of the growth in size. Both run on this thread and are timed
// by its CPU clock, so that other work on a shared machine does not count against either.
// Usage: smf_load [ROUNDS]   (default 9)
#include <fluidsynth.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include "platform/sequencer/SequencerMci.h"
#include "platform/sequencer/SmfWriter.h"

namespace {

using namespace qv::seq;

// Sixteen tracks of notes under running status, with tempo changes in the last one: about
// 100 kB per unit of scale.
std::vector<std::uint8_t> DenseSong(int scale) {
    std::vector<SmfTrack> tracks(16);
    for (int ch = 0; ch < 15; ++ch) {
        tracks[ch].Program(0, ch, ch * 8);
        for (int i = 0; i < 1000 * scale; ++i) {
            tracks[ch].NoteOn(i == 0 ? 0 : 60, ch, 36 + (i * 7 + ch) % 60, 40 + i % 80);
            tracks[ch].Event(60, {static_cast<std::uint8_t>(36 + (i * 7 + ch) % 60), 0});
        }
        tracks[ch].End();
    }
    for (int i = 0; i < 200 * scale; ++i)
        tracks[15].Tempo(i == 0 ? 0 : 660, 400000 + (i % 50) * 4000);
    tracks[15].End();
    return BuildSmf(1, 480, tracks);
}

double ThreadMs() {
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double OurLoad(const char* path) {
    const double t0 = ThreadMs();
    Song song;
    if (LoadSong(path, song) != 0) return NAN;
    return ThreadMs() - t0;
}

// The peer: FluidSynth's player reads its file when it first runs, which the sample timer does
// at the first rendered block; a silent block costs microseconds beside the load.
double FluidLoad(fluid_settings_t* settings, fluid_synth_t* synth, const char* path) {
    fluid_player_t* player = new_fluid_player(synth);
    if (!player) return NAN;
    float left[64], right[64];
    const double t0 = ThreadMs();
    fluid_player_add(player, path);
    fluid_player_play(player);
    fluid_synth_write_float(synth, 64, left, 0, 1, right, 0, 1);
    const double ms = ThreadMs() - t0;
    const bool loaded = fluid_player_get_total_ticks(player) > 0;
    fluid_player_stop(player);
    delete_fluid_player(player);
    (void)settings;
    return loaded ? ms : NAN;
}

void Quiet(int, const char*, void*) {}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
        fluid_set_log_function(level, Quiet, nullptr);
    fluid_settings_t* settings = new_fluid_settings();
    fluid_settings_setstr(settings, "player.timing-source", "sample");
    fluid_settings_setint(settings, "synth.lock-memory", 0);
    fluid_synth_t* synth = new_fluid_synth(settings);

    struct Row {
        int scale;
        std::size_t bytes;
        double ours, peer;
    };
    std::vector<Row> rows;
    for (int scale : {10, 100}) {
        const std::string path = "/tmp/quavel-bench-load-" + std::to_string(::getpid()) + ".mid";
        const std::vector<std::uint8_t> bytes = DenseSong(scale);
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        OurLoad(path.c_str());  // warm the cache
        std::vector<double> ours, peer;
        for (int i = 0; i < rounds; ++i) {
            ours.push_back(OurLoad(path.c_str()));
            peer.push_back(FluidLoad(settings, synth, path.c_str()));
        }
        ::unlink(path.c_str());
        rows.push_back({scale, bytes.size(), Median(ours), Median(peer)});
    }
    delete_fluid_synth(synth);
    delete_fluid_settings(settings);

    std::printf("song load, thread CPU time, median of %d alternating rounds (warm cache):\n",
                rounds);
    for (const Row& r : rows) {
        std::printf("  %8zu bytes: ours %8.2f ms, FluidSynth's player %8.2f ms, ratio %.2f\n",
                    r.bytes, r.ours, r.peer, r.ours / r.peer);
    }
    const double exponent = std::log(rows[1].ours / rows[0].ours) /
                            std::log(double(rows[1].bytes) / double(rows[0].bytes));
    std::printf("  growth exponent (ours, 1 MB to 10 MB): %.2f\n", exponent);
    // One line a figure, for tools/bench.sh.
    for (const Row& r : rows) {
        std::printf("FIGURE load_%dmb ours_ms=%.2f peer_ms=%.2f\n", r.scale / 10, r.ours, r.peer);
    }
    std::printf("FIGURE load_exponent value=%.2f\n", exponent);
    return 0;
}
