// <windows.h> first, so that the seam headers leave its names alone.
// clang-format off
#include <windows.h>
// clang-format on

#include "platform/win32/Win32Files.h"

#include <cstdlib>
#include <cstring>

namespace qv::win32 {
namespace {

// The seam's structures are the system's, field for field.
static_assert(sizeof(qv::FILETIME) == sizeof(::FILETIME));
static_assert(sizeof(qv::WIN32_FIND_DATAA) == sizeof(::WIN32_FIND_DATAA));
static_assert(sizeof(qv::BY_HANDLE_FILE_INFORMATION) == sizeof(::BY_HANDLE_FILE_INFORMATION));
static_assert(sizeof(qv::WIN32_FILE_ATTRIBUTE_DATA) == sizeof(::WIN32_FILE_ATTRIBUTE_DATA));

template <typename Result>
Result Failed(Result result) {
    qv::SetLastError(::GetLastError());
    return result;
}

std::int32_t Checked(BOOL ok) {
    return ok ? 1 : Failed<std::int32_t>(0);
}

HANDLE CheckedHandle(::HANDLE handle) {
    return handle == INVALID_HANDLE_VALUE ? Failed<HANDLE>(handle) : handle;
}

}  // namespace

PathSyntax Win32FileSystem::GetPathSyntax() {
    // Shift-JIS is the one double-byte code page the program knows; any other keeps UTF-8 rules.
    return PathSyntax{::GetACP() == 932 ? 932u : CP_UTF8, '\\', '/', 1};
}

HANDLE Win32FileSystem::CreateFileA(const char* name, std::uint32_t access, std::uint32_t shareMode,
                                    std::uint32_t creationDisposition,
                                    std::uint32_t flagsAndAttributes) {
    return CheckedHandle(::CreateFileA(name, access, shareMode, nullptr, creationDisposition,
                                       flagsAndAttributes, nullptr));
}

std::int32_t Win32FileSystem::ReadFile(HANDLE file, void* buffer, std::uint32_t toRead,
                                       std::uint32_t* read) {
    DWORD n = 0;
    BOOL ok = ::ReadFile(file, buffer, toRead, &n, nullptr);
    if (read) *read = n;
    return Checked(ok);
}

std::int32_t Win32FileSystem::WriteFile(HANDLE file, const void* buffer, std::uint32_t toWrite,
                                        std::uint32_t* written) {
    DWORD n = 0;
    BOOL ok = ::WriteFile(file, buffer, toWrite, &n, nullptr);
    if (written) *written = n;
    return Checked(ok);
}

std::int32_t Win32FileSystem::GetFileSizeEx(HANDLE file, std::int64_t* size) {
    LARGE_INTEGER value{};
    BOOL ok = ::GetFileSizeEx(file, &value);
    if (ok && size) *size = value.QuadPart;
    return Checked(ok);
}

std::int32_t Win32FileSystem::SetFilePointerEx(HANDLE file, std::int64_t distance,
                                               std::int64_t* newPosition,
                                               std::uint32_t moveMethod) {
    LARGE_INTEGER move{};
    move.QuadPart = distance;
    LARGE_INTEGER position{};
    BOOL ok = ::SetFilePointerEx(file, move, &position, moveMethod);
    if (ok && newPosition) *newPosition = position.QuadPart;
    return Checked(ok);
}

std::int32_t Win32FileSystem::GetFileInformationByHandle(HANDLE file,
                                                         BY_HANDLE_FILE_INFORMATION* info) {
    ::BY_HANDLE_FILE_INFORMATION system{};
    BOOL ok = ::GetFileInformationByHandle(file, &system);
    if (ok && info) std::memcpy(info, &system, sizeof system);
    return Checked(ok);
}

std::int32_t Win32FileSystem::SetFileTime(HANDLE file, const FILETIME* creation,
                                          const FILETIME* lastAccess, const FILETIME* lastWrite) {
    return Checked(::SetFileTime(file, reinterpret_cast<const ::FILETIME*>(creation),
                                 reinterpret_cast<const ::FILETIME*>(lastAccess),
                                 reinterpret_cast<const ::FILETIME*>(lastWrite)));
}

std::int32_t Win32FileSystem::CloseHandle(HANDLE handle) {
    return Checked(::CloseHandle(handle));
}

std::int32_t Win32FileSystem::GetFileAttributesExA(const char* name,
                                                   WIN32_FILE_ATTRIBUTE_DATA* data) {
    ::WIN32_FILE_ATTRIBUTE_DATA system{};
    BOOL ok = ::GetFileAttributesExA(name, GetFileExInfoStandard, &system);
    if (ok && data) std::memcpy(data, &system, sizeof system);
    return Checked(ok);
}

std::int32_t Win32FileSystem::MoveFileExA(const char* existing, const char* newName,
                                          std::uint32_t flags) {
    return Checked(::MoveFileExA(existing, newName, flags));
}

std::int32_t Win32FileSystem::DeleteFileA(const char* name) {
    return Checked(::DeleteFileA(name));
}

HANDLE Win32FileSystem::FindFirstFileA(const char* pattern, WIN32_FIND_DATAA* data) {
    ::WIN32_FIND_DATAA system{};
    ::HANDLE find = ::FindFirstFileA(pattern, &system);
    if (find != INVALID_HANDLE_VALUE && data) std::memcpy(data, &system, sizeof system);
    return CheckedHandle(find);
}

std::int32_t Win32FileSystem::FindNextFileA(HANDLE find, WIN32_FIND_DATAA* data) {
    ::WIN32_FIND_DATAA system{};
    BOOL ok = ::FindNextFileA(find, &system);
    if (ok && data) std::memcpy(data, &system, sizeof system);
    return Checked(ok);
}

std::int32_t Win32FileSystem::FindClose(HANDLE find) {
    return Checked(::FindClose(find));
}

int Win32FileSystem::Stat(const char* path, StatBuffer* buffer) {
    ::WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!path || !::GetFileAttributesExA(path, GetFileExInfoStandard, &data))
        return Failed<int>(-1);
    if (buffer) {
        const bool folder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        buffer->st_mode = folder ? _S_IFDIR : _S_IFREG;
        buffer->st_size = (std::int64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    }
    return 0;
}

char* Win32FileSystem::FullPath(char* absPath, const char* relPath, std::size_t maxLength) {
    if (!absPath || !relPath || maxLength == 0) return nullptr;
    DWORD n = ::GetFullPathNameA(relPath, static_cast<DWORD>(maxLength), absPath, nullptr);
    // n counts the terminator only when the path did not fit.
    if (n == 0 || n >= maxLength) return Failed<char*>(nullptr);
    return absPath;
}

std::uint32_t Win32FileSystem::GetModuleFileNameA(HMODULE module, char* fileName,
                                                  std::uint32_t size) {
    if (module || !fileName || size == 0) {
        qv::SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    DWORD n = ::GetModuleFileNameA(nullptr, fileName, size);
    if (n == 0 || n >= size) {
        // Older systems cut the name without saying so; answer as the newer ones do.
        fileName[size - 1] = '\0';
        qv::SetLastError(n == 0 ? ::GetLastError() : ERROR_INSUFFICIENT_BUFFER);
        return n == 0 ? 0 : size;
    }
    return n;
}

}  // namespace qv::win32
