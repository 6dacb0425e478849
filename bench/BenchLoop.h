#pragma once
// What the benchmarks that drive the program share: resident memory, and running the event loop
// until something happened or for a while.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QList>

#include <functional>
#include <unistd.h>

namespace benchloop {

inline double rssKiB()
{
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = f.readAll().split(' ');
    return fields.size() > 1 ? fields.at(1).toDouble() * double(sysconf(_SC_PAGESIZE)) / 1024.0 : 0;
}

// Runs the event loop until done() or the time-out; false on time-out.
inline bool spinUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

inline void settle(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

} // namespace benchloop
