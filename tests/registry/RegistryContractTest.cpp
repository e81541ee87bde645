// What every registry backend must answer, call by call, as the Win32 registry does. A backend
// joins by adding a type with kTestKey and Registry() to Backends below.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"
#include "tests/support/RegistryTestFile.h"

namespace {

using qv::HKEY;

struct FileRegistryBackend {
    static constexpr const char* kTestKey = "Software\\QuavelContractTest";
    qv::test::RegistryTempDir dir;
    qv::posix::RegistryFile backend{dir.File("registry.reg")};
    qv::IRegistry& Registry() { return backend; }
};

const std::uint8_t* Bytes(std::string_view s) {
    return reinterpret_cast<const std::uint8_t*>(s.data());
}

struct EnumeratedValue {
    std::string name;
    std::uint32_t type;
    std::string data;
    bool operator==(const EnumeratedValue&) const = default;
};

void PrintTo(const EnumeratedValue& v, std::ostream* os) {
    *os << v.name << " type " << v.type << " " << v.data.size() << " bytes";
}

template <class TBackend>
class RegistryContract : public ::testing::Test {
protected:
    void SetUp() override {
        m_previous = qv::InstallRegistry(&m_backend.Registry());
        ASSERT_EQ(qv::RegCreateKeyExA(HKEY_CURRENT_USER, TBackend::kTestKey, 0, nullptr,
                                      REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &m_hTest,
                                      nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override {
        for (HKEY h : m_opened) qv::RegCloseKey(h);
        qv::RegCloseKey(m_hTest);
        qv::InstallRegistry(m_previous);
    }

    HKEY Create(const char* path, qv::REGSAM sam = KEY_ALL_ACCESS, char* cls = nullptr,
                std::uint32_t* disposition = nullptr) {
        HKEY h = nullptr;
        EXPECT_EQ(qv::RegCreateKeyExA(m_hTest, path, 0, cls, REG_OPTION_NON_VOLATILE, sam,
                                      nullptr, &h, disposition),
                  ERROR_SUCCESS)
            << path;
        m_opened.push_back(h);
        return h;
    }
    void Set(HKEY h, const char* name, std::uint32_t type, std::string_view data) {
        EXPECT_EQ(qv::RegSetValueExA(h, name, 0, type, Bytes(data),
                                     static_cast<std::uint32_t>(data.size())),
                  ERROR_SUCCESS)
            << name;
    }
    std::vector<EnumeratedValue> AllValues(HKEY h) {
        std::vector<EnumeratedValue> values;
        for (std::uint32_t i = 0;; ++i) {
            char name[256];
            std::uint8_t data[1024];
            std::uint32_t cchName = sizeof name, cbData = sizeof data, type = 0;
            std::int32_t r =
                qv::RegEnumValueA(h, i, name, &cchName, nullptr, &type, data, &cbData);
            if (r != ERROR_SUCCESS) {
                EXPECT_EQ(r, ERROR_NO_MORE_ITEMS);
                return values;
            }
            values.push_back({std::string(name, cchName), type,
                              std::string(reinterpret_cast<char*>(data), cbData)});
        }
    }
    std::vector<std::string> AllSubKeys(HKEY h) {
        std::vector<std::string> names;
        for (std::uint32_t i = 0;; ++i) {
            char name[256];
            std::uint32_t cchName = sizeof name;
            std::int32_t r =
                qv::RegEnumKeyExA(h, i, name, &cchName, nullptr, nullptr, nullptr, nullptr);
            if (r != ERROR_SUCCESS) {
                EXPECT_EQ(r, ERROR_NO_MORE_ITEMS);
                return names;
            }
            names.emplace_back(name, cchName);
        }
    }

    TBackend m_backend;
    qv::IRegistry* m_previous = nullptr;
    HKEY m_hTest = nullptr;
    std::vector<HKEY> m_opened;
};

using Backends = ::testing::Types<FileRegistryBackend>;
TYPED_TEST_SUITE(RegistryContract, Backends);

TYPED_TEST(RegistryContract, CreateMakesTheWholePathAndTellsWhetherItWasNew) {
    std::uint32_t disposition = 0;
    this->Create("a\\b\\c", KEY_ALL_ACCESS, nullptr, &disposition);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    this->Create("a\\b\\c", KEY_ALL_ACCESS, nullptr, &disposition);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    this->Create("a\\b", KEY_ALL_ACCESS, nullptr, &disposition);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);

    HKEY h = nullptr;
    ASSERT_EQ(qv::RegOpenKeyExA(this->m_hTest, "a\\b", 0, KEY_READ, &h), ERROR_SUCCESS);
    EXPECT_EQ(this->AllSubKeys(h), std::vector<std::string>{"c"});
    EXPECT_EQ(qv::RegCloseKey(h), ERROR_SUCCESS);
}

TYPED_TEST(RegistryContract, OpenFailsForAMissingKeyAndCreatesNothing) {
    HKEY h = nullptr;
    EXPECT_EQ(qv::RegOpenKeyExA(this->m_hTest, "missing\\deeper", 0, KEY_READ, &h),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(qv::RegOpenKeyExA(this->m_hTest, "missing", 0, KEY_READ, &h), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(this->AllSubKeys(this->m_hTest).empty());
}

TYPED_TEST(RegistryContract, AnEmptyPathOpensTheSameKey) {
    HKEY h = nullptr;
    ASSERT_EQ(qv::RegOpenKeyExA(this->m_hTest, "", 0, KEY_ALL_ACCESS, &h), ERROR_SUCCESS);
    this->Set(h, "via-second-handle", REG_DWORD, std::string_view("\x01\0\0\0", 4));
    EXPECT_EQ(qv::RegCloseKey(h), ERROR_SUCCESS);
    ASSERT_EQ(this->AllValues(this->m_hTest).size(), 1u);
    EXPECT_EQ(this->AllValues(this->m_hTest)[0].name, "via-second-handle");
}

TYPED_TEST(RegistryContract, QueryInfoCountsAndMeasuresLikeTheRegistry) {
    char cls[] = "SomeClass";
    this->Create("k1");
    this->Create("a-longer-name", KEY_ALL_ACCESS, cls);
    this->Set(this->m_hTest, "x", REG_SZ, "abc");
    this->Set(this->m_hTest, "longest", REG_BINARY, std::string(10, '\xFF'));

    std::uint32_t subKeys = 99, maxSubKey = 99, maxClass = 99, values = 99, maxName = 99,
                  maxData = 99;
    ASSERT_EQ(qv::RegQueryInfoKeyA(this->m_hTest, nullptr, nullptr, nullptr, &subKeys, &maxSubKey,
                                   &maxClass, &values, &maxName, &maxData, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(subKeys, 2u);
    EXPECT_EQ(maxSubKey, std::strlen("a-longer-name"));
    EXPECT_EQ(maxClass, std::strlen("SomeClass"));
    EXPECT_EQ(values, 2u);
    EXPECT_EQ(maxName, std::strlen("longest"));
    EXPECT_EQ(maxData, 10u);

    HKEY hNew = this->Create("empty");
    char classBuffer[64];
    std::uint32_t cchClass = sizeof classBuffer;
    qv::FILETIME ft{};
    ASSERT_EQ(qv::RegQueryInfoKeyA(hNew, classBuffer, &cchClass, nullptr, &subKeys, &maxSubKey,
                                   &maxClass, &values, &maxName, &maxData, nullptr, &ft),
              ERROR_SUCCESS);
    EXPECT_EQ(cchClass, 0u);
    EXPECT_EQ(subKeys + maxSubKey + maxClass + values + maxName + maxData, 0u);
    EXPECT_NE(ft.dwHighDateTime, 0u) << "a last-write time is reported";
}

TYPED_TEST(RegistryContract, ValuesComeBackInOrderOfCreationWithTheirExactBytes) {
    using V = EnumeratedValue;
    HKEY h = this->Create("values");
    this->Set(h, "zeta", REG_SZ, "abc");  // no terminating zero
    this->Set(h, "alpha", REG_SZ, std::string_view("a\0b\0", 4));
    this->Set(h, "empty", REG_BINARY, "");
    this->Set(h, "short", REG_DWORD, std::string_view("\x07\x01", 2));
    this->Set(h, "multi", REG_MULTI_SZ, std::string_view("one\0two\0\0", 9));
    this->Set(h, "own-type", 0x12345, "\x80\xFF");
    this->Set(h, "", REG_EXPAND_SZ, std::string_view("%X%\0", 4));
    this->Set(h, "zeta", REG_DWORD_BIG_ENDIAN, std::string_view("\0\0\0\x2A", 4));

    std::vector<V> expected = {
        {"zeta", REG_DWORD_BIG_ENDIAN, std::string("\0\0\0\x2A", 4)},
        {"alpha", REG_SZ, std::string("a\0b\0", 4)},
        {"empty", REG_BINARY, ""},
        {"short", REG_DWORD, "\x07\x01"},
        {"multi", REG_MULTI_SZ, std::string("one\0two\0\0", 9)},
        {"own-type", 0x12345, "\x80\xFF"},
        {"", REG_EXPAND_SZ, std::string("%X%\0", 4)},
    };
    EXPECT_EQ(this->AllValues(h), expected);
}

TYPED_TEST(RegistryContract, SmallBuffersGetMoreDataAndNothingIsWrittenPastThem) {
    this->Set(this->m_hTest, "name5", REG_BINARY, "123456");
    char name[16];
    std::uint8_t data[16];
    std::memset(name, '#', sizeof name);
    std::memset(data, '#', sizeof data);
    std::uint32_t type = 0;

    std::uint32_t cchName = 5, cbData = sizeof data;  // no room for the name's zero
    EXPECT_EQ(qv::RegEnumValueA(this->m_hTest, 0, name, &cchName, nullptr, &type, data, &cbData),
              ERROR_MORE_DATA);
    EXPECT_EQ(name[5], '#');

    cchName = 6;
    cbData = 5;
    EXPECT_EQ(qv::RegEnumValueA(this->m_hTest, 0, name, &cchName, nullptr, &type, data, &cbData),
              ERROR_MORE_DATA);
    EXPECT_EQ(cbData, 6u) << "the size needed is reported";
    EXPECT_EQ(data[5], '#');

    cchName = 6;
    cbData = 0;
    EXPECT_EQ(qv::RegEnumValueA(this->m_hTest, 0, name, &cchName, nullptr, &type, nullptr, &cbData),
              ERROR_SUCCESS)
        << "without a data buffer only the size is asked for";
    EXPECT_EQ(cbData, 6u);
    EXPECT_EQ(std::string(name, cchName), "name5");

    char cls[] = "abcd";
    this->Create("sub12", KEY_ALL_ACCESS, cls);
    char clsOut[8];
    std::uint32_t cchClass = 4;
    cchName = 5;
    EXPECT_EQ(qv::RegEnumKeyExA(this->m_hTest, 0, name, &cchName, nullptr, nullptr, nullptr,
                                nullptr),
              ERROR_MORE_DATA);
    cchName = 6;
    EXPECT_EQ(qv::RegEnumKeyExA(this->m_hTest, 0, name, &cchName, nullptr, clsOut, &cchClass,
                                nullptr),
              ERROR_MORE_DATA);
    cchClass = 5;
    ASSERT_EQ(qv::RegEnumKeyExA(this->m_hTest, 0, name, &cchName, nullptr, clsOut, &cchClass,
                                nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(std::string(name, cchName), "sub12");
    EXPECT_EQ(std::string(clsOut, cchClass), "abcd");
    EXPECT_EQ(qv::RegEnumKeyExA(this->m_hTest, 1, name, &cchName, nullptr, nullptr, nullptr,
                                nullptr),
              ERROR_NO_MORE_ITEMS);
}

TYPED_TEST(RegistryContract, NamesMatchWithoutRegardToCaseAndKeepTheirFirstSpelling) {
    this->Create("MixedCase\\Inner");
    HKEY h = nullptr;
    ASSERT_EQ(qv::RegOpenKeyExA(this->m_hTest, "MIXEDCASE\\inner", 0, KEY_ALL_ACCESS, &h),
              ERROR_SUCCESS);
    this->Set(h, "Name", REG_SZ, "first");
    this->Set(h, "NAME", REG_SZ, "second");
    std::vector<EnumeratedValue> expected = {{"Name", REG_SZ, "second"}};
    EXPECT_EQ(this->AllValues(h), expected);
    EXPECT_EQ(qv::RegCloseKey(h), ERROR_SUCCESS);
    EXPECT_EQ(this->AllSubKeys(this->m_hTest), std::vector<std::string>{"MixedCase"});

    this->Set(this->m_hTest, nullptr, REG_SZ, "default");
    this->Set(this->m_hTest, "", REG_SZ, "still the default");
    EXPECT_EQ(this->AllValues(this->m_hTest).size(), 1u);
}

TYPED_TEST(RegistryContract, BadHandlesAndMissingRightsAreRefused) {
    HKEY hRead = this->Create("rights", KEY_READ);
    EXPECT_EQ(qv::RegSetValueExA(hRead, "x", 0, REG_SZ, Bytes("a"), 1), ERROR_ACCESS_DENIED);
    HKEY hWrite = this->Create("rights", KEY_SET_VALUE);
    char name[8];
    std::uint32_t cchName = sizeof name;
    EXPECT_EQ(qv::RegEnumValueA(hWrite, 0, name, &cchName, nullptr, nullptr, nullptr, nullptr),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(qv::RegEnumKeyExA(hWrite, 0, name, &cchName, nullptr, nullptr, nullptr, nullptr),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(qv::RegSetValueExA(hWrite, "x", 0, REG_SZ, Bytes("a"), 1), ERROR_SUCCESS);

    HKEY hClosed = nullptr;
    ASSERT_EQ(qv::RegOpenKeyExA(this->m_hTest, "rights", 0, KEY_ALL_ACCESS, &hClosed),
              ERROR_SUCCESS);
    ASSERT_EQ(qv::RegCloseKey(hClosed), ERROR_SUCCESS);
    EXPECT_EQ(qv::RegCloseKey(hClosed), ERROR_INVALID_HANDLE);
    EXPECT_EQ(qv::RegSetValueExA(hClosed, "x", 0, REG_SZ, Bytes("a"), 1), ERROR_INVALID_HANDLE);
    EXPECT_EQ(qv::RegQueryInfoKeyA(hClosed, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                   nullptr, nullptr, nullptr, nullptr, nullptr),
              ERROR_INVALID_HANDLE);
    HKEY h = nullptr;
    EXPECT_EQ(qv::RegOpenKeyExA(hClosed, "", 0, KEY_READ, &h), ERROR_INVALID_HANDLE);

    std::uint32_t reserved = 0;
    cchName = sizeof name;
    EXPECT_EQ(qv::RegEnumValueA(this->m_hTest, 0, name, &cchName, &reserved, nullptr, nullptr,
                                nullptr),
              ERROR_INVALID_PARAMETER);
}

TEST(RegistrySeam, AnswersNotImplementedWithoutABackendAndHandsBackThePreviousOne) {
    qv::IRegistry* previous = qv::InstallRegistry(nullptr);
    HKEY h = nullptr;
    EXPECT_EQ(qv::RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &h),
              ERROR_CALL_NOT_IMPLEMENTED);
    EXPECT_EQ(qv::RegCloseKey(h), ERROR_CALL_NOT_IMPLEMENTED);

    qv::test::RegistryTempDir dir;
    qv::posix::RegistryFile backend(dir.File("registry.reg"));
    EXPECT_EQ(qv::InstallRegistry(&backend), nullptr);
    EXPECT_EQ(qv::InstallRegistry(previous), &backend);
}

}  // namespace
