// <windows.h> first, so that the seam headers leave its names alone.
// clang-format off
#include <windows.h>
// clang-format on

#include "platform/win32/Win32Version.h"

namespace qv::win32 {

std::uint32_t Win32Version::InfoSize(const char* pszFileName, std::uint32_t* pdwHandle) {
    DWORD handle = 0;
    DWORD size = ::GetFileVersionInfoSizeA(pszFileName, &handle);
    if (pdwHandle) *pdwHandle = handle;
    return size;
}

std::int32_t Win32Version::ReadInfo(const char* pszFileName, std::uint32_t dwHandle,
                                    std::uint32_t dwLen, void* pData) {
    return ::GetFileVersionInfoA(pszFileName, dwHandle, dwLen, pData);
}

std::int32_t Win32Version::QueryValue(const void* pBlock, const char* pszSubBlock, void** ppBuffer,
                                      std::uint32_t* puLen) {
    UINT length = 0;
    BOOL ok = ::VerQueryValueA(pBlock, pszSubBlock, ppBuffer, &length);
    if (puLen) *puLen = length;
    return ok;
}

std::uint32_t Win32Version::LanguageName(std::uint32_t wLang, char* pszLang,
                                         std::uint32_t cchLang) {
    return ::VerLanguageNameA(wLang, pszLang, cchLang);
}

}  // namespace qv::win32
