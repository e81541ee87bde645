// CFile over the POSIX backend: open modes, the owner's release of its file, seeking.
#include <gtest/gtest.h>

#include <string>

#include "framework/File.h"
#include "platform/posix/files_posix.h"
#include "tests/support/FilesTempDir.h"

namespace {

class CFileTest : public ::testing::Test {
protected:
    qv::PosixFileSystem m_fs;
    qvtest::ScopedFileSystem m_installed{&m_fs};
    qvtest::TempDir m_dir;
};

}  // namespace

// The owner releases its file for the next opener.
TEST_F(CFileTest, CreateWritesAndReadBackSeesTheBytes) {
    std::string path = m_dir / "out.bin";
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
    EXPECT_FALSE(in.IsOpen());
    EXPECT_EQ(in.Read(buffer, 1), 0u);
}
