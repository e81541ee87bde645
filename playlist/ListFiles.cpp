// Play-list files (.qvl) and their title files (.qvt): CR LF lines, one path or one title per
// entry. A title file belongs to its list while the two share a modification time.
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "app/PlayerDlg.h"
#include "framework/File.h"
#include "framework/FileDialog.h"
#include "framework/WinApp.h"
#include "platform/files.h"
#include "res/resource.h"

namespace {

constexpr char kLineEnd[] = "\r\n";
constexpr char kTitleMark = '\x01';
constexpr char kListExtension[] = "qvl";
constexpr char kTitleExtension[] = "qvt";
// A list of a million entries fits; anything larger is not a play list, and is not read whole.
constexpr std::uint64_t kMaxListFileBytes = 64u << 20;
// Beside the file being saved, so that putting it in place is a rename within one folder.
constexpr char kSavingSuffix[] = ".saving";

// The non-empty lines of a list or title file; FALSE when it cannot be opened or is too large.
BOOL ReadLines(const CString& strPath, CStringArray& aLines) {
    CFile file;
    if (!file.Open(strPath, CFile::modeRead | CFile::shareDenyWrite)) return FALSE;
    std::uint64_t nLength = file.GetLength();
    if (nLength > kMaxListFileBytes) return FALSE;
    std::string text(static_cast<std::size_t>(nLength), '\0');
    UINT nRead = file.Read(text.data(), static_cast<UINT>(nLength));
    file.Close();
    text.resize(nRead);
    CPlayerDlg::SplitString(CString(text), kLineEnd, aLines);
    return TRUE;
}

// The title file's name on saving: the list's extension, as the dialog reports it, becomes
// "qvt". A name without one gets ".qvt" added rather than "qvt" glued to its last character.
CString TitleFileFor(const CString& strListPath, const CString& strExtension) {
    CString strStem = strListPath.Left(strListPath.GetLength() - strExtension.GetLength());
    if (strExtension.IsEmpty() && strStem.Right(1) != ".") strStem += '.';
    return strStem + kTitleExtension;
}

// A title holding a line break would split into two lines and shift every title after it.
CString AsOneLine(const CString& strTitle) {
    std::string_view title = strTitle.View();
    std::string line;
    for (std::size_t i = 0; i < title.size(); ++i) {
        if (title.substr(i, 2) == kLineEnd) {
            line += ' ';
            ++i;
        } else {
            line += title[i];
        }
    }
    return CString(line);
}

// One file written under a temporary name beside its target and put in place only when every
// byte is written, so that a failed save leaves the file that was there as it was; where no
// temporary can be made, the file is written in place.
class CReplacingFile {
public:
    explicit CReplacingFile(const CString& strTarget)
        : m_strTarget(strTarget), m_strTemporary(strTarget + kSavingSuffix) {}
    CReplacingFile(const CReplacingFile&) = delete;
    CReplacingFile& operator=(const CReplacingFile&) = delete;
    ~CReplacingFile() {
        Close();
        if (m_bCreated) qv::DeleteFileA(m_strTemporary);
    }

    BOOL Create() {
        m_hFile =
            qv::CreateFileA(m_strTemporary, GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL);
        m_bCreated = m_hFile != INVALID_HANDLE_VALUE;
        // In a folder where no new file may be made, a file that may itself be written is
        // written in place, as it was before temporaries were used.
        if (!m_bCreated && qv::GetLastError() == ERROR_ACCESS_DENIED) {
            m_hFile = qv::CreateFileA(m_strTarget, GENERIC_WRITE, 0, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL);
            m_bInPlace = m_hFile != INVALID_HANDLE_VALUE;
        }
        return m_bCreated || m_bInPlace;
    }
    BOOL Write(const std::string& bytes) {
        std::uint32_t nWritten = 0;
        return qv::WriteFile(m_hFile, bytes.data(), static_cast<std::uint32_t>(bytes.size()),
                             &nWritten) &&
               nWritten == bytes.size();
    }
    // A failing close may mean bytes that never reached the disk.
    BOOL Close() {
        if (m_hFile == INVALID_HANDLE_VALUE) return TRUE;
        BOOL bClosed = qv::CloseHandle(m_hFile) != 0;
        m_hFile = INVALID_HANDLE_VALUE;
        return bClosed;
    }
    BOOL Commit() {
        if (m_bInPlace) return Close();
        if (!Close() || !qv::MoveFileExA(m_strTemporary, m_strTarget, MOVEFILE_REPLACE_EXISTING)) {
            return FALSE;
        }
        m_bCreated = FALSE;
        return TRUE;
    }

private:
    CString m_strTarget;
    CString m_strTemporary;
    qv::HANDLE m_hFile = INVALID_HANDLE_VALUE;
    BOOL m_bCreated = FALSE;
    BOOL m_bInPlace = FALSE;
};

// Writes the list and, when a title path is given, the titles. Answers 0, or the string id of
// the message that tells which file could not be saved.
UINT SaveListFiles(const CPlayList& list, const CString& strListPath,
                   const CString* pstrTitlePath) {
    // The same name for both would make the titles overwrite the list.
    if (pstrTitlePath && qv::_mbsicmp(*pstrTitlePath, strListPath) == 0) return IDS_LISTSAVE_FAILED;
    CReplacingFile listFile(strListPath);
    if (!listFile.Create()) return IDS_LISTSAVE_FAILED;
    std::optional<CReplacingFile> titleFile;
    if (pstrTitlePath) {
        titleFile.emplace(*pstrTitlePath);
        if (!titleFile->Create()) return IDS_LISTSAVE_FAILED;
    }
    std::string paths, titles;
    for (int i = 0; i < list.GetSize(); ++i) {
        paths += list.GetText(i, CPlayList::DISPLAY_FULLPATH).Str();
        paths += kLineEnd;
        if (!titleFile) continue;
        titles += AsOneLine(list.GetText(i, CPlayList::DISPLAY_TITLE)).Str();
        titles += kLineEnd;
    }
    if (!listFile.Write(paths)) return IDS_LISTSAVE_FAILED;
    if (titleFile && !titleFile->Write(titles)) return IDS_TITLESAVE_FAILED;
    if (!listFile.Commit()) return IDS_LISTSAVE_FAILED;
    if (!titleFile) return 0;
    if (!titleFile->Commit()) return IDS_TITLESAVE_FAILED;
    CPlayerDlg::CopyFileTimes(strListPath, *pstrTitlePath);
    return 0;
}

}  // namespace

BOOL CPlayerDlg::ReadListFile(const CString& strListPath, const CString* pstrTitlePath,
                              CStringArray& aOut) {
    CStringArray aLines;
    if (!ReadLines(strListPath, aLines)) return FALSE;
    if (pstrTitlePath) {
        CStringArray aTitles;
        if (!ReadLines(*pstrTitlePath, aTitles)) return FALSE;
        // Titles pair with entries by line number, so a count that differs pairs nothing.
        if (aTitles.GetSize() == aLines.GetSize()) {
            for (int i = 0; i < aLines.GetSize(); ++i) {
                aLines[i] += kTitleMark;
                aLines[i] += aTitles[i];
            }
        }
    }
    // Moved, not copied: a list of many thousand lines is held once.
    for (int i = 0; i < aLines.GetSize(); ++i) aOut[aOut.Add(CString())] = std::move(aLines[i]);
    return TRUE;
}

BOOL CPlayerDlg::IsTitleFileCurrent(const CString& strListPath, const CString& strTitlePath) {
    CFileStatus list, title;
    return CFile::GetStatus(strListPath, list) && CFile::GetStatus(strTitlePath, title) &&
           list.m_mtime == title.m_mtime;
}

BOOL CPlayerDlg::CopyFileTimes(const CString& strSource, const CString& strTarget) {
    CFileStatus source, target;
    if (!CFile::GetStatus(strSource, source) || !CFile::GetStatus(strTarget, target)) return FALSE;
    target.m_ctime = source.m_ctime;
    target.m_mtime = source.m_mtime;
    target.m_atime = source.m_atime;
    return CFile::SetStatus(strTarget, target);
}

void CPlayerDlg::OnSave() {
    FinishDrop();
    if (m_list.GetSize() == 0) return;
    CString strFilter;
    strFilter.Load(IDS_SAVE_FILTER);
    CFileDialog dlg(FALSE, kListExtension, nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                    strFilter, this);
    dlg.m_ofn.Flags &= ~static_cast<std::uint32_t>(OFN_SHOWHELP);
    if (dlg.DoModal() != IDOK) return;
    CString strListPath = dlg.GetPathName();
    std::optional<CString> strTitlePath;
    if (m_settings.Value(IDS_YESSAVETITLE).GetDword() != 0)
        strTitlePath = TitleFileFor(strListPath, dlg.GetFileExt());
    UINT nFailure = SaveListFiles(m_list, strListPath, strTitlePath ? &*strTitlePath : nullptr);
    if (nFailure != 0) AfxMessageBox(nFailure, MB_OK | MB_ICONEXCLAMATION);
}
