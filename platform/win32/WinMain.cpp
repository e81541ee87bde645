// quavel.exe's entry point: hands the module and the arguments to RunQuavel, which lives in a file
// of its own because the program's headers and <windows.h> name the same types.

// <windows.h> first, so that the seam headers leave its names alone.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <string>
#include <vector>

#include "platform/win32/Win32Text.h"

int RunQuavel(void* instance, const std::vector<std::string>& arguments);

namespace {

// The arguments as the shell splits them (a quoted path with blanks stays one), in UTF-8.
std::vector<std::string> Arguments() {
    std::vector<std::string> pieces;
    int count = 0;
    LPWSTR* argv = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!argv) return pieces;
    for (int i = 1; i < count; ++i) pieces.push_back(qv::win32::FromDisplay(argv[i]));
    ::LocalFree(argv);
    return pieces;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return RunQuavel(instance, Arguments());
}
