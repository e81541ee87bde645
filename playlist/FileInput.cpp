#include "playlist/FileInput.h"

#include <algorithm>
#include <cstring>

CFileInput::CFileInput(CFile& file) : m_file(file) {}

std::uint64_t CFileInput::Remaining() {
    if (!m_bLengthKnown) {
        m_nLength = m_file.GetLength();
        m_bLengthKnown = TRUE;
    }
    return m_nLength > m_nPosition ? m_nLength - m_nPosition : 0;
}

BOOL CFileInput::Holds(std::uint64_t nCount) {
    return nCount <= Buffered() || nCount <= Remaining();
}

BOOL CFileInput::Refill() {
    m_nBegin = 0;
    m_nEnd = m_file.Read(m_buffer, sizeof m_buffer);
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

BOOL CFileInput::ReadByte(BYTE& byte) {
    return Read(&byte, 1) == 1;
}

BOOL CFileInput::Skip(std::uint64_t nCount) {
    if (nCount <= Buffered()) {
        m_nBegin += static_cast<UINT>(nCount);
        m_nPosition += nCount;
        return TRUE;
    }
    if (nCount > Remaining()) {
        m_file.Seek(0, CFile::end);
        m_nPosition = m_nLength;
        m_nBegin = m_nEnd = 0;
        return FALSE;
    }
    // The buffer is always filled from the file position, which is ahead of ours by Buffered().
    std::int64_t nAhead = static_cast<std::int64_t>(nCount - Buffered());
    m_nBegin = m_nEnd = 0;
    if (m_file.Seek(nAhead, CFile::current) < 0) {
        m_file.Seek(0, CFile::end);
        m_nPosition = m_nLength;
        return FALSE;
    }
    m_nPosition += nCount;
    return TRUE;
}
