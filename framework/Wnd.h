#pragma once
#include "framework/Object.h"
#include "platform/types.h"

// A window object: wraps the window system's handle of a dialog or a control.
class CWnd : public CObject {
public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // The window's handle, or null when this object has no window.
    qv::HWND GetSafeHwnd() const { return m_hWnd; }
    // The same for an optional window object: null when there is none.
    static qv::HWND SafeHandle(const CWnd* pWnd) { return pWnd ? pWnd->m_hWnd : nullptr; }

    qv::HWND m_hWnd = nullptr;
};
