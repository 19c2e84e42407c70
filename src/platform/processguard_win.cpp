#include "platform/processguard.h"

#include <windows.h>

// Windows writes no core file of its own; the crash dialog of error reporting,
// which offers to send the process's memory away, is turned off for it.
void guardProcess()
{
    ::SetErrorMode(::GetErrorMode() | SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
}

bool coreDumpsDisabled()
{
    return (::GetErrorMode() & SEM_NOGPFAULTERRORBOX) != 0;
}
