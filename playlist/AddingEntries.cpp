// Adding entries: every source (command line, drop, Open dialog, play-list file) funnels into
// AddPath, which expands the path and offers each file to the model.
#include <chrono>
#include <cstring>
#include <string_view>
#include <utility>
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

BOOL IsListFile(const CString& strPath) {
    return qv::_mbsicmp(ExtensionOf(strPath), kListExtension) == 0;
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
        if (AddExpanded(strItem)) ++nAdded;
    }
    return nAdded;
}

BOOL CPlayerDlg::AddExpanded(const CString& strItem) {
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
    if (bAccepted) m_listBox.AddString(m_list.GetText(m_list.GetSize() - 1));
    return bAccepted;
}

void CPlayerDlg::ExpandPath(const CString& strPath, CStringArray& aOut) {
    // A play list is recognised by its name alone, before the folder test.
    if (IsListFile(strPath)) {
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
    // Each drop enters a folder once: its items follow a mark that starts a scope of its own.
    m_aDropItems.Add(CString());
    std::uint32_t nItems = qv::DragQueryFileA(hDropInfo, qv::kDragQueryCount, nullptr, 0);
    for (std::uint32_t i = 0; i < nItems; ++i) {
        CString strPath;
        if (QueryDroppedPath(hDropInfo, i, strPath)) m_aDropItems.Add(strPath);
    }
    // A drop still being added takes this one after it, in its next slice.
    if (!m_bSlicePosted) AddDroppedSlice(FALSE);
    Default();
}

BOOL CPlayerDlg::IsDropping() const {
    return m_nDroppedNext < m_aDropped.GetSize() || m_pDropScan ||
           m_nDropItemNext < m_aDropItems.GetSize();
}

void CPlayerDlg::AddDroppedSlice(BOOL bWhole) {
    using Clock = std::chrono::steady_clock;
    // Folder items looked at in one go between two looks at the clock.
    constexpr int kScanStep = 32;
    const Clock::time_point start = Clock::now();
    for (int nSteps = 1; IsDropping(); ++nSteps) {
        if (m_nDroppedNext < m_aDropped.GetSize()) {
            // Each expanded path is let go once offered: a big drop is not held twice.
            CString strItem = std::move(m_aDropped[m_nDroppedNext++]);
            if (AddExpanded(strItem)) ++m_nDroppedAdded;
        } else if (m_pDropScan) {
            m_aDropped.SetSize(0);
            m_nDroppedNext = 0;
            BOOL bDone = m_pDropScan->Continue(kScanStep);
            for (const CString& strFound : *m_pDropScan) AddPlainPath(strFound, m_aDropped);
            m_pDropScan->SetSize(0);
            if (bDone) m_pDropScan.reset();
        } else {
            StartDropItem(m_aDropItems[m_nDropItemNext++]);
        }
        if (bWhole || !IsDropping() || nSteps < m_nSliceSteps ||
            Clock::now() - start < std::chrono::milliseconds(m_nSliceMs)) {
            continue;
        }
        // Where nothing can be posted, the drop is added in one go as before.
        m_bSlicePosted = qv::PostWindowMessage(m_hWnd, WM_QV_ADDDROPPED, 0, 0) != 0;
        if (m_bSlicePosted) return;
    }
    int nAdded = m_nDroppedAdded;
    ForgetDrop();
    if (nAdded > 0 && !m_bPlaying) {
        EnableListButtons(TRUE);
        EnableTransport(TRUE, FALSE, FALSE, FALSE);
    }
    m_listBox.SetRedraw(TRUE);
    m_listBox.InvalidateRect(nullptr, TRUE);
}

// A folder is scanned a step at a time; anything else is expanded at once.
void CPlayerDlg::StartDropItem(const CString& strPath) {
    if (strPath.IsEmpty()) {
        m_pDropScope.reset();  // the scope ends before the next one starts
        m_pDropScope = std::make_unique<CFileFinder::CScope>();
        return;
    }
    if (IsListFile(strPath) || !IsDirectory(strPath)) {
        ExpandPath(strPath, m_aDropped);
        return;
    }
    CStringArray aExtensions;
    aExtensions.Add(kMidiExtension);
    m_pDropScan = std::make_unique<CFileFinder>();
    if (!m_pDropScan->Begin(strPath, aExtensions, TRUE, *m_pDropScope)) m_pDropScan.reset();
}

LRESULT CPlayerDlg::OnAddDropped(WPARAM, LPARAM) {
    m_bSlicePosted = FALSE;
    // Nothing left when another handler finished or forgot the drop meanwhile.
    if (IsDropping()) AddDroppedSlice(FALSE);
    return 0;
}

void CPlayerDlg::FinishDrop() {
    if (IsDropping()) AddDroppedSlice(TRUE);
}

void CPlayerDlg::ForgetDrop() {
    m_aDropItems.SetSize(0);
    m_nDropItemNext = 0;
    m_pDropScan.reset();
    m_pDropScope.reset();
    m_aDropped.SetSize(0);
    m_nDroppedNext = 0;
    m_nDroppedAdded = 0;
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
    FinishDrop();  // a drop's entries come before the chosen ones
    CStringArray aPaths;
    if (!dlg.GetPathNames(aPaths)) GetSelectedPaths(aPaths, dlg.GetPathName());
    for (const CString& strPath : aPaths) AddPath(strPath);
    // Even when nothing was added: PLAY on an empty list does nothing.
    if (!m_bPlaying) {
        EnableListButtons(TRUE);
        EnableTransport(TRUE, FALSE, FALSE, FALSE);
    }
}
