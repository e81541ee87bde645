// <windows.h> first, so that the seam headers leave its names alone.
// clang-format off
#include <windows.h>
// clang-format on

#include "platform/win32/Win32Text.h"

namespace qv::win32 {
namespace {

constexpr UINT kShiftJis = 932;

// Strict: a byte sequence the code page does not define answers false.
bool Decode(UINT codePage, DWORD flags, std::string_view bytes, std::wstring& out) {
    if (bytes.empty()) {
        out.clear();
        return true;
    }
    const int size = static_cast<int>(bytes.size());
    const int n = ::MultiByteToWideChar(codePage, flags, bytes.data(), size, nullptr, 0);
    if (n <= 0) return false;
    out.assign(static_cast<std::size_t>(n), L'\0');
    return ::MultiByteToWideChar(codePage, flags, bytes.data(), size, out.data(), n) == n;
}

}  // namespace

std::wstring ToDisplay(std::string_view bytes) {
    std::wstring text;
    if (Decode(CP_UTF8, MB_ERR_INVALID_CHARS, bytes, text)) return text;
    if (Decode(kShiftJis, MB_ERR_INVALID_CHARS, bytes, text)) return text;
    if (Decode(CP_ACP, 0, bytes, text)) return text;
    return std::wstring(bytes.begin(), bytes.end());
}

std::string FromDisplay(std::wstring_view text) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int n =
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), n, nullptr, nullptr);
    return out;
}

}  // namespace qv::win32
