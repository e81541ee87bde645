#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "platform/posix/RegFormat.h"

namespace {

using qv::posix::FormatRegText;
using qv::posix::ParseRegText;
using qv::posix::RegKey;
using qv::posix::RegParseError;
using namespace std::literals;

std::vector<std::uint8_t> B(std::string_view s) {
    return {s.begin(), s.end()};
}

RegKey& Settings(RegKey& top) {
    return top.FindOrAddSubKey("HKEY_CURRENT_USER")
        .FindOrAddSubKey("Software")
        .FindOrAddSubKey("Q");
}

TEST(RegFormat, WritesWhatTheRegistryEditorWritesWithEveryReadableStringQuoted) {
    RegKey top("");
    RegKey& key = Settings(top);
    key.SetValue("YesLoop", REG_DWORD, B(std::string_view("\x01\0\0\0", 4)));
    key.SetValue("Path", REG_SZ, B(std::string_view("C:\\a \"b\"\0", 9)));
    key.SetValue("", REG_SZ, B(std::string_view("d\0", 2)));
    key.SetValue("NoZero", REG_SZ, B("曲"));
    key.SetValue("sjis", REG_SZ, B(std::string_view("\x8B\xC8\0", 3)));
    key.SetValue("newline", REG_SZ, B(std::string_view("a\nb\0", 4)));
    key.SetValue("Exp", REG_EXPAND_SZ, B(std::string_view("%A%\0", 4)));
    key.SetValue("Bin", REG_BINARY, B(""));
    key.SetValue("Q", REG_QWORD, B(std::string_view("\x01\0\0\0\0\0\0\0", 8)));
    key.FindOrAddSubKey("Empty");

    EXPECT_EQ(FormatRegText(top),
              "REGEDIT4\r\n\r\n"
              "[HKEY_CURRENT_USER]\r\n\r\n"
              "[HKEY_CURRENT_USER\\Software]\r\n\r\n"
              "[HKEY_CURRENT_USER\\Software\\Q]\r\n"
              "\"YesLoop\"=dword:00000001\r\n"
              "\"Path\"=\"C:\\\\a \\\"b\\\"\"\r\n"
              "@=\"d\"\r\n"
              "\"NoZero\"=\"曲\"\r\n"
              "\"sjis\"=hex(1):8b,c8,00\r\n"
              "\"newline\"=hex(1):61,0a,62,00\r\n"
              "\"Exp\"=hex(2):25,41,25,00\r\n"
              "\"Bin\"=hex:\r\n"
              "\"Q\"=hex(b):01,00,00,00,00,00,00,00\r\n"
              "\r\n"
              "[HKEY_CURRENT_USER\\Software\\Q\\Empty]\r\n\r\n");
}

TEST(RegFormat, EverythingWrittenReadsBackTheSame) {
    RegKey top("");
    RegKey& key = Settings(top);
    key.SetClass("cls \"q\" \\");
    key.SetValue("na\"me\\", REG_SZ, B(std::string_view("x\\r\0", 4)));
    key.SetValue("big", 0xFFFFFFFF, std::vector<std::uint8_t>(300, 0x01));
    key.SetValue("short-dword", REG_DWORD, B("\x05"));
    key.SetValue("\xE3\x81\x82", REG_MULTI_SZ, B(std::string_view("a\0\0", 3)));
    key.FindOrAddSubKey("k]ey [x]").FindOrAddSubKey(" spaced ");
    top.FindOrAddSubKey("HKEY_LOCAL_MACHINE").FindOrAddSubKey("Other");

    std::string text = FormatRegText(top);
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        EXPECT_LE(line.size(), 81u) << "hex data wrap within 80 columns and the CR: " << line;
    RegKey back("");
    RegParseError error;
    ASSERT_TRUE(ParseRegText(text, back, &error)) << error.message;
    EXPECT_TRUE(error.skipped.empty());
    EXPECT_TRUE(SameContents(top, back));
}

TEST(RegFormat, ReadsHandWrittenFilesTheWayTheEditorDoes) {
    RegKey top("");
    RegParseError error;
    ASSERT_TRUE(
        ParseRegText("\xEF\xBB\xBFREGEDIT4\n"
                     "; a comment\n"
                     "[hkey_current_user\\Software\\Q]\n"
                     "  \"Path\" = \"C:\\Program Files\\x\"\n"
                     "\"D\"=DWORD:2a\n"
                     "\"H\"=hex(7):61,00,\\\n"
                     "    62, 00 ,00\n"
                     "\"Gone\"=dword:00000001\n"
                     "\"Gone\"=-\n"
                     "[HKEY_CURRENT_USER\\Software\\Q\\Old]\n"
                     "[-HKEY_CURRENT_USER\\Software\\Q\\Old]\n"
                     "[HKEY_CURRENT_USER\\software\\q]\n"
                     "\"D\"=dword:00000003\n"
                     "\"Lines\"=\"a\\r\\nb\"\n"
                     "\"Sjis\"=\"\x83\x5C\"\n",  // the second byte of this character is a backslash
                     top, &error))
        << error.message;
    // The editor's Unicode export, its strings in hex as well as in quotes.
    std::u16string unicode =
        u"\uFEFFWindows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Q]\r\n"
        u"\"曲\"=\"あ\"\r\n\"Exp\"=hex(2):25,00,41,00,25,00,00,00\r\n\"Bin\"=hex:25,00\r\n";
    ASSERT_TRUE(ParseRegText(
        std::string_view(reinterpret_cast<const char*>(unicode.data()), unicode.size() * 2), top,
        &error))
        << error.message;
    EXPECT_TRUE(error.skipped.empty());
    const RegKey& key = Settings(top);
    EXPECT_EQ(key.SubKeyCount(), 0u);
    ASSERT_EQ(key.ValueCount(), 8u);
    std::string data;  // each value's data, then a bar
    for (std::size_t i = 0; i < key.ValueCount(); ++i)
        data += std::string(key.ValueAt(i).data.begin(), key.ValueAt(i).data.end()) + "|";
    // A backslash that escapes nothing stands for itself; other data are taken as they are.
    EXPECT_EQ(data,
              "C:\\Program Files\\x\0|\x03\0\0\0|a\0b\0\0|a\r\nb\0|\x83\x5C\0|あ\0|%A%\0|%\0|"s);
    EXPECT_EQ(key.ValueAt(2).type, static_cast<std::uint32_t>(REG_MULTI_SZ));
    EXPECT_EQ(key.ValueAt(5).name, "曲");
}

TEST(RegFormat, SkipsOnlyTheLinesItCannotReadAndSaysWhich) {
    RegKey top("");
    RegParseError error;
    EXPECT_TRUE(
        ParseRegText("REGEDIT4\n"
                     "\"before any key\"=dword:1\n"
                     "[HKEY_CURRENT_USER]\n"
                     "\"ok1\"=dword:1\n"
                     "\"a\"=dword:1 ; a comment\n"
                     "\"b\"=hex:01,02,\n"
                     "\"c\"=hex:01,\\\n"
                     "  1g\n"
                     "\"d\"=\"abc\" x\n"
                     "\"e\"=dword:000000001\n"
                     "what\n"
                     "\"ok2\"=\"x\"\n"
                     "[HKEY_NOWHERE\\a]\n"
                     "\"lost\"=dword:1\n"
                     "[HKEY_CURRENT_USER\\a\n"
                     "\"f\"=hex:01,\\\n"
                     "[HKEY_CURRENT_USER]\n"
                     "\"line\\nbreak\"=dword:1\n",
                     top, &error));
    EXPECT_EQ(error.skipped, (std::vector<std::size_t>{2, 5, 6, 7, 9, 10, 11, 13, 14, 15, 16, 18}));
    const RegKey* key = top.FindSubKey("HKEY_CURRENT_USER");
    ASSERT_NE(key, nullptr);
    ASSERT_EQ(key->ValueCount(), 2u);
    EXPECT_EQ(key->ValueAt(1).name, "ok2");

    for (std::string_view text : {"[HKEY_CURRENT_USER\\a]\n"sv, "\xFF\xFER\0"sv}) {
        EXPECT_FALSE(ParseRegText(text, top, &error)) << "not a registry file: " << text;
        EXPECT_FALSE(error.message.empty());
    }
    EXPECT_TRUE(ParseRegText("", top, &error)) << "an empty file is an empty registry";
    std::string deep = "REGEDIT4\n[HKEY_CURRENT_USER";
    for (int i = 0; i < 600; ++i) deep += "\\k";
    ASSERT_TRUE(ParseRegText(deep + "]\n", top, &error));
    EXPECT_EQ(error.skipped, std::vector<std::size_t>{2}) << "deeper than the registry allows";
}

}  // namespace
