#include "platform/posix/VersionBlock.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace qv::verblock {
namespace {

constexpr std::size_t kHeaderSize = 6;  // wLength, wValueLength, wType
constexpr std::uint8_t kMagic[4] = {'Q', 'V', 'v', 'i'};
constexpr std::size_t kBlockHeader = 8;  // magic, raw length, flags
constexpr std::uint16_t kStringsConverted = 1;

std::size_t Align4(std::size_t n) {
    return (n + 3) & ~std::size_t{3};
}

std::uint16_t U16(std::span<const std::uint8_t> data, std::size_t at) {
    return static_cast<std::uint16_t>(data[at] | (data[at + 1] << 8));
}

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return LowerAscii(x) == LowerAscii(y);
           });
}

void AppendUtf8(char32_t cp, char* out, std::size_t& n) {
    if (cp < 0x80) {
        out[n++] = static_cast<char>(cp);
    } else if (cp < 0x800) {
        out[n++] = static_cast<char>(0xC0 | (cp >> 6));
        out[n++] = static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out[n++] = static_cast<char>(0xE0 | (cp >> 12));
        out[n++] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out[n++] = static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out[n++] = static_cast<char>(0xF0 | (cp >> 18));
        out[n++] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out[n++] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out[n++] = static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Splits a query path at backslashes; empty pieces (leading "\", doubled "\\") are dropped.
std::vector<std::string_view> SplitPath(std::string_view path) {
    std::vector<std::string_view> pieces;
    std::size_t pos = 0;
    while (pos <= path.size()) {
        std::size_t next = path.find('\\', pos);
        if (next == std::string_view::npos) next = path.size();
        if (next > pos) pieces.push_back(path.substr(pos, next - pos));
        pos = next + 1;
    }
    return pieces;
}

// Strings are the leaves of "\StringFileInfo\<table>\<name>": only they are answered as text.
bool IsStringPath(const std::vector<std::string_view>& pieces) {
    return pieces.size() == 3 && EqualsNoCase(pieces[0], "StringFileInfo");
}

// Where a string's text ends: at its declared length for text blocks, else at the block's end (some
// tools mark strings as binary); the conversion stops at the terminator in any case.
std::size_t StringEnd(const Node& node) {
    return node.wType == 1 ? node.valueEnd : node.end;
}

// The converted text of the string whose value starts at raw offset o lives at area + 2 * o: a
// string of u units needs at most 3u + 1 bytes, and the next string's value starts at least 2u + 8
// bytes further on, so the places never overlap and all fit in 2 * rawSize + 4 bytes.
std::size_t AreaSize(std::size_t rawSize) {
    return 2 * rawSize + 4;
}

void ConvertString(std::span<const std::uint8_t> raw, const Node& node,
                   std::span<std::uint8_t> area) {
    std::size_t at = 2 * node.valueStart;
    if (at >= area.size()) return;
    std::span<const std::uint8_t> text =
        raw.subspan(node.valueStart, StringEnd(node) - node.valueStart);
    Utf16ToUtf8(text, reinterpret_cast<char*>(area.data() + at), area.size() - at);
}

void ConvertStrings(std::span<const std::uint8_t> raw, const Node& root,
                    std::span<std::uint8_t> area) {
    for (auto info = NextChild(raw, root, nullptr); info; info = NextChild(raw, root, &*info)) {
        if (!EqualsNoCase(KeyText(raw, *info), "StringFileInfo")) continue;
        for (auto table = NextChild(raw, *info, nullptr); table;
             table = NextChild(raw, *info, &*table))
            for (auto str = NextChild(raw, *table, nullptr); str;
                 str = NextChild(raw, *table, &*str))
                ConvertString(raw, *str, area);
    }
}

}  // namespace

std::optional<Node> ReadNode(std::span<const std::uint8_t> data, std::size_t start,
                             std::size_t limit) {
    limit = std::min(limit, data.size());
    if (start > limit || limit - start < kHeaderSize) return std::nullopt;
    Node node;
    node.start = start;
    std::size_t length = U16(data, start);
    if (length < kHeaderSize || length > limit - start) return std::nullopt;
    node.end = start + length;
    node.wValueLength = U16(data, start + 2);
    node.wType = U16(data, start + 4);
    node.keyStart = start + kHeaderSize;
    std::size_t at = node.keyStart;
    while (at + 2 <= node.end && U16(data, at) != 0) at += 2;
    if (at + 2 > node.end) return std::nullopt;  // the key has no terminator inside its block
    node.keyUnits = (at - node.keyStart) / 2;
    node.valueStart = std::min(Align4(at + 2), node.end);
    std::size_t valueBytes =
        node.wType == 1 ? std::size_t{2} * node.wValueLength : node.wValueLength;
    node.valueEnd = std::min(node.valueStart + valueBytes, node.end);
    node.childrenStart = std::min(Align4(node.valueEnd), node.end);
    return node;
}

std::optional<Node> NextChild(std::span<const std::uint8_t> data, const Node& parent,
                              const Node* after) {
    std::size_t at = after ? Align4(after->end) : parent.childrenStart;
    if (at >= parent.end) return std::nullopt;
    return ReadNode(data, at, parent.end);
}

std::optional<Node> FindChild(std::span<const std::uint8_t> data, const Node& parent,
                              std::string_view name) {
    for (auto child = NextChild(data, parent, nullptr); child;
         child = NextChild(data, parent, &*child))
        if (EqualsNoCase(KeyText(data, *child), name)) return child;
    return std::nullopt;
}

std::string KeyText(std::span<const std::uint8_t> data, const Node& node) {
    std::string text(node.keyUnits * 3 + 1, '\0');
    text.resize(
        Utf16ToUtf8(data.subspan(node.keyStart, node.keyUnits * 2), text.data(), text.size()));
    return text;
}

std::optional<Node> ReadRoot(std::span<const std::uint8_t> data) {
    auto root = ReadNode(data, 0, data.size());
    if (!root || KeyText(data, *root) != "VS_VERSION_INFO") return std::nullopt;
    return root;
}

std::size_t Utf16ToUtf8(std::span<const std::uint8_t> utf16, char* out, std::size_t outSize) {
    if (outSize == 0) return 0;
    std::size_t n = 0;
    std::size_t units = utf16.size() / 2;
    for (std::size_t i = 0; i < units; ++i) {
        char32_t cp = U16(utf16, 2 * i);
        if (cp == 0) break;
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < units) {
            char32_t low = U16(utf16, 2 * i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (cp >= 0xD800 && cp <= 0xDFFF) cp = 0xFFFD;
        char buffer[4];
        std::size_t len = 0;
        AppendUtf8(cp, buffer, len);
        if (n + len + 1 > outSize) break;
        std::memcpy(out + n, buffer, len);
        n += len;
    }
    out[n] = '\0';
    return n;
}

std::size_t BlockSize(std::size_t rawSize) {
    return kBlockHeader + Align4(rawSize) + AreaSize(rawSize);
}

bool FillBlock(std::span<const std::uint8_t> resource, std::span<std::uint8_t> out) {
    auto root = ReadRoot(resource);
    if (!root || out.size() < kBlockHeader + kHeaderSize) return false;
    std::span<const std::uint8_t> raw = resource.first(root->end);
    std::fill(out.begin(), out.end(), std::uint8_t{0});
    std::size_t kept = std::min(raw.size(), out.size() - kBlockHeader);
    std::uint16_t flags = 0;
    std::memcpy(out.data() + kBlockHeader, raw.data(), kept);
    if (out.size() >= BlockSize(raw.size())) {
        ConvertStrings(raw, *root,
                       out.subspan(kBlockHeader + Align4(raw.size()), AreaSize(raw.size())));
        flags = kStringsConverted;
    } else {
        // A cut tree must not claim more bytes than were copied.
        out[kBlockHeader] = static_cast<std::uint8_t>(kept & 0xFF);
        out[kBlockHeader + 1] = static_cast<std::uint8_t>(kept >> 8);
    }
    std::memcpy(out.data(), kMagic, sizeof kMagic);
    out[4] = static_cast<std::uint8_t>(kept & 0xFF);
    out[5] = static_cast<std::uint8_t>(kept >> 8);
    out[6] = static_cast<std::uint8_t>(flags & 0xFF);
    out[7] = static_cast<std::uint8_t>(flags >> 8);
    return true;
}

bool Query(const void* pBlock, std::string_view path, void** ppBuffer, std::uint32_t* puLen) {
    const auto* block = static_cast<const std::uint8_t*>(pBlock);
    if (std::memcmp(block, kMagic, sizeof kMagic) != 0) return false;
    std::size_t rawSize = static_cast<std::size_t>(block[4] | (block[5] << 8));
    bool converted = (block[6] & kStringsConverted) != 0;
    std::span<const std::uint8_t> raw(block + kBlockHeader, rawSize);
    auto node = ReadNode(raw, 0, raw.size());
    if (!node) return false;
    std::vector<std::string_view> pieces = SplitPath(path);
    for (std::string_view piece : pieces) {
        node = FindChild(raw, *node, piece);
        if (!node) return false;
    }
    if (IsStringPath(pieces)) {
        if (!converted) return false;
        const std::uint8_t* area = block + kBlockHeader + Align4(rawSize);
        const auto* text = reinterpret_cast<const char*>(area + 2 * node->valueStart);
        std::size_t room = AreaSize(rawSize) - 2 * node->valueStart;
        *ppBuffer = const_cast<char*>(text);
        *puLen = node->wValueLength == 0 ? 0 : static_cast<std::uint32_t>(strnlen(text, room) + 1);
        return true;
    }
    *ppBuffer = const_cast<std::uint8_t*>(raw.data() + node->valueStart);
    *puLen = static_cast<std::uint32_t>(node->valueEnd - node->valueStart);
    return true;
}

}  // namespace qv::verblock
