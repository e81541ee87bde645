#pragma once
// Builds Standard MIDI Files in memory: for the sample songs, the benchmarks and the tests.
#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

namespace qv::seq {

void AppendVlq(std::vector<std::uint8_t>& out, std::uint32_t value);

class SmfTrack {
public:
    // Any event: the delta time in ticks, then its bytes as they go into the file.
    SmfTrack& Event(std::uint32_t delta, std::initializer_list<std::uint8_t> bytes);
    SmfTrack& Meta(std::uint32_t delta, std::uint8_t type, std::string_view data);
    SmfTrack& Tempo(std::uint32_t delta, std::uint32_t usPerQuarter);
    SmfTrack& Name(std::string_view name) { return Meta(0, 0x03, name); }
    SmfTrack& Program(std::uint32_t delta, int channel, int program);
    SmfTrack& Control(std::uint32_t delta, int channel, int controller, int value);
    SmfTrack& NoteOn(std::uint32_t delta, int channel, int key, int velocity);
    SmfTrack& NoteOff(std::uint32_t delta, int channel, int key);
    SmfTrack& End(std::uint32_t delta = 0) { return Meta(delta, 0x2F, {}); }

    const std::vector<std::uint8_t>& Bytes() const { return m_bytes; }

private:
    std::vector<std::uint8_t> m_bytes;
};

// The whole file: header chunk, then one MTrk chunk per track.
std::vector<std::uint8_t> BuildSmf(std::uint16_t format, std::uint16_t division,
                                   const std::vector<SmfTrack>& tracks);

}  // namespace qv::seq
