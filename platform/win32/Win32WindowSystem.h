#pragma once
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/WindowBackendSupport.h"

namespace qv::win32 {

// The window seam on USER32, COMDLG32 and SHELL32: real dialogs from the program's resources,
// real controls, the real system menu, timers and message boxes. The seam's handles are the
// system's. Texts are the program's bytes: controls get them decoded for display, and the list
// box and the texts set through the seam read back exactly the bytes that were given. The shared
// base keeps those bytes and a list box's lines; while the program has turned a list box's
// redrawing off, its lines change there alone and reach the control in one refill.
class Win32WindowSystem final : public WindowBackend {
public:
    // instance: the module whose resources hold the dialogs and icon 128.
    explicit Win32WindowSystem(void* instance);

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

    // Told of each dialog as it starts, before the program's WM_INITDIALOG: a test's user waits
    // for it.
    using DialogShownHook = std::function<void(HWND hDlg, std::uint32_t templateId)>;
    void SetDialogShownHook(DialogShownHook hook) { m_onShown = std::move(hook); }

    // Called by the dialogs' own procedure.
    void PrepareDialog(HWND hDlg, std::uint32_t templateId);
    void ForgetDialog(HWND hDlg);

private:
    // The bytes the program gave a window, kept beside what the control shows.
    struct Mirror : BackendWindow {
        bool hasText = false;
    };

    std::unique_ptr<BackendWindow> NewWindow() override;
    void ShowRedraw(BackendWindow& list) override;
    void ShowLines(BackendWindow& list, ListChange change) override;
    Mirror& MirrorOf(HWND hWnd);
    std::intptr_t SetText(HWND hWnd, const std::string& text);
    std::string GetText(HWND hWnd);
    std::intptr_t ListMessage(HWND hWnd, std::uint32_t message, std::uintptr_t wParam,
                              std::intptr_t lParam);
    std::int32_t FileDialog(OPENFILENAMEA* pOfn, bool save);

    void* m_instance;
    DialogShownHook m_onShown;
    std::map<HWND, std::vector<unsigned char>> m_paints;  // the system's PAINTSTRUCT per window
};

}  // namespace qv::win32
