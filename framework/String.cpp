#include "framework/String.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/strings.h"

namespace {
int Clamp(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }
}  // namespace

int CString::Find(char ch, int nStart) const {
    if (nStart < 0 || nStart >= GetLength()) return -1;
    size_t pos = m_s.find(ch, static_cast<size_t>(nStart));
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::Find(const char* psz, int nStart) const {
    if (!psz || nStart < 0 || nStart > GetLength()) return -1;
    size_t pos = m_s.find(psz, static_cast<size_t>(nStart));
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::ReverseFind(char ch) const {
    size_t pos = m_s.rfind(ch);
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

CString CString::Left(int nCount) const {
    return CString(m_s.substr(0, static_cast<size_t>(Clamp(nCount, 0, GetLength()))));
}

CString CString::Mid(int nFirst) const { return Mid(nFirst, GetLength()); }

CString CString::Mid(int nFirst, int nCount) const {
    int first = Clamp(nFirst, 0, GetLength());
    int count = Clamp(nCount, 0, GetLength() - first);
    return CString(m_s.substr(static_cast<size_t>(first), static_cast<size_t>(count)));
}

CString CString::Right(int nCount) const {
    int count = Clamp(nCount, 0, GetLength());
    return CString(m_s.substr(static_cast<size_t>(GetLength() - count)));
}

void CString::Format(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, fmt, copy);
    va_end(copy);
    if (n < 0) {
        m_s.clear();
    } else {
        std::string out(static_cast<size_t>(n) + 1, '\0');
        std::vsnprintf(out.data(), out.size(), fmt, args);
        out.resize(static_cast<size_t>(n));
        m_s = std::move(out);
    }
    va_end(args);
}

char* CString::GetBuffer(int nMinLength) {
    if (nMinLength > GetLength()) m_s.resize(static_cast<size_t>(nMinLength));
    return m_s.data();
}

void CString::ReleaseBuffer(int nNewLength) {
    if (nNewLength < 0) nNewLength = static_cast<int>(std::strlen(m_s.c_str()));
    m_s.resize(static_cast<size_t>(Clamp(nNewLength, 0, GetLength())));
}

BOOL CString::Load(UINT nID) {
    std::string_view text = qv::LoadResourceString(nID);
    m_s = text;
    return !text.empty();
}
