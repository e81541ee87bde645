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
    DestroyAll();
}

// ---- For tests and tools

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

QtWindowSystem::Window* QtWindowSystem::Find(HWND hWnd) const {
    return static_cast<Window*>(WindowBackend::Find(hWnd));
}

QtWindowSystem::Window* QtWindowSystem::FindDialog(HWND hWnd) const {
    return static_cast<Window*>(WindowBackend::FindDialog(hWnd));
}

std::unique_ptr<BackendWindow> QtWindowSystem::NewWindow() {
    return std::make_unique<Window>();
}

QtWindowSystem::Window* QtWindowSystem::DialogOf(const Window& wnd) const {
    return static_cast<Window*>(WindowBackend::DialogOf(wnd));
}

bool QtWindowSystem::TakesInput(const Window& dlg) const {
    return !dlg.ended && dlg.enabled && dlg.widget;
}

void QtWindowSystem::DialogCreated(BackendWindow& base) {
    auto* dlg = static_cast<Window*>(&base);
    const res::DialogTemplate& tpl = *dlg->tpl;
    Window* ownerWnd = FindDialog(dlg->owner);
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

void QtWindowSystem::RunDialog(BackendWindow& base, std::intptr_t initAnswer) {
    auto& dlg = static_cast<Window&>(base);
    ShowDialog(dlg, initAnswer != 0);
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

void QtWindowSystem::DialogEnded(BackendWindow& dlg) {
    if (QEventLoop* loop = static_cast<Window&>(dlg).loop) loop->quit();
}

void QtWindowSystem::OwnerEnabledAgain(BackendWindow& owner) {
    if (QWidget* widget = static_cast<Window&>(owner).widget) widget->activateWindow();
}

void QtWindowSystem::Destroying(BackendWindow& base) {
    auto& dlg = static_cast<Window&>(base);
    dlg.timers.clear();
    if (QWidget* widget = dlg.widget.data()) {
        widget->hide();
        delete widget;
    }
}

// ---- Messages

void QtWindowSystem::Command(HWND hCtl, std::uint32_t code) {
    Window* ctl = Find(hCtl);
    Window* dlg = ctl ? DialogOf(*ctl) : nullptr;
    if (!dlg || !TakesInput(*dlg)) return;
    Deliver(*dlg, WM_COMMAND, MakeWParam(static_cast<std::uint32_t>(ctl->id), code),
            reinterpret_cast<std::intptr_t>(hCtl));
}

bool QtWindowSystem::Enqueue(HWND hWnd, std::uint32_t message, std::uintptr_t wParam,
                             std::intptr_t lParam) {
    // postEvent is safe from any thread and keeps the posting order.
    QCoreApplication::postEvent(m_receiver.get(), new PostedEvent(hWnd, message, wParam, lParam));
    return true;
}

void QtWindowSystem::SetIconic(BackendWindow& dlg, bool iconic) {
    QWidget* widget = static_cast<Window&>(dlg).widget;
    if (!widget) return;
    if (iconic) {
        widget->showMinimized();
    } else {
        widget->showNormal();
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
    HDROP hDrop = AddDrop(std::move(paths));
    // Delivered after the drag has finished, so that a message box the program shows does not
    // keep the file manager waiting.
    QCoreApplication::postEvent(m_receiver.get(), new DroppedEvent(hDlg, hDrop));
}

void QtWindowSystem::DeliverDrop(HWND hDlg, HDROP hDrop) {
    if (AcceptsDrops(hDlg)) {
        Deliver(*FindDialog(hDlg), WM_DROPFILES, reinterpret_cast<std::uintptr_t>(hDrop), 0);
    }
    // Released here whether or not the program finished it, so a drop never outlives its message.
    DragFinish(hDrop);
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
