#pragma once
// Reads untrusted bytes: every read answers "no value" instead of going past the end.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace qv::seq {

class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> data) : m_data(data) {}

    std::size_t Remaining() const { return m_data.size() - m_pos; }
    bool AtEnd() const { return m_pos == m_data.size(); }

    std::optional<std::uint8_t> Peek() const {
        if (AtEnd()) return std::nullopt;
        return m_data[m_pos];
    }

    std::optional<std::uint8_t> U8() {
        if (AtEnd()) return std::nullopt;
        return m_data[m_pos++];
    }

    // Big-endian, as every number in a MIDI file.
    std::optional<std::uint32_t> UBE(std::size_t nBytes) {
        if (nBytes > 4 || Remaining() < nBytes) return std::nullopt;
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < nBytes; ++i) value = (value << 8) | m_data[m_pos++];
        return value;
    }

    // A variable-length quantity: seven bits a byte, high bit set on all but the last. More than
    // four bytes is refused, since 28 bits is the format's largest value.
    std::optional<std::uint32_t> Vlq() {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const auto byte = U8();
            if (!byte) return std::nullopt;
            value = (value << 7) | (*byte & 0x7F);
            if (!(*byte & 0x80)) return value;
        }
        return std::nullopt;
    }

    std::optional<std::span<const std::uint8_t>> Bytes(std::size_t n) {
        if (Remaining() < n) return std::nullopt;
        auto span = m_data.subspan(m_pos, n);
        m_pos += n;
        return span;
    }

private:
    std::span<const std::uint8_t> m_data;
    std::size_t m_pos = 0;
};

}  // namespace qv::seq
