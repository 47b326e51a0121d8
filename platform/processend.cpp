#include "platform/processend.h"

#include <QMutex>

#include <cstdio>
#include <cstdlib>

namespace velun::platform {
namespace {
QMutex g_mutex;
EndProcessHook g_hook;
} // namespace

void EndProcess(int exitCode)
{
    EndProcessHook hook;
    {
        QMutexLocker lock(&g_mutex);
        hook = g_hook;
    }
    if (hook)
        return hook(exitCode);
    std::fflush(nullptr);
    std::_Exit(exitCode);
}

EndProcessHook setEndProcessHook(EndProcessHook hook)
{
    QMutexLocker lock(&g_mutex);
    std::swap(g_hook, hook);
    return hook;
}

} // namespace velun::platform
