#pragma once
#include <map>
#include <memory>

#include "framework/CmdTarget.h"
#include "framework/Geometry.h"
#include "framework/String.h"
#include "platform/types.h"

// A menu of the window system; here only a window's system menu.
class CMenu : public CObject {
public:
    BOOL AppendMenuA(UINT nFlags, UINT_PTR nIDNewItem = 0, LPCSTR lpszNewItem = nullptr);
    // By command: MF_ENABLED or MF_GRAYED. Answers the previous state, or (UINT)-1 for no item.
    UINT EnableMenuItem(UINT nIDEnableItem, UINT nEnable);
    // By command: replaces flags, id and text.
    BOOL ModifyMenuA(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem = 0,
                     LPCSTR lpszNewItem = nullptr);

    HMENU m_hMenu = nullptr;
};

// A window object: wraps the window system's handle of a dialog or a control.
class CWnd : public CCmdTarget {
public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    ~CWnd() override;

    // The window's handle, or null when this object has no window.
    qv::HWND GetSafeHwnd() const { return m_hWnd; }
    // The same for an optional window object: null when there is none.
    static qv::HWND SafeHandle(const CWnd* pWnd) { return pWnd ? pWnd->m_hWnd : nullptr; }

    // The object permanently attached to a handle (a running dialog, a bound control), or null.
    static CWnd* FromHandlePermanent(qv::HWND hWnd);
    // Attaches this object to a window so that its messages reach this object's table.
    BOOL Attach(qv::HWND hWnd);
    qv::HWND Detach();

    // The control with that id: its bound object if it has one, otherwise an object that this
    // window owns until it is detached. Null when there is no such control.
    CWnd* GetDlgItem(int nID);
    int GetDlgCtrlID() const;

    // Answers TRUE when the window was disabled before.
    BOOL EnableWindow(BOOL bEnable = TRUE);
    BOOL IsWindowEnabled() const;
    BOOL ShowWindow(int nCmdShow);
    BOOL IsWindowVisible() const;
    void SetWindowTextA(LPCSTR lpszString);
    void GetWindowTextA(CString& rString) const;
    int GetWindowTextLengthA() const;

    BOOL IsIconic() const;
    void GetWindowRect(qv::RECT* lpRect) const;
    void GetClientRect(qv::RECT* lpRect) const;
    BOOL SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags);
    void CenterWindow(CWnd* pAlternateOwner = nullptr);
    void InvalidateRect(const qv::RECT* lpRect = nullptr, BOOL bErase = TRUE);
    void SetRedraw(BOOL bRedraw = TRUE);

    LRESULT SendMessageA(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse);
    BOOL KillTimer(UINT_PTR nIDEvent);
    // Null when the window has no system menu; the object stays valid while this window lives.
    CMenu* GetSystemMenu(BOOL bRevert);
    void DragAcceptFiles(BOOL bAccept = TRUE);
    // A null caption shows the application's name.
    int MessageBoxA(LPCSTR lpszText, LPCSTR lpszCaption = nullptr, UINT nType = MB_OK);

    // Routes one message through the dispatch table; FALSE when no row took it.
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);

    qv::HWND m_hWnd = nullptr;

protected:
    // The window system's default processing of the message being handled now.
    LRESULT Default();
    // WM_COMMAND: this object's table, then the application's.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);

private:
    struct CurrentMessage {
        UINT message = 0;
        WPARAM wParam = 0;
        LPARAM lParam = 0;
    };
    CurrentMessage m_current;
    CMenu m_systemMenu;
    std::map<qv::HWND, std::unique_ptr<CWnd>> m_temporaryChildren;
};

// Begins painting a window on construction and ends it on destruction.
class CPaintDC {
public:
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC();
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;

    HDC GetSafeHdc() const { return m_ps.hdc; }
    BOOL DrawIcon(int x, int y, HICON hIcon);

    qv::PAINTSTRUCT m_ps{};

private:
    qv::HWND m_hWnd;
};
