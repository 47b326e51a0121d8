#pragma once
// A process-wide replaceable function (a test hook): read and swapped under a lock, called outside it.

#include <QMutex>

#include <utility>

namespace velun::platform {

template <class Fn>
class Hook
{
public:
    Fn get() const
    {
        QMutexLocker lock(&m_mutex);
        return m_fn;
    }
    // Installs fn and returns the previous function.
    Fn exchange(Fn fn)
    {
        QMutexLocker lock(&m_mutex);
        std::swap(m_fn, fn);
        return fn;
    }

private:
    mutable QMutex m_mutex;
    Fn m_fn;
};

} // namespace velun::platform
