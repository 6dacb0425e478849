// test-label: integration
// Message rows made only where they are seen: scrolling through a long list shows each row's
// content at its place and size while few rows exist at a time (rows are labels there, for speed); a row showing a menu stays while new
// messages push it away; a picture that arrives for a row out of view shows when it comes back.
#include "chat/ChatItemWidget.h"
#include "chat/ChatListWidget.h"
#include "chat/MessageLabel.h"
#include "chat/PictureCache.h"
#include "support/ChatRowHooks.h"
#include "support/SimulatorProcess.h"

#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QScrollBar>
#include <QtTest>

namespace {

ItemChatRecord rec(int n, const QString& type = QStringLiteral("speak"))
{
    ItemChatRecord r;
    r.id = QStringLiteral("m%1").arg(n);
    r.room_id = 42;
    r.from_client_name = QStringLiteral("viewer %1").arg(n);
    r.wechat_user_space_id = QStringLiteral("9100");
    r.msg_type = type;
    // Every seventh message wraps over more lines, so rows differ in height.
    r.content.content = QStringLiteral("message %1").arg(n) +
                        (n % 7 == 0 ? QStringLiteral(" with a text long enough to wrap over two lines or more") : QString());
    r.chat_time = QStringLiteral("20:15");
    return r;
}

ItemChatRecord recordOf(QListWidgetItem* item)
{
    return item->data(ChatListWidget::kRecordRole).value<ItemChatRecord>();
}

// A list set up as the chat page sets up its own, with chat rows made from the items' records.
struct RowList {
    ChatListWidget list;
    int made = 0;

    // Chat rows, or (plain) a label naming the record's id, of the item's height.
    explicit RowList(bool plain = false)
    {
        list.setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
        list.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        ChatItemWidget::shareLook(&list);
        list.setRowFactory([this, plain](QListWidgetItem* item) -> QWidget* {
            ++made;
            if (plain) {
                auto* label = new QLabel(recordOf(item).id, list.viewport());
                const int n = recordOf(item).id.mid(1).toInt();
                label->setFixedHeight(40 + (n % 7 == 0 ? 30 : 0));
                return label;
            }
            auto* row = new ChatItemWidget(list.viewport());
            row->addChatRecord(recordOf(item));
            row->adjustSize();
            QObject::connect(row, &ChatItemWidget::onLoadFinish, &list,
                             [item](int h) { item->setSizeHint(QSize(item->sizeHint().width(), h)); });
            return row;
        });
        list.resize(320, 600);
        list.show();
    }
    void add(const ItemChatRecord& r)
    {
        list.addItem(list.makeRowItem(QVariant::fromValue(r), r.msg_type + r.content.content.size() / 8));
    }
};

} // namespace

class tst_ChatListRows : public QObject
{
    Q_OBJECT
    SimulatorProcess m_sim;

private slots:
    void initTestCase() { QVERIFY(m_sim.start()); }

    void scrollingShowsEachRowAtItsPlace()
    {
        RowList rows(true);
        QVERIFY(QTest::qWaitForWindowExposed(&rows.list));
        ChatListWidget& list = rows.list;
        list.beginRows();
        for (int i = 1; i <= 10000; ++i)
            rows.add(rec(i));
        list.endRows();
        QCoreApplication::processEvents();
        QVERIFY2(list.madeRows() < 40, qPrintable(QString::number(list.madeRows())));

        // Page by page from the top to the bottom: every row in view has its widget, showing its
        // own record where its item is; only the rows near the viewport exist.
        QScrollBar* bar = list.verticalScrollBar();
        bar->setValue(0);
        int checked = 0;
        int step = 0;
        QSet<int> seen;
        while (true) {
            QCoreApplication::processEvents();
            const QModelIndex top = list.indexAt(QPoint(1, 0));
            const QModelIndex bottom = list.indexAt(QPoint(1, list.viewport()->height() - 1));
            QVERIFY(top.isValid());
            const int last = bottom.isValid() ? bottom.row() : list.count() - 1;
            for (int r = top.row(); r <= last; ++r) {
                QListWidgetItem* item = list.item(r);
                auto* row = qobject_cast<QLabel*>(list.itemWidget(item));
                QVERIFY2(row, qPrintable(QStringLiteral("row %1 has no widget").arg(r)));
                QCOMPARE(row->text(), recordOf(item).id);
                QCOMPARE(row->height(), list.visualItemRect(item).height());
                QCOMPARE(recordOf(item).id, QStringLiteral("m%1").arg(r + 1));
                const QPoint at = list.visualItemRect(item).topLeft(); // lays out what is pending
                QCOMPARE(row->geometry().topLeft(), at);
                seen.insert(r);
                ++checked;
            }
            QVERIFY2(list.madeRows() < 60, qPrintable(QString::number(list.madeRows())));
            if (bar->value() >= bar->maximum())
                break;
            // Rows measured on the way change the range: go on from where the view is.
            bar->setValue(bar->value() + list.viewport()->height());
            QVERIFY(++step < 20000);
        }
        QCOMPARE(seen.size(), 10000);
        QVERIFY(checked >= 10000);
        QVERIFY(rows.made >= 10000); // each was made when seen, and let go again
    }

    void rowShowingAMenuStaysWhileMessagesArrive()
    {
        ChatRowHooks hooks;
        // The menu is shown without a loop of its own, as a user would see it while reading it.
        QPointer<QMenu> shown;
        ChatItemWidget::hooks().execMenu = [&](QMenu* menu, const QPoint&) {
            shown = menu;
            menu->popup(QPoint(10, 10));
        };
        RowList rows;
        QVERIFY(QTest::qWaitForWindowExposed(&rows.list));
        ChatListWidget& list = rows.list;
        for (int i = 1; i <= 5; ++i)
            rows.add(rec(i));
        QCoreApplication::processEvents();
        QPointer<ChatItemWidget> row = qobject_cast<ChatItemWidget*>(list.rowWidget(0));
        QVERIFY(row);
        QVariant payload = row->bubble()->payload();
        row->onShowMessageOptMenu(payload, nullptr);
        QTRY_VERIFY(shown && shown->isVisible());

        // Many messages later, the list at its bottom: the row is far out of view, and kept.
        list.beginRows();
        for (int i = 6; i <= 2000; ++i)
            rows.add(rec(i));
        list.endRows();
        list.scrollToBottom();
        QTest::qWait(50);
        QVERIFY(row);
        QVERIFY(shown && shown->isVisible());
        QCOMPARE(list.itemWidget(list.item(0)), static_cast<QWidget*>(row.data()));
        QCOMPARE(shown->parent(), static_cast<QObject*>(row.data()));
        QVERIFY(list.madeRows() < 60);

        // Once the menu is closed the row goes like any other out of view.
        shown->close();
        list.scrollToTop();
        list.scrollToBottom();
        QTRY_VERIFY(!row);
        QVERIFY(!list.itemWidget(list.item(0)));
        QCOMPARE(recordOf(list.item(0)).id, QStringLiteral("m1"));
    }

    void pictureArrivingOutOfViewShowsWhenTheRowComesBack()
    {
        PictureCache::instance().clear();
        RowList rows;
        QVERIFY(QTest::qWaitForWindowExposed(&rows.list));
        ChatListWidget& list = rows.list;
        ItemChatRecord photo = rec(1, QStringLiteral("image"));
        photo.content.img_src = m_sim.baseUrl() + "/pic/300x150/late";
        rows.add(photo);
        for (int i = 2; i <= 300; ++i)
            rows.add(rec(i));
        QCoreApplication::processEvents();
        QPointer<ChatItemWidget> first = qobject_cast<ChatItemWidget*>(list.itemWidget(list.item(0)));
        QVERIFY(first); // in view: made, and its picture asked for
        QVERIFY(PictureCache::instance().isPending(photo.content.img_src));
        // Scrolled away before the picture comes: the row is let go.
        list.scrollToBottom();
        QTRY_VERIFY(!first);
        QTRY_VERIFY(!PictureCache::instance().isPending(photo.content.img_src));
        QCOMPARE(m_sim.requests("/pic/300x150/late").size(), 1);

        list.scrollToTop();
        QCoreApplication::processEvents();
        auto* again = qobject_cast<ChatItemWidget*>(list.itemWidget(list.item(0)));
        QVERIFY(again);
        QCOMPARE(again->bubble()->picture().size(), QSize(224, 112));
        QCOMPARE(m_sim.requests("/pic/300x150/late").size(), 1);
    }
};

QTEST_MAIN(tst_ChatListRows)
#include "tst_ChatListRows.moc"
