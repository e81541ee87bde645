#pragma once
// Writes a VS_VERSIONINFO resource in its published 32-bit layout: every block is {wLength,
// wValueLength, wType}, a terminated UTF-16LE key, padding to 32 bits, the value, padding, then
// its children, each starting on a 32-bit boundary. Header-only, so that the build's host tool
// and the tests use the same writer.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qv::versionblob {

struct Fixed {
    std::uint16_t fileVersion[4] = {0, 0, 0, 0};
    std::uint16_t productVersion[4] = {0, 0, 0, 0};
    std::uint32_t flagsMask = 0x3F;
    std::uint32_t flags = 0;
    std::uint32_t os = 0x40004;
    std::uint32_t type = 1;
    std::uint32_t subtype = 0;
};

struct Translation {
    std::uint16_t language;
    std::uint16_t codePage;
};

struct StringTable {
    std::string key;  // eight hex digits: language, then code page
    std::vector<std::pair<std::string, std::string>> strings;
};

struct Description {
    Fixed fixed;
    std::vector<StringTable> tables;
    std::vector<Translation> translations;  // empty: no VarFileInfo block at all
};

// A block of the tree before it is written.
struct Block {
    std::string key;
    std::uint16_t type = 0;         // 1 text, 0 binary
    std::uint16_t valueLength = 0;  // UTF-16 units for text, bytes for binary
    std::vector<std::uint8_t> value;
    std::vector<Block> children;
};

inline void PutU16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

inline void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    PutU16(out, v & 0xFFFF);
    PutU16(out, v >> 16);
}

// UTF-8 to UTF-16LE code units; an invalid byte stands for itself as a Latin-1 character.
inline std::vector<std::uint16_t> Utf16(std::string_view text) {
    std::vector<std::uint16_t> units;
    for (std::size_t i = 0; i < text.size();) {
        auto b = static_cast<unsigned char>(text[i]);
        std::size_t extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
        char32_t cp = extra == 0 ? b : (b & (0x3F >> extra));
        bool ok = b < 0x80 || (extra > 0 && i + extra < text.size());
        for (std::size_t k = 1; ok && k <= extra; ++k) {
            auto c = static_cast<unsigned char>(text[i + k]);
            ok = (c & 0xC0) == 0x80;
            cp = (cp << 6) | (c & 0x3F);
        }
        if (!ok) {
            units.push_back(b);
            ++i;
            continue;
        }
        i += extra + 1;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            units.push_back(static_cast<std::uint16_t>(0xD800 + (cp >> 10)));
            units.push_back(static_cast<std::uint16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            units.push_back(static_cast<std::uint16_t>(cp));
        }
    }
    return units;
}

inline void PadTo4(std::vector<std::uint8_t>& out) {
    while (out.size() % 4 != 0) out.push_back(0);
}

// Writes the block at the end of out, which must be 32-bit aligned. wLength covers the block up to
// the end of its last child (or its value), without trailing padding.
inline void Write(const Block& block, std::vector<std::uint8_t>& out) {
    std::size_t start = out.size();
    PutU16(out, 0);
    PutU16(out, block.valueLength);
    PutU16(out, block.type);
    for (std::uint16_t unit : Utf16(block.key)) PutU16(out, unit);
    PutU16(out, 0);
    PadTo4(out);
    out.insert(out.end(), block.value.begin(), block.value.end());
    for (const Block& child : block.children) {
        PadTo4(out);
        Write(child, out);
    }
    std::size_t length = out.size() - start;
    out[start] = static_cast<std::uint8_t>(length & 0xFF);
    out[start + 1] = static_cast<std::uint8_t>((length >> 8) & 0xFF);
}

inline Block TextBlock(std::string key, std::string_view text) {
    Block b{std::move(key), 1, 0, {}, {}};
    std::vector<std::uint16_t> units = Utf16(text);
    units.push_back(0);
    for (std::uint16_t unit : units) PutU16(b.value, unit);
    b.valueLength = static_cast<std::uint16_t>(units.size());
    return b;
}

inline std::vector<std::uint8_t> FixedBytes(const Fixed& f) {
    std::vector<std::uint8_t> v;
    auto ms = [](const std::uint16_t* p) { return (std::uint32_t{p[0]} << 16) | p[1]; };
    auto ls = [](const std::uint16_t* p) { return (std::uint32_t{p[2]} << 16) | p[3]; };
    for (std::uint32_t field :
         {0xFEEF04BDu, 0x00010000u, ms(f.fileVersion), ls(f.fileVersion), ms(f.productVersion),
          ls(f.productVersion), f.flagsMask, f.flags, f.os, f.type, f.subtype, 0u, 0u})
        PutU32(v, field);
    return v;
}

inline Block Tree(const Description& d) {
    Block root{"VS_VERSION_INFO", 0, 52, FixedBytes(d.fixed), {}};
    if (!d.tables.empty()) {
        Block info{"StringFileInfo", 1, 0, {}, {}};
        for (const StringTable& t : d.tables) {
            Block table{t.key, 1, 0, {}, {}};
            for (const auto& [name, text] : t.strings)
                table.children.push_back(TextBlock(name, text));
            info.children.push_back(std::move(table));
        }
        root.children.push_back(std::move(info));
    }
    if (!d.translations.empty()) {
        Block var{"Translation", 0, 0, {}, {}};
        for (const Translation& t : d.translations)
            PutU32(var.value, (std::uint32_t{t.codePage} << 16) | t.language);
        var.valueLength = static_cast<std::uint16_t>(var.value.size());
        root.children.push_back(Block{"VarFileInfo", 1, 0, {}, {std::move(var)}});
    }
    return root;
}

inline std::vector<std::uint8_t> Serialize(const Description& d) {
    std::vector<std::uint8_t> out;
    Write(Tree(d), out);
    return out;
}

}  // namespace qv::versionblob
