#pragma once
// The registry seam: the ANSI registry calls the settings store relies on, with the Win32
// signatures, constants and error codes, so that a Win32 backend can pass them straight through.
#include <cstdint>

#include "platform/types.h"

namespace qv {

// An open registry key. Opaque to the program; the predefined roots are fixed values below.
struct HKEY__;
using HKEY = HKEY__*;
using PHKEY = HKEY*;
using REGSAM = std::uint32_t;

// Only ever passed through; nothing here looks inside it.
struct SECURITY_ATTRIBUTES;
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

}  // namespace qv

// Predefined root keys.
#ifndef HKEY_CLASSES_ROOT
#define HKEY_CLASSES_ROOT (reinterpret_cast<::qv::HKEY>(static_cast<std::uintptr_t>(0x80000000u)))
#endif
#ifndef HKEY_CURRENT_USER
#define HKEY_CURRENT_USER (reinterpret_cast<::qv::HKEY>(static_cast<std::uintptr_t>(0x80000001u)))
#endif
#ifndef HKEY_LOCAL_MACHINE
#define HKEY_LOCAL_MACHINE (reinterpret_cast<::qv::HKEY>(static_cast<std::uintptr_t>(0x80000002u)))
#endif
#ifndef HKEY_USERS
#define HKEY_USERS (reinterpret_cast<::qv::HKEY>(static_cast<std::uintptr_t>(0x80000003u)))
#endif
#ifndef HKEY_CURRENT_CONFIG
#define HKEY_CURRENT_CONFIG (reinterpret_cast<::qv::HKEY>(static_cast<std::uintptr_t>(0x80000005u)))
#endif

// Access rights.
#ifndef KEY_QUERY_VALUE
#define KEY_QUERY_VALUE 0x0001
#define KEY_SET_VALUE 0x0002
#define KEY_CREATE_SUB_KEY 0x0004
#define KEY_ENUMERATE_SUB_KEYS 0x0008
#define KEY_NOTIFY 0x0010
#define KEY_CREATE_LINK 0x0020
#define KEY_WOW64_64KEY 0x0100
#define KEY_WOW64_32KEY 0x0200
#define KEY_READ 0x20019
#define KEY_WRITE 0x20006
#define KEY_EXECUTE 0x20019
#define KEY_ALL_ACCESS 0xF003F
#endif

// Options and dispositions of RegCreateKeyExA.
#ifndef REG_OPTION_NON_VOLATILE
#define REG_OPTION_NON_VOLATILE 0x00000000
#define REG_OPTION_VOLATILE 0x00000001
#endif
#ifndef REG_CREATED_NEW_KEY
#define REG_CREATED_NEW_KEY 0x00000001
#define REG_OPENED_EXISTING_KEY 0x00000002
#endif

// Value types.
#ifndef REG_NONE
#define REG_NONE 0
#define REG_SZ 1
#define REG_EXPAND_SZ 2
#define REG_BINARY 3
#define REG_DWORD 4
#define REG_DWORD_LITTLE_ENDIAN 4
#define REG_DWORD_BIG_ENDIAN 5
#define REG_LINK 6
#define REG_MULTI_SZ 7
#define REG_RESOURCE_LIST 8
#define REG_FULL_RESOURCE_DESCRIPTOR 9
#define REG_RESOURCE_REQUIREMENTS_LIST 10
#define REG_QWORD 11
#define REG_QWORD_LITTLE_ENDIAN 11
#endif

// Results.
#ifndef ERROR_SUCCESS
#define ERROR_SUCCESS 0
#endif
#ifndef ERROR_FILE_NOT_FOUND
#define ERROR_FILE_NOT_FOUND 2
#define ERROR_ACCESS_DENIED 5
#define ERROR_INVALID_HANDLE 6
#define ERROR_NOT_ENOUGH_MEMORY 8
#define ERROR_INVALID_PARAMETER 87
#define ERROR_CALL_NOT_IMPLEMENTED 120
#define ERROR_MORE_DATA 234
#define ERROR_NO_MORE_ITEMS 259
#define ERROR_BADDB 1009
#define ERROR_CANTWRITE 1013
#define ERROR_KEY_DELETED 1018
#endif

namespace qv {

// Longest key-name component and value name, in characters.
constexpr std::uint32_t kMaxKeyNameLength = 255;
constexpr std::uint32_t kMaxValueNameLength = 16383;

std::int32_t RegCreateKeyExA(HKEY hKey, const char* lpSubKey, std::uint32_t Reserved,
                             char* lpClass, std::uint32_t dwOptions, REGSAM samDesired,
                             LPSECURITY_ATTRIBUTES lpSecurityAttributes, PHKEY phkResult,
                             std::uint32_t* lpdwDisposition);
std::int32_t RegOpenKeyExA(HKEY hKey, const char* lpSubKey, std::uint32_t ulOptions,
                           REGSAM samDesired, PHKEY phkResult);
std::int32_t RegQueryInfoKeyA(HKEY hKey, char* lpClass, std::uint32_t* lpcchClass,
                              std::uint32_t* lpReserved, std::uint32_t* lpcSubKeys,
                              std::uint32_t* lpcbMaxSubKeyLen, std::uint32_t* lpcbMaxClassLen,
                              std::uint32_t* lpcValues, std::uint32_t* lpcbMaxValueNameLen,
                              std::uint32_t* lpcbMaxValueLen,
                              std::uint32_t* lpcbSecurityDescriptor,
                              FILETIME* lpftLastWriteTime);
std::int32_t RegEnumValueA(HKEY hKey, std::uint32_t dwIndex, char* lpValueName,
                           std::uint32_t* lpcchValueName, std::uint32_t* lpReserved,
                           std::uint32_t* lpType, std::uint8_t* lpData, std::uint32_t* lpcbData);
std::int32_t RegEnumKeyExA(HKEY hKey, std::uint32_t dwIndex, char* lpName,
                           std::uint32_t* lpcchName, std::uint32_t* lpReserved, char* lpClass,
                           std::uint32_t* lpcchClass, FILETIME* lpftLastWriteTime);
std::int32_t RegSetValueExA(HKEY hKey, const char* lpValueName, std::uint32_t Reserved,
                            std::uint32_t dwType, const std::uint8_t* lpData,
                            std::uint32_t cbData);
std::int32_t RegCloseKey(HKEY hKey);

// What a registry backend provides: the calls above, with the same arguments and results.
class IRegistry {
public:
    virtual ~IRegistry() = default;
    virtual std::int32_t CreateKeyEx(HKEY hKey, const char* lpSubKey, std::uint32_t Reserved,
                                     char* lpClass, std::uint32_t dwOptions, REGSAM samDesired,
                                     LPSECURITY_ATTRIBUTES lpSecurityAttributes, PHKEY phkResult,
                                     std::uint32_t* lpdwDisposition) = 0;
    virtual std::int32_t OpenKeyEx(HKEY hKey, const char* lpSubKey, std::uint32_t ulOptions,
                                   REGSAM samDesired, PHKEY phkResult) = 0;
    virtual std::int32_t QueryInfoKey(HKEY hKey, char* lpClass, std::uint32_t* lpcchClass,
                                      std::uint32_t* lpReserved, std::uint32_t* lpcSubKeys,
                                      std::uint32_t* lpcbMaxSubKeyLen,
                                      std::uint32_t* lpcbMaxClassLen, std::uint32_t* lpcValues,
                                      std::uint32_t* lpcbMaxValueNameLen,
                                      std::uint32_t* lpcbMaxValueLen,
                                      std::uint32_t* lpcbSecurityDescriptor,
                                      FILETIME* lpftLastWriteTime) = 0;
    virtual std::int32_t EnumValue(HKEY hKey, std::uint32_t dwIndex, char* lpValueName,
                                   std::uint32_t* lpcchValueName, std::uint32_t* lpReserved,
                                   std::uint32_t* lpType, std::uint8_t* lpData,
                                   std::uint32_t* lpcbData) = 0;
    virtual std::int32_t EnumKeyEx(HKEY hKey, std::uint32_t dwIndex, char* lpName,
                                   std::uint32_t* lpcchName, std::uint32_t* lpReserved,
                                   char* lpClass, std::uint32_t* lpcchClass,
                                   FILETIME* lpftLastWriteTime) = 0;
    virtual std::int32_t SetValueEx(HKEY hKey, const char* lpValueName, std::uint32_t Reserved,
                                    std::uint32_t dwType, const std::uint8_t* lpData,
                                    std::uint32_t cbData) = 0;
    virtual std::int32_t CloseKey(HKEY hKey) = 0;
};

// Makes backend the one the calls above go to and answers the previous one (neither is owned).
// With no backend installed every call answers ERROR_CALL_NOT_IMPLEMENTED.
IRegistry* InstallRegistry(IRegistry* backend);

}  // namespace qv
