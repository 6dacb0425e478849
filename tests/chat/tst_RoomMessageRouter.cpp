// test-label: unit
#include "support/HeldRequest.h"

#include "chat/ChatWebSocketClient.h"
#include "chat/ImSDKManager.h"
#include "chat/RoomMessageRouter.h"
#include "chat/RoomProtocol.h"
#include "core/LoginInfo.h"
#include "core/ServiceConstants.h"

#include <QJsonDocument>
#include <QThread>
#include <QtTest>

namespace {
constexpr int kHost = 321;

QString frame(const char* json) { return QString::fromUtf8(json); }

// Records what the router hands to the window, one line per call.
struct Window {
    QStringList calls;
    QList<ItemChatRecord> rows;
    QString pinnedId;
    bool chatList = true;
    int sideTab = 0;
    int onlineTab = 0;
    QList<qint64> coHostRows;

    void wire(RoomMessageRouter& r)
    {
        auto& h = r.hooks;
        h.addItemChatRecord = [this](ItemChatRecord& rec, bool wss) {
            rows.append(rec);
            calls << QStringLiteral("row %1 %2").arg(rec.id).arg(wss);
        };
        h.setPinnedMessage = [this](const ItemChatRecord& rec, bool on) {
            pinnedId = on ? rec.id : QString();
            calls << QStringLiteral("pin %1 %2").arg(rec.id).arg(on);
        };
        h.pinnedMessageId = [this] { return pinnedId; };
        h.setMuteAllState = [this](bool on) { calls << QStringLiteral("mute %1").arg(on); };
        h.removeChatRow = [this](const QString& id, int seq) { calls << QStringLiteral("delete %1 %2").arg(id).arg(seq); };
        h.chatListExists = [this] { return chatList; };
        h.currentSideTab = [this] { return sideTab; };
        h.addRemindMessage = [this](const QString& n, bool enter) { calls << QStringLiteral("notice %1 %2").arg(n).arg(enter); };
        h.selectedOnlineTab = [this] { return onlineTab; };
        h.onlineList = [this](int n, const QJsonObject& m) {
            calls << QStringLiteral("online %1 %2").arg(n).arg(m.value("data").toArray().size());
        };
        h.onlineCountChanged = [this](int n) { calls << QStringLiteral("count %1").arg(n); };
        h.onlineUserUp = [this](const QJsonObject& c) { calls << "up " + c.value("client_id").toString(); };
        h.onlineUserDown = [this](const QJsonObject& c) { calls << "down " + c.value("client_id").toString(); };
        h.reloadOnlineTab = [this] { calls << "reload"; };
        h.handleTrtcOnline = [this](QJsonObject& m) { calls << "trtc online " + m.value("type").toString(); };
        h.handleRTrtcLogin = [this](QJsonObject& m) { calls << QStringLiteral("r_trtc_login %1").arg(m.value("code").toInt()); };
        h.handleTrtcLogin = [this](qint64 id) { calls << QStringLiteral("cohost joined %1").arg(id); };
        h.handleTrtcRemove_1 = [this](qint64 id, bool erase) { calls << QStringLiteral("cohost removed %1 %2").arg(id).arg(erase); };
        h.handleTrtcApply = [this](qint64 id, const QString& n, const QString& p, const QString& t) {
            calls << QStringLiteral("apply %1 %2 %3 %4").arg(id).arg(n, p, t);
        };
        h.hasCoHostRow = [this](qint64 id) { return coHostRows.contains(id); };
        h.showFailureStatus = [this](const QString& t) { calls << "toast " + t; };
    }
};

using Request = HeldRequest;
} // namespace

class tst_RoomMessageRouter : public QObject
{
    Q_OBJECT

    LoginInfo m_login;
    RoomMessageRouter* m_router = nullptr;
    Window m_win;
    QStringList m_sent;
    QList<Request> m_requests;
    QStringList m_imRequests;

    void feed(const QString& f) { m_router->onWsTextMessage(f); }

private slots:
    void initTestCase()
    {
        // Any address the router falls back to stays on this machine.
        solvek::setServiceOverride(QStringLiteral("http://127.0.0.1:9"));
        m_login.wechat_user_space_id = kHost;
        m_login.token = "jwt";
        m_login.uid = 55;
        // The IM group's credential requests are only recorded here.
        ImSDKManager::getInstance()->setLoginInfo(&m_login);
        ImSDKManager::getInstance()->setTransport(
            [this](const QString&, const QString& body, RoomMessageRouter::JsonFn, RoomMessageRouter::ErrorFn) {
                m_imRequests << body;
            });
    }
    void init()
    {
        m_router = new RoomMessageRouter;
        m_win = Window();
        m_win.wire(*m_router);
        m_sent.clear();
        m_requests.clear();
        m_router->setLoginInfo(&m_login);
        m_router->setRoom(77, QStringLiteral("Room"), 0);
        m_router->setTransport(
            [this](const QString& url, RoomMessageRouter::JsonFn ok, RoomMessageRouter::ErrorFn fail) {
                m_requests.append({url, QString(), ok, fail});
            },
            [this](const QString& url, const QString& body, RoomMessageRouter::JsonFn ok,
                   RoomMessageRouter::ErrorFn fail) { m_requests.append({url, body, ok, fail}); },
            [this](const QString& m) { m_sent << m; });
    }
    void cleanup()
    {
        delete m_router;
        m_router = nullptr;
        destroyChatWsClient();
    }

    void pingIsAnswered()
    {
        feed(frame(R"({"type":"ping"})"));
        QCOMPARE(m_sent, QStringList{R"({"type":"pong"})"});
    }

    void framesThatMatchNothing_data()
    {
        QTest::addColumn<QString>("f");
        QTest::newRow("array") << R"([{"type":"ping"}])";
        QTest::newRow("empty object") << "{}";
        QTest::newRow("unknown type") << R"({"type":"PING"})";
        QTest::newRow("type not text") << R"({"type":1})";
        QTest::newRow("not json") << R"({"type":"ping")";
        QTest::newRow("r_to_buy") << R"({"type":"r_to_buy"})";
    }
    void framesThatMatchNothing()
    {
        QFETCH(QString, f);
        feed(f);
        QVERIFY(m_sent.isEmpty());
        QVERIFY(m_win.calls.isEmpty());
    }

    void viewerSayBecomesARecord()
    {
        feed(frame(R"({"type":"say","insert_id":"a1","wechat_user_space_id":5,"msg_type":"speak","content":{"content":"hi"}})"));
        QCOMPARE(m_win.calls, QStringList{"row a1 1"});
        QCOMPARE(m_win.rows.at(0).content.content, QStringLiteral("hi"));
        QVERIFY(m_router->incomingQueue().isEmpty());
    }

    // The echo of a pending own message only records the server id; anything else is a record.
    void ownEcho_data()
    {
        QTest::addColumn<QString>("pendingKey");
        QTest::addColumn<QString>("echo");
        QTest::addColumn<bool>("completes");
        QTest::newRow("text, id as number") << "hi %2"
            << R"({"type":"say","insert_id":"s9","wechat_user_space_id":321,"content":{"content":"hi %2"}})" << true;
        QTest::newRow("text, id as string") << "hi"
            << R"({"type":"say","insert_id":"s9","wechat_user_space_id":"321","content":{"content":"hi"}})" << true;
        QTest::newRow("picture key") << "http://p/a.png"
            << R"({"type":"say","insert_id":"s9","wechat_user_space_id":321,"content":{"img_src":"http://p/a.png","content":"x"}})" << true;
        QTest::newRow("no matching text") << "hi"
            << R"({"type":"say","insert_id":"s9","wechat_user_space_id":321,"content":{"content":"other"}})" << false;
        QTest::newRow("other sender, same text") << "hi"
            << R"({"type":"say","insert_id":"s9","wechat_user_space_id":322,"content":{"content":"hi"}})" << false;
        QTest::newRow("sender missing") << "hi"
            << R"({"type":"say","insert_id":"s9","content":{"content":"hi"}})" << false;
    }
    void ownEcho()
    {
        QFETCH(QString, pendingKey);
        QFETCH(QString, echo);
        QFETCH(bool, completes);
        const int seq = m_router->takeNextLocalSeq();
        m_router->addPendingOwnMessage(pendingKey, seq);
        feed(echo);
        QCOMPARE(m_win.rows.isEmpty(), completes);
        QCOMPARE(m_router->ownMessageServerId(seq), completes ? QStringLiteral("s9") : QString());
        // a second echo of the same text finds nothing pending and is shown
        if (completes) {
            feed(echo);
            QCOMPARE(m_win.rows.size(), 1);
        }
    }

    // An own message that went out waits for its echo only so long, and not past the end of its
    // connection; one given up is settled by a late echo all the same, never shown twice.
    void ownMessagesWithoutEchoAreGivenUp()
    {
        QList<int> failed;
        m_router->hooks.ownMessagesFailed = [&failed](int n) { failed << n; };
        m_router->setEchoTimeout(50);
        m_router->addPendingOwnMessage("sent", 1);
        m_router->ownMessageSent(1);
        m_router->addPendingOwnMessage("still checking", 2); // not sent yet: no bound runs
        QTRY_COMPARE(failed, QList<int>{1});
        QVERIFY(m_router->ownMessages().isGivenUp(1));
        QVERIFY(!m_router->ownMessages().isGivenUp(2));
        QVERIFY(m_router->ownMessages().isPending("still checking"));
        QTest::qWait(100);
        QCOMPARE(failed, QList<int>{1}); // told once
        feed(QStringLiteral(R"({"type":"say","insert_id":"s5","wechat_user_space_id":%1,"content":{"content":"sent"}})").arg(kHost));
        QVERIFY(m_win.rows.isEmpty());
        QCOMPARE(m_router->ownMessageServerId(1), QStringLiteral("s5"));
        QVERIFY(!m_router->ownMessages().isGivenUp(1));

        // The connection it went out on ends: given up at once, whatever the bound.
        m_router->setEchoTimeout(60000);
        m_router->addPendingOwnMessage("on the wire", 3);
        m_router->ownMessageSent(3);
        m_router->closeRoomChannel();
        QCOMPARE(failed, (QList<int>{1, 1}));
        QVERIFY(m_router->ownMessages().isGivenUp(3));
        m_router->initWss(QStringLiteral("ws://127.0.0.1:9/ws"));
        QCOMPARE(failed, (QList<int>{1, 1})); // nothing was out any more
    }

    void queueRefusesDuplicateIds()
    {
        ChatRecordQueue q;
        QVERIFY(q.enqueue(ItemChatRecord(QJsonObject{{"insert_id", "a"}})));
        QVERIFY(!q.enqueue(ItemChatRecord(QJsonObject{{"insert_id", "a"}, {"msg_type", "speak"}})));
        QVERIFY(q.enqueue(ItemChatRecord(QJsonObject{{"insert_id", "b"}})));
        QStringList order;
        q.drain([&](ItemChatRecord& r) { order << r.id; });
        QCOMPARE(order, (QStringList{"a", "b"}));
        QVERIFY(q.enqueue(ItemChatRecord(QJsonObject{{"insert_id", "a"}})));
    }

    // A frame handled while another is being shown is queued behind it, not lost or doubled.
    void nestedFrameDuringDrain()
    {
        bool nested = false;
        auto add = m_router->hooks.addItemChatRecord;
        m_router->hooks.addItemChatRecord = [&, add](ItemChatRecord& r, bool wss) {
            add(r, wss);
            if (!nested) {
                nested = true;
                feed(frame(R"({"type":"say","insert_id":"b","msg_type":"speak"})"));
                feed(frame(R"({"type":"say","insert_id":"b","msg_type":"speak"})"));
            }
        };
        feed(frame(R"({"type":"say","insert_id":"a","msg_type":"speak"})"));
        QCOMPARE(m_win.calls, (QStringList{"row a 1", "row b 1", "row b 1"}));
    }

    void pinsMuteAndDeletes_data()
    {
        QTest::addColumn<QStringList>("frames");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("pin with text 1") << QStringList{R"({"type":"top","msg_id":"m1","is_top":"1"})"}
                                         << QStringList{"pin m1 1"};
        QTest::newRow("number 1 unpins") << QStringList{R"({"type":"top","msg_id":"m1","is_top":1})"}
                                         << QStringList{"pin m1 0"};
        QTest::newRow("mute text 1") << QStringList{R"({"type":"shut_up_all","is_shut_up_all":"1"})"}
                                     << QStringList{"mute 1"};
        QTest::newRow("mute number 1 is off") << QStringList{R"({"type":"shut_up_all","is_shut_up_all":1})"}
                                              << QStringList{"mute 0"};
        QTest::newRow("delete clears the pin")
            << QStringList{R"({"type":"top","msg_id":"m1","is_top":"1"})", R"({"type":"row_delete","row_id":"m1"})"}
            << QStringList{"pin m1 1", "delete m1 -1", "pin  0"};
        QTest::newRow("delete of another row keeps the pin")
            << QStringList{R"({"type":"top","msg_id":"m1","is_top":"1"})", R"({"type":"row_delete","row_id":"m2"})"}
            << QStringList{"pin m1 1", "delete m2 -1"};
    }
    void pinsMuteAndDeletes()
    {
        QFETCH(QStringList, frames);
        QFETCH(QStringList, calls);
        for (const QString& f : frames)
            feed(f);
        QCOMPARE(m_win.calls, calls);
    }

    void deleteOfOwnMessageFindsItsRow()
    {
        const int seq = m_router->takeNextLocalSeq();
        m_router->addPendingOwnMessage("mine", seq);
        feed(frame(R"({"type":"say","insert_id":"s5","wechat_user_space_id":321,"content":{"content":"mine"}})"));
        feed(frame(R"({"type":"row_delete","row_id":"s5"})"));
        QCOMPARE(m_win.calls, QStringList{QStringLiteral("delete s5 %1").arg(seq)});
    }

    void presence_data()
    {
        QTest::addColumn<int>("sideTab");
        QTest::addColumn<bool>("chatList");
        QTest::addColumn<QString>("f");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QStringList>("sent");
        const QString trtcOnline = R"({"type":"get_trtc_online_list"})";
        QTest::newRow("enter on chat tab") << 0 << true << R"({"type":"login","client_name":"Ann","enter_msg_switch":"1","wechat_user_space_id":5})"
                                           << QStringList{"notice Ann 1"} << QStringList{};
        QTest::newRow("enter switch number") << 0 << true << R"({"type":"login","client_name":"Ann","enter_msg_switch":1})"
                                             << QStringList{"notice Ann 1"} << QStringList{};
        QTest::newRow("enter switched off") << 0 << true << R"({"type":"login","client_name":"Ann","enter_msg_switch":"0"})"
                                            << QStringList{} << QStringList{};
        QTest::newRow("enter without chat list") << 0 << false << R"({"type":"login","client_name":"Ann","enter_msg_switch":"1"})"
                                                 << QStringList{} << QStringList{};
        QTest::newRow("viewer enters while online tab shown") << 2 << true
            << R"({"type":"login","client_name":"Ann","enter_msg_switch":"1","wechat_user_space_id":5})"
            << QStringList{} << QStringList{};
        QTest::newRow("host's own login reloads online tab") << 2 << true
            << R"({"type":"login","client_name":"Me","enter_msg_switch":"1","wechat_user_space_id":"321"})"
            << QStringList{"reload"} << QStringList{};
        QTest::newRow("leave on any tab") << 2 << true << R"({"type":"logout","from_client_name":"Bo","leave_room_reminder":"1"})"
                                          << QStringList{"notice Bo 0"} << QStringList{trtcOnline};
        QTest::newRow("leave switched off") << 0 << true << R"({"type":"logout","from_client_name":"Bo","leave_room_reminder":0})"
                                            << QStringList{} << QStringList{trtcOnline};
        QTest::newRow("leave without chat list") << 0 << false << R"({"type":"logout","from_client_name":"Bo","leave_room_reminder":"1"})"
                                                 << QStringList{} << QStringList{trtcOnline};
    }
    void presence()
    {
        QFETCH(int, sideTab);
        QFETCH(bool, chatList);
        QFETCH(QString, f);
        QFETCH(QStringList, calls);
        QFETCH(QStringList, sent);
        m_win.sideTab = sideTab;
        m_win.chatList = chatList;
        feed(f);
        QCOMPARE(m_win.calls, calls);
        QCOMPARE(m_sent, sent);
    }

    void onlineUsers()
    {
        m_router->setOnlineDownDelay(30);
        feed(frame(R"({"type":"get_online_list","online_num":2,"data":[{"client_id":"c1"},{"client_id":"c2"}]})"));
        feed(frame(R"({"type":"upordown_single","online_num":3,"type_info":"up","client_info":{"client_id":"c3"}})"));
        feed(frame(R"({"type":"upordown_single","online_num":2,"type_info":"down","client_info":{"client_id":"c3"}})"));
        QCOMPARE(m_win.calls, (QStringList{"online 2 2", "count 3", "up c3", "count 2"}));
        QTRY_COMPARE_WITH_TIMEOUT(m_win.calls.size(), 5, 5000);
        QCOMPARE(m_win.calls.last(), QStringLiteral("down c3"));
        // another online tab is selected: not even the count changes
        m_win.calls.clear();
        m_win.onlineTab = 1;
        feed(frame(R"({"type":"upordown_single","online_num":9,"type_info":"up","client_info":{"client_id":"c9"}})"));
        QVERIFY(m_win.calls.isEmpty());
    }

    void coHostMessages_data()
    {
        QTest::addColumn<QString>("f");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("online list") << R"({"type":"get_trtc_online_list","data":[]})" << QStringList{"trtc online get_trtc_online_list"};
        QTest::newRow("r_trtc_login") << R"({"type":"r_trtc_login","code":400,"err_msg":"x"})" << QStringList{"r_trtc_login 400"};
        QTest::newRow("second_broad joins") << R"({"type":"trtc_login","data":{"trtc_identity":"second_broad","wechat_user_space_id":"55"}})"
                                            << QStringList{"cohost joined 55"};
        QTest::newRow("main_broad ignored") << R"({"type":"trtc_login","data":{"trtc_identity":"main_broad","wechat_user_space_id":55}})"
                                            << QStringList{};
        QTest::newRow("trtc_login data not object") << R"({"type":"trtc_login","data":"x"})" << QStringList{};
        QTest::newRow("remove") << R"({"type":"trtc_remove","wechat_user_space_id":55})" << QStringList{"cohost removed 55 1"};
        QTest::newRow("remove without id") << R"({"type":"trtc_remove"})" << QStringList{"cohost removed -1 1"};
        QTest::newRow("apply") << R"({"type":"trtc_apply","data":{"wechat_user_space_id":56,"name":"N","photo":"P","trtc_tag":"second_broad"}})"
                               << QStringList{"apply 56 N P second_broad"};
        QTest::newRow("apply data missing") << R"({"type":"trtc_apply"})" << QStringList{};
        QTest::newRow("agree refused, row exists") << R"({"type":"r_trtc_agree","code":0,"err_msg":"busy","err_data":{"wechat_user_space_id":"57"}})"
                                                   << QStringList{"toast busy", "cohost removed 57 1"};
        QTest::newRow("agree refused, no row") << R"({"type":"r_trtc_agree","code":0,"err_msg":"busy","err_data":{"wechat_user_space_id":58}})"
                                               << QStringList{"toast busy"};
        QTest::newRow("agree refused, err_data not object") << R"({"type":"r_trtc_agree","code":0,"err_msg":"busy","err_data":[57]})"
                                                            << QStringList{"toast busy"};
        QTest::newRow("code as text ignored") << R"({"type":"r_trtc_agree","code":"0","err_msg":"busy","err_data":{"wechat_user_space_id":57}})"
                                              << QStringList{};
        QTest::newRow("code 1 ignored") << R"({"type":"r_trtc_agree","code":1,"err_data":{"wechat_user_space_id":57}})" << QStringList{};
    }
    void coHostMessages()
    {
        QFETCH(QString, f);
        QFETCH(QStringList, calls);
        m_win.coHostRows = {57};
        feed(f);
        QCOMPARE(m_win.calls, calls);
    }

    void unwiredHooksAreSkipped()
    {
        m_router->hooks = RoomMessageRouter::Hooks();
        for (const char* f : {R"({"type":"say","insert_id":"a"})", R"({"type":"top","is_top":"1"})",
                              R"({"type":"row_delete","row_id":""})", R"({"type":"login"})", R"({"type":"logout"})",
                              R"({"type":"upordown_single","type_info":"up"})", R"({"type":"r_trtc_agree","code":0,"err_data":{}})",
                              R"({"type":"trtc_apply","data":{}})", R"({"type":"get_online_list"})"})
            feed(frame(f));
        QCOMPARE(m_sent, QStringList{R"({"type":"get_trtc_online_list"})"});
    }

    // The channel address: the account configuration's "live_wss", or the built-in default.
    void channelAddress_data()
    {
        QTest::addColumn<QJsonObject>("reply");
        QTest::addColumn<bool>("fails");
        QTest::addColumn<QString>("expected");
        const QString def = QStringLiteral("ws://127.0.0.1:9");
        QTest::newRow("given") << QJsonObject{{"data", QJsonObject{{"live_wss", "ws://127.0.0.1:9/ws/x"}}}} << false
                               << "ws://127.0.0.1:9/ws/x";
        QTest::newRow("empty") << QJsonObject{{"data", QJsonObject{{"live_wss", ""}}}} << false << def;
        QTest::newRow("not text") << QJsonObject{{"data", QJsonObject{{"live_wss", 5}}}} << false << def;
        QTest::newRow("no data") << QJsonObject{{"code", 200}} << false << def;
        QTest::newRow("request fails") << QJsonObject() << true << def;
    }
    void channelAddress()
    {
        QFETCH(QJsonObject, reply);
        QFETCH(bool, fails);
        QFETCH(QString, expected);
        m_router->connWss();
        QCOMPARE(m_requests.size(), 1);
        QCOMPARE(m_requests.at(0).url, QString(API_GET_ACCOUNT_CONFIG));
        if (fails)
            m_requests.at(0).fail("boom");
        else
            m_requests.at(0).ok(reply);
        QCOMPARE(getChatWsClient()->serverUrl().toString(), expected);
        QCOMPARE(m_router->loginMessage(), RoomProtocol::loginMessage(77, "jwt"));
    }

    // A lookup overtaken by a newer one, or by a custom push address, opens nothing.
    void staleAddressRepliesAreDropped()
    {
        m_router->connWss();
        m_router->closeRoomChannel();
        m_requests.at(0).ok(QJsonObject{{"data", QJsonObject{{"live_wss", "ws://127.0.0.1:9/a"}}}});
        ChatWebSocketClient* fresh = getChatWsClient();
        QVERIFY(fresh->serverUrl().isEmpty());
        destroyChatWsClient();

        m_router->connWss();
        m_router->connWss();
        m_requests.at(2).ok(QJsonObject{{"data", QJsonObject{{"live_wss", "ws://127.0.0.1:9/new"}}}});
        m_requests.at(1).ok(QJsonObject{{"data", QJsonObject{{"live_wss", "ws://127.0.0.1:9/old"}}}});
        QCOMPARE(getChatWsClient()->serverUrl().toString(), QStringLiteral("ws://127.0.0.1:9/new"));
    }

    void connectionLogsInStartsImAndAsksForCoHostToken()
    {
        m_router->setRoom(4294967297LL, QStringLiteral("连麦房"), 1);
        m_router->initWss(QStringLiteral("ws://127.0.0.1:9"));
        const std::shared_ptr<ImSDKManager> im = ImSDKManager::getInstance();
        m_imRequests.clear();
        m_router->onWsConnected();
        m_router->onWsConnected();
        // the IM group is started on every connection, with the room id cut to 32 bits
        const QString body = QStringLiteral("{\"uid\":55,\"roomId\":1}");
        QCOMPARE(m_imRequests, (QStringList{body, body}));
        QCOMPARE(im->roomId(), 1);
        QCOMPARE(QString::fromStdString(im->roomName()), QStringLiteral("连麦房"));
        const QString login = RoomProtocol::loginMessage(4294967297LL, "jwt");
        QCOMPARE(m_sent, (QStringList{login, login}));
        QCOMPARE(m_requests.size(), 2);
        QCOMPARE(m_requests.at(0).url, QString(API_GET_PUSHFLOW_WSTOKEN));
        QCOMPARE(m_requests.at(0).body, QStringLiteral("type=main_broad&room_id=4294967297"));

        QString prepared;
        m_router->hooks.trtcLoginPrepared = [&](const QString& m) { prepared = m; };
        m_requests.at(0).ok(QJsonObject{{"data", 12}});
        QVERIFY(m_router->preparedTrtcLogin().isEmpty());
        m_requests.at(1).ok(QJsonObject{{"data", "tk"}});
        QCOMPARE(m_router->wsToken(), QStringLiteral("tk"));
        QCOMPARE(m_router->preparedTrtcLogin(), RoomProtocol::trtcLoginMessage(4294967297LL, "tk"));
        QCOMPARE(prepared, m_router->preparedTrtcLogin());

        // outside a co-host room no token is asked for
        m_requests.clear();
        m_router->setRoom(78, QStringLiteral("Plain"), 0);
        m_router->onWsConnected();
        QVERIFY(m_requests.isEmpty());
    }

    // IM chat cards arrive on a thread of the SDK; the text is copied there and handled here.
    void imMessagesFromAnotherThread()
    {
        m_router->onWsConnected();
        SvV2TIMAdvancedMsgListener* listener = ImSDKManager::getInstance()->msgListener();
        QVERIFY(listener);
        QThread* sdk = QThread::create([listener] {
            QByteArray card(R"({"card_name":"x","insert_id":"im1","msg_type":"speak","content":{"content":"hey"}})");
            emit listener->sigReceiveNewMessage(card.constData());
            card.fill('#'); // the SDK reuses its buffer at once
            QByteArray junk("not json");
            emit listener->sigReceiveNewMessage(junk.constData());
        });
        sdk->start();
        QVERIFY(sdk->wait(5000));
        delete sdk;
        QTRY_COMPARE(m_win.rows.size(), 1);
        QCOMPARE(m_win.rows.at(0).id, QStringLiteral("im1"));
        QCOMPARE(m_win.rows.at(0).content.content, QStringLiteral("hey"));
        // a second connection keeps the one wiring: one card, one row
        m_router->onWsConnected();
        emit listener->sigReceiveNewMessage(R"({"insert_id":"im2"})");
        QTRY_COMPARE(m_win.rows.size(), 2);
        QCoreApplication::processEvents();
        QCOMPARE(m_win.rows.size(), 2);

        // a router that goes takes its wiring with it; cards already handed over are not delivered
        emit listener->sigReceiveNewMessage(R"({"insert_id":"im3"})");
        delete m_router;
        m_router = nullptr;
        QCoreApplication::processEvents();
        QCOMPARE(m_win.rows.size(), 2);
    }

    void imTextUpToFirstZeroByte()
    {
        static const char text[] = "{\"insert_id\":\"z\"}\0garbage";
        m_router->handleImSDKNewMessage(QByteArray(text, sizeof(text) - 1));
        m_router->handleImSDKNewMessage(QByteArray("[1]"));
        QCOMPARE(m_win.calls, QStringList{"row z 1"});
    }
};

QTEST_MAIN(tst_RoomMessageRouter)
#include "tst_RoomMessageRouter.moc"
