// What only the POSIX file backend has to do: pipes and links, dot names, and finding names in
// any letter case on a file system that tells them apart.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "framework/File.h"
#include "tests/support/FilesContract.h"

using PosixFiles = qvtest::FilesContract;

// A pipe with nobody writing must not hang the opener.
TEST_F(PosixFiles, APipeDoesNotOpenForReading) {
    std::string fifo = m_dir / "pipe.mid";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(OpenForReading(fifo), INVALID_HANDLE_VALUE);
    EXPECT_EQ(qv::GetLastError(), static_cast<std::uint32_t>(ERROR_ACCESS_DENIED));
}

// Kinds follow links; a dangling link is a file; a dot name is hidden.
TEST_F(PosixFiles, EnumerationFollowsLinksAndHidesDotNames) {
    std::string song = m_dir.Write("A.mid", "x");
    m_dir.Write(".hidden", "x");
    m_dir.MakeFolder("Sub");
    std::filesystem::create_directory_symlink(m_dir / "Sub", m_dir / "link");
    ASSERT_EQ(::symlink(song.c_str(), (m_dir / "to-song").c_str()), 0);
    ASSERT_EQ(::symlink((m_dir / "nowhere").c_str(), (m_dir / "dangling").c_str()), 0);
    EXPECT_THAT(Enumerate("*.*"),
                ::testing::ElementsAre(".:dir", "..:dir", ".hidden", "A.mid", "dangling",
                                       "link:dir", "Sub:dir", "to-song"));
    qv::WIN32_FIND_DATAA data;
    qv::HANDLE find = qv::FindFirstFileA((m_dir / ".hidden").c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_HIDDEN);
    qv::FindClose(find);
}

// Every name of a path, folders too, is found ignoring case; an exact name always wins. The
// names of a folder unchanged for a while are kept between look-ups, and read anew once it
// changes.
TEST_F(PosixFiles, NamesDifferingOnlyInLetterCaseAreSpelledAsOnDisk) {
    std::string song = m_dir.Write("Music/song.txt", "doc");
    EXPECT_EQ(qv::GetDiskPath((m_dir / "music/Song.Txt").c_str()), song);
    EXPECT_EQ(qv::GetDiskPath((m_dir / "MUSIC/none/SONG.TXT").c_str()),
              m_dir / "Music/none/SONG.TXT");
    m_dir.Write("Music/SONG.TXT", "exact");
    CFileStatus status;
    EXPECT_TRUE(CFile::GetStatus((m_dir / "Music/SONG.TXT").c_str(), status));
    EXPECT_EQ(status.m_size, 5u);
    EXPECT_EQ(qv::GetDiskPath((m_dir / "Music/SONG.TXT").c_str()), m_dir / "Music/SONG.TXT");

    const timespec past[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (m_dir / "Music").c_str(), past, 0), 0);
    EXPECT_EQ(qv::GetDiskPath((m_dir / "MUSIC/Song.txt").c_str()), m_dir / "Music/SONG.TXT");
    std::filesystem::rename(song, m_dir / "Music/other.txt");
    EXPECT_EQ(qv::GetDiskPath((m_dir / "MUSIC/OTHER.TXT").c_str()), m_dir / "Music/other.txt");
}

TEST_F(PosixFiles, FullPathFitsItsCapacity) {
    char buffer[MAX_PATH];
    std::string exact = "/" + std::string(MAX_PATH - 2, 'p');  // 259 bytes and the zero
    EXPECT_NE(qv::_fullpath(buffer, exact.c_str(), sizeof buffer), nullptr);
    EXPECT_EQ(qv::_fullpath(buffer, (exact + "p").c_str(), sizeof buffer), nullptr);
}

// Through a link, the file it leads to is replaced and keeps its mode; the link stays.
TEST_F(PosixFiles, RenamingOntoALinkReplacesWhatItLeadsTo) {
    std::string to = m_dir.Write("list.qvl", "new");
    std::string again = m_dir.Write("again.tmp", "again");
    ASSERT_EQ(::chmod(to.c_str(), 0640), 0);
    ASSERT_EQ(::symlink(to.c_str(), (m_dir / "link.qvl").c_str()), 0);
    EXPECT_TRUE(
        qv::MoveFileExA(again.c_str(), (m_dir / "link.qvl").c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_TRUE(std::filesystem::is_symlink(m_dir / "link.qvl"));
    EXPECT_EQ(qvtest::ReadAll(to), "again");
    EXPECT_EQ(std::filesystem::status(to).permissions(), std::filesystem::perms(0640));
}
