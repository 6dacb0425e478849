// test-label: unit
// The two readers of a viewer record (room channel and user list), field by field, and the two
// list readers over "data".
#include "chat/ItemOnlineUserInfo.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QtTest>

namespace
{
constexpr qint64 kCurrentRoom = 555;

QJsonObject obj(const QString& json) { return QJsonDocument::fromJson(json.toUtf8()).object(); }

QString field(const ItemOnlineUserInfo& r, const QString& name)
{
    const auto b = [](bool v) { return QString(v ? "true" : "false"); };
    if (name == "num") return QString::number(r.client_id_num);
    if (name == "key") return r.client_id;
    if (name == "wus") return QString::number(r.wus_id);
    if (name == "room") return QString::number(r.room_id);
    if (name == "name") return r.client_name;
    if (name == "photo") return r.client_photo;
    if (name == "terminal") return r.terminal;
    if (name == "ip") return r.ip_location;
    if (name == "visit") return QString::number(r.last_visit_time);
    if (name == "shut_up") return b(r.is_shut_up);
    if (name == "forbid") return b(r.is_forbid);
    if (name == "shield") return b(r.is_shield);
    if (name == "assistant") return b(r.is_assistant);
    if (name == "admin") return b(r.is_admin);
    if (name == "type") return QString::number(r.list_type);
    if (name == "tags") {
        QStringList t;
        for (const UserTag& tag : r.tags)
            t << tag.title;
        return t.join(',');
    }
    return "?";
}
} // namespace

class tst_ItemOnlineUserInfo : public QObject
{
    Q_OBJECT
private slots:
    void roomChannelForm_data()
    {
        QTest::addColumn<QString>("json");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("expected");
        QTest::newRow("numeric id: number and key") << R"({"client_id":7})" << "num" << "7";
        QTest::newRow("numeric id keyed by its decimal text") << R"({"client_id":7})" << "key" << "7";
        QTest::newRow("large numeric id keyed") << R"({"client_id":12345678901})" << "key" << "12345678901";
        QTest::newRow("large numeric id: no 32-bit number") << R"({"client_id":12345678901})" << "num" << "0";
        QTest::newRow("text id") << R"({"client_id":"ab"})" << "key" << "ab";
        QTest::newRow("text id: number 0") << R"({"client_id":"7"})" << "num" << "0";
        QTest::newRow("id of another type") << R"({"client_id":true})" << "key" << "";
        QTest::newRow("wus_id unknown text") << R"({"wus_id":"未知"})" << "wus" << "-1";
        QTest::newRow("wus_id text with unknown") << R"({"wus_id":"12未知"})" << "wus" << "-1";
        QTest::newRow("wus_id decimal text") << R"({"wus_id":"42"})" << "wus" << "42";
        QTest::newRow("wus_id text no number") << R"({"wus_id":"x"})" << "wus" << "0";
        QTest::newRow("wus_id number") << R"({"wus_id":42})" << "wus" << "42";
        QTest::newRow("wus_id absent") << R"({})" << "wus" << "-1";
        QTest::newRow("wus_id null") << R"({"wus_id":null})" << "wus" << "-1";
        QTest::newRow("room_id text") << R"({"room_id":"88"})" << "room" << "88";
        QTest::newRow("room_id number") << R"({"room_id":88})" << "room" << "88";
        QTest::newRow("room_id absent: current room") << R"({})" << "room" << "555";
        QTest::newRow("room_id unreadable text: current room") << R"({"room_id":"x"})" << "room" << "555";
        QTest::newRow("room_id of another type: current room") << R"({"room_id":[1]})" << "room" << "555";
        QTest::newRow("is_shield true") << R"({"is_shield":true})" << "shield" << "true";
        QTest::newRow("is_shield 1 is not true") << R"({"is_shield":1})" << "shield" << "false";
        QTest::newRow("is_shield text is not true") << R"({"is_shield":"true"})" << "shield" << "false";
        QTest::newRow("is_shut_up number") << R"({"is_shut_up":1})" << "shut_up" << "true";
        QTest::newRow("is_shut_up 0") << R"({"is_shut_up":0})" << "shut_up" << "false";
        QTest::newRow("is_shut_up text") << R"({"is_shut_up":"1"})" << "shut_up" << "false";
        QTest::newRow("is_forbid number") << R"({"is_forbid":2})" << "forbid" << "true";
        QTest::newRow("is_forbid text") << R"({"is_forbid":"1"})" << "forbid" << "false";
        QTest::newRow("is_admin true") << R"({"is_admin":true})" << "admin" << "true";
        QTest::newRow("is_assistant 1") << R"({"is_assistant":1})" << "assistant" << "false";
        QTest::newRow("name") << R"({"client_name":"Ann"})" << "name" << "Ann";
        QTest::newRow("name as number") << R"({"client_name":5})" << "name" << "";
        QTest::newRow("photo kept as address") << R"({"client_photo":"/etc/hosts"})" << "photo" << "/etc/hosts";
        QTest::newRow("tags") << R"({"tags":[{"id":1,"title":"VIP","color":"#f00"}]})" << "tags" << "VIP";
        QTest::newRow("list type") << R"({})" << "type" << "0";
    }
    void roomChannelForm()
    {
        QFETCH(QString, json);
        QFETCH(QString, field);
        QFETCH(QString, expected);
        QCOMPARE(::field(ItemOnlineUserInfo::fromRoomChannel(obj(json), kCurrentRoom), field), expected);
    }

    void userListForm_data()
    {
        QTest::addColumn<QString>("json");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("expected");
        QTest::newRow("id") << R"({"id":7})" << "num" << "7";
        QTest::newRow("no key") << R"({"id":7})" << "key" << "";
        QTest::newRow("space id text") << R"({"wechat_user_space_id":"42"})" << "wus" << "42";
        QTest::newRow("space id text no number") << R"({"wechat_user_space_id":"未知"})" << "wus" << "0";
        QTest::newRow("space id number") << R"({"wechat_user_space_id":43})" << "wus" << "43";
        QTest::newRow("space id absent") << R"({})" << "wus" << "-1";
        QTest::newRow("space id bool") << R"({"wechat_user_space_id":true})" << "wus" << "-1";
        QTest::newRow("shut_up number 1") << R"({"shut_up":1})" << "shut_up" << "true";
        QTest::newRow("shut_up text 1") << R"({"shut_up":"1"})" << "shut_up" << "false";
        QTest::newRow("shut_up 2") << R"({"shut_up":2})" << "shut_up" << "false";
        QTest::newRow("forbid text 1") << R"({"forbid":"1"})" << "forbid" << "true";
        QTest::newRow("forbid number 1") << R"({"forbid":1})" << "forbid" << "false";
        QTest::newRow("shield text 1") << R"({"shield":"1"})" << "shield" << "true";
        QTest::newRow("shield true") << R"({"shield":true})" << "shield" << "false";
        QTest::newRow("name") << R"({"name":"Bob"})" << "name" << "Bob";
        QTest::newRow("device") << R"({"device":"H5"})" << "terminal" << "H5";
        QTest::newRow("area") << R"({"area":"北京"})" << "ip" << "北京";
        QTest::newRow("photo") << R"({"photo":"http://x/p.png"})" << "photo" << "http://x/p.png";
        QTest::newRow("visit") << R"({"last_visit_time":1700000000})" << "visit" << "1700000000";
        QTest::newRow("given room") << R"({"room_id":"9"})" << "room" << "66";
        QTest::newRow("given list type") << R"({})" << "type" << "2";
        QTest::newRow("admin never") << R"({"is_admin":true})" << "admin" << "false";
    }
    void userListForm()
    {
        QFETCH(QString, json);
        QFETCH(QString, field);
        QFETCH(QString, expected);
        QCOMPARE(::field(ItemOnlineUserInfo::fromUserList(obj(json), ItemOnlineUserInfo::Blocked, 66), field),
                 expected);
    }

    // Entries in order; a non-object entry is an empty record (-1 space id); no array, no entries.
    void listReaders()
    {
        const QJsonObject online = obj(R"({"data":[{"client_id":"a","client_name":"A"},5,{"client_id":2}]})");
        const QList<ItemOnlineUserInfo> users = parseOnlineUsers(online, kCurrentRoom);
        QCOMPARE(users.size(), 3);
        QCOMPARE(users.at(0).client_name, QStringLiteral("A"));
        QCOMPARE(users.at(1).client_id, QString());
        QCOMPARE(users.at(1).client_name, QString());
        QCOMPARE(users.at(1).wus_id, -1);
        QCOMPARE(users.at(1).room_id, kCurrentRoom);
        QCOMPARE(users.at(2).client_id, QStringLiteral("2"));

        const QJsonObject page = obj(R"({"code":200,"data":[{"name":"B","wechat_user_space_id":"8"},"x"]})");
        const QList<ItemOnlineUserInfo> listed = parseUserListPage(page, ItemOnlineUserInfo::Muted, 12);
        QCOMPARE(listed.size(), 2);
        QCOMPARE(listed.at(0).wus_id, 8);
        QCOMPARE(listed.at(0).list_type, int(ItemOnlineUserInfo::Muted));
        QCOMPARE(listed.at(1).wus_id, -1);
        QCOMPARE(listed.at(1).room_id, qint64(12));

        for (const char* json : {R"({})", R"({"data":{}})", R"({"data":"[]"})", R"({"data":null})"}) {
            QVERIFY2(parseOnlineUsers(obj(json), 1).isEmpty(), json);
            QVERIFY2(parseUserListPage(obj(json), 1, 1).isEmpty(), json);
        }
    }
};

QTEST_APPLESS_MAIN(tst_ItemOnlineUserInfo)
#include "tst_ItemOnlineUserInfo.moc"
