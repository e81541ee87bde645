// The play control end to end: the real sequencer on a silent output and a hand-driven clock,
// completions arriving as posted MM_MCINOTIFY, on the headless window system.
#include <cstdio>
#include <iterator>

#include "res/resource.h"
#include "tests/support/PlayerFixture.h"

using qv::headless::DialogDriver;

namespace {

class PlayControlTest : public PlayerFixture {
protected:
    void SetUp() override {
        PlayerFixture::SetUp();
        songs = {Song("one.mid", 1000), Song("two.mid", 2000), Song("three.mid", 1000)};
    }

    // nEntry current and selected, playing or idle (after STOP or the end of the list, with the
    // read-outs reset).
    static void Expect(CPlayerDlg& dlg, DialogDriver& d, int nEntry, bool playing) {
        EXPECT_EQ(dlg.m_nCurrent, nEntry);
        EXPECT_EQ(d.Selection(IDC_PLAYLIST), nEntry);
        EXPECT_EQ(dlg.m_bPlaying, playing ? 1 : 0);
        EXPECT_EQ(dlg.m_bPaused, 0);
        EXPECT_EQ(dlg.m_device.IsOpen(), playing);
        EXPECT_EQ(d.Text(IDC_PLAY), playing ? "&PAUSE" : "&PLAY");
        EXPECT_EQ(TransportState(d), playing ? "1111" : "1011");
        EXPECT_EQ(d.IsEnabled(IDC_SHUFFLE), !playing);
        if (playing) return;
        EXPECT_EQ(d.Text(IDC_POSITION), "00:00");
        EXPECT_EQ(d.Text(IDC_LENGTH), "00:00");
    }

    std::vector<std::string> songs;
};

TEST_F(PlayControlTest, PreviousAndNextStopAtTheEndsWithoutLoopAndWrapRoundWithIt) {
    RunPlayer([&](CPlayerDlg& dlg, DialogDriver& d) {
        dlg.EnableTransport(TRUE, FALSE, FALSE, FALSE);
        ASSERT_TRUE(d.Click(IDC_PLAY));  // an empty list: nothing to play
        EXPECT_EQ(dlg.m_bPlaying, 0);
        AddEntries(dlg, songs);
        ASSERT_TRUE(d.Click(IDC_PLAY));
        ASSERT_TRUE(d.Click(IDC_PREV));
        Expect(dlg, d, 0, false);

        // After STOP both are enabled, yet while idle they do nothing.
        ASSERT_TRUE(d.Click(IDC_NEXT));
        ASSERT_TRUE(d.Click(IDC_PREV));
        Expect(dlg, d, 0, false);

        ASSERT_TRUE(d.ChooseLine(IDC_PLAYLIST, 2));
        ASSERT_TRUE(d.Click(IDC_PLAY));  // from the selection
        Expect(dlg, d, 2, true);
        ASSERT_TRUE(d.Click(IDC_NEXT));
        Expect(dlg, d, 2, false);
        // The list repaints once, after the selection moved.
        EXPECT_TRUE(d.Redraws(IDC_PLAYLIST));
        EXPECT_GT(d.Invalidations(IDC_PLAYLIST), 0);

        // With Loop a completion of the last entry and both buttons wrap round.
        ASSERT_TRUE(d.Click(IDC_LOOP));
        ASSERT_TRUE(d.Click(IDC_PLAY));
        Run(1000);
        Expect(dlg, d, 0, true);
        ASSERT_TRUE(d.Click(IDC_PREV));
        Expect(dlg, d, 2, true);
        ASSERT_TRUE(d.Click(IDC_NEXT));
        Expect(dlg, d, 0, true);
        // Loop turned off while playing counts from that click on.
        ASSERT_TRUE(d.Click(IDC_LOOP));
        ASSERT_TRUE(d.Click(IDC_PREV));
        Expect(dlg, d, 0, false);
    });
}

TEST_F(PlayControlTest, PauseHoldsThePieceAndStopReleasesIt) {
    RunPlayer([&](CPlayerDlg& dlg, DialogDriver& d) {
        AddEntries(dlg, {Song("long.mid", 3000), songs[0]});
        ASSERT_TRUE(d.Click(IDC_PLAY));
        Run(1500);
        ASSERT_TRUE(d.Click(IDC_PLAY));
        EXPECT_EQ(dlg.m_bPaused, 1);
        EXPECT_EQ(d.Text(IDC_PLAY), "&PLAY");
        EXPECT_EQ(d.SystemMenuItem(CPlayerDlg::IDM_SYS_PLAY)->text, "&PLAY");
        EXPECT_EQ(TransportState(d), "1111");

        Run(5000);  // far past the piece's end: a paused piece neither moves nor completes
        EXPECT_EQ(d.Text(IDC_POSITION), "00:01");
        EXPECT_EQ(dlg.m_nCurrent, 0);

        ASSERT_TRUE(d.Click(IDC_PLAY));
        EXPECT_EQ(dlg.m_bPaused, 0);
        EXPECT_EQ(d.SystemMenuItem(CPlayerDlg::IDM_SYS_PLAY)->text, "&PAUSE");
        Run(1400);
        EXPECT_EQ(dlg.m_nCurrent, 0);
        Run(100);
        Expect(dlg, d, 1, true);

        // STOP releases the device and keeps the current entry, from a pause as well.
        ASSERT_TRUE(d.Click(IDC_PLAY));
        ASSERT_TRUE(d.Click(IDC_STOP));
        Expect(dlg, d, 1, false);
        EXPECT_TRUE(d.IsEnabled(IDC_REMOVE));
        EXPECT_TRUE(d.IsEnabled(IDC_EDIT));
        Run(3000);
        Expect(dlg, d, 1, false);
    });
}

TEST_F(PlayControlTest, ChoosingAnotherEntryOrNextWhilePlayingOrPausedPlaysItFromItsBeginning) {
    RunPlayer([&](CPlayerDlg& dlg, DialogDriver& d) {
        AddEntries(dlg, {Song("a.mid", 4000), Song("b.mid", 4000), songs[0]});
        ASSERT_TRUE(d.Click(IDC_PLAY));
        Run(1500);
        // The entry that plays already is not started again.
        ASSERT_TRUE(d.ChooseLine(IDC_PLAYLIST, 0));
        Run(600);
        EXPECT_EQ(d.Text(IDC_POSITION), "00:02");

        ASSERT_TRUE(d.ChooseLine(IDC_PLAYLIST, 1));
        Expect(dlg, d, 1, true);
        EXPECT_EQ(d.Text(IDC_POSITION), "00:00");
        Run(1100);  // the timer ticks every 200 ms from start-up, not from the new entry
        EXPECT_EQ(d.Text(IDC_POSITION), "00:01");

        // During a pause the chosen entry, or the next one, plays, and the PLAY caption says so.
        ASSERT_TRUE(d.Click(IDC_PLAY));
        ASSERT_TRUE(d.ChooseLine(IDC_PLAYLIST, 0));
        Expect(dlg, d, 0, true);
        ASSERT_TRUE(d.Click(IDC_PLAY));
        ASSERT_TRUE(d.Click(IDC_NEXT));
        Expect(dlg, d, 1, true);
    });
}

TEST_F(PlayControlTest, ReadOutsShowWholeMinutesAndSecondsTruncated) {
    const struct {
        std::uint32_t ms;
        const char* shown;
    } kCases[] = {{59999, "00:59"}, {3600000, "60:00"}, {6000000, "100:00"}, {999, "00:00"}};
    std::vector<std::string> paths;
    for (const auto& c : kCases) paths.push_back(Song(std::to_string(c.ms) + ".mid", c.ms));
    RunPlayer([&](CPlayerDlg& dlg, DialogDriver& d) {
        AddEntries(dlg, paths);
        ASSERT_TRUE(d.Click(IDC_PLAY));
        for (int i = 0; i < static_cast<int>(std::size(kCases)); ++i) {
            ASSERT_TRUE(d.ChooseLine(IDC_PLAYLIST, i));
            EXPECT_EQ(d.Text(IDC_LENGTH), kCases[i].shown) << kCases[i].ms;
        }
        // Under a second: no running position, and the piece still ends the list.
        Run(800);
        EXPECT_EQ(d.Text(IDC_POSITION), "00:00");
        Run(200);
        Expect(dlg, d, 3, false);
    });
}

TEST_F(PlayControlTest, SystemMenuAndRightClickOnTheMinimisedWindowDriveThePlayer) {
    RunPlayer([&](CPlayerDlg& dlg, DialogDriver& d) {
        AddEntries(dlg, {Song("long.mid", 5000), songs[0]});
        // A right click on the open window does nothing at all.
        ASSERT_TRUE(d.RightClickTitleBar());
        EXPECT_EQ(dlg.m_bPlaying, 0);
        EXPECT_FALSE(d.ChooseSystemMenuItem(CPlayerDlg::IDM_SYS_NEXT));  // grayed while idle

        ASSERT_TRUE(d.Minimise());
        EXPECT_EQ(d.Caption(), "Quavel");
        ASSERT_TRUE(d.RightClickTitleBar());  // starts
        const std::string entry = dlg.m_list.GetText(0).GetString();
        EXPECT_EQ(d.Caption(), entry);
        ASSERT_TRUE(d.RightClickTitleBar());  // pauses
        EXPECT_EQ(d.Caption(), entry + "(PAUSED)");
        ASSERT_TRUE(d.RightClickTitleBar());  // continues
        EXPECT_EQ(d.Caption(), entry);

        ASSERT_TRUE(d.ChooseSystemMenuItem(CPlayerDlg::IDM_SYS_NEXT));
        Expect(dlg, d, 1, true);
        dlg.SendMessageA(WM_SYSCOMMAND, CPlayerDlg::IDM_SYS_PREV | 0x000F);  // low bits ignored
        Expect(dlg, d, 0, true);
        ASSERT_TRUE(d.ChooseSystemMenuItem(CPlayerDlg::IDM_SYS_STOP));
        EXPECT_EQ(dlg.m_bPlaying, 0);
        EXPECT_TRUE(d.SystemMenuItem(CPlayerDlg::IDM_SYS_STOP)->IsGrayed());
        // The platform's own commands still reach the window.
        ASSERT_TRUE(d.Restore());
        EXPECT_EQ(d.Caption(), "Quavel");
        ASSERT_TRUE(d.ChooseSystemMenuItem(CPlayerDlg::IDM_SYS_PLAY));
        ASSERT_TRUE(d.RightClickTitleBar());
        EXPECT_EQ(dlg.m_bPaused, 0);
    });
}

TEST_F(PlayControlTest, EntriesWithNothingToPlayCountAsEndedAndAWholeRoundOfThemStops) {
    const std::string gone = Song("gone.mid", 1000);
    RunPlayer([&](CPlayerDlg& dlg, DialogDriver& d) {
        AddEntries(dlg, {gone, songs[0], Song("empty.mid", 0)});
        std::remove(gone.c_str());
        ASSERT_TRUE(d.Click(IDC_PLAY));
        Expect(dlg, d, 1, true);
        ASSERT_TRUE(d.Click(IDC_LOOP));
        // The entry that lasts no time and the missing one pass, then the list wraps round.
        Run(1000);
        Expect(dlg, d, 1, true);
        // Now no entry can start: one round, and playback stops as at the end of the list.
        std::remove(songs[0].c_str());
        Run(1000);
        Expect(dlg, d, 1, false);
    });
}

TEST_F(PlayControlTest, ACompletionOvertakenByTheUserDoesNotSkipAnEntry) {
    RunPlayer([&](CPlayerDlg& dlg, DialogDriver& d) {
        AddEntries(dlg, songs);
        ASSERT_TRUE(d.Click(IDC_PLAY));
        // The piece ends; before its queued completion arrives the user presses NEXT.
        clock.AdvanceMs(1000);
        ASSERT_TRUE(d.Click(IDC_NEXT));
        d.Pump();
        Expect(dlg, d, 1, true);
        // Other notification codes never advance.
        dlg.SendMessageA(MM_MCINOTIFY, MCI_NOTIFY_ABORTED, dlg.m_device.GetDeviceId());
        dlg.SendMessageA(MM_MCINOTIFY, MCI_NOTIFY_FAILURE, dlg.m_device.GetDeviceId());
        Expect(dlg, d, 1, true);
    });
}

}  // namespace
