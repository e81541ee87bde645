#pragma once
// The in-memory window system for tests.
//
// A test installs one HeadlessWindowSystem (tests/support/WindowTestFixture.h does it), scripts
// what the user will do, and runs the program. Every modal dialog is driven by a handler that the
// test queued for its template id: when the program opens the dialog, the handler receives a
// DialogDriver for it, acts as the user would (click, choose, drop, minimise, advance the clock,
// ...), reads what the user sees, and ends the dialog (Enter, Esc, the close box, or a button
// that ends it). A nested dialog opened by an action inside a handler is driven by its own
// queued handler, synchronously, exactly where it opens. Message boxes and file dialogs take
// queued answers and record what they were asked.
//
//   windows.OnDialog(IDD_PLAYER, [&](DialogDriver& dlg) {
//       ASSERT_TRUE(dlg.Drop({song}));
//       windows.OnDialog(IDD_OPTIONS, [](DialogDriver& opt) { ASSERT_TRUE(opt.PressEscape()); });
//       ASSERT_TRUE(dlg.Click(IDC_OPTIONS));
//       ASSERT_TRUE(dlg.PressEscape());
//   });
//   windows.AnswerMessageBox(IDOK);  // the quit question
//   dialog.DoModal();
//
// Anything unscripted (a dialog without a handler, a message box without an answer, a handler
// that leaves its dialog open, a control message this system does not know) is reported through
// the failure handler and then answered as a cancel, so a test fails clearly instead of hanging.
// Acting on something a user could not reach (a disabled or hidden control, a grayed menu item, a
// window that accepts no drops) changes nothing: the driver answers false and WhyRefused() says
// why.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/WindowBackendSupport.h"
#include "platform/window.h"
#include "res/DialogTemplate.h"

namespace qv::headless {

class DialogDriver;
using DialogHandler = std::function<void(DialogDriver&)>;

struct MessageBoxCall {
    HWND owner;
    std::string text;
    std::string caption;
    std::uint32_t type;
    std::int32_t answer;
};

struct FileDialogCall {
    bool save;
    HWND owner;
    std::string filter;  // description|pattern pairs ending in "||", as the program wrote it
    std::uint32_t flags;
    std::string defExt;
    std::string title;
    std::string initialFile;
    bool confirmed;
};

using qv::MenuItem;

struct DrawnIcon {
    HICON icon;
    std::int32_t x;
    std::int32_t y;
};

class HeadlessWindowSystem final : public WindowBackend {
public:
    // Screen and sizes of this window system: one dialog unit is two pixels each way.
    static constexpr std::int32_t kScreenWidth = 1280;
    static constexpr std::int32_t kScreenHeight = 1024;
    static constexpr std::int32_t kIconSize = 32;
    static constexpr std::int32_t kFrame = 3;     // border on each side
    static constexpr std::int32_t kCaption = 19;  // title bar below the top border
    static constexpr std::int32_t kMinimisedClient = 36;

    HeadlessWindowSystem();
    ~HeadlessWindowSystem() override;

    // Script.
    // Queues the handler for the next opening of that template.
    void OnDialog(std::uint32_t templateId, DialogHandler handler);
    // Queues the answer (IDOK or IDCANCEL) of the next message box.
    void AnswerMessageBox(std::int32_t answer);
    // Queues the next file dialog's answer: OK with this selection text, or cancel.
    void AnswerFileDialog(std::string selection);
    void CancelFileDialog();
    const std::vector<MessageBoxCall>& MessageBoxes() const { return m_messageBoxes; }
    const std::vector<FileDialogCall>& FileDialogs() const { return m_fileDialogs; }
    // Queued handlers and answers that nothing asked for yet, described for a failure message.
    std::vector<std::string> UnusedScript() const;
    // Where unscripted events are reported; the default prints and aborts.
    void SetFailureHandler(std::function<void(const std::string&)> handler);

    // Virtual clock and message queue.
    std::uint64_t Now() const { return m_now; }
    // Lets time pass: delivers posted messages, and every timer that falls due, in time order;
    // posted messages go ahead of timers, as in a real message loop.
    void AdvanceClock(std::uint64_t ms);
    // Delivers every posted message (also those posted while pumping); answers how many.
    std::size_t PumpMessages();
    // Blocks until a message is posted (from any thread) or the timeout passes; true if one is
    // waiting. Delivers nothing.
    bool WaitForPostedMessage(std::chrono::milliseconds timeout);

    // A driver for a dialog that is open now.
    DialogDriver Driver(HWND hDlg);
    // The innermost dialog open now, or null.
    using WindowBackend::ActiveDialog;

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
    friend class DialogDriver;
    struct Window;
    struct Timer {
        HWND hWnd;
        std::uintptr_t id;
        std::uint32_t period;
        std::uint64_t due;
        std::uint64_t order;  // ties at the same instant fire in the order they were set
    };
    struct Posted {
        HWND hWnd;
        std::uint32_t message;
        std::uintptr_t wParam;
        std::intptr_t lParam;
    };

    // WindowBackend.
    std::unique_ptr<BackendWindow> NewWindow() override;
    void DialogCreated(BackendWindow& dlg) override;
    void ControlCreated(BackendWindow& dlg, BackendWindow& ctl,
                        const res::ControlTemplate& ct) override;
    void RunDialog(BackendWindow& dlg, std::intptr_t initAnswer) override;
    void DiscardPosted(const std::vector<HWND>& handles) override;
    void Destroying(BackendWindow& dlg) override;
    bool Enqueue(HWND hWnd, std::uint32_t message, std::uintptr_t wParam,
                 std::intptr_t lParam) override;
    void SetIconic(BackendWindow& dlg, bool iconic) override;
    void Complain(const std::string& what) override { Fail(what); }

    void Fail(const std::string& what);
    Window* Find(HWND hWnd) const;
    Window* FindDialog(HWND hWnd) const;
    std::int32_t FileDialog(OPENFILENAMEA* pOfn, bool save);
    RECT WindowRectOf(const Window& wnd) const;
    bool PopPosted(Posted* pPosted);

    std::map<std::uint32_t, std::deque<DialogHandler>> m_dialogHandlers;
    std::deque<std::int32_t> m_messageBoxAnswers;
    std::deque<std::optional<std::string>> m_fileAnswers;
    std::vector<MessageBoxCall> m_messageBoxes;
    std::vector<FileDialogCall> m_fileDialogs;
    std::function<void(const std::string&)> m_onFailure;

    std::uint64_t m_now = 0;
    std::uint64_t m_timerOrder = 0;
    std::vector<Timer> m_timers;

    // Posted from any thread, under the live windows' lock.
    std::condition_variable m_queueSignal;
    std::deque<Posted> m_posted;
};

// Acts on one dialog as its user would, and reads what the user sees. Every act answers false,
// changing nothing, when the user could not do it; WhyRefused() then says why.
class DialogDriver {
public:
    DialogDriver(HeadlessWindowSystem& system, HWND hDlg) : m_system(system), m_hDlg(hDlg) {}

    HWND Handle() const { return m_hDlg; }
    HWND Control(std::int32_t id) const;
    const std::string& WhyRefused() const { return m_why; }

    // A push button, or an automatic check box (which toggles, then notifies BN_CLICKED).
    [[nodiscard]] bool Click(std::int32_t id);
    // A list line or a combo item; the control then notifies its selection change (also when
    // the same line is chosen again, as a click on it does).
    [[nodiscard]] bool ChooseLine(std::int32_t listId, std::int32_t index);
    // A click in a list's empty area below its last line: the list keeps its line and notifies
    // nothing.
    [[nodiscard]] bool ClickBelowLines(std::int32_t listId);
    [[nodiscard]] bool ChooseItem(std::int32_t comboId, std::int32_t index);
    // Replaces an edit control's text.
    [[nodiscard]] bool Type(std::int32_t editId, const std::string& text);
    // Enter while the focus is not on a push button: the default push button's command, or IDOK.
    [[nodiscard]] bool PressEnter();
    // Enter while the focus is on a push button: that button's click.
    [[nodiscard]] bool PressEnterOn(std::int32_t buttonId);
    [[nodiscard]] bool PressEscape();
    [[nodiscard]] bool PressCloseBox();
    // Files and folders dropped from the desktop, by full path.
    [[nodiscard]] bool Drop(const std::vector<std::string>& paths);
    [[nodiscard]] bool Minimise();
    [[nodiscard]] bool Restore();
    [[nodiscard]] bool ChooseSystemMenuItem(std::uint32_t command);
    [[nodiscard]] bool RightClickTitleBar();
    // The window system asks the dialog to paint itself.
    void Paint();
    void AdvanceClock(std::uint64_t ms) { m_system.AdvanceClock(ms); }
    std::size_t Pump() { return m_system.PumpMessages(); }

    std::string Caption() const;
    std::string Text(std::int32_t id) const;
    std::vector<std::string> Lines(std::int32_t id) const;
    std::int32_t Selection(std::int32_t id) const;
    std::int32_t Check(std::int32_t id) const;
    bool IsEnabled(std::int32_t id) const;
    bool IsVisible(std::int32_t id) const;
    bool Redraws(std::int32_t id) const;
    int Invalidations(std::int32_t id) const;
    bool IsMinimised() const;
    bool IsTopmost() const;
    bool IsVisible() const;
    RECT WindowRect() const;
    bool AcceptsDrops() const;
    bool HasTimer(std::uintptr_t id) const;
    // The system menu as the user would see it now.
    std::vector<MenuItem> SystemMenu() const;
    std::optional<MenuItem> SystemMenuItem(std::uint32_t command) const;
    std::vector<DrawnIcon> DrawnIcons() const;
    int IconBackgroundErasures() const;
    bool IsEnded() const;
    std::intptr_t Result() const;

private:
    HeadlessWindowSystem::Window* Dialog() const;
    HeadlessWindowSystem::Window* ControlOf(std::int32_t id) const;
    bool Refuse(std::string why);
    // The dialog exists, is open and takes input (no dialog of its own is open over it).
    bool CanAct();
    bool CanUse(std::int32_t id, HeadlessWindowSystem::Window** ppCtl);
    std::intptr_t Send(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam);

    HeadlessWindowSystem& m_system;
    HWND m_hDlg;
    std::string m_why;
};

}  // namespace qv::headless
