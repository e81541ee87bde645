#pragma once
#include <cstdint>

#include "platform/language.h"

namespace qv::win32 {

// The language of this run on Windows: QUAVEL_LANG when it forces one, else the user's UI
// language (Japanese for a Japanese UI, English for every other).
Language UserUiLanguage();

// The dialog template `id` of the module's resources in the UI language, or null when the module
// has none in that language.
const void* FindDialogResource(void* instance, std::uint32_t id);

}  // namespace qv::win32
