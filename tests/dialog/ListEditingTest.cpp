// The five editing buttons, the display mode, and the presentation rules they rely on.
#include <gmock/gmock.h>

#include "tests/dialog/DialogFixture.h"

using qv::headless::DialogDriver;
using ::testing::ElementsAre;

namespace {

class ListEditing : public DialogTest {
protected:
    // Three songs, A B C, titled "Title A" ...
    void AddThree(DialogDriver& d) {
        paths = {Song("A.mid", "Title A"), Song("B.mid", "Title B"), Song("C.mid", "Title C")};
        ASSERT_TRUE(d.Drop(paths));
    }
    // Line i of the control shows entry i in the current mode, and the entries' texts still
    // belong together.
    void ExpectInStep(DialogDriver& d) {
        std::vector<std::string> lines = d.Lines(IDC_PLAYLIST);
        ASSERT_EQ(static_cast<int>(lines.size()), dlg->m_list.GetSize());
        for (int i = 0; i < dlg->m_list.GetSize(); ++i) {
            EXPECT_EQ(lines[i], dlg->m_list.GetText(i).Str());
            std::string name = dlg->m_list.m_aNames[i].Str();
            EXPECT_EQ(dlg->m_list.m_aPaths[i].Str(), dir / name);
            EXPECT_EQ(dlg->m_list.m_aTitles[i].Str(), "Title " + name.substr(0, 1));
        }
    }
    // A line chosen while stopped: selected, current, and the editing buttons set for it.
    void Choose(int nIndex) {
        Select(nIndex);
        dlg->EnableListButtons(TRUE);
    }
    std::vector<std::string> Names() const { return Strings(dlg->m_list.m_aNames); }
    std::vector<std::string> paths;
};

TEST_F(ListEditing, DownAndUpMoveTheSelectedEntryWhichBecomesCurrent) {
    Run([&](DialogDriver& d) {
        AddThree(d);
        Choose(0);
        ASSERT_TRUE(d.Click(IDC_DOWN));
        EXPECT_THAT(Names(), ElementsAre("B.mid", "A.mid", "C.mid"));
        EXPECT_EQ(d.Selection(IDC_PLAYLIST), 1);
        EXPECT_EQ(dlg->m_nCurrent, 1);
        EXPECT_TRUE(d.IsEnabled(IDC_UP) && d.IsEnabled(IDC_DOWN));
        ASSERT_TRUE(d.Click(IDC_DOWN));  // to the end: down goes off
        EXPECT_THAT(Names(), ElementsAre("B.mid", "C.mid", "A.mid"));
        EXPECT_TRUE(d.IsEnabled(IDC_UP));
        EXPECT_FALSE(d.IsEnabled(IDC_DOWN));
        ASSERT_TRUE(d.Click(IDC_UP));  // the last moves to 1, the former 1 becomes the last
        ASSERT_TRUE(d.Click(IDC_UP));
        EXPECT_THAT(Names(), ElementsAre("A.mid", "B.mid", "C.mid"));
        EXPECT_EQ(dlg->m_nCurrent, 0);
        EXPECT_FALSE(d.IsEnabled(IDC_UP));
        EXPECT_TRUE(d.Redraws(IDC_PLAYLIST));
        ExpectInStep(d);
    });
}

TEST_F(ListEditing, RemovingSelectsTheFollowerOrTheNewLastAndKeepsCurrentInTheList) {
    Run([&](DialogDriver& d) {
        AddThree(d);
        Choose(1);
        ASSERT_TRUE(d.Click(IDC_REMOVE));
        EXPECT_THAT(Names(), ElementsAre("A.mid", "C.mid"));
        EXPECT_EQ(d.Selection(IDC_PLAYLIST), 1);  // C, which followed B
        ExpectInStep(d);
        // Down is still enabled for the new last entry, which has nothing below it.
        ASSERT_TRUE(d.IsEnabled(IDC_DOWN));
        ASSERT_TRUE(d.Click(IDC_DOWN));
        EXPECT_THAT(Names(), ElementsAre("A.mid", "C.mid"));
        EXPECT_EQ(d.Selection(IDC_PLAYLIST), 1);

        ASSERT_TRUE(d.Click(IDC_REMOVE));  // the last: the new last is selected
        EXPECT_THAT(Names(), ElementsAre("A.mid"));
        EXPECT_EQ(d.Selection(IDC_PLAYLIST), 0);
        EXPECT_EQ(dlg->m_nCurrent, 0);
        ASSERT_TRUE(d.Click(IDC_REMOVE));  // the only one: nothing left, nothing selected
        EXPECT_TRUE(d.Lines(IDC_PLAYLIST).empty());
        EXPECT_EQ(d.Selection(IDC_PLAYLIST), -1);
        EXPECT_EQ(dlg->m_nCurrent, -1);
        ASSERT_TRUE(d.Click(IDC_REMOVE));  // no selection: nothing happens
        ASSERT_TRUE(d.Click(IDC_UP));
        EXPECT_TRUE(d.Redraws(IDC_PLAYLIST));
    });
}

TEST_F(ListEditing, ClearingEmptiesTheListAndTurnsEveryButtonOff) {
    Run([&](DialogDriver& d) {
        AddThree(d);
        Choose(2);
        ASSERT_TRUE(d.Click(IDC_CLEAR));
        EXPECT_TRUE(d.Lines(IDC_PLAYLIST).empty());
        EXPECT_EQ(dlg->m_list.GetSize(), 0);
        EXPECT_EQ(Names().size(), 0u);
        EXPECT_EQ(Enabled(d), "");
        EXPECT_EQ(dlg->m_nCurrent, -1);
        EXPECT_TRUE(d.Redraws(IDC_PLAYLIST));
    });
}

TEST_F(ListEditing, ShufflingKeepsTheSelectedIndexNotTheEntry) {
    Run([&](DialogDriver& d) {
        for (int i = 0; i < 8; ++i) paths.push_back(Song(std::string(1, 'A' + i) + ".mid",
                                                         std::string("Title ") + char('A' + i)));
        ASSERT_TRUE(d.Drop(paths));
        Choose(3);
        std::vector<std::string> before = Names();
        ASSERT_TRUE(d.Click(IDC_SHUFFLE));
        EXPECT_NE(Names(), before);
        EXPECT_THAT(Names(), ::testing::UnorderedElementsAreArray(before));
        EXPECT_EQ(d.Selection(IDC_PLAYLIST), 3);
        EXPECT_EQ(dlg->m_nCurrent, 3);
        ExpectInStep(d);
    });
}

TEST_F(ListEditing, TheDisplayModeRefillsTheLinesKeepingOrderAndSelection) {
    Run([&](DialogDriver& d) {
        std::string song = Song("SONG.MID", "Song");
        std::string plain = Song("plain.mid");
        ASSERT_TRUE(d.Drop({song, plain}));
        Choose(1);
        ASSERT_TRUE(d.ChooseItem(IDC_DISPLAYMODE, CPlayList::DISPLAY_FILENAME));
        EXPECT_THAT(d.Lines(IDC_PLAYLIST), ElementsAre("SONG.MID", "plain.mid"));
        ASSERT_TRUE(d.ChooseItem(IDC_DISPLAYMODE, CPlayList::DISPLAY_TITLE));
        EXPECT_THAT(d.Lines(IDC_PLAYLIST), ElementsAre("Song", "plain.mid"));
        EXPECT_EQ(d.Selection(IDC_PLAYLIST), 1);
        EXPECT_EQ(dlg->m_nCurrent, 1);
        // Entries added later appear in the chosen mode.
        ASSERT_TRUE(d.Drop({song}));
        EXPECT_THAT(d.Lines(IDC_PLAYLIST), ElementsAre("Song", "plain.mid", "Song"));
        // A damaged stored mode shows every line empty until a mode is chosen.
        dlg->m_list.SetDisplayMode(7);
        ASSERT_TRUE(d.Click(IDC_SHUFFLE));
        EXPECT_THAT(d.Lines(IDC_PLAYLIST), ElementsAre("", "", ""));
        ASSERT_TRUE(d.ChooseItem(IDC_DISPLAYMODE, CPlayList::DISPLAY_FULLPATH));
        EXPECT_THAT(d.Lines(IDC_PLAYLIST), ::testing::Each(::testing::StartsWith(dir.Path())));
        EXPECT_TRUE(d.Redraws(IDC_PLAYLIST));
    });
}

TEST_F(ListEditing, SwitchingTheModeOfAnEmptyListLeavesItEmpty) {
    Run([&](DialogDriver& d) {
        ASSERT_TRUE(d.ChooseItem(IDC_DISPLAYMODE, CPlayList::DISPLAY_TITLE));
        EXPECT_TRUE(d.Lines(IDC_PLAYLIST).empty());
        EXPECT_EQ(dlg->m_list.m_nDisplayMode, CPlayList::DISPLAY_TITLE);
    });
}

class Presentation : public DialogTest {};

TEST_F(Presentation, MoveButtonsFollowTheIndexAndListButtonsNeedASelection) {
    Run([&](DialogDriver& d) {
        ASSERT_TRUE(d.Drop({Song("a.mid"), Song("b.mid"), Song("c.mid")}));
        dlg->UpdateMoveButtons(0);
        EXPECT_FALSE(d.IsEnabled(IDC_UP));
        EXPECT_TRUE(d.IsEnabled(IDC_DOWN));
        dlg->UpdateMoveButtons(2);
        EXPECT_TRUE(d.IsEnabled(IDC_UP));
        EXPECT_FALSE(d.IsEnabled(IDC_DOWN));
        dlg->SelectListEntry(-1);
        dlg->EnableListButtons(TRUE);
        EXPECT_EQ(Enabled(d), "PLAY ! X");
        ASSERT_TRUE(d.Click(IDC_CLEAR));
        ASSERT_TRUE(d.Drop({Song("only.mid")}));
        Select(0);
        dlg->EnableListButtons(TRUE);
        EXPECT_EQ(Enabled(d), "PLAY ! X R EDIT");
    });
}

TEST_F(Presentation, TransportAndPauseShowOnButtonsAndSystemMenu) {
    Run([&](DialogDriver& d) {
        CMenu* pMenu = dlg->GetSystemMenu(FALSE);
        ASSERT_NE(pMenu, nullptr);
        // The items start-up appends, unless it did already.
        for (UINT id : {CPlayerDlg::IDM_SYS_PLAY, CPlayerDlg::IDM_SYS_STOP,
                        CPlayerDlg::IDM_SYS_PREV, CPlayerDlg::IDM_SYS_NEXT}) {
            if (!d.SystemMenuItem(id)) pMenu->AppendMenuA(MF_STRING, id, "item");
        }
        dlg->EnableTransport(TRUE, FALSE, TRUE, FALSE);
        EXPECT_EQ(Enabled(d).substr(0, 9), "PLAY PREV");
        EXPECT_FALSE(d.SystemMenuItem(CPlayerDlg::IDM_SYS_PLAY)->IsGrayed());
        EXPECT_TRUE(d.SystemMenuItem(CPlayerDlg::IDM_SYS_STOP)->IsGrayed());
        EXPECT_FALSE(d.SystemMenuItem(CPlayerDlg::IDM_SYS_PREV)->IsGrayed());
        EXPECT_TRUE(d.SystemMenuItem(CPlayerDlg::IDM_SYS_NEXT)->IsGrayed());
        dlg->m_bPlaying = 1;
        dlg->SetPaused(FALSE);
        EXPECT_EQ(d.Text(IDC_PLAY), "&PAUSE");
        EXPECT_EQ(d.SystemMenuItem(CPlayerDlg::IDM_SYS_PLAY)->text, "&PAUSE");
        dlg->SetPaused(TRUE);
        EXPECT_EQ(d.Text(IDC_PLAY), "&PLAY");
        EXPECT_EQ(d.SystemMenuItem(CPlayerDlg::IDM_SYS_PLAY)->text, "&PLAY");
        EXPECT_EQ(dlg->m_bPaused, 1);
    });
}

// What the window system does for the system menu's own Minimise and Restore commands.
void SystemCommand(CPlayerDlg& dlg, UINT nCommand) {
    qv::DefaultDialogProc(dlg.GetSafeHwnd(), WM_SYSCOMMAND, nCommand, 0);
}

TEST_F(Presentation, TheMinimisedCaptionShowsThePieceOnlyWhilePlaying) {
    Run([&](DialogDriver& d) {
        ASSERT_TRUE(d.Drop({Song("a.mid", "Alpha"), Song("b.mid", "Beta")}));
        SystemCommand(*dlg, SC_MINIMIZE);
        EXPECT_EQ(d.Caption(), "Quavel");  // nothing plays
        SystemCommand(*dlg, SC_RESTORE);
        ASSERT_TRUE(d.ChooseItem(IDC_DISPLAYMODE, CPlayList::DISPLAY_TITLE));
        dlg->m_bPlaying = 1;
        dlg->m_nCurrent = 1;
        SystemCommand(*dlg, SC_MINIMIZE);
        EXPECT_EQ(d.Caption(), "Beta");
        dlg->SetPaused(TRUE);
        dlg->UpdateTitle(TRUE);
        EXPECT_EQ(d.Caption(), "Working...");
        dlg->UpdateTitle(FALSE);
        EXPECT_EQ(d.Caption(), "Beta(PAUSED)");
        dlg->SetPaused(FALSE);
        dlg->UpdateTitle(FALSE);
        EXPECT_EQ(d.Caption(), "Beta");
        SystemCommand(*dlg, SC_RESTORE);
        EXPECT_EQ(d.Caption(), "Quavel");
        dlg->UpdateTitle(FALSE);
        EXPECT_EQ(d.Caption(), "Quavel");
    });
}

TEST_F(Presentation, TheMinimisedWindowShowsTheIconCentred) {
    Run([&](DialogDriver& d) {
        EXPECT_EQ(dlg->OnQueryDragIcon(), dlg->m_hIcon);
        ASSERT_NE(dlg->m_hIcon, nullptr);
        SystemCommand(*dlg, SC_MINIMIZE);
        d.Paint();
        ASSERT_EQ(d.DrawnIcons().size(), 1u);
        qv::RECT client{};
        dlg->GetClientRect(&client);
        const int icon = qv::headless::HeadlessWindowSystem::kIconSize;
        EXPECT_EQ(d.DrawnIcons()[0].icon, dlg->m_hIcon);
        EXPECT_EQ(d.DrawnIcons()[0].x, (client.right - icon + 1) / 2);
        EXPECT_EQ(d.DrawnIcons()[0].y, (client.bottom - icon + 1) / 2);
        EXPECT_EQ(d.IconBackgroundErasures(), 1);
        SystemCommand(*dlg, SC_RESTORE);
    });
}

}  // namespace
