#pragma once
// The state of one window of the Qt window system; shared by its own files only.
#include <QEvent>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <map>
#include <memory>

#include "platform/qt/QtDialogUnits.h"
#include "platform/qt/QtWindowSystem.h"

namespace qv::qtui {

struct QtWindowSystem::Window : BackendWindow {
    QPointer<QWidget> widget;
    std::int32_t rowAtPress = -1;  // the list's selection when the mouse went down on it

    // Dialogs.
    BaseUnits units{};
    bool positioned = false;  // the program placed it before it was first shown
    // Centred before the window manager framed it: centred again, frame and all, once it has.
    bool centreWhenFramed = false;
    HWND centreOver = nullptr;
    QEventLoop* loop = nullptr;
    std::map<std::uintptr_t, std::unique_ptr<QTimer>> timers;
};

// The top-level widget of a dialog: turns the user's keys, close box, minimising, right clicks and
// drops into calls on the window system.
class DialogWidget final : public QWidget {
public:
    DialogWidget(QtWindowSystem& system, HWND handle, QWidget* owner, Qt::WindowFlags flags);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QtWindowSystem& m_system;
    HWND m_handle;
};

// Takes messages posted from any thread and delivers them on the user-interface thread.
class PostReceiver final : public QObject {
public:
    static const QEvent::Type kPosted;
    static const QEvent::Type kDropped;

    explicit PostReceiver(QtWindowSystem& system) : m_system(system) {}
    bool event(QEvent* event) override;

private:
    QtWindowSystem& m_system;
};

struct PostedEvent final : QEvent {
    PostedEvent(HWND w, std::uint32_t m, std::uintptr_t wp, std::intptr_t lp)
        : QEvent(PostReceiver::kPosted), hWnd(w), message(m), wParam(wp), lParam(lp) {}
    HWND hWnd;
    std::uint32_t message;
    std::uintptr_t wParam;
    std::intptr_t lParam;
};

struct DroppedEvent final : QEvent {
    DroppedEvent(HWND w, HDROP d) : QEvent(PostReceiver::kDropped), hDlg(w), hDrop(d) {}
    HWND hDlg;
    HDROP hDrop;
};

// Notes the list's selection when the mouse goes down on it, so that choosing the selected line
// again can be told from a change.
class PressWatcher final : public QObject {
public:
    explicit PressWatcher(std::function<void()> onPress, QObject* parent)
        : QObject(parent), m_onPress(std::move(onPress)) {}
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> m_onPress;
};

}  // namespace qv::qtui
