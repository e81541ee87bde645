#include "platform/process.h"

namespace qv {
namespace {
IProcess* g_process = nullptr;
}

IProcess* InstallProcess(IProcess* backend) {
    IProcess* previous = g_process;
    g_process = backend;
    return previous;
}

std::int32_t StartProcess(const char* pszCommandLine, const char* pszArgument,
                          std::uint16_t wShowWindow) {
    if (g_process == nullptr || pszCommandLine == nullptr) return 0;
    return g_process->Start(pszCommandLine, pszArgument, wShowWindow);
}

std::vector<std::string> SplitCommandLine(std::string_view commandLine) {
    std::vector<std::string> pieces;
    std::size_t pos = 0;
    while (pos < commandLine.size()) {
        std::size_t start = commandLine.find_first_not_of(' ', pos);
        if (start == std::string_view::npos) break;
        std::size_t end = commandLine.find(' ', start);
        if (end == std::string_view::npos) end = commandLine.size();
        pieces.emplace_back(commandLine.substr(start, end - start));
        pos = end;
    }
    return pieces;
}

std::string QuoteArgument(const char* pszArgument) {
    std::string out = "\"";
    std::size_t nBackslashes = 0;
    for (const char* p = pszArgument ? pszArgument : ""; *p != '\0'; ++p) {
        if (*p == '\\') {
            ++nBackslashes;
            continue;
        }
        // Backslashes count as plain characters unless a quote follows them.
        out.append(*p == '"' ? nBackslashes * 2 + 1 : nBackslashes, '\\');
        nBackslashes = 0;
        out += *p;
    }
    out.append(nBackslashes * 2, '\\');
    out += '"';
    return out;
}

}  // namespace qv
