#pragma once
// Version information of executable files: the published VS_VERSIONINFO resource with its fixed
// block, string tables keyed by language and code page, and the translation list.
#include <cstdint>

namespace qv {

#ifndef VS_FFI_SIGNATURE
#define VS_FFI_SIGNATURE 0xFEEF04BDu
#endif
#ifndef VS_FFI_STRUCVERSION
#define VS_FFI_STRUCVERSION 0x00010000u
#endif
#ifndef VS_FFI_FILEFLAGSMASK
#define VS_FFI_FILEFLAGSMASK 0x0000003Fu
#endif
#ifndef VS_FF_DEBUG
#define VS_FF_DEBUG 0x00000001u
#endif
#ifndef VS_FF_PRERELEASE
#define VS_FF_PRERELEASE 0x00000002u
#endif
#ifndef VOS_NT_WINDOWS32
#define VOS_NT_WINDOWS32 0x00040004u
#endif
#ifndef VFT_APP
#define VFT_APP 0x00000001u
#endif
#ifndef VFT2_UNKNOWN
#define VFT2_UNKNOWN 0x00000000u
#endif

// The fixed information block: thirteen 32-bit fields, 52 bytes.
struct VS_FIXEDFILEINFO {
    std::uint32_t dwSignature;
    std::uint32_t dwStrucVersion;
    std::uint32_t dwFileVersionMS;
    std::uint32_t dwFileVersionLS;
    std::uint32_t dwProductVersionMS;
    std::uint32_t dwProductVersionLS;
    std::uint32_t dwFileFlagsMask;
    std::uint32_t dwFileFlags;
    std::uint32_t dwFileOS;
    std::uint32_t dwFileType;
    std::uint32_t dwFileSubtype;
    std::uint32_t dwFileDateMS;
    std::uint32_t dwFileDateLS;
};
static_assert(sizeof(VS_FIXEDFILEINFO) == 52);

class IVersion {
public:
    virtual ~IVersion() = default;
    virtual std::uint32_t InfoSize(const char* pszFileName, std::uint32_t* pdwHandle) = 0;
    virtual std::int32_t ReadInfo(const char* pszFileName, std::uint32_t dwHandle,
                                  std::uint32_t dwLen, void* pData) = 0;
    virtual std::int32_t QueryValue(const void* pBlock, const char* pszSubBlock, void** ppBuffer,
                                    std::uint32_t* puLen) = 0;
    virtual std::uint32_t LanguageName(std::uint32_t wLang, char* pszLang,
                                       std::uint32_t cchLang) = 0;
};

// Installs the backend and answers the previous one (not owned).
IVersion* InstallVersion(IVersion* backend);

// Bytes needed to hold the file's version information; 0 when it has none or cannot be read.
std::uint32_t GetFileVersionInfoSizeA(const char* lptstrFilename, std::uint32_t* lpdwHandle);

// Reads the version information into lpData (dwLen bytes); non-zero on success.
std::int32_t GetFileVersionInfoA(const char* lptstrFilename, std::uint32_t dwHandle,
                                 std::uint32_t dwLen, void* lpData);

// Looks up a value in a block filled by GetFileVersionInfoA: "\" gives the fixed block,
// "\VarFileInfo\Translation" the language and code-page pairs, "\StringFileInfo\<key>\<name>" a
// string in the multi-byte code page, terminated, with *puLen its size including the terminator.
// Names match case-insensitively. A path naming a block without a value answers success and 0.
std::int32_t VerQueryValueA(const void* pBlock, const char* lpSubBlock, void** lplpBuffer,
                            std::uint32_t* puLen);

// The display name of a language identifier, cut to cchLang bytes with the terminator. Answers the
// name's length; a result of cchLang or more means it was cut.
std::uint32_t VerLanguageNameA(std::uint32_t wLang, char* szLang, std::uint32_t cchLang);

}  // namespace qv
