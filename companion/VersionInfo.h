#pragma once
#include <memory>

#include "framework/Object.h"
#include "framework/String.h"
#include "framework/Types.h"
#include "platform/version.h"

// Reads the version resource of an executable file, by default the running program's own: strings
// of its string table, fields of its fixed block and the formatted product version. Every failure
// leaves empty or zero values.
class CVersionInfo : public CObject {
public:
    explicit CVersionInfo(const char* pszFileName = nullptr);
    ~CVersionInfo() override;
    CVersionInfo(const CVersionInfo&) = delete;
    CVersionInfo& operator=(const CVersionInfo&) = delete;

    // Reads the file's resource (null: the running program's file); TRUE when it was read.
    BOOL Load(const char* pszFileName = nullptr);

    // TRUE when the string table holds the name; strValue is untouched otherwise.
    BOOL QueryString(const char* pszName, CString& strValue) const;

    // Field 1 to 8 of the fixed block (signature, structure version, file version MS and LS,
    // product version MS and LS, flags mask, flags); 0 for any other index or without a fixed
    // block.
    DWORD GetFixedValue(int nIndex) const;

    // One part of a version: the decimal value padded with zeros to nWidth, with a leading "." when
    // nSeparator is above 0; empty when nWidth is below 1.
    static CString FormatVersionPart(WORD wValue, int nWidth, int nSeparator);

    // The product version's four parts with these widths; each part's separator depends on the
    // width of the part before it, so that omitted parts leave no stray dots.
    CString FormatProductVersion(int nWidth1, int nWidth2, int nWidth3, int nWidth4) const;

    const CString& GetLanguageName() const { return m_strLanguage; }
    const CString& GetTranslationKey() const { return m_strTranslation; }

private:
    void Release();
    void ReadTranslation();
    void ReadFixedInfo();
    BOOL HasStringTable(const CString& strKey) const;

    std::unique_ptr<CString> m_pstrFileName;
    CString m_strLanguage;
    CString m_strTranslation;
    std::unique_ptr<BYTE[]> m_pVersionData;  // zero-initialised, the resource's size plus 100 bytes
    std::unique_ptr<qv::VS_FIXEDFILEINFO> m_pFixedInfo;
};
