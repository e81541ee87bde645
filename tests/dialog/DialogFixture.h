#pragma once
// The player dialog on the headless window system and the real file system in a temporary
// folder, driven as its user would drive it.
#include <cstring>
#include <map>
#include <string_view>

#include "res/resource.h"
#include "tests/support/PlayerFixture.h"

// The system's file system, counting the MIDI files it opens, and failing to create or to write any
// file whose name contains the given text.
class FaultyFileSystem : public qvtest::SystemFileSystem {
public:
    qv::HANDLE CreateFileA(const char* name, std::uint32_t access, std::uint32_t shareMode,
                           std::uint32_t disposition, std::uint32_t flags) override {
        if (disposition == CREATE_ALWAYS && Contains(name, failCreate)) {
            qv::SetLastError(ERROR_ACCESS_DENIED);
            return INVALID_HANDLE_VALUE;
        }
        if (std::string_view(name).ends_with(".mid")) ++midiOpens;
        qv::HANDLE h =
            qvtest::SystemFileSystem::CreateFileA(name, access, shareMode, disposition, flags);
        if (h != INVALID_HANDLE_VALUE) m_names[h] = name;
        return h;
    }
    std::int32_t WriteFile(qv::HANDLE file, const void* buffer, std::uint32_t toWrite,
                           std::uint32_t* written) override {
        if (!Contains(m_names[file].c_str(), failWrite))
            return qvtest::SystemFileSystem::WriteFile(file, buffer, toWrite, written);
        // Half of it reaches the disk, then the disk is full.
        qvtest::SystemFileSystem::WriteFile(file, buffer, toWrite / 2, written);
        qv::SetLastError(ERROR_DISK_FULL);
        return 0;
    }

    std::string failCreate, failWrite;
    int midiOpens = 0;

private:
    static bool Contains(const char* name, const std::string& part) {
        return !part.empty() && name && std::strstr(name, part.c_str()) != nullptr;
    }
    std::map<qv::HANDLE, std::string> m_names;
};

inline std::vector<std::string> Strings(const CStringArray& a) {
    std::vector<std::string> out;
    for (const CString& s : a) out.push_back(s.Str());
    return out;
}

class DialogTest : public PlayerFixture {
protected:
    // Runs the player dialog, which takes drops as it does from start-up on; body acts as the
    // user, then the dialog ends without the quit sequence.
    void Run(const std::function<void(qv::headless::DialogDriver&)>& body) {
        RunPlayer([&](CPlayerDlg& player, qv::headless::DialogDriver& d) {
            dlg = &player;
            player.DragAcceptFiles(TRUE);
            body(d);
        });
    }
    // A MIDI file in the temporary folder whose first track names it title (empty: no name).
    std::string Song(const std::string& name, const std::string& title = "") {
        return PlayerFixture::Song(name, 0, title);
    }
    // The enabled ones among the transport and list-editing buttons, in a fixed order.
    static std::string Enabled(qv::headless::DialogDriver& d) {
        static const std::pair<int, const char*> kButtons[] = {
            {IDC_PLAY, "PLAY"}, {IDC_STOP, "STOP"}, {IDC_PREV, "PREV"}, {IDC_NEXT, "NEXT"},
            {IDC_SHUFFLE, "!"}, {IDC_CLEAR, "X"},   {IDC_REMOVE, "R"},  {IDC_EDIT, "EDIT"},
            {IDC_UP, "U"},      {IDC_DOWN, "D"},
        };
        std::string out;
        for (const auto& [id, name] : kButtons)
            if (d.IsEnabled(id)) out += (out.empty() ? "" : " ") + std::string(name);
        return out;
    }
    void SaveTitles(bool on) { dlg->m_settings.Value(IDS_YESSAVETITLE).SetDword(on); }
    // Selects a line and makes it current, without a selection-change notification.
    void Select(int nIndex) {
        dlg->SelectListEntry(nIndex);
        dlg->m_nCurrent = nIndex;
    }
    std::vector<std::string> Titles() const { return Strings(dlg->m_list.m_aTitles); }

    FaultyFileSystem files;
    qvtest::ScopedFileSystem installed{&files};
    CPlayerDlg* dlg = nullptr;  // the running dialog
};
