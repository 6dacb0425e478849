// test-label: integration
// The online-users page with a busy room's list (5,000 viewers): rows are made only near the view,
// yet scrolling shows every viewer's name and badge at its place; the name filter finds the same
// rows as reading the list one by one does; a row whose menu is open stays with its viewer while
// others arrive, and so does a row whose measure is on its way; a photo that arrives while its row is out of view shows when the row comes back;
// arrivals and departures that follow a list still being added act after it, in order.
#include "support/ChatRowHooks.h"
#include "support/ChatWindowTestCase.h"
#include "support/LiveMainWindowTestAccess.h"

#include "chat/ItemOnlineUserWidget.h"
#include "chat/LazyRowList.h"
#include "chat/PictureCache.h"
#include "chat/RoomMessageRouter.h"
#include "chat/UserWithTagLabel.h"
#include "core/UntrustedText.h"
#include "shell/OnlineSideState.h"
#include "widgets/ClickableLabel.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QtTest>

using Access = LiveMainWindowTestAccess;

namespace
{
constexpr int kWait = 20000;
constexpr int kViewers = 5000;

QString nameOf(int i) { return QString::fromUtf8("观众%1").arg(i); }
// Every third viewer an assistant, the next an administrator.
QString badgeOf(int i) { return i % 3 == 1 ? QString::fromUtf8("助理") : i % 3 == 2 ? QString::fromUtf8("管理") : QString(); }

QJsonObject viewer(int i, const QString& photo = QString())
{
    return {{"client_id", 70000 + i},      {"wus_id", QString::number(1000 + i)}, {"client_name", nameOf(i)},
            {"client_photo", photo},       {"is_assistant", i % 3 == 1},           {"is_admin", i % 3 == 2},
            {"room_id", 0}};
}

QString frame(const QJsonObject& o) { return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)); }

QString onlineList(int n, const std::function<QString(int)>& photo = {})
{
    QJsonArray data;
    for (int i = 0; i < n; ++i)
        data.append(viewer(i, photo ? photo(i) : QString()));
    return frame({{"type", "get_online_list"}, {"online_num", n}, {"data", data}});
}

QString upOrDown(const char* typeInfo, const QJsonObject& who, int onlineNum)
{
    return frame({{"type", "upordown_single"}, {"type_info", typeInfo}, {"online_num", onlineNum}, {"client_info", who}});
}
} // namespace

class tst_LiveMainWindowOnlineBusy : public ChatWindowTestCase
{
    Q_OBJECT

    OnlineSideState* online() { return Access::online(*m_w); }
    LazyRowList* list() { return online()->list; }
    RoomMessageRouter* router() { return Access::roomRouter(*m_w); }
    QString countText() { return online()->countLabel->text(); }
    static QString count(int n) { return QString::fromUtf8("当前在线用户：%1").arg(n); }
    bool allIn(int rows) { return list()->count() == rows && online()->waiting.empty(); }
    ItemOnlineUserWidget* widgetAt(int y)
    {
        return qobject_cast<ItemOnlineUserWidget*>(list()->indexWidget(list()->indexAt(QPoint(10, y))));
    }

    // In a room, the window shown on its online side tab, the tab's first (empty) list in.
    bool onOnlineTab(qint64 room)
    {
        m_w->resize(1280, 800);
        m_w->show();
        if (!QTest::qWaitForWindowExposed(m_w))
            return false;
        if (!enterRoom(room))
            return false;
        const int requests = m_sim.framesOfType("get_online_list").size();
        m_w->showOnlineUserPage();
        m_w->onOnlineTabChanged(-1);
        if (!QTest::qWaitFor([&] { return m_sim.framesOfType("get_online_list").size() > requests; }, kWait))
            return false;
        settle();
        return true;
    }

private slots:
    // Every viewer shows at its place with its name and badge as the list is scrolled through,
    // while no more than a few screens of rows are ever made.
    void scrollingShowsEveryRowAtItsPlace()
    {
        QVERIFY(onOnlineTab(651));
        router()->onWsTextMessage(onlineList(kViewers));
        QTRY_COMPARE_WITH_TIMEOUT(countText(), count(kViewers), kWait);
        QTRY_VERIFY_WITH_TIMEOUT(allIn(kViewers) && list()->isVisible(), kWait);

        QScrollBar* bar = list()->verticalScrollBar();
        const int rowHeight = ItemOnlineUserWidget::kRowHeight;
        QCOMPARE(bar->maximum() + list()->viewport()->height(), kViewers * rowHeight);
        QSet<int> seen;
        int mostMade = 0;
        for (int value = 0;; value = qMin(bar->maximum(), value + list()->viewport()->height())) {
            bar->setValue(value);
            list()->viewport()->repaint(); // the rows in view are painted (names and badges set)
            // Every row at least partly in view, top to bottom.
            for (int i = list()->indexAt(QPoint(10, 0)).row(); i < kViewers; ++i) {
                const QRect place = list()->visualRect(list()->model()->index(i, 0));
                if (place.top() >= list()->viewport()->height())
                    break;
                QCOMPARE(list()->indexAt(QPoint(10, place.center().y())).row(), i);
                ItemOnlineUserWidget* row = widgetAt(place.center().y());
                QVERIFY2(row, qPrintable(QStringLiteral("no row widget for row %1").arg(i)));
                QVERIFY(row->isVisible());
                QCOMPARE(row->geometry().top(), i * rowHeight - value);
                QCOMPARE(row->height(), rowHeight);
                QCOMPARE(row->record().client_name, nameOf(i));
                QCOMPARE(row->nameLabel()->text(), nameOf(i)); // set as the row is painted
                QCOMPARE(row->nameLabel()->toolTip(), solvek::plainToolTip(nameOf(i)));
                QCOMPARE(row->badgeLabel() ? row->badgeLabel()->items().value(0).text : QString(), badgeOf(i));
                seen.insert(i);
            }
            mostMade = qMax(mostMade, list()->madeRows());
            if (value == bar->maximum())
                break;
        }
        QCOMPARE(seen.size(), kViewers);
        QVERIFY2(mostMade < 100, qPrintable(QStringLiteral("%1 rows made at once").arg(mostMade)));
    }

    // The name filter over a busy room's list from the room channel keeps exactly the viewers whose
    // names hold the text, in the list's order.
    void searchFindsTheSameRows()
    {
        QVERIFY(onOnlineTab(652));
        QVERIFY(control("/_sim/room/viewers/bulk", {{"room_id", "652"}, {"count", kViewers}, {"first_id", 100000}}));
        online()->searchEdit->setText(QString::fromUtf8("观众1012"));
        QTest::mouseClick(online()->searchButton, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
        QTRY_COMPARE_WITH_TIMEOUT(countText(), count(kViewers), kWait);
        QTRY_VERIFY_WITH_TIMEOUT(online()->waiting.empty() && list()->count() > 0, kWait);
        QStringList expected;
        for (int id = 100000; id < 100000 + kViewers; ++id)
            if (nameOf(id).contains(QString::fromUtf8("观众1012"), Qt::CaseInsensitive))
                expected << nameOf(id);
        QStringList shown;
        for (int i = 0; i < list()->count(); ++i)
            shown << list()->item(i)->data(LazyRowList::kRecordRole).value<ItemOnlineUserInfo>().client_name;
        QCOMPARE(shown, expected);
        QCOMPARE(online()->idMap.size(), expected.size());
    }

    // A row whose menu is open keeps its widget and its viewer while arrivals push it far out of
    // view; the entry chosen then acts on that viewer's row.
    void menuStaysWithItsRowWhileViewersArrive()
    {
        QVERIFY(onOnlineTab(653));
        ChatRowHooks hooks;
        router()->onWsTextMessage(onlineList(300));
        QTRY_VERIFY_WITH_TIMEOUT(allIn(300) && list()->isVisible(), kWait);
        list()->viewport()->repaint();
        QPointer<ItemOnlineUserWidget> row = widgetAt(ItemOnlineUserWidget::kRowHeight * 3 + 5);
        QVERIFY(row);
        const QString key = row->record().client_id;
        QCOMPARE(row->record().client_name, nameOf(3));

        int arrivals = 0;
        bool stayed = false;
        hooks.choice = QString::fromUtf8("拉黑");
        hooks.duringMenu = [&] {
            row->currentMenu()->show();
            for (; arrivals < 200; ++arrivals) {
                router()->onWsTextMessage(upOrDown("up", viewer(5000 + arrivals), 301 + arrivals));
                QCoreApplication::processEvents();
            }
            // Two hundred rows above it: far beyond the rows kept around the view.
            stayed = row && list()->itemForRow(row) == online()->idMap.value(key) &&
                     row->record().client_name == nameOf(3);
            row->currentMenu()->hide();
        };
        QTest::mouseClick(row->actionLabel(), Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
        QTRY_COMPARE_WITH_TIMEOUT(hooks.menus, 1, kWait);
        QVERIFY(stayed);
        QCOMPARE(list()->count(), 500);
        // Blocking the viewer takes exactly its row away.
        QTRY_VERIFY_WITH_TIMEOUT(!online()->idMap.contains(key), kWait);
        QCOMPARE(list()->count(), 499);
        for (int i = 0; i < list()->count(); ++i)
            QVERIFY(list()->item(i)->data(LazyRowList::kRecordRole).value<ItemOnlineUserInfo>().client_id != key);
    }

    // A row whose measure is still on its way is kept while viewers arrive above it, so the answer
    // still takes the viewer's row away.
    void rowWaitingForItsMeasureIsKept()
    {
        QVERIFY(onOnlineTab(656));
        ChatRowHooks hooks;
        router()->onWsTextMessage(onlineList(300));
        QTRY_VERIFY_WITH_TIMEOUT(allIn(300) && list()->isVisible(), kWait);
        list()->viewport()->repaint();
        QPointer<ItemOnlineUserWidget> row = widgetAt(ItemOnlineUserWidget::kRowHeight * 3 + 5);
        QVERIFY(row);
        const QString key = row->record().client_id;
        QVERIFY(m_sim.script("/liveSystem/Room/wechatUserOpt",
                             QJsonArray{QJsonObject{{"delay", 5.0}, {"passthrough", true}}}));
        const int sent = m_sim.requests("/liveSystem/Room/wechatUserOpt").size();
        hooks.choice = QString::fromUtf8("拉黑");
        QTest::mouseClick(row->actionLabel(), Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
        QTRY_COMPARE_WITH_TIMEOUT(hooks.menus, 1, kWait);
        QTRY_VERIFY_WITH_TIMEOUT(m_sim.requests("/liveSystem/Room/wechatUserOpt").size() > sent, kWait);
        for (int i = 0; i < 200; ++i) {
            router()->onWsTextMessage(upOrDown("up", viewer(6000 + i), 301 + i));
            QCoreApplication::processEvents();
        }
        // The answer comes seconds later, after every arrival (the count may already be 499 on a
        // slow machine, where the arrivals took longer than that).
        QTRY_VERIFY_WITH_TIMEOUT(!online()->idMap.contains(key), kWait);
        QCOMPARE(list()->count(), 499);
    }

    // A photo whose row was let go before it arrived shows once the row is scrolled back into view.
    void photoArrivingOutOfViewShowsWhenScrolledIn()
    {
        QVERIFY(onOnlineTab(654));
        PictureCache::instance().clear();
        const QString base = m_sim.baseUrl();
        router()->onWsTextMessage(
            onlineList(kViewers, [&base](int i) { return base + QStringLiteral("/pic/64x64/busy%1").arg(i); }));
        QTRY_VERIFY_WITH_TIMEOUT(allIn(kViewers) && list()->isVisible(), kWait);
        // Row 3000 is made as it is scrolled to, and let go as the list goes back to the top before
        // its photo could arrive.
        QScrollBar* bar = list()->verticalScrollBar();
        const int at = 3000 * ItemOnlineUserWidget::kRowHeight;
        bar->setValue(at);
        QPointer<ItemOnlineUserWidget> made = widgetAt(ItemOnlineUserWidget::kRowHeight / 2);
        QVERIFY(made);
        const QString photo = made->record().client_photo;
        QCOMPARE(made->record().client_name, nameOf(3000));
        QVERIFY(PictureCache::instance().isPending(photo));
        bar->setValue(0);
        QTRY_VERIFY_WITH_TIMEOUT(!made, kWait);
        QTRY_VERIFY_WITH_TIMEOUT(!PictureCache::instance().isPending(photo), kWait);

        ItemOnlineUserWidget fallback(ItemOnlineUserInfo{}); // the picture of a row without photo
        bar->setValue(at);
        ItemOnlineUserWidget* back = widgetAt(ItemOnlineUserWidget::kRowHeight / 2);
        QVERIFY(back);
        QCOMPARE(back->record().client_photo, photo);
        const QPixmap* shown = back->photoLabel()->pixmap();
        QVERIFY(shown && !shown->isNull());
        QVERIFY(shown->toImage() != fallback.photoLabel()->pixmap()->toImage());
    }

    // Arrivals and departures that come while a long list is still being added act after it, in
    // the order they came; the count shows the "online_num" of each message as it is handled.
    void changesWaitBehindAListBeingAdded()
    {
        QVERIFY(onOnlineTab(655));
        router()->setOnlineDownDelay(0);
        router()->onWsTextMessage(onlineList(kViewers));
        router()->onWsTextMessage(upOrDown("up", viewer(9000), kViewers + 1));
        router()->onWsTextMessage(upOrDown("down", viewer(kViewers - 1), kViewers));
        router()->onWsTextMessage(upOrDown("down", viewer(10), kViewers - 1));
        QTRY_COMPARE_WITH_TIMEOUT(countText(), count(kViewers - 1), kWait);
        QTRY_VERIFY_WITH_TIMEOUT(allIn(kViewers - 1), kWait);
        const auto nameAt = [this](int i) {
            return list()->item(i)->data(LazyRowList::kRecordRole).value<ItemOnlineUserInfo>().client_name;
        };
        // The arrival is on top of the whole list; the two who left are gone.
        QCOMPARE(nameAt(0), nameOf(9000));
        QCOMPARE(nameAt(1), nameOf(0));
        QCOMPARE(nameAt(10), nameOf(9));
        QCOMPARE(nameAt(11), nameOf(11));
        QCOMPARE(nameAt(kViewers - 2), nameOf(kViewers - 2));
        QCOMPARE(online()->idMap.size(), kViewers - 1);
        QVERIFY(!online()->idMap.contains(QString::number(70010)));
        QVERIFY(!online()->idMap.contains(QString::number(70000 + kViewers - 1)));
    }
};

QTEST_MAIN(tst_LiveMainWindowOnlineBusy)
#include "tst_LiveMainWindowOnlineBusy.moc"
