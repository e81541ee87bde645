#pragma once
// A temporary folder that removes itself, and a scoped installation of a file-system backend.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/Installed.h"
#include "platform/files.h"

namespace qvtest {

class TempDir {
public:
    TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir();

    const std::string& Path() const { return m_path; }
    // The path of a name inside the folder.
    std::string operator/(std::string_view name) const;
    // Writes the bytes to a file of the folder (sub-folders are made) and answers its path.
    std::string Write(std::string_view name, std::string_view bytes) const;
    std::string Write(std::string_view name, std::span<const std::uint8_t> bytes) const {
        return Write(name,
                     std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    }
    // Makes a sub-folder and answers its path.
    std::string MakeFolder(std::string_view name) const;

private:
    std::string m_path;
};

// The whole content of a file, read without the seam; empty when it cannot be read.
std::string ReadAll(const std::string& path);

// Installs a backend for the life of the object and puts back the one installed before.
struct ScopedFileSystem : qv::Installed<qv::IFileSystem, qv::InstallFileSystem> {
    explicit ScopedFileSystem(qv::IFileSystem* backend) : Installed(*backend) {}
};

}  // namespace qvtest
