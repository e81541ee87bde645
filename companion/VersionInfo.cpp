#include "companion/VersionInfo.h"

#include <cstdint>
#include <cstring>
#include <iterator>
#include <new>
#include <string>

#include "platform/files.h"

namespace {

// Read when the translation table offers no usable entry: the keys English resources use most.
constexpr const char* kEnglishKeys[] = {"040904B0", "040904E4", "04090000"};
constexpr const char kAssumingEnglish[] = "<Assuming English>";
constexpr int kLanguageNameSize = 128;
constexpr DWORD kSlack = 100;

// The fields GetFixedValue answers, by index 1 to 8.
constexpr std::uint32_t qv::VS_FIXEDFILEINFO::*kFixedFields[] = {
    &qv::VS_FIXEDFILEINFO::dwSignature,        &qv::VS_FIXEDFILEINFO::dwStrucVersion,
    &qv::VS_FIXEDFILEINFO::dwFileVersionMS,    &qv::VS_FIXEDFILEINFO::dwFileVersionLS,
    &qv::VS_FIXEDFILEINFO::dwProductVersionMS, &qv::VS_FIXEDFILEINFO::dwProductVersionLS,
    &qv::VS_FIXEDFILEINFO::dwFileFlagsMask,    &qv::VS_FIXEDFILEINFO::dwFileFlags,
};

// The running program's file name. The buffer grows, since a cut name could name another file.
CString OwnFileName() {
    for (std::uint32_t size = 512; size <= 32768; size *= 2) {
        std::string buffer(size, '\0');
        std::uint32_t n = qv::GetModuleFileNameA(nullptr, buffer.data(), size);
        if (n == 0) return CString();
        if (n < size) return CString(buffer.data(), static_cast<int>(n));
    }
    return CString();
}

}  // namespace

CVersionInfo::CVersionInfo(const char* pszFileName) {
    Load(pszFileName);
}

CVersionInfo::~CVersionInfo() = default;

void CVersionInfo::Release() {
    m_pVersionData.reset();
    m_pFixedInfo.reset();
    m_strLanguage.Empty();
    m_strTranslation.Empty();
}

BOOL CVersionInfo::Load(const char* pszFileName) {
    m_pstrFileName = std::make_unique<CString>(pszFileName ? CString(pszFileName) : OwnFileName());
    Release();
    if (m_pstrFileName->IsEmpty()) return FALSE;
    std::uint32_t dwHandle = 0;
    DWORD dwSize = qv::GetFileVersionInfoSizeA(*m_pstrFileName, &dwHandle);
    if (dwSize == 0 || dwSize > UINT32_MAX - kSlack) return FALSE;
    m_pVersionData.reset(new (std::nothrow) BYTE[dwSize + kSlack]());
    if (!m_pVersionData) return FALSE;
    if (!qv::GetFileVersionInfoA(*m_pstrFileName, dwHandle, dwSize, m_pVersionData.get())) {
        m_pVersionData.reset();
        return FALSE;
    }
    ReadTranslation();
    ReadFixedInfo();
    return TRUE;
}

// The string-table key comes from the first translation entry: a table with more than one entry
// lists languages in order of preference, and ignoring it would lose every string of a sound file.
// Without an entry, the common English keys are tried.
void CVersionInfo::ReadTranslation() {
    void* pValue = nullptr;
    std::uint32_t uLen = 0;
    if (qv::VerQueryValueA(m_pVersionData.get(), "\\VarFileInfo\\Translation", &pValue, &uLen) &&
        uLen >= 4) {
        const auto* p = static_cast<const BYTE*>(pValue);
        WORD wLanguage = static_cast<WORD>(p[0] | (p[1] << 8));
        WORD wCodePage = static_cast<WORD>(p[2] | (p[3] << 8));
        m_strTranslation.Format("%02X%02X%02X%02X", wLanguage >> 8, wLanguage & 0xFF,
                                wCodePage >> 8, wCodePage & 0xFF);
        char szName[kLanguageNameSize] = {};
        qv::VerLanguageNameA(wLanguage, szName, sizeof szName);
        m_strLanguage = szName;
        return;
    }
    m_strLanguage = kAssumingEnglish;
    for (const char* pszKey : kEnglishKeys) {
        if (HasStringTable(pszKey)) {
            m_strTranslation = pszKey;
            return;
        }
    }
}

BOOL CVersionInfo::HasStringTable(const CString& strKey) const {
    void* pValue = nullptr;
    std::uint32_t uLen = 0;
    CString strQuery = CString("\\StringFileInfo\\") + strKey;
    return qv::VerQueryValueA(m_pVersionData.get(), strQuery, &pValue, &uLen) != 0;
}

// A root value shorter than the fixed block is damage: copying 52 bytes from it would read past it.
void CVersionInfo::ReadFixedInfo() {
    void* pValue = nullptr;
    std::uint32_t uLen = 0;
    if (!qv::VerQueryValueA(m_pVersionData.get(), "\\", &pValue, &uLen) ||
        uLen < sizeof(qv::VS_FIXEDFILEINFO))
        return;
    m_pFixedInfo = std::make_unique<qv::VS_FIXEDFILEINFO>();
    std::memcpy(m_pFixedInfo.get(), pValue, sizeof(qv::VS_FIXEDFILEINFO));
}

BOOL CVersionInfo::QueryString(const char* pszName, CString& strValue) const {
    if (!m_pVersionData || m_strTranslation.IsEmpty() || pszName == nullptr) return FALSE;
    CString strQuery = CString("\\StringFileInfo\\") + m_strTranslation + "\\" + pszName;
    void* pValue = nullptr;
    std::uint32_t uLen = 0;
    if (!qv::VerQueryValueA(m_pVersionData.get(), strQuery, &pValue, &uLen) || uLen == 0)
        return FALSE;
    const auto* psz = static_cast<const char*>(pValue);
    strValue = CString(psz, static_cast<int>(strnlen(psz, uLen)));
    return TRUE;
}

DWORD CVersionInfo::GetFixedValue(int nIndex) const {
    if (!m_pFixedInfo || nIndex < 1 || nIndex > static_cast<int>(std::size(kFixedFields))) return 0;
    return m_pFixedInfo.get()->*kFixedFields[nIndex - 1];
}

CString CVersionInfo::FormatVersionPart(WORD wValue, int nWidth, int nSeparator) {
    CString strPart;
    if (nWidth < 1) return strPart;
    strPart.Format("%s%0*d", nSeparator > 0 ? "." : "", nWidth, static_cast<int>(wValue));
    return strPart;
}

CString CVersionInfo::FormatProductVersion(int nWidth1, int nWidth2, int nWidth3,
                                           int nWidth4) const {
    DWORD dwMS = GetFixedValue(5);
    DWORD dwLS = GetFixedValue(6);
    return FormatVersionPart(static_cast<WORD>(dwMS >> 16), nWidth1, 0) +
           FormatVersionPart(static_cast<WORD>(dwMS & 0xFFFF), nWidth2, nWidth1) +
           FormatVersionPart(static_cast<WORD>(dwLS >> 16), nWidth3, nWidth2) +
           FormatVersionPart(static_cast<WORD>(dwLS & 0xFFFF), nWidth4, nWidth3);
}
