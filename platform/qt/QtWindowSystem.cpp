#include "platform/qt/QtWindowSystem.h"

#include <QApplication>
#include <QBuffer>
#include <QIcon>
#include <QImageReader>
#include <QMenu>
#include <QMessageBox>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <algorithm>
#include <cstring>

#include "platform/WindowBackendSupport.h"
#include "platform/language.h"
#include "platform/qt/QtFileDialogs.h"
#include "platform/qt/QtText.h"
#include "platform/qt/QtWindow.h"
#include "res/resource.h"

namespace qv::qtui {

// The bytes of res/quavel.ico, embedded at build time.
extern const unsigned char kIconData[];
extern const std::size_t kIconSize;

namespace {

constexpr std::uintptr_t kIconBase = 0x7000;
constexpr std::int32_t kIconPixels = 32;
constexpr std::uint32_t kMenuByPosition = 0x0400;
constexpr std::uint32_t kMinimumTimerMs = 10;

QIcon LoadIcon() {
    QByteArray data(reinterpret_cast<const char*>(kIconData), static_cast<qsizetype>(kIconSize));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "ico");
    QIcon icon;
    do {
        QImage image = reader.read();
        if (image.isNull()) break;
        icon.addPixmap(QPixmap::fromImage(image));
    } while (reader.jumpToNextImage());
    return icon;
}

RECT ToRect(const QRect& r) {
    return RECT{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

QRect ScreenArea() {
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

// The menu entry as Qt shows it: grayed items cannot be chosen.
void AddMenuEntry(QMenu& menu, const MenuItem& item) {
    if (item.IsSeparator()) {
        menu.addSeparator();
        return;
    }
    QAction* action = menu.addAction(ToDisplay(item.text));
    action->setData(QVariant::fromValue<quint32>(item.id));
    action->setEnabled(!item.IsGrayed());
}

}  // namespace

QtWindowSystem::QtWindowSystem()
    : m_icon(std::make_unique<QIcon>(LoadIcon())),
      m_receiver(std::make_unique<PostReceiver>(*this)) {
    QGuiApplication::setWindowIcon(*m_icon);
}

QtWindowSystem::~QtWindowSystem() {
    std::vector<Window*> dialogs;
    for (auto& [handle, wnd] : m_windows) {
        if (wnd->isDialog) dialogs.push_back(wnd.get());
    }
    for (Window* dlg : dialogs) DestroyDialog(*dlg);
}

// ---- For tests and tools

void QtWindowSystem::AddTemplate(const res::DialogTemplate& tpl) {
    m_testTemplates.push_back(&tpl);
}

void QtWindowSystem::SetDialogShownHook(DialogShownHook hook) {
    m_onShown = std::move(hook);
}

QWidget* QtWindowSystem::WidgetOf(HWND hWnd) const {
    Window* w = Find(hWnd);
    return w ? w->widget.data() : nullptr;
}

bool QtWindowSystem::GetBaseUnits(HWND hDlg, BaseUnits* pUnits) const {
    Window* dlg = FindDialog(hDlg);
    if (!dlg || !pUnits) return false;
    *pUnits = dlg->units;
    return true;
}

std::vector<MenuItem> QtWindowSystem::SystemMenu(HWND hDlg) const {
    Window* dlg = FindDialog(hDlg);
    if (!dlg) return {};
    std::vector<MenuItem> items = dlg->systemMenu;
    for (MenuItem& item : items) {
        if (item.IsSeparator()) continue;
        if ((item.id == SC_RESTORE && !dlg->iconic) || (item.id == SC_MINIMIZE && dlg->iconic)) {
            item.flags |= MF_GRAYED;
        }
    }
    return items;
}

bool QtWindowSystem::HasEnded(HWND hDlg) const {
    Window* dlg = FindDialog(hDlg);
    return !dlg || dlg->ended;
}

bool QtWindowSystem::Redraws(HWND hWnd) const {
    Window* w = Find(hWnd);
    return w && w->redraw;
}

int QtWindowSystem::Invalidations(HWND hWnd) const {
    Window* w = Find(hWnd);
    return w ? w->invalidations : 0;
}

const QIcon& QtWindowSystem::AppIcon() const {
    return *m_icon;
}

// ---- Windows

const res::DialogTemplate* QtWindowSystem::FindTemplate(std::uint32_t id) const {
    for (const res::DialogTemplate* tpl : m_testTemplates) {
        if (tpl->id == id) return tpl;
    }
    return res::FindDialogTemplate(id, UiLanguage());
}

QtWindowSystem::Window* QtWindowSystem::Find(HWND hWnd) const {
    auto it = m_windows.find(hWnd);
    return it == m_windows.end() ? nullptr : it->second.get();
}

QtWindowSystem::Window* QtWindowSystem::FindDialog(HWND hWnd) const {
    Window* w = Find(hWnd);
    return w && w->isDialog ? w : nullptr;
}

// A dialog's menu handle carries the dialog's own handle value.
QtWindowSystem::Window* QtWindowSystem::FindByMenu(HMENU hMenu) const {
    Window* w = FindDialog(reinterpret_cast<HWND>(hMenu));
    return w && w->menuHandedOut ? w : nullptr;
}

QtWindowSystem::Window* QtWindowSystem::DialogOf(const Window& wnd) const {
    return wnd.isDialog ? const_cast<Window*>(&wnd) : FindDialog(wnd.parent);
}

bool QtWindowSystem::TakesInput(const Window& dlg) const {
    return !dlg.ended && dlg.enabled && dlg.widget;
}

QtWindowSystem::Window& QtWindowSystem::CreateDialogWindow(const res::DialogTemplate& tpl,
                                                           HWND owner, DialogProc proc) {
    auto dlg = std::make_unique<Window>();
    dlg->handle = reinterpret_cast<HWND>(++m_nextHandle);
    dlg->isDialog = true;
    dlg->tpl = &tpl;
    dlg->owner = owner;
    dlg->proc = proc;
    dlg->text = std::string(tpl.caption);
    Window* ownerWnd = FindDialog(owner);
    QWidget* ownerWidget = ownerWnd ? ownerWnd->widget.data() : nullptr;

    // An owned dialog is a dialog to the desktop; the program's own window is a normal window, so
    // that it has a task-bar entry and can be minimised.
    Qt::WindowFlags flags =
        (ownerWidget ? Qt::Dialog : Qt::Window) | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (tpl.style & res::kDlgSysMenu) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (tpl.style & res::kDlgMinimizeBox) flags |= Qt::WindowMinimizeButtonHint;
    auto* widget = new DialogWidget(*this, dlg->handle, ownerWidget, flags);
    QFont font = DialogFont(tpl);
    widget->setFont(font);
    dlg->units = BaseUnitsOf(tpl, font);
    widget->setFixedSize(ToPixels(dlg->units, 0, 0, tpl.w, tpl.h).size());
    widget->setWindowTitle(TitleToDisplay(tpl.caption));
    widget->setWindowIcon(*m_icon);
    if (ownerWidget) widget->setWindowModality(Qt::ApplicationModal);
    dlg->widget = widget;
    ResetSystemMenu(*dlg);

    Window& ref = *dlg;
    m_windows[ref.handle] = std::move(dlg);
    for (const res::ControlTemplate& ct : tpl.controls) CreateControl(ref, ct);
    SetUpKeyboard(ref);
    std::lock_guard<std::mutex> lock(m_liveMutex);
    m_liveWindows.insert(ref.handle);
    for (HWND child : ref.children) m_liveWindows.insert(child);
    return ref;
}

void QtWindowSystem::ResetSystemMenu(Window& dlg) {
    dlg.systemMenu.clear();
    if (!dlg.HasStyle(res::kDlgSysMenu)) return;
    // No Move: a window manager moves windows by their title bar.
    if (dlg.HasStyle(res::kDlgMinimizeBox)) {
        dlg.systemMenu.push_back({SC_RESTORE, MF_STRING, "&Restore"});
        dlg.systemMenu.push_back({SC_MINIMIZE, MF_STRING, "Mi&nimize"});
        dlg.systemMenu.push_back({0, MF_SEPARATOR, ""});
    }
    dlg.systemMenu.push_back({SC_CLOSE, MF_STRING, "&Close"});
}

void QtWindowSystem::ShowDialog(Window& dlg, bool focusFirst) {
    QWidget* widget = dlg.widget;
    if (!dlg.positioned) CenterWindow(dlg.handle, nullptr);
    widget->show();
    widget->raise();
    widget->activateWindow();
    if (!focusFirst) return;
    for (HWND child : dlg.children) {
        Window* ctl = Find(child);
        if ((ctl->style & res::kTabStop) && ctl->widget && ctl->widget->isEnabled() &&
            !ctl->widget->isHidden()) {
            ctl->widget->setFocus(Qt::TabFocusReason);
            break;
        }
    }
}

void QtWindowSystem::RunModalLoop(Window& dlg) {
    QEventLoop loop;
    dlg.loop = &loop;
    if (m_onShown) m_onShown(dlg.handle, dlg.tpl->id);
    if (!dlg.ended) loop.exec(QEventLoop::DialogExec);
    dlg.loop = nullptr;
    // The loop also stops when the application is told to quit: that cancels the dialog.
    if (!dlg.ended) {
        dlg.ended = true;
        dlg.result = IDCANCEL;
    }
}

void QtWindowSystem::DestroyDialog(Window& dlg) {
    HWND hDlg = dlg.handle;
    std::vector<HWND> handles = dlg.children;
    handles.push_back(hDlg);
    {
        std::lock_guard<std::mutex> lock(m_liveMutex);
        for (HWND h : handles) m_liveWindows.erase(h);
    }
    dlg.timers.clear();
    if (QWidget* widget = dlg.widget.data()) {
        widget->hide();
        delete widget;
    }
    for (HWND h : handles) m_windows.erase(h);
}

std::intptr_t QtWindowSystem::DialogBoxParamA(std::uint32_t templateId, HWND hWndParent,
                                              DialogProc proc, std::intptr_t initParam) {
    const res::DialogTemplate* tpl = FindTemplate(templateId);
    if (!tpl || !proc) return -1;
    Window& dlg = CreateDialogWindow(*tpl, hWndParent, proc);
    Window* owner = FindDialog(hWndParent);
    bool ownerWasEnabled = owner && owner->enabled;
    if (owner) owner->enabled = false;

    std::intptr_t focusFirst = Deliver(dlg, WM_INITDIALOG, 0, initParam);
    if (!dlg.ended) {
        ShowDialog(dlg, focusFirst != 0);
        RunModalLoop(dlg);
    }
    std::intptr_t result = dlg.result;
    DestroyDialog(dlg);
    if (Window* o = FindDialog(hWndParent); o && ownerWasEnabled) {
        o->enabled = true;
        if (o->widget) o->widget->activateWindow();
    }
    return result;
}

std::int32_t QtWindowSystem::EndDialog(HWND hDlg, std::intptr_t result) {
    Window* dlg = FindDialog(hDlg);
    if (!dlg) return 0;
    dlg->ended = true;
    dlg->result = result;
    if (dlg->loop) dlg->loop->quit();
    return 1;
}

HWND QtWindowSystem::GetDlgItem(HWND hDlg, std::int32_t id) {
    Window* dlg = FindDialog(hDlg);
    if (!dlg) return nullptr;
    for (HWND child : dlg->children) {
        if (Find(child)->id == id) return child;
    }
    return nullptr;
}

std::int32_t QtWindowSystem::GetDlgCtrlID(HWND hWnd) {
    Window* w = Find(hWnd);
    return w && !w->isDialog ? w->id : 0;
}

// ---- Messages

std::intptr_t QtWindowSystem::Deliver(Window& dlg, std::uint32_t message, std::uintptr_t wParam,
                                      std::intptr_t lParam) {
    HWND hDlg = dlg.handle;
    std::intptr_t result = 0;
    if (dlg.proc && dlg.proc(hDlg, message, wParam, lParam, &result)) return result;
    return DefaultDialogProc(hDlg, message, wParam, lParam);
}

void QtWindowSystem::Command(HWND hCtl, std::uint32_t code) {
    Window* ctl = Find(hCtl);
    Window* dlg = ctl ? DialogOf(*ctl) : nullptr;
    if (!dlg || !TakesInput(*dlg)) return;
    Deliver(*dlg, WM_COMMAND, MakeWParam(static_cast<std::uint32_t>(ctl->id), code),
            reinterpret_cast<std::intptr_t>(hCtl));
}

std::intptr_t QtWindowSystem::SendMessageA(HWND hWnd, std::uint32_t message, std::uintptr_t wParam,
                                           std::intptr_t lParam) {
    Window* w = Find(hWnd);
    if (!w) return 0;
    return w->isDialog ? Deliver(*w, message, wParam, lParam)
                       : ControlMessage(*w, message, wParam, lParam);
}

std::int32_t QtWindowSystem::PostWindowMessage(HWND hWnd, std::uint32_t message,
                                               std::uintptr_t wParam, std::intptr_t lParam) {
    std::lock_guard<std::mutex> lock(m_liveMutex);
    if (!m_liveWindows.count(hWnd)) return 0;
    // postEvent is safe from any thread and keeps the posting order.
    QCoreApplication::postEvent(m_receiver.get(), new PostedEvent(hWnd, message, wParam, lParam));
    return 1;
}

void QtWindowSystem::DeliverPosted(HWND hWnd, std::uint32_t message, std::uintptr_t wParam,
                                   std::intptr_t lParam) {
    Window* w = Find(hWnd);
    Window* dlg = w ? DialogOf(*w) : nullptr;
    if (!dlg || dlg->ended) return;  // its modal run is over: the message dies with it
    if (w->isDialog) {
        Deliver(*w, message, wParam, lParam);
    } else {
        ControlMessage(*w, message, wParam, lParam);
    }
}

std::intptr_t QtWindowSystem::DefaultDialogProc(HWND hDlg, std::uint32_t message,
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
                    if (dlg->widget) dlg->widget->showMinimized();
                    return 0;
                case SC_RESTORE:
                    if (dlg->widget) dlg->widget->showNormal();
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
            return 1;
        default:
            return 0;
    }
}

// ---- What the user does

void QtWindowSystem::OnEnter(HWND hDlg) {
    Window* dlg = FindDialog(hDlg);
    if (!dlg || !TakesInput(*dlg)) return;
    // A push button that has the focus takes Enter itself, as it becomes the default then.
    QWidget* focus = dlg->widget->focusWidget();
    for (HWND child : dlg->children) {
        Window* ctl = Find(child);
        bool isPush = ctl->kind == res::ControlKind::PushButton ||
                      ctl->kind == res::ControlKind::DefPushButton;
        if (isPush && ctl->widget && ctl->widget == focus) {
            static_cast<QAbstractButton*>(focus)->click();
            return;
        }
    }
    for (HWND child : dlg->children) {
        Window* ctl = Find(child);
        if (ctl->kind != res::ControlKind::DefPushButton) continue;
        if (!IsWindowEnabled(child) || ctl->widget->isHidden()) return;
        Command(child, BN_CLICKED);
        return;
    }
    Deliver(*dlg, WM_COMMAND, MakeWParam(IDOK, BN_CLICKED), 0);
}

void QtWindowSystem::OnEscape(HWND hDlg) {
    Window* dlg = FindDialog(hDlg);
    if (!dlg || !TakesInput(*dlg)) return;
    HWND hCancel = GetDlgItem(hDlg, IDCANCEL);
    if (hCancel && !IsWindowEnabled(hCancel)) return;
    Deliver(*dlg, WM_COMMAND, MakeWParam(IDCANCEL, BN_CLICKED),
            reinterpret_cast<std::intptr_t>(hCancel));
}

void QtWindowSystem::OnCloseBox(HWND hDlg, const QPoint& global) {
    Window* dlg = FindDialog(hDlg);
    if (!dlg || !TakesInput(*dlg) || !dlg->HasStyle(res::kDlgSysMenu)) return;
    Deliver(*dlg, WM_SYSCOMMAND, SC_CLOSE, MakeLParam(global.x(), global.y()));
}

void QtWindowSystem::OnWindowStateChanged(HWND hDlg) {
    Window* dlg = FindDialog(hDlg);
    if (!dlg || !dlg->widget || dlg->ended) return;
    bool iconic = dlg->widget->isMinimized();
    // The window system may report one change twice (once when asked, once when it is done).
    if (iconic == dlg->iconic) return;
    dlg->iconic = iconic;
    QSize client = dlg->widget->size();
    std::intptr_t size = iconic ? 0 : MakeLParam(client.width(), client.height());
    Deliver(*dlg, WM_SIZE, iconic ? SIZE_MINIMIZED : SIZE_RESTORED, size);
}

// The window manager frames a window after it is shown, and the frame then counts in its place.
void QtWindowSystem::OnMoved(HWND hDlg) {
    Window* dlg = FindDialog(hDlg);
    if (!dlg || !dlg->widget) return;
    QWidget* widget = dlg->widget;
    QRect frame = widget->frameGeometry();
    QRect client = widget->geometry();
    if (frame == client) return;  // not framed (yet)
    m_frame = QMargins(client.left() - frame.left(), client.top() - frame.top(),
                       frame.right() - client.right(), frame.bottom() - client.bottom());
    if (!dlg->centreWhenFramed) return;
    dlg->centreWhenFramed = false;
    CenterWindow(hDlg, dlg->centreOver);
}

void QtWindowSystem::OnContextMenu(HWND hDlg, const QPoint& global) {
    Window* dlg = FindDialog(hDlg);
    if (!dlg || !TakesInput(*dlg) || dlg->systemMenu.empty()) return;
    QMenu menu(dlg->widget);
    for (const MenuItem& item : SystemMenu(hDlg)) AddMenuEntry(menu, item);
    QAction* chosen = menu.exec(global);
    // The menu ran a loop of its own: the dialog may have changed meanwhile.
    dlg = FindDialog(hDlg);
    if (!chosen || !dlg || !TakesInput(*dlg)) return;
    Deliver(*dlg, WM_SYSCOMMAND, chosen->data().value<quint32>(),
            MakeLParam(global.x(), global.y()));
}

bool QtWindowSystem::AcceptsDrops(HWND hDlg) const {
    Window* dlg = FindDialog(hDlg);
    return dlg && dlg->acceptsDrops && TakesInput(*dlg);
}

void QtWindowSystem::OnDrop(HWND hDlg, std::vector<std::string> paths) {
    auto hDrop = reinterpret_cast<HDROP>(++m_nextDrop);
    m_drops[hDrop] = std::move(paths);
    // Delivered after the drag has finished, so that a message box the program shows does not
    // keep the file manager waiting.
    QCoreApplication::postEvent(m_receiver.get(), new DroppedEvent(hDlg, hDrop));
}

void QtWindowSystem::DeliverDrop(HWND hDlg, HDROP hDrop) {
    if (AcceptsDrops(hDlg)) {
        Deliver(*FindDialog(hDlg), WM_DROPFILES, reinterpret_cast<std::uintptr_t>(hDrop), 0);
    }
    // Released here whether or not the program finished it, so a drop never outlives its message.
    m_drops.erase(hDrop);
}

// ---- Window state

std::int32_t QtWindowSystem::EnableWindow(HWND hWnd, std::int32_t enable) {
    Window* w = Find(hWnd);
    if (!w || !w->widget) return 0;
    bool wasDisabled = !IsWindowEnabled(hWnd);
    if (w->isDialog) w->enabled = enable != 0;
    w->widget->setEnabled(enable != 0);
    return wasDisabled ? 1 : 0;
}

std::int32_t QtWindowSystem::IsWindowEnabled(HWND hWnd) {
    Window* w = Find(hWnd);
    if (!w || !w->widget) return 0;
    if (w->isDialog) return w->enabled ? 1 : 0;
    // The control's own state, not its dialog's.
    return w->widget->testAttribute(Qt::WA_ForceDisabled) ? 0 : 1;
}

std::int32_t QtWindowSystem::ShowWindow(HWND hWnd, std::int32_t cmdShow) {
    Window* w = Find(hWnd);
    if (!w || !w->widget) return 0;
    bool wasVisible = !w->widget->isHidden();
    w->widget->setVisible(cmdShow != SW_HIDE);
    return wasVisible ? 1 : 0;
}

std::int32_t QtWindowSystem::IsWindowVisible(HWND hWnd) {
    Window* w = Find(hWnd);
    if (!w || !w->widget) return 0;
    return (w->isDialog ? w->widget->isVisible() : !w->widget->isHidden()) ? 1 : 0;
}

std::int32_t QtWindowSystem::IsIconic(HWND hWnd) {
    Window* dlg = FindDialog(hWnd);
    return dlg && dlg->iconic ? 1 : 0;
}

RECT QtWindowSystem::FrameRect(const Window& wnd) const {
    QWidget* widget = wnd.widget;
    if (!widget) return RECT{0, 0, 0, 0};
    if (wnd.isDialog) return ToRect(widget->frameGeometry());
    return ToRect(QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size()));
}

std::int32_t QtWindowSystem::GetWindowRect(HWND hWnd, RECT* pRect) {
    Window* w = Find(hWnd);
    if (!w || !pRect) return 0;
    *pRect = FrameRect(*w);
    return 1;
}

std::int32_t QtWindowSystem::GetClientRect(HWND hWnd, RECT* pRect) {
    Window* w = Find(hWnd);
    if (!w || !w->widget || !pRect) return 0;
    *pRect = RECT{0, 0, w->widget->width(), w->widget->height()};
    return 1;
}

std::int32_t QtWindowSystem::SetWindowPos(HWND hWnd, HWND hWndInsertAfter, std::int32_t x,
                                          std::int32_t y, std::int32_t cx, std::int32_t cy,
                                          std::uint32_t flags) {
    Window* dlg = FindDialog(hWnd);
    if (!dlg || !dlg->widget) return 0;
    QWidget* widget = dlg->widget;
    if (!(flags & SWP_NOSIZE)) {
        // Sizes count the frame, which Qt keeps outside the widget.
        QSize frame = widget->frameGeometry().size() - widget->size();
        widget->setFixedSize(std::max(0, cx - frame.width()), std::max(0, cy - frame.height()));
    }
    if (!(flags & SWP_NOMOVE)) {
        widget->move(x, y);  // a window's position is that of its frame
        dlg->positioned = true;
        dlg->centreWhenFramed = false;
    }
    if (!(flags & SWP_NOZORDER)) {
        auto insertAfter = reinterpret_cast<std::intptr_t>(hWndInsertAfter);
        if (insertAfter == -1 || insertAfter == -2) {
            bool wasVisible = widget->isVisible();
            widget->setWindowFlag(Qt::WindowStaysOnTopHint, insertAfter == -1);
            if (wasVisible) widget->show();  // changing the flags hides the window
        }
    }
    if (flags & SWP_SHOWWINDOW) widget->show();
    return 1;
}

std::int32_t QtWindowSystem::CenterWindow(HWND hWnd, HWND hWndAlternateOwner) {
    Window* dlg = FindDialog(hWnd);
    if (!dlg || !dlg->widget) return 0;
    QRect area = ScreenArea();
    Window* over = FindDialog(hWndAlternateOwner ? hWndAlternateOwner : dlg->owner);
    if (over && over->widget && over->widget->isVisible() && !over->iconic) {
        area = over->widget->frameGeometry();
    }
    QSize size = FramedSize(*dlg);
    QRect screen = ScreenArea();
    int left = area.left() + (area.width() - size.width()) / 2;
    int top = area.top() + (area.height() - size.height()) / 2;
    // Kept on the screen, so that its title bar can still be reached.
    left =
        std::clamp(left, screen.left(), std::max(screen.left(), screen.right() + 1 - size.width()));
    top =
        std::clamp(top, screen.top(), std::max(screen.top(), screen.bottom() + 1 - size.height()));
    dlg->widget->move(left, top);
    dlg->positioned = true;
    dlg->centreWhenFramed = dlg->widget->frameGeometry() == dlg->widget->geometry();
    dlg->centreOver = hWndAlternateOwner;
    return 1;
}

// A window the window manager has not framed yet is given the frame it gave the others.
QSize QtWindowSystem::FramedSize(const Window& dlg) const {
    QWidget* widget = dlg.widget;
    QRect frame = widget->frameGeometry();
    return frame == widget->geometry() ? widget->size().grownBy(m_frame) : frame.size();
}

std::int32_t QtWindowSystem::InvalidateRect(HWND hWnd, const RECT*, std::int32_t) {
    Window* w = Find(hWnd);
    if (!w || !w->widget) return 0;
    ++w->invalidations;
    w->widget->update();
    for (QWidget* child : w->widget->findChildren<QWidget*>()) child->update();
    return 1;
}

// ---- Timers

std::uintptr_t QtWindowSystem::SetTimer(HWND hWnd, std::uintptr_t id, std::uint32_t elapseMs) {
    Window* dlg = FindDialog(hWnd);
    if (!dlg || id == 0) return 0;
    std::unique_ptr<QTimer>& timer = dlg->timers[id];
    if (!timer) {
        timer = std::make_unique<QTimer>();
        timer->callOnTimeout([this, hWnd, id] {
            Window* d = FindDialog(hWnd);
            if (d && !d->ended) Deliver(*d, WM_TIMER, id, 0);
        });
    }
    timer->start(
        static_cast<int>(std::clamp<std::uint32_t>(elapseMs, kMinimumTimerMs, 0x7FFFFFFF)));
    return id;
}

std::int32_t QtWindowSystem::KillTimer(HWND hWnd, std::uintptr_t id) {
    Window* dlg = FindDialog(hWnd);
    if (!dlg) return 0;
    auto it = dlg->timers.find(id);
    if (it == dlg->timers.end() || !it->second->isActive()) return 0;
    // Stopped, not destroyed: the handler that kills it may be running from its own signal.
    it->second->stop();
    return 1;
}

// ---- System menu

HMENU QtWindowSystem::GetSystemMenu(HWND hWnd, std::int32_t revert) {
    Window* dlg = FindDialog(hWnd);
    if (!dlg || !dlg->HasStyle(res::kDlgSysMenu)) return nullptr;
    if (revert) {
        ResetSystemMenu(*dlg);
        return nullptr;
    }
    dlg->menuHandedOut = true;
    return reinterpret_cast<HMENU>(hWnd);
}

std::int32_t QtWindowSystem::AppendMenuA(HMENU hMenu, std::uint32_t flags, std::uintptr_t idNewItem,
                                         const char* text) {
    Window* dlg = FindByMenu(hMenu);
    if (!dlg) return 0;
    dlg->systemMenu.push_back(MakeMenuItem(flags, idNewItem, text));
    return 1;
}

std::int32_t QtWindowSystem::EnableMenuItem(HMENU hMenu, std::uint32_t idItem,
                                            std::uint32_t enable) {
    Window* dlg = FindByMenu(hMenu);
    if (!dlg || (enable & kMenuByPosition)) return -1;
    return EnableMenuItemByCommand(dlg->systemMenu, idItem, enable);
}

std::int32_t QtWindowSystem::ModifyMenuA(HMENU hMenu, std::uint32_t position, std::uint32_t flags,
                                         std::uintptr_t idNewItem, const char* text) {
    Window* dlg = FindByMenu(hMenu);
    if (!dlg || (flags & kMenuByPosition)) return 0;
    return ModifyMenuItemByCommand(dlg->systemMenu, position, flags, idNewItem, text) ? 1 : 0;
}

// ---- Message boxes and file dialogs

std::int32_t QtWindowSystem::MessageBoxA(HWND hWndOwner, const char* text, const char* caption,
                                         std::uint32_t type) {
    Window* owner = FindDialog(hWndOwner);
    QMessageBox box(owner ? owner->widget.data() : nullptr);
    box.setWindowTitle(TitleToDisplay(caption ? caption : ""));
    box.setTextFormat(Qt::PlainText);
    box.setText(ToDisplay(text ? text : ""));
    box.setIcon((type & 0xF0) == MB_ICONEXCLAMATION ? QMessageBox::Warning : QMessageBox::NoIcon);
    QPushButton* ok = box.addButton(QMessageBox::Ok);
    QPushButton* cancel =
        (type & 0xF) == MB_OKCANCEL ? box.addButton(QMessageBox::Cancel) : nullptr;
    box.setDefaultButton(ok);
    box.setEscapeButton(cancel ? cancel : ok);
    box.setWindowModality(Qt::ApplicationModal);
    bool ownerWasEnabled = owner && owner->enabled;
    if (owner) owner->enabled = false;
    box.exec();
    if (Window* o = FindDialog(hWndOwner); o && ownerWasEnabled) o->enabled = true;
    return cancel && box.clickedButton() == cancel ? IDCANCEL : IDOK;
}

std::int32_t QtWindowSystem::GetOpenFileNameA(OPENFILENAMEA* pOfn) {
    if (!pOfn || !pOfn->lpstrFile || pOfn->nMaxFile == 0) return 0;
    Window* owner = FindDialog(pOfn->hwndOwner);
    bool ownerWasEnabled = owner && owner->enabled;
    if (owner) owner->enabled = false;
    std::int32_t ok = RunFileDialog(owner ? owner->widget.data() : nullptr, pOfn, false);
    if (Window* o = FindDialog(pOfn->hwndOwner); o && ownerWasEnabled) o->enabled = true;
    return ok;
}

std::int32_t QtWindowSystem::GetSaveFileNameA(OPENFILENAMEA* pOfn) {
    if (!pOfn || !pOfn->lpstrFile || pOfn->nMaxFile == 0) return 0;
    Window* owner = FindDialog(pOfn->hwndOwner);
    bool ownerWasEnabled = owner && owner->enabled;
    if (owner) owner->enabled = false;
    std::int32_t ok = RunFileDialog(owner ? owner->widget.data() : nullptr, pOfn, true);
    if (Window* o = FindDialog(pOfn->hwndOwner); o && ownerWasEnabled) o->enabled = true;
    return ok;
}

// ---- Dropped files

void QtWindowSystem::DragAcceptFiles(HWND hWnd, std::int32_t accept) {
    Window* dlg = FindDialog(hWnd);
    if (!dlg || !dlg->widget) return;
    dlg->acceptsDrops = accept != 0;
    dlg->widget->setAcceptDrops(accept != 0);
}

std::uint32_t QtWindowSystem::DragQueryFileA(HDROP hDrop, std::uint32_t index, char* buffer,
                                             std::uint32_t cch) {
    auto it = m_drops.find(hDrop);
    if (it == m_drops.end()) return 0;
    return QueryDroppedPath(it->second, index, buffer, cch);
}

void QtWindowSystem::DragFinish(HDROP hDrop) {
    m_drops.erase(hDrop);
}

// ---- Icon and painting

HICON QtWindowSystem::LoadAppIcon(std::uint32_t resourceId) {
    if (resourceId != IDR_MAINFRAME || m_icon->isNull()) return nullptr;
    return reinterpret_cast<HICON>(kIconBase + resourceId);
}

// Qt paints the windows; the program is never asked to (see the class comment).
std::int32_t QtWindowSystem::DrawIcon(HDC, std::int32_t, std::int32_t, HICON) {
    return 0;
}

std::int32_t QtWindowSystem::GetSystemMetrics(std::int32_t index) {
    QScreen* screen = QGuiApplication::primaryScreen();
    switch (index) {
        case SM_CXSCREEN:
            return screen ? screen->geometry().width() : 0;
        case SM_CYSCREEN:
            return screen ? screen->geometry().height() : 0;
        case SM_CXICON:
        case SM_CYICON:
            return kIconPixels;
        default:
            return 0;
    }
}

HDC QtWindowSystem::BeginPaint(HWND, PAINTSTRUCT*) {
    return nullptr;
}

std::int32_t QtWindowSystem::EndPaint(HWND, const PAINTSTRUCT*) {
    return 0;
}

}  // namespace qv::qtui
