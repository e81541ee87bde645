// Loading and saving a settings key of 1,000 values through the file registry, against reading
// and writing the same number of bytes with plain file calls.
//
//     build/bench/registry_save [iterations]
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/posix/RegistryFile.h"
#include "settings/SettingsStore.h"

namespace {

constexpr int kValues = 1000;
constexpr const char* kKey = "Software\\Velmora\\Quavel32";

double MedianMicroseconds(int iterations, const std::function<void()>& run) {
    std::vector<double> times;
    for (int i = 0; i < iterations; ++i) {
        auto start = std::chrono::steady_clock::now();
        run();
        auto end = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void FillStore(CSettingsStore& store, int generation) {
    for (int i = 0; i < kValues; ++i) {
        std::string name = "Setting" + std::to_string(i);
        if (i % 2)
            store.Value(name.c_str()).SetDword(static_cast<DWORD>(i + generation));
        else
            store.Value(name.c_str()).SetString(
                ("/usr/bin/editor --option " + std::to_string(i + generation)).c_str());
    }
}

void PlainRead(const std::string& path, std::string& buffer) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ssize_t n = ::read(fd, buffer.data(), buffer.size());
    ::close(fd);
    if (n != static_cast<ssize_t>(buffer.size())) std::fprintf(stderr, "short read\n");
}

void PlainWrite(const std::string& path, const std::string& bytes, bool durable) {
    std::string temp = path + ".tmp";
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
        std::fprintf(stderr, "short write\n");
    if (durable) ::fsync(fd);
    ::close(fd);
    ::rename(temp.c_str(), path.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    int iterations = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
    std::string dir = std::filesystem::temp_directory_path().string() + "/quavel-bench-XXXXXX";
    if (!::mkdtemp(dir.data())) return 1;
    std::string path = dir + "/registry.reg";

    auto backend = std::make_unique<qv::posix::RegistryFile>(path);
    qv::InstallRegistry(backend.get());
    CSettingsStore store;
    store.Load(kKey, HKEY_CURRENT_USER);
    FillStore(store, 0);
    store.Save(nullptr, nullptr);
    std::size_t bytes = std::filesystem::file_size(path);

    int generation = 0;
    double save = MedianMicroseconds(iterations, [&] {
        store.Value("Setting1").SetDword(static_cast<DWORD>(++generation));
        store.Save(nullptr, nullptr);
    });
    double load = MedianMicroseconds(iterations, [&] {
        backend = std::make_unique<qv::posix::RegistryFile>(path);  // nothing cached
        qv::InstallRegistry(backend.get());
        CSettingsStore fresh;
        fresh.Load(kKey, HKEY_CURRENT_USER);
    });
    qv::InstallRegistry(nullptr);
    backend.reset();

    std::string plainPath = dir + "/plain.bin";
    std::string content(bytes, 'x');
    PlainWrite(plainPath, content, true);
    double read = MedianMicroseconds(iterations, [&] { PlainRead(plainPath, content); });
    double writeDurable = MedianMicroseconds(iterations, [&] { PlainWrite(plainPath, content, true); });
    double writeCached = MedianMicroseconds(iterations, [&] { PlainWrite(plainPath, content, false); });

    std::printf("settings key: %d values, %zu bytes of file, median of %d runs\n", kValues, bytes,
                iterations);
    std::printf("load: %8.0f us   plain read:                 %8.0f us   ratio %.1f\n", load, read,
                load / read);
    std::printf("save: %8.0f us   plain write+fsync+rename:   %8.0f us   ratio %.1f\n", save,
                writeDurable, save / writeDurable);
    std::printf("                 plain write+rename (no fsync): %6.0f us   ratio %.1f\n",
                writeCached, save / writeCached);
    std::filesystem::remove_all(dir);
    return 0;
}
