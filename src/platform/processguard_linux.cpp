#include "platform/processguard.h"

#include <csignal>
#include <sys/prctl.h>
#include <sys/resource.h>

void guardProcess()
{
    ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
    const rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);
    ::signal(SIGXFSZ, SIG_IGN);
}

bool coreDumpsDisabled()
{
    rlimit core{};
    return ::prctl(PR_GET_DUMPABLE, 0, 0, 0, 0) == 0 && ::getrlimit(RLIMIT_CORE, &core) == 0 &&
           core.rlim_cur == 0;
}
