#pragma once
// The languages the resources come in. Japanese is the reference set; every other set carries the
// same ids and the same control rectangles, and only its display texts differ.
#include <cstdint>

namespace qv::res {

enum class Language : std::uint8_t { Japanese, English };

inline constexpr Language kLanguages[] = {Language::Japanese, Language::English};

}  // namespace qv::res
