// Reading the title of a MIDI file, from files made of bytes in each test.
#include <gtest/gtest.h>

#include <string>

#include "framework/File.h"
#include "platform/posix/files_posix.h"
#include "playlist/FileInput.h"
#include "playlist/PlayList.h"
#include "tests/playlist/MidiBytes.h"
#include "tests/support/FilesTempDir.h"

using namespace midibytes;

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

const std::string kTempo = Meta(0x51, std::string("\x07\xA1\x20", 3));
const std::string kNoteOn = std::string("\x00\x90\x3C\x40", 4);

}  // namespace

TEST_F(TitleReader, FindsTheSequenceNameAmongTheLeadingMetaEvents) {
    ExpectTitle(Smf({Meta(3, "Hello")}), "Hello", "name first");
    ExpectTitle(Smf({kTempo + Meta(1, "a text") + Meta(3, "Song")}), "Song",
                "after tempo and text");
    std::string long144(144, 'L');
    ASSERT_EQ(VarLen(144), "\x81\x10");
    ExpectTitle(Smf({Meta(3, long144)}), long144, "length in two bytes");
    ExpectTitle(Smf({Meta(3, "\x83\x5C\x83\x93\x83\x4F")}), "\x83\x5C\x83\x93\x83\x4F",
                "Shift-JIS bytes kept");
    ExpectTitle(Smf({Meta(3, std::string("Cut\0here", 8))}), "Cut", "up to the first zero byte");
    ExpectTitle(Header(0, 1) + Chunk("MTrk", Meta(3, "Exact")), "Exact",
                "name ends exactly at the track end");
}

TEST_F(TitleReader, LongTitlesAreReadWhole) {
    std::string title600(600, 'T');
    ExpectTitle(Smf({Meta(3, title600)}), title600, "600 bytes");
    std::string title70k(70000, 'U');
    ExpectTitle(Smf({kTempo + Meta(3, title70k)}), title70k, "70000 bytes");
}

TEST_F(TitleReader, UsesTheFileNameWhenTheFirstTrackNamesNoTitle) {
    ExpectFileName(Smf({std::string("\x60\xFF\x03\x02Hi", 6)}), "non-zero delta time");
    ExpectFileName(Smf({kNoteOn + Meta(3, "Late")}), "channel event first");
    ExpectFileName(Smf({std::string("\x00\xF0\x02\x7E\xF7", 5) + Meta(3, "Late")}),
                   "system exclusive first");
    ExpectFileName(Smf({Meta(3, "")}), "name of length 0");
    ExpectFileName(Smf({Meta(3, std::string("\0Name", 5))}), "name starting with a zero byte");
    ExpectFileName(Smf({kTempo, Meta(3, "Second")}), "name in the second track only");
    ExpectFileName(Header() + Chunk("MTrk", ""), "empty track");
}

TEST_F(TitleReader, SkipsHeaderBodiesOfAnyLength) {
    for (std::size_t length : {0u, 6u, 100u, 600u, 70000u}) {
        std::string bytes = Chunk("MThd", std::string(length, '\x01')) + Track(Meta(3, "Hdr"));
        ExpectTitle(bytes, "Hdr", ("header body of " + std::to_string(length)).c_str());
    }
}

TEST_F(TitleReader, RefusesFilesThatAreNotStandardMidiFiles) {
    ExpectRejected("", "empty file");
    ExpectRejected("MThd\0\0", "shorter than a chunk head");
    ExpectRejected("Just some text, long enough to fill a header.\r\n", "text file");
    ExpectRejected(Chunk("RIFF", "RMIDdata" + Smf({Meta(3, "In RIFF")})), "RIFF-wrapped");
    ExpectRejected(Header(), "header and nothing more");
    ExpectRejected(Header() + "MTrk\0\0", "track head cut short");
    ExpectRejected(Header() + Chunk("XFIH", "x") + Track(Meta(3, "x")),
                   "first chunk is not a track");
    ExpectRejected("MThd" + BigEndian32(0xFFFFFFF0) + std::string(20, '\0'),
                   "header body beyond the file");

    CString title(kUntouched);
    EXPECT_EQ(CPlayList::ReadTitle((m_dir / "missing.mid").c_str(), title), -1);
    EXPECT_EQ(title, kUntouched);
}

TEST_F(TitleReader, DamagedTracksNeverReadPastTheTrackOrTheFile) {
    ExpectFileName((Header() + Chunk("MTrk", Meta(3, "Overlong"))).substr(0, 30),
                   "name cut by the end of file");
    ExpectFileName(Header() + "MTrk" + BigEndian32(4) + Meta(3, "Outside"),
                   "name reaching past the track");
    ExpectFileName(Header() + "MTrk" + BigEndian32(0) + Meta(3, "Zero"), "track of length 0");
    ExpectFileName(Header() + "MTrk" + BigEndian32(0xFFFFFFFF) +
                       std::string("\x00\xFF\x03\xFF\xFF\xFF\x7F", 7) + "tiny",
                   "name longer than the file");
    ExpectFileName(Smf({std::string("\x00\xFF\x03\x80\x80\x80\x80\x05", 8) + "Hello"}),
                   "length of five bytes");
    ExpectFileName(Header() + "MTrk" + BigEndian32(100) + std::string("\x00\xFF\x03\x81", 4),
                   "length cut by the end");
    ExpectFileName(Header() + "MTrk" + BigEndian32(100) + std::string("\x00\xFF", 2),
                   "event head cut by the end");
    ExpectFileName(
        Header() + "MTrk" + BigEndian32(5000) + Meta(1, std::string(1000, 'x')).substr(0, 500),
        "skipped event cut by the end");
}

TEST(TitleReaderNumbers, VariableLengthQuantitiesOfUpToFourBytes) {
    qv::PosixFileSystem fs;
    qvtest::ScopedFileSystem installed(&fs);
    qvtest::TempDir dir;
    std::string path = dir.Write(
        "q.bin", std::string("\x00\x7F\x81\x00\xFF\xFF\xFF\x7F\x80\x80\x80\x80\x00\x81", 14));
    CFile file;
    ASSERT_TRUE(file.Open(path.c_str(), CFile::modeRead | CFile::shareDenyWrite));
    CFileInput input(file);
    DWORD used = 99;
    EXPECT_EQ(CPlayList::ReadVarLen(input, &used), 0);
    EXPECT_EQ(used, 1u);
    EXPECT_EQ(CPlayList::ReadVarLen(input), 0x7F);
    EXPECT_EQ(CPlayList::ReadVarLen(input, &used), 128);
    EXPECT_EQ(used, 2u);
    EXPECT_EQ(CPlayList::ReadVarLen(input, &used), 0x0FFFFFFF);
    EXPECT_EQ(used, 4u);
    EXPECT_EQ(CPlayList::ReadVarLen(input, &used), -1);  // a fifth byte would be needed
    EXPECT_EQ(used, 4u);
    EXPECT_EQ(CPlayList::ReadVarLen(input), 0);          // the byte after the refused four
    EXPECT_EQ(CPlayList::ReadVarLen(input, &used), -1);  // the file ends inside it
    EXPECT_EQ(used, 1u);

    const BYTE bytes[] = {0x12, 0x34, 0xFE, 0xDC};
    EXPECT_EQ(CPlayList::ReadBigEndian(bytes, 4), 0x1234FEDCu);
    EXPECT_EQ(CPlayList::ReadBigEndian(bytes + 2, 2), 0xFEDCu);
}
