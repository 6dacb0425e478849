// test-label: unit
// The IM group manager against a recording SDK: the credential request, the step chain from the
// reply to the join, the chat-card filter of the message listener, and the room's group kept to
// the room currently chosen.
#include "support/FakeImSdk.h"
#include "support/HeldRequest.h"

#include "chat/ImSDKManager.h"
#include "core/LoginInfo.h"
#include "core/ServiceConstants.h"

#include <QJsonDocument>
#include <QtTest>

namespace
{

using Request = HeldRequest;

QStringList g_log;
void captureLog(QtMsgType, const QMessageLogContext&, const QString& msg)
{
    g_log << msg;
}

QJsonObject credentials(const char* group = "room_7")
{
    return QJsonObject{{"code", 200},
                       {"data", QJsonObject{{"imSdkAppId", 1400000001},
                                            {"imGroupId", group},
                                            {"sig", "sig-x"},
                                            {"imUserId", "host_4242"}}}};
}

using Elems = QList<FakeImSdk::Elem>;
} // namespace

Q_DECLARE_METATYPE(Elems)

class tst_ImSDKManager : public QObject
{
    Q_OBJECT

    LoginInfo m_login;
    FakeImSdk* m_sdk = nullptr;
    QList<Request> m_requests;
    QList<QByteArray> m_cards;
    QMetaObject::Connection m_cardConnection;

    std::shared_ptr<ImSDKManager> im() { return ImSDKManager::getInstance(); }

    // Starts the room and answers its credential request with `reply`.
    void startRoom(int roomId, const QJsonObject& reply)
    {
        im()->InitSdk("room", roomId);
        QVERIFY(!m_requests.isEmpty());
        m_requests.takeLast().ok(reply);
    }

private slots:
    void initTestCase()
    {
        m_login.uid = 4242;
        im()->setLoginInfo(&m_login);
        im()->setLoginInfo(nullptr); // ignored
        QCOMPARE(im()->loginInfo(), &m_login);
        qInstallMessageHandler(captureLog);
    }

    void init()
    {
        m_sdk = new FakeImSdk;
        m_requests.clear();
        m_cards.clear();
        g_log.clear();
        im()->setTransport([this](const QString& url, const QString& body, apitransport::JsonFn ok,
                                  apitransport::ErrorFn fail) {
            m_requests << Request{url, body, ok, fail};
        });
        // The first start makes the listener; a direct connection copies what it emits.
        im()->InitSdk("room", 0);
        m_requests.clear();
        m_cardConnection = connect(
            im()->msgListener(), &SvV2TIMAdvancedMsgListener::sigReceiveNewMessage, this,
            [this](const char* msg) { m_cards << QByteArray(msg); }, Qt::DirectConnection);
        m_sdk->clearCalls();
    }

    void cleanup()
    {
        disconnect(m_cardConnection);
        delete m_sdk;
        m_sdk = nullptr;
    }

    void cleanupTestCase() { im()->setTransport(nullptr); }

    // Every start asks again; the listeners are added on every start and registered once.
    void credentialRequestOnEveryStart()
    {
        im()->InitSdk("直播间", int(qint32(4294967297LL)));
        im()->InitSdk("直播间", 1);
        QCOMPARE(m_requests.size(), 2);
        QCOMPARE(m_requests.at(0).url, QString(API_GET_IMSDK_LOGININFO));
        QCOMPARE(m_requests.at(0).body, QStringLiteral("{\"uid\":4242,\"roomId\":1}"));
        QCOMPARE(im()->roomId(), 1);
        QCOMPARE(QString::fromStdString(im()->roomName()), QStringLiteral("直播间"));
        QCOMPARE(m_sdk->sdkListenerCount(), 1);
        QCOMPARE(m_sdk->msgListenerCount(), 1);
        QVERIFY(m_sdk->calls().isEmpty()); // nothing reaches the SDK before the reply

        m_requests.at(0).fail("refused");
        QVERIFY(g_log.contains("API_GET_IMSDK_LOGININFO error"));
        QVERIFY(m_sdk->calls().isEmpty());
    }

    void chain_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("failing"); // call name=code, comma-separated
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QStringList>("lines"); // must appear in the log, in order

        const QByteArray reply = QJsonDocument(credentials()).toJson();
        const QString init = "InitSDK 1400000001", status = "GetLoginStatus", login = "Login host_4242 sig-x",
                      search = "SearchGroups room_7 byId", create = "CreateGroup AVChatRoom room_7 room_7",
                      join = "JoinGroup room_7 ''";
        QTest::newRow("logged out: login, search (none found), join, no create")
            << 3 << "" << reply << QStringList{init, status, login, search, join}
            << QStringList{"SvV2TIMCommonCallBack onSuccess", "Login success", "SearchGroup success",
                           "SvV2TIMCommonCallBack onSuccess", "JoinGroup success"};
        QTest::newRow("search error: create, then join")
            << 3 << "SearchGroups=10010" << reply << QStringList{init, status, login, search, create, join}
            << QStringList{"SvV2TIMCommonCallBack OnError", "error_message:search failed",
                           "SearchGroup OnError", "CreateGroup success;", "JoinGroup success"};
        QTest::newRow("create error: join anyway")
            << 3 << "SearchGroups=10010,CreateGroup=10021" << reply
            << QStringList{init, status, login, search, create, join}
            << QStringList{"CreateGroup OnError;", "JoinGroup success"};
        QTest::newRow("join error: logged only")
            << 3 << "JoinGroup=10010" << reply << QStringList{init, status, login, search, join}
            << QStringList{"JoinGroup OnError"};
        QTest::newRow("login error: stop") << 3 << "Login=70001" << reply << QStringList{init, status, login}
                                           << QStringList{"Login OnError"};
        QTest::newRow("logged in: straight to search")
            << 1 << "" << reply << QStringList{init, status, search, join}
            << QStringList{"SearchGroup success", "JoinGroup success"};
        QTest::newRow("application id as text: InitSDK(0), stop")
            << 3 << ""
            << QByteArray(
                   R"({"code":200,"data":{"imSdkAppId":"123","imGroupId":"room_7","sig":"s","imUserId":"u"}})")
            << QStringList{"InitSDK 0"} << QStringList{"TIMInit error"};
        QTest::newRow("no data: no SDK call")
            << 3 << "" << QByteArray(R"({"code":200,"msg":"ok"})") << QStringList() << QStringList();
    }

    void chain()
    {
        QFETCH(int, status);
        QFETCH(QString, failing);
        QFETCH(QByteArray, reply);
        QFETCH(QStringList, calls);
        QFETCH(QStringList, lines);
        m_sdk->loginStatus = V2TIMLoginStatus(status);
        for (const QString& f : failing.split(',', Qt::SkipEmptyParts))
            m_sdk->errors.insert(f.section('=', 0, 0), f.section('=', 1).toInt());
        g_log.clear();
        startRoom(7, QJsonDocument::fromJson(reply).object());
        QCOMPARE(m_sdk->calls(), calls);
        int from = 0;
        for (const QString& line : lines) {
            const int at = g_log.indexOf(line, from);
            QVERIFY2(at >= 0, qPrintable(line + " missing from: " + g_log.join(" | ")));
            from = at + 1;
        }
        QVERIFY(!g_log.join('\n').contains("sig-x")); // the signature never reaches the log
        if (!calls.isEmpty() && calls.first() != "InitSDK 0") {
            // The SDK logs through the manager's listener, with the level left out.
            QVERIFY(m_sdk->logListener());
            m_sdk->logListener()->OnLog(V2TIM_LOG_WARN, V2TIMString("socket closed"));
            QCOMPARE(g_log.last(), QStringLiteral("logContent:socket closed"));
        }
    }

    void filter_data()
    {
        QTest::addColumn<Elems>("elems");
        QTest::addColumn<QList<QByteArray>>("emitted");
        const QByteArray marker = "\"card_name\":";
        QTest::newRow("exactly the 12 marker bytes") << Elems{{2, marker}} << QList<QByteArray>{marker};
        QTest::newRow("11 bytes") << Elems{{2, marker.left(11)}} << QList<QByteArray>{};
        QTest::newRow("blank before the colon")
            << Elems{{2, R"({"card_name" :"x","id":1})"}} << QList<QByteArray>{};
        QTest::newRow("two marked elements, in order")
            << Elems{{2, R"({"card_name":"a"})"}, {1, "plain"}, {2, R"({"n":2,"card_name":"b"})"}}
            << QList<QByteArray>{R"({"card_name":"a"})", R"({"n":2,"card_name":"b"})"};
        QTest::newRow("a marked text element is only logged")
            << Elems{{1, R"({"card_name":"t"})"}} << QList<QByteArray>{};
        QTest::newRow("other element types ignored")
            << Elems{{5, R"({"card_name":"t"})"}} << QList<QByteArray>{};
    }

    void filter()
    {
        QFETCH(Elems, elems);
        QFETCH(QList<QByteArray>, emitted);
        startRoom(7, credentials());
        g_log.clear();
        m_sdk->deliver("room_7", elems);
        QCOMPARE(m_cards, emitted);
        QCOMPARE(g_log.first(), QStringLiteral("OnRecvNewMessage"));
        for (const FakeImSdk::Elem& e : elems) {
            if (e.type == 1)
                QVERIFY(g_log.contains("V2TIMMessage:" + QString::fromUtf8(e.bytes)));
            if (e.type == 2)
                QVERIFY(g_log.contains("V2TIM_ELEM_TYPE_CUSTOM V2TIMMessage:" + QString::fromUtf8(e.bytes)));
        }
    }

    // Groups of rooms chosen before stay joined: their cards must not become rows of the room
    // chosen now, neither before its own reply nor after; a late reply of the old room is dropped.
    void onlyTheCurrentRoomsGroupPasses()
    {
        const QByteArray card = R"({"card_name":"c"})";
        startRoom(7, credentials("room_7"));
        m_sdk->deliver("room_7", {{2, card}});
        QCOMPARE(m_cards.size(), 1);

        im()->InitSdk("seven again", 7); // a reconnection keeps the group
        QCOMPARE(QString::fromStdString(im()->groupId()), QStringLiteral("room_7"));
        im()->InitSdk("eight", 8);
        QVERIFY(im()->groupId().empty());
        m_sdk->deliver("room_7", {{2, card}});
        QCOMPARE(m_cards.size(), 1);

        m_sdk->clearCalls();
        m_requests.at(0).ok(credentials("room_7")); // the reconnection's reply, now stale
        QVERIFY(im()->groupId().empty());
        QVERIFY(m_sdk->calls().isEmpty());

        m_requests.at(1).ok(credentials("room_8"));
        QCOMPARE(QString::fromStdString(im()->groupId()), QStringLiteral("room_8"));
        m_sdk->deliver("room_7", {{2, card}});
        m_sdk->deliver("", {{2, card}});
        QCOMPARE(m_cards.size(), 1);
        m_sdk->deliver("room_8", {{2, card}});
        QCOMPARE(m_cards.size(), 2);
    }
};

QTEST_GUILESS_MAIN(tst_ImSDKManager)
#include "tst_ImSDKManager.moc"
