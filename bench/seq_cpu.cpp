// CPU per second of song with real synthesis into a WAV file: our sequencer (tools/seq-play with
// the WAV output) against FluidSynth's own file player (the fluidsynth program with its file
// audio driver), the same dense song, soundfont and synthesizer settings, in alternating rounds
// of the same run. Each side's figure is the CPU of a long run less that of a short run of the
// same song, per second of sound the long run wrote more (stereo 16-bit at 44.1 kHz). The peer's
// file driver keeps its own period of 64 frames; our WAV output renders 10 ms periods. At equal
// periods (fluidsynth -z 441) the difference left is our player thread's wake at every event time.
// Usage: seq_cpu [ROUNDS] [SECONDS]   (defaults 5 and 10; the short song is a quarter as long;
// needs the fluidsynth program)
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/sequencer/Outputs.h"
#include "platform/sequencer/SmfWriter.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace qv::seq;

// A note every 5 ms across the sixteen channels, each held 50 ms, and a chord every 100 ms.
std::vector<std::uint8_t> DenseSong(int seconds) {
    SmfTrack t;
    t.Tempo(0, 500000);
    std::uint32_t delta = 0;
    for (int step = 0; step < seconds * 200; ++step) {
        if (step >= 10) {
            t.NoteOff(delta, (step - 10) % 16, 40 + (step - 10) % 48);
            delta = 0;
        }
        t.NoteOn(delta, step % 16, 40 + step % 48, 80);
        if (step % 20 == 0) {
            for (int k = 0; k < 4; ++k)
                t.NoteOn(0, 15 - k, 60 + 4 * k, 60).NoteOff(0, 15 - k, 60 + 4 * k);
        }
        delta = 5;
    }
    // Every voice is cut at the end: FluidSynth's player runs on until its voices fall silent,
    // which after this song's release tails would add some 20 s of near-silence to its side.
    for (int channel = 0; channel < 16; ++channel)
        t.Control(channel == 0 ? 50 : 0, channel, 120, 0);
    t.End(50);
    return BuildSmf(0, 500, {t});  // 500 ticks a quarter at the default 120 bpm: 1 ms a tick
}

struct Run {
    double cpu = NAN, wall = NAN;
};

// Seconds of sound in a WAV file of 16-bit stereo at 44.1 kHz, from its size.
double SoundSeconds(const std::string& wav) {
    std::error_code error;
    const auto size = fs::file_size(wav, error);
    fs::remove(wav, error);
    return size > 44 ? double(size - 44) / (44100.0 * 4) : NAN;
}

// Runs argv to its end; its CPU (user and system) and wall time in seconds.
Run Measure(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const auto start = std::chrono::steady_clock::now();
    const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    Run run;
    if (rc != 0) return run;
    int status = 0;
    rusage usage{};
    if (::wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return run;
    auto seconds = [](const timeval& tv) { return double(tv.tv_sec) + double(tv.tv_usec) / 1e6; };
    run.cpu = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    run.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return run;
}

double Median(std::vector<double> v) {
    v.erase(std::remove_if(v.begin(), v.end(), [](double x) { return std::isnan(x); }), v.end());
    std::sort(v.begin(), v.end());
    return v.empty() ? NAN : v[v.size() / 2];
}

// One player's run of one song: CPU and wall seconds, and the seconds of sound it wrote.
struct Play {
    Run run;
    double sound = NAN;
};

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const int seconds = argc > 2 ? std::max(4, std::atoi(argv[2])) : 10;
    const int shortSeconds = seconds / 4;
    std::string tried;
    const std::string soundfont = FindSoundfont(tried);
    if (soundfont.empty()) {
        std::fprintf(stderr, "seq_cpu: no soundfont; tried %s\n", tried.c_str());
        return 1;
    }
    const fs::path bench = fs::read_symlink("/proc/self/exe").parent_path();
    const std::string seqPlay = (bench.parent_path() / "tools" / "seq-play").string();
    const fs::path dir = fs::temp_directory_path() / ("quavel-cpu-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string wav = (dir / "out.wav").string();
    auto writeSong = [&dir](const char* name, int length) {
        const std::string path = (dir / name).string();
        const std::vector<std::uint8_t> bytes = DenseSong(length);
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return path;
    };
    const std::string longSong = writeSong("long.mid", seconds);
    const std::string shortSong = writeSong("short.mid", shortSeconds);
    ::setenv("QUAVEL_MIDI_OUT", ("wav:" + wav).c_str(), 1);
    ::setenv("QUAVEL_SOUNDFONT", soundfont.c_str(), 1);
    // The peer gets our synthesizer settings: our gain, and samples loaded when first played.
    auto ours = [&](const std::string& song) {
        Play play{Measure({seqPlay, song})};
        play.sound = SoundSeconds(wav);
        return play;
    };
    auto peer = [&](const std::string& song) {
        Play play{
            Measure({"fluidsynth", "-ni", "-q", "-g", "0.4", "-o", "synth.dynamic-sample-loading=1",
                     "-a", "file", "-o", "audio.file.name=" + wav, "-o", "audio.file.type=wav",
                     "-o", "audio.file.format=s16", soundfont, song})};
        play.sound = SoundSeconds(wav);
        return play;
    };
    // Each player's CPU per second of sound is taken from the difference between a long and a
    // short run of the same song: the start-up (loading the soundfont) and the end (FluidSynth's
    // player renders its reverb tail for about two more seconds) cost both runs alike and drop
    // out, so what remains is the CPU of the same extra seconds of dense song on both sides.
    std::vector<double> ourCpu, peerCpu, ourSound, peerSound;
    for (int i = 0; i < rounds; ++i) {
        const Play a = ours(longSong), b = ours(shortSong);
        const Play c = peer(longSong), d = peer(shortSong);
        ourCpu.push_back((a.run.cpu - b.run.cpu) / (a.sound - b.sound));
        peerCpu.push_back((c.run.cpu - d.run.cpu) / (c.sound - d.sound));
        ourSound.push_back(a.sound - b.sound), peerSound.push_back(c.sound - d.sound);
    }
    fs::remove_all(dir);
    const double o = Median(ourCpu), p = Median(peerCpu);
    std::printf(
        "CPU with synthesis into WAV, dense song of %d s less the same song of %d s,\n"
        "%s, median of %d rounds:\n",
        seconds, shortSeconds, soundfont.c_str(), rounds);
    std::printf("  ours (seq-play)        %.4f s CPU per second of sound (%.2f s of sound more)\n",
                o, Median(ourSound));
    std::printf("  FluidSynth's player    %.4f s CPU per second of sound (%.2f s of sound more)\n",
                p, Median(peerSound));
    std::printf("  ratio                  %.2f\n", o / p);
    std::printf("FIGURE play_cpu ours_s=%.4f peer_s=%.4f\n", o, p);
    return std::isnan(o) || std::isnan(p) ? 1 : 0;
}
