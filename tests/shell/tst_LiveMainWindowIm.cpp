// test-label: integration
// test-timeout: 300
// The room's IM group through the loopback and the simulator: choosing a room joins its group and
// the group's chat cards become rows; cards of a room left behind stay out, before and after the
// new room's credentials; a burst of cards arrives whole; a reconnection of the room channel finds
// and joins the group again without a second sign-in; the window may go while cards stream in.
#include "support/ChatWindowTestCase.h"
#include "support/LiveMainWindowTestAccess.h"

#include "chat/ChatItemWidget.h"
#include "chat/ChatListWidget.h"
#include "chat/MessageLabel.h"
#include "shell/LiveControl.h"
#include "widgets/ClickableLabel.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QListWidget>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QtTest>

using Access = LiveMainWindowTestAccess;

namespace
{
constexpr int kWait = 15000;
const char kCredentials[] = "/Mobile/Im/Login/wechatUser";

QJsonObject card(const QString& id, const QString& text)
{
    const QJsonObject chat{{"card_name", "chat"},
                           {"insert_id", id},
                           {"msg_type", "speak"},
                           {"wechat_user_space_id", 7},
                           {"from_client_name", QString::fromUtf8("观众")},
                           {"content", QJsonObject{{"content", text}}}};
    return QJsonObject{
        {"sender", "viewer_7"},
        {"elems",
         QJsonArray{QJsonObject{
             {"type", 2}, {"data", QString::fromUtf8(QJsonDocument(chat).toJson(QJsonDocument::Compact))}}}}};
}
} // namespace

class tst_LiveMainWindowIm : public ChatWindowTestCase
{
    Q_OBJECT


    QListWidget* list() { return Access::chat(*m_w)->list; }
    // Rows are made when they come into view; asking for one makes it (the header is no row).
    ChatItemWidget* row(int i) { return qobject_cast<ChatItemWidget*>(Access::chat(*m_w)->list->rowWidget(i)); }
    // The ids of the chat rows (the history header, when there is one, is no row).
    QStringList rowIds()
    {
        QStringList ids;
        for (int i = 0; i < list()->count(); ++i)
            if (ChatItemWidget* r = row(i))
                ids << r->bubble()->payload().value<ItemChatRecord>().id;
        return ids;
    }

    QJsonObject imState() { return m_sim.getJson("/_sim/im").toObject(); }
    // The IM ops of the simulator's log named `op` (all of them when empty).
    QList<QJsonObject> ops(const QString& op)
    {
        QList<QJsonObject> out;
        for (const QJsonValue& v : imState().value("ops").toArray())
            if (v.toObject().value("op").toString() == op)
                out << v.toObject();
        return out;
    }
    bool joined(const QString& group)
    {
        for (const QJsonValue& s : imState().value("sessions").toArray())
            if (s.toObject().value("joined").toArray().contains(group))
                return true;
        return false;
    }
    int push(const QString& group, const QJsonArray& messages)
    {
        return m_sim.control("/_sim/im/push", {{"group_id", group}, {"messages", messages}})
            .toObject()
            .value("delivered")
            .toInt(-1);
    }

    void choose(qint64 roomId, const QString& name)
    {
        LiveRoomInfo room;
        room.app_id = roomId;
        room.push_app_nick = name.toUtf8();
        Access::liveControl(*m_w)->choose(room);
    }
    // Chooses the room and waits until its IM group is joined.
    bool enterAndJoin(qint64 roomId)
    {
        choose(roomId, QStringLiteral("Room %1").arg(roomId));
        return QTest::qWaitFor([&] { return joined(QStringLiteral("room_%1").arg(roomId)); }, kWait);
    }

private slots:
    void roomJoinsItsGroupAndCardsBecomeRows()
    {
        QVERIFY(enterAndJoin(501));
        // the credentials were asked for with the host's uid and the room, as JSON text
        const QJsonArray asked = m_sim.requests(kCredentials);
        QCOMPARE(asked.size(), 1);
        QCOMPARE(QJsonDocument::fromJson(asked.at(0).toObject().value("body").toString().toUtf8()).object(),
                 (QJsonObject{{"uid", 4242}, {"roomId", 501}}));
        // the first room of the run signs in; then search by id and join
        const QList<QJsonObject> logins = ops("login");
        QCOMPARE(logins.size(), 1);
        QCOMPARE(logins.at(0).value("userId").toString(), QStringLiteral("host_4242"));
        QCOMPARE(logins.at(0).value("sdkAppId").toInt(), 1400000001);
        const QList<QJsonObject> searches = ops("searchGroups");
        QCOMPARE(searches.size(), 1);
        QCOMPARE(searches.at(0).value("keywords").toArray(), QJsonArray{"room_501"});
        QCOMPARE(searches.at(0).value("byGroupId").toBool(), true);
        QCOMPARE(ops("createGroup").size(), 0);
        QCOMPARE(ops("joinGroup").at(0).value("message").toString(), QString());

        QCOMPARE(push("room_501", {card("im-1", "来自群的卡片")}), 1);
        QTRY_COMPARE_WITH_TIMEOUT(rowIds(), QStringList{"im-1"}, kWait);
        ChatItemWidget* card = row(list()->count() - 1);
        QVERIFY(card);
        QCOMPARE(card->bubble()->payload().value<ItemChatRecord>().content.content,
                 QString::fromUtf8("来自群的卡片"));
    }

    // The old group stays joined; its cards must not become rows of the new room.
    void cardsOfTheRoomLeftBehindStayOut()
    {
        QVERIFY(enterAndJoin(501));
        // The new room's credentials come late: the old group's cards arrive in between.
        QVERIFY(m_sim.script(kCredentials, {QJsonObject{{"delay", 1.0}, {"passthrough", true}}}));
        choose(502, "Room B");
        QTRY_COMPARE_WITH_TIMEOUT(m_sim.requests(kCredentials).size(), 2, kWait);
        QCOMPARE(push("room_501", {card("old-1", "before the reply")}), 1);
        QTRY_VERIFY_WITH_TIMEOUT(joined("room_502"), kWait);
        QCOMPARE(push("room_501", {card("old-2", "after the reply")}), 1);
        QCOMPARE(push("room_502", {card("new-1", "this room")}), 1);
        // One channel, in order: once the new room's card is shown the old ones were handled.
        QTRY_VERIFY_WITH_TIMEOUT(rowIds().contains("new-1"), kWait);
        QCOMPARE(rowIds(), QStringList{"new-1"});
    }

    void aThousandCardsArriveIntact()
    {
        m_w->resize(1280, 800);
        QVERIFY(enterAndJoin(501));
        QJsonArray messages;
        for (int i = 1; i <= 1000; ++i)
            messages.append(
                card(QStringLiteral("b%1").arg(i), QStringLiteral("card %1 ").arg(i).repeated(8)));
        QCOMPARE(push("room_501", messages), 1000);
        QTRY_COMPARE_WITH_TIMEOUT(rowIds().size(), 1000, 60000);
        QStringList expected;
        for (int i = 1; i <= 1000; ++i)
            expected << QStringLiteral("b%1").arg(i);
        QCOMPARE(rowIds(), expected);
        ChatItemWidget* last = row(list()->count() - 1);
        QVERIFY(last);
        QCOMPARE(last->bubble()->payload().value<ItemChatRecord>().content.content,
                 QStringLiteral("card 1000 ").repeated(8));
    }

    // A reconnection of the room channel starts the group again: the host is still signed in.
    void reconnectionSearchesAndJoinsWithoutSigningInAgain()
    {
        QVERIFY(enterAndJoin(501));
        const int logins = ops("login").size();
        const int searches = ops("searchGroups").size();
        const int joins = ops("joinGroup").size();
        QVERIFY(m_fx.control("/_sim/room/close", {{"room_id", "501"}}));
        QTRY_COMPARE_WITH_TIMEOUT(ops("joinGroup").size(), joins + 1, kWait);
        QCOMPARE(ops("searchGroups").size(), searches + 1);
        QCOMPARE(ops("login").size(), logins);
        QCOMPARE(m_sim.requests(kCredentials).size(), 2);

        // A dropped IM channel signs in again on the next start.
        QVERIFY(m_fx.control("/_sim/im/close", {}));
        QTRY_VERIFY_WITH_TIMEOUT(!joined("room_501"), kWait);
        QVERIFY(m_fx.control("/_sim/room/close", {{"room_id", "501"}}));
        QTRY_VERIFY_WITH_TIMEOUT(joined("room_501"), kWait);
        QCOMPARE(ops("login").size(), logins + 1);
        QCOMPARE(push("room_501", {card("again", "x")}), 1);
        QTRY_COMPARE_WITH_TIMEOUT(rowIds(), QStringList{"again"}, kWait);
    }

    // Cards still streaming when the window goes are dropped; nothing reaches the dead window.
    void windowDestroyedWhileCardsStreamIn()
    {
        QVERIFY(enterAndJoin(501));
        QJsonArray messages;
        for (int i = 1; i <= 3000; ++i)
            messages.append(card(QStringLiteral("s%1").arg(i), "stream"));
        QNetworkAccessManager net;
        QNetworkRequest request(QUrl(m_sim.baseUrl() + "/_sim/im/push"));
        request.setHeader(QNetworkRequest::ContentTypeHeader, "application/json");
        QNetworkReply* reply = net.post(
            request, QJsonDocument(QJsonObject{{"group_id", "room_501"}, {"messages", messages}}).toJson());
        QTRY_VERIFY_WITH_TIMEOUT(list()->count() > 0, kWait);
        m_fx.close();
        m_w = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT(reply->isFinished(), 60000);
        delete reply;
        QCoreApplication::processEvents();

        // The next window takes the group's cards as its own again.
        QVERIFY(m_fx.open());
        m_w = m_fx.w;
        QVERIFY(enterAndJoin(501));
        QCOMPARE(push("room_501", {card("after", "x")}), 1);
        QTRY_VERIFY_WITH_TIMEOUT(rowIds().contains("after"), kWait);
    }
};

QTEST_MAIN(tst_LiveMainWindowIm)
#include "tst_LiveMainWindowIm.moc"
