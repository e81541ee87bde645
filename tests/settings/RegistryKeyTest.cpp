#include <gtest/gtest.h>

#include <cstring>

#include "settings/NameMap.h"
#include "settings/RegistryKey.h"
#include "settings/RegistryValue.h"
#include "tests/support/RegistryTestFile.h"

namespace {

CRegistryData Data(const char* bytes, DWORD n) {
    return CRegistryData(reinterpret_cast<const BYTE*>(bytes), n);
}

TEST(CRegistryKey, OperationsOutOfTurnAreRefusedWithoutARegistryCall) {
    qv::test::ScopedFileRegistry files;
    CRegistryKey creator("A\\B\\C", TRUE, HKEY_CURRENT_USER, KEY_ALL_ACCESS);
    CRegistryKey key("A\\B", FALSE, HKEY_CURRENT_USER, KEY_READ);
    ASSERT_EQ(key.m_pInfo->m_cSubKeys, 1u);
    const qv::HKEY hKey = key.m_hKey;
    EXPECT_EQ(key.Open("C", FALSE, HKEY_CURRENT_USER, KEY_READ), -1);
    EXPECT_EQ(key.Create("C", HKEY_CURRENT_USER, KEY_READ), -1);
    EXPECT_EQ(key.m_hKey, hKey) << "the open key is left as it was";

    // Closed, with no registry at all: a call that reached it would answer otherwise.
    qv::IRegistry* previous = qv::InstallRegistry(nullptr);
#ifndef _WIN32
    EXPECT_EQ(qv::RegCloseKey(hKey), ERROR_CALL_NOT_IMPLEMENTED) << "no backend, no crash";
#endif
    CRegistryKey closed;
    CString name, cls;
    DWORD type = 0;
    CRegistryData data;
    qv::FILETIME ft{};
    EXPECT_EQ(closed.QueryInfo(*key.m_pInfo), -1);
    EXPECT_EQ(closed.EnumValue(0, name, type, data), -1);
    EXPECT_EQ(closed.EnumKey(0, name, cls, ft), -1);
    EXPECT_EQ(closed.SetValue("x", REG_SZ, data), -1);
    EXPECT_EQ(closed.Close(), -1);
    qv::InstallRegistry(previous);
}

TEST(CRegistryKey, EnumValueAppendsAZeroToStringsAndRefusesAValueThatGrewSinceOpen) {
    QV_SKIP_WINE_DIFFERENCE("values listed sorted by name; a REG_SZ without its zero gets one");
    qv::test::ScopedFileRegistry files;
    CRegistryKey writer("K", TRUE, HKEY_CURRENT_USER, KEY_ALL_ACCESS);
    writer.SetValue("s", REG_SZ, Data("abc", 3));
    writer.SetValue("m", REG_MULTI_SZ, Data("a\0", 2));
    writer.SetValue("b", REG_BINARY, Data("xyz", 3));

    CRegistryKey reader("K", FALSE, HKEY_CURRENT_USER, KEY_READ);
    ASSERT_EQ(reader.m_pInfo->m_cbMaxValueData, 3u);
    CString name;
    DWORD type = 0;
    CRegistryData data;
    ASSERT_EQ(reader.EnumValue(0, name, type, data), ERROR_SUCCESS);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(data.GetData()), data.GetLength()),
              std::string("abc\0", 4));
    ASSERT_EQ(reader.EnumValue(1, name, type, data), ERROR_SUCCESS);
    EXPECT_EQ(data.GetLength(), 3u) << "multi-strings get the zero too";
    ASSERT_EQ(reader.EnumValue(2, name, type, data), ERROR_SUCCESS);
    EXPECT_EQ(data.GetLength(), 3u) << "binary data get nothing appended";

    writer.SetValue("s", REG_SZ, Data("abcd", 4));
    EXPECT_EQ(reader.EnumValue(0, name, type, data), ERROR_MORE_DATA);
    EXPECT_EQ(name, "b") << "outputs unchanged";
    EXPECT_EQ(reader.EnumValue(3, name, type, data), ERROR_NO_MORE_ITEMS);
}

TEST(CRegistryValue, ALoadedStringEndsAtItsFirstZeroAndIsWrittenWithoutOne) {
    CRegistryValue loaded;
    EXPECT_TRUE(loaded.SetData(REG_SZ, Data("ab\0cd\0", 6)));
    EXPECT_EQ(loaded.GetString(), "ab");
    ASSERT_NE(loaded.GetData(), nullptr);
    EXPECT_EQ(loaded.GetData()->GetLength(), 2u);
    EXPECT_EQ(std::memcmp(loaded.GetData()->GetData(), "ab", 2), 0);
}

TEST(CNameMap, EntriesNeverMoveWhileTheMapGrowsOrAValueIsReplaced) {
    CRegistryValueMap map;
    CRegistryValue* first = &map["Name"];
    first->SetDword(1);
    for (int i = 0; i < 200; ++i) map[CString("v") + std::to_string(i).c_str()].SetDword(i);
    EXPECT_EQ(first, map.Lookup("Name"));
    CRegistryValue replacement;
    replacement.SetString("text");
    map.SetAt("Name", replacement);
    EXPECT_EQ(first->GetString(), "text");
}

}  // namespace
