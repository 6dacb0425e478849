// test-label: integration
#include "shell/ShareLiveDialog.h"
#include "support/SimulatorProcess.h"

#include <QImage>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

namespace {

const char kSharePath[] = "/liveSystem/live/share";
const char kQrPath[] = "/Mobile/Tools/qrCode";

QJsonObject jsonReply(const QJsonValue& body, const QString& type = QStringLiteral("application/json;charset=utf-8"))
{
    return QJsonObject{{"content_type", type}, {"body", body}};
}

} // namespace

class tst_ShareLiveDialog : public QObject
{
    Q_OBJECT

    SimulatorProcess m_sim;

    static QLabel* label(QWidget& w, const char* name) { return w.findChild<QLabel*>(QLatin1String(name)); }
    static QPixmap picture(QWidget& w, const char* name)
    {
        return label(w, name)->pixmap(Qt::ReturnByValue);
    }
    static bool hasPicture(QWidget& w, const char* name) { return !picture(w, name).isNull(); }
    static QColor centre(const QPixmap& p) { return p.toImage().pixelColor(p.width() / 2, p.height() / 2); }
    // The colour of a picture as the simulator serves it.
    QColor served(const QString& path) const
    {
        return QImage::fromData(SimulatorProcess::httpGet(QUrl(m_sim.baseUrl() + path))).pixelColor(0, 0);
    }
    QColor servedQr(const QString& content) const
    {
        const QByteArray png = SimulatorProcess::httpPost(QUrl(m_sim.baseUrl() + kQrPath),
                                                          "content=" + QUrl::toPercentEncoding(content),
                                                          "application/x-www-form-urlencoded");
        return QImage::fromData(png).pixelColor(0, 0);
    }
    QNetworkAccessManager* shareManager(ShareLiveDialog& d) const
    {
        return d.findChildren<QNetworkAccessManager*>().value(0);
    }

private slots:
    void initTestCase()
    {
        qRegisterMetaType<QNetworkReply*>();
        QVERIFY(m_sim.start());
    }
    void init() { QVERIFY(m_sim.reset()); }

    void form()
    {
        ShareLiveDialog d;
        QVERIFY(d.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(d.windowTitle(), QStringLiteral("分享直播"));
        QCOMPARE(d.size(), QSize(400, 306));
        QCOMPARE(label(d, "label_4")->geometry(), QRect(40, 90, 140, 140));
        QCOMPARE(label(d, "label_5")->geometry(), QRect(220, 90, 140, 140));
        QCOMPARE(label(d, "label_6")->text(), QStringLiteral("微信扫码即可进入直播间观看"));
        QCOMPARE(d.findChildren<QNetworkAccessManager*>().size(), 2);
        d.show();
        d.findChild<QPushButton*>("close_btn")->click();
        QVERIFY(!d.isVisible());
        QCOMPARE(d.result(), int(QDialog::Rejected));
    }

    // A room's two pictures arrive, sized 140 x 140, and are the ones the service made for it.
    void picturesOfARoom()
    {
        ShareLiveDialog d;
        d.requestShare(10087, "token-42", 42);
        QTRY_VERIFY_WITH_TIMEOUT(hasPicture(d, "label_4") && hasPicture(d, "label_5"), 10000);
        QCOMPARE(picture(d, "label_4").size(), QSize(140, 140));
        QCOMPARE(picture(d, "label_5").size(), QSize(140, 140));

        const QJsonArray share = m_sim.requests(kSharePath);
        QCOMPARE(share.size(), 1);
        const QJsonObject request = share[0].toObject();
        QCOMPARE(request["headers"].toObject()["openapitoken"].toString(), QStringLiteral("token-42"));
        QCOMPARE(request["form"].toObject(), (QJsonObject{{"room_id", "10087"},
                                                          {"scene", "10087"},
                                                          {"uid", "42"},
                                                          {"path", "pages/video/pages/video_load/load"},
                                                          {"type", "mini_svkk"}}));

        const QString watchUrl = m_sim.baseUrl() + "/h5/watch?room_id=10087&from=share";
        const QJsonArray qr = m_sim.requests(kQrPath);
        QCOMPARE(qr.size(), 1);
        QCOMPARE(qr[0].toObject()["form"].toObject(), (QJsonObject{{"content", watchUrl}}));
        QVERIFY(!qr[0].toObject()["headers"].toObject().contains("openapitoken"));
        QCOMPARE(m_sim.requests("/wxacode/10087.png").size(), 1);

        QCOMPARE(centre(picture(d, "label_5")), served("/wxacode/10087.png"));
        QCOMPARE(centre(picture(d, "label_4")), servedQr(watchUrl));
    }

    // "&", "=" and "%" in the watch address reach the QR service whole.
    void watchAddressArrivesWhole()
    {
        const QString watchUrl = "https://watch.example.test/h5?room_id=5&from=share&sig=a=b%26c+d";
        QVERIFY(m_sim.control("/_sim/rooms/share", {{"watch_url", watchUrl}}).isObject());
        ShareLiveDialog d;
        d.requestShare(5, "t", 1);
        QTRY_VERIFY_WITH_TIMEOUT(hasPicture(d, "label_4"), 10000);
        QCOMPARE(m_sim.requests(kQrPath)[0].toObject()["form"].toObject()["content"].toString(), watchUrl);
    }

    // Pictures of other image types are ignored (the QR code still shows).
    void otherPictureTypesIgnored_data()
    {
        QTest::addColumn<QString>("type");
        QTest::newRow("gif") << "image/gif";
        QTest::newRow("png with parameter") << "image/png;charset=utf-8";
        QTest::newRow("octet stream") << "application/octet-stream";
    }
    void otherPictureTypesIgnored()
    {
        QFETCH(QString, type);
        QVERIFY(m_sim.control("/_sim/rooms/share", {{"mini_type", type}}).isObject());
        ShareLiveDialog d;
        QSignalSpy finished(shareManager(d), &QNetworkAccessManager::finished);
        d.requestShare(10086, "t", 1);
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 2, 10000); // share reply and picture
        QTRY_VERIFY_WITH_TIMEOUT(hasPicture(d, "label_4"), 10000);
        QVERIFY(!hasPicture(d, "label_5"));
    }

    // Hostile mini-program code replies: nothing is shown, the reply ends, the QR code still shows.
    // Before the limits, a never-ending reply grew without bound and a huge declared picture was
    // decoded whole.
    void hostilePictures_data()
    {
        QTest::addColumn<QJsonObject>("shareOverride");
        QTest::addColumn<QJsonObject>("pictureReply"); // scripted reply of the picture; empty: none
        QTest::newRow("side beyond the limit") << QJsonObject{{"mini_size", QJsonArray{4097, 8}}} << QJsonObject();
        QTest::newRow("never ends") << QJsonObject{{"mini_endless", true}} << QJsonObject();
        QTest::newRow("html as png") << QJsonObject()
                                     << QJsonObject{{"content_type", "image/png"}, {"body", "<html>oops</html>"}};
        QTest::newRow("empty png") << QJsonObject() << QJsonObject{{"content_type", "image/jpeg"}, {"body", ""}};
    }
    void hostilePictures()
    {
        QFETCH(QJsonObject, shareOverride);
        QFETCH(QJsonObject, pictureReply);
        QVERIFY(m_sim.control("/_sim/rooms/share", shareOverride).isObject());
        if (!pictureReply.isEmpty())
            QVERIFY(m_sim.script("/wxacode/11.png", {pictureReply}));
        ShareLiveDialog d;
        d.setReplyLimit(256 * 1024); // the real limit is larger; a smaller one ends the endless reply sooner
        QSignalSpy finished(shareManager(d), &QNetworkAccessManager::finished);
        d.requestShare(11, "t", 1);
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 2, 30000); // share reply and picture
        QTRY_VERIFY_WITH_TIMEOUT(hasPicture(d, "label_4"), 10000);
        QVERIFY(!hasPicture(d, "label_5"));
        // Within the limit the same road shows the picture.
        QVERIFY(m_sim.reset());
        QVERIFY(m_sim.control("/_sim/rooms/share", {{"mini_size", QJsonArray{4096, 8}}}).isObject());
        d.requestShare(11, "t", 1);
        QTRY_VERIFY_WITH_TIMEOUT(hasPicture(d, "label_5"), 10000);
    }

    // Share answers that ask for nothing further.
    void refusedShareReply_data()
    {
        QTest::addColumn<QJsonObject>("reply");
        const QJsonObject ok{{"code", 200}, {"data", QJsonObject{{"img_url", "/wxacode/1.png"}, {"watch_url", "x"}}}};
        QTest::newRow("no charset") << jsonReply(ok, "application/json");
        QTest::newRow("blank after ;") << jsonReply(ok, "application/json; charset=utf-8");
        QTest::newRow("code as text") << jsonReply(QJsonObject{{"code", "200"}, {"data", ok["data"]}});
        QTest::newRow("code 401") << jsonReply(QJsonObject{{"code", 401}, {"msg", "请先登录"}});
        QTest::newRow("not json") << jsonReply(QJsonValue("{oops"));
        QTest::newRow("http 502") << QJsonObject{{"status", 502}, {"content_type", "application/json;charset=utf-8"}, {"body", ok}};
    }
    void refusedShareReply()
    {
        QFETCH(QJsonObject, reply);
        QVERIFY(m_sim.script(kSharePath, {reply}));
        ShareLiveDialog d;
        QSignalSpy finished(shareManager(d), &QNetworkAccessManager::finished);
        d.requestShare(1, "t", 1);
        QVERIFY(finished.wait(10000));
        QTest::qWait(200);
        QCOMPARE(m_sim.requests(kQrPath).size(), 0);
        QCOMPARE(m_sim.requests("/wxacode/1.png").size(), 0);
        QCOMPARE(finished.count(), 1);
    }

    // Only http(s) picture addresses are fetched; the QR code is still asked for.
    void pictureAddressMustBeHttp()
    {
        QVERIFY(m_sim.control("/_sim/rooms/share", {{"img_url", "file:///etc/hostname"}}).isObject());
        ShareLiveDialog d;
        QSignalSpy finished(shareManager(d), &QNetworkAccessManager::finished);
        d.requestShare(3, "t", 1);
        QTRY_VERIFY_WITH_TIMEOUT(hasPicture(d, "label_4"), 10000);
        QCOMPARE(finished.count(), 1);
        QVERIFY(!hasPicture(d, "label_5"));
    }

    // A custom push address (room 0) asks too and shows what the service answers; a negative
    // room or a missing token asks nothing.
    void whichRequestsAreSent()
    {
        ShareLiveDialog d;
        d.requestShare(-1, "t", 1);
        d.requestShare(7, nullptr, 1);
        d.requestShare(0, "t", 1);
        QTRY_VERIFY_WITH_TIMEOUT(hasPicture(d, "label_4") && hasPicture(d, "label_5"), 10000);
        const QJsonArray share = m_sim.requests(kSharePath);
        QCOMPARE(share.size(), 1);
        QCOMPARE(share[0].toObject()["form"].toObject()["room_id"].toString(), QStringLiteral("0"));
    }

    // A new room clears the old pictures at once, and a slow answer for the old room never
    // shows over the new one.
    void newRoomReplacesOld()
    {
        ShareLiveDialog d;
        d.requestShare(10086, "t", 1);
        QTRY_VERIFY_WITH_TIMEOUT(hasPicture(d, "label_4") && hasPicture(d, "label_5"), 10000);

        // The next room's share answer comes late; the old pictures go at the request.
        QVERIFY(m_sim.script(kSharePath, {QJsonObject{{"delay", 0.5}, {"passthrough", true}}}));
        d.requestShare(10087, "t", 1);
        QVERIFY(!hasPicture(d, "label_4"));
        QVERIFY(!hasPicture(d, "label_5"));
        QTRY_VERIFY_WITH_TIMEOUT(hasPicture(d, "label_4") && hasPicture(d, "label_5"), 10000);
        QCOMPARE(centre(picture(d, "label_5")), served("/wxacode/10087.png"));

        // Room A asked first but answers last: its answer is dropped and asks for nothing.
        QVERIFY(m_sim.reset());
        QVERIFY(m_sim.script(kSharePath, {QJsonObject{{"delay", 1.0}, {"passthrough", true}}}));
        QSignalSpy finished(shareManager(d), &QNetworkAccessManager::finished);
        d.requestShare(10088, "t", 1);
        QTRY_COMPARE_WITH_TIMEOUT(m_sim.requests(kSharePath).size(), 1, 10000);
        d.requestShare(10089, "t", 1);
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 3, 10000); // two share answers, one picture
        QTRY_VERIFY_WITH_TIMEOUT(hasPicture(d, "label_4") && hasPicture(d, "label_5"), 10000);
        QTest::qWait(300);
        QCOMPARE(finished.count(), 3);
        QCOMPARE(m_sim.requests("/wxacode/10088.png").size(), 0);
        QCOMPARE(m_sim.requests(kQrPath).size(), 1);
        QCOMPARE(centre(picture(d, "label_5")), served("/wxacode/10089.png"));
    }

    void dragging()
    {
        ShareLiveDialog d;
        d.move(200, 150);
        d.show();
        const QPoint start = d.pos();
        QTest::mousePress(&d, Qt::RightButton, Qt::NoModifier, QPoint(20, 20));
        QMouseEvent move(QEvent::MouseMove, QPointF(30, 25), QPointF(d.mapToGlobal(QPoint(30, 25))), Qt::NoButton,
                         Qt::RightButton, Qt::NoModifier);
        QApplication::sendEvent(&d, &move);
        QCOMPARE(d.pos(), start + QPoint(10, 5));
    }
};

QTEST_MAIN(tst_ShareLiveDialog)
#include "tst_ShareLiveDialog.moc"
