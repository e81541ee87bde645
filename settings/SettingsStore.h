#pragma once
// An image in memory of one registry key: its values by name and its sub-keys as child stores.
// The program loads it once at start-up, reads and changes settings in the image only, and
// writes it back once at quit.
#include <cstdint>
#include <memory>
#include <vector>

#include "framework/Object.h"
#include "framework/String.h"
#include "framework/Types.h"
#include "platform/registry.h"
#include "settings/NameMap.h"
#include "settings/RegistryKey.h"
#include "settings/RegistryValue.h"

class CSettingsStore : public CObject {
public:
    CSettingsStore() = default;
    CSettingsStore(const CSettingsStore&) = delete;
    CSettingsStore& operator=(const CSettingsStore&) = delete;

    // Loads the key below hRootKey (creating it when missing) into the image. On success the
    // path and root are kept for Save.
    virtual BOOL Load(UINT nIDKeyPath, qv::HKEY hRootKey);
    virtual BOOL Load(LPCSTR pszKeyPath, qv::HKEY hRootKey);
    // Writes every value of the image and re-creates every sub-key; null arguments mean the key
    // of the last successful Load. Never deletes anything.
    virtual BOOL Save(UINT nIDKeyPath, qv::HKEY hRootKey);
    virtual BOOL Save(LPCSTR pszKeyPath, qv::HKEY hRootKey);

    // The cached value of that name, inserted untyped when absent. The reference stays valid
    // until the next Load or the store's end.
    CRegistryValue& Value(LPCSTR pszName);
    // The same, but a missing value is inserted as a REG_DWORD holding dwDefault.
    CRegistryValue& Value(LPCSTR pszName, DWORD dwDefault);
    // Fetches the value name from the string table, then as Value(name).
    CRegistryValue& Value(UINT nIDName);

    const CString& GetKeyPath() const { return m_strKeyPath; }
    qv::HKEY GetRootKey() const { return m_hRootKey; }
    const CString& GetClass() const { return m_strClass; }
    qv::FILETIME GetLastWrite() const { return m_ftLastWrite; }
    int GetValueCount() const { return m_values.GetCount(); }
    // The child store of a sub-key, or null when the key had no sub-key of that name.
    CSettingsStore* GetSubKey(const CString& strName) const;

private:
    BOOL LoadSubKeys(CRegistryKey& key);
    BOOL LoadValues(CRegistryKey& key);
    BOOL SaveValues(CRegistryKey& key);
    BOOL SaveSubKeys(CRegistryKey& key);

    CString m_strKeyPath;
    qv::HKEY m_hRootKey = nullptr;
    CString m_strClass;
    qv::FILETIME m_ftLastWrite{};
    CSubKeyMap m_subKeys;
    std::vector<std::unique_ptr<CSettingsStore>> m_children;
    CRegistryValueMap m_values;
};
