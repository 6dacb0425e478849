// test-label: unit
// The level meter's arithmetic: the level of everything written between two takes, over blocks
// as the sound server hands them over.
#include "settings/Device.h"
#include "support/PcmSamples.h"

#include <QSignalSpy>
#include <QtTest>

class tst_Device : public QObject
{
    Q_OBJECT

private slots:
    void levelOfWhatWasWritten_data();
    void levelOfWhatWasWritten();
    void eachTakeStartsAfresh();
};

void tst_Device::levelOfWhatWasWritten_data()
{
    QTest::addColumn<QList<QByteArray>>("blocks");
    QTest::addColumn<int>("level"); // -1: no level
    QTest::newRow("nothing") << QList<QByteArray>{} << -1;
    QTest::newRow("empty block") << QList<QByteArray>{QByteArray()} << -1;
    QTest::newRow("1 byte") << QList<QByteArray>{QByteArray(1, '\x7f')} << -1;
    QTest::newRow("zeros") << QList<QByteArray>{pcmSamples(2048, 0)} << 0;
    QTest::newRow("all 1 (mean 1)") << QList<QByteArray>{pcmSamples(2048, 1)} << 0;
    QTest::newRow("all 2") << QList<QByteArray>{pcmSamples(2048, 2)} << 6;
    QTest::newRow("all -32768") << QList<QByteArray>{pcmSamples(2048, -32768)} << 90;
    QTest::newRow("all 32767") << QList<QByteArray>{pcmSamples(2048, 32767)} << 90;
    QTest::newRow("mean below 1") << QList<QByteArray>{pcmSamples(3, 0) + pcmSamples(1, -1)} << 0;
    QTest::newRow("half-scale sine, one block") << QList<QByteArray>{halfScaleSine()} << 80;
    // A level per block would read 66 to 84 here.
    QTest::newRow("half-scale sine, 4092 + 4 byte blocks") << pcmBlocks(halfScaleSine(), 4092, 4) << 80;
    QTest::newRow("half-scale sine, blocks ending inside a sample")
        << pcmBlocks(halfScaleSine(), 4093, 3) << 80;
    // 100,000 magnitudes of 32768 add up past 32 bits.
    QTest::newRow("200,000 bytes of -32768") << QList<QByteArray>{pcmSamples(100000, -32768)} << 90;
}

void tst_Device::levelOfWhatWasWritten()
{
    QFETCH(QList<QByteArray>, blocks);
    QFETCH(int, level);
    Device device;
    QVERIFY(device.open(QIODevice::WriteOnly));
    QSignalSpy levels(&device, &Device::levelChanged);
    for (const QByteArray& block : blocks)
        QCOMPARE(device.write(block), qint64(block.size())); // every block is taken whole
    QCOMPARE(device.takeLevel(), level >= 0);
    QCOMPARE(levels.count(), level >= 0 ? 1 : 0);
    if (level >= 0)
        QCOMPARE(int(levels.at(0).at(0).value<uchar>()), level);
}

void tst_Device::eachTakeStartsAfresh()
{
    Device device;
    QVERIFY(device.open(QIODevice::WriteOnly));
    QSignalSpy levels(&device, &Device::levelChanged);
    device.write(pcmSamples(100, 32767));
    QVERIFY(device.takeLevel());
    QVERIFY(!device.takeLevel()); // nothing since
    device.write(pcmSamples(100, 2));
    QVERIFY(device.takeLevel());
    QCOMPARE(levels.count(), 2);
    QCOMPARE(int(levels.at(1).at(0).value<uchar>()), 6);
}

QTEST_MAIN(tst_Device)
#include "tst_Device.moc"
