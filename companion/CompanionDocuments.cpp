// Companion documents (a .DOC or .TXT file beside a MIDI file) and the two user-configured
// commands: the document command and the editor.
#include <vector>

#include "app/PlayerDlg.h"
#include "framework/File.h"
#include "platform/files.h"
#include "platform/process.h"
#include "res/resource.h"

namespace {

// Tried in this order: a .DOC file wins over a .TXT file of the same base name.
constexpr const char* kDocumentExtensions[] = {".DOC", ".TXT"};

// Drive, folder and base name of a path: the path without its extension.
CString BasePath(const CString& strPath) {
    // No part is longer than the path, so buffers of its length plus one always fit.
    const std::size_t nSize = static_cast<std::size_t>(strPath.GetLength()) + 1;
    std::vector<char> drive(nSize), dir(nSize), fname(nSize);
    if (qv::_splitpath_s(strPath, drive.data(), nSize, dir.data(), nSize, fname.data(), nSize,
                         nullptr, 0) != 0)
        return CString();
    return CString(drive.data()) + dir.data() + fname.data();
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
    const CString strBase = BasePath(strPath);
    if (strBase.IsEmpty()) return FALSE;
    for (const char* pszExtension : kDocumentExtensions) {
        const CString strCandidate = strBase + pszExtension;
        CFileStatus status;
        if (CFile::GetStatus(strCandidate, status)) {
            if (pstrDocument) *pstrDocument = strCandidate;
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
    StartCommand(strCommand + " " + strDocument);
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
    StartCommand(strCommand + " " + strPath);
}

// The command line is handed over whole, however long: cutting it to a fixed buffer would start
// a different command (another file, or a cut program name).
void CPlayerDlg::StartCommand(const CString& strCommandLine) {
    if (qv::StartProcess(strCommandLine, SW_SHOWNA)) return;
    CString strText;
    CString strCaption;
    strText.Load(IDS_CMD_FAILED);
    strCaption.Load(IDS_PRODUCTNAME);
    MessageBoxA(strText, strCaption, MB_OK | MB_ICONEXCLAMATION);
}
