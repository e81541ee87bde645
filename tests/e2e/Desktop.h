#pragma once
// What the end-to-end tests need of a desktop: child processes that never outlive the test, a
// private X server, and the user's hands (xdotool's key presses and clicks, which go through the
// X server as real input events).
#include <sys/types.h>

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Environment variables by name.
using Environment = std::map<std::string, std::string>;
// This process's environment, to change for a child.
Environment CurrentEnvironment();

struct Launch {
    std::vector<std::string> argv;  // argv[0] is found on PATH when it has no slash
    Environment env;
    std::string workDir;     // empty: this process's
    std::string stdoutPath;  // empty: /dev/null
    std::string stderrPath;  // empty: /dev/null
    int keepFd = -1;         // a descriptor the child inherits under the same number
};

// A started program, stopped (TERM, then KILL) and reaped when the object goes, and killed by the
// kernel if the test process dies first, so a failed or aborted test leaves nothing running.
class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess() { Stop(); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Start(const Launch& launch);
    pid_t Pid() const { return m_pid; }
    bool Running();
    // True with the wait status once the child has ended within the time.
    bool WaitExit(milliseconds timeout, int* pStatus);
    void Stop();

private:
    pid_t m_pid = -1;
    std::optional<int> m_status;
};

struct ToolResult {
    int exitCode = -1;  // -1 too when it ran out of time and was killed
    std::string out;
};

// Runs a command to its end (or its time limit) and collects its standard output.
ToolResult RunTool(const std::vector<std::string>& argv, const Environment& env,
                   milliseconds timeout = milliseconds(10000));

// Polls until the condition holds or the time is up; answers the condition's last value.
bool WaitUntil(const std::function<bool()>& condition, milliseconds timeout,
               milliseconds every = milliseconds(50));

struct Geometry {
    int x = 0, y = 0, width = 0, height = 0;
};

// A private X server on a free display (Xvfb), stopped with the object.
class VirtualDisplay {
public:
    // Answers false, and why in `failure`, when the server cannot be started.
    bool Start(std::string& failure);
    // This process's environment with DISPLAY set to this server and no other display.
    Environment Env() const;

    // Visible top-level windows whose title matches the extended regular expression.
    std::vector<std::string> VisibleWindows(const std::string& titlePattern) const;
    bool GetGeometry(const std::string& window, Geometry& geometry) const;
    // Gives the window the keyboard, then presses and releases the keys.
    bool PressKeys(const std::string& window, const std::vector<std::string>& keys) const;
    // A left click at a point of the screen.
    bool ClickAt(int x, int y) const;

private:
    bool Xdotool(const std::vector<std::string>& args, std::string* pOut = nullptr) const;

    ChildProcess m_server;
    std::string m_name;
};

}  // namespace e2e
