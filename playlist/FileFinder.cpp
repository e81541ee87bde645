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

struct CFileFinder::CLevel {
    CLevel(const CString& strBase_, int nDepth_)
        : strBase(strBase_), nDepth(nDepth_), find(qv::FindFirstFileA(strBase + "*.*", &data)) {}
    CString strBase;
    int nDepth;
    qv::WIN32_FIND_DATAA data{};
    CScopedFindHandle find;
    BOOL bLooked = FALSE;  // data holds an item already looked at
};

CFileFinder::CFileFinder() = default;
CFileFinder::~CFileFinder() = default;

BOOL CFileFinder::Find(const CString& strFolder, const CStringArray& aExtensions, BOOL bRecursive) {
    // Outside any scope, one of its own for this Find.
    CScope own;
    if (!Begin(strFolder, aExtensions, bRecursive, own.m_pOuter ? *own.m_pOuter : own))
        return FALSE;
    while (!Continue(1 << 30)) {
    }
    return TRUE;
}

BOOL CFileFinder::Begin(const CString& strFolder, const CStringArray& aExtensions, BOOL bRecursive,
                        CScope& scope) {
    m_levels.clear();
    m_pResult = this;
    if (strFolder.IsEmpty()) return FALSE;
    m_pScope = &scope;
    m_aExtensions = aExtensions;
    m_bRecursive = bRecursive;
    Open(strFolder, 0);
    return TRUE;
}

BOOL CFileFinder::Continue(int nItems) {
    for (; nItems > 0 && !m_levels.empty(); --nItems) {
        CLevel& level = *m_levels.back();
        if (level.bLooked && !qv::FindNextFileA(level.find.Get(), &level.data)) {
            m_levels.pop_back();
            continue;
        }
        level.bLooked = TRUE;
        qv::WIN32_FIND_DATAA& data = level.data;
        // The record's name may lack its terminator only if the backend is broken.
        data.cFileName[sizeof data.cFileName - 1] = '\0';
        if ((data.dwFileAttributes & kKindMask) != FILE_ATTRIBUTE_DIRECTORY) {
            AddMatch(level.strBase, data.cFileName, m_aExtensions);
        } else if (m_bRecursive && !IsDotOrDotDot(data.cFileName)) {
            Open(level.strBase + data.cFileName + qv::GetPathSeparator(), level.nDepth + 1);
        }
    }
    if (!m_levels.empty()) return FALSE;
    m_pScope = nullptr;
    return TRUE;
}

void CFileFinder::Open(const CString& strFolder, int nDepth) {
    CString strBase = strFolder;
    if (!qv::IsLastCharSeparator(strBase)) strBase += qv::GetPathSeparator();
    if (!EnterFolder(strBase, nDepth)) return;
    auto level = std::make_unique<CLevel>(strBase, nDepth);
    if (level->find.IsValid()) m_levels.push_back(std::move(level));
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
