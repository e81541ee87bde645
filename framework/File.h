#pragma once
#include <cstdint>

#include "framework/Object.h"
#include "framework/Types.h"
#include "platform/files.h"

// Owns a file-system handle (an open file, or a folder enumeration) and closes it when it goes out
// of scope.
template <std::int32_t (*Close)(qv::HANDLE)>
class CScopedHandle {
public:
    explicit CScopedHandle(qv::HANDLE h) : m_h(h) {}
    CScopedHandle(const CScopedHandle&) = delete;
    CScopedHandle& operator=(const CScopedHandle&) = delete;
    ~CScopedHandle() {
        if (IsValid()) Close(m_h);
    }
    bool IsValid() const { return m_h != INVALID_HANDLE_VALUE; }
    qv::HANDLE Get() const { return m_h; }

private:
    qv::HANDLE m_h;
};

using CScopedFileHandle = CScopedHandle<&qv::CloseHandle>;
using CScopedFindHandle = CScopedHandle<&qv::FindClose>;

// A file's status; times are whole seconds since 1970-01-01 UTC.
struct CFileStatus {
    std::int64_t m_ctime = 0;  // creation
    std::int64_t m_mtime = 0;  // last modification
    std::int64_t m_atime = 0;  // last access
    std::uint64_t m_size = 0;
    BYTE m_attribute = 0;
};

// A file opened through the file-system seam; closed by Close or by the destructor. Failures are
// answered, never thrown.
class CFile : public CObject {
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeCreate = 0x1000,
    };
    enum SeekPosition : UINT { begin = FILE_BEGIN, current = FILE_CURRENT, end = FILE_END };

    CFile() = default;
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;
    ~CFile() override;

    // Opens for reading and/or writing with one share mode; modeCreate empties an existing file.
    // Fails when a file is already open in this object.
    BOOL Open(const char* pszFileName, UINT nOpenFlags);
    void Close();
    BOOL IsOpen() const { return m_hFile != INVALID_HANDLE_VALUE; }

    // Answers the bytes read: fewer at the end of the file, 0 on failure.
    UINT Read(void* pBuffer, UINT nCount);
    // TRUE when every byte was written.
    BOOL Write(const void* pBuffer, UINT nCount);
    // The length in bytes, 0 when it cannot be had.
    std::uint64_t GetLength() const;
    // Moves the position and answers it, or -1 on failure.
    std::int64_t Seek(std::int64_t lOff, UINT nFrom);

    BOOL GetStatus(CFileStatus& rStatus) const;
    static BOOL GetStatus(const char* pszFileName, CFileStatus& rStatus);
    // Sets the three times of the named file; its attributes stay as they are.
    static BOOL SetStatus(const char* pszFileName, const CFileStatus& status);

    qv::HANDLE m_hFile = INVALID_HANDLE_VALUE;
};
