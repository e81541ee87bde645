#pragma once
// The VS_VERSIONINFO tree in its published 32-bit layout, and the block that GetFileVersionInfoA
// fills and VerQueryValueA reads. Every byte comes from a file, so every length is checked against
// the data and against the parent block.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace qv::verblock {

// One block of the tree: header {wLength, wValueLength, wType}, a terminated UTF-16 key, padding to
// 32 bits, the value, padding, then the children. Offsets are from the start of the data.
struct Node {
    std::size_t start = 0;
    std::size_t end = 0;  // start + wLength
    std::uint16_t wValueLength = 0;
    std::uint16_t wType = 0;
    std::size_t keyStart = 0;
    std::size_t keyUnits = 0;  // without the terminator
    std::size_t valueStart = 0;
    std::size_t valueEnd = 0;  // clamped to the block's end
    std::size_t childrenStart = 0;
};

// Reads the block at start that must end by limit; no value when it does not fit.
std::optional<Node> ReadNode(std::span<const std::uint8_t> data, std::size_t start,
                             std::size_t limit);

// The child after child (or the first one when after is null); no value at the end or on damage.
std::optional<Node> NextChild(std::span<const std::uint8_t> data, const Node& parent,
                              const Node* after);

// The first child whose key equals name, compared case-insensitively in ASCII.
std::optional<Node> FindChild(std::span<const std::uint8_t> data, const Node& parent,
                              std::string_view name);

// The block's key as UTF-8.
std::string KeyText(std::span<const std::uint8_t> data, const Node& node);

// The root block of a version resource, whose key must be "VS_VERSION_INFO"; its end is the
// resource's own length (at most data.size()).
std::optional<Node> ReadRoot(std::span<const std::uint8_t> data);

// Converts UTF-16LE code units (stopping at the first zero unit) to UTF-8; a lone surrogate becomes
// U+FFFD. Writes at most 3 bytes per unit plus a terminator and answers the bytes written without
// it.
std::size_t Utf16ToUtf8(std::span<const std::uint8_t> utf16, char* out, std::size_t outSize);

// Bytes a GetFileVersionInfoA block needs for a resource of rawSize bytes.
std::size_t BlockSize(std::size_t rawSize);

// Fills a GetFileVersionInfoA block from a resource: a small header, the tree, then room where the
// strings are kept converted to UTF-8 (VerQueryValueA cannot allocate: its answers must live as
// long as the block). When out is smaller than BlockSize, the tree is cut to fit and strings cannot
// be queried. Answers false when the resource is not one or not even its root fits.
bool FillBlock(std::span<const std::uint8_t> resource, std::span<std::uint8_t> out);

// Looks a path up in a block filled by FillBlock (see VerQueryValueA).
bool Query(const void* pBlock, std::string_view path, void** ppBuffer, std::uint32_t* puLen);

}  // namespace qv::verblock
