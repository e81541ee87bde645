#include "platform/language.h"

#include <atomic>
#include <cstdlib>
#include <string_view>

namespace qv {
namespace {

constexpr int kUnset = -1;
std::atomic<int> g_language{kUnset};

bool IsJapanese(std::string_view locale) {
    return locale.starts_with("ja");
}

}  // namespace

bool ForcedLanguage(const EnvironmentLookup& getenv, Language& language) {
    const char* forced = getenv("QUAVEL_LANG");
    if (!forced) return false;
    const std::string_view code(forced);
    if (code != "ja" && code != "en") return false;
    language = code == "ja" ? Language::Japanese : Language::English;
    return true;
}

Language LanguageFromEnvironment(const EnvironmentLookup& getenv) {
    Language language = Language::English;
    if (ForcedLanguage(getenv, language)) return language;
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = getenv(name);
        if (!value || !*value) continue;
        std::string_view locale(value);
        // LANGUAGE is a list of preferences, best first.
        locale = locale.substr(0, locale.find(':'));
        return IsJapanese(locale) ? Language::Japanese : Language::English;
    }
    return Language::English;
}

Language UiLanguage() {
    int chosen = g_language.load();
    if (chosen == kUnset) {
        chosen =
            static_cast<int>(LanguageFromEnvironment([](const char* n) { return std::getenv(n); }));
        g_language.store(chosen);
    }
    return static_cast<Language>(chosen);
}

void SetUiLanguage(Language language) {
    g_language.store(static_cast<int>(language));
}

const char* LanguageCode(Language language) {
    return language == Language::Japanese ? "ja" : "en";
}

}  // namespace qv
