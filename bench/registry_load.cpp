// Loading a settings key that grew large: 100,000 small values, and 10,000 values beside one of
// 16 MB, through the file registry into the settings store, against reading the same file with
// plain file calls.
//
//     build/bench/registry_load [iterations]
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "platform/posix/RegistryFile.h"
#include "settings/SettingsStore.h"

namespace {

constexpr const char* kKey = "Software\\Velmora\\Quavel32";

double MedianMilliseconds(int iterations, const std::function<void()>& run) {
    std::vector<double> times;
    for (int i = 0; i < iterations; ++i) {
        auto start = std::chrono::steady_clock::now();
        run();
        auto end = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// A registry file with the settings key holding nValues dwords and, when bigBytes is not 0, one
// binary value of that size.
void WriteFile(const std::string& path, int nValues, std::size_t bigBytes) {
    std::ofstream out(path, std::ios::binary);
    out << "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Velmora\\Quavel32]\r\n";
    char line[64];
    for (int i = 0; i < nValues; ++i) {
        std::snprintf(line, sizeof line, "\"Setting%d\"=dword:%08x\r\n", i, i);
        out << line;
    }
    if (bigBytes > 0) {
        out << "\"Big\"=hex:";
        for (std::size_t i = 0; i < bigBytes; ++i)
            out << (i == 0 ? "" : i % 25 == 0 ? ",\\\r\n  " : ",") << "ab";
        out << "\r\n";
    }
}

void Measure(const char* label, const std::string& path, int iterations) {
    int nLoaded = 0;
    double load = MedianMilliseconds(iterations, [&] {
        qv::posix::RegistryFile backend(path);  // nothing cached
        qv::IRegistry* previous = qv::InstallRegistry(&backend);
        CSettingsStore store;
        store.Load(kKey, HKEY_CURRENT_USER);
        nLoaded = store.GetValueCount();
        qv::InstallRegistry(previous);
    });
    double read = MedianMilliseconds(iterations, [&] {
        std::ifstream in(path, std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    });
    std::printf("%-34s %7d values loaded, %9ju bytes: load %8.1f ms, plain read %6.1f ms\n", label,
                nLoaded, static_cast<std::uintmax_t>(std::filesystem::file_size(path)), load, read);
}

}  // namespace

int main(int argc, char** argv) {
    int iterations = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    std::string dir = std::filesystem::temp_directory_path().string() + "/quavel-bench-XXXXXX";
    if (!::mkdtemp(dir.data())) return 1;
    std::string many = dir + "/many.reg", big = dir + "/big.reg";
    WriteFile(many, 100000, 0);
    WriteFile(big, 10000, 16u << 20);
    std::printf("median of %d runs\n", iterations);
    Measure("100,000 values", many, iterations);
    Measure("10,000 values and one of 16 MB", big, iterations);
    std::filesystem::remove_all(dir);
    return 0;
}
