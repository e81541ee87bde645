#include "platform/sequencer/SmfWriter.h"

namespace qv::seq {
namespace {

void AppendBE(std::vector<std::uint8_t>& out, std::uint32_t value, int nBytes) {
    for (int i = nBytes - 1; i >= 0; --i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::uint8_t Status(int kind, int channel) {
    return static_cast<std::uint8_t>(kind | (channel & 0x0F));
}
std::uint8_t Data(int value) {
    return static_cast<std::uint8_t>(value & 0x7F);
}

}  // namespace

void AppendVlq(std::vector<std::uint8_t>& out, std::uint32_t value) {
    std::uint8_t groups[4];
    int n = 0;
    do {
        groups[n++] = value & 0x7F;
        value >>= 7;
    } while (value && n < 4);
    while (n > 1) out.push_back(groups[--n] | 0x80);
    out.push_back(groups[0]);
}

SmfTrack& SmfTrack::Event(std::uint32_t delta, std::initializer_list<std::uint8_t> bytes) {
    AppendVlq(m_bytes, delta);
    m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
    return *this;
}

SmfTrack& SmfTrack::Meta(std::uint32_t delta, std::uint8_t type, std::string_view data) {
    AppendVlq(m_bytes, delta);
    m_bytes.push_back(0xFF);
    m_bytes.push_back(type);
    AppendVlq(m_bytes, static_cast<std::uint32_t>(data.size()));
    m_bytes.insert(m_bytes.end(), data.begin(), data.end());
    return *this;
}

SmfTrack& SmfTrack::Tempo(std::uint32_t delta, std::uint32_t usPerQuarter) {
    const char data[3] = {static_cast<char>(usPerQuarter >> 16),
                          static_cast<char>(usPerQuarter >> 8), static_cast<char>(usPerQuarter)};
    return Meta(delta, 0x51, std::string_view(data, 3));
}

SmfTrack& SmfTrack::Program(std::uint32_t delta, int channel, int program) {
    return Event(delta, {Status(0xC0, channel), Data(program)});
}

SmfTrack& SmfTrack::Control(std::uint32_t delta, int channel, int controller, int value) {
    return Event(delta, {Status(0xB0, channel), Data(controller), Data(value)});
}

SmfTrack& SmfTrack::NoteOn(std::uint32_t delta, int channel, int key, int velocity) {
    return Event(delta, {Status(0x90, channel), Data(key), Data(velocity)});
}

SmfTrack& SmfTrack::NoteOff(std::uint32_t delta, int channel, int key) {
    return Event(delta, {Status(0x80, channel), Data(key), 0x40});
}

std::vector<std::uint8_t> BuildSmf(std::uint16_t format, std::uint16_t division,
                                   const std::vector<SmfTrack>& tracks) {
    std::vector<std::uint8_t> out = {'M', 'T', 'h', 'd', 0, 0, 0, 6};
    AppendBE(out, format, 2);
    AppendBE(out, static_cast<std::uint32_t>(tracks.size()), 2);
    AppendBE(out, division, 2);
    for (const SmfTrack& track : tracks) {
        out.insert(out.end(), {'M', 'T', 'r', 'k'});
        AppendBE(out, static_cast<std::uint32_t>(track.Bytes().size()), 4);
        out.insert(out.end(), track.Bytes().begin(), track.Bytes().end());
    }
    return out;
}

}  // namespace qv::seq
