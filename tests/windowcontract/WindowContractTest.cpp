// What the program relies on from every window system, run against each backend with its own
// way of acting as the user.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>

#include "tests/support/WindowContractDialog.h"
#include "tests/windowcontract/ContractBackends.h"

using ::testing::AllOf;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Field;
using ::testing::IsEmpty;

class WindowContract : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        backend = MakeContractBackend(GetParam());
        if (!backend) GTEST_SKIP() << GetParam() << " is not part of this platform's build";
        backend->AddTemplate(ContractTemplate());
        backend->AddTemplate(ContractChildTemplate());
    }
    void TearDown() override {
        if (backend) {
            EXPECT_THAT(backend->Problems(), IsEmpty());
        }
        backend.reset();
    }

    // Runs the contract dialog with `acts` as its user; answers what DoModal answered.
    INT_PTR Run(const std::function<void(ContractUser&)>& acts) {
        backend->OnDialog(IDD_CONTRACT, acts);
        return dlg.DoModal();
    }
    // The same, ending the dialog with Esc after `acts`; the "cancel" line is taken off the log.
    void RunAndCancel(const std::function<void(ContractUser&)>& acts) {
        Run([&](ContractUser& user) {
            acts(user);
            ASSERT_TRUE(user.PressEscape());
        });
        ASSERT_FALSE(dlg.m_log.empty());
        EXPECT_EQ(dlg.m_log.back(), "cancel");
        dlg.m_log.pop_back();
    }

    std::unique_ptr<ContractBackend> backend;
    CContractDlg dlg;
};

TEST_P(WindowContract, ListAndComboLinesStayUnsortedAndKeepTheirBytesAndSelection) {
    // Shift-JIS bytes that are not UTF-8: shown decoded, but read back whole and exactly as given.
    const std::string shiftJis = "\x83\x5C\x83\x69\x83\x5E" + std::string(1000, 'x');
    RunAndCancel([&](ContractUser& user) {
        CListBox& list = dlg.m_list;
        EXPECT_EQ(list.AddString("b"), 0);
        EXPECT_EQ(list.AddString("a"), 1);
        EXPECT_EQ(list.InsertString(-1, shiftJis.c_str()), 2);
        EXPECT_EQ(list.InsertString(0, "z"), 0);
        EXPECT_EQ(list.InsertString(9, "beyond"), LB_ERR);
        EXPECT_EQ(list.GetCount(), 4);
        CString text;
        EXPECT_EQ(list.GetText(3, text), static_cast<int>(shiftJis.size()));
        EXPECT_EQ(text, CString(shiftJis));

        EXPECT_EQ(list.GetCurSel(), LB_ERR);
        EXPECT_EQ(list.SetCurSel(1), 1);
        EXPECT_EQ(user.Selection(IDC_C_LIST), 1);
        list.InsertString(0, "new");  // the selected line moves down and stays selected
        EXPECT_EQ(list.GetCurSel(), 2);
        EXPECT_EQ(user.Selection(IDC_C_LIST), 2);
        EXPECT_EQ(list.DeleteString(0), 4);  // answers the lines left
        EXPECT_EQ(list.GetCurSel(), 1);
        EXPECT_EQ(list.DeleteString(1), 3);  // the selected line: no selection is left
        EXPECT_EQ(list.GetCurSel(), LB_ERR);
        EXPECT_EQ(user.Selection(IDC_C_LIST), -1);
        EXPECT_EQ(list.DeleteString(7), LB_ERR);
        list.SetCurSel(0);
        EXPECT_EQ(list.SetCurSel(-1), LB_ERR);  // clears, and says LB_ERR even so
        EXPECT_EQ(list.GetCurSel(), LB_ERR);
        // With redrawing off the program reads its changes at once; the user sees them all once
        // it is back on.
        list.SetRedraw(FALSE);
        for (const char* line : {"p", "q", "r"}) list.AddString(line);
        EXPECT_EQ(list.DeleteString(0), 5);
        list.SetCurSel(4);
        list.SetRedraw(TRUE);
        EXPECT_EQ(user.Selection(IDC_C_LIST), 4);
        list.ResetContent();
        EXPECT_EQ(list.GetCount(), 0);

        // The drop-down has its template's items; a bad index clears its selection too.
        CComboBox& combo = dlg.m_combo;
        EXPECT_EQ(combo.GetCount(), 3);
        EXPECT_EQ(combo.GetCurSel(), CB_ERR);
        EXPECT_EQ(combo.SetCurSel(0), 0);
        combo.GetWindowTextA(text);
        EXPECT_EQ(text, "ゼロ");
        EXPECT_EQ(user.Selection(IDC_C_COMBO), 0);
        EXPECT_EQ(combo.SetCurSel(3), CB_ERR);
        EXPECT_EQ(combo.GetCurSel(), CB_ERR);
        EXPECT_EQ(combo.AddString("three"), 3);
    });
    EXPECT_THAT(dlg.m_log, IsEmpty());  // nothing the program did notified it
}

TEST_P(WindowContract, OnlyTheUsersChoicesNotify) {
    dlg.m_onInit = [](CContractDlg& d) {
        for (const char* line : {"a", "b", "c"}) d.m_list.AddString(line);
    };
    RunAndCancel([&](ContractUser& user) {
        dlg.m_list.SetCurSel(2);
        dlg.m_combo.SetCurSel(1);
        qv::SendMessageA(qv::GetDlgItem(user.Dialog(), IDC_C_FLAG), BM_SETCHECK, BST_CHECKED, 0);
        EXPECT_TRUE(user.IsChecked(IDC_C_FLAG));
        EXPECT_THAT(dlg.m_log, IsEmpty());

        ASSERT_TRUE(user.ChooseLine(IDC_C_LIST, 1));
        ASSERT_TRUE(user.ChooseLine(IDC_C_LIST, 1));   // the same line again still notifies
        EXPECT_FALSE(user.ChooseLine(IDC_C_LIST, 3));  // there is no such line
        // A single-selection list keeps its line: Ctrl+click chooses it again, a click below
        // the last line changes nothing.
        ASSERT_TRUE(user.ControlClickLine(IDC_C_LIST, 1));
        ASSERT_TRUE(user.ClickBelowLines(IDC_C_LIST));
        EXPECT_EQ(user.Selection(IDC_C_LIST), 1);
        ASSERT_TRUE(user.ChooseItem(IDC_C_COMBO, 2));
        ASSERT_TRUE(user.Click(IDC_C_FLAG));
        EXPECT_FALSE(user.IsChecked(IDC_C_FLAG));  // toggled before the click is reported
        ASSERT_TRUE(user.Click(IDC_C_GO));
        EXPECT_EQ(dlg.m_list.GetCurSel(), 1);
    });
    EXPECT_THAT(dlg.m_log, ElementsAre("list 1", "list 1", "list 1", "combo 2", "flag", "go"));
}

TEST_P(WindowContract, CaptionsRoundTripAndTheUserCannotReachDisabledOrHiddenControls) {
    const std::string latin1 = "caf\xE9";  // not UTF-8: kept as bytes
    RunAndCancel([&](ContractUser& user) {
        EXPECT_EQ(user.Caption(), "テスト");
        dlg.SetWindowTextA("再生中 [*] - Quavel");  // no mark of the window system's own
        EXPECT_EQ(user.Caption(), "再生中 [*] - Quavel");
        CString caption;
        dlg.GetWindowTextA(caption);
        EXPECT_EQ(caption, "再生中 [*] - Quavel");
        CWnd* pLabel = dlg.GetDlgItem(IDC_C_LABEL);
        ASSERT_NE(pLabel, nullptr);
        pLabel->SetWindowTextA(latin1.c_str());
        pLabel->GetWindowTextA(caption);
        EXPECT_EQ(caption, CString(latin1));

        EXPECT_FALSE(user.Click(IDC_C_OFF));
        EXPECT_FALSE(user.Click(IDC_C_HIDDEN));
        CWnd* pGo = dlg.GetDlgItem(IDC_C_GO);
        EXPECT_FALSE(pGo->EnableWindow(FALSE));  // answers whether it was disabled before
        EXPECT_FALSE(user.IsEnabled(IDC_C_GO));
        EXPECT_FALSE(user.Click(IDC_C_GO));
        EXPECT_TRUE(pGo->EnableWindow(TRUE));
        ASSERT_TRUE(user.Click(IDC_C_GO));
        dlg.GetDlgItem(IDC_C_HIDDEN)->ShowWindow(SW_SHOW);
        EXPECT_TRUE(dlg.GetDlgItem(IDC_C_HIDDEN)->IsWindowVisible());
    });
    EXPECT_THAT(dlg.m_log, ElementsAre("go"));
}

TEST_P(WindowContract, TimersFireUntilKilled) {
    dlg.m_onInit = [](CContractDlg& d) {
        d.SetTimer(10, 10);
        d.SetTimer(11, 10);
    };
    RunAndCancel([&](ContractUser& user) {
        ASSERT_TRUE(user.RunUntil(
            [&] { return dlg.Count("timer 10") >= 2 && dlg.Count("timer 11") >= 2; }));
        EXPECT_TRUE(dlg.KillTimer(11));
        EXPECT_FALSE(dlg.KillTimer(11));
        dlg.Log("killed");
        size_t tens = dlg.Count("timer 10");
        ASSERT_TRUE(user.RunUntil([&] { return dlg.Count("timer 10") >= tens + 3; }));
    });
    auto killed = std::find(dlg.m_log.begin(), dlg.m_log.end(), "killed");
    ASSERT_NE(killed, dlg.m_log.end());
    EXPECT_EQ(std::count(killed, dlg.m_log.end(), "timer 11"), 0);
}

TEST_P(WindowContract, MessagesPostedFromAnotherThreadArriveInOrderOnTheUserInterfaceThread) {
    qv::HWND hDlg = nullptr;
    RunAndCancel([&](ContractUser& user) {
        hDlg = user.Dialog();
        std::thread poster([hDlg] {
            for (int i = 0; i < 50; ++i)
                EXPECT_EQ(qv::PostWindowMessage(hDlg, MM_MCINOTIFY, i, 7), 1);
        });
        ASSERT_TRUE(user.RunUntil([&] { return dlg.m_log.size() >= 50; }));
        poster.join();
    });
    ASSERT_EQ(dlg.m_log.size(), 50u);
    for (int i = 0; i < 50; ++i) EXPECT_EQ(dlg.m_log[i], "notify " + std::to_string(i) + " 7");
    EXPECT_EQ(qv::PostWindowMessage(hDlg, MM_MCINOTIFY, 1, 1), 0);  // the window is gone
}

TEST_P(WindowContract, EnterTakesTheControlsIntoTheFieldsAndEveryWayOfEndingEnds) {
    dlg.m_bFlag = 7;  // any non-zero flag shows as ticked
    EXPECT_EQ(Run([](ContractUser& user) {
                  EXPECT_TRUE(user.IsChecked(IDC_C_FLAG));
                  ASSERT_TRUE(user.Click(IDC_C_FLAG));
                  ASSERT_TRUE(user.PressEnter());
              }),
              IDOK);
    EXPECT_EQ(dlg.m_bFlag, 0);
    EXPECT_EQ(Run([](ContractUser& user) { ASSERT_TRUE(user.PressEscape()); }), IDCANCEL);
    EXPECT_EQ(Run([](ContractUser& user) { ASSERT_TRUE(user.PressCloseBox()); }), IDCANCEL);
    // A push button with the focus takes Enter as its own click.
    EXPECT_EQ(Run([](ContractUser& user) { ASSERT_TRUE(user.PressEnterOn(IDC_C_END42)); }), 42);
    EXPECT_THAT(dlg.m_log, ElementsAre("flag", "ok", "cancel", "cancel"));
}

TEST_P(WindowContract, ANestedDialogDisablesItsOwnerUntilItEnds) {
    RunAndCancel([&](ContractUser& user) {
        backend->OnDialog(IDD_CONTRACT_CHILD, [&](ContractUser& child) {
            EXPECT_FALSE(qv::IsWindowEnabled(user.Dialog()));
            EXPECT_FALSE(user.Click(IDC_C_GO));
            ASSERT_TRUE(child.PressEnter());  // its default button is OK
        });
        ASSERT_TRUE(user.Click(IDC_C_CHILD));
        EXPECT_TRUE(qv::IsWindowEnabled(user.Dialog()));
        ASSERT_TRUE(user.Click(IDC_C_GO));
    });
    EXPECT_THAT(dlg.m_log, ElementsAre("child 1", "go"));
}

TEST_P(WindowContract, SystemMenuHasThePlatformsItemsThenTheProgramsAndMinimisesAndRestores) {
    RunAndCancel([&](ContractUser& user) {
        std::vector<SeenMenuItem> items = user.SystemMenu();
        ASSERT_GE(items.size(), 5u);
        for (std::uint32_t command : {SC_RESTORE, SC_MINIMIZE})
            EXPECT_THAT(items, Contains(Field(&SeenMenuItem::id, command)));
        // The platform's own items speak the face's language too (the tests pin Japanese).
        EXPECT_THAT(items, Contains(AllOf(Field(&SeenMenuItem::id, std::uint32_t{SC_CLOSE}),
                                          Field(&SeenMenuItem::text, "閉じる(&C)"))));
        EXPECT_TRUE(items[items.size() - 2].separator);
        EXPECT_EQ(items.back().id, IDM_C_PLAY);
        EXPECT_EQ(items.back().text, "&PLAY");
        EXPECT_FALSE(items.back().grayed);

        ASSERT_TRUE(user.ChooseSystemMenuItem(IDM_C_PLAY));
        CMenu* pMenu = dlg.GetSystemMenu(FALSE);
        ASSERT_NE(pMenu, nullptr);
        EXPECT_EQ(pMenu->EnableMenuItem(IDM_C_PLAY, MF_BYCOMMAND | MF_GRAYED), MF_ENABLED);
        EXPECT_TRUE(user.SystemMenu().back().grayed);
        EXPECT_FALSE(user.ChooseSystemMenuItem(IDM_C_PLAY));
        pMenu->EnableMenuItem(IDM_C_PLAY, MF_BYCOMMAND | MF_ENABLED);
        EXPECT_TRUE(pMenu->ModifyMenuA(IDM_C_PLAY, MF_BYCOMMAND | MF_STRING, IDM_C_PLAY, "&PAUSE"));
        EXPECT_EQ(user.SystemMenu().back().text, "&PAUSE");
        ASSERT_TRUE(user.ChooseSystemMenuItem(IDM_C_PLAY));

        // Minimising and restoring, by hand or from the menu, arrive as size messages.
        ASSERT_TRUE(user.Minimise());
        EXPECT_TRUE(dlg.IsIconic());
        EXPECT_FALSE(user.Minimise());
        ASSERT_TRUE(user.Restore());
        EXPECT_FALSE(dlg.IsIconic());
        ASSERT_TRUE(user.ChooseSystemMenuItem(SC_MINIMIZE));
        EXPECT_TRUE(dlg.IsIconic());
        ASSERT_TRUE(user.ChooseSystemMenuItem(SC_RESTORE));
    });
    EXPECT_THAT(dlg.m_log,
                ElementsAre("sys play", "sys play", "size 1", "size 0", "size 1", "size 0"));
    // Close in the menu cancels like Esc.
    EXPECT_EQ(Run([](ContractUser& user) { ASSERT_TRUE(user.ChooseSystemMenuItem(SC_CLOSE)); }),
              IDCANCEL);
}

TEST_P(WindowContract, DroppedPathsArriveOnlyWhileDropsAreAcceptedAndTheDropIsReleased) {
    RunAndCancel([&](ContractUser& user) {
        ASSERT_TRUE(user.Drop({"/music/a b.mid", "/music/folder", "/music/0123456789.mid"}));
        dlg.DragAcceptFiles(FALSE);
        EXPECT_FALSE(user.Drop({"/music/c.mid"}));
    });
    EXPECT_THAT(dlg.m_log, ElementsAre("drop|/music/a b.mid|/music/folder|/music/01234567 (21)"));
    EXPECT_EQ(qv::DragQueryFileA(dlg.m_hLastDrop, qv::kDragQueryCount, nullptr, 0), 0u);
}

// The window system of the platform the tests were built for.
#ifdef _WIN32
constexpr const char* kSystemBackend = "win32";
#else
constexpr const char* kSystemBackend = "qt";
#endif
INSTANTIATE_TEST_SUITE_P(Backends, WindowContract, ::testing::Values("headless", kSystemBackend),
                         [](const auto& info) { return info.param; });
