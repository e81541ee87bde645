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
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/WindowBackendSupport.h"
#include "platform/window.h"
#include "res/DialogTemplate.h"

class QIcon;
class QObject;
class QPoint;
class QWidget;

namespace qv::qtui {

struct BaseUnits;

using qv::MenuItem;

class QtWindowSystem final : public IWindowSystem {
public:
    QtWindowSystem();
    ~QtWindowSystem() override;
    QtWindowSystem(const QtWindowSystem&) = delete;
    QtWindowSystem& operator=(const QtWindowSystem&) = delete;

    // For tests and tools.
    // A template of the caller's own, found before the program's; it must outlive this object.
    void AddTemplate(const res::DialogTemplate& tpl);
    // Called when a modal dialog has been shown, just before its event loop runs.
    using DialogShownHook = std::function<void(HWND hDlg, std::uint32_t templateId)>;
    void SetDialogShownHook(DialogShownHook hook);
    // The widget that shows a dialog or control, or null.
    QWidget* WidgetOf(HWND hWnd) const;
    // The dialog's base units (pixels per 4 dialog units across, per 8 down).
    bool GetBaseUnits(HWND hDlg, BaseUnits* pUnits) const;
    // The system menu as the user would see it now (Restore and Minimize follow the window).
    std::vector<MenuItem> SystemMenu(HWND hDlg) const;
    // True once EndDialog was called for the dialog (or when there is no such dialog).
    bool HasEnded(HWND hDlg) const;
    bool Redraws(HWND hWnd) const;
    int Invalidations(HWND hWnd) const;
    // Icon 128 as Qt shows it.
    const QIcon& AppIcon() const;
    // Paths dropped on a dialog as if the user had dragged them there (another start's files).
    void DropPaths(HWND hDlg, std::vector<std::string> paths) { OnDrop(hDlg, std::move(paths)); }

    // IWindowSystem.
    std::intptr_t DialogBoxParamA(std::uint32_t templateId, HWND hWndParent, DialogProc proc,
                                  std::intptr_t initParam) override;
    std::int32_t EndDialog(HWND hDlg, std::intptr_t result) override;
    HWND GetDlgItem(HWND hDlg, std::int32_t id) override;
    std::int32_t GetDlgCtrlID(HWND hWnd) override;
    std::intptr_t SendMessageA(HWND hWnd, std::uint32_t message, std::uintptr_t wParam,
                               std::intptr_t lParam) override;
    std::int32_t PostWindowMessage(HWND hWnd, std::uint32_t message, std::uintptr_t wParam,
                                   std::intptr_t lParam) override;
    std::intptr_t DefaultDialogProc(HWND hDlg, std::uint32_t message, std::uintptr_t wParam,
                                    std::intptr_t lParam) override;
    std::int32_t EnableWindow(HWND hWnd, std::int32_t enable) override;
    std::int32_t IsWindowEnabled(HWND hWnd) override;
    std::int32_t ShowWindow(HWND hWnd, std::int32_t cmdShow) override;
    std::int32_t IsWindowVisible(HWND hWnd) override;
    std::int32_t IsIconic(HWND hWnd) override;
    std::int32_t GetWindowRect(HWND hWnd, RECT* pRect) override;
    std::int32_t GetClientRect(HWND hWnd, RECT* pRect) override;
    std::int32_t SetWindowPos(HWND hWnd, HWND hWndInsertAfter, std::int32_t x, std::int32_t y,
                              std::int32_t cx, std::int32_t cy, std::uint32_t flags) override;
    std::int32_t CenterWindow(HWND hWnd, HWND hWndAlternateOwner) override;
    std::int32_t InvalidateRect(HWND hWnd, const RECT* pRect, std::int32_t erase) override;
    std::uintptr_t SetTimer(HWND hWnd, std::uintptr_t id, std::uint32_t elapseMs) override;
    std::int32_t KillTimer(HWND hWnd, std::uintptr_t id) override;
    HMENU GetSystemMenu(HWND hWnd, std::int32_t revert) override;
    std::int32_t AppendMenuA(HMENU hMenu, std::uint32_t flags, std::uintptr_t idNewItem,
                             const char* text) override;
    std::int32_t EnableMenuItem(HMENU hMenu, std::uint32_t idItem, std::uint32_t enable) override;
    std::int32_t ModifyMenuA(HMENU hMenu, std::uint32_t position, std::uint32_t flags,
                             std::uintptr_t idNewItem, const char* text) override;
    std::int32_t MessageBoxA(HWND hWndOwner, const char* text, const char* caption,
                             std::uint32_t type) override;
    std::int32_t GetOpenFileNameA(OPENFILENAMEA* pOfn) override;
    std::int32_t GetSaveFileNameA(OPENFILENAMEA* pOfn) override;
    void DragAcceptFiles(HWND hWnd, std::int32_t accept) override;
    std::uint32_t DragQueryFileA(HDROP hDrop, std::uint32_t index, char* buffer,
                                 std::uint32_t cch) override;
    void DragFinish(HDROP hDrop) override;
    HICON LoadAppIcon(std::uint32_t resourceId) override;
    std::int32_t DrawIcon(HDC hdc, std::int32_t x, std::int32_t y, HICON hIcon) override;
    std::int32_t GetSystemMetrics(std::int32_t index) override;
    HDC BeginPaint(HWND hWnd, PAINTSTRUCT* pPaint) override;
    std::int32_t EndPaint(HWND hWnd, const PAINTSTRUCT* pPaint) override;

private:
    friend class DialogWidget;
    friend class PostReceiver;
    struct Window;

    // Dialogs.
    const res::DialogTemplate* FindTemplate(std::uint32_t id) const;
    Window& CreateDialogWindow(const res::DialogTemplate& tpl, HWND owner, DialogProc proc);
    void CreateControl(Window& dlg, const res::ControlTemplate& ct);
    void SetUpKeyboard(Window& dlg);
    void ShowDialog(Window& dlg, bool focusFirst);
    void RunModalLoop(Window& dlg);
    void DestroyDialog(Window& dlg);
    Window* Find(HWND hWnd) const;
    Window* FindDialog(HWND hWnd) const;
    Window* FindByMenu(HMENU hMenu) const;
    Window* DialogOf(const Window& wnd) const;
    bool TakesInput(const Window& dlg) const;

    // Messages.
    std::intptr_t Deliver(Window& dlg, std::uint32_t message, std::uintptr_t wParam,
                          std::intptr_t lParam);
    void Command(HWND hCtl, std::uint32_t code);
    std::intptr_t ControlMessage(Window& ctl, std::uint32_t message, std::uintptr_t wParam,
                                 std::intptr_t lParam);
    std::intptr_t ListBoxMessage(Window& ctl, std::uint32_t message, std::uintptr_t wParam,
                                 std::intptr_t lParam);
    std::intptr_t ComboBoxMessage(Window& ctl, std::uint32_t message, std::uintptr_t wParam,
                                  std::intptr_t lParam);
    std::intptr_t TextMessage(Window& wnd, std::uint32_t message, std::uintptr_t wParam,
                              std::intptr_t lParam, bool* pHandled);
    void ShowText(Window& wnd);
    void SyncListSelection(Window& ctl, bool scroll);
    void DeliverPosted(HWND hWnd, std::uint32_t message, std::uintptr_t wParam,
                       std::intptr_t lParam);

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

    void ResetSystemMenu(Window& dlg);
    RECT FrameRect(const Window& wnd) const;
    QSize FramedSize(const Window& dlg) const;

    std::map<HWND, std::unique_ptr<Window>> m_windows;
    std::uintptr_t m_nextHandle = 0x100;
    std::vector<const res::DialogTemplate*> m_testTemplates;
    DialogShownHook m_onShown;
    std::unique_ptr<QIcon> m_icon;
    // What the window manager puts around a window, once it has framed one.
    QMargins m_frame;
    std::unique_ptr<QObject> m_receiver;  // lives on the user-interface thread; takes posts

    std::map<HDROP, std::vector<std::string>> m_drops;
    std::uintptr_t m_nextDrop = 0x10;

    // The only state other threads touch: which windows exist, to refuse posts to the others.
    mutable std::mutex m_liveMutex;
    std::set<HWND> m_liveWindows;
};

}  // namespace qv::qtui
