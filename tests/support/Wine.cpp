#ifdef _WIN32
#include <windows.h>
#endif

#include <cstdlib>

#include "tests/support/Wine.h"

namespace qvtest {

bool UnderWine() {
#ifdef _WIN32
    HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
    return false;
#endif
}

bool SkipWineDifference() {
    return UnderWine() && !std::getenv("QV_WINE_DIFFERENCES");
}

void DeleteSystemRegistryKey([[maybe_unused]] const char* path) {
#ifdef _WIN32
    ::RegDeleteTreeA(HKEY_CURRENT_USER, path);
    ::RegDeleteKeyA(HKEY_CURRENT_USER, path);
#endif
}

}  // namespace qvtest
