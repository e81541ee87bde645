#pragma once
// The window system on Linux: the program's dialogs as Qt Widgets windows.
//
// A QApplication must exist before this object, on the thread that constructs it; that thread is
// the user-interface thread, on which every call but PostWindowMessage must be made. Each modal
// dialog runs a nested event loop until EndDialog. The system menu is the window's context menu
// (a right click in the client area), with Restore, Minimize and Close above the program's items.
// Painting is Qt's own: the program never receives WM_PAINT, and the minimised window shows icon
// 128, the window icon, wherever the desktop shows minimised windows.
#include <QMargins>
#include <QSize>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/WindowBackendSupport.h"
#include "platform/window.h"

class QIcon;
class QObject;
class QPoint;
class QWidget;

namespace qv::qtui {

struct BaseUnits;

using qv::MenuItem;

class QtWindowSystem final : public WindowBackend {
public:
    QtWindowSystem();
    ~QtWindowSystem() override;

    // For tests and tools.
    // Called when a modal dialog has been shown, just before its event loop runs.
    using DialogShownHook = std::function<void(HWND hDlg, std::uint32_t templateId)>;
    void SetDialogShownHook(DialogShownHook hook);
    // The widget that shows a dialog or control, or null.
    QWidget* WidgetOf(HWND hWnd) const;
    // The dialog's base units (pixels per 4 dialog units across, per 8 down).
    bool GetBaseUnits(HWND hDlg, BaseUnits* pUnits) const;
    // True once EndDialog was called for the dialog (or when there is no such dialog).
    bool HasEnded(HWND hDlg) const;
    bool Redraws(HWND hWnd) const;
    int Invalidations(HWND hWnd) const;
    // Icon 128 as Qt shows it.
    const QIcon& AppIcon() const;
    // Paths dropped on a dialog as if the user had dragged them there (another start's files).
    void DropPaths(HWND hDlg, std::vector<std::string> paths) { OnDrop(hDlg, std::move(paths)); }

    // IWindowSystem: what this window system does its own way.
    std::int32_t EnableWindow(HWND hWnd, std::int32_t enable) override;
    std::int32_t IsWindowEnabled(HWND hWnd) override;
    std::int32_t ShowWindow(HWND hWnd, std::int32_t cmdShow) override;
    std::int32_t IsWindowVisible(HWND hWnd) override;
    std::int32_t GetWindowRect(HWND hWnd, RECT* pRect) override;
    std::int32_t GetClientRect(HWND hWnd, RECT* pRect) override;
    std::int32_t SetWindowPos(HWND hWnd, HWND hWndInsertAfter, std::int32_t x, std::int32_t y,
                              std::int32_t cx, std::int32_t cy, std::uint32_t flags) override;
    std::int32_t CenterWindow(HWND hWnd, HWND hWndAlternateOwner) override;
    std::int32_t InvalidateRect(HWND hWnd, const RECT* pRect, std::int32_t erase) override;
    std::uintptr_t SetTimer(HWND hWnd, std::uintptr_t id, std::uint32_t elapseMs) override;
    std::int32_t KillTimer(HWND hWnd, std::uintptr_t id) override;
    std::int32_t MessageBoxA(HWND hWndOwner, const char* text, const char* caption,
                             std::uint32_t type) override;
    std::int32_t GetOpenFileNameA(OPENFILENAMEA* pOfn) override;
    std::int32_t GetSaveFileNameA(OPENFILENAMEA* pOfn) override;
    void DragAcceptFiles(HWND hWnd, std::int32_t accept) override;
    HICON LoadAppIcon(std::uint32_t resourceId) override;
    std::int32_t DrawIcon(HDC hdc, std::int32_t x, std::int32_t y, HICON hIcon) override;
    std::int32_t GetSystemMetrics(std::int32_t index) override;
    HDC BeginPaint(HWND hWnd, PAINTSTRUCT* pPaint) override;
    std::int32_t EndPaint(HWND hWnd, const PAINTSTRUCT* pPaint) override;

private:
    friend class DialogWidget;
    friend class PostReceiver;
    struct Window;

    // WindowBackend.
    std::unique_ptr<BackendWindow> NewWindow() override;
    void DialogCreated(BackendWindow& dlg) override;
    void ControlCreated(BackendWindow& dlg, BackendWindow& ctl,
                        const res::ControlTemplate& ct) override;
    void ControlsCreated(BackendWindow& dlg) override;
    void RunDialog(BackendWindow& dlg, std::intptr_t initAnswer) override;
    void DialogEnded(BackendWindow& dlg) override;
    void OwnerEnabledAgain(BackendWindow& owner) override;
    void Destroying(BackendWindow& dlg) override;
    bool Enqueue(HWND hWnd, std::uint32_t message, std::uintptr_t wParam,
                 std::intptr_t lParam) override;
    void SetIconic(BackendWindow& dlg, bool iconic) override;
    void ShowText(BackendWindow& wnd) override;
    void ShowRedraw(BackendWindow& wnd) override;
    void ShowLines(BackendWindow& ctl, ListChange change) override;
    void ShowCheck(BackendWindow& ctl) override;

    Window* Find(HWND hWnd) const;
    Window* FindDialog(HWND hWnd) const;
    Window* DialogOf(const Window& wnd) const;
    bool TakesInput(const Window& dlg) const;
    void ShowDialog(Window& dlg, bool focusFirst);
    void Command(HWND hCtl, std::uint32_t code);
    void SyncListSelection(Window& ctl, bool scroll);

    // What the user does to a dialog (called by its widget).
    void OnEnter(HWND hDlg);
    void OnEscape(HWND hDlg);
    void OnCloseBox(HWND hDlg, const QPoint& global);
    void OnWindowStateChanged(HWND hDlg);
    void OnMoved(HWND hDlg);
    void OnContextMenu(HWND hDlg, const QPoint& global);
    bool AcceptsDrops(HWND hDlg) const;
    void OnDrop(HWND hDlg, std::vector<std::string> paths);
    void DeliverDrop(HWND hDlg, HDROP hDrop);

    RECT FrameRect(const Window& wnd) const;
    QSize FramedSize(const Window& dlg) const;

    DialogShownHook m_onShown;
    std::unique_ptr<QIcon> m_icon;
    // What the window manager puts around a window, once it has framed one.
    QMargins m_frame;
    std::unique_ptr<QObject> m_receiver;  // lives on the user-interface thread; takes posts
};

}  // namespace qv::qtui
