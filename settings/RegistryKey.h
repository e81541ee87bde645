#pragma once
// One open registry key, with its information and the owned byte blocks that values travel in.
#include <memory>
#include <vector>

#include "framework/Object.h"
#include "framework/String.h"
#include "framework/Types.h"
#include "platform/registry.h"

// An owned block of bytes; copies are deep.
class CRegistryData : public CObject {
public:
    CRegistryData() = default;
    CRegistryData(const BYTE* pBytes, DWORD dwLength) { Assign(pBytes, dwLength); }
    CRegistryData(const CRegistryData& other) { Assign(other.GetData(), other.GetLength()); }
    CRegistryData& operator=(const CRegistryData& other);

    // Replaces the bytes by a copy of the given ones; none are held for a length of 0.
    void Assign(const BYTE* pBytes, DWORD dwLength);

    const BYTE* GetData() const { return m_pBytes.get(); }
    DWORD GetLength() const { return m_dwLength; }

private:
    std::unique_ptr<BYTE[]> m_pBytes;
    DWORD m_dwLength = 0;
};

// What RegQueryInfoKeyA reports about an open key.
class CRegistryKeyInfo : public CObject {
public:
    static constexpr DWORD kClassBufferSize = 512;

    CRegistryKeyInfo() : m_pszClass(new char[kClassBufferSize]()) {}
    CRegistryKeyInfo(const CRegistryKeyInfo&) = delete;
    CRegistryKeyInfo& operator=(const CRegistryKeyInfo&) = delete;

    std::unique_ptr<char[]> m_pszClass;
    DWORD m_cchClass = kClassBufferSize;  // buffer size before a query, class length after it
    DWORD m_cSubKeys = 0;
    DWORD m_cchMaxSubKey = 0;
    DWORD m_cchMaxClass = 0;
    DWORD m_cValues = 0;
    DWORD m_cchMaxValueName = 0;
    DWORD m_cbMaxValueData = 0;
    DWORD m_cbSecurityDescriptor = 0;
    qv::FILETIME m_ftLastWrite{};
};

// One open key. Every operation records its result in m_lError and answers it: 0 for success, a
// registry error code, or -1 when the object was not open (or, to open, already open).
class CRegistryKey : public CObject {
public:
    CRegistryKey() = default;
    CRegistryKey(LPCSTR pszSubKey, BOOL bCreate, qv::HKEY hParent, DWORD dwAccess);
    ~CRegistryKey() override;
    CRegistryKey(const CRegistryKey&) = delete;
    CRegistryKey& operator=(const CRegistryKey&) = delete;

    // Opens, or with bCreate creates, the sub-key below hParent.
    LONG Open(LPCSTR pszSubKey, BOOL bCreate, qv::HKEY hParent, DWORD dwAccess);
    LONG Create(LPCSTR pszSubKey, qv::HKEY hParent, DWORD dwAccess, LPSTR pszClass = nullptr,
                DWORD dwOptions = REG_OPTION_NON_VOLATILE,
                qv::LPSECURITY_ATTRIBUTES pSecurity = nullptr);
    LONG QueryInfo(CRegistryKeyInfo& info);
    // The value at dwIndex; string data come back with a terminating zero counted in the length.
    LONG EnumValue(DWORD dwIndex, CString& strName, DWORD& dwType, CRegistryData& data);
    LONG EnumKey(DWORD dwIndex, CString& strName, CString& strClass, qv::FILETIME& ftLastWrite);
    LONG SetValue(LPCSTR pszName, DWORD dwType, const CRegistryData& data);
    LONG Close();

    BOOL IsOpen() const { return m_hKey != nullptr; }

    qv::HKEY m_hKey = nullptr;
    LONG m_lError = 0;
    std::unique_ptr<CRegistryKeyInfo> m_pInfo;  // filled when the key was opened

private:
    LONG Opened(LONG lResult);

    // What EnumValue reads into, sized from m_pInfo at its first call.
    std::unique_ptr<BYTE[]> m_pEnumBuffer;
    DWORD m_cbEnumBuffer = 0;
    std::vector<char> m_enumName;
};
