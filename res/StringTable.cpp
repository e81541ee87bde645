#include "res/StringTable.h"

#include <algorithm>

#include "res/resource.h"

namespace qv::res {
namespace {

constexpr StringEntry kJapanese[] = {
#define QV_STRING(id, text) {id, text},
#include "res/strings.def"
#undef QV_STRING
};

constexpr StringEntry kEnglish[] = {
#define QV_STRING(id, text) {id, text},
#include "res/strings_en.def"
#undef QV_STRING
};

constexpr bool SameIds(std::span<const StringEntry> a, std::span<const StringEntry> b) {
    return std::ranges::equal(a, b, {}, &StringEntry::id, &StringEntry::id);
}

// A row added to one table only would show the other language's users an empty text.
static_assert(SameIds(kJapanese, kEnglish),
              "res/strings.def and res/strings_en.def must list the same ids in the same order");

}  // namespace

std::span<const StringEntry> StringTable(Language language) {
    if (language == Language::English) return kEnglish;
    return kJapanese;
}

bool FindString(std::uint32_t id, Language language, std::string_view& text) {
    for (const StringEntry& e : StringTable(language)) {
        if (e.id == id) {
            text = e.text;
            return true;
        }
    }
    text = {};
    return false;
}

}  // namespace qv::res
