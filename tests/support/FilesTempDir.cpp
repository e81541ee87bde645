#include "tests/support/FilesTempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

namespace qvtest {

TempDir::TempDir() {
    // A fresh name each try: create_directory answers false when the name is taken.
    std::mt19937_64 random(std::random_device{}());
    std::error_code error;
    const std::filesystem::path base = std::filesystem::temp_directory_path(error);
    for (int attempt = 0; attempt < 100 && m_path.empty() && !error; ++attempt) {
        const std::filesystem::path path = base / ("quavel-test-" + std::to_string(random()));
        if (std::filesystem::create_directory(path, error)) m_path = path.string();
    }
    EXPECT_FALSE(m_path.empty()) << "cannot make a temporary folder";
}

TempDir::~TempDir() {
    std::error_code ignored;
    if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
}

std::string TempDir::operator/(std::string_view name) const {
    // The system's own separator throughout, so that a path the system normalises reads back the
    // same: tests write "sub/name" on every system.
    constexpr char kSeparator = static_cast<char>(std::filesystem::path::preferred_separator);
    std::string path = m_path + kSeparator + std::string(name);
    std::replace(path.begin() + static_cast<std::ptrdiff_t>(m_path.size()), path.end(), '/',
                 kSeparator);
    return path;
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
