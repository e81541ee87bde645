#include <gtest/gtest.h>

#include "companion/VersionInfo.h"
#include "tests/support/Wine.h"
#include "tests/version/VersionTestFiles.h"

namespace {

using qv::versionblob::Description;
using qvtest::Bytes;

using VersionInfoTest = qvtest::VersionFixture;

TEST_F(VersionInfoTest, EachSeparatorFollowsTheWidthOfThePartBefore) {
    CVersionInfo info(WritePe(qvtest::SampleDescription({1, 2, 3, 4})).c_str());
    EXPECT_EQ(info.FormatProductVersion(1, 1, 1, 1), "1.2.3.4");
    EXPECT_EQ(info.FormatProductVersion(2, 0, 2, 0), "0103");
    CVersionInfo wide(WritePe(qvtest::SampleDescription({1, 123})).c_str());
    EXPECT_EQ(wide.FormatProductVersion(1, 2, 0, 0), "1.123");  // as the About box shows it

    EXPECT_EQ(info.GetFixedValue(6), 0x00030004u);
    EXPECT_EQ(info.GetFixedValue(0), 0u);
    EXPECT_EQ(info.GetFixedValue(9), 0u);
}

TEST_F(VersionInfoTest, TheFirstTranslationNamesTheTableAndNoneMeansEnglish) {
    Description d = qvtest::SampleDescription();
    d.tables.push_back({"040904B0", {{"ProductName", "Quavel (English)"}}});
    d.translations.insert(d.translations.begin(), {0x0409, 0x04B0});
    CVersionInfo info(WritePe(d).c_str());
    CString name;
    EXPECT_TRUE(info.QueryString("ProductName", name));
    EXPECT_EQ(name, "Quavel (English)");
    const CString language = info.GetLanguageName();

    // Only a Japanese table and no translations: no key can be assumed, so every string misses.
    Description noTable = qvtest::SampleDescription();
    noTable.translations.clear();
    EXPECT_TRUE(info.Load(WritePe(noTable).c_str()));
    EXPECT_EQ(info.GetLanguageName(), "<Assuming English>");
    name = "unchanged";
    EXPECT_FALSE(info.QueryString("ProductName", name));
    EXPECT_EQ(name, "unchanged");
    QV_SKIP_WINE_DIFFERENCE("VerLanguageNameA names 0x0409 \"English\", without the country");
    EXPECT_EQ(language, "English (United States)");
}

TEST_F(VersionInfoTest, AFileWithoutAWholeResourceGivesEmptyValues) {
    CVersionInfo info(WritePe(qvtest::SampleDescription({7, 7})).c_str());
    ASSERT_EQ(info.GetFixedValue(5), 0x00070007u);
    EXPECT_FALSE(info.Load((m_dir / "missing.exe").c_str()));
    CString name;
    EXPECT_FALSE(info.QueryString("ProductName", name));
    EXPECT_EQ(info.FormatProductVersion(1, 2, 0, 0), "0.00");
    EXPECT_EQ(info.GetTranslationKey(), "");

    Bytes blob = qv::versionblob::Serialize(qvtest::SampleDescription({1, 5}));
    blob[2] = 20;  // the root claims a 20-byte fixed block
    CVersionInfo shortFixed(m_dir.Write("short.exe", qvtest::MakePe(blob, false)).c_str());
    EXPECT_EQ(shortFixed.GetFixedValue(1), 0u);
    EXPECT_EQ(shortFixed.FormatProductVersion(1, 2, 0, 0), "0.00");
}

}  // namespace
