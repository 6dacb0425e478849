// test-label: integration
// The tag dialog against the service simulator: the grid and its heights, the selection order,
// the saved ids, the confirm button's state, refusals, hostile colours, and the chat row's opener.
#include "chat/ChatItemWidget.h"
#include "chat/MarkUserTagDialog.h"
#include "chat/UserTagCheckWidget.h"
#include "support/ChatOpsTestCase.h"
#include "widgets/ClickableLabel.h"

#include <QGridLayout>
#include <QJsonArray>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QtTest>

namespace {

QJsonArray roomTags(int count)
{
    QJsonArray tags;
    for (int i = 1; i <= count; ++i)
        tags.append(QJsonObject{{"id", i}, {"title", QString("标签%1").arg(i)}, {"color", "#3B7CFF"}});
    return tags;
}

} // namespace

class tst_MarkUserTagDialog : public ChatOpsTestCase
{
    Q_OBJECT

    void setRoomTags(const QJsonArray& tags) { m_sim.control("/_sim/chatops/tags", {{"room_id", "42"}, {"tags", tags}}); }

    // A dialog for viewer 9100 of room 42 with the room's tags shown.
    MarkUserTagDialog* openDialog(const QList<UserTag>& viewerTags = {})
    {
        MarkUserTagDialog::openFor("Ann", QString(), 9100, "广东", 42, viewerTags);
        MarkUserTagDialog* dialog = m_hooks->tagDialogs.last();
        dialog->show();
        [&] { QTRY_VERIFY_WITH_TIMEOUT(dialog->confirmButton()->isEnabled(), 10000); }();
        return dialog;
    }

    static UserTagCheckWidget* tagWidget(MarkUserTagDialog* dialog, int id)
    {
        for (UserTagCheckWidget* w : dialog->tagWidgets()) {
            if (w->tag().id == id)
                return w;
        }
        return nullptr;
    }

    QString savedIds()
    {
        const QJsonArray sent = m_sim.requests("/Mobile/Ucenter/markTag");
        return sent.isEmpty() ? QString("<none>") : sent.last().toObject().value("form").toObject().value("tag_id").toString();
    }

private slots:
    void gridAndHeights_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("spacers");
        QTest::addColumn<int>("area");
        QTest::addColumn<int>("height");
        QTest::newRow("7") << 7 << 3 << 76 << 274;
        QTest::newRow("25") << 25 << 0 << 176 << 374;
        QTest::newRow("none") << 0 << 0 << 0 << 198;
    }

    void gridAndHeights()
    {
        QFETCH(int, count);
        QFETCH(int, spacers);
        QFETCH(int, area);
        QFETCH(int, height);
        setRoomTags(roomTags(count));
        MarkUserTagDialog* dialog = openDialog();
        QCOMPARE(dialog->tagWidgets().size(), count);
        int spacerItems = 0;
        for (int i = 0; i < dialog->grid()->count(); ++i)
            spacerItems += dialog->grid()->itemAt(i)->spacerItem() ? 1 : 0;
        QCOMPARE(spacerItems, spacers);
        QCOMPARE(dialog->grid()->columnCount(), count ? 5 : 1);
        QCOMPARE(dialog->scrollArea()->height(), area);
        QCOMPARE(dialog->height(), height);
        QCOMPARE(m_sim.requests("/Mobile/Ucenter/getTagList")[0].toObject().value("body").toString(), QString("room_id=42"));
    }

    void savesTheSelectionInOrder_data()
    {
        QTest::addColumn<QList<int>>("presses");
        QTest::addColumn<QString>("saved");
        QTest::newRow("3, 9, unselect 3") << QList<int>{3, 9, 3} << "9";
        QTest::newRow("9 then 3") << QList<int>{9, 3} << "9,3";
        QTest::newRow("nothing") << QList<int>{} << "";
    }

    void savesTheSelectionInOrder()
    {
        QFETCH(QList<int>, presses);
        QFETCH(QString, saved);
        setRoomTags(roomTags(10));
        MarkUserTagDialog* dialog = openDialog();
        for (int i = 0; i < presses.size(); ++i) // left and right buttons alike
            QTest::mousePress(tagWidget(dialog, presses[i]), i % 2 ? Qt::RightButton : Qt::LeftButton);
        QTest::mouseClick(dialog->confirmButton(), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(m_hooks->toasts.size(), 1, 10000);
        QCOMPARE(m_hooks->toasts[0].text, QString("保存成功"));
        QVERIFY(m_hooks->toasts[0].success);
        QCOMPARE(savedIds(), saved);
        const QJsonObject form = m_sim.requests("/Mobile/Ucenter/markTag")[0].toObject().value("form").toObject();
        QCOMPARE(form.value("room_id").toString(), QString("42"));
        QCOMPARE(form.value("wechat_user_space_id").toString(), QString("9100"));
        QTRY_VERIFY(!dialog->isVisible());
        // Later viewer-state replies carry the saved tags.
        const QJsonObject v = viewerState("9100");
        QCOMPARE(v.value("tags").toArray().size(), saved.isEmpty() ? 0 : saved.count(',') + 1);
    }

    void viewerTagsStartSelected()
    {
        setRoomTags(roomTags(5));
        // Tag 77 is no longer one of the room's: neither shown nor sent.
        MarkUserTagDialog* dialog = openDialog({{4, "四", "#fff"}, {77, "旧", "#fff"}, {2, "二", "#fff"}});
        QCOMPARE(dialog->selectedIds(), (QList<int>{2, 4}));
        QVERIFY(tagWidget(dialog, 2)->isSelected());
        QVERIFY(!tagWidget(dialog, 1)->isSelected());
        QVERIFY(!tagWidget(dialog, 77));
        QTest::mouseClick(dialog->confirmButton(), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(savedIds(), QString("2,4"), 10000);
    }

    void confirmWaitsForTheRoomTags()
    {
        QVERIFY(m_sim.script("/Mobile/Ucenter/getTagList",
                             QJsonArray{QJsonObject{{"body", QJsonObject{{"code", 500}, {"msg", "标签读取失败"}}}}}));
        MarkUserTagDialog::openFor("Ann", QString(), 9100, "广东", 42, {{1, "老朋友", "#fff"}});
        MarkUserTagDialog* dialog = m_hooks->tagDialogs.last();
        QVERIFY(!dialog->confirmButton()->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(m_hooks->toasts.size(), 1, 10000);
        QCOMPARE(m_hooks->toasts[0].text, QString("标签读取失败"));
        QVERIFY(!dialog->confirmButton()->isEnabled());
        QTest::mouseClick(dialog->confirmButton(), Qt::LeftButton);
        QTest::qWait(100);
        QCOMPARE(m_sim.requests("/Mobile/Ucenter/markTag").size(), 0);
    }

    void refusedSaveKeepsTheDialog()
    {
        QVERIFY(m_sim.script("/Mobile/Ucenter/markTag",
                             QJsonArray{QJsonObject{{"body", QJsonObject{{"code", 403}, {"msg", "无权操作"}}}}}));
        MarkUserTagDialog* dialog = openDialog();
        QTest::mouseClick(dialog->confirmButton(), Qt::LeftButton);
        QVERIFY(!dialog->confirmButton()->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(m_hooks->toasts.size(), 1, 10000);
        QCOMPARE(m_hooks->toasts[0].text, QString("无权操作"));
        QVERIFY(!m_hooks->toasts[0].success);
        QVERIFY(dialog->isVisible());
        QVERIFY(dialog->confirmButton()->isEnabled());
    }

    void hostileTextStaysText()
    {
        setRoomTags(QJsonArray{QJsonObject{{"id", 5}, {"title", "<b>t</b>"}, {"color", "red;}QWidget{x"}},
                               QJsonObject{{"id", 6}, {"title", "ok"}, {"color", "#20C814"}}});
        MarkUserTagDialog* dialog = openDialog();
        UserTagCheckWidget* hostile = tagWidget(dialog, 5);
        QCOMPARE(hostile->label()->textFormat(), Qt::PlainText);
        QCOMPARE(hostile->label()->text(), QString("<b>t</b>"));
        QVERIFY(!hostile->selectedStyle().contains("QWidget"));
        QVERIFY(hostile->selectedStyle().startsWith("background: #6B6C83;"));
        QVERIFY(tagWidget(dialog, 6)->selectedStyle().startsWith("background: #20C814;"));
        QCOMPARE(dialog->nameLabel()->textFormat(), Qt::PlainText);
    }

    void closeAndCancelClose()
    {
        MarkUserTagDialog* dialog = openDialog();
        QTest::mouseClick(dialog->cancelButton(), Qt::LeftButton);
        QVERIFY(!dialog->isVisible());
        MarkUserTagDialog* other = openDialog();
        QTest::mousePress(other->closeIcon(), Qt::LeftButton);
        QVERIFY(!other->isVisible());
        QCOMPARE(m_sim.requests("/Mobile/Ucenter/markTag").size(), 0);
    }

    void chatRowOpensTheDialogForTheSender()
    {
        ItemChatRecord r;
        r.id = "m1";
        r.room_id = 42;
        r.msg_type = "speak";
        r.from_client_name = "Eve";
        r.wechat_user_space_id = "9100";
        r.content.content = "hi";
        ChatItemWidget row;
        row.addChatRecord(r);
        m_hooks->choice = "打标签";
        QTest::mousePress(row.avatarLabel(), Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
        QTRY_COMPARE_WITH_TIMEOUT(m_hooks->tagDialogs.size(), 1, 10000);
        MarkUserTagDialog* dialog = m_hooks->tagDialogs[0];
        QCOMPARE(dialog->infoLabel()->text(), QString("ID：9100　　"));
        QTRY_VERIFY_WITH_TIMEOUT(dialog->confirmButton()->isEnabled(), 10000);
        QCOMPARE(dialog->selectedIds(), QList<int>{1}); // the sender's "老朋友"
        QTest::mouseClick(dialog->confirmButton(), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(savedIds(), QString("1"), 10000);
    }
};

QTEST_MAIN(tst_MarkUserTagDialog)
#include "tst_MarkUserTagDialog.moc"
