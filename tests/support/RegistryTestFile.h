#pragma once
// The registry for the length of a test, installed as the registry seam's backend. On Linux it is
// a registry file in a temporary folder; on Windows the system's own registry, with
// HKEY_CURRENT_USER standing for a test key that is emptied before and deleted after, so that a
// test never touches the user's settings. Tests that only need a registry build on both; the
// file's own members are Linux's alone.
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "platform/registry.h"
#include "tests/support/FilesTempDir.h"
#include "tests/support/Wine.h"
#ifdef _WIN32
#include <process.h>

#include "platform/win32/Win32Registry.h"
#else
#include "platform/posix/RegistryFile.h"
#endif

namespace qv::test {

class ScopedFileRegistry {
public:
    ScopedFileRegistry() { Remove(), Start(); }
    ~ScopedFileRegistry() { Stop(), Remove(); }
    ScopedFileRegistry(const ScopedFileRegistry&) = delete;
    ScopedFileRegistry& operator=(const ScopedFileRegistry&) = delete;

    // Ends this backend (writing what is pending) and starts a new one on the same registry, as
    // the next run of the program would.
    void Restart() { Stop(), Start(); }
    // Starts again on an empty registry.
    void Clear() { Stop(), Remove(), Start(); }

#ifdef _WIN32
private:
    // Until Stop the whole process sees the test key as HKEY_CURRENT_USER.
    void Start() {
        qvtest::OverrideCurrentUser(m_path.c_str());
        m_previous = InstallRegistry(&m_backend);
    }
    void Stop() {
        InstallRegistry(m_previous), qvtest::OverrideCurrentUser(nullptr);
    }
    void Remove() {
        qvtest::DeleteSystemRegistryKey(m_path.c_str());
    }

    const std::string m_path = "Software\\Velmora\\QuavelTest" + std::to_string(_getpid());
    qv::win32::Win32Registry m_backend;
#else
    std::string FilePath() const {
        return m_dir / "registry.reg";
    }
    std::string ReadFile() const {
        return qvtest::ReadAll(FilePath());
    }
    void WriteFile(std::string_view text) const {
        m_dir.Write("registry.reg", text);
    }

private:
    void Start() {
        m_backend = std::make_unique<posix::RegistryFile>(FilePath());
        m_previous = InstallRegistry(m_backend.get());
    }
    void Stop() {
        InstallRegistry(m_previous), m_backend.reset();
    }
    void Remove() const {
        std::error_code ignored;
        std::filesystem::remove(FilePath(), ignored);
    }

    qvtest::TempDir m_dir;
    std::unique_ptr<posix::RegistryFile> m_backend;
#endif
    IRegistry* m_previous = nullptr;
};

}  // namespace qv::test
