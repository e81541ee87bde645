#pragma once
// Registry test helpers (used by tests/registry and tests/settings): a private temporary folder,
// and a file registry on it installed as the registry for the length of a test.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>

#include "platform/posix/RegistryFile.h"
#include "platform/registry.h"

namespace qv::test {

class RegistryTempDir {
public:
    RegistryTempDir() {
        std::string pattern = std::filesystem::temp_directory_path().string() + "/quavel-reg-XXXXXX";
        if (::mkdtemp(pattern.data())) m_path = pattern;
        EXPECT_FALSE(m_path.empty()) << "cannot create a temporary folder";
    }
    ~RegistryTempDir() {
        std::error_code ignored;
        if (!m_path.empty()) std::filesystem::remove_all(m_path, ignored);
    }
    RegistryTempDir(const RegistryTempDir&) = delete;
    RegistryTempDir& operator=(const RegistryTempDir&) = delete;

    const std::string& Path() const { return m_path; }
    std::string File(std::string_view name) const { return m_path + "/" + std::string(name); }

private:
    std::string m_path;
};

inline std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void WriteWholeFile(const std::string& path, std::string_view text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

// A file registry on <temporary folder>/registry.reg, installed while the object lives.
class ScopedFileRegistry {
public:
    ScopedFileRegistry() { Start(); }
    ~ScopedFileRegistry() { Stop(); }
    ScopedFileRegistry(const ScopedFileRegistry&) = delete;
    ScopedFileRegistry& operator=(const ScopedFileRegistry&) = delete;

    // Ends this backend (writing what is pending) and starts a new one on the same file, as the
    // next run of the program would.
    void Restart() {
        Stop();
        Start();
    }

    qv::posix::RegistryFile& Backend() { return *m_backend; }
    const RegistryTempDir& Dir() const { return m_dir; }
    std::string FilePath() const { return m_dir.File("registry.reg"); }
    std::string ReadFile() const { return ReadWholeFile(FilePath()); }
    void WriteFile(std::string_view text) const { WriteWholeFile(FilePath(), text); }

private:
    void Start() {
        m_backend = std::make_unique<qv::posix::RegistryFile>(FilePath());
        m_previous = qv::InstallRegistry(m_backend.get());
    }
    void Stop() {
        qv::InstallRegistry(m_previous);
        m_backend.reset();
    }

    RegistryTempDir m_dir;
    std::unique_ptr<qv::posix::RegistryFile> m_backend;
    qv::IRegistry* m_previous = nullptr;
};

}  // namespace qv::test
