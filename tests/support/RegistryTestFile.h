#pragma once
// A file registry in a temporary folder, installed as the registry for the length of a test.
#include <memory>
#include <string>
#include <string_view>

#include "platform/posix/RegistryFile.h"
#include "platform/registry.h"
#include "tests/support/FilesTempDir.h"

namespace qv::test {

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

    std::string FilePath() const { return m_dir / "registry.reg"; }
    std::string ReadFile() const { return qvtest::ReadAll(FilePath()); }
    void WriteFile(std::string_view text) const { m_dir.Write("registry.reg", text); }

private:
    void Start() {
        m_backend = std::make_unique<qv::posix::RegistryFile>(FilePath());
        m_previous = qv::InstallRegistry(m_backend.get());
    }
    void Stop() {
        qv::InstallRegistry(m_previous);
        m_backend.reset();
    }

    qvtest::TempDir m_dir;
    std::unique_ptr<qv::posix::RegistryFile> m_backend;
    qv::IRegistry* m_previous = nullptr;
};

}  // namespace qv::test
