// Adding 10,000 MIDI files through CPlayList::Add against a bare loop that opens each file, reads
// 512 bytes and closes it, in the same run on a warm cache. Prints the throughput ratio (target:
// at least 0.85) and the heap the entries take. Exit status 1 when the ratio misses the target.
// A third loop makes the system calls Add makes, and nothing else, for the floor of that ratio:
// open, the regular-file check on the descriptor, the share lock, read, close.
//   playlist_add [files [rounds]]   (a few files and one round give a short trace for strace)
#include <fcntl.h>
#include <malloc.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchSongs.h"
#include "platform/posix/files_posix.h"
#include "playlist/PlayList.h"

namespace {

constexpr double kTarget = 0.85;

using Clock = std::chrono::steady_clock;

double BareLoop(const std::vector<std::string>& paths) {
    char buffer[512];
    std::size_t total = 0;
    auto start = Clock::now();
    for (const std::string& path : paths) {
        int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        total += n > 0 ? static_cast<std::size_t>(n) : 0;
        ::close(fd);
    }
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (total == 0) std::fprintf(stderr, "bare loop read nothing\n");
    return seconds;
}

double SameCallsLoop(const std::vector<std::string>& paths) {
    char buffer[512];
    std::size_t total = 0;
    auto start = Clock::now();
    for (const std::string& path : paths) {
        int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
        if (fd < 0) continue;
        struct stat st;
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_SH | LOCK_NB) == 0) {
            ssize_t n = ::read(fd, buffer, sizeof buffer);
            total += n > 0 ? static_cast<std::size_t>(n) : 0;
        }
        ::close(fd);
    }
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (total == 0) std::fprintf(stderr, "same-calls loop read nothing\n");
    return seconds;
}

struct AddResult {
    double seconds;
    std::size_t heapBytes;
    int added;
};

// The paths come as the program holds them, already in CStrings, as the bare loop's come ready.
AddResult AddAll(const std::vector<CString>& paths) {
    std::size_t before = ::mallinfo2().uordblks;
    auto list = std::make_unique<CPlayList>();
    auto start = Clock::now();
    for (const CString& path : paths) list->Add(path);
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::size_t after = ::mallinfo2().uordblks;
    return {seconds, after - before, list->GetSize()};
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int files = argc > 1 ? std::max(std::atoi(argv[1]), 1) : 10000;
    const int rounds = argc > 2 ? std::max(std::atoi(argv[2]), 1) : 15;
    std::string folder = (std::filesystem::temp_directory_path() / "quavel-bench-XXXXXX").string();
    if (!::mkdtemp(folder.data())) {
        std::perror("mkdtemp");
        return 2;
    }
    qv::PosixFileSystem fileSystem;
    qv::InstallFileSystem(&fileSystem);
    std::vector<std::string> paths = qvbench::WriteSongs(folder, files);
    std::vector<CString> listPaths(paths.begin(), paths.end());

    BareLoop(paths);  // warm the cache
    AddAll(listPaths);
    // Each round times both loops back to back and the median of the rounds' ratios is reported,
    // so that a load change on a shared machine shifts both sides of a ratio alike.
    std::vector<double> ratios, floors, bare, add;
    AddResult last{};
    for (int round = 0; round < rounds; ++round) {
        bare.push_back(BareLoop(paths));
        last = AddAll(listPaths);
        add.push_back(last.seconds);
        ratios.push_back(bare.back() / add.back());
        floors.push_back(bare.back() / SameCallsLoop(paths));
    }
    std::filesystem::remove_all(folder);
    qv::InstallFileSystem(nullptr);

    double ratio = Median(ratios);
    std::printf("files: %d, accepted: %d, rounds: %d\n", files, last.added, rounds);
    std::printf("bare open/read 512/close: %.2f us per file (median)\n",
                Median(bare) * 1e6 / files);
    std::printf("CPlayList::Add:           %.2f us per file (median)\n", Median(add) * 1e6 / files);
    std::printf("throughput ratio Add/bare: %.2f median, %.2f to %.2f (target >= %.2f)\n", ratio,
                *std::min_element(ratios.begin(), ratios.end()),
                *std::max_element(ratios.begin(), ratios.end()), kTarget);
    std::printf(
        "floor ratio calls/bare: %.2f median, %.2f to %.2f (Add's system calls alone: open, "
        "fstat, flock, read, close)\n",
        Median(floors), *std::min_element(floors.begin(), floors.end()),
        *std::max_element(floors.begin(), floors.end()));
    std::printf("heap for %d entries: %zu bytes (%.0f bytes per entry)\n", last.added,
                last.heapBytes, static_cast<double>(last.heapBytes) / std::max(last.added, 1));
    return ratio >= kTarget && last.added == files ? 0 : 1;
}
