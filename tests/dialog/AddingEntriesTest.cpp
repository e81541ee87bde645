// Adding entries by dropping, through the Open dialog and from play lists, and the controls after.
#include <gmock/gmock.h>

#include "playlist/FileFinder.h"
#include "tests/dialog/DialogFixture.h"

using qv::headless::DialogDriver;
using ::testing::ElementsAre;

namespace {

class AddingEntries : public DialogTest {};

// Dropping while playing appends without touching the controls; a path longer than the old
// 512-byte drop buffer arrives whole.
TEST_F(AddingEntries, ADroppedFolderAddsItsMidiFilesDepthFirstAndEnablesPlay) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows names hold no control characters, its ANSI paths stop at 260 bytes";
#endif
    Song("music/b.MID", "Bee");
    Song("music/a.mid");
    Song("music/c/deep.Mid", "Deep");
    Song("music/d.mid");
    dir.Write("music/notes.txt", "not a song");
    dir.Write("music/fake.mid", "not a song either");
    Song("music/x\x01y.mid", "A mark in the name is no list line");
    std::string f(120, 'f');
    std::string more = Song("more.mid"), deep = Song(f + "/" + f + "/" + f + "/" + f + "/x.mid");
    Run([&](DialogDriver& d) {
        ASSERT_TRUE(d.Drop({dir / "missing.mid"}));  // not a song: nothing at all happens
        EXPECT_EQ(Enabled(d), "");
        ASSERT_TRUE(d.Drop({dir / "music/"}));  // a trailing separator is not doubled
        std::string m = dir / "music/";
        EXPECT_THAT(d.Lines(IDC_PLAYLIST),
                    ElementsAre(m + "a.mid", m + "b.MID", m + "c/deep.Mid", m + "d.mid"));
        EXPECT_THAT(Titles(), ElementsAre("a.mid", "Bee", "Deep", "d.mid"));
        EXPECT_EQ(Enabled(d), "PLAY ! X");  // no selection yet
        EXPECT_GT(d.Invalidations(IDC_PLAYLIST), 0);
        Select(0);
        ASSERT_TRUE(d.Drop({more}));
        EXPECT_EQ(Enabled(d), "PLAY ! X R EDIT D");  // up and down by the current entry
        dlg->EnableTransport(TRUE, TRUE, TRUE, TRUE);
        dlg->EnableListButtons(FALSE);
        dlg->m_bPlaying = 1;
        ASSERT_TRUE(d.Drop({deep}));
        EXPECT_EQ(d.Lines(IDC_PLAYLIST).back(), deep);
        EXPECT_EQ(Enabled(d), "PLAY STOP PREV NEXT");
        EXPECT_EQ(dlg->m_nCurrent, 0);
    });
}

// Each real folder is entered once a drop: links back to an ancestor, and links that would
// multiply a tree, do not add its files again. A drop is added in slices over posted messages;
// one that comes meanwhile follows it, and clearing forgets what was left.
TEST_F(AddingEntries, ASlicedDropEntersEachRealFolderOnceAndEndsAsAWholeDrop) {
#ifdef _WIN32
    GTEST_SKIP() << "folder links need a right Windows users lack by default";
#endif
    std::string a = Song("top/a.mid"), b = Song("top/sub/b.mid"), c = Song("elsewhere/c.mid");
    for (const char* link : {"again", "more"})
        std::filesystem::create_directory_symlink(dir / "elsewhere",
                                                  dir / ("top/sub/" + std::string(link)));
    std::filesystem::create_directory_symlink(dir / "top", dir / "top/sub/loop");
    Run([&](DialogDriver& d) {
        dlg->m_nSliceSteps = 1;
        dlg->m_nSliceMs = 0;
        ASSERT_TRUE(d.Drop({dir / "top", dir / "elsewhere"}));
        ASSERT_TRUE(d.Drop({dir / "elsewhere"}));
        EXPECT_FALSE(d.Redraws(IDC_PLAYLIST));
        EXPECT_EQ(Enabled(d), "");
        EXPECT_GT(d.Pump(), 10u);
        EXPECT_THAT(d.Lines(IDC_PLAYLIST), ElementsAre(a, dir / "top/sub/again/c.mid", b, c));
        EXPECT_EQ(Enabled(d), "PLAY ! X");
        ASSERT_TRUE(d.Redraws(IDC_PLAYLIST) && d.Drop({dir / "top"}));
        dlg->OnClear();
        d.Pump();
        EXPECT_TRUE(d.Lines(IDC_PLAYLIST).empty() && d.Redraws(IDC_PLAYLIST));
    });
}

TEST_F(AddingEntries, APlayListAddsItsLinesAndAnUnreadableOneSaysSo) {
    std::string one = Song("one.mid", "From the file"), two = Song("two.mid");
    // Blank lines and a missing last line end are harmless; a missing song is skipped unless a
    // title comes with it; a title mark with nothing after it leaves the title to the file.
    std::string list = dir.Write("songs.QVL", "\r\n" + one + "\x01\r\n\r\n" + dir / "gone.mid" +
                                                  "\r\n" + dir / "kept.mid\x01Kept\r\n" + two);
    dir.MakeFolder("folder.qvl");
    windows.AnswerMessageBox(IDOK);
    windows.AnswerMessageBox(IDOK);
    Run([&](DialogDriver& d) {
        ASSERT_TRUE(d.Drop({dir / "folder.qvl", list, dir / "absent.qvl"}));
        EXPECT_THAT(d.Lines(IDC_PLAYLIST), ElementsAre(one, dir / "kept.mid", two));
        EXPECT_THAT(Titles(), ElementsAre("From the file", "Kept", "two.mid"));
    });
    ASSERT_EQ(windows.MessageBoxes().size(), 2u);
    for (const auto& box : windows.MessageBoxes()) {
        EXPECT_EQ(box.text, "読み込みに失敗しました");
        EXPECT_EQ(box.type, static_cast<std::uint32_t>(MB_OK | MB_ICONEXCLAMATION));
    }
}

// The Explorer form keeps names with blanks whole; the old text form is cut at blanks.
TEST_F(AddingEntries, TheOpenDialogAddsItsFilesInOrderAndAlwaysEnablesPlay) {
    std::string a = Song("a.mid"), b = Song("b.mid"), c = Song("c.mid");
    std::string spaced = Song("my song.mid");
    windows.AnswerFileDialog(dir / "nothing.txt");
    windows.AnswerFileDialog(a);
    windows.AnswerFileDialog(dir.Path() + " c.mid a.mid b.mid");
    windows.AnswerFileDialog(dir.Path() + '\0' + "c.mid" + '\0' + "my song.mid");
    windows.CancelFileDialog();
    Run([&](DialogDriver& d) {
        ASSERT_TRUE(d.Click(IDC_OPEN));
        EXPECT_EQ(Enabled(d), "PLAY ! X");  // even with nothing added
        for (int i = 0; i < 3; ++i) ASSERT_TRUE(d.Click(IDC_OPEN));
        EXPECT_THAT(d.Lines(IDC_PLAYLIST), ElementsAre(a, c, a, b, c, spaced));
        dlg->EnableTransport(FALSE, FALSE, FALSE, FALSE);
        ASSERT_TRUE(d.Click(IDC_OPEN));  // cancelled: nothing changes
        EXPECT_EQ(Enabled(d), "! X");
    });
    ASSERT_EQ(windows.FileDialogs().size(), 5u);
    EXPECT_TRUE(windows.FileDialogs()[0].flags & OFN_ALLOWMULTISELECT);
}

TEST(SplittingText, DropsEmptyPiecesButABlankAfterABlankStartsAPathPiece) {
    CStringArray a;
    CPlayerDlg::SplitString("a\r\n\r\nb\r\n", "\r\n", a);
    CPlayerDlg::SplitString("\r\nc\rd\ne\r\n\r\n", "\r\n", a);
    CPlayerDlg::SplitString("h", "", a);
    EXPECT_THAT(Strings(a), ElementsAre("a", "b", "c\rd\ne", "h"));
    CStringArray b;
    EXPECT_EQ(CPlayerDlg::SplitAtSpaces(b, "/music  a.mid b.mid "), 3);
    EXPECT_THAT(Strings(b), ElementsAre("/music", " a.mid", "b.mid"));
}

// Shift-JIS names with backslashes, recording the folders enumerated.
class ShiftJisFiles : public qvtest::SystemFileSystem {
public:
    qv::PathSyntax GetPathSyntax() override { return {932, '\\', '\\', 1}; }
    qv::HANDLE FindFirstFileA(const char* pattern, qv::WIN32_FIND_DATAA*) override {
        patterns.push_back(pattern);
        return INVALID_HANDLE_VALUE;
    }
    std::vector<std::string> patterns;
};

TEST(ShiftJisPaths, ATrailByteOf0x5CIsNoSeparatorButATrailingOneIsNotDoubled) {
    ShiftJisFiles files;
    qvtest::ScopedFileSystem installed(&files);
    const std::string so = "C:\\\x83\x5C";  // a folder named with the katakana letter so
    CStringArray aPaths;
    CPlayerDlg dlg;
    dlg.GetSelectedPaths(aPaths, CString(so + " a.mid"));
    dlg.GetSelectedPaths(aPaths, CString(so + "\\ b.mid"));
    EXPECT_THAT(Strings(aPaths), ElementsAre(so + "\\a.mid", so + "\\b.mid"));
    CFileFinder finder;
    CStringArray aExtensions;
    aExtensions.Add("MID");
    EXPECT_TRUE(finder.Find(CString(so), aExtensions, TRUE));
    EXPECT_FALSE(finder.Find("", aExtensions, TRUE));
    EXPECT_THAT(files.patterns, ElementsAre(so + "\\*.*"));
}

}  // namespace
