#pragma once
#include "platform/registry.h"

namespace qv::win32 {

// The registry seam on ADVAPI32's ANSI calls: each is one call to the function of the same name.
class Win32Registry final : public IRegistry {
public:
    std::int32_t CreateKeyEx(HKEY hKey, const char* lpSubKey, std::uint32_t Reserved, char* lpClass,
                             std::uint32_t dwOptions, REGSAM samDesired,
                             LPSECURITY_ATTRIBUTES lpSecurityAttributes, PHKEY phkResult,
                             std::uint32_t* lpdwDisposition) override;
    std::int32_t OpenKeyEx(HKEY hKey, const char* lpSubKey, std::uint32_t ulOptions,
                           REGSAM samDesired, PHKEY phkResult) override;
    std::int32_t QueryInfoKey(HKEY hKey, char* lpClass, std::uint32_t* lpcchClass,
                              std::uint32_t* lpReserved, std::uint32_t* lpcSubKeys,
                              std::uint32_t* lpcbMaxSubKeyLen, std::uint32_t* lpcbMaxClassLen,
                              std::uint32_t* lpcValues, std::uint32_t* lpcbMaxValueNameLen,
                              std::uint32_t* lpcbMaxValueLen, std::uint32_t* lpcbSecurityDescriptor,
                              FILETIME* lpftLastWriteTime) override;
    std::int32_t EnumValue(HKEY hKey, std::uint32_t dwIndex, char* lpValueName,
                           std::uint32_t* lpcchValueName, std::uint32_t* lpReserved,
                           std::uint32_t* lpType, std::uint8_t* lpData,
                           std::uint32_t* lpcbData) override;
    std::int32_t EnumKeyEx(HKEY hKey, std::uint32_t dwIndex, char* lpName, std::uint32_t* lpcchName,
                           std::uint32_t* lpReserved, char* lpClass, std::uint32_t* lpcchClass,
                           FILETIME* lpftLastWriteTime) override;
    std::int32_t SetValueEx(HKEY hKey, const char* lpValueName, std::uint32_t Reserved,
                            std::uint32_t dwType, const std::uint8_t* lpData,
                            std::uint32_t cbData) override;
    std::int32_t CloseKey(HKEY hKey) override;
};

}  // namespace qv::win32
