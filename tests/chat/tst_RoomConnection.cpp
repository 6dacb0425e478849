// test-label: integration
// The room connection against the simulator: address lookup, login on every connection, the
// co-host token, and room traffic reaching the window's hooks.
#include "chat/ChatWebSocketClient.h"
#include "chat/RoomMessageRouter.h"
#include "chat/RoomProtocol.h"
#include "core/LoginInfo.h"
#include "core/NetUtils.h"
#include "core/ServiceConstants.h"
#include "support/SimulatorProcess.h"

#include <QJsonDocument>
#include <QtTest>

class tst_RoomConnection : public QObject
{
    Q_OBJECT
    SimulatorProcess m_sim;
    LoginInfo m_login;
    RoomMessageRouter* m_router = nullptr;
    QStringList m_calls;

    QList<QJsonObject> framesOfType(const QString& type) const { return m_sim.framesOfType(type); }
    bool control(const QString& path, const QJsonObject& body)
    {
        return m_sim.control(path, body).toObject().value("ok").toBool();
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_sim.start());
        setChatWsReconnectInterval(200);
        m_login.wechat_user_space_id = 10001;
        m_login.token = "jwt-token";
        NetUtils::getInstance()->setLoginInfo(m_login);
    }
    void init()
    {
        QVERIFY(m_sim.reset());
        QVERIFY(control("/_sim/room/config", {{"ping_interval", 0}}));
        QVERIFY(control("/_sim/room/host", {{"wechat_user_space_id", 10001}, {"name", "Host"}}));
        m_calls.clear();
        m_router = new RoomMessageRouter;
        m_router->setLoginInfo(&m_login);
        m_router->setRoom(77, QStringLiteral("Room 77"), 0);
        auto& h = m_router->hooks;
        h.addItemChatRecord = [this](ItemChatRecord& r, bool) { m_calls << "row " + r.from_client_name + ": " + r.content.content; };
        h.chatListExists = [] { return true; };
        h.currentSideTab = [] { return 0; };
        h.addRemindMessage = [this](const QString& n, bool enter) { m_calls << (enter ? "enter " : "leave ") + n; };
        h.handleRTrtcLogin = [this](QJsonObject& m) { m_calls << QStringLiteral("r_trtc_login %1").arg(m.value("code").toInt()); };
    }
    void cleanup()
    {
        delete m_router;
        destroyChatWsClient();
    }

    // The first connection and every reconnection send the same login.
    void logsInAgainAfterTheServerDrops()
    {
        m_router->connWss();
        QTRY_COMPARE_WITH_TIMEOUT(framesOfType("login").size(), 1, 10000);
        QVERIFY(getChatWsClient()->serverUrl().path() == QLatin1String("/ws/room"));
        const QJsonObject login = framesOfType("login").at(0);
        QCOMPARE(login.value("room_id").toString(), QStringLiteral("77"));
        QCOMPARE(login.value("jwt_token").toString(), QStringLiteral("jwt-token"));
        QCOMPARE(login.value("terminal").toInt(), 20);
        // the room changes its name on the window, the client keeps its login text
        m_router->setRoom(78, QStringLiteral("Room 78"), 0);
        QVERIFY(control("/_sim/room/close", {{"abort", true}}));
        QTRY_COMPARE_WITH_TIMEOUT(framesOfType("login").size(), 2, 10000);
        QCOMPARE(framesOfType("login").at(1), login);
        QVERIFY(m_sim.requests("/liveSystem/Account/getAccountConfig").size() == 1);
        const QJsonObject headers =
            m_sim.requests("/liveSystem/Account/getAccountConfig").at(0).toObject().value("headers").toObject();
        QString token;
        for (auto it = headers.begin(); it != headers.end(); ++it)
            if (it.key().compare("openapitoken", Qt::CaseInsensitive) == 0)
                token = it.value().toString();
        QCOMPARE(token, QStringLiteral("jwt-token"));
    }

    void emptyLiveWssUsesTheDefaultAddress()
    {
        QVERIFY(control("/_sim/room/config", {{"live_wss", ""}}));
        m_router->connWss();
        QTRY_COMPARE_WITH_TIMEOUT(framesOfType("login").size(), 1, 10000);
        QCOMPARE(getChatWsClient()->serverUrl().toString(), QString(WSS_DEFAULT_URL));
    }

    void roomTrafficReachesTheWindow()
    {
        m_router->connWss();
        QTRY_COMPARE_WITH_TIMEOUT(framesOfType("login").size(), 1, 10000);
        // ping -> pong
        QVERIFY(control("/_sim/room/push", {{"room_id", "77"}, {"frame", QJsonObject{{"type", "ping"}}}}));
        QTRY_COMPARE_WITH_TIMEOUT(framesOfType("pong").size(), 1, 10000);
        // a viewer enters, chats and leaves; leaving asks for the co-host list
        QVERIFY(control("/_sim/room/viewer/enter", {{"room_id", "77"}, {"wechat_user_space_id", 5}, {"name", "Ann"}}));
        QVERIFY(control("/_sim/room/viewer/say", {{"room_id", "77"}, {"wechat_user_space_id", 5}, {"text", "hello %2"}}));
        QVERIFY(control("/_sim/room/viewer/leave", {{"room_id", "77"}, {"wechat_user_space_id", 5}}));
        QTRY_COMPARE_WITH_TIMEOUT(m_calls, (QStringList{"enter Host", "enter Ann", "row Ann: hello %2", "leave Ann"}), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(framesOfType("get_trtc_online_list").size(), 1, 10000);
        // the host's own message: its echo only records the server id
        const int seq = m_router->takeNextLocalSeq();
        m_router->addPendingOwnMessage("mine \"quoted\"", seq);
        sendChatWsMessage(RoomProtocol::sayTextMessage("mine \"quoted\"", QString(), QString(), QString()));
        QTRY_VERIFY_WITH_TIMEOUT(!m_router->ownMessageServerId(seq).isEmpty(), 10000);
        QCOMPARE(m_calls.size(), 4);
    }

    void coHostRoomGetsItsTokenAndLogsInToTheLink()
    {
        m_router->setRoom(77, QStringLiteral("Room 77"), 1);
        m_router->connWss();
        QTRY_VERIFY_WITH_TIMEOUT(!m_router->preparedTrtcLogin().isEmpty(), 10000);
        const QJsonArray tokenRequests = m_sim.requests("/MiniProgram/PushFlow/setWsToken");
        QCOMPARE(tokenRequests.size(), 1);
        QCOMPARE(tokenRequests.at(0).toObject().value("body").toString(), QStringLiteral("type=main_broad&room_id=77"));
        sendChatWsMessage(m_router->preparedTrtcLogin());
        QTRY_VERIFY_WITH_TIMEOUT(m_calls.contains("r_trtc_login 200"), 10000);
        // a reconnection asks again
        QVERIFY(control("/_sim/room/close", {{"code", 1001}}));
        QTRY_COMPARE_WITH_TIMEOUT(m_sim.requests("/MiniProgram/PushFlow/setWsToken").size(), 2, 10000);
    }
};

QTEST_MAIN(tst_RoomConnection)
#include "tst_RoomConnection.moc"
