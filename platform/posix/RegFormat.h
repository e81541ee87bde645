#pragma once
// The registry editor's text format (REGEDIT4): reading it into a tree and writing a tree out.
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/posix/RegTree.h"

namespace qv::posix {

struct RegParseError {
    std::size_t line = 0;  // 1-based; 0 when the fault is not on one line
    std::string message;
};

// Adds the keys and values of the text to top, whose sub-keys are the roots (HKEY_CURRENT_USER,
// ...). Answers false at the first fault, with where and what in error; top then holds what was
// read before it.
bool ParseRegText(std::string_view text, RegKey& top, RegParseError* error);

// The whole tree below top as REGEDIT4 text with CR LF line ends. A REG_SZ whose bytes are
// printable UTF-8 text ending in exactly one zero is written as a quoted string; every other
// value, including a REG_SZ without its zero, in a hex form that gives back the same bytes.
std::string FormatRegText(const RegKey& top);

}  // namespace qv::posix
