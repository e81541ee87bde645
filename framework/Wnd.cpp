#include "framework/Wnd.h"

#include <unordered_map>
#include <vector>

#include "framework/WinApp.h"

namespace {

// Handle to object, for the windows whose messages reach an object (one UI thread, no lock).
std::unordered_map<qv::HWND, CWnd*>& PermanentMap() {
    static std::unordered_map<qv::HWND, CWnd*> map;
    return map;
}

}  // namespace

BOOL CMenu::AppendMenuA(UINT nFlags, UINT_PTR nIDNewItem, LPCSTR lpszNewItem) {
    return qv::AppendMenuA(m_hMenu, nFlags, nIDNewItem, lpszNewItem);
}

UINT CMenu::EnableMenuItem(UINT nIDEnableItem, UINT nEnable) {
    return static_cast<UINT>(qv::EnableMenuItem(m_hMenu, nIDEnableItem, nEnable));
}

BOOL CMenu::ModifyMenuA(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem, LPCSTR lpszNewItem) {
    return qv::ModifyMenuA(m_hMenu, nPosition, nFlags, nIDNewItem, lpszNewItem);
}

CWnd::~CWnd() {
    auto& map = PermanentMap();
    auto it = map.find(m_hWnd);
    if (it != map.end() && it->second == this) map.erase(it);
}

CWnd* CWnd::FromHandlePermanent(qv::HWND hWnd) {
    auto& map = PermanentMap();
    auto it = map.find(hWnd);
    return it == map.end() ? nullptr : it->second;
}

BOOL CWnd::Attach(qv::HWND hWnd) {
    if (!hWnd || m_hWnd || FromHandlePermanent(hWnd)) return FALSE;
    m_hWnd = hWnd;
    PermanentMap()[hWnd] = this;
    return TRUE;
}

qv::HWND CWnd::Detach() {
    qv::HWND hWnd = m_hWnd;
    auto& map = PermanentMap();
    auto it = map.find(hWnd);
    if (it != map.end() && it->second == this) map.erase(it);
    m_temporaryChildren.clear();
    m_systemMenu.m_hMenu = nullptr;
    m_hWnd = nullptr;
    return hWnd;
}

CWnd* CWnd::GetDlgItem(int nID) {
    qv::HWND hCtl = qv::GetDlgItem(m_hWnd, nID);
    if (!hCtl) return nullptr;
    if (CWnd* pBound = FromHandlePermanent(hCtl)) return pBound;
    std::unique_ptr<CWnd>& pTemp = m_temporaryChildren[hCtl];
    if (!pTemp) {
        pTemp = std::make_unique<CWnd>();
        pTemp->m_hWnd = hCtl;  // not in the permanent map: a control sends nothing to it
    }
    return pTemp.get();
}

int CWnd::GetDlgCtrlID() const {
    return qv::GetDlgCtrlID(m_hWnd);
}

BOOL CWnd::EnableWindow(BOOL bEnable) {
    return qv::EnableWindow(m_hWnd, bEnable ? 1 : 0);
}
BOOL CWnd::IsWindowEnabled() const {
    return qv::IsWindowEnabled(m_hWnd);
}
BOOL CWnd::ShowWindow(int nCmdShow) {
    return qv::ShowWindow(m_hWnd, nCmdShow);
}
BOOL CWnd::IsWindowVisible() const {
    return qv::IsWindowVisible(m_hWnd);
}

void CWnd::SetWindowTextA(LPCSTR lpszString) {
    qv::SetWindowTextA(m_hWnd, lpszString);
}

void CWnd::GetWindowTextA(CString& rString) const {
    int nLength = qv::GetWindowTextLengthA(m_hWnd);
    if (nLength <= 0) {
        rString.Empty();
        return;
    }
    std::vector<char> buffer(static_cast<size_t>(nLength) + 1, '\0');
    int nCopied = qv::GetWindowTextA(m_hWnd, buffer.data(), nLength + 1);
    rString = CString(buffer.data(), nCopied);
}

int CWnd::GetWindowTextLengthA() const {
    return qv::GetWindowTextLengthA(m_hWnd);
}

BOOL CWnd::IsIconic() const {
    return qv::IsIconic(m_hWnd);
}

void CWnd::GetWindowRect(qv::RECT* lpRect) const {
    if (lpRect && !qv::GetWindowRect(m_hWnd, lpRect)) *lpRect = qv::RECT{0, 0, 0, 0};
}

void CWnd::GetClientRect(qv::RECT* lpRect) const {
    if (lpRect && !qv::GetClientRect(m_hWnd, lpRect)) *lpRect = qv::RECT{0, 0, 0, 0};
}

BOOL CWnd::SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags) {
    return qv::SetWindowPos(m_hWnd, SafeHandle(pWndInsertAfter), x, y, cx, cy, nFlags);
}

void CWnd::CenterWindow(CWnd* pAlternateOwner) {
    qv::CenterWindow(m_hWnd, SafeHandle(pAlternateOwner));
}

void CWnd::InvalidateRect(const qv::RECT* lpRect, BOOL bErase) {
    qv::InvalidateRect(m_hWnd, lpRect, bErase ? 1 : 0);
}

void CWnd::SetRedraw(BOOL bRedraw) {
    SendMessageA(WM_SETREDRAW, bRedraw ? 1 : 0, 0);
}

LRESULT CWnd::SendMessageA(UINT message, WPARAM wParam, LPARAM lParam) {
    return qv::SendMessageA(m_hWnd, message, wParam, lParam);
}

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse) {
    return qv::SetTimer(m_hWnd, nIDEvent, nElapse);
}

BOOL CWnd::KillTimer(UINT_PTR nIDEvent) {
    return qv::KillTimer(m_hWnd, nIDEvent);
}

CMenu* CWnd::GetSystemMenu(BOOL bRevert) {
    m_systemMenu.m_hMenu = qv::GetSystemMenu(m_hWnd, bRevert ? 1 : 0);
    return m_systemMenu.m_hMenu ? &m_systemMenu : nullptr;
}

void CWnd::DragAcceptFiles(BOOL bAccept) {
    qv::DragAcceptFiles(m_hWnd, bAccept ? 1 : 0);
}

int CWnd::MessageBoxA(LPCSTR lpszText, LPCSTR lpszCaption, UINT nType) {
    return qv::MessageBoxA(m_hWnd, lpszText, lpszCaption, nType);
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    // Saved and restored because a handler may send this window another message.
    CurrentMessage saved = m_current;
    m_current = CurrentMessage{message, wParam, lParam};
    BOOL bHandled = FALSE;
    LRESULT lResult = 0;
    if (message == WM_COMMAND) {
        bHandled = OnCommand(wParam, lParam);
    } else if (const MessageMapEntry* e = FindMessageEntry(message, 0, 0)) {
        lResult = e->pfnInvoke(*this, wParam, lParam);
        bHandled = TRUE;
    }
    m_current = saved;
    if (pResult) *pResult = lResult;
    return bHandled;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM) {
    UINT nID = qv::LoWord(wParam);
    int nCode = qv::HiWord(wParam);
    if (OnCmdMsg(nID, nCode)) return TRUE;
    CWinApp* pApp = AfxGetApp();
    return pApp ? pApp->OnCmdMsg(nID, nCode) : FALSE;
}

LRESULT CWnd::Default() {
    return qv::DefaultDialogProc(m_hWnd, m_current.message, m_current.wParam, m_current.lParam);
}

CPaintDC::CPaintDC(CWnd* pWnd) : m_hWnd(CWnd::SafeHandle(pWnd)) {
    qv::BeginPaint(m_hWnd, &m_ps);
}

CPaintDC::~CPaintDC() {
    if (m_ps.hdc) qv::EndPaint(m_hWnd, &m_ps);
}

BOOL CPaintDC::DrawIcon(int x, int y, HICON hIcon) {
    return qv::DrawIcon(m_ps.hdc, x, y, hIcon);
}
