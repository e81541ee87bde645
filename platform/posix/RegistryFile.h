#pragma once
// The registry on Linux: the keys and values of one user in a REGEDIT4 text file, shared safely
// between processes.
//
// Reads come from a copy of the file in memory, brought up to date whenever a key is opened and
// the file has changed. Changes go to that copy at once and are written back when the last key
// opened through this backend is closed (a value set through a root key while none is open is
// written at once, and anything left at destruction): under a lock file, the file is read
// again, this process's own changes since its last write are applied on top (so values that
// another process wrote meanwhile are kept, and the latest write of a value wins), and the result
// replaces the file atomically, keeping its mode and a link to it. Lines that cannot be read are
// skipped, as the registry editor skips them, and a copy of the file as it was is kept beside it;
// a file that is no registry file at all is never overwritten: it is renamed aside and the
// registry starts empty. Something that is not a regular file, or larger than any settings file,
// is neither read nor written.
#include <sys/stat.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/posix/RegTree.h"
#include "platform/registry.h"

namespace qv::posix {

class RegistryFile final : public IRegistry {
public:
    // path is the registry file; its folder is created when the first change is written.
    explicit RegistryFile(std::string path);
    ~RegistryFile() override;
    RegistryFile(const RegistryFile&) = delete;
    RegistryFile& operator=(const RegistryFile&) = delete;

    // $QUAVEL_REGISTRY_FILE when set, else registry.reg in $XDG_CONFIG_HOME/quavel (by default
    // ~/.config/quavel).
    static std::string DefaultPath();

    const std::string& Path() const { return m_path; }

    // Writes this process's pending changes now: ERROR_SUCCESS, or ERROR_CANTWRITE when the file
    // could not be read or written (the changes stay pending and are tried again).
    std::int32_t Flush();

    std::int32_t CreateKeyEx(HKEY hKey, const char* lpSubKey, std::uint32_t Reserved, char* lpClass,
                             std::uint32_t dwOptions, REGSAM samDesired,
                             LPSECURITY_ATTRIBUTES lpSecurityAttributes, PHKEY phkResult,
                             std::uint32_t* lpdwDisposition) override;
    std::int32_t OpenKeyEx(HKEY hKey, const char* lpSubKey, std::uint32_t ulOptions,
                           REGSAM samDesired, PHKEY phkResult) override;
    std::int32_t QueryInfoKey(HKEY hKey, char* lpClass, std::uint32_t* lpcchClass,
                              std::uint32_t* lpReserved, std::uint32_t* lpcSubKeys,
                              std::uint32_t* lpcbMaxSubKeyLen, std::uint32_t* lpcbMaxClassLen,
                              std::uint32_t* lpcValues, std::uint32_t* lpcbMaxValueNameLen,
                              std::uint32_t* lpcbMaxValueLen, std::uint32_t* lpcbSecurityDescriptor,
                              FILETIME* lpftLastWriteTime) override;
    std::int32_t EnumValue(HKEY hKey, std::uint32_t dwIndex, char* lpValueName,
                           std::uint32_t* lpcchValueName, std::uint32_t* lpReserved,
                           std::uint32_t* lpType, std::uint8_t* lpData,
                           std::uint32_t* lpcbData) override;
    std::int32_t EnumKeyEx(HKEY hKey, std::uint32_t dwIndex, char* lpName, std::uint32_t* lpcchName,
                           std::uint32_t* lpReserved, char* lpClass, std::uint32_t* lpcchClass,
                           FILETIME* lpftLastWriteTime) override;
    std::int32_t SetValueEx(HKEY hKey, const char* lpValueName, std::uint32_t Reserved,
                            std::uint32_t dwType, const std::uint8_t* lpData,
                            std::uint32_t cbData) override;
    std::int32_t CloseKey(HKEY hKey) override;

private:
    struct OpenKey {
        std::vector<std::string> path;  // root name first
        REGSAM access = 0;
        // The key as last found; valid while the tree it was found in is the current one.
        const RegKey* pKey = nullptr;
        std::uint64_t generation = 0;
    };
    // One change made through this backend since its last write: a key created, or a value set.
    struct Change {
        std::vector<std::string> path;
        bool bValue = false;
        RegValue value;
        std::string cls;
        FILETIME time{};
    };
    // What identifies one version of the file; a writer always replaces the whole file.
    struct Stamp {
        bool exists = false;
        std::uint64_t dev = 0, ino = 0, size = 0;
        std::int64_t mtimeSec = 0, mtimeNsec = 0;
        friend bool operator==(const Stamp&, const Stamp&) = default;
        static Stamp Of(const struct stat& st);
    };
    enum class ReadResult { Ok, Missing, Damaged, Failed };

    std::int32_t Resolve(HKEY hKey, REGSAM need, const std::vector<std::string>*& path,
                         const RegKey*& key);
    const RegKey* Find(const std::vector<std::string>& path) const;
    HKEY NewHandle(std::vector<std::string> path, REGSAM access);
    void Apply(const Change& change, RegKey& top) const;

    bool LoadLatest(bool bLocked);
    ReadResult ReadFile(RegKey& tree, Stamp& stamp, std::string& reason) const;
    void KeepCopy(const std::string& text, const std::vector<std::size_t>& lines) const;
    bool SetAside(const std::string& reason) const;
    std::int32_t FlushLocked();
    std::int32_t WriteFailed(const char* what);
    bool WriteFileAtomically(const std::string& target, const std::string& text, Stamp& stamp);
    void RemoveStaleTemporaries(const std::string& target) const;

    std::string m_path;
    std::string m_dir;
    std::mutex m_mutex;
    std::unique_ptr<RegKey> m_top = std::make_unique<RegKey>("");
    std::uint64_t m_generation = 1;  // counts the trees m_top has held
    std::vector<std::string> m_rootPath;
    const RegKey m_emptyRoot{""};  // what a root that holds nothing yet reads as
    Stamp m_stamp;
    bool m_bLoaded = false;
    bool m_bReadFailed = false;
    Stamp m_failedStamp;  // the file as it was when it could not be read
    bool m_bWriteReported = false;
    std::vector<Change> m_changes;
    std::unordered_map<std::uintptr_t, OpenKey> m_open;
    std::uintptr_t m_nextHandle = 0x1000;
};

}  // namespace qv::posix
