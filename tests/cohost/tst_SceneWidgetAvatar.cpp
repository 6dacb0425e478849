// test-label: integration
// The host camera tile's avatar from the service simulator: which replies become the rounded
// 80 x 80 avatar, addresses that are never fetched, and the process-wide TLS default left alone.
#include "support/FakeLiveCore.h"
#include "support/SimulatorProcess.h"

#include "core/PictureDecoder.h"
#include "cohost/SceneWidget.h"
#include "cohost/SceneWidgetToolWidget.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSslConfiguration>
#include <QtTest>

class tst_SceneWidgetAvatar : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void avatarReply_data();
    void avatarReply();
    void addressThatIsNoWebAddressIsNeverFetched_data();
    void addressThatIsNoWebAddressIsNeverFetched();

private:
    SimulatorProcess m_sim;
};

void tst_SceneWidgetAvatar::initTestCase()
{
    QVERIFY(m_sim.start());
}

void tst_SceneWidgetAvatar::avatarReply_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QJsonObject>("reply"); // scripted; empty: the simulator's own picture
    QTest::addColumn<bool>("shown");

    QTest::newRow("image/png") << "/pic/64x48/host" << QJsonObject() << true;
    QTest::newRow("image/gif") << "/avatar-gif" << QJsonObject{{"content_type", "image/gif"}, {"body", "GIF89a"}}
                               << false;
    QTest::newRow("image/png that does not decode")
        << "/avatar-broken" << QJsonObject{{"content_type", "image/png"}, {"body", "not a picture"}} << false;
    QTest::newRow("404") << "/avatar-missing" << QJsonObject{{"status", 404}, {"content_type", "image/png"}}
                         << false;
    QTest::newRow("picture without end")
        << "/avatar-endless" << QJsonObject{{"content_type", "image/png"}, {"endless", true}} << false;
}

void tst_SceneWidgetAvatar::avatarReply()
{
    QFETCH(QString, path);
    QFETCH(QJsonObject, reply);
    QFETCH(bool, shown);
    if (!reply.isEmpty())
        QVERIFY(m_sim.script(path, QJsonArray{reply}));

    FakeLiveCore core;
    const QSslConfiguration tlsBefore = QSslConfiguration::defaultConfiguration();
    SceneWidget tile;
    LoginInfo info;
    info.name = "host";
    info.photo = m_sim.baseUrl() + path;
    tile.setAnchorPhoto(&info);
    QCOMPARE(tile.anchorInfo(), &info);
    QVERIFY(!tile.toolWidget()->isHidden());
    QCOMPARE(tile.toolWidget()->findChild<QLabel*>("anchor_label")->text(), QString("host"));
    auto* manager = tile.findChild<QNetworkAccessManager*>();
    QVERIFY(manager);
    QSignalSpy finished(manager, &QNetworkAccessManager::finished);
    QVERIFY(finished.wait(10000));
    PictureDecoder::waitForIdle(); // the picture is decoded off the window's thread
    QVERIFY(QSslConfiguration::defaultConfiguration() == tlsBefore);

    auto* photo = tile.findChild<QLabel*>("photo_label");
    const QPixmap pixmap = photo->pixmap(Qt::ReturnByValue);
    if (!shown) {
        QVERIFY(pixmap.isNull());
        QVERIFY(photo->styleSheet().isEmpty());
        return;
    }
    QCOMPARE(pixmap.size(), QSize(80, 80));
    QCOMPARE(photo->styleSheet(), QString("background: transparent;"));
    const QImage image = pixmap.toImage();
    QCOMPARE(image.pixelColor(0, 0).alpha(), 0); // the corner is cut away
    QCOMPARE(image.pixelColor(40, 40).alpha(), 255);
    QCOMPARE(image.pixelColor(40, 0).alpha(), 255); // the straight edge stays
}

void tst_SceneWidgetAvatar::addressThatIsNoWebAddressIsNeverFetched_data()
{
    QTest::addColumn<QString>("photo");
    QTest::newRow("file address") << "file:///etc/hostname";
    QTest::newRow("path") << "/etc/hostname";
    QTest::newRow("resource") << ":/images/live/load_failed.png";
    QTest::newRow("empty") << QString();
}

void tst_SceneWidgetAvatar::addressThatIsNoWebAddressIsNeverFetched()
{
    QFETCH(QString, photo);
    FakeLiveCore core;
    SceneWidget tile;
    LoginInfo info;
    info.name = "host";
    info.photo = photo;
    tile.setAnchorPhoto(&info);
    QVERIFY(tile.findChildren<QNetworkReply*>().isEmpty());
    QTest::qWait(50);
    QVERIFY(tile.findChild<QLabel*>("photo_label")->pixmap(Qt::ReturnByValue).isNull());
}

QTEST_MAIN(tst_SceneWidgetAvatar)
#include "tst_SceneWidgetAvatar.moc"
