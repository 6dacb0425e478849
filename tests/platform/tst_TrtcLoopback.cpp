// test-label: integration
// The real-time room on the simulator's loopback: entry with an issued signature (callbacks on
// the GUI thread) and with a wrong one, the manager's publication and its stop before the exit,
// custom frames end to end from a worker thread, muted frames, a stalled media channel, and a
// remote user's video painted into a widget.
#include "support/SimulatorProcess.h"

#include "cohost/TrtcManager.h"
#include "core/NetUtils.h"
#include "platform/TrtcLoopback.h"
#include "shell/LiveModeDialog.h"

#include <QCryptographicHash>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QThread>
#include <QWidget>
#include <QtTest>

#include <thread>

namespace
{

constexpr int kWaitMs = 15000;

// Records what the cloud reports and on which thread.
struct Recorder : TrtcCloudCallback {
    QList<int> enterResults;
    QList<QThread*> threads;
    QList<QByteArray> videoUsers;
    int firstFrames = 0;
    void onEnterRoom(int result) override
    {
        enterResults << result;
        threads << QThread::currentThread();
    }
    void onUserVideoAvailable(const char* userId, bool available) override
    {
        if (available)
            videoUsers << QByteArray(userId);
        threads << QThread::currentThread();
    }
    void onFirstVideoFrame(const char*, TrtcVideoStreamType, int, int) override { ++firstFrames; }
};

// An I420 picture of one colour (BT.601 limited range), or of a pattern that differs per seed.
QByteArray i420(int w, int h, int y, int u, int v)
{
    QByteArray data(w * h * 3 / 2, char(y));
    std::fill(data.begin() + w * h, data.begin() + w * h + w * h / 4, char(u));
    std::fill(data.begin() + w * h + w * h / 4, data.end(), char(v));
    return data;
}

QByteArray pattern(int w, int h, int seed)
{
    QByteArray data(w * h * 3 / 2, 0);
    for (int i = 0; i < data.size(); ++i)
        data[i] = char((i * 7 + seed * 31) & 0xFF);
    return data;
}

void sendFrame(TrtcCloud& cloud, const QByteArray& data, int w, int h)
{
    TrtcCustomVideoFrame frame;
    frame.pixelFormat = TrtcPixelFormat_I420;
    frame.bufferType = TrtcBufferType_Memory;
    frame.data = data.constData();
    frame.length = uint32_t(data.size());
    frame.width = uint32_t(w);
    frame.height = uint32_t(h);
    cloud.sendCustomVideoData(TrtcVideoStreamType::Big, frame);
}

bool near(QRgb a, QRgb b, int tolerance = 12)
{
    return qAbs(qRed(a) - qRed(b)) <= tolerance && qAbs(qGreen(a) - qGreen(b)) <= tolerance
           && qAbs(qBlue(a) - qBlue(b)) <= tolerance;
}

} // namespace

class tst_TrtcLoopback : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void issuedSignatureEntersAndPublishes();
    void wrongSignatureAndUnreachableChannelFail();
    void framesArriveWholeOnlyWhileUnmuted();
    void stalledChannelDropsTheOldest();
    void remoteUserPaintedIntoItsWidget();

private:
    QJsonObject state() const { return m_sim.getJson("/_sim/trtc").toObject(); }
    QJsonObject userFrames(const QString& user) const
    {
        return state().value("frames").toObject().value(user).toObject();
    }
    // The manager's stay in a room of the simulator, up to the publication's task id.
    void enterAndPublish(qint64 roomId);

    SimulatorProcess m_sim;
    std::unique_ptr<TrtcLoopback> m_loopback;
    std::unique_ptr<TrtcManager> m_manager;
    Recorder m_recorder;
    LoginInfo m_login;
    LiveRoomInfo m_room;
};

void tst_TrtcLoopback::initTestCase()
{
    QVERIFY(m_sim.start());
    m_login.uid = 4242;
    m_login.wechat_user_space_id = 10001;
    m_login.token = "token-1";
    NetUtils::getInstance()->setLoginInfo(m_login);
}

void tst_TrtcLoopback::init()
{
    QVERIFY(m_sim.reset());
    m_recorder = Recorder();
    m_loopback = std::make_unique<TrtcLoopback>();
    setTRTCShareInstance(m_loopback.get());
    m_loopback->addCallback(&m_recorder);
    m_manager = std::make_unique<TrtcManager>();
    m_manager->setUserInfo(&m_login);
}

void tst_TrtcLoopback::cleanup()
{
    m_manager.reset();
    m_loopback.reset();
    setTRTCShareInstance(nullptr);
}

void tst_TrtcLoopback::enterAndPublish(qint64 roomId)
{
    m_room = LiveRoomInfo();
    m_room.app_id = roomId;
    m_room.live_type = 5;
    m_room.push_app_stream = "sv" + QByteArray::number(roomId);
    m_manager->setLiveInfo(&m_room);
    m_manager->enterRoom(quint32(roomId), "4242", 1, 20);
    QTRY_VERIFY_WITH_TIMEOUT(!m_manager->taskId().empty(), kWaitMs);
    QVERIFY(m_loopback->inRoom());
}

void tst_TrtcLoopback::issuedSignatureEntersAndPublishes()
{
    QSignalSpy failed(m_manager.get(), &TrtcManager::sigRoomFailed);
    enterAndPublish(10087);
    QCOMPARE(m_recorder.enterResults.size(), 1);
    QVERIFY(m_recorder.enterResults.at(0) > 0);
    QCOMPARE(m_recorder.threads.at(0), QCoreApplication::instance()->thread());
    QCOMPARE(m_manager->taskId(), std::string("task-1"));
    QCOMPARE(failed.size(), 0);

    const QJsonArray mixes = state().value("mixes").toArray();
    QCOMPARE(mixes.size(), 1);
    const QJsonObject mix = mixes.at(0).toObject();
    QCOMPARE(mix.value("target").toObject().value("mode").toInt(), 3);
    const QString pushUrl = m_sim.getJson("/_sim/rooms/state").toObject().value("rtmp_base").toString() + "/sv10087";
    QCOMPARE(mix.value("target").toObject().value("cdn").toArray().at(0).toObject().value("url").toString(), pushUrl);
    const QJsonObject e = mix.value("encode").toObject();
    QCOMPARE((QList<int>{e.value("width").toInt(), e.value("height").toInt(), e.value("fps").toInt(),
                         e.value("gop").toInt(), e.value("sample_rate").toInt(), e.value("channels").toInt(),
                         e.value("audio_kbps").toInt()}),
             (QList<int>{1920, 1080, 25, 3, 44100, 2, 50}));
    const QJsonArray layouts = mix.value("layouts").toArray();
    QCOMPARE(layouts.size(), 1);
    QCOMPARE(layouts.at(0).toObject().value("user_id").toString(), QString("user_10001_10087"));
    QCOMPARE(layouts.at(0).toObject().value("rect").toArray(), (QJsonArray{0, 0, 1920, 1080}));

    // A co-host's box reaches the running mix.
    m_manager->updateMixUser(55, TrtcMixRect{0, 0, 480, 280}, 8);
    QTRY_COMPARE_WITH_TIMEOUT(state().value("mixes").toArray().at(0).toObject().value("updates").toInt(), 1, kWaitMs);

    m_manager->exitRoom();
    QTRY_VERIFY_WITH_TIMEOUT(!state().value("mixes").toArray().at(0).toObject().value("running").toBool(), kWaitMs);
    QStringList ops;
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            ops.clear();
            for (const QJsonValue& op : state().value("ops").toArray())
                ops << op.toObject().value("op").toString();
            return ops.contains("exitRoom");
        }(),
        kWaitMs);
    QVERIFY(ops.indexOf("stopPublishMediaStream") >= 0);
    QVERIFY(ops.indexOf("stopPublishMediaStream") < ops.indexOf("exitRoom"));
    // The signature went whole (300 characters); the op log keeps only its length.
    const QJsonObject enterOp = state().value("ops").toArray().at(ops.indexOf("enterRoom")).toObject();
    QCOMPARE(enterOp.value("user_sig_length").toInt(), 300);
    QVERIFY(!enterOp.contains("user_sig"));
}

void tst_TrtcLoopback::wrongSignatureAndUnreachableChannelFail()
{
    TrtcEnterParams params;
    params.sdkAppId = quint32(state().value("app_id").toInt());
    params.userId = "user_10001_10087";
    params.userSig = "not-the-issued-one";
    params.roomId = 10087;
    m_loopback->enterRoom(params, 1);
    QTRY_COMPARE_WITH_TIMEOUT(m_recorder.enterResults.size(), 1, kWaitMs);
    QVERIFY(m_recorder.enterResults.at(0) < 0);
    QVERIFY(!m_loopback->inRoom());

    Recorder unreachable;
    TrtcLoopback closed(QStringLiteral("http://127.0.0.1:9"));
    closed.addCallback(&unreachable);
    closed.enterRoom(params, 1);
    QTRY_COMPARE_WITH_TIMEOUT(unreachable.enterResults.size(), 1, kWaitMs);
    QVERIFY(unreachable.enterResults.at(0) < 0);
    QCOMPARE(unreachable.threads.at(0), QCoreApplication::instance()->thread());
}

void tst_TrtcLoopback::framesArriveWholeOnlyWhileUnmuted()
{
    // Before the room is entered nothing travels.
    m_loopback->setCustomVideoCaptureEnabled(TrtcVideoStreamType::Big, true);
    const QByteArray early = pattern(64, 36, 99);
    sendFrame(*m_loopback, early, 64, 36);

    enterAndPublish(10087);
    const QString user = "user_10001_10087";
    QList<QByteArray> frames;
    for (int i = 0; i < 5; ++i)
        frames << pattern(64, 36, i);
    std::thread worker([&] {
        for (const QByteArray& f : frames)
            sendFrame(*m_loopback, f, 64, 36);
    });
    worker.join();
    QTRY_COMPARE_WITH_TIMEOUT(userFrames(user).value("video").toInt(), 5, kWaitMs);
    QCryptographicHash digest(QCryptographicHash::Sha256);
    for (const QByteArray& f : frames)
        digest.addData(f);
    QCOMPARE(userFrames(user).value("digest").toString(), QString::fromLatin1(digest.result().toHex()));
    QCOMPARE(userFrames(user).value("dropped").toInt(), 0);

    // A red frame reads back red.
    sendFrame(*m_loopback, i420(64, 36, 81, 90, 240), 64, 36);
    QTRY_COMPARE_WITH_TIMEOUT(userFrames(user).value("video").toInt(), 6, kWaitMs);
    const QImage png = QImage::fromData(SimulatorProcess::httpGet(QUrl(m_sim.baseUrl() + "/_sim/trtc/frame?user=" + user)));
    QCOMPARE(png.size(), QSize(64, 36));
    QVERIFY2(near(png.pixel(32, 18), qRgb(255, 0, 0), 20), qPrintable(QColor(png.pixel(32, 18)).name()));

    // Muted, none arrive; unmuted, the next one does.
    m_loopback->muteLocalVideo(TrtcVideoStreamType::Big, true);
    for (int i = 0; i < 3; ++i)
        sendFrame(*m_loopback, pattern(64, 36, 50 + i), 64, 36);
    m_loopback->muteLocalVideo(TrtcVideoStreamType::Big, false);
    sendFrame(*m_loopback, pattern(64, 36, 60), 64, 36);
    QTRY_COMPARE_WITH_TIMEOUT(userFrames(user).value("video").toInt(), 7, kWaitMs);
    QTest::qWait(300); // a muted frame that travelled would land by now
    QCOMPARE(userFrames(user).value("video").toInt(), 7);
    const QByteArray raw =
        SimulatorProcess::httpGet(QUrl(m_sim.baseUrl() + "/_sim/trtc/frame?format=raw&user=" + user));
    QCOMPARE(raw, pattern(64, 36, 60));

    // After the exit the forwarders may still call: nothing travels.
    m_manager->exitRoom();
    sendFrame(*m_loopback, pattern(64, 36, 70), 64, 36);
    QVERIFY(!m_loopback->inRoom());
    QCOMPARE(m_loopback->queuedFrames(), quint64(7));
}

void tst_TrtcLoopback::stalledChannelDropsTheOldest()
{
    enterAndPublish(10087);
    m_loopback->setCustomVideoCaptureEnabled(TrtcVideoStreamType::Big, true);
    QVERIFY(!m_sim.control("/_sim/trtc/script", QJsonObject{{"stall_media", true}}).isNull());
    const QByteArray frame = pattern(1280, 720, 1);
    std::thread worker([&] {
        for (int i = 0; i < 200; ++i)
            sendFrame(*m_loopback, frame, 1280, 720);
    });
    worker.join(); // every send returned although nobody reads
    QCOMPARE(m_loopback->queuedFrames(), quint64(200));
    QVERIFY2(m_loopback->droppedFrames() > 0, qPrintable(QString::number(m_loopback->droppedFrames())));
    QVERIFY(!m_sim.control("/_sim/trtc/script", QJsonObject{{"stall_media", false}}).isNull());
    // What was kept arrives whole once the channel reads again.
    QTRY_VERIFY_WITH_TIMEOUT(userFrames("user_10001_10087").value("video").toInt() > 0, kWaitMs);
    QCOMPARE(userFrames("user_10001_10087").value("dropped").toInt(), 0);
}

void tst_TrtcLoopback::remoteUserPaintedIntoItsWidget()
{
    QVERIFY(!m_sim.control("/_sim/rooms/set",
                           QJsonObject{{"rooms", QJsonArray{QJsonObject{{"app_id", "1001"},
                                                                        {"push_app_nick", "room"},
                                                                        {"live_type", 5},
                                                                        {"push_app_stream", "sv1001"}}}}})
                 .isNull());
    QList<QByteArray> available;
    connect(m_manager.get(), &TrtcManager::sigUserVideoAvailable, this,
            [&](const char* userId, bool on) {
                if (on)
                    available << QByteArray(userId); // the text is the cloud's: copied at once
            });
    enterAndPublish(1001);
    const QString user = "wechat_55_1001";
    QVERIFY(!m_sim.control("/_sim/trtc/user",
                           QJsonObject{{"room_id", 1001}, {"user_id", user}, {"video", true}, {"audio", true}})
                 .isNull());
    QTRY_COMPARE_WITH_TIMEOUT(available, QList<QByteArray>{user.toUtf8()}, kWaitMs);
    QCOMPARE(m_recorder.threads.last(), QCoreApplication::instance()->thread());
    const QJsonArray rgb =
        state().value("rooms").toObject().value("1001").toObject().value(user).toObject().value("colour").toArray();
    const QRgb colour = qRgb(rgb.at(0).toInt(), rgb.at(1).toInt(), rgb.at(2).toInt());

    QWidget view;
    view.resize(160, 90);
    view.show();
    m_loopback->startRemoteView(user.toStdString(), TrtcVideoStreamType::Big, TrtcViewId(view.winId()));
    QTRY_VERIFY_WITH_TIMEOUT(near(view.grab().toImage().pixel(80, 45), colour), kWaitMs);
    QCOMPARE(m_recorder.firstFrames, 1);
    // The white bar of the sender's left edge: on the left, then on the right when mirrored.
    QVERIFY(near(view.grab().toImage().pixel(4, 45), qRgb(255, 255, 255), 20));
    TrtcRenderParams mirrored;
    mirrored.mirrorType = TrtcVideoMirrorType_Enable;
    m_loopback->setRemoteRenderParams(user.toStdString(), TrtcVideoStreamType::Big, mirrored);
    QTRY_VERIFY_WITH_TIMEOUT(near(view.grab().toImage().pixel(155, 45), qRgb(255, 255, 255), 20), kWaitMs);
    QVERIFY(near(view.grab().toImage().pixel(4, 45), colour));

    // Moved to another widget, then stopped: the first widget paints itself again.
    QWidget other;
    other.resize(160, 90);
    other.show();
    m_loopback->updateRemoteView(user.toStdString(), TrtcVideoStreamType::Big, TrtcViewId(other.winId()));
    QTRY_VERIFY_WITH_TIMEOUT(near(other.grab().toImage().pixel(80, 45), colour), kWaitMs);
    QVERIFY(!near(view.grab().toImage().pixel(80, 45), colour));
    m_loopback->stopRemoteView(user.toStdString(), TrtcVideoStreamType::Big);
    QVERIFY(!near(other.grab().toImage().pixel(80, 45), colour));
}

QTEST_MAIN(tst_TrtcLoopback)
#include "tst_TrtcLoopback.moc"
