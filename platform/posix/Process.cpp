#include "platform/posix/Process.h"

#include <pthread.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

extern char** environ;

namespace qv {
namespace {

// The reaper only calls waitpid; a small stack keeps many long-running children cheap.
constexpr std::size_t kReaperStack = 128 * 1024;

// Children whose reaper thread could not be started; they are collected on later starts.
std::mutex g_orphansLock;
std::vector<pid_t> g_orphans;

void* ReapOne(void* arg) {
    auto pid = static_cast<pid_t>(reinterpret_cast<std::intptr_t>(arg));
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return nullptr;
}

void CollectOrphans() {
    std::lock_guard<std::mutex> lock(g_orphansLock);
    std::erase_if(g_orphans, [](pid_t pid) {
        int status = 0;
        return ::waitpid(pid, &status, WNOHANG) != 0;
    });
}

void StartReaper(pid_t pid) {
    pthread_attr_t attr;
    bool started = false;
    if (::pthread_attr_init(&attr) == 0) {
        ::pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
        ::pthread_attr_setstacksize(&attr, kReaperStack);
        pthread_t thread;
        started = ::pthread_create(&thread, &attr, ReapOne,
                                   reinterpret_cast<void*>(static_cast<std::intptr_t>(pid))) == 0;
        ::pthread_attr_destroy(&attr);
    }
    if (!started) {
        std::lock_guard<std::mutex> lock(g_orphansLock);
        g_orphans.push_back(pid);
    }
}

// Runs of blanks separate the pieces; there is no quoting, so a path with blanks arrives in pieces.
std::vector<std::string> SplitAtBlanks(std::string_view text) {
    std::vector<std::string> pieces;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t start = text.find_first_not_of(' ', pos);
        if (start == std::string_view::npos) break;
        std::size_t end = text.find(' ', start);
        if (end == std::string_view::npos) end = text.size();
        pieces.emplace_back(text.substr(start, end - start));
        pos = end;
    }
    return pieces;
}

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

std::int32_t PosixProcess::Start(const char* pszCommandLine, std::uint16_t /*wShowWindow*/) {
    CollectOrphans();
    std::vector<std::string> pieces = SplitAtBlanks(pszCommandLine);
    if (pieces.empty()) return 0;
    std::vector<char*> argv;
    for (std::string& piece : pieces) argv.push_back(piece.data());
    argv.push_back(nullptr);

    SpawnActions actions;
    SpawnAttr attr;
    if (!PrepareChild(actions, attr)) return 0;
    pid_t pid = 0;
    if (::posix_spawnp(&pid, argv[0], actions.Get(), attr.Get(), argv.data(), environ) != 0)
        return 0;
    StartReaper(pid);
    return 1;
}

}  // namespace qv
