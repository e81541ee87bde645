#pragma once
// Types shared by every seam. Fixed-width only, and all in namespace qv, so that a Win32 backend can
// include <windows.h> beside these headers without a clash.
#include <cstdint>

namespace qv {

// A window of the window system (a dialog or one of its controls). Opaque to the program.
struct HWND__;
using HWND = HWND__*;

}  // namespace qv
