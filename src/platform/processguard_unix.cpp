#include "platform/processguard.h"

#include <csignal>
#include <sys/resource.h>

// Unix systems other than Linux: no dumpable flag to clear, so the core size
// limit is set to nothing, hard limit included.
void guardProcess()
{
    const rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);
    ::signal(SIGXFSZ, SIG_IGN);
}

bool coreDumpsDisabled()
{
    rlimit core{};
    return ::getrlimit(RLIMIT_CORE, &core) == 0 && core.rlim_cur == 0 && core.rlim_max == 0;
}
