#pragma once
#include <cstdint>
#include <string_view>

namespace qv::res {

struct StringEntry {
    std::uint32_t id;
    std::string_view text;
};

// Looks up a string-table entry; answers false (and leaves text empty) for an absent id.
bool FindString(std::uint32_t id, std::string_view& text);

}  // namespace qv::res
