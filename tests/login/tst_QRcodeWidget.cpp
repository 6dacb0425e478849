// test-label: integration
#include "login/LoginTestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include <sys/stat.h>

class tst_QRcodeWidget : public QObject
{
    Q_OBJECT
    LoginFixture m_fx;
    QTemporaryDir m_files;
    QString m_fifo; // a named pipe nobody writes to: opening it for reading never returns
    SimulatorProcess& m_sim = m_fx.sim;

    int polls() const { return m_sim.requests("/liveSystem/login/wechatQrcodeLogin").size(); }
    int codeRequests() const { return m_sim.requests("/liveSystem/login/showWechatQrcode").size(); }
    bool mark(const QString& state, const QString& scene = QString()) const
    {
        QJsonObject body{{"state", state}};
        if (!scene.isEmpty())
            body.insert("scene", scene);
        return m_sim.control("/_sim/login/qrcode", body).toObject().value("ok").toBool();
    }
    static bool hasPicture(const QRcodeWidget& w)
    {
        return !w.codeLabel()->pixmap(Qt::ReturnByValue).isNull();
    }
    // No poll goes out for several intervals (one sent just before is let through first).
    void expectPollsStopped()
    {
        QTest::qWait(500);
        const int before = polls();
        QTest::qWait(5 * QRcodeWidget::timings().pollMs);
        QCOMPARE(polls(), before);
    }
    // A code description that points at a picture the test scripts itself.
    QJsonObject scriptedCode(const QString& scene, const QString& picturePath = "/qrcode/fixed.jpg") const
    {
        return codeWithPictureAt(scene, m_sim.baseUrl() + picturePath);
    }
    static QJsonObject codeWithPictureAt(const QString& scene, const QString& address)
    {
        return QJsonObject{
            {"content_type", "application/json;charset=utf-8"},
            {"body", QJsonObject{{"code", 200},
                                 {"data", QJsonObject{{"uid", 0}, {"qrscene", scene}, {"img_src", address}}}}}};
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_fx.start());
        QVERIFY(m_files.isValid());
        m_fifo = m_files.filePath("pipe");
        QCOMPARE(mkfifo(QFile::encodeName(m_fifo).constData(), 0600), 0);
    }
    void init() { QVERIFY(m_fx.reset()); }

    void pendingPollsUntilConfirmed()
    {
        QRcodeWidget w;
        RecordingObserver observer;
        w.setLoginObserver(&observer);
        QVERIFY(!hasPicture(w)); // first run: nothing cached
        QTRY_VERIFY_WITH_TIMEOUT(hasPicture(w) && !w.scene().isEmpty(), 15000);
        const QString scene = w.scene();
        QTRY_VERIFY_WITH_TIMEOUT(polls() >= 3, 15000); // "用户信息不存在！" keeps it polling
        QVERIFY(observer.codes.isEmpty());
        QVERIFY(!w.isFailed());
        for (const QJsonObject& form : formsSent(m_sim, "/liveSystem/login/wechatQrcodeLogin"))
            QCOMPARE(form.value("qrscene").toString(), scene);

        QVERIFY(mark("confirmed"));
        QTRY_COMPARE_WITH_TIMEOUT(observer.codes, QList<int>{200}, 15000);
        const LoginInfo& info = observer.records.first();
        QCOMPARE(info.uid, 10001);
        QCOMPARE(info.wechat_user_space_id, 20001);
        QCOMPARE(info.name, QString("索维演示主播"));
        QCOMPARE(info.token, QByteArray("sim-demo-token-7f3a9c"));
        QCOMPARE(info.loginType, 1);
        QVERIFY(w.scene().isEmpty());
        QVERIFY(!w.refreshButton()->isVisibleTo(w.overlay()));
        expectPollsStopped();
        QCOMPARE(observer.codes.size(), 1);
    }

    void failedPollOffersANewCode()
    {
        QRcodeWidget w;
        RecordingObserver observer;
        w.setLoginObserver(&observer);
        QTRY_VERIFY_WITH_TIMEOUT(hasPicture(w) && !w.scene().isEmpty(), 15000);
        const QString first = w.scene();
        QVERIFY(mark("failed"));
        QTRY_VERIFY_WITH_TIMEOUT(w.isFailed(), 15000);
        QVERIFY(w.overlay()->isVisibleTo(&w));
        QVERIFY(w.refreshButton()->isVisibleTo(&w));
        QVERIFY(!w.isPolling());
        expectPollsStopped();

        QTest::mouseClick(w.refreshButton(), Qt::LeftButton);
        QVERIFY(!w.overlay()->isVisibleTo(&w));
        QTRY_VERIFY_WITH_TIMEOUT(!w.scene().isEmpty(), 15000);
        QVERIFY(w.scene() != first);
        QCOMPARE(codeRequests(), 2);
        QVERIFY(mark("failed", w.scene())); // fails again: the same overlay comes back
        QTRY_VERIFY_WITH_TIMEOUT(w.isFailed(), 15000);
        QCOMPARE(w.codeLabel()->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly).size(), 1);

        QTest::mouseClick(w.refreshButton(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!w.scene().isEmpty(), 15000);
        QVERIFY(mark("confirmed", w.scene()));
        QTRY_COMPARE_WITH_TIMEOUT(observer.codes, QList<int>{200}, 15000);
        QCOMPARE(observer.records.first().uid, 10001);
    }

    void failedCodeRequestShowsTheFailure_data()
    {
        QTest::addColumn<QJsonArray>("codeReplies");
        QTest::addColumn<QJsonArray>("pictureReplies");
        const QJsonObject ok = scriptedCode("fixedscene");
        QTest::newRow("code request server error")
            << QJsonArray{QJsonObject{
                   {"status", 502}, {"content_type", "text/html"}, {"body", "bad gateway"}}}
            << QJsonArray();
        QTest::newRow("code request refused")
            << QJsonArray{QJsonObject{{"content_type", "application/json;charset=utf-8"},
                                      {"body", QJsonObject{{"code", 500}, {"msg", "busy"}}}}}
            << QJsonArray();
        QTest::newRow("picture of another type")
            << QJsonArray{ok} << QJsonArray{QJsonObject{{"content_type", "image/jpeg"}, {"body", "x"}}};
        QTest::newRow("picture missing")
            << QJsonArray{ok} << QJsonArray{QJsonObject{{"status", 404}, {"content_type", "image/jpg"}}};
        QTest::newRow("picture that does not decode")
            << QJsonArray{ok}
            << QJsonArray{QJsonObject{{"content_type", "image/jpg"}, {"body", "not a picture"}}};
        // Replies without end, and a small picture that declares a huge one, end in the failure.
        QTest::newRow("code reply without end")
            << QJsonArray{QJsonObject{{"content_type", "application/json;charset=utf-8"}, {"body", "{"}, {"endless", true}}}
            << QJsonArray();
        // The code's picture comes from the network only: a local file named there is never opened.
        for (const QString& address : {"file://" + m_fifo, m_fifo, QString("qrc:/images/login/logo.png"),
                                       QString("data:image/jpg;base64,AAAA"), QString()})
            QTest::newRow(qPrintable("picture address " + address))
                << QJsonArray{codeWithPictureAt("fixedscene", address)} << QJsonArray();
    }
    void failedCodeRequestShowsTheFailure()
    {
        QFETCH(QJsonArray, codeReplies);
        QFETCH(QJsonArray, pictureReplies);
        QVERIFY(m_sim.script("/liveSystem/login/showWechatQrcode", codeReplies));
        if (!pictureReplies.isEmpty())
            QVERIFY(m_sim.script("/qrcode/fixed.jpg", pictureReplies));
        QRcodeWidget w;
        QTRY_VERIFY_WITH_TIMEOUT(w.isFailed(), 15000);
        QVERIFY(w.overlay()->isVisibleTo(&w));
        QVERIFY(w.refreshButton()->isVisibleTo(&w));
        expectPollsStopped();
        QCOMPARE(polls(), 0);
        QVERIFY(!QFile::exists(QRcodeWidget::cachedPicturePath()));

        // Refresh asks for a new code, and the simulator's own one works.
        QTest::mouseClick(w.refreshButton(), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(hasPicture(w) && !w.scene().isEmpty() && !w.isFailed(), 15000);
        QTRY_VERIFY_WITH_TIMEOUT(polls() >= 1, 15000);
    }

    // A picture over its bound (bytes without end, or a small file declaring 16000 x 16000)
    // shows the failure; polls sent while it loaded stop.
    void pictureOverItsBoundShowsTheFailure_data()
    {
        QTest::addColumn<QString>("picturePath");
        QTest::addColumn<QJsonArray>("pictureReplies");
        QTest::newRow("picture without end")
            << "/qrcode/fixed.jpg" << QJsonArray{QJsonObject{{"content_type", "image/jpg"}, {"endless", true}}};
        QTest::newRow("picture declaring 16000 x 16000") << "/bigpic/16000x16000?type=image/jpg" << QJsonArray();
    }
    void pictureOverItsBoundShowsTheFailure()
    {
        QFETCH(QString, picturePath);
        QFETCH(QJsonArray, pictureReplies);
        QVERIFY(m_sim.script("/liveSystem/login/showWechatQrcode", {scriptedCode("fixedscene", picturePath)}));
        if (!pictureReplies.isEmpty())
            QVERIFY(m_sim.script(picturePath, pictureReplies));
        QRcodeWidget w;
        QTRY_VERIFY_WITH_TIMEOUT(w.isFailed(), 30000);
        QVERIFY(w.overlay()->isVisibleTo(&w));
        QVERIFY(!QFile::exists(QRcodeWidget::cachedPicturePath())); // nothing was taken for the code
        expectPollsStopped();
    }

    void laterRunShowsTheCachedCode()
    {
        {
            QRcodeWidget first;
            QTRY_VERIFY_WITH_TIMEOUT(hasPicture(first), 15000);
        }
        const QImage cached(QRcodeWidget::cachedPicturePath());
        QCOMPARE(cached.size(), QSize(100, 100));
        // The next start shows it while its own code request is still out.
        QVERIFY(m_sim.script("/liveSystem/login/showWechatQrcode", QJsonArray{QJsonObject{{"delay", 30}}}));
        QRcodeWidget second;
        QVERIFY(hasPicture(second));
        QCOMPARE(second.codeLabel()->pixmap(Qt::ReturnByValue).size(), QSize(180, 180));
        QVERIFY(second.scene().isEmpty());
    }

    void longSceneIsPolledWhole()
    {
        const QString scene = QString("场景&+=%").repeated(40); // far beyond 127 bytes
        QVERIFY(m_sim.script("/liveSystem/login/showWechatQrcode",
                             QJsonArray{scriptedCode(scene, "/qrcode/long.jpg")}));
        QVERIFY(mark("pending", scene));
        QRcodeWidget w;
        RecordingObserver observer;
        w.setLoginObserver(&observer);
        QTRY_VERIFY_WITH_TIMEOUT(polls() >= 1, 15000);
        QCOMPARE(formsSent(m_sim, "/liveSystem/login/wechatQrcodeLogin").first().value("qrscene").toString(),
                 scene);
        QVERIFY(mark("confirmed", scene));
        QTRY_COMPARE_WITH_TIMEOUT(observer.codes, QList<int>{200}, 15000);
    }

    void confirmationWithoutTokenFails()
    {
        QVERIFY(!m_sim.control("/_sim/login/account", QJsonObject{{"token", ""}}).isNull());
        QRcodeWidget w;
        RecordingObserver observer;
        w.setLoginObserver(&observer);
        QTRY_VERIFY_WITH_TIMEOUT(!w.scene().isEmpty(), 15000);
        QVERIFY(mark("confirmed"));
        QTRY_VERIFY_WITH_TIMEOUT(w.isFailed(), 15000);
        QVERIFY(observer.codes.isEmpty());
        expectPollsStopped();
    }

    // Polls overlap (one goes out every interval, answered or not): of two confirmations in
    // flight, only the first hands the login on.
    void aCodeConfirmsOnce()
    {
        QRcodeWidget w;
        RecordingObserver observer;
        w.setLoginObserver(&observer);
        QTRY_VERIFY_WITH_TIMEOUT(hasPicture(w) && !w.scene().isEmpty(), 15000);
        QVERIFY(m_sim.script("/liveSystem/login/wechatQrcodeLogin",
                             QJsonArray{QJsonObject{{"delay", 1.0}, {"passthrough", true}}}));
        QTRY_VERIFY_WITH_TIMEOUT(polls() >= 1, 15000);
        QVERIFY(mark("confirmed"));
        QTRY_COMPARE_WITH_TIMEOUT(observer.codes, QList<int>{200}, 15000);
        QTest::qWait(2000); // the delayed poll answers meanwhile
        QCOMPARE(observer.codes, QList<int>{200});
        QVERIFY(!w.isFailed());
    }

    void stopEndsPolling()
    {
        QRcodeWidget w;
        RecordingObserver observer;
        w.setLoginObserver(&observer);
        QTRY_VERIFY_WITH_TIMEOUT(polls() >= 1, 15000);
        w.stop();
        QVERIFY(mark("confirmed"));
        expectPollsStopped();
        QVERIFY(observer.codes.isEmpty());
    }
};

QTEST_MAIN(tst_QRcodeWidget)
#include "tst_QRcodeWidget.moc"
