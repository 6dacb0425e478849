// test-label: integration
// The chat page against the simulator: history pages, the pinned row, the row actions (quote,
// pin, delete), mute-all and the bound on the rows the list keeps.
#include "support/ChatWindowTestCase.h"
#include "support/FakeLiveCore.h"
#include "support/LiveMainWindowTestAccess.h"
#include "support/SimulatorProcess.h"

#include "chat/ChatItemWidget.h"
#include "chat/ChatListWidget.h"
#include "chat/ChatWebSocketClient.h"
#include "chat/MessageLabel.h"
#include "chat/RoomMessageRouter.h"
#include "core/NetUtils.h"
#include "core/Toast.h"
#include "shell/LiveControl.h"
#include "widgets/ClickableLabel.h"

#include <QDir>
#include <QJsonArray>
#include <QLabel>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QVBoxLayout>
#include <QtTest>

using Access = LiveMainWindowTestAccess;

namespace
{
constexpr int kHost = ChatWindowFixture::kHost;
constexpr int kWait = 10000;
const char kPage[] = "/Wx/Interact/getChatRecord";
const char kDelete[] = "/liveSystem/Room/deleteMessage";
const char kMuteAll[] = "/MiniProgram/Live/shutUpAll";
} // namespace

class tst_LiveMainWindowChatHistory : public ChatWindowTestCase
{
    Q_OBJECT


    RoomMessageRouter* router() { return Access::roomRouter(*m_w); }
    QListWidget* list() { return chat()->list; }
    QString toastText() { return Toast::getInstance()->textLabel()->text(); }
    bool hasHeader()
    {
        return list()->count() > 0 && chat()->loadMoreWidget &&
               list()->itemWidget(list()->item(0)) == chat()->loadMoreWidget;
    }
    // Rows are made when they come into view; asking for one makes it.
    ChatItemWidget* row(int i) { return qobject_cast<ChatItemWidget*>(chat()->list->rowWidget(i)); }
    // A row not laid out yet (or the header) reads as an empty record, so a waiting check keeps waiting.
    static ItemChatRecord recordOf(ChatItemWidget* r)
    {
        return r && r->bubble() ? r->bubble()->payload().value<ItemChatRecord>() : ItemChatRecord();
    }
    // The texts of the message rows, top to bottom.
    QStringList texts()
    {
        QStringList out;
        for (int i = hasHeader() ? 1 : 0; i < list()->count(); ++i)
            out << recordOf(row(i)).content.content;
        return out;
    }
    bool pageDone() { return QTest::qWaitFor([&] { return !chat()->pageInFlight; }, kWait); }
    bool loadMore()
    {
        QTest::mouseClick(chat()->loadMoreLabel, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
        return pageDone();
    }
    void seed(const QString& room, const QStringList& oldestFirst, int pageSize, const QJsonValue& top = QJsonValue::Undefined)
    {
        QJsonArray messages;
        for (const QString& t : oldestFirst)
            messages.append(QJsonObject{{"text", t}, {"id", "h-" + t}});
        QJsonObject body{{"room_id", room}, {"messages", messages}, {"page_size", pageSize}};
        if (!top.isUndefined())
            body.insert("top_message", top);
        QVERIFY(control("/_sim/room/history", body));
    }
    void viewerSays(const QString& text)
    {
        QVERIFY(control("/_sim/room/viewer/say", {{"room_id", "501"}, {"wechat_user_space_id", 5}, {"text", text}}));
    }
    static QJsonObject topFrame(const QString& id, const QString& isTop)
    {
        return {{"type", "top"}, {"is_top", isTop}, {"msg_id", id}, {"msg_type", "speak"}, {"msg_info", "pin " + id}};
    }
    QJsonObject roomState() { return m_sim.control("/_sim/room/state").toObject().value("rooms").toObject().value("501").toObject(); }

private slots:
    // Pages newest first, each shown above the rows already there; the first page pins.
    void pagesAndThePin()
    {
        seed("501", {"C", "B", "A", "X", "Y", "Z"}, 3, topFrame("h-Y", "1"));
        QVERIFY(enterRoom(501));
        QCOMPARE(texts(), (QStringList{"X", "Y", "Z"}));
        QVERIFY(hasHeader());
        QCOMPARE(chat()->historyPage, 1);
        QVERIFY(chat()->pinnedRow);
        QCOMPARE(chat()->pinnedId, QStringLiteral("h-Y"));
        QCOMPARE(chat()->pageLayout->indexOf(chat()->pinnedRow), 1);
        QCOMPARE(m_sim.requests(kPage).at(0).toObject().value("form").toObject(),
                 (QJsonObject{{"appid", "501"}, {"chat_page", "1"}}));

        // a later page never touches the pin, whatever it says
        QVERIFY(control("/_sim/room/history", {{"room_id", "501"}, {"top_message", QJsonValue::Null}}));
        QVERIFY(loadMore());
        QCOMPARE(texts(), (QStringList{"C", "B", "A", "X", "Y", "Z"}));
        QCOMPARE(chat()->pinnedId, QStringLiteral("h-Y"));
        QCOMPARE(chat()->loadMoreLabel->text(), QString::fromUtf8("<font color='#A5ABC7'>加载更多</font>"));

        // past the end: the header goes and the counter stays at the last page
        QVERIFY(loadMore());
        QVERIFY(!hasHeader());
        QCOMPARE(chat()->historyPage, 2);
        QCOMPARE(texts().size(), 6);
    }

    void firstPageWithoutPinClearsIt()
    {
        QVERIFY(m_sim.script(kPage, QJsonArray{QJsonObject{{"delay", 1.0}, {"passthrough", true}}}));
        LiveRoomInfo room;
        room.app_id = 501;
        Access::liveControl(*m_w)->choose(room);
        QTRY_VERIFY_WITH_TIMEOUT(!m_sim.framesOfType("login").isEmpty(), kWait);
        QVERIFY(control("/_sim/room/push", {{"frame", topFrame("p1", "1")}}));
        QTRY_VERIFY_WITH_TIMEOUT(chat()->pinnedRow, kWait);
        QVERIFY(pageDone());
        QVERIFY(!chat()->pinnedRow);
        QVERIFY(chat()->pinnedId.isEmpty());
        QVERIFY(!hasHeader()); // an empty first page
        QCOMPARE(chat()->historyPage, 0);
    }

    // A page answered after the host chose another room shows nothing there and pins nothing.
    void roomChangeMidPage()
    {
        seed("501", {"old"}, 3, topFrame("h-old", "1"));
        seed("502", {"new"}, 3);
        QVERIFY(m_sim.script(kPage, QJsonArray{QJsonObject{{"delay", 1.0}, {"passthrough", true}}}));
        LiveRoomInfo room;
        room.app_id = 501;
        Access::liveControl(*m_w)->choose(room);
        QVERIFY(enterRoom(502));
        QTest::qWait(1500); // the first room's page has come and gone
        QCOMPARE(texts(), QStringList{"new"});
        QVERIFY(hasHeader());
        QVERIFY(!chat()->pinnedRow);
        QCOMPARE(chat()->historyPage, 1);
    }

    void pageFailureRestoresTheCounter()
    {
        seed("501", {"a", "b"}, 1);
        QVERIFY(enterRoom(501));
        QVERIFY(m_sim.script(kPage, QJsonArray{QJsonObject{{"status", 500}, {"body", "down"}}}));
        QVERIFY(loadMore());
        QCOMPARE(chat()->historyPage, 1);
        QVERIFY(chat()->loadingLabel->isHidden());
        QVERIFY(loadMore());
        QCOMPARE(texts(), (QStringList{"a", "b"}));
    }

    // Bound 10: live rows beyond it go oldest first; the index forgets them with their rows.
    void liveRowsAreBounded()
    {
        m_w->resize(1280, 800);
        m_w->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_w));
        QVERIFY(enterRoom(501));
        chat()->rowBound = 10;
        QVERIFY(control("/_sim/chatsend/burst", {{"room_id", "501"}, {"count", 25}}));
        QTRY_COMPARE_WITH_TIMEOUT(recordOf(row(list()->count() - 1)).id, QStringLiteral("b25"), kWait);
        settle();
        // the history had ended (empty first page): trimmed rows can be paged back now
        QVERIFY(hasHeader());
        QCOMPARE(list()->count(), 11);
        QCOMPARE(recordOf(row(1)).id, QStringLiteral("b16"));
        QCOMPARE(chat()->rows.idCount(), 10);
        QVERIFY(!chat()->rows.itemForId("b15"));
        QVERIFY(chat()->rows.itemForId("b16"));

        // "滚动" off: the host may be reading, rows wait for twice the bound; a row in view stays put
        chat()->autoScroll = false;
        QVERIFY(control("/_sim/chatsend/burst", {{"room_id", "501"}, {"count", 10}}));
        QTRY_COMPARE_WITH_TIMEOUT(list()->count(), 21, kWait);
        QTRY_VERIFY_WITH_TIMEOUT(row(1)->geometry().top() == list()->visualItemRect(list()->item(1)).top(), kWait);
        list()->scrollToItem(list()->item(15), QAbstractItemView::PositionAtTop);
        const QString watched = recordOf(row(15)).id;
        const int topBefore = list()->visualItemRect(list()->item(15)).top();
        QVERIFY(control("/_sim/chatsend/burst", {{"room_id", "501"}, {"count", 1}}));
        QTRY_COMPARE_WITH_TIMEOUT(list()->count(), 11, kWait);
        QListWidgetItem* still = chat()->rows.itemForId(watched);
        QVERIFY(still);
        QCOMPARE(list()->visualItemRect(still).top(), topBefore);
    }

    // Trimming history takes the oldest page whole and lets the host load it again, once.
    void historyPagesTrimWhole()
    {
        seed("501", {"h1", "h2", "h3", "h4", "h5", "h6", "h7", "h8", "h9", "h10", "h11", "h12"}, 4);
        QVERIFY(enterRoom(501));
        chat()->rowBound = 10;
        QVERIFY(loadMore());
        QVERIFY(loadMore());
        QCOMPARE(texts().size(), 12); // a page never trims
        QCOMPARE(chat()->historyPage, 3);

        viewerSays("live1");
        QTRY_COMPARE_WITH_TIMEOUT(texts().size(), 9, kWait); // 12 + 1 - the four rows of page 3
        QCOMPARE(texts().first(), QStringLiteral("h5"));
        QCOMPARE(chat()->historyPage, 2);
        QVERIFY(hasHeader());

        // page 3 again: the room has one message more, so it starts at h5, which is shown already
        QVERIFY(loadMore());
        QCOMPARE(texts(), (QStringList{"h2", "h3", "h4", "h5", "h6", "h7", "h8", "h9", "h10", "h11", "h12", "live1"}));
        QVERIFY(loadMore());
        QCOMPARE(texts().first(), QStringLiteral("h1"));
        QCOMPARE(texts().count("h5"), 1);
    }

    // No history and more live rows than the bound: the header comes back and pages of rows
    // already shown are skipped. After "清屏" the header stays gone.
    void trimBringsTheHeaderBack()
    {
        QVERIFY(enterRoom(501));
        QVERIFY(!hasHeader());
        chat()->rowBound = 10;
        for (int i = 1; i <= 15; ++i)
            viewerSays(QString("m%1").arg(i));
        QTRY_COMPARE_WITH_TIMEOUT(texts().last(), QStringLiteral("m15"), kWait);
        QCOMPARE(texts().size(), 10);
        QVERIFY(hasHeader());
        QVERIFY(control("/_sim/room/history", {{"room_id", "501"}, {"page_size", 4}}));
        const int asked = m_sim.requests(kPage).size();
        QVERIFY(loadMore());
        // pages 1 and 2 hold only rows shown, page 3 brings m4 and m5
        QCOMPARE(m_sim.requests(kPage).size(), asked + 3);
        QCOMPARE(texts().mid(0, 3), (QStringList{"m4", "m5", "m6"}));
        QCOMPARE(chat()->historyPage, 3);

        QTest::mouseClick(chat()->clearLabel, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
        for (int i = 16; i <= 27; ++i)
            viewerSays(QString("m%1").arg(i));
        QTRY_COMPARE_WITH_TIMEOUT(texts().last(), QStringLiteral("m27"), kWait);
        QCOMPARE(texts().size(), 10);
        QVERIFY(!hasHeader());
    }

    void deleteRows()
    {
        QVERIFY(enterRoom(501));
        viewerSays("bye");
        QTRY_COMPARE_WITH_TIMEOUT(texts(), QStringList{"bye"}, kWait);
        const ItemChatRecord viewer = recordOf(row(0));
        emit row(0)->onClicked("delete", viewer);
        QCOMPARE(list()->count(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(m_sim.requests(kDelete).size(), 1, kWait);
        QCOMPARE(m_sim.requests(kDelete).at(0).toObject().value("body").toString(),
                 QString("room_id=501&uid=4242&wechat_user_space_id=%1&msg_id=%2").arg(kHost).arg(viewer.id));
        QTRY_COMPARE_WITH_TIMEOUT(toastText(), QString::fromUtf8("删除成功"), kWait);
        QTRY_VERIFY_WITH_TIMEOUT(roomState().value("message_ids").toArray().isEmpty(), kWait);

        // an id shown twice: both rows go
        const QJsonObject say{{"type", "say"}, {"insert_id", "dup"}, {"msg_type", "speak"},
                              {"content", QJsonObject{{"content", "twice"}}}, {"wechat_user_space_id", 6}};
        QVERIFY(control("/_sim/room/push", {{"frame", say}}));
        settle();
        QVERIFY(control("/_sim/room/push", {{"frame", say}}));
        QTRY_COMPARE_WITH_TIMEOUT(texts(), (QStringList{"twice", "twice"}), kWait);
        // refused by the server: the failure text, the rows stay gone
        QVERIFY(m_sim.script(kDelete, QJsonArray{QJsonObject{{"body", QJsonObject{{"code", 400}, {"msg", "<b>no</b>"}}}}}));
        emit row(0)->onClicked("delete", recordOf(row(0)));
        QCOMPARE(list()->count(), 0);
        QVERIFY(chat()->rows.isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(toastText(), QStringLiteral("<b>no</b>"), kWait);
    }

    // The host's own message deleted before its echo: the room still gets it, so the echo's id
    // is deleted when it comes.
    void ownMessageDeletedBeforeItsEcho()
    {
        QVERIFY(enterRoom(501));
        QVERIFY(m_sim.script("/Wx/Chat/BeforeSendMsg", QJsonArray{QJsonObject{{"delay", 0.5}, {"passthrough", true}}}));
        chat()->input->setPlainText("oops");
        QTest::mouseClick(chat()->sendLabel, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
        QCOMPARE(list()->count(), 1);
        emit row(0)->onClicked("delete", recordOf(row(0)));
        QCOMPARE(list()->count(), 0);
        QVERIFY(m_sim.requests(kDelete).isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(m_sim.requests(kDelete).size(), 1, kWait);
        const QString id = m_sim.requests(kDelete).at(0).toObject().value("form").toObject().value("msg_id").toString();
        QVERIFY(!id.isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(roomState().value("message_ids").toArray().isEmpty(), kWait);
        settle();
        QCOMPARE(list()->count(), 0);

        // after the echo, a refused delete of an own message is shown
        chat()->input->setPlainText("keep");
        QTest::mouseClick(chat()->sendLabel, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
        QTRY_VERIFY_WITH_TIMEOUT(!router()->ownMessageServerId(2).isEmpty(), kWait);
        QVERIFY(m_sim.script(kDelete, QJsonArray{QJsonObject{{"body", QJsonObject{{"code", 400}, {"msg", "refused"}}}}}));
        emit row(0)->onClicked("delete", recordOf(row(0)));
        QTRY_COMPARE_WITH_TIMEOUT(toastText(), QStringLiteral("refused"), kWait);
    }

    // Two quick presses make one request; the label follows the room, not the request.
    void muteAll()
    {
        QVERIFY(enterRoom(501));
        QVERIFY(m_sim.script(kMuteAll, QJsonArray{QJsonObject{{"delay", 0.5}, {"passthrough", true}}}));
        ClickableLabel* label = chat()->muteAllLabel;
        QTest::mouseClick(label, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
        QTest::mouseClick(label, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
        QTRY_COMPARE_WITH_TIMEOUT(m_sim.framesOfType("shut_up_all").size(), 1, kWait);
        QCOMPARE(m_sim.framesOfType("shut_up_all").at(0).value("is_shut_up_all").toString(), QStringLiteral("1"));
        QTRY_VERIFY_WITH_TIMEOUT(chat()->muteAll, kWait); // the room's answer
        QVERIFY(label->styleSheet().startsWith("background:#055CD8;"));
        QCOMPARE(m_sim.requests(kMuteAll).size(), 1);
        QCOMPARE(m_sim.requests(kMuteAll).at(0).toObject().value("form").toObject().value("action").toString(), QStringLiteral("1"));

        // a refusal changes nothing; the label changes only on the room's word
        QVERIFY(m_sim.script(kMuteAll, QJsonArray{QJsonObject{{"body", QJsonObject{{"code", 400}, {"msg", "no"}}}}}));
        QTest::mouseClick(label, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
        QTRY_COMPARE_WITH_TIMEOUT(m_sim.requests(kMuteAll).size(), 2, kWait);
        settle();
        QVERIFY(chat()->muteAll);
        QVERIFY(!chat()->muteAllPending);
        QVERIFY(control("/_sim/room/push", {{"frame", QJsonObject{{"type", "shut_up_all"}, {"is_shut_up_all", "0"}}}}));
        QTRY_VERIFY_WITH_TIMEOUT(!chat()->muteAll, kWait);
        QVERIFY(label->styleSheet().startsWith("background:rgba(255,255,255,0.1);"));
    }

    // Pins replace each other: one pinned row stays alive; a "top" action tells the room.
    void pinnedRowsReplaceEachOther()
    {
        QVERIFY(enterRoom(501));
        for (int i = 0; i < 10; ++i)
            QVERIFY(control("/_sim/room/push", {{"frame", topFrame(QString("p%1").arg(i), "1")}}));
        settle();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const auto pinned = m_w->findChildren<ChatItemWidget*>("chat_pinned_row");
        QCOMPARE(pinned.size(), 1);
        QCOMPARE(chat()->pinnedId, QStringLiteral("p9"));

        ItemChatRecord record = recordOf(chat()->pinnedRow);
        emit chat()->pinnedRow->onClicked("top", record); // unpin: the row's request succeeded
        QTRY_COMPARE_WITH_TIMEOUT(m_sim.framesOfType("top").size(), 1, kWait);
        QCOMPARE(m_sim.framesOfType("top").at(0).value("is_top").toInt(), 2);
        QTRY_VERIFY_WITH_TIMEOUT(!chat()->pinnedRow, kWait); // the room's echo unpins

        // a "row_delete" of the pinned message unpins it
        QVERIFY(control("/_sim/room/push", {{"frame", topFrame("p10", "1")}}));
        QTRY_VERIFY_WITH_TIMEOUT(chat()->pinnedRow, kWait);
        QVERIFY(control("/_sim/room/delete", {{"room_id", "501"}, {"row_id", "p10"}}));
        QTRY_VERIFY_WITH_TIMEOUT(!chat()->pinnedRow, kWait);
    }

    // Quote: the bar shows the quoted line; its close button removes it after its own press.
    void quoteBar()
    {
        QVERIFY(enterRoom(501));
        viewerSays("<b>q</b>");
        QTRY_COMPARE_WITH_TIMEOUT(list()->count(), 1, kWait);
        const ItemChatRecord r = recordOf(row(0));
        emit row(0)->onClicked("reply", r);
        emit row(0)->onClicked("reply", r); // replaces the first bar
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(chat()->quotedLine, r.from_client_name + ": <b>q</b>");
        QCOMPARE(m_w->findChildren<QWidget*>("chat_quote_box").size(), 1);
        auto* close = m_w->findChild<ClickableLabel*>("chat_quote_close");
        QVERIFY(close);
        QTest::mouseClick(close, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
        QVERIFY(chat()->quotedLine.isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(!chat()->quoteBar, kWait);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!m_w->findChild<ClickableLabel*>("chat_quote_close"));

        // a mention from a row: escaped, and gone with a backspace into it
        ItemChatRecord named = r;
        named.from_client_name = "<i>x</i>";
        chat()->input->setPlainText("hi @ there");
        emit row(0)->onClicked("at", named);
        QCOMPARE(chat()->input->toPlainText(), QStringLiteral("@<i>x</i> hi @ there"));
        QCOMPARE(chat()->mentionNick, QStringLiteral("<i>x</i>"));
    }
};

QTEST_MAIN(tst_LiveMainWindowChatHistory)
#include "tst_LiveMainWindowChatHistory.moc"
