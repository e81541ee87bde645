// Reading the title of a MIDI file, from files made of bytes in each test.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "playlist/PlayList.h"
#include "tests/support/FilesTempDir.h"
#include "tests/support/SmfBytes.h"
#include "tests/support/SystemBackends.h"

using namespace qvtest;
using T = qv::seq::SmfTrack;

namespace {

const std::string kUntouched = "<untouched>";

class TitleReader : public ::testing::Test {
protected:
    // Expects the title read from a file of these bytes: "" for the file name in its place, none
    // for a refusal that leaves the title alone.
    void Expect(const std::string& bytes, const std::optional<std::string>& title,
                const char* label) {
        std::string path = m_dir.Write("song.mid", bytes);
        CString read(kUntouched);
        EXPECT_EQ(CPlayList::ReadTitle(path.c_str(), read),
                  title ? static_cast<int>(title->size()) : -1)
            << label;
        EXPECT_EQ(read.GetString(), !title           ? kUntouched
                                    : title->empty() ? "song.mid"
                                                     : *title)
            << label;
    }

    qvtest::SystemFileSystem m_fs;
    qvtest::ScopedFileSystem m_installed{&m_fs};
    qvtest::TempDir m_dir;
};

// A name, or any other meta event, as the bytes of a track.
std::string Meta(int type, std::string_view data) {
    return Events(T().Meta(0, static_cast<std::uint8_t>(type), data));
}
std::string Name(std::string_view title) {
    return Meta(3, title);
}
// A file whose first track holds these events, then the end of track.
std::string First(const std::string& events) {
    return Header() + Chunk("MTrk", events + Raw({0, 0xFF, 0x2F, 0}));
}
const std::string kTempo = Events(T().Tempo(0, 500000));

}  // namespace

TEST_F(TitleReader, FindsTheSequenceNameAmongTheLeadingMetaEventsPastOtherChunks) {
    Expect(First(Name("Hello")), "Hello", "name first");
    Expect(First(kTempo + Meta(1, "a text") + Name("Song")), "Song", "after tempo and text");
    std::string long144(144, 'L');
    Expect(First(Name(long144)), long144, "length in two bytes");
    Expect(First(Name("\x83\x5C\x83\x93\x83\x4F")), "\x83\x5C\x83\x93\x83\x4F",
           "Shift-JIS bytes kept");
    Expect(First(Name(std::string_view("Cut\0here", 8))), "Cut", "up to the first zero byte");
    Expect(Header() + Chunk("MTrk", Name("Exact")), "Exact", "name ends exactly at the track end");
    const std::string title70k(70000, 'U');
    Expect(First(kTempo + Name(title70k)), title70k, "longer than any buffer");
    for (std::size_t length : {0u, 6u, 600u, 70000u}) {
        std::string bytes = Chunk("MThd", std::string(length, '\x01')) + Chunk("MTrk", Name("Hdr"));
        Expect(bytes, "Hdr", ("header body of " + std::to_string(length)).c_str());
    }
    Expect(Header() + Chunk("XFIH", "x") + Chunk("MTrk", Name("After")), "After",
           "a foreign chunk before the track");
}

TEST_F(TitleReader, UsesTheFileNameWhenTheFirstTrackNamesNoTitleOrIsDamaged) {
    Expect(First(Events(T().Meta(0x60, 3, "Hi"))), "", "non-zero delta time");
    Expect(First(Events(T().NoteOn(0, 0, 60, 64)) + Name("Late")), "", "channel event first");
    Expect(First(Raw({0, 0xF0, 2, 0x7E, 0xF7}) + Name("Late")), "", "system exclusive first");
    Expect(First(Name("")), "", "name of length 0");
    Expect(First(Name(std::string_view("\0Name", 5))), "", "name starting with a zero byte");
    Expect(Smf({T().Tempo(0, 500000), T().Name("Second")}), "", "name in the second track only");
    Expect(Header() + Chunk("MTrk", ""), "", "empty track");
    // A damaged track is never read past its end or the file's.
    Expect(First(Name("Overlong")).substr(0, 30), "", "name cut by the end of file");
    Expect(Header() + "MTrk" + BigEndian32(4) + Name("Outside"), "",
           "name reaching past the track");
    Expect(Header() + "MTrk" + BigEndian32(0) + Name("Zero"), "", "track of length 0");
    Expect(Header() + "MTrk" + BigEndian32(0xFFFFFFFF) +
               std::string("\x00\xFF\x03\xFF\xFF\xFF\x7F", 7) + "tiny",
           "", "name longer than the file");
    Expect(First(Raw({0, 0xFF, 3, 0x80, 0x80, 0x80, 0x80, 5}) + "Hello"), "",
           "length of five bytes");
    Expect(Header() + "MTrk" + BigEndian32(100) + std::string("\x00\xFF\x03\x81", 4), "",
           "length cut by the end");
    Expect(Header() + "MTrk" + BigEndian32(100) + std::string("\x00\xFF", 2), "",
           "event head cut by the end");
    Expect(Header() + "MTrk" + BigEndian32(5000) + Meta(1, std::string(1000, 'x')).substr(0, 500),
           "", "skipped event cut by the end");
}

TEST_F(TitleReader, RefusesFilesThatAreNotStandardMidiFiles) {
    Expect("", std::nullopt, "empty file");
    Expect("MThd\0\0", std::nullopt, "shorter than a chunk head");
    Expect("Just some text, long enough to fill a header.\r\n", std::nullopt, "text file");
    Expect(Chunk("RIFF", "RMIDdata" + First(Name("In RIFF"))), std::nullopt, "RIFF-wrapped");
    Expect(Header(), std::nullopt, "header and nothing more");
    Expect(Header() + "MTrk\0\0", std::nullopt, "track head cut short");
    Expect(Header() + "XFIH" + BigEndian32(100) + Chunk("MTrk", Name("x")), std::nullopt,
           "foreign chunk beyond the file");
    Expect(Header() + Chunk("XFIH", "x"), std::nullopt, "no track after a foreign chunk");
    Expect("MThd" + BigEndian32(0xFFFFFFF0) + std::string(20, '\0'), std::nullopt,
           "header body beyond the file");

    CString title(kUntouched);
    EXPECT_EQ(CPlayList::ReadTitle((m_dir / "missing.mid").c_str(), title), -1);
    EXPECT_EQ(title.GetString(), kUntouched);
}
