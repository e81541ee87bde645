#pragma once
// CString: a byte string in the system's multi-byte code page (UTF-8 on Linux). No conversion is
// ever made here; the bytes are kept exactly as given, including bytes that are not valid text.
#include <string>
#include <string_view>
#include <vector>

#include "framework/Object.h"
#include "framework/Types.h"

class CString {
public:
    CString() = default;
    CString(const char* psz) : m_s(psz ? psz : "") {}
    CString(const char* p, int nLength) : m_s(p ? p : "", p && nLength > 0 ? nLength : 0) {}
    CString(std::string_view sv) : m_s(sv) {}
    CString(char ch, int nRepeat = 1) : m_s(nRepeat > 0 ? nRepeat : 0, ch) {}

    int GetLength() const { return static_cast<int>(m_s.size()); }
    BOOL IsEmpty() const { return m_s.empty(); }
    void Empty() { m_s.clear(); }

    const char* GetString() const { return m_s.c_str(); }
    operator const char*() const { return m_s.c_str(); }
    std::string_view View() const { return m_s; }
    const std::string& Str() const { return m_s; }

    char GetAt(int i) const { return m_s[static_cast<size_t>(i)]; }
    char operator[](int i) const { return GetAt(i); }
    void SetAt(int i, char ch) { m_s[static_cast<size_t>(i)] = ch; }

    CString& operator=(const char* psz) { m_s = psz ? psz : ""; return *this; }
    CString& operator=(std::string_view sv) { m_s = sv; return *this; }
    CString& operator+=(const CString& s) { m_s += s.m_s; return *this; }
    CString& operator+=(const char* psz) { if (psz) m_s += psz; return *this; }
    CString& operator+=(char ch) { m_s += ch; return *this; }

    friend CString operator+(const CString& a, const CString& b) { return CString(a.m_s + b.m_s); }
    friend CString operator+(const CString& a, const char* b) { CString r(a); r += b; return r; }
    friend CString operator+(const char* a, const CString& b) { CString r(a); r += b; return r; }
    friend CString operator+(const CString& a, char b) { CString r(a); r += b; return r; }

    friend bool operator==(const CString& a, const CString& b) { return a.m_s == b.m_s; }
    friend bool operator==(const CString& a, const char* b) { return a.m_s == (b ? b : ""); }
    friend bool operator==(const char* a, const CString& b) { return b == a; }
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator!=(const CString& a, const char* b) { return !(a == b); }
    friend bool operator!=(const char* a, const CString& b) { return !(b == a); }
    friend bool operator<(const CString& a, const CString& b) { return a.m_s < b.m_s; }

    // Byte-wise comparisons: negative, zero or positive.
    int Compare(const char* psz) const { return m_s.compare(psz ? psz : ""); }

    int Find(char ch, int nStart = 0) const;
    int Find(const char* psz, int nStart = 0) const;
    int ReverseFind(char ch) const;

    CString Left(int nCount) const;
    CString Mid(int nFirst) const;
    CString Mid(int nFirst, int nCount) const;
    CString Right(int nCount) const;

    // printf-style formatting into this string.
    void Format(const char* fmt, ...) __attribute__((format(printf, 2, 3)));

    // Direct access for APIs that fill a character buffer; ReleaseBuffer(-1) takes the length up to
    // the first zero byte.
    char* GetBuffer(int nMinLength);
    void ReleaseBuffer(int nNewLength = -1);

    // Loads the string-table text of the given id; an absent id gives an empty text and FALSE.
    BOOL Load(UINT nID);

private:
    std::string m_s;
};

// An ordered array of strings, addressed by 0-based int indices.
class CStringArray : public CObject {
public:
    int GetSize() const { return static_cast<int>(m_a.size()); }
    int GetCount() const { return GetSize(); }
    int GetUpperBound() const { return GetSize() - 1; }
    BOOL IsEmpty() const { return m_a.empty(); }

    // Grows with empty strings or shrinks to the given size.
    void SetSize(int nNewSize) { m_a.resize(nNewSize > 0 ? static_cast<size_t>(nNewSize) : 0); }
    void RemoveAll() { m_a.clear(); }

    const CString& GetAt(int i) const { return m_a[static_cast<size_t>(i)]; }
    CString& ElementAt(int i) { return m_a[static_cast<size_t>(i)]; }
    void SetAt(int i, const CString& s) { m_a[static_cast<size_t>(i)] = s; }
    const CString& operator[](int i) const { return GetAt(i); }
    CString& operator[](int i) { return ElementAt(i); }

    // Appends and answers the new element's index.
    int Add(const CString& s) { m_a.push_back(s); return GetSize() - 1; }
    void Append(const CStringArray& other) { m_a.insert(m_a.end(), other.m_a.begin(), other.m_a.end()); }
    void InsertAt(int i, const CString& s) { m_a.insert(m_a.begin() + i, s); }
    void RemoveAt(int i, int nCount = 1) { m_a.erase(m_a.begin() + i, m_a.begin() + i + nCount); }

    auto begin() const { return m_a.begin(); }
    auto end() const { return m_a.end(); }

private:
    std::vector<CString> m_a;
};
