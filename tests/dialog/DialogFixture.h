#pragma once
// The player dialog on the headless window system and the real file system in a temporary
// folder, driven as its user would drive it.
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/PlayerDlg.h"
#include "platform/posix/files_posix.h"
#include "res/resource.h"
#include "tests/support/FilesTempDir.h"
#include "tests/support/SmfBytes.h"
#include "tests/support/WindowTestFixture.h"

// The POSIX file system, counting the MIDI files it opens, and failing to create or to write any
// file whose name contains the given text.
class FaultyFileSystem : public qv::PosixFileSystem {
public:
    qv::HANDLE CreateFileA(const char* name, std::uint32_t access, std::uint32_t shareMode,
                           std::uint32_t disposition, std::uint32_t flags) override;
    std::int32_t WriteFile(qv::HANDLE file, const void* buffer, std::uint32_t toWrite,
                           std::uint32_t* written) override;

    std::string failCreate, failWrite;
    int midiOpens = 0;

private:
    std::map<qv::HANDLE, std::string> m_names;
};

std::vector<std::string> Strings(const CStringArray& a);

class DialogTest : public WindowTestFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs the player dialog, which takes drops as it does from start-up on; body acts as the
    // user, then Enter ends the dialog.
    void Run(const std::function<void(qv::headless::DialogDriver&)>& body);
    // A MIDI file in the temporary folder whose first track names it title (empty: no name).
    std::string Song(const std::string& name, const std::string& title = "") const;
    // The enabled ones among the transport and list-editing buttons, in a fixed order.
    static std::string Enabled(qv::headless::DialogDriver& d);
    void SaveTitles(bool on) { dlg->m_settings.Value(IDS_YESSAVETITLE).SetDword(on); }
    // Selects a line and makes it current, without a selection-change notification.
    void Select(int nIndex);
    std::vector<std::string> Titles() const { return Strings(dlg->m_list.m_aTitles); }

    FaultyFileSystem files;
    qvtest::ScopedFileSystem installed{&files};
    qvtest::TempDir dir;
    std::unique_ptr<CPlayerDlg> dlg;
};
