#include "core/NetInfoThread.h"

#include <QDeadlineTimer>
#include <QFile>

#include <limits>

namespace
{
constexpr int kDefaultIntervalMs = 1000;
constexpr int kSleepSliceMs = 50;
// A drop from near 2^32 to near 0 is read as a wrapped 32-bit counter only when the wrapped
// difference is below this; anything else is a reset.
constexpr quint64 kMaxWrapStep = quint64(1) << 30;
constexpr quint64 kWrap32 = quint64(1) << 32;
} // namespace

NetInfoThread::NetInfoThread(QObject* parent)
    : QThread(parent), m_path(QStringLiteral("/proc/net/dev")), m_intervalMs(kDefaultIntervalMs)
{
}

NetInfoThread::~NetInfoThread()
{
    requestInterruption();
    wait();
}

void NetInfoThread::setCountersPath(const QString& path)
{
    m_path = path;
}

void NetInfoThread::setIntervalMs(int ms)
{
    m_intervalMs = ms > 0 ? ms : kDefaultIntervalMs;
}

bool NetInfoThread::parseCounters(const QByteArray& text, Counters* out)
{
    Counters counters;
    for (const QByteArray& line : text.split('\n')) {
        // "  eth0: rx_bytes rx_packets ... (8 receive fields) tx_bytes ..."; the header lines
        // carry '|' and no ':'.
        const int colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        const QByteArray name = line.left(colon).trimmed();
        const QList<QByteArray> fields = line.mid(colon + 1).simplified().split(' ');
        if (name.isEmpty() || fields.size() < 9)
            continue;
        bool ok = false;
        const quint64 tx = fields.at(8).toULongLong(&ok);
        if (ok)
            counters.insert(QString::fromUtf8(name), tx);
    }
    if (counters.isEmpty())
        return false;
    *out = counters;
    return true;
}

quint64 NetInfoThread::sentBetween(const Counters& previous, const Counters& current)
{
    quint64 sum = 0;
    for (auto it = current.cbegin(); it != current.cend(); ++it) {
        const auto prev = previous.constFind(it.key());
        if (prev == previous.cend())
            continue;
        const quint64 before = prev.value();
        const quint64 now = it.value();
        if (now >= before) {
            sum += now - before;
        } else if (before < kWrap32) {
            const quint64 wrapped = kWrap32 - before + now;
            if (wrapped < kMaxWrapStep)
                sum += wrapped;
        }
    }
    return sum;
}

int NetInfoThread::toKilobytes(quint64 bytes)
{
    const quint64 kb = bytes >> 10;
    return kb > quint64(std::numeric_limits<int>::max()) ? std::numeric_limits<int>::max() : int(kb);
}

bool NetInfoThread::readCounters(Counters* out) const
{
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // /proc files report size 0: read to the end.
    return parseCounters(file.readAll(), out);
}

bool NetInfoThread::sleepInterruptibly() const
{
    QDeadlineTimer deadline(m_intervalMs);
    while (!isInterruptionRequested() && !deadline.hasExpired())
        msleep(qMin<qint64>(kSleepSliceMs, qMax<qint64>(1, deadline.remainingTime())));
    return !isInterruptionRequested();
}

void NetInfoThread::run()
{
    Counters previous;
    // No interface statistics on this system: end at once, never report.
    if (!readCounters(&previous))
        return;
    int value = 0; // the first report
    for (;;) {
        emit sendCurrentNetInfo(value);
        if (!sleepInterruptibly())
            return;
        Counters current;
        // A failed read keeps the last sample: the rate of this cycle is 0.
        if (!readCounters(&current))
            current = previous;
        value = toKilobytes(sentBetween(previous, current));
        previous = current;
    }
}
