// test-label: unit
#include "chat/ItemChatRecord.h"
#include "core/LoginInfo.h"

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

namespace {
QJsonObject obj(const QString& json) { return QJsonDocument::fromJson(json.toUtf8()).object(); }

QString field(const ItemChatRecord& r, const QString& name)
{
    if (name == "id") return r.id;
    if (name == "space") return r.wechat_user_space_id;
    if (name == "time") return QString::number(r.time);
    if (name == "user_type") return QString::number(r.user_type);
    if (name == "msg_audit") return QString::number(r.msg_audit);
    if (name == "content") return r.content.content;
    if (name == "img_src") return r.content.img_src;
    if (name == "quote") return r.content.quote_content;
    if (name == "gift_num") return r.content.gift_num;
    if (name == "top") return r.top ? "true" : "false";
    if (name == "shield") return r.is_shield ? "true" : "false";
    if (name == "local_seq") return QString::number(r.local_seq);
    if (name == "name") return r.from_client_name;
    if (name == "tags") return QString::number(r.tags.size());
    return "?";
}
} // namespace

class tst_ItemChatRecord : public QObject
{
    Q_OBJECT
private slots:
    void readChatObject_data()
    {
        QTest::addColumn<QString>("json");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("expected");
        QTest::newRow("id wins even when no string") << R"({"id":5,"insert_id":"a1"})" << "id" << "";
        QTest::newRow("insert_id") << R"({"insert_id":"a1","msg_id":"m"})" << "id" << "a1";
        QTest::newRow("msg_id") << R"({"msg_id":"m9"})" << "id" << "m9";
        QTest::newRow("space id number") << R"({"wechat_user_space_id":42})" << "space" << "42";
        QTest::newRow("space id missing") << R"({})" << "space" << "0";
        QTest::newRow("space id text") << R"({"wechat_user_space_id":"007"})" << "space" << "007";
        QTest::newRow("space id huge") << R"({"wechat_user_space_id":1e300})" << "space" << "0";
        QTest::newRow("time as text") << R"({"time":"15"})" << "time" << "15";
        QTest::newRow("time as number") << R"({"time":1700000000})" << "time" << "1700000000";
        QTest::newRow("time as bool") << R"({"time":true})" << "time" << "0";
        QTest::newRow("time as garbage") << R"({"time":"15x"})" << "time" << "0";
        QTest::newRow("user_type as text") << R"({"user_type":"1"})" << "user_type" << "0";
        QTest::newRow("msg_audit number") << R"({"msg_audit":2})" << "msg_audit" << "2";
        QTest::newRow("gift_num as number") << R"({"content":{"gift_num":3}})" << "gift_num" << "";
        QTest::newRow("content as JSON text") << "{\"content\":\"{\\\"content\\\":\\\"hi\\\"}\"}" << "content" << "hi";
        QTest::newRow("content empty object") << R"({"content":{}})" << "content" << "";
        QTest::newRow("content not JSON") << R"({"content":"plain"})" << "content" << "";
        QTest::newRow("content array") << R"({"content":[{"content":"x"}]})" << "content" << "";
        QTest::newRow("quote") << R"({"content":{"content":"a","quote_content":"q"}})" << "quote" << "q";
        QTest::newRow("top image takes msg_info as picture")
            << R"({"type":"top","msg_type":"image","msg_info":"u"})" << "img_src" << "u";
        QTest::newRow("top image is pinned") << R"({"type":"top","msg_type":"image","msg_info":"u"})" << "top" << "true";
        QTest::newRow("top text takes msg_info as text")
            << R"({"type":"top","msg_type":"speak","msg_info":"x","content":{"content":"y"}})" << "content" << "x";
        QTest::newRow("say is not pinned") << R"({"type":"say","msg_info":"x"})" << "top" << "false";
        QTest::newRow("shield only true") << R"({"is_shield":1})" << "shield" << "false";
        QTest::newRow("shield true") << R"({"is_shield":true})" << "shield" << "true";
        QTest::newRow("not own") << R"({"insert_id":"a"})" << "local_seq" << "-1";
        QTest::newRow("name number") << R"({"from_client_name":12})" << "name" << "";
        // Explicit bidirectional controls would reorder the rest of the row ("x\u202Egnp.exe" reads
        // "xexe.png"): they are dropped on reading, whatever the field.
        QTest::newRow("name with right-to-left override") << R"({"from_client_name":"x\u202Egnp.exe"})" << "name" << "xgnp.exe";
        QTest::newRow("text with embeddings and isolates")
            << R"({"content":{"content":"a\u202Bb\u202Cc\u2067d\u2069e\u202Af\u2066g\u2068h\u202Di"}})" << "content"
            << "abcdefghi";
        QTest::newRow("marks stay") << R"({"from_client_name":"a\u200Fb"})" << "name" << QString::fromUtf8("a\u200Fb");
        QTest::newRow("tags not a list") << R"({"tags":7})" << "tags" << "0";
    }
    void readChatObject()
    {
        QFETCH(QString, json);
        QFETCH(QString, field);
        QFETCH(QString, expected);
        QCOMPARE(::field(ItemChatRecord(obj(json)), field), expected);
    }

    void tagsAsTextEqualTagsAsArray()
    {
        const QJsonArray tags{QJsonObject{{"id", 3}, {"title", "VIP"}, {"color", "#f00"}}};
        const QString text = QString::fromUtf8(QJsonDocument(tags).toJson(QJsonDocument::Compact));
        const ItemChatRecord fromArray(QJsonObject{{"tags", tags}});
        const ItemChatRecord fromText(QJsonObject{{"tags", text}});
        QCOMPARE(fromArray.tags.size(), 1);
        QCOMPARE(fromText.tags.size(), 1);
        for (const ItemChatRecord* r : {&fromArray, &fromText}) {
            QCOMPARE(r->tags.at(0).id, 3);
            QCOMPARE(r->tags.at(0).title, QStringLiteral("VIP"));
            QCOMPARE(r->tags.at(0).color, QStringLiteral("#f00"));
        }
    }

    void tagListSkipsWhatIsNoTag()
    {
        QTest::ignoreMessage(QtDebugMsg, "JSON data is not an array");
        QVERIFY(ItemChatRecord::readUserTagList(QJsonValue(QStringLiteral("{}"))).isEmpty());
        QTest::ignoreMessage(QtDebugMsg, "Invalid JSON object in array");
        const auto list = ItemChatRecord::readUserTagList(QJsonArray{1, QJsonObject{{"id", 2}}});
        QCOMPARE(list.size(), 1);
        QCOMPARE(list.at(0).id, 2);
    }

    void parseUserTagListKeepsEveryElement()
    {
        const QList<UserTag> tags = parseUserTagList(QJsonArray{1, QJsonObject{{"id", 2}}});
        QCOMPARE(tags.size(), 2);
        QCOMPARE(tags.at(0).id, 0);
        QCOMPARE(tags.at(1).id, 2);
        QVERIFY(tags.at(1).title.isEmpty() && tags.at(1).color.isEmpty());
        QVERIFY(parseUserTagList(QJsonValue(QStringLiteral("[{\"id\":1}]"))).isEmpty());
    }

    void historyPageSkipsNonObjects()
    {
        const QJsonObject reply = obj(R"({"data":[{"insert_id":"a"},7,{"insert_id":"b"}]})");
        QTest::ignoreMessage(QtDebugMsg, "Invalid JSON object in array");
        const ChatRecordsList page(reply, 88);
        QCOMPARE(page.size(), 2);
        QCOMPARE(page.at(0).id, QStringLiteral("a"));
        QCOMPARE(page.at(1).id, QStringLiteral("b"));
        QCOMPARE(page.at(1).room_id, qint64(88));
        QVERIFY(ChatRecordsList(obj(R"({"data":{}})"), 1).isEmpty());
    }

    void ownRecord()
    {
        QTemporaryDir dir;
        QImage img(80, 40, QImage::Format_ARGB32);
        img.fill(Qt::red);
        const QString avatarFile = dir.filePath("temp.jpeg");
        QVERIFY(img.save(avatarFile, "PNG"));
        LoginInfo login;
        login.wechat_user_space_id = 321;
        login.name = "主播";
        login.photo = "http://p/h.png";
        const QString say = R"({"type": "say","content" : {"msg_type": "at","content" : {"content": "hi","quote_content":"q"}},"to_wechat_user_space_id": "9","to_nick" : "Ann","user_source" : ""})";
        const ItemChatRecord r(login, 4, R"([{"id":1,"title":"t","color":"c"}])", say, avatarFile);
        QCOMPARE(r.local_seq, 4);
        QCOMPARE(r.id, QString(QChar(0x00FF)));
        QCOMPARE(r.wechat_user_space_id, QStringLiteral("321"));
        QCOMPARE(r.from_client_name, QStringLiteral("主播"));
        QCOMPARE(r.client_photo, QStringLiteral("http://p/h.png"));
        QCOMPARE(r.user_type, 1);
        QCOMPARE(r.master_txt, QStringLiteral("管理员"));
        QCOMPARE(r.msg_type, QStringLiteral("at"));
        QCOMPARE(r.content.content, QStringLiteral("hi"));
        QCOMPARE(r.content.quote_content, QStringLiteral("q"));
        QCOMPARE(r.to_nick, QStringLiteral("Ann"));
        QVERIFY(r.to_wechat_user_space_id.isEmpty());
        QCOMPARE(r.tags.size(), 1);
        QCOMPARE(r.avatar.size(), QSize(36, 36));
        const ItemChatRecord noTags(login, 5, QString(), QStringLiteral("not json"));
        QVERIFY(noTags.tags.isEmpty());
        QVERIFY(noTags.msg_type.isEmpty());
        QVERIFY(noTags.avatar.isNull());
    }

    // Room data names the photo; only web addresses are ever fetched, and reading never opens
    // anything (a FIFO would block the reader for good).
    void photoAddressesThatAreNotFetched_data()
    {
        QTest::addColumn<QString>("photo");
        QTest::addColumn<bool>("web");
        QTest::newRow("absolute path") << "/etc/passwd" << false;
        QTest::newRow("file url") << "file:///x" << false;
        QTest::newRow("resource") << ":/images/live/load_failed.png" << false;
        QTest::newRow("data url") << "data:image/png;base64,AAAA" << false;
        QTest::newRow("http without host") << "http:/etc/passwd" << false;
        QTest::newRow("ftp") << "ftp://h/x.png" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("http") << "http://h/a.png" << true;
        QTest::newRow("https upper") << "HTTPS://h/a.png" << true;
    }
    void photoAddressesThatAreNotFetched()
    {
        QFETCH(QString, photo);
        QFETCH(bool, web);
        const ItemChatRecord r(QJsonObject{{"client_photo", photo}});
        QCOMPARE(r.client_photo, photo);
        QVERIFY(r.avatar.isNull());
        QCOMPARE(!r.avatarUrl().isEmpty(), web);
    }
    void fifoPhotoDoesNotBlock()
    {
        QTemporaryDir dir;
        const QString fifo = dir.filePath("photo");
        QCOMPARE(mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
        const ItemChatRecord r(QJsonObject{{"client_photo", fifo}, {"insert_id", "f"}});
        QVERIFY(r.avatar.isNull());
        QVERIFY(r.avatarUrl().isEmpty());
    }

    void roundAvatarShape()
    {
        QPixmap src(100, 50);
        src.fill(Qt::blue);
        const QImage out = ItemChatRecord::roundAvatar(src).toImage();
        QCOMPARE(out.size(), QSize(36, 36));
        QCOMPARE(qAlpha(out.pixel(0, 0)), 0);
        QCOMPARE(out.pixelColor(18, 18), QColor(Qt::blue));
        QVERIFY(ItemChatRecord::roundAvatar(QPixmap()).isNull());
    }

    void displayText()
    {
        QCOMPARE(chatDisplayText(" \n\t"), QString(QChar(0x3000)));
        QCOMPARE(chatDisplayText(" a "), QStringLiteral(" a "));
    }

    void copiesAreWhole()
    {
        ItemChatRecord a(obj(R"({"insert_id":"x","content":{"content":"c"},"tags":[{"id":1}]})"));
        a.avatar = QPixmap(4, 4);
        const ItemChatRecord b = a;
        QCOMPARE(b.id, a.id);
        QCOMPARE(b.content.content, QStringLiteral("c"));
        QCOMPARE(b.tags.size(), 1);
        QCOMPARE(b.avatar.size(), QSize(4, 4));
        const QVariant v = QVariant::fromValue(a);
        QCOMPARE(v.value<ItemChatRecord>().id, QStringLiteral("x"));
    }
};

QTEST_MAIN(tst_ItemChatRecord)
#include "tst_ItemChatRecord.moc"
