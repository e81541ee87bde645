#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

#include "framework/WinApp.h"
#include "res/resource.h"
#include "tests/support/WindowTestFixture.h"
#include "tests/window/TestDialog.h"

using qv::headless::DialogDriver;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

class DialogTest : public WindowTestFixture {
protected:
    void SetUp() override {
        WindowTestFixture::SetUp();
        windows.AddTemplate(TestTemplate());
        windows.AddTemplate(TestChildTemplate());
    }

    // Runs the test dialog with the given user actions; answers what DoModal answered.
    INT_PTR Run(const std::function<void(DialogDriver&)>& actions) {
        windows.OnDialog(IDD_TEST, actions);
        return dlg.DoModal();
    }

    CTestDlg dlg;
};

TEST_F(DialogTest, CommandsAndNotificationsReachTheirHandlers) {
    dlg.m_onInit = [](CTestDlg& d) {
        d.m_list.AddString("a");
        d.m_list.AddString("b");
    };
    Run([&](DialogDriver& user) {
        ASSERT_TRUE(user.Click(IDC_T_GO));
        ASSERT_TRUE(user.ChooseLine(IDC_T_LIST, 1));
        ASSERT_TRUE(user.ChooseLine(IDC_T_LIST, 1));  // the same line again still notifies
        ASSERT_TRUE(user.ChooseItem(IDC_T_COMBO, 2));
        ASSERT_TRUE(user.Click(IDC_T_FLAG));
        EXPECT_EQ(user.Check(IDC_T_FLAG), BST_CHECKED);  // toggled before BN_CLICKED
        EXPECT_EQ(user.Text(IDC_T_COMBO), "two");
        ASSERT_TRUE(user.PressEscape());
    });
    EXPECT_THAT(dlg.m_log, ElementsAre("go", "list 1", "list 1", "combo 2", "flag", "cancel"));
}

TEST_F(DialogTest, UserCannotReachDisabledOrHiddenControlsNorAChoiceThatIsNotThere) {
    Run([&](DialogDriver& user) {
        EXPECT_FALSE(user.Click(IDC_T_OFF));
        EXPECT_THAT(user.WhyRefused(), HasSubstr("disabled"));
        EXPECT_FALSE(user.Click(IDC_T_HIDDEN));
        EXPECT_THAT(user.WhyRefused(), HasSubstr("hidden"));
        EXPECT_FALSE(user.ChooseLine(IDC_T_LIST, 0));  // the list is empty
        EXPECT_FALSE(user.Click(IDC_T_LABEL));         // a label is not a button
        EXPECT_FALSE(user.Restore());                  // not minimised
        dlg.GetDlgItem(IDC_T_GO)->EnableWindow(FALSE);
        EXPECT_FALSE(user.Click(IDC_T_GO));
        EXPECT_FALSE(user.IsEnabled(IDC_T_GO));
        ASSERT_TRUE(user.PressEscape());
    });
    EXPECT_THAT(dlg.m_log, ElementsAre("cancel"));
}

TEST_F(DialogTest, SettingSelectionsAndChecksFromTheProgramNotifiesNothing) {
    dlg.m_onInit = [](CTestDlg& d) { d.m_list.AddString("a"); };
    Run([&](DialogDriver& user) {
        EXPECT_EQ(dlg.m_list.SetCurSel(0), 0);
        EXPECT_EQ(dlg.m_combo.SetCurSel(1), 1);
        dlg.SendMessageA(WM_COMMAND, 0, 0);  // an unknown command falls through harmlessly
        qv::SendMessageA(user.Control(IDC_T_FLAG), BM_SETCHECK, BST_CHECKED, 0);
        EXPECT_EQ(user.Selection(IDC_T_LIST), 0);
        EXPECT_EQ(user.Check(IDC_T_FLAG), BST_CHECKED);
        ASSERT_TRUE(user.PressEscape());
    });
    EXPECT_THAT(dlg.m_log, ElementsAre("cancel"));
}

TEST_F(DialogTest, EnterTakesTheFieldsAndEndsWithOk) {
    INT_PTR result = Run([&](DialogDriver& user) {
        ASSERT_TRUE(user.Click(IDC_T_FLAG));
        ASSERT_TRUE(user.Type(IDC_T_EDIT, "typed text"));
        ASSERT_TRUE(user.PressEnter());
        EXPECT_TRUE(user.IsEnded());
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dlg.m_bFlag, 1);
    EXPECT_EQ(dlg.m_strEdit, "typed text");
    EXPECT_THAT(dlg.m_log, ElementsAre("flag"));  // no cancel: OK ends it
}

TEST_F(DialogTest, EscapeAndTheCloseBoxBothReachOnCancel) {
    EXPECT_EQ(Run([](DialogDriver& user) { ASSERT_TRUE(user.PressEscape()); }), IDCANCEL);
    // The close box goes through the dialog's own WM_SYSCOMMAND handler, which passes it on.
    EXPECT_EQ(Run([](DialogDriver& user) { ASSERT_TRUE(user.PressCloseBox()); }), IDCANCEL);
    EXPECT_THAT(dlg.m_log, ElementsAre("cancel", "cancel"));
}

TEST_F(DialogTest, DataExchangeBindsOnceAndMovesValuesBothWays) {
    dlg.m_bFlag = 5;  // any non-zero flag shows as ticked
    dlg.m_strLabel = "00:00";
    qv::HWND hList = nullptr;
    Run([&](DialogDriver& user) {
        EXPECT_EQ(dlg.m_nExchanges, 1);
        EXPECT_EQ(user.Check(IDC_T_FLAG), BST_CHECKED);
        EXPECT_EQ(user.Text(IDC_T_LABEL), "00:00");
        hList = dlg.m_list.GetSafeHwnd();
        EXPECT_EQ(hList, user.Control(IDC_T_LIST));
        EXPECT_EQ(CWnd::FromHandlePermanent(hList), &dlg.m_list);

        dlg.m_strLabel = "01:02";
        dlg.UpdateData(FALSE);
        EXPECT_EQ(dlg.m_list.GetSafeHwnd(), hList);
        EXPECT_EQ(user.Text(IDC_T_LABEL), "01:02");

        ASSERT_TRUE(user.Click(IDC_T_FLAG));
        ASSERT_TRUE(user.Type(IDC_T_EDIT, "cmd"));
        dlg.UpdateData(TRUE);
        EXPECT_EQ(dlg.m_bFlag, 0);
        EXPECT_EQ(dlg.m_strEdit, "cmd");
        ASSERT_TRUE(user.PressEscape());
    });
    // The bindings end with the dialog, so a second run binds afresh.
    EXPECT_EQ(dlg.m_list.GetSafeHwnd(), nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(hList), nullptr);
    Run([&](DialogDriver& user) {
        EXPECT_EQ(dlg.m_list.GetSafeHwnd(), user.Control(IDC_T_LIST));
        ASSERT_TRUE(user.PressEscape());
    });
}

TEST_F(DialogTest, SystemMenuItemsAppearBelowThePlatformsAndFollowTheirState) {
    Run([&](DialogDriver& user) {
        std::vector<qv::headless::MenuItem> items = user.SystemMenu();
        ASSERT_GE(items.size(), 3u);
        EXPECT_EQ(items.back().id, IDM_T_PLAY);
        EXPECT_EQ(items.back().text, "&PLAY");
        EXPECT_TRUE(items[items.size() - 2].IsSeparator());
        EXPECT_EQ(items.front().id, static_cast<std::uint32_t>(SC_RESTORE));

        ASSERT_TRUE(user.ChooseSystemMenuItem(IDM_T_PLAY));
        CMenu* pMenu = dlg.GetSystemMenu(FALSE);
        ASSERT_NE(pMenu, nullptr);
        EXPECT_EQ(pMenu->EnableMenuItem(IDM_T_PLAY, MF_BYCOMMAND | MF_GRAYED), MF_ENABLED);
        EXPECT_FALSE(user.ChooseSystemMenuItem(IDM_T_PLAY));
        EXPECT_THAT(user.WhyRefused(), HasSubstr("grayed"));
        EXPECT_EQ(pMenu->EnableMenuItem(0x0999, MF_GRAYED), static_cast<UINT>(-1));

        // Replacing the text leaves the item enabled, as MF_STRING alone asks.
        EXPECT_TRUE(pMenu->ModifyMenuA(IDM_T_PLAY, MF_BYCOMMAND | MF_STRING, IDM_T_PLAY, "&PAUSE"));
        ASSERT_TRUE(user.SystemMenuItem(IDM_T_PLAY).has_value());
        EXPECT_EQ(user.SystemMenuItem(IDM_T_PLAY)->text, "&PAUSE");
        EXPECT_FALSE(user.SystemMenuItem(IDM_T_PLAY)->IsGrayed());
        ASSERT_TRUE(user.ChooseSystemMenuItem(IDM_T_PLAY));
        ASSERT_TRUE(user.ChooseSystemMenuItem(SC_CLOSE));
    });
    EXPECT_THAT(dlg.m_log, ElementsAre("sys play", "sys play", "cancel"));
}

TEST_F(DialogTest, MinimiseAndRestoreSendSizeAndChangeTheWindowsState) {
    Run([&](DialogDriver& user) {
        CRect normal;
        dlg.GetWindowRect(&normal);
        ASSERT_TRUE(user.Minimise());
        EXPECT_TRUE(dlg.IsIconic());
        EXPECT_FALSE(user.Minimise());
        EXPECT_FALSE(user.ChooseSystemMenuItem(SC_MINIMIZE));  // grayed while minimised
        CRect iconic;
        dlg.GetWindowRect(&iconic);
        EXPECT_NE(iconic.left, normal.left);  // a minimised window is parked off the screen
        ASSERT_TRUE(user.ChooseSystemMenuItem(SC_RESTORE));
        EXPECT_FALSE(dlg.IsIconic());
        CRect restored;
        dlg.GetWindowRect(&restored);
        EXPECT_EQ(restored.left, normal.left);
        ASSERT_TRUE(user.PressEscape());
    });
    EXPECT_THAT(dlg.m_log, ElementsAre("size 1 0x0", "size 0 320x320", "cancel"));
}

TEST_F(DialogTest, DroppedPathsArriveWholeOrReportTheirLengthAndTheDropIsReleased) {
    dlg.m_onInit = [](CTestDlg& d) { d.DragAcceptFiles(FALSE); };
    Run([&](DialogDriver& user) {
        EXPECT_FALSE(user.Drop({"/m/a.mid"}));
        EXPECT_THAT(user.WhyRefused(), HasSubstr("does not accept"));
        dlg.DragAcceptFiles(TRUE);
        ASSERT_TRUE(user.Drop({"/m/a.mid", "/m/folder", "/m/0123456789abcdef.mid"}));
        ASSERT_TRUE(user.PressEscape());
    });
    EXPECT_THAT(dlg.m_log,
                ElementsAre("drop /m/a.mid /m/folder [23 cut to /m/0123456789ab]", "cancel"));
    EXPECT_EQ(qv::DragQueryFileA(dlg.m_hLastDrop, qv::kDragQueryCount, nullptr, 0), 0u);
}

TEST_F(DialogTest, MinimisedPaintDrawsTheIconCentredAndDragAsksForIt) {
    dlg.m_hIcon = qv::LoadAppIcon(IDR_MAINFRAME);
    ASSERT_NE(dlg.m_hIcon, nullptr);
    Run([&](DialogDriver& user) {
        user.Paint();
        EXPECT_TRUE(user.DrawnIcons().empty());
        ASSERT_TRUE(user.Minimise());
        user.Paint();
        ASSERT_EQ(user.DrawnIcons().size(), 1u);
        CRect client;
        dlg.GetClientRect(&client);
        int expected = (client.Width() - qv::GetSystemMetrics(SM_CXICON) + 1) / 2;
        EXPECT_EQ(user.DrawnIcons()[0].x, expected);
        EXPECT_EQ(user.DrawnIcons()[0].icon, dlg.m_hIcon);
        EXPECT_EQ(user.IconBackgroundErasures(), 1);
        EXPECT_EQ(dlg.SendMessageA(WM_QUERYDRAGICON), reinterpret_cast<LRESULT>(dlg.m_hIcon));
        ASSERT_TRUE(user.PressEscape());
    });
}

TEST_F(DialogTest, TitleBarRightClickCarriesHitTestAndScreenPoint) {
    Run([&](DialogDriver& user) {
        ASSERT_TRUE(user.RightClickTitleBar());
        ASSERT_TRUE(user.Minimise());
        ASSERT_TRUE(user.RightClickTitleBar());  // off-screen: negative coordinates survive
        ASSERT_TRUE(user.PressEscape());
    });
    ASSERT_EQ(dlg.m_log.size(), 4u);
    EXPECT_EQ(dlg.m_log[0], "ncr 2 13,8");
    EXPECT_EQ(dlg.m_log[2], "ncr 2 -31987,-31992");
}

TEST_F(DialogTest, ANestedDialogRunsItsOwnHandlerWhileItsOwnerIsDisabled) {
    Run([&](DialogDriver& user) {
        windows.OnDialog(IDD_TEST_CHILD, [&](DialogDriver& child) {
            EXPECT_FALSE(user.Click(IDC_T_GO));
            EXPECT_THAT(user.WhyRefused(), HasSubstr("disabled"));
            ASSERT_TRUE(child.PressEnter());  // the default button is OK
        });
        ASSERT_TRUE(user.Click(IDC_T_CHILD));
        ASSERT_TRUE(user.Click(IDC_T_GO));  // enabled again
        ASSERT_TRUE(user.PressEscape());
    });
    EXPECT_THAT(dlg.m_log, ElementsAre("child 1", "go", "cancel"));
}

TEST_F(DialogTest, AnUnscriptedOrAbandonedDialogFailsClearlyAndIsCancelled) {
    std::vector<std::string> failures;
    windows.SetFailureHandler([&](const std::string& what) { failures.push_back(what); });
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(Run([](DialogDriver&) {}), IDCANCEL);
    ASSERT_EQ(failures.size(), 2u);
    EXPECT_THAT(failures[0], HasSubstr("dialog 9000 opened without a scripted handler"));
    EXPECT_THAT(failures[1], HasSubstr("still open"));
    EXPECT_EQ(CTestDlg().DoModal(), IDCANCEL);
    EXPECT_EQ(CDialog(4242).DoModal(), -1);  // no such template
    EXPECT_EQ(failures.size(), 4u);
}

TEST_F(DialogTest, AnExceptionInAHandlerEndsTheDialogInsteadOfCrossingTheWindowSystem) {
    dlg.m_onInit = [](CTestDlg&) { throw std::runtime_error("out of memory"); };
    EXPECT_EQ(dlg.DoModal(), -1);
    EXPECT_EQ(dlg.GetSafeHwnd(), nullptr);
}

TEST_F(DialogTest, WithoutAParentTheMainWindowOwnsTheDialog) {
    CWinApp app;
    CTestDlg main;
    app.m_pMainWnd = &main;
    windows.OnDialog(IDD_TEST, [&](DialogDriver& outer) {
        windows.OnDialog(IDD_TEST_CHILD, [&](DialogDriver& child) {
            EXPECT_FALSE(outer.Click(IDC_T_GO));
            ASSERT_TRUE(child.PressEscape());
        });
        EXPECT_EQ(CTestChildDlg().DoModal(), IDCANCEL);
        ASSERT_TRUE(outer.PressEscape());
    });
    main.DoModal();
}
