// Adding entries: every source (command line, drop, Open dialog, play-list file) funnels into
// AddPath, which expands the path and offers each file to the model.
#include <cstring>
#include <string_view>
#include <vector>

#include "app/PlayerDlg.h"
#include "framework/FileDialog.h"
#include "framework/WinApp.h"
#include "platform/files.h"
#include "playlist/FileFinder.h"
#include "res/resource.h"

namespace {

constexpr char kListExtension[] = ".qvl";
constexpr char kTitleExtension[] = ".qvt";
constexpr char kMidiExtension[] = "MID";
// Joins a path and its title from a title file into one expanded path.
constexpr char kTitleMark = '\x01';
// Longer than any path a file system accepts; a longer drop is refused rather than cut.
constexpr std::uint32_t kMaxDroppedPath = 32767;

CString ExtensionOf(const CString& strPath) {
    // Sized by the path itself, so that no extension is too long to be told.
    std::vector<char> ext(static_cast<std::size_t>(strPath.GetLength()) + 1, '\0');
    if (qv::_splitpath_s(strPath, nullptr, 0, nullptr, 0, nullptr, 0, ext.data(), ext.size()) != 0)
        return CString();
    return CString(ext.data());
}

// Item i of a drop, whole: a path is never cut to a buffer and then offered as another file.
BOOL QueryDroppedPath(HDROP hDrop, std::uint32_t i, CString& strPath) {
    std::uint32_t nLength = qv::DragQueryFileA(hDrop, i, nullptr, 0);
    if (nLength == 0 || nLength > kMaxDroppedPath) return FALSE;
    std::vector<char> buffer(nLength + 1, '\0');
    std::uint32_t nCopied = qv::DragQueryFileA(hDrop, i, buffer.data(), nLength + 1);
    if (nCopied != nLength) return FALSE;
    strPath = CString(buffer.data(), static_cast<int>(nCopied));
    return TRUE;
}

// A name holding the title mark cannot be played, and would be taken for a list file's line.
void AddPlainPath(const CString& strPath, CStringArray& aOut) {
    if (strPath.Find(kTitleMark) < 0) aOut.Add(strPath);
}

}  // namespace

int CPlayerDlg::AddPath(const CString& strPath) {
    CStringArray aExpanded;
    ExpandPath(strPath, aExpanded);
    int nAdded = 0;
    for (const CString& strItem : aExpanded) {
        // Only a list file's line carries the mark: the path, the mark, and the title whole.
        std::size_t nMark = strItem.View().find(kTitleMark);
        BOOL bAccepted = FALSE;
        if (nMark != std::string_view::npos) {
            CString strTitle(strItem.View().substr(nMark + 1));
            bAccepted = m_list.Add(CString(strItem.View().substr(0, nMark)),
                                   strTitle.IsEmpty() ? nullptr : strTitle.GetString());
        } else {
            bAccepted = m_list.Add(strItem);
        }
        if (!bAccepted) continue;
        ++nAdded;
        m_listBox.AddString(m_list.GetText(m_list.GetSize() - 1));
    }
    return nAdded;
}

void CPlayerDlg::ExpandPath(const CString& strPath, CStringArray& aOut) {
    // A play list is recognised by its name alone, before the folder test.
    if (qv::_mbsicmp(ExtensionOf(strPath), kListExtension) == 0) {
        CString strTitlePath =
            strPath.Left(strPath.GetLength() - static_cast<int>(std::strlen(kListExtension))) +
            kTitleExtension;
        BOOL bTitles = m_settings.Value(IDS_YESSAVETITLE).GetDword() != 0 &&
                       IsTitleFileCurrent(strPath, strTitlePath);
        if (!ReadListFile(strPath, bTitles ? &strTitlePath : nullptr, aOut))
            AfxMessageBox(IDS_READ_FAILED, MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (IsDirectory(strPath)) {
        CStringArray aExtensions;
        aExtensions.Add(kMidiExtension);
        CFileFinder finder;
        finder.Find(strPath, aExtensions, TRUE);
        for (const CString& strFound : finder) AddPlainPath(strFound, aOut);
        return;
    }
    // Whether it exists and is a MIDI file is for the model to judge.
    AddPlainPath(strPath, aOut);
}

BOOL CPlayerDlg::IsDirectory(const CString& strPath) {
    qv::StatBuffer status{};
    return qv::StatPath(strPath, &status) == 0 && (status.st_mode & _S_IFDIR) != 0;
}

void CPlayerDlg::SplitString(const CString& strText, const CString& strDelimiter,
                             CStringArray& aOut) {
    // The text ends at its first zero byte, as the texts it is given do.
    std::string_view text(strText.GetString());
    std::string_view delimiter(strDelimiter.GetString());
    if (delimiter.empty()) {
        if (!text.empty()) aOut.Add(CString(text));
        return;
    }
    std::size_t nStart = 0;
    while (nStart < text.size()) {
        std::size_t nEnd = text.find(delimiter, nStart);
        if (nEnd == std::string_view::npos) nEnd = text.size();
        if (nEnd > nStart) aOut.Add(CString(text.substr(nStart, nEnd - nStart)));
        nStart = nEnd + delimiter.size();
    }
}

BOOL CPlayerDlg::GetSelectedPaths(CStringArray& aOut, const CString& strSelection) {
    CStringArray aPieces;
    int nPieces = SplitAtSpaces(aPieces, strSelection);
    if (nPieces == 1) {
        aOut.Add(aPieces[0]);
    } else if (nPieces > 1) {
        CString strFolder = aPieces[0];
        if (!qv::IsLastCharSeparator(strFolder)) strFolder += qv::GetPathSeparator();
        for (int i = 1; i < nPieces; ++i) aOut.Add(strFolder + aPieces[i]);
    }
    return TRUE;
}

int CPlayerDlg::SplitAtSpaces(CStringArray& aOut, const CString& strText) {
    CString strPiece;
    for (char ch : strText.View()) {
        if (ch == ' ' && !strPiece.IsEmpty()) {
            aOut.Add(strPiece);
            strPiece.Empty();
        } else {
            // A blank met while the piece is empty starts the piece.
            strPiece += ch;
        }
    }
    if (!strPiece.IsEmpty()) aOut.Add(strPiece);
    return aOut.GetSize();
}

void CPlayerDlg::OnDropFiles(HDROP hDropInfo) {
    m_listBox.SetRedraw(FALSE);
    CFileFinder::CScope scope;
    std::uint32_t nItems = qv::DragQueryFileA(hDropInfo, qv::kDragQueryCount, nullptr, 0);
    int nAdded = 0;
    for (std::uint32_t i = 0; i < nItems; ++i) {
        CString strPath;
        if (QueryDroppedPath(hDropInfo, i, strPath)) nAdded += AddPath(strPath);
    }
    if (nAdded > 0 && !m_bPlaying) {
        EnableListButtons(TRUE);
        EnableTransport(TRUE, FALSE, FALSE, FALSE);
    }
    m_listBox.SetRedraw(TRUE);
    m_listBox.InvalidateRect(nullptr, TRUE);
    Default();
}

void CPlayerDlg::OnOpen() {
    CString strFilter;
    strFilter.Load(IDS_OPEN_FILTER);
    CFileDialog dlg(TRUE, nullptr, nullptr,
                    OFN_HIDEREADONLY | OFN_ALLOWMULTISELECT | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST,
                    strFilter, this);
    dlg.m_ofn.Flags &= ~static_cast<std::uint32_t>(OFN_SHOWHELP);
    // Names with blanks are common here; the Explorer form carries them whole. A window system
    // that answers in the text form is still read the old way, cut at blanks.
    dlg.m_ofn.Flags |= OFN_EXPLORER;
    if (dlg.DoModal() != IDOK) return;
    CStringArray aPaths;
    if (!dlg.GetPathNames(aPaths)) GetSelectedPaths(aPaths, dlg.GetPathName());
    for (const CString& strPath : aPaths) AddPath(strPath);
    // Even when nothing was added: PLAY on an empty list does nothing.
    if (!m_bPlaying) {
        EnableListButtons(TRUE);
        EnableTransport(TRUE, FALSE, FALSE, FALSE);
    }
}
