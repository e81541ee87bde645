#include "tests/dialog/DialogFixture.h"

#include <cstring>
#include <string_view>

using qv::headless::DialogDriver;

namespace {

bool Contains(const char* name, const std::string& part) {
    return !part.empty() && name && std::strstr(name, part.c_str()) != nullptr;
}

}  // namespace

qv::HANDLE FaultyFileSystem::CreateFileA(const char* name, std::uint32_t access,
                                         std::uint32_t shareMode, std::uint32_t disposition,
                                         std::uint32_t flags) {
    if (disposition == CREATE_ALWAYS && Contains(name, failCreate)) {
        qv::SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    if (std::string_view(name).ends_with(".mid")) ++midiOpens;
    qv::HANDLE h = PosixFileSystem::CreateFileA(name, access, shareMode, disposition, flags);
    if (h != INVALID_HANDLE_VALUE) m_names[h] = name;
    return h;
}

std::int32_t FaultyFileSystem::WriteFile(qv::HANDLE file, const void* buffer, std::uint32_t toWrite,
                                         std::uint32_t* written) {
    if (!Contains(m_names[file].c_str(), failWrite))
        return PosixFileSystem::WriteFile(file, buffer, toWrite, written);
    // Half of it reaches the disk, then the disk is full.
    PosixFileSystem::WriteFile(file, buffer, toWrite / 2, written);
    qv::SetLastError(ERROR_DISK_FULL);
    return 0;
}

std::vector<std::string> Strings(const CStringArray& a) {
    std::vector<std::string> out;
    for (const CString& s : a) out.push_back(s.Str());
    return out;
}

void DialogTest::SetUp() {
    WindowTestFixture::SetUp();
    dlg = std::make_unique<CPlayerDlg>();  // its icon comes from the window system
}

void DialogTest::TearDown() {
    dlg.reset();
    WindowTestFixture::TearDown();
}

void DialogTest::Run(const std::function<void(DialogDriver&)>& body) {
    windows.OnDialog(IDD_PLAYER, [&](DialogDriver& d) {
        dlg->DragAcceptFiles(TRUE);
        body(d);
        qv::EndDialog(d.Handle(), IDOK);  // without the quit sequence
    });
    EXPECT_EQ(dlg->DoModal(), IDOK);
}

std::string DialogTest::Song(const std::string& name, const std::string& title) const {
    qv::seq::SmfTrack track;
    if (!title.empty()) track.Name(title);
    return dir.Write(name, qvtest::Smf({track}));
}

std::string DialogTest::Enabled(DialogDriver& d) {
    static const std::pair<int, const char*> kButtons[] = {
        {IDC_PLAY, "PLAY"}, {IDC_STOP, "STOP"}, {IDC_PREV, "PREV"}, {IDC_NEXT, "NEXT"},
        {IDC_SHUFFLE, "!"}, {IDC_CLEAR, "X"},   {IDC_REMOVE, "R"},  {IDC_EDIT, "EDIT"},
        {IDC_UP, "U"},      {IDC_DOWN, "D"},
    };
    std::string out;
    for (const auto& [id, name] : kButtons) {
        if (d.IsEnabled(id)) out += (out.empty() ? "" : " ") + std::string(name);
    }
    return out;
}

void DialogTest::Select(int nIndex) {
    dlg->SelectListEntry(nIndex);
    dlg->m_nCurrent = nIndex;
}
