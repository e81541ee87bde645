// The program's two ends: start-up with and without files and with stored settings, the system
// menu, and the quit sequence with what it leaves in the registry file.
#include <gmock/gmock.h>

#include <filesystem>

#include "app/QvApp.h"
#include "res/resource.h"
#include "tests/support/PlayerFixture.h"

using qv::headless::DialogDriver;
using ::testing::IsSupersetOf;

namespace {

class StartQuitTest : public PlayerFixture {
protected:
    // Runs the whole program: the application object with this command line and the user's body;
    // the dialog then ends without the quit sequence unless the body ended it.
    void RunProgram(const std::vector<std::string>& args,
                    const std::function<void(CPlayerDlg&, DialogDriver&)>& body) {
        CQvApp app;
        std::vector<const char*> argv;
        for (const std::string& a : args) argv.push_back(a.c_str());
        app.SetCommandLinePieces(static_cast<int>(argv.size()), argv.data());
        RunApp(app, body);
    }

    void RunApp(CQvApp& app, const std::function<void(CPlayerDlg&, DialogDriver&)>& body) {
        windows.OnDialog(IDD_PLAYER, [&](DialogDriver& d) {
            body(*static_cast<CPlayerDlg*>(app.m_pMainWnd), d);
            if (!d.IsEnded()) qv::EndDialog(d.Handle(), IDCANCEL);
        });
        EXPECT_FALSE(app.InitInstance());
    }

    static bool IsCentred(DialogDriver& d) {
        using Screen = qv::headless::HeadlessWindowSystem;
        const qv::RECT r = d.WindowRect();
        return r.left == (Screen::kScreenWidth - (r.right - r.left)) / 2 &&
               r.top == (Screen::kScreenHeight - (r.bottom - r.top)) / 2;
    }
};

// A cancelled question leaves everything running; the music stops only when the dialog object
// goes, after the settings are written.
TEST_F(StartQuitTest, StartsWithFilesPlaysTheFirstAndStoresTheSettingsAtQuit) {
    const std::string a = Song("a.mid", 3000);
    const std::string b = Song("b.mid", 1500);
    windows.AnswerMessageBox(IDCANCEL);
    windows.AnswerMessageBox(IDOK);
    RunProgram({a, b}, [&](CPlayerDlg& dlg, DialogDriver& d) {
        EXPECT_EQ(d.Lines(IDC_PLAYLIST), (std::vector<std::string>{a, b}));
        EXPECT_EQ(dlg.m_nCurrent, 0);
        EXPECT_EQ(d.Text(IDC_PLAY), "&PAUSE");
        ASSERT_TRUE(d.ChooseItem(IDC_DISPLAYMODE, 1));
        Run(1000);
        ASSERT_TRUE(d.PressEscape());
        EXPECT_FALSE(d.IsEnded());
        EXPECT_TRUE(d.HasTimer(CPlayerDlg::TIMER_POSITION));
        EXPECT_TRUE(StoredSettings().empty());
        Run(1000);
        EXPECT_EQ(d.Text(IDC_POSITION), "00:02");
        ASSERT_TRUE(d.Click(IDC_QUIT));
        EXPECT_TRUE(d.IsEnded());
        EXPECT_TRUE(dlg.m_device.IsOpen());
        EXPECT_FALSE(StoredSettings().empty());
    });
    ASSERT_EQ(windows.MessageBoxes().size(), 2u);
    for (const auto& box : windows.MessageBoxes()) {
        EXPECT_EQ(box.text, "終了しますか?");
        EXPECT_EQ(box.caption, "Quavel");
        EXPECT_EQ(box.type, static_cast<std::uint32_t>(MB_OKCANCEL));
    }
    // Centred on the 1280 x 1024 screen: the window is 500 x 363 pixels. YesAutoDoc was read when
    // the entry started.
    EXPECT_EQ(
        StoredSettings(),
        (std::vector<std::string>{"\"DisplayMode\"=dword:00000001", "\"WindowPosX\"=dword:00000186",
                                  "\"WindowPosY\"=dword:0000014a", "\"YesAskQuit\"=dword:00000001",
                                  "\"YesAutoDoc\"=dword:00000000", "\"YesLoop\"=dword:00000000",
                                  "\"YesRandomize\"=dword:00000000"}));
}

// Unknown values surviving a run: the settings store's tests and the end-to-end test.
TEST_F(StartQuitTest, StoredSettingsAreRestored) {
    StoreSettings(
        "\"DisplayMode\"=dword:00000002\r\n"
        "\"YesLoop\"=dword:00000001\r\n"
        "\"WindowPosX\"=dword:00000064");
    windows.AnswerMessageBox(IDOK);
    RunProgram({}, [&](CPlayerDlg& dlg, DialogDriver& d) {
        EXPECT_EQ(d.Selection(IDC_DISPLAYMODE), 2);
        EXPECT_EQ(dlg.m_list.m_nDisplayMode, 2);
        EXPECT_EQ(d.Check(IDC_LOOP), BST_CHECKED);
        // WindowPosY missing: the top edge is at row 0.
        EXPECT_EQ(d.WindowRect().left, 100);
        EXPECT_EQ(d.WindowRect().top, 0);
        EXPECT_TRUE(d.IsVisible());
        EXPECT_FALSE(d.IsTopmost());
        ASSERT_TRUE(d.Click(IDC_QUIT));
    });
    EXPECT_EQ(StoredSettings(),
              (std::vector<std::string>{
                  "\"DisplayMode\"=dword:00000002", "\"WindowPosX\"=dword:00000064",
                  "\"WindowPosY\"=dword:00000000", "\"YesAskQuit\"=dword:00000001",
                  "\"YesLoop\"=dword:00000001", "\"YesRandomize\"=dword:00000000"}));

    // A mode the selector does not offer selects nothing; its lines stay empty until the user
    // chooses one (the list-editing tests).
    StoreSettings("\"DisplayMode\"=dword:00000007");
    RunProgram({}, [&](CPlayerDlg& dlg, DialogDriver& d) {
        EXPECT_LT(d.Selection(IDC_DISPLAYMODE), 0);
        EXPECT_EQ(dlg.m_list.m_nDisplayMode, 7);
    });
}

// A first start without files is idle and centred.
TEST_F(StartQuitTest, QuitWhileMinimisedKeepsTheStoredPlace) {
    windows.AnswerMessageBox(IDOK);
    RunProgram({}, [&](CPlayerDlg& dlg, DialogDriver& d) {
        EXPECT_TRUE(IsCentred(d));
        EXPECT_EQ(TransportState(d), "0000");
        for (int id : {IDC_SHUFFLE, IDC_CLEAR, IDC_REMOVE, IDC_EDIT, IDC_DOCUMENT})
            EXPECT_FALSE(d.IsEnabled(id)) << id;
        EXPECT_EQ(d.Text(IDC_POSITION), "00:00");
        EXPECT_TRUE(d.HasTimer(CPlayerDlg::TIMER_POSITION));
        EXPECT_TRUE(d.AcceptsDrops());
        EXPECT_FALSE(dlg.m_device.IsOpen());

        // Our items below the platform's own, the transport grayed like its buttons; About last.
        const std::vector<qv::headless::MenuItem> menu = d.SystemMenu();
        ASSERT_GE(menu.size(), 7u);
        std::string ours;
        for (auto item = menu.end() - 7; item != menu.end(); ++item)
            ours += (item->IsGrayed() ? "-" : "") + item->text + "|";
        EXPECT_EQ(ours, "|-&PLAY|-S&TOP|-PREV(&<)|-NEXT(&>)||バージョン情報(&A)...|");
        ASSERT_TRUE(d.Minimise());
        ASSERT_TRUE(d.PressCloseBox());
    });
    // WindowPosY was never read on a first start, so it is not written either.
    EXPECT_EQ(
        StoredSettings(),
        (std::vector<std::string>{"\"DisplayMode\"=dword:00000000", "\"WindowPosX\"=dword:7fffffff",
                                  "\"YesAskQuit\"=dword:00000001", "\"YesLoop\"=dword:00000000",
                                  "\"YesRandomize\"=dword:00000000"}));
    // And the next start centres the window again.
    RunProgram({}, [&](CPlayerDlg&, DialogDriver& d) { EXPECT_TRUE(IsCentred(d)); });
}

// Enter is the OK command: it quits like Esc, asking first and keeping what changed.
TEST_F(StartQuitTest, EnterQuitsLikeEscapeAndWithoutTheQuestionBothEndAtOnce) {
    StoreSettings("\"YesLoop\"=dword:00000000");
    windows.AnswerMessageBox(IDOK);
    RunProgram({}, [&](CPlayerDlg&, DialogDriver& d) {
        ASSERT_TRUE(d.Click(IDC_LOOP));
        ASSERT_TRUE(d.ChooseItem(IDC_DISPLAYMODE, 1));
        ASSERT_TRUE(d.PressEnter());
    });
    EXPECT_EQ(windows.MessageBoxes().size(), 1u);
    EXPECT_THAT(StoredSettings(),
                IsSupersetOf({"\"DisplayMode\"=dword:00000001", "\"WindowPosY\"=dword:0000014a",
                              "\"YesLoop\"=dword:00000001"}));

    StoreSettings("\"YesAskQuit\"=dword:00000000");
    RunProgram({}, [&](CPlayerDlg&, DialogDriver& d) { ASSERT_TRUE(d.PressEnter()); });
    RunProgram({}, [&](CPlayerDlg&, DialogDriver& d) { ASSERT_TRUE(d.PressEscape()); });
    EXPECT_EQ(windows.MessageBoxes().size(), 1u);
    EXPECT_EQ(StoredSettings().size(), 6u);
}

// Pieces from the shell stand as given, long ones included; a command-line
// text is split at blanks.
TEST_F(StartQuitTest, CommandLinePiecesStandAsGivenButATextIsSplitAtBlanks) {
#ifdef _WIN32
    GTEST_SKIP() << "the ANSI file calls stop at 260 bytes on Windows";
#endif
    const std::string a = Song("a.mid", 1000);
    const std::string b = Song("b.mid", 1000);
    const std::string spaced = Song("my song.mid", 1000);
    // Longer than the original platform's 260 bytes, within the system's own path limit.
    std::string folder = dir.Path();
    while (folder.size() < 300) folder += "/" + std::string(60, 'x');
    std::filesystem::create_directories(folder);
    const std::string deep = folder + "/deep.mid";
    std::filesystem::copy_file(a, deep);
    RunProgram({"", spaced, deep}, [&](CPlayerDlg& dlg, DialogDriver& d) {
        EXPECT_EQ(d.Lines(IDC_PLAYLIST), (std::vector<std::string>{spaced, deep}));
        EXPECT_EQ(dlg.m_bPlaying, 1);
    });
    CQvApp app;
    const std::string text = "  " + a + "   " + b + " ";
    app.m_lpCmdLine = text.c_str();
    RunApp(app, [&](CPlayerDlg& dlg, DialogDriver& d) {
        EXPECT_EQ(d.Lines(IDC_PLAYLIST), (std::vector<std::string>{a, b}));
        EXPECT_EQ(dlg.m_bPlaying, 1);
    });

    // Unquoted, a path with a blank arrives in two pieces, neither of which is a file.
    app.m_lpCmdLine = spaced.c_str();
    RunApp(app, [&](CPlayerDlg& dlg, DialogDriver& d) {
        EXPECT_TRUE(d.Lines(IDC_PLAYLIST).empty());
        EXPECT_EQ(dlg.m_bPlaying, 0);
        EXPECT_EQ(TransportState(d), "0000");
    });
    EXPECT_TRUE(windows.MessageBoxes().empty());
}

}  // namespace
