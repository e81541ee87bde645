#pragma once
// The version seam on POSIX systems: resources are read from the files themselves (ELF sections of
// our own executables, RT_VERSION resources of Windows executables).
#include "platform/version.h"

namespace qv {

class PosixVersion : public IVersion {
public:
    std::uint32_t InfoSize(const char* pszFileName, std::uint32_t* pdwHandle) override;
    std::int32_t ReadInfo(const char* pszFileName, std::uint32_t dwHandle, std::uint32_t dwLen,
                          void* pData) override;
    std::int32_t QueryValue(const void* pBlock, const char* pszSubBlock, void** ppBuffer,
                            std::uint32_t* puLen) override;
    // An identifier missing from the table gives the name of its primary language when that is
    // known (0x0C04 gives "Chinese"), else "Unknown language".
    std::uint32_t LanguageName(std::uint32_t wLang, char* pszLang, std::uint32_t cchLang) override;
};

}  // namespace qv
