#include <algorithm>
#include <cstring>
#include <functional>
#if defined(__linux__)
#include <sys/mman.h>
#endif

#include "platform/sequencer/ByteReader.h"
#include "platform/sequencer/Song.h"

namespace qv::seq {
namespace {

// Ticks beyond 2^32 would let tick * tempo overflow 64 bits; no real song comes near it.
constexpr std::uint64_t kMaxTick = std::uint64_t{1} << 32;
constexpr std::uint32_t kDefaultTempo = 500000;     // microseconds per quarter note: 120 bpm
constexpr std::uint64_t kDone = ~std::uint64_t{0};  // the next tick of a track that has ended
constexpr std::size_t kFewTracks = 16;
constexpr std::int64_t kMaxLengthUs = std::int64_t{0xFFFFFFFF} * 1000;  // fits a 32-bit ms status

// Converts ticks to microseconds as the tempo changes arrive in time order, or under a fixed
// SMPTE frame rate. Time is kept exact, in microseconds times ticks per quarter, and rounded once
// per answer: rounding each tempo segment would lose up to a microsecond a change, a millisecond
// over a long song.
class TickClock {
public:
    // division is the header's word; answers false when it cannot time anything.
    bool Init(std::uint16_t division) {
        if (division & 0x8000) return InitSmpte(division);
        m_ticksPerQuarter = division;
        return m_ticksPerQuarter != 0;
    }

    // Changes must come in ascending ticks; the later of two changes at one tick wins.
    void SetTempo(std::uint64_t tick, std::uint32_t usPerQuarter) {
        m_startScaled = Scaled(tick);
        m_startTick = tick;
        m_usPerQuarter = usPerQuarter;
    }

    // Ticks must be asked for at or after the last change. A change at the tick itself does not
    // move it: the new tempo applies from there on.
    std::int64_t ToUs(std::uint64_t tick) const {
        if (m_smpteFramesPer100s) {
            return static_cast<std::int64_t>(tick * 100'000'000 / m_smpteFramesPer100s);
        }
        return static_cast<std::int64_t>((Scaled(tick) + m_ticksPerQuarter / 2) /
                                         m_ticksPerQuarter);
    }

private:
    // At most 2^32 ticks times a 24-bit tempo: the sum stays below 2^56.
    std::uint64_t Scaled(std::uint64_t tick) const {
        return m_startScaled + (tick - m_startTick) * m_usPerQuarter;
    }

    bool InitSmpte(std::uint16_t division) {
        const int framesPerSecond = -static_cast<std::int8_t>(division >> 8);
        const std::uint64_t ticksPerFrame = division & 0xFF;
        // 29 stands for the 29.97 frames of drop-frame time code.
        const std::uint64_t framesPer100s = framesPerSecond == 29 ? 2997 : framesPerSecond * 100;
        const bool known = framesPerSecond == 24 || framesPerSecond == 25 ||
                           framesPerSecond == 29 || framesPerSecond == 30;
        if (!known || ticksPerFrame == 0) return false;
        m_smpteFramesPer100s = framesPer100s * ticksPerFrame;
        return true;
    }

    std::uint32_t m_ticksPerQuarter = 0;
    std::uint64_t m_smpteFramesPer100s = 0;  // ticks per 100 seconds, for SMPTE division
    std::uint64_t m_startTick = 0;
    std::uint64_t m_startScaled = 0;  // microseconds times ticks per quarter at m_startTick
    std::uint32_t m_usPerQuarter = kDefaultTempo;
};

// A large song's events fill megabytes of fresh memory, and on a virtual machine each 4 kB page
// the kernel faults in costs microseconds: asking for large pages where the system grants them
// (the kernel places a large mapping on a large-page boundary) takes most of that out of a load.
void PreferLargePages(const void* room, std::size_t bytes) {
#if defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t kPage = 4096;
    const auto at = reinterpret_cast<std::uintptr_t>(room);
    const std::uintptr_t begin = at & ~(kPage - 1);
    if (bytes >= (std::size_t{2} << 20))
        ::madvise(reinterpret_cast<void*>(begin), at + bytes - begin, MADV_HUGEPAGE);
#else
    (void)room;
    (void)bytes;
#endif
}

int DataBytesOf(std::uint8_t status) {
    const std::uint8_t kind = status & 0xF0;
    return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
}

// One track being read: where it is, its running status, and the tick of its next event. Events
// are decoded straight from the bytes, which is most of the work of a load; the rare meta and
// SysEx events go through the checked reader.
struct TrackCursor {
    const std::uint8_t* at = nullptr;
    const std::uint8_t* end = nullptr;
    std::uint64_t nextTick = 0;
    std::uint8_t running = 0;
};

// Reads every track at once, always from the track whose next event comes first (the earlier
// track at equal ticks), so that the events land in the song in play order: no second array to
// merge into, no sort, and the tempo in force is known as each event is read.
class SmfParser {
public:
    explicit SmfParser(Song& song) : m_song(song) {}

    SmfStatus Parse(std::span<const std::uint8_t> data) {
        ByteReader reader(data);
        std::uint16_t format = 0, nTracks = 0, division = 0;
        if (!ReadHeader(reader, format, nTracks, division)) return SmfStatus::Damaged;
        std::vector<TrackCursor> tracks;
        tracks.reserve(nTracks);
        for (std::uint16_t i = 0; i < nTracks; ++i) {
            std::span<const std::uint8_t> track;
            if (!NextTrackChunk(reader, track)) return SmfStatus::Damaged;
            tracks.push_back({track.data(), track.data() + track.size()});
        }
        if (!m_clock.Init(division)) return SmfStatus::Damaged;
        // An event takes at least two bytes and most take three or more: room for a third of the
        // file's bytes saves regrowing, which would touch every page of the events again.
        m_song.events.reserve(std::min(data.size() / 3, kMaxSmfEvents));
        PreferLargePages(m_song.events.data(), m_song.events.capacity() * sizeof(SongEvent));
        std::uint64_t endTick = 0;
        if (format == 2) {
            // Independent patterns: each starts where the one before ended.
            for (TrackCursor& track : tracks) {
                const SmfStatus status = ReadTogether(std::span(&track, 1), endTick, endTick);
                if (status != SmfStatus::Ok) return status;
            }
        } else {
            const SmfStatus status = ReadTogether(tracks, 0, endTick);
            if (status != SmfStatus::Ok) return status;
        }
        m_song.lengthUs = m_clock.ToUs(endTick);
        if (m_song.lengthUs > kMaxLengthUs) return SmfStatus::Damaged;
        return SmfStatus::Ok;
    }

private:
    static bool ReadHeader(ByteReader& r, std::uint16_t& format, std::uint16_t& nTracks,
                           std::uint16_t& division) {
        const auto id = r.Bytes(4);
        const auto length = r.UBE(4);
        if (!id || std::memcmp(id->data(), "MThd", 4) != 0 || !length || *length < 6) return false;
        const auto body = r.Bytes(*length);
        if (!body) return false;
        ByteReader h(*body);
        format = static_cast<std::uint16_t>(*h.UBE(2));
        nTracks = static_cast<std::uint16_t>(*h.UBE(2));
        division = static_cast<std::uint16_t>(*h.UBE(2));
        return format <= 2 && nTracks > 0;
    }

    // Skips chunks of other kinds, as readers of the format must.
    static bool NextTrackChunk(ByteReader& r, std::span<const std::uint8_t>& track) {
        for (;;) {
            const auto id = r.Bytes(4);
            const auto length = r.UBE(4);
            if (!id || !length) return false;
            const auto body = r.Bytes(*length);
            if (!body) return false;
            if (std::memcmp(id->data(), "MTrk", 4) == 0) {
                track = *body;
                return true;
            }
        }
    }

    // Moves a track to its next event; false at its end. A track that just stops without its
    // end-of-track event is common enough to accept. A delta time of more than four bytes is
    // refused, since 28 bits is the format's largest value.
    static SmfStatus Advance(TrackCursor& t, bool& more) {
        more = t.at != t.end;
        if (!more) return SmfStatus::Ok;
        std::uint32_t delta = 0;
        for (int i = 0;; ++i) {
            if (i == 4 || t.at == t.end) return SmfStatus::Damaged;
            const std::uint8_t byte = *t.at++;
            delta = (delta << 7) | (byte & 0x7F);
            if (!(byte & 0x80)) break;
        }
        t.nextTick += delta;
        return t.nextTick > kMaxTick ? SmfStatus::Damaged : SmfStatus::Ok;
    }

    // Reads the tracks, all starting at startTick, into the song in time order.
    SmfStatus ReadTogether(std::span<TrackCursor> tracks, std::uint64_t startTick,
                           std::uint64_t& endTick) {
        for (TrackCursor& t : tracks) {
            t.nextTick = startTick;
            bool more = false;
            if (const SmfStatus s = Advance(t, more); s != SmfStatus::Ok) return s;
            if (!more) Finish(t, endTick);
        }
        return tracks.size() <= kFewTracks ? ReadFewTogether(tracks, endTick)
                                           : ReadManyTogether(tracks, endTick);
    }

    // Each round finds the earliest next tick and reads every track's events at it, in track
    // order: for the usual song's few tracks, cheaper than keeping them in a heap.
    SmfStatus ReadFewTogether(std::span<TrackCursor> tracks, std::uint64_t& endTick) {
        for (;;) {
            std::uint64_t tick = kDone;
            for (const TrackCursor& t : tracks) tick = std::min(tick, t.nextTick);
            if (tick == kDone) return SmfStatus::Ok;
            for (TrackCursor& t : tracks) {
                while (t.nextTick == tick) {
                    if (const SmfStatus s = ReadOne(t, endTick); s != SmfStatus::Ok) return s;
                }
            }
        }
    }

    // A heap keeps the tracks by their next event's tick and number in one integer each, so
    // that a file of thousands of tracks stays linear in practice; a track goes on while it is
    // still the first.
    SmfStatus ReadManyTogether(std::span<TrackCursor> tracks, std::uint64_t& endTick) {
        const auto key = [&](std::size_t i) { return tracks[i].nextTick << 16 | i; };
        std::vector<std::uint64_t> heap;
        heap.reserve(tracks.size());
        for (std::size_t i = 0; i < tracks.size(); ++i) {
            if (tracks[i].nextTick != kDone) heap.push_back(key(i));
        }
        std::make_heap(heap.begin(), heap.end(), std::greater<std::uint64_t>());
        while (!heap.empty()) {
            const std::size_t i = heap.front() & 0xFFFF;
            TrackCursor& t = tracks[i];
            const std::uint64_t second = SecondSmallest(heap);
            do {
                if (const SmfStatus s = ReadOne(t, endTick); s != SmfStatus::Ok) return s;
            } while (t.nextTick != kDone && key(i) < second);
            if (t.nextTick != kDone) {
                heap.front() = key(i);
            } else {
                heap.front() = heap.back();
                heap.pop_back();
            }
            SiftDown(heap);
        }
        return SmfStatus::Ok;
    }

    // Reads a track's next event and moves on to the one after it.
    SmfStatus ReadOne(TrackCursor& t, std::uint64_t& endTick) {
        if (++m_nEvents > kMaxSmfEvents) return SmfStatus::TooLarge;
        bool endOfTrack = false, more = false;
        if (const SmfStatus s = ReadEvent(t, endOfTrack); s != SmfStatus::Ok) return s;
        if (!endOfTrack) {
            if (const SmfStatus s = Advance(t, more); s != SmfStatus::Ok) return s;
        }
        if (!more) Finish(t, endTick);
        return SmfStatus::Ok;
    }

    // A track's end is the tick of its last event; the song ends with its longest track.
    static void Finish(TrackCursor& t, std::uint64_t& endTick) {
        endTick = std::max(endTick, t.nextTick);
        t.nextTick = kDone;
    }

    // The smallest key below the top of a min-heap, or the largest key there is.
    static std::uint64_t SecondSmallest(const std::vector<std::uint64_t>& heap) {
        if (heap.size() < 2) return ~std::uint64_t{0};
        if (heap.size() < 3) return heap[1];
        return std::min(heap[1], heap[2]);
    }

    // Restores the min-heap after its top changed: the hole goes down to a leaf along the
    // smaller children, then the key climbs back to its place. The key is usually a track's next
    // event, later than most, so it climbs little; walking the whole depth spares the branch
    // mispredictions of stopping early, which cost more than the comparisons.
    static void SiftDown(std::vector<std::uint64_t>& heap) {
        const std::size_t n = heap.size();
        if (n == 0) return;
        const std::uint64_t moving = heap[0];
        std::size_t hole = 0;
        for (std::size_t child = 1; child < n; child = 2 * hole + 1) {
            const std::uint64_t right = child + 1 < n ? heap[child + 1] : ~std::uint64_t{0};
            child += right < heap[child];
            heap[hole] = heap[child];
            hole = child;
        }
        while (hole > 0) {
            const std::size_t parent = (hole - 1) / 2;
            if (heap[parent] <= moving) break;
            heap[hole] = heap[parent];
            hole = parent;
        }
        heap[hole] = moving;
    }

    SmfStatus ReadEvent(TrackCursor& t, bool& endOfTrack) {
        if (t.at == t.end) return SmfStatus::Damaged;  // a delta time with no event after it
        std::uint8_t status = *t.at;
        if (status < 0x80) {
            // Running status; kept across meta and SysEx events, which some writers rely on.
            if (!t.running) return SmfStatus::Damaged;
            status = t.running;
        } else {
            ++t.at;
        }
        if (status < 0xF0) {
            t.running = status;
            return ReadChannelMessage(t, status);
        }
        ByteReader r(std::span(t.at, t.end));
        SmfStatus result = SmfStatus::Damaged;
        if (status == 0xFF) result = ReadMeta(r, t.nextTick, endOfTrack);
        if (status == 0xF0 || status == 0xF7) result = ReadSysex(r, t.nextTick, status);
        t.at = t.end - r.Remaining();
        return result;
    }

    SmfStatus ReadChannelMessage(TrackCursor& t, std::uint8_t status) {
        const int nData = DataBytesOf(status);
        if (t.end - t.at < nData) return SmfStatus::Damaged;
        const std::uint8_t first = t.at[0], second = nData == 2 ? t.at[1] : 0;
        if ((first | second) >= 0x80) return SmfStatus::Damaged;
        t.at += nData;
        SongEvent& e = m_song.events.emplace_back();
        e.timeUs = TimeOf(t.nextTick);
        e.length = 1 + nData;
        e.bytes[0] = status;
        e.bytes[1] = first;
        e.bytes[2] = second;
        return SmfStatus::Ok;
    }

    // Dense songs have many events at one tick: the division is done once a tick.
    std::int64_t TimeOf(std::uint64_t tick) {
        if (tick != m_lastTick) {
            m_lastTick = tick;
            m_lastUs = m_clock.ToUs(tick);
        }
        return m_lastUs;
    }

    SmfStatus ReadMeta(ByteReader& r, std::uint64_t tick, bool& endOfTrack) {
        const auto type = r.U8();
        const auto length = type ? r.Vlq() : std::nullopt;
        const auto body = length ? r.Bytes(*length) : std::nullopt;
        if (!body) return SmfStatus::Damaged;
        if (*type == 0x2F) endOfTrack = true;
        if (*type == 0x51 && body->size() == 3) {
            const std::uint32_t tempo = ((*body)[0] << 16) | ((*body)[1] << 8) | (*body)[2];
            // A tempo of zero would stop time for the rest of the song; keep the one in force.
            if (tempo != 0) m_clock.SetTempo(tick, tempo);  // times at this tick stay as they are
        }
        return SmfStatus::Ok;
    }

    // F0 carries a SysEx message without its F0 byte; F7 carries bytes to send as they are.
    SmfStatus ReadSysex(ByteReader& r, std::uint64_t tick, std::uint8_t status) {
        const auto length = r.Vlq();
        const auto body = length ? r.Bytes(*length) : std::nullopt;
        if (!body) return SmfStatus::Damaged;
        const std::size_t size = body->size() + (status == 0xF0 ? 1 : 0);
        if (size == 0) return SmfStatus::Ok;
        if (m_song.sysex.size() + size > kMaxSmfSysexBytes) return SmfStatus::TooLarge;
        SongEvent e;
        e.timeUs = TimeOf(tick);
        e.isSysex = true;
        e.SetSysexOffset(static_cast<std::uint32_t>(m_song.sysex.size()));
        e.length = static_cast<std::uint32_t>(size);
        if (status == 0xF0) m_song.sysex.push_back(0xF0);
        m_song.sysex.insert(m_song.sysex.end(), body->begin(), body->end());
        m_song.events.push_back(e);
        return SmfStatus::Ok;
    }

    Song& m_song;
    TickClock m_clock;
    std::uint64_t m_lastTick = ~std::uint64_t{0};
    std::int64_t m_lastUs = 0;
    std::size_t m_nEvents = 0;
};

}  // namespace

std::size_t Song::FirstAtOrAfter(std::int64_t timeUs) const {
    auto it = std::lower_bound(events.begin(), events.end(), timeUs,
                               [](const SongEvent& e, std::int64_t t) { return e.timeUs < t; });
    return static_cast<std::size_t>(it - events.begin());
}

SmfStatus ReadSmf(std::span<const std::uint8_t> data, Song& song) {
    Song parsed;
    const SmfStatus status = SmfParser(parsed).Parse(data);
    if (status == SmfStatus::Ok) song = std::move(parsed);
    return status;
}

}  // namespace qv::seq
