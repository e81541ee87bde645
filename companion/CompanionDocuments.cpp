// Companion documents (a .DOC or .TXT file beside a MIDI file) and the two user-configured
// commands: the document command and the editor.
#include <set>
#include <string>
#include <vector>

#include "app/PlayerDlg.h"
#include "framework/File.h"
#include "platform/files.h"
#include "platform/process.h"
#include "res/resource.h"

namespace {

// Tried in this order: a .DOC file wins over a .TXT file of the same base name.
constexpr const char* kDocumentExtensions[] = {".DOC", ".TXT"};

// Drive plus folder, and the base name, of a path; FALSE when it cannot be split.
BOOL SplitBasePath(const CString& strPath, CString& strFolder, CString& strName) {
    // No part is longer than the path, so buffers of its length plus one always fit.
    const std::size_t nSize = static_cast<std::size_t>(strPath.GetLength()) + 1;
    std::vector<char> drive(nSize), dir(nSize), fname(nSize);
    if (qv::_splitpath_s(strPath, drive.data(), nSize, dir.data(), nSize, fname.data(), nSize,
                         nullptr, 0) != 0)
        return FALSE;
    strFolder = CString(drive.data()) + dir.data();
    strName = fname.data();
    return TRUE;
}

// The command texts that could not start in this run. Each is reported once: a document command
// that cannot start would otherwise stop every song at its message box.
std::set<std::string>& FailedCommands() {
    static std::set<std::string> commands;
    return commands;
}

CString ReadCommand(CSettingsStore& settings, UINT nNameId) {
    CString strName;
    strName.Load(nNameId);
    return settings.Value(strName).GetString();
}

}  // namespace

BOOL CPlayerDlg::FindCompanionDocument(const CString& strPath, CString* pstrDocument) {
    // An empty path would make ".DOC" in the current folder look like a companion.
    if (strPath.IsEmpty()) return FALSE;
    CString strFolder;
    CString strBase;
    if (!SplitBasePath(strPath, strFolder, strBase)) return FALSE;
    for (const char* pszExtension : kDocumentExtensions) {
        const CString strCandidate = strFolder + strBase + pszExtension;
        CFileStatus status;
        if (CFile::GetStatus(strCandidate, status)) {
            // The existence test matches letter case loosely, so "SONG.TXT" may stand for
            // song.txt in a folder spelled otherwise too: the program must get names that exist.
            if (pstrDocument) *pstrDocument = qv::GetDiskPath(strCandidate).c_str();
            return TRUE;
        }
    }
    return FALSE;
}

void CPlayerDlg::RunDocumentCommand(const CString& strPath) {
    const CString strCommand = ReadCommand(m_settings, IDS_AUTODOCCMD);
    if (strCommand.IsEmpty()) return;
    CString strDocument;
    if (!FindCompanionDocument(strPath, &strDocument)) return;
    StartCommand(strCommand, strDocument);
}

void CPlayerDlg::AutoOpenDocument(const CString& strPath) {
    m_btnDocument.EnableWindow(FindCompanionDocument(strPath, nullptr));
    CString strName;
    strName.Load(IDS_YESAUTODOC);
    if (m_settings.Value(strName, 0).GetDword() != 0) RunDocumentCommand(strPath);
}

void CPlayerDlg::OnDocument() {
    const int nSelection = m_listBox.GetCurSel();
    if (nSelection < 0) return;
    RunDocumentCommand(m_list.GetText(nSelection, CPlayList::DISPLAY_FULLPATH));
}

void CPlayerDlg::OnEdit() {
    if (m_bPlaying) return;
    const CString strCommand = ReadCommand(m_settings, IDS_RIGHTEDITCMD);
    const int nSelection = m_listBox.GetCurSel();
    if (strCommand.IsEmpty() || m_list.GetSize() == 0 || nSelection < 0) return;
    const CString strPath = m_list.GetText(nSelection, CPlayList::DISPLAY_FULLPATH);
    // The list box and the model always agree; an entry without a path would run the bare editor.
    if (strPath.IsEmpty()) return;
    StartCommand(strCommand, qv::GetDiskPath(strPath).c_str());
}

// The command the user typed is split at blanks as it always was; the path goes over whole as one
// argument more, so that blanks or a leading dash in a song's name cannot become arguments of
// their own. Nothing is cut to a fixed buffer: that would start a different command.
void CPlayerDlg::StartCommand(const CString& strCommand, const CString& strPath) {
    if (qv::StartProcess(strCommand, strPath, SW_SHOWNA)) return;
    if (!FailedCommands().insert(strCommand.Str()).second) return;
    CString strText;
    CString strCaption;
    strText.Load(IDS_CMD_FAILED);
    strCaption.Load(IDS_PRODUCTNAME);
    MessageBoxA(strText, strCaption, MB_OK | MB_ICONEXCLAMATION);
}
