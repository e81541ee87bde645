#include "platform/posix/RegistryFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/posix/RegFormat.h"

namespace qv::posix {
namespace {

// A settings file larger than this is refused as unreadable (and so never overwritten). A few
// dozen values take a few kilobytes; even a value of 16 MB, written in hex, stays below it.
constexpr std::uint64_t kMaxFileSize = 64u << 20;
// Links followed at most, as the system itself limits them.
constexpr int kMaxLinks = 40;
constexpr std::uintptr_t kFirstHandle = 0x1000;
constexpr std::uintptr_t kHandleStep = 4;
constexpr std::uint64_t kSecondsFrom1601To1970 = 11644473600u;

class ScopedFd {
public:
    explicit ScopedFd(int fd = -1) : m_fd(fd) {}
    ~ScopedFd() { Close(); }
    ScopedFd(const ScopedFd&) = delete;
    ScopedFd& operator=(const ScopedFd&) = delete;

    int Get() const { return m_fd; }
    bool Valid() const { return m_fd >= 0; }
    // Answers false when closing reported an error (a write that did not reach the file).
    bool Close() {
        int fd = m_fd;
        m_fd = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int m_fd;
};

// An exclusive lock on the lock file beside the registry file, held until destruction. The lock
// file itself is never removed: removing it would let two writers lock two different files.
class ScopedFileLock {
public:
    explicit ScopedFileLock(const std::string& path)
        : m_fd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
        if (!m_fd.Valid()) return;
        while (::flock(m_fd.Get(), LOCK_EX) != 0) {
            if (errno != EINTR) {
                m_fd.Close();
                return;
            }
        }
    }
    bool Held() const { return m_fd.Valid(); }

private:
    ScopedFd m_fd;  // closing it releases the lock
};

class ScopedDir {
public:
    explicit ScopedDir(const std::string& path) : m_dir(::opendir(path.c_str())) {}
    ~ScopedDir() {
        if (m_dir) ::closedir(m_dir);
    }
    ScopedDir(const ScopedDir&) = delete;
    ScopedDir& operator=(const ScopedDir&) = delete;
    DIR* Get() const { return m_dir; }

private:
    DIR* m_dir;
};

FILETIME ToFileTime(std::int64_t sec, std::int64_t nsec) {
    std::uint64_t t = (static_cast<std::uint64_t>(sec) + kSecondsFrom1601To1970) * 10000000u +
                      static_cast<std::uint64_t>(nsec) / 100;
    return FILETIME{static_cast<std::uint32_t>(t), static_cast<std::uint32_t>(t >> 32)};
}

FILETIME Now() {
    timespec ts{};
    ::clock_gettime(CLOCK_REALTIME, &ts);
    return ToFileTime(ts.tv_sec, ts.tv_nsec);
}

void SetTimes(RegKey& key, FILETIME ft) {
    key.SetLastWrite(ft);
    for (std::size_t i = 0; i < key.SubKeyCount(); ++i) SetTimes(key.SubKeyAt(i), ft);
}

std::string DirName(const std::string& path) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseName(const std::string& path) {
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Creates the folder and any missing parents, private to the user.
bool MakeDirs(const std::string& dir) {
    for (std::size_t pos = 1; pos <= dir.size(); ++pos) {
        if (pos != dir.size() && dir[pos] != '/') continue;
        std::string prefix = dir.substr(0, pos);
        if (::mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    struct stat st {};
    return ::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool WriteAll(int fd, const std::string& text) {
    const char* p = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

// Reads to the end; answers false on an error or when the file grows past the limit.
bool ReadAll(int fd, std::string& out) {
    char buffer[65536];
    out.clear();
    while (true) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        if (out.size() + static_cast<std::size_t>(n) > kMaxFileSize) {
            errno = EFBIG;
            return false;
        }
        out.append(buffer, static_cast<std::size_t>(n));
    }
}

// The file a path finally names: links are followed, also when what they point to is missing, so
// that a save replaces the file and leaves the link in place.
std::string FinalPath(const std::string& path) {
    std::string current = path;
    for (int i = 0; i < kMaxLinks; ++i) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
        std::string target(static_cast<std::size_t>(st.st_size) + 256, '\0');
        ssize_t n = ::readlink(current.c_str(), target.data(), target.size());
        if (n <= 0 || static_cast<std::size_t>(n) >= target.size()) return current;
        target.resize(static_cast<std::size_t>(n));
        current = target[0] == '/' ? target : DirName(current) + "/" + target;
    }
    return current;
}

// A free name beside the file for a copy of it kept as it was.
std::string AsideName(const std::string& path) {
    char when[32];
    std::time_t t = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&t, &local);
    std::strftime(when, sizeof when, "%Y%m%d-%H%M%S", &local);
    std::string base = path + ".damaged-" + when;
    std::string target = base;
    struct stat st {};
    for (int n = 2; ::lstat(target.c_str(), &st) == 0; ++n) target = base + "-" + std::to_string(n);
    return target;
}

bool SyncDir(const std::string& dir) {
    ScopedFd fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return fd.Valid() && ::fsync(fd.Get()) == 0;
}

// Splits a sub-key path at its backslashes. An empty path names the key itself; one trailing
// backslash is tolerated. A name may not be empty, longer than the registry allows, or hold a
// line break (the file format could not carry it).
bool SplitKeyPath(const char* psz, std::vector<std::string>& names) {
    std::string_view path = psz ? psz : "";
    names.clear();
    if (path.empty()) return true;
    if (path.back() == '\\') path.remove_suffix(1);
    while (true) {
        std::size_t sep = path.find('\\');
        std::string_view name = path.substr(0, sep);
        if (name.empty() || name.size() > kMaxKeyNameLength ||
            name.find('\n') != std::string_view::npos || names.size() >= kMaxKeyDepth)
            return false;
        names.emplace_back(name);
        if (sep == std::string_view::npos) return true;
        path.remove_prefix(sep + 1);
    }
}

std::uint32_t Count32(std::size_t n) {
    return static_cast<std::uint32_t>(n);
}

// Copies text and its terminating zero when the buffer of size bytes has room for both.
bool CopyName(const std::string& text, char* buffer, std::uint32_t size) {
    if (text.size() >= size) return false;
    std::memcpy(buffer, text.data(), text.size());
    buffer[text.size()] = '\0';
    return true;
}

std::string LineList(const std::vector<std::size_t>& lines) {
    std::string list;
    for (std::size_t line : lines) list += (list.empty() ? "" : ", ") + std::to_string(line);
    return list;
}

}  // namespace

RegistryFile::RegistryFile(std::string path) : m_path(std::move(path)), m_dir(DirName(m_path)) {}

RegistryFile::~RegistryFile() {
    std::lock_guard<std::mutex> lock(m_mutex);
    FlushLocked();
}

std::string RegistryFile::DefaultPath() {
    const char* file = std::getenv("QUAVEL_REGISTRY_FILE");
    if (file && *file) return file;
    std::string base;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/') {
        base = xdg;  // a relative value is to be ignored
    } else {
        const char* home = std::getenv("HOME");
        if (!home || !*home) {
            const passwd* pw = ::getpwuid(::getuid());
            home = pw && pw->pw_dir ? pw->pw_dir : ".";
        }
        base = std::string(home) + "/.config";
    }
    return base + "/quavel/registry.reg";
}

std::int32_t RegistryFile::Flush() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return FlushLocked();
}

std::int32_t RegistryFile::FlushLocked() {
    if (m_changes.empty()) return ERROR_SUCCESS;
    if (!MakeDirs(m_dir)) return WriteFailed("creating its folder");
    ScopedFileLock fileLock(m_path + ".lock");
    if (!fileLock.Held()) return WriteFailed("locking");
    // Another process may have written since we last looked: start from its file.
    if (!LoadLatest(true)) return ERROR_CANTWRITE;
    std::string target = FinalPath(m_path);
    RemoveStaleTemporaries(target);
    Stamp stamp;
    if (!WriteFileAtomically(target, FormatRegText(*m_top), stamp)) return WriteFailed("writing");
    m_stamp = stamp;
    m_changes.clear();
    m_bWriteReported = false;
    return ERROR_SUCCESS;
}

// Said once: the same failure comes again at every later save of the run.
std::int32_t RegistryFile::WriteFailed(const char* what) {
    if (!m_bWriteReported)
        std::fprintf(stderr, "quavel: could not save the settings to %s (%s: %s)\n", m_path.c_str(),
                     what, std::strerror(errno));
    m_bWriteReported = true;
    return ERROR_CANTWRITE;
}

RegistryFile::Stamp RegistryFile::Stamp::Of(const struct stat& st) {
    return Stamp{true,
                 st.st_dev,
                 st.st_ino,
                 static_cast<std::uint64_t>(st.st_size),
                 st.st_mtim.tv_sec,
                 st.st_mtim.tv_nsec};
}

bool RegistryFile::LoadLatest(bool bLocked) {
    struct stat st {};
    Stamp now;
    if (::stat(m_path.c_str(), &st) == 0)
        now = Stamp::Of(st);
    else if (errno != ENOENT)
        now.size = ~std::uint64_t{0};  // unknown: read it to find out what is wrong
    if (m_bLoaded && now == m_stamp) return true;
    // A file that could not be read is not read again while it stays as it was: a device
    // would be read to its limit at every access.
    if (m_bReadFailed && now == m_failedStamp) return false;

    auto fresh = std::make_unique<RegKey>("");
    Stamp stamp;
    std::string reason;
    switch (ReadFile(*fresh, stamp, reason)) {
        case ReadResult::Ok:
        case ReadResult::Missing:
            break;
        case ReadResult::Damaged: {
            // Only set a file aside under the lock, after reading it again: a writer may have
            // replaced it in the meantime.
            if (!bLocked) {
                ScopedFileLock fileLock(m_path + ".lock");
                return fileLock.Held() && LoadLatest(true);
            }
            if (!SetAside(reason)) return false;
            fresh = std::make_unique<RegKey>("");
            stamp = Stamp{};
            break;
        }
        case ReadResult::Failed:
            std::fprintf(stderr,
                         "quavel: cannot read the settings file %s (%s); the settings are not "
                         "read from it or saved to it\n",
                         m_path.c_str(), reason.c_str());
            m_bReadFailed = true;
            m_failedStamp = now;
            return false;
    }
    m_bReadFailed = false;
    for (const Change& change : m_changes) Apply(change, *fresh);
    m_top = std::move(fresh);
    ++m_generation;
    m_stamp = stamp;
    m_bLoaded = true;
    return true;
}

RegistryFile::ReadResult RegistryFile::ReadFile(RegKey& tree, Stamp& stamp,
                                                std::string& reason) const {
    // Without blocking: a pipe put in the file's place must not hang the start.
    ScopedFd fd(::open(m_path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.Valid()) {
        stamp = Stamp{};
        if (errno == ENOENT) return ReadResult::Missing;
        reason = std::strerror(errno);
        return ReadResult::Failed;
    }
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0) {
        reason = std::strerror(errno);
        return ReadResult::Failed;
    }
    if (!S_ISREG(st.st_mode)) {
        reason = "not a regular file";
        return ReadResult::Failed;
    }
    if (static_cast<std::uint64_t>(st.st_size) > kMaxFileSize) {
        reason = "larger than " + std::to_string(kMaxFileSize >> 20) + " MB";
        return ReadResult::Failed;
    }
    std::string text;
    if (!ReadAll(fd.Get(), text)) {
        reason = std::strerror(errno);
        return ReadResult::Failed;
    }
    stamp = Stamp::Of(st);
    RegParseError error;
    if (!ParseRegText(text, tree, &error)) {
        reason = error.message;
        return ReadResult::Damaged;
    }
    if (!error.skipped.empty()) KeepCopy(text, error.skipped);
    SetTimes(tree, ToFileTime(st.st_mtim.tv_sec, st.st_mtim.tv_nsec));
    return ReadResult::Ok;
}

// The skipped lines are gone from the file at the next save: the file as it was is kept.
void RegistryFile::KeepCopy(const std::string& text, const std::vector<std::size_t>& lines) const {
    std::string copy = AsideName(FinalPath(m_path));
    ScopedFd fd(::open(copy.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    bool kept = fd.Valid() && WriteAll(fd.Get(), text) && fd.Close();
    std::fprintf(
        stderr,
        "quavel: the settings file %s has lines that cannot be read (lines %s); "
        "they were skipped%s%s\n",
        m_path.c_str(), LineList(lines).c_str(),
        kept ? " and the file as it was is kept as " : ", and no copy of the file could be kept",
        kept ? copy.c_str() : "");
}

bool RegistryFile::SetAside(const std::string& reason) const {
    // The file itself is set aside, not a link to it.
    std::string file = FinalPath(m_path);
    std::string target = AsideName(file);
    if (::rename(file.c_str(), target.c_str()) != 0) {
        std::fprintf(stderr,
                     "quavel: the settings file %s is damaged (%s) and could not be set "
                     "aside (%s); it is left as it is\n",
                     m_path.c_str(), reason.c_str(), std::strerror(errno));
        return false;
    }
    std::fprintf(stderr,
                 "quavel: the settings file %s is damaged (%s); it was kept as %s and the "
                 "settings start empty\n",
                 m_path.c_str(), reason.c_str(), target.c_str());
    return true;
}

bool RegistryFile::WriteFileAtomically(const std::string& target, const std::string& text,
                                       Stamp& stamp) {
    std::string temp = target + ".tmp-" + std::to_string(::getpid());
    ScopedFd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
    if (!fd.Valid()) return false;
    // The new file takes the place of the old one with its mode and, where allowed, its owner.
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        if (::fchown(fd.Get(), old.st_uid, old.st_gid) != 0) {
            // Only the owner may be kept; the group often cannot.
        }
        ::fchmod(fd.Get(), old.st_mode & 07777);
    }
    struct stat st {};
    bool ok = WriteAll(fd.Get(), text) && ::fsync(fd.Get()) == 0 && ::fstat(fd.Get(), &st) == 0;
    ok = fd.Close() && ok;
    if (ok) ok = ::rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        int error = errno;
        ::unlink(temp.c_str());
        errno = error;
        return false;
    }
    stamp = Stamp::Of(st);
    // The new file is in place; the folder's sync makes the rename itself survive a power cut.
    return SyncDir(DirName(target));
}

// Called under the lock: every writer holds it while its temporary file exists, so any
// temporary file seen now was left by a process that died while writing.
void RegistryFile::RemoveStaleTemporaries(const std::string& target) const {
    ScopedDir dir(DirName(target));
    if (!dir.Get()) return;
    std::string prefix = BaseName(target) + ".tmp-";
    while (const dirent* entry = ::readdir(dir.Get())) {
        if (std::strncmp(entry->d_name, prefix.c_str(), prefix.size()) == 0)
            ::unlinkat(::dirfd(dir.Get()), entry->d_name, 0);
    }
}

const RegKey* RegistryFile::Find(const std::vector<std::string>& path) const {
    const RegKey* key = m_top.get();
    for (const std::string& name : path) {
        key = key->FindSubKey(name);
        if (!key) return nullptr;
    }
    return key;
}

void RegistryFile::Apply(const Change& change, RegKey& top) const {
    RegKey* key = &top;
    bool created = false;
    for (const std::string& name : change.path) {
        key = &key->FindOrAddSubKey(name, &created);
        if (created) key->SetLastWrite(change.time);
    }
    if (change.bValue) {
        key->SetValue(change.value.name, change.value.type, change.value.data);
        key->SetLastWrite(change.time);
    } else if (created) {
        key->SetClass(change.cls);
    }
}

std::int32_t RegistryFile::Resolve(HKEY hKey, REGSAM need, const std::vector<std::string>*& path,
                                   const RegKey*& key) {
    std::string_view root = RootName(hKey);
    if (!root.empty()) {
        m_rootPath.assign(1, std::string(root));
        path = &m_rootPath;
        key = Find(m_rootPath);
        if (!key) key = &m_emptyRoot;
        return ERROR_SUCCESS;
    }
    auto it = m_open.find(reinterpret_cast<std::uintptr_t>(hKey));
    if (it == m_open.end()) return ERROR_INVALID_HANDLE;
    OpenKey& open = it->second;
    if ((open.access & need) != need) return ERROR_ACCESS_DENIED;
    path = &open.path;
    // Keys are never removed from a tree, only the whole tree replaced, so a key found once
    // stays valid until then.
    if (open.generation != m_generation || !open.pKey) {
        open.pKey = Find(open.path);
        if (!open.pKey && open.path.size() == 1) open.pKey = &m_emptyRoot;
        open.generation = m_generation;
    }
    key = open.pKey;
    return key ? ERROR_SUCCESS : ERROR_KEY_DELETED;
}

HKEY RegistryFile::NewHandle(std::vector<std::string> path, REGSAM access) {
    do {
        m_nextHandle += kHandleStep;
        if (m_nextHandle >= 0x80000000u) m_nextHandle = kFirstHandle;
    } while (m_open.count(m_nextHandle));
    m_open.emplace(m_nextHandle, OpenKey{std::move(path), access});
    return reinterpret_cast<HKEY>(m_nextHandle);
}

std::int32_t RegistryFile::CreateKeyEx(HKEY hKey, const char* lpSubKey, std::uint32_t /*Reserved*/,
                                       char* lpClass, std::uint32_t dwOptions, REGSAM samDesired,
                                       LPSECURITY_ATTRIBUTES /*lpSecurityAttributes*/,
                                       PHKEY phkResult, std::uint32_t* lpdwDisposition) {
    if (!phkResult) return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    std::string cls = lpClass ? lpClass : "";
    // Only keys that persist are offered; the class must fit on one line of the file.
    if (dwOptions != REG_OPTION_NON_VOLATILE || cls.find('\n') != std::string::npos)
        return ERROR_INVALID_PARAMETER;
    std::lock_guard<std::mutex> lock(m_mutex);
    LoadLatest(false);
    std::vector<std::string> names;
    const std::vector<std::string>* parent = nullptr;
    const RegKey* key = nullptr;
    if (std::int32_t error = Resolve(hKey, 0, parent, key)) return error;
    if (!SplitKeyPath(lpSubKey, names) || parent->size() - 1 + names.size() > kMaxKeyDepth)
        return ERROR_INVALID_PARAMETER;
    std::vector<std::string> path = *parent;
    bool created = false;
    for (const std::string& name : names) {
        key = key ? key->FindSubKey(name) : nullptr;
        path.push_back(key ? key->Name() : name);
        created = created || !key;
    }
    if (created) {
        Change change{path, false, RegValue{}, cls, Now()};
        Apply(change, *m_top);
        m_changes.push_back(std::move(change));
    }
    if (lpdwDisposition) *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    *phkResult = NewHandle(std::move(path), samDesired);
    return ERROR_SUCCESS;
}

std::int32_t RegistryFile::OpenKeyEx(HKEY hKey, const char* lpSubKey, std::uint32_t /*ulOptions*/,
                                     REGSAM samDesired, PHKEY phkResult) {
    if (!phkResult) return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    std::lock_guard<std::mutex> lock(m_mutex);
    LoadLatest(false);
    std::vector<std::string> names;
    const std::vector<std::string>* parent = nullptr;
    const RegKey* key = nullptr;
    if (std::int32_t error = Resolve(hKey, 0, parent, key)) return error;
    if (!SplitKeyPath(lpSubKey, names)) return ERROR_INVALID_PARAMETER;
    std::vector<std::string> path = *parent;
    for (const std::string& name : names) {
        key = key->FindSubKey(name);
        if (!key) return ERROR_FILE_NOT_FOUND;
        path.push_back(key->Name());
    }
    *phkResult = NewHandle(std::move(path), samDesired);
    return ERROR_SUCCESS;
}

std::int32_t RegistryFile::QueryInfoKey(
    HKEY hKey, char* lpClass, std::uint32_t* lpcchClass, std::uint32_t* lpReserved,
    std::uint32_t* lpcSubKeys, std::uint32_t* lpcbMaxSubKeyLen, std::uint32_t* lpcbMaxClassLen,
    std::uint32_t* lpcValues, std::uint32_t* lpcbMaxValueNameLen, std::uint32_t* lpcbMaxValueLen,
    std::uint32_t* lpcbSecurityDescriptor, FILETIME* lpftLastWriteTime) {
    if (lpReserved || (lpClass && !lpcchClass)) return ERROR_INVALID_PARAMETER;
    std::lock_guard<std::mutex> lock(m_mutex);
    const std::vector<std::string>* path = nullptr;
    const RegKey* key = nullptr;
    if (std::int32_t error = Resolve(hKey, KEY_QUERY_VALUE, path, key)) return error;
    if (lpClass && !CopyName(key->Class(), lpClass, *lpcchClass)) {
        *lpcchClass = Count32(key->Class().size());
        return ERROR_MORE_DATA;
    }
    if (lpcchClass) *lpcchClass = Count32(key->Class().size());
    std::size_t maxSubKey = 0, maxClass = 0, maxName = 0, maxData = 0;
    for (std::size_t i = 0; i < key->SubKeyCount(); ++i) {
        maxSubKey = std::max(maxSubKey, key->SubKeyAt(i).Name().size());
        maxClass = std::max(maxClass, key->SubKeyAt(i).Class().size());
    }
    for (std::size_t i = 0; i < key->ValueCount(); ++i) {
        maxName = std::max(maxName, key->ValueAt(i).name.size());
        maxData = std::max(maxData, key->ValueAt(i).data.size());
    }
    if (lpcSubKeys) *lpcSubKeys = Count32(key->SubKeyCount());
    if (lpcbMaxSubKeyLen) *lpcbMaxSubKeyLen = Count32(maxSubKey);
    if (lpcbMaxClassLen) *lpcbMaxClassLen = Count32(maxClass);
    if (lpcValues) *lpcValues = Count32(key->ValueCount());
    if (lpcbMaxValueNameLen) *lpcbMaxValueNameLen = Count32(maxName);
    if (lpcbMaxValueLen) *lpcbMaxValueLen = Count32(maxData);
    if (lpcbSecurityDescriptor) *lpcbSecurityDescriptor = 0;
    if (lpftLastWriteTime) *lpftLastWriteTime = key->LastWrite();
    return ERROR_SUCCESS;
}

std::int32_t RegistryFile::EnumValue(HKEY hKey, std::uint32_t dwIndex, char* lpValueName,
                                     std::uint32_t* lpcchValueName, std::uint32_t* lpReserved,
                                     std::uint32_t* lpType, std::uint8_t* lpData,
                                     std::uint32_t* lpcbData) {
    if (lpReserved || !lpValueName || !lpcchValueName || (lpData && !lpcbData))
        return ERROR_INVALID_PARAMETER;
    std::lock_guard<std::mutex> lock(m_mutex);
    const std::vector<std::string>* path = nullptr;
    const RegKey* key = nullptr;
    if (std::int32_t error = Resolve(hKey, KEY_QUERY_VALUE, path, key)) return error;
    if (dwIndex >= key->ValueCount()) return ERROR_NO_MORE_ITEMS;
    const RegValue& value = key->ValueAt(dwIndex);
    if (value.name.size() >= *lpcchValueName) return ERROR_MORE_DATA;
    if (lpData && value.data.size() > *lpcbData) {
        *lpcbData = Count32(value.data.size());
        return ERROR_MORE_DATA;
    }
    CopyName(value.name, lpValueName, *lpcchValueName);
    *lpcchValueName = Count32(value.name.size());
    if (lpType) *lpType = value.type;
    if (lpData && !value.data.empty()) std::memcpy(lpData, value.data.data(), value.data.size());
    if (lpcbData) *lpcbData = Count32(value.data.size());
    return ERROR_SUCCESS;
}

std::int32_t RegistryFile::EnumKeyEx(HKEY hKey, std::uint32_t dwIndex, char* lpName,
                                     std::uint32_t* lpcchName, std::uint32_t* lpReserved,
                                     char* lpClass, std::uint32_t* lpcchClass,
                                     FILETIME* lpftLastWriteTime) {
    if (lpReserved || !lpName || !lpcchName || (lpClass && !lpcchClass))
        return ERROR_INVALID_PARAMETER;
    std::lock_guard<std::mutex> lock(m_mutex);
    const std::vector<std::string>* path = nullptr;
    const RegKey* key = nullptr;
    if (std::int32_t error = Resolve(hKey, KEY_ENUMERATE_SUB_KEYS, path, key)) return error;
    if (dwIndex >= key->SubKeyCount()) return ERROR_NO_MORE_ITEMS;
    const RegKey& sub = key->SubKeyAt(dwIndex);
    if (sub.Name().size() >= *lpcchName) return ERROR_MORE_DATA;
    if (lpClass && sub.Class().size() >= *lpcchClass) return ERROR_MORE_DATA;
    CopyName(sub.Name(), lpName, *lpcchName);
    *lpcchName = Count32(sub.Name().size());
    if (lpClass) {
        CopyName(sub.Class(), lpClass, *lpcchClass);
        *lpcchClass = Count32(sub.Class().size());
    }
    if (lpftLastWriteTime) *lpftLastWriteTime = sub.LastWrite();
    return ERROR_SUCCESS;
}

std::int32_t RegistryFile::SetValueEx(HKEY hKey, const char* lpValueName,
                                      std::uint32_t /*Reserved*/, std::uint32_t dwType,
                                      const std::uint8_t* lpData, std::uint32_t cbData) {
    std::string name = lpValueName ? lpValueName : "";
    // The name must fit on one line of the file.
    if (name.size() > kMaxValueNameLength || name.find('\n') != std::string::npos ||
        (!lpData && cbData > 0))
        return ERROR_INVALID_PARAMETER;
    std::lock_guard<std::mutex> lock(m_mutex);
    const std::vector<std::string>* path = nullptr;
    const RegKey* key = nullptr;
    if (std::int32_t error = Resolve(hKey, KEY_SET_VALUE, path, key)) return error;
    std::vector<std::uint8_t> data(lpData, lpData + cbData);
    Change change{*path, true, RegValue{std::move(name), dwType, std::move(data)}, {}, Now()};
    Apply(change, *m_top);
    m_changes.push_back(std::move(change));
    // Set through a root with no key open, there is no close to wait for.
    if (m_open.empty()) return FlushLocked();
    return ERROR_SUCCESS;
}

std::int32_t RegistryFile::CloseKey(HKEY hKey) {
    if (!RootName(hKey).empty()) return ERROR_SUCCESS;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_open.erase(reinterpret_cast<std::uintptr_t>(hKey))) return ERROR_INVALID_HANDLE;
    // The last key closed ends a batch of changes (a whole settings save): write it now.
    if (m_open.empty()) return FlushLocked();
    return ERROR_SUCCESS;
}

}  // namespace qv::posix
