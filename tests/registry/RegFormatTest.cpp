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

std::vector<std::uint8_t> B(std::string_view s) {
    return {s.begin(), s.end()};
}

RegKey& Settings(RegKey& top) {
    return top.FindOrAddSubKey("HKEY_CURRENT_USER")
        .FindOrAddSubKey("Software")
        .FindOrAddSubKey("Q");
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(RegFormat, WritesWhatTheRegistryEditorWrites) {
    RegKey top("");
    RegKey& key = Settings(top);
    key.SetValue("YesLoop", REG_DWORD, B(std::string_view("\x01\0\0\0", 4)));
    key.SetValue("Path", REG_SZ, B(std::string_view("C:\\a \"b\"\0", 9)));
    key.SetValue("", REG_SZ, B(std::string_view("d\0", 2)));
    key.SetValue("NoZero", REG_SZ, B("ab"));
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
              "\"NoZero\"=hex(1):61,62\r\n"
              "\"Exp\"=hex(2):25,41,25,00\r\n"
              "\"Bin\"=hex:\r\n"
              "\"Q\"=hex(b):01,00,00,00,00,00,00,00\r\n"
              "\r\n"
              "[HKEY_CURRENT_USER\\Software\\Q\\Empty]\r\n\r\n");
}

TEST(RegFormat, WrapsLongHexDataWithinEightyColumns) {
    RegKey top("");
    Settings(top).SetValue("Blob", REG_BINARY, std::vector<std::uint8_t>(100, 0xAB));
    std::vector<std::string> blob;
    for (const std::string& line : Lines(FormatRegText(top)))
        if (line.rfind("\"Blob\"", 0) == 0 || line.rfind("  ab", 0) == 0) blob.push_back(line);
    ASSERT_EQ(blob.size(), 5u);
    for (const std::string& line : blob) EXPECT_LE(line.size(), 81u) << line;  // and the CR
    std::string full = "  ";
    for (int i = 0; i < 25; ++i) full += "ab,";
    EXPECT_EQ(blob[1], full + "\\\r") << "continuation lines hold 25 bytes";
}

TEST(RegFormat, QuotesOnlyPrintableUtf8TextAndKeepsOtherBytesInHex) {
    RegKey top("");
    RegKey& key = Settings(top);
    key.SetValue("utf8", REG_SZ, B(std::string_view("曲\0", 4)));
    key.SetValue("sjis", REG_SZ, B(std::string_view("\x8B\xC8\0", 3)));
    key.SetValue("newline", REG_SZ, B(std::string_view("a\nb\0", 4)));
    std::string text = FormatRegText(top);
    EXPECT_NE(text.find("\"utf8\"=\"曲\"\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"sjis\"=hex(1):8b,c8,00\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"newline\"=hex(1):61,0a,62,00\r\n"), std::string::npos);
}

TEST(RegFormat, EverythingWrittenReadsBackTheSame) {
    RegKey top("");
    RegKey& key = Settings(top);
    key.SetClass("cls \"q\" \\");
    key.SetValue("na\"me\\", REG_SZ, B(std::string_view("x\0", 2)));
    key.SetValue("big", 0xFFFFFFFF, std::vector<std::uint8_t>(300, 0x01));
    key.SetValue("short-dword", REG_DWORD, B("\x05"));
    key.SetValue("\xE3\x81\x82", REG_MULTI_SZ, B(std::string_view("a\0\0", 3)));
    key.FindOrAddSubKey("k]ey [x]").FindOrAddSubKey(" spaced ");
    top.FindOrAddSubKey("HKEY_LOCAL_MACHINE").FindOrAddSubKey("Other");

    RegKey back("");
    RegParseError error;
    ASSERT_TRUE(ParseRegText(FormatRegText(top), back, &error)) << error.message;
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
                     "\"D\"=dword:00000003\n",
                     top, &error))
        << error.line << ": " << error.message;
    const RegKey& key = Settings(top);
    EXPECT_EQ(key.SubKeyCount(), 0u);
    ASSERT_EQ(key.ValueCount(), 3u);
    EXPECT_EQ(key.ValueAt(0).data, B(std::string_view("C:\\Program Files\\x\0", 19)))
        << "a backslash that escapes nothing stands for itself";
    EXPECT_EQ(key.ValueAt(1).data, B(std::string_view("\x03\0\0\0", 4)));
    EXPECT_EQ(key.ValueAt(2).type, static_cast<std::uint32_t>(REG_MULTI_SZ));
    EXPECT_EQ(key.ValueAt(2).data, B(std::string_view("a\0b\0\0", 5)));
}

TEST(RegFormat, RefusesDamagedTextAndSaysWhere) {
    struct Case {
        const char* label;
        const char* text;
        std::size_t line;
    };
    const Case cases[] = {
        {"empty file", "", 0},
        {"no header", "[HKEY_CURRENT_USER\\a]\n", 1},
        {"unknown root", "REGEDIT4\n[HKEY_NOWHERE\\a]\n", 2},
        {"no closing bracket", "REGEDIT4\n[HKEY_CURRENT_USER\\a\n", 2},
        {"value before any key", "REGEDIT4\n\"a\"=dword:1\n", 2},
        {"unterminated string", "REGEDIT4\n[HKEY_CURRENT_USER]\n\"a\"=\"abc\n", 3},
        {"text after string", "REGEDIT4\n[HKEY_CURRENT_USER]\n\"a\"=\"abc\" x\n", 3},
        {"nine-digit dword", "REGEDIT4\n[HKEY_CURRENT_USER]\n\"a\"=dword:000000001\n", 3},
        {"bad hex byte", "REGEDIT4\n[HKEY_CURRENT_USER]\n\"a\"=hex:01,1g\n", 3},
        {"continuation at the end", "REGEDIT4\n[HKEY_CURRENT_USER]\n\"a\"=hex:01,\\\n", 3},
    };
    for (const Case& c : cases) {
        RegKey top("");
        RegParseError error;
        EXPECT_FALSE(ParseRegText(c.text, top, &error)) << c.label;
        EXPECT_EQ(error.line, c.line) << c.label;
        EXPECT_FALSE(error.message.empty()) << c.label;
    }

    std::string deep = "REGEDIT4\n[HKEY_CURRENT_USER";
    for (int i = 0; i < 600; ++i) deep += "\\k";
    RegKey top("");
    EXPECT_FALSE(ParseRegText(deep + "]\n", top, nullptr)) << "deeper than the registry allows";
}

}  // namespace
