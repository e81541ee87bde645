// What only the Win32 backends do, on the real system calls (under wine64 in CI); the seams'
// contracts run on them in the portable test programs. Where Wine answers otherwise than Windows,
// the case says so by name and is skipped under Wine only.
// <windows.h> first, so that the seam headers leave its names alone.
// clang-format off
#include <windows.h>
// clang-format on

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/Installed.h"
#include "platform/mci.h"
#include "platform/win32/Win32Mci.h"
#include "platform/win32/Win32WindowSystem.h"
#include "platform/window.h"
#include "res/resource.h"
#include "tests/support/FilesTempDir.h"
#include "tests/support/Wine.h"

namespace {

using qv::Installed;

TEST(Win32MidiOutTest, NullIsSilentAndAnUnknownDeviceIsNamedInTheReason) {
    ::_putenv("QUAVEL_MIDI_OUT=null");
    std::string failure;
    std::uint32_t problem = 0;
    EXPECT_NE(qv::win32::MakeMidiOutput(failure, problem), nullptr);
    ::_putenv("QUAVEL_MIDI_OUT=No Such Synth");
    EXPECT_EQ(qv::win32::MakeMidiOutput(failure, problem), nullptr);
    EXPECT_NE(failure.find("No Such Synth"), std::string::npos) << failure;
    EXPECT_EQ(problem, static_cast<std::uint32_t>(IDS_SOUND_BADOUTPUT)) << "the user is told why";
    ::_putenv("QUAVEL_MIDI_OUT=");
}

// The system's own sequencer behind QUAVEL_MIDI_OUT=mci, through the seam's blocks (whose open
// block the backend repacks in a 64-bit process). Two beats at one second a beat.
TEST(Win32MciTest, SystemSequencerMeasuresASongInMilliseconds) {
    qvtest::TempDir dir;
    const std::string song = dir.Write(
        "slow.mid", std::string_view("MThd\0\0\0\6\0\0\0\1\0\x60MTrk\0\0\0\x14"
                                     "\0\xFF\x51\3\x0F\x42\x40\0\x90\x3C\x64\x81\x40\x80\x3C\0"
                                     "\0\xFF\x2F\0",
                                     42));
    qv::win32::Win32Mci mci;
    Installed<qv::IMci, qv::InstallMci> installed(mci);
    auto send = [](qv::MCIDEVICEID id, std::uint32_t msg, std::uintptr_t flags, void* parms) {
        return qv::mciSendCommandA(id, msg, flags | MCI_WAIT,
                                   reinterpret_cast<std::uintptr_t>(parms));
    };
    qv::MCI_OPEN_PARMS open{};
    open.lpstrDeviceType = reinterpret_cast<const char*>(std::uintptr_t{MCI_DEVTYPE_SEQUENCER});
    open.lpstrElementName = song.c_str();
    const qv::MCIERROR opened =
        send(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_TYPE_ID | MCI_OPEN_ELEMENT, &open);
    if (opened != 0 && qvtest::UnderWine())
        GTEST_SKIP() << "Wine's sequencer needs a MIDI device: " << opened;
    ASSERT_EQ(opened, 0u);
    ASSERT_NE(open.wDeviceID, 0u);
    qv::MCI_SET_PARMS set{0, MCI_FORMAT_MILLISECONDS, 0};
    EXPECT_EQ(send(open.wDeviceID, MCI_SET, MCI_SET_TIME_FORMAT, &set), 0u);
    qv::MCI_STATUS_PARMS status{0, 0, MCI_STATUS_LENGTH, 0};
    EXPECT_EQ(send(open.wDeviceID, MCI_STATUS, MCI_STATUS_ITEM, &status), 0u);
    const std::uintptr_t length = status.dwReturn;
    send(open.wDeviceID, MCI_CLOSE, 0, nullptr);
    QV_SKIP_WINE_DIFFERENCE("the system sequencer ignores tempo: " << length << " ms");
    EXPECT_EQ(length, 2000u);
}

// A real dialog from the resources: the Japanese caption reads back exactly as the resource
// holds it, a Shift-JIS title is shown decoded, the combo box holds its three modes, and a control
// the template hides stays hidden. (The window contract runs on this backend too.)
std::int32_t PlayerProc(qv::HWND hDlg, std::uint32_t message, std::uintptr_t, std::intptr_t,
                        std::intptr_t* pResult) {
    if (message != WM_INITDIALOG) return FALSE;
    char caption[64] = {};
    qv::GetWindowTextA(qv::GetDlgItem(hDlg, IDC_OPEN), caption, sizeof caption);
    EXPECT_STREQ(caption, "開く(&O)");
    qv::HWND list = qv::GetDlgItem(hDlg, IDC_PLAYLIST);
    qv::SendMessageA(list, LB_ADDSTRING, 0,  // "タイトル"
                     reinterpret_cast<std::intptr_t>("\x83\x5E\x83\x43\x83\x67\x83\x8B"));
    wchar_t shown[16] = {};
    ::SendMessageW(reinterpret_cast<::HWND>(list), LB_GETTEXT, 0, reinterpret_cast<LPARAM>(shown));
    EXPECT_STREQ(shown, L"\x30BF\x30A4\x30C8\x30EB");
    EXPECT_EQ(qv::SendMessageA(qv::GetDlgItem(hDlg, IDC_DISPLAYMODE), CB_GETCOUNT, 0, 0), 3);
    EXPECT_FALSE(qv::IsWindowVisible(qv::GetDlgItem(hDlg, IDC_RANDOM)));
    qv::EndDialog(hDlg, 42);
    *pResult = TRUE;
    return TRUE;
}

TEST(Win32WindowTest, PlayerDialogFromTheResources) {
    if (!::GetEnvironmentVariableA("DISPLAY", nullptr, 0) && qvtest::UnderWine())
        GTEST_SKIP() << "Wine needs an X display to create windows";
    qv::win32::Win32WindowSystem windows(::GetModuleHandleA(nullptr));
    Installed<qv::IWindowSystem, qv::InstallWindowSystem> installed(windows);
    EXPECT_EQ(qv::DialogBoxParamA(IDD_PLAYER, nullptr, &PlayerProc, 0), 42);
}

}  // namespace
