// The controls of a dialog: made from their template rows, and answering the control messages
// the program sends, with the bytes it gave kept beside what Qt shows.
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
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
class ListBoxWidget final : public QListWidget {
protected:
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override {
        QItemSelectionModel::SelectionFlags command = QListWidget::selectionCommand(index, event);
        if (!index.isValid() || command.testFlag(QItemSelectionModel::Deselect)) {
            return QItemSelectionModel::NoUpdate;
        }
        return command;
    }
};

QListWidget* MakeListBox(const res::ControlTemplate& ct) {
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

void QtWindowSystem::CreateControl(Window& dlg, const res::ControlTemplate& ct) {
    auto ctl = std::make_unique<Window>();
    HWND hCtl = reinterpret_cast<HWND>(++m_nextHandle);
    ctl->handle = hCtl;
    ctl->parent = dlg.handle;
    ctl->id = ct.id;
    ctl->kind = ct.kind;
    ctl->style = ct.style;
    bool hasLines = ct.kind == ControlKind::ListBox || ct.kind == ControlKind::ComboBox;
    if (!hasLines) ctl->text = std::string(ct.caption);
    for (std::string_view item : ct.items) ctl->lines.emplace_back(item);

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
            // clicked comes from the user only, after a check box has toggled.
            QObject::connect(static_cast<QAbstractButton*>(widget), &QAbstractButton::clicked,
                             widget, [this, hCtl] { Command(hCtl, BN_CLICKED); });
            break;
        case ControlKind::ListBox: {
            auto* list = static_cast<QListWidget*>(widget);
            bool notify = (ct.style & res::kListNotify) != 0;
            // The program's own changes block the list's signals, so these are the user's.
            // (The current row alone is no choice: the list sets it when it gets the focus.)
            QObject::connect(list, &QListWidget::itemSelectionChanged, list, [this, hCtl, notify] {
                Window* w = Find(hCtl);
                if (!w || !w->widget) return;
                auto* view = static_cast<QListWidget*>(w->widget.data());
                QList<QListWidgetItem*> chosen = view->selectedItems();
                int row = chosen.isEmpty() ? -1 : view->row(chosen.front());
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
            for (const std::string& line : ctl->lines) list->addItem(ToDisplay(line));
            break;
        }
        case ControlKind::ComboBox: {
            auto* combo = static_cast<QComboBox*>(widget);
            for (const std::string& line : ctl->lines) combo->addItem(ToDisplay(line));
            combo->setCurrentIndex(-1);
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
    Window& ref = *ctl;
    dlg.children.push_back(hCtl);
    m_windows[hCtl] = std::move(ctl);
    ShowText(ref);
}

void QtWindowSystem::SetUpKeyboard(Window& dlg) {
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

void QtWindowSystem::ShowText(Window& wnd) {
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

std::intptr_t QtWindowSystem::TextMessage(Window& wnd, std::uint32_t message, std::uintptr_t wParam,
                                          std::intptr_t lParam, bool* pHandled) {
    *pHandled = true;
    // A drop-down list shows its chosen line as its text.
    const bool isCombo = !wnd.isDialog && wnd.kind == ControlKind::ComboBox;
    std::string selected;
    if (isCombo && wnd.widget) {
        std::int32_t index = static_cast<QComboBox*>(wnd.widget.data())->currentIndex();
        if (InRange(index, wnd.lines.size())) selected = wnd.lines[static_cast<std::size_t>(index)];
    }
    const std::string& shown = isCombo ? selected : wnd.text;
    switch (message) {
        case WM_SETTEXT:
            wnd.text = TextOf(lParam);
            ShowText(wnd);
            return 1;
        case WM_GETTEXT:
            return CopyText(shown, wParam, lParam);
        case WM_GETTEXTLENGTH:
            return static_cast<std::intptr_t>(shown.size());
        case WM_SETREDRAW:
            wnd.redraw = wParam != 0;
            if (wnd.widget) wnd.widget->setUpdatesEnabled(wnd.redraw);
            return 0;
        default:
            *pHandled = false;
            return 0;
    }
}

std::intptr_t QtWindowSystem::ControlMessage(Window& ctl, std::uint32_t message,
                                             std::uintptr_t wParam, std::intptr_t lParam) {
    bool handled = false;
    std::intptr_t result = TextMessage(ctl, message, wParam, lParam, &handled);
    if (handled) return result;
    switch (ctl.kind) {
        case ControlKind::ListBox:
            return ListBoxMessage(ctl, message, wParam, lParam);
        case ControlKind::ComboBox:
            return ComboBoxMessage(ctl, message, wParam, lParam);
        default:
            break;
    }
    auto* check = ctl.kind == ControlKind::AutoCheckBox ? static_cast<QCheckBox*>(ctl.widget.data())
                                                        : nullptr;
    if (message == BM_GETCHECK) {
        return check && check->isChecked() ? BST_CHECKED : BST_UNCHECKED;
    }
    if (message == BM_SETCHECK) {
        if (check) {
            QSignalBlocker blocker(check);
            check->setChecked(wParam == BST_CHECKED);
        }
        return 0;
    }
    return 0;
}

void QtWindowSystem::SyncListSelection(Window& ctl, bool scroll) {
    auto* list = static_cast<QListWidget*>(ctl.widget.data());
    if (!list) return;
    QSignalBlocker blocker(list);
    if (ctl.selection < 0) {
        list->setCurrentRow(-1);
        list->clearSelection();
        return;
    }
    list->setCurrentRow(ctl.selection);
    if (scroll) list->scrollToItem(list->item(ctl.selection));
}

std::intptr_t QtWindowSystem::ListBoxMessage(Window& ctl, std::uint32_t message,
                                             std::uintptr_t wParam, std::intptr_t lParam) {
    auto* list = static_cast<QListWidget*>(ctl.widget.data());
    if (!list) return LB_ERR;
    QSignalBlocker blocker(list);
    ListChange change;
    std::optional<std::intptr_t> result =
        ListBoxRules(ctl.lines, ctl.selection, message, wParam, lParam, change);
    if (!result) return LB_ERR;
    // The widget mirrors the lines; the program's own changes notify nothing.
    const auto at = static_cast<std::size_t>(change.index);
    switch (change.kind) {
        case ListChange::Added:
            list->addItem(ToDisplay(ctl.lines.back()));
            break;
        case ListChange::Inserted:
            list->insertItem(change.index, ToDisplay(ctl.lines[at]));
            break;
        case ListChange::Deleted:
            delete list->takeItem(change.index);
            break;
        case ListChange::Reset:
            list->clear();
            break;
        case ListChange::Selected:
        case ListChange::None:
            break;
    }
    if (change.kind != ListChange::None) {
        SyncListSelection(ctl, change.kind == ListChange::Selected && change.index >= 0);
    }
    return *result;
}

std::intptr_t QtWindowSystem::ComboBoxMessage(Window& ctl, std::uint32_t message,
                                              std::uintptr_t wParam, std::intptr_t lParam) {
    auto* combo = static_cast<QComboBox*>(ctl.widget.data());
    if (!combo) return CB_ERR;
    QSignalBlocker blocker(combo);
    std::int32_t index = IndexOf(wParam);
    switch (message) {
        case CB_ADDSTRING:
            ctl.lines.push_back(TextOf(lParam));
            combo->addItem(ToDisplay(ctl.lines.back()));
            return static_cast<std::intptr_t>(ctl.lines.size() - 1);
        case CB_GETCOUNT:
            return static_cast<std::intptr_t>(ctl.lines.size());
        case CB_GETCURSEL:
            return combo->currentIndex() < 0 ? CB_ERR : combo->currentIndex();
        case CB_SETCURSEL:
            // Unlike a list box, a bad index also clears the selection.
            if (!InRange(index, ctl.lines.size())) {
                combo->setCurrentIndex(-1);
                return CB_ERR;
            }
            combo->setCurrentIndex(index);
            return index;
        default:
            return CB_ERR;
    }
}

}  // namespace qv::qtui
