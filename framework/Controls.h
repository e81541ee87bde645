#pragma once
#include "framework/Wnd.h"

class CButton : public CWnd {
public:
    // BST_UNCHECKED or BST_CHECKED.
    int GetCheck() const;
    void SetCheck(int nCheck);
};

// An unsorted, single-selection list box. Indices are 0-based; LB_ERR (-1) means none or a bad
// index.
class CListBox : public CWnd {
public:
    int AddString(LPCSTR lpszItem);
    // -1 appends.
    int InsertString(int nIndex, LPCSTR lpszItem);
    // Answers the number of lines left, or LB_ERR.
    int DeleteString(UINT nIndex);
    void ResetContent();
    int GetCount() const;
    int GetCurSel() const;
    // -1 clears the selection (and answers LB_ERR). Notifies nothing.
    int SetCurSel(int nSelect);
    int GetTextLen(int nIndex) const;
    // Empty text and LB_ERR for a bad index.
    int GetText(int nIndex, CString& rString) const;
};

// A drop-down list combo box.
class CComboBox : public CWnd {
public:
    int AddString(LPCSTR lpszString);
    int GetCount() const;
    int GetCurSel() const;
    int SetCurSel(int nSelect);
};
