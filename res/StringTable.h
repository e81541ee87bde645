#pragma once
#include <cstdint>
#include <span>
#include <string_view>

#include "res/Language.h"

namespace qv::res {

struct StringEntry {
    std::uint32_t id;
    std::string_view text;
};

// The string table of a language, in the order of its definition.
std::span<const StringEntry> StringTable(Language language);

// Looks up a string-table entry; answers false (and leaves text empty) for an absent id.
bool FindString(std::uint32_t id, Language language, std::string_view& text);

}  // namespace qv::res
