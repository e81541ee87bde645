// The .reg reader on arbitrary bytes: it must never crash, and whatever it accepts must be
// written out in a form that reads back without a line skipped and writes out the same again (a
// string without its terminating zero reads back with one, so trees are compared as written).
// Names that are neither UTF-8 nor Shift-JIS have no form that reads back in both, so for them
// only the reading counts.
#include "platform/posix/RegFormat.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qv::posix::RegKey top("");
    if (!qv::posix::ParseRegText(Text(data, size), top, nullptr)) return 0;
    std::string written = qv::posix::FormatRegText(top);
    qv::posix::RegKey back("");
    qv::posix::RegParseError error;
    Check(qv::posix::ParseRegText(written, back, &error));
    if (!qv::posix::IsUtf8Text(written)) return 0;
    Check(error.skipped.empty() && qv::posix::FormatRegText(back) == written);
    return 0;
}
