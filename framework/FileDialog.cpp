#include "framework/FileDialog.h"

#include <algorithm>
#include <cstring>

#include "framework/WinApp.h"
#include "platform/files.h"

namespace {

// One path, as the platform's own path limit allows.
constexpr size_t kSingleSelectionSize = 260;
// A multiple selection holds many names; one that does not fit is refused, never truncated.
constexpr size_t kMultipleSelectionSize = 64 * 1024;

// The length of a zero-terminated text held in a buffer of max bytes, never reading past it.
std::size_t BoundedLength(const char* text, std::size_t max) {
    const void* end = std::memchr(text, '\0', max);
    return end ? static_cast<std::size_t>(static_cast<const char*>(end) - text) : max;
}

}  // namespace

CFileDialog::CFileDialog(BOOL bOpenFileDialog, LPCSTR lpszDefExt, LPCSTR lpszFileName,
                         DWORD dwFlags, LPCSTR lpszFilter, CWnd* pParentWnd)
    : m_bOpenFileDialog(bOpenFileDialog),
      m_pParentWnd(pParentWnd),
      m_fileBuffer(kSingleSelectionSize, '\0') {
    if (lpszFilter) {
        m_strFilter = lpszFilter;
        std::replace(m_strFilter.begin(), m_strFilter.end(), '|', '\0');
    }
    if (lpszDefExt) m_strDefExt = lpszDefExt;
    if (lpszFileName) {
        size_t n = std::min(std::strlen(lpszFileName), m_fileBuffer.size() - 1);
        std::memcpy(m_fileBuffer.data(), lpszFileName, n);
    }
    m_ofn.lpstrFilter = lpszFilter ? m_strFilter.c_str() : nullptr;
    m_ofn.nFilterIndex = 1;
    m_ofn.lpstrFile = m_fileBuffer.data();
    m_ofn.nMaxFile = static_cast<std::uint32_t>(m_fileBuffer.size());
    m_ofn.Flags = dwFlags;
    m_ofn.lpstrDefExt = lpszDefExt ? m_strDefExt.c_str() : nullptr;
}

INT_PTR CFileDialog::DoModal() {
    bool bOwnBuffer = m_ofn.lpstrFile == m_fileBuffer.data();
    if (bOwnBuffer && (m_ofn.Flags & OFN_ALLOWMULTISELECT) &&
        m_fileBuffer.size() < kMultipleSelectionSize) {
        m_fileBuffer.resize(kMultipleSelectionSize, '\0');
        m_ofn.lpstrFile = m_fileBuffer.data();
        m_ofn.nMaxFile = static_cast<std::uint32_t>(m_fileBuffer.size());
    }
    CWnd* pOwner = m_pParentWnd;
    if (!pOwner && AfxGetApp()) pOwner = AfxGetApp()->m_pMainWnd;
    m_ofn.hwndOwner = CWnd::SafeHandle(pOwner);
    m_ofn.nFileOffset = 0;
    m_ofn.nFileExtension = 0;
    std::int32_t bOk =
        m_bOpenFileDialog ? qv::GetOpenFileNameA(&m_ofn) : qv::GetSaveFileNameA(&m_ofn);
    return bOk ? IDOK : IDCANCEL;
}

CString CFileDialog::GetPathName() const {
    if (!m_ofn.lpstrFile || m_ofn.nMaxFile == 0) return CString();
    // Bounded: a backend that forgot the terminator must not make us read past the buffer.
    size_t n = BoundedLength(m_ofn.lpstrFile, m_ofn.nMaxFile);
    return CString(m_ofn.lpstrFile, static_cast<int>(n));
}

CString CFileDialog::GetFileExt() const {
    CString path = GetPathName();
    if (m_ofn.nFileExtension == 0 || m_ofn.nFileExtension > path.GetLength()) return CString();
    return path.Mid(m_ofn.nFileExtension);
}

BOOL CFileDialog::GetPathNames(CStringArray& aPaths) const {
    if (!(m_ofn.Flags & OFN_EXPLORER) || !m_ofn.lpstrFile || m_ofn.nMaxFile == 0) return FALSE;
    // Zero-ended pieces up to an empty one, never reading past the buffer.
    std::vector<CString> pieces;
    size_t offset = 0;
    while (offset < m_ofn.nMaxFile) {
        size_t n = BoundedLength(m_ofn.lpstrFile + offset, m_ofn.nMaxFile - offset);
        if (n == 0) break;
        pieces.emplace_back(m_ofn.lpstrFile + offset, static_cast<int>(n));
        offset += n + 1;
    }
    if (pieces.empty()) return FALSE;
    if (pieces.size() == 1) {
        aPaths.Add(pieces[0]);
        return TRUE;
    }
    CString strFolder = pieces[0];
    const qv::PathSyntax syntax = qv::GetPathSyntax();
    const char last = strFolder[strFolder.GetLength() - 1];
    if (last != syntax.separator && last != syntax.altSeparator) strFolder += syntax.separator;
    for (size_t i = 1; i < pieces.size(); ++i) aPaths.Add(strFolder + pieces[i]);
    return TRUE;
}
