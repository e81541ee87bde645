// Arbitrary texts for the pieces of paths and command lines: _splitpath_s under both path
// syntaxes, the splitting of the command line and of the user's commands at blanks, the quoting
// of a path for a system whose programs parse one command-line text, and the look-up of a path
// ignoring letter case in a small folder tree.
#include <fcntl.h>

#include "app/PlayerDlg.h"
#include "platform/process.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

class ShiftJisFiles : public qv::PosixFileSystem {
public:
    qv::PathSyntax GetPathSyntax() override { return {932, '\\', '/', 1}; }
};

std::string MakeTree() {
    const std::string& folder = FuzzFolder();
    for (const char* name : {"Music/Song.mid", "Music/song.MID", "music2/A b.Mid", "x/Y/z"}) {
        std::filesystem::path path = folder + "/" + name;
        std::filesystem::create_directories(path.parent_path());
        ::close(::creat(path.c_str(), 0644));
    }
    return folder;
}

void CheckSplitPath(const std::string& path) {
    std::vector<char> drive(path.size() + 1), dir(path.size() + 1), name(path.size() + 1),
        ext(path.size() + 1);
    Check(qv::_splitpath_s(path.c_str(), drive.data(), drive.size(), dir.data(), dir.size(),
                           name.data(), name.size(), ext.data(), ext.size()) == 0);
    Check(std::string(drive.data()) + dir.data() + name.data() + ext.data() == path);
    Check(std::string_view(ext.data()).empty() || ext[0] == '.');
}

// How the C run-time library cuts a command line into arguments (the rules after the program
// name): blanks and tabs separate, quotes group, backslashes escape only before a quote.
std::vector<std::string> ParseLikeTheRuntime(std::string_view text) {
    std::vector<std::string> args;
    auto blank = [&](std::size_t i) { return text[i] == ' ' || text[i] == '\t'; };
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (blank(i)) continue;
        std::string arg;
        for (bool quoted = false; i < text.size() && (quoted || !blank(i));) {
            std::size_t slashes = 0;
            for (; i < text.size() && text[i] == '\\'; ++i) ++slashes;
            if (i < text.size() && text[i] == '"') {
                arg.append(slashes / 2, '\\');
                if (slashes % 2 == 1) arg += '"';
                quoted ^= slashes % 2 == 0;
                ++i;
            } else {
                arg.append(slashes, '\\');
                if (i < text.size() && (quoted || !blank(i))) arg += text[i++];
            }
        }
        args.push_back(arg);
    }
    return args;
}

std::string Folded(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '/' && !out.empty() && out.back() == '/') continue;
        out += c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static ShiftJisFiles shiftJis;
    static const std::string folder = MakeTree();
    // Up to the first zero byte, as every text of the program ends there.
    const std::string_view input = Text(data, size);
    std::string text(input.substr(0, input.find('\0')));

    qv::InstallFileSystem(&shiftJis);
    CheckSplitPath(text);
    qv::InstallFileSystem(&FuzzFiles());
    CheckSplitPath(text);

    for (const std::string& piece : qv::SplitCommandLine(text))
        Check(!piece.empty() && piece.find(' ') == std::string::npos);
    CStringArray aPieces;
    CPlayerDlg::SplitString(CString(text), " ", aPieces);
    Check(aPieces.GetSize() == static_cast<int>(qv::SplitCommandLine(text).size()));
    std::vector<std::string> args = ParseLikeTheRuntime("x " + qv::QuoteArgument(text.c_str()));
    Check(args.size() == 2 && args[1] == text);

    // Below the tree only: ".." pieces would wander the whole file system.
    if (text.find("..") == std::string::npos) {
        std::string path = folder + "/" + text;
        std::string disk = qv::GetDiskPath(path.c_str());
        Check(Folded(disk) == Folded(path));
        Check(qv::GetDiskPath(disk.c_str()) == disk);
    }
    return 0;
}
