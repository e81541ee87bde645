#pragma once
// The window-system seam: dialogs built from the templates in res/, their controls addressed by
// id, the message vocabulary the program uses (with the Win32 values), timers, the system menu,
// message boxes, file dialogs, dropped files and the icon. A backend is installed by main() or by
// a test fixture; without one every call answers its failure result (0, null or -1).
#include <cstdint>

#include "platform/types.h"

namespace qv {

struct HICON__;
using HICON = HICON__*;
struct HMENU__;
using HMENU = HMENU__*;
struct HDROP__;
using HDROP = HDROP__*;
struct HDC__;
using HDC = HDC__*;

}  // namespace qv

// Constants with the values <windows.h> gives them, each guarded so that a backend may include
// <windows.h> first.

// Messages a dialog receives.
#ifndef WM_SIZE
#define WM_SIZE 0x0005
#endif
#ifndef WM_SETREDRAW
#define WM_SETREDRAW 0x000B
#endif
#ifndef WM_SETTEXT
#define WM_SETTEXT 0x000C
#endif
#ifndef WM_GETTEXT
#define WM_GETTEXT 0x000D
#endif
#ifndef WM_GETTEXTLENGTH
#define WM_GETTEXTLENGTH 0x000E
#endif
#ifndef WM_PAINT
#define WM_PAINT 0x000F
#endif
#ifndef WM_CLOSE
#define WM_CLOSE 0x0010
#endif
#ifndef WM_ICONERASEBKGND
#define WM_ICONERASEBKGND 0x0027
#endif
#ifndef WM_QUERYDRAGICON
#define WM_QUERYDRAGICON 0x0037
#endif
#ifndef WM_NCRBUTTONDOWN
#define WM_NCRBUTTONDOWN 0x00A4
#endif
#ifndef WM_INITDIALOG
#define WM_INITDIALOG 0x0110
#endif
#ifndef WM_COMMAND
#define WM_COMMAND 0x0111
#endif
#ifndef WM_SYSCOMMAND
#define WM_SYSCOMMAND 0x0112
#endif
#ifndef WM_TIMER
#define WM_TIMER 0x0113
#endif
#ifndef WM_DROPFILES
#define WM_DROPFILES 0x0233
#endif
#ifndef WM_USER
#define WM_USER 0x0400
#endif
// The sequencer's completion message (its codes belong to the MCI seam).
#ifndef MM_MCINOTIFY
#define MM_MCINOTIFY 0x3B9
#endif

// Notification codes in the high word of WM_COMMAND's wParam.
#ifndef BN_CLICKED
#define BN_CLICKED 0
#endif
#ifndef LBN_SELCHANGE
#define LBN_SELCHANGE 1
#endif
#ifndef CBN_SELCHANGE
#define CBN_SELCHANGE 1
#endif

// List box.
#ifndef LB_ADDSTRING
#define LB_ADDSTRING 0x0180
#endif
#ifndef LB_INSERTSTRING
#define LB_INSERTSTRING 0x0181
#endif
#ifndef LB_DELETESTRING
#define LB_DELETESTRING 0x0182
#endif
#ifndef LB_RESETCONTENT
#define LB_RESETCONTENT 0x0184
#endif
#ifndef LB_SETCURSEL
#define LB_SETCURSEL 0x0186
#endif
#ifndef LB_GETCURSEL
#define LB_GETCURSEL 0x0188
#endif
#ifndef LB_GETTEXT
#define LB_GETTEXT 0x0189
#endif
#ifndef LB_GETTEXTLEN
#define LB_GETTEXTLEN 0x018A
#endif
#ifndef LB_GETCOUNT
#define LB_GETCOUNT 0x018B
#endif
#ifndef LB_ERR
#define LB_ERR (-1)
#endif

// Combo box.
#ifndef CB_ADDSTRING
#define CB_ADDSTRING 0x0143
#endif
#ifndef CB_GETCOUNT
#define CB_GETCOUNT 0x0146
#endif
#ifndef CB_GETCURSEL
#define CB_GETCURSEL 0x0147
#endif
#ifndef CB_SETCURSEL
#define CB_SETCURSEL 0x014E
#endif
#ifndef CB_ERR
#define CB_ERR (-1)
#endif

// Buttons.
#ifndef BM_GETCHECK
#define BM_GETCHECK 0x00F0
#endif
#ifndef BM_SETCHECK
#define BM_SETCHECK 0x00F1
#endif
#ifndef BST_UNCHECKED
#define BST_UNCHECKED 0x0000
#endif
#ifndef BST_CHECKED
#define BST_CHECKED 0x0001
#endif

// WM_SIZE types.
#ifndef SIZE_RESTORED
#define SIZE_RESTORED 0
#endif
#ifndef SIZE_MINIMIZED
#define SIZE_MINIMIZED 1
#endif

// The platform's own system-menu commands.
#ifndef SC_MOVE
#define SC_MOVE 0xF010
#endif
#ifndef SC_MINIMIZE
#define SC_MINIMIZE 0xF020
#endif
#ifndef SC_CLOSE
#define SC_CLOSE 0xF060
#endif
#ifndef SC_RESTORE
#define SC_RESTORE 0xF120
#endif

// Hit-test code of the title bar (WM_NCRBUTTONDOWN).
#ifndef HTCAPTION
#define HTCAPTION 2
#endif

// Menus.
#ifndef MF_STRING
#define MF_STRING 0x0000
#endif
#ifndef MF_ENABLED
#define MF_ENABLED 0x0000
#endif
#ifndef MF_BYCOMMAND
#define MF_BYCOMMAND 0x0000
#endif
#ifndef MF_GRAYED
#define MF_GRAYED 0x0001
#endif
#ifndef MF_DISABLED
#define MF_DISABLED 0x0002
#endif
#ifndef MF_SEPARATOR
#define MF_SEPARATOR 0x0800
#endif

// Window placement.
#ifndef SWP_NOSIZE
#define SWP_NOSIZE 0x0001
#endif
#ifndef SWP_NOMOVE
#define SWP_NOMOVE 0x0002
#endif
#ifndef SWP_NOZORDER
#define SWP_NOZORDER 0x0004
#endif
#ifndef SWP_SHOWWINDOW
#define SWP_SHOWWINDOW 0x0040
#endif
#ifndef SW_HIDE
#define SW_HIDE 0
#endif
#ifndef SW_SHOW
#define SW_SHOW 5
#endif

// Message boxes and their answers.
#ifndef MB_OK
#define MB_OK 0x0000
#endif
#ifndef MB_OKCANCEL
#define MB_OKCANCEL 0x0001
#endif
#ifndef MB_ICONEXCLAMATION
#define MB_ICONEXCLAMATION 0x0030
#endif
#ifndef IDOK
#define IDOK 1
#endif
#ifndef IDCANCEL
#define IDCANCEL 2
#endif

// System metrics.
#ifndef SM_CXSCREEN
#define SM_CXSCREEN 0
#endif
#ifndef SM_CYSCREEN
#define SM_CYSCREEN 1
#endif
#ifndef SM_CXICON
#define SM_CXICON 11
#endif
#ifndef SM_CYICON
#define SM_CYICON 12
#endif

// File dialogs.
#ifndef OFN_OVERWRITEPROMPT
#define OFN_OVERWRITEPROMPT 0x00000002
#endif
#ifndef OFN_HIDEREADONLY
#define OFN_HIDEREADONLY 0x00000004
#endif
#ifndef OFN_SHOWHELP
#define OFN_SHOWHELP 0x00000010
#endif
#ifndef OFN_ALLOWMULTISELECT
#define OFN_ALLOWMULTISELECT 0x00000200
#endif
#ifndef OFN_PATHMUSTEXIST
#define OFN_PATHMUSTEXIST 0x00000800
#endif
#ifndef OFN_FILEMUSTEXIST
#define OFN_FILEMUSTEXIST 0x00001000
#endif
#ifndef OFN_EXPLORER
#define OFN_EXPLORER 0x00080000
#endif

namespace qv {

// The index that makes DragQueryFileA answer the number of dropped items.
inline constexpr std::uint32_t kDragQueryCount = 0xFFFFFFFFu;

struct RECT {
    std::int32_t left;
    std::int32_t top;
    std::int32_t right;
    std::int32_t bottom;
};

struct POINT {
    std::int32_t x;
    std::int32_t y;
};

struct PAINTSTRUCT {
    HDC hdc;
    std::int32_t fErase;
    RECT rcPaint;
};

// The parts of the common file dialog's parameter block that the program uses, in Win32 order.
struct OPENFILENAMEA {
    HWND hwndOwner;
    const char* lpstrFilter;  // description and pattern pairs, each ended by a zero, then a zero
    std::uint32_t nFilterIndex;
    char* lpstrFile;  // in: initial name; out: the selection text
    std::uint32_t nMaxFile;
    const char* lpstrTitle;  // null: the platform's title
    std::uint32_t Flags;
    std::uint16_t nFileOffset;
    std::uint16_t nFileExtension;  // offset of the extension in lpstrFile, 0 for none
    const char* lpstrDefExt;       // without the dot; null for none
};

// A dialog's message procedure. It answers nonzero when it handled the message and then puts the
// message's result into *pResult; a message it leaves alone gets the default processing.
using DialogProc = std::int32_t (*)(HWND hDlg, std::uint32_t message, std::uintptr_t wParam,
                                    std::intptr_t lParam, std::intptr_t* pResult);

constexpr std::uint16_t LoWord(std::uintptr_t v) {
    return static_cast<std::uint16_t>(v & 0xFFFF);
}
constexpr std::uint16_t HiWord(std::uintptr_t v) {
    return static_cast<std::uint16_t>((v >> 16) & 0xFFFF);
}
constexpr std::uintptr_t MakeWParam(std::uint32_t lo, std::uint32_t hi) {
    return (lo & 0xFFFF) | ((hi & 0xFFFF) << 16);
}
constexpr std::intptr_t MakeLParam(std::int32_t lo, std::int32_t hi) {
    return static_cast<std::intptr_t>(static_cast<std::uint32_t>(lo & 0xFFFF) |
                                      (static_cast<std::uint32_t>(hi & 0xFFFF) << 16));
}

class IWindowSystem {
public:
    virtual ~IWindowSystem() = default;

    // Dialogs and messages.
    virtual std::intptr_t DialogBoxParamA(std::uint32_t templateId, HWND hWndParent,
                                          DialogProc proc, std::intptr_t initParam) = 0;
    virtual std::int32_t EndDialog(HWND hDlg, std::intptr_t result) = 0;
    virtual HWND GetDlgItem(HWND hDlg, std::int32_t id) = 0;
    virtual std::int32_t GetDlgCtrlID(HWND hWnd) = 0;
    virtual std::intptr_t SendMessageA(HWND hWnd, std::uint32_t message, std::uintptr_t wParam,
                                       std::intptr_t lParam) = 0;
    virtual std::int32_t PostWindowMessage(HWND hWnd, std::uint32_t message, std::uintptr_t wParam,
                                           std::intptr_t lParam) = 0;
    virtual std::intptr_t DefaultDialogProc(HWND hDlg, std::uint32_t message, std::uintptr_t wParam,
                                            std::intptr_t lParam) = 0;

    // Window state.
    virtual std::int32_t EnableWindow(HWND hWnd, std::int32_t enable) = 0;
    virtual std::int32_t IsWindowEnabled(HWND hWnd) = 0;
    virtual std::int32_t ShowWindow(HWND hWnd, std::int32_t cmdShow) = 0;
    virtual std::int32_t IsWindowVisible(HWND hWnd) = 0;
    virtual std::int32_t IsIconic(HWND hWnd) = 0;
    virtual std::int32_t GetWindowRect(HWND hWnd, RECT* pRect) = 0;
    virtual std::int32_t GetClientRect(HWND hWnd, RECT* pRect) = 0;
    virtual std::int32_t SetWindowPos(HWND hWnd, HWND hWndInsertAfter, std::int32_t x,
                                      std::int32_t y, std::int32_t cx, std::int32_t cy,
                                      std::uint32_t flags) = 0;
    virtual std::int32_t CenterWindow(HWND hWnd, HWND hWndAlternateOwner) = 0;
    virtual std::int32_t InvalidateRect(HWND hWnd, const RECT* pRect, std::int32_t erase) = 0;

    // Timers.
    virtual std::uintptr_t SetTimer(HWND hWnd, std::uintptr_t id, std::uint32_t elapseMs) = 0;
    virtual std::int32_t KillTimer(HWND hWnd, std::uintptr_t id) = 0;

    // The system menu.
    virtual HMENU GetSystemMenu(HWND hWnd, std::int32_t revert) = 0;
    virtual std::int32_t AppendMenuA(HMENU hMenu, std::uint32_t flags, std::uintptr_t idNewItem,
                                     const char* text) = 0;
    virtual std::int32_t EnableMenuItem(HMENU hMenu, std::uint32_t idItem,
                                        std::uint32_t enable) = 0;
    virtual std::int32_t ModifyMenuA(HMENU hMenu, std::uint32_t position, std::uint32_t flags,
                                     std::uintptr_t idNewItem, const char* text) = 0;

    // Message boxes and file dialogs.
    virtual std::int32_t MessageBoxA(HWND hWndOwner, const char* text, const char* caption,
                                     std::uint32_t type) = 0;
    virtual std::int32_t GetOpenFileNameA(OPENFILENAMEA* pOfn) = 0;
    virtual std::int32_t GetSaveFileNameA(OPENFILENAMEA* pOfn) = 0;

    // Dropped files.
    virtual void DragAcceptFiles(HWND hWnd, std::int32_t accept) = 0;
    virtual std::uint32_t DragQueryFileA(HDROP hDrop, std::uint32_t index, char* buffer,
                                         std::uint32_t cch) = 0;
    virtual void DragFinish(HDROP hDrop) = 0;

    // The icon and painting.
    virtual HICON LoadAppIcon(std::uint32_t resourceId) = 0;
    virtual std::int32_t DrawIcon(HDC hdc, std::int32_t x, std::int32_t y, HICON hIcon) = 0;
    virtual std::int32_t GetSystemMetrics(std::int32_t index) = 0;
    virtual HDC BeginPaint(HWND hWnd, PAINTSTRUCT* pPaint) = 0;
    virtual std::int32_t EndPaint(HWND hWnd, const PAINTSTRUCT* pPaint) = 0;
};

// Installs the backend (not owned) and answers the one installed before; null uninstalls. A
// backend must outlive every thread that may still post to it.
IWindowSystem* InstallWindowSystem(IWindowSystem* backend);

// Runs a modal dialog from template templateId; proc receives WM_INITDIALOG with initParam as
// lParam. Answers the value given to EndDialog, or -1 when the dialog cannot be created. The owner
// hWndParent is disabled while the dialog runs. Enter sends WM_COMMAND IDOK (or the default push
// button's id), Esc sends IDCANCEL, and the close box WM_SYSCOMMAND SC_CLOSE, whose default
// processing sends WM_CLOSE, whose default processing sends IDCANCEL.
std::intptr_t DialogBoxParamA(std::uint32_t templateId, HWND hWndParent, DialogProc proc,
                              std::intptr_t initParam);
std::int32_t EndDialog(HWND hDlg, std::intptr_t result);
HWND GetDlgItem(HWND hDlg, std::int32_t id);
std::int32_t GetDlgCtrlID(HWND hWnd);

// Sends synchronously: to a dialog through its procedure (then the default processing), to a
// control the control's own handling (LB_*, CB_*, BM_*, WM_SETTEXT, WM_GETTEXT,
// WM_GETTEXTLENGTH, WM_SETREDRAW). Selections set this way notify nothing.
std::intptr_t SendMessageA(HWND hWnd, std::uint32_t message, std::uintptr_t wParam,
                           std::intptr_t lParam);

// Queues a message for hWnd. Safe to call from any thread; the message is delivered later on the
// user-interface thread, in posting order, like any other. Nonzero when queued.
std::int32_t PostWindowMessage(HWND hWnd, std::uint32_t message, std::uintptr_t wParam,
                               std::intptr_t lParam);

// What the window system does with a message the dialog leaves alone: WM_SYSCOMMAND SC_CLOSE sends
// WM_CLOSE, WM_CLOSE sends IDCANCEL, SC_MINIMIZE / SC_RESTORE change the window, WM_SETTEXT sets
// the caption, WM_DROPFILES releases the drop; most others do nothing.
std::intptr_t DefaultDialogProc(HWND hDlg, std::uint32_t message, std::uintptr_t wParam,
                                std::intptr_t lParam);

// Answers the previous state: nonzero when the window was disabled.
std::int32_t EnableWindow(HWND hWnd, std::int32_t enable);
std::int32_t IsWindowEnabled(HWND hWnd);
// SW_HIDE or SW_SHOW; answers nonzero when the window was visible.
std::int32_t ShowWindow(HWND hWnd, std::int32_t cmdShow);
std::int32_t IsWindowVisible(HWND hWnd);

// Caption of a dialog or text of a control, through WM_SETTEXT / WM_GETTEXT.
std::int32_t SetWindowTextA(HWND hWnd, const char* text);
// Copies at most cch - 1 bytes and a zero; answers the number of bytes copied.
std::int32_t GetWindowTextA(HWND hWnd, char* buffer, std::int32_t cch);
std::int32_t GetWindowTextLengthA(HWND hWnd);

std::int32_t IsIconic(HWND hWnd);
// Screen coordinates of the whole window.
std::int32_t GetWindowRect(HWND hWnd, RECT* pRect);
std::int32_t GetClientRect(HWND hWnd, RECT* pRect);
// SWP_NOSIZE keeps the size, SWP_NOMOVE the position, SWP_NOZORDER the place in the z-order
// (otherwise hWndInsertAfter (HWND)-1 makes the window topmost), SWP_SHOWWINDOW shows it.
std::int32_t SetWindowPos(HWND hWnd, HWND hWndInsertAfter, std::int32_t x, std::int32_t y,
                          std::int32_t cx, std::int32_t cy, std::uint32_t flags);
// Centres the window over hWndAlternateOwner, else its owner, else the screen.
std::int32_t CenterWindow(HWND hWnd, HWND hWndAlternateOwner);
// pRect null: the whole window. erase: the background is erased first.
std::int32_t InvalidateRect(HWND hWnd, const RECT* pRect, std::int32_t erase);

// WM_TIMER with wParam id every elapseMs until killed; setting an id again restarts it. Answers
// the id, or 0 on failure.
std::uintptr_t SetTimer(HWND hWnd, std::uintptr_t id, std::uint32_t elapseMs);
std::int32_t KillTimer(HWND hWnd, std::uintptr_t id);

// The window's system menu (revert nonzero puts back the platform's own and answers null). Items
// appended here appear below the platform's own; choosing one sends WM_SYSCOMMAND with its id.
HMENU GetSystemMenu(HWND hWnd, std::int32_t revert);
std::int32_t AppendMenuA(HMENU hMenu, std::uint32_t flags, std::uintptr_t idNewItem,
                         const char* text);
// By command: MF_ENABLED or MF_GRAYED; answers the previous state, or -1 for no such item.
std::int32_t EnableMenuItem(HMENU hMenu, std::uint32_t idItem, std::uint32_t enable);
// By command: replaces the item's flags, id and text.
std::int32_t ModifyMenuA(HMENU hMenu, std::uint32_t position, std::uint32_t flags,
                         std::uintptr_t idNewItem, const char* text);

// MB_OK or MB_OKCANCEL, optionally MB_ICONEXCLAMATION; answers IDOK or IDCANCEL. A null caption
// shows the application's name.
std::int32_t MessageBoxA(HWND hWndOwner, const char* text, const char* caption, std::uint32_t type);

// Nonzero when the user confirmed. The open dialog puts into lpstrFile one full path or, for a
// multiple selection, the folder and the names separated by single spaces; the save dialog puts
// the full path (with lpstrDefExt added when the name has no extension) and sets nFileExtension.
// A selection that does not fit nMaxFile is refused: the answer is 0 and nothing is copied.
// With OFN_EXPLORER the open dialog answers in the form that can carry blanks: the full path, or
// the folder and then each name, each ended by a zero byte, and one more zero after the last;
// nFileOffset is where the (first) name starts.
std::int32_t GetOpenFileNameA(OPENFILENAMEA* pOfn);
std::int32_t GetSaveFileNameA(OPENFILENAMEA* pOfn);

// Dropped files: WM_DROPFILES brings the drop in wParam. Index kDragQueryCount answers the
// number of items; a null buffer answers the full length of item index (without the zero), so
// that a caller can refuse a path that would not fit; otherwise at most cch - 1 bytes and a zero
// are copied and the number of bytes copied is answered.
void DragAcceptFiles(HWND hWnd, std::int32_t accept);
std::uint32_t DragQueryFileA(HDROP hDrop, std::uint32_t index, char* buffer, std::uint32_t cch);
void DragFinish(HDROP hDrop);

HICON LoadAppIcon(std::uint32_t resourceId);
std::int32_t DrawIcon(HDC hdc, std::int32_t x, std::int32_t y, HICON hIcon);
std::int32_t GetSystemMetrics(std::int32_t index);
HDC BeginPaint(HWND hWnd, PAINTSTRUCT* pPaint);
std::int32_t EndPaint(HWND hWnd, const PAINTSTRUCT* pPaint);

}  // namespace qv
