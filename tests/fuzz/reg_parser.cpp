// The .reg reader on arbitrary bytes: it must never crash, and whatever it accepts must be
// written out in a form that reads back without a line skipped and writes out the same again (a
// string without its terminating zero reads back with one, so trees are compared as written).
// Names that are neither UTF-8 nor Shift-JIS have no form that reads back in both, so for them
// only the reading counts.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/posix/RegFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    qv::posix::RegKey top("");
    if (!qv::posix::ParseRegText(text, top, nullptr)) return 0;
    std::string written = qv::posix::FormatRegText(top);
    qv::posix::RegKey back("");
    qv::posix::RegParseError error;
    if (!qv::posix::ParseRegText(written, back, &error)) std::abort();
    if (!qv::posix::IsUtf8Text(written)) return 0;
    if (!error.skipped.empty() || qv::posix::FormatRegText(back) != written) std::abort();
    return 0;
}
