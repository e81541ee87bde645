#pragma once
#include <memory>

#include "platform/files.h"

namespace qv {

// The real file system on POSIX, with the Windows-like rules the program was written for:
// - "/" separates folders; texts are UTF-8.
// - A name that does not exist exactly is matched without regard to ASCII letter case in its
//   folder, one path component at a time; when several names match, the byte-wise smallest wins.
// - Sharing is approximated with advisory flock() locks, which only other instances of this
//   program honour: writers and openers that share nothing lock exclusively, readers that deny
//   writing lock shared, readers that allow writing take no lock. A conflict fails at once with
//   ERROR_SHARING_VIOLATION, before CREATE_ALWAYS empties anything.
// - Only regular files open; a folder, a pipe or a device fails with ERROR_ACCESS_DENIED, except a
//   folder opened with FILE_FLAG_BACKUP_SEMANTICS for its identity (device and inode number).
// - Renaming replaces a file atomically; like Windows it refuses to replace a read-only file. A
//   file replaced through a symbolic link is replaced where the link leads (the link stays), and
//   the new file takes the replaced one's mode and, where allowed, its owner.
// - Times are whole seconds. Creation time is the birth time where the file system records it,
//   else the modification time; it cannot be set, so SetFileTime sets access and modification.
// - Folders enumerate sorted by name with letters folded to upper case, "." and ".." first; a
// symbolic link is
//   reported as what it points to. An item's kind (folder or file, hidden by its leading dot) comes
//   from the listing itself, which keeps scanning large folders cheap; its times, size and
//   read-only mark are filled in only when the listing cannot tell its kind (ask
//   GetFileAttributesExA for them).
class PosixFileSystem : public IFileSystem {
public:
    PosixFileSystem();
    ~PosixFileSystem() override;
    PosixFileSystem(const PosixFileSystem&) = delete;
    PosixFileSystem& operator=(const PosixFileSystem&) = delete;

    PathSyntax GetPathSyntax() override;

    HANDLE CreateFileA(const char* name, std::uint32_t access, std::uint32_t shareMode,
                       std::uint32_t creationDisposition,
                       std::uint32_t flagsAndAttributes) override;
    std::int32_t ReadFile(HANDLE file, void* buffer, std::uint32_t toRead,
                          std::uint32_t* read) override;
    std::int32_t WriteFile(HANDLE file, const void* buffer, std::uint32_t toWrite,
                           std::uint32_t* written) override;
    std::int32_t GetFileSizeEx(HANDLE file, std::int64_t* size) override;
    std::int32_t SetFilePointerEx(HANDLE file, std::int64_t distance, std::int64_t* newPosition,
                                  std::uint32_t moveMethod) override;
    std::int32_t GetFileInformationByHandle(HANDLE file, BY_HANDLE_FILE_INFORMATION* info) override;
    std::int32_t SetFileTime(HANDLE file, const FILETIME* creation, const FILETIME* lastAccess,
                             const FILETIME* lastWrite) override;
    std::int32_t CloseHandle(HANDLE handle) override;

    std::int32_t GetFileAttributesExA(const char* name, WIN32_FILE_ATTRIBUTE_DATA* data) override;
    std::string GetDiskPath(const char* path) override;
    std::int32_t MoveFileExA(const char* existing, const char* newName,
                             std::uint32_t flags) override;
    std::int32_t DeleteFileA(const char* name) override;
    HANDLE FindFirstFileA(const char* pattern, WIN32_FIND_DATAA* data) override;
    std::int32_t FindNextFileA(HANDLE find, WIN32_FIND_DATAA* data) override;
    std::int32_t FindClose(HANDLE find) override;

    int Stat(const char* path, StatBuffer* buffer) override;
    char* FullPath(char* absPath, const char* relPath, std::size_t maxLength) override;
    std::uint32_t GetModuleFileNameA(HMODULE module, char* fileName, std::uint32_t size) override;

private:
    struct Handles;
    std::unique_ptr<Handles> m_pHandles;
};

}  // namespace qv
