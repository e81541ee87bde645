// The program's own options: which answer each command line gets, what Qt is shown and what
// reaches the player, and the real program's exit statuses and streams without a display.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QGuiApplication>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "app/linux/CommandLine.h"
#include "companion/VersionInfo.h"
#include "platform/Installed.h"
#include "platform/posix/Version.h"
#include "platform/posix/files_posix.h"
#include "tests/support/FilesTempDir.h"

using qv::cli::Action;
using qv::cli::CommandLine;

namespace {

// main's argv over the caller's strings.
std::vector<char*> Argv(std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    return argv;
}

TEST(CommandLine, EachCommandLineGetsItsAnswer) {
    std::pair<std::vector<std::string>, Action> rows[] = {
        {{"quavel"}, Action::Run},
        {{"quavel", "a.mid", "-platform", "offscreen", "--new-instance"}, Action::Run},
        {{"quavel", "a.mid", "--help"}, Action::Help},
        {{"quavel", "--version", "--help"}, Action::Version},
        {{"quavel", "--list-outputs", "a.mid"}, Action::ListOutputs},
        // A mistyped option is an error even beside --help, never a file silently skipped.
        {{"quavel", "--help", "--verison"}, Action::Error},
        {{"quavel", "--", "--help", "--bogus"}, Action::Run},
    };
    for (auto& [args, action] : rows) {
        std::vector<char*> argv = Argv(args);
        EXPECT_EQ(CommandLine(static_cast<int>(argv.size()), argv.data()).GetAction(), action)
            << ::testing::PrintToString(args);
    }
}

// Qt takes its options only from before "--", so a file named like one of them still plays.
TEST(CommandLine, QtSeesNothingAfterTheEndOfOptions) {
    std::vector<std::string> args{"quavel", "-platform", "offscreen", "a.mid", "--new-instance",
                                  "--",     "-platform", "--help",    "b.mid"};
    std::vector<char*> argv = Argv(args);
    CommandLine commandLine(static_cast<int>(argv.size()), argv.data());
    QGuiApplication application(commandLine.QtArgc(), commandLine.QtArgv());
    char** player = commandLine.PlayerArgv();
    EXPECT_EQ(std::vector<std::string>(player, player + commandLine.PlayerArgc()),
              (std::vector<std::string>{"quavel", "a.mid", "-platform", "--help", "b.mid"}));
}

struct Outcome {
    int status = -1;
    std::string out, err;
    bool wroteSettings = false;
};

Outcome RunQuavel(const std::string& options) {
    qvtest::TempDir dir;
    // No display: the answers must not need one.
    std::string command =
        "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u "
        "QUAVEL_REGISTRY_FILE XDG_CONFIG_HOME=" +
        dir.Path() + " " + QV_BINARY_DIR + "/quavel " + options + " >" + dir / "out" + " 2>" +
        dir / "err";
    int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, qvtest::ReadAll(dir / "out"),
            qvtest::ReadAll(dir / "err"), std::filesystem::exists(dir / "quavel")};
}

TEST(CommandLine, TheProgramAnswersWithoutADisplay) {
    Outcome help = RunQuavel("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: quavel ", 0), 0u) << help.out;
    EXPECT_EQ(help.err, "");
    // The player itself cannot start: one line says so, nothing is written, and the status tells.
    Outcome player = RunQuavel(QV_SOURCE_DIR "/samples/music-box.mid");
    EXPECT_EQ(player.status, 2);
    EXPECT_EQ(player.err.find('\n'), player.err.size() - 1) << player.err;
    EXPECT_EQ(player.out, "");
    EXPECT_FALSE(player.wroteSettings);

    Outcome outputs = RunQuavel("--list-outputs");
    EXPECT_EQ(outputs.status, 0);
    EXPECT_EQ(outputs.out.rfind("fluidsynth ", 0), 0u) << outputs.out;

    Outcome wrong = RunQuavel("a.mid --frobnicate");
    EXPECT_EQ(wrong.status, qv::cli::kExitUsage);
    EXPECT_EQ(wrong.out, "");
    EXPECT_EQ(wrong.err, "quavel: unknown option '--frobnicate'\n" + qv::cli::UsageText());

    // The version comes from the program file's own resource, as the About box reads it.
    qv::PosixFileSystem files;
    qv::Installed<qv::IFileSystem, qv::InstallFileSystem> installFiles(files);
    qv::PosixVersion version;
    qv::Installed<qv::IVersion, qv::InstallVersion> installVersion(version);
    CVersionInfo info((std::string(QV_BINARY_DIR) + "/quavel").c_str());
    CString name, copyright;
    ASSERT_TRUE(info.QueryString("ProductName", name));
    ASSERT_TRUE(info.QueryString("LegalCopyright", copyright));
    Outcome shown = RunQuavel("--version");
    EXPECT_EQ(shown.status, 0);
    EXPECT_EQ(shown.out, std::string(name) + " " +
                             std::string(info.FormatProductVersion(1, 1, 1, 0)) + "\n" +
                             std::string(copyright) + "\n");
}

}  // namespace
