#pragma once
#include <cstdint>

#include "framework/File.h"
#include "framework/Types.h"

// Reads an open file front to back through a small buffer, so that a scan asking for many small
// pieces costs one read for the usual file. Bounds come from the file's length when it was
// opened: nothing reads or skips past it.
class CFileInput {
public:
    explicit CFileInput(CFile& file);
    CFileInput(const CFileInput&) = delete;
    CFileInput& operator=(const CFileInput&) = delete;

    // Copies up to nCount bytes; fewer only at the end of the file.
    UINT Read(void* pBuffer, UINT nCount);
    // FALSE at the end of the file.
    BOOL ReadByte(BYTE& byte);
    // Moves forward; FALSE, leaving the position at the end, when fewer bytes are left.
    BOOL Skip(std::uint64_t nCount);
    // Bytes between the position and the end of the file.
    std::uint64_t Remaining() const { return m_nLength - m_nPosition; }

private:
    UINT Buffered() const { return m_nEnd - m_nBegin; }
    BOOL Refill();

    CFile& m_file;
    std::uint64_t m_nLength;
    std::uint64_t m_nPosition = 0;
    BYTE m_buffer[512];
    UINT m_nBegin = 0;
    UINT m_nEnd = 0;
};
