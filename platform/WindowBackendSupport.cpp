#include "platform/WindowBackendSupport.h"

#include <cstdio>

#include "platform/language.h"
#include "platform/strings.h"
#include "res/resource.h"

namespace qv {
namespace {

using res::ControlKind;

constexpr std::uint32_t kMenuByPosition = 0x0400;
constexpr std::uint32_t kMenuGrayBits = MF_GRAYED | MF_DISABLED;

bool IsButton(ControlKind kind) {
    return kind == ControlKind::PushButton || kind == ControlKind::DefPushButton ||
           kind == ControlKind::AutoCheckBox;
}

// The list box's rules: unsorted lines; insert at -1 appends; delete answers the lines left and
// keeps the selection on its line; no selection reads LB_ERR; setting a selection notifies
// nothing (the caller sends no notification). Answers nothing for another message.
std::optional<std::intptr_t> ListBoxRules(std::deque<std::string>& lines, std::int32_t& selection,
                                          std::uint32_t message, std::uintptr_t wParam,
                                          std::intptr_t lParam, ListChange& change) {
    std::int32_t index = IndexOf(wParam);
    switch (message) {
        case LB_ADDSTRING:
            lines.push_back(TextOf(lParam));
            change = {ListChange::Added, static_cast<std::int32_t>(lines.size() - 1)};
            return change.index;
        case LB_INSERTSTRING:
            if (index == -1) index = static_cast<std::int32_t>(lines.size());
            if (index < 0 || static_cast<std::size_t>(index) > lines.size()) return LB_ERR;
            lines.insert(lines.begin() + index, TextOf(lParam));
            // The selected line stays selected as it moves down.
            if (selection >= index) ++selection;
            change = {ListChange::Inserted, index};
            return index;
        case LB_DELETESTRING:
            if (!InRange(index, lines.size())) return LB_ERR;
            lines.erase(lines.begin() + index);
            if (selection == index) {
                selection = -1;
            } else if (selection > index) {
                --selection;
            }
            change = {ListChange::Deleted, index};
            return static_cast<std::intptr_t>(lines.size());
        case LB_RESETCONTENT:
            lines.clear();
            selection = -1;
            change = {ListChange::Reset, -1};
            return 0;
        case LB_GETCOUNT:
            return static_cast<std::intptr_t>(lines.size());
        case LB_GETCURSEL:
            return selection;
        case LB_SETCURSEL:
            if (index != -1 && !InRange(index, lines.size())) return LB_ERR;
            selection = index;
            change = {ListChange::Selected, index};
            return index == -1 ? LB_ERR : index;
        case LB_GETTEXT: {
            char* buffer = reinterpret_cast<char*>(lParam);
            if (!InRange(index, lines.size()) || !buffer) return LB_ERR;
            const std::string& line = lines[static_cast<std::size_t>(index)];
            std::memcpy(buffer, line.c_str(), line.size() + 1);
            return static_cast<std::intptr_t>(line.size());
        }
        case LB_GETTEXTLEN:
            if (!InRange(index, lines.size())) return LB_ERR;
            return static_cast<std::intptr_t>(lines[static_cast<std::size_t>(index)].size());
        default:
            return std::nullopt;
    }
}

MenuItem MakeMenuItem(std::uint32_t flags, std::uintptr_t id, const char* text) {
    if (flags & MF_SEPARATOR) return MenuItem{0, MF_SEPARATOR, ""};
    return MenuItem{static_cast<std::uint32_t>(id), flags & kMenuGrayBits, text ? text : ""};
}

// The system menu's items, addressed by command as the program addresses them.
MenuItem* FindMenuItem(std::vector<MenuItem>& items, std::uint32_t command) {
    for (MenuItem& item : items) {
        if (!item.IsSeparator() && item.id == command) return &item;
    }
    return nullptr;
}

}  // namespace

void WindowBackend::AddTemplate(const res::DialogTemplate& tpl) {
    m_testTemplates.push_back(&tpl);
}

const res::DialogTemplate* WindowBackend::FindTemplate(std::uint32_t id) const {
    for (const res::DialogTemplate* tpl : m_testTemplates) {
        if (tpl->id == id) return tpl;
    }
    return res::FindDialogTemplate(id, UiLanguage());
}

// ---- The window table

BackendWindow* WindowBackend::Find(HWND hWnd) const {
    auto it = m_windows.find(hWnd);
    return it == m_windows.end() ? nullptr : it->second.get();
}

BackendWindow* WindowBackend::FindDialog(HWND hWnd) const {
    BackendWindow* w = Find(hWnd);
    return w && w->isDialog ? w : nullptr;
}

// A dialog's menu handle carries the dialog's own handle value.
BackendWindow* WindowBackend::FindByMenu(HMENU hMenu) const {
    BackendWindow* w = FindDialog(reinterpret_cast<HWND>(hMenu));
    return w && w->menuHandedOut ? w : nullptr;
}

BackendWindow* WindowBackend::DialogOf(const BackendWindow& wnd) const {
    return wnd.isDialog ? const_cast<BackendWindow*>(&wnd) : FindDialog(wnd.parent);
}

BackendWindow& WindowBackend::Adopt(HWND hWnd, HWND hDlg) {
    if (BackendWindow* known = Find(hWnd)) return *known;
    std::unique_ptr<BackendWindow> w = NewWindow();
    w->handle = hWnd;
    w->isDialog = hWnd == hDlg;
    if (!w->isDialog) {
        w->parent = hDlg;
        Adopt(hDlg, hDlg).children.push_back(hWnd);
    }
    BackendWindow& ref = *w;
    m_windows[hWnd] = std::move(w);
    return ref;
}

void WindowBackend::Forget(HWND hDlg) {
    BackendWindow* dlg = FindDialog(hDlg);
    if (!dlg) return;
    for (HWND child : dlg->children) m_windows.erase(child);
    m_windows.erase(hDlg);
}

BackendWindow& WindowBackend::CreateDialogWindow(const res::DialogTemplate& tpl, HWND owner,
                                                 DialogProc proc) {
    HWND hDlg = reinterpret_cast<HWND>(++m_nextHandle);
    BackendWindow& dlg = Adopt(hDlg, hDlg);
    dlg.tpl = &tpl;
    dlg.owner = owner;
    dlg.proc = proc;
    dlg.text = std::string(tpl.caption);
    ResetSystemMenu(dlg);
    DialogCreated(dlg);
    for (const res::ControlTemplate& ct : tpl.controls) {
        BackendWindow& ctl = Adopt(reinterpret_cast<HWND>(++m_nextHandle), hDlg);
        ctl.id = ct.id;
        ctl.kind = ct.kind;
        ctl.style = ct.style;
        bool hasLines = ct.kind == ControlKind::ListBox || ct.kind == ControlKind::ComboBox;
        if (!hasLines) ctl.text = std::string(ct.caption);
        for (std::string_view item : ct.items) ctl.lines.emplace_back(item);
        ctl.enabled = (ct.style & res::kDisabled) == 0;
        ControlCreated(dlg, ctl, ct);
    }
    ControlsCreated(dlg);
    std::lock_guard<std::mutex> lock(m_liveMutex);
    m_liveWindows.insert(hDlg);
    for (HWND child : dlg.children) m_liveWindows.insert(child);
    return dlg;
}

void WindowBackend::DestroyDialog(BackendWindow& dlg) {
    std::vector<HWND> handles = dlg.children;
    handles.push_back(dlg.handle);
    {
        // Whatever was still posted to it is discarded with the window.
        std::lock_guard<std::mutex> lock(m_liveMutex);
        for (HWND h : handles) m_liveWindows.erase(h);
        DiscardPosted(handles);
    }
    Destroying(dlg);
    Forget(dlg.handle);
}

void WindowBackend::DestroyAll() {
    while (!m_dialogStack.empty()) {
        BackendWindow* dlg = FindDialog(m_dialogStack.back());
        m_dialogStack.pop_back();
        if (dlg) DestroyDialog(*dlg);
    }
}

void WindowBackend::ResetSystemMenu(BackendWindow& dlg) {
    dlg.systemMenu.clear();
    if (!dlg.HasStyle(res::kDlgSysMenu)) return;
    const bool minimises = dlg.HasStyle(res::kDlgMinimizeBox);
    // In the face's language, beside the program's own items.
    auto item = [&](std::uint32_t command, std::uint32_t text) {
        dlg.systemMenu.push_back({command, MF_STRING, std::string(LoadResourceString(text))});
    };
    if (minimises) item(SC_RESTORE, IDS_SYSMENU_RESTORE);
    if (m_menuHasMove) item(SC_MOVE, IDS_SYSMENU_MOVE);
    if (minimises) item(SC_MINIMIZE, IDS_SYSMENU_MINIMIZE);
    if (minimises || m_menuHasMove) dlg.systemMenu.push_back({0, MF_SEPARATOR, ""});
    item(SC_CLOSE, IDS_SYSMENU_CLOSE);
}

// ---- Dialogs

std::intptr_t WindowBackend::DialogBoxParamA(std::uint32_t templateId, HWND hWndParent,
                                             DialogProc proc, std::intptr_t initParam) {
    const res::DialogTemplate* tpl = FindTemplate(templateId);
    if (!tpl) {
        Complain("no template for dialog " + std::to_string(templateId));
        return -1;
    }
    if (!proc) return -1;
    BackendWindow& dlg = CreateDialogWindow(*tpl, hWndParent, proc);
    BackendWindow* owner = FindDialog(hWndParent);
    bool ownerWasEnabled = owner && owner->enabled;
    if (owner) owner->enabled = false;
    m_dialogStack.push_back(dlg.handle);

    std::intptr_t initAnswer = Deliver(dlg, WM_INITDIALOG, 0, initParam);
    if (!dlg.ended) RunDialog(dlg, initAnswer);

    std::intptr_t result = dlg.result;
    m_dialogStack.pop_back();
    DestroyDialog(dlg);
    if (BackendWindow* o = FindDialog(hWndParent); o && ownerWasEnabled) {
        o->enabled = true;
        OwnerEnabledAgain(*o);
    }
    return result;
}

std::int32_t WindowBackend::EndDialog(HWND hDlg, std::intptr_t result) {
    BackendWindow* dlg = FindDialog(hDlg);
    if (!dlg) return 0;
    dlg->ended = true;
    dlg->result = result;
    DialogEnded(*dlg);
    return 1;
}

HWND WindowBackend::GetDlgItem(HWND hDlg, std::int32_t id) {
    BackendWindow* dlg = FindDialog(hDlg);
    if (!dlg) return nullptr;
    for (HWND child : dlg->children) {
        if (Find(child)->id == id) return child;
    }
    return nullptr;
}

std::int32_t WindowBackend::GetDlgCtrlID(HWND hWnd) {
    BackendWindow* w = Find(hWnd);
    return w && !w->isDialog ? w->id : 0;
}

std::int32_t WindowBackend::IsIconic(HWND hWnd) {
    BackendWindow* dlg = FindDialog(hWnd);
    return dlg && dlg->iconic ? 1 : 0;
}

// ---- Messages

std::intptr_t WindowBackend::Deliver(BackendWindow& dlg, std::uint32_t message,
                                     std::uintptr_t wParam, std::intptr_t lParam) {
    std::intptr_t result = 0;
    if (dlg.proc && dlg.proc(dlg.handle, message, wParam, lParam, &result)) return result;
    return DefaultDialogProc(dlg.handle, message, wParam, lParam);
}

std::intptr_t WindowBackend::SendMessageA(HWND hWnd, std::uint32_t message, std::uintptr_t wParam,
                                          std::intptr_t lParam) {
    BackendWindow* w = Find(hWnd);
    if (!w) return 0;
    return w->isDialog ? Deliver(*w, message, wParam, lParam)
                       : ControlMessage(*w, message, wParam, lParam);
}

std::int32_t WindowBackend::PostWindowMessage(HWND hWnd, std::uint32_t message,
                                              std::uintptr_t wParam, std::intptr_t lParam) {
    std::lock_guard<std::mutex> lock(m_liveMutex);
    if (!m_liveWindows.count(hWnd)) return 0;
    return Enqueue(hWnd, message, wParam, lParam) ? 1 : 0;
}

bool WindowBackend::DeliverPosted(HWND hWnd, std::uint32_t message, std::uintptr_t wParam,
                                  std::intptr_t lParam) {
    BackendWindow* w = Find(hWnd);
    BackendWindow* dlg = w ? DialogOf(*w) : nullptr;
    if (!dlg || dlg->ended) return false;  // its modal run is over: the message dies with it
    SendMessageA(hWnd, message, wParam, lParam);
    return true;
}

std::intptr_t WindowBackend::DefaultDialogProc(HWND hDlg, std::uint32_t message,
                                               std::uintptr_t wParam, std::intptr_t lParam) {
    BackendWindow* dlg = FindDialog(hDlg);
    if (!dlg) return 0;
    if (auto result = TextMessage(*dlg, message, wParam, lParam)) return *result;
    switch (message) {
        case WM_SYSCOMMAND:
            switch (wParam & 0xFFF0) {
                case SC_CLOSE:
                    return Deliver(*dlg, WM_CLOSE, 0, 0);
                case SC_MINIMIZE:
                case SC_RESTORE:
                    SetIconic(*dlg, (wParam & 0xFFF0) == SC_MINIMIZE);
                    return 0;
                default:
                    return 0;
            }
        case WM_CLOSE: {
            HWND hCancel = GetDlgItem(hDlg, IDCANCEL);
            if (hCancel && !IsWindowEnabled(hCancel)) return 0;
            return Deliver(*dlg, WM_COMMAND, MakeWParam(IDCANCEL, BN_CLICKED),
                           reinterpret_cast<std::intptr_t>(hCancel));
        }
        case WM_DROPFILES:
            DragFinish(reinterpret_cast<HDROP>(wParam));
            return 0;
        case WM_ICONERASEBKGND:
            ++dlg->iconErasures;
            return 1;
        default:
            return 0;
    }
}

std::optional<std::intptr_t> WindowBackend::TextMessage(BackendWindow& wnd, std::uint32_t message,
                                                        std::uintptr_t wParam,
                                                        std::intptr_t lParam) {
    // A drop-down list shows its chosen line as its text.
    const bool isCombo = !wnd.isDialog && wnd.kind == ControlKind::ComboBox;
    static const std::string kNone;
    const std::string& shown = !isCombo ? wnd.text
                               : InRange(wnd.selection, wnd.lines.size())
                                   ? wnd.lines[static_cast<std::size_t>(wnd.selection)]
                                   : kNone;
    switch (message) {
        case WM_SETTEXT:
            wnd.text = TextOf(lParam);
            ShowText(wnd);
            return 1;
        case WM_GETTEXT:
            return CopyText(shown, wParam, lParam);
        case WM_GETTEXTLENGTH:
            return static_cast<std::intptr_t>(shown.size());
        case WM_SETREDRAW:
            wnd.redraw = wParam != 0;
            // What changed meanwhile is shown at once, before the window draws again.
            if (wnd.redraw && wnd.stale) {
                wnd.stale = false;
                ShowLines(wnd, {ListChange::Refilled, wnd.selection});
            }
            ShowRedraw(wnd);
            return 0;
        default:
            return std::nullopt;
    }
}

std::intptr_t WindowBackend::ControlMessage(BackendWindow& ctl, std::uint32_t message,
                                            std::uintptr_t wParam, std::intptr_t lParam) {
    if (auto result = TextMessage(ctl, message, wParam, lParam)) return *result;
    if (ctl.kind == ControlKind::ListBox) return ListBoxMessage(ctl, message, wParam, lParam);
    if (ctl.kind == ControlKind::ComboBox) return ComboBoxMessage(ctl, message, wParam, lParam);
    const bool isCheck = ctl.kind == ControlKind::AutoCheckBox;
    if (IsButton(ctl.kind) && message == BM_GETCHECK) return isCheck ? ctl.check : BST_UNCHECKED;
    if (IsButton(ctl.kind) && message == BM_SETCHECK) {
        if (isCheck) {
            ctl.check = wParam == BST_CHECKED ? BST_CHECKED : BST_UNCHECKED;
            ShowCheck(ctl);
        }
        return 0;
    }
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%04X", message);
    Complain("message " + std::string(hex) + " sent to control " + std::to_string(ctl.id) +
             " is not supported by this window system");
    return 0;
}

std::intptr_t WindowBackend::ListBoxMessage(BackendWindow& ctl, std::uint32_t message,
                                            std::uintptr_t wParam, std::intptr_t lParam) {
    ListChange change;
    auto result = ListBoxRules(ctl.lines, ctl.selection, message, wParam, lParam, change);
    if (!result) {
        Complain("list-box message " + std::to_string(message) + " is not supported");
        return LB_ERR;
    }
    if (change.kind == ListChange::None) return *result;
    // While redrawing is off the control is left alone: a refill that deletes line 0 and adds
    // every line again costs the control one refill, not one change per line.
    if (!ctl.redraw || ctl.stale) {
        ctl.stale = true;
    } else {
        ShowLines(ctl, change);
    }
    return *result;
}

std::intptr_t WindowBackend::ComboBoxMessage(BackendWindow& ctl, std::uint32_t message,
                                             std::uintptr_t wParam, std::intptr_t lParam) {
    std::int32_t index = IndexOf(wParam);
    switch (message) {
        case CB_ADDSTRING:
            ctl.lines.push_back(TextOf(lParam));
            ShowLines(ctl, {ListChange::Added, static_cast<std::int32_t>(ctl.lines.size() - 1)});
            return static_cast<std::intptr_t>(ctl.lines.size() - 1);
        case CB_GETCOUNT:
            return static_cast<std::intptr_t>(ctl.lines.size());
        case CB_GETCURSEL:
            return ctl.selection;
        case CB_SETCURSEL:
            // Unlike a list box, a bad index also clears the selection.
            ctl.selection = InRange(index, ctl.lines.size()) ? index : -1;
            ShowLines(ctl, {ListChange::Selected, ctl.selection});
            return ctl.selection == -1 ? CB_ERR : index;
        default:
            Complain("combo-box message " + std::to_string(message) + " is not supported");
            return CB_ERR;
    }
}

// ---- System menu

HMENU WindowBackend::GetSystemMenu(HWND hWnd, std::int32_t revert) {
    BackendWindow* dlg = FindDialog(hWnd);
    if (!dlg || !dlg->HasStyle(res::kDlgSysMenu)) return nullptr;
    if (revert) {
        ResetSystemMenu(*dlg);
        return nullptr;
    }
    dlg->menuHandedOut = true;
    return reinterpret_cast<HMENU>(hWnd);
}

std::int32_t WindowBackend::AppendMenuA(HMENU hMenu, std::uint32_t flags, std::uintptr_t idNewItem,
                                        const char* text) {
    BackendWindow* dlg = FindByMenu(hMenu);
    if (!dlg) return 0;
    dlg->systemMenu.push_back(MakeMenuItem(flags, idNewItem, text));
    return 1;
}

// Answers the item's previous grayed state, or -1 when no item has that command.
std::int32_t WindowBackend::EnableMenuItem(HMENU hMenu, std::uint32_t idItem,
                                           std::uint32_t enable) {
    BackendWindow* dlg = FindByMenu(hMenu);
    if (!dlg) return -1;
    if (enable & kMenuByPosition) {
        Complain("menu items are addressed by command here, not by position");
        return -1;
    }
    MenuItem* item = FindMenuItem(dlg->systemMenu, idItem);
    if (!item) return -1;
    std::uint32_t previous = item->flags & kMenuGrayBits;
    item->flags = (item->flags & ~kMenuGrayBits) | (enable & kMenuGrayBits);
    return static_cast<std::int32_t>(previous);
}

std::int32_t WindowBackend::ModifyMenuA(HMENU hMenu, std::uint32_t position, std::uint32_t flags,
                                        std::uintptr_t idNewItem, const char* text) {
    BackendWindow* dlg = FindByMenu(hMenu);
    if (!dlg) return 0;
    if (flags & kMenuByPosition) {
        Complain("menu items are addressed by command here, not by position");
        return 0;
    }
    MenuItem* item = FindMenuItem(dlg->systemMenu, position);
    if (!item) return 0;
    *item = MakeMenuItem(flags, idNewItem, text);
    return 1;
}

std::vector<MenuItem> WindowBackend::SystemMenu(HWND hDlg) const {
    BackendWindow* dlg = FindDialog(hDlg);
    if (!dlg) return {};
    std::vector<MenuItem> items = dlg->systemMenu;
    // The platform's own items follow the window's state, as a real menu does when it opens.
    for (MenuItem& item : items) {
        if ((item.id == SC_RESTORE && !dlg->iconic) || (item.id == SC_MINIMIZE && dlg->iconic)) {
            item.flags |= MF_GRAYED;
        }
    }
    return items;
}

// ---- Dropped files

HDROP WindowBackend::AddDrop(std::vector<std::string> paths) {
    auto hDrop = reinterpret_cast<HDROP>(++m_nextDrop);
    m_drops[hDrop] = std::move(paths);
    return hDrop;
}

std::uint32_t WindowBackend::DragQueryFileA(HDROP hDrop, std::uint32_t index, char* buffer,
                                            std::uint32_t cch) {
    auto it = m_drops.find(hDrop);
    if (it == m_drops.end()) return 0;
    return QueryDroppedPath(it->second, index, buffer, cch);
}

void WindowBackend::DragFinish(HDROP hDrop) {
    m_drops.erase(hDrop);
}

}  // namespace qv
