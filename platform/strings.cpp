#include "platform/strings.h"

#include "platform/language.h"
#include "res/StringTable.h"

namespace qv {

std::string_view LoadResourceString(std::uint32_t id) {
    std::string_view text;
    res::FindString(id, UiLanguage(), text);
    return text;
}

}  // namespace qv
