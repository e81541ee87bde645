#include "res/StringTable.h"

#include <iterator>

#include "res/resource.h"

namespace qv::res {
namespace {

constexpr StringEntry kStrings[] = {
#define QV_STRING(id, text) {id, text},
#include "res/strings.def"
#undef QV_STRING
};

}  // namespace

bool FindString(std::uint32_t id, std::string_view& text) {
    for (const StringEntry& e : kStrings) {
        if (e.id == id) {
            text = e.text;
            return true;
        }
    }
    text = {};
    return false;
}

}  // namespace qv::res
