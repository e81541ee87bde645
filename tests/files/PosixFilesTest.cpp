// The file-system contract on the POSIX backend, in temporary folders.
#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "framework/File.h"
#include "platform/files.h"
#include "platform/posix/files_posix.h"
#include "tests/support/FilesTempDir.h"

namespace {

class PosixFiles : public ::testing::Test {
protected:
    qv::HANDLE OpenForReading(const std::string& path) {
        return qv::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL);
    }
    qv::HANDLE CreateForWriting(const std::string& path) {
        return qv::CreateFileA(path.c_str(), GENERIC_WRITE, 0, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL);
    }

    // The names found, each with its attributes when asked for.
    std::vector<std::string> Enumerate(const std::string& pattern, bool withAttributes) {
        std::vector<std::string> items;
        qv::WIN32_FIND_DATAA data;
        qv::HANDLE find = qv::FindFirstFileA(pattern.c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) return items;
        do {
            items.push_back(data.cFileName +
                            (withAttributes ? ":" + std::to_string(data.dwFileAttributes) : ""));
        } while (qv::FindNextFileA(find, &data));
        EXPECT_EQ(qv::GetLastError(), static_cast<std::uint32_t>(ERROR_NO_MORE_FILES));
        EXPECT_TRUE(qv::FindClose(find));
        return items;
    }

    qv::PosixFileSystem m_fs;
    qvtest::ScopedFileSystem m_installed{&m_fs};
    qvtest::TempDir m_dir;
};

}  // namespace

// Through the framework's file: creating empties a file, reading answers fewer bytes at the end,
// and the owner releases its file; a closed handle is refused, not reused.
TEST_F(PosixFiles, CreateEmptiesTheFileAndReadingAnswersFewerBytesAtTheEnd) {
    std::string path = m_dir.Write("out.bin", "old content that is longer");
    {
        CFile out;
        ASSERT_TRUE(out.Open(path.c_str(), CFile::modeCreate | CFile::modeWrite));
        EXPECT_FALSE(out.Open(path.c_str(), CFile::modeRead));  // already open
        EXPECT_TRUE(out.Write("abcdef", 6));
        CFile reader;
        EXPECT_FALSE(reader.Open(path.c_str(), CFile::modeRead | CFile::shareDenyWrite));
    }
    CFile in;
    ASSERT_TRUE(in.Open(path.c_str(), CFile::modeRead | CFile::shareDenyWrite));
    EXPECT_EQ(in.GetLength(), 6u);
    EXPECT_EQ(in.Seek(4, CFile::begin), 4);
    char buffer[8] = {};
    EXPECT_EQ(in.Read(buffer, sizeof buffer), 2u);
    EXPECT_EQ(std::string(buffer, 2), "ef");
    EXPECT_FALSE(in.Write("x", 1));  // opened for reading only
    in.Close();
    EXPECT_EQ(in.Read(buffer, 1), 0u);
    qv::HANDLE file = OpenForReading(path);
    EXPECT_TRUE(qv::CloseHandle(file));
    EXPECT_FALSE(qv::CloseHandle(file));
    EXPECT_EQ(qv::GetLastError(), static_cast<std::uint32_t>(ERROR_INVALID_HANDLE));
}

TEST_F(PosixFiles, OnlyExistingRegularFilesOpenForReading) {
    EXPECT_EQ(OpenForReading(m_dir / "missing"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(qv::GetLastError(), static_cast<std::uint32_t>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(OpenForReading(m_dir.MakeFolder("sub")), INVALID_HANDLE_VALUE);
    // A pipe with nobody writing must not hang the opener.
    std::string fifo = m_dir / "pipe.mid";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(OpenForReading(fifo), INVALID_HANDLE_VALUE);
    EXPECT_EQ(qv::GetLastError(), static_cast<std::uint32_t>(ERROR_ACCESS_DENIED));
}

TEST_F(PosixFiles, ReadersDenyingWritesKeepWritersOutWithoutLosingData) {
    std::string path = m_dir.Write("song.mid", "keep me");
    qv::HANDLE reader = OpenForReading(path);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    qv::HANDLE second = OpenForReading(path);
    EXPECT_NE(second, INVALID_HANDLE_VALUE);  // readers share
    EXPECT_EQ(CreateForWriting(path), INVALID_HANDLE_VALUE);
    EXPECT_EQ(qv::GetLastError(), static_cast<std::uint32_t>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(qvtest::ReadAll(path), "keep me");
    qv::CloseHandle(second);
    qv::CloseHandle(reader);
}

// The times set are read back in whole seconds; the read-only mark stays as it was.
TEST_F(PosixFiles, TimesSetAreReadBackInWholeSeconds) {
    std::string target = m_dir.Write("list.qvt", "t\r\n");
    ASSERT_EQ(::chmod(target.c_str(), 0444), 0);
    CFileStatus status;
    ASSERT_TRUE(CFile::GetStatus(target.c_str(), status));
    status.m_mtime = 1000000007;  // 2001-09-09
    status.m_atime = 1000000123;
    ASSERT_TRUE(CFile::SetStatus(target.c_str(), status));
    CFileStatus after;
    ASSERT_TRUE(CFile::GetStatus(target.c_str(), after));
    EXPECT_EQ(after.m_mtime, 1000000007);
    EXPECT_EQ(after.m_atime, 1000000123);
    EXPECT_EQ(after.m_attribute, status.m_attribute);
    EXPECT_TRUE(after.m_attribute & FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(CFile::GetStatus((m_dir / "missing").c_str(), after));
}

// Kinds follow links; a dangling link is a file; a dot name is hidden. Letters sort folded to upper
// case, as the original platform lists them: "_x.mid" after every letter.
TEST_F(PosixFiles, EnumerationListsDotsFoldersAndFilesSortedWithTheirKinds) {
    for (const char* name : {"b.MID", ".hidden", "_x.mid"}) m_dir.Write(name, "x");
    std::string song = m_dir.Write("A.mid", "x");
    m_dir.MakeFolder("Sub");
    std::filesystem::create_directory_symlink(m_dir / "Sub", m_dir / "link");
    ASSERT_EQ(::symlink(song.c_str(), (m_dir / "to-song").c_str()), 0);
    ASSERT_EQ(::symlink((m_dir / "nowhere").c_str(), (m_dir / "dangling").c_str()), 0);
    EXPECT_THAT(
        Enumerate(m_dir.Path() + "/*.*", true),
        ::testing::ElementsAre(".:16", "..:16", ".hidden:2", "A.mid:128", "b.MID:128",
                               "dangling:128", "link:16", "Sub:16", "to-song:128", "_x.mid:128"));
    EXPECT_THAT(Enumerate(m_dir.Path() + "/*.mid", false),
                ::testing::ElementsAre("A.mid", "b.MID", "_x.mid"));
    EXPECT_TRUE(Enumerate(m_dir.Path() + "/missing/*.*", false).empty());
    EXPECT_EQ(qv::GetLastError(), static_cast<std::uint32_t>(ERROR_PATH_NOT_FOUND));
}

// Every name of a path, folders too, is found ignoring case; an exact name always wins, and
// writing under another case replaces the file that is there instead of adding a second one. The
// names of a folder unchanged for a while are kept between look-ups, and read anew once it
// changes.
TEST_F(PosixFiles, NamesDifferingOnlyInLetterCaseAreFoundAndSpelledAsOnDisk) {
    std::string song = m_dir.Write("Music/song.txt", "doc");
    CFileStatus status;
    EXPECT_TRUE(CFile::GetStatus((m_dir / "MUSIC/SONG.TXT").c_str(), status));
    EXPECT_FALSE(CFile::GetStatus((m_dir / "MUSIC/SONG.DOC").c_str(), status));
    EXPECT_EQ(qv::GetDiskPath((m_dir / "music/Song.Txt").c_str()), song);
    EXPECT_EQ(qv::GetDiskPath((m_dir / "MUSIC/none/SONG.TXT").c_str()),
              m_dir / "Music/none/SONG.TXT");
    qv::HANDLE writer = CreateForWriting(m_dir / "MUSIC/SONG.TXT");
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    qv::CloseHandle(writer);
    EXPECT_EQ(qvtest::ReadAll(song), "");
    m_dir.Write("Music/SONG.TXT", "exact");
    EXPECT_TRUE(CFile::GetStatus((m_dir / "Music/SONG.TXT").c_str(), status));
    EXPECT_EQ(status.m_size, 5u);
    EXPECT_EQ(qv::GetDiskPath((m_dir / "Music/SONG.TXT").c_str()), m_dir / "Music/SONG.TXT");

    const timespec past[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (m_dir / "Music").c_str(), past, 0), 0);
    EXPECT_EQ(qv::GetDiskPath((m_dir / "MUSIC/Song.txt").c_str()), m_dir / "Music/SONG.TXT");
    std::filesystem::rename(song, m_dir / "Music/other.txt");
    EXPECT_EQ(qv::GetDiskPath((m_dir / "MUSIC/OTHER.TXT").c_str()), m_dir / "Music/other.txt");
}

TEST_F(PosixFiles, FullPathIsNormalisedAndFitsItsCapacity) {
    char buffer[MAX_PATH];
    std::string dir = m_dir.Path();
    ASSERT_NE(qv::_fullpath(buffer, (dir + "/./x/../y.mid").c_str(), sizeof buffer), nullptr);
    EXPECT_EQ(std::string(buffer), dir + "/y.mid");

    std::string exact = "/" + std::string(MAX_PATH - 2, 'p');  // 259 bytes and the zero
    EXPECT_NE(qv::_fullpath(buffer, exact.c_str(), sizeof buffer), nullptr);
    EXPECT_EQ(qv::_fullpath(buffer, (exact + "p").c_str(), sizeof buffer), nullptr);
}

TEST_F(PosixFiles, RenamingReplacesOnlyWhenAskedAndNeverAReadOnlyFile) {
    std::string from = m_dir.Write("new.tmp", "new");
    std::string to = m_dir.Write("List.qvl", "old");
    EXPECT_FALSE(qv::MoveFileExA(from.c_str(), to.c_str(), 0));
    EXPECT_EQ(qv::GetLastError(), static_cast<std::uint32_t>(ERROR_ALREADY_EXISTS));
    // The new name in another letter case still replaces the file that is there.
    EXPECT_TRUE(
        qv::MoveFileExA(from.c_str(), (m_dir / "list.qvl").c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(qvtest::ReadAll(to), "new");
    EXPECT_FALSE(std::filesystem::exists(from));
    EXPECT_FALSE(std::filesystem::exists(m_dir / "list.qvl"));

    std::string again = m_dir.Write("again.tmp", "again");
    ASSERT_EQ(::chmod(to.c_str(), 0444), 0);
    EXPECT_FALSE(qv::MoveFileExA(again.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(qv::GetLastError(), static_cast<std::uint32_t>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(qvtest::ReadAll(to), "new");
    EXPECT_FALSE(qv::DeleteFileA(m_dir.MakeFolder("folder").c_str()));

    // Through a link, the file it leads to is replaced and keeps its mode; the link stays.
    ASSERT_EQ(::chmod(to.c_str(), 0640), 0);
    ASSERT_EQ(::symlink(to.c_str(), (m_dir / "link.qvl").c_str()), 0);
    EXPECT_TRUE(
        qv::MoveFileExA(again.c_str(), (m_dir / "link.qvl").c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_TRUE(std::filesystem::is_symlink(m_dir / "link.qvl"));
    EXPECT_EQ(qvtest::ReadAll(to), "again");
    EXPECT_EQ(std::filesystem::status(to).permissions(), std::filesystem::perms(0640));
}
