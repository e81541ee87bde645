#include "platform/posix/RegFormat.h"

#include <cstdint>
#include <cstdio>
#include <vector>

namespace qv::posix {
namespace {

constexpr std::string_view kHeader = "REGEDIT4";
// The editor's Unicode export: UTF-16LE text whose string data are UTF-16LE as well.
constexpr std::string_view kUnicodeHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kClassComment = ";class=";
constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16Bom = "\xFF\xFE";
// The registry editor wraps hex data so that no line grows past 80 columns.
constexpr std::size_t kHexWrapColumn = 76;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimLeft(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    return s;
}

std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

std::string_view Trim(std::string_view s) {
    return TrimRight(TrimLeft(s));
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && SameName(s.substr(0, prefix.size()), prefix);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// 1 to maxDigits hex digits and nothing else.
bool ParseHexNumber(std::string_view s, std::size_t maxDigits, std::uint32_t& out) {
    if (s.empty() || s.size() > maxDigits) return false;
    out = 0;
    for (char c : s) {
        int d = HexDigit(c);
        if (d < 0) return false;
        out = (out << 4) | static_cast<std::uint32_t>(d);
    }
    return true;
}

// A Shift-JIS character of two bytes: its second byte may be a backslash or a quote.
bool IsShiftJisPair(std::string_view s, std::size_t i) {
    auto lead = static_cast<unsigned char>(s[i]);
    if (!((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC)) || i + 1 >= s.size())
        return false;
    auto trail = static_cast<unsigned char>(s[i + 1]);
    return trail >= 0x40 && trail <= 0xFC && trail != 0x7F;
}

// A quoted text starting at s[0] == '"'. The escapes are the editor's: \\, \", \r and \n; any
// other backslash stands for itself, as hand-written paths expect. In Shift-JIS text a
// two-byte character is taken whole. rest receives what follows the closing quote.
bool ParseQuoted(std::string_view s, std::string& out, std::string_view& rest, bool shiftJis) {
    out.clear();
    for (std::size_t i = 1; i < s.size(); ++i) {
        char c = s[i];
        char next = i + 1 < s.size() ? s[i + 1] : '\0';
        if (shiftJis && IsShiftJisPair(s, i)) {
            out += s.substr(i++, 2);
        } else if (c == '\\' && (next == '\\' || next == '"')) {
            out += next;
            ++i;
        } else if (c == '\\' && (next == 'r' || next == 'n')) {
            out += next == 'r' ? '\r' : '\n';
            ++i;
        } else if (c == '"') {
            rest = s.substr(i + 1);
            return true;
        } else {
            out += c;
        }
    }
    return false;
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// UTF-16LE to UTF-8. Strict answers false for an odd length or a lone surrogate; otherwise such a
// surrogate becomes U+FFFD and an odd last byte is dropped.
bool Utf16ToUtf8(std::string_view in, std::string& out, bool strict) {
    out.clear();
    if (strict && in.size() % 2 != 0) return false;
    auto unit = [&in](std::size_t i) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(in[i]) |
                                          static_cast<unsigned char>(in[i + 1]) << 8);
    };
    for (std::size_t i = 0; i + 1 < in.size(); i += 2) {
        std::uint32_t cp = unit(i);
        if (cp >= 0xD800 && cp <= 0xDFFF) {
            std::uint32_t low = i + 3 < in.size() ? unit(i + 2) : 0;
            if (cp <= 0xDBFF && low >= 0xDC00 && low <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            } else if (strict) {
                return false;
            } else {
                cp = 0xFFFD;
            }
        }
        AppendUtf8(out, cp);
    }
    return true;
}

class Lines {
public:
    explicit Lines(std::string_view text) : m_text(text) {}

    bool Next(std::string_view& line) {
        if (m_pos >= m_text.size()) return false;
        std::size_t end = m_text.find('\n', m_pos);
        if (end == std::string_view::npos) end = m_text.size();
        line = m_text.substr(m_pos, end - m_pos);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        m_pos = end + 1;
        ++m_number;
        return true;
    }
    std::size_t Number() const { return m_number; }

private:
    std::string_view m_text;
    std::size_t m_pos = 0;
    std::size_t m_number = 0;
};

class Parser {
public:
    Parser(std::string_view text, RegKey& top) : m_text(text), m_lines(text), m_top(top) {}

    bool Run(RegParseError* error) {
        RegParseError result;
        bool ok = Decode() && (m_text.empty() || Header());
        if (ok) Body(result.skipped);
        if (!ok) result.message = m_fault;
        if (error) *error = std::move(result);
        return ok;
    }

private:
    bool Fail(std::string message) {
        m_fault = std::move(message);
        return false;
    }

    // The editor's Unicode export is read as UTF-8. Other text is taken as it is: as UTF-8 when
    // it is valid UTF-8, else as Shift-JIS, the code page such files were written in.
    bool Decode() {
        if (m_text.substr(0, kUtf16Bom.size()) == kUtf16Bom) {
            Utf16ToUtf8(m_text.substr(kUtf16Bom.size()), m_decoded, false);
            m_text = m_decoded;
        } else if (m_text.substr(0, kBom.size()) == kBom) {
            m_text.remove_prefix(kBom.size());
        }
        m_shiftJis = !IsUtf8Text(m_text);
        m_lines = Lines(m_text);
        return true;
    }

    bool Header() {
        std::string_view line;
        m_lines.Next(line);
        line = TrimRight(line);
        if (line == kUnicodeHeader) {
            m_bUnicode = true;
            return true;
        }
        return line == kHeader || Fail("no REGEDIT4 header");
    }

    void Body(std::vector<std::size_t>& skipped) {
        std::string_view line;
        while (m_lines.Next(line)) {
            std::size_t number = m_lines.Number();
            std::string_view t = TrimLeft(line);
            bool ok = true;
            if (t.empty()) continue;
            if (t.front() == ';')
                ClassComment(t);
            else if (t.front() == '[')
                ok = Section(t);
            else if (t.front() == '"' || t.front() == '@')
                ok = ValueLine(t);
            else
                ok = false;
            if (!ok) skipped.push_back(number);
        }
    }

    // Key classes have no place in the format, so they travel in a comment the editor ignores.
    void ClassComment(std::string_view t) {
        if (!m_current || t.substr(0, kClassComment.size()) != kClassComment) return;
        std::string cls;
        std::string_view rest;
        t.remove_prefix(kClassComment.size());
        if (!t.empty() && t.front() == '"' && ParseQuoted(t, cls, rest, m_shiftJis) &&
            Trim(rest).empty() && cls.find('\n') == std::string::npos)
            m_current->SetClass(std::move(cls));
    }

    bool SplitPath(std::string_view path, std::vector<std::string_view>& names) {
        names.clear();
        while (true) {
            std::size_t sep = path.find('\\');
            std::string_view name = path.substr(0, sep);
            if (name.empty()) return Fail("empty key name");
            if (name.size() > kMaxKeyNameLength) return Fail("key name too long");
            names.push_back(name);
            if (names.size() > kMaxKeyDepth + 1) return Fail("key path too deep");
            if (sep == std::string_view::npos) return true;
            path.remove_prefix(sep + 1);
        }
    }

    // A key line that cannot be read leaves no key current, so its values are skipped with it
    // instead of landing in the key before.
    bool Section(std::string_view t) {
        m_current = nullptr;
        std::size_t close = t.rfind(']');
        if (close == std::string_view::npos || !Trim(t.substr(close + 1)).empty())
            return Fail("key line without its closing bracket");
        std::string_view path = t.substr(1, close - 1);
        bool remove = !path.empty() && path.front() == '-';
        if (remove) path.remove_prefix(1);
        std::vector<std::string_view> names;
        if (!SplitPath(path, names)) return false;
        std::string_view root = CanonicalRootName(names.front());
        if (root.empty()) return Fail("unknown root key");
        names.front() = root;
        if (remove) return RemoveKey(names);
        RegKey* key = &m_top;
        for (std::string_view name : names) key = &key->FindOrAddSubKey(name);
        m_current = key;
        return true;
    }

    bool RemoveKey(const std::vector<std::string_view>& names) {
        RegKey* parent = &m_top;
        for (std::size_t i = 0; i + 1 < names.size() && parent; ++i)
            parent = parent->FindSubKey(names[i]);
        if (parent) parent->RemoveSubKey(names.back());
        return true;
    }

    bool ValueLine(std::string_view t) {
        std::string name;
        std::string_view rest;
        if (t.front() == '@') {
            rest = t.substr(1);
        } else if (!ParseQuoted(t, name, rest, m_shiftJis)) {
            return Fail("value name without its closing quote");
        }
        if (name.size() > kMaxValueNameLength) return Fail("value name too long");
        // An escaped line break has no place in a name: no line could carry it back.
        if (name.find('\n') != std::string::npos) return Fail("line break in a value name");
        rest = TrimLeft(rest);
        if (rest.empty() || rest.front() != '=') return Fail("value without '='");
        if (!m_current) return Fail("value outside a key");
        return ValueData(name, TrimLeft(rest.substr(1)));
    }

    bool ValueData(const std::string& name, std::string_view data) {
        if (!data.empty() && data.front() == '-' && Trim(data.substr(1)).empty()) {
            m_current->RemoveValue(name);
            return true;
        }
        if (!data.empty() && data.front() == '"') return StringData(name, data);
        if (StartsWithNoCase(data, "dword:")) return DwordData(name, data.substr(6));
        if (StartsWithNoCase(data, "hex:")) return HexData(name, REG_BINARY, data.substr(4));
        if (StartsWithNoCase(data, "hex(")) {
            std::size_t close = data.find(')');
            std::uint32_t type = 0;
            if (close == std::string_view::npos || close + 1 >= data.size() ||
                data[close + 1] != ':' || !ParseHexNumber(data.substr(4, close - 4), 8, type))
                return Fail("bad hex(type): prefix");
            return HexData(name, type, data.substr(close + 2));
        }
        return Fail("unknown value data");
    }

    bool StringData(const std::string& name, std::string_view data) {
        std::string text;
        std::string_view rest;
        if (!ParseQuoted(data, text, rest, m_shiftJis))
            return Fail("string without its closing quote");
        if (!Trim(rest).empty()) return Fail("text after a string");
        std::vector<std::uint8_t> bytes(text.begin(), text.end());
        bytes.push_back(0);
        m_current->SetValue(name, REG_SZ, std::move(bytes));
        return true;
    }

    bool DwordData(const std::string& name, std::string_view digits) {
        std::uint32_t n = 0;
        if (!ParseHexNumber(Trim(digits), 8, n)) return Fail("bad dword");
        std::vector<std::uint8_t> bytes = {
            static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
            static_cast<std::uint8_t>(n >> 16), static_cast<std::uint8_t>(n >> 24)};
        m_current->SetValue(name, REG_DWORD, std::move(bytes));
        return true;
    }

    // Joins the continuation lines (a line ending in a backslash goes on on the next one).
    bool HexData(const std::string& name, std::uint32_t type, std::string_view first) {
        std::string joined(TrimRight(first));
        while (!joined.empty() && joined.back() == '\\') {
            joined.pop_back();
            std::string_view next;
            if (!m_lines.Next(next)) return Fail("hex data ends in a continuation");
            joined += Trim(next);
        }
        std::vector<std::uint8_t> bytes;
        if (!HexBytes(joined, bytes)) return false;
        if (m_bUnicode) FromUnicode(type, bytes);
        m_current->SetValue(name, type, std::move(bytes));
        return true;
    }

    // The Unicode export keeps string data in UTF-16LE; the program reads them in UTF-8. Data
    // that are not UTF-16 text are kept as they are.
    static void FromUnicode(std::uint32_t type, std::vector<std::uint8_t>& bytes) {
        if (type != REG_SZ && type != REG_EXPAND_SZ && type != REG_MULTI_SZ) return;
        std::string utf8;
        if (!Utf16ToUtf8(
                std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), utf8,
                true))
            return;
        bytes.assign(utf8.begin(), utf8.end());
    }

    bool HexBytes(std::string_view list, std::vector<std::uint8_t>& bytes) {
        if (Trim(list).empty()) return true;
        while (true) {
            std::size_t comma = list.find(',');
            std::uint32_t byte = 0;
            if (!ParseHexNumber(Trim(list.substr(0, comma)), 2, byte)) return Fail("bad hex byte");
            bytes.push_back(static_cast<std::uint8_t>(byte));
            if (comma == std::string_view::npos) return true;
            list.remove_prefix(comma + 1);
        }
    }

    std::string_view m_text;
    std::string m_decoded;
    Lines m_lines;
    RegKey& m_top;
    RegKey* m_current = nullptr;
    std::string m_fault;
    bool m_shiftJis = false;
    bool m_bUnicode = false;
};

// Well-formed UTF-8 (no overlong forms, no surrogates), and with controls false without control
// characters: text that reads the same in any editor and survives a line-based format.
bool IsUtf8(const std::uint8_t* p, std::size_t n, bool controls) {
    std::size_t i = 0;
    while (i < n) {
        std::uint8_t c = p[i];
        if (!controls && (c < 0x20 || c == 0x7F)) return false;
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 0;
        if (len == 0 || c > 0xF4 || i + len > n) return false;
        std::uint32_t cp = c & (0x7F >> len);
        for (std::size_t k = 1; k < len; ++k) {
            if ((p[i + k] & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        constexpr std::uint32_t kMinForLength[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < kMinForLength[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += len;
    }
    return true;
}

// The program writes its strings without a terminating zero; quoted text reads back with one,
// which readers of a REG_SZ expect anyway.
bool IsPlainString(const RegValue& v) {
    const std::vector<std::uint8_t>& d = v.data;
    std::size_t n = !d.empty() && d.back() == 0 ? d.size() - 1 : d.size();
    return v.type == REG_SZ && IsUtf8(d.data(), n, false);
}

void AppendQuoted(std::string& out, std::string_view text) {
    out += '"';
    for (char c : text) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    out += '"';
}

void AppendHex(std::string& out, std::size_t lineStart, const RegValue& v) {
    static constexpr char kDigits[] = "0123456789abcdef";
    if (v.type == REG_BINARY) {
        out += "hex:";
    } else {
        char prefix[16];
        std::snprintf(prefix, sizeof prefix, "hex(%x):", static_cast<unsigned>(v.type));
        out += prefix;
    }
    for (std::size_t i = 0; i < v.data.size(); ++i) {
        out += kDigits[v.data[i] >> 4];
        out += kDigits[v.data[i] & 0xF];
        if (i + 1 == v.data.size()) break;
        out += ',';
        if (out.size() - lineStart > kHexWrapColumn) {
            out += "\\\r\n  ";
            lineStart = out.size() - 2;
        }
    }
}

void AppendValue(std::string& out, const RegValue& v) {
    std::size_t lineStart = out.size();
    if (v.name.empty())
        out += '@';
    else
        AppendQuoted(out, v.name);
    out += '=';
    if (IsPlainString(v)) {
        std::size_t n = !v.data.empty() && v.data.back() == 0 ? v.data.size() - 1 : v.data.size();
        AppendQuoted(out, std::string_view(reinterpret_cast<const char*>(v.data.data()), n));
    } else if (v.type == REG_DWORD && v.data.size() == 4) {
        char digits[16];
        std::uint32_t n = v.data[0] | (v.data[1] << 8) | (v.data[2] << 16) |
                          (static_cast<std::uint32_t>(v.data[3]) << 24);
        std::snprintf(digits, sizeof digits, "dword:%08x", static_cast<unsigned>(n));
        out += digits;
    } else {
        AppendHex(out, lineStart, v);
    }
    out += "\r\n";
}

void AppendKey(std::string& out, const RegKey& key, const std::string& path) {
    out += '[';
    out += path;
    out += "]\r\n";
    if (!key.Class().empty()) {
        out += kClassComment;
        AppendQuoted(out, key.Class());
        out += "\r\n";
    }
    for (std::size_t i = 0; i < key.ValueCount(); ++i) AppendValue(out, key.ValueAt(i));
    out += "\r\n";
    for (std::size_t i = 0; i < key.SubKeyCount(); ++i) {
        const RegKey& sub = key.SubKeyAt(i);
        AppendKey(out, sub, path + '\\' + sub.Name());
    }
}

}  // namespace

bool IsUtf8Text(std::string_view text) {
    return IsUtf8(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), true);
}

bool ParseRegText(std::string_view text, RegKey& top, RegParseError* error) {
    return Parser(text, top).Run(error);
}

std::string FormatRegText(const RegKey& top) {
    std::string out(kHeader);
    out += "\r\n\r\n";
    for (std::size_t i = 0; i < top.SubKeyCount(); ++i)
        AppendKey(out, top.SubKeyAt(i), top.SubKeyAt(i).Name());
    return out;
}

}  // namespace qv::posix
