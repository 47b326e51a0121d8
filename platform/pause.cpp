#include "platform/pause.h"

#include <QMutex>
#include <QThread>

namespace velun::platform {
namespace {
QMutex g_mutex;
PauseFunction g_pause;
} // namespace

void Pause(std::chrono::milliseconds duration)
{
    PauseFunction fn;
    {
        QMutexLocker lock(&g_mutex);
        fn = g_pause;
    }
    if (fn)
        fn(duration);
    else
        QThread::msleep(static_cast<unsigned long>(duration.count()));
}

PauseFunction setPauseFunction(PauseFunction fn)
{
    QMutexLocker lock(&g_mutex);
    std::swap(g_pause, fn);
    return fn;
}

} // namespace velun::platform
