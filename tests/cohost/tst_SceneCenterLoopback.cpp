// test-label: integration
// The scene centre against the simulator: a co-host tile's microphone reaches the co-host as a
// room message, and an injected co-host's video, reported by the loopback room, is painted into
// its tile in the colour the simulator sends for it, and leaves it when the co-host stops sending.
#include "support/CoHostLoopbackTestCase.h"

#include "chat/ChatWebSocketClient.h"
#include "cohost/ItemConnectMicWidget.h"
#include "cohost/SceneCenterWidget.h"
#include "cohost/SceneRemoteToolWidget.h"
#include "cohost/SceneRemoteWidget.h"
#include "cohost/TrtcManager.h"
#include "shell/LiveModeDialog.h"

#include <QJsonArray>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace cohostloopback;

class tst_SceneCenterLoopback : public CoHostLoopbackTestCase
{
    Q_OBJECT

    QHash<int, ItemConnectMicWidget*> m_rows;

    QList<QJsonObject> manageFrames(int count)
    {
        [&] { QTRY_COMPARE_WITH_TIMEOUT(m_sim.framesOfType("trtc_manage").size(), count, kWaitMs); }();
        return m_sim.framesOfType("trtc_manage");
    }

private slots:
    void initTestCase()
    {
        CoHostLoopbackTestCase::initTestCase();
        getChatWsClient()->connectToServer(
            QUrl(QString(m_sim.baseUrl()).replace("http://", "ws://") + "/ws/room"));
        QTRY_VERIFY_WITH_TIMEOUT(isChatWsConnected(), kWaitMs);
    }
    void cleanupTestCase() { destroyChatWsClient(); }

    void tileMicrophoneReachesTheCoHost()
    {
        QVERIFY(m_sim.clearLog());
        auto* row =
            new ItemConnectMicWidget(new TrtcMicUserInfo(kId, "Bob", QString(), QString()), false, true);
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
        QVERIFY(setCoHostRoom(m_sim, kRoom, "sv1001"));
        {
            LoopbackStage stage(&m_login, kRoom, kId);
            SceneRemoteWidget* tile = stage.tile();
            QVERIFY(tile);
            QVERIFY(stage.enterPublished(m_room, "sv1001", kWaitMs));

            const QString userId = QString::fromStdString(tile->userId());
            QCOMPARE(userId, QString("wechat_55_1001"));
            QVERIFY(setRemoteUser(m_sim, kRoom, userId, true, true));
            QTRY_VERIFY_WITH_TIMEOUT(tile->videoAvailable(), kWaitMs);
            const QRgb colour = injectedColour(m_sim, kRoom, userId);
            QTRY_VERIFY_WITH_TIMEOUT(nearColour(tile->grab().toImage().pixel(150, 59), colour), kWaitMs);

            QVERIFY(setRemoteUser(m_sim, kRoom, userId, false, true));
            QTRY_VERIFY_WITH_TIMEOUT(!tile->videoAvailable(), kWaitMs);
            QVERIFY(tile->videoView()->isHidden());
            QVERIFY(!nearColour(tile->grab().toImage().pixel(150, 59), colour));
        }
    }
};

QTEST_MAIN(tst_SceneCenterLoopback)
#include "tst_SceneCenterLoopback.moc"
