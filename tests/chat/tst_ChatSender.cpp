// test-label: unit
// The host's chat text on its way to the room, without widgets: the rules, the pending own
// messages, the sensitive words, the row index and the send road over a fake transport.
#include "support/HeldRequest.h"

#include "chat/ChatRowIndex.h"
#include "chat/ChatSender.h"
#include "chat/ItemChatRecord.h"
#include "chat/PendingOwnMessages.h"
#include "chat/SensitiveWords.h"
#include "core/LoginInfo.h"
#include "core/ServiceConstants.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QListWidgetItem>
#include <QUrlQuery>
#include <QtTest>

namespace {

using Request = HeldRequest;

QJsonObject json(const char* text) { return QJsonDocument::fromJson(QByteArray(text)).object(); }

// The form body's fields, decoded.
QMap<QString, QString> formOf(const QString& body)
{
    QMap<QString, QString> out;
    for (const QString& pair : body.split('&', Qt::SkipEmptyParts)) {
        const int eq = pair.indexOf('=');
        out.insert(QUrl::fromPercentEncoding(pair.left(eq).toUtf8()),
                   QUrl::fromPercentEncoding(pair.mid(eq + 1).toUtf8()));
    }
    return out;
}

} // namespace

class tst_ChatSender : public QObject
{
    Q_OBJECT

    LoginInfo m_login;
    ChatSender* m_sender = nullptr;
    QList<Request> m_requests;
    QStringList m_sent;
    bool m_channelOpen = true;
    QStringList m_events; // "show N", "drop KEY N", "failed"

    Request takeRequest(const QString& url)
    {
        for (int i = 0; i < m_requests.size(); ++i)
            if (m_requests.at(i).url == url)
                return m_requests.takeAt(i);
        return Request();
    }
    int requestsTo(const QString& url) const
    {
        int n = 0;
        for (const Request& r : m_requests)
            n += r.url == url;
        return n;
    }
    static ChatSender::Draft draft(const QString& text, const QString& nick = QString(), const QString& id = QString(),
                                   const QString& quote = QString())
    {
        return ChatSender::Draft{text, nick, id, quote};
    }

private slots:
    void init()
    {
        m_login = LoginInfo();
        m_login.uid = 4242;
        m_login.wechat_user_space_id = 10001;
        m_login.client_type = 3;
        m_requests.clear();
        m_sent.clear();
        m_events.clear();
        m_channelOpen = true;
        m_sender = new ChatSender;
        m_sender->setLoginInfo(&m_login);
        m_sender->setRoomId(77);
        m_sender->setTransport(
            [this](const QString& url, ChatSender::JsonFn ok, ChatSender::ErrorFn fail) {
                m_requests.append({url, QString(), ok, fail});
            },
            [this](const QString& url, const QString& body, ChatSender::JsonFn ok, ChatSender::ErrorFn fail) {
                m_requests.append({url, body, ok, fail});
            },
            [this](const QString& message) {
                if (m_channelOpen)
                    m_sent << message;
                return m_channelOpen;
            });
        int seq = 0;
        m_sender->hooks.showOwnMessage = [this, seq](const QString&) mutable {
            m_events << QStringLiteral("show %1").arg(++seq);
            return seq;
        };
        m_sender->hooks.ownMessageDropped = [this](const QString& key, int n) {
            m_events << QStringLiteral("drop %1 %2").arg(key).arg(n);
        };
        m_sender->hooks.sendFailed = [this] { m_events << "failed"; };
        m_sender->hooks.ownMessageSent = [this](const QString& key, int n) {
            m_events << QStringLiteral("sent %1 %2").arg(key).arg(n);
        };
    }
    void cleanup() { delete m_sender; }

    void stripMention_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("nick");
        QTest::addColumn<QString>("result");
        QTest::newRow("only the mention and a blank") << "@Ann " << "Ann" << "";
        QTest::newRow("word then mention") << "hi @Ann" << "Ann" << "hi";
        QTest::newRow("mention twice") << "@Ann a @Ann b" << "Ann" << "a  b";
        QTest::newRow("other case stays") << "@ann hi" << "Ann" << "@ann hi";
        QTest::newRow("no mention keeps at signs") << "a@b" << "" << "a@b";
        QTest::newRow("no mention, only an at sign") << " @ " << "" << "@";
        QTest::newRow("blank") << " \n\t" << "" << "";
    }
    void stripMention()
    {
        QFETCH(QString, text);
        QFETCH(QString, nick);
        QFETCH(QString, result);
        QCOMPARE(chatsend::stripMention(text, nick), result);
    }

    void smallRules()
    {
        QCOMPARE(chatsend::ownMessageKey(" hi "), QStringLiteral(" hi "));
        QCOMPARE(chatsend::ownMessageKey("  "), QString(QChar(0x3000)));
        QCOMPARE(chatsend::ownMessageKey("x", "http://p/a.png"), QStringLiteral("http://p/a.png"));
        QVERIFY(chatsend::precheckPasses(json(R"({"code":200,"data":{"pass":true}})")));
        for (const char* no : {R"({"data":{"pass":1}})", R"({"data":{"pass":"true"}})", R"({"data":{"pass":false}})",
                               R"({"data":{}})", R"({"data":[true]})", R"({})"})
            QVERIFY2(!chatsend::precheckPasses(json(no)), no);
        for (const char* shown : {"gift", "speak", "image", "at"})
            QVERIFY(chatsend::isShownMessageType(shown));
        for (const char* hidden : {"text", "", "Speak", "top"})
            QVERIFY(!chatsend::isShownMessageType(hidden));
        QVERIFY(chatsend::scrollsToBottom(true, true, 2));
        QVERIFY(chatsend::scrollsToBottom(true, false, 1));
        QVERIFY(!chatsend::scrollsToBottom(true, false, 2));
        QVERIFY(!chatsend::scrollsToBottom(false, true, 1));
    }

    // Identical texts are completed by their echoes in the order they were sent.
    void pendingOwnMessagesFirstInFirstOut()
    {
        PendingOwnMessages p;
        p.add("hi", 1);
        p.add("hi", 2);
        p.add("yo", 3);
        QCOMPARE(p.pendingCount(), 3);
        QCOMPARE(p.complete("hi", "s1"), 1);
        QCOMPARE(p.complete("hi", "s2"), 2);
        QCOMPARE(p.complete("hi", "s3"), -1);
        QCOMPARE(p.serverId(1), QStringLiteral("s1"));
        QCOMPARE(p.serverId(2), QStringLiteral("s2"));
        QCOMPARE(p.localSeqForServerId("s2"), 2);
        QVERIFY(!p.isPending("hi"));
        // a message that never goes out does not swallow the echo of a later identical one
        p.add("yo", 4);
        QVERIFY(p.cancel("yo", 3));
        QVERIFY(!p.cancel("yo", 3));
        QCOMPARE(p.complete("yo", "s4"), 4);
        QCOMPARE(p.serverId(3), QString());
        p.forgetServerId(4);
        QCOMPARE(p.localSeqForServerId("s4"), -1);
        QCOMPARE(p.pendingCount(), 0);
    }

    // Sent messages wait for their echo until given up; a late echo still settles them, and a
    // live identical text is completed before a given-up one.
    void pendingOwnMessagesGivenUp()
    {
        PendingOwnMessages p;
        p.add("a", 1);
        p.add("a", 2);
        p.add("b", 3);
        p.markSent(1, 100);
        p.markSent(3, 200);
        QCOMPARE(p.giveUp(150), (QList<QPair<QString, int>>{{"a", 1}}));
        QVERIFY(p.isGivenUp(1));
        QCOMPARE(p.pendingCount(), 2);
        QCOMPARE(p.giveUp(150), (QList<QPair<QString, int>>{}));
        QCOMPARE(p.complete("a", "s2"), 2);   // the one still pending first
        QCOMPARE(p.complete("a", "s1"), 1);   // then the late echo of the given-up one
        QVERIFY(!p.isGivenUp(1));
        QCOMPARE(p.complete("a", "s9"), -1);
        QVERIFY(p.cancel("b", 3));            // taken back: no longer given up later
        QCOMPARE(p.giveUp(1000), (QList<QPair<QString, int>>{}));
        QCOMPARE(p.localSeqForServerId("s1"), 1);
    }

    void sensitiveWords()
    {
        SensitiveWords w;
        w.appendFromReply(json(R"({"code":200,"data":{"list":["%E8%BF%9D%E7%A6%81","Bad",5,"","  ","50%","a%2Bb+c"]}})"));
        QCOMPARE(w.words(), (QStringList{QString::fromUtf8("违禁"), "Bad", "", "", "  ", "50%", "a+b+c"}));
        QCOMPARE(w.firstHit(QString::fromUtf8("这是违禁内容")), QString::fromUtf8("违禁"));
        QVERIFY(w.blocks("so Bad"));
        QVERIFY(!w.blocks("so bad"));       // case-sensitive
        QVERIFY(!w.blocks("plain text"));   // empty and blank words match nothing
        QVERIFY(w.blocks("100 50% off"));   // a lone "%" is kept as it is
        w.appendFromReply(json(R"({"data":{"list":"x"}})"));
        w.appendFromReply(json(R"({"data":[]})"));
        QCOMPARE(w.words().size(), 7);
    }

    void rowIndex()
    {
        ChatRowIndex index;
        QListWidgetItem a, b, c, d;
        ItemChatRecord viewer(json(R"({"insert_id":"m1"})"));
        ItemChatRecord own;
        own.local_seq = 4;
        index.file(viewer, &a);
        index.file(viewer, &b); // an id shown twice names both rows
        index.file(own, &c);
        index.file(own, &d);    // an own number keeps its first row
        QCOMPARE(index.itemForId("m1"), &b);
        QCOMPARE(index.itemForLocalSeq(4), &c);
        index.forgetItem(&c);
        QCOMPARE(index.ownCount(), 0);
        QCOMPARE(index.takeId("m1"), (QList<QListWidgetItem*>{&a, &b}));
        QVERIFY(index.takeId("m1").isEmpty());
        index.file(viewer, &a);
        index.file(viewer, &b);
        index.forgetItem(&a);
        QCOMPARE(index.itemsForId("m1"), QList<QListWidgetItem*>{&b});
        index.forgetItem(&b);
        QVERIFY(!index.hasId("m1"));
        index.file(viewer, &a);
        index.file(own, &d);
        index.clear();
        QVERIFY(index.isEmpty());
    }

    void passTrueSendsTheSayMessage_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("nick");
        QTest::addColumn<QString>("quote");
        QTest::addColumn<QString>("sentText");
        QTest::addColumn<QString>("msgType");
        QTest::newRow("plain") << " hello " << "" << "" << "hello" << "speak";
        QTest::newRow("mention stripped") << "@Ann hi" << "Ann" << "" << "hi" << "at";
        QTest::newRow("quote") << "yes" << "" << "Bob: q" << "yes" << "speak";
        QTest::newRow("form characters") << "a&b=c%d+e" << "" << "" << "a&b=c%d+e" << "speak";
    }
    void passTrueSendsTheSayMessage()
    {
        QFETCH(QString, text);
        QFETCH(QString, nick);
        QFETCH(QString, quote);
        QFETCH(QString, sentText);
        QFETCH(QString, msgType);
        QCOMPARE(m_sender->send(draft(text, nick, nick.isEmpty() ? QString() : "55", quote)),
                 ChatSender::Outcome::Checking);
        QCOMPARE(m_events, QStringList{"show 1"});
        Request check = takeRequest(API_POST_JUDGE_WORD);
        QVERIFY(check.ok);
        const auto form = formOf(check.body);
        QCOMPARE(form.keys(), (QStringList{"client_type", "content", "roomId", "uid"}));
        QCOMPARE(form.value("content"), sentText);
        QCOMPARE(form.value("roomId"), QStringLiteral("77"));
        QCOMPARE(form.value("uid"), QStringLiteral("4242"));
        QCOMPARE(form.value("client_type"), QStringLiteral("3"));
        QVERIFY(m_sent.isEmpty()); // nothing goes out before the pre-check answers
        check.ok(json(R"({"code":200,"data":{"pass":true}})"));
        QCOMPARE(m_sent.size(), 1);
        const QJsonObject say = QJsonDocument::fromJson(m_sent.at(0).toUtf8()).object();
        QCOMPARE(say.value("type").toString(), QStringLiteral("say"));
        const QJsonObject content = say.value("content").toObject();
        QCOMPARE(content.value("msg_type").toString(), msgType);
        QCOMPARE(content.value("content").toObject().value("content").toString(), sentText);
        QCOMPARE(content.value("content").toObject().contains("quote_content"), !quote.isEmpty());
        QCOMPARE(say.value("to_nick").toString(), nick);
        QCOMPARE(say.value("to_wechat_user_space_id").toString(), nick.isEmpty() ? QString() : "55");
        QCOMPARE(m_events, (QStringList{"show 1", "sent " + sentText + " 1"})); // its echo is awaited now
    }

    void whatStopsAMessage_data()
    {
        QTest::addColumn<QString>("reply"); // "" : the request fails
        QTest::addColumn<bool>("channelOpen");
        QTest::addColumn<QStringList>("events");
        QTest::newRow("pass 1 is no pass") << R"({"code":200,"data":{"pass":1}})" << true
                                           << QStringList{"show 1", "drop hi 1"};
        QTest::newRow("pass false") << R"({"code":200,"data":{"pass":false}})" << true
                                    << QStringList{"show 1", "drop hi 1"};
        QTest::newRow("request fails") << "" << true << QStringList{"show 1", "drop hi 1", "failed"};
        QTest::newRow("channel closed") << R"({"code":200,"data":{"pass":true}})" << false
                                        << QStringList{"show 1", "drop hi 1", "failed"};
    }
    void whatStopsAMessage()
    {
        QFETCH(QString, reply);
        QFETCH(bool, channelOpen);
        QFETCH(QStringList, events);
        m_channelOpen = channelOpen;
        m_sender->send(draft("hi"));
        Request check = takeRequest(API_POST_JUDGE_WORD);
        if (reply.isEmpty())
            check.fail("Internal Server Error");
        else
            check.ok(QJsonDocument::fromJson(reply.toUtf8()).object());
        QVERIFY(m_sent.isEmpty());
        QCOMPARE(m_events, events);
    }

    void sensitiveWordBlocksBeforeThePreCheck()
    {
        m_sender->sensitiveWords().setWords({"", "Bad"});
        QCOMPARE(m_sender->send(draft("so Bad")), ChatSender::Outcome::Blocked);
        QCOMPARE(requestsTo(API_POST_JUDGE_WORD), 0);
        QCOMPARE(m_events, (QStringList{"show 1", "drop so Bad 1"})); // silent: no "failed"
        QCOMPARE(m_sender->send(draft("so bad")), ChatSender::Outcome::Checking);
        QCOMPARE(requestsTo(API_POST_JUDGE_WORD), 1);
    }

    void emptyInputShowsNothing()
    {
        QCOMPARE(m_sender->send(draft("")), ChatSender::Outcome::EmptyInput);
        QCOMPARE(m_sender->send(draft("@Ann  ", "Ann")), ChatSender::Outcome::EmptyInput);
        QVERIFY(m_events.isEmpty());
        QVERIFY(m_requests.isEmpty());
    }

    // A pre-check answered after the host chose another room sends nothing to either room.
    void roomChangeDropsThePendingCheck()
    {
        m_sender->send(draft("hi"));
        Request check = takeRequest(API_POST_JUDGE_WORD);
        m_sender->setRoomId(78);
        check.ok(json(R"({"code":200,"data":{"pass":true}})"));
        QVERIFY(m_sent.isEmpty());
        QCOMPARE(m_events, (QStringList{"show 1", "drop hi 1", "failed"}));
        // the next message goes to the new room
        m_sender->send(draft("again"));
        QCOMPARE(formOf(takeRequest(API_POST_JUDGE_WORD).body).value("roomId"), QStringLiteral("78"));
    }

    void roomSetUp()
    {
        m_sender->sensitiveWords().setWords({"old"});
        m_sender->requestSensitiveWords();
        QVERIFY(m_sender->sensitiveWords().words().isEmpty()); // emptied at once
        Request words = takeRequest(API_GET_SENSITIVE_WORD_LIST);
        QCOMPARE(words.body, QString());
        words.ok(json(R"({"code":200,"data":{"list":["%E5%B9%BF%E5%91%8A"]}})"));
        QCOMPARE(m_sender->sensitiveWords().words(), QStringList{QString::fromUtf8("广告")});

        m_sender->getUserTagInfo();
        Request tags = takeRequest(API_POST_USER_TAG_INFO);
        QCOMPARE(formOf(tags.body), (QMap<QString, QString>{{"room_id", "77"}, {"wechat_user_space_id", "10001"},
                                                              {"uid", "4242"}}));
        tags.ok(json("{\"code\":200,\"data\":[{\"id\":7,\"title\":\"Host\",\"color\":\"#FF6131\"}]}"));
        QCOMPARE(m_sender->ownTagsText(), QStringLiteral("[{\"color\":\"#FF6131\",\"id\":7,\"title\":\"Host\"}]"));
        Request user = takeRequest(API_POST_UCENTER);
        user.ok(json(R"({"code":200,"data":{"client_type":"5"}})"));
        QCOMPARE(m_login.client_type, 5);

        // replies that change nothing: no array, no client type, failures
        m_sender->getUserTagInfo();
        takeRequest(API_POST_USER_TAG_INFO).ok(json(R"({"code":200,"data":{}})"));
        takeRequest(API_POST_UCENTER).ok(json(R"({"code":200,"data":{"nickname":"x"}})"));
        m_sender->getUserTagInfo();
        takeRequest(API_POST_USER_TAG_INFO).fail("down");
        takeRequest(API_POST_UCENTER).fail("down");
        QCOMPARE(m_sender->ownTagsText(), QStringLiteral("[{\"color\":\"#FF6131\",\"id\":7,\"title\":\"Host\"}]"));
        QCOMPARE(m_login.client_type, 5);

        // the list of a room chosen before arrives late: it belongs to no room any more
        m_sender->requestSensitiveWords();
        Request late = takeRequest(API_GET_SENSITIVE_WORD_LIST);
        m_sender->setRoomId(78);
        m_sender->requestSensitiveWords();
        late.ok(json(R"({"code":200,"data":{"list":["old"]}})"));
        QVERIFY(m_sender->sensitiveWords().words().isEmpty());
    }
};

QTEST_MAIN(tst_ChatSender)
#include "tst_ChatSender.moc"
