// What the headless window system adds to the window-seam contract: a virtual clock, a script of
// the user's answers, and failures for whatever a test left unscripted. (What the user cannot do
// is refused on both backends: the contract's cases.)
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

#include "app/PlayerDlg.h"
#include "framework/FileDialog.h"
#include "framework/WinApp.h"
#include "platform/files.h"
#include "res/DialogTemplate.h"
#include "res/resource.h"
#include "tests/support/WindowContractDialog.h"
#include "tests/support/WindowTestFixture.h"

using qv::headless::DialogDriver;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

class HeadlessWindowTest : public WindowTestFixture {
protected:
    void SetUp() override {
        WindowTestFixture::SetUp();
        windows.AddTemplate(ContractTemplate());
        windows.AddTemplate(ContractChildTemplate());
    }

    // Runs the dialog with `actions` as its user; Esc ends it unless the actions did.
    INT_PTR Run(const std::function<void(DialogDriver&)>& actions) {
        windows.OnDialog(IDD_CONTRACT, [&](DialogDriver& user) {
            actions(user);
            EXPECT_TRUE(user.IsEnded() || user.PressEscape());
        });
        return dlg.DoModal();
    }

    // Collects what the script reports instead of failing the test.
    std::vector<std::string>& CollectFailures() {
        windows.SetFailureHandler([this](const std::string& what) { failures.push_back(what); });
        return failures;
    }

    CContractDlg dlg;
    std::vector<std::string> failures;
};

TEST_F(HeadlessWindowTest, TimersFollowTheVirtualClockAndPostedMessagesGoFirst) {
    dlg.m_onInit = [](CContractDlg& d) {
        d.SetTimer(10, 200);
        d.SetTimer(11, 300);
    };
    Run([&](DialogDriver& user) {
        user.AdvanceClock(199);
        EXPECT_EQ(qv::PostWindowMessage(dlg.GetSafeHwnd(), MM_MCINOTIFY, 1, 2), 1);
        EXPECT_TRUE(dlg.m_log.empty()) << "a posted message waits for the loop";
        user.AdvanceClock(401);  // 200: 10, 300: 11, 400: 10, 600: both, the one set first first
        user.AdvanceClock(50);
        EXPECT_EQ(dlg.SetTimer(10, 200), 10u);  // set again at 650: next at 850
        user.AdvanceClock(199);
        dlg.Log("849");
        user.AdvanceClock(1);
        EXPECT_TRUE(dlg.KillTimer(10));
        EXPECT_TRUE(dlg.KillTimer(11));
        EXPECT_FALSE(user.HasTimer(11));
        user.AdvanceClock(1000);
    });
    EXPECT_THAT(dlg.m_log, ElementsAre("notify 1 2", "timer 10", "timer 11", "timer 10", "timer 10",
                                       "timer 11", "849", "timer 10", "cancel"));
    EXPECT_EQ(windows.Now(), 1850u);
}

TEST_F(HeadlessWindowTest, UnscriptedAbandonedOrFailingDialogsEndWithoutCrossingTheSeam) {
    CollectFailures();
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    windows.OnDialog(IDD_CONTRACT, [](DialogDriver&) {});
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(CDialog(4242).DoModal(), -1);  // no such template
    ASSERT_EQ(failures.size(), 3u);
    EXPECT_THAT(failures[0], HasSubstr("dialog 9100 opened without a scripted handler"));
    EXPECT_THAT(failures[1], HasSubstr("still open"));

    dlg.m_onInit = [](CContractDlg&) { throw std::runtime_error("out of memory"); };
    EXPECT_EQ(dlg.DoModal(), -1);
    EXPECT_EQ(dlg.GetSafeHwnd(), nullptr);
}

TEST_F(HeadlessWindowTest, DataExchangeBindsWhileTheDialogLivesAndWithoutAParentTheMainWindowOwns) {
    qv::HWND hList = nullptr;
    CWinApp app;
    app.m_pMainWnd = &dlg;
    Run([&](DialogDriver& user) {
        hList = dlg.m_list.GetSafeHwnd();
        EXPECT_EQ(hList, user.Control(IDC_C_LIST));
        EXPECT_EQ(CWnd::FromHandlePermanent(hList), &dlg.m_list);
        dlg.UpdateData(FALSE);
        EXPECT_EQ(dlg.m_list.GetSafeHwnd(), hList) << "bound once";
        windows.OnDialog(IDD_CONTRACT_CHILD, [&](DialogDriver& child) {
            EXPECT_FALSE(user.Click(IDC_C_GO));
            ASSERT_TRUE(child.PressEscape());
        });
        EXPECT_EQ(CDialog(IDD_CONTRACT_CHILD).DoModal(), IDCANCEL);
    });
    EXPECT_EQ(dlg.m_list.GetSafeHwnd(), nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(hList), nullptr);
}

TEST_F(HeadlessWindowTest, TheMinimisedPlayerPaintsItsIconCentredAndDragsIt) {
    CPlayerDlg player;
    windows.OnDialog(IDD_PLAYER, [&](DialogDriver& user) {
        user.Paint();
        EXPECT_TRUE(user.DrawnIcons().empty());
        ASSERT_TRUE(user.Minimise());
        user.Paint();
        ASSERT_EQ(user.DrawnIcons().size(), 1u);
        CRect client;
        player.GetClientRect(&client);
        EXPECT_EQ(user.DrawnIcons()[0].x,
                  (client.Width() - qv::GetSystemMetrics(SM_CXICON) + 1) / 2);
        EXPECT_NE(user.DrawnIcons()[0].icon, nullptr);
        EXPECT_EQ(user.IconBackgroundErasures(), 1);
        EXPECT_EQ(player.SendMessageA(WM_QUERYDRAGICON),
                  reinterpret_cast<LRESULT>(user.DrawnIcons()[0].icon));
        player.EndDialog(IDOK);
    });
    player.DoModal();
}

TEST_F(HeadlessWindowTest, MessageBoxesTakeTheScriptedAnswersOrTheSafeButton) {
    CollectFailures();
    windows.AnswerMessageBox(IDCANCEL);
    windows.AnswerMessageBox(IDCANCEL);  // an OK-only box has no Cancel
    EXPECT_EQ(AfxMessageBox("終了しますか?", MB_OKCANCEL), IDCANCEL);
    EXPECT_EQ(AfxMessageBox(IDS_READ_FAILED, MB_OK | MB_ICONEXCLAMATION), IDOK);
    EXPECT_EQ(AfxMessageBox("quit?", MB_OKCANCEL), IDCANCEL);
    {
        CWinApp app("Other name");
        windows.AnswerMessageBox(IDOK);
        AfxMessageBox("named");
    }
    const auto& asked = windows.MessageBoxes();
    ASSERT_EQ(asked.size(), 4u);
    EXPECT_EQ(asked[0].caption, "Quavel");  // no application object: the product name
    EXPECT_EQ(asked[1].text, "読み込みに失敗しました");
    EXPECT_EQ(asked[3].caption, "Other name");
    ASSERT_EQ(failures.size(), 2u);
    EXPECT_THAT(failures[0], HasSubstr("not a button"));
    EXPECT_THAT(failures[1], HasSubstr("\"quit?\" appeared without a scripted answer"));
}

// The save dialog adds the default extension only when the name has none; a choice that does not
// fit is refused rather than cut, while a multiple selection has room for many long names.
TEST_F(HeadlessWindowTest, FileDialogsAnswerWhatWasChosenWholeOrNothing) {
    for (const char* typed :
         {"/tmp/list", "/tmp/v1.2/list"}) {  // a dot in a folder is no extension
        windows.AnswerFileDialog(typed);
        CFileDialog save(FALSE, "qvl", nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, "*.qvl||");
        ASSERT_EQ(save.DoModal(), IDOK) << typed;
        EXPECT_EQ(save.GetPathName(), CString(typed) + ".qvl");
    }
    windows.AnswerFileDialog("/" + std::string(300, 'd') + "/song.mid");
    CFileDialog single(TRUE, nullptr, "initial.mid", OFN_HIDEREADONLY, "*.mid||");
    EXPECT_EQ(single.DoModal(), IDCANCEL);
    EXPECT_EQ(single.GetPathName(), "initial.mid");
    std::string many = "/music";
    for (int i = 0; i < 40; ++i) many += " " + std::string(100, 'n') + std::to_string(i) + ".mid";
    windows.AnswerFileDialog(many);
    CFileDialog multiple(TRUE, nullptr, nullptr, OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST,
                         "*.mid||");
    ASSERT_EQ(multiple.DoModal(), IDOK);
    EXPECT_EQ(multiple.GetSelectionText(), CString(many));
    CStringArray aPaths;
    EXPECT_FALSE(multiple.GetPathNames(aPaths));  // the text form is the program's to parse
    // The explorer form splits itself, and a root keeps one separator. (Several names with blanks
    // through the Open button: the list-adding tests.)
    const std::string sep(1, qv::GetPathSeparator());
    windows.AnswerFileDialog(sep + std::string("\0a.mid\0b.mid\0", 13));
    CFileDialog explorer(TRUE, nullptr, nullptr, OFN_ALLOWMULTISELECT | OFN_EXPLORER, "*.mid||");
    ASSERT_EQ(explorer.DoModal(), IDOK);
    ASSERT_TRUE(explorer.GetPathNames(aPaths));
    ASSERT_EQ(aPaths.GetSize(), 2);
    EXPECT_EQ(aPaths[0], CString(sep + "a.mid"));
    EXPECT_EQ(aPaths[1], CString(sep + "b.mid"));

    CollectFailures();
    EXPECT_EQ(CFileDialog(FALSE, "qvl").DoModal(), IDCANCEL);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_THAT(failures[0], HasSubstr("save dialog appeared without a scripted answer"));
}

}  // namespace
