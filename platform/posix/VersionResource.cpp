#include "platform/posix/VersionResource.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "platform/posix/VersionBlock.h"

namespace qv {
namespace {

// A version resource can never be longer than its 16-bit root length.
constexpr std::uint64_t kMaxResource = 0xFFFF;

// Bounds-checked integers from a byte source; no value past the end or on overflow.
class Reader {
public:
    explicit Reader(const IByteSource& source, bool bigEndian = false)
        : m_source(source), m_bigEndian(bigEndian) {}

    std::optional<std::uint64_t> Uint(std::uint64_t offset, std::size_t size) const {
        std::uint8_t bytes[8];
        if (size > sizeof bytes || !m_source.ReadAt(offset, bytes, size)) return std::nullopt;
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < size; ++i) {
            std::size_t at = m_bigEndian ? i : size - 1 - i;
            value = (value << 8) | bytes[at];
        }
        return value;
    }
    std::optional<std::uint64_t> U16(std::uint64_t offset) const { return Uint(offset, 2); }
    std::optional<std::uint64_t> U32(std::uint64_t offset) const { return Uint(offset, 4); }
    std::optional<std::uint64_t> U64(std::uint64_t offset) const { return Uint(offset, 8); }

    bool Bytes(std::uint64_t offset, void* out, std::size_t size) const {
        return m_source.ReadAt(offset, out, size);
    }
    std::uint64_t Size() const { return m_source.Size(); }

private:
    const IByteSource& m_source;
    bool m_bigEndian;
};

// Reads up to kMaxResource bytes at offset (fewer when the region or the file is shorter).
bool ReadRegion(const Reader& in, std::uint64_t offset, std::uint64_t size,
                std::vector<std::uint8_t>& out) {
    if (offset >= in.Size()) return false;
    size = std::min({size, kMaxResource, in.Size() - offset});
    out.resize(static_cast<std::size_t>(size));
    return in.Bytes(offset, out.data(), out.size());
}

// ELF: the section whose name is kVersionSectionName.
struct ElfLayout {
    std::uint64_t shoffAt, shentsizeAt, shnumAt, shstrndxAt;
    std::size_t addrSize;  // size of an offset or a size field
    std::uint64_t minEntSize;
    std::uint64_t offsetAt, sizeAt;  // inside a section header
};
constexpr ElfLayout kElf32 = {0x20, 0x2E, 0x30, 0x32, 4, 40, 16, 20};
constexpr ElfLayout kElf64 = {0x28, 0x3A, 0x3C, 0x3E, 8, 64, 24, 32};
constexpr std::uint64_t kShtNobits = 8;

struct Section {
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
};

std::optional<Section> ElfSection(const Reader& in, const ElfLayout& l, std::uint64_t header) {
    auto type = in.U32(header + 4);
    auto offset = in.Uint(header + l.offsetAt, l.addrSize);
    auto size = in.Uint(header + l.sizeAt, l.addrSize);
    if (!type || !offset || !size || *type == kShtNobits) return std::nullopt;
    return Section{*offset, *size};
}

bool ElfNameIs(const Reader& in, const Section& names, std::uint64_t nameOffset, const char* want) {
    std::size_t length = std::strlen(want) + 1;
    if (nameOffset >= names.size || names.size - nameOffset < length) return false;
    char buffer[sizeof kVersionSectionName];
    if (length > sizeof buffer || !in.Bytes(names.offset + nameOffset, buffer, length))
        return false;
    return std::memcmp(buffer, want, length) == 0;
}

bool ReadElfResource(const IByteSource& file, std::vector<std::uint8_t>& out) {
    std::uint8_t ident[6];
    if (!file.ReadAt(0, ident, sizeof ident) || (ident[4] != 1 && ident[4] != 2) ||
        (ident[5] != 1 && ident[5] != 2))
        return false;
    const ElfLayout& l = ident[4] == 2 ? kElf64 : kElf32;
    Reader in(file, ident[5] == 2);
    auto shoff = in.Uint(l.shoffAt, l.addrSize);
    auto entSize = in.U16(l.shentsizeAt);
    auto count = in.U16(l.shnumAt);
    auto namesIndex = in.U16(l.shstrndxAt);
    if (!shoff || !entSize || !count || !namesIndex || *entSize < l.minEntSize ||
        *namesIndex >= *count)
        return false;
    if (*shoff > in.Size() || (in.Size() - *shoff) / *entSize < *count) return false;
    auto names = ElfSection(in, l, *shoff + *namesIndex * *entSize);
    if (!names) return false;
    for (std::uint64_t i = 0; i < *count; ++i) {
        std::uint64_t header = *shoff + i * *entSize;
        auto nameOffset = in.U32(header);
        if (!nameOffset || !ElfNameIs(in, *names, *nameOffset, kVersionSectionName)) continue;
        auto section = ElfSection(in, l, header);
        return section && ReadRegion(in, section->offset, section->size, out);
    }
    return false;
}

// PE: the resource directory's RT_VERSION entry, preferably name 1, any language.
constexpr std::uint64_t kRtVersion = 16;
constexpr std::uint64_t kVsVersionInfoId = 1;
constexpr std::uint64_t kResourceDirectory = 2;
constexpr std::uint32_t kHighBit = 0x80000000u;

struct PeSection {
    std::uint64_t virtualAddress, rawSize, rawOffset;
};

class PeImage {
public:
    explicit PeImage(const IByteSource& file) : m_in(file) {}

    bool ReadHeaders() {
        auto peAt = m_in.U32(0x3C);
        auto signature = peAt ? m_in.U32(*peAt) : std::nullopt;
        if (!signature || *signature != 0x00004550)  // "PE\0\0"
            return false;
        std::uint64_t coff = *peAt + 4;
        auto sectionCount = m_in.U16(coff + 2);
        auto optionalSize = m_in.U16(coff + 16);
        std::uint64_t optional = coff + 20;
        auto magic = m_in.U16(optional);
        if (!sectionCount || !optionalSize || !magic || (*magic != 0x10B && *magic != 0x20B))
            return false;
        std::uint64_t countAt = optional + (*magic == 0x20B ? 108 : 92);
        std::uint64_t dirAt = countAt + 4 + kResourceDirectory * 8;
        auto dirCount = m_in.U32(countAt);
        if (!dirCount || *dirCount <= kResourceDirectory || dirAt + 8 > optional + *optionalSize)
            return false;
        auto rva = m_in.U32(dirAt);
        auto size = m_in.U32(dirAt + 4);
        if (!rva || !size || *rva == 0 || *size == 0) return false;
        m_resourceRva = *rva;
        m_sectionTable = optional + *optionalSize;
        m_sectionCount = *sectionCount;
        return true;
    }

    // The file region at the RVA: its offset and the bytes left in its section.
    std::optional<Section> Map(std::uint64_t rva) const {
        for (std::uint64_t i = 0; i < m_sectionCount; ++i) {
            std::uint64_t at = m_sectionTable + i * 40;
            auto va = m_in.U32(at + 12);
            auto rawSize = m_in.U32(at + 16);
            auto rawOffset = m_in.U32(at + 20);
            if (!va || !rawSize || !rawOffset) return std::nullopt;
            if (rva >= *va && rva - *va < *rawSize)
                return Section{*rawOffset + (rva - *va), *rawSize - (rva - *va)};
        }
        return std::nullopt;
    }

    bool ReadVersion(std::vector<std::uint8_t>& out) {
        auto root = Map(m_resourceRva);
        if (!root) return false;
        m_base = *root;
        auto names = Find(0, kRtVersion, true);
        auto languages = names ? FindPreferred(*names) : std::nullopt;
        auto entry = languages ? FindFirst(*languages, false) : std::nullopt;
        if (!entry) return false;
        auto dataRva = m_in.U32(m_base.offset + *entry);
        auto dataSize = m_in.U32(m_base.offset + *entry + 4);
        auto data = dataRva ? Map(*dataRva) : std::nullopt;
        return data && dataSize &&
               ReadRegion(m_in, data->offset, std::min<std::uint64_t>(*dataSize, data->size), out);
    }

private:
    struct Entry {
        std::uint32_t name, target;
    };

    // Entry i of the directory at dir (offsets relative to the resource root).
    std::optional<Entry> EntryAt(std::uint64_t dir, std::uint64_t i) const {
        std::uint64_t at = dir + 16 + i * 8;
        if (at + 8 > m_base.size) return std::nullopt;
        auto name = m_in.U32(m_base.offset + at);
        auto target = m_in.U32(m_base.offset + at + 4);
        if (!name || !target) return std::nullopt;
        return Entry{static_cast<std::uint32_t>(*name), static_cast<std::uint32_t>(*target)};
    }

    std::uint64_t EntryCount(std::uint64_t dir) const {
        if (dir + 16 > m_base.size) return 0;
        auto named = m_in.U16(m_base.offset + dir + 12);
        auto ids = m_in.U16(m_base.offset + dir + 14);
        return named && ids ? *named + *ids : 0;
    }

    // The target of the entry with a numeric id, which must (or must not) be a sub-directory.
    static std::optional<std::uint64_t> Target(const Entry& e, bool wantDirectory) {
        if (((e.target & kHighBit) != 0) != wantDirectory) return std::nullopt;
        return e.target & ~kHighBit;
    }

    std::optional<std::uint64_t> Find(std::uint64_t dir, std::uint64_t id,
                                      bool wantDirectory) const {
        std::uint64_t count = EntryCount(dir);
        for (std::uint64_t i = 0; i < count; ++i) {
            auto e = EntryAt(dir, i);
            if (!e) return std::nullopt;
            if ((e->name & kHighBit) == 0 && e->name == id) return Target(*e, wantDirectory);
        }
        return std::nullopt;
    }

    std::optional<std::uint64_t> FindFirst(std::uint64_t dir, bool wantDirectory) const {
        std::uint64_t count = EntryCount(dir);
        for (std::uint64_t i = 0; i < count; ++i) {
            auto e = EntryAt(dir, i);
            if (!e) return std::nullopt;
            if (auto target = Target(*e, wantDirectory)) return target;
        }
        return std::nullopt;
    }

    std::optional<std::uint64_t> FindPreferred(std::uint64_t names) const {
        if (auto byId = Find(names, kVsVersionInfoId, true)) return byId;
        return FindFirst(names, true);
    }

    Reader m_in;
    std::uint64_t m_resourceRva = 0;
    std::uint64_t m_sectionTable = 0;
    std::uint64_t m_sectionCount = 0;
    Section m_base;  // the resource directory's root: its file offset and the bytes after it
};

bool ReadPeResource(const IByteSource& file, std::vector<std::uint8_t>& out) {
    PeImage image(file);
    return image.ReadHeaders() && image.ReadVersion(out);
}

}  // namespace

bool SpanByteSource::ReadAt(std::uint64_t offset, void* out, std::size_t size) const {
    if (offset > m_bytes.size() || m_bytes.size() - offset < size) return false;
    if (size > 0) std::memcpy(out, m_bytes.data() + offset, size);
    return true;
}

bool ReadVersionResource(const IByteSource& file, std::vector<std::uint8_t>& resource) {
    std::uint8_t magic[4] = {};
    if (!file.ReadAt(0, magic, sizeof magic)) return false;
    std::vector<std::uint8_t> found;
    bool ok = false;
    if (std::memcmp(magic,
                    "\x7f"
                    "ELF",
                    4) == 0)
        ok = ReadElfResource(file, found);
    else if (magic[0] == 'M' && magic[1] == 'Z')
        ok = ReadPeResource(file, found);
    if (!ok) return false;
    auto root = verblock::ReadRoot(found);
    if (!root) return false;
    found.resize(root->end);
    resource = std::move(found);
    return true;
}

}  // namespace qv
