// The .reg reader on arbitrary bytes: it must never crash, and whatever it accepts must be
// written out in a form that reads back the same.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/posix/RegFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    qv::posix::RegKey top("");
    if (!qv::posix::ParseRegText(text, top, nullptr)) return 0;
    qv::posix::RegKey back("");
    if (!qv::posix::ParseRegText(qv::posix::FormatRegText(top), back, nullptr)) std::abort();
    if (!qv::posix::SameContents(top, back)) std::abort();
    return 0;
}
