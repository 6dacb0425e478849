// test-label: unit
#include "core/ServiceConstants.h"

#include <QRegularExpression>
#include <QtTest>

class tst_ServiceConstants : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { solvek::setServiceOverride(QString()); }

    void everyEndpointHasOneSlashAtTheJoint()
    {
        for (const NamedServiceUrl& e : allServiceEndpoints()) {
            const QString base = solvek::serviceBase(e.url.host());
            const QString url = e.url.toString();
            QVERIFY2(!base.endsWith('/'), e.name);
            QVERIFY2(QByteArray(e.url.path()).startsWith('/'), e.name);
            QVERIFY2(!url.contains(QStringLiteral("//"), Qt::CaseSensitive) || url.indexOf("//") == url.indexOf("://") + 1,
                     e.name);
            const QUrl parsed(url);
            QVERIFY2(parsed.isValid(), e.name);
            QVERIFY2(parsed.scheme() == QLatin1String("https"), e.name);
        }
    }

    void overrideMovesEveryHost()
    {
        solvek::setServiceOverride(QStringLiteral("http://127.0.0.1:4567/"));
        for (const NamedServiceUrl& e : allServiceEndpoints())
            QVERIFY2(e.url.toString().startsWith(QLatin1String("http://127.0.0.1:4567/")), e.name);
        QCOMPARE(API_GET_ROOM_LIST.toString(), QStringLiteral("http://127.0.0.1:4567/Mobile/Index/newRoomList"));
        QCOMPARE(QString(API_LIVE_GET_PUSH_URL), QStringLiteral("http://127.0.0.1:4567/liveSystem/live/getPushUrl"));
        QCOMPARE(QString(WSS_DEFAULT_URL), QStringLiteral("ws://127.0.0.1:4567"));
        QCOMPARE(QStringLiteral("%1/MiniProgram/Live/shutUpAll").arg(API_HOST_URL),
                 QStringLiteral("http://127.0.0.1:4567/MiniProgram/Live/shutUpAll"));
        qputenv("SOLVEK_SERVICE_URL", "https://sim.example:9");
        solvek::applyServiceOverride();
        QCOMPARE(QString(WSS_DEFAULT_URL), QStringLiteral("wss://sim.example:9"));
        qunsetenv("SOLVEK_SERVICE_URL");
    }

    void builtInWebSocketDefault()
    {
        const QUrl wss = WSS_DEFAULT_URL.toUrl();
        QCOMPARE(wss.scheme(), QStringLiteral("wss"));
        QCOMPARE(wss.port(), 8082);
        QVERIFY(wss.path().isEmpty());
    }

    void exclusionListOrder()
    {
        QCOMPARE(EXCLUDE_PROCESS_LIST(), (QStringList{"CalcFrame.exe", "Photos.exe", "RuntimeBroker.exe",
                                                      "ApplicationFrameHost.exe"}));
    }
};

QTEST_APPLESS_MAIN(tst_ServiceConstants)
#include "tst_ServiceConstants.moc"
