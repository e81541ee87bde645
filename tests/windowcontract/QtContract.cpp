#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QEventLoop>
#include <QFile>
#include <QKeyEvent>
#include <QListView>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QWindow>

#include "platform/Installed.h"
#include "platform/qt/QtWindowSystem.h"
#include "tests/windowcontract/ContractBackends.h"
#include "tests/windowcontract/QtTestApplication.h"

namespace {

using qv::qtui::QtWindowSystem;

void SendClick(QWidget* widget, QPoint at, Qt::KeyboardModifiers keys = Qt::NoModifier) {
    const QPointF global = widget->mapToGlobal(QPointF(at));
    for (auto [type, held] : {std::pair{QEvent::MouseButtonPress, Qt::LeftButton},
                              std::pair{QEvent::MouseButtonRelease, Qt::NoButton}}) {
        QMouseEvent event(type, QPointF(at), global, Qt::LeftButton, held, keys);
        QApplication::sendEvent(widget, &event);
    }
}

void SendKey(QWidget* widget, int key) {
    for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent event(type, key, Qt::NoModifier);
        QApplication::sendEvent(widget, &event);
    }
}

class QtUser final : public ContractUser {
public:
    QtUser(QtWindowSystem& system, qv::HWND hDlg) : m_system(system), m_hDlg(hDlg) {}

    qv::HWND Dialog() const override { return m_hDlg; }

    bool Click(int id) override {
        QWidget* widget = Usable<QWidget>(id);
        return widget && (SendClick(widget, widget->rect().center()), true);
    }

    bool ChooseLine(int listId, int index) override { return ClickLine(listId, index, {}); }
    bool ControlClickLine(int listId, int index) override {
        return ClickLine(listId, index, Qt::ControlModifier);
    }
    bool ClickBelowLines(int listId) override {
        auto* list = Usable<QListView>(listId);
        const int count = list ? list->model()->rowCount() : 0;
        if (count == 0) return false;
        QRect area = list->viewport()->rect();
        int below = list->visualRect(list->model()->index(count - 1, 0)).bottom() + 1;
        if (below >= area.bottom()) return false;  // the lines fill the list
        SendClick(list->viewport(), QPoint(area.center().x(), (below + area.bottom()) / 2));
        return true;
    }

    // The drop-down's own popup is Qt's; choosing from it ends in this signal.
    bool ChooseItem(int comboId, int index) override {
        auto* combo = Usable<QComboBox>(comboId);
        if (!combo || index < 0 || index >= combo->count()) return false;
        combo->setCurrentIndex(index);
        emit combo->activated(index);
        return true;
    }

    bool PressEnter() override {
        if (!CanAct()) return false;
        // A push button with the focus would take Enter as its own click.
        if (qobject_cast<QPushButton*>(DialogWidget()->focusWidget())) {
            DialogWidget()->focusWidget()->clearFocus();
        }
        SendKey(FocusTarget(), Qt::Key_Return);
        return true;
    }
    bool PressEnterOn(int buttonId) override {
        auto* button = Usable<QPushButton>(buttonId);
        if (!button) return false;
        button->setFocus();
        SendKey(button, Qt::Key_Return);
        return true;
    }
    bool PressEscape() override {
        return CanAct() && (SendKey(FocusTarget(), Qt::Key_Escape), true);
    }

    bool PressCloseBox() override { return CanAct() && (DialogWidget()->close(), true); }

    bool Minimise() override { return SetMinimised(true); }
    bool Restore() override { return SetMinimised(false); }

    bool ChooseSystemMenuItem(std::uint32_t command) override {
        bool chosen = false;
        PopUpSystemMenu([&](QMenu* menu) {
            for (QAction* action : menu->actions()) {
                if (action->isSeparator() || action->data().value<quint32>() != command) continue;
                if (!action->isEnabled()) break;
                menu->setActiveAction(action);
                SendKey(menu, Qt::Key_Return);
                chosen = true;
                return;
            }
            menu->close();
        });
        SettleWindowState();
        return chosen;
    }

    bool Drop(const std::vector<std::string>& paths) override {
        if (!CanAct()) return false;
        QList<QUrl> urls;
        for (const std::string& path : paths) {
            urls << QUrl::fromLocalFile(QFile::decodeName(QByteArray::fromStdString(path)));
        }
        QMimeData mime;
        mime.setUrls(urls);
        QPoint at = DialogWidget()->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        enter.setAccepted(false);
        QApplication::sendEvent(DialogWidget(), &enter);
        if (!enter.isAccepted()) return false;
        QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(DialogWidget(), &drop);
        QCoreApplication::sendPostedEvents();  // the drop arrives once the drag is over
        return true;
    }

    // Read from the context menu itself, as it pops up.
    std::vector<SeenMenuItem> SystemMenu() override {
        std::vector<SeenMenuItem> seen;
        PopUpSystemMenu([&](QMenu* menu) {
            for (QAction* action : menu->actions()) {
                seen.push_back({action->data().value<quint32>(),
                                action->text().toUtf8().toStdString(), !action->isEnabled(),
                                action->isSeparator()});
            }
            menu->close();
        });
        return seen;
    }

    // The title the window system was given, after Qt's own marks are applied.
    std::string Caption() const override {
        QWindow* window = DialogWidget()->windowHandle();
        return window ? window->title().toUtf8().toStdString() : std::string();
    }
    bool IsChecked(int id) const override {
        auto* check = qobject_cast<QCheckBox*>(Widget(id));
        return check && check->isChecked();
    }
    bool IsEnabled(int id) const override {
        QWidget* widget = Widget(id);
        return widget && widget->isEnabled();
    }
    int Selection(int id) const override {
        if (auto* list = qobject_cast<QListView*>(Widget(id))) {
            QModelIndexList chosen = list->selectionModel()->selectedRows();
            return chosen.isEmpty() ? -1 : chosen.front().row();
        }
        auto* combo = qobject_cast<QComboBox*>(Widget(id));
        return combo ? combo->currentIndex() : -1;
    }

    // Real time; nothing here depends on how long things take.
    bool RunUntil(const std::function<bool()>& done) override {
        return StepUntil(done, [] {
            QEventLoop loop;
            QTimer::singleShot(10, &loop, &QEventLoop::quit);
            loop.exec();
        });
    }

private:
    QWidget* DialogWidget() const { return m_system.WidgetOf(m_hDlg); }
    QWidget* Widget(int id) const { return m_system.WidgetOf(qv::GetDlgItem(m_hDlg, id)); }
    QWidget* FocusTarget() const {
        QWidget* focus = DialogWidget()->focusWidget();
        return focus ? focus : DialogWidget();
    }
    // The platform confirms a window-state change later; a user takes a moment before the next
    // act, and so do we, so that a late confirmation is not mistaken for a new change.
    static void SettleWindowState() { QCoreApplication::processEvents(); }
    bool ClickLine(int listId, int index, Qt::KeyboardModifiers keys) {
        auto* list = Usable<QListView>(listId);
        if (!list || index < 0 || index >= list->model()->rowCount()) return false;
        QModelIndex line = list->model()->index(index, 0);
        list->scrollTo(line);
        SendClick(list->viewport(), list->visualRect(line).center(), keys);
        return true;
    }
    // As the window manager does it.
    bool SetMinimised(bool minimised) {
        if (!CanAct() || (qv::IsIconic(m_hDlg) != 0) == minimised) return false;
        DialogWidget()->setWindowState(DialogWidget()->windowState() ^ Qt::WindowMinimized);
        SettleWindowState();
        return true;
    }
    bool CanAct() const { return !m_system.HasEnded(m_hDlg) && qv::IsWindowEnabled(m_hDlg); }
    // The control, when the user can reach it and it is of that kind.
    template <typename Kind>
    Kind* Usable(int id) const {
        QWidget* widget = Widget(id);
        if (!CanAct() || !widget || widget->isHidden() || !widget->isEnabled()) return nullptr;
        return qobject_cast<Kind*>(widget);
    }
    // A right click in the client area; `act` runs on the menu while it is up and must close it
    // or choose from it.
    void PopUpSystemMenu(const std::function<void(QMenu*)>& act) {
        if (!CanAct()) return;
        bool ran = false;
        QTimer::singleShot(0, DialogWidget(), [&] {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                ran = true;
                act(menu);
            }
        });
        QPoint at = DialogWidget()->rect().center();
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, DialogWidget()->mapToGlobal(at));
        QApplication::sendEvent(DialogWidget(), &event);
        if (!ran) QCoreApplication::processEvents();  // no menu came up: let the timer go by
    }

    QtWindowSystem& m_system;
    qv::HWND m_hDlg;
};

class QtBackend final : public ScriptedBackend {
public:
    QtBackend() {
        m_system.SetDialogShownHook(
            [this](qv::HWND hDlg, std::uint32_t templateId) { Shown(hDlg, templateId); });
    }

    void AddTemplate(const qv::res::DialogTemplate& tpl) override { m_system.AddTemplate(tpl); }

private:
    // The user starts once the dialog's own loop runs, as a real user would.
    void Shown(qv::HWND hDlg, std::uint32_t templateId) {
        std::function<void(ContractUser&)> acts = NextActs(templateId);
        if (!acts) return void(qv::EndDialog(hDlg, IDCANCEL));
        QTimer::singleShot(0, m_system.WidgetOf(hDlg), [this, hDlg, templateId, acts] {
            QtUser user(m_system, hDlg);
            acts(user);
            if (m_system.HasEnded(hDlg)) return;
            Report(templateId, "left open");
            qv::EndDialog(hDlg, IDCANCEL);
        });
    }

    QtWindowSystem m_system;
    qv::Installed<qv::IWindowSystem, qv::InstallWindowSystem> m_installed{m_system};
};

}  // namespace

std::unique_ptr<ContractBackend> MakePlatformContractBackend(const std::string& name) {
    if (name != "qt") return nullptr;
    EnsureQtApplication();
    return std::make_unique<QtBackend>();
}
