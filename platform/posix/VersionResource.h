#pragma once
// Finding the version resource inside an executable file: the ".qvversion" section of an ELF file
// (where our Linux programs carry it) or the RT_VERSION resource of a PE file (32 or 64 bit).
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace qv {

// Random access to the bytes of a file or of a buffer; reads past the end fail.
class IByteSource {
public:
    virtual ~IByteSource() = default;
    virtual std::uint64_t Size() const = 0;
    virtual bool ReadAt(std::uint64_t offset, void* out, std::size_t size) const = 0;
};

class SpanByteSource : public IByteSource {
public:
    explicit SpanByteSource(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}
    std::uint64_t Size() const override { return m_bytes.size(); }
    bool ReadAt(std::uint64_t offset, void* out, std::size_t size) const override;

private:
    std::span<const std::uint8_t> m_bytes;
};

// The section of our own executables that holds the resource.
inline constexpr char kVersionSectionName[] = ".qvversion";

// Copies the file's version resource, cut to its own length, into resource. False when the file
// is neither ELF nor PE, carries no resource, or the resource is damaged at its root.
bool ReadVersionResource(const IByteSource& file, std::vector<std::uint8_t>& resource);

}  // namespace qv
