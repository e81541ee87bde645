// The contract's user on the real USER32: clicks, lines, keys, the system menu and drops arrive as
// the messages the system and its dialog manager send, on the dialog's real windows.
// <windows.h> first, so that the seam headers leave its names alone.
// clang-format off
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
// clang-format on

#include "platform/Installed.h"
#include "platform/win32/Win32Text.h"
#include "platform/win32/Win32WindowSystem.h"
#include "tests/windowcontract/ContractBackends.h"

namespace {

using qv::win32::FromDisplay;
using qv::win32::ToDisplay;

// What the dialog's own modal loop does with a message, and with each queued one.
void Deliver(::HWND hDlg, MSG& msg) {
    if (!::IsWindow(hDlg) || !::IsDialogMessageA(hDlg, &msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}
void Pump(::HWND hDlg) {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) Deliver(hDlg, msg);
}

class Win32User final : public ContractUser {
public:
    explicit Win32User(qv::HWND hDlg) : m_hDlg(hDlg) {}

    qv::HWND Dialog() const override { return m_hDlg; }

    bool Click(int id) override {
        ::HWND button = Usable(id);
        return button && (::SendMessageA(button, BM_CLICK, 0, 0), true);
    }
    bool ChooseLine(int listId, int index) override {
        return Choose(listId, index, LB_GETCOUNT, LB_SETCURSEL, LBN_SELCHANGE);
    }
    // Real mouse messages: the list box itself decides what they select and notify.
    bool ClickBelowLines(int listId) override {
        ::HWND list = Usable(listId);
        ::RECT client{}, last{};
        if (!list || !::GetClientRect(list, &client)) return false;
        const LRESULT count = ::SendMessageA(list, LB_GETCOUNT, 0, 0);
        if (count > 0)
            ::SendMessageA(list, LB_GETITEMRECT, count - 1, reinterpret_cast<LPARAM>(&last));
        return client.bottom - 2 > last.bottom && MouseClick(list, 2, client.bottom - 2, 0);
    }
    bool ControlClickLine(int listId, int index) override {
        ::HWND list = Usable(listId);
        ::RECT line{};
        return list &&
               ::SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(index),
                              reinterpret_cast<LPARAM>(&line)) != LB_ERR &&
               MouseClick(list, (line.left + line.right) / 2, (line.top + line.bottom) / 2,
                          MK_CONTROL);
    }
    bool ChooseItem(int comboId, int index) override {
        return Choose(comboId, index, CB_GETCOUNT, CB_SETCURSEL, CBN_SELCHANGE);
    }
    // The focus moves to a control that is not a push button (if the dialog has one) first.
    bool PressEnter() override {
        for (::HWND c = ::GetWindow(Dlg(), GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
            const LRESULT code = ::SendMessageA(c, WM_GETDLGCODE, 0, 0);
            if (!(code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) &&
                (::GetWindowLongA(c, GWL_STYLE) & WS_TABSTOP) && ::IsWindowVisible(c) &&
                ::IsWindowEnabled(c))
                return Key(c, VK_RETURN);
        }
        return Key(nullptr, VK_RETURN);
    }
    bool PressEnterOn(int buttonId) override {
        ::HWND button = Usable(buttonId);
        return button && Key(button, VK_RETURN);
    }
    bool PressEscape() override { return Key(nullptr, VK_ESCAPE); }
    bool PressCloseBox() override {
        return CanAct() && (::SendMessageA(Dlg(), WM_SYSCOMMAND, SC_CLOSE, 0), true);
    }
    bool Minimise() override { return SetMinimised(true); }
    bool Restore() override { return SetMinimised(false); }
    bool ChooseSystemMenuItem(std::uint32_t command) override {
        if (!CanAct()) return false;
        const UINT state = ::GetMenuState(::GetSystemMenu(Dlg(), FALSE), command, MF_BYCOMMAND);
        if (state == static_cast<UINT>(-1) || (state & (MF_GRAYED | MF_DISABLED))) return false;
        ::SendMessageA(Dlg(), WM_SYSCOMMAND, command, 0);
        return true;
    }
    // A real drop: the DROPFILES block a file manager hands over, posted to the dialog.
    bool Drop(const std::vector<std::string>& paths) override {
        if (!CanAct() || !(::GetWindowLongA(Dlg(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES)) return false;
        std::wstring names;
        for (const std::string& path : paths) names += ToDisplay(path) + L'\0';
        names += L'\0';
        HGLOBAL block = ::GlobalAlloc(GHND, sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
        if (!block) return false;
        auto* drop = static_cast<DROPFILES*>(::GlobalLock(block));
        drop->pFiles = sizeof(DROPFILES);
        drop->fWide = TRUE;
        std::memcpy(drop + 1, names.data(), names.size() * sizeof(wchar_t));
        ::GlobalUnlock(block);
        if (!::PostMessageA(Dlg(), WM_DROPFILES, reinterpret_cast<WPARAM>(block), 0))
            return ::GlobalFree(block), false;
        return Pump(Dlg()), true;
    }

    std::vector<SeenMenuItem> SystemMenu() override {
        std::vector<SeenMenuItem> seen;
        HMENU menu = ::GetSystemMenu(Dlg(), FALSE);
        for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
            wchar_t text[128] = {};
            MENUITEMINFOW item{};
            item.cbSize = sizeof item;
            item.fMask = MIIM_ID | MIIM_STATE | MIIM_FTYPE | MIIM_STRING;
            item.dwTypeData = text;
            item.cch = static_cast<UINT>(std::size(text));
            if (!::GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &item)) continue;
            seen.push_back({item.wID, FromDisplay(text), (item.fState & MFS_GRAYED) != 0,
                            (item.fType & MFT_SEPARATOR) != 0});
        }
        return seen;
    }
    std::string Caption() const override {
        wchar_t text[256] = {};
        ::GetWindowTextW(Dlg(), text, static_cast<int>(std::size(text)));
        return FromDisplay(text);
    }
    bool IsChecked(int id) const override {
        return ::SendMessageA(::GetDlgItem(Dlg(), id), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    bool IsEnabled(int id) const override { return ::IsWindowEnabled(::GetDlgItem(Dlg(), id)); }
    int Selection(int id) const override {
        ::HWND control = ::GetDlgItem(Dlg(), id);
        char kind[16] = {};
        ::GetClassNameA(control, kind, sizeof kind);
        const UINT message = ::lstrcmpiA(kind, "ComboBox") == 0 ? CB_GETCURSEL : LB_GETCURSEL;
        return static_cast<int>(::SendMessageA(control, message, 0, 0));
    }
    bool RunUntil(const std::function<bool()>& done) override {
        return StepUntil(done, [this] {
            ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            Pump(Dlg());
        });
    }

private:
    ::HWND Dlg() const { return reinterpret_cast<::HWND>(m_hDlg); }
    bool CanAct() const { return ::IsWindow(Dlg()) && ::IsWindowEnabled(Dlg()); }
    // The control, when the user can reach it.
    ::HWND Usable(int id) const {
        ::HWND c = ::GetDlgItem(Dlg(), id);
        return CanAct() && ::IsWindowVisible(c) && ::IsWindowEnabled(c) ? c : nullptr;
    }
    // The selection the user's click makes, and the notification the control then sends.
    bool Choose(int id, int index, UINT countMsg, UINT selectMsg, WORD notification) {
        ::HWND control = Usable(id);
        if (!control || index < 0 || index >= ::SendMessageA(control, countMsg, 0, 0)) return false;
        ::SendMessageA(control, selectMsg, static_cast<WPARAM>(index), 0);
        ::SendMessageA(Dlg(), WM_COMMAND, MAKEWPARAM(id, notification),
                       reinterpret_cast<LPARAM>(control));
        return true;
    }
    bool SetMinimised(bool minimised) {
        if (!CanAct() || (::IsIconic(Dlg()) != 0) == minimised) return false;
        return ::ShowWindow(Dlg(), minimised ? SW_MINIMIZE : SW_RESTORE), true;
    }
    static bool MouseClick(::HWND control, int x, int y, WPARAM keys) {
        ::SendMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON | keys, MAKELPARAM(x, y));
        return ::SendMessageA(control, WM_LBUTTONUP, keys, MAKELPARAM(x, y)), true;
    }
    // A key as the dialog manager takes it, with the focus on `focus` (or where it is).
    bool Key(::HWND focus, WPARAM key) {
        if (!CanAct()) return false;
        if (focus) ::SendMessageA(Dlg(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(focus), TRUE);
        ::HWND target = ::GetFocus();
        MSG msg{};
        msg.hwnd = target && ::IsChild(Dlg(), target) ? target : Dlg();
        msg.message = WM_KEYDOWN;
        msg.wParam = key;
        msg.lParam = 1 | (static_cast<LPARAM>(::MapVirtualKeyA(static_cast<UINT>(key), 0)) << 16);
        return Deliver(Dlg(), msg), true;
    }

    qv::HWND m_hDlg;
};

class Win32Backend final : public ScriptedBackend {
public:
    Win32Backend() : m_system(::GetModuleHandleA(nullptr)) {
        s_backend = this;
        m_system.SetDialogShownHook([this](qv::HWND hDlg, std::uint32_t templateId) {
            m_waiting[::SetTimer(nullptr, 0, 10, &Tick)] = {hDlg, templateId, false};
        });
    }
    ~Win32Backend() override {
        for (const auto& [timer, dialog] : m_waiting) ::KillTimer(nullptr, timer);
        s_backend = nullptr;
    }

    void AddTemplate(const qv::res::DialogTemplate& tpl) override { m_system.AddTemplate(tpl); }

private:
    struct Waiting {
        qv::HWND hDlg;
        std::uint32_t templateId;
        bool acted;  // then the timer only checks that the user's acts ended the dialog
    };

    static void CALLBACK Tick(::HWND, UINT, UINT_PTR timer, DWORD) {
        if (s_backend) s_backend->Due(timer);
    }

    // The user starts once the dialog's own loop has shown it, as a real user would.
    void Due(UINT_PTR timer) {
        auto it = m_waiting.find(timer);
        if (it == m_waiting.end()) return;
        const Waiting dialog = it->second;
        const ::HWND hDlg = reinterpret_cast<::HWND>(dialog.hDlg);
        if (!dialog.acted && ::IsWindow(hDlg) && !::IsWindowVisible(hDlg)) return;  // not yet
        ::KillTimer(nullptr, timer);
        m_waiting.erase(it);
        if (!::IsWindowVisible(hDlg)) return;  // gone, or ended (which hides it)
        if (dialog.acted) Report(dialog.templateId, "left open");
        std::function<void(ContractUser&)> acts =
            dialog.acted ? nullptr : NextActs(dialog.templateId);
        if (!acts) return void(::EndDialog(hDlg, IDCANCEL));
        Win32User user(dialog.hDlg);
        acts(user);
        if (::IsWindowVisible(hDlg))
            m_waiting[::SetTimer(nullptr, 0, 10, &Tick)] = {dialog.hDlg, dialog.templateId, true};
    }

    static inline Win32Backend* s_backend = nullptr;  // the thread timers' procedure finds it here
    qv::win32::Win32WindowSystem m_system;
    qv::Installed<qv::IWindowSystem, qv::InstallWindowSystem> m_installed{m_system};
    std::map<UINT_PTR, Waiting> m_waiting;
};

}  // namespace

std::unique_ptr<ContractBackend> MakePlatformContractBackend(const std::string& name) {
    if (name != "win32") return nullptr;
    return std::make_unique<Win32Backend>();
}
