// Reading the title of a MIDI file, from files made of bytes in each test.
#include <gtest/gtest.h>

#include <string>

#include "platform/posix/files_posix.h"
#include "playlist/PlayList.h"
#include "tests/support/FilesTempDir.h"
#include "tests/support/SmfBytes.h"

using namespace qvtest;
using T = qv::seq::SmfTrack;

namespace {

const char kUntouched[] = "<untouched>";

class TitleReader : public ::testing::Test {
protected:
    struct Result {
        int answer;
        std::string title;
    };

    Result Read(const std::string& bytes) {
        std::string path = m_dir.Write("song.mid", bytes);
        CString title(kUntouched);
        int answer = CPlayList::ReadTitle(path.c_str(), title);
        return {answer, title.GetString()};
    }

    void ExpectTitle(const std::string& bytes, const std::string& title, const char* label) {
        Result r = Read(bytes);
        EXPECT_EQ(r.answer, static_cast<int>(title.size())) << label;
        EXPECT_EQ(r.title, title) << label;
    }

    void ExpectFileName(const std::string& bytes, const char* label) {
        Result r = Read(bytes);
        EXPECT_EQ(r.answer, 0) << label;
        EXPECT_EQ(r.title, "song.mid") << label;
    }

    void ExpectRejected(const std::string& bytes, const char* label) {
        Result r = Read(bytes);
        EXPECT_EQ(r.answer, -1) << label;
        EXPECT_EQ(r.title, kUntouched) << label;
    }

    qv::PosixFileSystem m_fs;
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

TEST_F(TitleReader, FindsTheSequenceNameAmongTheLeadingMetaEvents) {
    ExpectTitle(First(Name("Hello")), "Hello", "name first");
    ExpectTitle(First(kTempo + Meta(1, "a text") + Name("Song")), "Song", "after tempo and text");
    std::string long144(144, 'L');
    ExpectTitle(First(Name(long144)), long144, "length in two bytes");
    ExpectTitle(First(Name("\x83\x5C\x83\x93\x83\x4F")), "\x83\x5C\x83\x93\x83\x4F",
                "Shift-JIS bytes kept");
    ExpectTitle(First(Name(std::string_view("Cut\0here", 8))), "Cut", "up to the first zero byte");
    ExpectTitle(Header() + Chunk("MTrk", Name("Exact")), "Exact",
                "name ends exactly at the track end");
    const std::string title70k(70000, 'U');
    ExpectTitle(First(kTempo + Name(title70k)), title70k, "longer than any buffer");
}

TEST_F(TitleReader, UsesTheFileNameWhenTheFirstTrackNamesNoTitle) {
    ExpectFileName(First(Events(T().Meta(0x60, 3, "Hi"))), "non-zero delta time");
    ExpectFileName(First(Events(T().NoteOn(0, 0, 60, 64)) + Name("Late")), "channel event first");
    ExpectFileName(First(Raw({0, 0xF0, 2, 0x7E, 0xF7}) + Name("Late")), "system exclusive first");
    ExpectFileName(First(Name("")), "name of length 0");
    ExpectFileName(First(Name(std::string_view("\0Name", 5))), "name starting with a zero byte");
    ExpectFileName(Smf({T().Tempo(0, 500000), T().Name("Second")}),
                   "name in the second track only");
    ExpectFileName(Header() + Chunk("MTrk", ""), "empty track");
}

TEST_F(TitleReader, SkipsHeaderBodiesOfAnyLengthAndChunksOfOtherKinds) {
    for (std::size_t length : {0u, 6u, 600u, 70000u}) {
        std::string bytes = Chunk("MThd", std::string(length, '\x01')) + Chunk("MTrk", Name("Hdr"));
        ExpectTitle(bytes, "Hdr", ("header body of " + std::to_string(length)).c_str());
    }
    ExpectTitle(Header() + Chunk("XFIH", "x") + Chunk("MTrk", Name("After")), "After",
                "a foreign chunk before the track");
}

TEST_F(TitleReader, RefusesFilesThatAreNotStandardMidiFiles) {
    ExpectRejected("", "empty file");
    ExpectRejected("MThd\0\0", "shorter than a chunk head");
    ExpectRejected("Just some text, long enough to fill a header.\r\n", "text file");
    ExpectRejected(Chunk("RIFF", "RMIDdata" + First(Name("In RIFF"))), "RIFF-wrapped");
    ExpectRejected(Header(), "header and nothing more");
    ExpectRejected(Header() + "MTrk\0\0", "track head cut short");
    ExpectRejected(Header() + "XFIH" + BigEndian32(100) + Chunk("MTrk", Name("x")),
                   "foreign chunk beyond the file");
    ExpectRejected(Header() + Chunk("XFIH", "x"), "no track after a foreign chunk");
    ExpectRejected("MThd" + BigEndian32(0xFFFFFFF0) + std::string(20, '\0'),
                   "header body beyond the file");

    CString title(kUntouched);
    EXPECT_EQ(CPlayList::ReadTitle((m_dir / "missing.mid").c_str(), title), -1);
    EXPECT_EQ(title, kUntouched);
}

TEST_F(TitleReader, DamagedTracksNeverReadPastTheTrackOrTheFile) {
    ExpectFileName(First(Name("Overlong")).substr(0, 30), "name cut by the end of file");
    ExpectFileName(Header() + "MTrk" + BigEndian32(4) + Name("Outside"),
                   "name reaching past the track");
    ExpectFileName(Header() + "MTrk" + BigEndian32(0) + Name("Zero"), "track of length 0");
    ExpectFileName(Header() + "MTrk" + BigEndian32(0xFFFFFFFF) +
                       std::string("\x00\xFF\x03\xFF\xFF\xFF\x7F", 7) + "tiny",
                   "name longer than the file");
    ExpectFileName(First(Raw({0, 0xFF, 3, 0x80, 0x80, 0x80, 0x80, 5}) + "Hello"),
                   "length of five bytes");
    ExpectFileName(Header() + "MTrk" + BigEndian32(100) + std::string("\x00\xFF\x03\x81", 4),
                   "length cut by the end");
    ExpectFileName(Header() + "MTrk" + BigEndian32(100) + std::string("\x00\xFF", 2),
                   "event head cut by the end");
    ExpectFileName(
        Header() + "MTrk" + BigEndian32(5000) + Meta(1, std::string(1000, 'x')).substr(0, 500),
        "skipped event cut by the end");
}
