#pragma once
#include "platform/process.h"

namespace qv::win32 {

// Starts a command line with CreateProcessA, shown as asked and not activated, without waiting;
// the process and thread handles are closed at once. The argument is appended quoted as the C
// run-time parses a command line, so a path with blanks reaches the program whole.
class Win32Process final : public IProcess {
public:
    std::int32_t Start(const char* pszCommandLine, const char* pszArgument,
                       std::uint16_t wShowWindow) override;
};

}  // namespace qv::win32
