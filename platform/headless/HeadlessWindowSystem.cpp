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

constexpr std::size_t kMaxPumpedPerCall = 100000;
constexpr std::int32_t kMinimisedPosition = -32000;  // where the platform parks minimised windows
constexpr std::int32_t kMinimisedWidth = 160;
constexpr std::uintptr_t kIconBase = 0x7000;

std::string Describe(std::uint32_t templateId) {
    return "dialog " + std::to_string(templateId);
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

}  // namespace

HeadlessWindowSystem::HeadlessWindowSystem()
    : m_onFailure([](const std::string& what) {
          std::fprintf(stderr, "headless window system: %s\n", what.c_str());
          std::abort();
      }) {
    m_menuHasMove = true;
}

HeadlessWindowSystem::~HeadlessWindowSystem() = default;

void HeadlessWindowSystem::Fail(const std::string& what) {
    m_onFailure(what);
}

void HeadlessWindowSystem::SetFailureHandler(std::function<void(const std::string&)> handler) {
    if (handler) m_onFailure = std::move(handler);
}

// ---- Script

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

HeadlessWindowSystem::Window* HeadlessWindowSystem::Find(HWND hWnd) const {
    return static_cast<Window*>(WindowBackend::Find(hWnd));
}

HeadlessWindowSystem::Window* HeadlessWindowSystem::FindDialog(HWND hWnd) const {
    return static_cast<Window*>(WindowBackend::FindDialog(hWnd));
}

std::unique_ptr<BackendWindow> HeadlessWindowSystem::NewWindow() {
    return std::make_unique<Window>();
}

void HeadlessWindowSystem::DialogCreated(BackendWindow& base) {
    auto& dlg = static_cast<Window&>(base);
    std::int32_t left = dlg.tpl->x * 2, top = dlg.tpl->y * 2;
    dlg.rect = RECT{left, top, left + dlg.tpl->w * 2 + 2 * kFrame,
                    top + dlg.tpl->h * 2 + 2 * kFrame + kCaption};
}

void HeadlessWindowSystem::ControlCreated(BackendWindow&, BackendWindow& base,
                                          const res::ControlTemplate& ct) {
    auto& ctl = static_cast<Window&>(base);
    ctl.x = ct.x;
    ctl.y = ct.y;
    ctl.w = ct.w;
    ctl.h = ct.h;
    ctl.visible = (ct.style & res::kVisible) != 0;
}

void HeadlessWindowSystem::DiscardPosted(const std::vector<HWND>& handles) {
    std::erase_if(m_posted, [&handles](const Posted& p) {
        return std::find(handles.begin(), handles.end(), p.hWnd) != handles.end();
    });
}

void HeadlessWindowSystem::Destroying(BackendWindow& dlg) {
    std::erase_if(m_timers, [&dlg](const Timer& t) { return t.hWnd == dlg.handle; });
}

DialogDriver HeadlessWindowSystem::Driver(HWND hDlg) {
    return DialogDriver(*this, hDlg);
}

void HeadlessWindowSystem::RunDialog(BackendWindow& dlg, std::intptr_t) {
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

// ---- Messages

void HeadlessWindowSystem::SetIconic(BackendWindow& dlg, bool iconic) {
    if (dlg.iconic == iconic) return;
    dlg.iconic = iconic;
    RECT client{};
    GetClientRect(dlg.handle, &client);
    std::intptr_t size = iconic ? 0 : MakeLParam(client.right, client.bottom);
    Deliver(dlg, WM_SIZE, iconic ? SIZE_MINIMIZED : SIZE_RESTORED, size);
}

bool HeadlessWindowSystem::Enqueue(HWND hWnd, std::uint32_t message, std::uintptr_t wParam,
                                   std::intptr_t lParam) {
    m_posted.push_back(Posted{hWnd, message, wParam, lParam});
    m_queueSignal.notify_all();
    return true;
}

bool HeadlessWindowSystem::PopPosted(Posted* pPosted) {
    std::lock_guard<std::mutex> lock(m_liveMutex);
    if (m_posted.empty()) return false;
    *pPosted = m_posted.front();
    m_posted.pop_front();
    return true;
}

std::size_t HeadlessWindowSystem::PumpMessages() {
    std::size_t delivered = 0;
    Posted p{};
    while (PopPosted(&p)) {
        if (!DeliverPosted(p.hWnd, p.message, p.wParam, p.lParam)) continue;
        if (++delivered >= kMaxPumpedPerCall) {
            Fail("messages keep being posted while pumping");
            break;
        }
    }
    return delivered;
}

bool HeadlessWindowSystem::WaitForPostedMessage(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(m_liveMutex);
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

// ---- Icon and painting

HICON HeadlessWindowSystem::LoadAppIcon(std::uint32_t resourceId) {
    if (resourceId != IDR_MAINFRAME) return nullptr;
    return reinterpret_cast<HICON>(kIconBase + resourceId);
}

std::int32_t HeadlessWindowSystem::DrawIcon(HDC hdc, std::int32_t x, std::int32_t y, HICON hIcon) {
    Window* dlg = FindDialog(reinterpret_cast<HWND>(hdc));  // a dialog's DC carries its handle
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
