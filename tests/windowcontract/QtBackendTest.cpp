// What only the Qt window system has to show: the templates laid out from dialog units with
// Japanese captions that have glyphs, texts decoded for display, and its file dialogs and
// message boxes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QFontInfo>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <cstring>

#include "framework/Dialog.h"
#include "platform/qt/QtDialogUnits.h"
#include "platform/qt/QtFileDialogs.h"
#include "platform/qt/QtText.h"
#include "platform/qt/QtWindowSystem.h"
#include "res/resource.h"
#include "tests/windowcontract/QtTestApplication.h"

using qv::qtui::QtWindowSystem;
using ::testing::ElementsAre;

namespace {

std::string Utf8(const QString& text) {
    return text.toUtf8().toStdString();
}

// Pixels for dialog units, worked out here from the font as the classic dialog manager does.
int Across(const QFont& font, int units) {
    QFontMetrics metrics(font);
    int average = (metrics.horizontalAdvance(
                       QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) /
                       26 +
                   1) /
                  2;
    return (units * average + 2) / 4;
}
int Down(const QFont& font, int units) {
    return (units * QFontMetrics(font).height() + 4) / 8;
}
QRect Expected(const QFont& font, int x, int y, int w, int h) {
    return QRect(Across(font, x), Down(font, y), Across(font, w), Down(font, h));
}

// A dialog procedure that notes the id of every command; WM_INITDIALOG brings where to.
std::vector<int>* g_pCommands = nullptr;
std::int32_t RecordCommands(qv::HWND, std::uint32_t message, std::uintptr_t wParam,
                            std::intptr_t lParam, std::intptr_t* pResult) {
    if (message == WM_INITDIALOG) {
        g_pCommands = reinterpret_cast<std::vector<int>*>(lParam);
        *pResult = 1;
        return 1;
    }
    if (message == WM_COMMAND) g_pCommands->push_back(qv::LoWord(wParam));
    return 0;
}

class QtBackendTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureQtApplication();
        system = std::make_unique<QtWindowSystem>();
        previous = qv::InstallWindowSystem(system.get());
    }
    void TearDown() override {
        qv::InstallWindowSystem(previous);
        system.reset();
    }

    // Opens the program's template `id` on a plain dialog and runs `checks` while it is shown.
    void WithDialog(std::uint32_t id, const std::function<void(qv::HWND)>& checks) {
        system->SetDialogShownHook([&](qv::HWND hDlg, std::uint32_t) {
            QTimer::singleShot(0, system->WidgetOf(hDlg), [&, hDlg] {
                checks(hDlg);
                qv::EndDialog(hDlg, IDCANCEL);
            });
        });
        CDialog dialog(id);
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    }

    QWidget* Control(qv::HWND hDlg, int id) { return system->WidgetOf(qv::GetDlgItem(hDlg, id)); }

    std::unique_ptr<QtWindowSystem> system;
    qv::IWindowSystem* previous = nullptr;
};

TEST_F(QtBackendTest, PlayerWindowIsLaidOutFromItsDialogUnitsInAFontWithJapaneseGlyphs) {
    WithDialog(IDD_PLAYER, [&](qv::HWND hDlg) {
        QWidget* window = system->WidgetOf(hDlg);
        const QFont font = window->font();
        EXPECT_TRUE(QFontMetrics(font).inFontUcs4(0x958B)) << Utf8(QFontInfo(font).family());
        EXPECT_EQ(window->size(), Expected(font, 0, 0, 247, 169).size());
        EXPECT_EQ(Control(hDlg, IDC_PLAYLIST)->geometry(), Expected(font, 6, 21, 216, 102));
        EXPECT_FALSE(window->windowIcon().isNull());

        EXPECT_EQ(Utf8(static_cast<QPushButton*>(Control(hDlg, IDC_OPEN))->text()), "開く(&O)");
        EXPECT_FALSE(Control(hDlg, IDC_RANDOM)->isVisible());

        // A label's access key leads to the control after it; the tab order is the template's.
        QLabel* listLabel = nullptr;
        for (QLabel* label : window->findChildren<QLabel*>()) {
            if (Utf8(label->text()) == "演奏リスト(&Y)") listLabel = label;
        }
        ASSERT_NE(listLabel, nullptr);
        EXPECT_EQ(listLabel->buddy(), Control(hDlg, IDC_PLAYLIST));
        std::vector<QWidget*> chain;
        QWidget* next = Control(hDlg, IDC_DISPLAYMODE);
        for (int i = 0; i < 4; ++i) {
            chain.push_back(next);
            do {
                next = next->nextInFocusChain();
            } while (!(next->focusPolicy() & Qt::TabFocus));
        }
        EXPECT_THAT(chain, ElementsAre(Control(hDlg, IDC_DISPLAYMODE), Control(hDlg, IDC_PLAYLIST),
                                       Control(hDlg, IDC_QUIT), Control(hDlg, IDC_PLAY)));
    });
}

TEST_F(QtBackendTest, OptionsCaptionsShowTheMarkedLetterAsTheirAccessKeyButReadBackAsStored) {
    WithDialog(IDD_OPTIONS, [&](qv::HWND hDlg) {
        EXPECT_EQ(Utf8(static_cast<QAbstractButton*>(Control(hDlg, IDC_ASKQUIT))->text()),
                  "終了確認(&Qｼ)");
        char bytes[64] = {};
        qv::GetWindowTextA(qv::GetDlgItem(hDlg, IDC_ASKQUIT), bytes, sizeof bytes);
        EXPECT_STREQ(bytes, "終了確認(\x1eQ\x1fｼ)");
    });
}

TEST(QtText, BytesThatAreNotUtf8AreShownAsShiftJisThenLatin1) {
    EXPECT_EQ(Utf8(qv::qtui::ToDisplay("ソナタ")), "ソナタ");
    EXPECT_EQ(Utf8(qv::qtui::ToDisplay("\x83\x5C\x83\x69\x83\x5E")), "ソナタ");
    EXPECT_EQ(Utf8(qv::qtui::ToDisplay("caf\xE9")), "café");  // not Shift-JIS either
    EXPECT_EQ(Utf8(qv::qtui::ToDisplay("\x83\x5C\x83")), "\xC2\x83\\\xC2\x83");  // cut short
    EXPECT_EQ(qv::qtui::FromDisplay(qv::qtui::ToDisplay("ソナタ")), "ソナタ");
}

TEST(QtText, AccessKeyMarksBecomeAmpersandsOrGo) {
    using qv::qtui::CaptionToDisplay;
    EXPECT_EQ(Utf8(CaptionToDisplay("参照(\x1e"
                                    "B\x1f"
                                    "ｻ)...")),
              "参照(&Bｻ)...");
    EXPECT_EQ(Utf8(CaptionToDisplay("R&B (\x1e"
                                    "Q\x1f)")),
              "R&&B (&Q)");  // "&" is literal there
    EXPECT_EQ(Utf8(CaptionToDisplay("&PLAY")), "&PLAY");
    EXPECT_EQ(Utf8(CaptionToDisplay("\x1e")), "\x1e");  // a lone mark is not a form
    EXPECT_EQ(Utf8(qv::qtui::WithoutAccessKeys(QStringLiteral("表示(&A): R&&B"))), "表示(A): R&B");
}

TEST_F(QtBackendTest, ListShowsTitlesDecodedWhileTheProgramReadsItsOwnBytes) {
    WithDialog(IDD_PLAYER, [&](qv::HWND hDlg) {
        qv::HWND hList = qv::GetDlgItem(hDlg, IDC_PLAYLIST);
        const char* title = "\x83\x5C\x83\x69\x83\x5E";
        qv::SendMessageA(hList, LB_ADDSTRING, 0, reinterpret_cast<std::intptr_t>(title));
        auto* list = static_cast<QListWidget*>(Control(hDlg, IDC_PLAYLIST));
        EXPECT_EQ(Utf8(list->item(0)->text()), "ソナタ");
        char bytes[16] = {};
        EXPECT_EQ(qv::SendMessageA(hList, LB_GETTEXT, 0, reinterpret_cast<std::intptr_t>(bytes)),
                  6);
        EXPECT_STREQ(bytes, title);
    });
}

TEST_F(QtBackendTest, EnterOnAFocusedPushButtonClicksThatButton) {
    std::vector<int> commands;
    system->SetDialogShownHook([&](qv::HWND hDlg, std::uint32_t) {
        QTimer::singleShot(0, system->WidgetOf(hDlg), [&, hDlg] {
            QWidget* open = Control(hDlg, IDC_OPEN);
            open->setFocus();
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
            QApplication::sendEvent(open, &press);
            qv::EndDialog(hDlg, IDOK);
        });
    });
    EXPECT_EQ(qv::DialogBoxParamA(IDD_PLAYER, nullptr, &RecordCommands,
                                  reinterpret_cast<std::intptr_t>(&commands)),
              IDOK);
    EXPECT_THAT(commands, ElementsAre(IDC_OPEN));
}

TEST(QtFileDialogs, TheProgramsFilterMatchesNamesInAnyCaseAndStarDotStarMatchesAll) {
    const char filter[] =
        "MIDIファイル(*.MID)\0*.MID\0リストファイル(*.qvl)\0*.qvl;*.QVT\0"
        "すべてのファイル(*.*)\0*.*\0";
    std::vector<qv::qtui::NameFilter> filters = qv::qtui::ParseFilter(filter);
    ASSERT_EQ(filters.size(), 3u);
    EXPECT_EQ(Utf8(qv::qtui::ToQtNameFilter(filters[0])), "MIDIファイル(*.MID) (*.[mM][iI][dD])");
    EXPECT_EQ(Utf8(qv::qtui::ToQtNameFilter(filters[1])),
              "リストファイル(*.qvl) (*.[qQ][vV][lL] *.[qQ][vV][tT])");
    EXPECT_EQ(Utf8(qv::qtui::ToQtNameFilter(filters[2])), "すべてのファイル(*.*) (*)");
    EXPECT_EQ(Utf8(qv::qtui::CaseInsensitivePattern(QStringLiteral("[1].m?d"))),
              "[[]1[]].[mM]?[dD]");
}

TEST(QtFileDialogs, OpenAnswersKeepBlanksInTheExplorerFormAndRefuseWhatDoesNotFit) {
    std::uint16_t offset = 0;
    EXPECT_EQ(qv::qtui::OpenAnswer({"/m/a b.mid"}, false, &offset), "/m/a b.mid");
    EXPECT_EQ(offset, 3);
    const std::vector<std::string> two = {"/m/a b.mid", "/m/c.mid"};
    EXPECT_EQ(qv::qtui::OpenAnswer(two, false, &offset), "/m a b.mid c.mid");
    EXPECT_EQ(qv::qtui::OpenAnswer(two, true, &offset), std::string("/m\0a b.mid\0c.mid\0", 17));
    EXPECT_EQ(offset, 3);
    EXPECT_EQ(qv::qtui::OpenAnswer({"/a.mid", "/b.mid"}, true, &offset),
              std::string("/\0a.mid\0b.mid\0", 14));

    char buffer[8];
    std::memset(buffer, 'x', sizeof buffer);
    qv::OPENFILENAMEA ofn{};
    ofn.lpstrFile = buffer;
    ofn.nMaxFile = sizeof buffer;
    EXPECT_FALSE(qv::qtui::StoreAnswer(&ofn, "/m/a.mid", 3, 6));  // needs 9 bytes
    EXPECT_EQ(buffer[0], 'x');
    EXPECT_TRUE(qv::qtui::StoreAnswer(&ofn, "/m/a.mi", 3, 6));
    EXPECT_STREQ(buffer, "/m/a.mi");
    EXPECT_EQ(ofn.nFileExtension, 6);
    EXPECT_EQ(qv::qtui::ExtensionOffset("/m.d/name"), 0);
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
    const std::string folderBytes = folder.path().toStdString();
    EXPECT_EQ(std::string(buffer.data()), folderBytes);
    EXPECT_EQ(std::string(buffer.data() + ofn.nFileOffset), "a b.mid");
    EXPECT_EQ(std::string(buffer.data() + ofn.nFileOffset + 8), "c.MID");
    EXPECT_EQ(buffer[ofn.nFileOffset + 8 + 6], '\0');  // the list's final zero
}

TEST_F(QtBackendTest, MessageBoxesShowCaptionTextIconAndButtonsAndAnswerTheButton) {
    QTimer::singleShot(0, [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(Utf8(box->windowTitle()), "Quavel");
        EXPECT_EQ(Utf8(box->text()), "終了しますか?");
        EXPECT_EQ(box->icon(), QMessageBox::Warning);
        EXPECT_EQ(box->buttons().size(), 2);
        box->button(QMessageBox::Cancel)->click();
    });
    EXPECT_EQ(qv::MessageBoxA(nullptr, "終了しますか?", "Quavel", MB_OKCANCEL | MB_ICONEXCLAMATION),
              IDCANCEL);
}

}  // namespace
