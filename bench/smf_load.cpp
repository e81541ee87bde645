// The cost of opening a 1 MB MIDI file for its length (read and parse), against a bare read of
// the same file. Usage: smf_load [REPEATS]   (default 30)
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "platform/sequencer/SequencerMci.h"
#include "platform/sequencer/SmfWriter.h"

namespace {

using namespace qv::seq;

// Sixteen tracks of notes under running status, with tempo changes in the last one: about 1 MB.
std::vector<std::uint8_t> BigSong() {
    std::vector<SmfTrack> tracks(16);
    for (int ch = 0; ch < 15; ++ch) {
        tracks[ch].Program(0, ch, ch * 8);
        for (int i = 0; i < 10000; ++i) {
            tracks[ch].NoteOn(i == 0 ? 0 : 60, ch, 36 + (i * 7 + ch) % 60, 40 + i % 80);
            tracks[ch].Event(60, {static_cast<std::uint8_t>(36 + (i * 7 + ch) % 60), 0});
        }
        tracks[ch].End();
    }
    for (int i = 0; i < 2000; ++i) tracks[15].Tempo(i == 0 ? 0 : 660, 400000 + (i % 50) * 4000);
    tracks[15].End();
    return BuildSmf(1, 480, tracks);
}

double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

std::size_t BareRead(const char* path) {
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    const off_t size = ::lseek(fd, 0, SEEK_END);
    ::lseek(fd, 0, SEEK_SET);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    std::size_t got = 0;
    for (ssize_t n;
         got < bytes.size() && (n = ::read(fd, bytes.data() + got, bytes.size() - got)) > 0;) {
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return got;
}

}  // namespace

int main(int argc, char** argv) {
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
    const char* path = "/tmp/quavel-bench-1mb.mid";
    const std::vector<std::uint8_t> bytes = BigSong();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));

    std::vector<double> loads, reads;
    std::int64_t lengthUs = 0;
    std::size_t events = 0, readBytes = 0;
    for (int i = 0; i < repeats; ++i) {
        auto t0 = std::chrono::steady_clock::now();
        Song song;
        if (LoadSong(path, song) != 0) return 1;
        loads.push_back(Seconds(std::chrono::steady_clock::now() - t0));
        lengthUs = song.lengthUs;
        events = song.events.size();
        t0 = std::chrono::steady_clock::now();
        readBytes = BareRead(path);
        reads.push_back(Seconds(std::chrono::steady_clock::now() - t0));
    }
    ::unlink(path);
    const double load = Median(loads), read = Median(reads);
    std::printf("file: %zu bytes, %zu events, length %lld ms\n", readBytes, events,
                static_cast<long long>(lengthUs / 1000));
    std::printf("median of %d: load for length %.3f ms, bare read %.3f ms, ratio %.1f\n", repeats,
                load * 1e3, read * 1e3, load / read);
    return 0;
}
