#pragma once
// Synthesizers take only whole SysEx messages, F0 ... F7. A file may send one in packets: F0 and
// its first bytes, then continuation packets, the last ending with F7. The joiner puts them back
// together; a new F0 drops an unfinished message, and a packet with nothing to continue is dropped.
#include <cstdint>
#include <span>
#include <vector>

namespace qv::seq {

// A SysEx message or a part of one, as the song holds it (continuations have no status byte).
inline bool IsSysexPacket(std::span<const std::uint8_t> m) {
    return !m.empty() && (m[0] == 0xF0 || m[0] == 0xF7 || m[0] < 0x80);
}

class SysexJoiner {
public:
    // Answers the whole message once its last packet has come, else nothing; what it answers
    // stays valid until the next packet.
    std::span<const std::uint8_t> Add(std::span<const std::uint8_t> packet) {
        if (m_bWhole) m_aBytes.clear();
        m_bWhole = false;
        if (packet.empty()) return {};
        if (packet[0] == 0xF0) {
            m_aBytes.assign(packet.begin(), packet.end());
        } else if (!m_aBytes.empty()) {
            m_aBytes.insert(m_aBytes.end(), packet.begin(), packet.end());
        }
        if (m_aBytes.empty() || m_aBytes.back() != 0xF7) return {};
        m_bWhole = true;
        return m_aBytes;
    }

private:
    std::vector<std::uint8_t> m_aBytes;  // an unfinished message, from its F0 on
    bool m_bWhole = false;
};

}  // namespace qv::seq
