// The yardstick for quavel.exe's start-up under Wine: the smallest dialog program, one dialog from
// the same resources and nothing else. Its caption is "Minimal dialog" so that a script can find
// it.
// clang-format off
#include <windows.h>
// clang-format on

#include "res/resource.h"

namespace {

INT_PTR CALLBACK Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        ::SetWindowTextA(dialog, "Minimal dialog");
        return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        ::EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    return static_cast<int>(
        ::DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_ABOUTBOX), nullptr, &Proc, 0));
}
