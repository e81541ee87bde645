// <windows.h> first, so that the seam headers leave its names alone.
// clang-format off
#include <windows.h>
// clang-format on

#include "platform/win32/Win32Process.h"

#include <string>
#include <vector>

namespace qv::win32 {

std::int32_t Win32Process::Start(const char* pszCommandLine, const char* pszArgument,
                                 std::uint16_t wShowWindow) {
    if (!pszCommandLine) return 0;
    // CreateProcessA takes the program's name from the very first character, so blanks the user
    // typed before it would make it find no program where the other systems find one.
    std::string text = pszCommandLine;
    text.erase(0, text.find_first_not_of(' '));
    if (text.empty()) return 0;
    if (pszArgument) text += " " + QuoteArgument(pszArgument);
    // CreateProcessA may write into the command line, so it gets a copy of its own.
    std::vector<char> commandLine(text.c_str(), text.c_str() + text.size() + 1);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = wShowWindow;
    PROCESS_INFORMATION started{};
    if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE,
                          NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup, &started))
        return 0;
    ::CloseHandle(started.hThread);
    ::CloseHandle(started.hProcess);
    return 1;
}

}  // namespace qv::win32
