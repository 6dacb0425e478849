// test-label: integration
// The scene centre against the simulator: a co-host tile's microphone reaches the co-host as a
// room message, and an injected co-host's video, reported by the loopback room, is painted into
// its tile in the colour the simulator sends for it, and leaves it when the co-host stops sending.
#include "support/SimulatorProcess.h"

#include "chat/ChatWebSocketClient.h"
#include "cohost/ItemConnectMicWidget.h"
#include "cohost/SceneCenterWidget.h"
#include "cohost/SceneRemoteToolWidget.h"
#include "cohost/SceneRemoteWidget.h"
#include "cohost/TrtcManager.h"
#include "core/DataCenter.h"
#include "core/NetUtils.h"
#include "platform/TrtcLoopback.h"
#include "shell/LiveModeDialog.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>

namespace
{
constexpr int kWaitMs = 15000;
constexpr int kRoom = 1001;
constexpr int kId = 55;

bool near(QRgb a, QRgb b, int tolerance = 12)
{
    return qAbs(qRed(a) - qRed(b)) <= tolerance && qAbs(qGreen(a) - qGreen(b)) <= tolerance
           && qAbs(qBlue(a) - qBlue(b)) <= tolerance;
}

// The co-host id of a real-time user id, as the main window reads it (-1: not a co-host).
int coHostId(const char* userId)
{
    int id = -1, room = 0;
    return std::sscanf(userId, "wechat_%d_%d", &id, &room) == 2 ? id : -1;
}
} // namespace

class tst_SceneCenterLoopback : public QObject
{
    Q_OBJECT

    SimulatorProcess m_sim;
    QTemporaryDir m_dir;
    LoginInfo m_login;
    LiveRoomInfo m_room;
    QHash<int, ItemConnectMicWidget*> m_rows;

    QList<QJsonObject> manageFrames(int count)
    {
        [&] { QTRY_COMPARE_WITH_TIMEOUT(m_sim.framesOfType("trtc_manage").size(), count, kWaitMs); }();
        return m_sim.framesOfType("trtc_manage");
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(m_sim.start());
        CDataCenter::getInstance()->userDocRoot = m_dir.path();
        m_login.uid = 4242;
        m_login.wechat_user_space_id = 10001;
        m_login.token = "token-1";
        NetUtils::getInstance()->setLoginInfo(m_login);
        getChatWsClient()->connectToServer(
            QUrl(QString(m_sim.baseUrl()).replace("http://", "ws://") + "/ws/room"));
        QTRY_VERIFY_WITH_TIMEOUT(isChatWsConnected(), kWaitMs);
    }
    void cleanupTestCase() { destroyChatWsClient(); }

    void tileMicrophoneReachesTheCoHost()
    {
        QVERIFY(m_sim.clearLog());
        auto* row = new ItemConnectMicWidget(new TrtcMicUserInfo(kId, "Bob", QString(), QString()), false, true);
        m_rows.insert(kId, row);
        SceneCenterWidget strip;
        strip.setMicItemMap(&m_rows);
        strip.setRoomId(kRoom);
        QVERIFY(strip.addRemoteUser(row->userInfo()));
        strip.handleRemoteAudioAvailable(kId, true);
        QPushButton* mic = strip.remoteWidget(kId)->toolWidget()->findChild<QPushButton*>("mic_btn");
        mic->click();
        QVERIFY(!row->micOn());
        mic->click();
        QVERIFY(row->micOn());
        const QList<QJsonObject> frames = manageFrames(2);
        QCOMPARE(frames.at(0).value("behavior").toString(), QString("close_sound"));
        QCOMPARE(frames.at(1).value("behavior").toString(), QString("open_sound"));
        QCOMPARE(frames.at(0).value("wechat_user_space_id").toInt(), kId);
        delete m_rows.take(kId);
    }

    void injectedCoHostPaintsItsTile()
    {
        QVERIFY(m_sim.reset());
        QVERIFY(!m_sim.control("/_sim/rooms/set",
                               QJsonObject{{"rooms", QJsonArray{QJsonObject{{"app_id", "1001"},
                                                                            {"push_app_nick", "room"},
                                                                            {"live_type", 5},
                                                                            {"push_app_stream", "sv1001"}}}}})
                     .isNull());
        TrtcLoopback loopback;
        TrtcCloud* previous = setTRTCShareInstance(&loopback);
        {
            TrtcManager manager;
            manager.setUserInfo(&m_login);
            SceneCenterWidget strip;
            strip.setRoomId(kRoom);
            strip.resize(800, 140);
            strip.show();
            // The main window's routing of the room's reports.
            connect(&manager, &TrtcManager::sigUserVideoAvailable, &strip,
                    [&](const char* userId, bool on) { strip.handleRemoteVideoAvailable(coHostId(userId), on); });
            TrtcMicUserInfo user(kId, "Bob", QString(), QString());
            QVERIFY(strip.addRemoteUser(&user));
            SceneRemoteWidget* tile = strip.remoteWidget(kId);

            m_room.app_id = kRoom;
            m_room.live_type = 5;
            m_room.push_app_stream = "sv1001";
            manager.setLiveInfo(&m_room);
            manager.enterRoom(quint32(kRoom), "4242", 1, 20);
            QTRY_VERIFY_WITH_TIMEOUT(!manager.taskId().empty(), kWaitMs);

            const QString userId = QString::fromStdString(tile->userId());
            QCOMPARE(userId, QString("wechat_55_1001"));
            QVERIFY(!m_sim.control("/_sim/trtc/user", QJsonObject{{"room_id", kRoom},
                                                                  {"user_id", userId},
                                                                  {"video", true},
                                                                  {"audio", true}})
                         .isNull());
            QTRY_VERIFY_WITH_TIMEOUT(tile->videoAvailable(), kWaitMs);
            const QJsonArray rgb = m_sim.getJson("/_sim/trtc")
                                       .toObject()
                                       .value("rooms")
                                       .toObject()
                                       .value("1001")
                                       .toObject()
                                       .value(userId)
                                       .toObject()
                                       .value("colour")
                                       .toArray();
            const QRgb colour = qRgb(rgb.at(0).toInt(), rgb.at(1).toInt(), rgb.at(2).toInt());
            QTRY_VERIFY_WITH_TIMEOUT(near(tile->grab().toImage().pixel(150, 59), colour), kWaitMs);

            QVERIFY(!m_sim.control("/_sim/trtc/user", QJsonObject{{"room_id", kRoom},
                                                                  {"user_id", userId},
                                                                  {"video", false},
                                                                  {"audio", true}})
                         .isNull());
            QTRY_VERIFY_WITH_TIMEOUT(!tile->videoAvailable(), kWaitMs);
            QVERIFY(tile->videoView()->isHidden());
            QVERIFY(!near(tile->grab().toImage().pixel(150, 59), colour));
            manager.exitRoom();
        }
        setTRTCShareInstance(previous);
    }
};

QTEST_MAIN(tst_SceneCenterLoopback)
#include "tst_SceneCenterLoopback.moc"
