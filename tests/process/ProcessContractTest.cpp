// The process seam's contract, on the system's own backend (POSIX on Linux, Win32 in the Windows
// build): the started program is a recorder that writes back what it was given.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/process/ProcessContract.h"

namespace {

namespace fs = std::filesystem;

// The pieces of the command line are split at runs of blanks and nothing else, the program is found
// on the path as a command typed without its folder expects, and the appended path arrives whole
// whatever it holds: blanks, a leading slash or dash, quotes and backslashes.
TEST_F(ProcessContract, CommandLineIsSplitAtRunsOfBlanksAndThePathArrivesWhole) {
    const std::string folder = fs::current_path().string();
    for (const char* path : {"/x/evil -rf x.TXT", "C:\\a \"b\"\\ c\\"}) {
        ASSERT_TRUE(qv::StartProcess("  recorder   C:\\MY SONG.TXT  --flag ", path, SW_SHOWNA));
        EXPECT_EQ(Record(), (std::vector<std::string>{folder, "[C:\\MY]", "[SONG.TXT]", "[--flag]",
                                                      "[" + std::string(path) + "]"}));
    }
    ASSERT_TRUE(qv::StartProcess("recorder", nullptr, SW_SHOWNA));
    EXPECT_EQ(Record(), std::vector<std::string>{folder}) << "no argument is made up";
}

TEST_F(ProcessContract, FailureToStartIsReported) {
    for (const char* command :
         {"no-such-program", "qv-no-such-program-anywhere arg", m_dir.Path().c_str(), "    ", "",
          static_cast<const char*>(nullptr)})
        EXPECT_FALSE(qv::StartProcess(command, nullptr, SW_SHOWNA)) << command;
}

// Where programs get one command-line text, the path is quoted as the C run-time library parses it.
TEST(QuoteArgument, BackslashesAreDoubledOnlyBeforeAQuote) {
    EXPECT_EQ(qv::QuoteArgument("C:\\My Music\\a b.TXT"), "\"C:\\My Music\\a b.TXT\"");
    EXPECT_EQ(qv::QuoteArgument("say \"hi\\\""), "\"say \\\"hi\\\\\\\"\"");
    EXPECT_EQ(qv::QuoteArgument("C:\\dir\\"), "\"C:\\dir\\\\\"");
    EXPECT_EQ(qv::QuoteArgument(""), "\"\"");
}

}  // namespace
