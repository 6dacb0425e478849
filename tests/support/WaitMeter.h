#pragma once
// The window's thread's longest time away from its event loop, sampled by a 5 ms timer: a
// decoding (or anything else) run on that thread shows as one long gap.

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

namespace testsupport {

class WaitMeter
{
public:
    WaitMeter()
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout,
                         [this] { m_longest = qMax(m_longest, m_clock.restart()); });
        m_clock.start();
        m_timer.start();
    }
    qint64 longestMs() { return qMax(m_longest, m_clock.elapsed()); }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_longest = 0;
};

} // namespace testsupport
