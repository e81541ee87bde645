// The real quavel on a private X server (Xvfb), as a user starts it on one song, beside the
// smallest Qt dialog (bench/qt_minimal_dialog), in alternating rounds of the same run:
// 1. start to a visible window, both polled every 10 ms the same way;
// 2. start to sound: from the moment the process is started to the first audible sample the
//    synthesizer writes (QUAVEL_MIDI_OUT=wav: the synthesizer's file driver renders a period
//    about every millisecond; the file is read as it grows, so this is the first note-on plus at
//    most one render period), against the minimal dialog's own report of its first painted frame.
//    A start is watched for its window or for its sound, never both: looking for windows runs a
//    tool every 10 ms, whose load the minimal dialog's own report does not carry;
//    each with the soundfont the program finds by itself and with the small TimGM6mb;
// 3. resident memory (VmRSS) once the window shows and the size has settled, started on a folder
//    of 10,000 generated MIDI files, against the same start with no files.
//
//   player_startup [ROUNDS] [ENTRIES]     (defaults 5 and 10000)
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/BenchSongs.h"
#include "platform/sequencer/Outputs.h"
#include "platform/sequencer/SmfWriter.h"
#include "tests/e2e/Desktop.h"

namespace {

namespace fs = std::filesystem;
using e2e::Clock;
using e2e::milliseconds;

constexpr int kAudible = 256;  // of 32767: about -42 dBFS
constexpr auto kPoll = milliseconds(10);
const char* const kSmallSoundfont = "/usr/share/sounds/sf2/TimGM6mb.sf2";
const char* const kPlayerTitle = "^(Quavel|Working\\.\\.\\.) ?$";

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// Of the rounds that got a figure.
double Median(std::vector<double> v) {
    v.erase(std::remove_if(v.begin(), v.end(), [](double x) { return std::isnan(x); }), v.end());
    std::sort(v.begin(), v.end());
    return v.empty() ? NAN : v[v.size() / 2];
}

void WriteFile(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

// A loud chord from tick 0, held for two seconds.
std::vector<std::uint8_t> ChordAtOnce() {
    qv::seq::SmfTrack t;
    t.Program(0, 0, 0);
    for (int key : {60, 64, 67}) t.NoteOn(0, 0, key, 120);
    for (int key : {60, 64, 67}) t.NoteOff(key == 60 ? 1920 : 0, 0, key);
    t.End();
    return qv::seq::BuildSmf(0, 480, {t});
}

// Where the samples of a WAV file begin, once its header has been written.
long DataOffset(int fd) {
    char header[512];
    const ssize_t n = ::pread(fd, header, sizeof header, 0);
    for (ssize_t at = 12; at + 8 <= n;) {
        std::uint32_t size;
        std::memcpy(&size, header + at + 4, 4);
        if (!std::memcmp(header + at, "data", 4)) return static_cast<long>(at + 8);
        at += 8 + size + (size & 1);
    }
    return -1;
}

// Reads a growing WAV file: answers true once a sample is audible.
class SoundWatch {
public:
    explicit SoundWatch(std::string path) : m_path(std::move(path)) {}
    ~SoundWatch() {
        if (m_fd >= 0) ::close(m_fd);
    }
    SoundWatch(const SoundWatch&) = delete;
    SoundWatch& operator=(const SoundWatch&) = delete;

    bool Heard() {
        if (m_fd < 0) m_fd = ::open(m_path.c_str(), O_RDONLY);
        if (m_fd >= 0 && m_offset < 0) m_offset = DataOffset(m_fd);
        if (m_offset < 0) return false;
        for (;;) {
            const ssize_t n = ::pread(m_fd, m_buffer.data(), m_buffer.size() * 2, m_offset);
            const std::size_t count = n > 0 ? static_cast<std::size_t>(n) / 2 : 0;
            if (count == 0) return false;
            for (std::size_t i = 0; i < count; ++i)
                if (std::abs(int(m_buffer[i])) > kAudible) return true;
            m_offset += static_cast<long>(count * 2);
        }
    }

private:
    std::string m_path;
    int m_fd = -1;
    long m_offset = -1;
    std::vector<std::int16_t> m_buffer = std::vector<std::int16_t>(4096);
};

struct Tools {
    std::string quavel, minimal;
};

Tools FindTools() {
    const fs::path bench = fs::read_symlink("/proc/self/exe").parent_path();
    return {(bench.parent_path() / "quavel").string(), (bench / "qt_minimal_dialog").string()};
}

e2e::Environment PlayerEnv(const e2e::VirtualDisplay& display, const fs::path& dir) {
    e2e::Environment env = display.Env();
    env["XDG_CONFIG_HOME"] = (dir / "config").string();
    env["XDG_RUNTIME_DIR"] = (dir / "runtime").string();
    env.erase("QUAVEL_REGISTRY_FILE");
    return env;
}

double MinimalDialogFrame(const e2e::VirtualDisplay& display, const Tools& tools) {
    const auto start = Clock::now();
    e2e::ToolResult r = e2e::RunTool({tools.minimal}, display.Env(), milliseconds(20000));
    long long ns = 0;
    if (r.exitCode < 0 || std::sscanf(r.out.c_str(), "frame %lld", &ns) != 1) return NAN;
    const Clock::time_point frame{std::chrono::nanoseconds(ns)};
    return Ms(frame - start);
}

double MinimalDialogWindow(const e2e::VirtualDisplay& display, const Tools& tools) {
    e2e::ChildProcess dialog;
    const auto start = Clock::now();
    if (!dialog.Start({{tools.minimal, "stay"}, display.Env(), {}, {}, {}, -1})) return NAN;
    const bool shown = e2e::WaitUntil([&] { return !display.VisibleWindows("^Minimal$").empty(); },
                                      milliseconds(20000), kPoll);
    const double ms = Ms(Clock::now() - start);
    dialog.Stop();
    return shown ? ms : NAN;
}

enum class Watch { Window, Sound };

// One start of the player on the song: when its window was seen, or when it was first heard.
double PlayerStart(const e2e::VirtualDisplay& display, const Tools& tools, const fs::path& dir,
                   const std::string& song, const std::string& soundfont, int round, Watch watch) {
    const std::string wav = (dir / ("round" + std::to_string(round) + ".wav")).string();
    e2e::Environment env = PlayerEnv(display, dir);
    env["QUAVEL_MIDI_OUT"] = "wav:" + wav;
    if (soundfont.empty()) {
        env.erase("QUAVEL_SOUNDFONT");
    } else {
        env["QUAVEL_SOUNDFONT"] = soundfont;
    }
    double ms = NAN;
    {
        e2e::ChildProcess player;
        SoundWatch sound(wav);
        const auto start = Clock::now();
        if (!player.Start({{tools.quavel, "--new-instance", song}, env, dir.string(), {}, {}, -1}))
            return ms;
        const bool seen =
            watch == Watch::Sound
                ? e2e::WaitUntil([&] { return sound.Heard(); }, milliseconds(20000),
                                 milliseconds(1))
                : e2e::WaitUntil([&] { return !display.VisibleWindows(kPlayerTitle).empty(); },
                                 milliseconds(20000), kPoll);
        if (seen) ms = Ms(Clock::now() - start);
        player.Stop();
    }
    fs::remove(wav);
    return ms;
}

long VmRssKb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    }
    return -1;
}

struct Memory {
    double windowMs = NAN;
    long rssKb = -1;
};

// Starts the player on the arguments; the time to its window, and its settled resident size.
Memory PlayerMemory(const e2e::VirtualDisplay& display, const Tools& tools, const fs::path& dir,
                    const std::vector<std::string>& args) {
    Memory m;
    e2e::Environment env = PlayerEnv(display, dir);
    env["QUAVEL_MIDI_OUT"] = "null";
    std::vector<std::string> argv{tools.quavel, "--new-instance"};
    argv.insert(argv.end(), args.begin(), args.end());
    e2e::ChildProcess player;
    const auto start = Clock::now();
    if (!player.Start({argv, env, dir.string(), {}, {}, -1})) return m;
    if (!e2e::WaitUntil([&] { return !display.VisibleWindows("^Quavel ?$").empty(); },
                        milliseconds(60000), milliseconds(20)))
        return m;
    m.windowMs = Ms(Clock::now() - start);
    // Settled: no change beyond 1% over a second.
    long previous = VmRssKb(player.Pid());
    for (int i = 0; i < 20; ++i) {
        std::this_thread::sleep_for(milliseconds(1000));
        const long now = VmRssKb(player.Pid());
        const bool settled = std::labs(now - previous) * 100 <= previous;
        previous = now;
        if (settled) break;
    }
    m.rssKb = previous;
    return m;
}

void PrintFigure(const char* name, const std::vector<double>& ours,
                 const std::vector<double>& peer) {
    std::printf("FIGURE %s ours_ms=%.1f peer_ms=%.1f\n", name, Median(ours), Median(peer));
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const int entries = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10000;
    const Tools tools = FindTools();
    const fs::path dir = fs::temp_directory_path() / ("quavel-bench-" + std::to_string(::getpid()));
    fs::create_directories(dir / "runtime");
    fs::permissions(dir / "runtime", fs::perms::owner_all);
    const std::string song = (dir / "chord.mid").string();
    WriteFile(song, ChordAtOnce());
    std::string tried;
    const std::string found = qv::seq::FindSoundfont(tried);

    e2e::VirtualDisplay display;
    std::string failure;
    if (!display.Start(failure)) {
        std::fprintf(stderr, "player_startup: %s\n", failure.c_str());
        return 1;
    }
    std::vector<double> frame, window, foundWindow, foundSound, smallWindow, smallSound;
    for (int round = 0; round < rounds; ++round) {
        frame.push_back(MinimalDialogFrame(display, tools));
        window.push_back(MinimalDialogWindow(display, tools));
        const auto start = [&](const std::string& soundfont, Watch watch) {
            return PlayerStart(display, tools, dir, song, soundfont, round, watch);
        };
        foundWindow.push_back(start("", Watch::Window));
        foundSound.push_back(start("", Watch::Sound));
        smallWindow.push_back(start(kSmallSoundfont, Watch::Window));
        smallSound.push_back(start(kSmallSoundfont, Watch::Sound));
    }
    qvbench::WriteSongs(dir / "songs", entries);
    const Memory empty = PlayerMemory(display, tools, dir, {});
    const Memory full = PlayerMemory(display, tools, dir, {(dir / "songs").string()});
    fs::remove_all(dir);

    std::printf("start-up on Xvfb on one song, median of %d alternate rounds:\n", rounds);
    std::printf("  qt_minimal_dialog: visible window %8.1f ms, first frame %8.1f ms\n",
                Median(window), Median(frame));
    std::printf("  quavel, %s: visible window %8.1f ms, first audible sample %8.1f ms\n",
                found.c_str(), Median(foundWindow), Median(foundSound));
    std::printf("  quavel, %s: visible window %8.1f ms, first audible sample %8.1f ms\n",
                kSmallSoundfont, Median(smallWindow), Median(smallSound));
    std::printf("resident memory (VmRSS) once the window shows and the size settles:\n");
    std::printf("  no entries            %8ld kB   (window after %6.0f ms)\n", empty.rssKb,
                empty.windowMs);
    std::printf("  %5d entries         %8ld kB   (window after %6.0f ms)\n", entries, full.rssKb,
                full.windowMs);
    std::printf("  per entry             %8.2f kB\n",
                double(full.rssKb - empty.rssKb) / double(entries));
    std::printf("FIGURE soundfont name=%s\n", found.c_str());
    PrintFigure("startup_window_found", foundWindow, window);
    PrintFigure("startup_sound_found", foundSound, frame);
    PrintFigure("startup_window_small", smallWindow, window);
    PrintFigure("startup_sound_small", smallSound, frame);
    std::printf("FIGURE memory_per_entry entries=%d kb=%.3f\n", entries,
                double(full.rssKb - empty.rssKb) / double(entries));
    const bool complete = !std::isnan(Median(frame)) && !std::isnan(Median(foundSound)) &&
                          empty.rssKb > 0 && full.rssKb > 0;
    return complete ? 0 : 1;
}
