// test-label: integration
// The object-storage client against the simulator's bucket: the signature agrees with the
// simulator's own for fixed inputs, an upload stores the very bytes, presigned and plain
// addresses, the refusals (wrong secret, expired credentials, a skewed clock, a missing file) come
// back with the storage's code, and an upload that hangs is ended by abort() from another thread.
#include "support/SimulatorProcess.h"

#include "platform/OssClient.h"

#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <thread>

namespace
{
struct Credentials {
    QByteArray id, secret, token;
};

Credentials fetchCredentials(const SimulatorProcess& sim)
{
    const QByteArray reply = SimulatorProcess::httpPost(QUrl(sim.baseUrl() + "/Mobile/Tools/getSts"), "room_id=123",
                                                        "application/x-www-form-urlencoded");
    const QJsonObject d = QJsonDocument::fromJson(reply).object().value("data").toObject();
    return {d.value("AccessKeyId").toString().toUtf8(), d.value("AccessKeySecret").toString().toUtf8(),
            d.value("SecurityToken").toString().toUtf8()};
}
} // namespace

class tst_OssClient : public QObject
{
    Q_OBJECT
    SimulatorProcess m_sim;
    QTemporaryDir m_dir;
    QString m_file;
    QByteArray m_bytes;

private slots:
    void initTestCase()
    {
        QVERIFY(m_sim.start());
        m_file = m_dir.filePath("cat.png");
        m_bytes = QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(3000, 'x');
        QFile f(m_file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(m_bytes);
    }
    void init() { QVERIFY(m_sim.reset()); }

    void signatureAgreesWithTheSimulator()
    {
        const QDateTime when(QDate(2026, 12, 11), QTime(1, 2, 3), Qt::UTC);
        const QByteArray date = OssClient::httpDate(when);
        QCOMPARE(date, QByteArray("Fri, 11 Dec 2026 01:02:03 GMT"));
        const QByteArray md5 = "1B2M2Y8AsgTpgAmY7PhCfg==";
        const QByteArray toSign =
            OssClient::putStringToSign(md5, "image/png", date, "tok+/=", "svfs", "Uploads/Advert/123/20261211/1.png");
        const QByteArray mine = OssClient::authorization("STS.id", "s3cr3t", toSign);

        const QString script = QStringLiteral(
            "import sys; sys.path.insert(0, sys.argv[1]); sys.path.insert(0, sys.argv[1] + '/routes'); import oss;"
            "print('OSS STS.id:' + oss.signature('s3cr3t', oss.string_to_sign(sys.argv[2], 'image/png', sys.argv[3], "
            "'tok+/=', 'Uploads/Advert/123/20261211/1.png')))");
        QProcess py;
        py.start("/usr/bin/python3", {"-c", script, QStringLiteral(SOLVEK_SOURCE_DIR "/tools/service-sim"),
                                      QString::fromLatin1(md5), QString::fromLatin1(date)});
        QVERIFY(py.waitForFinished(10000));
        QCOMPARE(mine, py.readAllStandardOutput().trimmed());
    }

    void addresses()
    {
        OssClient cloud("https://oss-cn-hangzhou.aliyuncs.com/", "id", "secret", "to ken");
        QCOMPARE(cloud.objectUrl("svfs", "Uploads/a b.png").toString(QUrl::FullyEncoded),
                 QString("https://svfs.oss-cn-hangzhou.aliyuncs.com/Uploads/a%20b.png"));
        const QString presigned = cloud.GeneratePresignedUrl("svfs", "Uploads/a.png", 1700000000);
        QVERIFY2(presigned.startsWith("https://svfs.oss-cn-hangzhou.aliyuncs.com/Uploads/a.png?Expires=1700000000"
                                      "&OSSAccessKeyId=id&Signature="),
                 qPrintable(presigned));
        QVERIFY(presigned.endsWith("&security-token=to%20ken"));
        const QByteArray sig = OssClient::sign("secret", "GET\n\n\n1700000000\n/svfs/Uploads/a.png?security-token=to ken");
        QVERIFY(presigned.contains("Signature=" + QUrl::toPercentEncoding(QString::fromLatin1(sig))));

        OssClient local(m_sim.baseUrl(), "id", "secret", "t");
        QCOMPARE(local.objectUrl("svfs", "Uploads/a.png").toString(), m_sim.baseUrl() + "/svfs/Uploads/a.png");
    }

    void uploadStoresTheFile()
    {
        const Credentials c = fetchCredentials(m_sim);
        QVERIFY(!c.id.isEmpty() && !c.secret.isEmpty() && !c.token.isEmpty());
        OssClient client(m_sim.baseUrl(), c.id, c.secret, c.token);
        const OssClient::Result r = client.PutObject("svfs", "Uploads/Advert/1/20261211/5.png", m_file);
        QVERIFY2(r.ok, qPrintable(r.code + " " + r.message));
        QCOMPARE(r.status, 200);
        const QJsonArray objects = m_sim.getJson("/_sim/oss/objects").toArray();
        QCOMPARE(objects.size(), 1);
        QCOMPARE(objects.at(0).toObject().value("content_type").toString(), QString("image/png"));
        const QString plain = client.GeneratePresignedUrl("svfs", "Uploads/Advert/1/20261211/5.png").section('?', 0, 0);
        int status = 0;
        QCOMPARE(SimulatorProcess::httpGet(QUrl(plain), &status), m_bytes);
        QCOMPARE(status, 200);
    }

    void refusalsCarryTheStorageCode_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("code");
        QTest::newRow("wrong secret") << "secret" << 403 << "SignatureDoesNotMatch";
        QTest::newRow("wrong token") << "token" << 403 << "InvalidSecurityToken";
        QTest::newRow("expired") << "expired" << 403 << "SecurityTokenExpired";
        QTest::newRow("skewed clock") << "skew" << 403 << "RequestTimeTooSkewed";
        QTest::newRow("missing file") << "file" << 0 << "FileNotReadable";
    }
    void refusalsCarryTheStorageCode()
    {
        QFETCH(QString, kind);
        QFETCH(int, status);
        QFETCH(QString, code);
        const Credentials c = fetchCredentials(m_sim);
        OssClient client(m_sim.baseUrl(), c.id, kind == "secret" ? QByteArray("nope") : c.secret,
                         kind == "token" ? QByteArray("other") : c.token);
        if (kind == "expired")
            m_sim.control("/_sim/oss/expire");
        if (kind == "skew")
            client.setClockForTest(QDateTime::currentDateTimeUtc().addSecs(-3600));
        const OssClient::Result r = client.PutObject("svfs", "Uploads/x.png", kind == "file" ? m_file + ".gone" : m_file);
        QVERIFY(!r.ok);
        QCOMPARE(r.status, status);
        QCOMPARE(r.code, code);
        QCOMPARE(m_sim.getJson("/_sim/oss/objects").toArray().size(), 0);
    }

    void abortEndsAHangingUpload()
    {
        const Credentials c = fetchCredentials(m_sim);
        QVERIFY(m_sim.script("/svfs/Uploads/hang.png", QJsonArray{QJsonObject{{"hang", true}}}));
        OssClient client(m_sim.baseUrl(), c.id, c.secret, c.token);
        OssClient::Result r;
        std::thread worker([&] { r = client.PutObject("svfs", "Uploads/hang.png", m_file); });
        QTRY_COMPARE_WITH_TIMEOUT(m_sim.requests("/svfs/Uploads/hang.png").size(), 1, 10000);
        client.abort();
        worker.join();
        QVERIFY(!r.ok);
        QCOMPARE(r.code, QString("Aborted"));
    }
};

QTEST_GUILESS_MAIN(tst_OssClient)
#include "tst_OssClient.moc"
