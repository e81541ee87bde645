#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "settings/RegistryKey.h"
#include "tests/support/RegistryTestFile.h"

namespace {

using qv::HKEY;
using testing::_;
using testing::DoAll;
using testing::Return;
using testing::SetArgPointee;

class MockRegistry : public qv::IRegistry {
public:
    MOCK_METHOD(std::int32_t, CreateKeyEx,
                (HKEY, const char*, std::uint32_t, char*, std::uint32_t, qv::REGSAM,
                 qv::LPSECURITY_ATTRIBUTES, qv::PHKEY, std::uint32_t*),
                (override));
    MOCK_METHOD(std::int32_t, OpenKeyEx,
                (HKEY, const char*, std::uint32_t, qv::REGSAM, qv::PHKEY), (override));
    MOCK_METHOD(std::int32_t, QueryInfoKey,
                (HKEY, char*, std::uint32_t*, std::uint32_t*, std::uint32_t*, std::uint32_t*,
                 std::uint32_t*, std::uint32_t*, std::uint32_t*, std::uint32_t*, std::uint32_t*,
                 qv::FILETIME*),
                (override));
    MOCK_METHOD(std::int32_t, EnumValue,
                (HKEY, std::uint32_t, char*, std::uint32_t*, std::uint32_t*, std::uint32_t*,
                 std::uint8_t*, std::uint32_t*),
                (override));
    MOCK_METHOD(std::int32_t, EnumKeyEx,
                (HKEY, std::uint32_t, char*, std::uint32_t*, std::uint32_t*, char*,
                 std::uint32_t*, qv::FILETIME*),
                (override));
    MOCK_METHOD(std::int32_t, SetValueEx,
                (HKEY, const char*, std::uint32_t, std::uint32_t, const std::uint8_t*,
                 std::uint32_t),
                (override));
    MOCK_METHOD(std::int32_t, CloseKey, (HKEY), (override));
};

class ScopedInstall {
public:
    explicit ScopedInstall(qv::IRegistry* backend) : m_previous(qv::InstallRegistry(backend)) {}
    ~ScopedInstall() { qv::InstallRegistry(m_previous); }

private:
    qv::IRegistry* m_previous;
};

const HKEY kHandle = reinterpret_cast<HKEY>(std::uintptr_t{0x4242});

TEST(CRegistryKey, AClosedKeyRefusesEveryOperationWithoutARegistryCall) {
    testing::StrictMock<MockRegistry> registry;
    ScopedInstall install(&registry);
    CRegistryKey key;
    CRegistryKeyInfo info;
    CString name, cls;
    DWORD type = 0;
    CRegistryData data;
    qv::FILETIME ft{};
    EXPECT_EQ(key.QueryInfo(info), -1);
    EXPECT_EQ(key.EnumValue(0, name, type, data), -1);
    EXPECT_EQ(key.EnumKey(0, name, cls, ft), -1);
    EXPECT_EQ(key.SetValue("x", REG_SZ, data), -1);
    EXPECT_EQ(key.Close(), -1);
    EXPECT_EQ(key.m_lError, -1);
}

TEST(CRegistryKey, OpeningAnOpenKeyIsRefusedAndLeavesItOpen) {
    testing::StrictMock<MockRegistry> registry;
    ScopedInstall install(&registry);
    EXPECT_CALL(registry, CreateKeyEx(HKEY_CURRENT_USER, testing::StrEq("A\\B"), 0, nullptr,
                                      REG_OPTION_NON_VOLATILE, KEY_READ, nullptr, _, _))
        .WillOnce(DoAll(SetArgPointee<7>(kHandle), Return(ERROR_SUCCESS)));
    EXPECT_CALL(registry, QueryInfoKey(kHandle, _, testing::Pointee(512u), nullptr, _, _, _, _,
                                       _, _, _, _))
        .WillOnce(DoAll(SetArgPointee<4>(3u), Return(ERROR_SUCCESS)));
    {
        CRegistryKey key("A\\B", TRUE, HKEY_CURRENT_USER, KEY_READ);
        ASSERT_EQ(key.m_lError, ERROR_SUCCESS);
        ASSERT_NE(key.m_pInfo, nullptr);
        EXPECT_EQ(key.m_pInfo->m_cSubKeys, 3u);
        EXPECT_EQ(key.Open("C", FALSE, HKEY_CURRENT_USER, KEY_READ), -1);
        EXPECT_EQ(key.Create("C", HKEY_CURRENT_USER, KEY_READ), -1);
        EXPECT_EQ(key.m_hKey, kHandle);
        EXPECT_CALL(registry, CloseKey(kHandle)).WillOnce(Return(ERROR_SUCCESS));
    }
}

TEST(CRegistryKey, EnumValueAppendsAZeroToStringsAndRefusesAValueThatGrewSinceOpen) {
    qv::test::ScopedFileRegistry files;
    CRegistryKey writer("K", TRUE, HKEY_CURRENT_USER, KEY_ALL_ACCESS);
    writer.SetValue("s", REG_SZ, CRegistryData(reinterpret_cast<const BYTE*>("abc"), 3));
    writer.SetValue("m", REG_MULTI_SZ, CRegistryData(reinterpret_cast<const BYTE*>("a\0"), 2));
    writer.SetValue("b", REG_BINARY, CRegistryData(reinterpret_cast<const BYTE*>("xyz"), 3));

    CRegistryKey reader("K", FALSE, HKEY_CURRENT_USER, KEY_READ);
    ASSERT_EQ(reader.m_pInfo->m_cbMaxValueData, 3u);
    CString name;
    DWORD type = 0;
    CRegistryData data;
    ASSERT_EQ(reader.EnumValue(0, name, type, data), ERROR_SUCCESS);
    EXPECT_EQ(name, "s");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(data.GetData()), data.GetLength()),
              std::string("abc\0", 4));
    ASSERT_EQ(reader.EnumValue(1, name, type, data), ERROR_SUCCESS);
    EXPECT_EQ(data.GetLength(), 3u) << "multi-strings get the zero too";
    ASSERT_EQ(reader.EnumValue(2, name, type, data), ERROR_SUCCESS);
    EXPECT_EQ(data.GetLength(), 3u) << "binary data get nothing appended";

    writer.SetValue("s", REG_SZ, CRegistryData(reinterpret_cast<const BYTE*>("abcd"), 4));
    EXPECT_EQ(reader.EnumValue(0, name, type, data), ERROR_MORE_DATA);
    EXPECT_EQ(name, "b") << "outputs unchanged";
    EXPECT_EQ(reader.EnumValue(3, name, type, data), ERROR_NO_MORE_ITEMS);
}

}  // namespace
