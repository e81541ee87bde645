#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "settings/NameMap.h"
#include "settings/RegistryValue.h"

namespace {

CRegistryData Data(std::string_view bytes) {
    return CRegistryData(reinterpret_cast<const BYTE*>(bytes.data()),
                         static_cast<DWORD>(bytes.size()));
}

std::string Bytes(const CRegistryData* data) {
    if (!data) return "<none>";
    return std::string(reinterpret_cast<const char*>(data->GetData()), data->GetLength());
}

TEST(CRegistryValue, AReadOfTheWrongTypeAnswersNothingAndChangesNothing) {
    CRegistryValue text;
    text.SetData(REG_SZ, Data(std::string_view("5\0", 2)));
    EXPECT_EQ(text.GetDword(), 0u);
    EXPECT_EQ(text.GetString(), "5");

    // A stored REG_NONE is not "untyped": its bytes stay.
    CRegistryValue none;
    none.SetData(REG_NONE, Data("\x01\x02"));
    EXPECT_EQ(none.GetDword(), 0u);
    EXPECT_EQ(none.GetString(), "");
    EXPECT_EQ(none.GetType(), static_cast<DWORD>(REG_NONE));
    EXPECT_EQ(Bytes(none.GetData()), "\x01\x02");
}

TEST(CRegistryValue, StringsAreTextUpToTheFirstZeroAndGoOutWithoutOne) {
    CRegistryValue loaded;
    EXPECT_TRUE(loaded.SetData(REG_SZ, Data(std::string_view("ab\0cd\0", 6))));
    EXPECT_EQ(loaded.GetString(), "ab");
    EXPECT_EQ(Bytes(loaded.GetData()), "ab");
    EXPECT_EQ(loaded.GetString(), "ab") << "readable again after being brought into data form";

    CRegistryValue expand;
    expand.SetData(REG_EXPAND_SZ, Data(std::string_view("%A%\0", 4)));
    EXPECT_EQ(expand.GetString(), "%A%");
    EXPECT_TRUE(expand.ToData());
    EXPECT_EQ(expand.GetType(), static_cast<DWORD>(REG_SZ));
}

TEST(CRegistryValue, NumbersAreLittleEndianAndShortDataReadsOnlyWhatIsThere) {
    CRegistryValue shortData;
    shortData.SetData(REG_DWORD, Data("\x07\x01"));
    EXPECT_EQ(shortData.GetDword(), 0x0107u);
    EXPECT_EQ(Bytes(shortData.GetData()), "\x07\x01") << "kept as loaded";

    CRegistryValue noData;
    noData.SetData(REG_DWORD, Data(""));
    EXPECT_EQ(noData.GetDword(), 0u);
}

TEST(CNameMap, NamesAreExactBytesAndEntriesNeverMove) {
    CRegistryValueMap map;
    map["Name"].SetDword(1);
    map["NAME"].SetDword(2);
    CRegistryValue* first = &map["Name"];
    for (int i = 0; i < 200; ++i) map[CString("v") + std::to_string(i).c_str()].SetDword(i);
    EXPECT_EQ(map.GetCount(), 202);
    EXPECT_EQ(first, map.Lookup("Name"));
    EXPECT_EQ(first->GetDword(), 1u);

    CRegistryValue replacement;
    replacement.SetString("text");
    map.SetAt("Name", replacement);
    EXPECT_EQ(first->GetString(), "text") << "replaced in place";

    int sum = 0;
    EXPECT_TRUE(map.ForEach([&](const CString&, CRegistryValue& v) {
        return sum += static_cast<int>(v.GetType() == REG_DWORD), TRUE;
    }));
    EXPECT_EQ(sum, 201);
    map.RemoveAll();
    EXPECT_EQ(map.Lookup("NAME"), nullptr);
}

}  // namespace
