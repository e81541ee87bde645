#include "tests/support/FilesTempDir.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace qvtest {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quavel-test-XXXXXX").string();
    if (::mkdtemp(pattern.data())) m_path = pattern;
    EXPECT_FALSE(m_path.empty()) << "cannot make a temporary folder";
}

TempDir::~TempDir() {
    std::error_code ignored;
    if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
}

std::string TempDir::operator/(std::string_view name) const {
    return m_path + "/" + std::string(name);
}

std::string TempDir::Write(std::string_view name, std::string_view bytes) const {
    std::string path = *this / name;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    EXPECT_TRUE(out.good()) << "cannot write " << path;
    return path;
}

std::string TempDir::MakeFolder(std::string_view name) const {
    std::string path = *this / name;
    std::filesystem::create_directories(path);
    return path;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace qvtest
