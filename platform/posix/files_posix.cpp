#include "platform/posix/files_posix.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace qv {
namespace {

constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600;
constexpr std::uint64_t kTicksPerSecond = 10000000;
constexpr std::size_t kLargestRead = 0x7FFFF000;  // what Linux transfers at most in one call

class UniqueFd {
public:
    explicit UniqueFd(int fd = -1) : m_fd(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            Reset();
            m_fd = std::exchange(other.m_fd, -1);
        }
        return *this;
    }
    ~UniqueFd() { Reset(); }
    int Get() const { return m_fd; }
    bool IsValid() const { return m_fd >= 0; }
    void Reset() {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd;
};

class UniqueDir {
public:
    explicit UniqueDir(const std::string& path) : m_pDir(::opendir(path.c_str())) {}
    UniqueDir(const UniqueDir&) = delete;
    UniqueDir& operator=(const UniqueDir&) = delete;
    ~UniqueDir() {
        if (m_pDir) ::closedir(m_pDir);
    }
    DIR* Get() const { return m_pDir; }

private:
    DIR* m_pDir;
};

struct ErrnoRow {
    int err;
    std::uint32_t error;
};

const ErrnoRow kErrors[] = {
    {ENOENT, ERROR_FILE_NOT_FOUND},
    {ENOTDIR, ERROR_PATH_NOT_FOUND},
    {EACCES, ERROR_ACCESS_DENIED},
    {EPERM, ERROR_ACCESS_DENIED},
    {EISDIR, ERROR_ACCESS_DENIED},
    {EWOULDBLOCK, ERROR_SHARING_VIOLATION},
    {EROFS, ERROR_WRITE_PROTECT},
    {ENOSPC, ERROR_DISK_FULL},
    {EDQUOT, ERROR_DISK_FULL},
    {EFBIG, ERROR_DISK_FULL},
    {ENAMETOOLONG, ERROR_FILENAME_EXCED_RANGE},
    {EMFILE, ERROR_TOO_MANY_OPEN_FILES},
    {ENFILE, ERROR_TOO_MANY_OPEN_FILES},
    {ENOMEM, ERROR_NOT_ENOUGH_MEMORY},
    {EINVAL, ERROR_INVALID_PARAMETER},
    {EBADF, ERROR_INVALID_HANDLE},
};

std::uint32_t ErrorOf(int err) {
    for (const ErrnoRow& row : kErrors) {
        if (row.err == err) return row.error;
    }
    return ERROR_GEN_FAILURE;
}

template <typename Result>
Result Fail(Result result, std::uint32_t error) {
    SetLastError(error);
    return result;
}

template <typename Result>
Result FailErrno(Result result) {
    return Fail(result, ErrorOf(errno));
}

FILETIME ToFileTime(std::int64_t unixSeconds) {
    std::int64_t since1601 = std::max<std::int64_t>(unixSeconds + kSecondsFrom1601To1970, 0);
    std::uint64_t ticks = static_cast<std::uint64_t>(since1601) * kTicksPerSecond;
    return FILETIME{static_cast<std::uint32_t>(ticks), static_cast<std::uint32_t>(ticks >> 32)};
}

timespec ToTimespec(const FILETIME* time) {
    timespec ts{};
    if (!time) {
        ts.tv_nsec = UTIME_OMIT;
        return ts;
    }
    std::uint64_t ticks =
        static_cast<std::uint64_t>(time->dwHighDateTime) << 32 | time->dwLowDateTime;
    ts.tv_sec = static_cast<time_t>(static_cast<std::int64_t>(ticks / kTicksPerSecond) -
                                    kSecondsFrom1601To1970);
    return ts;
}

// Folds ASCII letters only: the other bytes of UTF-8 names compare exactly.
char FoldAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

// A Windows file mask: "*" and "?" as wildcards, letters ignoring case; "*.*" matches every name.
bool MatchesMask(std::string_view name, std::string_view mask) {
    if (mask == "*.*" || mask == "*") return true;
    std::size_t n = 0, m = 0, starMask = std::string_view::npos, starName = 0;
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == '?' || FoldAscii(mask[m]) == FoldAscii(name[n]))) {
            ++n;
            ++m;
        } else if (m < mask.size() && mask[m] == '*') {
            starMask = m++;
            starName = n;
        } else if (starMask != std::string_view::npos) {
            m = starMask + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*') ++m;
    return m == mask.size();
}

bool NameExists(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

std::string Join(const std::string& folder, std::string_view name) {
    if (folder.empty()) return std::string(name);
    std::string out = folder;
    if (out.back() != '/') out += '/';
    out += name;
    return out;
}

// The folded form of a name: the key under which a folder's index keeps it.
std::string Folded(std::string_view name) {
    std::string out(name);
    for (char& c : out) c = FoldAscii(c);
    return out;
}

// The names of a folder by their folded form, each the byte-wise smallest of the names that fold
// alike. Reading it costs a scan of the whole folder.
using FolderNames = std::unordered_map<std::string, std::string>;

bool ReadFolderNames(const std::string& folder, FolderNames& names) {
    UniqueDir dir(folder);
    if (!dir.Get()) return false;
    while (dirent* entry = ::readdir(dir.Get())) {
        std::string_view name(entry->d_name);
        auto [it, added] = names.try_emplace(Folded(name), name);
        if (!added && name < it->second) it->second = name;
    }
    return true;
}

// Looking a name up ignoring case reads its whole folder; an old list whose 10,000 songs moved
// away would read a large folder once per song. So the names of the folders read are kept while
// each folder stays as it was: the same folder (device and inode) with the same modification
// time, which every added, removed or renamed name changes. A folder changed within the last
// seconds is not kept, as a change in the same tick of a coarse clock (two seconds on FAT) would
// leave its time as it was.
class FolderIndex {
public:
    std::string Find(const std::string& folder, std::string_view name) {
        struct stat st;
        if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return std::string();
        std::lock_guard<std::mutex> lock(m_mutex);
        auto it = m_folders.find(folder);
        if (it == m_folders.end() || !it->second.Matches(st)) {
            Entry entry{st.st_dev, st.st_ino, st.st_mtim, {}};
            timespec now{};
            ::clock_gettime(CLOCK_REALTIME, &now);
            if (!ReadFolderNames(folder, entry.names)) return std::string();
            if (st.st_mtim.tv_sec + kSettledSeconds >= now.tv_sec) return Lookup(entry.names, name);
            Forget(folder);
            if (m_nNames + entry.names.size() > kMaxNames) Clear();
            m_nNames += entry.names.size();
            it = m_folders.insert_or_assign(folder, std::move(entry)).first;
        }
        return Lookup(it->second.names, name);
    }

private:
    static constexpr time_t kSettledSeconds = 3;
    // Bounds the memory kept (some tens of megabytes); past it the index starts afresh.
    static constexpr std::size_t kMaxNames = 250000;

    struct Entry {
        dev_t device;
        ino_t inode;
        timespec modified;
        FolderNames names;
        bool Matches(const struct stat& st) const {
            return st.st_dev == device && st.st_ino == inode &&
                   st.st_mtim.tv_sec == modified.tv_sec && st.st_mtim.tv_nsec == modified.tv_nsec;
        }
    };

    static std::string Lookup(const FolderNames& names, std::string_view name) {
        auto it = names.find(Folded(name));
        return it == names.end() ? std::string() : it->second;
    }
    void Forget(const std::string& folder) {
        auto it = m_folders.find(folder);
        if (it == m_folders.end()) return;
        m_nNames -= it->second.names.size();
        m_folders.erase(it);
    }
    void Clear() {
        m_folders.clear();
        m_nNames = 0;
    }

    std::mutex m_mutex;
    std::unordered_map<std::string, Entry> m_folders;
    std::size_t m_nNames = 0;
};

// The byte-wise smallest name in the folder equal to name ignoring case, or empty.
std::string FindNoCase(const std::string& folder, std::string_view name) {
    // Never destroyed: the sequencer's thread may still open a file while the program exits.
    static FolderIndex& index = *new FolderIndex;
    return index.Find(folder.empty() ? std::string(".") : folder, name);
}

// The path of an existing file whose name differs only in letter case, or the path as given.
// Only a miss costs folder scans.
std::string ResolvePath(const char* path) {
    std::string given(path);
    if (given.empty() || NameExists(given)) return given;
    std::string out = given[0] == '/' ? "/" : "";
    std::size_t i = out.size();
    while (i < given.size()) {
        std::size_t end = std::min(given.find('/', i), given.size());
        std::string_view part(given.data() + i, end - i);
        if (!part.empty()) {
            std::string candidate = Join(out, part);
            if (part != "." && part != ".." && !NameExists(candidate)) {
                std::string match = FindNoCase(out, part);
                if (match.empty()) return Join(out, std::string_view(given).substr(i));
                candidate = Join(out, match);
            }
            out = std::move(candidate);
        }
        i = end + 1;
    }
    if (given.back() == '/' && out.back() != '/') out += '/';
    return out;
}

// Runs an operation on the name as given and, when that finds nothing, once more on the name
// matched ignoring letter case. errno tells why the last attempt failed.
template <typename Operation>
bool WithCaseFallback(const char* name, Operation operation) {
    if (operation(name)) return true;
    if (errno != ENOENT) return false;
    std::string resolved = ResolvePath(name);
    if (resolved == name) {
        errno = ENOENT;
        return false;
    }
    return operation(resolved.c_str());
}

std::string_view BaseName(std::string_view path) {
    while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
    std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// What the program needs of a file's status, taken from statx.
struct Status {
    std::uint32_t attributes;
    std::int64_t created, accessed, modified;
    std::uint64_t size;
    bool regular;
    std::uint64_t device, inode;
    std::uint32_t links;
};

Status ToStatus(const struct statx& sx, std::string_view name) {
    Status st{};
    bool dir = S_ISDIR(sx.stx_mode);
    st.regular = S_ISREG(sx.stx_mode);
    if (dir) st.attributes |= FILE_ATTRIBUTE_DIRECTORY;
    if ((sx.stx_mode & 0222) == 0) st.attributes |= FILE_ATTRIBUTE_READONLY;
    if (name.size() > 1 && name[0] == '.' && name != "..") st.attributes |= FILE_ATTRIBUTE_HIDDEN;
    if (st.attributes == 0) st.attributes = FILE_ATTRIBUTE_NORMAL;
    st.accessed = sx.stx_atime.tv_sec;
    st.modified = sx.stx_mtime.tv_sec;
    st.created = (sx.stx_mask & STATX_BTIME) ? sx.stx_btime.tv_sec : st.modified;
    st.size = dir ? 0 : sx.stx_size;
    st.device = static_cast<std::uint64_t>(sx.stx_dev_major) << 32 | sx.stx_dev_minor;
    st.inode = sx.stx_ino;
    st.links = sx.stx_nlink;
    return st;
}

bool StatusOf(int dirFd, const char* path, int flags, std::string_view name, Status* out) {
    struct statx sx;
    if (::statx(dirFd, path, flags, STATX_BASIC_STATS | STATX_BTIME, &sx) != 0) return false;
    *out = ToStatus(sx, name);
    return true;
}

template <typename Data>
void FillTimesAndSize(const Status& st, Data* data) {
    data->dwFileAttributes = st.attributes;
    data->ftCreationTime = ToFileTime(st.created);
    data->ftLastAccessTime = ToFileTime(st.accessed);
    data->ftLastWriteTime = ToFileTime(st.modified);
    data->nFileSizeHigh = static_cast<std::uint32_t>(st.size >> 32);
    data->nFileSizeLow = static_cast<std::uint32_t>(st.size);
}

// The flock() that approximates a Win32 share mode; 0 for none.
int LockFor(std::uint32_t access, std::uint32_t shareMode) {
    bool writes = access & GENERIC_WRITE;
    bool reads = access & GENERIC_READ;
    if (writes || (reads && !(shareMode & FILE_SHARE_READ))) return LOCK_EX;
    if (reads && !(shareMode & FILE_SHARE_WRITE)) return LOCK_SH;
    return 0;
}

int OpenFlags(std::uint32_t access) {
    bool writes = access & GENERIC_WRITE;
    bool reads = access & GENERIC_READ;
    // Non-blocking so that opening a pipe by mistake cannot hang; regular files ignore it.
    int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    if (reads && writes) return flags | O_RDWR;
    return flags | (writes ? O_WRONLY : O_RDONLY);
}

// One name of a folder listing with its kind as the listing gives it (DT_UNKNOWN when it does not).
struct ListedName {
    std::string name;
    unsigned char type;
};

struct FindState {
    std::string folder;
    // Kept open so that an item whose kind the listing does not give is looked up relative to
    // it, without walking the folder's path again.
    std::unique_ptr<UniqueDir> dir;
    std::vector<ListedName> names;
    std::size_t next = 0;
};

// Listing order: letters folded to upper case, as the original platform's file system sorts, so
// that "A.MID" comes before "_x.mid"; names that fold alike in byte order.
bool ListsBefore(std::string_view a, std::string_view b) {
    auto upper = [](char c) {
        return c >= 'a' && c <= 'z' ? static_cast<char>(c - ('a' - 'A')) : c;
    };
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        auto ca = static_cast<unsigned char>(upper(a[i]));
        auto cb = static_cast<unsigned char>(upper(b[i]));
        if (ca != cb) return ca < cb;
    }
    return a.size() != b.size() ? a.size() < b.size() : a < b;
}

std::vector<ListedName> ListFolder(DIR* dir, std::string_view mask) {
    std::vector<ListedName> names;
    while (dirent* entry = ::readdir(dir)) {
        std::string_view name(entry->d_name);
        if (name != "." && name != ".." && MatchesMask(name, mask))
            names.push_back({std::string(name), entry->d_type});
    }
    std::sort(names.begin(), names.end(),
              [](const ListedName& a, const ListedName& b) { return ListsBefore(a.name, b.name); });
    std::vector<ListedName> dots;
    for (const char* dot : {".", ".."}) {
        if (MatchesMask(dot, mask)) dots.push_back({dot, DT_DIR});
    }
    names.insert(names.begin(), dots.begin(), dots.end());
    return names;
}

// The status of a listed item: from the listing alone for a plain file or folder, which is all
// that enumerating callers rely on; a link (reported as what it points to) or an item of
// unknown kind is looked up.
Status ListedStatus(const FindState& find, const ListedName& item) {
    Status st{};
    if (item.type == DT_REG || item.type == DT_DIR) {
        std::string_view name(item.name);
        if (item.type == DT_DIR) st.attributes |= FILE_ATTRIBUTE_DIRECTORY;
        if (name.size() > 1 && name[0] == '.' && name != "..")
            st.attributes |= FILE_ATTRIBUTE_HIDDEN;
        if (st.attributes == 0) st.attributes = FILE_ATTRIBUTE_NORMAL;
        st.regular = item.type == DT_REG;
        return st;
    }
    int dirFd = find.dir ? ::dirfd(find.dir->Get()) : -1;
    std::string path = dirFd >= 0 ? item.name : Join(find.folder, item.name);
    if (dirFd < 0) dirFd = AT_FDCWD;
    if (!StatusOf(dirFd, path.c_str(), 0, item.name, &st) &&
        !StatusOf(dirFd, path.c_str(), AT_SYMLINK_NOFOLLOW, item.name, &st)) {
        st.attributes = FILE_ATTRIBUTE_NORMAL;  // vanished since the listing
    }
    return st;
}

// Fills the next item that fits the record; false when none is left.
bool NextItem(FindState& find, WIN32_FIND_DATAA* data) {
    while (find.next < find.names.size()) {
        const ListedName& item = find.names[find.next++];
        if (item.name.size() >= sizeof data->cFileName) continue;  // cannot be named in the record
        Status st = ListedStatus(find, item);
        std::memset(data, 0, sizeof *data);
        FillTimesAndSize(st, data);
        std::memcpy(data->cFileName, item.name.c_str(), item.name.size() + 1);
        return true;
    }
    return false;
}

std::string NormalisedPath(const std::string& absolute) {
    std::vector<std::string_view> parts;
    std::string_view rest(absolute);
    while (!rest.empty()) {
        std::size_t end = std::min(rest.find('/'), rest.size());
        std::string_view part = rest.substr(0, end);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        rest.remove_prefix(std::min(end + 1, rest.size()));
    }
    std::string out;
    for (std::string_view part : parts) {
        out += '/';
        out += part;
    }
    if (out.empty() || (absolute.back() == '/' && parts.size() > 0)) out += '/';
    return out;
}

std::string CurrentFolder() {
    char* cwd = ::getcwd(nullptr, 0);
    std::string out = cwd ? cwd : "";
    std::free(cwd);
    return out;
}

std::string OwnProgramFile() {
    std::string buffer(256, '\0');
    for (;;) {
        ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0) return std::string();
        if (static_cast<std::size_t>(n) < buffer.size()) {
            buffer.resize(static_cast<std::size_t>(n));
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace

// Handle values are made of a slot index and a generation, never a pointer or a descriptor, so a
// stale or made-up handle is refused instead of reaching another file. Bit 1 tells a folder
// enumeration from a file; slots are reused without allocating.
struct PosixFileSystem::Handles {
    static constexpr std::uintptr_t kFindTag = 2;
    static constexpr unsigned kIndexBits = 16;
    static constexpr std::uintptr_t kIndexMask = (std::uintptr_t{1} << kIndexBits) - 1;

    struct FileSlot {
        UniqueFd fd;
        std::uintptr_t generation = 0;
    };

    std::mutex mutex;
    std::vector<FileSlot> files;
    std::vector<std::uint32_t> freeFiles;
    std::uintptr_t lastFindId = 0;
    std::unordered_map<std::uintptr_t, FindState> finds;

    HANDLE AddFile(UniqueFd fd) {
        std::lock_guard<std::mutex> lock(mutex);
        std::size_t index = files.size();
        if (!freeFiles.empty()) {
            index = freeFiles.back();
            freeFiles.pop_back();
        } else if (index > kIndexMask) {
            return Fail(INVALID_HANDLE_VALUE, ERROR_TOO_MANY_OPEN_FILES);
        } else {
            files.emplace_back();
        }
        FileSlot& slot = files[index];
        slot.fd = std::move(fd);
        ++slot.generation;
        return reinterpret_cast<HANDLE>((slot.generation << kIndexBits | index) << 2);
    }

    // The slot of an open file's handle, or null. Called under the mutex.
    FileSlot* FindFile(HANDLE handle) {
        auto value = reinterpret_cast<std::uintptr_t>(handle);
        std::size_t index = (value >> 2) & kIndexMask;
        if ((value & 3) != 0 || index >= files.size()) return nullptr;
        FileSlot& slot = files[index];
        bool current = slot.fd.IsValid() && (slot.generation << kIndexBits | index) << 2 == value;
        return current ? &slot : nullptr;
    }

    // The descriptor of a file handle, or -1 (ERROR_INVALID_HANDLE set).
    int Fd(HANDLE handle) {
        std::lock_guard<std::mutex> lock(mutex);
        FileSlot* slot = FindFile(handle);
        return slot ? slot->fd.Get() : Fail(-1, ERROR_INVALID_HANDLE);
    }

    bool CloseFile(HANDLE handle) {
        std::lock_guard<std::mutex> lock(mutex);
        FileSlot* slot = FindFile(handle);
        if (!slot) return false;
        slot->fd.Reset();
        freeFiles.push_back(static_cast<std::uint32_t>(slot - files.data()));
        return true;
    }

    HANDLE AddFind(FindState find) {
        std::lock_guard<std::mutex> lock(mutex);
        std::uintptr_t value = ++lastFindId << 2 | kFindTag;
        finds.emplace(value, std::move(find));
        return reinterpret_cast<HANDLE>(value);
    }
};

PosixFileSystem::PosixFileSystem() : m_pHandles(std::make_unique<Handles>()) {}

PosixFileSystem::~PosixFileSystem() = default;

PathSyntax PosixFileSystem::GetPathSyntax() {
    return PathSyntax{CP_UTF8, '/', '/', 0, PATH_MAX};
}

HANDLE PosixFileSystem::CreateFileA(const char* name, std::uint32_t access, std::uint32_t shareMode,
                                    std::uint32_t creationDisposition,
                                    std::uint32_t flagsAndAttributes) {
    bool create = creationDisposition == CREATE_ALWAYS;
    if (!name || (!create && creationDisposition != OPEN_EXISTING) ||
        (create && !(access & GENERIC_WRITE))) {
        return Fail(INVALID_HANDLE_VALUE, ERROR_INVALID_PARAMETER);
    }
    // An existing file under another letter case is opened (or emptied) rather than a new one made.
    UniqueFd fd(::open(name, OpenFlags(access)));
    if (!fd.IsValid() && errno == ENOENT) {
        // A name that matches nothing is not looked for twice: a list of missing songs costs
        // one failed open each.
        std::string resolved = ResolvePath(name);
        if (create || resolved != name) {
            fd = UniqueFd(
                ::open(resolved.c_str(), OpenFlags(access) | (create ? O_CREAT : 0), 0666));
        } else {
            errno = ENOENT;
        }
    }
    if (!fd.IsValid()) return FailErrno(INVALID_HANDLE_VALUE);
    struct stat st;
    if (::fstat(fd.Get(), &st) != 0) return FailErrno(INVALID_HANDLE_VALUE);
    bool folderWanted = (flagsAndAttributes & FILE_FLAG_BACKUP_SEMANTICS) && !create;
    if (S_ISDIR(st.st_mode) && folderWanted) return m_pHandles->AddFile(std::move(fd));
    if (!S_ISREG(st.st_mode)) return Fail(INVALID_HANDLE_VALUE, ERROR_ACCESS_DENIED);
    int lock = LockFor(access, shareMode);
    if (lock != 0 && ::flock(fd.Get(), lock | LOCK_NB) != 0) return FailErrno(INVALID_HANDLE_VALUE);
    // Emptied only once the lock is held, so a refused create leaves the file as it was.
    if (create && st.st_size != 0 && ::ftruncate(fd.Get(), 0) != 0)
        return FailErrno(INVALID_HANDLE_VALUE);
    return m_pHandles->AddFile(std::move(fd));
}

std::int32_t PosixFileSystem::ReadFile(HANDLE file, void* buffer, std::uint32_t toRead,
                                       std::uint32_t* read) {
    if (read) *read = 0;
    int fd = m_pHandles->Fd(file);
    if (fd < 0) return 0;
    if (!buffer && toRead > 0) return Fail(0, ERROR_INVALID_PARAMETER);
    // Only regular files are opened, and they read short only at their end: one read suffices
    // unless the kernel capped a very large request.
    std::uint32_t done = 0;
    while (done < toRead) {
        std::size_t asked = toRead - done;
        ssize_t n = ::read(fd, static_cast<char*>(buffer) + done, asked);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return FailErrno(0);
        done += static_cast<std::uint32_t>(n);
        if (read) *read = done;
        if (n == 0 || static_cast<std::size_t>(n) < std::min<std::size_t>(asked, kLargestRead))
            break;
    }
    return 1;
}

std::int32_t PosixFileSystem::WriteFile(HANDLE file, const void* buffer, std::uint32_t toWrite,
                                        std::uint32_t* written) {
    if (written) *written = 0;
    int fd = m_pHandles->Fd(file);
    if (fd < 0) return 0;
    if (!buffer && toWrite > 0) return Fail(0, ERROR_INVALID_PARAMETER);
    std::uint32_t done = 0;
    while (done < toWrite) {
        ssize_t n = ::write(fd, static_cast<const char*>(buffer) + done, toWrite - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return n < 0 ? FailErrno(0) : Fail(0, ERROR_DISK_FULL);
        done += static_cast<std::uint32_t>(n);
        if (written) *written = done;
    }
    return 1;
}

std::int32_t PosixFileSystem::GetFileSizeEx(HANDLE file, std::int64_t* size) {
    int fd = m_pHandles->Fd(file);
    if (fd < 0) return 0;
    if (!size) return Fail(0, ERROR_INVALID_PARAMETER);
    struct stat st;
    if (::fstat(fd, &st) != 0) return FailErrno(0);
    *size = st.st_size;
    return 1;
}

std::int32_t PosixFileSystem::SetFilePointerEx(HANDLE file, std::int64_t distance,
                                               std::int64_t* newPosition,
                                               std::uint32_t moveMethod) {
    static const int kWhence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
    int fd = m_pHandles->Fd(file);
    if (fd < 0) return 0;
    if (moveMethod > FILE_END) return Fail(0, ERROR_INVALID_PARAMETER);
    off_t position = ::lseek(fd, static_cast<off_t>(distance), kWhence[moveMethod]);
    if (position < 0) return FailErrno(0);
    if (newPosition) *newPosition = position;
    return 1;
}

std::int32_t PosixFileSystem::GetFileInformationByHandle(HANDLE file,
                                                         BY_HANDLE_FILE_INFORMATION* info) {
    int fd = m_pHandles->Fd(file);
    if (fd < 0) return 0;
    if (!info) return Fail(0, ERROR_INVALID_PARAMETER);
    Status st{};
    if (!StatusOf(fd, "", AT_EMPTY_PATH, "", &st)) return FailErrno(0);
    std::memset(info, 0, sizeof *info);
    FillTimesAndSize(st, info);
    // The device folded into 32 bits: together with the inode it names the file.
    info->dwVolumeSerialNumber = static_cast<std::uint32_t>(st.device ^ (st.device >> 32));
    info->nFileIndexHigh = static_cast<std::uint32_t>(st.inode >> 32);
    info->nFileIndexLow = static_cast<std::uint32_t>(st.inode);
    info->nNumberOfLinks = st.links;
    return 1;
}

std::int32_t PosixFileSystem::SetFileTime(HANDLE file, const FILETIME*, const FILETIME* lastAccess,
                                          const FILETIME* lastWrite) {
    int fd = m_pHandles->Fd(file);
    if (fd < 0) return 0;
    const timespec times[2] = {ToTimespec(lastAccess), ToTimespec(lastWrite)};
    if (::futimens(fd, times) != 0) return FailErrno(0);
    return 1;
}

std::int32_t PosixFileSystem::CloseHandle(HANDLE handle) {
    return m_pHandles->CloseFile(handle) ? 1 : Fail(0, ERROR_INVALID_HANDLE);
}

std::int32_t PosixFileSystem::GetFileAttributesExA(const char* name,
                                                   WIN32_FILE_ATTRIBUTE_DATA* data) {
    if (!name || !data) return Fail(0, ERROR_INVALID_PARAMETER);
    Status st{};
    auto status = [&](const char* path) {
        return StatusOf(AT_FDCWD, path, 0, BaseName(path), &st);
    };
    if (!WithCaseFallback(name, status)) return FailErrno(0);
    FillTimesAndSize(st, data);
    return 1;
}

std::string PosixFileSystem::GetDiskPath(const char* path) {
    return path ? ResolvePath(path) : std::string();
}

namespace {

// The file a path finally names, following links: replacing it keeps the links that lead to it.
std::string LinkTarget(std::string path) {
    constexpr int kMaxLinks = 40;  // as the system limits them
    for (int i = 0; i < kMaxLinks; ++i) {
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) break;
        std::string target(static_cast<std::size_t>(st.st_size) + 256, '\0');
        ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= target.size()) break;
        target.resize(static_cast<std::size_t>(n));
        std::size_t slash = path.rfind('/');
        path = target[0] == '/' || slash == std::string::npos ? target
                                                              : path.substr(0, slash + 1) + target;
    }
    return path;
}

// Writes the bytes of one file over another in place, then removes the first: for a link to a
// file on another file system, where a rename cannot reach.
bool CopyOver(const std::string& from, const std::string& to) {
    UniqueFd in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    UniqueFd out(::open(to.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOCTTY));
    if (!in.IsValid() || !out.IsValid()) return false;
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(in.Get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) break;
        for (ssize_t done = 0; done < n;) {
            ssize_t w = ::write(out.Get(), buffer + done, static_cast<std::size_t>(n - done));
            if (w < 0 && errno == EINTR) continue;
            if (w <= 0) return false;
            done += w;
        }
    }
    return ::fsync(out.Get()) == 0 && ::unlink(from.c_str()) == 0;
}

}  // namespace

std::int32_t PosixFileSystem::MoveFileExA(const char* existing, const char* newName,
                                          std::uint32_t flags) {
    if (!existing || !newName) return Fail(0, ERROR_INVALID_PARAMETER);
    std::string from = ResolvePath(existing);
    // The new name replaces a file that exists under another letter case, as CreateFileA would.
    std::string to = ResolvePath(newName);
    struct stat target;
    bool replacing = ::stat(to.c_str(), &target) == 0;
    if (replacing) {
        if (!(flags & MOVEFILE_REPLACE_EXISTING)) return Fail(0, ERROR_ALREADY_EXISTS);
        if (S_ISDIR(target.st_mode) || (target.st_mode & 0222) == 0)
            return Fail(0, ERROR_ACCESS_DENIED);
        // The file replaced through a link stays where the link leads, with its mode and, where
        // allowed, its owner: a save must not turn a private file readable to others.
        to = LinkTarget(to);
        if (::chown(from.c_str(), target.st_uid, target.st_gid) != 0) {
            // Only the owner may give a file away; the mode below still holds.
        }
        ::chmod(from.c_str(), target.st_mode & 07777);
    }
    if (::rename(from.c_str(), to.c_str()) == 0) return 1;
    if (errno == EXDEV && replacing && CopyOver(from, to)) return 1;
    return FailErrno(0);
}

std::int32_t PosixFileSystem::DeleteFileA(const char* name) {
    if (!name) return Fail(0, ERROR_INVALID_PARAMETER);
    if (!WithCaseFallback(name, [](const char* path) { return ::unlink(path) == 0; }))
        return FailErrno(0);
    return 1;
}

HANDLE PosixFileSystem::FindFirstFileA(const char* pattern, WIN32_FIND_DATAA* data) {
    if (!pattern || !data) return Fail(INVALID_HANDLE_VALUE, ERROR_INVALID_PARAMETER);
    std::string_view text(pattern);
    std::size_t slash = text.rfind('/');
    FindState find;
    std::string_view mask = text;
    std::string folder = ".";
    if (slash != std::string_view::npos) {
        folder = text.substr(0, slash == 0 ? 1 : slash);
        mask = text.substr(slash + 1);
    }
    std::unique_ptr<UniqueDir> dir;
    auto openFolder = [&](const char* path) {
        dir = std::make_unique<UniqueDir>(path);
        find.folder = path;
        return dir->Get() != nullptr;
    };
    if (!WithCaseFallback(folder.c_str(), openFolder)) {
        return Fail(INVALID_HANDLE_VALUE, errno == ENOENT ? ERROR_PATH_NOT_FOUND : ErrorOf(errno));
    }
    find.names = ListFolder(dir->Get(), mask);
    find.dir = std::move(dir);
    if (!NextItem(find, data)) return Fail(INVALID_HANDLE_VALUE, ERROR_FILE_NOT_FOUND);
    return m_pHandles->AddFind(std::move(find));
}

std::int32_t PosixFileSystem::FindNextFileA(HANDLE find, WIN32_FIND_DATAA* data) {
    if (!data) return Fail(0, ERROR_INVALID_PARAMETER);
    std::lock_guard<std::mutex> lock(m_pHandles->mutex);
    auto it = m_pHandles->finds.find(reinterpret_cast<std::uintptr_t>(find));
    if (it == m_pHandles->finds.end()) return Fail(0, ERROR_INVALID_HANDLE);
    if (!NextItem(it->second, data)) return Fail(0, ERROR_NO_MORE_FILES);
    return 1;
}

std::int32_t PosixFileSystem::FindClose(HANDLE find) {
    std::lock_guard<std::mutex> lock(m_pHandles->mutex);
    if (m_pHandles->finds.erase(reinterpret_cast<std::uintptr_t>(find)) == 0) {
        return Fail(0, ERROR_INVALID_HANDLE);
    }
    return 1;
}

int PosixFileSystem::Stat(const char* path, StatBuffer* buffer) {
    if (!path || !buffer) return Fail(-1, ERROR_INVALID_PARAMETER);
    struct stat st;
    if (!WithCaseFallback(path, [&](const char* p) { return ::stat(p, &st) == 0; }))
        return FailErrno(-1);
    buffer->st_mode = S_ISDIR(st.st_mode) ? _S_IFDIR : (S_ISREG(st.st_mode) ? _S_IFREG : 0);
    buffer->st_size = st.st_size;
    return 0;
}

char* PosixFileSystem::FullPath(char* absPath, const char* relPath, std::size_t maxLength) {
    if (!absPath || !relPath) return Fail<char*>(nullptr, ERROR_INVALID_PARAMETER);
    std::string absolute =
        relPath[0] == '/' ? std::string(relPath) : Join(CurrentFolder(), relPath);
    if (absolute.empty() || absolute[0] != '/') return Fail<char*>(nullptr, ERROR_PATH_NOT_FOUND);
    std::string out = NormalisedPath(absolute);
    if (out.size() >= maxLength) return Fail<char*>(nullptr, ERROR_FILENAME_EXCED_RANGE);
    std::memcpy(absPath, out.c_str(), out.size() + 1);
    return absPath;
}

std::uint32_t PosixFileSystem::GetModuleFileNameA(HMODULE module, char* fileName,
                                                  std::uint32_t size) {
    if (module) return Fail(0u, ERROR_INVALID_HANDLE);
    if (!fileName || size == 0) return Fail(0u, ERROR_INSUFFICIENT_BUFFER);
    std::string own = OwnProgramFile();
    if (own.empty()) return FailErrno(0u);
    if (own.size() >= size) {
        std::memcpy(fileName, own.data(), size - 1);
        fileName[size - 1] = '\0';
        return Fail(size, ERROR_INSUFFICIENT_BUFFER);
    }
    std::memcpy(fileName, own.c_str(), own.size() + 1);
    return static_cast<std::uint32_t>(own.size());
}

}  // namespace qv
