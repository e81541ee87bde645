#pragma once
// Executable images built in the tests around a version resource: a PE file (32 or 64 bit) with an
// RT_VERSION resource and an ELF file (32 or 64 bit, either byte order) with a ".qvversion"
// section.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
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
    for (std::size_t i = 0; i < size; ++i) {
        std::size_t shift = 8 * (bigEndian ? size - 1 - i : i);
        b[at + i] = static_cast<std::uint8_t>(value >> shift);
    }
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

// Root directory: RT_ICON then RT_VERSION; then name 1; then language 0x0411; then the data entry.
inline Bytes MakePe(const Bytes& resource, bool pe64) {
    Bytes b(PeLayout::kSection, 0);
    b[0] = 'M';
    b[1] = 'Z';
    Put(b, 0x3C, 0x40, 4);
    Put(b, 0x40, 0x00004550, 4);
    std::size_t coff = 0x44;
    std::size_t optionalSize = pe64 ? 240 : 224;
    Put(b, coff, pe64 ? 0x8664 : 0x14C, 2);
    Put(b, coff + 2, 1, 2);
    Put(b, coff + 16, optionalSize, 2);
    std::size_t optional = coff + 20;
    Put(b, optional, pe64 ? 0x20B : 0x10B, 2);
    std::size_t countAt = optional + (pe64 ? 108 : 92);
    Put(b, countAt, 16, 4);
    std::size_t rsrcSize = PeLayout::kResource + resource.size();
    Put(b, countAt + 4 + 2 * 8, PeLayout::kRva, 4);
    Put(b, countAt + 4 + 2 * 8 + 4, rsrcSize, 4);
    std::size_t section = optional + optionalSize;
    PutBytes(b, section, Bytes{'.', 'r', 's', 'r', 'c', 0, 0, 0});
    Put(b, section + 8, rsrcSize, 4);
    Put(b, section + 12, PeLayout::kRva, 4);
    Put(b, section + 16, rsrcSize, 4);
    Put(b, section + 20, PeLayout::kSection, 4);

    const std::size_t s = PeLayout::kSection;
    Put(b, s + 14, 2, 2);  // root: two id entries
    Put(b, s + 16, 3, 4);  // RT_ICON ...
    Put(b, s + 20, 0x80000000u | 32, 4);
    Put(b, s + 24, 16, 4);  // RT_VERSION
    Put(b, s + 28, 0x80000000u | 32, 4);
    Put(b, s + 32 + 14, 1, 2);  // names: 1
    Put(b, s + 32 + 16, 1, 4);
    Put(b, s + 32 + 20, 0x80000000u | 56, 4);
    Put(b, s + 56 + 14, 1, 2);  // languages: 0x0411
    Put(b, s + 56 + 16, 0x0411, 4);
    Put(b, s + 56 + 20, PeLayout::kDataEntry, 4);
    Put(b, s + PeLayout::kDataEntry, PeLayout::kRva + PeLayout::kResource, 4);
    Put(b, s + PeLayout::kDataEntry + 4, resource.size(), 4);
    PutBytes(b, s + PeLayout::kResource, resource);
    return b;
}

// Sections: null, .shstrtab, .data, then the named section holding data.
inline Bytes MakeElf(const Bytes& data, bool elf64, bool bigEndian,
                     const std::string& name = ".qvversion") {
    const bool be = bigEndian;
    const std::size_t header = elf64 ? 64 : 52;
    const std::size_t entSize = elf64 ? 64 : 40;
    std::string names = std::string("\0.shstrtab\0.data\0", 17) + name + '\0';
    Bytes b(header, 0);
    PutBytes(b, 0,
             Bytes{0x7F, 'E', 'L', 'F', static_cast<std::uint8_t>(elf64 ? 2 : 1),
                   static_cast<std::uint8_t>(be ? 2 : 1), 1});
    std::size_t namesAt = header;
    PutBytes(b, namesAt, Bytes(names.begin(), names.end()));
    std::size_t dataAt = (b.size() + 3) & ~std::size_t{3};
    PutBytes(b, dataAt, data);
    std::size_t shoff = (b.size() + 7) & ~std::size_t{7};
    const std::size_t a = elf64 ? 8 : 4;  // address-sized fields
    auto section = [&](std::size_t i, std::uint32_t nameOff, std::uint32_t type, std::size_t off,
                       std::size_t size) {
        std::size_t at = shoff + i * entSize;
        Put(b, at, nameOff, 4, be);
        Put(b, at + 4, type, 4, be);
        Put(b, at + (elf64 ? 24 : 16), off, a, be);
        Put(b, at + (elf64 ? 32 : 20), size, a, be);
        Put(b, at + entSize - 1, 0, 1);
    };
    section(0, 0, 0, 0, 0);
    section(1, 1, 3, namesAt, names.size());
    section(2, 11, 1, 0, 0);
    section(3, 17, 1, dataAt, data.size());
    Put(b, elf64 ? 40 : 32, shoff, a, be);
    Put(b, elf64 ? 58 : 46, entSize, 2, be);
    Put(b, elf64 ? 60 : 48, 4, 2, be);
    Put(b, elf64 ? 62 : 50, 1, 2, be);
    return b;
}

// The resource our own programs carry, with another product version.
inline qv::versionblob::Description SampleDescription(std::uint16_t major = 1,
                                                      std::uint16_t minor = 0,
                                                      std::uint16_t build = 0,
                                                      std::uint16_t revision = 0) {
    qv::versionblob::Description d;
    d.fixed.fileVersion[0] = 1;
    d.fixed.productVersion[0] = major;
    d.fixed.productVersion[1] = minor;
    d.fixed.productVersion[2] = build;
    d.fixed.productVersion[3] = revision;
    d.tables.push_back({"041103A4", {{"ProductName", "Quavel"}, {"LegalCopyright", "(C) test"}}});
    d.translations.push_back({0x0411, 0x03A4});
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
