#include "platform/posix/RegTree.h"

#include <algorithm>

namespace qv::posix {
namespace {

struct RootEntry {
    std::uintptr_t handle;
    std::string_view name;
};

constexpr RootEntry kRoots[] = {
    {0x80000000u, "HKEY_CLASSES_ROOT"},  {0x80000001u, "HKEY_CURRENT_USER"},
    {0x80000002u, "HKEY_LOCAL_MACHINE"}, {0x80000003u, "HKEY_USERS"},
    {0x80000005u, "HKEY_CURRENT_CONFIG"},
};

char FoldChar(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::string FoldName(std::string_view name) {
    std::string folded(name);
    std::transform(folded.begin(), folded.end(), folded.begin(), FoldChar);
    return folded;
}

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](char x, char y) { return FoldChar(x) == FoldChar(y); });
}

RegKey* RegKey::FindSubKey(std::string_view name) const {
    auto it = m_subKeyIndex.find(FoldName(name));
    return it == m_subKeyIndex.end() ? nullptr : m_subKeys[it->second].get();
}

RegKey& RegKey::FindOrAddSubKey(std::string_view name, bool* created) {
    std::string folded = FoldName(name);
    auto it = m_subKeyIndex.find(folded);
    if (created) *created = it == m_subKeyIndex.end();
    if (it != m_subKeyIndex.end()) return *m_subKeys[it->second];
    m_subKeys.push_back(std::make_unique<RegKey>(std::string(name)));
    m_subKeyIndex.emplace(std::move(folded), m_subKeys.size() - 1);
    return *m_subKeys.back();
}

bool RegKey::RemoveSubKey(std::string_view name) {
    auto it = m_subKeyIndex.find(FoldName(name));
    if (it == m_subKeyIndex.end()) return false;
    m_subKeys.erase(m_subKeys.begin() + static_cast<std::ptrdiff_t>(it->second));
    ReindexSubKeys();
    return true;
}

const RegValue* RegKey::FindValue(std::string_view name) const {
    auto it = m_valueIndex.find(FoldName(name));
    return it == m_valueIndex.end() ? nullptr : &m_values[it->second];
}

void RegKey::SetValue(std::string_view name, std::uint32_t type, std::vector<std::uint8_t> data) {
    std::string folded = FoldName(name);
    auto it = m_valueIndex.find(folded);
    if (it != m_valueIndex.end()) {
        RegValue& v = m_values[it->second];
        v.type = type;
        v.data = std::move(data);
        return;
    }
    m_values.push_back(RegValue{std::string(name), type, std::move(data)});
    m_valueIndex.emplace(std::move(folded), m_values.size() - 1);
}

bool RegKey::RemoveValue(std::string_view name) {
    auto it = m_valueIndex.find(FoldName(name));
    if (it == m_valueIndex.end()) return false;
    m_values.erase(m_values.begin() + static_cast<std::ptrdiff_t>(it->second));
    ReindexValues();
    return true;
}

void RegKey::ReindexSubKeys() {
    m_subKeyIndex.clear();
    for (std::size_t i = 0; i < m_subKeys.size(); ++i)
        m_subKeyIndex.emplace(FoldName(m_subKeys[i]->Name()), i);
}

void RegKey::ReindexValues() {
    m_valueIndex.clear();
    for (std::size_t i = 0; i < m_values.size(); ++i)
        m_valueIndex.emplace(FoldName(m_values[i].name), i);
}

std::string_view RootName(HKEY hKey) {
    auto handle = reinterpret_cast<std::uintptr_t>(hKey);
    for (const RootEntry& root : kRoots)
        if (root.handle == handle) return root.name;
    return {};
}

std::string_view CanonicalRootName(std::string_view name) {
    for (const RootEntry& root : kRoots)
        if (SameName(root.name, name)) return root.name;
    return {};
}

}  // namespace qv::posix

namespace qv::posix {

bool SameContents(const RegKey& a, const RegKey& b) {
    if (a.Name() != b.Name() || a.Class() != b.Class() || a.ValueCount() != b.ValueCount() ||
        a.SubKeyCount() != b.SubKeyCount())
        return false;
    for (std::size_t i = 0; i < a.ValueCount(); ++i)
        if (!(a.ValueAt(i) == b.ValueAt(i))) return false;
    for (std::size_t i = 0; i < a.SubKeyCount(); ++i)
        if (!SameContents(a.SubKeyAt(i), b.SubKeyAt(i))) return false;
    return true;
}

}  // namespace qv::posix
