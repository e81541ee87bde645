#include "settings/SettingsStore.h"

BOOL CSettingsStore::Load(UINT nIDKeyPath, qv::HKEY hRootKey) {
    CString strPath;
    strPath.Load(nIDKeyPath);
    return Load(strPath.GetString(), hRootKey);
}

BOOL CSettingsStore::Load(LPCSTR pszKeyPath, qv::HKEY hRootKey) {
    CString strPath(pszKeyPath);
    // Create mode, so that a first start finds an empty key instead of a failure.
    CRegistryKey key(strPath, TRUE, hRootKey, KEY_READ);
    if (key.m_lError != ERROR_SUCCESS) return FALSE;
    BOOL bSubKeys = LoadSubKeys(key);
    BOOL bValues = LoadValues(key);
    if (!bSubKeys || !bValues) return FALSE;
    m_strKeyPath = strPath;
    m_hRootKey = hRootKey;
    return TRUE;
}

BOOL CSettingsStore::LoadSubKeys(CRegistryKey& key) {
    m_subKeys.RemoveAll();
    m_children.clear();
    DWORD nSubKeys = key.m_pInfo ? key.m_pInfo->m_cSubKeys : 0;
    for (DWORD i = 0; i < nSubKeys; ++i) m_children.push_back(std::make_unique<CSettingsStore>());
    LONG lResult = ERROR_SUCCESS;
    for (DWORD i = 0;; ++i) {
        CString strName, strClass;
        qv::FILETIME ft{};
        lResult = key.EnumKey(i, strName, strClass, ft);
        if (lResult != ERROR_SUCCESS) break;
        // A sub-key added since the key was opened gets a child of its own too.
        if (i >= m_children.size()) m_children.push_back(std::make_unique<CSettingsStore>());
        m_subKeys.SetAt(strName, static_cast<std::int32_t>(i));
        m_children[i]->m_strClass = strClass;
        m_children[i]->m_ftLastWrite = ft;
    }
    return lResult == ERROR_NO_MORE_ITEMS;
}

BOOL CSettingsStore::LoadValues(CRegistryKey& key) {
    m_values.RemoveAll();
    LONG lResult = ERROR_SUCCESS;
    for (DWORD i = 0;; ++i) {
        CString strName;
        DWORD dwType = REG_NONE;
        CRegistryData data;
        lResult = key.EnumValue(i, strName, dwType, data);
        if (lResult != ERROR_SUCCESS) break;
        // EnumValue appended a zero to the string types. Text forms end at the first zero
        // anyway, but a multi-string is kept as bytes and would grow by one at every save.
        if (dwType == REG_MULTI_SZ && data.GetLength() > 0)
            data.Assign(data.GetData(), data.GetLength() - 1);
        // Set in place: a large value is not copied once more.
        m_values[strName].SetData(dwType, data);
    }
    return lResult == ERROR_NO_MORE_ITEMS;
}

BOOL CSettingsStore::Save(UINT nIDKeyPath, qv::HKEY hRootKey) {
    CString strPath;
    strPath.Load(nIDKeyPath);
    return Save(strPath.GetString(), hRootKey);
}

BOOL CSettingsStore::Save(LPCSTR pszKeyPath, qv::HKEY hRootKey) {
    CString strPath = pszKeyPath ? CString(pszKeyPath) : m_strKeyPath;
    if (!hRootKey) hRootKey = m_hRootKey;
    // Without a key (never loaded, or it cannot be opened) nothing is written: say so.
    if (!hRootKey) return FALSE;
    CRegistryKey key(strPath, TRUE, hRootKey, KEY_ALL_ACCESS);
    if (key.m_lError != ERROR_SUCCESS) return FALSE;
    if (!SaveValues(key) || !SaveSubKeys(key)) return FALSE;
    // Closing the key is what puts the changes on disk with some backends; its failure counts.
    return key.Close() == ERROR_SUCCESS;
}

BOOL CSettingsStore::SaveValues(CRegistryKey& key) {
    return m_values.ForEach([&key](const CString& strName, const CRegistryValue& value) {
        CRegistryValue copy = value;
        copy.ToData();
        const CRegistryData* pData = copy.GetData();
        CRegistryData none;
        return key.SetValue(strName, copy.GetType(), pData ? *pData : none) == ERROR_SUCCESS;
    });
}

BOOL CSettingsStore::SaveSubKeys(CRegistryKey& key) {
    return m_subKeys.ForEach([this, &key](const CString& strName, std::int32_t nIndex) {
        return m_children[static_cast<size_t>(nIndex)]->Save(strName.GetString(), key.m_hKey);
    });
}

CRegistryValue& CSettingsStore::Value(LPCSTR pszName) { return m_values[CString(pszName)]; }

CRegistryValue& CSettingsStore::Value(LPCSTR pszName, DWORD dwDefault) {
    CString strName(pszName);
    if (CRegistryValue* pValue = m_values.Lookup(strName)) return *pValue;
    CRegistryValue& value = m_values[strName];
    value.SetDword(dwDefault);
    return value;
}

CRegistryValue& CSettingsStore::Value(UINT nIDName) {
    CString strName;
    strName.Load(nIDName);
    return Value(strName.GetString());
}

CSettingsStore* CSettingsStore::GetSubKey(const CString& strName) const {
    const std::int32_t* pIndex = m_subKeys.Lookup(strName);
    return pIndex ? m_children[static_cast<size_t>(*pIndex)].get() : nullptr;
}
