#pragma once
#include <cstdint>

#include "framework/File.h"
#include "framework/Types.h"

// Reads an open file front to back through a small buffer, so that a scan asking for many small
// pieces costs one read for the usual file. Nothing reads or skips past the end of the file.
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
    // Whether at least nCount bytes are left. The file's length is asked only when the buffer
    // cannot answer, which for the usual small file is never.
    BOOL Holds(std::uint64_t nCount);

private:
    UINT Buffered() const { return m_nEnd - m_nBegin; }
    std::uint64_t Remaining();
    BOOL Refill();

    CFile& m_file;
    BOOL m_bLengthKnown = FALSE;
    std::uint64_t m_nLength = 0;
    std::uint64_t m_nPosition = 0;
    BYTE m_buffer[512];
    UINT m_nBegin = 0;
    UINT m_nEnd = 0;
};
