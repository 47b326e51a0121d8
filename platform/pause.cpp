#include "platform/pause.h"

#include "platform/hook.h"

#include <QThread>

namespace velun::platform {
namespace {
Hook<PauseFunction> g_pause;
} // namespace

void Pause(std::chrono::milliseconds duration)
{
    if (const PauseFunction fn = g_pause.get())
        return fn(duration);
    QThread::msleep(static_cast<unsigned long>(duration.count()));
}

PauseFunction setPauseFunction(PauseFunction fn)
{
    return g_pause.exchange(std::move(fn));
}

} // namespace velun::platform
