#pragma once
// getrusage() for the benchmarks built for Windows: the process's user and kernel time from
// GetProcessTimes, which is all they ask of it.
// clang-format off
#include <windows.h>
#include <sys/time.h>
// clang-format on

#define RUSAGE_SELF 0

struct rusage {
    timeval ru_utime;
    timeval ru_stime;
};

inline timeval ToTimeval(const FILETIME& time) {
    const ULONGLONG hundredNs = (ULONGLONG{time.dwHighDateTime} << 32) | time.dwLowDateTime;
    timeval out{};
    out.tv_sec = static_cast<long>(hundredNs / 10000000);
    out.tv_usec = static_cast<long>((hundredNs % 10000000) / 10);
    return out;
}

inline int getrusage(int, rusage* usage) {
    FILETIME created, exited, kernel, user;
    if (!::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user)) return -1;
    usage->ru_utime = ToTimeval(user);
    usage->ru_stime = ToTimeval(kernel);
    return 0;
}
