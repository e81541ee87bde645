// Arbitrary bytes for the title reader, through a real file: whatever the bytes, it answers
// without reading past the file, and its answer agrees with the title it gives.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/posix/files_posix.h"
#include "playlist/PlayList.h"

namespace {

const char kUntouched[] = "\x01untouched";

std::string MakeInputFile() {
    const char* folder = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string path = std::string(folder) + "/quavel-fuzz-XXXXXX.mid";
    int fd = ::mkstemps(path.data(), 4);
    if (fd < 0) std::abort();
    ::close(fd);
    return path;
}

const std::string& InputFile() {
    static const std::string path = [] {
        static qv::PosixFileSystem fileSystem;
        qv::InstallFileSystem(&fileSystem);
        return MakeInputFile();
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = InputFile();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) std::abort();
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    CString title(kUntouched);
    int answer = CPlayList::ReadTitle(path.c_str(), title);
    // Removed after every run: libFuzzer may end the process without running exit handlers.
    ::unlink(path.c_str());
    CString name;
    CPlayList::MakeFileName(path.c_str(), name);
    bool consistent =
        (answer == -1 && title == kUntouched) || (answer == 0 && title == name) ||
        (answer > 0 && answer == title.GetLength() && static_cast<std::size_t>(answer) < size);
    if (!consistent) __builtin_trap();
    return 0;
}
