#pragma once
// The system's file backend installed over a temporary folder, for the file-system contract.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/files.h"
#include "tests/support/FilesTempDir.h"
#include "tests/support/SystemBackends.h"

namespace qvtest {

class FilesContract : public ::testing::Test {
protected:
    qv::HANDLE OpenForReading(const std::string& path) {
        return qv::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL);
    }
    qv::HANDLE CreateForWriting(const std::string& path) {
        return qv::CreateFileA(path.c_str(), GENERIC_WRITE, 0, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL);
    }
    // The names a pattern inside the folder finds, folders marked ":dir".
    std::vector<std::string> Enumerate(const std::string& pattern) {
        std::vector<std::string> items;
        qv::WIN32_FIND_DATAA data;
        qv::HANDLE find = qv::FindFirstFileA((m_dir / pattern).c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) return items;
        do {
            const bool folder = data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
            items.push_back(std::string(data.cFileName) + (folder ? ":dir" : ""));
        } while (qv::FindNextFileA(find, &data));
        EXPECT_EQ(qv::GetLastError(), static_cast<std::uint32_t>(ERROR_NO_MORE_FILES));
        EXPECT_TRUE(qv::FindClose(find));
        return items;
    }

    SystemFileSystem m_fs;
    ScopedFileSystem m_installed{&m_fs};
    TempDir m_dir;
};

}  // namespace qvtest
