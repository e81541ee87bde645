#pragma once
// The string table of the program's resources.
#include <cstdint>
#include <string_view>

namespace qv {

// The text of the string resource id in the UI language; an absent id gives an empty text.
std::string_view LoadResourceString(std::uint32_t id);

}  // namespace qv
