#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "platform/posix/RegFormat.h"
#include "platform/posix/RegistryFile.h"
#include "tests/support/RegistryTestFile.h"

namespace {

using qv::HKEY;
using qv::posix::RegistryFile;
using qv::posix::RegKey;

constexpr const char* kKey = "Software\\Velmora\\Quavel32";

HKEY OpenSettings(RegistryFile& reg) {
    HKEY h = nullptr;
    EXPECT_EQ(reg.CreateKeyEx(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h,
                              nullptr),
              ERROR_SUCCESS);
    return h;
}

std::int32_t SetDword(RegistryFile& reg, HKEY h, const char* name, std::uint32_t n) {
    return reg.SetValueEx(h, name, 0, REG_DWORD, reinterpret_cast<const std::uint8_t*>(&n), 4);
}

// The file as a tree; fails the test when it does not parse.
std::unique_ptr<RegKey> ParseFile(const std::string& path) {
    auto top = std::make_unique<RegKey>("");
    qv::posix::RegParseError error;
    EXPECT_TRUE(ParseRegText(qv::test::ReadWholeFile(path), *top, &error))
        << path << " line " << error.line << ": " << error.message;
    return top;
}

const RegKey* SettingsKey(const RegKey& top) {
    const RegKey* key = top.FindSubKey("HKEY_CURRENT_USER");
    for (const char* name : {"Software", "Velmora", "Quavel32"}) key = key ? key->FindSubKey(name) : nullptr;
    return key;
}

std::uint32_t DwordOf(const RegKey& key, const char* name) {
    const qv::posix::RegValue* v = key.FindValue(name);
    if (!v || v->data.size() != 4) return 0xDEADBEEF;
    return v->data[0] | (v->data[1] << 8) | (v->data[2] << 16) | (std::uint32_t(v->data[3]) << 24);
}

std::vector<std::string> FilesIn(const std::string& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    return names;
}

TEST(RegistryFile, ChangesReachTheFileWhenTheLastKeyIsClosedAndOnlyThen) {
    qv::test::RegistryTempDir dir;
    std::string path = dir.File("sub/folder/registry.reg");
    {
        RegistryFile reg(path);
        HKEY hOuter = OpenSettings(reg);
        HKEY hInner = OpenSettings(reg);
        EXPECT_EQ(SetDword(reg, hInner, "YesLoop", 1), ERROR_SUCCESS);
        EXPECT_EQ(reg.CloseKey(hInner), ERROR_SUCCESS);
        EXPECT_FALSE(std::filesystem::exists(path)) << "a key is still open: nothing written yet";
        EXPECT_EQ(reg.CloseKey(hOuter), ERROR_SUCCESS);
        ASSERT_TRUE(std::filesystem::exists(path));
        EXPECT_EQ(std::filesystem::status(path).permissions() & std::filesystem::perms::all,
                  std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    }
    RegistryFile again(path);
    HKEY h = OpenSettings(again);
    std::uint32_t values = 0;
    EXPECT_EQ(again.QueryInfoKey(h, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                                 nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(values, 1u);
    again.CloseKey(h);
}

TEST(RegistryFile, TwoWritersKeepEachOthersValuesAndTheLatestWriteWins) {
    qv::test::RegistryTempDir dir;
    std::string path = dir.File("registry.reg");
    RegistryFile first(path), second(path);
    HKEY h1 = OpenSettings(first);
    HKEY h2 = OpenSettings(second);  // loaded before the first one writes anything
    SetDword(first, h1, "Shared", 1);
    SetDword(first, h1, "OnlyFirst", 10);
    ASSERT_EQ(first.CloseKey(h1), ERROR_SUCCESS);
    SetDword(second, h2, "Shared", 2);
    SetDword(second, h2, "OnlySecond", 20);
    ASSERT_EQ(second.CloseKey(h2), ERROR_SUCCESS);

    auto top = ParseFile(path);
    const RegKey* key = SettingsKey(*top);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(DwordOf(*key, "OnlyFirst"), 10u);
    EXPECT_EQ(DwordOf(*key, "OnlySecond"), 20u);
    EXPECT_EQ(DwordOf(*key, "Shared"), 2u);

    // A key opened later sees what the other writer wrote.
    h1 = OpenSettings(first);
    std::uint32_t values = 0;
    first.QueryInfoKey(h1, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                       nullptr, nullptr, nullptr);
    EXPECT_EQ(values, 3u);
    first.CloseKey(h1);
}

TEST(RegistryFile, ADamagedFileIsKeptAsideAndTheRegistryStartsEmpty) {
    qv::test::RegistryTempDir dir;
    std::string path = dir.File("registry.reg");
    const std::string damaged = "REGEDIT4\r\n[HKEY_CURRENT_USER\\Software]\r\n\"x\"=dword:zz\r\n";
    qv::test::WriteWholeFile(path, damaged);

    testing::internal::CaptureStderr();
    {
        RegistryFile reg(path);
        HKEY h = OpenSettings(reg);
        std::uint32_t values = 99;
        reg.QueryInfoKey(h, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                         nullptr, nullptr, nullptr, nullptr);
        EXPECT_EQ(values, 0u);
        SetDword(reg, h, "YesLoop", 1);
        EXPECT_EQ(reg.CloseKey(h), ERROR_SUCCESS);
    }
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("damaged"), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;

    std::string aside;
    for (const std::string& name : FilesIn(dir.Path()))
        if (name.rfind("registry.reg.damaged-", 0) == 0) aside = name;
    ASSERT_FALSE(aside.empty());
    EXPECT_EQ(qv::test::ReadWholeFile(dir.File(aside)), damaged);
    EXPECT_EQ(DwordOf(*SettingsKey(*ParseFile(path)), "YesLoop"), 1u);
}

TEST(RegistryFile, AFileThatCannotBeReadIsLeftAloneAndTheChangesWait) {
    qv::test::RegistryTempDir dir;
    std::string path = dir.File("registry.reg");
    std::filesystem::create_directory(path);  // reading it fails, as an I/O error would
    RegistryFile reg(path);
    testing::internal::CaptureStderr();
    HKEY h = OpenSettings(reg);
    SetDword(reg, h, "YesLoop", 1);
    EXPECT_EQ(reg.CloseKey(h), ERROR_CANTWRITE);
    testing::internal::GetCapturedStderr();
    EXPECT_TRUE(std::filesystem::is_directory(path));
    EXPECT_EQ(FilesIn(dir.Path()).size(), 2u) << "only the folder and the lock file";

    std::filesystem::remove(path);
    EXPECT_EQ(reg.Flush(), ERROR_SUCCESS);
    EXPECT_EQ(DwordOf(*SettingsKey(*ParseFile(path)), "YesLoop"), 1u);
}

TEST(RegistryFile, DefaultPathFollowsTheEnvironment) {
    struct SavedEnv {
        const char* name;
        std::string value;
        bool set;
    };
    std::vector<SavedEnv> saved;
    for (const char* name : {"QUAVEL_REGISTRY_FILE", "XDG_CONFIG_HOME", "HOME"}) {
        const char* v = std::getenv(name);
        saved.push_back({name, v ? v : "", v != nullptr});
    }
    ::unsetenv("QUAVEL_REGISTRY_FILE");
    ::setenv("HOME", "/home/someone", 1);
    ::setenv("XDG_CONFIG_HOME", "/cfg", 1);
    EXPECT_EQ(RegistryFile::DefaultPath(), "/cfg/quavel/registry.reg");
    ::setenv("XDG_CONFIG_HOME", "relative", 1);
    EXPECT_EQ(RegistryFile::DefaultPath(), "/home/someone/.config/quavel/registry.reg");
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(RegistryFile::DefaultPath(), "/home/someone/.config/quavel/registry.reg");
    ::setenv("QUAVEL_REGISTRY_FILE", "/tmp/x.reg", 1);
    EXPECT_EQ(RegistryFile::DefaultPath(), "/tmp/x.reg");
    for (const SavedEnv& env : saved) {
        if (env.set)
            ::setenv(env.name, env.value.c_str(), 1);
        else
            ::unsetenv(env.name);
    }
}

// Saves 40 values that all hold the generation number, generation after generation, forever.
[[noreturn]] void SaveForever(const std::string& path) {
    RegistryFile reg(path);
    const std::string padding(200, 'p');
    for (std::uint32_t generation = 1;; ++generation) {
        HKEY h = OpenSettings(reg);
        for (int i = 0; i < 40; ++i) {
            std::string name = "v" + std::to_string(i);
            SetDword(reg, h, name.c_str(), generation);
        }
        reg.SetValueEx(h, "padding", 0, REG_SZ, reinterpret_cast<const std::uint8_t*>(padding.data()),
                       static_cast<std::uint32_t>(padding.size()));
        reg.CloseKey(h);
    }
}

TEST(RegistryFileDurability, AProcessKilledWhileSavingLeavesTheOldOrTheNewFile) {
    qv::test::RegistryTempDir dir;
    std::string path = dir.File("registry.reg");
    std::mt19937 random(12345);
    for (int round = 0; round < 6; ++round) {
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) SaveForever(path);
        ::usleep(5000 + random() % 30000);  // a random moment somewhere in a save
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status));
        if (!std::filesystem::exists(path)) continue;  // killed before its first save
        auto top = ParseFile(path);
        const RegKey* key = SettingsKey(*top);
        ASSERT_NE(key, nullptr);
        ASSERT_EQ(key->ValueCount(), 41u);
        std::uint32_t generation = DwordOf(*key, "v0");
        for (int i = 1; i < 40; ++i)
            EXPECT_EQ(DwordOf(*key, ("v" + std::to_string(i)).c_str()), generation) << round;
    }
    RegistryFile reg(path);
    HKEY h = OpenSettings(reg);
    SetDword(reg, h, "after", 1);
    EXPECT_EQ(reg.CloseKey(h), ERROR_SUCCESS);
    for (const std::string& name : FilesIn(dir.Path()))
        EXPECT_EQ(name.find(".tmp-"), std::string::npos) << "left over: " << name;
}

TEST(RegistryFileDurability, TwoProcessesWritingAtOnceBothKeepTheirValues) {
    qv::test::RegistryTempDir dir;
    std::string path = dir.File("registry.reg");
    constexpr int kRounds = 15;
    std::vector<pid_t> children;
    for (int k = 0; k < 2; ++k) {
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            RegistryFile reg(path);
            bool ok = true;
            for (int i = 0; i < kRounds; ++i) {
                HKEY h = OpenSettings(reg);
                std::string name = "p" + std::to_string(k) + "-" + std::to_string(i);
                ok = SetDword(reg, h, name.c_str(), static_cast<std::uint32_t>(i)) == 0 && ok;
                ok = reg.CloseKey(h) == ERROR_SUCCESS && ok;
            }
            ::_exit(ok ? 0 : 1);
        }
        children.push_back(child);
    }
    for (pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    auto top = ParseFile(path);
    const RegKey* key = SettingsKey(*top);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->ValueCount(), 2u * kRounds);
    for (int k = 0; k < 2; ++k)
        for (int i = 0; i < kRounds; ++i)
            EXPECT_EQ(DwordOf(*key, ("p" + std::to_string(k) + "-" + std::to_string(i)).c_str()),
                      static_cast<std::uint32_t>(i));
}

}  // namespace
