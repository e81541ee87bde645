// What only the POSIX process backend does: quotes are not parsed (there is no one command-line
// text to parse), the execute permission decides, and children are reaped.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/process/ProcessContract.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using qvtest::Eventually;
class PosixProcessTest : public ProcessContract {};

TEST_F(PosixProcessTest, QuotesAreOrdinaryCharactersAndOnlyExecutablesStart) {
    ASSERT_TRUE(qv::StartProcess("recorder \"quoted arg\"", nullptr, SW_SHOWNA));
    EXPECT_EQ(Record(),
              (std::vector<std::string>{fs::current_path().string(), "[\"quoted]", "[arg\"]"}));
    fs::copy_file(m_dir / "recorder", m_dir / "plain");
    fs::permissions(m_dir / "plain", fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_FALSE(qv::StartProcess("plain", nullptr, SW_SHOWNA));
}

// Children that never end, such as a viewer left open, cost no thread each; they are reaped when
// they end, and a child the test starts itself keeps its exit status.
TEST_F(PosixProcessTest, ChildrenShareOneReaperThatLeavesOtherChildrenAlone) {
    char* argv[] = {const_cast<char*>("sh"), const_cast<char*>("-c"),
                    const_cast<char*>("sleep 0.5; exit 7"), nullptr};
    pid_t own = 0;
    ASSERT_EQ(::posix_spawnp(&own, "sh", nullptr, nullptr, argv, environ), 0);
    std::string pids = m_dir / "pids.txt";
    std::string sleeper =
        m_dir.Write("sleeper", "#!/bin/sh\necho $$ >> " + pids + "\nexec sleep 60\n");
    ::chmod(sleeper.c_str(), 0755);
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
