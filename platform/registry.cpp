#include "platform/registry.h"

namespace qv {
namespace {
IRegistry* g_registry = nullptr;
}

IRegistry* InstallRegistry(IRegistry* backend) {
    IRegistry* previous = g_registry;
    g_registry = backend;
    return previous;
}

std::int32_t RegCreateKeyExA(HKEY hKey, const char* lpSubKey, std::uint32_t Reserved,
                             char* lpClass, std::uint32_t dwOptions, REGSAM samDesired,
                             LPSECURITY_ATTRIBUTES lpSecurityAttributes, PHKEY phkResult,
                             std::uint32_t* lpdwDisposition) {
    if (!g_registry) return ERROR_CALL_NOT_IMPLEMENTED;
    return g_registry->CreateKeyEx(hKey, lpSubKey, Reserved, lpClass, dwOptions, samDesired,
                                   lpSecurityAttributes, phkResult, lpdwDisposition);
}

std::int32_t RegOpenKeyExA(HKEY hKey, const char* lpSubKey, std::uint32_t ulOptions,
                           REGSAM samDesired, PHKEY phkResult) {
    if (!g_registry) return ERROR_CALL_NOT_IMPLEMENTED;
    return g_registry->OpenKeyEx(hKey, lpSubKey, ulOptions, samDesired, phkResult);
}

std::int32_t RegQueryInfoKeyA(HKEY hKey, char* lpClass, std::uint32_t* lpcchClass,
                              std::uint32_t* lpReserved, std::uint32_t* lpcSubKeys,
                              std::uint32_t* lpcbMaxSubKeyLen, std::uint32_t* lpcbMaxClassLen,
                              std::uint32_t* lpcValues, std::uint32_t* lpcbMaxValueNameLen,
                              std::uint32_t* lpcbMaxValueLen,
                              std::uint32_t* lpcbSecurityDescriptor,
                              FILETIME* lpftLastWriteTime) {
    if (!g_registry) return ERROR_CALL_NOT_IMPLEMENTED;
    return g_registry->QueryInfoKey(hKey, lpClass, lpcchClass, lpReserved, lpcSubKeys,
                                    lpcbMaxSubKeyLen, lpcbMaxClassLen, lpcValues,
                                    lpcbMaxValueNameLen, lpcbMaxValueLen, lpcbSecurityDescriptor,
                                    lpftLastWriteTime);
}

std::int32_t RegEnumValueA(HKEY hKey, std::uint32_t dwIndex, char* lpValueName,
                           std::uint32_t* lpcchValueName, std::uint32_t* lpReserved,
                           std::uint32_t* lpType, std::uint8_t* lpData, std::uint32_t* lpcbData) {
    if (!g_registry) return ERROR_CALL_NOT_IMPLEMENTED;
    return g_registry->EnumValue(hKey, dwIndex, lpValueName, lpcchValueName, lpReserved, lpType,
                                 lpData, lpcbData);
}

std::int32_t RegEnumKeyExA(HKEY hKey, std::uint32_t dwIndex, char* lpName,
                           std::uint32_t* lpcchName, std::uint32_t* lpReserved, char* lpClass,
                           std::uint32_t* lpcchClass, FILETIME* lpftLastWriteTime) {
    if (!g_registry) return ERROR_CALL_NOT_IMPLEMENTED;
    return g_registry->EnumKeyEx(hKey, dwIndex, lpName, lpcchName, lpReserved, lpClass,
                                 lpcchClass, lpftLastWriteTime);
}

std::int32_t RegSetValueExA(HKEY hKey, const char* lpValueName, std::uint32_t Reserved,
                            std::uint32_t dwType, const std::uint8_t* lpData,
                            std::uint32_t cbData) {
    if (!g_registry) return ERROR_CALL_NOT_IMPLEMENTED;
    return g_registry->SetValueEx(hKey, lpValueName, Reserved, dwType, lpData, cbData);
}

std::int32_t RegCloseKey(HKEY hKey) {
    if (!g_registry) return ERROR_CALL_NOT_IMPLEMENTED;
    return g_registry->CloseKey(hKey);
}

}  // namespace qv
