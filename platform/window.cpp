#include "platform/window.h"

#include <atomic>
#include <string>

#include "platform/strings.h"
#include "res/resource.h"

namespace qv {
namespace {

// Atomic because PostWindowMessage may run on another thread while a test installs a backend.
std::atomic<IWindowSystem*> g_backend{nullptr};

IWindowSystem* Backend() {
    return g_backend.load(std::memory_order_acquire);
}

}  // namespace

IWindowSystem* InstallWindowSystem(IWindowSystem* backend) {
    return g_backend.exchange(backend, std::memory_order_acq_rel);
}

std::intptr_t DialogBoxParamA(std::uint32_t templateId, HWND hWndParent, DialogProc proc,
                              std::intptr_t initParam) {
    IWindowSystem* b = Backend();
    return b && proc ? b->DialogBoxParamA(templateId, hWndParent, proc, initParam) : -1;
}

std::int32_t EndDialog(HWND hDlg, std::intptr_t result) {
    IWindowSystem* b = Backend();
    return b ? b->EndDialog(hDlg, result) : 0;
}

HWND GetDlgItem(HWND hDlg, std::int32_t id) {
    IWindowSystem* b = Backend();
    return b ? b->GetDlgItem(hDlg, id) : nullptr;
}

std::int32_t GetDlgCtrlID(HWND hWnd) {
    IWindowSystem* b = Backend();
    return b ? b->GetDlgCtrlID(hWnd) : 0;
}

std::intptr_t SendMessageA(HWND hWnd, std::uint32_t message, std::uintptr_t wParam,
                           std::intptr_t lParam) {
    IWindowSystem* b = Backend();
    return b ? b->SendMessageA(hWnd, message, wParam, lParam) : 0;
}

std::int32_t PostWindowMessage(HWND hWnd, std::uint32_t message, std::uintptr_t wParam,
                               std::intptr_t lParam) {
    IWindowSystem* b = Backend();
    return b ? b->PostWindowMessage(hWnd, message, wParam, lParam) : 0;
}

std::intptr_t DefaultDialogProc(HWND hDlg, std::uint32_t message, std::uintptr_t wParam,
                                std::intptr_t lParam) {
    IWindowSystem* b = Backend();
    return b ? b->DefaultDialogProc(hDlg, message, wParam, lParam) : 0;
}

std::int32_t EnableWindow(HWND hWnd, std::int32_t enable) {
    IWindowSystem* b = Backend();
    return b ? b->EnableWindow(hWnd, enable) : 0;
}

std::int32_t IsWindowEnabled(HWND hWnd) {
    IWindowSystem* b = Backend();
    return b ? b->IsWindowEnabled(hWnd) : 0;
}

std::int32_t ShowWindow(HWND hWnd, std::int32_t cmdShow) {
    IWindowSystem* b = Backend();
    return b ? b->ShowWindow(hWnd, cmdShow) : 0;
}

std::int32_t IsWindowVisible(HWND hWnd) {
    IWindowSystem* b = Backend();
    return b ? b->IsWindowVisible(hWnd) : 0;
}

std::int32_t SetWindowTextA(HWND hWnd, const char* text) {
    return static_cast<std::int32_t>(
        SendMessageA(hWnd, WM_SETTEXT, 0, reinterpret_cast<std::intptr_t>(text ? text : "")));
}

std::int32_t GetWindowTextA(HWND hWnd, char* buffer, std::int32_t cch) {
    if (!buffer || cch <= 0) return 0;
    buffer[0] = '\0';
    return static_cast<std::int32_t>(SendMessageA(hWnd, WM_GETTEXT,
                                                  static_cast<std::uintptr_t>(cch),
                                                  reinterpret_cast<std::intptr_t>(buffer)));
}

std::int32_t GetWindowTextLengthA(HWND hWnd) {
    return static_cast<std::int32_t>(SendMessageA(hWnd, WM_GETTEXTLENGTH, 0, 0));
}

std::int32_t IsIconic(HWND hWnd) {
    IWindowSystem* b = Backend();
    return b ? b->IsIconic(hWnd) : 0;
}

std::int32_t GetWindowRect(HWND hWnd, RECT* pRect) {
    IWindowSystem* b = Backend();
    return b && pRect ? b->GetWindowRect(hWnd, pRect) : 0;
}

std::int32_t GetClientRect(HWND hWnd, RECT* pRect) {
    IWindowSystem* b = Backend();
    return b && pRect ? b->GetClientRect(hWnd, pRect) : 0;
}

std::int32_t SetWindowPos(HWND hWnd, HWND hWndInsertAfter, std::int32_t x, std::int32_t y,
                          std::int32_t cx, std::int32_t cy, std::uint32_t flags) {
    IWindowSystem* b = Backend();
    return b ? b->SetWindowPos(hWnd, hWndInsertAfter, x, y, cx, cy, flags) : 0;
}

std::int32_t CenterWindow(HWND hWnd, HWND hWndAlternateOwner) {
    IWindowSystem* b = Backend();
    return b ? b->CenterWindow(hWnd, hWndAlternateOwner) : 0;
}

std::int32_t InvalidateRect(HWND hWnd, const RECT* pRect, std::int32_t erase) {
    IWindowSystem* b = Backend();
    return b ? b->InvalidateRect(hWnd, pRect, erase) : 0;
}

std::uintptr_t SetTimer(HWND hWnd, std::uintptr_t id, std::uint32_t elapseMs) {
    IWindowSystem* b = Backend();
    return b ? b->SetTimer(hWnd, id, elapseMs) : 0;
}

std::int32_t KillTimer(HWND hWnd, std::uintptr_t id) {
    IWindowSystem* b = Backend();
    return b ? b->KillTimer(hWnd, id) : 0;
}

HMENU GetSystemMenu(HWND hWnd, std::int32_t revert) {
    IWindowSystem* b = Backend();
    return b ? b->GetSystemMenu(hWnd, revert) : nullptr;
}

std::int32_t AppendMenuA(HMENU hMenu, std::uint32_t flags, std::uintptr_t idNewItem,
                         const char* text) {
    IWindowSystem* b = Backend();
    return b ? b->AppendMenuA(hMenu, flags, idNewItem, text) : 0;
}

std::int32_t EnableMenuItem(HMENU hMenu, std::uint32_t idItem, std::uint32_t enable) {
    IWindowSystem* b = Backend();
    return b ? b->EnableMenuItem(hMenu, idItem, enable) : -1;
}

std::int32_t ModifyMenuA(HMENU hMenu, std::uint32_t position, std::uint32_t flags,
                         std::uintptr_t idNewItem, const char* text) {
    IWindowSystem* b = Backend();
    return b ? b->ModifyMenuA(hMenu, position, flags, idNewItem, text) : 0;
}

std::int32_t MessageBoxA(HWND hWndOwner, const char* text, const char* caption,
                         std::uint32_t type) {
    IWindowSystem* b = Backend();
    if (!b) return 0;
    // Every backend shows the application's name for a box without a caption of its own.
    std::string appName(LoadResourceString(IDS_PRODUCTNAME));
    return b->MessageBoxA(hWndOwner, text ? text : "", caption ? caption : appName.c_str(), type);
}

std::int32_t GetOpenFileNameA(OPENFILENAMEA* pOfn) {
    IWindowSystem* b = Backend();
    return b && pOfn && pOfn->lpstrFile && pOfn->nMaxFile > 0 ? b->GetOpenFileNameA(pOfn) : 0;
}

std::int32_t GetSaveFileNameA(OPENFILENAMEA* pOfn) {
    IWindowSystem* b = Backend();
    return b && pOfn && pOfn->lpstrFile && pOfn->nMaxFile > 0 ? b->GetSaveFileNameA(pOfn) : 0;
}

void DragAcceptFiles(HWND hWnd, std::int32_t accept) {
    if (IWindowSystem* b = Backend()) b->DragAcceptFiles(hWnd, accept);
}

std::uint32_t DragQueryFileA(HDROP hDrop, std::uint32_t index, char* buffer, std::uint32_t cch) {
    IWindowSystem* b = Backend();
    return b ? b->DragQueryFileA(hDrop, index, buffer, cch) : 0;
}

void DragFinish(HDROP hDrop) {
    if (IWindowSystem* b = Backend()) b->DragFinish(hDrop);
}

HICON LoadAppIcon(std::uint32_t resourceId) {
    IWindowSystem* b = Backend();
    return b ? b->LoadAppIcon(resourceId) : nullptr;
}

std::int32_t DrawIcon(HDC hdc, std::int32_t x, std::int32_t y, HICON hIcon) {
    IWindowSystem* b = Backend();
    return b ? b->DrawIcon(hdc, x, y, hIcon) : 0;
}

std::int32_t GetSystemMetrics(std::int32_t index) {
    IWindowSystem* b = Backend();
    return b ? b->GetSystemMetrics(index) : 0;
}

HDC BeginPaint(HWND hWnd, PAINTSTRUCT* pPaint) {
    IWindowSystem* b = Backend();
    return b && pPaint ? b->BeginPaint(hWnd, pPaint) : nullptr;
}

std::int32_t EndPaint(HWND hWnd, const PAINTSTRUCT* pPaint) {
    IWindowSystem* b = Backend();
    return b && pPaint ? b->EndPaint(hWnd, pPaint) : 0;
}

}  // namespace qv
