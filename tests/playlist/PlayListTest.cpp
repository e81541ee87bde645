// The play-list model: adding, the three texts of an entry, exchanging and shuffling.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/rand.h"
#include "playlist/PlayList.h"
#include "tests/support/FilesTempDir.h"
#include "tests/support/SystemBackends.h"

namespace {

class PlayListModel : public ::testing::Test {
protected:
    // Entries whose titles come with them, so no file is read.
    void AddTitled(const char* const* names, int n) {
        for (int i = 0; i < n; ++i) {
            std::string path = std::string("/music/") + names[i] + ".mid";
            ASSERT_TRUE(m_list.Add(path.c_str(), names[i]));
        }
    }

    std::string Order() const {
        std::string order;
        for (int i = 0; i < m_list.GetSize(); ++i)
            order += m_list.GetText(i, CPlayList::DISPLAY_TITLE).GetString();
        return order;
    }

    void ExpectAligned() const {
        ASSERT_EQ(m_list.m_aNames.GetSize(), m_list.GetSize());
        ASSERT_EQ(m_list.m_aTitles.GetSize(), m_list.GetSize());
        for (int i = 0; i < m_list.GetSize(); ++i) {
            std::string title = m_list.m_aTitles[i].GetString();
            EXPECT_EQ(m_list.m_aPaths[i], ("/music/" + title + ".mid").c_str()) << i;
            EXPECT_EQ(m_list.m_aNames[i], (title + ".mid").c_str()) << i;
        }
    }

    qvtest::SystemFileSystem m_fs;
    qvtest::ScopedFileSystem m_installed{&m_fs};
    qvtest::TempDir m_dir;
    CPlayList m_list;
};

const char* const kSix[] = {"a", "b", "c", "d", "e", "f"};

}  // namespace

TEST_F(PlayListModel, RefusedFilesChangeNothingAndGivenTitlesNeedNoFile) {
    EXPECT_FALSE(m_list.Add((m_dir / "missing.mid").c_str(), ""));  // an empty title is no title
    // No line of a list file can hold these, even with a title.
    for (const char* path : {"", "/two\r\nlines.mid", "/cr\r.mid", "/a\x01title.mid"})
        EXPECT_FALSE(m_list.Add(path, "Cached")) << path;
    EXPECT_EQ(m_list.GetSize() + m_list.m_aNames.GetSize() + m_list.m_aTitles.GetSize(), 0);

    EXPECT_TRUE(m_list.Add((m_dir / "missing.mid").c_str(), "Cached"));
    EXPECT_EQ(m_list.GetText(0, CPlayList::DISPLAY_FILENAME), "missing.mid");
    EXPECT_EQ(m_list.GetText(0, CPlayList::DISPLAY_TITLE), "Cached");
}

TEST_F(PlayListModel, TextsByModeAndIndexAreSafeAndSwapMovesWholeEntries) {
    AddTitled(kSix, 3);
    EXPECT_EQ(m_list.GetText(0), "/music/a.mid");  // mode 0 from the start
    // The file name keeps base name and extension of any length.
    CString name;
    CPlayList::MakeFileName("/folder/", name);
    EXPECT_EQ(name, "");
    std::string longName(3000, 'n');
    CPlayList::MakeFileName(("/a/b.c/" + longName + ".mid").c_str(), name);
    EXPECT_EQ(name, (longName + ".mid").c_str());

    m_list.SetDisplayMode(7);
    EXPECT_EQ(m_list.GetText(0), "");
    for (int mode : {3, -2}) EXPECT_EQ(m_list.GetText(0, mode), "") << mode;
    m_list.SetDisplayMode(CPlayList::DISPLAY_TITLE);
    for (int index : {3, -1}) EXPECT_EQ(m_list.GetText(index), "") << index;
    m_list.Swap(0, 2);
    m_list.Swap(0, 3);  // outside the list: nothing happens
    m_list.Swap(-1, 0);
    EXPECT_EQ(Order(), "cba");
    ExpectAligned();
}

// The order is the classic generator's from seed 1, five draws an entry, so that a list shuffles
// the same way on every platform; each entry's texts move together.
TEST_F(PlayListModel, ShuffleGivesTheSameOrderOnEveryPlatformAndKeepsEntriesWhole) {
    qv::ResetRand();
    m_list.Shuffle();  // empty: no draw
    EXPECT_EQ(qv::Rand(), 41);

    AddTitled(kSix, 6);
    qv::ResetRand();
    m_list.Shuffle();
    EXPECT_EQ(Order(), "fabecd");
    const int next = qv::Rand();
    qv::ResetRand();
    for (int i = 0; i < 30; ++i) qv::Rand();
    EXPECT_EQ(qv::Rand(), next);  // thirty draws were made
    ExpectAligned();
}
