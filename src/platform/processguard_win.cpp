#include "platform/processguard.h"

#include <windows.h>

// Windows writes no core file of its own; the error reporting dialog and its
// dumps are turned off for this process.
void guardProcess()
{
    ::SetErrorMode(::GetErrorMode() | SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
}

bool coreDumpsDisabled()
{
    return (::GetErrorMode() & SEM_NOGPFAULTERRORBOX) != 0;
}
