// test-label: integration
// The IM loopback against the simulator: sign-in with the issued signature and a wrong one, the
// group operations and their refusals, pushed messages with their group and elements delivered
// once per listener, every callback on the worker thread, a dropped or unreachable channel.
#include "support/SimulatorProcess.h"

#include "platform/ImLoopback.h"

#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QThread>
#include <QtTest>

#include <mutex>

namespace
{
constexpr int kWait = 10000;
constexpr uint32_t kAppId = 1400000001;

// Records every answer: "ok", "ok <value>" or "error <code>", and the threads they came on.
struct Answers : V2TIMCallback, V2TIMValueCallback<V2TIMString>, V2TIMValueCallback<TXV2TIMGroupInfoVector> {
    mutable std::mutex mutex;
    QStringList items;
    QList<QThread*> threads;

    void add(const QString& item)
    {
        std::lock_guard<std::mutex> lock(mutex);
        items << item;
        threads << QThread::currentThread();
    }
    QStringList all() const
    {
        std::lock_guard<std::mutex> lock(mutex);
        return items;
    }
    void OnSuccess() override { add("ok"); }
    void OnSuccess(const V2TIMString& value) override { add(QStringLiteral("ok ") + value.CString()); }
    void OnSuccess(const TXV2TIMGroupInfoVector& groups) override
    {
        QStringList ids;
        for (size_t i = 0; i < groups.Size(); ++i)
            ids << groups[i].groupID.CString();
        add("found [" + ids.join(',') + "]");
    }
    void OnError(int code, const V2TIMString&) override { add(QStringLiteral("error %1").arg(code)); }
};

struct Messages : V2TIMAdvancedMsgListener {
    mutable std::mutex mutex;
    QStringList items;
    QThread* thread = nullptr;
    void OnRecvNewMessage(const V2TIMMessage& m) override
    {
        QStringList elems;
        for (size_t i = 0; i < m.elemList.Size(); ++i) {
            const V2TIMElem* e = m.elemList[i];
            if (e->elemType == V2TIM_ELEM_TYPE_TEXT)
                elems << QStringLiteral("text:") + static_cast<const V2TIMTextElem*>(e)->text.CString();
            else if (e->elemType == V2TIM_ELEM_TYPE_CUSTOM) {
                const V2TIMBuffer& b = static_cast<const V2TIMCustomElem*>(e)->data;
                elems << "custom:" +
                             QString::fromUtf8(reinterpret_cast<const char*>(b.Data()), int(b.Size()));
            } else
                elems << QStringLiteral("type%1").arg(e->elemType);
        }
        std::lock_guard<std::mutex> lock(mutex);
        items << QStringLiteral("%1 from %2: %3")
                     .arg(m.groupID.CString(), m.sender.CString(), elems.join(" | "));
        thread = QThread::currentThread();
    }
    QStringList all() const
    {
        std::lock_guard<std::mutex> lock(mutex);
        return items;
    }
};
} // namespace

class tst_ImLoopback : public QObject
{
    Q_OBJECT

    SimulatorProcess m_sim;

    // The room's credentials as the service issues them.
    QJsonObject credentials(int uid, int roomId)
    {
        QNetworkAccessManager net;
        QNetworkRequest request(QUrl(m_sim.baseUrl() + "/Mobile/Im/Login/wechatUser"));
        request.setRawHeader("openapitoken", "t");
        QNetworkReply* reply =
            net.post(request, QStringLiteral("{\"uid\":%1,\"roomId\":%2}").arg(uid).arg(roomId).toUtf8());
        if (!QTest::qWaitFor([reply] { return reply->isFinished(); }, kWait))
            return QJsonObject();
        reply->deleteLater();
        return QJsonDocument::fromJson(reply->readAll()).object().value("data").toObject();
    }

private slots:
    void initTestCase() { QVERIFY(m_sim.start()); }
    void init() { QVERIFY(m_sim.reset()); }

    void signInGroupsAndMessages()
    {
        const QJsonObject c = credentials(9, 31);
        QCOMPARE(c.value("imGroupId").toString(), QStringLiteral("room_31"));
        QCOMPARE(c.value("imUserId").toString(), QStringLiteral("host_9"));
        QCOMPARE(c.value("imSdkAppId").toInt(), int(kAppId));
        const std::string user = c.value("imUserId").toString().toStdString();
        const std::string sig = c.value("sig").toString().toStdString();

        ImLoopback sdk(m_sim.baseUrl());
        V2TIMSDKConfig config;
        QVERIFY(!sdk.InitSDK(0, config));
        QVERIFY(sdk.InitSDK(kAppId, config));
        QCOMPARE(sdk.GetLoginStatus(), V2TIM_STATUS_LOGOUT);
        QVERIFY(!sdk.workerRunning()); // InitSDK is local

        Answers a;
        sdk.Login(V2TIMString(user), V2TIMString("forged"), &a);
        QTRY_COMPARE_WITH_TIMEOUT(a.all(), QStringList{"error 70003"}, kWait);
        QCOMPARE(sdk.GetLoginStatus(), V2TIM_STATUS_LOGOUT);
        sdk.Login(V2TIMString(user), V2TIMString(sig), &a);
        QTRY_COMPARE_WITH_TIMEOUT(a.all().size(), 2, kWait);
        QCOMPARE(a.all().last(), QStringLiteral("ok"));
        QCOMPARE(sdk.GetLoginStatus(), V2TIM_STATUS_LOGINED);

        Messages m;
        sdk.GetMessageManager()->AddAdvancedMsgListener(&m);
        sdk.GetMessageManager()->AddAdvancedMsgListener(&m);

        // A missing group is found as none and cannot be joined; creating an existing one fails.
        V2TIMGroupSearchParam byId;
        byId.keywordList.PushBack("g-new");
        byId.isSearchGroupID = true;
        sdk.GetGroupManager()->SearchGroups(byId, &a);
        sdk.JoinGroup("g-new", "", &a);
        sdk.CreateGroup("AVChatRoom", "g-new", "g-new", &a);
        sdk.CreateGroup("AVChatRoom", "g-new", "g-new", &a);
        sdk.GetGroupManager()->SearchGroups(byId, &a);
        sdk.JoinGroup("g-new", "", &a);
        sdk.JoinGroup("room_31", "", &a); // made with the room's credentials
        QTRY_COMPARE_WITH_TIMEOUT(a.all().size(), 9, kWait);
        QCOMPARE(a.all().mid(2), (QStringList{"found []", "error 10010", "ok g-new", "error 10021",
                                              "found [g-new]", "ok", "ok"}));
        QVERIFY(sdk.workerThread());
        for (QThread* t : qAsConst(a.threads))
            QCOMPARE(t, sdk.workerThread());

        const QJsonObject pushed =
            m_sim
                .control("/_sim/im/push",
                         {{"group_id", "g-new"},
                          {"sender", "viewer_1"},
                          {"elems", QJsonArray{QJsonObject{{"type", 1}, {"text", "hello"}},
                                               QJsonObject{{"type", 2}, {"data", R"({"card_name":"x"})"}},
                                               QJsonObject{{"type", 2}, {"data_b64", "%%%"}},
                                               QJsonObject{{"type", 9}}}}})
                .toObject();
        QCOMPARE(pushed.value("delivered").toInt(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(m.all().size(), 1, kWait);
        QCOMPARE(m.all().first(),
                 QStringLiteral(
                     R"(g-new from viewer_1: text:hello | custom:{"card_name":"x"} | custom: | type9)"));
        QCOMPARE(m.thread, sdk.workerThread());

        // The simulator never saw the signature in its log.
        const QJsonArray ops = m_sim.getJson("/_sim/im").toObject().value("ops").toArray();
        QCOMPARE(ops.at(1).toObject().value("userId").toString(), QString::fromStdString(user));
        QCOMPARE(ops.at(1).toObject().value("sdkAppId").toInt(), int(kAppId));

        sdk.shutdown();
        QVERIFY(!sdk.workerRunning());
    }

    // A dropped channel means signed out; calls on a channel that cannot open fail.
    void droppedAndUnreachableChannels()
    {
        const QJsonObject c = credentials(9, 32);
        ImLoopback sdk(m_sim.baseUrl());
        QVERIFY(sdk.InitSDK(kAppId, V2TIMSDKConfig()));
        Answers a;
        sdk.Login(V2TIMString(c.value("imUserId").toString().toStdString()),
                  V2TIMString(c.value("sig").toString().toStdString()), &a);
        QTRY_COMPARE_WITH_TIMEOUT(sdk.GetLoginStatus(), V2TIM_STATUS_LOGINED, kWait);
        QVERIFY(m_sim.control("/_sim/im/close").toObject().value("ok").toBool());
        QTRY_COMPARE_WITH_TIMEOUT(sdk.GetLoginStatus(), V2TIM_STATUS_LOGOUT, kWait);
        sdk.JoinGroup("room_32", "", &a); // a new channel, not signed in
        QTRY_COMPARE_WITH_TIMEOUT(a.all(), (QStringList{"ok", "error 6014"}), kWait);

        ImLoopback nowhere(QStringLiteral("http://127.0.0.1:9"));
        QVERIFY(nowhere.InitSDK(kAppId, V2TIMSDKConfig()));
        Answers b;
        nowhere.Login("u", "s", &b);
        nowhere.JoinGroup("g", "", &b);
        QTRY_COMPARE_WITH_TIMEOUT(b.all(), (QStringList{"error -1", "error -1"}), kWait);
        QCOMPARE(nowhere.GetLoginStatus(), V2TIM_STATUS_LOGOUT);
    }
};

QTEST_MAIN(tst_ImLoopback)
#include "tst_ImLoopback.moc"
