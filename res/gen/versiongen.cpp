// Build-time tool: turns res/version.def into the binary version resource, a C++ source that
// carries it in the ".qvversion" section of the program file, and a resource script fragment for
// Windows builds.
//   versiongen <resource.bin> <resource.cpp> <resource.rc>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "res/gen/VersionBlob.h"

namespace {

using qv::versionblob::Description;

Description LoadDescription() {
    Description d;
    qv::versionblob::StringTable table;
#define QV_FILE_VERSION(a, b, c, e)                                                     \
    d.fixed.fileVersion[0] = a, d.fixed.fileVersion[1] = b, d.fixed.fileVersion[2] = c, \
    d.fixed.fileVersion[3] = e;
#define QV_PRODUCT_VERSION(a, b, c, e)                                                           \
    d.fixed.productVersion[0] = a, d.fixed.productVersion[1] = b, d.fixed.productVersion[2] = c, \
    d.fixed.productVersion[3] = e;
#define QV_FILE_FLAGS_MASK(v) d.fixed.flagsMask = v;
#define QV_FILE_FLAGS(v) d.fixed.flags = v;
#define QV_FILE_OS(v) d.fixed.os = v;
#define QV_FILE_TYPE(v) d.fixed.type = v;
#define QV_FILE_SUBTYPE(v) d.fixed.subtype = v;
#define QV_TRANSLATION(lang, cp) d.translations.push_back({lang, cp});
#define QV_STRING(name, text) table.strings.emplace_back(name, text);
#include "res/version.def"
#undef QV_FILE_VERSION
#undef QV_PRODUCT_VERSION
#undef QV_FILE_FLAGS_MASK
#undef QV_FILE_FLAGS
#undef QV_FILE_OS
#undef QV_FILE_TYPE
#undef QV_FILE_SUBTYPE
#undef QV_TRANSLATION
#undef QV_STRING
    // The strings belong to the one translation the data declares.
    char key[9];
    std::snprintf(key, sizeof key, "%04X%04X", d.translations.at(0).language,
                  d.translations.at(0).codePage);
    table.key = key;
    d.tables.push_back(table);
    return d;
}

std::string CppSource(const std::vector<std::uint8_t>& blob) {
    std::ostringstream s;
    s << "// Generated from res/version.def by versiongen; edit that file instead.\n"
         "// The section is kept by the linker (used, retain) so that the version resource is in\n"
         "// every program file that links this object.\n"
         "#if defined(__has_attribute) && __has_attribute(retain)\n"
         "#define QV_RETAIN __attribute__((retain))\n"
         "#else\n"
         "#define QV_RETAIN\n"
         "#endif\n"
         "alignas(4) __attribute__((section(\".qvversion\"), used)) QV_RETAIN\n"
         "const unsigned char qv_version_resource["
      << blob.size() << "] = {";
    for (std::size_t i = 0; i < blob.size(); ++i)
        s << (i % 16 == 0 ? "\n    " : " ") << static_cast<unsigned>(blob[i]) << ",";
    s << "\n};\n";
    return s.str();
}

// Resource-script strings: quotes are doubled, backslashes escaped.
std::string RcQuoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"')
            out += "\"\"";
        else if (c == '\\')
            out += "\\\\";
        else
            out += c;
    }
    return out + "\"";
}

std::string RcSource(const Description& d) {
    auto version = [](const std::uint16_t* v) {
        return std::to_string(v[0]) + "," + std::to_string(v[1]) + "," + std::to_string(v[2]) +
               "," + std::to_string(v[3]);
    };
    auto hex = [](std::uint32_t v) {
        char b[16];
        std::snprintf(b, sizeof b, "0x%X", v);
        return std::string(b);
    };
    std::ostringstream s;
    s << "// Generated from res/version.def by versiongen; edit that file instead.\n"
         "#pragma code_page(65001)\n"
         "1 VERSIONINFO\n"
      << "FILEVERSION " << version(d.fixed.fileVersion) << "\n"
      << "PRODUCTVERSION " << version(d.fixed.productVersion) << "\n"
      << "FILEFLAGSMASK " << hex(d.fixed.flagsMask) << "\n"
      << "FILEFLAGS " << hex(d.fixed.flags) << "\n"
      << "FILEOS " << hex(d.fixed.os) << "\n"
      << "FILETYPE " << hex(d.fixed.type) << "\n"
      << "FILESUBTYPE " << hex(d.fixed.subtype) << "\n"
      << "BEGIN\n  BLOCK \"StringFileInfo\"\n  BEGIN\n";
    for (const auto& table : d.tables) {
        s << "    BLOCK " << RcQuoted(table.key) << "\n    BEGIN\n";
        for (const auto& [name, text] : table.strings)
            s << "      VALUE " << RcQuoted(name) << ", " << RcQuoted(text) << "\n";
        s << "    END\n";
    }
    s << "  END\n  BLOCK \"VarFileInfo\"\n  BEGIN\n    VALUE \"Translation\"";
    for (const auto& t : d.translations) s << ", " << hex(t.language) << ", " << t.codePage;
    s << "\n  END\nEND\n";
    return s.str();
}

bool WriteFile(const char* path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "versiongen: cannot write %s\n", path);
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: versiongen <resource.bin> <resource.cpp> <resource.rc>\n");
        return 2;
    }
    Description d = LoadDescription();
    std::vector<std::uint8_t> blob = qv::versionblob::Serialize(d);
    if (blob.size() > 0xFFFF) {
        std::fprintf(stderr, "versiongen: the version data is too long (%zu bytes)\n", blob.size());
        return 1;
    }
    bool ok = WriteFile(argv[1], std::string(blob.begin(), blob.end())) &&
              WriteFile(argv[2], CppSource(blob)) && WriteFile(argv[3], RcSource(d));
    return ok ? 0 : 1;
}
