// The five editing buttons and the display mode.
#include <gmock/gmock.h>

#include "platform/rand.h"
#include "tests/dialog/DialogFixture.h"

using qv::headless::DialogDriver;
using ::testing::ElementsAre;

namespace {

class ListEditing : public DialogTest {
protected:
    // Songs A.mid, B.mid ... titled "Title A" ...
    void Add(DialogDriver& d, int nCount) {
        std::vector<std::string> paths;
        for (char c = 'A'; c < 'A' + nCount; ++c)
            paths.push_back(Song(std::string(1, c) + ".mid", std::string("Title ") + c));
        ASSERT_TRUE(d.Drop(paths));
    }
    // A line chosen while stopped: selected, current, and the editing buttons set for it.
    void Choose(int nIndex) {
        Select(nIndex);
        dlg->EnableListButtons(TRUE);
    }
    // Line i shows entry i in the current mode, and each entry's texts still belong together.
    void ExpectInStep(DialogDriver& d) {
        std::vector<std::string> lines = d.Lines(IDC_PLAYLIST);
        ASSERT_EQ(static_cast<int>(lines.size()), dlg->m_list.GetSize());
        for (int i = 0; i < dlg->m_list.GetSize(); ++i) {
            std::string name = dlg->m_list.m_aNames[i].Str();
            EXPECT_EQ(lines[i], dlg->m_list.GetText(i).Str());
            EXPECT_EQ(dlg->m_list.m_aPaths[i].Str(), dir / name);
            EXPECT_EQ(dlg->m_list.m_aTitles[i].Str(), "Title " + name.substr(0, 1));
        }
    }
    std::vector<std::string> Names() const { return Strings(dlg->m_list.m_aNames); }
};

TEST_F(ListEditing, DownAndUpMoveTheSelectedEntryAndRemovingSelectsTheNext) {
    Run([&](DialogDriver& d) {
        Add(d, 3);
        Choose(0);
        ASSERT_TRUE(d.Click(IDC_DOWN));
        EXPECT_THAT(Names(), ElementsAre("B.mid", "A.mid", "C.mid"));
        EXPECT_EQ(d.Selection(IDC_PLAYLIST), 1);
        EXPECT_EQ(dlg->m_nCurrent, 1);
        EXPECT_EQ(Enabled(d), "PLAY ! X R EDIT U D");
        ASSERT_TRUE(d.Click(IDC_DOWN));  // to the end: down goes off
        EXPECT_THAT(Names(), ElementsAre("B.mid", "C.mid", "A.mid"));
        EXPECT_EQ(Enabled(d), "PLAY ! X R EDIT U");
        ASSERT_TRUE(d.Click(IDC_UP));  // the last moves to 1, the former 1 becomes the last
        ASSERT_TRUE(d.Click(IDC_UP));
        EXPECT_THAT(Names(), ElementsAre("A.mid", "B.mid", "C.mid"));
        EXPECT_EQ(dlg->m_nCurrent, 0);
        EXPECT_EQ(Enabled(d), "PLAY ! X R EDIT D");
        ExpectInStep(d);

        // Removing selects the follower or the new last, and keeps the current entry in the list.
        Choose(1);
        ASSERT_TRUE(d.Click(IDC_REMOVE));
        EXPECT_THAT(Names(), ElementsAre("A.mid", "C.mid"));
        EXPECT_EQ(d.Selection(IDC_PLAYLIST), 1);  // C, which followed B
        ExpectInStep(d);
        // Down stays enabled for the new last entry, which has nothing below it.
        ASSERT_TRUE(d.Click(IDC_DOWN));
        EXPECT_THAT(Names(), ElementsAre("A.mid", "C.mid"));
        EXPECT_EQ(d.Selection(IDC_PLAYLIST), 1);
        ASSERT_TRUE(d.Click(IDC_REMOVE));  // the last: the new last is selected
        EXPECT_THAT(Names(), ElementsAre("A.mid"));
        EXPECT_EQ(dlg->m_nCurrent, 0);
        ASSERT_TRUE(d.Click(IDC_REMOVE));  // the only one: nothing left, nothing selected
        EXPECT_EQ(d.Selection(IDC_PLAYLIST), -1);
        EXPECT_EQ(dlg->m_nCurrent, -1);
        ASSERT_TRUE(d.Click(IDC_REMOVE));  // no selection: nothing happens
        ASSERT_TRUE(d.Click(IDC_UP));
        EXPECT_TRUE(d.Redraws(IDC_PLAYLIST));
    });
}

// The generator is seeded at start-up, so the first shuffle differs from one session to the next.
// Clearing empties the list and turns every button off.
TEST_F(ListEditing, ShufflingKeepsTheSelectedIndexNotTheEntryAndClearingEmptiesAll) {
    qv::ResetRand();
    Run([&](DialogDriver& d) {
        EXPECT_NE(std::vector<int>({qv::Rand(), qv::Rand(), qv::Rand()}),
                  (std::vector<int>{41, 18467, 6334}));
        Add(d, 8);
        Choose(3);
        std::vector<std::string> before = Names();
        ASSERT_TRUE(d.Click(IDC_SHUFFLE));
        EXPECT_NE(Names(), before);
        EXPECT_THAT(Names(), ::testing::UnorderedElementsAreArray(before));
        EXPECT_EQ(d.Selection(IDC_PLAYLIST), 3);
        EXPECT_EQ(dlg->m_nCurrent, 3);
        ExpectInStep(d);
        ASSERT_TRUE(d.Click(IDC_CLEAR));
        EXPECT_TRUE(d.Lines(IDC_PLAYLIST).empty());
        EXPECT_TRUE(Names().empty() && Titles().empty() && dlg->m_list.m_aPaths.IsEmpty());
        EXPECT_EQ(Enabled(d), "");
        EXPECT_EQ(dlg->m_nCurrent, -1);
    });
}

TEST_F(ListEditing, TheDisplayModeRefillsTheLinesKeepingOrderAndSelection) {
    Run([&](DialogDriver& d) {
        ASSERT_TRUE(d.ChooseItem(IDC_DISPLAYMODE, CPlayList::DISPLAY_FILENAME));  // empty: fine
        EXPECT_TRUE(d.Lines(IDC_PLAYLIST).empty());
        std::string song = Song("SONG.MID", "Song");
        ASSERT_TRUE(d.Drop({song, Song("plain.mid")}));
        Select(1);
        EXPECT_THAT(d.Lines(IDC_PLAYLIST), ElementsAre("SONG.MID", "plain.mid"));
        ASSERT_TRUE(d.ChooseItem(IDC_DISPLAYMODE, CPlayList::DISPLAY_TITLE));
        EXPECT_THAT(d.Lines(IDC_PLAYLIST), ElementsAre("Song", "plain.mid"));
        EXPECT_EQ(d.Selection(IDC_PLAYLIST), 1);
        EXPECT_EQ(dlg->m_nCurrent, 1);
        ASSERT_TRUE(d.Drop({song}));  // later entries come in the chosen mode
        EXPECT_THAT(d.Lines(IDC_PLAYLIST), ElementsAre("Song", "plain.mid", "Song"));
        ASSERT_TRUE(d.ChooseItem(IDC_DISPLAYMODE, CPlayList::DISPLAY_FULLPATH));
        EXPECT_THAT(d.Lines(IDC_PLAYLIST), ::testing::Each(::testing::StartsWith(dir.Path())));
        EXPECT_TRUE(d.Redraws(IDC_PLAYLIST));
    });
}

}  // namespace
