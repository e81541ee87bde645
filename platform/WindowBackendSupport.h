#pragma once
// What every window-system backend does the same way: reading texts and indices out of message
// parameters, copying a text into the caller's buffer, answering DragQueryFileA from a drop's
// paths, and the shared base of the backends. Backends only; the program never includes this.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/window.h"
#include "res/DialogTemplate.h"

namespace qv {

// The zero-terminated text a message carries in lParam (none gives an empty text).
inline std::string TextOf(std::intptr_t lParam) {
    const char* p = reinterpret_cast<const char*>(lParam);
    return p ? std::string(p) : std::string();
}

// Indices are ints in the low 32 bits, so (UINT)-1 and (WPARAM)-1 both mean -1.
inline std::int32_t IndexOf(std::uintptr_t wParam) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(wParam & 0xFFFFFFFFu));
}

inline bool InRange(std::int32_t index, std::size_t size) {
    return index >= 0 && static_cast<std::size_t>(index) < size;
}

// Copies a text into a buffer of cch bytes (lParam), cut to fit with its terminator; answers the
// bytes copied.
inline std::intptr_t CopyText(const std::string& text, std::uintptr_t cch, std::intptr_t lParam) {
    char* buffer = reinterpret_cast<char*>(lParam);
    if (!buffer || cch == 0) return 0;
    std::size_t n = std::min<std::size_t>(text.size(), cch - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return static_cast<std::intptr_t>(n);
}

// DragQueryFileA over the paths of one drop: kDragQueryCount answers the count; a null buffer
// answers item i's full length, so that the program can refuse a path that would be cut.
inline std::uint32_t QueryDroppedPath(const std::vector<std::string>& paths, std::uint32_t index,
                                      char* buffer, std::uint32_t cch) {
    if (index == kDragQueryCount) return static_cast<std::uint32_t>(paths.size());
    if (index >= paths.size()) return 0;
    const std::string& path = paths[index];
    if (!buffer) return static_cast<std::uint32_t>(path.size());
    return static_cast<std::uint32_t>(CopyText(path, cch, reinterpret_cast<std::intptr_t>(buffer)));
}

// What a list-box or combo-box message changed, for a backend that shows the lines in a control
// of its window system. Refilled: everything changed while redrawing was off; show the lines and
// the selection again all at once.
struct ListChange {
    enum Kind { None, Added, Inserted, Deleted, Reset, Selected, Refilled } kind = None;
    std::int32_t index = -1;
};

// One item of a window's system menu, as the backends keep it.
struct MenuItem {
    std::uint32_t id;
    std::uint32_t flags;  // MF_SEPARATOR, MF_GRAYED, MF_DISABLED
    std::string text;

    bool IsSeparator() const { return (flags & MF_SEPARATOR) != 0; }
    bool IsGrayed() const { return (flags & (MF_GRAYED | MF_DISABLED)) != 0; }
};

// One window as a backend keeps it: the bytes the program gave it, beside whatever the window
// system shows. A backend extends it with its own state.
struct BackendWindow {
    virtual ~BackendWindow() = default;

    HWND handle = nullptr;
    bool isDialog = false;
    std::string text;  // the caption or control text, as the program gave it

    // Controls.
    HWND parent = nullptr;
    std::int32_t id = 0;
    res::ControlKind kind = res::ControlKind::LText;
    std::uint32_t style = 0;
    bool enabled = true;
    // List and combo lines. A refill deletes line 0 over and over: a deque makes that cheap.
    std::deque<std::string> lines;
    std::int32_t selection = -1;
    std::int32_t check = BST_UNCHECKED;
    bool redraw = true;
    bool stale = false;  // the lines changed while redrawing was off
    int invalidations = 0;

    // Dialogs.
    const res::DialogTemplate* tpl = nullptr;
    HWND owner = nullptr;
    DialogProc proc = nullptr;
    std::vector<HWND> children;
    bool iconic = false;
    bool acceptsDrops = false;
    bool ended = false;
    std::intptr_t result = 0;
    bool menuHandedOut = false;
    std::vector<MenuItem> systemMenu;
    int iconErasures = 0;

    bool HasStyle(std::uint32_t bits) const { return tpl && (tpl->style & bits) == bits; }
};

// The window bookkeeping every backend does the same way: the window table, template and control
// look-ups, the modal run of a dialog, the default dialog processing, the text, list-box,
// combo-box and check messages, the system menu, the drops, and which windows may still take a
// posted message. A backend overrides only what its window system does differently; the hooks
// below tell it what changed so that it can show it.
class WindowBackend : public IWindowSystem {
public:
    static constexpr std::uint32_t kMinimumTimerMs = 10;

    WindowBackend() = default;
    WindowBackend(const WindowBackend&) = delete;
    WindowBackend& operator=(const WindowBackend&) = delete;

    // A template of the caller's own, found before the program's; it must outlive this object.
    void AddTemplate(const res::DialogTemplate& tpl);
    // The system menu as the user would see it now (Restore and Minimize follow the window).
    std::vector<MenuItem> SystemMenu(HWND hDlg) const;

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
    std::int32_t IsIconic(HWND hWnd) override;
    HMENU GetSystemMenu(HWND hWnd, std::int32_t revert) override;
    std::int32_t AppendMenuA(HMENU hMenu, std::uint32_t flags, std::uintptr_t idNewItem,
                             const char* text) override;
    std::int32_t EnableMenuItem(HMENU hMenu, std::uint32_t idItem, std::uint32_t enable) override;
    std::int32_t ModifyMenuA(HMENU hMenu, std::uint32_t position, std::uint32_t flags,
                             std::uintptr_t idNewItem, const char* text) override;
    std::uint32_t DragQueryFileA(HDROP hDrop, std::uint32_t index, char* buffer,
                                 std::uint32_t cch) override;
    void DragFinish(HDROP hDrop) override;

protected:
    // Hooks. A new window of the backend's own kind.
    virtual std::unique_ptr<BackendWindow> NewWindow() { return std::make_unique<BackendWindow>(); }
    // The dialog's and each control's own part, once the bookkeeping knows them.
    virtual void DialogCreated(BackendWindow&) {}
    virtual void ControlCreated(BackendWindow& /*dlg*/, BackendWindow& /*ctl*/,
                                const res::ControlTemplate&) {}
    virtual void ControlsCreated(BackendWindow& /*dlg*/) {}
    // Runs the dialog after WM_INITDIALOG (answered initAnswer) until it has ended.
    virtual void RunDialog(BackendWindow& /*dlg*/, std::intptr_t /*initAnswer*/) {}
    virtual void DialogEnded(BackendWindow&) {}
    virtual void OwnerEnabledAgain(BackendWindow&) {}
    // Called while the live windows' lock is held: the handles leave now.
    virtual void DiscardPosted(const std::vector<HWND>&) {}
    virtual void Destroying(BackendWindow& /*dlg*/) {}
    // Queues a posted message; called while the live windows' lock is held.
    virtual bool Enqueue(HWND, std::uint32_t, std::uintptr_t, std::intptr_t) { return false; }
    virtual void SetIconic(BackendWindow&, bool /*iconic*/) {}
    virtual void ShowText(BackendWindow&) {}
    virtual void ShowRedraw(BackendWindow&) {}
    virtual void ShowLines(BackendWindow&, ListChange) {}
    virtual void ShowCheck(BackendWindow&) {}
    // Something the program asked that this window system does not do.
    virtual void Complain(const std::string&) {}

    const res::DialogTemplate* FindTemplate(std::uint32_t id) const;
    BackendWindow* Find(HWND hWnd) const;
    BackendWindow* FindDialog(HWND hWnd) const;
    BackendWindow* FindByMenu(HMENU hMenu) const;
    BackendWindow* DialogOf(const BackendWindow& wnd) const;
    // The innermost dialog running now, or null.
    HWND ActiveDialog() const { return m_dialogStack.empty() ? nullptr : m_dialogStack.back(); }
    // A window the window system made itself, known from now on (its dialog too).
    BackendWindow& Adopt(HWND hWnd, HWND hDlg);
    // Forgets a dialog and its controls.
    void Forget(HWND hDlg);
    BackendWindow& CreateDialogWindow(const res::DialogTemplate& tpl, HWND owner, DialogProc proc);
    void DestroyDialog(BackendWindow& dlg);
    // Destroys the dialogs still running, innermost first: for a backend's destructor.
    void DestroyAll();
    void ResetSystemMenu(BackendWindow& dlg);

    std::intptr_t Deliver(BackendWindow& dlg, std::uint32_t message, std::uintptr_t wParam,
                          std::intptr_t lParam);
    // A posted message reaches its window only while its dialog runs.
    bool DeliverPosted(HWND hWnd, std::uint32_t message, std::uintptr_t wParam,
                       std::intptr_t lParam);
    std::intptr_t ControlMessage(BackendWindow& ctl, std::uint32_t message, std::uintptr_t wParam,
                                 std::intptr_t lParam);
    std::optional<std::intptr_t> TextMessage(BackendWindow& wnd, std::uint32_t message,
                                             std::uintptr_t wParam, std::intptr_t lParam);
    std::intptr_t ListBoxMessage(BackendWindow& ctl, std::uint32_t message, std::uintptr_t wParam,
                                 std::intptr_t lParam);
    std::intptr_t ComboBoxMessage(BackendWindow& ctl, std::uint32_t message, std::uintptr_t wParam,
                                  std::intptr_t lParam);
    HDROP AddDrop(std::vector<std::string> paths);

    // The platform's Move item: only where the window system moves windows through the menu.
    bool m_menuHasMove = false;
    // Guards the live windows and, in a backend that queues its posted messages, its queue.
    mutable std::mutex m_liveMutex;

private:
    std::map<HWND, std::unique_ptr<BackendWindow>> m_windows;
    std::vector<HWND> m_dialogStack;  // running dialogs, innermost last
    std::uintptr_t m_nextHandle = 0x100;
    std::vector<const res::DialogTemplate*> m_testTemplates;
    std::map<HDROP, std::vector<std::string>> m_drops;
    std::uintptr_t m_nextDrop = 0x10;
    std::set<HWND> m_liveWindows;
};

}  // namespace qv
