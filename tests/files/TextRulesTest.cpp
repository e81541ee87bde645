// The code-page rules that paths and names of the 932 code page need.
#include <gtest/gtest.h>

#include <string>

#include "platform/files.h"
#include "platform/posix/files_posix.h"
#include "tests/support/FilesTempDir.h"

namespace {

// The POSIX backend dressed in the 932 code page's path syntax.
class ShiftJisFileSystem : public qv::PosixFileSystem {
public:
    qv::PathSyntax GetPathSyntax() override { return {932, '\\', '/', 1}; }
};

}  // namespace

TEST(ShiftJisRules, CaseInsensitiveCompareDoesNotFoldTheSecondByteOfACharacter) {
    ShiftJisFileSystem fs;
    qvtest::ScopedFileSystem installed(&fs);
    EXPECT_EQ(qv::_mbsicmp("song.mid", "SONG.MID"), 0);
    // The trail bytes 0x41 and 0x61 look like 'A' and 'a' but belong to two different characters.
    EXPECT_NE(qv::_mbsicmp("\x83\x41", "\x83\x61"), 0);
}

TEST(PosixRules, SplittingNeverOverflowsAndEmptiesEveryPartWhenOneDoesNotFit) {
    qv::PosixFileSystem fs;
    qvtest::ScopedFileSystem installed(&fs);
    const std::string longName = "/music/" + std::string(5000, 'n') + ".mid";
    std::string dir(257, 'x'), fname(257, 'x'), ext(257, 'x');
    EXPECT_NE(qv::_splitpath_s(longName.c_str(), nullptr, 0, dir.data(), dir.size(), fname.data(),
                               fname.size(), ext.data(), ext.size()),
              0);
    EXPECT_STREQ(dir.c_str(), "");
    EXPECT_STREQ(fname.c_str(), "");
    EXPECT_STREQ(ext.c_str(), "");
}
