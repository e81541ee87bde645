#pragma once
// Starting another program from a command line, without waiting for it. The player hands the
// command line over and only learns whether the program could be started.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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
    // arguments, then pszArgument (when not null) as one argument more, whole whatever it holds,
    // in the caller's environment and current directory. Non-zero when it started.
    virtual std::int32_t Start(const char* pszCommandLine, const char* pszArgument,
                               std::uint16_t wShowWindow) = 0;
};

// Installs the backend and answers the previous one (not owned).
IProcess* InstallProcess(IProcess* backend);

// Starts a command line without waiting for it, with pszArgument (when not null) as its last
// argument, passed whole: a path with blanks or a leading dash must not turn into other
// arguments. Non-zero when the program started, 0 when it could not be (no such program, not
// executable, empty command, no backend installed).
std::int32_t StartProcess(const char* pszCommandLine, const char* pszArgument,
                          std::uint16_t wShowWindow);

// The pieces of a command line the user typed: runs of blanks separate them, and there is no
// quoting, as the stored commands expect.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// An argument written so that a system whose programs get one command-line text parses it back
// as the one argument it is, by the C run-time library's rules: in double quotes, each quote
// preceded by a backslash, and the backslashes before a quote or the closing quote doubled.
std::string QuoteArgument(const char* pszArgument);

}  // namespace qv
