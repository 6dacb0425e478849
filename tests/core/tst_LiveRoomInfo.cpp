// test-label: unit
// The push address of a room reply and of a typed address: server and key.
#include "core/LiveRoomInfo.h"

#include <QtTest>

class tst_LiveRoomInfo : public QObject
{
    Q_OBJECT

private slots:
    void splitAddress_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<bool>("complete");
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("customServer");
        QTest::addColumn<QString>("customKey");
        QTest::newRow("host/app/key") << "rtmp://H/live/R" << true << "rtmp://H/live" << "R" << "rtmp://H/live" << "R";
        QTest::newRow("sixth part dropped") << "rtmp://H/live/R/x" << true << "rtmp://H/live" << "R" << "rtmp://H/live" << "R";
        QTest::newRow("query stays in key")
            << "rtmp://h:1935/app/k?sign=a&t=1" << true << "rtmp://h:1935/app" << "k?sign=a&t=1" << "rtmp://h:1935/app"
            << "k?sign=a&t=1";
        QTest::newRow("four parts") << "rtmp://H/live" << false << "" << "" << "rtmp://H/live" << "";
        QTest::newRow("no scheme") << "srt://h:9000" << false << "" << "" << "srt://h:9000" << "";
        QTest::newRow("empty") << "" << false << "" << "" << "" << "";
    }
    void splitAddress()
    {
        QFETCH(QString, url);
        const livemode::PushAddress reply = livemode::splitPushAddress(url);
        QTEST(reply.complete, "complete");
        QTEST(reply.server, "server");
        QTEST(reply.key, "key");
        const livemode::PushAddress typed = livemode::customPushAddress(url);
        QTEST(typed.server, "customServer");
        QTEST(typed.key, "customKey");
    }
};

QTEST_GUILESS_MAIN(tst_LiveRoomInfo)
#include "tst_LiveRoomInfo.moc"
