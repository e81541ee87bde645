#include "platform/files.h"

#include <cerrno>
#include <cstring>

namespace qv {
namespace {

IFileSystem* g_pFileSystem = nullptr;
thread_local std::uint32_t t_lastError = ERROR_SUCCESS;

// Calls the installed backend, or fails with ERROR_NOT_SUPPORTED when there is none.
template <typename Result, typename Call>
Result Forward(Result failure, Call call) {
    if (!g_pFileSystem) {
        t_lastError = ERROR_NOT_SUPPORTED;
        return failure;
    }
    return call(*g_pFileSystem);
}

constexpr int kMaxLeadBytes = 12;

// The lead bytes of a double-byte code page.
struct CodePageRow {
    std::uint32_t codePage;
    std::uint8_t leadRanges[kMaxLeadBytes];  // inclusive pairs, ended by 0, 0
};

// UTF-8 has no lead bytes in the double-byte sense: no byte of a UTF-8 sequence is an ASCII
// separator, so byte-wise rules are right for it.
const CodePageRow kCodePages[] = {
    {932, {0x81, 0x9F, 0xE0, 0xFC, 0, 0}},
    {CP_UTF8, {0, 0}},
};

const CodePageRow* FindCodePage(std::uint32_t codePage) {
    for (const CodePageRow& row : kCodePages) {
        if (row.codePage == codePage) return &row;
    }
    return nullptr;
}

bool IsLead(const CodePageRow* row, std::uint8_t byte) {
    if (!row) return false;
    for (int i = 0; i + 1 < kMaxLeadBytes && row->leadRanges[i] != 0; i += 2) {
        if (byte >= row->leadRanges[i] && byte <= row->leadRanges[i + 1]) return true;
    }
    return false;
}

// One character of a text: one byte, or a lead byte with its trail byte. A lead byte at the very
// end stands alone.
struct Char {
    unsigned value;
    std::size_t size;
};

Char CharAt(const CodePageRow* row, const unsigned char* p) {
    if (IsLead(row, p[0]) && p[1] != 0) return {static_cast<unsigned>(p[0]) << 8 | p[1], 2};
    return {p[0], 1};
}

unsigned FoldAscii(Char c) {
    return c.size == 1 && c.value >= 'A' && c.value <= 'Z' ? c.value + ('a' - 'A') : c.value;
}

int Compare(const char* a, const char* b, bool ignoreCase) {
    const CodePageRow* row = FindCodePage(GetACP());
    auto pa = reinterpret_cast<const unsigned char*>(a);
    auto pb = reinterpret_cast<const unsigned char*>(b);
    for (;;) {
        Char ca = CharAt(row, pa);
        Char cb = CharAt(row, pb);
        unsigned va = ignoreCase ? FoldAscii(ca) : ca.value;
        unsigned vb = ignoreCase ? FoldAscii(cb) : cb.value;
        if (va != vb) return va < vb ? -1 : 1;
        if (va == 0) return 0;
        pa += ca.size;
        pb += cb.size;
    }
}

bool IsSeparator(const PathSyntax& syntax, Char c) {
    return c.size == 1 && c.value != 0 &&
           (c.value == static_cast<unsigned char>(syntax.separator) ||
            c.value == static_cast<unsigned char>(syntax.altSeparator));
}

// Where the parts of a path begin and end, as offsets into it.
struct PathParts {
    std::size_t driveEnd;
    std::size_t dirEnd;
    std::size_t nameEnd;
    std::size_t end;
};

PathParts FindParts(const char* path) {
    PathSyntax syntax = GetPathSyntax();
    const CodePageRow* row = FindCodePage(syntax.codePage);
    auto p = reinterpret_cast<const unsigned char*>(path);
    PathParts parts{};
    if (syntax.hasDrives && p[0] != 0 && p[1] == ':') parts.driveEnd = 2;
    parts.dirEnd = parts.driveEnd;
    constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::size_t lastDot = kNone;  // of the last name only
    std::size_t i = parts.driveEnd;
    while (p[i] != 0) {
        Char c = CharAt(row, p + i);
        if (IsSeparator(syntax, c)) {
            parts.dirEnd = i + 1;
            lastDot = kNone;
        } else if (c.size == 1 && c.value == '.') {
            lastDot = i;
        }
        i += c.size;
    }
    parts.end = i;
    parts.nameEnd = lastDot == kNone ? parts.end : lastDot;
    return parts;
}

bool Fits(const char* buffer, std::size_t size, std::size_t length) {
    return !buffer || length < size;
}

void Put(char* buffer, const char* from, std::size_t length) {
    if (!buffer) return;
    std::memcpy(buffer, from, length);
    buffer[length] = '\0';
}

void Clear(char* buffer, std::size_t size) {
    if (buffer && size > 0) buffer[0] = '\0';
}

}  // namespace

std::int32_t IFileSystem::MoveFileExA(const char*, const char*, std::uint32_t) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return 0;
}

std::int32_t IFileSystem::DeleteFileA(const char*) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return 0;
}

std::string IFileSystem::GetDiskPath(const char* path) {
    return path ? std::string(path) : std::string();
}

IFileSystem* InstallFileSystem(IFileSystem* backend) {
    IFileSystem* previous = g_pFileSystem;
    g_pFileSystem = backend;
    return previous;
}

std::uint32_t GetLastError() {
    return t_lastError;
}
void SetLastError(std::uint32_t error) {
    t_lastError = error;
}

HANDLE CreateFileA(const char* name, std::uint32_t access, std::uint32_t shareMode,
                   std::uint32_t creationDisposition, std::uint32_t flagsAndAttributes) {
    return Forward(INVALID_HANDLE_VALUE, [&](IFileSystem& fs) {
        return fs.CreateFileA(name, access, shareMode, creationDisposition, flagsAndAttributes);
    });
}

std::int32_t ReadFile(HANDLE file, void* buffer, std::uint32_t toRead, std::uint32_t* read) {
    return Forward(0, [&](IFileSystem& fs) { return fs.ReadFile(file, buffer, toRead, read); });
}

std::int32_t WriteFile(HANDLE file, const void* buffer, std::uint32_t toWrite,
                       std::uint32_t* written) {
    return Forward(0,
                   [&](IFileSystem& fs) { return fs.WriteFile(file, buffer, toWrite, written); });
}

std::int32_t GetFileSizeEx(HANDLE file, std::int64_t* size) {
    return Forward(0, [&](IFileSystem& fs) { return fs.GetFileSizeEx(file, size); });
}

std::int32_t SetFilePointerEx(HANDLE file, std::int64_t distance, std::int64_t* newPosition,
                              std::uint32_t moveMethod) {
    return Forward(0, [&](IFileSystem& fs) {
        return fs.SetFilePointerEx(file, distance, newPosition, moveMethod);
    });
}

std::int32_t GetFileInformationByHandle(HANDLE file, BY_HANDLE_FILE_INFORMATION* info) {
    return Forward(0, [&](IFileSystem& fs) { return fs.GetFileInformationByHandle(file, info); });
}

std::int32_t SetFileTime(HANDLE file, const FILETIME* creation, const FILETIME* lastAccess,
                         const FILETIME* lastWrite) {
    return Forward(
        0, [&](IFileSystem& fs) { return fs.SetFileTime(file, creation, lastAccess, lastWrite); });
}

std::int32_t CloseHandle(HANDLE handle) {
    return Forward(0, [&](IFileSystem& fs) { return fs.CloseHandle(handle); });
}

std::int32_t GetFileAttributesExA(const char* name, WIN32_FILE_ATTRIBUTE_DATA* data) {
    return Forward(0, [&](IFileSystem& fs) { return fs.GetFileAttributesExA(name, data); });
}

std::int32_t MoveFileExA(const char* existing, const char* newName, std::uint32_t flags) {
    return Forward(0, [&](IFileSystem& fs) { return fs.MoveFileExA(existing, newName, flags); });
}

std::int32_t DeleteFileA(const char* name) {
    return Forward(0, [&](IFileSystem& fs) { return fs.DeleteFileA(name); });
}

HANDLE FindFirstFileA(const char* pattern, WIN32_FIND_DATAA* data) {
    return Forward(INVALID_HANDLE_VALUE,
                   [&](IFileSystem& fs) { return fs.FindFirstFileA(pattern, data); });
}

std::int32_t FindNextFileA(HANDLE find, WIN32_FIND_DATAA* data) {
    return Forward(0, [&](IFileSystem& fs) { return fs.FindNextFileA(find, data); });
}

std::int32_t FindClose(HANDLE find) {
    return Forward(0, [&](IFileSystem& fs) { return fs.FindClose(find); });
}

int StatPath(const char* path, StatBuffer* buffer) {
    return Forward(-1, [&](IFileSystem& fs) { return fs.Stat(path, buffer); });
}

char* _fullpath(char* absPath, const char* relPath, std::size_t maxLength) {
    return Forward<char*>(
        nullptr, [&](IFileSystem& fs) { return fs.FullPath(absPath, relPath, maxLength); });
}

std::uint32_t GetModuleFileNameA(HMODULE module, char* fileName, std::uint32_t size) {
    return Forward(0u,
                   [&](IFileSystem& fs) { return fs.GetModuleFileNameA(module, fileName, size); });
}

std::string GetDiskPath(const char* path) {
    if (!path) return std::string();
    if (!g_pFileSystem) return std::string(path);
    return g_pFileSystem->GetDiskPath(path);
}

PathSyntax GetPathSyntax() {
    if (!g_pFileSystem) return PathSyntax{CP_ACP, '\\', '\\', 0};
    return g_pFileSystem->GetPathSyntax();
}

std::uint32_t GetACP() {
    return GetPathSyntax().codePage;
}

std::uint32_t GetMaxPath() {
    std::uint32_t nMax = GetPathSyntax().maxPath;
    return nMax != 0 ? nMax : MAX_PATH;
}

char GetPathSeparator() {
    return GetPathSyntax().separator;
}

int _splitpath_s(const char* path, char* drive, std::size_t driveSize, char* dir,
                 std::size_t dirSize, char* fname, std::size_t fnameSize, char* ext,
                 std::size_t extSize) {
    Clear(drive, driveSize);
    Clear(dir, dirSize);
    Clear(fname, fnameSize);
    Clear(ext, extSize);
    if (!path) return EINVAL;
    PathParts parts = FindParts(path);
    std::size_t driveLength = parts.driveEnd;
    std::size_t dirLength = parts.dirEnd - parts.driveEnd;
    std::size_t nameLength = parts.nameEnd - parts.dirEnd;
    std::size_t extLength = parts.end - parts.nameEnd;
    if (!Fits(drive, driveSize, driveLength) || !Fits(dir, dirSize, dirLength) ||
        !Fits(fname, fnameSize, nameLength) || !Fits(ext, extSize, extLength)) {
        return ERANGE;
    }
    Put(drive, path, driveLength);
    Put(dir, path + parts.driveEnd, dirLength);
    Put(fname, path + parts.dirEnd, nameLength);
    Put(ext, path + parts.nameEnd, extLength);
    return 0;
}

int _mbscmp(const char* a, const char* b) {
    return Compare(a, b, false);
}

int _mbsicmp(const char* a, const char* b) {
    return Compare(a, b, true);
}

bool IsLastCharSeparator(const char* text) {
    if (!text) return false;
    PathSyntax syntax = GetPathSyntax();
    const CodePageRow* row = FindCodePage(syntax.codePage);
    auto p = reinterpret_cast<const unsigned char*>(text);
    bool last = false;
    while (*p != 0) {
        Char c = CharAt(row, p);
        last = c.size == 1 && c.value == static_cast<unsigned char>(syntax.separator);
        p += c.size;
    }
    return last;
}

}  // namespace qv
