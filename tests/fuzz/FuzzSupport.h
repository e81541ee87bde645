#pragma once
// What the fuzz targets share: a fresh folder for the files they write (in memory where the
// system has it), and the check whose failure is a finding.
#include <stdlib.h>
#include <unistd.h>

#include <string>

inline std::string MakeFuzzFolder() {
    std::string folder = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    folder += "/quavel-fuzz-XXXXXX";
    if (!::mkdtemp(folder.data())) std::abort();
    return folder;
}

inline void Check(bool condition) {
    if (!condition) __builtin_trap();
}
