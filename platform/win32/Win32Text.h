#pragma once
// The program's byte strings and the window system's UTF-16, converted at this boundary only.
#include <string>
#include <string_view>

namespace qv::win32 {

// For display: UTF-8 when the bytes are valid UTF-8, else Shift-JIS, else the ANSI code page,
// so that a title from an old file shows as it was written without changing the stored bytes.
std::wstring ToDisplay(std::string_view bytes);

// What the user typed or chose, as the program's UTF-8 bytes.
std::string FromDisplay(std::wstring_view text);

}  // namespace qv::win32
