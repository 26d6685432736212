// Mounting: which archives go into the mount list, and in which order.
#include "wrapper/wexla2wrapper_stdio.h"

#include "qarlib/packedstore.h"

void MountArchive(const char* pszBasePath)
{
}

bool MountAppArchives()
{
    return true;
}

void UnmountAll()
{
}
