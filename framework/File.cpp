#include "framework/File.h"

namespace {

constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600;
constexpr std::uint64_t kTicksPerSecond = 10000000;

constexpr UINT kAccessMask = 0x0003;
constexpr UINT kShareMask = 0x0070;

struct ShareRow {
    UINT nShare;
    std::uint32_t dwShareMode;
};

const ShareRow kShareModes[] = {
    {0, 0},  // the old compatibility mode shares nothing either
    {CFile::shareExclusive, 0},
    {CFile::shareDenyWrite, FILE_SHARE_READ},
    {CFile::shareDenyRead, FILE_SHARE_WRITE},
    {CFile::shareDenyNone, FILE_SHARE_READ | FILE_SHARE_WRITE},
};

const std::uint32_t kAccess[] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE};

std::int64_t ToSeconds(const qv::FILETIME& time) {
    std::uint64_t ticks =
        static_cast<std::uint64_t>(time.dwHighDateTime) << 32 | time.dwLowDateTime;
    return static_cast<std::int64_t>(ticks / kTicksPerSecond) - kSecondsFrom1601To1970;
}

qv::FILETIME ToFileTime(std::int64_t seconds) {
    std::int64_t since1601 = seconds + kSecondsFrom1601To1970;
    std::uint64_t ticks =
        since1601 > 0 ? static_cast<std::uint64_t>(since1601) * kTicksPerSecond : 0;
    return qv::FILETIME{static_cast<std::uint32_t>(ticks), static_cast<std::uint32_t>(ticks >> 32)};
}

template <typename Data>
void FillStatus(const Data& data, CFileStatus& rStatus) {
    rStatus.m_ctime = ToSeconds(data.ftCreationTime);
    rStatus.m_mtime = ToSeconds(data.ftLastWriteTime);
    rStatus.m_atime = ToSeconds(data.ftLastAccessTime);
    rStatus.m_size = static_cast<std::uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
    rStatus.m_attribute = static_cast<BYTE>(data.dwFileAttributes);
}

}  // namespace

CFile::~CFile() {
    Close();
}

BOOL CFile::Open(const char* pszFileName, UINT nOpenFlags) {
    UINT nAccess = nOpenFlags & kAccessMask;
    UINT nShare = nOpenFlags & kShareMask;
    if (IsOpen() || !pszFileName || nAccess > modeReadWrite) return FALSE;
    const ShareRow* pShare = nullptr;
    for (const ShareRow& row : kShareModes) {
        if (row.nShare == nShare) pShare = &row;
    }
    if (!pShare) return FALSE;
    std::uint32_t disposition = (nOpenFlags & modeCreate) ? CREATE_ALWAYS : OPEN_EXISTING;
    m_hFile = qv::CreateFileA(pszFileName, kAccess[nAccess], pShare->dwShareMode, disposition,
                              FILE_ATTRIBUTE_NORMAL);
    return IsOpen();
}

void CFile::Close() {
    if (IsOpen()) qv::CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
}

UINT CFile::Read(void* pBuffer, UINT nCount) {
    std::uint32_t nRead = 0;
    if (!IsOpen() || !qv::ReadFile(m_hFile, pBuffer, nCount, &nRead)) return 0;
    return nRead;
}

BOOL CFile::Write(const void* pBuffer, UINT nCount) {
    std::uint32_t nWritten = 0;
    return IsOpen() && qv::WriteFile(m_hFile, pBuffer, nCount, &nWritten) && nWritten == nCount;
}

std::uint64_t CFile::GetLength() const {
    std::int64_t size = 0;
    if (!IsOpen() || !qv::GetFileSizeEx(m_hFile, &size) || size < 0) return 0;
    return static_cast<std::uint64_t>(size);
}

std::int64_t CFile::Seek(std::int64_t lOff, UINT nFrom) {
    std::int64_t position = -1;
    if (!IsOpen() || !qv::SetFilePointerEx(m_hFile, lOff, &position, nFrom)) return -1;
    return position;
}

BOOL CFile::GetStatus(CFileStatus& rStatus) const {
    qv::BY_HANDLE_FILE_INFORMATION info{};
    if (!IsOpen() || !qv::GetFileInformationByHandle(m_hFile, &info)) return FALSE;
    FillStatus(info, rStatus);
    return TRUE;
}

BOOL CFile::GetStatus(const char* pszFileName, CFileStatus& rStatus) {
    qv::WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!pszFileName || !qv::GetFileAttributesExA(pszFileName, &data)) return FALSE;
    FillStatus(data, rStatus);
    return TRUE;
}

BOOL CFile::SetStatus(const char* pszFileName, const CFileStatus& status) {
    if (!pszFileName) return FALSE;
    CScopedFileHandle file(qv::CreateFileA(pszFileName, FILE_WRITE_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL));
    if (!file.IsValid()) return FALSE;
    qv::FILETIME created = ToFileTime(status.m_ctime);
    qv::FILETIME accessed = ToFileTime(status.m_atime);
    qv::FILETIME modified = ToFileTime(status.m_mtime);
    return qv::SetFileTime(file.Get(), &created, &accessed, &modified) != 0;
}
