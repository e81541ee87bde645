#pragma once
// The registry as a tree in memory: keys and values in order of creation, names matched without
// regard to ASCII letter case and kept in the case they were created with.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/registry.h"

namespace qv::posix {

struct RegValue {
    std::string name;
    std::uint32_t type = REG_NONE;
    std::vector<std::uint8_t> data;

    friend bool operator==(const RegValue&, const RegValue&) = default;
};

// The key that names are compared under: ASCII letters folded to lower case, other bytes as they
// are (non-ASCII names therefore match only byte for byte).
std::string FoldName(std::string_view name);
bool SameName(std::string_view a, std::string_view b);

class RegKey {
public:
    explicit RegKey(std::string name) : m_name(std::move(name)) {}
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    const std::string& Name() const { return m_name; }

    const std::string& Class() const { return m_class; }
    void SetClass(std::string cls) { m_class = std::move(cls); }
    FILETIME LastWrite() const { return m_lastWrite; }
    void SetLastWrite(FILETIME ft) { m_lastWrite = ft; }

    std::size_t SubKeyCount() const { return m_subKeys.size(); }
    RegKey& SubKeyAt(std::size_t i) const { return *m_subKeys[i]; }
    RegKey* FindSubKey(std::string_view name) const;
    // Answers the sub-key of that name, appending a new empty one when there is none; created
    // tells which.
    RegKey& FindOrAddSubKey(std::string_view name, bool* created = nullptr);
    bool RemoveSubKey(std::string_view name);

    std::size_t ValueCount() const { return m_values.size(); }
    const RegValue& ValueAt(std::size_t i) const { return m_values[i]; }
    const RegValue* FindValue(std::string_view name) const;
    // Overwrites a value in place (keeping its name's case and its place) or appends a new one.
    void SetValue(std::string_view name, std::uint32_t type, std::vector<std::uint8_t> data);
    bool RemoveValue(std::string_view name);

private:
    void ReindexSubKeys();
    void ReindexValues();

    std::string m_name;
    std::string m_class;
    FILETIME m_lastWrite{};
    std::vector<std::unique_ptr<RegKey>> m_subKeys;
    std::unordered_map<std::string, std::size_t> m_subKeyIndex;
    std::vector<RegValue> m_values;
    std::unordered_map<std::string, std::size_t> m_valueIndex;
};

// The names of the predefined roots, as they appear in .reg sections; empty for any other handle.
std::string_view RootName(HKEY hKey);
// The canonical spelling of a root name, or empty when the name is not a root.
std::string_view CanonicalRootName(std::string_view name);

}  // namespace qv::posix

namespace qv::posix {

// Deepest key path accepted (in names below the root), as the registry itself limits it.
constexpr std::size_t kMaxKeyDepth = 512;

// Same names (byte for byte), classes, values in order and sub-keys in order; times are ignored.
bool SameContents(const RegKey& a, const RegKey& b);

}  // namespace qv::posix
