// Saving a play list with and without its title file, loading it back, and failed saves.
#include <gmock/gmock.h>

#include <chrono>
#include <filesystem>
#include <iterator>

#include "tests/dialog/DialogFixture.h"

using qv::headless::DialogDriver;
using ::testing::ElementsAre;
namespace fs = std::filesystem;

namespace {

constexpr std::uint32_t kExclamationOk = MB_OK | MB_ICONEXCLAMATION;
const char kListSaveFailed[] = "リストファイルの保存に失敗しました";
const char kTitleSaveFailed[] = "タイトルファイルの保存に失敗しました";

class ListFiles : public DialogTest {
protected:
    // Three songs in the list, the second without a title of its own.
    void AddThree(DialogDriver& d) {
        songs = {Song("s/a.mid", "Alpha"), Song("s/b.mid"), Song("s/c.mid", "Gamma")};
        ASSERT_TRUE(d.Drop({dir / "s"}));
    }
    // Saves through the Save button, answering the dialog with path.
    void Save(DialogDriver& d, const std::string& path) {
        windows.AnswerFileDialog(path);
        ASSERT_TRUE(d.Click(IDC_SAVE));
    }
    // Empties the list and drops the play list on it.
    void Reload(DialogDriver& d, const std::string& list) {
        ASSERT_TRUE(d.Click(IDC_CLEAR));
        ASSERT_TRUE(d.Drop({list}));
    }
    std::string Lines(const std::vector<std::string>& lines) const {
        std::string out;
        for (const std::string& line : lines) out += line + "\r\n";
        return out;
    }
    void ExpectOnlyMessage(const char* text) {
        ASSERT_EQ(windows.MessageBoxes().size(), 1u);
        EXPECT_EQ(windows.MessageBoxes()[0].text, text);
        EXPECT_EQ(windows.MessageBoxes()[0].type, kExclamationOk);
    }
    // The number of names in the temporary folder.
    long Entries() const {
        return std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator());
    }
    std::vector<std::string> songs;
};

TEST_F(ListFiles, SavingWritesOneLinePerEntryAndNoTitleFileWhenTitlesAreOff) {
    std::string list = dir / "mine.qvl";
    Run([&](DialogDriver& d) {
        AddThree(d);
        Save(d, list);
    });
    EXPECT_EQ(qvtest::ReadAll(list), Lines(songs));
    EXPECT_FALSE(fs::exists(dir / "mine.qvt"));
    EXPECT_EQ(Entries(), 2);  // s/ and the list
    ASSERT_EQ(windows.FileDialogs().size(), 1u);
    const auto& save = windows.FileDialogs()[0];
    EXPECT_TRUE(save.save);
    EXPECT_EQ(save.defExt, "qvl");
    EXPECT_EQ(save.filter, "リストファイル(*.qvl)|*.qvl|すべてのファイル(*.*)|*.*||");
    EXPECT_EQ(save.flags, static_cast<std::uint32_t>(OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT));
}

TEST_F(ListFiles, ACurrentTitleFileLoadsTheListWithoutOpeningASong) {
    std::string list = dir / "mine.qvl";
    Run([&](DialogDriver& d) {
        AddThree(d);
        SaveTitles(true);
        Save(d, list);
        EXPECT_EQ(qvtest::ReadAll(dir / "mine.qvt"), Lines({"Alpha", "b.mid", "Gamma"}));
        EXPECT_TRUE(CPlayerDlg::IsTitleFileCurrent(list.c_str(), (dir / "mine.qvt").c_str()));
        fs::remove_all(dir / "s");  // the songs are gone; their titles are not
        files.midiOpens = 0;
        Reload(d, list);
        EXPECT_EQ(files.midiOpens, 0);
        ASSERT_TRUE(d.ChooseItem(IDC_DISPLAYMODE, CPlayList::DISPLAY_TITLE));
        EXPECT_THAT(d.Lines(IDC_PLAYLIST), ElementsAre("Alpha", "b.mid", "Gamma"));
        // With the setting off the title file is not read.
        SaveTitles(false);
        Reload(d, list);
        EXPECT_TRUE(d.Lines(IDC_PLAYLIST).empty());
    });
}

TEST_F(ListFiles, AStaleOrMisalignedTitleFileIsIgnored) {
    std::string list = dir / "mine.qvl";
    std::string titles = dir / "mine.qvt";
    Run([&](DialogDriver& d) {
        AddThree(d);
        SaveTitles(true);
        Save(d, list);
        dir.Write("mine.qvt", "One\r\nTwo\r\nThree\r\n");  // edited by hand: a later time
        fs::last_write_time(titles, fs::last_write_time(list) + std::chrono::seconds(5));
        Reload(d, list);
        EXPECT_THAT(Strings(dlg->m_list.m_aTitles), ElementsAre("Alpha", "b.mid", "Gamma"));
        // Current again, but a line short: titles pair by line number, so none is used.
        dir.Write("mine.qvt", "One\r\nTwo\r\n");
        ASSERT_TRUE(CPlayerDlg::CopyFileTimes(list.c_str(), titles.c_str()));
        Reload(d, list);
        EXPECT_THAT(Strings(dlg->m_list.m_aTitles), ElementsAre("Alpha", "b.mid", "Gamma"));
    });
}

TEST_F(ListFiles, ATitleFileTakesTheListsBaseNameWhateverItsExtension) {
    Run([&](DialogDriver& d) {
        AddThree(d);
        SaveTitles(true);
        Save(d, dir / "mine.txt");
        Save(d, dir / "dotted.");
    });
    EXPECT_EQ(qvtest::ReadAll(dir / "mine.txt"), Lines(songs));
    EXPECT_TRUE(CPlayerDlg::IsTitleFileCurrent((dir / "mine.txt").c_str(), (dir / "mine.qvt").c_str()));
    EXPECT_TRUE(CPlayerDlg::IsTitleFileCurrent((dir / "dotted.").c_str(), (dir / "dotted.qvt").c_str()));
}

TEST_F(ListFiles, SavingAnEmptyListShowsNoDialog) {
    Run([&](DialogDriver& d) { ASSERT_TRUE(d.Click(IDC_SAVE)); });
    EXPECT_TRUE(windows.FileDialogs().empty());
}

// Each failure names the file that could not be saved and leaves the files already there as
// they were, with no temporary file left behind.
struct SaveFailure {
    const char* label;
    const char* failCreate;
    const char* failWrite;
    const char* message;
};

class FailedSaves : public ListFiles, public ::testing::WithParamInterface<SaveFailure> {};

TEST_P(FailedSaves, KeepThePreviousFilesAndSaySo) {
    const SaveFailure& failure = GetParam();
    std::string list = dir.Write("mine.qvl", "old list\r\n");
    std::string titles = dir.Write("mine.qvt", "old titles\r\n");
    windows.AnswerMessageBox(IDOK);
    Run([&](DialogDriver& d) {
        AddThree(d);
        SaveTitles(true);
        files.failCreate = failure.failCreate;
        files.failWrite = failure.failWrite;
        Save(d, list);
        EXPECT_EQ(d.Lines(IDC_PLAYLIST), songs);  // nothing of the list is lost
    });
    ExpectOnlyMessage(failure.message);
    EXPECT_EQ(qvtest::ReadAll(list), "old list\r\n");
    EXPECT_EQ(qvtest::ReadAll(titles), "old titles\r\n");
    EXPECT_EQ(Entries(), 3);
}

INSTANTIATE_TEST_SUITE_P(
    ListFiles, FailedSaves,
    ::testing::Values(SaveFailure{"ListNotCreated", "mine.qvl", "", kListSaveFailed},
                      SaveFailure{"TitlesNotCreated", "mine.qvt", "", kListSaveFailed},
                      SaveFailure{"ListWriteFails", "", "mine.qvl", kListSaveFailed},
                      SaveFailure{"TitleWriteFails", "", "mine.qvt", kTitleSaveFailed}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(ListFiles, AReadOnlyListIsNotReplaced) {
    std::string list = dir.Write("mine.qvl", "old list\r\n");
    fs::permissions(list, fs::perms::owner_read);
    windows.AnswerMessageBox(IDOK);
    Run([&](DialogDriver& d) {
        AddThree(d);
        Save(d, list);
    });
    ExpectOnlyMessage(kListSaveFailed);
    EXPECT_EQ(qvtest::ReadAll(list), "old list\r\n");
}

TEST_F(ListFiles, ATitleWithALineBreakKeepsTheTitlesInStep) {
    std::string list = dir / "mine.qvl";
    Run([&](DialogDriver& d) {
        std::string song = Song("two\r\nlines.mid", "Two\r\nlines");
        std::string other = Song("other.mid", "Other");
        ASSERT_TRUE(d.Drop({song, other}));
        SaveTitles(true);
        Save(d, list);
    });
    EXPECT_EQ(qvtest::ReadAll(dir / "mine.qvt"), "Two lines\r\nOther\r\n");
}

}  // namespace
