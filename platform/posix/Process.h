#pragma once
// The process seam on POSIX systems: posix_spawnp of the command line split at blanks, with the
// appended argument kept whole.
#include "platform/process.h"

namespace qv {

// Started children are reaped by one small thread that waits for exactly their ids, polling while
// any is left and ending when none is. A SIGCHLD handler or SA_NOCLDWAIT would also reap children
// that other code starts and waits for (stealing their exit status), a double fork would leave the
// reaping to whatever process adopts the orphan, which in a container may never do it, and a
// thread per child would pile up beside a viewer that never exits.
class PosixProcess : public IProcess {
public:
    std::int32_t Start(const char* pszCommandLine, const char* pszArgument,
                       std::uint16_t wShowWindow) override;
};

}  // namespace qv
