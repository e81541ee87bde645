#pragma once
// What the fuzz targets share: the headers they all use, the system's file system with a fresh
// folder for the files they write (in memory where the system has it), the input as text, and the
// check whose failure is a finding.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/posix/files_posix.h"

inline void Check(bool condition) {
    if (!condition) __builtin_trap();
}

inline std::string MakeFuzzFolder() {
    std::string folder = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    folder += "/quavel-fuzz-XXXXXX";
    Check(::mkdtemp(folder.data()) != nullptr);
    return folder;
}

// The system's file system, installed at the first call, and a folder made once a process.
inline qv::PosixFileSystem& FuzzFiles() {
    static qv::PosixFileSystem files;
    return files;
}
// Removed again when the fuzzer exits, so that runs do not pile folders up in memory.
struct OwnedFolder {
    std::string path;
    ~OwnedFolder() {
        std::error_code error;
        std::filesystem::remove_all(path, error);
    }
};

inline const std::string& FuzzFolder() {
    static const OwnedFolder folder{(qv::InstallFileSystem(&FuzzFiles()), MakeFuzzFolder())};
    return folder.path;
}

inline std::string_view Text(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}
