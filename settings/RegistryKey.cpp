#include "settings/RegistryKey.h"

#include <cstring>
#include <new>
#include <vector>

namespace {
constexpr LONG kRefused = -1;

bool IsStringType(DWORD dwType) {
    return dwType == REG_SZ || dwType == REG_EXPAND_SZ || dwType == REG_MULTI_SZ;
}
}  // namespace

CRegistryData& CRegistryData::operator=(const CRegistryData& other) {
    if (this != &other) Assign(other.GetData(), other.GetLength());
    return *this;
}

void CRegistryData::Assign(const BYTE* pBytes, DWORD dwLength) {
    // Copy before releasing, so that a block may be assigned a part of itself.
    std::unique_ptr<BYTE[]> pNew;
    if (dwLength > 0) {
        pNew.reset(new BYTE[dwLength]);
        std::memcpy(pNew.get(), pBytes, dwLength);
    }
    m_pBytes = std::move(pNew);
    m_dwLength = dwLength;
}

CRegistryKey::CRegistryKey(LPCSTR pszSubKey, BOOL bCreate, qv::HKEY hParent, DWORD dwAccess) {
    Open(pszSubKey, bCreate, hParent, dwAccess);
}

CRegistryKey::~CRegistryKey() {
    if (IsOpen()) Close();
}

LONG CRegistryKey::Open(LPCSTR pszSubKey, BOOL bCreate, qv::HKEY hParent, DWORD dwAccess) {
    if (IsOpen()) return m_lError = kRefused;
    if (bCreate) return Create(pszSubKey, hParent, dwAccess);
    return Opened(qv::RegOpenKeyExA(hParent, pszSubKey, 0, dwAccess, &m_hKey));
}

LONG CRegistryKey::Create(LPCSTR pszSubKey, qv::HKEY hParent, DWORD dwAccess, LPSTR pszClass,
                          DWORD dwOptions, qv::LPSECURITY_ATTRIBUTES pSecurity) {
    if (IsOpen()) return m_lError = kRefused;
    DWORD dwDisposition = 0;
    return Opened(qv::RegCreateKeyExA(hParent, pszSubKey, 0, pszClass, dwOptions, dwAccess,
                                      pSecurity, &m_hKey, &dwDisposition));
}

LONG CRegistryKey::Opened(LONG lResult) {
    m_lError = lResult;
    if (lResult != ERROR_SUCCESS) {
        m_hKey = nullptr;
        return m_lError;
    }
    if (!m_pInfo) {
        m_pInfo = std::make_unique<CRegistryKeyInfo>();
        QueryInfo(*m_pInfo);
    }
    return m_lError;
}

LONG CRegistryKey::QueryInfo(CRegistryKeyInfo& info) {
    if (!IsOpen()) return m_lError = kRefused;
    // The length goes in as the buffer size, whatever an earlier query left in it.
    info.m_cchClass = CRegistryKeyInfo::kClassBufferSize;
    return m_lError = qv::RegQueryInfoKeyA(
               m_hKey, info.m_pszClass.get(), &info.m_cchClass, nullptr, &info.m_cSubKeys,
               &info.m_cchMaxSubKey, &info.m_cchMaxClass, &info.m_cValues, &info.m_cchMaxValueName,
               &info.m_cbMaxValueData, &info.m_cbSecurityDescriptor, &info.m_ftLastWrite);
}

LONG CRegistryKey::EnumValue(DWORD dwIndex, CString& strName, DWORD& dwType, CRegistryData& data) {
    if (!IsOpen() || !m_pInfo) return m_lError = kRefused;
    // Sized from the information read at open; the data buffer keeps one byte in hand for the
    // zero appended to strings, so a value that grew since makes the call fail instead. Both are
    // made once per key and left uninitialised: a large value is then paid for once, not at every
    // value read.
    if (!m_pEnumBuffer) {
        m_cbEnumBuffer = m_pInfo->m_cbMaxValueData;
        m_pEnumBuffer.reset(new (std::nothrow) BYTE[static_cast<size_t>(m_cbEnumBuffer) + 1]);
        if (!m_pEnumBuffer) return m_lError = ERROR_NOT_ENOUGH_MEMORY;
        m_enumName.resize(static_cast<size_t>(m_pInfo->m_cchMaxValueName) + 1);
    }
    std::vector<char>& name = m_enumName;
    BYTE* bytes = m_pEnumBuffer.get();
    DWORD cchName = static_cast<DWORD>(name.size());
    DWORD cbData = m_cbEnumBuffer;
    DWORD dwGotType = REG_NONE;
    m_lError = qv::RegEnumValueA(m_hKey, dwIndex, name.data(), &cchName, nullptr, &dwGotType, bytes,
                                 &cbData);
    if (m_lError != ERROR_SUCCESS) return m_lError;
    if (cchName >= name.size() || cbData > m_cbEnumBuffer)
        return m_lError = ERROR_MORE_DATA;  // a backend that overstated what it returned
    if (IsStringType(dwGotType)) bytes[cbData++] = 0;
    strName = CString(name.data(), static_cast<int>(cchName));
    dwType = dwGotType;
    data.Assign(bytes, cbData);
    return m_lError;
}

LONG CRegistryKey::EnumKey(DWORD dwIndex, CString& strName, CString& strClass,
                           qv::FILETIME& ftLastWrite) {
    if (!IsOpen() || !m_pInfo) return m_lError = kRefused;
    std::vector<char> name(static_cast<size_t>(m_pInfo->m_cchMaxSubKey) + 1);
    std::vector<char> cls(static_cast<size_t>(m_pInfo->m_cchMaxClass) + 1);
    DWORD cchName = static_cast<DWORD>(name.size());
    DWORD cchClass = static_cast<DWORD>(cls.size());
    qv::FILETIME ft{};
    m_lError = qv::RegEnumKeyExA(m_hKey, dwIndex, name.data(), &cchName, nullptr, cls.data(),
                                 &cchClass, &ft);
    if (m_lError != ERROR_SUCCESS) return m_lError;
    if (cchName >= name.size() || cchClass >= cls.size()) return m_lError = ERROR_MORE_DATA;
    strName = CString(name.data(), static_cast<int>(cchName));
    strClass = CString(cls.data(), static_cast<int>(cchClass));
    ftLastWrite = ft;
    return m_lError;
}

LONG CRegistryKey::SetValue(LPCSTR pszName, DWORD dwType, const CRegistryData& data) {
    if (!IsOpen()) return m_lError = kRefused;
    return m_lError =
               qv::RegSetValueExA(m_hKey, pszName, 0, dwType, data.GetData(), data.GetLength());
}

LONG CRegistryKey::Close() {
    if (!IsOpen()) return m_lError = kRefused;
    m_lError = qv::RegCloseKey(m_hKey);
    m_hKey = nullptr;
    m_pInfo.reset();
    m_pEnumBuffer.reset();
    m_enumName.clear();
    return m_lError;
}
