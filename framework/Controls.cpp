#include "framework/Controls.h"

#include <vector>

namespace {

LRESULT Send(qv::HWND hWnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return qv::SendMessageA(hWnd, message, wParam, lParam);
}

// A control object without a window answers "none" rather than a plausible index 0.
LRESULT SendOrErr(qv::HWND hWnd, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return hWnd ? qv::SendMessageA(hWnd, message, wParam, lParam) : LB_ERR;
}

// Indices travel in wParam as the platform does it: -1 becomes all bits set.
WPARAM IndexParam(int nIndex) {
    return static_cast<WPARAM>(static_cast<INT_PTR>(nIndex));
}

LPARAM TextParam(LPCSTR lpsz) {
    return reinterpret_cast<LPARAM>(lpsz ? lpsz : "");
}

}  // namespace

int CButton::GetCheck() const {
    return static_cast<int>(Send(m_hWnd, BM_GETCHECK));
}

void CButton::SetCheck(int nCheck) {
    Send(m_hWnd, BM_SETCHECK, static_cast<WPARAM>(nCheck));
}

int CListBox::AddString(LPCSTR lpszItem) {
    return static_cast<int>(SendOrErr(m_hWnd, LB_ADDSTRING, 0, TextParam(lpszItem)));
}

int CListBox::InsertString(int nIndex, LPCSTR lpszItem) {
    return static_cast<int>(
        SendOrErr(m_hWnd, LB_INSERTSTRING, IndexParam(nIndex), TextParam(lpszItem)));
}

int CListBox::DeleteString(UINT nIndex) {
    return static_cast<int>(SendOrErr(m_hWnd, LB_DELETESTRING, nIndex));
}

void CListBox::ResetContent() {
    Send(m_hWnd, LB_RESETCONTENT);
}

int CListBox::GetCount() const {
    return static_cast<int>(Send(m_hWnd, LB_GETCOUNT));
}

int CListBox::GetCurSel() const {
    return static_cast<int>(SendOrErr(m_hWnd, LB_GETCURSEL));
}

int CListBox::SetCurSel(int nSelect) {
    return static_cast<int>(SendOrErr(m_hWnd, LB_SETCURSEL, IndexParam(nSelect)));
}

int CListBox::GetTextLen(int nIndex) const {
    return static_cast<int>(SendOrErr(m_hWnd, LB_GETTEXTLEN, IndexParam(nIndex)));
}

int CListBox::GetText(int nIndex, CString& rString) const {
    rString.Empty();
    int nLength = GetTextLen(nIndex);
    if (nLength < 0) return LB_ERR;
    // LB_GETTEXT copies without a size limit, so the buffer comes from LB_GETTEXTLEN.
    std::vector<char> buffer(static_cast<size_t>(nLength) + 1, '\0');
    int nCopied = static_cast<int>(
        SendOrErr(m_hWnd, LB_GETTEXT, IndexParam(nIndex), reinterpret_cast<LPARAM>(buffer.data())));
    if (nCopied < 0) return LB_ERR;
    rString = CString(buffer.data(), nCopied < nLength ? nCopied : nLength);
    return rString.GetLength();
}

int CComboBox::AddString(LPCSTR lpszString) {
    return static_cast<int>(SendOrErr(m_hWnd, CB_ADDSTRING, 0, TextParam(lpszString)));
}

int CComboBox::GetCount() const {
    return static_cast<int>(Send(m_hWnd, CB_GETCOUNT));
}

int CComboBox::GetCurSel() const {
    return static_cast<int>(SendOrErr(m_hWnd, CB_GETCURSEL));
}

int CComboBox::SetCurSel(int nSelect) {
    return static_cast<int>(SendOrErr(m_hWnd, CB_SETCURSEL, IndexParam(nSelect)));
}
