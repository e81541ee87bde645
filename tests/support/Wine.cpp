#ifdef _WIN32
#include <windows.h>
#endif

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

void DeleteSystemRegistryKey([[maybe_unused]] const char* path) {
#ifdef _WIN32
    ::RegDeleteTreeA(HKEY_CURRENT_USER, path);
    ::RegDeleteKeyA(HKEY_CURRENT_USER, path);
#endif
}

void OverrideCurrentUser([[maybe_unused]] const char* path) {
#ifdef _WIN32
    static HKEY root = nullptr;
    ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    if (root) ::RegCloseKey(root);
    root = nullptr;
    if (path && ::RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  &root, nullptr) == ERROR_SUCCESS)
        ::RegOverridePredefKey(HKEY_CURRENT_USER, root);
#endif
}

}  // namespace qvtest
