// The Win32 backends on the real system calls (under wine64 in CI). Where Wine answers otherwise
// than Windows, the case says so by name and is skipped under Wine only.
// <windows.h> first, so that the seam headers leave its names alone.
// clang-format off
#include <windows.h>
// clang-format on

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/Installed.h"
#include "platform/files.h"
#include "platform/mci.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/version.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32Mci.h"
#include "platform/win32/Win32Process.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32Version.h"
#include "platform/win32/Win32WindowSystem.h"
#include "platform/window.h"
#include "res/resource.h"
#include "tests/support/FilesTempDir.h"

namespace {

using qv::Installed;

bool UnderWine() {
    HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// Whether to skip a case where Wine is known to differ; QV_WINE_DIFFERENCES=1 runs them anyway,
// to see whether a newer Wine still does.
bool SkipWineDifference() {
    return UnderWine() && !std::getenv("QV_WINE_DIFFERENCES");
}

class Win32Files : public ::testing::Test {
protected:
    qv::win32::Win32FileSystem m_fs;
    Installed<qv::IFileSystem, qv::InstallFileSystem> m_installed{m_fs};
    qvtest::TempDir m_dir;
};

TEST_F(Win32Files, WrittenBytesReadBackWhileOthersAreDeniedWriting) {
    const std::string path = m_dir / "list.qvl";
    qv::HANDLE out =
        qv::CreateFileA(path.c_str(), GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL);
    ASSERT_NE(out, INVALID_HANDLE_VALUE);
    std::uint32_t written = 0;
    EXPECT_TRUE(qv::WriteFile(out, "a\r\nb\r\n", 6, &written));
    EXPECT_EQ(written, 6u);
    qv::CloseHandle(out);

    qv::HANDLE in = qv::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0);
    ASSERT_NE(in, INVALID_HANDLE_VALUE);
    EXPECT_EQ(qv::CreateFileA(path.c_str(), GENERIC_WRITE, 0, CREATE_ALWAYS, 0),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(qv::GetLastError(), static_cast<std::uint32_t>(ERROR_SHARING_VIOLATION));
    char buffer[16] = {};
    std::uint32_t read = 0;
    EXPECT_TRUE(qv::ReadFile(in, buffer, sizeof buffer, &read));
    EXPECT_EQ(std::string(buffer, read), "a\r\nb\r\n");
    qv::CloseHandle(in);
}

TEST_F(Win32Files, StatusEnumerationAndTimesFollowTheFileSystem) {
    const std::string file = m_dir.Write("song.mid", "MThd");
    qv::StatBuffer st{};
    ASSERT_EQ(qv::StatPath(m_dir.Path().c_str(), &st), 0);
    EXPECT_TRUE(st.st_mode & _S_IFDIR);
    EXPECT_EQ(qv::StatPath((m_dir / "missing").c_str(), &st), -1);
    qv::WIN32_FILE_ATTRIBUTE_DATA data{};
    EXPECT_FALSE(qv::GetFileAttributesExA((m_dir / "missing").c_str(), &data));
    EXPECT_EQ(qv::GetLastError(), static_cast<std::uint32_t>(ERROR_FILE_NOT_FOUND));

    std::vector<std::string> names;
    qv::WIN32_FIND_DATAA found{};
    qv::HANDLE find = qv::FindFirstFileA((m_dir.Path() + "\\*.*").c_str(), &found);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    do names.push_back(found.cFileName);
    while (qv::FindNextFileA(find, &found));
    qv::FindClose(find);
    EXPECT_EQ(names.size(), 3u);  // ".", ".." and the song

    // Times copied from one file to another compare equal, as title files rely on.
    const std::string copy = m_dir.Write("song.qvt", "x");
    ASSERT_TRUE(qv::GetFileAttributesExA(file.c_str(), &data));
    qv::HANDLE h = qv::CreateFileA(copy.c_str(), FILE_WRITE_ATTRIBUTES, 0, OPEN_EXISTING, 0);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(
        qv::SetFileTime(h, &data.ftCreationTime, &data.ftLastAccessTime, &data.ftLastWriteTime));
    qv::CloseHandle(h);
    qv::WIN32_FILE_ATTRIBUTE_DATA copied{};
    ASSERT_TRUE(qv::GetFileAttributesExA(copy.c_str(), &copied));
    EXPECT_EQ(
        std::memcmp(&copied.ftLastWriteTime, &data.ftLastWriteTime, sizeof data.ftLastWriteTime),
        0);
}

TEST_F(Win32Files, OwnFileNameIsCutToFitAndSaysSo) {
    char name[MAX_PATH] = {};
    const std::uint32_t n = qv::GetModuleFileNameA(nullptr, name, sizeof name);
    ASSERT_GT(n, 4u);
    char tiny[4] = {};
    EXPECT_EQ(qv::GetModuleFileNameA(nullptr, tiny, sizeof tiny), sizeof tiny);
    EXPECT_EQ(qv::GetLastError(), static_cast<std::uint32_t>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(std::strlen(tiny), sizeof tiny - 1);
}

class Win32RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        ::RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
        ASSERT_EQ(qv::RegCreateKeyExA(kSeamCurrentUser, kKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                                      nullptr, &m_key, nullptr),
                  ERROR_SUCCESS);
    }
    void TearDown() override {
        qv::RegCloseKey(m_key);
        ::RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
    }
    static constexpr const char* kKey = "Software\\QuavelWin32Test";
    // HKEY_CURRENT_USER as the program, built without <windows.h>, passes it.
    const qv::HKEY kSeamCurrentUser = reinterpret_cast<qv::HKEY>(std::uintptr_t{0x80000001u});
    qv::win32::Win32Registry m_registry;
    Installed<qv::IRegistry, qv::InstallRegistry> m_installed{m_registry};
    qv::HKEY m_key = nullptr;

    // Name:type:length of every value, sorted: Wine lists values sorted by name, Windows in the
    // order they were written, and the settings store relies on neither.
    std::vector<std::string> AllValues() {
        std::vector<std::string> seen;
        for (std::uint32_t i = 0;; ++i) {
            char name[32];
            std::uint8_t data[32];
            std::uint32_t cchName = sizeof name, cbData = sizeof data, type = 0;
            if (qv::RegEnumValueA(m_key, i, name, &cchName, nullptr, &type, data, &cbData) !=
                ERROR_SUCCESS)
                break;
            seen.push_back(std::string(name, cchName) + ":" + std::to_string(type) + ":" +
                           std::to_string(cbData));
        }
        std::sort(seen.begin(), seen.end());
        return seen;
    }
};

// Through the seam's predefined root, which a 64-bit process must widen as the system does.
TEST_F(Win32RegistryTest, ValuesKeepTheirTypesAndTheKeyCountsThem) {
    const std::uint8_t text[] = {'a', 'b', 'c', 0};
    const std::uint8_t one[] = {1, 0, 0, 0};
    ASSERT_EQ(qv::RegSetValueExA(m_key, "AutoDocCmd", 0, REG_SZ, text, 4), ERROR_SUCCESS);
    ASSERT_EQ(qv::RegSetValueExA(m_key, "YesLoop", 0, REG_DWORD, one, 4), ERROR_SUCCESS);
    std::uint32_t values = 0, longestName = 0, longestData = 0;
    ASSERT_EQ(qv::RegQueryInfoKeyA(m_key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                   &values, &longestName, &longestData, nullptr, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(values, 2u);
    EXPECT_EQ(longestName, 10u);
    EXPECT_EQ(AllValues(), (std::vector<std::string>{"AutoDocCmd:1:4", "YesLoop:4:4"}));
}

// The settings store writes strings without their zero, and reads them into a buffer of exactly
// their length, keeping a byte in hand in case a registry appends a zero anyway.
TEST_F(Win32RegistryTest, StringWithoutItsZeroStaysInsideTheBufferAndReadsBackAsWritten) {
    const std::uint8_t text[] = {'a', 'b', 'c'};
    ASSERT_EQ(qv::RegSetValueExA(m_key, "V", 0, REG_SZ, text, 3), ERROR_SUCCESS);
    char name[8];
    std::uint8_t data[4] = {0, 0, 0, 0x55};
    std::uint32_t cchName = sizeof name, cbData = 3, type = 0;
    qv::RegEnumValueA(m_key, 0, name, &cchName, nullptr, &type, data, &cbData);
    EXPECT_EQ(data[3], 0x55);
    if (SkipWineDifference())
        GTEST_SKIP() << "Wine reads a REG_SZ stored without its zero back with one";
    EXPECT_EQ(AllValues(), std::vector<std::string>{"V:1:3"});
}

TEST(Win32ProcessTest, StartsWithoutWaitingAndReportsAMissingProgram) {
    qv::win32::Win32Process process;
    Installed<qv::IProcess, qv::InstallProcess> installed(process);
    EXPECT_NE(qv::StartProcess("cmd.exe /c exit 0", "C:\\a folder\\x.txt", SW_SHOWNA), 0);
    EXPECT_EQ(qv::StartProcess("quavel-no-such-program.exe x", nullptr, SW_SHOWNA), 0);
}

// The test program carries the program's resources, so its own version resource is Quavel's.
TEST(Win32VersionTest, OwnResourceReadsThroughVersionDll) {
    qv::win32::Win32Version version;
    Installed<qv::IVersion, qv::InstallVersion> installed(version);
    char self[MAX_PATH] = {};
    ASSERT_GT(::GetModuleFileNameA(nullptr, self, sizeof self), 0u);
    std::uint32_t handle = 0;
    const std::uint32_t size = qv::GetFileVersionInfoSizeA(self, &handle);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(qv::GetFileVersionInfoA(self, handle, size, block.data()));
    void* value = nullptr;
    std::uint32_t length = 0;
    ASSERT_TRUE(qv::VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &value, &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(*static_cast<std::uint32_t*>(value), 0x03A40411u);
    ASSERT_TRUE(qv::VerQueryValueA(block.data(), "\\StringFileInfo\\041103A4\\ProductName", &value,
                                   &length));
    EXPECT_STREQ(static_cast<const char*>(value), "Quavel");
    char language[128] = {};
    EXPECT_GT(qv::VerLanguageNameA(0x0411, language, sizeof language), 0u);
}

TEST(Win32MidiOutTest, NullIsSilentAndAnUnknownDeviceIsNamedInTheReason) {
    ::_putenv("QUAVEL_MIDI_OUT=null");
    std::string failure;
    EXPECT_NE(qv::win32::MakeMidiOutput(failure), nullptr);
    ::_putenv("QUAVEL_MIDI_OUT=No Such Synth");
    EXPECT_EQ(qv::win32::MakeMidiOutput(failure), nullptr);
    EXPECT_NE(failure.find("No Such Synth"), std::string::npos) << failure;
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
    qv::MCI_OPEN_PARMS open{};
    open.lpstrDeviceType = reinterpret_cast<const char*>(std::uintptr_t{MCI_DEVTYPE_SEQUENCER});
    open.lpstrElementName = song.c_str();
    const auto flags = MCI_OPEN_TYPE | MCI_OPEN_TYPE_ID | MCI_OPEN_ELEMENT | MCI_WAIT;
    const qv::MCIERROR opened =
        qv::mciSendCommandA(0, MCI_OPEN, flags, reinterpret_cast<std::uintptr_t>(&open));
    if (opened != 0 && UnderWine())
        GTEST_SKIP() << "Wine's sequencer needs a MIDI device: " << opened;
    ASSERT_EQ(opened, 0u);
    ASSERT_NE(open.wDeviceID, 0u);
    qv::MCI_SET_PARMS set{};
    set.dwTimeFormat = MCI_FORMAT_MILLISECONDS;
    EXPECT_EQ(qv::mciSendCommandA(open.wDeviceID, MCI_SET, MCI_SET_TIME_FORMAT | MCI_WAIT,
                                  reinterpret_cast<std::uintptr_t>(&set)),
              0u);
    qv::MCI_STATUS_PARMS status{};
    status.dwItem = MCI_STATUS_LENGTH;
    EXPECT_EQ(qv::mciSendCommandA(open.wDeviceID, MCI_STATUS, MCI_STATUS_ITEM | MCI_WAIT,
                                  reinterpret_cast<std::uintptr_t>(&status)),
              0u);
    const std::uintptr_t length = status.dwReturn;
    qv::mciSendCommandA(open.wDeviceID, MCI_CLOSE, MCI_WAIT, 0);
    if (SkipWineDifference()) GTEST_SKIP() << "Wine's sequencer ignores tempo: " << length << " ms";
    EXPECT_EQ(length, 2000u);
}

// A real dialog from the resources: the Japanese caption reads back exactly as the resource
// holds it, a Shift-JIS title is shown decoded while LB_GETTEXT answers the bytes given, the
// combo box holds its three modes, a control the template hides stays hidden, and a message
// posted from another thread arrives.
constexpr std::uint32_t kFromThread = WM_USER + 7;
constexpr char kShiftJisTitle[] = "\x83\x5E\x83\x43\x83\x67\x83\x8B";  // "タイトル"

std::int32_t PlayerProc(qv::HWND hDlg, std::uint32_t message, std::uintptr_t, std::intptr_t,
                        std::intptr_t* pResult) {
    if (message == WM_INITDIALOG) {
        char caption[64] = {};
        qv::GetWindowTextA(qv::GetDlgItem(hDlg, IDC_OPEN), caption, sizeof caption);
        EXPECT_STREQ(caption, "開く(&O)");
        qv::HWND list = qv::GetDlgItem(hDlg, IDC_PLAYLIST);
        EXPECT_EQ(qv::SendMessageA(list, LB_ADDSTRING, 0,
                                   reinterpret_cast<std::intptr_t>(kShiftJisTitle)),
                  0);
        char line[64] = {};
        EXPECT_EQ(qv::SendMessageA(list, LB_GETTEXT, 0, reinterpret_cast<std::intptr_t>(line)), 8);
        EXPECT_STREQ(line, kShiftJisTitle);
        wchar_t shown[16] = {};
        ::SendMessageW(reinterpret_cast<::HWND>(list), LB_GETTEXT, 0,
                       reinterpret_cast<LPARAM>(shown));
        EXPECT_STREQ(shown, L"\x30BF\x30A4\x30C8\x30EB");
        EXPECT_EQ(qv::SendMessageA(qv::GetDlgItem(hDlg, IDC_DISPLAYMODE), CB_GETCOUNT, 0, 0), 3);
        EXPECT_FALSE(qv::IsWindowVisible(qv::GetDlgItem(hDlg, IDC_RANDOM)));
        std::thread([hDlg] { qv::PostWindowMessage(hDlg, kFromThread, 0, 0); }).join();
        *pResult = TRUE;
        return TRUE;
    }
    if (message == kFromThread) {
        qv::EndDialog(hDlg, 42);
        return TRUE;
    }
    return FALSE;
}

TEST(Win32WindowTest, PlayerDialogFromTheResources) {
    if (!::GetEnvironmentVariableA("DISPLAY", nullptr, 0) && UnderWine())
        GTEST_SKIP() << "Wine needs an X display to create windows";
    qv::win32::Win32WindowSystem windows(::GetModuleHandleA(nullptr));
    Installed<qv::IWindowSystem, qv::InstallWindowSystem> installed(windows);
    EXPECT_EQ(qv::DialogBoxParamA(IDD_PLAYER, nullptr, &PlayerProc, 0), 42);
}

}  // namespace
