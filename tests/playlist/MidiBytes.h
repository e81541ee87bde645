#pragma once
// Builds the bytes of small Standard MIDI Files inside the tests.
#include <cstdint>
#include <initializer_list>
#include <string>

namespace midibytes {

inline std::string BigEndian32(std::uint32_t v) {
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
            static_cast<char>(v)};
}

inline std::string VarLen(std::uint32_t v) {
    std::string out(1, static_cast<char>(v & 0x7F));
    while (v >>= 7) out.insert(out.begin(), static_cast<char>(0x80 | (v & 0x7F)));
    return out;
}

inline std::string Chunk(const char* tag, const std::string& body) {
    return tag + BigEndian32(body.size()) + body;
}

inline std::string Header(int format = 1, int tracks = 1) {
    return Chunk("MThd",
                 std::string{0, static_cast<char>(format), 0, static_cast<char>(tracks), 0, 96});
}

// A meta event at delta time zero.
inline std::string Meta(int type, const std::string& data) {
    return std::string{0, static_cast<char>(0xFF), static_cast<char>(type)} + VarLen(data.size()) +
           data;
}

inline std::string EndOfTrack() {
    return std::string{0, static_cast<char>(0xFF), 0x2F, 0};
}

inline std::string Track(const std::string& events) {
    return Chunk("MTrk", events + EndOfTrack());
}

inline std::string Smf(std::initializer_list<std::string> tracks) {
    std::string out = Header(1, static_cast<int>(tracks.size()));
    for (const std::string& t : tracks) out += Track(t);
    return out;
}

}  // namespace midibytes
