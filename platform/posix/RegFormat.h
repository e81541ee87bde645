#pragma once
// The registry editor's text format (REGEDIT4): reading it into a tree and writing a tree out.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/posix/RegTree.h"

namespace qv::posix {

struct RegParseError {
    std::string message;               // why the text is no registry file at all
    std::vector<std::size_t> skipped;  // 1-based numbers of the lines that could not be read
};

// Adds the keys and values of the text to top, whose sub-keys are the roots (HKEY_CURRENT_USER,
// ...). Reads what the registry editor reads: REGEDIT4 text, or its Unicode export (UTF-16LE,
// "Windows Registry Editor Version 5.00"), whose strings are brought into UTF-8. A line that
// cannot be read is skipped and listed, as the editor skips it; a key line that cannot be read
// takes its values with it. Answers false, reading nothing, only when the text has no header.
// Empty text is an empty registry.
bool ParseRegText(std::string_view text, RegKey& top, RegParseError* error);

// The whole tree below top as REGEDIT4 text with CR LF line ends. A REG_SZ whose bytes are
// printable UTF-8 text, with or without one terminating zero, is written as a quoted string (it
// reads back with its zero); every other value in a hex form that gives back the same bytes.
std::string FormatRegText(const RegKey& top);

// Whether the bytes are well-formed UTF-8 (control characters allowed): such text is read as
// UTF-8, any other as Shift-JIS.
bool IsUtf8Text(std::string_view text);

}  // namespace qv::posix
