// test-label: unit
#include "chat/ItemChatRecord.h"
#include "chat/RoomProtocol.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QtTest>

using namespace RoomProtocol;

namespace {
QJsonObject parse(const QString& text)
{
    QJsonParseError err;
    const QJsonDocument doc = QJsonDocument::fromJson(text.toUtf8(), &err);
    return err.error == QJsonParseError::NoError ? doc.object() : QJsonObject{{"PARSE_ERROR", err.errorString()}};
}
QJsonValue valueOf(const char* json) { return parse(QStringLiteral("{\"v\":%1}").arg(QLatin1String(json))).value("v"); }
} // namespace

class tst_RoomProtocol : public QObject
{
    Q_OBJECT
private slots:
    // The exact text of each message: key order and fixed values as the room expects them.
    void builtMessages_data()
    {
        QTest::addColumn<QString>("built");
        QTest::addColumn<QString>("expected");
        QTest::newRow("login") << loginMessage(9007199254740993LL, QByteArray("tok\0junk", 8))
                               << R"({"type":"login", "terminal":20,"room_id":"9007199254740993","jwt_token":"tok"})";
        QTest::newRow("pong") << pongMessage() << R"({"type":"pong"})";
        QTest::newRow("say speak") << sayTextMessage("hi", "", "", "")
                                   << R"({"type": "say","content" : {"msg_type": "speak","content" : {"content": "hi"}},"to_wechat_user_space_id": "","to_nick" : "","user_source" : ""})";
        QTest::newRow("say at with quote")
            << sayTextMessage("hi", "q", "42", "Ann")
            << R"({"type": "say","content" : {"msg_type": "at","content" : {"content": "hi","quote_content":"q"}},"to_wechat_user_space_id": "42","to_nick" : "Ann","user_source" : ""})";
        QTest::newRow("say picture")
            << sayPictureMessage("http://x/a.png")
            << R"({"image": "image","type" : "say","to_client_id" : "all","to_client_name" : "所有人","content" : {"msg_type": "image","content" : {"img_src": "http://x/a.png"}}})";
        QTest::newRow("mute on") << shutUpAllMessage(true) << R"({"type": "shut_up_all","is_shut_up_all" : "1"})";
        QTest::newRow("mute off") << shutUpAllMessage(false) << R"({"type": "shut_up_all","is_shut_up_all" : "0"})";
        QTest::newRow("online") << getOnlineListMessage() << R"({"type":"get_online_list"})";
        QTest::newRow("trtc online") << getTrtcOnlineListMessage() << R"({"type":"get_trtc_online_list"})";
        QTest::newRow("trtc login") << trtcLoginMessage(77, "t\"k")
                                    << "{\"type\":\"trtc_login\", \"terminal\":20,\"room_id\":\"77\",\"token\":\"t\\\"k\"}";
        QTest::newRow("trtc start") << trtcStartMessage() << R"({"type":"trtc_start"})";
        QTest::newRow("trtc agree") << trtcAgreeMessage(55)
                                    << R"({"type":"trtc_agree","wechat_user_space_id":55,"trtc_login_redirect_uri":"xxxxxxxx"})";
        QTest::newRow("trtc manage") << trtcManageMessage("close_sound", 55)
                                     << R"({"type":"trtc_manage","behavior":"close_sound","wechat_user_space_id":55})";
        QTest::newRow("trtc remove") << trtcRemoveMessage(55) << R"({"type":"trtc_remove","wechat_user_space_id":55})";
        QTest::newRow("admin common")
            << adminCommonStartMessage(77)
            << R"({"type":"admin_common","room_id":"77","detail":{"type":"live","action":"start"}})";
    }
    void builtMessages()
    {
        QFETCH(QString, built);
        QFETCH(QString, expected);
        QCOMPARE(built, expected);
        QVERIFY2(!parse(built).contains("PARSE_ERROR"), qPrintable(built));
    }

    // Whatever the host types arrives as valid JSON equal to what was typed.
    void textSurvivesEscaping_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("quote backslash newline %2") << QStringLiteral("a \"b\" \\ c\nd %2 %1 %%3");
        QTest::newRow("controls") << QString::fromUtf8("tab\tcr\rff\fbs\b nul") + QChar(0) + QChar(0x1f);
        QTest::newRow("cjk emoji") << QString::fromUtf8("你好 😀 \xe2\x80\xa8");
        QTest::newRow("json-looking") << QStringLiteral("\"},\"type\":\"top");
    }
    void textSurvivesEscaping()
    {
        QFETCH(QString, text);
        const QJsonObject say = parse(sayTextMessage(text, text, text, text));
        QVERIFY(!say.contains("PARSE_ERROR"));
        QCOMPARE(say.value("type").toString(), QStringLiteral("say"));
        const QJsonObject inner = say.value("content").toObject().value("content").toObject();
        QCOMPARE(inner.value("content").toString(), text);
        QCOMPARE(inner.value("quote_content").toString(), text);
        QCOMPARE(say.value("to_nick").toString(), text);
        QCOMPARE(say.value("to_wechat_user_space_id").toString(), text);
    }

    void topMessageFromRecord()
    {
        ItemChatRecord r;
        r.room_id = 5;
        r.id = "m1";
        r.msg_type = "speak";
        r.content.content = "  ";
        r.from_client_name = "A\"n";
        const QJsonObject pin = parse(topMessage(r));
        QCOMPARE(pin.value("is_top").toInt(), 1);
        QCOMPARE(pin.value("msg_info").toString(), QString(QChar(0x3000)));
        QCOMPARE(pin.value("from_client_name").toString(), QStringLiteral("A\"n"));
        QCOMPARE(pin.value("room_id").toString(), QStringLiteral("5"));
        r.top = true;
        r.msg_type = "image";
        r.content.img_src = "http://p/x.png";
        const QJsonObject unpin = parse(topMessage(r));
        QCOMPARE(unpin.value("is_top").toInt(), 2);
        QCOMPARE(unpin.value("msg_info").toString(), QStringLiteral("http://p/x.png"));
    }

    void fillTemplateIsOnePass()
    {
        QCOMPARE(fillTemplate("%1-%2", {"%2", "x"}), QStringLiteral("%2-x"));
        QCOMPARE(fillTemplate("%10|%1|%3", {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j"}),
                 QStringLiteral("j|a|c"));
        QCOMPARE(fillTemplate("%4 stays", {"a"}), QStringLiteral("%4 stays"));
    }

    void lenientId_data()
    {
        QTest::addColumn<QString>("json");
        QTest::addColumn<qint64>("expected");
        QTest::newRow("string") << "\"123\"" << qint64(123);
        QTest::newRow("number") << "123" << qint64(123);
        QTest::newRow("not a number") << "\"abc\"" << qint64(0);
        QTest::newRow("bool") << "true" << qint64(-1);
        QTest::newRow("null") << "null" << qint64(-1);
        QTest::newRow("object") << "{}" << qint64(-1);
        QTest::newRow("huge") << "1e300" << qint64(0);
        QTest::newRow("64-bit") << "\"9007199254740993\"" << qint64(9007199254740993LL);
    }
    void lenientId()
    {
        QFETCH(QString, json);
        QFETCH(qint64, expected);
        QCOMPARE(readLenientId(valueOf(qPrintable(json))), expected);
        QCOMPARE(readLenientId(QJsonObject().value("missing")), qint64(-1));
    }

    void readers()
    {
        QCOMPARE(readText(valueOf("5")), QString());
        QCOMPARE(readText(valueOf("\"5\"")), QStringLiteral("5"));
        QCOMPARE(readInteger(valueOf("\"5\"")), qint64(0));
        QCOMPARE(readInteger(valueOf("-7.9")), qint64(-7));
        QCOMPARE(readInteger(valueOf("-1e400")), qint64(0));
        QVERIFY(readSwitch(valueOf("\"1\"")));
        QVERIFY(readSwitch(valueOf("1")));
        QVERIFY(!readSwitch(valueOf("\"2\"")));
        QVERIFY(!readSwitch(valueOf("true")));
        QVERIFY(!readSwitch(valueOf("\"x\"")));
    }

    void framesThatAreNoObject()
    {
        QJsonObject out{{"stale", 1}};
        QVERIFY(parseFrame("[1,2]", &out));
        QVERIFY(out.isEmpty());
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression("^Error parsing JSON:"));
        QVERIFY(!parseFrame("{\"type\":", &out));
    }
};

QTEST_MAIN(tst_RoomProtocol)
#include "tst_RoomProtocol.moc"
