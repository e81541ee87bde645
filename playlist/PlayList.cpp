#include "playlist/PlayList.h"

#include <cstring>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>

#include "framework/File.h"
#include "platform/files.h"
#include "platform/rand.h"
#include "playlist/FileInput.h"

namespace {

CStringArray CPlayList::*const kTexts[] = {
    &CPlayList::m_aPaths,   // DISPLAY_FULLPATH
    &CPlayList::m_aNames,   // DISPLAY_FILENAME
    &CPlayList::m_aTitles,  // DISPLAY_TITLE
};

constexpr int kSwapsPerPosition = 5;
constexpr BYTE kMetaEvent = 0xFF;
constexpr BYTE kSequenceName = 0x03;
constexpr int kMaxVarLenBytes = 4;

// Appends by moving rather than copying: adding a large folder is paid per entry.
void AddMoved(CStringArray& array, CString& str) {
    array[array.Add(CString())] = std::move(str);
}

// Reads a chunk head: its four-letter tag must be the one expected.
BOOL ReadChunkHead(CFileInput& input, const char* pszTag, DWORD& dwLength) {
    BYTE head[8];
    if (input.Read(head, sizeof head) != sizeof head || std::memcmp(head, pszTag, 4) != 0)
        return FALSE;
    dwLength = CPlayList::ReadBigEndian(head + 4, 4);
    return TRUE;
}

// Finds the first track: chunks of other kinds are skipped, as readers of the format must, but
// none may reach past the end of the file.
BOOL FindFirstTrack(CFileInput& input, DWORD& dwLength) {
    for (;;) {
        BYTE head[8];
        if (input.Read(head, sizeof head) != sizeof head) return FALSE;
        dwLength = CPlayList::ReadBigEndian(head + 4, 4);
        if (std::memcmp(head, "MTrk", 4) == 0) return TRUE;
        if (!input.Skip(dwLength)) return FALSE;
    }
}

// The text of a meta event's nLength data bytes, up to the first zero byte. Read in pieces, so
// that only what the file holds is ever kept.
CString ReadText(CFileInput& input, DWORD nLength) {
    CString strText;
    BYTE piece[512];
    while (nLength > 0) {
        UINT nWant = nLength < sizeof piece ? nLength : sizeof piece;
        if (input.Read(piece, nWant) != nWant) return CString();
        const void* pZero = std::memchr(piece, 0, nWant);
        UINT nKeep = pZero ? static_cast<UINT>(static_cast<const BYTE*>(pZero) - piece) : nWant;
        CString strPiece(reinterpret_cast<const char*>(piece), static_cast<int>(nKeep));
        if (strText.IsEmpty()) {
            strText = std::move(strPiece);
        } else {
            strText += strPiece;
        }
        if (pZero) break;
        nLength -= nWant;
    }
    return strText;
}

// Walks the meta events at delta time zero that open a track of dwTrack bytes and answers the
// first sequence name, or empty. Damaged data ends the walk; no event may reach past the track
// or the file.
CString FindSequenceName(CFileInput& input, DWORD dwTrack) {
    std::uint64_t nUsed = 0;
    while (nUsed < dwTrack) {
        BYTE head[3];
        if (input.Read(head, sizeof head) != sizeof head) break;
        if (head[0] != 0x00 || head[1] != kMetaEvent) break;
        DWORD nLengthBytes = 0;
        int nLength = CPlayList::ReadVarLen(input, &nLengthBytes);
        nUsed += sizeof head + nLengthBytes;
        if (nLength < 0 || nUsed + static_cast<DWORD>(nLength) > dwTrack ||
            !input.Holds(static_cast<DWORD>(nLength))) {
            break;
        }
        nUsed += static_cast<DWORD>(nLength);
        if (head[2] == kSequenceName) return ReadText(input, static_cast<DWORD>(nLength));
        if (!input.Skip(static_cast<DWORD>(nLength))) break;
    }
    return CString();
}

}  // namespace

BOOL CPlayList::Add(const CString& strPath, const char* pszTitle) {
    // No name on the original platform is empty or holds a line break or the title mark, and
    // none of them survives as one line of a list file: saved, such a path would come back as
    // bogus entries, or none, and unpair the title file.
    if (strPath.IsEmpty() || strPath.View().find_first_of("\r\n\x01") != std::string_view::npos)
        return FALSE;
    CString strName;
    MakeFileName(strPath, strName);
    CString strTitle(pszTitle);
    if (strTitle.IsEmpty() && ReadTitle(strPath, strTitle) < 0) return FALSE;
    m_aPaths.Add(strPath);
    AddMoved(m_aNames, strName);
    AddMoved(m_aTitles, strTitle);
    return TRUE;
}

const CString& CPlayList::GetText(int nIndex, int nMode) const {
    if (nMode == -1) nMode = m_nDisplayMode;
    if (nMode < 0 || nMode >= static_cast<int>(std::size(kTexts)) || nIndex < 0 ||
        nIndex >= GetSize()) {
        return m_strEmpty;
    }
    return (this->*kTexts[nMode])[nIndex];
}

void CPlayList::Swap(int nA, int nB) {
    if (nA < 0 || nB < 0 || nA >= GetSize() || nB >= GetSize()) return;
    // Moved, not copied: a shuffle makes five exchanges per entry.
    for (CStringArray CPlayList::*pArray : kTexts)
        std::swap((this->*pArray)[nA], (this->*pArray)[nB]);
}

void CPlayList::Shuffle() {
    int n = GetSize();
    for (int i = 0; i < n; ++i) {
        for (int k = 0; k < kSwapsPerPosition; ++k) Swap(qv::Rand() % n, i);
    }
}

void CPlayList::MakeFileName(const CString& strPath, CString& strName) {
    // Parts as long as the path itself always fit, whatever the path; the usual path needs no
    // buffer from the heap.
    std::size_t nSize = static_cast<std::size_t>(strPath.GetLength()) + 1;
    char local[2 * 512];
    std::string heap;
    char* pBuffer = local;
    if (2 * nSize > sizeof local) {
        heap.resize(2 * nSize);
        pBuffer = heap.data();
    }
    strName.Empty();
    if (qv::_splitpath_s(strPath, nullptr, 0, nullptr, 0, pBuffer, nSize, pBuffer + nSize, nSize) !=
        0)
        return;
    strName = pBuffer;
    strName += pBuffer + nSize;
}

int CPlayList::ReadTitle(const CString& strPath, CString& strTitle) {
    CFile file;
    if (!file.Open(strPath, CFile::modeRead | CFile::shareDenyWrite)) return -1;
    CFileInput input(file);
    DWORD dwHeader = 0;
    DWORD dwTrack = 0;
    // A header body of any length is skipped; only one that the file cannot hold is refused.
    if (!ReadChunkHead(input, "MThd", dwHeader) || !input.Skip(dwHeader) ||
        !FindFirstTrack(input, dwTrack)) {
        return -1;
    }
    CString strName = FindSequenceName(input, dwTrack);
    if (strName.IsEmpty()) {
        MakeFileName(strPath, strTitle);
        return 0;
    }
    strTitle = std::move(strName);
    return strTitle.GetLength();
}

int CPlayList::ReadVarLen(CFileInput& input, DWORD* pnBytes) {
    int nValue = 0;
    if (pnBytes) *pnBytes = 0;
    for (int i = 1; i <= kMaxVarLenBytes; ++i) {
        BYTE byte = 0;
        if (!input.ReadByte(byte)) break;
        if (pnBytes) *pnBytes = static_cast<DWORD>(i);
        nValue = nValue * 128 + (byte & 0x7F);
        if ((byte & 0x80) == 0) return nValue;
    }
    return -1;
}

DWORD CPlayList::ReadBigEndian(const BYTE* pBytes, int nCount) {
    DWORD dwValue = 0;
    for (int i = 0; i < nCount; ++i) dwValue = dwValue * 256 + pBytes[i];
    return dwValue;
}
