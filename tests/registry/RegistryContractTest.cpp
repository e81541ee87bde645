// What every registry backend must answer, call by call, as the Win32 registry does: the system's
// backend of the test registry (a file on Linux, the system's own registry on Windows).
#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include <vector>

#include "platform/registry.h"
#include "tests/support/RegistryTestFile.h"
#include "tests/support/Wine.h"

namespace {

using qv::HKEY;
using Value = std::tuple<std::string, std::uint32_t, std::string>;  // name, type, data

class RegistryContract : public ::testing::Test {
protected:
    void SetUp() override { m_hTest = Create("Software\\QuavelContractTest"); }
    void TearDown() override {
        for (HKEY h : m_opened) qv::RegCloseKey(h);
    }

    // Creates or opens a key below the test key (the test key itself below HKEY_CURRENT_USER).
    HKEY Create(const char* path, qv::REGSAM sam = KEY_ALL_ACCESS, std::string cls = "",
                std::uint32_t* disposition = nullptr) {
        HKEY h = nullptr;
        EXPECT_EQ(qv::RegCreateKeyExA(m_hTest, path, 0, cls.empty() ? nullptr : cls.data(), 0, sam,
                                      nullptr, &h, disposition),
                  ERROR_SUCCESS)
            << path;
        m_opened.push_back(h);
        return h;
    }
    std::int32_t Set(HKEY h, const char* name, std::uint32_t type, std::string_view data) {
        return qv::RegSetValueExA(h, name, 0, type,
                                  reinterpret_cast<const std::uint8_t*>(data.data()),
                                  static_cast<std::uint32_t>(data.size()));
    }
    std::vector<Value> AllValues(HKEY h) {
        std::vector<Value> values;
        char name[256];
        std::uint8_t data[1024];
        for (std::uint32_t cchName = sizeof name, cbData = sizeof data, type = 0;
             qv::RegEnumValueA(h, static_cast<std::uint32_t>(values.size()), name, &cchName,
                               nullptr, &type, data, &cbData) == ERROR_SUCCESS;
             cchName = sizeof name, cbData = sizeof data)
            values.emplace_back(std::string(name, cchName), type,
                                std::string(reinterpret_cast<char*>(data), cbData));
        return values;
    }
    std::vector<std::string> AllSubKeys(HKEY h) {
        std::vector<std::string> names;
        char name[256];
        for (std::uint32_t cchName = sizeof name;
             qv::RegEnumKeyExA(h, static_cast<std::uint32_t>(names.size()), name, &cchName, nullptr,
                               nullptr, nullptr, nullptr) == ERROR_SUCCESS;
             cchName = sizeof name)
            names.emplace_back(name, cchName);
        return names;
    }

    qv::test::ScopedFileRegistry m_registry;
    HKEY m_hTest = HKEY_CURRENT_USER;
    std::vector<HKEY> m_opened;
};

TEST_F(RegistryContract, CreateMakesMissingParentsAndOpenFindsOnlyWhatExists) {
    std::uint32_t disposition = 0;
    Create("a\\b\\c", KEY_ALL_ACCESS, "", &disposition);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    Create("a\\b", KEY_ALL_ACCESS, "", &disposition);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);

    HKEY h = nullptr;
    EXPECT_EQ(qv::RegOpenKeyExA(m_hTest, "a\\missing", 0, KEY_READ, &h), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(qv::RegOpenKeyExA(m_hTest, "a\\b", 0, KEY_READ, &h), ERROR_SUCCESS);
    EXPECT_EQ(AllSubKeys(h), std::vector<std::string>{"c"});
    EXPECT_EQ(qv::RegCloseKey(h), ERROR_SUCCESS);
    EXPECT_EQ(AllSubKeys(m_hTest), std::vector<std::string>{"a"});

    // An empty path opens the same key again.
    ASSERT_EQ(qv::RegOpenKeyExA(m_hTest, "", 0, KEY_ALL_ACCESS, &h), ERROR_SUCCESS);
    EXPECT_EQ(Set(h, "via-second-handle", REG_BINARY, "x"), ERROR_SUCCESS);
    EXPECT_EQ(qv::RegCloseKey(h), ERROR_SUCCESS);
    EXPECT_EQ(AllValues(m_hTest).size(), 1u);

    // Names match without regard to case and keep their first spelling.
    h = Create("A\\B");
    Set(h, "Name", REG_BINARY, "first");
    Set(h, "NAME", REG_BINARY, "second");
    EXPECT_EQ(AllValues(h), (std::vector<Value>{{"Name", REG_BINARY, "second"}}));
    EXPECT_EQ(AllSubKeys(m_hTest), std::vector<std::string>{"a"});
}

TEST_F(RegistryContract, QueryInfoCountsAndMeasuresInBytesWithoutTheZero) {
    Create("k1");
    Create("a-longer-name", KEY_ALL_ACCESS, "SomeClass");
    Set(m_hTest, "x", REG_SZ, "abc");
    Set(m_hTest, "longest", REG_BINARY, std::string(10, '\xFF'));

    std::uint32_t n[6] = {99, 99, 99, 99, 99, 99};
    ASSERT_EQ(qv::RegQueryInfoKeyA(m_hTest, nullptr, nullptr, nullptr, &n[0], &n[1], &n[2], &n[3],
                                   &n[4], &n[5], nullptr, nullptr),
              ERROR_SUCCESS);
    const std::uint32_t expected[6] = {2, 13, 9, 2, 7, 10};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(n[i], expected[i]) << "field " << i;

    char cls[64];
    std::uint32_t cchClass = sizeof cls;
    qv::FILETIME ft{};
    ASSERT_EQ(qv::RegQueryInfoKeyA(Create("empty"), cls, &cchClass, nullptr, &n[0], &n[1], &n[2],
                                   &n[3], &n[4], &n[5], nullptr, &ft),
              ERROR_SUCCESS);
    EXPECT_EQ(cchClass + n[0] + n[1] + n[2] + n[3] + n[4] + n[5], 0u);
    EXPECT_NE(ft.dwHighDateTime, 0u) << "a last-write time is reported";
}

TEST_F(RegistryContract, ValuesComeBackInOrderOfCreationWithTheirExactBytes) {
    HKEY h = Create("values");
    Set(h, "zeta", REG_SZ, "abc");  // no terminating zero; replaced below, keeping its place
    std::vector<Value> expected = {
        {"zeta", REG_DWORD_BIG_ENDIAN, std::string("\0\0\0\x2A", 4)},
        {"alpha", REG_SZ, std::string("a\0b\0", 4)},
        {"empty", REG_BINARY, ""},
        {"short", REG_DWORD, "\x07\x01"},
        {"multi", REG_MULTI_SZ, std::string("one\0two\0\0", 9)},
        {"own-type", 0x12345, "\x80\xFF"},
        {"", REG_EXPAND_SZ, std::string("%X%\0", 4)},
    };
    for (const auto& [name, type, data] : expected) Set(h, name.c_str(), type, data);
    EXPECT_EQ(Set(h, nullptr, REG_SZ, "d"), ERROR_SUCCESS) << "the same default value";
    EXPECT_EQ(AllValues(h).size(), expected.size());
    // The settings store reads a string into a buffer of exactly its stored length.
    char name[8];
    std::uint8_t data[4] = {0, 0, 0, '#'};
    std::uint32_t cchName = sizeof name, cbData = 3;
    Set(h, "zeta", REG_SZ, "abc");
    EXPECT_EQ(qv::RegEnumValueA(h, 0, name, &cchName, nullptr, nullptr, data, &cbData),
              ERROR_SUCCESS);
    EXPECT_EQ(data[3], '#');
    Set(h, "", REG_EXPAND_SZ, std::string_view("%X%\0", 4));
    expected[0] = {"zeta", REG_SZ, "abc"};
    QV_SKIP_WINE_DIFFERENCE(
        "values are listed sorted by name, and a REG_SZ stored without its "
        "zero reads back with one");
    EXPECT_EQ(AllValues(h), expected);
}

TEST_F(RegistryContract, SmallBuffersGetMoreDataAndNothingIsWrittenPastThem) {
    Set(m_hTest, "name5", REG_BINARY, "123456");
    Create("sub12", KEY_ALL_ACCESS, "abcd");
    char name[16], cls[16];
    std::uint8_t data[16];
    std::memset(name, '#', sizeof name);
    std::memset(data, '#', sizeof data);
    std::uint32_t type = 0, cchName = 5, cbData = sizeof data, cchClass = 4;

    EXPECT_EQ(qv::RegEnumKeyExA(m_hTest, 0, name, &cchName, nullptr, nullptr, nullptr, nullptr),
              ERROR_MORE_DATA);
    cchName = 6;
    EXPECT_EQ(qv::RegEnumKeyExA(m_hTest, 0, name, &cchName, nullptr, cls, &cchClass, nullptr),
              ERROR_MORE_DATA);
    cchClass = 5;
    ASSERT_EQ(qv::RegEnumKeyExA(m_hTest, 0, name, &cchName, nullptr, cls, &cchClass, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(std::string(name, cchName) + "/" + std::string(cls, cchClass), "sub12/abcd");

    cchName = 5;
    std::memset(name, '#', sizeof name);
    EXPECT_EQ(qv::RegEnumValueA(m_hTest, 0, name, &cchName, nullptr, &type, data, &cbData),
              ERROR_MORE_DATA)
        << "no room for the name's zero";
    EXPECT_EQ(name[5], '#');
    cchName = 6;
    cbData = 5;
    EXPECT_EQ(qv::RegEnumValueA(m_hTest, 0, name, &cchName, nullptr, &type, data, &cbData),
              ERROR_MORE_DATA);
    EXPECT_EQ(cbData, 6u) << "the size needed is reported";
    EXPECT_EQ(qv::RegEnumValueA(m_hTest, 0, name, &cchName, nullptr, &type, nullptr, &cbData),
              ERROR_SUCCESS)
        << "without a data buffer only the size is asked for";
    EXPECT_EQ(cbData, 6u);
    QV_SKIP_WINE_DIFFERENCE("RegEnumValueA writes one byte past a data buffer that is too short");
    EXPECT_EQ(data[5], '#');
}

TEST_F(RegistryContract, BadHandlesMissingRightsAndReservedArgumentsAreRefused) {
    EXPECT_EQ(Set(Create("rights", KEY_READ), "x", REG_SZ, "a"), ERROR_ACCESS_DENIED);
    HKEY hWrite = Create("rights", KEY_SET_VALUE);
    char name[8];
    std::uint32_t cchName = sizeof name, reserved = 0;
    EXPECT_EQ(qv::RegEnumValueA(hWrite, 0, name, &cchName, nullptr, nullptr, nullptr, nullptr),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(qv::RegEnumKeyExA(hWrite, 0, name, &cchName, nullptr, nullptr, nullptr, nullptr),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(qv::RegEnumValueA(m_hTest, 0, name, &cchName, &reserved, nullptr, nullptr, nullptr),
              ERROR_INVALID_PARAMETER);

    HKEY hClosed = nullptr;
    ASSERT_EQ(qv::RegOpenKeyExA(m_hTest, "rights", 0, KEY_ALL_ACCESS, &hClosed), ERROR_SUCCESS);
    ASSERT_EQ(qv::RegCloseKey(hClosed), ERROR_SUCCESS);
    EXPECT_EQ(qv::RegCloseKey(hClosed), ERROR_INVALID_HANDLE);
    EXPECT_EQ(Set(hClosed, "x", REG_SZ, "a"), ERROR_INVALID_HANDLE);
    HKEY h = nullptr;
    EXPECT_EQ(qv::RegOpenKeyExA(hClosed, "", 0, KEY_READ, &h), ERROR_INVALID_HANDLE);
}

}  // namespace
