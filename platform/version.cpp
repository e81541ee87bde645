#include "platform/version.h"

namespace qv {
namespace {
IVersion* g_version = nullptr;
}

IVersion* InstallVersion(IVersion* backend) {
    IVersion* previous = g_version;
    g_version = backend;
    return previous;
}

std::uint32_t GetFileVersionInfoSizeA(const char* lptstrFilename, std::uint32_t* lpdwHandle) {
    if (lpdwHandle != nullptr) *lpdwHandle = 0;
    if (g_version == nullptr || lptstrFilename == nullptr) return 0;
    return g_version->InfoSize(lptstrFilename, lpdwHandle);
}

std::int32_t GetFileVersionInfoA(const char* lptstrFilename, std::uint32_t dwHandle,
                                 std::uint32_t dwLen, void* lpData) {
    if (g_version == nullptr || lptstrFilename == nullptr || lpData == nullptr) return 0;
    return g_version->ReadInfo(lptstrFilename, dwHandle, dwLen, lpData);
}

std::int32_t VerQueryValueA(const void* pBlock, const char* lpSubBlock, void** lplpBuffer,
                            std::uint32_t* puLen) {
    if (g_version == nullptr || pBlock == nullptr || lpSubBlock == nullptr ||
        lplpBuffer == nullptr || puLen == nullptr)
        return 0;
    return g_version->QueryValue(pBlock, lpSubBlock, lplpBuffer, puLen);
}

std::uint32_t VerLanguageNameA(std::uint32_t wLang, char* szLang, std::uint32_t cchLang) {
    if (g_version == nullptr || szLang == nullptr || cchLang == 0) return 0;
    return g_version->LanguageName(wLang, szLang, cchLang);
}

}  // namespace qv
