// The options dialog as the player opens it: what it shows, what OK and Cancel leave in the
// settings, and the browse buttons.
#include "res/resource.h"
#include "tests/support/PlayerFixture.h"

using qv::headless::DialogDriver;

namespace {

class OptionsDlgTest : public PlayerFixture {
protected:
    // Opens the options from the player and lets the body act in them; the body closes them.
    void WithOptions(DialogDriver& d, const std::function<void(DialogDriver&)>& body) {
        windows.OnDialog(IDD_OPTIONS, [&](DialogDriver& opt) {
            body(opt);
            EXPECT_TRUE(opt.IsEnded()) << "the options dialog was left open";
        });
        ASSERT_TRUE(d.Click(IDC_OPTIONS));
    }
};

TEST_F(OptionsDlgTest, FirstUseShowsTheDefaultsAndCancelStillLeavesThemInTheStore) {
    RunPlayer([&](CPlayerDlg& dlg, DialogDriver& d) {
        WithOptions(d, [](DialogDriver& opt) {
            EXPECT_EQ(opt.Caption(), "オプション設定");
            EXPECT_EQ(opt.Check(IDC_ASKQUIT), BST_CHECKED);
            EXPECT_EQ(opt.Check(IDC_SAVETITLE), BST_UNCHECKED);
            EXPECT_EQ(opt.Text(IDC_EDITCMD), "");
            ASSERT_TRUE(opt.Click(IDC_ASKQUIT));
            ASSERT_TRUE(opt.Type(IDC_EDITCMD, "vi"));
            ASSERT_TRUE(opt.Click(IDCANCEL));
        });
        EXPECT_EQ(dlg.m_settings.Value("YesAskQuit").GetDword(), 1u);
        EXPECT_EQ(dlg.m_settings.Value("YesSaveTitle").GetType(), static_cast<DWORD>(REG_DWORD));
        EXPECT_EQ(dlg.m_settings.Value("AutoDocCmd").GetType(), static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(dlg.m_settings.Value("RightEditCmd").GetString(), "");
    });
}

TEST_F(OptionsDlgTest, OkStoresWhatTheDialogShowsAndRetypesWhatWasStoredOtherwise) {
    StoreSettings("\"YesAutoDoc\"=\"1\"\r\n\"AutoDocCmd\"=\"viewer\"\r\n\"RightEditCmd\"=dword:5");
    RunPlayer([&](CPlayerDlg& dlg, DialogDriver& d) {
        WithOptions(d, [](DialogDriver& opt) {
            EXPECT_EQ(opt.Check(IDC_AUTODOC), BST_UNCHECKED);  // a text reads as 0
            EXPECT_EQ(opt.Text(IDC_DOCCMD), "viewer");
            EXPECT_EQ(opt.Text(IDC_EDITCMD), "");  // a number reads as no text
            ASSERT_TRUE(opt.Click(IDC_SAVETITLE));
            ASSERT_TRUE(opt.Type(IDC_EDITCMD, "/opt/My Editor/edit"));
            ASSERT_TRUE(opt.PressEnter());
        });
        EXPECT_EQ(dlg.m_settings.Value("YesAutoDoc").GetType(), static_cast<DWORD>(REG_DWORD));
        EXPECT_EQ(dlg.m_settings.Value("YesSaveTitle").GetDword(), 1u);
        EXPECT_EQ(dlg.m_settings.Value("RightEditCmd").GetString(), "/opt/My Editor/edit");
    });
}

TEST_F(OptionsDlgTest, ABrowseSetsItsCommandAndPutsBackTheOtherUnconfirmedChanges) {
    const std::string program = dir / "My Viewer";
    windows.AnswerFileDialog(program);
    windows.CancelFileDialog();
    StoreSettings("\"RightEditCmd\"=\"edit\"");
    RunPlayer([&](CPlayerDlg& dlg, DialogDriver& d) {
        WithOptions(d, [&](DialogDriver& opt) {
            ASSERT_TRUE(opt.Click(IDC_ASKQUIT));
            ASSERT_TRUE(opt.Type(IDC_EDITCMD, "typed, not confirmed"));
            ASSERT_TRUE(opt.Click(IDC_BROWSE_DOCCMD));
            EXPECT_EQ(opt.Check(IDC_ASKQUIT), BST_CHECKED);
            EXPECT_EQ(opt.Text(IDC_EDITCMD), "edit");
            EXPECT_EQ(opt.Text(IDC_DOCCMD), program);
            // A cancelled browse changes nothing.
            ASSERT_TRUE(opt.Type(IDC_EDITCMD, "kept"));
            ASSERT_TRUE(opt.Click(IDC_BROWSE_EDITCMD));
            EXPECT_EQ(opt.Text(IDC_EDITCMD), "kept");
            ASSERT_TRUE(opt.Click(IDOK));
        });
        EXPECT_EQ(dlg.m_settings.Value("YesAskQuit").GetDword(), 1u);
        EXPECT_EQ(dlg.m_settings.Value("AutoDocCmd").GetString(), program.c_str());
        EXPECT_EQ(dlg.m_settings.Value("RightEditCmd").GetString(), "kept");
    });
    ASSERT_EQ(windows.FileDialogs().size(), 2u);
    const qv::headless::FileDialogCall& call = windows.FileDialogs()[0];
    EXPECT_FALSE(call.save);
    EXPECT_EQ(call.filter, "プログラム|*.exe;*.pif;*.com;*.bat;*.cmd|すべてのファイル(*.*)|*.*||");
    EXPECT_EQ(call.flags, 0x1804u);
    EXPECT_EQ(call.title, "参照");
}

}  // namespace
