// <windows.h> first, so that the seam headers leave its names alone.
// clang-format off
#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>
// clang-format on

#include "platform/win32/Win32WindowSystem.h"

#include <algorithm>
#include <cstring>

#include "platform/strings.h"
#include "platform/win32/Win32Language.h"
#include "platform/win32/Win32Text.h"
#include "res/DialogTemplate.h"
#include "res/resource.h"

namespace qv::win32 {
namespace {

static_assert(sizeof(qv::RECT) == sizeof(::RECT));

::HWND Sys(HWND h) {
    return reinterpret_cast<::HWND>(h);
}
HWND Seam(::HWND h) {
    return reinterpret_cast<HWND>(h);
}
::HMENU SysMenu(HMENU h) {
    return reinterpret_cast<::HMENU>(h);
}

// What a running dialog needs in its procedure.
struct DialogStart {
    Win32WindowSystem* self;
    DialogProc proc;
    std::intptr_t initParam;
    std::uint32_t templateId;
};

// Messages whose result a dialog procedure returns itself instead of in DWLP_MSGRESULT.
bool ReturnsDirectly(UINT message) {
    return message == WM_INITDIALOG || message == WM_QUERYDRAGICON ||
           (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC);
}

INT_PTR CALLBACK DialogThunk(::HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam) {
    DialogStart* start = nullptr;
    if (message == WM_INITDIALOG) {
        start = reinterpret_cast<DialogStart*>(lParam);
        ::SetWindowLongPtrA(hDlg, DWLP_USER, reinterpret_cast<LONG_PTR>(start));
        start->self->PrepareDialog(Seam(hDlg), start->templateId);
        lParam = start->initParam;
    } else {
        start = reinterpret_cast<DialogStart*>(::GetWindowLongPtrA(hDlg, DWLP_USER));
    }
    if (!start) return FALSE;  // the messages before WM_INITDIALOG
    std::intptr_t result = 0;
    const std::int32_t handled = start->proc(Seam(hDlg), message, wParam, lParam, &result);
    if (message == WM_DESTROY) start->self->ForgetDialog(Seam(hDlg));
    if (!handled) return FALSE;
    if (ReturnsDirectly(message)) return result;
    ::SetWindowLongPtrA(hDlg, DWLP_MSGRESULT, result);
    return TRUE;
}

bool IsListBox(::HWND hWnd) {
    char name[16] = {};
    return ::GetClassNameA(hWnd, name, sizeof name) > 0 && ::lstrcmpiA(name, "ListBox") == 0;
}

std::wstring WindowTextW(::HWND hWnd) {
    const int length = ::GetWindowTextLengthW(hWnd);
    std::wstring text(static_cast<std::size_t>(std::max(length, 0)) + 1, L'\0');
    const int n = ::GetWindowTextW(hWnd, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(std::max(n, 0)));
    return text;
}

// A zero-ended list of zero-ended texts (a file dialog's filter), decoded piece by piece.
std::wstring FilterToDisplay(const char* filter) {
    std::wstring out;
    if (!filter) return out;
    for (const char* p = filter; *p; p += std::strlen(p) + 1) {
        out += ToDisplay(p);
        out += L'\0';
    }
    out += L'\0';
    return out;
}

// Byte offset of the extension (after its dot) in a path, 0 when the name has none.
std::uint16_t ExtensionOffset(const std::string& path) {
    const std::size_t name = path.find_last_of("\\/");
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (name != std::string::npos && dot < name)) return 0;
    return static_cast<std::uint16_t>(std::min<std::size_t>(dot + 1, 0xFFFF));
}

// A template the resources do not hold (one added with AddTemplate), laid out in memory as the
// resource compiler would lay it out: DLGTEMPLATE, then each DLGITEMTEMPLATE on a DWORD.
struct KindRow {
    res::ControlKind kind;
    const wchar_t* className;
    std::uint32_t style;
};
constexpr KindRow kKinds[] = {
    {res::ControlKind::PushButton, L"Button", BS_PUSHBUTTON},
    {res::ControlKind::DefPushButton, L"Button", BS_DEFPUSHBUTTON},
    {res::ControlKind::AutoCheckBox, L"Button", BS_AUTOCHECKBOX},
    {res::ControlKind::ListBox, L"ListBox", 0},
    {res::ControlKind::ComboBox, L"ComboBox", 0},
    {res::ControlKind::LText, L"Static", SS_LEFT},
    {res::ControlKind::CText, L"Static", SS_CENTER},
    {res::ControlKind::BlackFrame, L"Static", SS_BLACKFRAME},
    {res::ControlKind::Edit, L"Edit", ES_LEFT},
    {res::ControlKind::Icon, L"Static", SS_ICON},
};

class TemplateWriter {
public:
    void Word(std::uint32_t w) { m_words.push_back(static_cast<WORD>(w)); }
    void Dword(std::uint32_t d) {
        Word(d & 0xFFFF);
        Word(d >> 16);
    }
    void Text(const std::wstring& text) {
        for (wchar_t c : text) Word(static_cast<WORD>(c));
        Word(0);
    }
    void Align() {
        if (m_words.size() % 2) Word(0);
    }
    std::vector<WORD> m_words;
};

std::vector<WORD> InMemoryTemplate(const res::DialogTemplate& d) {
    TemplateWriter w;
    w.Dword(d.style | DS_SETFONT);
    w.Dword(0);
    w.Word(static_cast<std::uint32_t>(d.controls.size()));
    for (std::int16_t v : {d.x, d.y, d.w, d.h}) w.Word(static_cast<std::uint16_t>(v));
    w.Word(0);  // no menu
    w.Word(0);  // the dialog class
    w.Text(ToDisplay(d.caption));
    w.Word(d.fontSize);
    w.Text(ToDisplay(d.fontName));
    for (const res::ControlTemplate& c : d.controls) {
        const KindRow* kind = &kKinds[0];
        for (const KindRow& row : kKinds) {
            if (row.kind == c.kind) kind = &row;
        }
        w.Align();
        w.Dword(WS_CHILD | kind->style | c.style);
        w.Dword(0);
        for (std::int16_t v : {c.x, c.y, c.w, c.h}) w.Word(static_cast<std::uint16_t>(v));
        w.Word(static_cast<std::uint32_t>(c.id));
        w.Text(kind->className);
        w.Text(ToDisplay(c.caption));
        w.Word(0);  // no creation data
    }
    return w.m_words;
}

}  // namespace

Win32WindowSystem::Win32WindowSystem(void* instance) : m_instance(instance) {}

std::intptr_t Win32WindowSystem::DialogBoxParamA(std::uint32_t templateId, HWND hWndParent,
                                                 DialogProc proc, std::intptr_t initParam) {
    if (!proc) return -1;
    DialogStart start{this, proc, initParam, templateId};
    if (const void* tpl = FindDialogResource(m_instance, templateId))
        return ::DialogBoxIndirectParamA(static_cast<HINSTANCE>(m_instance),
                                         static_cast<LPCDLGTEMPLATEA>(tpl), Sys(hWndParent),
                                         &DialogThunk, reinterpret_cast<LPARAM>(&start));
    if (const res::DialogTemplate* own = FindTemplate(templateId)) {
        const std::vector<WORD> tpl = InMemoryTemplate(*own);
        return ::DialogBoxIndirectParamA(
            static_cast<HINSTANCE>(m_instance), reinterpret_cast<LPCDLGTEMPLATEA>(tpl.data()),
            Sys(hWndParent), &DialogThunk, reinterpret_cast<LPARAM>(&start));
    }
    return ::DialogBoxParamA(static_cast<HINSTANCE>(m_instance), MAKEINTRESOURCEA(templateId),
                             Sys(hWndParent), &DialogThunk, reinterpret_cast<LPARAM>(&start));
}

void Win32WindowSystem::PrepareDialog(HWND hDlg, std::uint32_t templateId) {
    // Resources cannot hold a combo box's lines, so they come from the template here.
    if (const res::DialogTemplate* t = FindTemplate(templateId)) {
        for (const res::ControlTemplate& c : t->controls) {
            ::HWND control = ::GetDlgItem(Sys(hDlg), c.id);
            if (!control || c.kind != res::ControlKind::ComboBox) continue;
            for (std::string_view item : c.items) {
                std::wstring text = ToDisplay(item);
                ::SendMessageW(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
            }
        }
    }
    if (templateId == IDD_PLAYER) {
        auto icon = reinterpret_cast<LPARAM>(LoadAppIcon(IDR_MAINFRAME));
        ::SendMessageA(Sys(hDlg), WM_SETICON, ICON_BIG, icon);
        ::SendMessageA(Sys(hDlg), WM_SETICON, ICON_SMALL, icon);
    }
    // The system's own menu items in the face's language, which QUAVEL_LANG may set apart from
    // the system's; an item the menu lacks is left alone.
    if (::HMENU menu = ::GetSystemMenu(Sys(hDlg), FALSE)) {
        for (auto [command, text] : {std::pair{SC_RESTORE, IDS_SYSMENU_RESTORE},
                                     {SC_MOVE, IDS_SYSMENU_MOVE},
                                     {SC_MINIMIZE, IDS_SYSMENU_MINIMIZE},
                                     {SC_CLOSE, IDS_SYSMENU_CLOSE}}) {
            std::wstring shown = ToDisplay(LoadResourceString(text));
            MENUITEMINFOW item{};
            item.cbSize = sizeof item;
            item.fMask = MIIM_STRING;
            item.dwTypeData = shown.data();
            ::SetMenuItemInfoW(menu, command, FALSE, &item);
        }
    }
    if (m_onShown) m_onShown(hDlg, templateId);
}

void Win32WindowSystem::ForgetDialog(HWND hDlg) {
    Forget(hDlg);
    m_paints.erase(hDlg);
}

std::int32_t Win32WindowSystem::EndDialog(HWND hDlg, std::intptr_t result) {
    return ::EndDialog(Sys(hDlg), result);
}

HWND Win32WindowSystem::GetDlgItem(HWND hDlg, std::int32_t id) {
    return Seam(::GetDlgItem(Sys(hDlg), id));
}

std::int32_t Win32WindowSystem::GetDlgCtrlID(HWND hWnd) {
    return ::GetDlgCtrlID(Sys(hWnd));
}

std::unique_ptr<BackendWindow> Win32WindowSystem::NewWindow() {
    return std::make_unique<Mirror>();
}

Win32WindowSystem::Mirror& Win32WindowSystem::MirrorOf(HWND hWnd) {
    return static_cast<Mirror&>(Adopt(hWnd, Seam(::GetAncestor(Sys(hWnd), GA_ROOT))));
}

std::intptr_t Win32WindowSystem::SetText(HWND hWnd, const std::string& text) {
    if (!::IsWindow(Sys(hWnd))) return 0;
    Mirror& mirror = MirrorOf(hWnd);
    mirror.text = text;
    mirror.hasText = true;
    std::wstring shown = ToDisplay(text);
    return ::SendMessageW(Sys(hWnd), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(shown.c_str()));
}

std::string Win32WindowSystem::GetText(HWND hWnd) {
    std::wstring shown = WindowTextW(Sys(hWnd));
    // The bytes the program set, as long as the control still shows them (an edit control the
    // user typed into shows something else).
    auto* mirror = static_cast<Mirror*>(Find(hWnd));
    if (mirror && mirror->hasText && ToDisplay(mirror->text) == shown) return mirror->text;
    return FromDisplay(shown);
}

std::intptr_t Win32WindowSystem::ListMessage(HWND hWnd, std::uint32_t message,
                                             std::uintptr_t wParam, std::intptr_t lParam) {
    Mirror& list = MirrorOf(hWnd);
    // The user's clicks move the control's selection: the lines follow it while it shows them.
    if (list.redraw && !list.stale)
        list.selection = static_cast<std::int32_t>(::SendMessageA(Sys(hWnd), LB_GETCURSEL, 0, 0));
    if (message == WM_SETREDRAW) return *TextMessage(list, message, wParam, lParam);
    return ListBoxMessage(list, message, wParam, lParam);
}

void Win32WindowSystem::ShowRedraw(BackendWindow& list) {
    ::SendMessageA(Sys(list.handle), WM_SETREDRAW, list.redraw ? TRUE : FALSE, 0);
}

void Win32WindowSystem::ShowLines(BackendWindow& list, ListChange change) {
    ::HWND control = Sys(list.handle);
    const auto at = static_cast<std::size_t>(change.index);
    switch (change.kind) {
        case ListChange::Added:
        case ListChange::Inserted: {
            std::wstring shown = ToDisplay(list.lines[at]);
            ::SendMessageW(control, LB_INSERTSTRING, at, reinterpret_cast<LPARAM>(shown.c_str()));
            break;
        }
        case ListChange::Deleted:
            ::SendMessageA(control, LB_DELETESTRING, at, 0);
            break;
        case ListChange::Reset:
            ::SendMessageA(control, LB_RESETCONTENT, 0, 0);
            break;
        case ListChange::Selected:
            ::SendMessageA(control, LB_SETCURSEL, static_cast<WPARAM>(change.index), 0);
            break;
        case ListChange::Refilled: {
            // One refill, its room taken at once, in place of a change a line.
            ::SendMessageA(control, LB_RESETCONTENT, 0, 0);
            std::size_t bytes = 0;
            for (const std::string& line : list.lines) bytes += (line.size() + 1) * sizeof(wchar_t);
            ::SendMessageA(control, LB_INITSTORAGE, list.lines.size(), static_cast<LPARAM>(bytes));
            for (const std::string& line : list.lines) {
                std::wstring shown = ToDisplay(line);
                ::SendMessageW(control, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(shown.c_str()));
            }
            ::SendMessageA(control, LB_SETCURSEL, static_cast<WPARAM>(list.selection), 0);
            break;
        }
        case ListChange::None:
            break;
    }
}

std::intptr_t Win32WindowSystem::SendMessageA(HWND hWnd, std::uint32_t message,
                                              std::uintptr_t wParam, std::intptr_t lParam) {
    switch (message) {
        case WM_SETTEXT:
            return SetText(hWnd, TextOf(lParam));
        case WM_GETTEXT:
            return CopyText(GetText(hWnd), wParam, lParam);
        case WM_GETTEXTLENGTH:
            return static_cast<std::intptr_t>(GetText(hWnd).size());
        case CB_SETCURSEL:
            // A bad index clears the selection, as Windows does; Wine would keep the old one.
            if (static_cast<std::intptr_t>(wParam) != -1 &&
                static_cast<std::intptr_t>(wParam) >=
                    ::SendMessageA(Sys(hWnd), CB_GETCOUNT, 0, 0)) {
                ::SendMessageA(Sys(hWnd), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
                return CB_ERR;
            }
            break;
        case WM_SETREDRAW:
        case LB_ADDSTRING:
        case LB_INSERTSTRING:
        case LB_DELETESTRING:
        case LB_RESETCONTENT:
        case LB_SETCURSEL:
        case LB_GETCURSEL:
        case LB_GETTEXT:
        case LB_GETTEXTLEN:
        case LB_GETCOUNT:
            if (IsListBox(Sys(hWnd))) return ListMessage(hWnd, message, wParam, lParam);
            break;
        default:
            break;
    }
    return ::SendMessageA(Sys(hWnd), message, wParam, lParam);
}

std::int32_t Win32WindowSystem::PostWindowMessage(HWND hWnd, std::uint32_t message,
                                                  std::uintptr_t wParam, std::intptr_t lParam) {
    return ::PostMessageA(Sys(hWnd), message, wParam, lParam);
}

std::intptr_t Win32WindowSystem::DefaultDialogProc(HWND hDlg, std::uint32_t message,
                                                   std::uintptr_t wParam, std::intptr_t lParam) {
    switch (message) {
        case WM_CLOSE:
            // What the dialog manager does with it; the window procedure's default would destroy
            // the dialog without ending it.
            return ::SendMessageA(Sys(hDlg), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                                  reinterpret_cast<LPARAM>(::GetDlgItem(Sys(hDlg), IDCANCEL)));
        case WM_DROPFILES:
            ::DragFinish(reinterpret_cast<::HDROP>(wParam));
            return 0;
        case WM_SETTEXT: {
            // The window procedure's own handling, not a new message, which would come back here
            // through a dialog procedure that leaves WM_SETTEXT to the default.
            Mirror& mirror = MirrorOf(hDlg);
            mirror.text = TextOf(lParam);
            mirror.hasText = true;
            std::wstring shown = ToDisplay(mirror.text);
            return ::DefWindowProcW(Sys(hDlg), WM_SETTEXT, 0,
                                    reinterpret_cast<LPARAM>(shown.c_str()));
        }
        default:
            return ::DefWindowProcA(Sys(hDlg), message, wParam, lParam);
    }
}

std::int32_t Win32WindowSystem::EnableWindow(HWND hWnd, std::int32_t enable) {
    return ::EnableWindow(Sys(hWnd), enable);
}

std::int32_t Win32WindowSystem::IsWindowEnabled(HWND hWnd) {
    return ::IsWindowEnabled(Sys(hWnd));
}

std::int32_t Win32WindowSystem::ShowWindow(HWND hWnd, std::int32_t cmdShow) {
    return ::ShowWindow(Sys(hWnd), cmdShow);
}

std::int32_t Win32WindowSystem::IsWindowVisible(HWND hWnd) {
    return ::IsWindowVisible(Sys(hWnd));
}

std::int32_t Win32WindowSystem::IsIconic(HWND hWnd) {
    return ::IsIconic(Sys(hWnd));
}

std::int32_t Win32WindowSystem::GetWindowRect(HWND hWnd, RECT* pRect) {
    return ::GetWindowRect(Sys(hWnd), reinterpret_cast<::RECT*>(pRect));
}

std::int32_t Win32WindowSystem::GetClientRect(HWND hWnd, RECT* pRect) {
    return ::GetClientRect(Sys(hWnd), reinterpret_cast<::RECT*>(pRect));
}

std::int32_t Win32WindowSystem::SetWindowPos(HWND hWnd, HWND hWndInsertAfter, std::int32_t x,
                                             std::int32_t y, std::int32_t cx, std::int32_t cy,
                                             std::uint32_t flags) {
    return ::SetWindowPos(Sys(hWnd), Sys(hWndInsertAfter), x, y, cx, cy, flags);
}

std::int32_t Win32WindowSystem::CenterWindow(HWND hWnd, HWND hWndAlternateOwner) {
    ::RECT window{};
    if (!::GetWindowRect(Sys(hWnd), &window)) return 0;
    ::HWND over = hWndAlternateOwner ? Sys(hWndAlternateOwner) : ::GetWindow(Sys(hWnd), GW_OWNER);
    ::RECT area{};
    if (!over || !::GetWindowRect(over, &area) || ::IsIconic(over)) {
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        ::GetMonitorInfoA(::MonitorFromWindow(Sys(hWnd), MONITOR_DEFAULTTONEAREST), &monitor);
        area = monitor.rcWork;
    }
    const int x = area.left + ((area.right - area.left) - (window.right - window.left)) / 2;
    const int y = area.top + ((area.bottom - area.top) - (window.bottom - window.top)) / 2;
    return ::SetWindowPos(Sys(hWnd), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

std::int32_t Win32WindowSystem::InvalidateRect(HWND hWnd, const RECT* pRect, std::int32_t erase) {
    return ::InvalidateRect(Sys(hWnd), reinterpret_cast<const ::RECT*>(pRect), erase);
}

std::uintptr_t Win32WindowSystem::SetTimer(HWND hWnd, std::uintptr_t id, std::uint32_t elapseMs) {
    return ::SetTimer(Sys(hWnd), id, elapseMs, nullptr);
}

std::int32_t Win32WindowSystem::KillTimer(HWND hWnd, std::uintptr_t id) {
    return ::KillTimer(Sys(hWnd), id);
}

HMENU Win32WindowSystem::GetSystemMenu(HWND hWnd, std::int32_t revert) {
    return reinterpret_cast<HMENU>(::GetSystemMenu(Sys(hWnd), revert));
}

std::int32_t Win32WindowSystem::AppendMenuA(HMENU hMenu, std::uint32_t flags,
                                            std::uintptr_t idNewItem, const char* text) {
    std::wstring shown = ToDisplay(text ? text : "");
    return ::AppendMenuW(SysMenu(hMenu), flags, idNewItem,
                         (flags & MF_SEPARATOR) ? nullptr : shown.c_str());
}

std::int32_t Win32WindowSystem::EnableMenuItem(HMENU hMenu, std::uint32_t idItem,
                                               std::uint32_t enable) {
    return ::EnableMenuItem(SysMenu(hMenu), idItem, enable);
}

std::int32_t Win32WindowSystem::ModifyMenuA(HMENU hMenu, std::uint32_t position,
                                            std::uint32_t flags, std::uintptr_t idNewItem,
                                            const char* text) {
    std::wstring shown = ToDisplay(text ? text : "");
    return ::ModifyMenuW(SysMenu(hMenu), position, flags, idNewItem,
                         (flags & MF_SEPARATOR) ? nullptr : shown.c_str());
}

std::int32_t Win32WindowSystem::MessageBoxA(HWND hWndOwner, const char* text, const char* caption,
                                            std::uint32_t type) {
    std::wstring shownText = ToDisplay(text ? text : "");
    std::wstring shownCaption =
        ToDisplay(caption ? std::string_view(caption) : LoadResourceString(IDS_PRODUCTNAME));
    return ::MessageBoxW(Sys(hWndOwner), shownText.c_str(), shownCaption.c_str(), type);
}

std::int32_t Win32WindowSystem::FileDialog(OPENFILENAMEA* pOfn, bool save) {
    if (!pOfn || !pOfn->lpstrFile || pOfn->nMaxFile == 0) return 0;
    constexpr std::size_t kChars = 32768;  // the most a multiple selection can name
    std::wstring file = ToDisplay(pOfn->lpstrFile);
    file.resize(kChars, L'\0');
    std::wstring filter = FilterToDisplay(pOfn->lpstrFilter);
    std::wstring title = pOfn->lpstrTitle ? ToDisplay(pOfn->lpstrTitle) : std::wstring();
    std::wstring defExt = pOfn->lpstrDefExt ? ToDisplay(pOfn->lpstrDefExt) : std::wstring();

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = Sys(pOfn->hwndOwner);
    ofn.lpstrFilter = pOfn->lpstrFilter ? filter.c_str() : nullptr;
    ofn.nFilterIndex = pOfn->nFilterIndex;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrTitle = pOfn->lpstrTitle ? title.c_str() : nullptr;
    ofn.lpstrDefExt = pOfn->lpstrDefExt ? defExt.c_str() : nullptr;
    // Always the explorer form, whose answer can carry names with blanks; the caller's form is
    // made from it below.
    ofn.Flags = (pOfn->Flags & ~static_cast<DWORD>(OFN_SHOWHELP)) | OFN_EXPLORER;
    if (!(save ? ::GetSaveFileNameW(&ofn) : ::GetOpenFileNameW(&ofn))) return 0;

    // The folder and names of a multiple selection, or the one full path.
    std::vector<std::string> parts;
    for (const wchar_t* p = file.c_str(); *p && p < file.c_str() + file.size(); p += wcslen(p) + 1)
        parts.push_back(FromDisplay(p));
    if (parts.empty()) return 0;
    const bool explorer = (pOfn->Flags & OFN_EXPLORER) != 0;
    std::string answer;
    std::uint16_t nameOffset = 0;
    if (parts.size() == 1) {
        answer = parts[0];
        const std::size_t slash = answer.find_last_of("\\/");
        nameOffset = static_cast<std::uint16_t>(slash == std::string::npos ? 0 : slash + 1);
        if (explorer) answer += '\0';
    } else {
        nameOffset = static_cast<std::uint16_t>(parts[0].size() + 1);
        answer = parts[0];
        for (std::size_t i = 1; i < parts.size(); ++i) answer += (explorer ? '\0' : ' ') + parts[i];
        if (explorer) answer += '\0';
    }
    if (answer.size() + 1 > pOfn->nMaxFile) return 0;  // refused rather than cut
    std::memcpy(pOfn->lpstrFile, answer.data(), answer.size());
    pOfn->lpstrFile[answer.size()] = '\0';
    pOfn->nFileOffset = nameOffset;
    pOfn->nFileExtension = parts.size() == 1 ? ExtensionOffset(parts[0]) : 0;
    pOfn->nFilterIndex = ofn.nFilterIndex;
    return 1;
}

std::int32_t Win32WindowSystem::GetOpenFileNameA(OPENFILENAMEA* pOfn) {
    return FileDialog(pOfn, false);
}

std::int32_t Win32WindowSystem::GetSaveFileNameA(OPENFILENAMEA* pOfn) {
    return FileDialog(pOfn, true);
}

void Win32WindowSystem::DragAcceptFiles(HWND hWnd, std::int32_t accept) {
    ::DragAcceptFiles(Sys(hWnd), accept);
}

std::uint32_t Win32WindowSystem::DragQueryFileA(HDROP hDrop, std::uint32_t index, char* buffer,
                                                std::uint32_t cch) {
    auto drop = reinterpret_cast<::HDROP>(hDrop);
    const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    if (index == kDragQueryCount) return count;
    if (index >= count) return 0;
    std::wstring path(::DragQueryFileW(drop, index, nullptr, 0) + 1, L'\0');
    path.resize(::DragQueryFileW(drop, index, path.data(), static_cast<UINT>(path.size())));
    std::vector<std::string> one(index + 1);
    one[index] = FromDisplay(path);
    return QueryDroppedPath(one, index, buffer, cch);
}

void Win32WindowSystem::DragFinish(HDROP hDrop) {
    ::DragFinish(reinterpret_cast<::HDROP>(hDrop));
}

HICON Win32WindowSystem::LoadAppIcon(std::uint32_t resourceId) {
    return reinterpret_cast<HICON>(
        ::LoadIconA(static_cast<HINSTANCE>(m_instance), MAKEINTRESOURCEA(resourceId)));
}

std::int32_t Win32WindowSystem::DrawIcon(HDC hdc, std::int32_t x, std::int32_t y, HICON hIcon) {
    return ::DrawIcon(reinterpret_cast<::HDC>(hdc), x, y, reinterpret_cast<::HICON>(hIcon));
}

std::int32_t Win32WindowSystem::GetSystemMetrics(std::int32_t index) {
    return ::GetSystemMetrics(index);
}

HDC Win32WindowSystem::BeginPaint(HWND hWnd, PAINTSTRUCT* pPaint) {
    std::vector<unsigned char>& block = m_paints[hWnd];
    block.assign(sizeof(::PAINTSTRUCT), 0);
    auto* system = reinterpret_cast<::PAINTSTRUCT*>(block.data());
    ::HDC dc = ::BeginPaint(Sys(hWnd), system);
    if (pPaint) {
        pPaint->hdc = reinterpret_cast<HDC>(dc);
        pPaint->fErase = system->fErase;
        std::memcpy(&pPaint->rcPaint, &system->rcPaint, sizeof pPaint->rcPaint);
    }
    return reinterpret_cast<HDC>(dc);
}

std::int32_t Win32WindowSystem::EndPaint(HWND hWnd, const PAINTSTRUCT*) {
    auto it = m_paints.find(hWnd);
    if (it == m_paints.end()) return 0;
    ::EndPaint(Sys(hWnd), reinterpret_cast<::PAINTSTRUCT*>(it->second.data()));
    m_paints.erase(it);
    return 1;
}

}  // namespace qv::win32
