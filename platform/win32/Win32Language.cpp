// clang-format off
#include <windows.h>
// clang-format on

#include "platform/win32/Win32Language.h"

#include <cstdlib>

namespace qv::win32 {
namespace {

::LANGID LangIdOf(Language language) {
    return language == Language::Japanese ? MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)
                                          : MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
}

}  // namespace

Language UserUiLanguage() {
    Language forced = Language::English;
    if (ForcedLanguage([](const char* name) { return std::getenv(name); }, forced)) return forced;
    return PRIMARYLANGID(::GetUserDefaultUILanguage()) == LANG_JAPANESE ? Language::Japanese
                                                                        : Language::English;
}

const void* FindDialogResource(void* instance, std::uint32_t id) {
    // The resource loader alone would pick by the thread's UI language, which QUAVEL_LANG does
    // not change; the set is named exactly instead.
    auto module = static_cast<::HMODULE>(instance);
    ::HRSRC found = ::FindResourceExA(module, MAKEINTRESOURCEA(5) /* RT_DIALOG */,
                                      MAKEINTRESOURCEA(id), LangIdOf(UiLanguage()));
    if (!found) return nullptr;
    ::HGLOBAL loaded = ::LoadResource(module, found);
    return loaded ? ::LockResource(loaded) : nullptr;
}

}  // namespace qv::win32
