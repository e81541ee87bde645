#pragma once
// Types shared by every seam. Fixed-width only, and all in namespace qv, so that a Win32 backend can
// include <windows.h> beside these headers without a clash.
#include <cstdint>

namespace qv {

// A window of the window system (a dialog or one of its controls). Opaque to the program.
struct HWND__;
using HWND = HWND__*;

// 100-nanosecond intervals since 1601-01-01 UTC, low half first, as Win32 keeps them. Both the
// file and the registry seam use it, so it is defined once here.
struct FILETIME {
    std::uint32_t dwLowDateTime;
    std::uint32_t dwHighDateTime;
};

}  // namespace qv
