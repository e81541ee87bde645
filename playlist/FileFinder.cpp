#include "playlist/FileFinder.h"

#include <cstring>

#include "framework/File.h"
#include "platform/files.h"

namespace {

constexpr std::uint32_t kKindMask = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_NORMAL;

// The innermost scope alive, or null.
thread_local CFileFinder::CScope* g_pScope = nullptr;

bool IsDotOrDotDot(const char* pszName) {
    return qv::_mbscmp(pszName, ".") == 0 || qv::_mbscmp(pszName, "..") == 0;
}

}  // namespace

CFileFinder::CScope::CScope() : m_pOuter(g_pScope) {
    g_pScope = this;
}

CFileFinder::CScope::~CScope() {
    g_pScope = m_pOuter;
}

BOOL CFileFinder::Find(const CString& strFolder, const CStringArray& aExtensions, BOOL bRecursive) {
    m_pResult = this;
    // Outside any scope, one of its own for this Find.
    CScope own;
    m_pScope = own.m_pOuter ? own.m_pOuter : &own;
    BOOL bResult = Scan(strFolder, aExtensions, bRecursive, 0);
    m_pScope = nullptr;
    return bResult;
}

BOOL CFileFinder::Scan(const CString& strFolder, const CStringArray& aExtensions, BOOL bRecursive,
                       int nDepth) {
    if (strFolder.IsEmpty()) return FALSE;
    CString strBase = strFolder;
    if (!qv::IsLastCharSeparator(strBase)) strBase += qv::GetPathSeparator();
    if (!EnterFolder(strBase, nDepth)) return TRUE;

    qv::WIN32_FIND_DATAA data;
    CScopedFindHandle find(qv::FindFirstFileA(strBase + "*.*", &data));
    if (find.IsValid()) {
        do {
            // The record's name may lack its terminator only if the backend is broken.
            data.cFileName[sizeof data.cFileName - 1] = '\0';
            if ((data.dwFileAttributes & kKindMask) != FILE_ATTRIBUTE_DIRECTORY) {
                AddMatch(strBase, data.cFileName, aExtensions);
            } else if (bRecursive && !IsDotOrDotDot(data.cFileName)) {
                Scan(strBase + data.cFileName + qv::GetPathSeparator(), aExtensions, bRecursive,
                     nDepth + 1);
            }
        } while (qv::FindNextFileA(find.Get(), &data));
    }
    return TRUE;
}

BOOL CFileFinder::EnterFolder(const CString& strBase, int nDepth) {
    if (nDepth >= kMaxDepth || m_pScope->m_nFolders >= kMaxFolders) return FALSE;
    CScopedFileHandle folder(qv::CreateFileA(strBase, 0, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS));
    qv::BY_HANDLE_FILE_INFORMATION info{};
    // A folder whose identity cannot be read is entered; depth and count still bound it.
    if (folder.IsValid() && qv::GetFileInformationByHandle(folder.Get(), &info) &&
        !m_pScope->m_entered
             .emplace(info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow)
             .second) {
        return FALSE;
    }
    ++m_pScope->m_nFolders;
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
