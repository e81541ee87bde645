#pragma once
// The language the program speaks to its user: the set of resources (strings, dialog templates)
// the loader picks. QUAVEL_LANG=ja|en forces one; otherwise the user's UI language decides.
#include <functional>

#include "res/Language.h"

namespace qv {

using res::Language;

// A variable of the environment, or null when it is not set.
using EnvironmentLookup = std::function<const char*(const char* name)>;

// The language that QUAVEL_LANG forces, if it names one.
bool ForcedLanguage(const EnvironmentLookup& getenv, Language& language);

// The language of a POSIX locale environment: QUAVEL_LANG when it forces one, else the first of
// LANGUAGE (its first entry), LC_ALL, LC_MESSAGES and LANG that is set and not empty; Japanese
// when that starts with "ja", English otherwise.
Language LanguageFromEnvironment(const EnvironmentLookup& getenv);

// The language of this run: set at start-up, or taken from the process's environment the first
// time it is asked for.
Language UiLanguage();
void SetUiLanguage(Language language);

// The language's code as locales and translation catalogues name it ("ja", "en").
const char* LanguageCode(Language language);

}  // namespace qv
