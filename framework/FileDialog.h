#pragma once
#include <string>
#include <vector>

#include "framework/Wnd.h"

// The common open and save dialogs. The filter is given as description|pattern pairs ending in
// "||". The program may adjust m_ofn (flags, title) between construction and DoModal.
class CFileDialog : public CObject {
public:
    CFileDialog(BOOL bOpenFileDialog, LPCSTR lpszDefExt = nullptr, LPCSTR lpszFileName = nullptr,
                DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCSTR lpszFilter = nullptr,
                CWnd* pParentWnd = nullptr);
    CFileDialog(const CFileDialog&) = delete;
    CFileDialog& operator=(const CFileDialog&) = delete;

    // IDOK when the user confirmed, otherwise IDCANCEL (also when the choice did not fit).
    INT_PTR DoModal();

    // The chosen full path (for a multiple selection: the whole selection text).
    CString GetPathName() const;
    // The chosen name's extension without the dot; empty when it has none.
    CString GetFileExt() const;
    // What the dialog answered: one full path, or the folder and the names separated by single
    // spaces.
    CString GetSelectionText() const { return GetPathName(); }
    // Every chosen path whole, blanks included, from the answer in the Explorer form (set
    // OFN_EXPLORER in m_ofn.Flags before DoModal): the one path, or the folder joined with each
    // name. FALSE, adding nothing, when the answer is not in that form.
    BOOL GetPathNames(CStringArray& aPaths) const;

    qv::OPENFILENAMEA m_ofn{};

private:
    BOOL m_bOpenFileDialog;
    CWnd* m_pParentWnd;
    std::string m_strFilter;  // '|' turned into the zero bytes the window system expects
    std::string m_strDefExt;
    std::vector<char> m_fileBuffer;
};
