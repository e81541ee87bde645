// Saving a play list with and without its title file, loading it back, and failed saves.
#include <gmock/gmock.h>

#include <chrono>
#include <iterator>

#include "tests/dialog/DialogFixture.h"

using qv::headless::DialogDriver;
using ::testing::ElementsAre;
namespace fs = std::filesystem;

namespace {

class ListFiles : public DialogTest {
protected:
    // Three songs, the second without a title of its own.
    void AddThree(DialogDriver& d) {
        songs = {Song("s/a.mid", "Alpha"), Song("s/b.mid"), Song("s/c.mid", "Gamma")};
        ASSERT_TRUE(d.Drop({dir / "s"}));
    }
    void Save(DialogDriver& d, const std::string& path) {
        windows.AnswerFileDialog(path);
        ASSERT_TRUE(d.Click(IDC_SAVE));
    }
    void Reload(DialogDriver& d, const std::string& list) {
        ASSERT_TRUE(d.Click(IDC_CLEAR));
        ASSERT_TRUE(d.Drop({list}));
    }
    static std::string Lines(const std::vector<std::string>& lines) {
        std::string out;
        for (const std::string& line : lines) out += line + "\r\n";
        return out;
    }
    long Names() const {
        return std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator());
    }
    std::vector<std::string> songs;
};

TEST_F(ListFiles, SavingWritesOneLinePerEntryAndATitleFileOnlyWhenAsked) {
    std::string list = dir / "mine.qvl";
    Run([&](DialogDriver& d) {
        ASSERT_TRUE(d.Click(IDC_SAVE));  // an empty list: no dialog at all
        AddThree(d);
        Save(d, list);
        EXPECT_EQ(Names(), 2);  // s/ and the list, no title file
        // A title with a line break still takes one line of the title file.
        ASSERT_TRUE(d.Drop({Song("two.mid", "Two\r\nlines")}));
        SaveTitles(true);
        files.failCreate = ".saving";  // no new file may be made beside them: written in place
        Save(d, dir / "other.txt");    // the title file takes the base name whatever the extension
        Save(d, dir / "dotted.");
    });
    EXPECT_EQ(qvtest::ReadAll(list), Lines(songs));
    EXPECT_EQ(qvtest::ReadAll(dir / "other.qvt"), Lines({"Alpha", "b.mid", "Gamma", "Two lines"}));
    EXPECT_TRUE(
        CPlayerDlg::IsTitleFileCurrent((dir / "other.txt").c_str(), (dir / "other.qvt").c_str()));
    EXPECT_TRUE(
        CPlayerDlg::IsTitleFileCurrent((dir / "dotted.").c_str(), (dir / "dotted.qvt").c_str()));
    ASSERT_EQ(windows.FileDialogs().size(), 3u);
    const auto& save = windows.FileDialogs()[0];
    EXPECT_TRUE(save.save);
    EXPECT_EQ(save.defExt, "qvl");
    EXPECT_EQ(save.filter, "リストファイル(*.qvl)|*.qvl|すべてのファイル(*.*)|*.*||");
    EXPECT_EQ(save.flags, static_cast<std::uint32_t>(OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT));
}

// A current title file loads the list without opening a song; one edited later or a line short is
// ignored, and so is any when titles are not to be saved.
TEST_F(ListFiles, ACurrentTitleFileLoadsTheListWithoutOpeningASongAndAnyOtherIsIgnored) {
    std::string list = dir / "mine.qvl", titles = dir / "mine.qvt";
    Run([&](DialogDriver& d) {
        AddThree(d);
        SaveTitles(true);
        Save(d, list);
        dir.Write("mine.qvt", "One\r\nTwo\r\nThree\r\n");  // edited by hand: a later time
        fs::last_write_time(titles, fs::last_write_time(list) + std::chrono::seconds(5));
        Reload(d, list);
        EXPECT_THAT(Titles(), ElementsAre("Alpha", "b.mid", "Gamma"));
        dir.Write("mine.qvt", "One\r\nTwo\r\n");  // current again, but a line short
        ASSERT_TRUE(CPlayerDlg::CopyFileTimes(list.c_str(), titles.c_str()));
        Reload(d, list);
        EXPECT_THAT(Titles(), ElementsAre("Alpha", "b.mid", "Gamma"));

        dir.Write("mine.qvt", "One\r\nTwo\r\nThree\r\n");
        ASSERT_TRUE(CPlayerDlg::CopyFileTimes(list.c_str(), titles.c_str()));
        fs::remove_all(dir / "s");  // the songs are gone; their titles are not
        files.midiOpens = 0;
        Reload(d, list);
        EXPECT_EQ(files.midiOpens, 0);
        ASSERT_TRUE(d.ChooseItem(IDC_DISPLAYMODE, CPlayList::DISPLAY_TITLE));
        EXPECT_THAT(d.Lines(IDC_PLAYLIST), ElementsAre("One", "Two", "Three"));
        SaveTitles(false);  // off: the title file is not read, and the songs are missing
        Reload(d, list);
        EXPECT_TRUE(d.Lines(IDC_PLAYLIST).empty());
    });
}

// A failed save names the file it could not save and leaves the files that were there as they
// were, with no temporary file behind; the list itself is kept.
struct SaveFailure {
    const char* label;
    const char* failCreate;
    const char* failWrite;
    const char* message;
};

class FailedSaves : public ListFiles, public ::testing::WithParamInterface<SaveFailure> {};

TEST_P(FailedSaves, KeepThePreviousFilesAndSaySo) {
    std::string list = dir.Write("mine.qvl", "old list\r\n");
    std::string titles = dir.Write("mine.qvt", "old titles\r\n");
    windows.AnswerMessageBox(IDOK);
    Run([&](DialogDriver& d) {
        AddThree(d);
        SaveTitles(true);
        files.failCreate = GetParam().failCreate;
        files.failWrite = GetParam().failWrite;
        Save(d, list);
        EXPECT_EQ(d.Lines(IDC_PLAYLIST), songs);
    });
    ASSERT_EQ(windows.MessageBoxes().size(), 1u);
    EXPECT_EQ(windows.MessageBoxes()[0].text, GetParam().message);
    EXPECT_EQ(windows.MessageBoxes()[0].type,
              static_cast<std::uint32_t>(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(qvtest::ReadAll(list), "old list\r\n");
    EXPECT_EQ(qvtest::ReadAll(titles), "old titles\r\n");
    EXPECT_EQ(Names(), 3);
}

const char kListFailed[] = "リストファイルの保存に失敗しました";
INSTANTIATE_TEST_SUITE_P(
    ListFiles, FailedSaves,
    ::testing::Values(SaveFailure{"ListNotCreated", "mine.qvl", "", kListFailed},
                      SaveFailure{"ListWriteFails", "", "mine.qvl", kListFailed},
                      SaveFailure{"TitleWriteFails", "", "mine.qvt",
                                  "タイトルファイルの保存に失敗しました"}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
