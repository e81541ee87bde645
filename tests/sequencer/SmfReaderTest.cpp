#include <gtest/gtest.h>

#include "platform/sequencer/SmfWriter.h"
#include "platform/sequencer/Song.h"
#include "tests/support/SmfBytes.h"

using qv::seq::BuildSmf;
using qv::seq::ReadSmf;
using qv::seq::SmfStatus;
using qv::seq::SmfTrack;
using qv::seq::Song;
using Bytes = std::vector<std::uint8_t>;

namespace {

using qvtest::Chunk;
using qvtest::Header;
using qvtest::Raw;

// A format-0 file of one track whose chunk holds exactly these bytes.
std::string OneTrack(const std::string& body) {
    return Header(0, 1, 96) + Chunk("MTrk", body);
}

std::vector<std::int64_t> TimesMs(const Song& song) {
    std::vector<std::int64_t> times;
    for (const auto& e : song.events) times.push_back(e.timeUs / 1000);
    return times;
}

Song ReadOk(const Bytes& file) {
    Song song;
    EXPECT_EQ(ReadSmf(file, song), SmfStatus::Ok);
    return song;
}

}  // namespace

TEST(SmfReader, ReadsRunningStatusForeignChunksAndAMissingEndAtTheDefaultTempo) {
    // 96 ticks a quarter at 120 bpm: 96 ticks are 500 ms.
    const std::string file = OneTrack(Raw({0x00, 0x90, 60, 100,         // note on
                                           0x60, 60, 0,                 // running status: off
                                           0x00, 64, 90,                // running status: on
                                           0x81, 0x40, 0x80, 64, 0x40,  // 192 ticks later: off
                                           0x00, 0xFF, 0x2F, 0x00}));
    const Song song = ReadOk(qvtest::Vec(file));
    ASSERT_EQ(song.events.size(), 4u);
    EXPECT_EQ(TimesMs(song), (std::vector<std::int64_t>{0, 500, 500, 1500}));
    EXPECT_EQ(Bytes(song.events[1].bytes, song.events[1].bytes + 3), (Bytes{0x90, 60, 0}));
    EXPECT_EQ(song.events[2].bytes[1], 64);
    EXPECT_EQ(song.lengthUs, 1'500'000);
    // Foreign chunks are skipped; a longer header and a missing end of track are accepted.
    const std::string odd = Chunk("MThd", Raw({0, 0, 0, 1, 0, 96, 0xAA, 0xBB})) +
                            Chunk("XFIH", "abc") + Chunk("MTrk", Raw({0x00, 0xC0, 0x05}));
    const Song skipped = ReadOk(qvtest::Vec(odd));
    ASSERT_EQ(skipped.events.size(), 1u);
    EXPECT_EQ(skipped.events[0].bytes[1], 5);
}

TEST(SmfReader, TimesEventsExactlyByATempoMapFromAnyTrack) {
    SmfTrack notes, conductor;
    notes.NoteOn(0, 0, 60, 100).NoteOff(96, 0, 60).NoteOn(96, 0, 62, 100).NoteOff(96, 0, 62).End();
    // Double speed from tick 96 on; a second change at the same tick wins. The track of only
    // meta events sends nothing, yet its end, the song's last, sets the length.
    conductor.Name("tempo").Tempo(96, 400000).Tempo(0, 250000).End(288);
    const Song song = ReadOk(BuildSmf(1, 96, {notes, conductor}));
    EXPECT_EQ(TimesMs(song), (std::vector<std::int64_t>{0, 500, 750, 1000}));
    EXPECT_EQ(song.lengthUs, 1'250'000);

    // A third of a millisecond a tick, the tempo restated at each of 3000 ticks: one second,
    // nothing lost to rounding.
    SmfTrack restated;
    for (int i = 0; i < 3000; ++i) restated.Tempo(i == 0 ? 0 : 1, 1000);
    EXPECT_EQ(ReadOk(BuildSmf(0, 3, {restated.End(1)})).lengthUs, 1'000'000);
}

TEST(SmfReader, PlaysFormatTwoPatternsOneAfterAnother) {
    SmfTrack first, second;
    first.NoteOn(0, 0, 60, 100).NoteOff(192, 0, 60).End(96);  // ends at tick 288
    second.Tempo(0, 250000).NoteOn(0, 1, 67, 100).NoteOff(96, 1, 67).End();
    const Song song = ReadOk(BuildSmf(2, 96, {first, second}));
    // The second pattern starts at 1500 ms, and its tempo applies from there on.
    EXPECT_EQ(TimesMs(song), (std::vector<std::int64_t>{0, 1000, 1500, 1750}));
    EXPECT_EQ(song.lengthUs, 1'750'000);
}

TEST(SmfReader, TimesSmpteDivisionsByFrameRateAndIgnoresTempo) {
    // 25 frames of 40 ticks, 29.97 frames of 100 ticks a second.
    for (auto [division, ticks, us] :
         {std::tuple(0xE728, 1500, 1'500'000), {0xE364, 2997, 1'000'000}}) {
        SmfTrack track;
        track.Tempo(0, 1000000).NoteOn(ticks, 0, 60, 100).End();
        const Song song = ReadOk(BuildSmf(0, division, {track}));
        ASSERT_EQ(song.events.size(), 1u);
        EXPECT_EQ(song.events[0].timeUs, us) << division;
    }
}

TEST(SmfReader, RefusesDamagedFiles) {
    const std::string goodTrack = Chunk("MTrk", Raw({0x00, 0x90, 60, 100, 0x00, 0xFF, 0x2F, 0}));
    const struct {
        const char* label;
        std::string file;
    } cases[] = {
        {"empty", ""},
        {"not a MIDI file", Chunk("RIFF", std::string(6, '\0')) + goodTrack},
        {"header cut short", Header(0, 1, 96).substr(0, 10)},
        {"header length below 6", Chunk("MThd", Raw({0, 0, 0, 1}))},
        {"format 3", Header(3, 1, 96) + goodTrack},
        {"no tracks", Header(0, 0, 96) + goodTrack},
        {"division 0", Header(0, 1, 0) + goodTrack},
        {"SMPTE 0 ticks a frame", Header(0, 1, 0xE700) + goodTrack},
        {"SMPTE unknown rate", Header(0, 1, 0xE428) + goodTrack},
        {"fewer tracks than declared", Header(1, 2, 96) + goodTrack},
        {"chunk longer than the file", Header(0, 1, 96) + "MTrk" + Raw({0, 0, 0, 100, 0})},
        {"five-byte delta", OneTrack(Raw({0x81, 0x81, 0x81, 0x81, 0x01, 0xC0, 1}))},
        {"delta cut short", OneTrack(Raw({0x00, 0xC0, 1, 0x81}))},
        {"data without running status", OneTrack(Raw({0x00, 0x40, 0x40}))},
        {"status inside a message", OneTrack(Raw({0x00, 0x90, 60, 0x90}))},
        {"message cut short", OneTrack(Raw({0x00, 0x90, 60}))},
        {"meta longer than the track", OneTrack(Raw({0x00, 0xFF, 0x03, 0x10, 'a'}))},
        {"sysex longer than the track", OneTrack(Raw({0x00, 0xF0, 0x7F, 0x01}))},
        {"system common status", OneTrack(Raw({0x00, 0xF2, 0x00, 0x00}))},
    };
    for (const auto& c : cases) {
        Song song;
        song.lengthUs = 123;
        // On the heap, exactly sized, so the sanitizer sees a read past it.
        EXPECT_EQ(ReadSmf(qvtest::Vec(c.file), song), SmfStatus::Damaged) << c.label;
        EXPECT_EQ(song.lengthUs, 123) << c.label << ": a failed read leaves the song alone";
    }
}

TEST(SmfReader, ReadsTheMostTracksAFileCanDeclareButNoMoreEventsOrTicksThanItCanHold) {
    std::vector<SmfTrack> tracks(65535);
    for (std::size_t i = 0; i < tracks.size(); ++i) tracks[i].NoteOn(0, 0, int(i % 128), 64).End();
    const Song song = ReadOk(BuildSmf(1, 96, tracks));
    ASSERT_EQ(song.events.size(), tracks.size());
    std::size_t misplaced = 0;
    for (std::size_t i = 0; i < tracks.size(); ++i) misplaced += song.events[i].bytes[1] != i % 128;
    EXPECT_EQ(misplaced, 0u);

    // Program changes under running status: two bytes an event.
    std::string body = Raw({0x00, 0xC0, 0x00});
    for (std::size_t i = 0; i < qv::seq::kMaxSmfEvents; ++i) body += Raw({0x00, 0x01});
    Song refused;
    EXPECT_EQ(ReadSmf(qvtest::Vec(OneTrack(body)), refused), SmfStatus::TooLarge);
    SmfTrack track;
    for (int i = 0; i < 17; ++i) track.NoteOn(0x0FFFFFFF, 0, 60, 1);  // past 2^32 ticks
    EXPECT_EQ(ReadSmf(BuildSmf(0, 1, {track}), refused), SmfStatus::Damaged)
        << "time would overflow";
}
