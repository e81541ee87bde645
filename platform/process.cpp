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

std::int32_t StartProcess(const char* pszCommandLine, std::uint16_t wShowWindow) {
    if (g_process == nullptr || pszCommandLine == nullptr) return 0;
    return g_process->Start(pszCommandLine, wShowWindow);
}

}  // namespace qv
