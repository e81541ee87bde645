#pragma once
// One registry value held in memory, typed. The string types rest in text form, everything else
// in data form (the bytes as stored); a value is brought into data form to be written.
#include <memory>

#include "framework/Object.h"
#include "framework/String.h"
#include "framework/Types.h"
#include "settings/RegistryKey.h"

class CRegistryValue : public CObject {
public:
    CRegistryValue() = default;  // untyped (REG_NONE), neither form
    CRegistryValue(const CRegistryValue& other) { *this = other; }
    CRegistryValue& operator=(const CRegistryValue& other);

    // Takes the type and a copy of the bytes, then brings strings into text form.
    BOOL SetData(DWORD dwType, const CRegistryData& data);
    // The bytes to write (strings converted first); null for a value that was never set.
    const CRegistryData* GetData();

    const CString& SetString(LPCSTR pszText);
    DWORD SetDword(DWORD dwValue);
    // An untyped value becomes an empty REG_SZ; a value of another type reads as empty text and
    // is left as it is.
    CString GetString();
    // An untyped value becomes REG_DWORD 0; a value of another type reads as 0 and is left as it
    // is. Data shorter than four bytes read as the bytes there are.
    DWORD GetDword();

    BOOL ToText();
    BOOL ToData();

    DWORD GetType() const { return m_dwType; }
    BOOL HasText() const { return m_pText != nullptr; }

    DWORD m_dwType = REG_NONE;
    std::unique_ptr<CRegistryData> m_pData;
    std::unique_ptr<CString> m_pText;
};
