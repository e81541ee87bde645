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

TEST(CRegistryValue, ALoadedStringEndsAtItsFirstZeroAndIsWrittenWithoutOne) {
    CRegistryValue loaded;
    EXPECT_TRUE(loaded.SetData(REG_SZ, Data(std::string_view("ab\0cd\0", 6))));
    EXPECT_EQ(loaded.GetString(), "ab");
    EXPECT_EQ(Bytes(loaded.GetData()), "ab");
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
