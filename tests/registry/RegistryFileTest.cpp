#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <optional>
#include <random>
#include <sstream>
#include <vector>

#include "platform/posix/RegistryFile.h"
#include "tests/support/RegistryTestFile.h"

namespace {

using qv::HKEY;
using qv::posix::RegistryFile;

HKEY OpenSettings(RegistryFile& reg) {
    HKEY h = nullptr;
    EXPECT_EQ(reg.CreateKeyEx(HKEY_CURRENT_USER, "Software\\Velmora\\Quavel32", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &h, nullptr),
              ERROR_SUCCESS);
    return h;
}

std::int32_t SetDword(RegistryFile& reg, HKEY h, const std::string& name, std::uint32_t n) {
    return reg.SetValueEx(h, name.c_str(), 0, REG_DWORD, reinterpret_cast<std::uint8_t*>(&n), 4);
}

// The dword values of the file on disk by name, as its lines hold them.
std::map<std::string, std::uint32_t> Dwords(const std::string& path) {
    std::map<std::string, std::uint32_t> values;
    std::istringstream in(qvtest::ReadAll(path));
    for (std::string line; std::getline(in, line);)
        if (std::size_t eq = line.find("\"=dword:"); eq != std::string::npos)
            values[line.substr(1, eq - 1)] = std::stoul(line.substr(eq + 8), nullptr, 16);
    return values;
}

TEST(RegistryFile, ChangesReachTheFileWhenTheLastKeyIsClosedAndWritersKeepEachOthers) {
    qvtest::TempDir dir;
    std::string path = dir / "sub/folder/registry.reg";
    RegistryFile first(path), second(path);
    HKEY hOuter = OpenSettings(first);
    HKEY h1 = OpenSettings(first);
    HKEY h2 = OpenSettings(second);  // loaded before the first one writes anything
    SetDword(first, h1, "Shared", 1);
    SetDword(first, h1, "OnlyFirst", 10);
    EXPECT_EQ(first.CloseKey(h1), ERROR_SUCCESS);
    EXPECT_FALSE(std::filesystem::exists(path)) << "a key is still open: nothing written yet";
    EXPECT_EQ(first.CloseKey(hOuter), ERROR_SUCCESS);
    EXPECT_EQ(std::filesystem::status(path).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    SetDword(second, h2, "Shared", 2);
    SetDword(second, h2, "OnlySecond", 20);
    ASSERT_EQ(second.CloseKey(h2), ERROR_SUCCESS);
    h1 = OpenSettings(first);
    std::uint32_t values = 0;
    first.QueryInfoKey(h1, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                       nullptr, nullptr, nullptr);
    EXPECT_EQ(values, 3u) << "a key opened later sees the other writer's values";
    first.CloseKey(h1);

    EXPECT_EQ(SetDword(first, HKEY_CURRENT_USER, "AtTheRoot", 5), ERROR_SUCCESS);
    EXPECT_EQ(Dwords(path),
              (std::map<std::string, std::uint32_t>{
                  {"Shared", 2}, {"OnlyFirst", 10}, {"OnlySecond", 20}, {"AtTheRoot", 5}}))
        << "the latest write wins, and a value set with no key open is written at once";
}

// Saves a change through the backend, as one run of the program would; answers what it said.
std::string Save(RegistryFile& reg, std::int32_t expected = ERROR_SUCCESS) {
    testing::internal::CaptureStderr();
    HKEY h = OpenSettings(reg);
    SetDword(reg, h, "YesLoop", 1);
    EXPECT_EQ(reg.CloseKey(h), expected);
    return testing::internal::GetCapturedStderr();
}
std::string SaveOnce(const std::string& path, std::int32_t expected = ERROR_SUCCESS) {
    RegistryFile reg(path);
    return Save(reg, expected);
}

// Lines the editor would skip are skipped; a file that is no registry file at all is set aside;
// either way the file as it was is kept, and an empty file is simply an empty registry.
TEST(RegistryFile, WhatCannotBeReadIsSkippedOrSetAsideAndTheFileAsItWasIsKept) {
    qvtest::TempDir dir;
    std::string path = dir / "registry.reg";
    const std::string edited =
        "REGEDIT4\r\n[HKEY_CURRENT_USER\\Software\\Velmora\\Quavel32]\r\n"
        "\"x\"=dword:zz\r\n\"Kept\"=dword:00000007\r\n\"y\"=hex:01,\r\n";
    for (const std::string& text : {edited, std::string("no header\r\n"), std::string()}) {
        dir.Write("registry.reg", text);
        std::string said = SaveOnce(path);
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), text.empty() ? 0 : 1) << said;
        EXPECT_EQ(Dwords(path).size(), text == edited ? 2u : 1u) << text;
        EXPECT_EQ(said.find("lines 3, 5") != std::string::npos, text == edited) << said;
    }
    std::vector<std::string> copies;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        if (entry.path().filename().string().starts_with("registry.reg.damaged-"))
            copies.push_back(qvtest::ReadAll(entry.path()));
    std::sort(copies.begin(), copies.end());
    EXPECT_EQ(copies, (std::vector<std::string>{edited, "no header\r\n"}));
}

// A pipe would block, a device never end, a folder fail at quit: each is refused in one line
// before anything is read, and not tried again in the run; the changes wait for a usable file.
TEST(RegistryFile, WhatIsNotARegularFileOrTooLargeIsRefusedInOneLineAndLeftAlone) {
    qvtest::TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "fifo.reg").c_str(), 0600), 0);
    ASSERT_EQ(::symlink("/dev/zero", (dir / "zero.reg").c_str()), 0);
    std::filesystem::create_directory(dir / "folder.reg");
    std::filesystem::resize_file(dir.Write("huge.reg", "REGEDIT4\r\n"), (64u << 20) + 1);
    for (const char* name : {"fifo.reg", "zero.reg", "folder.reg", "huge.reg"}) {
        std::string said = SaveOnce(dir / name, ERROR_CANTWRITE);
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << name << ": " << said;
        EXPECT_NE(said.find(name), std::string::npos) << said;
    }
    EXPECT_EQ(std::filesystem::file_size(dir / "huge.reg"), (64u << 20) + 1);

    RegistryFile reg(dir / "folder.reg");
    Save(reg, ERROR_CANTWRITE);
    std::filesystem::remove(dir / "folder.reg");
    EXPECT_EQ(reg.Flush(), ERROR_SUCCESS);
    EXPECT_EQ(Dwords(dir / "folder.reg")["YesLoop"], 1u);
}

TEST(RegistryFile, SavingKeepsALinkAndTheFilesModeAndSaysOnceWhenItCannot) {
    qvtest::TempDir dir;
    std::string target = dir.Write("real/settings.reg", "REGEDIT4\r\n");
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    ASSERT_EQ(::symlink("real/settings.reg", (dir / "registry.reg").c_str()), 0);
    SaveOnce(dir / "registry.reg");
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "registry.reg"));
    EXPECT_EQ(Dwords(target)["YesLoop"], 1u);
    EXPECT_EQ(std::filesystem::status(target).permissions() & std::filesystem::perms::all,
              std::filesystem::perms(0640));

    if (::geteuid() == 0) GTEST_SKIP() << "a folder is never read-only to root";
    ASSERT_EQ(::chmod((dir / "real").c_str(), 0500), 0);
    std::string said = SaveOnce(dir / "real/other.reg", ERROR_CANTWRITE);
    ::chmod((dir / "real").c_str(), 0700);
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
}

TEST(RegistryFile, DefaultPathFollowsTheEnvironment) {
    const char* names[] = {"QUAVEL_REGISTRY_FILE", "XDG_CONFIG_HOME", "HOME"};
    std::optional<std::string> saved[3];
    for (int i = 0; i < 3; ++i)
        if (const char* value = std::getenv(names[i])) saved[i] = value;
    ::unsetenv("QUAVEL_REGISTRY_FILE");
    ::setenv("HOME", "/home/someone", 1);
    ::setenv("XDG_CONFIG_HOME", "/cfg", 1);
    EXPECT_EQ(RegistryFile::DefaultPath(), "/cfg/quavel/registry.reg");
    ::setenv("XDG_CONFIG_HOME", "relative", 1);  // to be ignored
    EXPECT_EQ(RegistryFile::DefaultPath(), "/home/someone/.config/quavel/registry.reg");
    ::setenv("QUAVEL_REGISTRY_FILE", "/tmp/x.reg", 1);
    EXPECT_EQ(RegistryFile::DefaultPath(), "/tmp/x.reg");
    for (int i = 0; i < 3; ++i)
        saved[i] ? ::setenv(names[i], saved[i]->c_str(), 1) : ::unsetenv(names[i]);
}

// Saves 40 values named after the process that all hold the generation number, forever.
[[noreturn]] void SaveForever(const std::string& path, const std::string& prefix) {
    RegistryFile reg(path);
    for (std::uint32_t generation = 1;; ++generation) {
        HKEY h = OpenSettings(reg);
        for (int i = 0; i < 40; ++i) SetDword(reg, h, prefix + std::to_string(i), generation);
        reg.CloseKey(h);
    }
}

// Two processes save at once and are killed at random moments: the file is always a whole one,
// each process's values all of one save, and no value once saved is lost to the other's save.
TEST(RegistryFileDurability, ProcessesKilledWhileSavingAtOnceLeaveAWholeFileWithAllValues) {
    qvtest::TempDir dir;
    std::string path = dir / "registry.reg";
    std::mt19937 random(12345);
    std::size_t seen = 0;
    for (int round = 0; round < 6; ++round) {
        pid_t children[2];
        for (int k = 0; k < 2; ++k) {
            children[k] = ::fork();
            ASSERT_GE(children[k], 0);
            if (children[k] == 0) SaveForever(path, k ? "b" : "a");
        }
        // Once both have saved (a lock is not fair), at a random moment somewhere in a save.
        for (int wait = 0; wait < 5000 && Dwords(path).size() < 80; ++wait) ::usleep(1000);
        ::usleep(5000 + random() % 30000);
        for (pid_t child : children) {
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
        }
        std::map<std::string, std::uint32_t> values = Dwords(path);
        EXPECT_EQ(values.size() % 40, 0u) << round;
        EXPECT_GE(values.size(), seen) << round;
        seen = values.size();
        for (const auto& [name, generation] : values)
            EXPECT_EQ(generation, values[name.substr(0, 1) + "0"]) << round << " " << name;
    }
    EXPECT_EQ(seen, 80u) << "both processes saved";
    SaveOnce(path);
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos)
            << entry.path();
}

}  // namespace
