#pragma once
// Executable images built in the tests around a version resource: a PE file (32 or 64 bit) with an
// RT_VERSION resource and an ELF file (32 or 64 bit, either byte order) with a ".qvversion"
// section.
#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <vector>

#include "platform/Installed.h"
#include "res/gen/VersionBlob.h"
#include "tests/support/FilesTempDir.h"
#include "tests/support/SystemBackends.h"

namespace qvtest {

using Bytes = std::vector<std::uint8_t>;

inline void Put(Bytes& b, std::size_t at, std::uint64_t value, std::size_t size,
                bool bigEndian = false) {
    if (b.size() < at + size) b.resize(at + size);
    for (std::size_t i = 0; i < size; ++i)
        b[at + i] = static_cast<std::uint8_t>(value >> 8 * (bigEndian ? size - 1 - i : i));
}

inline void PutBytes(Bytes& b, std::size_t at, const Bytes& data) {
    if (b.size() < at + data.size()) b.resize(at + data.size());
    std::copy(data.begin(), data.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
}

// Offsets inside the PE image, so that tests can damage particular fields.
struct PeLayout {
    static constexpr std::size_t kSection = 0x400;        // file offset of .rsrc
    static constexpr std::uint32_t kRva = 0x1000;         // its address
    static constexpr std::size_t kVersionEntry = 16 + 8;  // root entry of RT_VERSION
    static constexpr std::size_t kDataEntry = 80;         // relative to kSection
    static constexpr std::size_t kResource = 96;          // relative to kSection
};

inline Bytes MakePe(const Bytes& resource, bool pe64) {
    using L = PeLayout;
    const std::size_t optional = 0x58, optionalSize = pe64 ? 240 : 224, s = L::kSection;
    const std::size_t dirs = optional + (pe64 ? 108 : 92), section = optional + optionalSize;
    const std::size_t size = L::kResource + resource.size();
    // {offset, value, width} of each field: the MZ and PE headers with the resource directory, the
    // .rsrc section, and the resource tree: RT_ICON and RT_VERSION, then name 1, then language
    // 0x0411.
    // clang-format off
    const std::uint64_t fields[][3] = {
        {0, 0x5A4D, 2}, {0x3C, 0x40, 4}, {0x40, 0x4550, 4}, {0x44, pe64 ? 0x8664u : 0x14Cu, 2},
        {0x46, 1, 2}, {0x54, optionalSize, 2}, {optional, pe64 ? 0x20Bu : 0x10Bu, 2},
        {dirs, 16, 4}, {dirs + 20, L::kRva, 4}, {dirs + 24, size, 4},
        {section, 0x637273722E, 8}, {section + 8, size, 4}, {section + 12, L::kRva, 4},
        {section + 16, size, 4}, {section + 20, s, 4},
        {s + 14, 2, 2}, {s + 16, 3, 4}, {s + 20, 0x80000020, 4}, {s + 24, 16, 4},
        {s + 28, 0x80000020, 4}, {s + 46, 1, 2}, {s + 48, 1, 4}, {s + 52, 0x80000038, 4},
        {s + 70, 1, 2}, {s + 72, 0x0411, 4}, {s + 76, L::kDataEntry, 4},
        {s + L::kDataEntry, L::kRva + L::kResource, 4}, {s + L::kDataEntry + 4, resource.size(), 4}};
    // clang-format on
    Bytes b(s, 0);
    for (auto [at, value, width] : fields) Put(b, at, value, width);
    PutBytes(b, s + L::kResource, resource);
    return b;
}

// Sections: null, .shstrtab, .data, then the named section holding data.
inline Bytes MakeElf(const Bytes& data, bool elf64, bool be,
                     const std::string& name = ".qvversion") {
    const std::size_t header = elf64 ? 64 : 52, entSize = elf64 ? 64 : 40, a = elf64 ? 8 : 4;
    std::string names = std::string("\0.shstrtab\0.data\0", 17) + name + '\0';
    Bytes b{
        0x7F, 'E', 'L', 'F', static_cast<std::uint8_t>(a / 4), static_cast<std::uint8_t>(be + 1),
        1};
    PutBytes(b, header, Bytes(names.begin(), names.end()));
    const std::size_t dataAt = (b.size() + 3) & ~std::size_t{3};
    PutBytes(b, dataAt, data);
    const std::size_t shoff = (b.size() + 7) & ~std::size_t{7};
    // {name, type, offset, size} of each section.
    const std::size_t sections[][4] = {
        {0, 0, 0, 0}, {1, 3, header, names.size()}, {11, 1, 0, 0}, {17, 1, dataAt, data.size()}};
    for (std::size_t i = 0; i < 4; ++i) {
        const std::size_t at = shoff + i * entSize;
        Put(b, at, sections[i][0], 4, be);
        Put(b, at + 4, sections[i][1], 4, be);
        Put(b, at + (elf64 ? 24 : 16), sections[i][2], a, be);
        Put(b, at + (elf64 ? 32 : 20), sections[i][3], a, be);
        Put(b, at + entSize - 1, 0, 1);
    }
    Put(b, elf64 ? 40 : 32, shoff, a, be);
    const std::size_t counts[] = {entSize, 4, 1};  // entry size, sections, index of .shstrtab
    for (std::size_t i = 0; i < 3; ++i) Put(b, (elf64 ? 58 : 46) + 2 * i, counts[i], 2, be);
    return b;
}

// The resource our own programs carry, with another product version (major, minor, build,
// revision; the parts not given are 0).
inline qv::versionblob::Description SampleDescription(
    std::initializer_list<std::uint16_t> productVersion = {1}) {
    qv::versionblob::Description d{
        {},
        {{"041103A4", {{"ProductName", "Quavel"}, {"LegalCopyright", "(C) test"}}}},
        {{0x0411, 0x03A4}}};
    d.fixed.fileVersion[0] = 1;
    std::copy(productVersion.begin(), productVersion.end(), d.fixed.productVersion);
    return d;
}

// The system's version backend over the real file system, and a folder for the files a test writes.
class VersionFixture : public ::testing::Test {
protected:
    std::string WritePe(const qv::versionblob::Description& d) {
        return m_dir.Write("file" + std::to_string(m_count++) + ".exe",
                           MakePe(qv::versionblob::Serialize(d), false));
    }

    SystemVersion m_backend;
    qv::Installed<qv::IVersion, qv::InstallVersion> m_installedVersion{m_backend};
    SystemFileSystem m_files;
    ScopedFileSystem m_installed{&m_files};
    TempDir m_dir;
    int m_count = 0;
};

}  // namespace qvtest
