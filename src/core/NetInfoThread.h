#pragma once
// Upload-rate monitor: once a second adds up the bytes sent by every network interface and
// reports the growth since the previous sample in kilobytes per second.

#include <QMap>
#include <QString>
#include <QThread>

class NetInfoThread : public QThread
{
    Q_OBJECT
public:
    // Transmitted-bytes counter of each interface, by name.
    using Counters = QMap<QString, quint64>;

    explicit NetInfoThread(QObject* parent = nullptr);
    // Stops the loop and waits for it, so the monitor may be destroyed at any time.
    ~NetInfoThread() override;

    // The counters file (Linux /proc/net/dev format); set before start.
    void setCountersPath(const QString& path);
    // The sampling interval (1000 ms); set before start.
    void setIntervalMs(int ms);

    // Parses /proc/net/dev text; false when it holds no interface line.
    static bool parseCounters(const QByteArray& text, Counters* out);
    // Bytes sent between two samples, summed per interface. A counter that went down (interface
    // reset or re-created) and an interface that appeared contribute 0; a 32-bit counter that
    // wrapped past 2^32 contributes its small difference.
    static quint64 sentBetween(const Counters& previous, const Counters& current);
    // The value reported for a byte count: bytes / 1024, remainder dropped.
    static int toKilobytes(quint64 bytes);

signals:
    void sendCurrentNetInfo(int bitrate);

protected:
    void run() override;

private:
    bool readCounters(Counters* out) const;
    // Waits one interval; false when asked to stop meanwhile.
    bool sleepInterruptibly() const;

    QString m_path;
    int m_intervalMs;
};
