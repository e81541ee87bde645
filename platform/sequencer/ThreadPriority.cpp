#include "platform/sequencer/ThreadPriority.h"

#include <atomic>

#if defined(__linux__)
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace qv::seq {

namespace {

std::atomic<RealTimeService> g_service{nullptr};
std::atomic<bool> g_serviceRefused{false};

}  // namespace

void SetRealTimeService(RealTimeService service) {
    g_service = service;
    g_serviceRefused = false;
}

#if defined(__linux__)

namespace {

// Low among real-time threads: the sound server's own threads, which must never starve, ask for
// more. Above every ordinary thread all the same.
constexpr int kWantedPriority = 10;

}  // namespace

bool AskForRealTimePriority() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_RTPRIO, &limit) != 0) return false;
    // A limit of 0 refuses ordinary users; a privileged process may ask regardless.
    int priority = kWantedPriority;
    if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < static_cast<rlim_t>(priority)) {
        priority = static_cast<int>(limit.rlim_cur);
    }
    if (priority < 1) priority = 1;
    sched_param param{};
    param.sched_priority = priority;
    if (::pthread_setschedparam(::pthread_self(), SCHED_FIFO | SCHED_RESET_ON_FORK, &param) == 0)
        return true;
    const RealTimeService service = g_service;
    if (!service || g_serviceRefused) return false;
    if (service(static_cast<long>(::gettid()), kWantedPriority)) return true;
    g_serviceRefused = true;
    return false;
}

#else

bool AskForRealTimePriority() {
    return false;
}

#endif

}  // namespace qv::seq
