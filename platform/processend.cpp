#include "platform/processend.h"

#include "platform/hook.h"

#include <cstdio>
#include <cstdlib>

namespace velun::platform {
namespace {
Hook<EndProcessHook> g_hook;
} // namespace

void EndProcess(int exitCode)
{
    if (const EndProcessHook hook = g_hook.get())
        return hook(exitCode);
    std::fflush(nullptr);
    std::_Exit(exitCode);
}

EndProcessHook setEndProcessHook(EndProcessHook hook)
{
    return g_hook.exchange(std::move(hook));
}

} // namespace velun::platform
