// <windows.h> first, so that the seam headers leave its names alone.
// clang-format off
#include <windows.h>
// clang-format on

#include "platform/win32/Win32Registry.h"

namespace qv::win32 {
namespace {

// The seam writes the predefined roots as 32-bit values; in a 64-bit process the system's own
// are those values sign-extended.
::HKEY ToSystem(HKEY key) {
    const auto value = reinterpret_cast<std::uintptr_t>(key);
    if ((value & 0xFFFFFFF0u) == 0x80000000u && (value >> 31) <= 1)
        return reinterpret_cast<::HKEY>(
            static_cast<std::intptr_t>(static_cast<std::int32_t>(value & 0xFFFFFFFFu)));
    return reinterpret_cast<::HKEY>(key);
}

// DWORD is unsigned long here; the seam's counts are the same 32 bits.
DWORD* Dw(std::uint32_t* p) {
    static_assert(sizeof(DWORD) == sizeof(std::uint32_t));
    return reinterpret_cast<DWORD*>(p);
}

}  // namespace

std::int32_t Win32Registry::CreateKeyEx(HKEY hKey, const char* lpSubKey, std::uint32_t Reserved,
                                        char* lpClass, std::uint32_t dwOptions, REGSAM samDesired,
                                        LPSECURITY_ATTRIBUTES lpSecurityAttributes, PHKEY phkResult,
                                        std::uint32_t* lpdwDisposition) {
    return ::RegCreateKeyExA(ToSystem(hKey), lpSubKey, Reserved, lpClass, dwOptions, samDesired,
                             reinterpret_cast<::LPSECURITY_ATTRIBUTES>(lpSecurityAttributes),
                             reinterpret_cast<::PHKEY>(phkResult), Dw(lpdwDisposition));
}

std::int32_t Win32Registry::OpenKeyEx(HKEY hKey, const char* lpSubKey, std::uint32_t ulOptions,
                                      REGSAM samDesired, PHKEY phkResult) {
    return ::RegOpenKeyExA(ToSystem(hKey), lpSubKey, ulOptions, samDesired,
                           reinterpret_cast<::PHKEY>(phkResult));
}

std::int32_t Win32Registry::QueryInfoKey(
    HKEY hKey, char* lpClass, std::uint32_t* lpcchClass, std::uint32_t* lpReserved,
    std::uint32_t* lpcSubKeys, std::uint32_t* lpcbMaxSubKeyLen, std::uint32_t* lpcbMaxClassLen,
    std::uint32_t* lpcValues, std::uint32_t* lpcbMaxValueNameLen, std::uint32_t* lpcbMaxValueLen,
    std::uint32_t* lpcbSecurityDescriptor, FILETIME* lpftLastWriteTime) {
    return ::RegQueryInfoKeyA(ToSystem(hKey), lpClass, Dw(lpcchClass), Dw(lpReserved),
                              Dw(lpcSubKeys), Dw(lpcbMaxSubKeyLen), Dw(lpcbMaxClassLen),
                              Dw(lpcValues), Dw(lpcbMaxValueNameLen), Dw(lpcbMaxValueLen),
                              Dw(lpcbSecurityDescriptor),
                              reinterpret_cast<::FILETIME*>(lpftLastWriteTime));
}

std::int32_t Win32Registry::EnumValue(HKEY hKey, std::uint32_t dwIndex, char* lpValueName,
                                      std::uint32_t* lpcchValueName, std::uint32_t* lpReserved,
                                      std::uint32_t* lpType, std::uint8_t* lpData,
                                      std::uint32_t* lpcbData) {
    return ::RegEnumValueA(ToSystem(hKey), dwIndex, lpValueName, Dw(lpcchValueName), Dw(lpReserved),
                           Dw(lpType), lpData, Dw(lpcbData));
}

std::int32_t Win32Registry::EnumKeyEx(HKEY hKey, std::uint32_t dwIndex, char* lpName,
                                      std::uint32_t* lpcchName, std::uint32_t* lpReserved,
                                      char* lpClass, std::uint32_t* lpcchClass,
                                      FILETIME* lpftLastWriteTime) {
    return ::RegEnumKeyExA(ToSystem(hKey), dwIndex, lpName, Dw(lpcchName), Dw(lpReserved), lpClass,
                           Dw(lpcchClass), reinterpret_cast<::FILETIME*>(lpftLastWriteTime));
}

std::int32_t Win32Registry::SetValueEx(HKEY hKey, const char* lpValueName, std::uint32_t Reserved,
                                       std::uint32_t dwType, const std::uint8_t* lpData,
                                       std::uint32_t cbData) {
    return ::RegSetValueExA(ToSystem(hKey), lpValueName, Reserved, dwType, lpData, cbData);
}

std::int32_t Win32Registry::CloseKey(HKEY hKey) {
    return ::RegCloseKey(ToSystem(hKey));
}

}  // namespace qv::win32
