#include "playlist/FileInput.h"

#include <algorithm>
#include <cstring>

CFileInput::CFileInput(CFile& file) : m_file(file), m_nLength(file.GetLength()) {}

BOOL CFileInput::Refill() {
    UINT nWant = static_cast<UINT>(std::min<std::uint64_t>(sizeof m_buffer, Remaining()));
    m_nBegin = 0;
    m_nEnd = nWant > 0 ? m_file.Read(m_buffer, nWant) : 0;
    return m_nEnd > 0;
}

UINT CFileInput::Read(void* pBuffer, UINT nCount) {
    auto pOut = static_cast<BYTE*>(pBuffer);
    UINT nDone = 0;
    while (nDone < nCount) {
        if (Buffered() == 0 && !Refill()) break;
        UINT nTake = std::min(nCount - nDone, Buffered());
        std::memcpy(pOut + nDone, m_buffer + m_nBegin, nTake);
        m_nBegin += nTake;
        nDone += nTake;
        m_nPosition += nTake;
    }
    return nDone;
}

BOOL CFileInput::ReadByte(BYTE& byte) { return Read(&byte, 1) == 1; }

BOOL CFileInput::Skip(std::uint64_t nCount) {
    if (nCount > Remaining()) {
        m_nPosition = m_nLength;
        m_nBegin = m_nEnd = 0;
        return FALSE;
    }
    if (nCount <= Buffered()) {
        m_nBegin += static_cast<UINT>(nCount);
        m_nPosition += nCount;
        return TRUE;
    }
    // The buffer is always filled from the file position, which is ahead of ours by Buffered().
    std::int64_t nAhead = static_cast<std::int64_t>(nCount - Buffered());
    m_nBegin = m_nEnd = 0;
    if (m_file.Seek(nAhead, CFile::current) < 0) {
        m_nPosition = m_nLength;
        return FALSE;
    }
    m_nPosition += nCount;
    return TRUE;
}
