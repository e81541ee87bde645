#pragma once
#include "platform/files.h"

namespace qv::win32 {

// The file seam on KERNEL32's ANSI calls, passed straight through: the program's byte strings are
// in the active code page, which the manifest makes UTF-8. A failing call copies the system's last
// error into the seam's.
class Win32FileSystem : public IFileSystem {
public:
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
    std::int32_t MoveFileExA(const char* existing, const char* newName,
                             std::uint32_t flags) override;
    std::int32_t DeleteFileA(const char* name) override;
    HANDLE FindFirstFileA(const char* pattern, WIN32_FIND_DATAA* data) override;
    std::int32_t FindNextFileA(HANDLE find, WIN32_FIND_DATAA* data) override;
    std::int32_t FindClose(HANDLE find) override;

    int Stat(const char* path, StatBuffer* buffer) override;
    char* FullPath(char* absPath, const char* relPath, std::size_t maxLength) override;
    std::uint32_t GetModuleFileNameA(HMODULE module, char* fileName, std::uint32_t size) override;
};

}  // namespace qv::win32
