// test-label: e2e
// test-timeout: 240
// The RTMP road end to end: the main window with the real engine on X, the room dialog against
// the simulator, a private nginx-rtmp as the ingest and ffprobe on what arrives. The host chooses
// a room, starts, pauses, resumes and stops through the window's own buttons and popup, then
// chooses another room, whose start goes to that room's stream key; a co-host room starts after
// the room channel's "r_trtc_login" answer without any RTMP push: its canvas goes to the
// simulator's real-time room and the cloud mix is published to the room's push address.
#include "support/LiveWindowE2E.h"

#include "shell/LiveControl.h"
#include "shell/LiveModeDialog.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using Access = LiveMainWindowTestAccess;

class tst_LiveControlE2E : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void roomBroadcastLifecycle();
    void coHostRoomStartsAfterTheHandshake();

private:
    // Picks a room in the real room dialog and waits until the window has taken the choice.
    bool chooseRoom(qint64 roomId);
    void clickLiveButton() { m_e2e.clickLiveButton(); }
    bool choosePopupRow(const char* title) { return m_e2e.choosePopupRow(title); }
    qint64 recordedBytes(const QString& key) const;
    // The newest recording of `key` keeps growing past `bytes`.
    bool recordingGrows(const QString& key, qint64 bytes, int timeoutMs);
    // No recording of `key` grows for a while.
    bool recordingStill(const QString& key);
    LiveMainWindow::LiveState state() { return Access::liveControl(*m_window)->state(); }

    LiveWindowE2E m_e2e;
    RtmpServer& m_rtmp = m_e2e.rtmp;
    SimulatorProcess& m_sim = m_e2e.sim;
    std::unique_ptr<LiveMainWindow>& m_window = m_e2e.window;
};

void tst_LiveControlE2E::initTestCase()
{
    if (!LiveWindowE2E::hasDisplay())
        QSKIP("needs an X server");
    QVERIFY(m_e2e.start());
}

void tst_LiveControlE2E::cleanupTestCase()
{
    m_e2e.stop();
}

bool tst_LiveControlE2E::chooseRoom(qint64 roomId)
{
    return chooseRoomInDialog(*m_window, roomId);
}

qint64 tst_LiveControlE2E::recordedBytes(const QString& key) const
{
    const QString file = m_rtmp.recordingOf(key);
    return file.isEmpty() ? 0 : QFileInfo(file).size();
}

bool tst_LiveControlE2E::recordingGrows(const QString& key, qint64 bytes, int timeoutMs)
{
    return QTest::qWaitFor([&] { return recordedBytes(key) > bytes; }, timeoutMs);
}

bool tst_LiveControlE2E::recordingStill(const QString& key)
{
    // The output drains what its encoder still holds (about a second here) before it hangs up.
    QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired()) {
        const qint64 before = recordedBytes(key);
        const QString file = m_rtmp.recordingOf(key);
        QTest::qWait(1500);
        if (recordedBytes(key) == before && m_rtmp.recordingOf(key) == file)
            return true;
    }
    return false;
}

void tst_LiveControlE2E::roomBroadcastLifecycle()
{
    auto store = CDataCenter::getInstance();
    QVERIFY(chooseRoom(10086));
    QCOMPARE(store->pushServer, m_rtmp.url());
    QCOMPARE(store->pushKey, QString("sv10086"));

    // Start: the stream arrives at the room's key with H.264 video and AAC sound.
    clickLiveButton();
    QCOMPARE(state(), mainwin::LiveStateLive);
    QVERIFY2(recordingGrows("sv10086", 60000, 20000), "nothing recorded at sv10086");
    const QJsonArray streams = RtmpServer::probe(m_rtmp.url() + "/sv10086");
    QStringList codecs;
    for (const QJsonValue& s : streams)
        codecs << s.toObject().value("codec_name").toString();
    QVERIFY2(codecs.contains("h264") && codecs.contains("aac"), qPrintable(codecs.join(',')));
    QTRY_COMPARE_WITH_TIMEOUT(Access::liveTimeLabel(*m_window)->text() != "00:00:00", true, 30000);

    // Pause: the push ends, the clock stops.
    const QString firstRecording = m_rtmp.recordingOf("sv10086");
    QVERIFY(choosePopupRow("暂停直播"));
    QCOMPARE(state(), mainwin::LiveStatePaused);
    QVERIFY(recordingStill("sv10086"));

    // Resume: a new connection publishes again.
    clickLiveButton();
    QCOMPARE(state(), mainwin::LiveStateLive);
    QVERIFY(QTest::qWaitFor([&] { return m_rtmp.recordingOf("sv10086") != firstRecording; }, 15000));
    QVERIFY(recordingGrows("sv10086", 30000, 20000));

    // Stop: idle, nothing flows.
    QVERIFY(choosePopupRow("结束直播"));
    QCOMPARE(state(), mainwin::LiveStateIdle);
    QCOMPARE(formWidget<QPushButton>(*m_window, "live_mode_btn")->text(),
             QString::fromUtf8("选择\n开播方式"));
    QVERIFY(recordingStill("sv10086"));

    // Another room: its start goes to its own key.
    QVERIFY(chooseRoom(10088));
    QCOMPARE(store->pushKey, QString("sv10088"));
    const qint64 oldRoomBytes = recordedBytes("sv10086");
    clickLiveButton();
    QCOMPARE(state(), mainwin::LiveStateLive);
    QVERIFY2(recordingGrows("sv10088", 30000, 20000), "nothing recorded at sv10088");
    QCOMPARE(recordedBytes("sv10086"), oldRoomBytes);
    QVERIFY(choosePopupRow("结束直播"));
    QCOMPARE(state(), mainwin::LiveStateIdle);
}

void tst_LiveControlE2E::coHostRoomStartsAfterTheHandshake()
{
    QVERIFY(chooseRoom(10087));
    LiveControl* control = Access::liveControl(*m_window);
    QCOMPARE(control->coHostMode(), 1);
    // The room channel logs in and fetches the co-host token; the start then waits for the answer.
    QVERIFY(QTest::qWaitFor([&] { return !control->trtcLoginMessage().isEmpty(); }, 15000));
    clickLiveButton();
    QVERIFY(QTest::qWaitFor([&] { return state() == mainwin::LiveStateLive; }, 15000));
    QVERIFY(!control->startPending());
    QVERIFY(control->pushStream());
    const auto trtcStartSent = [&] {
        for (const QJsonValue& frame : m_sim.frames())
            if (frame.toObject().value("text").toString().contains("\"trtc_start\""))
                return true;
        return false;
    };
    QVERIFY(QTest::qWaitFor(trtcStartSent, 30000));
    // The host enters the real-time room, the cloud mix goes to the room's push address and the
    // canvas reaches the room frame by frame.
    const auto trtc = [&] { return m_sim.getJson("/_sim/trtc").toObject(); };
    const auto hostFrames = [&] {
        return trtc().value("frames").toObject().value("user_10001_10087").toObject().value("video").toInt();
    };
    QVERIFY(QTest::qWaitFor([&] { return !trtc().value("mixes").toArray().isEmpty(); }, 30000));
    const QJsonObject mix = trtc().value("mixes").toArray().at(0).toObject();
    QCOMPARE(mix.value("target").toObject().value("cdn").toArray().at(0).toObject().value("url").toString(),
             m_rtmp.url() + "/sv10087");
    QVERIFY(QTest::qWaitFor([&] { return hostFrames() >= 3; }, 30000));
    const int frames = hostFrames();
    QVERIFY(QTest::qWaitFor([&] { return hostFrames() > frames; }, 30000));
    QCOMPARE(state(), mainwin::LiveStateLive);
    QVERIFY(m_rtmp.recordingOf("sv10087").isEmpty()); // no RTMP push in a co-host room
    QVERIFY(choosePopupRow("结束直播"));
    QCOMPARE(state(), mainwin::LiveStateIdle);
    // The stop ends the publication and leaves the room.
    QVERIFY(QTest::qWaitFor(
        [&] {
            const QJsonObject s = trtc();
            return !s.value("mixes").toArray().at(0).toObject().value("running").toBool()
                   && !s.value("sessions").toArray().at(0).toObject().value("entered").toBool();
        },
        15000));
}

QTEST_MAIN(tst_LiveControlE2E)
#include "tst_LiveControlE2E.moc"
