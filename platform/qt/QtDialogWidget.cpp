#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCursor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>

#include "platform/qt/QtWindow.h"

namespace qv::qtui {
namespace {

// Local files and folders of a drag, as the program's bytes; remote addresses are left out.
std::vector<std::string> LocalPaths(const QMimeData* mime) {
    std::vector<std::string> paths;
    if (!mime || !mime->hasUrls()) return paths;
    for (const QUrl& url : mime->urls()) {
        if (!url.isLocalFile()) continue;
        QByteArray bytes = QFile::encodeName(url.toLocalFile());
        if (!bytes.isEmpty())
            paths.emplace_back(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    }
    return paths;
}

}  // namespace

const QEvent::Type PostReceiver::kPosted = static_cast<QEvent::Type>(QEvent::registerEventType());
const QEvent::Type PostReceiver::kDropped = static_cast<QEvent::Type>(QEvent::registerEventType());

DialogWidget::DialogWidget(QtWindowSystem& system, HWND handle, QWidget* owner,
                           Qt::WindowFlags flags)
    : QWidget(owner, flags), m_system(system), m_handle(handle) {}

void DialogWidget::keyPressEvent(QKeyEvent* event) {
    bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (plain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        m_system.OnEnter(m_handle);
    } else if (plain && event->key() == Qt::Key_Escape) {
        m_system.OnEscape(m_handle);
    } else {
        QWidget::keyPressEvent(event);
    }
}

void DialogWidget::closeEvent(QCloseEvent* event) {
    // The window goes only when the program ends the dialog; the close box asks the program.
    event->ignore();
    m_system.OnCloseBox(m_handle, QCursor::pos());
}

void DialogWidget::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange) m_system.OnWindowStateChanged(m_handle);
    QWidget::changeEvent(event);
}

void DialogWidget::moveEvent(QMoveEvent* event) {
    m_system.OnMoved(m_handle);
    QWidget::moveEvent(event);
}

void DialogWidget::contextMenuEvent(QContextMenuEvent* event) {
    m_system.OnContextMenu(m_handle, event->globalPos());
    event->accept();
}

void DialogWidget::dragEnterEvent(QDragEnterEvent* event) {
    if (m_system.AcceptsDrops(m_handle) && !LocalPaths(event->mimeData()).empty()) {
        event->acceptProposedAction();
    }
}

void DialogWidget::dragMoveEvent(QDragMoveEvent* event) {
    if (m_system.AcceptsDrops(m_handle)) event->acceptProposedAction();
}

void DialogWidget::dropEvent(QDropEvent* event) {
    std::vector<std::string> paths = LocalPaths(event->mimeData());
    if (paths.empty() || !m_system.AcceptsDrops(m_handle)) return;
    event->acceptProposedAction();
    m_system.OnDrop(m_handle, std::move(paths));
}

bool PostReceiver::event(QEvent* event) {
    if (event->type() == kPosted) {
        auto* posted = static_cast<PostedEvent*>(event);
        m_system.DeliverPosted(posted->hWnd, posted->message, posted->wParam, posted->lParam);
        return true;
    }
    if (event->type() == kDropped) {
        auto* dropped = static_cast<DroppedEvent*>(event);
        m_system.DeliverDrop(dropped->hDlg, dropped->hDrop);
        return true;
    }
    return QObject::event(event);
}

bool PressWatcher::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) m_onPress();
    return QObject::eventFilter(watched, event);
}

}  // namespace qv::qtui
