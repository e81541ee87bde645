#include <gtest/gtest.h>

#include "res/resource.h"
#include "settings/Settings.h"
#include "settings/SettingsStore.h"
#include "tests/support/RegistryTestFile.h"

namespace {

class SettingsStoreTest : public testing::Test {
protected:
    BOOL LoadSettings(CSettingsStore& store) { return store.Load(IDS_REGKEY, HKEY_CURRENT_USER); }
    void WriteSettingsFile(const std::string& body) {
        m_registry.WriteFile(
            "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Velmora\\Quavel32]\r\n" + body);
    }

    qv::test::ScopedFileRegistry m_registry;
};

TEST_F(SettingsStoreTest, HandEditedValuesAreFoundAndOnlyWhatWasReadOrSetIsWritten) {
    WriteSettingsFile(
        "\"YesLoop\"=\"1\"\r\n\"YesAskQuit\"=dword:00000000\r\n\"yesautodoc\"=dword:00000001\r\n"
        "\"windowposx\"=dword:00000005\r\n");
    CSettingsStore store;
    ASSERT_TRUE(LoadSettings(store));
    EXPECT_EQ(store.Value(IDS_YESLOOP).GetDword(), 0u) << "a text reads as 0";
    EXPECT_EQ(store.Value("YesAskQuit", kDefaultYesAskQuit).GetDword(), 0u)
        << "a stored value beats the default";
    EXPECT_EQ(store.Value(IDS_YESAUTODOC).GetDword(), 1u) << "names match without regard to case";
    store.Value("WindowPosX", kNoWindowPos).SetDword(40);
    store.Value(IDS_DISPLAYMODE).SetDword(2);
    ASSERT_TRUE(store.Save(nullptr, nullptr));
    EXPECT_EQ(store.GetValueCount(), 5);
    std::string text = m_registry.ReadFile();
    for (const char* line : {"\"YesLoop\"=\"1\"\r\n", "\"windowposx\"=dword:00000028\r\n",
                             "\"DisplayMode\"=dword:00000002\r\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line << " in\n" << text;
    EXPECT_EQ(text.find("WindowPos"), std::string::npos) << "no second spelling, no Y:\n" << text;

    store.Value(IDS_YESLOOP).SetDword(1);  // a click on Loop retypes it
    ASSERT_TRUE(store.Save(nullptr, nullptr));
    EXPECT_NE(m_registry.ReadFile().find("\"YesLoop\"=dword:00000001\r\n"), std::string::npos);
}

TEST_F(SettingsStoreTest, UnknownValuesAndSubKeysSurviveARunByteForByte) {
    const std::string kept =
        "\"Multi\"=hex(7):61,00,62,00,00\r\n\"Short\"=hex(4):05\r\n\"None\"=hex(0):01,02\r\n"
        "\"Odd\"=hex(20):ff\r\n\"Blob\"=hex:\r\n";
    const std::string key = "[HKEY_CURRENT_USER\\Software\\Velmora\\Quavel32\\";
    WriteSettingsFile(kept + "\"Expand\"=hex(2):25,41,25,00\r\n\r\n" + key +
                      "Kept]\r\n\"Inner\"=dword:00000009\r\n\r\n" + key + "Removed]\r\n\r\n");
    CSettingsStore store;
    ASSERT_TRUE(LoadSettings(store));
    ASSERT_NE(store.GetSubKey("Kept"), nullptr);
    EXPECT_EQ(store.GetSubKey("Kept")->GetValueCount(), 0) << "a child's values are not loaded";

    // Another hand removes a sub-key while the program runs; the save makes it again.
    std::string text = m_registry.ReadFile();
    text.erase(text.find(key + "Removed]"));
    m_registry.WriteFile(text);
    ASSERT_TRUE(store.Save(nullptr, nullptr));

    std::string saved = m_registry.ReadFile();
    for (const std::string& line :
         {kept + "\"Expand\"=\"%A%\"\r\n", std::string("\"Inner\"=dword:00000009\r\n"),
          key + "Removed]\r\n"})
        EXPECT_NE(saved.find(line), std::string::npos) << line << "\nin\n" << saved;
}

TEST_F(SettingsStoreTest, FailuresAreReportedAndLeaveTheImageAlone) {
    CSettingsStore neverLoaded;
    neverLoaded.Value(IDS_YESLOOP).SetDword(1);
    EXPECT_FALSE(neverLoaded.Save(nullptr, nullptr)) << "no key to write to";
    EXPECT_FALSE(std::filesystem::exists(m_registry.FilePath()));

    CSettingsStore store;
    ASSERT_TRUE(LoadSettings(store));
    store.Value(IDS_YESLOOP).SetDword(1);
    const qv::HKEY bogus = reinterpret_cast<qv::HKEY>(std::uintptr_t{0x7777});
    EXPECT_FALSE(store.Load("Elsewhere", bogus));
    EXPECT_EQ(store.GetKeyPath(), "Software\\Velmora\\Quavel32");
    EXPECT_EQ(store.Value(IDS_YESLOOP).GetDword(), 1u);

    // The write-back itself fails: the save says so.
    std::filesystem::remove(m_registry.FilePath());
    std::filesystem::create_directory(m_registry.FilePath());
    testing::internal::CaptureStderr();
    EXPECT_FALSE(store.Save(nullptr, nullptr));
    testing::internal::GetCapturedStderr();
}

}  // namespace
