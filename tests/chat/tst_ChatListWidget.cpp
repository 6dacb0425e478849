// test-label: unit
// Rows added as a group: laid out once, each row widget in its place before anything is painted.
#include "chat/ChatListWidget.h"

#include <QLabel>
#include <QScrollBar>
#include <QtTest>

class tst_ChatListWidget : public QObject
{
    Q_OBJECT

    static QListWidgetItem* addRow(ChatListWidget& list, int i)
    {
        auto* item = new QListWidgetItem;
        item->setSizeHint(QSize(280, 30 + (i % 3) * 10));
        list.addItem(item);
        list.setItemWidget(item, new QLabel(QString::number(i)));
        return item;
    }
    // Every row widget where its item is. The widgets are read before the list is asked for item
    // rectangles, which would run a layout still pending.
    static bool placed(ChatListWidget& list)
    {
        QList<QPoint> at;
        for (int i = 0; i < list.count(); ++i)
            at << list.itemWidget(list.item(i))->geometry().topLeft();
        for (int i = 0; i < list.count(); ++i)
            if (at.at(i) != list.visualItemRect(list.item(i)).topLeft())
                return false;
        return true;
    }

private slots:
    void groupIsPlacedAtItsEnd()
    {
        ChatListWidget list;
        list.setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
        list.resize(300, 400);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        for (int i = 0; i < 5; ++i)
            addRow(list, i);
        QVERIFY(!list.isGrouping());
        QTRY_VERIFY(placed(list)); // rows added one by one: placed by the list's own delayed layout

        list.beginRows();
        QVERIFY(list.isGrouping());
        for (int i = 5; i < 60; ++i)
            addRow(list, i);
        list.endRows();
        QVERIFY(!list.isGrouping());
        QVERIFY(placed(list)); // no event has run since: the group's end placed every row
        list.scrollToBottom();
        QVERIFY(placed(list));
        QCOMPARE(list.verticalScrollBar()->value(), list.verticalScrollBar()->maximum());
        list.endRows(); // a second end changes nothing
        QVERIFY(placed(list));
    }
};

QTEST_MAIN(tst_ChatListWidget)
#include "tst_ChatListWidget.moc"
