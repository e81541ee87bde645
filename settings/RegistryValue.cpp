#include "settings/RegistryValue.h"

#include <algorithm>
#include <cstring>

namespace {

bool IsTextType(DWORD dwType) { return dwType == REG_SZ || dwType == REG_EXPAND_SZ; }

// Types that stay in data form whatever happens.
bool IsDataType(DWORD dwType) { return dwType == REG_BINARY || dwType == REG_DWORD; }

}  // namespace

CRegistryValue& CRegistryValue::operator=(const CRegistryValue& other) {
    if (this == &other) return *this;
    m_pData.reset();
    m_pText.reset();
    m_dwType = other.m_dwType;
    if (other.m_pData) m_pData = std::make_unique<CRegistryData>(*other.m_pData);
    if (other.m_pText) m_pText = std::make_unique<CString>(*other.m_pText);
    return *this;
}

BOOL CRegistryValue::SetData(DWORD dwType, const CRegistryData& data) {
    m_pText.reset();
    m_pData = std::make_unique<CRegistryData>(data);
    m_dwType = dwType;
    return ToText();
}

const CRegistryData* CRegistryValue::GetData() {
    if (m_pText) ToData();
    return m_pData.get();
}

const CString& CRegistryValue::SetString(LPCSTR pszText) {
    m_dwType = REG_SZ;
    m_pData.reset();
    m_pText = std::make_unique<CString>(pszText);
    return *m_pText;
}

DWORD CRegistryValue::SetDword(DWORD dwValue) {
    m_dwType = REG_DWORD;
    m_pText.reset();
    const BYTE bytes[4] = {static_cast<BYTE>(dwValue), static_cast<BYTE>(dwValue >> 8),
                           static_cast<BYTE>(dwValue >> 16), static_cast<BYTE>(dwValue >> 24)};
    m_pData = std::make_unique<CRegistryData>(bytes, 4);
    return dwValue;
}

CString CRegistryValue::GetString() {
    if (m_dwType == REG_NONE && !m_pData) SetString("");
    if (!IsTextType(m_dwType)) return CString();
    if (!m_pText) ToText();  // a string that was brought into data form for writing
    return m_pText ? *m_pText : CString();
}

DWORD CRegistryValue::GetDword() {
    if (m_dwType == REG_NONE && !m_pData) SetDword(0);
    if (m_dwType != REG_DWORD || !m_pData) return 0;
    DWORD dwValue = 0;
    DWORD n = std::min<DWORD>(m_pData->GetLength(), 4);
    for (DWORD i = 0; i < n; ++i) dwValue |= static_cast<DWORD>(m_pData->GetData()[i]) << (8 * i);
    return dwValue;
}

BOOL CRegistryValue::ToText() {
    if (m_dwType == REG_NONE) return FALSE;
    if (IsDataType(m_dwType) || !m_pData) return TRUE;
    if (IsTextType(m_dwType)) {
        const char* p = reinterpret_cast<const char*>(m_pData->GetData());
        DWORD n = m_pData->GetLength();
        const void* zero = p ? std::memchr(p, 0, n) : nullptr;
        int nText = zero ? static_cast<int>(static_cast<const char*>(zero) - p) : static_cast<int>(n);
        m_pText = std::make_unique<CString>(p, nText);
        m_pData.reset();
    }
    return TRUE;
}

BOOL CRegistryValue::ToData() {
    if (m_dwType == REG_NONE) return FALSE;
    if (IsDataType(m_dwType)) return TRUE;
    if (!m_pText) return FALSE;
    m_dwType = REG_SZ;
    m_pData = std::make_unique<CRegistryData>(reinterpret_cast<const BYTE*>(m_pText->GetString()),
                                              static_cast<DWORD>(m_pText->GetLength()));
    m_pText.reset();
    return TRUE;
}
