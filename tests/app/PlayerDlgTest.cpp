#include "app/PlayerDlg.h"
#include "res/resource.h"
#include "tests/support/WindowTestFixture.h"

using qv::headless::DialogDriver;

namespace {

class PlayerDlgTest : public WindowTestFixture {};

TEST_F(PlayerDlgTest, FirstExchangeBindsTheControlsAndShowsTheMembers) {
    CPlayerDlg dlg;
    windows.OnDialog(IDD_PLAYER, [&](DialogDriver& d) {
        EXPECT_EQ(dlg.m_listBox.GetSafeHwnd(), qv::GetDlgItem(dlg.m_hWnd, IDC_PLAYLIST));
        EXPECT_EQ(dlg.m_btnPlay.GetSafeHwnd(), qv::GetDlgItem(dlg.m_hWnd, IDC_PLAY));
        // Start-up has put the settings into the members; a later exchange shows new values.
        dlg.m_bLoop = 1;
        dlg.m_strLength = "01:02";
        dlg.UpdateData(FALSE);
        EXPECT_EQ(d.Check(IDC_LOOP), BST_CHECKED);
        EXPECT_EQ(d.Text(IDC_LENGTH), "01:02");
        // A later exchange reads the controls back without binding them again.
        ASSERT_TRUE(d.Click(IDC_LOOP));
        dlg.UpdateData(TRUE);
        EXPECT_EQ(dlg.m_bLoop, 0);
        EXPECT_EQ(dlg.m_listBox.GetSafeHwnd(), qv::GetDlgItem(dlg.m_hWnd, IDC_PLAYLIST));
        ASSERT_TRUE(d.PressEnter());
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
}

}  // namespace

#include "app/QvApp.h"

namespace {

TEST_F(PlayerDlgTest, TheApplicationRunsThePlayerDialogAndEndsWithIt) {
    CQvApp app;
    EXPECT_STREQ(app.GetRuntimeClass()->m_lpszClassName, "CQvApp");
    EXPECT_TRUE(app.IsKindOf(RUNTIME_CLASS(CWinApp)));
    bool bShown = false;
    windows.OnDialog(IDD_PLAYER, [&](DialogDriver& d) {
        bShown = true;
        EXPECT_EQ(AfxGetApp()->m_pMainWnd->GetSafeHwnd(), d.Handle());
        ASSERT_TRUE(d.PressEnter());
    });
    EXPECT_FALSE(app.InitInstance());
    EXPECT_TRUE(bShown);
}

}  // namespace
