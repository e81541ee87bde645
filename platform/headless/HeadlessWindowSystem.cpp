#include "platform/headless/HeadlessWindowSystem.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/WindowBackendSupport.h"
#include "platform/headless/HeadlessWindow.h"
#include "platform/language.h"
#include "res/resource.h"

namespace qv::headless {
namespace {

constexpr std::uint32_t kMenuByPosition = 0x0400;
constexpr std::size_t kMaxPumpedPerCall = 100000;
constexpr std::int32_t kMinimisedPosition = -32000;  // where the platform parks minimised windows
constexpr std::int32_t kMinimisedWidth = 160;
constexpr std::uintptr_t kIconBase = 0x7000;

using res::ControlKind;

std::string Describe(std::uint32_t templateId) {
    return "dialog " + std::to_string(templateId);
}

std::string ControlName(std::int32_t id) {
    return "control " + std::to_string(id);
}

// The program's zero-separated filter back in the form it was written in: "d|p|d|p||".
std::string FilterText(const char* filter) {
    std::string out;
    if (!filter) return out;
    const char* p = filter;
    while (*p) {
        std::string description(p);
        p += description.size() + 1;
        std::string pattern(p);
        p += pattern.size() + (*p ? 1 : 0);
        out += description + "|" + pattern + "|";
        if (pattern.empty()) break;
    }
    return out + "|";
}

// Offset just after the last dot of the last path component, or 0 when it has none.
std::uint16_t ExtensionOffset(const std::string& path) {
    std::size_t slash = path.find_last_of("/\\");
    std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot < start) return 0;
    return static_cast<std::uint16_t>(dot + 1);
}

std::uint16_t NameOffset(const std::string& path) {
    std::size_t slash = path.find_last_of("/\\");
    return static_cast<std::uint16_t>(slash == std::string::npos ? 0 : slash + 1);
}

// The open dialog's answer when the program asks for the Explorer form: the one path, or the
// folder and each name, each ended by a zero byte (the copy adds the last zero). A scripted answer
// that holds zero bytes is already in that form; a text-form answer is cut at its blanks.
std::string ExplorerForm(const std::string& answer) {
    std::string out;
    if (answer.find('\0') != std::string::npos) {
        out = answer;
    } else {
        std::size_t start = 0;
        while (start <= answer.size()) {
            std::size_t end = answer.find(' ', start);
            if (end == std::string::npos) end = answer.size();
            if (end > start) out += answer.substr(start, end - start) + '\0';
            start = end + 1;
        }
    }
    if (out.empty() || out.back() != '\0') out += '\0';
    return out;
}

// Where the first name starts in an Explorer-form answer.
std::uint16_t ExplorerNameOffset(const std::string& form) {
    std::size_t first = form.find('\0');
    bool several = first + 1 < form.size();
    return several ? static_cast<std::uint16_t>(first + 1) : NameOffset(form.substr(0, first));
}

// The length of a zero-terminated text held in a buffer of max bytes, never reading past it.
std::size_t BoundedLength(const char* text, std::size_t max) {
    const void* end = std::memchr(text, '\0', max);
    return end ? static_cast<std::size_t>(static_cast<const char*>(end) - text) : max;
}

bool IsButton(ControlKind kind) {
    return kind == ControlKind::PushButton || kind == ControlKind::DefPushButton ||
           kind == ControlKind::AutoCheckBox;
}

}  // namespace

HeadlessWindowSystem::HeadlessWindowSystem()
    : m_onFailure([](const std::string& what) {
          std::fprintf(stderr, "headless window system: %s\n", what.c_str());
          std::abort();
      }) {}

HeadlessWindowSystem::~HeadlessWindowSystem() = default;

void HeadlessWindowSystem::Fail(const std::string& what) {
    m_onFailure(what);
}

void HeadlessWindowSystem::SetFailureHandler(std::function<void(const std::string&)> handler) {
    if (handler) m_onFailure = std::move(handler);
}

// ---- Script

void HeadlessWindowSystem::AddTemplate(const res::DialogTemplate& tpl) {
    m_testTemplates.push_back(&tpl);
}

void HeadlessWindowSystem::OnDialog(std::uint32_t templateId, DialogHandler handler) {
    m_dialogHandlers[templateId].push_back(std::move(handler));
}

void HeadlessWindowSystem::AnswerMessageBox(std::int32_t answer) {
    m_messageBoxAnswers.push_back(answer);
}

void HeadlessWindowSystem::AnswerFileDialog(std::string selection) {
    m_fileAnswers.emplace_back(std::move(selection));
}

void HeadlessWindowSystem::CancelFileDialog() {
    m_fileAnswers.emplace_back(std::nullopt);
}

std::vector<std::string> HeadlessWindowSystem::UnusedScript() const {
    std::vector<std::string> unused;
    for (const auto& [id, handlers] : m_dialogHandlers) {
        for (std::size_t i = 0; i < handlers.size(); ++i) {
            unused.push_back("a handler for " + Describe(id));
        }
    }
    for (std::int32_t answer : m_messageBoxAnswers) {
        unused.push_back("message-box answer " + std::to_string(answer));
    }
    for (const auto& answer : m_fileAnswers) {
        unused.push_back(answer ? "file-dialog answer \"" + *answer + "\"" : "file-dialog cancel");
    }
    return unused;
}

// ---- Windows

const res::DialogTemplate* HeadlessWindowSystem::FindTemplate(std::uint32_t id) const {
    for (const res::DialogTemplate* tpl : m_testTemplates) {
        if (tpl->id == id) return tpl;
    }
    return res::FindDialogTemplate(id, UiLanguage());
}

HeadlessWindowSystem::Window* HeadlessWindowSystem::Find(HWND hWnd) const {
    auto it = m_windows.find(hWnd);
    return it == m_windows.end() ? nullptr : it->second.get();
}

HeadlessWindowSystem::Window* HeadlessWindowSystem::FindDialog(HWND hWnd) const {
    Window* w = Find(hWnd);
    return w && w->isDialog ? w : nullptr;
}

// A dialog's menu and painting handles carry the dialog's own handle value.
HeadlessWindowSystem::Window* HeadlessWindowSystem::FindByMenu(HMENU hMenu) const {
    Window* w = FindDialog(reinterpret_cast<HWND>(hMenu));
    return w && w->menuHandedOut ? w : nullptr;
}

HeadlessWindowSystem::Window* HeadlessWindowSystem::FindByDc(HDC hdc) const {
    return FindDialog(reinterpret_cast<HWND>(hdc));
}

HeadlessWindowSystem::Window& HeadlessWindowSystem::CreateDialogWindow(
    const res::DialogTemplate& tpl, HWND owner, DialogProc proc) {
    auto dlg = std::make_unique<Window>();
    dlg->handle = reinterpret_cast<HWND>(++m_nextHandle);
    dlg->isDialog = true;
    dlg->tpl = &tpl;
    dlg->owner = owner;
    dlg->proc = proc;
    dlg->text = std::string(tpl.caption);
    std::int32_t left = tpl.x * 2, top = tpl.y * 2;
    dlg->rect =
        RECT{left, top, left + tpl.w * 2 + 2 * kFrame, top + tpl.h * 2 + 2 * kFrame + kCaption};
    ResetSystemMenu(*dlg);
    Window& ref = *dlg;
    m_windows[ref.handle] = std::move(dlg);
    for (const res::ControlTemplate& ct : tpl.controls) CreateControl(ref, ct);
    std::lock_guard<std::mutex> lock(m_queueMutex);
    m_liveWindows.insert(ref.handle);
    for (HWND child : ref.children) m_liveWindows.insert(child);
    return ref;
}

void HeadlessWindowSystem::CreateControl(Window& dlg, const res::ControlTemplate& ct) {
    auto ctl = std::make_unique<Window>();
    ctl->handle = reinterpret_cast<HWND>(++m_nextHandle);
    ctl->parent = dlg.handle;
    ctl->id = ct.id;
    ctl->kind = ct.kind;
    ctl->x = ct.x;
    ctl->y = ct.y;
    ctl->w = ct.w;
    ctl->h = ct.h;
    bool hasLines = ct.kind == ControlKind::ListBox || ct.kind == ControlKind::ComboBox;
    if (!hasLines) ctl->text = std::string(ct.caption);
    for (std::string_view item : ct.items) ctl->lines.emplace_back(item);
    ctl->enabled = (ct.style & res::kDisabled) == 0;
    ctl->visible = (ct.style & res::kVisible) != 0;
    dlg.children.push_back(ctl->handle);
    m_windows[ctl->handle] = std::move(ctl);
}

void HeadlessWindowSystem::ResetSystemMenu(Window& dlg) {
    dlg.systemMenu.clear();
    if (!dlg.HasStyle(res::kDlgSysMenu)) return;
    if (dlg.HasStyle(res::kDlgMinimizeBox)) {
        dlg.systemMenu.push_back({SC_RESTORE, MF_STRING, "&Restore"});
        dlg.systemMenu.push_back({SC_MOVE, MF_STRING, "&Move"});
        dlg.systemMenu.push_back({SC_MINIMIZE, MF_STRING, "Mi&nimize"});
    } else {
        dlg.systemMenu.push_back({SC_MOVE, MF_STRING, "&Move"});
    }
    dlg.systemMenu.push_back({0, MF_SEPARATOR, ""});
    dlg.systemMenu.push_back({SC_CLOSE, MF_STRING, "&Close"});
}

void HeadlessWindowSystem::DestroyDialog(Window& dlg) {
    HWND hDlg = dlg.handle;
    std::vector<HWND> handles = dlg.children;
    handles.push_back(hDlg);
    std::erase_if(m_timers, [hDlg](const Timer& t) { return t.hWnd == hDlg; });
    {
        // Whatever was still posted to it is discarded with the window.
        std::lock_guard<std::mutex> lock(m_queueMutex);
        std::erase_if(m_posted, [&handles](const Posted& p) {
            return std::find(handles.begin(), handles.end(), p.hWnd) != handles.end();
        });
        for (HWND h : handles) m_liveWindows.erase(h);
    }
    for (HWND h : handles) m_windows.erase(h);
}

HWND HeadlessWindowSystem::ActiveDialog() const {
    return m_dialogStack.empty() ? nullptr : m_dialogStack.back();
}

DialogDriver HeadlessWindowSystem::Driver(HWND hDlg) {
    return DialogDriver(*this, hDlg);
}

std::intptr_t HeadlessWindowSystem::DialogBoxParamA(std::uint32_t templateId, HWND hWndParent,
                                                    DialogProc proc, std::intptr_t initParam) {
    const res::DialogTemplate* tpl = FindTemplate(templateId);
    if (!tpl) {
        Fail("no template for " + Describe(templateId));
        return -1;
    }
    Window& dlg = CreateDialogWindow(*tpl, hWndParent, proc);
    HWND hDlg = dlg.handle;
    Window* owner = FindDialog(hWndParent);
    bool ownerWasEnabled = owner && owner->enabled;
    if (owner) owner->enabled = false;
    m_dialogStack.push_back(hDlg);

    Deliver(dlg, WM_INITDIALOG, 0, initParam);
    if (!dlg.ended) RunHandler(dlg);

    std::intptr_t result = dlg.result;
    m_dialogStack.pop_back();
    DestroyDialog(dlg);
    if (Window* o = FindDialog(hWndParent); o && ownerWasEnabled) o->enabled = true;
    return result;
}

void HeadlessWindowSystem::RunHandler(Window& dlg) {
    std::uint32_t id = dlg.tpl->id;
    auto it = m_dialogHandlers.find(id);
    if (it == m_dialogHandlers.end() || it->second.empty()) {
        Fail(Describe(id) + " opened without a scripted handler; cancelling it");
    } else {
        DialogHandler handler = std::move(it->second.front());
        it->second.pop_front();
        if (it->second.empty()) m_dialogHandlers.erase(it);
        DialogDriver driver(*this, dlg.handle);
        handler(driver);
        if (dlg.ended) return;
        Fail(Describe(id) + " is still open after its handler returned; cancelling it");
    }
    dlg.ended = true;
    dlg.result = IDCANCEL;
}

std::int32_t HeadlessWindowSystem::EndDialog(HWND hDlg, std::intptr_t result) {
    Window* dlg = FindDialog(hDlg);
    if (!dlg) return 0;
    dlg->ended = true;
    dlg->result = result;
    return 1;
}

HWND HeadlessWindowSystem::GetDlgItem(HWND hDlg, std::int32_t id) {
    Window* dlg = FindDialog(hDlg);
    if (!dlg) return nullptr;
    for (HWND child : dlg->children) {
        if (Find(child)->id == id) return child;
    }
    return nullptr;
}

std::int32_t HeadlessWindowSystem::GetDlgCtrlID(HWND hWnd) {
    Window* w = Find(hWnd);
    return w && !w->isDialog ? w->id : 0;
}

// ---- Messages

std::intptr_t HeadlessWindowSystem::Deliver(Window& dlg, std::uint32_t message,
                                            std::uintptr_t wParam, std::intptr_t lParam) {
    HWND hDlg = dlg.handle;
    std::intptr_t result = 0;
    if (dlg.proc && dlg.proc(hDlg, message, wParam, lParam, &result)) return result;
    return DefaultDialogProc(hDlg, message, wParam, lParam);
}

std::intptr_t HeadlessWindowSystem::SendMessageA(HWND hWnd, std::uint32_t message,
                                                 std::uintptr_t wParam, std::intptr_t lParam) {
    Window* w = Find(hWnd);
    if (!w) return 0;
    return w->isDialog ? Deliver(*w, message, wParam, lParam)
                       : ControlMessage(*w, message, wParam, lParam);
}

std::intptr_t HeadlessWindowSystem::TextMessage(Window& wnd, std::uint32_t message,
                                                std::uintptr_t wParam, std::intptr_t lParam,
                                                bool* pHandled) {
    *pHandled = true;
    // A drop-down list shows its selected line as its text.
    bool showsSelection = !wnd.isDialog && wnd.kind == ControlKind::ComboBox;
    const std::string selected = showsSelection && InRange(wnd.selection, wnd.lines.size())
                                     ? wnd.lines[static_cast<std::size_t>(wnd.selection)]
                                     : std::string();
    const std::string& shown = showsSelection ? selected : wnd.text;
    switch (message) {
        case WM_SETTEXT:
            wnd.text = TextOf(lParam);
            return 1;
        case WM_GETTEXT:
            return CopyText(shown, wParam, lParam);
        case WM_GETTEXTLENGTH:
            return static_cast<std::intptr_t>(shown.size());
        case WM_SETREDRAW:
            wnd.redraw = wParam != 0;
            return 0;
        default:
            *pHandled = false;
            return 0;
    }
}

std::intptr_t HeadlessWindowSystem::ControlMessage(Window& ctl, std::uint32_t message,
                                                   std::uintptr_t wParam, std::intptr_t lParam) {
    bool handled = false;
    std::intptr_t result = TextMessage(ctl, message, wParam, lParam, &handled);
    if (handled) return result;
    switch (ctl.kind) {
        case ControlKind::ListBox:
            return ListBoxMessage(ctl, message, wParam, lParam);
        case ControlKind::ComboBox:
            return ComboBoxMessage(ctl, message, wParam, lParam);
        default:
            break;
    }
    if (IsButton(ctl.kind) && message == BM_GETCHECK) {
        return ctl.kind == ControlKind::AutoCheckBox ? ctl.check : BST_UNCHECKED;
    }
    if (IsButton(ctl.kind) && message == BM_SETCHECK) {
        if (ctl.kind == ControlKind::AutoCheckBox) ctl.check = static_cast<std::int32_t>(wParam);
        return 0;
    }
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%04X", message);
    Fail("message " + std::string(hex) + " sent to " + ControlName(ctl.id) +
         " is not supported by the headless window system");
    return 0;
}

std::intptr_t HeadlessWindowSystem::ListBoxMessage(Window& ctl, std::uint32_t message,
                                                   std::uintptr_t wParam, std::intptr_t lParam) {
    ListChange change;
    if (auto result = ListBoxRules(ctl.lines, ctl.selection, message, wParam, lParam, change)) {
        return *result;
    }
    Fail("list-box message " + std::to_string(message) + " is not supported");
    return LB_ERR;
}

std::intptr_t HeadlessWindowSystem::ComboBoxMessage(Window& ctl, std::uint32_t message,
                                                    std::uintptr_t wParam, std::intptr_t lParam) {
    std::int32_t index = IndexOf(wParam);
    switch (message) {
        case CB_ADDSTRING:
            ctl.lines.push_back(TextOf(lParam));
            return static_cast<std::intptr_t>(ctl.lines.size() - 1);
        case CB_GETCOUNT:
            return static_cast<std::intptr_t>(ctl.lines.size());
        case CB_GETCURSEL:
            return ctl.selection;
        case CB_SETCURSEL:
            // Unlike a list box, a bad index also clears the selection.
            if (!InRange(index, ctl.lines.size())) {
                ctl.selection = -1;
                return CB_ERR;
            }
            ctl.selection = index;
            return index;
        default:
            break;
    }
    Fail("combo-box message " + std::to_string(message) + " is not supported");
    return CB_ERR;
}

std::intptr_t HeadlessWindowSystem::DefaultDialogProc(HWND hDlg, std::uint32_t message,
                                                      std::uintptr_t wParam, std::intptr_t lParam) {
    Window* dlg = FindDialog(hDlg);
    if (!dlg) return 0;
    bool handled = false;
    std::intptr_t result = TextMessage(*dlg, message, wParam, lParam, &handled);
    if (handled) return result;
    switch (message) {
        case WM_SYSCOMMAND:
            switch (wParam & 0xFFF0) {
                case SC_CLOSE:
                    return Deliver(*dlg, WM_CLOSE, 0, 0);
                case SC_MINIMIZE:
                    SetIconic(*dlg, true);
                    return 0;
                case SC_RESTORE:
                    SetIconic(*dlg, false);
                    return 0;
                default:
                    return 0;
            }
        case WM_CLOSE: {
            HWND hCancel = GetDlgItem(hDlg, IDCANCEL);
            Window* cancel = Find(hCancel);
            if (cancel && !cancel->enabled) return 0;
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

void HeadlessWindowSystem::SetIconic(Window& dlg, bool iconic) {
    if (dlg.iconic == iconic) return;
    dlg.iconic = iconic;
    RECT client{};
    GetClientRect(dlg.handle, &client);
    std::intptr_t size = iconic ? 0 : MakeLParam(client.right, client.bottom);
    Deliver(dlg, WM_SIZE, iconic ? SIZE_MINIMIZED : SIZE_RESTORED, size);
}

std::int32_t HeadlessWindowSystem::PostWindowMessage(HWND hWnd, std::uint32_t message,
                                                     std::uintptr_t wParam, std::intptr_t lParam) {
    {
        std::lock_guard<std::mutex> lock(m_queueMutex);
        if (!m_liveWindows.count(hWnd)) return 0;
        m_posted.push_back(Posted{hWnd, message, wParam, lParam});
    }
    m_queueSignal.notify_all();
    return 1;
}

bool HeadlessWindowSystem::PopPosted(Posted* pPosted) {
    std::lock_guard<std::mutex> lock(m_queueMutex);
    if (m_posted.empty()) return false;
    *pPosted = m_posted.front();
    m_posted.pop_front();
    return true;
}

std::size_t HeadlessWindowSystem::PumpMessages() {
    std::size_t delivered = 0;
    Posted p{};
    while (PopPosted(&p)) {
        Window* w = Find(p.hWnd);
        Window* dlg = w ? (w->isDialog ? w : FindDialog(w->parent)) : nullptr;
        if (!dlg || dlg->ended) continue;  // its modal run is over: the message dies with it
        if (w->isDialog) {
            Deliver(*w, p.message, p.wParam, p.lParam);
        } else {
            ControlMessage(*w, p.message, p.wParam, p.lParam);
        }
        if (++delivered >= kMaxPumpedPerCall) {
            Fail("messages keep being posted while pumping");
            break;
        }
    }
    return delivered;
}

bool HeadlessWindowSystem::WaitForPostedMessage(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(m_queueMutex);
    return m_queueSignal.wait_for(lock, timeout, [this] { return !m_posted.empty(); });
}

// ---- Timers and the clock

std::uintptr_t HeadlessWindowSystem::SetTimer(HWND hWnd, std::uintptr_t id,
                                              std::uint32_t elapseMs) {
    if (!FindDialog(hWnd) || id == 0) return 0;
    std::uint32_t period = std::max(elapseMs, kMinimumTimerMs);
    for (Timer& t : m_timers) {
        if (t.hWnd == hWnd && t.id == id) {
            t.period = period;
            t.due = m_now + period;
            return id;
        }
    }
    m_timers.push_back(Timer{hWnd, id, period, m_now + period, ++m_timerOrder});
    return id;
}

std::int32_t HeadlessWindowSystem::KillTimer(HWND hWnd, std::uintptr_t id) {
    auto removed = std::erase_if(
        m_timers, [hWnd, id](const Timer& t) { return t.hWnd == hWnd && t.id == id; });
    return removed ? 1 : 0;
}

void HeadlessWindowSystem::AdvanceClock(std::uint64_t ms) {
    const std::uint64_t target = m_now + ms;
    for (;;) {
        PumpMessages();
        Timer* next = nullptr;
        for (Timer& t : m_timers) {
            Window* dlg = FindDialog(t.hWnd);
            if (!dlg || dlg->ended || t.due > target) continue;
            if (!next || t.due < next->due || (t.due == next->due && t.order < next->order)) {
                next = &t;
            }
        }
        if (!next) break;
        m_now = std::max(m_now, next->due);
        next->due += next->period;
        HWND hWnd = next->hWnd;
        std::uintptr_t id = next->id;
        Deliver(*FindDialog(hWnd), WM_TIMER, id, 0);  // may set or kill timers: next is stale
    }
    m_now = std::max(m_now, target);
    PumpMessages();
}

// ---- Window state

std::int32_t HeadlessWindowSystem::EnableWindow(HWND hWnd, std::int32_t enable) {
    Window* w = Find(hWnd);
    if (!w) return 0;
    bool wasDisabled = !w->enabled;
    w->enabled = enable != 0;
    return wasDisabled ? 1 : 0;
}

std::int32_t HeadlessWindowSystem::IsWindowEnabled(HWND hWnd) {
    Window* w = Find(hWnd);
    return w && w->enabled ? 1 : 0;
}

std::int32_t HeadlessWindowSystem::ShowWindow(HWND hWnd, std::int32_t cmdShow) {
    Window* w = Find(hWnd);
    if (!w) return 0;
    bool wasVisible = w->visible;
    w->visible = cmdShow != SW_HIDE;
    return wasVisible ? 1 : 0;
}

std::int32_t HeadlessWindowSystem::IsWindowVisible(HWND hWnd) {
    Window* w = Find(hWnd);
    return w && w->visible ? 1 : 0;
}

std::int32_t HeadlessWindowSystem::IsIconic(HWND hWnd) {
    Window* dlg = FindDialog(hWnd);
    return dlg && dlg->iconic ? 1 : 0;
}

RECT HeadlessWindowSystem::WindowRectOf(const Window& wnd) const {
    if (wnd.isDialog) {
        if (!wnd.iconic) return wnd.rect;
        return RECT{kMinimisedPosition, kMinimisedPosition, kMinimisedPosition + kMinimisedWidth,
                    kMinimisedPosition + kCaption + 2 * kFrame};
    }
    const Window* dlg = FindDialog(wnd.parent);
    std::int32_t left = (dlg ? dlg->rect.left : 0) + kFrame + wnd.x * 2;
    std::int32_t top = (dlg ? dlg->rect.top : 0) + kFrame + kCaption + wnd.y * 2;
    return RECT{left, top, left + wnd.w * 2, top + wnd.h * 2};
}

std::int32_t HeadlessWindowSystem::GetWindowRect(HWND hWnd, RECT* pRect) {
    Window* w = Find(hWnd);
    if (!w || !pRect) return 0;
    *pRect = WindowRectOf(*w);
    return 1;
}

std::int32_t HeadlessWindowSystem::GetClientRect(HWND hWnd, RECT* pRect) {
    Window* w = Find(hWnd);
    if (!w || !pRect) return 0;
    if (w->isDialog && w->iconic) {
        *pRect = RECT{0, 0, kMinimisedClient, kMinimisedClient};
    } else if (w->isDialog) {
        *pRect = RECT{0, 0, w->rect.right - w->rect.left - 2 * kFrame,
                      w->rect.bottom - w->rect.top - 2 * kFrame - kCaption};
    } else {
        *pRect = RECT{0, 0, w->w * 2, w->h * 2};
    }
    return 1;
}

std::int32_t HeadlessWindowSystem::SetWindowPos(HWND hWnd, HWND hWndInsertAfter, std::int32_t x,
                                                std::int32_t y, std::int32_t cx, std::int32_t cy,
                                                std::uint32_t flags) {
    Window* dlg = FindDialog(hWnd);
    if (!dlg) return 0;
    RECT& r = dlg->rect;
    std::int32_t width = (flags & SWP_NOSIZE) ? r.right - r.left : cx;
    std::int32_t height = (flags & SWP_NOSIZE) ? r.bottom - r.top : cy;
    std::int32_t left = (flags & SWP_NOMOVE) ? r.left : x;
    std::int32_t top = (flags & SWP_NOMOVE) ? r.top : y;
    r = RECT{left, top, left + width, top + height};
    if (!(flags & SWP_NOZORDER)) {
        auto insertAfter = reinterpret_cast<std::intptr_t>(hWndInsertAfter);
        if (insertAfter == -1) dlg->topmost = true;   // HWND_TOPMOST
        if (insertAfter == -2) dlg->topmost = false;  // HWND_NOTOPMOST
    }
    if (flags & SWP_SHOWWINDOW) dlg->visible = true;
    return 1;
}

std::int32_t HeadlessWindowSystem::CenterWindow(HWND hWnd, HWND hWndAlternateOwner) {
    Window* dlg = FindDialog(hWnd);
    if (!dlg) return 0;
    RECT area{0, 0, kScreenWidth, kScreenHeight};
    Window* over = FindDialog(hWndAlternateOwner ? hWndAlternateOwner : dlg->owner);
    if (over && over->visible && !over->iconic) area = over->rect;
    std::int32_t width = dlg->rect.right - dlg->rect.left;
    std::int32_t height = dlg->rect.bottom - dlg->rect.top;
    std::int32_t left = area.left + (area.right - area.left - width) / 2;
    std::int32_t top = area.top + (area.bottom - area.top - height) / 2;
    // Kept on the screen, so that its title bar can still be reached.
    left = std::clamp(left, 0, std::max(0, kScreenWidth - width));
    top = std::clamp(top, 0, std::max(0, kScreenHeight - height));
    dlg->rect = RECT{left, top, left + width, top + height};
    return 1;
}

std::int32_t HeadlessWindowSystem::InvalidateRect(HWND hWnd, const RECT*, std::int32_t) {
    Window* w = Find(hWnd);
    if (!w) return 0;
    ++w->invalidations;
    return 1;
}

// ---- System menu

HMENU HeadlessWindowSystem::GetSystemMenu(HWND hWnd, std::int32_t revert) {
    Window* dlg = FindDialog(hWnd);
    if (!dlg || !dlg->HasStyle(res::kDlgSysMenu)) return nullptr;
    if (revert) {
        ResetSystemMenu(*dlg);
        return nullptr;
    }
    dlg->menuHandedOut = true;
    return reinterpret_cast<HMENU>(hWnd);
}

std::int32_t HeadlessWindowSystem::AppendMenuA(HMENU hMenu, std::uint32_t flags,
                                               std::uintptr_t idNewItem, const char* text) {
    Window* dlg = FindByMenu(hMenu);
    if (!dlg) return 0;
    dlg->systemMenu.push_back(MakeMenuItem(flags, idNewItem, text));
    return 1;
}

std::int32_t HeadlessWindowSystem::EnableMenuItem(HMENU hMenu, std::uint32_t idItem,
                                                  std::uint32_t enable) {
    Window* dlg = FindByMenu(hMenu);
    if (!dlg) return -1;
    if (enable & kMenuByPosition) {
        Fail("menu items are addressed by command here, not by position");
        return -1;
    }
    return EnableMenuItemByCommand(dlg->systemMenu, idItem, enable);
}

std::int32_t HeadlessWindowSystem::ModifyMenuA(HMENU hMenu, std::uint32_t position,
                                               std::uint32_t flags, std::uintptr_t idNewItem,
                                               const char* text) {
    Window* dlg = FindByMenu(hMenu);
    if (!dlg) return 0;
    if (flags & kMenuByPosition) {
        Fail("menu items are addressed by command here, not by position");
        return 0;
    }
    return ModifyMenuItemByCommand(dlg->systemMenu, position, flags, idNewItem, text) ? 1 : 0;
}

// ---- Message boxes and file dialogs

std::int32_t HeadlessWindowSystem::MessageBoxA(HWND hWndOwner, const char* text,
                                               const char* caption, std::uint32_t type) {
    MessageBoxCall call{hWndOwner, text ? text : "", caption ? caption : "", type, 0};
    bool okCancel = (type & 0xF) == MB_OKCANCEL;
    std::int32_t fallback = okCancel ? IDCANCEL : IDOK;
    if (m_messageBoxAnswers.empty()) {
        Fail("message box \"" + call.text + "\" appeared without a scripted answer");
        call.answer = fallback;
    } else {
        call.answer = m_messageBoxAnswers.front();
        m_messageBoxAnswers.pop_front();
        bool isButton = call.answer == IDOK || (okCancel && call.answer == IDCANCEL);
        if (!isButton) {
            Fail("answer " + std::to_string(call.answer) + " is not a button of message box \"" +
                 call.text + "\"");
            call.answer = fallback;
        }
    }
    m_messageBoxes.push_back(call);
    return call.answer;
}

std::int32_t HeadlessWindowSystem::FileDialog(OPENFILENAMEA* pOfn, bool save) {
    if (!pOfn || !pOfn->lpstrFile || pOfn->nMaxFile == 0) return 0;
    FileDialogCall call{
        save,
        pOfn->hwndOwner,
        FilterText(pOfn->lpstrFilter),
        pOfn->Flags,
        pOfn->lpstrDefExt ? pOfn->lpstrDefExt : "",
        pOfn->lpstrTitle ? pOfn->lpstrTitle : "",
        std::string(pOfn->lpstrFile, BoundedLength(pOfn->lpstrFile, pOfn->nMaxFile)),
        false};
    std::optional<std::string> answer;
    if (m_fileAnswers.empty()) {
        Fail(std::string(save ? "save" : "open") + " dialog appeared without a scripted answer");
    } else {
        answer = std::move(m_fileAnswers.front());
        m_fileAnswers.pop_front();
    }
    if (answer && save && !call.defExt.empty() && ExtensionOffset(*answer) == 0) {
        *answer += "." + call.defExt;
    }
    const bool explorer = !save && (pOfn->Flags & OFN_EXPLORER) != 0;
    if (answer && explorer) *answer = ExplorerForm(*answer);
    // A choice that does not fit is refused as the platform refuses it: nothing is copied.
    if (answer && answer->size() + 1 <= pOfn->nMaxFile) {
        std::memcpy(pOfn->lpstrFile, answer->c_str(), answer->size() + 1);
        pOfn->nFileOffset = explorer ? ExplorerNameOffset(*answer) : NameOffset(*answer);
        pOfn->nFileExtension = explorer ? 0 : ExtensionOffset(*answer);
        call.confirmed = true;
    }
    m_fileDialogs.push_back(call);
    return call.confirmed ? 1 : 0;
}

std::int32_t HeadlessWindowSystem::GetOpenFileNameA(OPENFILENAMEA* pOfn) {
    return FileDialog(pOfn, false);
}

std::int32_t HeadlessWindowSystem::GetSaveFileNameA(OPENFILENAMEA* pOfn) {
    return FileDialog(pOfn, true);
}

// ---- Dropped files

void HeadlessWindowSystem::DragAcceptFiles(HWND hWnd, std::int32_t accept) {
    if (Window* dlg = FindDialog(hWnd)) dlg->acceptsDrops = accept != 0;
}

std::uint32_t HeadlessWindowSystem::DragQueryFileA(HDROP hDrop, std::uint32_t index, char* buffer,
                                                   std::uint32_t cch) {
    auto it = m_drops.find(hDrop);
    if (it == m_drops.end()) return 0;
    return QueryDroppedPath(it->second, index, buffer, cch);
}

void HeadlessWindowSystem::DragFinish(HDROP hDrop) {
    m_drops.erase(hDrop);
}

// ---- Icon and painting

HICON HeadlessWindowSystem::LoadAppIcon(std::uint32_t resourceId) {
    if (resourceId != IDR_MAINFRAME) return nullptr;
    return reinterpret_cast<HICON>(kIconBase + resourceId);
}

std::int32_t HeadlessWindowSystem::DrawIcon(HDC hdc, std::int32_t x, std::int32_t y, HICON hIcon) {
    Window* dlg = FindByDc(hdc);
    if (!dlg || !hIcon) return 0;
    dlg->drawnIcons.push_back(DrawnIcon{hIcon, x, y});
    return 1;
}

std::int32_t HeadlessWindowSystem::GetSystemMetrics(std::int32_t index) {
    switch (index) {
        case SM_CXSCREEN:
            return kScreenWidth;
        case SM_CYSCREEN:
            return kScreenHeight;
        case SM_CXICON:
        case SM_CYICON:
            return kIconSize;
        default:
            return 0;
    }
}

HDC HeadlessWindowSystem::BeginPaint(HWND hWnd, PAINTSTRUCT* pPaint) {
    Window* dlg = FindDialog(hWnd);
    if (!dlg || !pPaint) return nullptr;
    pPaint->hdc = reinterpret_cast<HDC>(hWnd);
    pPaint->fErase = 1;
    GetClientRect(hWnd, &pPaint->rcPaint);
    return pPaint->hdc;
}

std::int32_t HeadlessWindowSystem::EndPaint(HWND hWnd, const PAINTSTRUCT* pPaint) {
    return FindDialog(hWnd) && pPaint ? 1 : 0;
}

}  // namespace qv::headless
