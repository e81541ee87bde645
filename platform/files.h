#pragma once
// The file-system seam: files, file status, folder enumeration, path syntax and the code-page
// rules of the program's byte strings. The functions forward to the installed backend; with none
// installed they fail with ERROR_NOT_SUPPORTED. The text functions (_splitpath_s, _mbscmp,
// _mbsicmp, IsLastCharSeparator) need no backend beyond its path syntax.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/types.h"

#ifndef INVALID_HANDLE_VALUE
#define INVALID_HANDLE_VALUE (reinterpret_cast<qv::HANDLE>(static_cast<std::intptr_t>(-1)))
#endif

#ifndef MAX_PATH
#define MAX_PATH 260
#endif

#ifndef GENERIC_READ
#define GENERIC_READ 0x80000000u
#endif
#ifndef GENERIC_WRITE
#define GENERIC_WRITE 0x40000000u
#endif
#ifndef FILE_WRITE_ATTRIBUTES
#define FILE_WRITE_ATTRIBUTES 0x0100u
#endif

#ifndef FILE_SHARE_READ
#define FILE_SHARE_READ 0x00000001u
#endif
#ifndef FILE_SHARE_WRITE
#define FILE_SHARE_WRITE 0x00000002u
#endif

#ifndef CREATE_ALWAYS
#define CREATE_ALWAYS 2u
#endif
#ifndef OPEN_EXISTING
#define OPEN_EXISTING 3u
#endif

// Opens a folder as well, so that its identity can be read.
#ifndef FILE_FLAG_BACKUP_SEMANTICS
#define FILE_FLAG_BACKUP_SEMANTICS 0x02000000u
#endif

#ifndef MOVEFILE_REPLACE_EXISTING
#define MOVEFILE_REPLACE_EXISTING 0x00000001u
#endif

#ifndef FILE_BEGIN
#define FILE_BEGIN 0u
#endif
#ifndef FILE_CURRENT
#define FILE_CURRENT 1u
#endif
#ifndef FILE_END
#define FILE_END 2u
#endif

#ifndef FILE_ATTRIBUTE_READONLY
#define FILE_ATTRIBUTE_READONLY 0x00000001u
#endif
#ifndef FILE_ATTRIBUTE_HIDDEN
#define FILE_ATTRIBUTE_HIDDEN 0x00000002u
#endif
#ifndef FILE_ATTRIBUTE_DIRECTORY
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010u
#endif
#ifndef FILE_ATTRIBUTE_NORMAL
#define FILE_ATTRIBUTE_NORMAL 0x00000080u
#endif

#ifndef ERROR_SUCCESS
#define ERROR_SUCCESS 0L
#endif
#ifndef ERROR_FILE_NOT_FOUND
#define ERROR_FILE_NOT_FOUND 2L
#endif
#ifndef ERROR_PATH_NOT_FOUND
#define ERROR_PATH_NOT_FOUND 3L
#endif
#ifndef ERROR_TOO_MANY_OPEN_FILES
#define ERROR_TOO_MANY_OPEN_FILES 4L
#endif
#ifndef ERROR_ACCESS_DENIED
#define ERROR_ACCESS_DENIED 5L
#endif
#ifndef ERROR_INVALID_HANDLE
#define ERROR_INVALID_HANDLE 6L
#endif
#ifndef ERROR_NOT_ENOUGH_MEMORY
#define ERROR_NOT_ENOUGH_MEMORY 8L
#endif
#ifndef ERROR_NO_MORE_FILES
#define ERROR_NO_MORE_FILES 18L
#endif
#ifndef ERROR_WRITE_PROTECT
#define ERROR_WRITE_PROTECT 19L
#endif
#ifndef ERROR_GEN_FAILURE
#define ERROR_GEN_FAILURE 31L
#endif
#ifndef ERROR_SHARING_VIOLATION
#define ERROR_SHARING_VIOLATION 32L
#endif
#ifndef ERROR_NOT_SUPPORTED
#define ERROR_NOT_SUPPORTED 50L
#endif
#ifndef ERROR_INVALID_PARAMETER
#define ERROR_INVALID_PARAMETER 87L
#endif
#ifndef ERROR_DISK_FULL
#define ERROR_DISK_FULL 112L
#endif
#ifndef ERROR_INSUFFICIENT_BUFFER
#define ERROR_INSUFFICIENT_BUFFER 122L
#endif
#ifndef ERROR_ALREADY_EXISTS
#define ERROR_ALREADY_EXISTS 183L
#endif
#ifndef ERROR_FILENAME_EXCED_RANGE
#define ERROR_FILENAME_EXCED_RANGE 206L
#endif

#ifndef CP_ACP
#define CP_ACP 0u
#endif
#ifndef CP_UTF8
#define CP_UTF8 65001u
#endif

// The run-time library's mode bits of _stat.
#ifndef _S_IFDIR
#define _S_IFDIR 0x4000
#endif
#ifndef _S_IFREG
#define _S_IFREG 0x8000
#endif

namespace qv {

using HANDLE = void*;
// Declared here first, so that a file that includes <windows.h> before this one still means ours.
struct HINSTANCE__;
using HMODULE = HINSTANCE__*;

struct WIN32_FILE_ATTRIBUTE_DATA {
    std::uint32_t dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    std::uint32_t nFileSizeHigh;
    std::uint32_t nFileSizeLow;
};

struct BY_HANDLE_FILE_INFORMATION {
    std::uint32_t dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    std::uint32_t dwVolumeSerialNumber;
    std::uint32_t nFileSizeHigh;
    std::uint32_t nFileSizeLow;
    std::uint32_t nNumberOfLinks;
    std::uint32_t nFileIndexHigh;
    std::uint32_t nFileIndexLow;
};

struct WIN32_FIND_DATAA {
    std::uint32_t dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    std::uint32_t nFileSizeHigh;
    std::uint32_t nFileSizeLow;
    std::uint32_t dwReserved0;
    std::uint32_t dwReserved1;
    char cFileName[MAX_PATH];
    char cAlternateFileName[14];
};

// What _stat reports; only the fields the program reads.
struct StatBuffer {
    std::uint16_t st_mode;  // _S_IFDIR or _S_IFREG
    std::int64_t st_size;
};

// How the backend's paths are written.
struct PathSyntax {
    std::uint32_t codePage;  // of every path and text byte string: CP_UTF8 or 932
    char separator;          // put between folders
    char altSeparator;       // also accepted between folders (the same as separator when none)
    std::uint8_t hasDrives;  // "X:" at the start names a drive
    // The longest absolute path the system opens, in bytes with the terminating zero (MAX_PATH
    // on Windows, PATH_MAX on Linux); 0 stands for MAX_PATH.
    std::uint32_t maxPath = 0;
};

// A real file system (or a test's stand-in). Results and errors as the Win32 calls of the same
// names give them; a failing call sets the last error with SetLastError.
class IFileSystem {
public:
    virtual ~IFileSystem() = default;

    virtual PathSyntax GetPathSyntax() = 0;

    virtual HANDLE CreateFileA(const char* name, std::uint32_t access, std::uint32_t shareMode,
                               std::uint32_t creationDisposition,
                               std::uint32_t flagsAndAttributes) = 0;
    virtual std::int32_t ReadFile(HANDLE file, void* buffer, std::uint32_t toRead,
                                  std::uint32_t* read) = 0;
    virtual std::int32_t WriteFile(HANDLE file, const void* buffer, std::uint32_t toWrite,
                                   std::uint32_t* written) = 0;
    virtual std::int32_t GetFileSizeEx(HANDLE file, std::int64_t* size) = 0;
    virtual std::int32_t SetFilePointerEx(HANDLE file, std::int64_t distance,
                                          std::int64_t* newPosition, std::uint32_t moveMethod) = 0;
    virtual std::int32_t GetFileInformationByHandle(HANDLE file,
                                                    BY_HANDLE_FILE_INFORMATION* info) = 0;
    virtual std::int32_t SetFileTime(HANDLE file, const FILETIME* creation,
                                     const FILETIME* lastAccess, const FILETIME* lastWrite) = 0;
    virtual std::int32_t CloseHandle(HANDLE handle) = 0;

    virtual std::int32_t GetFileAttributesExA(const char* name,
                                              WIN32_FILE_ATTRIBUTE_DATA* data) = 0;
    // See qv::GetDiskPath. A file system whose names ignore letter case keeps the path as given,
    // which is what this default does.
    virtual std::string GetDiskPath(const char* path);
    // A backend that cannot rename or delete answers ERROR_NOT_SUPPORTED; saving then reports
    // the failure and leaves the files as they were.
    virtual std::int32_t MoveFileExA(const char* existing, const char* newName,
                                     std::uint32_t flags);
    virtual std::int32_t DeleteFileA(const char* name);
    virtual HANDLE FindFirstFileA(const char* pattern, WIN32_FIND_DATAA* data) = 0;
    virtual std::int32_t FindNextFileA(HANDLE find, WIN32_FIND_DATAA* data) = 0;
    virtual std::int32_t FindClose(HANDLE find) = 0;

    virtual int Stat(const char* path, StatBuffer* buffer) = 0;
    virtual char* FullPath(char* absPath, const char* relPath, std::size_t maxLength) = 0;
    virtual std::uint32_t GetModuleFileNameA(HMODULE module, char* fileName,
                                             std::uint32_t size) = 0;
};

// Installs a backend (not owned; null uninstalls) and answers the one installed before.
IFileSystem* InstallFileSystem(IFileSystem* backend);

// The last error of the calling thread.
std::uint32_t GetLastError();
void SetLastError(std::uint32_t error);

// Files. Reading denies others writing when shareMode lacks FILE_SHARE_WRITE; CREATE_ALWAYS
// empties an existing file. ReadFile answers fewer bytes at the end of the file. A folder opens
// only with FILE_FLAG_BACKUP_SEMANTICS and OPEN_EXISTING, for GetFileInformationByHandle, whose
// volume serial number and file index together tell one file or folder from every other.
HANDLE CreateFileA(const char* name, std::uint32_t access, std::uint32_t shareMode,
                   std::uint32_t creationDisposition, std::uint32_t flagsAndAttributes);
std::int32_t ReadFile(HANDLE file, void* buffer, std::uint32_t toRead, std::uint32_t* read);
std::int32_t WriteFile(HANDLE file, const void* buffer, std::uint32_t toWrite,
                       std::uint32_t* written);
std::int32_t GetFileSizeEx(HANDLE file, std::int64_t* size);
std::int32_t SetFilePointerEx(HANDLE file, std::int64_t distance, std::int64_t* newPosition,
                              std::uint32_t moveMethod);
std::int32_t GetFileInformationByHandle(HANDLE file, BY_HANDLE_FILE_INFORMATION* info);
// A null time is left as it is. Times are kept in whole seconds.
std::int32_t SetFileTime(HANDLE file, const FILETIME* creation, const FILETIME* lastAccess,
                         const FILETIME* lastWrite);
std::int32_t CloseHandle(HANDLE handle);

// Status by name; fails for a missing file.
std::int32_t GetFileAttributesExA(const char* name, WIN32_FILE_ATTRIBUTE_DATA* data);

// Renames a file in one step; an existing file of the new name is replaced only with
// MOVEFILE_REPLACE_EXISTING (else ERROR_ALREADY_EXISTS), and never when it is read-only.
std::int32_t MoveFileExA(const char* existing, const char* newName, std::uint32_t flags);
std::int32_t DeleteFileA(const char* name);

// Folder enumeration with a pattern such as "folder/*.*"; "." and ".." are items too.
HANDLE FindFirstFileA(const char* pattern, WIN32_FIND_DATAA* data);
std::int32_t FindNextFileA(HANDLE find, WIN32_FIND_DATAA* data);
std::int32_t FindClose(HANDLE find);

// 0 and the mode (_S_IFDIR for a folder), or -1.
int StatPath(const char* path, StatBuffer* buffer);

// The absolute form of relPath in absPath, at most maxLength bytes with its terminating zero;
// null when it does not fit or cannot be formed.
char* _fullpath(char* absPath, const char* relPath, std::size_t maxLength);

// The program's own file; null module only. Answers the length copied, or size when the name was
// cut to fit (ERROR_INSUFFICIENT_BUFFER), or 0.
std::uint32_t GetModuleFileNameA(HMODULE module, char* fileName, std::uint32_t size);

// A path as the disk spells it, for everything that opens a file by its name: the file
// functions here, the sequencer, and the paths handed to other programs. Each name of the path
// that does not exist as given is replaced by the one name of its folder that equals it ignoring
// letter case (the byte-wise smallest when several do); from the first name that matches nothing
// on, the rest is kept as given. So the answer names the very file the file functions open for
// the path, and is the path unchanged when it exists as given or nothing matches. Never fails:
// null answers empty, and without a backend the path is kept as given.
std::string GetDiskPath(const char* path);

// Path syntax of the installed backend; without one, backslash and single-byte texts.
PathSyntax GetPathSyntax();
// The longest absolute path the installed backend's system opens, with its terminating zero.
std::uint32_t GetMaxPath();
std::uint32_t GetACP();
char GetPathSeparator();

// Splits a path into drive, folder (with its trailing separator), base name and extension (with its
// dot). Any part may be skipped with a null buffer and size 0. A part that does not fit its buffer
// makes every given part empty and answers ERANGE (EINVAL for a null path), else 0; no part is ever
// longer than the path, so buffers of strlen(path) + 1 bytes always fit.
int _splitpath_s(const char* path, char* drive, std::size_t driveSize, char* dir,
                 std::size_t dirSize, char* fname, std::size_t fnameSize, char* ext,
                 std::size_t extSize);

// Exact and case-insensitive comparisons in the current code page: negative, 0 or positive. A
// double-byte character compares as one unit and is never folded.
int _mbscmp(const char* a, const char* b);
int _mbsicmp(const char* a, const char* b);

// Whether the last character of the text is the path separator; the second byte of a double-byte
// character never counts as one.
bool IsLastCharSeparator(const char* text);

}  // namespace qv
