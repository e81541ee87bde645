#pragma once
// The whole player on the headless window system: the system's own files, processes and version
// resource, a registry of its own (a file on Linux, a test key on Windows), and the sequencer on a
// silent output driven by a hand-advanced clock. Used by the player's tests in several folders.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/PlayerDlg.h"
#include "platform/Installed.h"
#include "platform/sequencer/Clock.h"
#include "platform/sequencer/SequencerMci.h"
#include "tests/support/FilesTempDir.h"
#include "tests/support/RegistryTestFile.h"
#include "tests/support/SystemBackends.h"
#include "tests/support/WindowTestFixture.h"

class PlayerFixture : public WindowTestFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes a MIDI file that lasts lengthMs and carries the title (when given); answers its path.
    std::string Song(const std::string& name, std::uint32_t lengthMs,
                     const std::string& title = "");
    // Appends entries to the list on screen and enables the buttons as a drop while stopped would.
    static void AddEntries(CPlayerDlg& dlg, const std::vector<std::string>& paths);
    // Runs a player dialog with the body as its user; then the dialog ends without the quit
    // sequence, so the registry stays as the body left it, unless the body ended it itself.
    void RunPlayer(const std::function<void(CPlayerDlg&, qv::headless::DialogDriver&)>& body);
    // Lets time pass for the sequencer and the window system together, in steps shorter than the
    // position timer's period, so that completions and timer ticks interleave as they would live.
    void Run(std::uint64_t ms);

    // A registry holding these values below the settings key, as a previous run left it. Values
    // are written as registry-file lines ("Name"=dword:1 or "Name"="text"), but they go in
    // through the registry seam, so that the same test checks the system's registry on Windows.
    void StoreSettings(const std::string& lines);
    // The settings key's DWORD and string values as registry-file lines, sorted by name (the
    // systems enumerate in different orders); read through the registry seam.
    std::vector<std::string> StoredSettings() const;

    qvtest::TempDir dir;
    qv::test::ScopedFileRegistry registry;
    qv::seq::ManualClock clock;

private:
    qvtest::SystemFileSystem m_files;
    qvtest::SystemProcess m_process;
    qvtest::SystemVersion m_version;
    qv::Installed<qv::IFileSystem, qv::InstallFileSystem> m_installFiles{m_files};
    qv::Installed<qv::IProcess, qv::InstallProcess> m_installProcess{m_process};
    qv::Installed<qv::IVersion, qv::InstallVersion> m_installVersion{m_version};
    std::optional<qv::seq::SequencerMci> m_mci;
    qv::IMci* m_pPreviousMci = nullptr;
};

// A DWORD value's line in registry-file text: "Name"=dword:0000002a.
std::string DwordLine(const std::string& name, std::uint32_t value);
// The lines of the settings key in registry-file text, in file order.
std::vector<std::string> SettingsLines(const std::string& registryText);

// The lines of the player's buttons as the user sees them: PLAY, STOP, PREV, NEXT enabled or not.
std::string TransportState(qv::headless::DialogDriver& d);
