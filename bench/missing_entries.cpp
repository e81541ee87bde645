// Two inputs that used to freeze the player before its window painted, timed:
// 1. an old play list whose songs are missing from a large folder: each missing name is offered
//    to CPlayList::Add, as loading the list does (arguments: files in the folder, missing names);
// 2. a folder tree whose every level holds two links to the next level, expanded as a drop does
//    (argument: levels).
// Usage: missing_entries [files=20000] [missing=10000] [levels=18]
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/posix/files_posix.h"
#include "playlist/FileFinder.h"
#include "playlist/PlayList.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// An old list: its folder was last changed long ago.
void MakeOld(const std::string& folder) {
    const timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
    ::utimensat(AT_FDCWD, folder.c_str(), times, 0);
}

void MissingEntries(const std::string& root, int nFiles, int nMissing) {
    std::string folder = root + "/music";
    std::filesystem::create_directory(folder);
    char name[32];
    for (int i = 0; i < nFiles; ++i) {
        std::snprintf(name, sizeof name, "/song%06d.mid", i);
        int fd = ::open((folder + name).c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        if (fd >= 0) ::close(fd);
    }
    MakeOld(folder);
    CPlayList list;
    auto start = Clock::now();
    for (int i = 0; i < nMissing; ++i) {
        std::snprintf(name, sizeof name, "/gone%06d.mid", i);
        list.Add((folder + name).c_str());
    }
    std::printf("missing entries: %d names in a folder of %d files: %.2f s (%d added)\n", nMissing,
                nFiles, Seconds(start), list.GetSize());
}

void DoubledLinks(const std::string& root, int nLevels) {
    for (int i = 0; i <= nLevels; ++i) {
        std::string level = root + "/level" + std::to_string(i);
        std::filesystem::create_directory(level);
        ::close(::open((level + "/song.mid").c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644));
        if (i == 0) continue;
        std::string above = root + "/level" + std::to_string(i - 1);
        std::filesystem::create_directory_symlink(level, above + "/a");
        std::filesystem::create_directory_symlink(level, above + "/b");
    }
    CStringArray aExtensions;
    aExtensions.Add("MID");
    CFileFinder finder;
    auto start = Clock::now();
    finder.Find((root + "/level0").c_str(), aExtensions, TRUE);
    std::printf("doubled links: %d levels: %.2f s, %d files found\n", nLevels, Seconds(start),
                finder.GetSize());
}

}  // namespace

int main(int argc, char** argv) {
    int nFiles = argc > 1 ? std::atoi(argv[1]) : 20000;
    int nMissing = argc > 2 ? std::atoi(argv[2]) : 10000;
    int nLevels = argc > 3 ? std::atoi(argv[3]) : 18;
    std::string root = (std::filesystem::temp_directory_path() / "quavel-bench-XXXXXX").string();
    if (!::mkdtemp(root.data())) {
        std::perror("mkdtemp");
        return 2;
    }
    qv::PosixFileSystem fileSystem;
    qv::InstallFileSystem(&fileSystem);
    MissingEntries(root, nFiles, nMissing);
    DoubledLinks(root, nLevels);
    qv::InstallFileSystem(nullptr);
    std::filesystem::remove_all(root);
    return 0;
}
