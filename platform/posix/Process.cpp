#include "platform/posix/Process.h"

#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace qv {
namespace {

// How often the reaper looks for children that have ended: a zombie lingers at most this long.
constexpr auto kReapInterval = std::chrono::milliseconds(200);

// The children started and not yet reaped, and the one thread that reaps them. Never destroyed,
// so that the thread may outlive the static objects at the program's exit.
class Reaper {
public:
    static Reaper& Get() {
        static Reaper* pReaper = new Reaper;
        return *pReaper;
    }

    void Add(pid_t pid) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_children.push_back(pid);
        if (!m_bRunning) {
            // A thread that cannot start leaves the child for the next start to collect.
            m_bRunning = StartThread();
            if (!m_bRunning) ReapEnded();
        }
    }

private:
    bool StartThread() {
        pthread_attr_t attr;
        if (::pthread_attr_init(&attr) != 0) return false;
        ::pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
        ::pthread_attr_setstacksize(&attr, kReaperStack);
        pthread_t thread;
        bool started = ::pthread_create(&thread, &attr, Run, this) == 0;
        ::pthread_attr_destroy(&attr);
        return started;
    }

    static void* Run(void* pThis) {
        static_cast<Reaper*>(pThis)->Loop();
        return nullptr;
    }

    void Loop() {
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            ReapEnded();
            if (m_children.empty()) break;
            lock.unlock();
            std::this_thread::sleep_for(kReapInterval);
            lock.lock();
        }
        m_bRunning = false;
    }

    // Only the ids started here are waited for. Called under the mutex.
    void ReapEnded() {
        std::erase_if(m_children, [](pid_t pid) {
            int status = 0;
            pid_t result;
            while ((result = ::waitpid(pid, &status, WNOHANG)) < 0 && errno == EINTR) {
            }
            return result != 0;
        });
    }

    // The reaper only calls waitpid; a small stack keeps it cheap.
    static constexpr std::size_t kReaperStack = 128 * 1024;

    std::mutex m_mutex;
    std::vector<pid_t> m_children;
    bool m_bRunning = false;
};

// Owners of the spawn attribute objects.
class SpawnActions {
public:
    SpawnActions() { m_ok = ::posix_spawn_file_actions_init(&m_actions) == 0; }
    ~SpawnActions() {
        if (m_ok) ::posix_spawn_file_actions_destroy(&m_actions);
    }
    SpawnActions(const SpawnActions&) = delete;
    SpawnActions& operator=(const SpawnActions&) = delete;
    bool Ok() const { return m_ok; }
    posix_spawn_file_actions_t* Get() { return &m_actions; }

private:
    posix_spawn_file_actions_t m_actions;
    bool m_ok;
};

class SpawnAttr {
public:
    SpawnAttr() { m_ok = ::posix_spawnattr_init(&m_attr) == 0; }
    ~SpawnAttr() {
        if (m_ok) ::posix_spawnattr_destroy(&m_attr);
    }
    SpawnAttr(const SpawnAttr&) = delete;
    SpawnAttr& operator=(const SpawnAttr&) = delete;
    bool Ok() const { return m_ok; }
    posix_spawnattr_t* Get() { return &m_attr; }

private:
    posix_spawnattr_t m_attr;
    bool m_ok;
};

// The child must not inherit the player's descriptors (beyond the standard three), its blocked
// signals or ignored dispositions, and it gets a process group of its own so that a terminal's
// interrupt aimed at the player does not end it too.
bool PrepareChild(SpawnActions& actions, SpawnAttr& attr) {
    if (!actions.Ok() || !attr.Ok()) return false;
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
    if (::posix_spawn_file_actions_addclosefrom_np(actions.Get(), 3) != 0) return false;
#endif
    sigset_t none;
    sigset_t all;
    sigemptyset(&none);
    sigfillset(&all);
    sigdelset(&all, SIGKILL);
    sigdelset(&all, SIGSTOP);
    short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP;
    return ::posix_spawnattr_setsigmask(attr.Get(), &none) == 0 &&
           ::posix_spawnattr_setsigdefault(attr.Get(), &all) == 0 &&
           ::posix_spawnattr_setpgroup(attr.Get(), 0) == 0 &&
           ::posix_spawnattr_setflags(attr.Get(), flags) == 0;
}

}  // namespace

std::int32_t PosixProcess::Start(const char* pszCommandLine, const char* pszArgument,
                                 std::uint16_t /*wShowWindow*/) {
    std::vector<std::string> pieces = SplitCommandLine(pszCommandLine ? pszCommandLine : "");
    if (pieces.empty()) return 0;
    if (pszArgument) pieces.emplace_back(pszArgument);
    std::vector<char*> argv;
    for (std::string& piece : pieces) argv.push_back(piece.data());
    argv.push_back(nullptr);

    SpawnActions actions;
    SpawnAttr attr;
    if (!PrepareChild(actions, attr)) return 0;
    pid_t pid = 0;
    if (::posix_spawnp(&pid, argv[0], actions.Get(), attr.Get(), argv.data(), environ) != 0)
        return 0;
    Reaper::Get().Add(pid);
    return 1;
}

}  // namespace qv
