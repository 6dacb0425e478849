// test-label: integration
// The online-users page of the main window against the simulator: the first tab filled from the
// room channel with its arrivals and departures, the name filter, the muted, blocked and shielded
// tabs from the user list, the placeholder, and replies that come too late for the tab shown.
#include "support/ChatWindowTestCase.h"
#include "support/LiveMainWindowTestAccess.h"

#include "chat/ItemOnlineUserWidget.h"
#include "chat/LazyRowList.h"
#include "chat/OnlineTabWidget.h"
#include "chat/PictureCache.h"
#include "chat/RoomMessageRouter.h"
#include "shell/LiveControl.h"
#include "shell/OnlineSideState.h"
#include "widgets/ClickableLabel.h"
#include "widgets/CustomWidget.h"

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QStackedWidget>
#include <QtTest>

using Access = LiveMainWindowTestAccess;

namespace
{
constexpr int kWait = 10000;
const char kUserList[] = "/liveSystem/Room/getWechatUserList";
} // namespace

class tst_LiveMainWindowOnline : public ChatWindowTestCase
{
    Q_OBJECT

    int m_onlineReplies = 0; // "get_online_list" answers the window has handled

    OnlineSideState* online() { return Access::online(*m_w); }
    LazyRowList* list() { return online()->list; }
    int onlineRequests() const { return m_sim.framesOfType("get_online_list").size(); }

    ItemOnlineUserWidget* row(int i)
    {
        // Rows are made near the view; asking for one makes it.
        return qobject_cast<ItemOnlineUserWidget*>(list()->rowWidget(i));
    }
    QStringList names()
    {
        QStringList out;
        for (int i = 0; i < list()->count(); ++i)
            out << (row(i) ? row(i)->record().client_name : QStringLiteral("?"));
        return out;
    }
    QString countText() { return online()->countLabel->text(); }
    static QString count(int n) { return QString::fromUtf8("当前在线用户：%1").arg(n); }
    void click(QWidget* w, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(w, button, Qt::NoModifier, QPoint(2, 2));
    }
    void clickTab(int i, Qt::MouseButton button = Qt::LeftButton) { click(online()->tabs.at(i), button); }
    bool enterViewer(const QString& room, int id, const QString& name)
    {
        return control("/_sim/room/viewer/enter", {{"room_id", room}, {"wechat_user_space_id", id}, {"name", name}});
    }
    bool push(const QString& room, const QJsonObject& frame)
    {
        return control("/_sim/room/push", {{"room_id", room}, {"frame", frame}});
    }
    QJsonArray userListRequests() const { return m_sim.requests(kUserList); }
    // Chooses a room while the online side tab is shown: the host's own login echo reloads the
    // first tab, whose answer is awaited.
    bool enterRoomOnOnlineTab(qint64 roomId)
    {
        Access::chat(*m_w); // the side tabs exist
        m_w->showOnlineUserPage();
        const int before = m_onlineReplies;
        chooseRoom(roomId);
        return QTest::qWaitFor([&] { return m_onlineReplies > before; }, kWait);
    }
    // Waits until the channel's frames so far have been dispatched.

private slots:
    void init()
    {
        ChatWindowTestCase::init();
        QVERIFY(m_w);
        m_onlineReplies = 0;
        auto& hook = Access::roomRouter(*m_w)->hooks.onlineList;
        const auto handle = hook;
        hook = [this, handle](int onlineNum, const QJsonObject& message) {
            handle(onlineNum, message);
            ++m_onlineReplies;
        };
    }

    void pageAsBuilt()
    {
        OnlineSideState* s = online();
        QVERIFY(s->built);
        QCOMPARE(s->currentTab, 0);
        QStringList texts;
        for (OnlineTabWidget* t : s->tabs)
            texts << t->textLabel()->text();
        QCOMPARE(texts, (QStringList{"在线", "禁言", "拉黑", "屏蔽"}));
        QVERIFY(s->tabs.at(0)->isSelected());
        QVERIFY(!s->tabs.at(0)->underline()->isHidden());
        QVERIFY(s->tabs.at(1)->underline()->isHidden());
        QCOMPARE(s->searchEdit->placeholderText(), QString::fromUtf8("请输入用户昵称搜索"));
        QCOMPARE(s->searchButton->text(), QString::fromUtf8("搜索"));
        QCOMPARE(countText(), count(0));
        QVERIFY(s->emptyPage->isHidden());
        QVERIFY(labelWithText(*s->emptyPage, "暂无数据"));

        // The clear action is there only while the edit holds text.
        QVERIFY(!s->searchEdit->actions().contains(s->clearAction));
        s->searchEdit->setText("a");
        QVERIFY(s->searchEdit->actions().contains(s->clearAction));
        s->searchEdit->clear();
        QVERIFY(!s->searchEdit->actions().contains(s->clearAction));
    }

    // Three viewers with numeric connection ids give three rows; arrivals go on top, a departure
    // takes its own row away 100 ms later; the count follows "online_num".
    void firstTabArrivalsAndDepartures()
    {
        for (int id : {5, 6, 7})
            QVERIFY(enterViewer("601", id, QStringLiteral("v%1").arg(id)));
        QVERIFY(enterRoomOnOnlineTab(601));
        auto* pages = formWidget<QStackedWidget>(*m_w, "listPageWidget");
        QCOMPARE(pages->currentIndex(), 3);
        QTRY_COMPARE_WITH_TIMEOUT(list()->count(), 3, kWait);
        QCOMPARE(countText(), count(3));
        QCOMPARE(names(), (QStringList{"v5", "v6", "v7"}));
        QSet<QString> keys;
        for (int i = 0; i < 3; ++i) {
            keys << row(i)->record().client_id;
            QCOMPARE(row(i)->record().room_id, qint64(601));
            QCOMPARE(row(i)->record().wus_id, 5 + i); // given as text by the room
        }
        QCOMPARE(keys.size(), 3);
        QCOMPARE(online()->idMap.size(), 3);

        QVERIFY(enterViewer("601", 8, "v8"));
        QTRY_COMPARE_WITH_TIMEOUT(list()->count(), 4, kWait);
        QCOMPARE(names().first(), QStringLiteral("v8"));
        QCOMPARE(countText(), count(4));

        QVERIFY(control("/_sim/room/viewer/leave", {{"room_id", "601"}, {"wechat_user_space_id", 6}}));
        QTRY_COMPARE_WITH_TIMEOUT(countText(), count(3), kWait);
        QTRY_COMPARE_WITH_TIMEOUT(names(), (QStringList{"v8", "v5", "v7"}), kWait);
        QCOMPARE(online()->idMap.size(), 3);

        // A departure of an id the list does not hold changes nothing (the one after it has
        // taken its row when both delays have run out).
        QVERIFY(push("601", {{"type", "upordown_single"}, {"type_info", "down"}, {"online_num", 2},
                             {"client_info", QJsonObject{{"client_id", 999}}}}));
        QVERIFY(control("/_sim/room/viewer/leave", {{"room_id", "601"}, {"wechat_user_space_id", 5}}));
        QTRY_COMPARE_WITH_TIMEOUT(names(), (QStringList{"v8", "v7"}), kWait);

        // The last row leaving shows the placeholder, the list hides a moment later.
        for (int id : {7, 8})
            QVERIFY(control("/_sim/room/viewer/leave", {{"room_id", "601"}, {"wechat_user_space_id", id}}));
        QTRY_COMPARE_WITH_TIMEOUT(list()->count(), 0, kWait);
        QVERIFY(!online()->emptyPage->isHidden());
        QTRY_VERIFY_WITH_TIMEOUT(list()->isHidden(), kWait);
    }

    // An empty room: placeholder, list hidden; duplicates in one list give one row (the first).
    void placeholderAndDuplicates()
    {
        QVERIFY(enterRoomOnOnlineTab(602));
        QCOMPARE(list()->count(), 0);
        QVERIFY(!online()->emptyPage->isHidden());
        QTRY_VERIFY_WITH_TIMEOUT(list()->isHidden(), kWait);
        QCOMPARE(countText(), count(0));

        const QJsonArray data{QJsonObject{{"client_id", "x"}, {"client_name", "Ann"}},
                              QJsonObject{{"client_id", "x"}, {"client_name", "Ann again"}},
                              QJsonObject{{"client_id", 7}, {"client_name", "Seven"}},
                              QJsonObject{{"client_id", 8}, {"client_name", "Eight"}},
                              QJsonObject{{"client_id", 7}, {"client_name", "Seven again"}}};
        QVERIFY(push("602", {{"type", "get_online_list"}, {"online_num", 5}, {"data", data}}));
        QTRY_COMPARE_WITH_TIMEOUT(names(), (QStringList{"Ann", "Seven", "Eight"}), kWait);
        QCOMPARE(countText(), count(5));
        QVERIFY(online()->emptyPage->isHidden());
        QTRY_VERIFY_WITH_TIMEOUT(!list()->isHidden(), kWait);

        // Numeric ids: the departure of 8 takes "Eight", not the first numeric row.
        QVERIFY(push("602", {{"type", "upordown_single"}, {"type_info", "down"}, {"online_num", 4},
                             {"client_info", QJsonObject{{"client_id", 8}}}}));
        QTRY_COMPARE_WITH_TIMEOUT(names(), (QStringList{"Ann", "Seven"}), kWait);
    }

    // The applied filter of the first tab: letter case aside; an arrival it excludes adds no row but
    // still moves the count. Refresh shows everyone again and leaves the edit as it was.
    void firstTabFilter()
    {
        for (int id : {11, 12, 13})
            QVERIFY(enterViewer("603", id, id == 12 ? QStringLiteral("BOB") : QStringLiteral("carl%1").arg(id)));
        QVERIFY(enterRoomOnOnlineTab(603));
        QTRY_COMPARE_WITH_TIMEOUT(list()->count(), 3, kWait);

        OnlineSideState* s = online();
        s->searchEdit->setText("bob");
        int before = m_onlineReplies;
        click(s->searchButton);
        QCOMPARE(s->appliedSearch, QStringLiteral("bob"));
        QVERIFY(!s->refresh->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(m_onlineReplies > before, kWait);
        QVERIFY(s->refresh->isEnabled());
        QCOMPARE(names(), QStringList{"BOB"});

        QVERIFY(enterViewer("603", 14, "dan"));
        QTRY_COMPARE_WITH_TIMEOUT(countText(), count(4), kWait);
        QCOMPARE(names(), QStringList{"BOB"});
        QVERIFY(enterViewer("603", 15, "Bobby"));
        QTRY_COMPARE_WITH_TIMEOUT(names(), (QStringList{"Bobby", "BOB"}), kWait);

        before = onlineRequests();
        click(s->refresh);
        QVERIFY(s->appliedSearch.isEmpty());
        QCOMPARE(s->searchEdit->text(), QStringLiteral("bob"));
        QTRY_COMPARE_WITH_TIMEOUT(list()->count(), 5, kWait);
        QCOMPARE(onlineRequests(), before + 1);
    }

    // The muted, blocked and shielded tabs list what the moderation state says, fixture viewers
    // included; the request carries the edit's text whole; tab changes clear the search.
    void moderationTabs()
    {
        QVERIFY(enterViewer("604", 21, "Muted Mia"));
        QVERIFY(control("/_sim/chatops/viewer", {{"room_id", "604"}, {"wechat_user_space_id", 21}, {"shut_up", 1}}));
        QVERIFY(enterRoomOnOnlineTab(604));
        QTRY_COMPARE_WITH_TIMEOUT(list()->count(), 1, kWait);
        OnlineSideState* s = online();

        // A right press selects another tab like a left one.
        clickTab(1, Qt::RightButton);
        QCOMPARE(s->currentTab, 1);
        QVERIFY(!s->refresh->isEnabled());
        QVERIFY(s->countLabel->isHidden());
        QTRY_VERIFY_WITH_TIMEOUT(s->refresh->isEnabled(), kWait);
        QCOMPARE(names(), (QStringList{"Muted Mia", QString::fromUtf8("观众9002")}));
        QCOMPARE(row(0)->record().list_type, 1);
        QVERIFY(row(0)->record().is_shut_up);
        QCOMPARE(row(0)->record().room_id, qint64(604));
        QCOMPARE(row(1)->record().wus_id, 9002);
        const QJsonObject form = userListRequests().last().toObject().value("form").toObject();
        QCOMPARE(form, (QJsonObject{{"room_id", "604"}, {"uid", "4242"}, {"type", "shut_up"}, {"page", "1"},
                                    {"name", ""}, {"tag_id", "0"}}));

        // Pressing the selected tab does nothing.
        const int requests = userListRequests().size();
        clickTab(1);
        QVERIFY(s->refresh->isEnabled());
        QCOMPARE(userListRequests().size(), requests);

        clickTab(3);
        QTRY_COMPARE_WITH_TIMEOUT(names(), QStringList{QString::fromUtf8("观众9003")}, kWait);
        QVERIFY(row(0)->record().is_shield);

        // Blocked viewers whose name holds the typed text: form characters travel as one value.
        clickTab(2);
        QTRY_COMPARE_WITH_TIMEOUT(names(), QStringList{QString::fromUtf8("观众9003")}, kWait);
        const int blockedRequests = userListRequests().size();
        s->searchEdit->setText("a&b=c%");
        click(s->refresh);
        QTRY_COMPARE_WITH_TIMEOUT(userListRequests().size(), blockedRequests + 1, kWait);
        const QJsonObject typed = userListRequests().last().toObject().value("form").toObject();
        QCOMPARE(typed.value("name").toString(), QStringLiteral("a&b=c%"));
        QCOMPARE(typed.value("type").toString(), QStringLiteral("forbid"));
        QCOMPARE(typed.value("tag_id").toString(), QStringLiteral("0"));
        // Nobody matches: the placeholder (the page counter went to 0).
        QTRY_VERIFY_WITH_TIMEOUT(!s->emptyPage->isHidden(), kWait);
        QCOMPARE(list()->count(), 0);
        QCOMPARE(s->pageCounter, 0);
        QCOMPARE(s->searchEdit->text(), QStringLiteral("a&b=c%")); // a reload keeps the edit

        s->searchEdit->setText("9003");
        click(s->searchButton);
        QTRY_COMPARE_WITH_TIMEOUT(list()->count(), 1, kWait);
        QCOMPARE(s->appliedSearch, QStringLiteral("9003"));

        // Another tab clears the edit and the filter; the arrival of a viewer on a tab other than
        // the first changes nothing, not even the count.
        clickTab(1);
        QVERIFY(s->searchEdit->text().isEmpty());
        QVERIFY(s->appliedSearch.isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(list()->count(), 2, kWait);
        const QString countBefore = countText();
        QVERIFY(enterViewer("604", 22, "Late Leo"));
        settle();
        QCOMPARE(countText(), countBefore);
        QCOMPARE(list()->count(), 2);

        // A user-list failure only gives the refresh icon back.
        QVERIFY(m_sim.script(kUserList, QJsonArray{QJsonObject{{"status", 500}, {"body", "x"}}}));
        click(s->refresh);
        QTRY_VERIFY_WITH_TIMEOUT(s->refresh->isEnabled(), kWait);
        QCOMPARE(list()->count(), 0);
        QVERIFY(s->emptyPage->isHidden());
    }

    // A reply that arrives after the host moved to another tab is dropped, and so is an online list
    // while a moderation tab is shown (its count still updates).
    void lateRepliesDropped()
    {
        QVERIFY(enterRoomOnOnlineTab(605));
        OnlineSideState* s = online();
        // The muted list's answer is held back until the host has moved on.
        int answered = 0;
        bool hold = true;
        std::function<void()> heldMuted;
        const apitransport::PostJsonFn real = s->post;
        s->post = [real, &answered, &heldMuted, &hold](const QString& url, const QString& body,
                                                       apitransport::JsonFn ok, apitransport::ErrorFn fail) {
            const bool muted = hold && body.contains("type=shut_up");
            real(
                url, body,
                [ok, muted, &answered, &heldMuted](const QJsonObject& reply) {
                    if (muted)
                        heldMuted = [ok, reply] { ok(reply); };
                    else
                        ok(reply);
                    ++answered;
                },
                [fail, &answered](const QString& error) {
                    fail(error);
                    ++answered;
                });
        };
        clickTab(1); // muted: 9002
        clickTab(2); // blocked: 9003
        QTRY_COMPARE_WITH_TIMEOUT(answered, 2, kWait);
        QCOMPARE(names(), QStringList{QString::fromUtf8("观众9003")});
        QVERIFY(heldMuted);
        heldMuted();
        QCOMPARE(names(), QStringList{QString::fromUtf8("观众9003")});
        QCOMPARE(row(0)->record().list_type, 2);

        QVERIFY(push("605", {{"type", "get_online_list"}, {"online_num", 1},
                             {"data", QJsonArray{QJsonObject{{"client_id", "z"}, {"client_name", "Zed"}}}}}));
        QTRY_COMPARE_WITH_TIMEOUT(countText(), count(1), kWait);
        QCOMPARE(names(), QStringList{QString::fromUtf8("观众9003")});

        // The same tab's answer for the room chosen before is dropped as well.
        clickTab(1);
        QTRY_COMPARE_WITH_TIMEOUT(answered, 3, kWait);
        hold = false;
        LiveRoomInfo room;
        room.app_id = 607;
        Access::liveControl(*m_w)->choose(room); // the login echo reloads the muted tab
        QTRY_COMPARE_WITH_TIMEOUT(answered, 4, kWait);
        QCOMPARE(names(), QStringList{QString::fromUtf8("观众9002")});
        heldMuted();
        QCOMPARE(list()->count(), 1);
        QCOMPARE(row(0)->record().room_id, qint64(607));
        s->post = real;
    }

    // Photos are fetched from web addresses only: a path is never opened, not even one of a picture.
    void photosFromWebAddressesOnly()
    {
        QVERIFY(enterRoomOnOnlineTab(606));
        QImage red(40, 40, QImage::Format_RGB32);
        red.fill(Qt::red);
        const QString file = m_fx.dir.filePath("red.png");
        QVERIFY(red.save(file));
        const QString web = m_sim.baseUrl() + "/pic/64x64/online-photo";
        const QJsonArray data{QJsonObject{{"client_id", "a"}, {"client_name", "A"}, {"client_photo", "/etc/hosts"}},
                              QJsonObject{{"client_id", "b"}, {"client_name", "B"}, {"client_photo", file}},
                              QJsonObject{{"client_id", "c"}, {"client_name", "C"}, {"client_photo", web}}};
        QVERIFY(push("606", {{"type", "get_online_list"}, {"online_num", 3}, {"data", data}}));
        QTRY_COMPARE_WITH_TIMEOUT(list()->count(), 3, kWait);
        QCOMPARE(row(1)->record().client_photo, file);
        const auto photo = [this](int i) { return row(i)->photoLabel()->pixmap(Qt::ReturnByValue).toImage(); };
        QCOMPARE(photo(0), photo(1)); // both the fallback
        QVERIFY(photo(1).pixelColor(20, 20) != QColor(Qt::red));
        QTRY_VERIFY_WITH_TIMEOUT(photo(2) != photo(0), kWait);
        QCOMPARE(photo(2).size(), QSize(ItemOnlineUserWidget::kPhotoSide, ItemOnlineUserWidget::kPhotoSide));
    }
};

QTEST_MAIN(tst_LiveMainWindowOnline)
#include "tst_LiveMainWindowOnline.moc"
