#include <gtest/gtest.h>

#include "companion/VersionInfo.h"
#include "platform/posix/Version.h"
#include "platform/posix/files_posix.h"
#include "tests/version/VersionTestFiles.h"

namespace {

using qv::versionblob::Description;
using qvtest::Bytes;

class VersionInfoTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_previous = qv::InstallVersion(&m_backend);
        m_previousFiles = qv::InstallFileSystem(&m_files);
    }
    void TearDown() override {
        qv::InstallFileSystem(m_previousFiles);
        qv::InstallVersion(m_previous);
    }

    std::string WritePe(const Description& d) {
        return m_dir.Write("file" + std::to_string(m_count++) + ".exe",
                           qvtest::MakePe(qv::versionblob::Serialize(d), false));
    }

    CString AboutVersionLine(const Description& d) {
        CVersionInfo info(WritePe(d).c_str());
        return "Version " + info.FormatProductVersion(1, 2, 0, 0);
    }

    qv::PosixVersion m_backend;
    qv::PosixFileSystem m_files;
    qv::IFileSystem* m_previousFiles = nullptr;
    qv::IVersion* m_previous = nullptr;
    qvtest::TempDir m_dir;
    int m_count = 0;
};

TEST_F(VersionInfoTest, TheRunningProgramShowsItsOwnResource) {
    CVersionInfo info;
    CString name;
    CString notice;
    EXPECT_TRUE(info.QueryString("ProductName", name));
    EXPECT_TRUE(info.QueryString("LegalCopyright", notice));
    EXPECT_EQ(name, "Quavel");
    EXPECT_EQ(notice, "Copyright (C) 2026 Quavel developers");
    EXPECT_EQ("Version " + info.FormatProductVersion(1, 2, 0, 0), "Version 1.00");
    EXPECT_EQ(info.GetTranslationKey(), "041103A4");
    EXPECT_EQ(info.GetLanguageName(), "Japanese");
}

TEST_F(VersionInfoTest, VersionLineShowsMajorAndTwoDigitMinor) {
    EXPECT_EQ(AboutVersionLine(qvtest::SampleDescription(1, 5)), "Version 1.05");
    EXPECT_EQ(AboutVersionLine(qvtest::SampleDescription(1, 123)), "Version 1.123");
    EXPECT_EQ(AboutVersionLine(qvtest::SampleDescription(2, 10, 3, 4)), "Version 2.10");
}

TEST_F(VersionInfoTest, EachSeparatorFollowsTheWidthOfThePartBefore) {
    CVersionInfo info(WritePe(qvtest::SampleDescription(1, 2, 3, 4)).c_str());
    EXPECT_EQ(info.FormatProductVersion(1, 1, 1, 1), "1.2.3.4");
    EXPECT_EQ(info.FormatProductVersion(2, 0, 2, 0), "0103");
    EXPECT_EQ(info.FormatProductVersion(0, 3, 0, 1), "0024");

    EXPECT_EQ(CVersionInfo::FormatVersionPart(7, 0, 1), "");
    EXPECT_EQ(CVersionInfo::FormatVersionPart(7, 3, 1), ".007");
    EXPECT_EQ(CVersionInfo::FormatVersionPart(65535, 1, 0), "65535");
}

TEST_F(VersionInfoTest, FixedValuesByIndex) {
    Description d = qvtest::SampleDescription(4, 3, 2, 1);
    d.fixed.fileVersion[1] = 9;
    d.fixed.flags = VS_FF_PRERELEASE;
    CVersionInfo info(WritePe(d).c_str());
    EXPECT_EQ(info.GetFixedValue(1), VS_FFI_SIGNATURE);
    EXPECT_EQ(info.GetFixedValue(2), VS_FFI_STRUCVERSION);
    EXPECT_EQ(info.GetFixedValue(3), 0x00010009u);
    EXPECT_EQ(info.GetFixedValue(5), 0x00040003u);
    EXPECT_EQ(info.GetFixedValue(6), 0x00020001u);
    EXPECT_EQ(info.GetFixedValue(7), VS_FFI_FILEFLAGSMASK);
    EXPECT_EQ(info.GetFixedValue(8), VS_FF_PRERELEASE);
    EXPECT_EQ(info.GetFixedValue(0), 0u);
    EXPECT_EQ(info.GetFixedValue(9), 0u);
    EXPECT_EQ(info.GetFixedValue(-1), 0u);
}

TEST_F(VersionInfoTest, SeveralTranslationsUseTheFirst) {
    Description d = qvtest::SampleDescription();
    d.tables.push_back({"040904B0", {{"ProductName", "Quavel (English)"}}});
    d.translations.insert(d.translations.begin(), {0x0409, 0x04B0});
    CVersionInfo info(WritePe(d).c_str());
    CString name;
    EXPECT_TRUE(info.QueryString("ProductName", name));
    EXPECT_EQ(name, "Quavel (English)");
    EXPECT_EQ(info.GetTranslationKey(), "040904B0");
    EXPECT_EQ(info.GetLanguageName(), "English (United States)");
}

TEST_F(VersionInfoTest, WithoutTranslationTableAnEnglishTableIsAssumed) {
    Description d = qvtest::SampleDescription();
    d.translations.clear();
    d.tables.push_back({"040904E4", {{"ProductName", "Quavel (1252)"}}});
    CVersionInfo info(WritePe(d).c_str());
    CString name;
    EXPECT_TRUE(info.QueryString("ProductName", name));
    EXPECT_EQ(name, "Quavel (1252)");
    EXPECT_EQ(info.GetLanguageName(), "<Assuming English>");

    // Only a Japanese table: no key can be assumed, so every string misses.
    CVersionInfo japanese(WritePe(qvtest::SampleDescription()).c_str());
    Description noTable = qvtest::SampleDescription();
    noTable.translations.clear();
    EXPECT_TRUE(japanese.Load(WritePe(noTable).c_str()));
    EXPECT_EQ(japanese.GetTranslationKey(), "");
    EXPECT_EQ(japanese.GetLanguageName(), "<Assuming English>");
    name = "unchanged";
    EXPECT_FALSE(japanese.QueryString("ProductName", name));
    EXPECT_EQ(name, "unchanged");
    EXPECT_EQ(japanese.GetFixedValue(1), VS_FFI_SIGNATURE);
}

TEST_F(VersionInfoTest, MissingStringsLeaveTheOutputUntouched) {
    Description d = qvtest::SampleDescription();
    d.tables[0].strings.push_back({"Comments", ""});
    CVersionInfo info(WritePe(d).c_str());
    CString text = "unchanged";
    EXPECT_FALSE(info.QueryString("NoSuchName", text));
    EXPECT_EQ(text, "unchanged");
    EXPECT_TRUE(info.QueryString("Comments", text));  // present, but empty
    EXPECT_EQ(text, "");
}

TEST_F(VersionInfoTest, AFileWithoutResourceGivesEmptyValues) {
    CVersionInfo info(WritePe(qvtest::SampleDescription(7, 7)).c_str());
    ASSERT_EQ(info.GetFixedValue(5), 0x00070007u);
    EXPECT_FALSE(info.Load((m_dir.Path() / "missing.exe").string().c_str()));
    CString name;
    EXPECT_FALSE(info.QueryString("ProductName", name));
    EXPECT_EQ(info.GetFixedValue(1), 0u);
    EXPECT_EQ("Version " + info.FormatProductVersion(1, 2, 0, 0), "Version 0.00");
    EXPECT_EQ(info.GetTranslationKey(), "");
}

TEST_F(VersionInfoTest, AShortFixedBlockIsNotCopied) {
    Bytes blob = qv::versionblob::Serialize(qvtest::SampleDescription(1, 5));
    blob[2] = 20;  // the root claims a 20-byte value
    CVersionInfo info(m_dir.Write("short.exe", qvtest::MakePe(blob, false)).c_str());
    EXPECT_EQ(info.GetFixedValue(1), 0u);
    EXPECT_EQ(info.FormatProductVersion(1, 2, 0, 0), "0.00");
}

}  // namespace
