// Path splitting, comparisons and the trailing-separator test under the code-page rules of the
// two systems the program runs on.
#include <gtest/gtest.h>

#include <string>

#include "platform/files.h"
#include "platform/posix/files_posix.h"
#include "tests/support/FilesTempDir.h"

namespace {

// The POSIX backend dressed in another path syntax, for the rules that depend only on it.
class SyntaxFileSystem : public qv::PosixFileSystem {
public:
    explicit SyntaxFileSystem(qv::PathSyntax syntax) : m_syntax(syntax) {}
    qv::PathSyntax GetPathSyntax() override { return m_syntax; }

private:
    qv::PathSyntax m_syntax;
};

const qv::PathSyntax kShiftJis{932, '\\', '/', 1};
const qv::PathSyntax kUtf8Backslash{CP_UTF8, '\\', '/', 1};

struct Parts {
    int result;
    std::string drive, dir, fname, ext;
};

Parts Split(const char* path, std::size_t size = 512) {
    std::string drive(size, 'x'), dir(size, 'x'), fname(size, 'x'), ext(size, 'x');
    int result = qv::_splitpath_s(path, drive.data(), size, dir.data(), size, fname.data(), size,
                                  ext.data(), size);
    return {result, drive.c_str(), dir.c_str(), fname.c_str(), ext.c_str()};
}

class ShiftJisRules : public ::testing::Test {
protected:
    SyntaxFileSystem m_fs{kShiftJis};
    qvtest::ScopedFileSystem m_installed{&m_fs};
};

}  // namespace

TEST_F(ShiftJisRules, TrailByteBackslashIsNotASeparator) {
    EXPECT_TRUE(qv::IsLastCharSeparator("C:\\MUSIC\\"));
    EXPECT_FALSE(qv::IsLastCharSeparator("C:\\MUSIC\\\x83\x5C"));  // ends in katakana so
    EXPECT_TRUE(qv::IsLastCharSeparator("C:\\\x83\x5C\\"));
    EXPECT_FALSE(qv::IsLastCharSeparator(""));
    EXPECT_FALSE(qv::IsLastCharSeparator("\x83"));  // a lead byte cut off at the end
    // Just outside and just inside the two lead-byte ranges 0x81-0x9F and 0xE0-0xFC.
    for (const char* lead : {"\x80", "\xA0", "\xDF", "\xFD"})
        EXPECT_TRUE(qv::IsLastCharSeparator((std::string(lead) + "\\").c_str()))
            << int(lead[0] & 0xFF);
    for (const char* lead : {"\x81", "\x9F", "\xE0", "\xFC"})
        EXPECT_FALSE(qv::IsLastCharSeparator((std::string(lead) + "\\").c_str()))
            << int(lead[0] & 0xFF);
}

TEST(Utf8Rules, NoByteIsALeadByteSoTheSameBytesEndInASeparator) {
    SyntaxFileSystem fs(kUtf8Backslash);
    qvtest::ScopedFileSystem installed(&fs);
    EXPECT_TRUE(qv::IsLastCharSeparator("C:\\MUSIC\\\x83\x5C"));
    EXPECT_EQ(Split("\x83\x5C"
                    "a.mid")
                  .fname,
              "a");
}

TEST_F(ShiftJisRules, SplitsDriveFolderNameAndExtension) {
    Parts p = Split("C:\\MUSIC\\SONG.MID");
    EXPECT_EQ(p.result, 0);
    EXPECT_EQ(p.drive, "C:");
    EXPECT_EQ(p.dir, "\\MUSIC\\");
    EXPECT_EQ(p.fname, "SONG");
    EXPECT_EQ(p.ext, ".MID");

    p = Split("C:/a.b/c.d.mid");
    EXPECT_EQ(p.dir, "/a.b/");
    EXPECT_EQ(p.fname, "c.d");
    EXPECT_EQ(p.ext, ".mid");

    p = Split("\\\x83\x5C.MID");  // a name of one double-byte character ending in 0x5C
    EXPECT_EQ(p.dir, "\\");
    EXPECT_EQ(p.fname, "\x83\x5C");
    EXPECT_EQ(p.ext, ".MID");

    p = Split("folder.d\\noext");
    EXPECT_EQ(p.fname, "noext");
    EXPECT_EQ(p.ext, "");
}

TEST(PosixRules, SplitsAtSlashesOnlyAndKnowsNoDrives) {
    qv::PosixFileSystem fs;
    qvtest::ScopedFileSystem installed(&fs);
    Parts p = Split("C:x\\y/dir/na\\me.mid");
    EXPECT_EQ(p.drive, "");
    EXPECT_EQ(p.dir, "C:x\\y/dir/");
    EXPECT_EQ(p.fname, "na\\me");
    EXPECT_EQ(p.ext, ".mid");
}

TEST(PosixRules, SplittingNeverOverflowsAndEmptiesEveryPartWhenOneDoesNotFit) {
    qv::PosixFileSystem fs;
    qvtest::ScopedFileSystem installed(&fs);
    std::string longName = "/music/" + std::string(5000, 'n') + ".mid";
    Parts cut = Split(longName.c_str(), 257);
    EXPECT_NE(cut.result, 0);
    EXPECT_EQ(cut.dir, "");
    EXPECT_EQ(cut.fname, "");
    EXPECT_EQ(cut.ext, "");

    Parts whole = Split(longName.c_str(), longName.size() + 1);
    EXPECT_EQ(whole.result, 0);
    EXPECT_EQ(whole.fname.size(), 5000u);

    std::string name(8, 'x');
    EXPECT_EQ(qv::_splitpath_s("/a/b", nullptr, 0, nullptr, 0, name.data(), 2, nullptr, 0), 0);
    EXPECT_STREQ(name.c_str(), "b");
    EXPECT_NE(qv::_splitpath_s(nullptr, nullptr, 0, nullptr, 0, name.data(), 8, nullptr, 0), 0);
    EXPECT_STREQ(name.c_str(), "");
}

TEST_F(ShiftJisRules, ComparisonsTreatDoubleByteCharactersAsUnits) {
    EXPECT_EQ(qv::_mbsicmp("song.mid", "SONG.MID"), 0);
    EXPECT_EQ(qv::_mbsicmp(".MID", ".mid"), 0);
    // The trail bytes 0x41 and 0x61 look like 'A' and 'a' but belong to two different characters.
    EXPECT_NE(qv::_mbsicmp("\x83\x41", "\x83\x61"), 0);
    EXPECT_LT(qv::_mbsicmp("_", "a"), 0);  // letters compare folded to lower case
    EXPECT_NE(qv::_mbscmp("..", "."), 0);
    EXPECT_NE(qv::_mbscmp("a", "A"), 0);
}

TEST(Utf8Rules, CaseFoldingIsByteWiseWithoutLeadBytes) {
    qv::PosixFileSystem fs;
    qvtest::ScopedFileSystem installed(&fs);
    EXPECT_EQ(qv::_mbsicmp("\x83\x41", "\x83\x61"), 0);
    EXPECT_EQ(qv::_mbsicmp("Kyōto.MID", "KYōTO.mid"), 0);
    EXPECT_NE(qv::_mbsicmp("ō", "Ō"), 0);  // only ASCII letters fold
}

TEST(NoBackend, FileCallsFailWithNotSupported) {
    qvtest::ScopedFileSystem none(nullptr);
    qv::SetLastError(0);
    EXPECT_EQ(qv::CreateFileA("x", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(qv::GetLastError(), static_cast<std::uint32_t>(ERROR_NOT_SUPPORTED));
    qv::StatBuffer st{};
    EXPECT_EQ(qv::_stat("x", &st), -1);
    char buffer[MAX_PATH];
    EXPECT_EQ(qv::_fullpath(buffer, "x", sizeof buffer), nullptr);
    EXPECT_EQ(qv::GetPathSeparator(), '\\');
}
