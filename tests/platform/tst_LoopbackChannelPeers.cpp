// test-label: unit
// The loopback channels (the real-time room's control and media channels, the IM channel) against
// a hostile peer (support/scripted_ws_peer.py): a frame announcing a gigabyte drops the channel at
// its header, with next to nothing taken into memory; a handshake never answered fails the entry
// or the sign-in within the handshake bound.
#include "platform/ImLoopback.h"
#include "platform/TrtcLoopback.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QtTest>

#include <atomic>

namespace
{
constexpr int kPeerWaitMs = 30000;
constexpr int kBoundMs = 400;   // the shortened handshake bound
constexpr int kMarginMs = 3000; // a failure must come by bound + margin
constexpr qint64 kMaxGrowthKb = 8 * 1024;

// The peer process: its port and the lines it reports.
class Peer
{
public:
    bool start(const QStringList& args)
    {
        m_proc.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_proc.start("/usr/bin/python3",
                     QStringList{SOLVEK_SOURCE_DIR "/tests/support/scripted_ws_peer.py"} + args);
        const QByteArray ready = nextLine(10000);
        if (!ready.startsWith("READY "))
            return false;
        m_base = "http://127.0.0.1:" + QString::fromLatin1(ready.mid(6));
        return true;
    }
    ~Peer()
    {
        m_proc.kill();
        m_proc.waitForFinished(5000);
    }
    QString base() const { return m_base; }
    // The next line the peer reports, waiting with the event loop running (empty after timeoutMs).
    QByteArray nextLine(int timeoutMs)
    {
        QElapsedTimer t;
        t.start();
        while (!m_proc.canReadLine() && t.elapsed() < timeoutMs) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            m_proc.waitForReadyRead(20);
        }
        return m_proc.canReadLine() ? m_proc.readLine().trimmed() : QByteArray();
    }

private:
    QProcess m_proc;
    QString m_base;
};

// Peak resident size since the last reset, and the reset (the kernel's "clear_refs" 5).
qint64 statusKb(const char* field)
{
    QFile f("/proc/self/status");
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').value(0).toLongLong();
    return -1;
}
bool resetPeak()
{
    QFile f("/proc/self/clear_refs");
    return f.open(QIODevice::WriteOnly) && f.write("5") == 1;
}

struct EntryRecorder : TrtcCloudCallback {
    QList<int> results;
    void onEnterRoom(int result) override { results << result; }
};

struct LoginRecorder : V2TIMCallback {
    std::atomic<int> errors{0};
    std::atomic<int> errorCode{0};
    std::atomic<int> successes{0};
    void OnSuccess() override { ++successes; }
    void OnError(int code, const V2TIMString&) override
    {
        errorCode = code;
        ++errors;
    }
};

TrtcEnterParams enterParams()
{
    TrtcEnterParams p;
    p.sdkAppId = 1400000001;
    p.userId = "user_1_2";
    p.userSig = "sig";
    p.roomId = 2;
    p.role = 20;
    return p;
}
} // namespace

class tst_LoopbackChannelPeers : public QObject
{
    Q_OBJECT

private slots:
    void hugeFrameDropsTheChannel_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("real-time room control") << "/loopback/trtc";
        QTest::newRow("real-time room media") << "/loopback/trtc/media";
        QTest::newRow("IM") << "/loopback/im";
    }
    void hugeFrameDropsTheChannel()
    {
        QFETCH(QString, path);
        Peer peer;
        QVERIFY(peer.start({"huge", path}));
        QVERIFY(resetPeak());
        const qint64 before = statusKb("VmRSS:");

        TrtcLoopback cloud(peer.base());
        EntryRecorder entry;
        cloud.addCallback(&entry);
        ImLoopback im(peer.base());
        LoginRecorder login;
        if (path.startsWith("/loopback/im")) {
            QVERIFY(im.InitSDK(1400000001, V2TIMSDKConfig()));
            im.Login(V2TIMString("host_1"), V2TIMString("sig"), &login);
        } else {
            cloud.enterRoom(enterParams(), 1);
        }
        const QByteArray report = peer.nextLine(kPeerWaitMs);
        const qint64 peak = statusKb("VmHWM:");
        const QString seen = QString("%1, resident size grew %2 KiB").arg(QString(report)).arg(peak - before);
        QVERIFY2(report.startsWith("DROPPED") && peak - before < kMaxGrowthKb, qPrintable(seen));
        qInfo().noquote() << seen;
        if (path.startsWith("/loopback/im"))
            QTRY_COMPARE(login.errorCode.load(), imloopback::kErrConnection);
        cloud.shutdown();
        im.shutdown();
    }

    void unansweredHandshakeFails_data()
    {
        QTest::addColumn<bool>("im");
        QTest::newRow("real-time room") << false;
        QTest::newRow("IM") << true;
    }
    void unansweredHandshakeFails()
    {
        QFETCH(bool, im);
        Peer peer;
        QVERIFY(peer.start({"silent"}));
        QElapsedTimer clock;
        clock.start();
        if (im) {
            ImLoopback channel(peer.base());
            channel.setHandshakeTimeout(kBoundMs);
            LoginRecorder login;
            QVERIFY(channel.InitSDK(1400000001, V2TIMSDKConfig()));
            channel.Login(V2TIMString("host_1"), V2TIMString("sig"), &login);
            QTRY_COMPARE_WITH_TIMEOUT(login.errors.load(), 1, kBoundMs + kMarginMs);
            QCOMPARE(login.errorCode.load(), imloopback::kErrConnection);
            QCOMPARE(channel.GetLoginStatus(), V2TIM_STATUS_LOGOUT);
        } else {
            TrtcLoopback cloud(peer.base());
            cloud.setHandshakeTimeout(kBoundMs);
            EntryRecorder entry;
            cloud.addCallback(&entry);
            cloud.enterRoom(enterParams(), 1);
            QTRY_COMPARE_WITH_TIMEOUT(entry.results, QList<int>{trtcloopback::kUnreachableResult},
                                      kBoundMs + kMarginMs);
            QVERIFY(!cloud.inRoom());
        }
        QVERIFY2(clock.elapsed() >= kBoundMs, qPrintable(QString::number(clock.elapsed())));
    }
};

QTEST_GUILESS_MAIN(tst_LoopbackChannelPeers)
#include "tst_LoopbackChannelPeers.moc"
