// What the About box costs: reading the running program's version resource with CVersionInfo and
// formatting its three lines; and what starting a command costs (spawn plus reaper thread).
//   build/bench/version_info [iterations]
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "companion/VersionInfo.h"
#include "platform/posix/Process.h"
#include "platform/posix/Version.h"

namespace {

template <typename Body>
double MicrosecondsPerCall(int iterations, Body body) {
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < iterations; ++i) body();
    std::chrono::duration<double, std::micro> elapsed = std::chrono::steady_clock::now() - start;
    return elapsed.count() / iterations;
}

}  // namespace

int main(int argc, char** argv) {
    int iterations = argc > 1 ? std::atoi(argv[1]) : 2000;
    if (iterations < 1) iterations = 1;
    qv::PosixVersion version;
    qv::PosixProcess process;
    qv::InstallVersion(&version);
    qv::InstallProcess(&process);

    std::size_t total = 0;
    double about = MicrosecondsPerCall(iterations, [&] {
        CVersionInfo info;
        CString name;
        CString notice;
        info.QueryString("ProductName", name);
        info.QueryString("LegalCopyright", notice);
        total += name.GetLength() + notice.GetLength() +
                 info.FormatProductVersion(1, 2, 0, 0).GetLength();
    });
    int spawns = iterations / 10 > 0 ? iterations / 10 : 1;
    double spawn =
        MicrosecondsPerCall(spawns, [&] { total += qv::StartProcess("true", nullptr, SW_SHOWNA); });
    std::printf("About box values from the own program file: %.1f us per load (%d loads)\n", about,
                iterations);
    std::printf("Starting a command (\"true\"):               %.1f us per start (%d starts)\n",
                spawn, spawns);
    return total > 0 ? 0 : 1;
}
