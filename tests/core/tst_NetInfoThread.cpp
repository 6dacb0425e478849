// test-label: unit
#include "core/NetInfoThread.h"

#include <QElapsedTimer>
#include <QSaveFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace
{

QByteArray procNetDev(const NetInfoThread::Counters& tx)
{
    QByteArray text =
        "Inter-|   Receive                                                |  Transmit\n"
        " face |bytes    packets errs drop fifo frame compressed multicast|bytes    packets errs "
        "drop fifo colls carrier compressed\n";
    for (auto it = tx.cbegin(); it != tx.cend(); ++it)
        text += QStringLiteral("%1: 987654 321 0 0 0 0 0 0 %2 123 0 0 0 0 0 0\n")
                    .arg(it.key(), 6)
                    .arg(it.value())
                    .toUtf8();
    return text;
}

bool writeAtomically(const QString& path, const QByteArray& data)
{
    QSaveFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size() && f.commit();
}

} // namespace

class tst_NetInfoThread : public QObject
{
    Q_OBJECT
private slots:
    void parsesProcNetDev()
    {
        NetInfoThread::Counters parsed;
        QVERIFY(NetInfoThread::parseCounters(procNetDev({{"lo", 42}, {"eth0", 5000000000ULL}}), &parsed));
        QCOMPARE(parsed, (NetInfoThread::Counters{{"lo", 42}, {"eth0", 5000000000ULL}}));
        // An old-style line without a blank after the colon.
        QVERIFY(NetInfoThread::parseCounters("eth1:1 2 3 4 5 6 7 8 777 9 0 0 0 0 0 0\n", &parsed));
        QCOMPARE(parsed.value("eth1"), quint64(777));
        QVERIFY(!NetInfoThread::parseCounters("no counters here\n", &parsed));
        QVERIFY(!NetInfoThread::parseCounters(QByteArray(), &parsed));
    }

    void sentBetweenSamples_data()
    {
        using C = NetInfoThread::Counters;
        QTest::addColumn<C>("previous");
        QTest::addColumn<C>("current");
        QTest::addColumn<int>("kilobytes");
        QTest::newRow("1,500,000 bytes") << C{{"eth0", 1000}} << C{{"eth0", 1501000}} << 1464;
        QTest::newRow("all interfaces summed")
            << C{{"lo", 0}, {"eth0", 0}} << C{{"lo", 1024}, {"eth0", 2048}} << 3;
        QTest::newRow("remainder dropped") << C{{"eth0", 0}} << C{{"eth0", 1023}} << 0;
        QTest::newRow("reset interface, no spike")
            << C{{"eth0", 1000}, {"wlan0", 5000000000ULL}} << C{{"eth0", 11240}, {"wlan0", 100}} << 10;
        QTest::newRow("interface removed") << C{{"eth0", 1000}, {"tun0", 900000}} << C{{"eth0", 3048}} << 2;
        QTest::newRow("interface added")
            << C{{"eth0", 1000}} << C{{"eth0", 3048}, {"tun0", 7000000000ULL}} << 2;
        QTest::newRow("32-bit counter wrapped")
            << C{{"eth0", 4294967296ULL - 1000}} << C{{"eth0", 1048}} << 2;
        QTest::newRow("64-bit counter past 2^32")
            << C{{"eth0", 4294967296ULL - 1000}} << C{{"eth0", 4294967296ULL + 1048}} << 2;
    }
    void sentBetweenSamples()
    {
        QFETCH(NetInfoThread::Counters, previous);
        QFETCH(NetInfoThread::Counters, current);
        QFETCH(int, kilobytes);
        QCOMPARE(NetInfoThread::toKilobytes(NetInfoThread::sentBetween(previous, current)), kilobytes);
    }

    void reportsZeroFirstThenTheRate()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("dev");
        QVERIFY(writeAtomically(path, procNetDev({{"lo", 500}, {"eth0", 1000}})));
        NetInfoThread monitor;
        monitor.setCountersPath(path);
        monitor.setIntervalMs(200);
        QSignalSpy spy(&monitor, &NetInfoThread::sendCurrentNetInfo);
        monitor.start();
        QVERIFY(spy.wait(5000));
        QCOMPARE(spy.first().first().toInt(), 0);
        QVERIFY(writeAtomically(path, procNetDev({{"lo", 500}, {"eth0", 1501000}})));
        QTRY_VERIFY_WITH_TIMEOUT(spy.count() >= 2 && spy.last().first().toInt() == 1464, 5000);
        // Samples before the change report 0, never anything else.
        for (int i = 0; i < spy.count() - 1; ++i)
            QCOMPARE(spy.at(i).first().toInt(), 0);
        // Nothing sent since: back to 0.
        QTRY_VERIFY_WITH_TIMEOUT(spy.last().first().toInt() == 0, 5000);
    }

    void stopsPromptlyWhenDestroyed()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("dev");
        QVERIFY(writeAtomically(path, procNetDev({{"eth0", 1}})));
        auto monitor = std::make_unique<NetInfoThread>();
        monitor->setCountersPath(path);
        monitor->setIntervalMs(60000);
        QSignalSpy spy(monitor.get(), &NetInfoThread::sendCurrentNetInfo);
        monitor->start();
        QVERIFY(spy.wait(5000));
        QElapsedTimer clock;
        clock.start();
        monitor.reset(); // the destructor interrupts the minute-long sleep and waits
        QVERIFY2(clock.elapsed() < 20000, qPrintable(QString::number(clock.elapsed())));
    }

    void endsAtOnceWithoutStatistics()
    {
        NetInfoThread monitor;
        monitor.setCountersPath(QStringLiteral("/nonexistent/net/dev"));
        QSignalSpy spy(&monitor, &NetInfoThread::sendCurrentNetInfo);
        monitor.start();
        QVERIFY(monitor.wait(5000));
        QCOMPARE(spy.count(), 0);
    }

    void readsTheRealCounters()
    {
        if (!QFile::exists(QStringLiteral("/proc/net/dev")))
            QSKIP("no /proc/net/dev");
        NetInfoThread monitor;
        QSignalSpy spy(&monitor, &NetInfoThread::sendCurrentNetInfo);
        monitor.start();
        QVERIFY(spy.wait(5000));
        QCOMPARE(spy.first().first().toInt(), 0);
    }
};

QTEST_GUILESS_MAIN(tst_NetInfoThread)
#include "tst_NetInfoThread.moc"
