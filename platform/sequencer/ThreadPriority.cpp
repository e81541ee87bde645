#include "platform/sequencer/ThreadPriority.h"

#if defined(__linux__)
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#endif

namespace qv::seq {

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
    return ::pthread_setschedparam(::pthread_self(), SCHED_FIFO | SCHED_RESET_ON_FORK, &param) == 0;
}

#else

bool AskForRealTimePriority() {
    return false;
}

#endif

}  // namespace qv::seq
