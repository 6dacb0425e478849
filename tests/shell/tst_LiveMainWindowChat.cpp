// test-label: integration
// The chat side of the main window against the simulator: the side tabs and tip page, the chat
// page, the host's chat text from the input to the room and its echo, and viewers' messages.
#include "support/ChatWindowTestCase.h"
#include "support/FakeLiveCore.h"
#include "support/LiveMainWindowTestAccess.h"
#include "support/SimulatorProcess.h"

#include "chat/ChatItemWidget.h"
#include "chat/ChatListWidget.h"
#include "chat/ChatSender.h"
#include "chat/MessageLabel.h"
#include "chat/ChatWebSocketClient.h"
#include "widgets/ClickableLabel.h"
#include "chat/RoomMessageRouter.h"
#include "core/NetUtils.h"
#include "core/Toast.h"
#include "widgets/CustomWidget.h"
#include "shell/LiveControl.h"

#include <QDir>
#include <QJsonDocument>
#include <QLabel>
#include <QListWidget>
#include <QSet>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QVBoxLayout>
#include <QtTest>

#include <sys/stat.h>

using Access = LiveMainWindowTestAccess;

namespace
{
constexpr int kHost = ChatWindowFixture::kHost;
constexpr int kWait = 10000;
const char kPrecheck[] = "/Wx/Chat/BeforeSendMsg";
} // namespace

class tst_LiveMainWindowChat : public ChatWindowTestCase
{
    Q_OBJECT

    QTemporaryDir& m_dir = m_fx.dir;

    RoomMessageRouter* router() { return Access::roomRouter(*m_w); }
    QListWidget* list() { return chat()->list; }

    QList<QJsonObject> framesOfType(const QString& type) const { return m_sim.framesOfType(type); }
    QStringList sentTexts() const
    {
        QStringList out;
        for (const QJsonObject& say : framesOfType("say"))
            out << say.value("content").toObject().value("content").toObject().value("content").toString();
        return out;
    }
    void click(QWidget* label) { QTest::mouseClick(label, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2)); }
    void send(const QString& text)
    {
        chat()->input->setPlainText(text);
        click(chat()->sendLabel);
    }
    QString toastText() { return Toast::getInstance()->textLabel()->text(); }
    // Picks a room and waits until its channel has logged in.
    void choose(qint64 roomId, const QString& name, int liveType = 0)
    {
        LiveRoomInfo room;
        room.app_id = roomId;
        room.live_type = liveType;
        room.push_app_nick = name.toUtf8();
        Access::liveControl(*m_w)->choose(room);
    }
    bool enterRoom(qint64 roomId, const QString& name)
    {
        const int before = framesOfType("login").size();
        choose(roomId, name);
        // logged in, and the first history page is in (an empty one takes the header)
        return QTest::qWaitFor([&] { return framesOfType("login").size() > before && !chat()->pageInFlight; }, kWait);
    }
    // Waits until the channel's last messages have been dispatched.

private slots:
    void tabsTipPageAndControls()
    {
        auto* pages = formWidget<QStackedWidget>(*m_w, "listPageWidget");
        ChatSideState* s = chat();
        QCOMPARE(s->chatTab->textLabel()->text(), QString::fromUtf8("聊天互动"));
        QVERIFY(s->micTab->isHidden());
        QVERIFY(!s->chatTab->whiteLine()->isHidden());
        QCOMPARE(s->input->placeholderText(), QString::fromUtf8("来说点什么吧～"));

        // Before a room is chosen both chat and online users ask for one on the tip page.
        QTest::mouseClick(s->onlineTab, Qt::LeftButton);
        QCOMPARE(pages->currentIndex(), 0);
        QCOMPARE(s->tipText->text(), QString::fromUtf8("请先选择开播方式，再使用在线用户"));
        QTest::mouseClick(s->chatTab, Qt::LeftButton);
        QCOMPARE(s->currentSideTab, 0);
        QCOMPARE(pages->currentIndex(), 0);
        QCOMPARE(s->tipText->text(), QString::fromUtf8("请先选择开播方式，再使用聊天互动"));
        QVERIFY(s->chatTab->whiteLine()->isVisibleTo(s->chatTab));
        QVERIFY(!s->onlineTab->whiteLine()->isVisibleTo(s->onlineTab));

        // The tip page's link opens the room dialog (run here without a human) and consumes the press.
        int opened = 0;
        Access::setRoomDialogRunner([&opened](QDialog&) { ++opened; return int(QDialog::Rejected); });
        QTest::mouseClick(s->tipLink, Qt::LeftButton);
        Access::setRoomDialogRunner([](QDialog& d) { return d.exec(); });
        QCOMPARE(opened, 1);

        // "滚动" switches auto-scroll and its colour.
        QVERIFY(s->autoScroll);
        QVERIFY(s->scrollLabel->styleSheet().startsWith("background:#055CD8;"));
        click(s->scrollLabel);
        QVERIFY(!s->autoScroll);
        QVERIFY(s->scrollLabel->styleSheet().startsWith("background:rgba(255,255,255,0.1);"));
        click(s->scrollLabel);
        QVERIFY(s->autoScroll);

        // A room: the chat page, the load-more header in row 0, the co-host tab only in a co-host room.
        QVERIFY(control("/_sim/room/history", {{"room_id", "501"}, {"messages", QJsonArray{QJsonObject{{"text", "old"}}}}}));
        QVERIFY(enterRoom(501, "Room A"));
        QCOMPARE(pages->currentIndex(), 1);
        QCOMPARE(list()->count(), 2);
        QCOMPARE(list()->itemWidget(list()->item(0))->objectName(), QStringLiteral("chat_load_more"));
        QVERIFY(s->micTab->isHidden());
        QTest::mouseClick(s->onlineTab, Qt::LeftButton);
        QCOMPARE(pages->currentIndex(), 3);
        QTest::mouseClick(s->chatTab, Qt::LeftButton);
        QCOMPARE(pages->currentIndex(), 1);
        QVERIFY(enterRoom(502, "Room B co-host"));
        choose(503, "Room C", 5);
        QVERIFY(!s->micTab->isHidden());
        QTest::mouseClick(s->micTab, Qt::LeftButton);
        QCOMPARE(pages->currentIndex(), 2);
        QCOMPARE(s->currentSideTab, 1);

        // A stop shows the tip page; a host on the online-user tab stays there.
        QVERIFY(enterRoom(504, "Room D"));
        QTest::mouseClick(s->onlineTab, Qt::LeftButton);
        LiveControl* control = Access::liveControl(*m_w);
        control->liveButtonClicked();
        QCOMPARE(int(control->state()), 2);
        control->stop();
        QCOMPARE(s->currentSideTab, 2);
        QCOMPARE(pages->currentIndex(), 0);
        QCOMPARE(s->tipText->text(), QString::fromUtf8("请先选择开播方式，再使用在线用户"));
    }

    // Typed, shown at once, checked, sent; the echo only completes the row already shown.
    void sendRoadAndEcho()
    {
        QVERIFY(enterRoom(501, "Room A"));
        send("  hello %2 \"q\"  ");
        QCOMPARE(list()->count(), 1);
        QVERIFY(chat()->input->toPlainText().isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(framesOfType("say").size(), 1, kWait);
        const QJsonObject say = framesOfType("say").at(0);
        const QJsonObject expected{
            {"type", "say"},
            {"content", QJsonObject{{"msg_type", "speak"}, {"content", QJsonObject{{"content", "hello %2 \"q\""}}}}},
            {"to_wechat_user_space_id", ""},
            {"to_nick", ""},
            {"user_source", ""}};
        QCOMPARE(say, expected);
        const QJsonObject check = m_sim.requests(kPrecheck).at(0).toObject().value("form").toObject();
        QCOMPARE(check.value("content").toString(), QStringLiteral("hello %2 \"q\""));
        QCOMPARE(check.value("roomId").toString(), QStringLiteral("501"));
        QCOMPARE(check.value("uid").toString(), QStringLiteral("4242"));
        QCOMPARE(check.value("client_type").toString(), QStringLiteral("2")); // from appUserBase
        QTRY_VERIFY_WITH_TIMEOUT(!router()->ownMessageServerId(1).isEmpty(), kWait);
        settle();
        QCOMPARE(list()->count(), 1);
        QCOMPARE(chat()->rows.ownCount(), 1);
        QCOMPARE(chat()->rows.idCount(), 0);

        // A viewer's message appears live.
        QVERIFY(control("/_sim/room/viewer/say", {{"room_id", "501"}, {"wechat_user_space_id", 5}, {"text", "hi host"}}));
        QTRY_COMPARE_WITH_TIMEOUT(list()->count(), 2, kWait);
        QCOMPARE(chat()->rows.idCount(), 1);

        // Empty input: a tip, nothing shown, and the input keeps what was typed.
        send("   ");
        QCOMPARE(toastText(), QString::fromUtf8("请输入聊天内容"));
        QCOMPARE(chat()->input->toPlainText(), QStringLiteral("   "));
        QCOMPARE(list()->count(), 2);
    }

    void whatTheRoomGets_data()
    {
        QTest::addColumn<QString>("mention");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("msgType");
        QTest::newRow("mention stripped") << "Ann" << "@Ann hi" << "hi" << "at";
        QTest::newRow("word and mention") << "Ann" << "hi @Ann" << "hi" << "at";
        QTest::newRow("at sign without a mention stays") << "" << "a@b" << "a@b" << "speak";
        QTest::newRow("form characters reach the check whole") << "" << "ok&x=1%20" << "ok&x=1%20" << "speak";
    }
    void whatTheRoomGets()
    {
        QFETCH(QString, mention);
        QFETCH(QString, typed);
        QFETCH(QString, text);
        QFETCH(QString, msgType);
        QVERIFY(enterRoom(501, "Room A"));
        chat()->mentionNick = mention;
        chat()->mentionSpaceId = mention.isEmpty() ? QString() : "5";
        send(typed);
        QVERIFY(chat()->mentionNick.isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(framesOfType("say").size(), 1, kWait);
        const QJsonObject say = framesOfType("say").at(0);
        QCOMPARE(say.value("content").toObject().value("msg_type").toString(), msgType);
        QCOMPARE(sentTexts(), QStringList{text});
        QCOMPARE(say.value("to_nick").toString(), mention);
        QCOMPARE(m_sim.requests(kPrecheck).at(0).toObject().value("form").toObject().value("content").toString(), text);
    }

    // Only the boolean true passes; an exact-case sensitive word never leaves the window.
    void whatStopsAMessage()
    {
        QVERIFY(control("/_sim/chatsend/config", {{"words", QJsonArray{"Bad", ""}}, {"pass", 1}}));
        QVERIFY(enterRoom(501, "Room A"));
        QTRY_COMPARE_WITH_TIMEOUT(chat()->sender->sensitiveWords().words(), (QStringList{"Bad", ""}), kWait);

        send("one");
        QTRY_COMPARE_WITH_TIMEOUT(m_sim.requests(kPrecheck).size(), 1, kWait);
        QTRY_COMPARE_WITH_TIMEOUT(router()->ownMessages().pendingCount(), 0, kWait); // the answer came back
        QCOMPARE(list()->count(), 1); // shown to the host all the same

        QVERIFY(control("/_sim/chatsend/config", {{"pass", true}}));
        send("so Bad");
        QCOMPARE(list()->count(), 2);
        QCOMPARE(router()->ownMessages().pendingCount(), 0);
        send("so bad");
        QTRY_COMPARE_WITH_TIMEOUT(sentTexts(), QStringList{"so bad"}, kWait);
        QCOMPARE(m_sim.requests(kPrecheck).size(), 2);
        QVERIFY(!Toast::getInstance()->isVisible() || toastText() != QString::fromUtf8("发送失败"));
    }

    // Two identical texts before their echoes: each echo completes its own row, no third row.
    void identicalTextsBeforeTheirEchoes()
    {
        QVERIFY(enterRoom(501, "Room A"));
        send("twin");
        send("twin");
        QCOMPARE(list()->count(), 2);
        QTRY_VERIFY_WITH_TIMEOUT(!router()->ownMessageServerId(1).isEmpty() &&
                                     !router()->ownMessageServerId(2).isEmpty(), kWait);
        QVERIFY(router()->ownMessageServerId(1) != router()->ownMessageServerId(2));
        settle();
        QCOMPARE(list()->count(), 2);
        QCOMPARE(sentTexts(), (QStringList{"twin", "twin"}));
    }

    void failuresAreShown_data()
    {
        QTest::addColumn<QJsonObject>("reply");
        QTest::newRow("server error") << QJsonObject{{"status", 500}, {"body", "down"}};
        QTest::newRow("refused envelope") << QJsonObject{{"body", QJsonObject{{"code", 400}, {"msg", "no"}}}};
    }
    void failuresAreShown()
    {
        QFETCH(QJsonObject, reply);
        QVERIFY(enterRoom(501, "Room A"));
        QVERIFY(m_sim.script(kPrecheck, QJsonArray{reply}));
        send("lost");
        QTRY_COMPARE_WITH_TIMEOUT(toastText(), QString::fromUtf8("发送失败"), kWait);
        QCOMPARE(router()->ownMessages().pendingCount(), 0);
        QVERIFY(framesOfType("say").isEmpty());
    }

    // A drop that catches the message on the wire: the room never takes it and no echo can come
    // on the next connection, so the host is told at once; it is not sent again after the
    // reconnection, and a late echo would settle it rather than add a row.
    void messageCaughtByADropFails_data()
    {
        QTest::addColumn<QJsonObject>("drop");
        QTest::newRow("close code") << QJsonObject{{"code", 1011}};
        QTest::newRow("abort") << QJsonObject{{"abort", true}};
    }
    void messageCaughtByADropFails()
    {
        QFETCH(QJsonObject, drop);
        QVERIFY(enterRoom(501, "Room A"));
        drop.insert("room_id", "501");
        drop.insert("on_next_frame", true);
        QVERIFY(m_sim.control("/_sim/room/close", drop).toObject().value("closed").toInt() == 1);
        send("caught");
        QTRY_COMPARE_WITH_TIMEOUT(toastText(), QString::fromUtf8("发送失败"), kWait);
        QVERIFY(router()->ownMessages().isGivenUp(1));
        QCOMPARE(router()->ownMessages().pendingCount(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(framesOfType("login").size(), 2, kWait);
        settle();
        QCOMPARE(sentTexts(), QStringList{"caught"});
        QCOMPARE(list()->count(), 1);
    }

    // A pre-check still under way when the host picks another room sends to neither room.
    void roomChangeWhileChecking()
    {
        QVERIFY(enterRoom(501, "Room A"));
        QVERIFY(m_sim.script(kPrecheck, QJsonArray{QJsonObject{{"delay", 1.0}, {"passthrough", true}}}));
        send("too late");
        QVERIFY(enterRoom(502, "Room B"));
        QTRY_COMPARE_WITH_TIMEOUT(toastText(), QString::fromUtf8("发送失败"), kWait);
        settle();
        QVERIFY(framesOfType("say").isEmpty());
        QCOMPARE(list()->count(), 0); // the new room's list starts empty (its empty history takes the header)
        // a custom push address drops the channel: a message passes the check but cannot go out
        choose(0, QString(), -1);
        QVERIFY(!isChatWsConnected());
        Toast::getInstance()->textLabel()->clear();
        send("no channel");
        QTRY_COMPARE_WITH_TIMEOUT(toastText(), QString::fromUtf8("发送失败"), kWait);
        QVERIFY(framesOfType("say").isEmpty());
    }

    // "清屏" empties the list and its index together; the pinned row is not in the list and stays.
    void clearKeepsThePinnedRow()
    {
        QVERIFY(enterRoom(501, "Room A"));
        QVERIFY(control("/_sim/room/push", {{"frame", QJsonObject{{"type", "top"}, {"is_top", "1"}, {"msg_id", "p1"},
                                                                  {"msg_type", "speak"}, {"msg_info", "pinned"}}}}));
        QTRY_VERIFY_WITH_TIMEOUT(chat()->pinnedRow, kWait);
        QWidget* pinned = chat()->pinnedRow;
        QCOMPARE(chat()->pinnedId, QStringLiteral("p1"));
        send("mine");
        QTRY_VERIFY_WITH_TIMEOUT(!router()->ownMessageServerId(1).isEmpty(), kWait);
        const QJsonValue said =
            m_sim.control("/_sim/room/viewer/say", {{"room_id", "501"}, {"wechat_user_space_id", 5}, {"text", "x"}});
        const QString viewerId = said.toObject().value("insert_id").toString();
        QTRY_COMPARE_WITH_TIMEOUT(list()->count(), 2, kWait);

        click(chat()->clearLabel);
        QCOMPARE(list()->count(), 0);
        QVERIFY(chat()->rows.isEmpty());
        QCOMPARE(chat()->pageLayout->indexOf(pinned), 1);

        // deletions naming the cleared rows find nothing
        QVERIFY(control("/_sim/room/delete", {{"room_id", "501"}, {"row_id", viewerId}}));
        QVERIFY(control("/_sim/room/delete", {{"room_id", "501"}, {"row_id", router()->ownMessageServerId(1)}}));
        settle();
        QCOMPARE(list()->count(), 0);
        // new rows follow without the header
        QVERIFY(control("/_sim/room/viewer/say", {{"room_id", "501"}, {"wechat_user_space_id", 5}, {"text", "y"}}));
        QTRY_COMPARE_WITH_TIMEOUT(list()->count(), 1, kWait);
    }

    // Many messages at once: each shows, in order, and a deletion reaches a row not yet laid out.
    void burstArrivesWholeAndInOrder()
    {
        m_w->resize(1280, 800);
        m_w->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_w));
        QVERIFY(enterRoom(501, "Room A"));
        QVERIFY(control("/_sim/chatsend/burst", {{"room_id", "501"}, {"count", 300}}));
        QTRY_COMPARE_WITH_TIMEOUT(list()->count(), 300, kWait);
        QStringList ids;
        for (int i = 0; i < list()->count(); ++i)
            ids << qobject_cast<ChatItemWidget*>(chat()->list->rowWidget(i))
                       ->bubble()
                       ->payload()
                       .value<ItemChatRecord>()
                       .id;
        QCOMPARE(ids.first(), QStringLiteral("b1"));
        QCOMPARE(ids.last(), QStringLiteral("b300"));
        QCOMPARE(ids.size(), 300);
        QCOMPARE(QSet<QString>(ids.begin(), ids.end()).size(), 300);
        for (int i = 1; i < ids.size(); ++i)
            QVERIFY2(ids.at(i - 1).mid(1).toInt() < ids.at(i).mid(1).toInt(), qPrintable(ids.at(i)));
        QCOMPARE(chat()->rows.idCount(), 300);
        // once the rows' heights have settled, every row widget sits where its item is
        const auto rowsPlaced = [this] {
            for (int i = 0; i < list()->count(); ++i)
                if (QWidget* row = list()->itemWidget(list()->item(i)))
                    if (row->geometry().topLeft() != list()->visualItemRect(list()->item(i)).topLeft())
                        return false;
            return true;
        };
        QTRY_VERIFY_WITH_TIMEOUT(rowsPlaced(), kWait);

        // a burst followed at once by a deletion of one of its rows and the host's own message
        QVERIFY(control("/_sim/chatsend/burst", {{"room_id", "501"}, {"count", 100}}));
        QVERIFY(control("/_sim/room/delete", {{"room_id", "501"}, {"row_id", "b350"}}));
        send("after the burst");
        QTRY_COMPARE_WITH_TIMEOUT(list()->count(), 300 + 99 + 1, kWait);
        QVERIFY(!chat()->rows.itemForId("b350"));
    }

    // Malformed and hostile frames through the real channel into the window: none of them stops
    // the chat, opens a local file (a pipe nobody writes to would block for good) or renders
    // markup; chat objects that can be shown become rows.
    void hostileFramesLeaveTheChatWorking()
    {
        const QString fifo = m_dir.filePath("pipe");
        if (!QFileInfo::exists(fifo))
            QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const QString file = "file://" + fifo;
        const QString markup = "<img src='" + file + "'><b>x</b>";
        const auto say = [](const QString& id, const QString& msgType, const QJsonValue& content, QJsonObject more = {}) {
            more.insert("type", "say");
            more.insert("insert_id", id);
            more.insert("msg_type", msgType);
            more.insert("content", content);
            return QString::fromUtf8(QJsonDocument(more).toJson(QJsonDocument::Compact));
        };
        const auto json = [](const QJsonObject& o) { return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)); };
        const struct {
            const char* name;
            QString frame;
            int rows; // rows the frame adds
        } frames[] = {
            {"not JSON", "not json {", 0},
            {"empty frame", "", 0},
            {"array", R"([{"type":"say","msg_type":"speak"}])", 0},
            {"null", "null", 0},
            {"type not a string", R"({"type":["say"]})", 0},
            {"say without a kind", R"({"type":"say"})", 0},
            {"fields of the wrong type",
             say("h1", "speak", 5, {{"wechat_user_space_id", QJsonObject{{"a", 1}}}, {"from_client_name", 7},
                                    {"chat_time", 5}, {"tags", "garbage"}, {"time", 1e300}, {"user_type", "3"},
                                    {"is_shield", "yes"}, {"master_txt", QJsonArray{1}}}), 1},
            {"content text that is no JSON", say("h2", "speak", "{not json"), 1},
            {"markup, emote codes out of range and a broken code",
             say("h3", "speak", QJsonObject{{"content", markup + "[em_5][_em_999][em_x[em_1234]"}},
                 {{"from_client_name", markup}, {"tags", QJsonArray{QJsonObject{{"title", markup}, {"color", "zz"}}, 4}},
                  {"chat_time", markup}}), 1},
            {"gift from a local file", say("h4", "gift", QJsonObject{{"gift_img_src", file}, {"gift_num", 3}}), 1},
            {"picture and photo from local files", say("h5", "image", QJsonObject{{"img_src", fifo}}, {{"client_photo", file}}), 1},
            {"picture of no address", say("h5b", "image", QJsonObject{{"img_src", QJsonValue()}}), 1},
            {"mention and quote of the wrong shape",
             say("h6", "at", QJsonObject{{"content", QString::fromUtf8("\u202Eabc 😀")}, {"quote_content", ":::"}},
                 {{"to_nick", QJsonObject{{"x", 1}}}}), 1},
            {"very long text, name and quote",
             say("h7", "speak", QJsonObject{{"content", QString(20000, QChar(0x4E2D))}, {"quote_content", QString(5000, 'q')}},
                 {{"from_client_name", QString(3000, 'n')}}), 1},
            {"the host's space id, no pending text",
             say("h8", "speak", QJsonObject{{"img_src", 5}}, {{"wechat_user_space_id", QString::number(kHost)}}), 1},
            {"an id shown before", say("h3", "speak", R"({"content":"again"})"), 1},
            {"a kind the list does not show", say("h9", "text", QJsonObject{{"content", "x"}}), 0},
            {"pin of a local picture", json({{"type", "top"}, {"is_top", 1}, {"msg_type", "image"}, {"msg_info", file}}), 0},
            {"delete by a number", json({{"type", "row_delete"}, {"row_id", 5}}), 0},
            {"delete of an unknown id", json({{"type", "row_delete"}, {"row_id", "nope"}}), 0},
            {"mute-all of the wrong type", json({{"type", "shut_up_all"}, {"is_shut_up_all", QJsonObject()}}), 0},
            {"online list of the wrong shape", json({{"type", "get_online_list"}, {"online_num", "9"}, {"data", "x"}}), 0},
            {"enter notice with markup", json({{"type", "login"}, {"enter_msg_switch", "1"}, {"client_name", markup}}), 0},
            {"leave notice with markup", json({{"type", "logout"}, {"leave_room_reminder", 1}, {"from_client_name", markup}}), 0},
            {"viewer down of the wrong shape", json({{"type", "upordown_single"}, {"type_info", "down"}, {"client_info", "x"}}), 0},
            {"co-host apply without data", json({{"type", "trtc_apply"}, {"data", "x"}}), 0},
            {"co-host login of the wrong shape",
             json({{"type", "trtc_login"}, {"data", QJsonObject{{"trtc_identity", "second_broad"}, {"wechat_user_space_id", QJsonArray()}}}}), 0},
            {"co-host remove without an id", json({{"type", "trtc_remove"}}), 0},
            {"co-host list of the wrong shape", json({{"type", "get_trtc_online_list"}, {"data", 5}}), 0},
            {"refused co-host with markup", json({{"type", "r_trtc_agree"}, {"code", 0}, {"err_msg", markup}, {"err_data", QJsonArray()}}), 0},
        };

        m_w->resize(1280, 800);
        m_w->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_w));
        QVERIFY(enterRoom(501, "Room A"));
        int rows = list()->count();
        for (const auto& f : frames) {
            QVERIFY2(control("/_sim/room/push", {{"frame", f.frame}}), f.name);
            settle();
            rows += f.rows;
            QVERIFY2(list()->count() == rows, f.name);
            list()->viewport()->grab(); // every row paints
        }
        QCOMPARE(toastText(), markup); // the refused co-host's message, as text

        // the chat goes on
        QVERIFY(control("/_sim/room/viewer/say", {{"room_id", "501"}, {"wechat_user_space_id", 5}, {"text", "still here"}}));
        QTRY_COMPARE_WITH_TIMEOUT(list()->count(), rows + 1, kWait);
        send("me too");
        QTRY_COMPARE_WITH_TIMEOUT(sentTexts(), QStringList{"me too"}, kWait);
    }

    // A "row_delete" takes the row away, for a viewer's message and for the host's own.
    void rowDelete()
    {
        QVERIFY(enterRoom(501, "Room A"));
        send("mine");
        QTRY_VERIFY_WITH_TIMEOUT(!router()->ownMessageServerId(1).isEmpty(), kWait);
        const QString viewerId =
            m_sim.control("/_sim/room/viewer/say", {{"room_id", "501"}, {"wechat_user_space_id", 5}, {"text", "x"}})
                .toObject()
                .value("insert_id")
                .toString();
        QTRY_COMPARE_WITH_TIMEOUT(list()->count(), 2, kWait);
        QVERIFY(control("/_sim/room/delete", {{"room_id", "501"}, {"row_id", viewerId}}));
        QTRY_COMPARE_WITH_TIMEOUT(list()->count(), 1, kWait);
        QVERIFY(control("/_sim/room/delete", {{"room_id", "501"}, {"row_id", router()->ownMessageServerId(1)}}));
        QTRY_COMPARE_WITH_TIMEOUT(list()->count(), 0, kWait);
        QVERIFY(chat()->rows.isEmpty());

        // Messages close together are added to the list as a group, a moment later; a delete
        // that follows them at once still finds its row and takes it.
        const auto say = [this](const QString& text) {
            return m_sim.control("/_sim/room/viewer/say", {{"room_id", "501"}, {"wechat_user_space_id", 5}, {"text", text}})
                .toObject()
                .value("insert_id")
                .toString();
        };
        say("first");
        const QString second = say("second");
        QVERIFY(control("/_sim/room/delete", {{"room_id", "501"}, {"row_id", second}}));
        QTRY_COMPARE_WITH_TIMEOUT(list()->count(), 1, kWait);
        QTest::qWait(300);
        QCOMPARE(list()->count(), 1);
        QCOMPARE(chat()->rows.idCount(), 1);
    }
};

QTEST_MAIN(tst_LiveMainWindowChat)
#include "tst_LiveMainWindowChat.moc"
