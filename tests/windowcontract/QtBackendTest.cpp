// What only the Qt window system can get wrong: dialog units turned into pixels, texts that fit
// their controls, texts decoded for display while the program reads its own bytes, and its file
// dialog.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QListView>
#include <QStyle>
#include <QTemporaryDir>
#include <QTimer>

#include "framework/Dialog.h"
#include "platform/Installed.h"
#include "platform/language.h"
#include "platform/qt/QtWindowSystem.h"
#include "platform/strings.h"
#include "res/resource.h"
#include "tests/windowcontract/QtTestApplication.h"

using qv::qtui::QtWindowSystem;

namespace {

std::string Utf8(const QString& text) {
    return text.toUtf8().toStdString();
}

class QtBackendTest : public ::testing::Test {
protected:
    // Opens the program's template `id` on a plain dialog and runs `checks` while it is shown.
    void WithDialog(std::uint32_t id, const std::function<void(qv::HWND)>& checks) {
        system.SetDialogShownHook([&](qv::HWND hDlg, std::uint32_t) {
            QTimer::singleShot(0, system.WidgetOf(hDlg), [&, hDlg] {
                checks(hDlg);
                qv::EndDialog(hDlg, IDCANCEL);
            });
        });
        CDialog dialog(id);
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    }

    QWidget* Control(qv::HWND hDlg, int id) { return system.WidgetOf(qv::GetDlgItem(hDlg, id)); }

    void CheckLayout(std::uint32_t id, qv::HWND hDlg) {
        QWidget* dialog = system.WidgetOf(hDlg);
        if (id == IDD_PLAYER) {
            EXPECT_EQ(dialog->size(), QSize(494, 338));
            EXPECT_EQ(Control(hDlg, IDC_PLAYLIST)->geometry(), QRect(12, 42, 432, 204));
            qv::SetWindowTextA(qv::GetDlgItem(hDlg, IDC_POSITION), "100:00");
            // A Shift-JIS title is shown decoded; the program reads back its own bytes (the
            // contract's list case).
            qv::SendMessageA(qv::GetDlgItem(hDlg, IDC_PLAYLIST), LB_ADDSTRING, 0,
                             reinterpret_cast<std::intptr_t>("\x83\x5C\x83\x69\x83\x5E"));
            auto* list = static_cast<QListView*>(Control(hDlg, IDC_PLAYLIST));
            EXPECT_EQ(Utf8(list->model()->index(0, 0).data().toString()), "ソナタ");
            for (int named : {IDC_PLAYLIST, IDC_UP, IDC_REMOVE, IDC_CLEAR, IDC_DOWN, IDC_SHUFFLE}) {
                EXPECT_EQ(Utf8(Control(hDlg, named)->accessibleName()),
                          qv::LoadResourceString(static_cast<std::uint32_t>(named)));
                EXPECT_EQ(Control(hDlg, named)->toolTip(), Control(hDlg, named)->accessibleName());
            }
            EXPECT_EQ(Utf8(Control(hDlg, IDC_UP)->accessibleName()),
                      qv::UiLanguage() == qv::Language::English ? "Move up" : "上へ移動");
        }
        for (QLabel* label : dialog->findChildren<QLabel*>()) {
            EXPECT_LE(label->sizeHint().width(), label->width()) << Utf8(label->text());
            EXPECT_LE(label->fontMetrics().height(), label->height()) << Utf8(label->text());
        }
        for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>()) {
            if (button->isHidden()) continue;
            int room = button->width();
            if (qobject_cast<QCheckBox*>(button)) {
                room -= button->style()->pixelMetric(QStyle::PM_IndicatorWidth) +
                        button->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing);
            }
            QString text = button->text().remove(QLatin1Char('&'));
            EXPECT_LE(button->fontMetrics().horizontalAdvance(text), room) << Utf8(text);
        }
    }

    bool m_application = (EnsureQtApplication(), true);  // before any window system
    QtWindowSystem system;
    qv::Installed<qv::IWindowSystem, qv::InstallWindowSystem> installed{system};
};

// The templates' "System" font has cells of 8 x 16 pixels at 96 dpi, which the offscreen screen
// has: the layout is the original's, every caption of every language fits its control, as does
// the longest read-out, and the controls captioned with a symbol have names in that language.
TEST_F(QtBackendTest, TemplatesAreLaidOutOnTheSystemFontsCellsAndTheirTextsFitAndDecode) {
    for (qv::Language language : qv::res::kLanguages) {
        qv::SetUiLanguage(language);
        for (std::uint32_t id : {IDD_PLAYER, IDD_OPTIONS, IDD_ABOUTBOX}) {
            WithDialog(id, [&](qv::HWND hDlg) { CheckLayout(id, hDlg); });
        }
    }
    qv::SetUiLanguage(qv::Language::Japanese);
}

TEST_F(QtBackendTest, OpenDialogAnswersSeveralFilesWithBlanksInTheExplorerForm) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    for (const char* name : {"a b.mid", "c.MID"}) {
        QFile file(folder.filePath(QString::fromUtf8(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFiles);
        EXPECT_EQ(Utf8(dialog->windowTitle()), "参照");
        dialog->setDirectory(folder.path());
        dialog->selectFile(QStringLiteral("\"a b.mid\" \"c.MID\""));
        static_cast<QDialog*>(dialog)->accept();
    });
    std::vector<char> buffer(1024, '\0');
    qv::OPENFILENAMEA ofn{};
    ofn.lpstrFilter = "MIDI\0*.mid\0\0";
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = static_cast<std::uint32_t>(buffer.size());
    ofn.lpstrTitle = "参照";
    ofn.Flags = OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST | OFN_EXPLORER;
    ASSERT_EQ(qv::GetOpenFileNameA(&ofn), 1);
    EXPECT_EQ(std::string(buffer.data()), folder.path().toStdString());
    EXPECT_EQ(std::string(buffer.data() + ofn.nFileOffset), "a b.mid");
    EXPECT_EQ(std::string(buffer.data() + ofn.nFileOffset + 8), "c.MID");
    EXPECT_EQ(buffer[ofn.nFileOffset + 8 + 6], '\0');  // the list's final zero
}

}  // namespace
