// test-label: unit
// The live control's transitions on the engine and real-time fakes: choice, start, failure and
// rollback, an output that stops by itself, pause, resume, stop, the clock and the co-host
// handshake.
#include "support/RawAudioBlock.h"
#include "support/FakeLiveCore.h"
#include "support/FakeTrtcCloud.h"

#include "chat/RoomProtocol.h"
#include "core/DataCenter.h"
#include "shell/LiveControl.h"

#include <obs.h>

#include <QJsonDocument>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <vector>

namespace
{

LiveRoomInfo room(qint64 id, const char* name, int liveType = 1)
{
    LiveRoomInfo info;
    info.app_id = id;
    info.live_type = liveType;
    info.push_app_stream = QByteArray("sv") + QByteArray::number(id);
    info.push_app_nick = QByteArray(name);
    return info;
}

LiveRoomInfo customAddress()
{
    LiveRoomInfo info;
    info.live_type = -1;
    return info;
}

QJsonObject rTrtcLogin(const QJsonValue& code, const QString& errMsg = QString())
{
    return QJsonObject{{"type", "r_trtc_login"}, {"code", code}, {"err_msg", errMsg}};
}

// One audio block through the engine's raw audio bridge, as libobs delivers it.
// The engine calls of the broadcast, without the registration of the output's event handler.
QStringList streamCalls(const FakeLiveCore& core)
{
    QStringList out;
    for (const QString& c : core.calls)
        if (!c.startsWith("core_set_stream_event_handler"))
            out << c;
    return out;
}

} // namespace

class tst_LiveControl : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void choiceMakesReady();
    void normalRoomStartsOnFirstClick();
    void startFailureRollsBack_data();
    void startFailureRollsBack();
    void coHostStartFailureLeavesTheRealTimeRoom();
    void outputStoppingWithErrorGoesIdle();
    void pauseAndResume();
    void resumeFailureStaysPaused();
    void stopThenSameRoomAgain();
    void sameRoomAgainDoesNothing();
    void roomsWithOneNameAreDifferentRooms();
    void choiceWhilePausedEndsThePausedBroadcast();
    void selectOrChoiceWhileLiveRefused();
    void clockText_data();
    void clockText();
    void clockTicks();
    void pauseTickCountsWithoutDisplay();
    void resumeWithinASecondKeepsTheClock();
    void coHostStartWaitsForTheAnswer();
    void coHostStartWithoutLoginTextAsksForIt();
    void coHostClickAsksAgainWhenTheAnswerIsOverdue();
    void coHostRefusedStaysReady();
    void answerOutsideAPendingStartOnlyAsksForCoHosts();
    void coHostPauseAndResumeForwardTheHostAgain();
    void coHostResumeKeepsAMutedHostMuted();
    void normalRoomAfterCoHostRoomForwardsNothing();
    void pushAddressPassedWhole();
    void shareAtStartFollowsTheShare();

private:
    QStringList m_sent;
    QStringList m_trtcRoom;
    int m_stopLiveHooks = 0;
    int m_trtcLoginRequests = 0;
    bool m_sharing = false;
    QTemporaryDir m_dir;
    std::shared_ptr<CDataCenter> m_store;
    std::unique_ptr<FakeLiveCore> m_core;
    std::unique_ptr<FakeTrtcCloud> m_cloud;
    std::unique_ptr<LiveControl> m_control;

    LiveControl& control() { return *m_control; }
    void startLive(const LiveRoomInfo& info = room(10086, "新品发布会直播间"));
    void startCoHost();
};

void tst_LiveControl::init()
{
    m_store = std::make_shared<CDataCenter>(m_dir.filePath("config.ini"));
    CDataCenter::setInstanceForTesting(m_store);
    m_store->pushServer = "rtmp://127.0.0.1:1935/live";
    m_store->pushKey = "sv10086";
    m_core = std::make_unique<FakeLiveCore>();
    m_cloud = std::make_unique<FakeTrtcCloud>();
    m_sent.clear();
    m_trtcRoom.clear();
    m_stopLiveHooks = 0;
    m_trtcLoginRequests = 0;
    m_sharing = false;
    m_control = std::make_unique<LiveControl>();
    m_control->setTrtcAnswerWait(24 * 3600 * 1000); // an answer is never overdue unless a test says so
    LiveControl::Hooks& h = m_control->hooks;
    h.sendRoomMessage = [this](const QString& text) { m_sent << text; };
    h.requestTrtcLogin = [this] { ++m_trtcLoginRequests; };
    h.enterTrtcRoom = [this](const LiveRoomInfo& r) { m_trtcRoom << QString("enter(%1)").arg(r.app_id); };
    h.exitTrtcRoom = [this] { m_trtcRoom << "exit"; };
    h.handleStopLive = [this] { ++m_stopLiveHooks; };
    h.isSharing = [this] { return m_sharing; };
    h.screenSize = [] { return QSize(1280, 720); };
    m_control->setCanvasSize(1920, 1080);
}

void tst_LiveControl::cleanup()
{
    m_control.reset();
    m_cloud.reset();
    m_core.reset();
    CDataCenter::setInstanceForTesting(nullptr);
}

void tst_LiveControl::startLive(const LiveRoomInfo& info)
{
    QVERIFY(control().choose(info));
    control().liveButtonClicked();
    QCOMPARE(control().state(), mainwin::LiveStateLive);
}

void tst_LiveControl::startCoHost()
{
    QVERIFY(control().choose(room(10087, "连麦访谈直播间", 5)));
    control().setTrtcLoginMessage(RoomProtocol::trtcLoginMessage(10087, "wst-1"));
    control().liveButtonClicked();
    control().handleRTrtcLogin(rTrtcLogin(200));
    QCOMPARE(control().state(), mainwin::LiveStateLive);
}

void tst_LiveControl::choiceMakesReady()
{
    QSignalSpy taken(&control(), &LiveControl::choiceTaken);
    QVERIFY(control().choose(room(10086, "新品发布会直播间")));
    QCOMPARE(control().state(), mainwin::LiveStateReady);
    QCOMPARE(taken.count(), 1);
    QVERIFY(control().roomChosen());
    QCOMPARE(control().roomName(), QString::fromUtf8("新品发布会直播间"));
    QCOMPARE(control().coHostMode(), 0);

    // A custom address is ready too, without a room.
    QVERIFY(control().choose(customAddress()));
    QCOMPARE(control().state(), mainwin::LiveStateReady);
    QVERIFY(!control().roomChosen());
    QCOMPARE(control().roomId(), 0);
}

void tst_LiveControl::normalRoomStartsOnFirstClick()
{
    QSignalSpy clock(&control(), &LiveControl::clockChanged);
    QVERIFY(control().choose(room(10086, "新品发布会直播间")));
    m_core->clearCalls();
    control().liveButtonClicked();
    QCOMPARE(control().state(), mainwin::LiveStateLive);
    QCOMPARE(streamCalls(*m_core),
             (QStringList{"core_reset_video(1280,720,1920,1080,25)", "core_init_stream()",
                          "set_stream_parameters(rtmp://127.0.0.1:1935/live,sv10086,2500,160)",
                          "start_stream()"}));
    QVERIFY(m_sent.isEmpty()); // nothing goes over the room channel in a normal room
    QVERIFY(control().clockRunning());
    QCOMPARE(clock.last().at(0).toString(), QString("00:00:00"));
    QVERIFY(m_core->hasStreamEventHandler());

    // While live the button asks for the pause/stop popup and nothing else.
    QSignalSpy popup(&control(), &LiveControl::pauseOrStopRequested);
    m_core->clearCalls();
    control().liveButtonClicked();
    QCOMPARE(popup.count(), 1);
    QVERIFY(m_core->calls.isEmpty());
}

void tst_LiveControl::startFailureRollsBack_data()
{
    QTest::addColumn<QString>("failing");
    QTest::addColumn<QStringList>("notCalled");
    QTest::newRow("init") << "core_init_stream" << QStringList{"set_stream_parameters", "start_stream"};
    QTest::newRow("parameters") << "set_stream_parameters" << QStringList{"start_stream"};
    QTest::newRow("start") << "start_stream" << QStringList{};
}

void tst_LiveControl::startFailureRollsBack()
{
    QFETCH(QString, failing);
    QFETCH(QStringList, notCalled);
    QSignalSpy hints(&control(), &LiveControl::hintRequested);
    QSignalSpy failed(&control(), &LiveControl::pushFailed);
    m_core->results[failing] = false;
    QVERIFY(control().choose(room(10086, "新品发布会直播间")));
    m_core->clearCalls();
    control().liveButtonClicked();

    QCOMPARE(control().state(), mainwin::LiveStateIdle);
    QCOMPARE(hints.count(), 1);
    QCOMPARE(hints.last().at(0).toString(), QString::fromUtf8(" 推流失败，请重试！"));
    QCOMPARE(failed.count(), 1);
    for (const QString& op : notCalled)
        QCOMPARE(m_core->count(op), 0);
    QCOMPARE(m_core->count("stop_stream"), 1); // output, encoders and raw callbacks released
    QVERIFY(!control().clockRunning());
    QVERIFY(control().roomName().isEmpty());
    // The chat stays with the room; choosing it again sets it up anew.
    QVERIFY(control().roomChosen());
    QVERIFY(control().choose(room(10086, "新品发布会直播间")));
    QCOMPARE(control().state(), mainwin::LiveStateReady);
}

void tst_LiveControl::coHostStartFailureLeavesTheRealTimeRoom()
{
    m_core->results["core_init_stream"] = false;
    QVERIFY(control().choose(room(10087, "连麦访谈直播间", 5)));
    control().setTrtcLoginMessage("login-text");
    control().liveButtonClicked();
    control().handleRTrtcLogin(rTrtcLogin(200));
    QCOMPARE(control().state(), mainwin::LiveStateIdle);
    QCOMPARE(m_trtcRoom, (QStringList{"enter(10087)", "exit"}));
    QCOMPARE(m_core->count("stop_stream"), 1);
    QCOMPARE(m_core->count("start_stream"), 0);
    QVERIFY(!control().startPending());
    // The forwarders are out of the raw-frame slots.
    deliverAudioBlock();
    QCOMPARE(m_cloud->audioFrames(), 0);
}

void tst_LiveControl::outputStoppingWithErrorGoesIdle()
{
    QSignalSpy hints(&control(), &LiveControl::hintRequested);
    startLive();
    // Reconnect attempts change nothing.
    m_core->emitStreamEvent(LiveStreamEvent::Reconnecting, 0);
    QCOMPARE(control().state(), mainwin::LiveStateLive);
    QCOMPARE(hints.count(), 0);

    m_core->emitStreamEvent(LiveStreamEvent::Stopped, -2);
    QCOMPARE(control().state(), mainwin::LiveStateIdle);
    QCOMPARE(hints.count(), 1);
    QCOMPARE(hints.last().at(0).toString(), QString::fromUtf8(" 推流失败，请重试！"));
    QCOMPARE(m_core->count("stop_stream"), 1);
    QVERIFY(!control().clockRunning());
    QCOMPARE(control().liveSeconds(), 0);
    // The same room can be chosen and started again.
    startLive();
}

void tst_LiveControl::pauseAndResume()
{
    startLive();
    m_core->clearCalls();
    control().pause();
    QCOMPARE(control().state(), mainwin::LiveStatePaused);
    QCOMPARE(m_core->calls, QStringList{"pause_stream(true)"});
    QVERIFY(control().pausePending());
    QVERIFY(m_cloud->calls().isEmpty()); // a normal room has no real-time room
    QCOMPARE(livecontrol::endLabelText(control().state()), QString::fromUtf8("继续直播"));
    QCOMPARE(livecontrol::statusText(control().state()), QString::fromUtf8("直播暂停中"));

    m_core->clearCalls();
    control().liveButtonClicked(); // paused: resume
    QCOMPARE(control().state(), mainwin::LiveStateLive);
    QCOMPARE(m_core->calls, QStringList{"pause_stream(false)"});
    QVERIFY(control().clockRunning());
    QCOMPARE(livecontrol::endLabelText(control().state()), QString::fromUtf8("结束直播"));
}

void tst_LiveControl::resumeFailureStaysPaused()
{
    QSignalSpy hints(&control(), &LiveControl::hintRequested);
    startLive();
    control().pause();
    m_core->results["pause_stream"] = false;
    control().liveButtonClicked();
    QCOMPARE(control().state(), mainwin::LiveStatePaused);
    QCOMPARE(hints.count(), 1);
    QCOMPARE(hints.last().at(0).toString(), QString::fromUtf8(" 推流失败，请重试！"));
    // Trying again once the address answers works.
    m_core->results["pause_stream"] = true;
    control().liveButtonClicked();
    QCOMPARE(control().state(), mainwin::LiveStateLive);
}

void tst_LiveControl::stopThenSameRoomAgain()
{
    QSignalSpy stopped(&control(), &LiveControl::stopped);
    startLive();
    control().setLiveModeChosen(true);
    m_core->clearCalls();
    control().stop();
    QCOMPARE(control().state(), mainwin::LiveStateIdle);
    QCOMPARE(stopped.count(), 1);
    QCOMPARE(m_core->calls, QStringList{"stop_stream()"});
    QVERIFY(!control().roomChosen());
    QVERIFY(!control().liveModeChosen());
    QVERIFY(control().stopPending());
    QCOMPARE(m_stopLiveHooks, 2); // the choice's clean-up of the previous room, then the stop's
    // The clock stops at the next tick and starts from zero.
    control().tick();
    QVERIFY(!control().clockRunning());
    QCOMPARE(control().liveSeconds(), 0);

    QVERIFY(control().choose(room(10086, "新品发布会直播间")));
    QCOMPARE(control().state(), mainwin::LiveStateReady);
    control().liveButtonClicked();
    QCOMPARE(control().state(), mainwin::LiveStateLive);
}

void tst_LiveControl::sameRoomAgainDoesNothing()
{
    QVERIFY(control().choose(room(10086, "新品发布会直播间")));
    QSignalSpy taken(&control(), &LiveControl::choiceTaken);
    QVERIFY(!control().choose(room(10086, "新品发布会直播间")));
    QCOMPARE(taken.count(), 0);

    // Also while paused: the paused broadcast stays as it is.
    control().liveButtonClicked();
    control().pause();
    m_core->clearCalls();
    QVERIFY(!control().choose(room(10086, "新品发布会直播间")));
    QCOMPARE(control().state(), mainwin::LiveStatePaused);
    QVERIFY(m_core->calls.isEmpty());

    // A custom address is set up again at every choice.
    QVERIFY(control().choose(customAddress()));
    QVERIFY(control().choose(customAddress()));
    QCOMPARE(taken.count(), 2);
}

void tst_LiveControl::roomsWithOneNameAreDifferentRooms()
{
    QVERIFY(control().choose(room(1, "同名直播间")));
    QSignalSpy taken(&control(), &LiveControl::choiceTaken);
    QVERIFY(control().choose(room(2, "同名直播间")));
    QCOMPARE(taken.count(), 1);
    QCOMPARE(control().roomId(), 2);
    QCOMPARE(control().room().push_app_stream, QByteArray("sv2"));
}

void tst_LiveControl::choiceWhilePausedEndsThePausedBroadcast()
{
    startLive();
    control().pause();
    m_core->clearCalls();
    m_store->pushKey = "sv10088";
    QVERIFY(control().choose(room(10088, "周末读书分享会")));
    QCOMPARE(control().state(), mainwin::LiveStateReady);
    QCOMPARE(m_core->calls, QStringList{"stop_stream()"});
    QCOMPARE(control().liveSeconds(), 0);

    m_core->clearCalls();
    control().liveButtonClicked();
    QCOMPARE(m_core->callsNamed("set_stream_parameters"),
             QStringList{"set_stream_parameters(rtmp://127.0.0.1:1935/live,sv10088,2500,160)"});
    QCOMPARE(control().state(), mainwin::LiveStateLive);
}

void tst_LiveControl::selectOrChoiceWhileLiveRefused()
{
    QSignalSpy hints(&control(), &LiveControl::hintRequested);
    QVERIFY(control().selectButtonClicked()); // idle: the dialog may open
    startLive();
    QVERIFY(!control().selectButtonClicked());
    QCOMPARE(hints.last().at(0).toString(), QString::fromUtf8("直播推流中！请暂停推流后再切换开播方式"));

    // A room's push address that arrives only after the host went live leaves the broadcast alone.
    m_core->clearCalls();
    QVERIFY(!control().choose(room(10088, "周末读书分享会")));
    QCOMPARE(control().state(), mainwin::LiveStateLive);
    QCOMPARE(control().roomId(), 10086);
    QVERIFY(m_core->calls.isEmpty());
    QCOMPARE(hints.count(), 2);

    control().pause();
    QVERIFY(control().selectButtonClicked()); // paused: the dialog opens
}

void tst_LiveControl::clockText_data()
{
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QString>("text");
    QTest::newRow("start") << 0 << "00:00:00";
    QTest::newRow("one second") << 1 << "00:00:01";
    QTest::newRow("hour minute second") << 3661 << "01:01:01";
    QTest::newRow("last of the day") << 86399 << "23:59:59";
    QTest::newRow("wraps after a day") << 86400 << "00:00:00";
}

void tst_LiveControl::clockText()
{
    QFETCH(int, seconds);
    QFETCH(QString, text);
    QCOMPARE(livecontrol::clockText(seconds), text);
}

void tst_LiveControl::clockTicks()
{
    QSignalSpy clock(&control(), &LiveControl::clockChanged);
    startLive();
    m_core->clearCalls();
    control().tick();
    QCOMPARE(clock.last().at(0).toString(), QString("00:00:01"));
    // Each tick asks the engine for its statistics twice and ignores them.
    QCOMPARE(m_core->count("core_query_stream_stats"), 2);
    for (int i = 1; i < 3661; ++i)
        control().tick();
    QCOMPARE(clock.last().at(0).toString(), QString("01:01:01"));

    // The real timer drives the same tick.
    control().setClockInterval(10);
    const int before = clock.count();
    QTRY_VERIFY_WITH_TIMEOUT(clock.count() > before, 5000);
}

void tst_LiveControl::pauseTickCountsWithoutDisplay()
{
    QSignalSpy clock(&control(), &LiveControl::clockChanged);
    startLive();
    control().tick();
    control().pause();
    const int shown = clock.count();
    control().tick();
    QCOMPARE(control().liveSeconds(), 2);
    QCOMPARE(clock.count(), shown);
    QVERIFY(!control().clockRunning());

    control().liveButtonClicked();
    QVERIFY(control().clockRunning());
    control().tick();
    QCOMPARE(clock.last().at(0).toString(), QString("00:00:03"));
}

void tst_LiveControl::resumeWithinASecondKeepsTheClock()
{
    QSignalSpy clock(&control(), &LiveControl::clockChanged);
    startLive();
    control().pause();
    control().liveButtonClicked(); // resumed before the pause's tick
    QVERIFY(!control().pausePending());
    control().tick();
    QVERIFY(control().clockRunning());
    QCOMPARE(clock.last().at(0).toString(), QString("00:00:01"));
}

void tst_LiveControl::coHostStartWaitsForTheAnswer()
{
    QVERIFY(control().choose(room(10087, "连麦访谈直播间", 5)));
    QCOMPARE(control().coHostMode(), 1);
    const QString login = RoomProtocol::trtcLoginMessage(10087, "wst-1");
    control().setTrtcLoginMessage(login);
    m_core->clearCalls();

    control().liveButtonClicked();
    QCOMPARE(m_sent, QStringList{login});
    QVERIFY(control().startPending());
    QCOMPARE(control().state(), mainwin::LiveStateReady);
    QVERIFY(m_core->calls.isEmpty());

    // Clicks while the answer is awaited do nothing.
    control().liveButtonClicked();
    control().liveButtonClicked();
    QCOMPARE(m_sent, QStringList{login});
    QCOMPARE(control().state(), mainwin::LiveStateReady);

    // A code that is not a number is not an answer.
    control().handleRTrtcLogin(rTrtcLogin("200"));
    QCOMPARE(control().state(), mainwin::LiveStateReady);

    m_cloud->clearCalls();
    control().handleRTrtcLogin(rTrtcLogin(200));
    QCOMPARE(control().state(), mainwin::LiveStateLive);
    QVERIFY(!control().startPending());
    QCOMPARE(m_sent.mid(1),
             (QStringList{RoomProtocol::getTrtcOnlineListMessage(), RoomProtocol::trtcStartMessage()}));
    QCOMPARE(m_trtcRoom, QStringList{"enter(10087)"});
    const QStringList cloudCalls = m_cloud->calls();
    QCOMPARE(cloudCalls.mid(0, 2),
             (QStringList{"setCustomVideoCaptureEnabled(0,true)", "setCustomAudioCaptureEnabled(true)"}));
    QVERIFY(control().pushStream());
    QCOMPARE(streamCalls(*m_core),
             (QStringList{"core_reset_video(1280,720,1920,1080,25)", "core_init_stream()"}));

    // The canvas goes to the real-time room through the forwarders.
    deliverAudioBlock();
    QCOMPARE(m_cloud->audioFrames(), 1);

    // A late second answer starts nothing more.
    control().handleRTrtcLogin(rTrtcLogin(200));
    QCOMPARE(control().state(), mainwin::LiveStateLive);
    QCOMPARE(m_core->count("core_init_stream"), 1);
}

void tst_LiveControl::coHostStartWithoutLoginTextAsksForIt()
{
    QVERIFY(control().choose(room(10087, "连麦访谈直播间", 5)));
    control().liveButtonClicked();
    QVERIFY(m_sent.isEmpty());
    QCOMPARE(m_trtcLoginRequests, 1);
    QVERIFY(control().startPending());
    // The text arrives and goes out for the waiting start.
    control().setTrtcLoginMessage("login-10087");
    QCOMPARE(m_sent, QStringList{"login-10087"});

    // A new choice drops the handshake of the old one.
    QVERIFY(control().choose(room(10090, "另一个连麦间", 5)));
    QVERIFY(!control().startPending());
    QVERIFY(control().trtcLoginMessage().isEmpty());
    control().handleRTrtcLogin(rTrtcLogin(200));
    QCOMPARE(control().state(), mainwin::LiveStateReady);
}

// A lost handshake (the room channel was down) must not leave the start pending for good: once
// the answer is overdue a click asks again, and still only the answer starts, once.
void tst_LiveControl::coHostClickAsksAgainWhenTheAnswerIsOverdue()
{
    control().setTrtcAnswerWait(0); // every wait is overdue
    QVERIFY(control().choose(room(10087, "连麦访谈直播间", 5)));
    control().liveButtonClicked(); // no text yet: asked for
    control().liveButtonClicked();
    QCOMPARE(m_trtcLoginRequests, 2);
    control().setTrtcLoginMessage("login-10087");
    control().liveButtonClicked();
    QCOMPARE(m_sent, (QStringList{"login-10087", "login-10087"}));
    QCOMPARE(control().state(), mainwin::LiveStateReady);
    QVERIFY(control().startPending());
    QCOMPARE(m_core->count("core_init_stream"), 0);

    control().handleRTrtcLogin(rTrtcLogin(200));
    QCOMPARE(control().state(), mainwin::LiveStateLive);
    control().handleRTrtcLogin(rTrtcLogin(200)); // the answer to the repeat starts nothing more
    QCOMPARE(m_core->count("core_init_stream"), 1);
}

void tst_LiveControl::coHostRefusedStaysReady()
{
    QSignalSpy toasts(&control(), &LiveControl::failureToastRequested);
    QVERIFY(control().choose(room(10087, "连麦访谈直播间", 5)));
    control().setTrtcLoginMessage("login-10087");
    control().liveButtonClicked();
    control().handleRTrtcLogin(rTrtcLogin(400, QString::fromUtf8("连麦令牌无效")));
    QCOMPARE(control().state(), mainwin::LiveStateReady);
    QVERIFY(!control().startPending());
    QCOMPARE(toasts.count(), 1);
    QCOMPARE(toasts.last().at(0).toString(), QString::fromUtf8("连麦令牌无效"));
    QCOMPARE(m_core->count("core_init_stream"), 0);
    // The next click sends the text again.
    control().liveButtonClicked();
    QCOMPARE(m_sent, (QStringList{"login-10087", "login-10087"}));
}

void tst_LiveControl::answerOutsideAPendingStartOnlyAsksForCoHosts()
{
    QSignalSpy toasts(&control(), &LiveControl::failureToastRequested);
    QVERIFY(control().choose(room(10087, "连麦访谈直播间", 5)));
    control().handleRTrtcLogin(rTrtcLogin(200));
    control().handleRTrtcLogin(rTrtcLogin(400, "x"));
    QCOMPARE(m_sent, QStringList{RoomProtocol::getTrtcOnlineListMessage()});
    QCOMPARE(control().state(), mainwin::LiveStateReady);
    QCOMPARE(toasts.count(), 0);
}

void tst_LiveControl::coHostPauseAndResumeForwardTheHostAgain()
{
    startCoHost();
    m_cloud->clearCalls();
    m_core->clearCalls();
    const int hooksBefore = m_stopLiveHooks;
    control().pause();
    QCOMPARE(control().state(), mainwin::LiveStatePaused);
    QCOMPARE(m_cloud->calls(), QStringList{"muteLocalVideo(0,true)"});
    QCOMPARE(m_stopLiveHooks, hooksBefore + 1); // every co-host link ends
    deliverAudioBlock();
    QCOMPARE(m_cloud->audioFrames(), 0); // the host's sound is no longer forwarded

    m_cloud->clearCalls();
    m_core->clearCalls();
    control().liveButtonClicked();
    QCOMPARE(control().state(), mainwin::LiveStateLive);
    QCOMPARE(m_cloud->calls(), QStringList{"muteLocalVideo(0,false)"});
    QCOMPARE(m_core->count("pause_stream"), 0); // the RTMP output is never started here
    deliverAudioBlock();
    QCOMPARE(m_cloud->audioFrames(), 1);

    // The stop leaves the real-time room and empties the slots.
    control().stop();
    QCOMPARE(m_trtcRoom.last(), QString("exit"));
    deliverAudioBlock();
    QCOMPARE(m_cloud->audioFrames(), 1);
}

void tst_LiveControl::coHostResumeKeepsAMutedHostMuted()
{
    startCoHost();
    control().setHostAudioMuted(true);
    control().pause();
    control().liveButtonClicked();
    deliverAudioBlock();
    QCOMPARE(m_cloud->audioFrames(), 0);
    control().setHostAudioMuted(false);
    deliverAudioBlock();
    QCOMPARE(m_cloud->audioFrames(), 1);
}

void tst_LiveControl::normalRoomAfterCoHostRoomForwardsNothing()
{
    startCoHost();
    control().pause();
    QVERIFY(control().choose(room(10086, "新品发布会直播间")));
    QCOMPARE(m_trtcRoom.last(), QString("exit")); // the paused co-host broadcast ended
    m_sent.clear();
    control().liveButtonClicked();
    QCOMPARE(control().state(), mainwin::LiveStateLive);
    QVERIFY(m_sent.isEmpty()); // no stale "trtc_login" text
    deliverAudioBlock();
    QCOMPARE(m_cloud->audioFrames(), 0);
}

void tst_LiveControl::pushAddressPassedWhole()
{
    const QString server = "rtmp://127.0.0.1:1935/" + QString(300, QLatin1Char('a'));
    const QString key = "k" + QString(400, QLatin1Char('b')) + "?auth=1";
    m_store->pushServer = server;
    m_store->pushKey = key;
    startLive();
    QCOMPARE(m_core->callsNamed("set_stream_parameters"),
             QStringList{QString("set_stream_parameters(%1,%2,2500,160)").arg(server, key)});
}

void tst_LiveControl::shareAtStartFollowsTheShare()
{
    m_sharing = true;
    startLive();
    QVERIFY(m_store->shareAtStart);
    control().stop();
    m_sharing = false;
    startLive();
    QVERIFY(!m_store->shareAtStart);
}

QTEST_GUILESS_MAIN(tst_LiveControl)
#include "tst_LiveControl.moc"
