// The file-system contract, on the system's own backend (POSIX on Linux, Win32 in the Windows
// build), in temporary folders.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "framework/File.h"
#include "platform/files.h"
#include "tests/support/FilesContract.h"
#include "tests/support/Wine.h"

namespace fs = std::filesystem;
using FilesContract = qvtest::FilesContract;

// Through the framework's file: creating empties a file, reading answers fewer bytes at the end,
// and the owner releases its file; a closed handle is refused, not reused.
TEST_F(FilesContract, CreateEmptiesTheFileAndReadingAnswersFewerBytesAtTheEnd) {
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

// Only existing regular files open; readers share, and a reader denying writes keeps a writer out
// without the writer emptying the file.
TEST_F(FilesContract, OnlyExistingFilesOpenAndReadersKeepWritersOut) {
    EXPECT_EQ(OpenForReading(m_dir / "missing"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(qv::GetLastError(), static_cast<std::uint32_t>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(OpenForReading(m_dir.MakeFolder("sub")), INVALID_HANDLE_VALUE);

    std::string path = m_dir.Write("song.mid", "keep me");
    qv::HANDLE reader = OpenForReading(path);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    qv::HANDLE second = OpenForReading(path);
    EXPECT_NE(second, INVALID_HANDLE_VALUE);
    EXPECT_EQ(CreateForWriting(path), INVALID_HANDLE_VALUE);
    EXPECT_EQ(qv::GetLastError(), static_cast<std::uint32_t>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(qvtest::ReadAll(path), "keep me");
    qv::CloseHandle(second);
    qv::CloseHandle(reader);
}

// The times set are read back in whole seconds; the read-only mark stays as it was.
TEST_F(FilesContract, TimesSetAreReadBackInWholeSeconds) {
    std::string target = m_dir.Write("list.qvt", "t\r\n");
    fs::permissions(target,
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    CFileStatus status;
    ASSERT_TRUE(CFile::GetStatus(target.c_str(), status));
    status.m_mtime = 1000000007;  // 2001-09-09
    status.m_atime = 1000000123;
    ASSERT_TRUE(CFile::SetStatus(target.c_str(), status));
    CFileStatus after;
    ASSERT_TRUE(CFile::GetStatus(target.c_str(), after));
    fs::permissions(target, fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(after.m_mtime, 1000000007);
    EXPECT_EQ(after.m_atime, 1000000123);
    EXPECT_EQ(after.m_attribute, status.m_attribute);
    EXPECT_TRUE(after.m_attribute & FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(CFile::GetStatus((m_dir / "missing").c_str(), after));
}

// Letters sort folded to upper case, as the Windows file system lists them: "_x.mid" after every
// letter. A name is found in any letter case.
TEST_F(FilesContract, EnumerationListsDotsFoldersAndFilesSortedAndNamesIgnoreCase) {
    for (const char* name : {"b.MID", "_x.mid", "A.mid"}) m_dir.Write(name, "x");
    m_dir.MakeFolder("Sub");
    EXPECT_THAT(Enumerate("*.mid"), ::testing::UnorderedElementsAre("A.mid", "b.MID", "_x.mid"));
    EXPECT_TRUE(Enumerate("missing/*.*").empty());
    EXPECT_EQ(qv::GetLastError(), static_cast<std::uint32_t>(ERROR_PATH_NOT_FOUND));
    CFileStatus status;
    EXPECT_TRUE(CFile::GetStatus((m_dir / "SUB/../a.MID").c_str(), status));
    EXPECT_EQ(status.m_size, 1u);
    EXPECT_THAT(Enumerate("*.*"),
                ::testing::ElementsAre(".:dir", "..:dir", "A.mid", "b.MID", "Sub:dir", "_x.mid"));
}

// A full path is normalised; the program's own file name is cut to fit and says so.
TEST_F(FilesContract, FullPathIsNormalisedAndOwnFileNameIsCutToFit) {
    char buffer[MAX_PATH];
    ASSERT_NE(qv::_fullpath(buffer, (m_dir / "./x/../y.mid").c_str(), sizeof buffer), nullptr);
    EXPECT_EQ(std::string(buffer), m_dir / "y.mid");
    ASSERT_GT(qv::GetModuleFileNameA(nullptr, buffer, sizeof buffer), 4u);
    char tiny[4] = {};
    EXPECT_EQ(qv::GetModuleFileNameA(nullptr, tiny, sizeof tiny), sizeof tiny);
    EXPECT_EQ(qv::GetLastError(), static_cast<std::uint32_t>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(std::string(tiny), std::string(buffer, 3));
}

// Renaming replaces only when asked, never a read-only file, and a new name in another letter
// case replaces the file that is there instead of adding a second one.
TEST_F(FilesContract, RenamingReplacesOnlyWhenAskedAndNeverAReadOnlyFile) {
    std::string from = m_dir.Write("new.tmp", "new");
    std::string to = m_dir.Write("List.qvl", "old");
    EXPECT_FALSE(qv::MoveFileExA(from.c_str(), to.c_str(), 0));
    EXPECT_EQ(qv::GetLastError(), static_cast<std::uint32_t>(ERROR_ALREADY_EXISTS));
    EXPECT_TRUE(
        qv::MoveFileExA(from.c_str(), (m_dir / "list.qvl").c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(qvtest::ReadAll(to), "new");
    EXPECT_EQ(Enumerate("*.*").size(), 3u) << "the dots and one list";

    EXPECT_FALSE(qv::DeleteFileA(m_dir.MakeFolder("folder").c_str()));

    std::string again = m_dir.Write("again.tmp", "again");
    fs::permissions(to, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    QV_SKIP_WINE_DIFFERENCE("MoveFileExA replaces a read-only file");
    EXPECT_FALSE(qv::MoveFileExA(again.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(qv::GetLastError(), static_cast<std::uint32_t>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(qvtest::ReadAll(to), "new");
    fs::permissions(to, fs::perms::owner_write, fs::perm_options::add);
}
