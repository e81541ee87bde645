#include <gtest/gtest.h>

#include <map>
#include <string>

#include "framework/String.h"
#include "platform/language.h"
#include "res/StringTable.h"
#include "res/resource.h"

// Names and titles are byte strings: zeros and Shift-JIS bytes must survive every operation.
TEST(CString, KeepsBytesIncludingZerosAndHighBytes) {
    const char bytes[] = {'a', '\0', '\x83', '\x5C'};
    CString s(bytes, 4);
    EXPECT_EQ(s.GetLength(), 4);
    EXPECT_EQ(s.Right(2), CString("\x83\x5C"));
    EXPECT_EQ(s.Mid(2, 100).GetLength(), 2);
    EXPECT_EQ(s.Left(-3), "");
}

// The first variable set and not empty decides; QUAVEL_LANG overrides them all.
TEST(Language, ChosenFromTheLocaleVariablesInOrderUnlessForced) {
    using qv::Language;
    struct Case {
        std::map<std::string, std::string> env;
        Language expected;
    } cases[] = {
        {{}, Language::English},
        {{{"LANG", "ja_JP.UTF-8"}}, Language::Japanese},
        {{{"LANG", "ja_JP.UTF-8"}, {"LC_ALL", ""}, {"LC_MESSAGES", "C"}}, Language::English},
        {{{"LANG", "C"}, {"LC_ALL", "ja_JP.eucJP"}}, Language::Japanese},
        {{{"LC_ALL", "ja_JP"}, {"LANGUAGE", "de:ja"}}, Language::English},
        {{{"LANGUAGE", "ja:en"}, {"LANG", "en_GB.UTF-8"}}, Language::Japanese},
        {{{"LANG", "ja_JP.UTF-8"}, {"QUAVEL_LANG", "en"}}, Language::English},
        {{{"LANG", "C"}, {"QUAVEL_LANG", "ja"}}, Language::Japanese},
        {{{"LANG", "ja_JP"}, {"QUAVEL_LANG", "xx"}}, Language::Japanese},  // no such language
    };
    for (const Case& c : cases) {
        auto get = [&](const char* name) -> const char* {
            auto it = c.env.find(name);
            return it == c.env.end() ? nullptr : it->second.c_str();
        };
        EXPECT_EQ(qv::LanguageFromEnvironment(get), c.expected) << ::testing::PrintToString(c.env);
    }
}

// The loader answers from the set of the UI language; names of registry values are the same.
TEST(Language, LoaderPicksTheTableOfTheUiLanguage) {
    CString question, valueName;
    for (auto [language, text] : {std::pair{qv::Language::English, "Quit Quavel?"},
                                  std::pair{qv::Language::Japanese, "終了しますか?"}}) {
        qv::SetUiLanguage(language);
        question.Load(IDS_ASKQUIT);
        valueName.Load(IDS_YESASKQUIT);
        EXPECT_EQ(question, text);
        EXPECT_EQ(valueName, "YesAskQuit");
        for (const qv::res::StringEntry& row : qv::res::StringTable(language))
            EXPECT_FALSE(row.text.empty()) << row.id;
    }
}
