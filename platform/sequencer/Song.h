#pragma once
// A song as the player needs it: every message to send, at absolute times in microseconds.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace qv::seq {

// Sixteen bytes an event: a large song's array is most of the memory a load touches.
struct SongEvent {
    std::int64_t timeUs = 0;
    std::uint32_t length = 0;
    // A channel message is kept inline; a SysEx message lives in Song::sysex, and these three
    // bytes hold its offset there (the SysEx bytes of a song stay below 2^24).
    std::uint8_t bytes[3] = {};
    bool isSysex = false;

    std::uint32_t SysexOffset() const {
        return std::uint32_t{bytes[0]} << 16 | std::uint32_t{bytes[1]} << 8 | bytes[2];
    }
    void SetSysexOffset(std::uint32_t offset) {
        bytes[0] = static_cast<std::uint8_t>(offset >> 16);
        bytes[1] = static_cast<std::uint8_t>(offset >> 8);
        bytes[2] = static_cast<std::uint8_t>(offset);
    }
};

struct Song {
    std::vector<SongEvent> events;  // in time order; at equal times, in file order
    std::vector<std::uint8_t> sysex;
    std::int64_t lengthUs = 0;

    std::span<const std::uint8_t> Message(const SongEvent& e) const {
        if (e.isSysex)
            return std::span<const std::uint8_t>(sysex).subspan(e.SysexOffset(), e.length);
        return std::span<const std::uint8_t>(e.bytes, e.length);
    }
    // Index of the first event at or after timeUs.
    std::size_t FirstAtOrAfter(std::int64_t timeUs) const;
};

enum class SmfStatus {
    Ok,
    Damaged,   // not a Standard MIDI File, or cut short, or inconsistent
    TooLarge,  // over the limits that keep a hostile file from exhausting memory
};

// Limits on what one file may hold.
constexpr std::size_t kMaxSmfEvents = 4'000'000;
constexpr std::size_t kMaxSmfSysexBytes = 16u << 20;
static_assert(kMaxSmfSysexBytes <= std::size_t{1} << 24, "a SysEx offset takes three bytes");
static_assert(sizeof(SongEvent) == 16);

// Reads a Standard MIDI File of format 0, 1 or 2 (format 2's tracks play one after another).
SmfStatus ReadSmf(std::span<const std::uint8_t> data, Song& song);

}  // namespace qv::seq
