#include "playlist/FileFinder.h"

#include <cstring>

#include "framework/File.h"
#include "platform/files.h"

namespace {

constexpr std::uint32_t kKindMask = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_NORMAL;

bool IsDotOrDotDot(const char* pszName) {
    return qv::_mbscmp(pszName, ".") == 0 || qv::_mbscmp(pszName, "..") == 0;
}

}  // namespace

BOOL CFileFinder::Find(const CString& strFolder, const CStringArray& aExtensions, BOOL bRecursive) {
    m_pResult = this;
    m_aChain.clear();
    return Scan(strFolder, aExtensions, bRecursive);
}

BOOL CFileFinder::Scan(const CString& strFolder, const CStringArray& aExtensions, BOOL bRecursive) {
    if (strFolder.IsEmpty()) return FALSE;
    CString strBase = strFolder;
    if (!qv::IsLastCharSeparator(strBase)) strBase += qv::GetPathSeparator();
    if (!EnterFolder(strBase)) return TRUE;

    qv::WIN32_FIND_DATAA data;
    CScopedFindHandle find(qv::FindFirstFileA(strBase + "*.*", &data));
    if (find.IsValid()) {
        do {
            // The record's name may lack its terminator only if the backend is broken.
            data.cFileName[sizeof data.cFileName - 1] = '\0';
            if ((data.dwFileAttributes & kKindMask) != FILE_ATTRIBUTE_DIRECTORY) {
                AddMatch(strBase, data.cFileName, aExtensions);
            } else if (bRecursive && !IsDotOrDotDot(data.cFileName)) {
                Scan(strBase + data.cFileName + qv::GetPathSeparator(), aExtensions, bRecursive);
            }
        } while (qv::FindNextFileA(find.Get(), &data));
    }
    LeaveFolder();
    return TRUE;
}

BOOL CFileFinder::EnterFolder(const CString& strBase) {
    if (static_cast<int>(m_aChain.size()) >= kMaxDepth) return FALSE;
    CScopedFileHandle folder(qv::CreateFileA(strBase, 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS));
    qv::BY_HANDLE_FILE_INFORMATION info{};
    bool bKnown = folder.IsValid() && qv::GetFileInformationByHandle(folder.Get(), &info);
    FolderId id{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    if (bKnown) {
        for (const auto& [bAncestorKnown, ancestor] : m_aChain) {
            if (bAncestorKnown && ancestor == id) return FALSE;
        }
    }
    m_aChain.emplace_back(bKnown, id);
    return TRUE;
}

void CFileFinder::AddMatch(const CString& strBase, const char* pszName,
                           const CStringArray& aExtensions) {
    std::size_t nName = std::strlen(pszName);
    for (const CString& strExtension : aExtensions) {
        CString strTail = "." + strExtension;
        std::size_t nTail = static_cast<std::size_t>(strTail.GetLength());
        if (nName >= nTail && qv::_mbsicmp(pszName + nName - nTail, strTail) == 0) {
            m_pResult->Add(strBase + pszName);
            return;
        }
    }
}
