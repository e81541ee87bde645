#pragma once
// Standard MIDI File bytes for the tests: whole files come from the program's own writer; the raw
// pieces are there for the damaged files it would never write.
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sequencer/SmfWriter.h"

namespace qvtest {

inline std::string Str(std::span<const std::uint8_t> bytes) {
    return {bytes.begin(), bytes.end()};
}

inline std::vector<std::uint8_t> Vec(std::string_view bytes) {
    return {bytes.begin(), bytes.end()};
}

inline std::string Raw(std::initializer_list<int> bytes) {
    std::string out;
    for (int b : bytes) out += static_cast<char>(b);
    return out;
}

inline std::string BigEndian32(std::uint32_t v) {
    return Raw({int(v >> 24), int(v >> 16), int(v >> 8), int(v)});
}

inline std::string Chunk(std::string_view tag, std::string_view body) {
    return std::string(tag) + BigEndian32(static_cast<std::uint32_t>(body.size())) +
           std::string(body);
}

inline std::string Header(int format = 1, int tracks = 1, int division = 96) {
    return Chunk("MThd", Raw({0, format, tracks >> 8, tracks, division >> 8, division}));
}

// The events of a track, without its chunk head.
inline std::string Events(const qv::seq::SmfTrack& track) {
    return Str(track.Bytes());
}

// A whole file; every track gets its end-of-track event.
inline std::string Smf(std::vector<qv::seq::SmfTrack> tracks, std::uint16_t format = 1,
                       std::uint16_t division = 96) {
    for (qv::seq::SmfTrack& track : tracks) track.End();
    return Str(qv::seq::BuildSmf(format, division, tracks));
}

}  // namespace qvtest
