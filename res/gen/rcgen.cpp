// Build-time tool: writes the Windows resource script from the one definition of each resource in
// res/: the dialog templates (as DIALOGEX) and the string table in each language, icon 128, the
// version resource and the application manifest.
//   rcgen <quavel.rc> <icon.ico> <manifest> <version.rc>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

#include "res/DialogTemplate.h"
#include "res/StringTable.h"
#include "res/resource.h"

namespace {

using qv::res::ControlKind;
using qv::res::ControlTemplate;
using qv::res::DialogTemplate;
using qv::res::Language;

constexpr std::uint32_t kChild = 0x40000000;  // WS_CHILD

// The LANGUAGE statement of each set: primary and sub-language ids.
struct LanguageRow {
    Language language;
    const char* statement;
};

constexpr LanguageRow kLanguageStatements[] = {
    {Language::Japanese, "LANGUAGE 0x11, 0x1"},  // LANG_JAPANESE, SUBLANG_DEFAULT
    {Language::English, "LANGUAGE 0x09, 0x1"},   // LANG_ENGLISH, SUBLANG_ENGLISH_US
};

// Resource-script text: quotes doubled, backslashes and control characters escaped. The options
// dialog marks its access letters with U+001E/U+001F; Windows shows an access letter after "&".
std::string Quoted(std::string_view text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\x1e' && i + 2 < text.size() && text[i + 2] == '\x1f') {
            out += '&';
            out += text[i + 1];
            i += 2;
        } else if (c == '"') {
            out += "\"\"";
        } else if (c == '\\') {
            out += "\\\\";
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\%03o", static_cast<unsigned>(c));
            out += escape;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// Forward slashes, which windres accepts, so that a path needs no escaping.
std::string PathLiteral(std::string path) {
    for (char& c : path) {
        if (c == '\\') c = '/';
    }
    return Quoted(path);
}

std::string Hex(std::uint32_t v) {
    char b[16];
    std::snprintf(b, sizeof b, "0x%08X", v);
    return b;
}

// The window class and the style bits of a control's kind.
struct KindRow {
    ControlKind kind;
    const char* className;
    std::uint32_t style;
};

constexpr KindRow kKinds[] = {
    {ControlKind::PushButton, "Button", 0x0000},     // BS_PUSHBUTTON
    {ControlKind::DefPushButton, "Button", 0x0001},  // BS_DEFPUSHBUTTON
    {ControlKind::AutoCheckBox, "Button", 0x0003},   // BS_AUTOCHECKBOX
    {ControlKind::ListBox, "ListBox", 0x0000},
    {ControlKind::ComboBox, "ComboBox", 0x0000},
    {ControlKind::LText, "Static", 0x0000},       // SS_LEFT
    {ControlKind::CText, "Static", 0x0001},       // SS_CENTER
    {ControlKind::BlackFrame, "Static", 0x0007},  // SS_BLACKFRAME
    {ControlKind::Edit, "Edit", 0x0000},          // ES_LEFT
    {ControlKind::Icon, "Static", 0x0003},        // SS_ICON
};

const KindRow& KindOf(ControlKind kind) {
    for (const KindRow& row : kKinds) {
        if (row.kind == kind) return row;
    }
    return kKinds[0];
}

void WriteControl(std::ostream& s, const ControlTemplate& c) {
    const KindRow& kind = KindOf(c.kind);
    // An icon control names its image by resource id instead of a text.
    std::string text = c.kind == ControlKind::Icon ? std::to_string(c.image) : Quoted(c.caption);
    // The resource compiler makes every control visible unless told NOT.
    const std::uint32_t style = kChild | kind.style | c.style;
    s << "  CONTROL " << text << ", " << c.id << ", \"" << kind.className << "\", " << Hex(style)
      << ((style & qv::res::kVisible) ? "" : " | NOT 0x10000000") << ", " << c.x << ", " << c.y
      << ", " << c.w << ", " << c.h << "\n";
}

void WriteDialog(std::ostream& s, const DialogTemplate& d) {
    s << d.id << " DIALOGEX " << d.x << ", " << d.y << ", " << d.w << ", " << d.h << "\n"
      << "STYLE " << Hex(d.style) << "\n"
      << "CAPTION " << Quoted(d.caption) << "\n"
      << "FONT " << d.fontSize << ", " << Quoted(d.fontName) << "\n"
      << "BEGIN\n";
    for (const ControlTemplate& c : d.controls) WriteControl(s, c);
    s << "END\n\n";
}

std::string Script(const char* icon, const char* manifest, const char* version) {
    std::ostringstream s;
    s << "// Generated from res/ by rcgen; edit the templates, strings.def or version.def "
         "instead.\n"
         "#pragma code_page(65001)\n"
      << kLanguageStatements[0].statement << "\n\n"
      << IDR_MAINFRAME << " ICON " << PathLiteral(icon) << "\n"
      << "1 24 " << PathLiteral(manifest) << "\n\n";  // RT_MANIFEST of the process
    // The dialogs and strings once per language; the program picks the set it speaks.
    for (const LanguageRow& lang : kLanguageStatements) {
        s << lang.statement << "\n\n";
        for (std::uint32_t id : {IDD_ABOUTBOX, IDD_PLAYER, IDD_OPTIONS}) {
            if (const DialogTemplate* d = qv::res::FindDialogTemplate(id, lang.language))
                WriteDialog(s, *d);
        }
        s << "STRINGTABLE\nBEGIN\n";
        for (const qv::res::StringEntry& row : qv::res::StringTable(lang.language))
            s << "  " << row.id << ", " << Quoted(row.text) << "\n";
        s << "END\n\n";
    }
    s << kLanguageStatements[0].statement << "\n#include " << PathLiteral(version) << "\n";
    return s.str();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: rcgen <quavel.rc> <icon.ico> <manifest> <version.rc>\n");
        return 2;
    }
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out << Script(argv[2], argv[3], argv[4]);
    out.close();
    if (!out) {
        std::fprintf(stderr, "rcgen: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
