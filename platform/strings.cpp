#include "platform/strings.h"

#include "res/StringTable.h"

namespace qv {

std::string_view LoadResourceString(std::uint32_t id) {
    std::string_view text;
    res::FindString(id, text);
    return text;
}

}  // namespace qv
