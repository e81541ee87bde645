#pragma once
// Starting another program from a command line, without waiting for it. The player hands the
// command line over and only learns whether the program could be started.
#include <cstdint>

namespace qv {

// Show requests a starting program may be given; the player asks for "shown, not activated" so
// that it keeps the focus.
#ifndef SW_HIDE
#define SW_HIDE 0
#endif
#ifndef SW_SHOWNORMAL
#define SW_SHOWNORMAL 1
#endif
#ifndef SW_SHOWNA
#define SW_SHOWNA 8
#endif

class IProcess {
public:
    virtual ~IProcess() = default;
    // Starts the program named by the command line's first piece with the remaining pieces as its
    // arguments, in the caller's environment and current directory. Non-zero when it started.
    virtual std::int32_t Start(const char* pszCommandLine, std::uint16_t wShowWindow) = 0;
};

// Installs the backend and answers the previous one (not owned).
IProcess* InstallProcess(IProcess* backend);

// Starts a command line without waiting for it: non-zero when the program started, 0 when it could
// not be (no such program, not executable, empty command, no backend installed).
std::int32_t StartProcess(const char* pszCommandLine, std::uint16_t wShowWindow);

}  // namespace qv
