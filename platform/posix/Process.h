#pragma once
// The process seam on POSIX systems: posix_spawnp of the command line split at blanks.
#include "platform/process.h"

namespace qv {

// Every started child is reaped by a small detached thread of its own that waits for exactly that
// child's id. A SIGCHLD handler or SA_NOCLDWAIT would also reap children that other code starts and
// waits for (stealing their exit status), and a double fork would leave the reaping to whatever
// process adopts the orphan, which in a container may never do it.
class PosixProcess : public IProcess {
public:
    std::int32_t Start(const char* pszCommandLine, std::uint16_t wShowWindow) override;
};

}  // namespace qv
