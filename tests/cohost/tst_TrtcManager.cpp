// test-label: unit
// The real-time room manager on the recording cloud and a scripted open API: user ids and form
// bodies, one stay from signature to publication and exit, mix boxes, failures of every step
// (once each, the live control back to idle), replies and callbacks of an earlier stay.
#include "support/FakeLiveCore.h"
#include "support/FakeTrtcCloud.h"
#include "support/HeldRequest.h"

#include "chat/RoomProtocol.h"
#include "cohost/TrtcManager.h"
#include "core/DataCenter.h"
#include "core/ServiceConstants.h"
#include "shell/LiveControl.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace
{

using Request = HeldRequest;

LiveRoomInfo coHostRoom(qint64 id)
{
    LiveRoomInfo info;
    info.app_id = id;
    info.live_type = 5;
    info.push_app_stream = QByteArray("sv") + QByteArray::number(id);
    info.push_app_nick = QByteArray("连麦访谈直播间");
    return info;
}

QJsonObject sigReply(const QString& sig, qint64 appId = 1400188866)
{
    return QJsonObject{{"code", 200}, {"msg", "success"}, {"data", QJsonObject{{"app_id", appId}, {"sig", sig}}}};
}

QJsonObject pushReply(const QJsonValue& url)
{
    return QJsonObject{{"code", 200}, {"data", QJsonObject{{"push_url", url}}}};
}

QVector<int> box(const TrtcMixLayout& l) { return {l.left, l.top, l.right, l.bottom, l.zOrder}; }

} // namespace

class tst_TrtcManager : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void userIdsAndSignatureBody_data();
    void userIdsAndSignatureBody();
    void stayPublishesTheHostAndLeaves();
    void longTextsStayWhole();
    void mixBoxesShiftInsideAndUpdateOnce();
    void boxesBeforeTheTaskIdGoInOneUpdate();
    void seventeenthBoxRefused();
    void exitBeforePublicationStopsNothing();
    void refusedEntryLeavesAtOnce();
    void secondStayPublishesTheHostAloneAnew();
    void failedStepEndsTheBroadcastOnce_data();
    void failedStepEndsTheBroadcastOnce();
    void repliesOfAnEarlierStayAreDropped();
    void renderParametersGoToTheCoHost();
    void quitStopsThePublicationAndLeaves(); // last: it ends an event loop of the application

private:
    TrtcManager& manager() { return *m_manager; }
    // Runs enterRoom for the room and answers the signature request.
    void enter(quint32 roomId = 12345, const QString& sig = QString(300, 'S'));
    // enter, the entry's success, the push address and the task id.
    void publish(const QString& url = "rtmp://127.0.0.1:1935/live/sv12345", const char* task = "task-1");
    Request takeRequest(const QString& url);

    QTemporaryDir m_dir;
    std::shared_ptr<CDataCenter> m_store;
    std::unique_ptr<FakeLiveCore> m_core;
    std::unique_ptr<FakeTrtcCloud> m_cloud;
    std::unique_ptr<TrtcManager> m_manager;
    LoginInfo m_login;
    LiveRoomInfo m_room;
    QList<Request> m_requests;
    QStringList m_sent;
};

void tst_TrtcManager::init()
{
    m_store = std::make_shared<CDataCenter>(m_dir.filePath("config.ini"));
    CDataCenter::setInstanceForTesting(m_store);
    m_core = std::make_unique<FakeLiveCore>();
    m_cloud = std::make_unique<FakeTrtcCloud>();
    m_manager = std::make_unique<TrtcManager>();
    m_requests.clear();
    m_sent.clear();
    m_login = LoginInfo();
    m_login.uid = 4242;
    m_login.wechat_user_space_id = 678;
    m_room = coHostRoom(12345);
    manager().hooks.post = [this](const QString& url, const QString& body, apitransport::JsonFn ok,
                                  apitransport::ErrorFn fail) { m_requests << Request{url, body, ok, fail}; };
    manager().hooks.sendRoomMessage = [this](const QString& text) { m_sent << text; };
    manager().setUserInfo(&m_login);
    manager().setLiveInfo(&m_room);
    m_cloud->clearCalls();
}

void tst_TrtcManager::cleanup()
{
    m_manager.reset();
    m_cloud.reset();
    m_core.reset();
    CDataCenter::setInstanceForTesting(nullptr);
}

Request tst_TrtcManager::takeRequest(const QString& url)
{
    for (int i = 0; i < m_requests.size(); ++i) {
        if (m_requests.at(i).url == url)
            return m_requests.takeAt(i);
    }
    return Request();
}

void tst_TrtcManager::enter(quint32 roomId, const QString& sig)
{
    manager().enterRoom(roomId, "4242", 1, 20);
    Request r = takeRequest(API_GET_TRTC_USIG);
    QVERIFY(r.ok);
    r.ok(sigReply(sig));
}

void tst_TrtcManager::publish(const QString& url, const char* task)
{
    enter();
    manager().onEnterRoom(120);
    Request r = takeRequest(API_GET_PUSHFLOW_URL);
    QVERIFY(r.ok);
    r.ok(pushReply(url));
    manager().onStartPublishMediaStream(task, 0, "", nullptr);
    QCOMPARE(manager().taskId(), std::string(task));
}

void tst_TrtcManager::userIdsAndSignatureBody_data()
{
    QTest::addColumn<int>("spaceId");
    QTest::addColumn<quint32>("roomId");
    QTest::addColumn<QString>("hostId");
    QTest::addColumn<QString>("coHostId");
    QTest::addColumn<QString>("body");
    QTest::newRow("plain") << 678 << quint32(12345) << "user_678_12345"
                           << "wechat_678_12345"
                           << "uid=user_678_12345&room_id=12345";
    QTest::newRow("negative space id") << -5 << quint32(12345) << "user_-5_12345"
                                       << "wechat_-5_12345"
                                       << "uid=user_-5_12345&room_id=12345";
    QTest::newRow("room beyond 31 bits") << 678 << quint32(3000000000u) << "user_678_3000000000"
                                         << "wechat_678_3000000000"
                                         << "uid=user_678_3000000000&room_id=3000000000";
}

void tst_TrtcManager::userIdsAndSignatureBody()
{
    QFETCH(int, spaceId);
    QFETCH(quint32, roomId);
    QFETCH(QString, hostId);
    QFETCH(QString, coHostId);
    QFETCH(QString, body);
    QCOMPARE(QString::fromStdString(trtcUserId(TrtcUserKind::Host, spaceId, roomId)), hostId);
    QCOMPARE(QString::fromStdString(trtcUserId(TrtcUserKind::CoHost, spaceId, roomId)), coHostId);

    m_login.wechat_user_space_id = spaceId;
    manager().enterRoom(roomId, "4242", 1, 20);
    QCOMPARE(m_requests.size(), 1);
    QCOMPARE(m_requests.at(0).url, QString(API_GET_TRTC_USIG));
    QCOMPARE(m_requests.at(0).body, body);
    QCOMPARE(QString::fromStdString(manager().userId()), hostId);
}

void tst_TrtcManager::stayPublishesTheHostAndLeaves()
{
    QSignalSpy entered(&manager(), &TrtcManager::onEnterRoomSig);
    enter();
    QCOMPARE(m_cloud->calls(), QStringList{"enterRoom(user_678_12345,12345,20,1)"});
    const TrtcEnterParams params = m_cloud->lastEnterParams();
    QCOMPARE(params.sdkAppId, 1400188866u);
    QCOMPARE(params.userSig, std::string(300, 'S'));

    manager().onEnterRoom(120);
    QCOMPARE(entered.size(), 1);
    QCOMPARE(m_sent, QStringList{RoomProtocol::adminCommonStartMessage(12345)});
    Request push = takeRequest(API_GET_PUSHFLOW_URL);
    QCOMPARE(push.body, QString("room_id=12345"));
    push.ok(pushReply("rtmp://127.0.0.1:1935/live/sv12345"));

    const TrtcPublishTarget target = m_cloud->lastTarget();
    QCOMPARE(target.mode, 3);
    QCOMPARE(int(target.cdnUrls.size()), 1);
    QCOMPARE(target.cdnUrls.at(0).url, std::string("rtmp://127.0.0.1:1935/live/sv12345"));
    const TrtcStreamEncodeParams e = m_cloud->lastEncodeParams();
    QCOMPARE((QVector<uint32_t>{e.videoWidth, e.videoHeight, e.videoFps, e.videoGop, e.audioSampleRate,
                                e.audioChannels, e.audioBitrateKbps}),
             (QVector<uint32_t>{1920, 1080, 25, 3, 44100, 2, 50}));
    const TrtcMixConfig mix = m_cloud->lastMixConfig();
    QCOMPARE(int(mix.layouts.size()), 1);
    QCOMPARE(box(mix.layouts.at(0)), (QVector<int>{0, 0, 1920, 1080, 0}));
    QCOMPARE(mix.layouts.at(0).user.userId, std::string("user_678_12345"));

    manager().onStartPublishMediaStream("task-1", 0, "", nullptr);
    m_cloud->clearCalls();
    manager().exitRoom();
    QCOMPARE(m_cloud->calls(), (QStringList{"stopPublishMediaStream(task-1)", "exitRoom"}));
    QVERIFY(manager().taskId().empty());
    QCOMPARE(manager().mixLayoutCount(), 0);
}

void tst_TrtcManager::longTextsStayWhole()
{
    const QString sig(600, 'x');
    const QString url = "rtmp://127.0.0.1:1935/live/" + QString(400, 'k');
    const std::string task = "task-" + std::string(300, '7');
    enter(12345, sig);
    QCOMPARE(m_cloud->lastEnterParams().userSig, sig.toStdString());
    manager().onEnterRoom(1);
    takeRequest(API_GET_PUSHFLOW_URL).ok(pushReply(url));
    QCOMPARE(m_cloud->lastTarget().cdnUrls.at(0).url, url.toStdString());
    manager().onStartPublishMediaStream(task.c_str(), 0, "", nullptr);
    QCOMPARE(manager().taskId(), task);
}

void tst_TrtcManager::mixBoxesShiftInsideAndUpdateOnce()
{
    publish();
    m_cloud->clearCalls();
    manager().updateMixUser(7, TrtcMixRect{1700, 900, 2180, 1180}, 0);
    QCOMPARE(m_cloud->calls(), QStringList{"updatePublishMediaStream(task-1,2)"});
    TrtcMixConfig mix = m_cloud->lastMixConfig();
    QCOMPARE(box(mix.layouts.at(1)), (QVector<int>{1440, 800, 1920, 1080, 1}));
    QCOMPARE(mix.layouts.at(1).user.userId, std::string("wechat_7_12345"));

    // Moving keeps one box per co-host; removing an unknown one calls nothing.
    manager().updateMixUser(7, TrtcMixRect{10, 20, 490, 300}, 8);
    QCOMPARE(box(m_cloud->lastMixConfig().layouts.at(1)), (QVector<int>{10, 20, 490, 300, 8}));
    m_cloud->clearCalls();
    manager().removeMixUser(99);
    QVERIFY(m_cloud->calls().isEmpty());
    manager().removeMixUser(7);
    QCOMPARE(m_cloud->calls(), QStringList{"updatePublishMediaStream(task-1,1)"});
}

void tst_TrtcManager::boxesBeforeTheTaskIdGoInOneUpdate()
{
    enter();
    manager().onEnterRoom(1);
    manager().updateMixUser(7, TrtcMixRect{0, 0, 480, 280}, 8); // before the push address
    takeRequest(API_GET_PUSHFLOW_URL).ok(pushReply("rtmp://x/live/a"));
    manager().updateMixUser(9, TrtcMixRect{480, 0, 960, 280}, 8); // before the task id
    manager().removeMixUser(7);
    manager().updateMixUser(7, TrtcMixRect{960, 0, 1440, 280}, 8);
    QCOMPARE(m_cloud->calls().filter("PublishMediaStream"), QStringList{"startPublishMediaStream(1)"});

    manager().onStartPublishMediaStream("task-1", 0, "", nullptr);
    QCOMPARE(m_cloud->calls().filter("PublishMediaStream"),
             (QStringList{"startPublishMediaStream(1)", "updatePublishMediaStream(task-1,3)"}));
    const TrtcMixConfig mix = m_cloud->lastMixConfig();
    QCOMPARE(mix.layouts.at(0).user.userId, std::string("user_678_12345"));
    QCOMPARE(mix.layouts.at(1).user.userId, std::string("wechat_9_12345"));
    QCOMPARE(box(mix.layouts.at(2)), (QVector<int>{960, 0, 1440, 280, 8}));
}

void tst_TrtcManager::seventeenthBoxRefused()
{
    publish();
    for (int id = 1; id <= 15; ++id)
        manager().updateMixUser(id, TrtcMixRect{0, 0, 480, 280}, 8);
    QCOMPARE(manager().mixLayoutCount(), 16);
    m_cloud->clearCalls();
    manager().updateMixUser(16, TrtcMixRect{0, 0, 480, 280}, 8);
    QCOMPARE(manager().mixLayoutCount(), 16);
    QVERIFY(m_cloud->calls().isEmpty());
    // A co-host already in the mix still moves.
    manager().updateMixUser(15, TrtcMixRect{100, 0, 580, 280}, 8);
    QCOMPARE(m_cloud->calls(), QStringList{"updatePublishMediaStream(task-1,16)"});
}

void tst_TrtcManager::exitBeforePublicationStopsNothing()
{
    enter();
    manager().onEnterRoom(1);
    m_cloud->clearCalls();
    manager().exitRoom();
    QCOMPARE(m_cloud->calls(), QStringList{"exitRoom"});
}

void tst_TrtcManager::refusedEntryLeavesAtOnce()
{
    QSignalSpy failed(&manager(), &TrtcManager::sigRoomFailed);
    QSignalSpy entered(&manager(), &TrtcManager::onEnterRoomSig);
    enter();
    m_cloud->clearCalls();
    manager().onEnterRoom(0);
    QCOMPARE(m_cloud->calls(), QStringList{"exitRoom"});
    QVERIFY(m_requests.isEmpty());
    QVERIFY(m_sent.isEmpty());
    QCOMPARE(entered.size(), 0);
    QCOMPARE(failed.size(), 1);
}

void tst_TrtcManager::secondStayPublishesTheHostAloneAnew()
{
    publish("rtmp://x/live/first");
    manager().updateMixUser(7, TrtcMixRect{0, 0, 480, 280}, 8);
    manager().exitRoom();
    m_cloud->clearCalls();
    publish("rtmp://x/live/second", "task-2");
    QCOMPARE(m_cloud->calls().filter("PublishMediaStream"), QStringList{"startPublishMediaStream(1)"});
    QCOMPARE(m_cloud->lastMixConfig().layouts.at(0).user.userId, std::string("user_678_12345"));
    const TrtcPublishTarget target = m_cloud->lastTarget();
    QCOMPARE(int(target.cdnUrls.size()), 1);
    QCOMPARE(target.cdnUrls.at(0).url, std::string("rtmp://x/live/second"));
}

void tst_TrtcManager::failedStepEndsTheBroadcastOnce_data()
{
    QTest::addColumn<QString>("step");
    QTest::newRow("signature request failed") << "usig-error";
    QTest::newRow("reply without signature") << "usig-empty";
    QTest::newRow("entry refused") << "enter-refused";
    QTest::newRow("push address request failed") << "push-error";
    QTest::newRow("reply without push address") << "push-missing";
    QTest::newRow("push address not text") << "push-number";
    QTest::newRow("publication refused") << "publish-refused";
}

void tst_TrtcManager::failedStepEndsTheBroadcastOnce()
{
    QFETCH(QString, step);
    // The live control as the window wires it: its room hooks reach this manager.
    LiveControl control;
    control.hooks.sendRoomMessage = [this](const QString& text) { m_sent << text; };
    control.hooks.screenSize = [] { return QSize(1280, 720); };
    control.hooks.enterTrtcRoom = [this](const LiveRoomInfo& room) {
        manager().setLiveInfo(&room);
        manager().enterRoom(quint32(room.app_id), "4242", 1, 20);
    };
    control.hooks.exitTrtcRoom = [this] { manager().exitRoom(); };
    connect(&manager(), &TrtcManager::sigRoomFailed, &control, &LiveControl::coHostRoomFailed);
    QSignalSpy failed(&manager(), &TrtcManager::sigRoomFailed);
    QSignalSpy hints(&control, &LiveControl::hintRequested);

    QVERIFY(control.choose(m_room));
    control.setTrtcLoginMessage(RoomProtocol::trtcLoginMessage(12345, "wst-1"));
    control.liveButtonClicked();
    control.handleRTrtcLogin(QJsonObject{{"type", "r_trtc_login"}, {"code", 200}});
    QCOMPARE(control.state(), mainwin::LiveStateLive);

    Request usig = takeRequest(API_GET_TRTC_USIG);
    if (step == "usig-error") {
        usig.fail("timeout");
    } else if (step == "usig-empty") {
        usig.ok(QJsonObject{{"code", 200}, {"data", QJsonObject{{"app_id", 1}}}});
    } else {
        usig.ok(sigReply("sig"));
        manager().onEnterRoom(step == "enter-refused" ? -2 : 120);
        if (step != "enter-refused") {
            Request push = takeRequest(API_GET_PUSHFLOW_URL);
            if (step == "push-error")
                push.fail("down");
            else if (step == "push-missing")
                push.ok(QJsonObject{{"code", 200}, {"data", QJsonObject()}});
            else if (step == "push-number")
                push.ok(pushReply(5));
            else
                push.ok(pushReply("rtmp://x/live/a"));
            if (step == "publish-refused")
                manager().onStartPublishMediaStream("task-9", -1, "refused", nullptr);
        }
    }
    QCOMPARE(failed.size(), 1);
    QCOMPARE(control.state(), mainwin::LiveStateIdle);
    QVERIFY(hints.size() >= 1);
    QCOMPARE(hints.last().at(0).toString(), QString::fromUtf8(" 推流失败，请重试！"));
    // A refused publication's task id is not kept: the exit stops nothing.
    QVERIFY(manager().taskId().empty());
    QVERIFY(m_cloud->calls().filter("stopPublishMediaStream").isEmpty());
    QCOMPARE(m_cloud->calls().last(), QString("exitRoom"));
}

void tst_TrtcManager::repliesOfAnEarlierStayAreDropped()
{
    // A signature that arrives after the stop enters nothing.
    manager().enterRoom(12345, "4242", 1, 20);
    Request lateSig = takeRequest(API_GET_TRTC_USIG);
    manager().exitRoom();
    m_cloud->clearCalls();
    lateSig.ok(sigReply("sig"));
    QVERIFY(m_cloud->calls().isEmpty());

    // An entry answered after the stop asks for no push address and announces nothing.
    enter();
    manager().exitRoom();
    manager().onEnterRoom(120);
    QVERIFY(m_requests.isEmpty());
    QVERIFY(m_sent.isEmpty());

    // A push address that arrives after the stop publishes nothing.
    enter();
    manager().onEnterRoom(120);
    Request latePush = takeRequest(API_GET_PUSHFLOW_URL);
    manager().exitRoom();
    m_cloud->clearCalls();
    latePush.ok(pushReply("rtmp://x/live/a"));
    QVERIFY(m_cloud->calls().isEmpty());

    // A publication that starts after the stop is stopped at once and not kept.
    publish();
    manager().exitRoom();
    enter();
    manager().onEnterRoom(120);
    takeRequest(API_GET_PUSHFLOW_URL).ok(pushReply("rtmp://x/live/a"));
    manager().exitRoom();
    m_cloud->clearCalls();
    manager().onStartPublishMediaStream("task-5", 0, "", nullptr);
    QCOMPARE(m_cloud->calls(), QStringList{"stopPublishMediaStream(task-5)"});
    QVERIFY(manager().taskId().empty());
}

void tst_TrtcManager::renderParametersGoToTheCoHost()
{
    QCOMPARE(manager().renderParams().fillMode, 1);
    QCOMPARE(manager().renderParams().mirrorType, 2);
    enter();
    manager().setRemoteRender(55, 3, 1);
    QCOMPARE(m_cloud->calls().last(), QString("setRemoteRenderParams(wechat_55_12345,0,3,1,1)"));
}

void tst_TrtcManager::quitStopsThePublicationAndLeaves()
{
    publish();
    m_cloud->clearCalls();
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    QCoreApplication::exec(); // returns at once, with aboutToQuit sent
    QCOMPARE(m_cloud->calls(), (QStringList{"stopPublishMediaStream(task-1)", "exitRoom"}));
}

QTEST_MAIN(tst_TrtcManager)
#include "tst_TrtcManager.moc"
