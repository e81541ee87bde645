// The file-system contract on the POSIX backend, in temporary folders.
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

    struct Item {
        std::string name;
        std::uint32_t attributes;
    };
    std::vector<Item> Enumerate(const std::string& pattern) {
        std::vector<Item> items;
        qv::WIN32_FIND_DATAA data;
        qv::HANDLE find = qv::FindFirstFileA(pattern.c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) return items;
        do {
            items.push_back({data.cFileName, data.dwFileAttributes});
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

TEST_F(PosixFiles, CreateAlwaysEmptiesTheFileAndReadAnswersFewerBytesAtTheEnd) {
    std::string path = m_dir.Write("a.bin", "old content that is longer");
    qv::HANDLE file = CreateForWriting(path);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    std::uint32_t done = 0;
    EXPECT_TRUE(qv::WriteFile(file, "0123456789", 10, &done));
    EXPECT_EQ(done, 10u);
    EXPECT_TRUE(qv::CloseHandle(file));

    file = OpenForReading(path);
    std::int64_t size = 0;
    EXPECT_TRUE(qv::GetFileSizeEx(file, &size));
    EXPECT_EQ(size, 10);
    char buffer[16] = {};
    EXPECT_TRUE(qv::ReadFile(file, buffer, 8, &done));
    EXPECT_TRUE(qv::ReadFile(file, buffer, 8, &done));
    EXPECT_EQ(std::string(buffer, done), "89");
    EXPECT_TRUE(qv::ReadFile(file, buffer, 8, &done));
    EXPECT_EQ(done, 0u);
    EXPECT_TRUE(qv::CloseHandle(file));
    EXPECT_FALSE(qv::CloseHandle(file));  // a closed handle is refused, not reused
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

    qv::HANDLE writer = CreateForWriting(path);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    EXPECT_EQ(OpenForReading(path), INVALID_HANDLE_VALUE);  // a writer shares nothing
    qv::CloseHandle(writer);
}

TEST_F(PosixFiles, CopiedTimesCompareEqualInWholeSeconds) {
    std::string source = m_dir.Write("list.qvl", "a\r\n");
    std::string target = m_dir.Write("list.qvt", "t\r\n");
    ASSERT_EQ(::chmod(target.c_str(), 0444), 0);  // read-only must stay read-only
    CFileStatus status;
    ASSERT_TRUE(CFile::GetStatus(source.c_str(), status));
    status.m_mtime = 1000000007;  // 2001-09-09
    status.m_atime = 1000000123;
    ASSERT_TRUE(CFile::SetStatus(source.c_str(), status));

    CFileStatus from, to;
    ASSERT_TRUE(CFile::GetStatus(source.c_str(), from));
    ASSERT_TRUE(CFile::GetStatus(target.c_str(), to));
    EXPECT_EQ(from.m_mtime, 1000000007);
    EXPECT_NE(to.m_mtime, from.m_mtime);
    BYTE attribute = to.m_attribute;
    to.m_ctime = from.m_ctime;
    to.m_mtime = from.m_mtime;
    to.m_atime = from.m_atime;
    ASSERT_TRUE(CFile::SetStatus(target.c_str(), to));

    CFileStatus after;
    ASSERT_TRUE(CFile::GetStatus(target.c_str(), after));
    EXPECT_EQ(after.m_mtime, from.m_mtime);
    EXPECT_EQ(after.m_attribute, attribute);
    EXPECT_TRUE(after.m_attribute & FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(CFile::GetStatus((m_dir / "missing").c_str(), after));
}

// Kinds follow links; a dangling link is a file; a dot name is hidden.
TEST_F(PosixFiles, EnumerationListsDotsFoldersAndFilesSortedWithTheirKinds) {
    m_dir.Write("b.MID", "x");
    m_dir.Write(".hidden", "x");
    std::string song = m_dir.Write("A.mid", "x");
    m_dir.MakeFolder("Sub");
    std::filesystem::create_directory_symlink(m_dir / "Sub", m_dir / "link");
    ASSERT_EQ(::symlink(song.c_str(), (m_dir / "to-song").c_str()), 0);
    ASSERT_EQ(::symlink((m_dir / "nowhere").c_str(), (m_dir / "dangling").c_str()), 0);
    std::vector<std::string> items;
    for (const auto& item : Enumerate(m_dir.Path() + "/*.*"))
        items.push_back(item.name + ":" + std::to_string(item.attributes));
    EXPECT_THAT(items,
                ::testing::ElementsAre(".:16", "..:16", ".hidden:2", "A.mid:128", "b.MID:128",
                                       "dangling:128", "link:16", "Sub:16", "to-song:128"));
    std::vector<std::string> mids;
    for (const auto& item : Enumerate(m_dir.Path() + "/*.mid")) mids.push_back(item.name);
    EXPECT_THAT(mids, ::testing::ElementsAre("A.mid", "b.MID"));
    EXPECT_TRUE(Enumerate(m_dir.Path() + "/missing/*.*").empty());
    EXPECT_EQ(qv::GetLastError(), static_cast<std::uint32_t>(ERROR_PATH_NOT_FOUND));
}

TEST_F(PosixFiles, NamesDifferingOnlyInLetterCaseAreFound) {
    std::string song = m_dir.Write("Music/song.txt", "doc");
    CFileStatus status;
    EXPECT_TRUE(CFile::GetStatus((m_dir / "MUSIC/SONG.TXT").c_str(), status));
    EXPECT_FALSE(CFile::GetStatus((m_dir / "MUSIC/SONG.DOC").c_str(), status));
    qv::HANDLE file = OpenForReading(m_dir / "music/Song.Txt");
    EXPECT_NE(file, INVALID_HANDLE_VALUE);
    qv::CloseHandle(file);

    // Writing under another case replaces the file that is there instead of adding a second one.
    qv::HANDLE writer = CreateForWriting(m_dir / "MUSIC/SONG.TXT");
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    qv::CloseHandle(writer);
    EXPECT_EQ(qvtest::ReadAll(song), "");
    EXPECT_FALSE(std::filesystem::exists(m_dir / "Music/SONG.TXT"));

    // An exact name always wins over a case-folded one.
    m_dir.Write("Music/SONG.TXT", "exact");
    EXPECT_TRUE(CFile::GetStatus((m_dir / "Music/SONG.TXT").c_str(), status));
    EXPECT_EQ(status.m_size, 5u);
}

TEST_F(PosixFiles, StatMarksFoldersAndFullPathFitsItsCapacity) {
    qv::StatBuffer st{};
    ASSERT_EQ(qv::StatPath(m_dir.Path().c_str(), &st), 0);
    EXPECT_TRUE(st.st_mode & _S_IFDIR);
    ASSERT_EQ(qv::StatPath(m_dir.Write("f", "abc").c_str(), &st), 0);
    EXPECT_FALSE(st.st_mode & _S_IFDIR);

    char buffer[MAX_PATH];
    std::string dir = m_dir.Path();
    ASSERT_NE(qv::_fullpath(buffer, (dir + "/./x/../y.mid").c_str(), sizeof buffer), nullptr);
    EXPECT_EQ(std::string(buffer), dir + "/y.mid");

    std::string exact = "/" + std::string(MAX_PATH - 2, 'p');  // 259 bytes and the zero
    EXPECT_NE(qv::_fullpath(buffer, exact.c_str(), sizeof buffer), nullptr);
    std::string tooLong = exact + "p";
    EXPECT_EQ(qv::_fullpath(buffer, tooLong.c_str(), sizeof buffer), nullptr);
}

// The identity of a folder, opened the one way a folder opens: volume, index high, index low.
std::vector<std::uint32_t> FolderId(const std::string& path) {
    qv::HANDLE h = qv::CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
    if (h == INVALID_HANDLE_VALUE) return {};
    qv::BY_HANDLE_FILE_INFORMATION info{};
    bool known = qv::GetFileInformationByHandle(h, &info) != 0;
    qv::CloseHandle(h);
    if (!known) return {};
    return {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

TEST_F(PosixFiles, AFolderOpensOnlyForItsIdentityWhichALinkShares) {
    std::string folder = m_dir.MakeFolder("music");
    ASSERT_EQ(::symlink(folder.c_str(), (m_dir / "link").c_str()), 0);
    EXPECT_EQ(OpenForReading(folder), INVALID_HANDLE_VALUE);
    std::vector<std::uint32_t> id = FolderId(folder);
    ASSERT_EQ(id.size(), 3u);
    EXPECT_EQ(FolderId(m_dir / "link"), id);
    EXPECT_EQ(FolderId(m_dir / "MUSIC"), id);  // letter case falls back like any name
    EXPECT_NE(FolderId(m_dir.MakeFolder("other")), id);
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
}
