#pragma once
#include "platform/version.h"

namespace qv::win32 {

// Version information through VERSION.DLL, one call each.
class Win32Version final : public IVersion {
public:
    std::uint32_t InfoSize(const char* pszFileName, std::uint32_t* pdwHandle) override;
    std::int32_t ReadInfo(const char* pszFileName, std::uint32_t dwHandle, std::uint32_t dwLen,
                          void* pData) override;
    std::int32_t QueryValue(const void* pBlock, const char* pszSubBlock, void** ppBuffer,
                            std::uint32_t* puLen) override;
    std::uint32_t LanguageName(std::uint32_t wLang, char* pszLang, std::uint32_t cchLang) override;
};

}  // namespace qv::win32
