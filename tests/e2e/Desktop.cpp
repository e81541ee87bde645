#include "tests/e2e/Desktop.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <sstream>
#include <thread>

#include "tests/support/FilesTempDir.h"

extern char** environ;

namespace e2e {
namespace {

constexpr milliseconds kStopGrace(3000);

// Everything the child needs, made before fork: between fork and exec only async-signal-safe
// calls are allowed.
struct ExecImage {
    std::vector<std::string> argStore, envStore;
    std::vector<char*> argv, envp;

    explicit ExecImage(const Launch& launch) : argStore(launch.argv) {
        for (const auto& [name, value] : launch.env) envStore.push_back(name + "=" + value);
        for (std::string& a : argStore) argv.push_back(a.data());
        argv.push_back(nullptr);
        for (std::string& e : envStore) envp.push_back(e.data());
        envp.push_back(nullptr);
    }
};

void RedirectOrNull(const std::string& path, int fd) {
    int target = path.empty() ? ::open("/dev/null", O_WRONLY)
                              : ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (target >= 0 && target != fd) {
        ::dup2(target, fd);
        ::close(target);
    }
}

[[noreturn]] void BecomeChild(const Launch& launch, const ExecImage& image, pid_t parent) {
    // Dies with the test process, whatever ends it.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent) ::_exit(127);
    ::setpgid(0, 0);
    int devNull = ::open("/dev/null", O_RDONLY);
    if (devNull >= 0) ::dup2(devNull, 0);
    RedirectOrNull(launch.stdoutPath, 1);
    RedirectOrNull(launch.stderrPath, 2);
    if (launch.keepFd >= 0) ::fcntl(launch.keepFd, F_SETFD, 0);
    if (!launch.workDir.empty() && ::chdir(launch.workDir.c_str()) != 0) ::_exit(127);
    ::execvpe(image.argv[0], image.argv.data(), image.envp.data());
    ::_exit(127);
}

}  // namespace

Environment CurrentEnvironment() {
    Environment env;
    for (char** e = environ; e && *e; ++e) {
        std::string entry(*e);
        std::size_t eq = entry.find('=');
        if (eq != std::string::npos) env[entry.substr(0, eq)] = entry.substr(eq + 1);
    }
    return env;
}

bool ChildProcess::Start(const Launch& launch) {
    if (m_pid > 0 || launch.argv.empty()) return false;
    const ExecImage image(launch);
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid == 0) BecomeChild(launch, image, parent);
    if (pid < 0) return false;
    m_pid = pid;
    m_status.reset();
    return true;
}

bool ChildProcess::Running() {
    if (m_pid <= 0 || m_status) return false;
    int status = 0;
    if (::waitpid(m_pid, &status, WNOHANG) == m_pid) m_status = status;
    return !m_status;
}

bool ChildProcess::WaitExit(milliseconds timeout, int* pStatus) {
    bool ended = WaitUntil([this] { return !Running(); }, timeout, milliseconds(10));
    if (ended && pStatus && m_status) *pStatus = *m_status;
    return ended && m_status.has_value();
}

void ChildProcess::Stop() {
    if (m_pid <= 0) return;
    if (Running()) {
        ::kill(m_pid, SIGTERM);
        if (!WaitExit(kStopGrace, nullptr)) {
            ::kill(m_pid, SIGKILL);
            int status = 0;
            ::waitpid(m_pid, &status, 0);
        }
    }
    m_pid = -1;
}

// The output goes to a file read once the command has ended: the tools print a line or two.
ToolResult RunTool(const std::vector<std::string>& argv, const Environment& env,
                   milliseconds timeout) {
    ToolResult result;
    const qvtest::TempDir dir;
    ChildProcess child;
    int status = 0;
    if (child.Start({argv, env, {}, dir / "out", {}, -1}) && child.WaitExit(timeout, &status) &&
        WIFEXITED(status)) {
        result.exitCode = WEXITSTATUS(status);
        result.out = qvtest::ReadAll(dir / "out");
    }
    return result;
}

bool WaitUntil(const std::function<bool()>& condition, milliseconds timeout, milliseconds every) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        if (condition()) return true;
        if (Clock::now() >= deadline) return condition();
        std::this_thread::sleep_for(every);
    }
}

bool VirtualDisplay::Start(std::string& failure) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        failure = "cannot make a pipe";
        return false;
    }
    // The server picks a free display number itself and writes it, in one line, to the
    // descriptor. The line is read up to its end: a client started on the number alone sometimes
    // could not connect yet.
    Launch xvfb;
    xvfb.argv = {"Xvfb",      "-displayfd", std::to_string(fds[1]),
                 "-screen",   "0",          "1280x1024x24",
                 "-nolisten", "tcp",        "-noreset"};
    xvfb.env = CurrentEnvironment();
    xvfb.keepFd = fds[1];
    const bool started = m_server.Start(xvfb);
    ::close(fds[1]);
    std::string number;
    const auto deadline = Clock::now() + milliseconds(15000);
    for (char c = 0; started && Clock::now() < deadline;) {
        pollfd p{fds[0], POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0) {
            if (!m_server.Running()) break;
            continue;
        }
        if (::read(fds[0], &c, 1) != 1 || c == '\n') break;
        number += c;
    }
    ::close(fds[0]);
    if (!number.empty()) m_name = ":" + number;
    if (m_name.empty()) {
        failure = started && m_server.Running() ? "Xvfb did not say which display it serves"
                                                : "cannot start Xvfb (is it installed?)";
        m_server.Stop();
        return false;
    }
    return true;
}

Environment VirtualDisplay::Env() const {
    Environment env = CurrentEnvironment();
    env.erase("WAYLAND_DISPLAY");
    env.erase("XAUTHORITY");
    env["DISPLAY"] = m_name;
    env["QT_QPA_PLATFORM"] = "xcb";
    return env;
}

bool VirtualDisplay::Xdotool(const std::vector<std::string>& args, std::string* pOut) const {
    std::vector<std::string> argv{"xdotool"};
    argv.insert(argv.end(), args.begin(), args.end());
    ToolResult result = RunTool(argv, Env());
    if (pOut) *pOut = result.out;
    return result.exitCode == 0;
}

std::vector<std::string> VirtualDisplay::VisibleWindows(const std::string& titlePattern) const {
    std::string out;
    Xdotool({"search", "--onlyvisible", "--name", titlePattern}, &out);
    std::vector<std::string> windows;
    std::istringstream lines(out);
    for (std::string id; lines >> id;) windows.push_back(id);
    return windows;
}

bool VirtualDisplay::GetGeometry(const std::string& window, Geometry& geometry) const {
    std::string out;
    return Xdotool({"getwindowgeometry", "--shell", window}, &out) &&
           std::sscanf(out.c_str(), "WINDOW=%*d X=%d Y=%d WIDTH=%d HEIGHT=%d", &geometry.x,
                       &geometry.y, &geometry.width, &geometry.height) == 4;
}

bool VirtualDisplay::PressKeys(const std::string& window,
                               const std::vector<std::string>& keys) const {
    if (!Xdotool({"windowfocus", "--sync", window})) return false;
    std::vector<std::string> args{"key", "--delay", "50"};
    args.insert(args.end(), keys.begin(), keys.end());
    return Xdotool(args);
}

bool VirtualDisplay::ClickAt(int x, int y) const {
    return Xdotool({"mousemove", "--sync", std::to_string(x), std::to_string(y), "click", "1"});
}

}  // namespace e2e
