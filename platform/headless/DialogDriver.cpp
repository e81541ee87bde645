#include "platform/headless/HeadlessWindow.h"
#include "platform/headless/HeadlessWindowSystem.h"

namespace qv::headless {
namespace {

constexpr std::uint32_t kEnChange = 0x0300;  // EN_CHANGE

std::string ControlName(std::int32_t id) {
    return "control " + std::to_string(id);
}

}  // namespace

using res::ControlKind;

HeadlessWindowSystem::Window* DialogDriver::Dialog() const {
    return m_system.FindDialog(m_hDlg);
}

HeadlessWindowSystem::Window* DialogDriver::ControlOf(std::int32_t id) const {
    HeadlessWindowSystem::Window* ctl = m_system.Find(m_system.GetDlgItem(m_hDlg, id));
    if (!ctl) m_system.Fail("the dialog has no " + ControlName(id));
    return ctl;
}

HWND DialogDriver::Control(std::int32_t id) const {
    return m_system.GetDlgItem(m_hDlg, id);
}

bool DialogDriver::Refuse(std::string why) {
    m_why = std::move(why);
    return false;
}

bool DialogDriver::CanAct() {
    m_why.clear();
    HeadlessWindowSystem::Window* dlg = Dialog();
    if (!dlg) return Refuse("the dialog is not open");
    if (dlg->ended) return Refuse("the dialog has ended");
    if (!dlg->enabled) return Refuse("the dialog is disabled while a dialog it owns is open");
    return true;
}

bool DialogDriver::CanUse(std::int32_t id, HeadlessWindowSystem::Window** ppCtl) {
    if (!CanAct()) return false;
    HeadlessWindowSystem::Window* ctl = m_system.Find(m_system.GetDlgItem(m_hDlg, id));
    if (!ctl) return Refuse("the dialog has no " + ControlName(id));
    if (!ctl->visible) return Refuse(ControlName(id) + " is hidden");
    if (!ctl->enabled) return Refuse(ControlName(id) + " is disabled");
    *ppCtl = ctl;
    return true;
}

std::intptr_t DialogDriver::Send(std::uint32_t message, std::uintptr_t wParam,
                                 std::intptr_t lParam) {
    return m_system.Deliver(*Dialog(), message, wParam, lParam);
}

bool DialogDriver::Click(std::int32_t id) {
    HeadlessWindowSystem::Window* ctl = nullptr;
    if (!CanUse(id, &ctl)) return false;
    if (ctl->kind == ControlKind::AutoCheckBox) {
        ctl->check = ctl->check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
    } else if (ctl->kind != ControlKind::PushButton && ctl->kind != ControlKind::DefPushButton) {
        return Refuse(ControlName(id) + " is not a button");
    }
    Send(WM_COMMAND, MakeWParam(static_cast<std::uint32_t>(id), BN_CLICKED),
         reinterpret_cast<std::intptr_t>(ctl->handle));
    return true;
}

bool DialogDriver::ChooseLine(std::int32_t listId, std::int32_t index) {
    HeadlessWindowSystem::Window* ctl = nullptr;
    if (!CanUse(listId, &ctl)) return false;
    if (ctl->kind != ControlKind::ListBox) return Refuse(ControlName(listId) + " is not a list");
    if (index < 0 || static_cast<std::size_t>(index) >= ctl->lines.size()) {
        return Refuse("the list has no line " + std::to_string(index));
    }
    ctl->selection = index;
    Send(WM_COMMAND, MakeWParam(static_cast<std::uint32_t>(listId), LBN_SELCHANGE),
         reinterpret_cast<std::intptr_t>(ctl->handle));
    return true;
}

bool DialogDriver::ClickBelowLines(std::int32_t listId) {
    HeadlessWindowSystem::Window* ctl = nullptr;
    if (!CanUse(listId, &ctl)) return false;
    if (ctl->kind != ControlKind::ListBox) return Refuse(ControlName(listId) + " is not a list");
    return true;
}

bool DialogDriver::ChooseItem(std::int32_t comboId, std::int32_t index) {
    HeadlessWindowSystem::Window* ctl = nullptr;
    if (!CanUse(comboId, &ctl)) return false;
    if (ctl->kind != ControlKind::ComboBox) {
        return Refuse(ControlName(comboId) + " is not a combo box");
    }
    if (index < 0 || static_cast<std::size_t>(index) >= ctl->lines.size()) {
        return Refuse("the combo box has no item " + std::to_string(index));
    }
    ctl->selection = index;
    Send(WM_COMMAND, MakeWParam(static_cast<std::uint32_t>(comboId), CBN_SELCHANGE),
         reinterpret_cast<std::intptr_t>(ctl->handle));
    return true;
}

bool DialogDriver::Type(std::int32_t editId, const std::string& text) {
    HeadlessWindowSystem::Window* ctl = nullptr;
    if (!CanUse(editId, &ctl)) return false;
    if (ctl->kind != ControlKind::Edit) return Refuse(ControlName(editId) + " is not an edit");
    ctl->text = text;
    Send(WM_COMMAND, MakeWParam(static_cast<std::uint32_t>(editId), kEnChange),
         reinterpret_cast<std::intptr_t>(ctl->handle));
    return true;
}

bool DialogDriver::PressEnter() {
    if (!CanAct()) return false;
    std::int32_t id = IDOK;
    HWND hButton = nullptr;
    for (HWND child : Dialog()->children) {
        HeadlessWindowSystem::Window* ctl = m_system.Find(child);
        if (ctl->kind != ControlKind::DefPushButton) continue;
        if (!ctl->enabled || !ctl->visible) return Refuse("the default button is not available");
        id = ctl->id;
        hButton = child;
        break;
    }
    Send(WM_COMMAND, MakeWParam(static_cast<std::uint32_t>(id), BN_CLICKED),
         reinterpret_cast<std::intptr_t>(hButton));
    return true;
}

bool DialogDriver::PressEnterOn(std::int32_t buttonId) {
    HeadlessWindowSystem::Window* ctl = nullptr;
    if (!CanUse(buttonId, &ctl)) return false;
    if (ctl->kind != ControlKind::PushButton && ctl->kind != ControlKind::DefPushButton) {
        return Refuse(ControlName(buttonId) + " is not a push button");
    }
    return Click(buttonId);
}

bool DialogDriver::PressEscape() {
    if (!CanAct()) return false;
    HWND hCancel = m_system.GetDlgItem(m_hDlg, IDCANCEL);
    HeadlessWindowSystem::Window* cancel = m_system.Find(hCancel);
    if (cancel && !cancel->enabled) return Refuse("the cancel button is disabled");
    Send(WM_COMMAND, MakeWParam(IDCANCEL, BN_CLICKED), reinterpret_cast<std::intptr_t>(hCancel));
    return true;
}

bool DialogDriver::PressCloseBox() {
    if (!CanAct()) return false;
    HeadlessWindowSystem::Window* dlg = Dialog();
    if (!dlg->HasStyle(res::kDlgSysMenu)) return Refuse("the dialog has no close box");
    std::optional<MenuItem> close = SystemMenuItem(SC_CLOSE);
    if (!close || close->IsGrayed()) return Refuse("Close is not available");
    RECT r = m_system.WindowRectOf(*dlg);
    Send(WM_SYSCOMMAND, SC_CLOSE, MakeLParam(r.right - 10, r.top + 10));
    return true;
}

bool DialogDriver::Drop(const std::vector<std::string>& paths) {
    if (!CanAct()) return false;
    if (!Dialog()->acceptsDrops) return Refuse("the dialog does not accept dropped files");
    HDROP hDrop = m_system.AddDrop(paths);
    Send(WM_DROPFILES, reinterpret_cast<std::uintptr_t>(hDrop), 0);
    // Released here whether or not the program finished it, so a drop never outlives its message.
    m_system.DragFinish(hDrop);
    return true;
}

bool DialogDriver::Minimise() {
    if (!CanAct()) return false;
    HeadlessWindowSystem::Window* dlg = Dialog();
    if (!dlg->HasStyle(res::kDlgMinimizeBox)) return Refuse("the dialog has no minimise box");
    if (dlg->iconic) return Refuse("the dialog is already minimised");
    Send(WM_SYSCOMMAND, SC_MINIMIZE, 0);
    return true;
}

bool DialogDriver::Restore() {
    if (!CanAct()) return false;
    if (!Dialog()->iconic) return Refuse("the dialog is not minimised");
    Send(WM_SYSCOMMAND, SC_RESTORE, 0);
    return true;
}

bool DialogDriver::ChooseSystemMenuItem(std::uint32_t command) {
    if (!CanAct()) return false;
    std::optional<MenuItem> item = SystemMenuItem(command);
    if (!item) return Refuse("the system menu has no item " + std::to_string(command));
    if (item->IsGrayed()) return Refuse("system-menu item \"" + item->text + "\" is grayed");
    Send(WM_SYSCOMMAND, command, 0);
    return true;
}

bool DialogDriver::RightClickTitleBar() {
    if (!CanAct()) return false;
    RECT r = m_system.WindowRectOf(*Dialog());
    Send(WM_NCRBUTTONDOWN, HTCAPTION,
         MakeLParam(r.left + HeadlessWindowSystem::kFrame + 10,
                    r.top + HeadlessWindowSystem::kFrame + 5));
    return true;
}

void DialogDriver::Paint() {
    if (Dialog()) Send(WM_PAINT, 0, 0);
}

std::string DialogDriver::Caption() const {
    HeadlessWindowSystem::Window* dlg = Dialog();
    return dlg ? dlg->text : std::string();
}

std::string DialogDriver::Text(std::int32_t id) const {
    HWND hCtl = m_system.GetDlgItem(m_hDlg, id);
    if (!ControlOf(id)) return std::string();
    std::int32_t length =
        static_cast<std::int32_t>(m_system.SendMessageA(hCtl, WM_GETTEXTLENGTH, 0, 0));
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::intptr_t copied = m_system.SendMessageA(hCtl, WM_GETTEXT, text.size(),
                                                 reinterpret_cast<std::intptr_t>(text.data()));
    text.resize(static_cast<std::size_t>(copied));
    return text;
}

std::vector<std::string> DialogDriver::Lines(std::int32_t id) const {
    HeadlessWindowSystem::Window* ctl = ControlOf(id);
    if (!ctl) return {};
    return std::vector<std::string>(ctl->lines.begin(), ctl->lines.end());
}

std::int32_t DialogDriver::Selection(std::int32_t id) const {
    HeadlessWindowSystem::Window* ctl = ControlOf(id);
    return ctl ? ctl->selection : -1;
}

std::int32_t DialogDriver::Check(std::int32_t id) const {
    HeadlessWindowSystem::Window* ctl = ControlOf(id);
    return ctl ? ctl->check : BST_UNCHECKED;
}

bool DialogDriver::IsEnabled(std::int32_t id) const {
    HeadlessWindowSystem::Window* ctl = ControlOf(id);
    return ctl && ctl->enabled;
}

bool DialogDriver::IsVisible(std::int32_t id) const {
    HeadlessWindowSystem::Window* ctl = ControlOf(id);
    return ctl && ctl->visible;
}

bool DialogDriver::Redraws(std::int32_t id) const {
    HeadlessWindowSystem::Window* ctl = ControlOf(id);
    return ctl && ctl->redraw;
}

int DialogDriver::Invalidations(std::int32_t id) const {
    HeadlessWindowSystem::Window* ctl = ControlOf(id);
    return ctl ? ctl->invalidations : 0;
}

bool DialogDriver::IsMinimised() const {
    HeadlessWindowSystem::Window* dlg = Dialog();
    return dlg && dlg->iconic;
}

bool DialogDriver::IsTopmost() const {
    HeadlessWindowSystem::Window* dlg = Dialog();
    return dlg && dlg->topmost;
}

bool DialogDriver::IsVisible() const {
    HeadlessWindowSystem::Window* dlg = Dialog();
    return dlg && dlg->visible;
}

RECT DialogDriver::WindowRect() const {
    HeadlessWindowSystem::Window* dlg = Dialog();
    return dlg ? m_system.WindowRectOf(*dlg) : RECT{0, 0, 0, 0};
}

bool DialogDriver::AcceptsDrops() const {
    HeadlessWindowSystem::Window* dlg = Dialog();
    return dlg && dlg->acceptsDrops;
}

bool DialogDriver::HasTimer(std::uintptr_t id) const {
    for (const auto& t : m_system.m_timers) {
        if (t.hWnd == m_hDlg && t.id == id) return true;
    }
    return false;
}

std::vector<MenuItem> DialogDriver::SystemMenu() const {
    return m_system.SystemMenu(m_hDlg);
}

std::optional<MenuItem> DialogDriver::SystemMenuItem(std::uint32_t command) const {
    for (const MenuItem& item : SystemMenu()) {
        if (!item.IsSeparator() && item.id == command) return item;
    }
    return std::nullopt;
}

std::vector<DrawnIcon> DialogDriver::DrawnIcons() const {
    HeadlessWindowSystem::Window* dlg = Dialog();
    return dlg ? dlg->drawnIcons : std::vector<DrawnIcon>();
}

int DialogDriver::IconBackgroundErasures() const {
    HeadlessWindowSystem::Window* dlg = Dialog();
    return dlg ? dlg->iconErasures : 0;
}

bool DialogDriver::IsEnded() const {
    HeadlessWindowSystem::Window* dlg = Dialog();
    return !dlg || dlg->ended;
}

std::intptr_t DialogDriver::Result() const {
    HeadlessWindowSystem::Window* dlg = Dialog();
    return dlg ? dlg->result : 0;
}

}  // namespace qv::headless
