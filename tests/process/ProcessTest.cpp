#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/Installed.h"
#include "platform/posix/Process.h"
#include "tests/support/FilesTempDir.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

// Waits for a condition that only another process can bring about; fails after ten seconds.
template <typename Condition>
bool Eventually(Condition condition) {
    for (int i = 0; i < 1000 && !condition(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return condition();
}

// A recorder program: writes its current folder and arguments, one a line, to the file named by
// QV_RECORD (renamed into place, so that a reader never sees half of it).
constexpr char kRecorder[] =
    "#!/bin/sh\n"
    "{ pwd -P; for a in \"$@\"; do echo \"[$a]\"; done; } > \"$QV_RECORD.tmp\"\n"
    "mv \"$QV_RECORD.tmp\" \"$QV_RECORD\"\n";

class ProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_record = m_dir / "record.txt";
        ::setenv("QV_RECORD", m_record.c_str(), 1);
        // Programs are found on the path, as a command typed without its folder expects.
        ::setenv("PATH", (m_dir.Path() + ":" + m_path).c_str(), 1);
        WriteScript("recorder", kRecorder, 0755);
    }
    void TearDown() override {
        ::setenv("PATH", m_path.c_str(), 1);
        ::unsetenv("QV_RECORD");
    }

    std::string WriteScript(const std::string& name, const std::string& text, mode_t mode) {
        std::string path = m_dir.Write(name, text);
        ::chmod(path.c_str(), mode);
        return path;
    }

    // The recorder's lines once it has finished: folder, then each argument in brackets.
    std::vector<std::string> Record() {
        std::vector<std::string> lines;
        std::ifstream in(Eventually([&] { return fs::exists(m_record); }) ? m_record : "");
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    qv::PosixProcess m_backend;
    qv::Installed<qv::IProcess, qv::InstallProcess> m_installed{m_backend};
    qvtest::TempDir m_dir;
    std::string m_path = ::getenv("PATH") ? ::getenv("PATH") : "";
    std::string m_record;
};

// The command line is split at runs of blanks and nothing else, as the stored commands expect; the
// appended path stays one argument whatever it holds.
TEST_F(ProcessTest, CommandLineIsSplitAtRunsOfBlanksOnlyAndThePathStaysWhole) {
    ASSERT_TRUE(qv::StartProcess("  recorder   C:\\MY SONG.TXT  \"quoted arg\" ",
                                 "/x/evil -rf x.TXT", SW_SHOWNA));
    EXPECT_EQ(Record(),
              (std::vector<std::string>{fs::current_path().string(), "[C:\\MY]", "[SONG.TXT]",
                                        "[\"quoted]", "[arg\"]", "[/x/evil -rf x.TXT]"}));
}

// Where programs get one command-line text, the path is quoted as the C run-time library parses it.
TEST(QuoteArgument, BackslashesAreDoubledOnlyBeforeAQuote) {
    EXPECT_EQ(qv::QuoteArgument("C:\\My Music\\a b.TXT"), "\"C:\\My Music\\a b.TXT\"");
    EXPECT_EQ(qv::QuoteArgument("say \"hi\\\""), "\"say \\\"hi\\\\\\\"\"");
    EXPECT_EQ(qv::QuoteArgument("C:\\dir\\"), "\"C:\\dir\\\\\"");
    EXPECT_EQ(qv::QuoteArgument(""), "\"\"");
}

TEST_F(ProcessTest, FailureToStartIsReported) {
    std::string notExecutable = WriteScript("plain", kRecorder, 0644);
    for (const char* command : {"no-such-program", "qv-no-such-program-anywhere arg", "plain",
                                m_dir.Path().c_str(), "    ", static_cast<const char*>(nullptr)})
        EXPECT_FALSE(qv::StartProcess(command, nullptr, SW_SHOWNA)) << command;
}

// Children that never end, such as a viewer left open, cost no thread each; they are reaped when
// they end, and a child the test starts itself keeps its exit status.
TEST_F(ProcessTest, ChildrenShareOneReaperThatLeavesOtherChildrenAlone) {
    char* argv[] = {const_cast<char*>("sh"), const_cast<char*>("-c"),
                    const_cast<char*>("sleep 0.5; exit 7"), nullptr};
    pid_t own = 0;
    ASSERT_EQ(::posix_spawnp(&own, "sh", nullptr, nullptr, argv, environ), 0);
    std::string pids = m_dir / "pids.txt";
    WriteScript("sleeper", "#!/bin/sh\necho $$ >> " + pids + "\nexec sleep 60\n", 0755);
    auto threads = [] {
        return std::distance(fs::directory_iterator("/proc/self/task"), fs::directory_iterator());
    };
    ASSERT_TRUE(qv::StartProcess("sleeper", nullptr, SW_SHOWNA));
    long before = threads();
    for (int i = 0; i < 7; ++i) ASSERT_TRUE(qv::StartProcess("sleeper", nullptr, SW_SHOWNA));
    EXPECT_LE(threads(), before);
    std::vector<pid_t> started;
    ASSERT_TRUE(Eventually([&] {
        std::ifstream in(pids);
        started.clear();
        for (pid_t pid; in >> pid;) started.push_back(pid);
        return started.size() == 8;
    }));
    for (pid_t pid : started) ::kill(pid, SIGKILL);
    for (pid_t pid : started)
        EXPECT_TRUE(Eventually([&] { return !fs::exists("/proc/" + std::to_string(pid)); }))
            << "child " << pid << " left a zombie";
    int status = 0;
    ASSERT_EQ(::waitpid(own, &status, 0), own);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 7);
}

}  // namespace
