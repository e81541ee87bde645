// The controls of a dialog: made from their template rows, and answering the control messages
// the program sends, with the bytes it gave kept beside what Qt shows.
#include <QAbstractListModel>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSignalBlocker>
#include <algorithm>
#include <cstring>

#include "platform/WindowBackendSupport.h"
#include "platform/qt/QtLanguage.h"
#include "platform/qt/QtText.h"
#include "platform/qt/QtWindow.h"

namespace qv::qtui {
namespace {

using res::ControlKind;

constexpr std::uint32_t kEnChange = 0x0300;  // EN_CHANGE

bool IsButton(ControlKind kind) {
    return kind == ControlKind::PushButton || kind == ControlKind::DefPushButton ||
           kind == ControlKind::AutoCheckBox;
}

bool IsLabel(ControlKind kind) {
    return kind == ControlKind::LText || kind == ControlKind::CText;
}

Qt::FocusPolicy FocusFor(const res::ControlTemplate& ct) {
    bool takesFocus = IsButton(ct.kind) || ct.kind == ControlKind::ListBox ||
                      ct.kind == ControlKind::ComboBox || ct.kind == ControlKind::Edit;
    if (!takesFocus) return Qt::NoFocus;
    return (ct.style & res::kTabStop) ? Qt::StrongFocus : Qt::ClickFocus;
}

// A list box that selects one line keeps it under every act of the user: Qt's own list would
// drop it on a click below the last line or on Ctrl with the selected line (click or Space),
// leaving the program's buttons on and nothing chosen.
class ListBoxWidget final : public QListView {
protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override {
        QItemSelectionModel::SelectionFlags command = QListView::selectionCommand(index, event);
        if (!index.isValid() || command.testFlag(QItemSelectionModel::Deselect)) {
            return QItemSelectionModel::NoUpdate;
        }
        return command;
    }
};

// The list box's lines as the view reads them: the program's own bytes, decoded only for the
// lines on show, so that a line costs no item of Qt's. The view learns each change from Show.
class LinesModel final : public QAbstractListModel {
public:
    LinesModel(const std::deque<std::string>& lines, QObject* parent)
        : QAbstractListModel(parent), m_lines(lines), m_rows(static_cast<int>(lines.size())) {}

    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : m_rows; }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole || !InRange(index.row(), m_lines.size())) return {};
        return ToDisplay(m_lines[static_cast<std::size_t>(index.row())]);
    }

    void Show(ListChange change) {
        switch (change.kind) {
            case ListChange::Added:
            case ListChange::Inserted:
                beginInsertRows({}, change.index, change.index);
                ++m_rows;
                endInsertRows();
                break;
            case ListChange::Deleted:
                beginRemoveRows({}, change.index, change.index);
                --m_rows;
                endRemoveRows();
                break;
            case ListChange::Reset:
            case ListChange::Refilled:
                beginResetModel();
                m_rows = static_cast<int>(m_lines.size());
                endResetModel();
                break;
            default:
                break;
        }
    }

private:
    const std::deque<std::string>& m_lines;
    int m_rows;  // the rows the view knows of
};

QListView* MakeListBox(const res::ControlTemplate& ct) {
    auto* list = new ListBoxWidget;
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    // Every line is one line of the same font: without this the view measures each of them
    // before it can scroll or paint, which is most of a refill's time with thousands of lines.
    list->setUniformItemSizes(true);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // A scroll bar that stays, shown disabled while everything fits.
    list->setVerticalScrollBarPolicy(
        (ct.style & res::kListDisableNoScroll) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAsNeeded);
    if (!(ct.style & res::kBorder)) list->setFrameShape(QFrame::NoFrame);
    return list;
}

QWidget* MakeWidget(const res::ControlTemplate& ct, const QIcon& icon, int iconPixels) {
    switch (ct.kind) {
        case ControlKind::PushButton:
        case ControlKind::DefPushButton: {
            auto* button = new QPushButton;
            button->setAutoDefault(false);
            button->setDefault(ct.kind == ControlKind::DefPushButton);
            return button;
        }
        case ControlKind::AutoCheckBox:
            return new QCheckBox;
        case ControlKind::ListBox:
            return MakeListBox(ct);
        case ControlKind::ComboBox:
            return new QComboBox;
        case ControlKind::LText:
        case ControlKind::CText: {
            auto* label = new QLabel;
            label->setTextFormat(Qt::PlainText);
            Qt::Alignment across = ct.kind == ControlKind::CText ? Qt::AlignHCenter : Qt::AlignLeft;
            label->setAlignment(across | Qt::AlignTop);
            return label;
        }
        case ControlKind::BlackFrame: {
            auto* frame = new QFrame;
            frame->setFrameStyle(QFrame::Box | QFrame::Plain);
            QPalette palette = frame->palette();
            palette.setColor(QPalette::WindowText, Qt::black);
            frame->setPalette(palette);
            // Drawn around other controls; clicks go through to them.
            frame->setAttribute(Qt::WA_TransparentForMouseEvents);
            return frame;
        }
        case ControlKind::Edit: {
            auto* edit = new QLineEdit;
            edit->setFrame((ct.style & res::kBorder) != 0);
            return edit;
        }
        case ControlKind::Icon: {
            auto* label = new QLabel;
            label->setPixmap(icon.pixmap(iconPixels, iconPixels));
            return label;
        }
    }
    return new QWidget;
}

}  // namespace

void QtWindowSystem::ControlCreated(BackendWindow& base, BackendWindow& baseCtl,
                                    const res::ControlTemplate& ct) {
    auto& dlg = static_cast<Window&>(base);
    auto* ctl = static_cast<Window*>(&baseCtl);
    HWND hCtl = ctl->handle;
    constexpr int kIconPixels = 32;
    QWidget* widget = MakeWidget(ct, *m_icon, kIconPixels);
    widget->setParent(dlg.widget);
    QRect rect = ToPixels(dlg.units, ct.x, ct.y, ct.w, ct.h);
    if (ct.kind == ControlKind::ComboBox) {
        // The template's height is the dropped-down list's; closed, a combo is one line high.
        rect.setHeight(widget->sizeHint().height());
    } else if (ct.kind == ControlKind::Icon) {
        rect.setSize(QSize(kIconPixels, kIconPixels));
    }
    widget->setGeometry(rect);
    widget->setFocusPolicy(FocusFor(ct));
    widget->setEnabled((ct.style & res::kDisabled) == 0);
    if (!(ct.style & res::kVisible)) widget->hide();
    if (ct.kind == ControlKind::BlackFrame) widget->lower();
    NameControl(*widget, ct.id);
    ctl->widget = widget;

    switch (ct.kind) {
        case ControlKind::PushButton:
        case ControlKind::DefPushButton:
        case ControlKind::AutoCheckBox:
            // The program's own changes block the signals: these are the user's.
            QObject::connect(static_cast<QAbstractButton*>(widget), &QAbstractButton::toggled,
                             widget, [this, hCtl](bool on) {
                                 if (Window* w = Find(hCtl)) w->check = on ? BST_CHECKED : 0;
                             });
            // clicked comes from the user only, after a check box has toggled.
            QObject::connect(static_cast<QAbstractButton*>(widget), &QAbstractButton::clicked,
                             widget, [this, hCtl] { Command(hCtl, BN_CLICKED); });
            break;
        case ControlKind::ListBox: {
            auto* list = static_cast<QListView*>(widget);
            list->setModel(new LinesModel(ctl->lines, list));
            bool notify = (ct.style & res::kListNotify) != 0;
            // The program's own changes block the list's signals, so these are the user's.
            // (The current row alone is no choice: the list sets it when it gets the focus.)
            QItemSelectionModel* selection = list->selectionModel();
            QObject::connect(selection, &QItemSelectionModel::selectionChanged, list, [=, this] {
                Window* w = Find(hCtl);
                if (!w || !w->widget) return;
                QModelIndexList chosen = selection->selectedRows();
                int row = chosen.isEmpty() ? -1 : chosen.front().row();
                if (row == w->selection) return;
                w->selection = row;
                if (notify && row >= 0) Command(hCtl, LBN_SELCHANGE);
            });
            // Choosing the selected line again notifies as well, as a click on it does.
            list->viewport()->installEventFilter(new PressWatcher(
                [this, hCtl] {
                    if (Window* w = Find(hCtl)) w->rowAtPress = w->selection;
                },
                list));
            QObject::connect(list, &QAbstractItemView::pressed, list,
                             [this, hCtl, notify](const QModelIndex& index) {
                                 Window* w = Find(hCtl);
                                 if (!w || index.row() != w->rowAtPress) return;
                                 if (notify) Command(hCtl, LBN_SELCHANGE);
                             });
            break;
        }
        case ControlKind::ComboBox: {
            auto* combo = static_cast<QComboBox*>(widget);
            for (const std::string& line : ctl->lines) combo->addItem(ToDisplay(line));
            combo->setCurrentIndex(-1);
            QObject::connect(combo, &QComboBox::currentIndexChanged, combo, [this, hCtl](int i) {
                if (Window* w = Find(hCtl)) w->selection = i;
            });
            // activated comes from the user only, also when the same item is chosen again.
            QObject::connect(combo, &QComboBox::activated, combo,
                             [this, hCtl] { Command(hCtl, CBN_SELCHANGE); });
            break;
        }
        case ControlKind::Edit:
            QObject::connect(static_cast<QLineEdit*>(widget), &QLineEdit::textEdited, widget,
                             [this, hCtl](const QString& text) {
                                 Window* w = Find(hCtl);
                                 if (!w) return;
                                 w->text = FromDisplay(text);
                                 Command(hCtl, kEnChange);
                             });
            break;
        default:
            break;
    }
    ShowText(*ctl);
}

void QtWindowSystem::ControlsCreated(BackendWindow& dlg) {
    std::vector<Window*> controls;
    for (HWND child : dlg.children) controls.push_back(Find(child));
    QWidget* previous = nullptr;
    for (Window* ctl : controls) {
        if (!(ctl->style & res::kTabStop) || ctl->widget->focusPolicy() == Qt::NoFocus) continue;
        if (previous) QWidget::setTabOrder(previous, ctl->widget);
        previous = ctl->widget;
    }
    // A label's access key moves the focus to the next control that takes it.
    for (std::size_t i = 0; i < controls.size(); ++i) {
        if (!IsLabel(controls[i]->kind)) continue;
        auto* label = static_cast<QLabel*>(controls[i]->widget.data());
        for (std::size_t j = i + 1; j < controls.size(); ++j) {
            if (controls[j]->style & res::kTabStop) {
                label->setBuddy(controls[j]->widget);
                break;
            }
        }
        ShowText(*controls[i]);
    }
}

void QtWindowSystem::ShowText(BackendWindow& base) {
    auto& wnd = static_cast<Window&>(base);
    QWidget* widget = wnd.widget;
    if (!widget) return;
    if (wnd.isDialog) {
        widget->setWindowTitle(TitleToDisplay(wnd.text));
        return;
    }
    switch (wnd.kind) {
        case ControlKind::PushButton:
        case ControlKind::DefPushButton:
        case ControlKind::AutoCheckBox:
            static_cast<QAbstractButton*>(widget)->setText(CaptionToDisplay(wnd.text));
            break;
        case ControlKind::LText:
        case ControlKind::CText: {
            auto* label = static_cast<QLabel*>(widget);
            QString caption = CaptionToDisplay(wnd.text);
            label->setText(label->buddy() ? caption : WithoutAccessKeys(caption));
            break;
        }
        case ControlKind::Edit: {
            auto* edit = static_cast<QLineEdit*>(widget);
            QSignalBlocker blocker(edit);
            edit->setText(ToDisplay(wnd.text));
            break;
        }
        default:
            break;
    }
}

void QtWindowSystem::ShowRedraw(BackendWindow& wnd) {
    if (QWidget* widget = static_cast<Window&>(wnd).widget) widget->setUpdatesEnabled(wnd.redraw);
}

void QtWindowSystem::ShowCheck(BackendWindow& ctl) {
    auto* check = qobject_cast<QCheckBox*>(static_cast<Window&>(ctl).widget.data());
    if (!check) return;
    QSignalBlocker blocker(check);
    check->setChecked(ctl.check == BST_CHECKED);
}

void QtWindowSystem::SyncListSelection(Window& ctl, bool scroll) {
    auto* list = static_cast<QListView*>(ctl.widget.data());
    if (!list) return;
    if (ctl.selection < 0) {
        list->setCurrentIndex({});
        list->clearSelection();
        return;
    }
    QModelIndex index = list->model()->index(ctl.selection, 0);
    list->setCurrentIndex(index);
    if (scroll) list->scrollTo(index);
}

// The widget follows the lines and the selection; the program's own changes notify nothing.
void QtWindowSystem::ShowLines(BackendWindow& base, ListChange change) {
    auto& ctl = static_cast<Window&>(base);
    if (auto* combo = qobject_cast<QComboBox*>(ctl.widget.data())) {
        QSignalBlocker blocker(combo);
        if (change.kind == ListChange::Added) combo->addItem(ToDisplay(ctl.lines.back()));
        if (change.kind == ListChange::Selected) combo->setCurrentIndex(ctl.selection);
        return;
    }
    auto* list = qobject_cast<QListView*>(ctl.widget.data());
    if (!list) return;
    QSignalBlocker blocker(list);
    QSignalBlocker selectionBlocker(list->selectionModel());
    static_cast<LinesModel*>(list->model())->Show(change);
    SyncListSelection(ctl, change.kind == ListChange::Selected && change.index >= 0);
}

}  // namespace qv::qtui
