// test-label: integration
// The host's avatar after login, against the service simulator: which replies become the avatar
// file, and the host camera shown in its tile.
#include "support/FakeLiveCore.h"
#include "support/LiveMainWindowTestAccess.h"
#include "support/SimulatorProcess.h"
#include "support/StoreDir.h"

#include "cohost/SceneWidget.h"
#include "core/DataCenter.h"
#include "core/PictureDecoder.h"

#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QNetworkReply>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

using Access = LiveMainWindowTestAccess;

class tst_LiveMainWindowAvatar : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void avatarReply_data();
    void avatarReply();
    void cameraShownInTheHostTile();
    void photoThatIsNoWebAddressIsNeverOpened_data();
    void photoThatIsNoWebAddressIsNeverOpened();

private:
    // Logs in a fresh window whose record points at `photoPath` and waits for the avatar reply.
    bool loginAndWaitForAvatar(LiveMainWindow& w, LoginInfo& info, const QString& photoPath);

    QTemporaryDir m_dir;
    SimulatorProcess m_sim;
};

void tst_LiveMainWindowAvatar::initTestCase()
{
    QVERIFY(testsupport::useStoreDir(m_dir));
    QVERIFY(m_sim.start());
    Access::setCameraSettleSeconds(0);
}

bool tst_LiveMainWindowAvatar::loginAndWaitForAvatar(LiveMainWindow& w, LoginInfo& info,
                                                     const QString& photoPath)
{
    info.uid = 5150;
    info.name = "host";
    info.photo = m_sim.baseUrl() + photoPath;
    w.initLiveMainWindowParams(&info);
    QSignalSpy replies(Access::avatarManager(w), &QNetworkAccessManager::finished);
    w.initFromLogin();
    if (!replies.wait(10000))
        return false;
    PictureDecoder::waitForIdle(); // the avatar is decoded off the window's thread
    return true;
}

void tst_LiveMainWindowAvatar::avatarReply_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QJsonObject>("reply"); // scripted reply; empty: the simulator's own picture
    QTest::addColumn<bool>("saved");

    QTest::newRow("image/png picture") << "/pic/64x48/host" << QJsonObject() << true;
    QTest::newRow("content type with a parameter")
        << "/avatar-param" << QJsonObject{{"content_type", "image/jpeg; charset=x"}, {"body", "x"}} << false;
    QTest::newRow("text/html") << "/avatar-html" << QJsonObject{{"content_type", "text/html"}, {"body", "x"}}
                               << false;
    QTest::newRow("image/png that does not decode")
        << "/avatar-broken" << QJsonObject{{"content_type", "image/png"}, {"body", "not a picture"}} << false;
    QTest::newRow("picture without end")
        << "/avatar-endless" << QJsonObject{{"content_type", "image/png"}, {"endless", true}} << false;
    QTest::newRow("picture declaring 16000 x 16000") << "/bigpic/16000x16000" << QJsonObject() << false;
    QTest::newRow("404") << "/avatar-missing" << QJsonObject{{"status", 404}, {"content_type", "image/png"}}
                         << false;
}

void tst_LiveMainWindowAvatar::avatarReply()
{
    QFETCH(QString, path);
    QFETCH(QJsonObject, reply);
    QFETCH(bool, saved);

    auto store = CDataCenter::getInstance();
    store->avatarFile.clear();
    QFile::remove(store->userDocRoot + "/5150/temp.jpeg");
    if (!reply.isEmpty())
        QVERIFY(m_sim.script(path, QJsonArray{reply}));

    FakeLiveCore core;
    LoginInfo info;
    LiveMainWindow w;
    QVERIFY(loginAndWaitForAvatar(w, info, path));

    const QString file = store->userDocDir + "/temp.jpeg";
    QLabel* photo = formWidget<QLabel>(w, "user_photo");
    if (saved) {
        QCOMPARE(store->avatarFile, file);
        QCOMPARE(QImage(file).size(), QSize(100, 100)); // always "temp.jpeg", 100 x 100
        QCOMPARE(photo->size(), QSize(30, 30));
        QCOMPARE(
            photo->styleSheet(),
            QString("QLabel{border-image:url(%1) 0 0 0 0 stretch stretch;border-radius:15px;}").arg(file));
    } else {
        QVERIFY(store->avatarFile.isEmpty());
        QVERIFY(!QFile::exists(file));
        QVERIFY(photo->styleSheet().isEmpty());
    }
    // Without a camera the host tile gets no display.
    QCOMPARE(core.count("core_create_display"), 0);
}

void tst_LiveMainWindowAvatar::cameraShownInTheHostTile()
{
    FakeLiveCore core;
    core.cameras << "Integrated Camera";
    LoginInfo info;
    LiveMainWindow w;
    QVERIFY(loginAndWaitForAvatar(w, info, "/pic/40x40/host"));

    // The camera is already in the scene after the engine start-up: it is not added twice, and it
    // is shown over the whole canvas in the host tile's camera view.
    auto store = CDataCenter::getInstance();
    const QString w_ = QString::number(store->screenWidth);
    const QString h_ = QString::number(store->screenHeight);
    QCOMPARE(core.callsNamed("scene_add_source"), QStringList{"scene_add_source(camera source,true)"});
    const QString winId = QString::number(Access::sceneWidget(w)->cameraViewWinId());
    const QStringList expected{"core_update_preview_scale(" + w_ + "," + h_ + ")",
                               "scene_set_source_size(camera source," + w_ + "," + h_ + ",true,false)",
                               "core_create_display(camera source," + winId + ")"};
    const int from = core.calls.indexOf(expected.first());
    QVERIFY(from > core.calls.lastIndexOf("scene_has_source(camera source)"));
    QCOMPARE(core.calls.mid(from, 3), expected);
}

void tst_LiveMainWindowAvatar::photoThatIsNoWebAddressIsNeverOpened_data()
{
    QTest::addColumn<QString>("photo");
    // A named pipe nobody writes to: opening it for reading would block the GUI thread for good.
    const QString fifo = m_dir.filePath("avatar-pipe");
    if (!QFileInfo::exists(fifo))
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QTest::newRow("path of a pipe") << fifo;
    QTest::newRow("file address of a pipe") << "file://" + fifo;
    QTest::newRow("resource") << ":/images/live/load_failed.png";
    QTest::newRow("empty") << QString();
}

void tst_LiveMainWindowAvatar::photoThatIsNoWebAddressIsNeverOpened()
{
    QFETCH(QString, photo);
    auto store = CDataCenter::getInstance();
    store->avatarFile.clear();
    FakeLiveCore core;
    LoginInfo info;
    info.uid = 5151;
    info.name = "host";
    info.photo = photo;
    LiveMainWindow w;
    w.initLiveMainWindowParams(&info);
    w.initFromLogin();
    QVERIFY(Access::avatarManager(w)->findChildren<QNetworkReply*>().isEmpty());
    QVERIFY(store->avatarFile.isEmpty());
}

QTEST_MAIN(tst_LiveMainWindowAvatar)
#include "tst_LiveMainWindowAvatar.moc"
