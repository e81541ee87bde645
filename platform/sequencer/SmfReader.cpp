#include <algorithm>
#include <cstring>

#include "platform/sequencer/ByteReader.h"
#include "platform/sequencer/Song.h"

namespace qv::seq {
namespace {

// Ticks beyond 2^32 would let tick * tempo overflow 64 bits; no real song comes near it.
constexpr std::uint64_t kMaxTick = std::uint64_t{1} << 32;
constexpr std::uint32_t kDefaultTempo = 500000;  // microseconds per quarter note: 120 bpm
constexpr std::int64_t kMaxLengthUs = std::int64_t{0xFFFFFFFF} * 1000;  // fits a 32-bit ms status

struct TempoChange {
    std::uint64_t tick;
    std::uint32_t usPerQuarter;
};

// Converts ticks to microseconds under a tempo map, or under a fixed SMPTE frame rate. Time
// is kept exact, in microseconds times ticks per quarter, and rounded once per answer: rounding
// each tempo segment would lose up to a microsecond a change, a millisecond over a long song.
class TickTimer {
public:
    // division is the header's word; answers false when it cannot time anything.
    bool Init(std::uint16_t division, std::vector<TempoChange> tempos) {
        if (division & 0x8000) return InitSmpte(division);
        m_ticksPerQuarter = division;
        if (m_ticksPerQuarter == 0) return false;
        std::stable_sort(
            tempos.begin(), tempos.end(),
            [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
        m_segments.push_back({0, 0, kDefaultTempo});
        for (const TempoChange& t : tempos) {
            Segment& last = m_segments.back();
            if (t.tick == last.tick) {
                last.usPerQuarter = t.usPerQuarter;  // the later change at one tick wins
                continue;
            }
            m_segments.push_back({t.tick, Scaled(last, t.tick), t.usPerQuarter});
        }
        return true;
    }

    // Ticks must be asked for in ascending order, as the sorted events are.
    std::int64_t ToUs(std::uint64_t tick) {
        if (m_smpteFramesPer100s) {
            return static_cast<std::int64_t>(tick * 100'000'000 / m_smpteFramesPer100s);
        }
        while (m_next + 1 < m_segments.size() && m_segments[m_next + 1].tick <= tick) ++m_next;
        const std::uint64_t scaled = Scaled(m_segments[m_next], tick);
        return static_cast<std::int64_t>((scaled + m_ticksPerQuarter / 2) / m_ticksPerQuarter);
    }

private:
    struct Segment {
        std::uint64_t tick;
        std::uint64_t startScaled;  // microseconds times ticks per quarter
        std::uint32_t usPerQuarter;
    };

    // At most 2^32 ticks times a 24-bit tempo: the sum stays below 2^56.
    static std::uint64_t Scaled(const Segment& s, std::uint64_t tick) {
        return s.startScaled + (tick - s.tick) * s.usPerQuarter;
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
    std::vector<Segment> m_segments;
    std::size_t m_next = 0;
};

int DataBytesOf(std::uint8_t status) {
    const std::uint8_t kind = status & 0xF0;
    return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
}

class SmfParser {
public:
    explicit SmfParser(Song& song) : m_song(song) {}

    SmfStatus Parse(std::span<const std::uint8_t> data) {
        ByteReader reader(data);
        std::uint16_t format = 0, nTracks = 0, division = 0;
        if (!ReadHeader(reader, format, nTracks, division)) return SmfStatus::Damaged;
        // An event takes at least two bytes and most take three or more: room for a third of the
        // file's bytes saves regrowing, which would touch every page of the events again.
        m_song.events.reserve(std::min(data.size() / 3, kMaxSmfEvents));
        std::uint64_t offset = 0, endTick = 0;
        for (std::uint16_t i = 0; i < nTracks; ++i) {
            std::span<const std::uint8_t> track;
            if (!NextTrackChunk(reader, track)) return SmfStatus::Damaged;
            std::uint64_t trackEnd = 0;
            const SmfStatus status = ReadTrack(track, offset, trackEnd);
            if (status != SmfStatus::Ok) return status;
            endTick = std::max(endTick, trackEnd);
            // Format 2 holds independent patterns: each starts where the one before ended.
            if (format == 2) offset = trackEnd;
        }
        return Finish(division, endTick);
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

    SmfStatus ReadTrack(std::span<const std::uint8_t> data, std::uint64_t tick,
                        std::uint64_t& endTick) {
        ByteReader r(data);
        m_runStarts.push_back(m_song.events.size());
        ReserveFor(data.size());
        std::uint8_t running = 0;
        bool endOfTrack = false;
        // A track that just stops without its end-of-track event is common enough to accept.
        while (!endOfTrack && !r.AtEnd()) {
            const auto delta = r.Vlq();
            if (!delta) return SmfStatus::Damaged;
            tick += *delta;
            if (tick > kMaxTick) return SmfStatus::Damaged;
            if (++m_nEvents > kMaxSmfEvents) return SmfStatus::TooLarge;
            const SmfStatus status = ReadEvent(r, tick, running, endOfTrack);
            if (status != SmfStatus::Ok) return status;
        }
        endTick = tick;
        return SmfStatus::Ok;
    }

    // A channel event takes at least two bytes: a guess from the chunk's real size saves most
    // regrowing, and the cap keeps a junk file from reserving much. The room at least doubles,
    // so that many small tracks copy the array now and then rather than once a track.
    void ReserveFor(std::size_t trackBytes) {
        auto& events = m_song.events;
        const std::size_t wanted = std::min(events.size() + trackBytes / 3, kMaxSmfEvents);
        if (wanted <= events.capacity()) return;
        events.reserve(std::min(std::max(wanted, 2 * events.capacity()), kMaxSmfEvents));
    }

    SmfStatus ReadEvent(ByteReader& r, std::uint64_t tick, std::uint8_t& running,
                        bool& endOfTrack) {
        std::uint8_t status = *r.Peek();
        if (status < 0x80) {
            // Running status; kept across meta and SysEx events, which some writers rely on.
            if (!running) return SmfStatus::Damaged;
            status = running;
        } else {
            r.U8();
        }
        if (status < 0xF0) {
            running = status;
            return ReadChannelMessage(r, tick, status);
        }
        if (status == 0xFF) return ReadMeta(r, tick, endOfTrack);
        if (status == 0xF0 || status == 0xF7) return ReadSysex(r, tick, status);
        return SmfStatus::Damaged;
    }

    SmfStatus ReadChannelMessage(ByteReader& r, std::uint64_t tick, std::uint8_t status) {
        SongEvent e;
        e.timeUs = static_cast<std::int64_t>(tick);
        e.bytes[0] = status;
        e.length = 1 + DataBytesOf(status);
        for (std::uint32_t i = 1; i < e.length; ++i) {
            const auto byte = r.U8();
            if (!byte || *byte >= 0x80) return SmfStatus::Damaged;
            e.bytes[i] = *byte;
        }
        m_song.events.push_back(e);
        return SmfStatus::Ok;
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
            if (tempo != 0) m_tempos.push_back({tick, tempo});
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
        e.timeUs = static_cast<std::int64_t>(tick);
        e.isSysex = true;
        e.sysexOffset = static_cast<std::uint32_t>(m_song.sysex.size());
        e.length = static_cast<std::uint32_t>(size);
        if (status == 0xF0) m_song.sysex.push_back(0xF0);
        m_song.sysex.insert(m_song.sysex.end(), body->begin(), body->end());
        m_song.events.push_back(e);
        return SmfStatus::Ok;
    }

    // Events still carry ticks in timeUs; order them and turn ticks into microseconds.
    SmfStatus Finish(std::uint16_t division, std::uint64_t endTick) {
        TickTimer timer;
        if (!timer.Init(division, std::move(m_tempos))) return SmfStatus::Damaged;
        MergeTracks();
        for (SongEvent& e : m_song.events)
            e.timeUs = timer.ToUs(static_cast<std::uint64_t>(e.timeUs));
        m_song.lengthUs = timer.ToUs(endTick);
        if (m_song.lengthUs > kMaxLengthUs) return SmfStatus::Damaged;
        return SmfStatus::Ok;
    }

    // Each track's events are in order already: one pass takes the earliest next event of all
    // tracks, the earlier track first at equal times. A heap of the tracks' next events keeps
    // that at log(tracks) a step, so that a file of thousands of tracks stays linear in practice;
    // pairwise merging in place would pass over every event once per doubling of the tracks and
    // allocate a buffer each pass.
    void MergeTracks() {
        auto& events = m_song.events;
        const auto byTime = [](const SongEvent& a, const SongEvent& b) {
            return a.timeUs < b.timeUs;
        };
        if (std::is_sorted(events.begin(), events.end(), byTime)) return;
        struct Run {
            std::size_t at, end;
        };
        std::vector<Run> runs;
        for (std::size_t i = 0; i < m_runStarts.size(); ++i) {
            const std::size_t end = i + 1 < m_runStarts.size() ? m_runStarts[i + 1] : events.size();
            if (m_runStarts[i] < end) runs.push_back({m_runStarts[i], end});
        }
        // The heap holds run numbers; the top is the run whose next event comes first.
        const auto after = [&](std::size_t a, std::size_t b) {
            const std::int64_t ta = events[runs[a].at].timeUs, tb = events[runs[b].at].timeUs;
            return ta != tb ? ta > tb : a > b;
        };
        std::vector<std::size_t> heap(runs.size());
        for (std::size_t i = 0; i < heap.size(); ++i) heap[i] = i;
        std::make_heap(heap.begin(), heap.end(), after);
        std::vector<SongEvent> merged;
        merged.reserve(events.size());
        while (!heap.empty()) {
            std::pop_heap(heap.begin(), heap.end(), after);
            Run& run = runs[heap.back()];
            merged.push_back(events[run.at]);
            if (++run.at < run.end) {
                std::push_heap(heap.begin(), heap.end(), after);
            } else {
                heap.pop_back();
            }
        }
        events.swap(merged);
    }

    Song& m_song;
    std::vector<std::size_t> m_runStarts;  // where each track's events begin
    std::vector<TempoChange> m_tempos;
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
