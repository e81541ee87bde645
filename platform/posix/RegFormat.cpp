#include "platform/posix/RegFormat.h"

#include <cstdint>
#include <cstdio>
#include <vector>

namespace qv::posix {
namespace {

constexpr std::string_view kHeader = "REGEDIT4";
constexpr std::string_view kClassComment = ";class=";
constexpr std::string_view kBom = "\xEF\xBB\xBF";
// The registry editor wraps hex data so that no line grows past 80 columns.
constexpr std::size_t kHexWrapColumn = 76;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimLeft(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    return s;
}

std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

std::string_view Trim(std::string_view s) { return TrimRight(TrimLeft(s)); }

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

// A quoted text starting at s[0] == '"'. Only \\ and \" are escapes; any other backslash stands
// for itself, as hand-written paths expect. rest receives what follows the closing quote.
bool ParseQuoted(std::string_view s, std::string& out, std::string_view& rest) {
    out.clear();
    for (std::size_t i = 1; i < s.size(); ++i) {
        char c = s[i];
        if (c == '\\' && i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"')) {
            out += s[++i];
        } else if (c == '"') {
            rest = s.substr(i + 1);
            return true;
        } else {
            out += c;
        }
    }
    return false;
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
    Parser(std::string_view text, RegKey& top) : m_lines(text), m_top(top) {}

    bool Run(RegParseError* error) {
        bool ok = Header() && Body();
        if (!ok && error) *error = RegParseError{m_lines.Number(), m_fault};
        return ok;
    }

private:
    bool Fail(std::string message) {
        m_fault = std::move(message);
        return false;
    }

    bool Header() {
        std::string_view line;
        if (!m_lines.Next(line)) return Fail("empty file");
        if (line.substr(0, kBom.size()) == kBom) line.remove_prefix(kBom.size());
        if (TrimRight(line) != kHeader) return Fail("no REGEDIT4 header");
        return true;
    }

    bool Body() {
        std::string_view line;
        while (m_lines.Next(line)) {
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
                ok = Fail("neither a key nor a value");
            if (!ok) return false;
        }
        return true;
    }

    // Key classes have no place in the format, so they travel in a comment the editor ignores.
    void ClassComment(std::string_view t) {
        if (!m_current || t.substr(0, kClassComment.size()) != kClassComment) return;
        std::string cls;
        std::string_view rest;
        t.remove_prefix(kClassComment.size());
        if (!t.empty() && t.front() == '"' && ParseQuoted(t, cls, rest) && Trim(rest).empty())
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

    bool Section(std::string_view t) {
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
        m_current = nullptr;
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
        } else if (!ParseQuoted(t, name, rest)) {
            return Fail("value name without its closing quote");
        }
        if (name.size() > kMaxValueNameLength) return Fail("value name too long");
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
        if (!ParseQuoted(data, text, rest)) return Fail("string without its closing quote");
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
        m_current->SetValue(name, type, std::move(bytes));
        return true;
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

    Lines m_lines;
    RegKey& m_top;
    RegKey* m_current = nullptr;
    std::string m_fault;
};

// Well-formed UTF-8 (no overlong forms, no surrogates) without control characters: text that
// reads the same in any editor and survives a line-based format.
bool IsPlainText(const std::uint8_t* p, std::size_t n) {
    std::size_t i = 0;
    while (i < n) {
        std::uint8_t c = p[i];
        if (c < 0x20 || c == 0x7F) return false;
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

bool IsPlainString(const RegValue& v) {
    const std::vector<std::uint8_t>& d = v.data;
    return v.type == REG_SZ && !d.empty() && d.back() == 0 && IsPlainText(d.data(), d.size() - 1);
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
        AppendQuoted(out, std::string_view(reinterpret_cast<const char*>(v.data.data()),
                                           v.data.size() - 1));
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
