// test-label: integration
// An online-user row against the service simulator: the menu from the viewer's state, muting,
// blocking, shielding and lifting them, refusals, a row gone while its request is pending, the
// name shown as plain text and the badge.
#include "chat/ItemOnlineUserWidget.h"
#include "chat/MarkUserTagDialog.h"
#include "chat/UserWithTagLabel.h"
#include "core/UntrustedText.h"
#include "support/ChatOpsTestCase.h"
#include "widgets/ClickableLabel.h"

#include <QJsonArray>
#include <QLabel>
#include <QSignalSpy>
#include <QtTest>

namespace {

ItemOnlineUserInfo viewer(int spaceId, int listType = ItemOnlineUserInfo::Online, const QString& name = "Bob")
{
    ItemOnlineUserInfo r;
    r.wus_id = spaceId;
    r.room_id = 42;
    r.list_type = listType;
    r.client_name = name;
    r.ip_location = "广东";
    return r;
}

} // namespace

class tst_ItemOnlineUserWidget : public ChatOpsTestCase
{
    Q_OBJECT

    void press(ItemOnlineUserWidget& row)
    {
        QVERIFY(row.actionLabel());
        QTest::mousePress(row.actionLabel(), Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
    }

    // Presses "更多" and waits for the menu (or the failure tip).
    void openMenu(ItemOnlineUserWidget& row)
    {
        const int before = m_hooks->menus;
        press(row);
        QTRY_VERIFY_WITH_TIMEOUT(m_hooks->menus > before || !m_hooks->toasts.isEmpty(), 10000);
    }

private slots:
    void menuFollowsTheViewerState_data()
    {
        QTest::addColumn<QJsonObject>("state");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("muted") << QJsonObject{{"shut_up", 1}, {"forbid", 0}, {"is_shield", false}}
                               << QStringList{"取消禁言", "拉黑", "屏蔽", "打标签"};
        QTest::newRow("shield as a number") << QJsonObject{{"shut_up", 0}, {"forbid", 1}, {"is_shield", 1}}
                                            << QStringList{"禁言", "取消拉黑", "屏蔽", "打标签"};
        QTest::newRow("shielded") << QJsonObject{{"shut_up", "1"}, {"is_shield", true}}
                                  << QStringList{"禁言", "拉黑", "取消屏蔽", "打标签"};
    }

    void menuFollowsTheViewerState()
    {
        QFETCH(QJsonObject, state);
        QFETCH(QStringList, entries);
        QJsonObject spec = state;
        spec["room_id"] = "42";
        spec["wechat_user_space_id"] = "9100";
        m_sim.control("/_sim/chatops/viewer", spec);
        ItemOnlineUserWidget row(viewer(9100));
        openMenu(row);
        QCOMPARE(m_hooks->menuEntries, entries);
        QCOMPARE(row.actionLabel()->text(), QString("更多"));
        const QJsonObject info = m_sim.requests("/Wx/WechatUser/getUserInfo")[0].toObject().value("form").toObject();
        QCOMPARE(info.value("room_id").toString(), QString("42"));
        QCOMPARE(info.value("uid").toString(), QString("77"));
        QCOMPARE(info.value("wechat_user_space_id").toString(), QString("9100"));
    }

    void adminNeedsNoModeration()
    {
        ItemOnlineUserWidget row(viewer(9001));
        m_hooks->choice = "打标签";
        openMenu(row);
        QCOMPARE(m_hooks->toasts.size(), 1);
        QCOMPARE(m_hooks->toasts[0].text, QString("管理员无需操作"));
        QVERIFY(m_hooks->toasts[0].tip);
        QVERIFY(m_hooks->tagDialogs.isEmpty());
        QVERIFY(m_hooks->confirmTitle.isEmpty());
    }

    void operations_data()
    {
        QTest::addColumn<int>("spaceId");
        QTest::addColumn<int>("listType");
        QTest::addColumn<QString>("choice"); // empty: the row's own undo label
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("opt");
        QTest::addColumn<bool>("removed");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QJsonValue>("after");
        const QString opt = "/liveSystem/Room/wechatUserOpt";
        const QString cancel = "/liveSystem/Room/wechatUserCancelOpt";
        QTest::newRow("block online") << 9100 << 0 << "拉黑" << "拉黑" << opt << "forbid" << true << "forbid" << QJsonValue(1);
        QTest::newRow("mute online") << 9100 << 0 << "禁言" << "禁言" << opt << "shut_up" << false << "shut_up" << QJsonValue(1);
        QTest::newRow("unmute online") << 9002 << 0 << "取消禁言" << "取消禁言" << cancel << "shut_up" << false << "shut_up" << QJsonValue(0);
        QTest::newRow("unmute tab") << 9002 << 1 << "" << "取消禁言" << cancel << "shut_up" << true << "shut_up" << QJsonValue(0);
        QTest::newRow("unblock tab") << 9003 << 2 << "" << "取消拉黑" << cancel << "forbid" << true << "forbid" << QJsonValue(0);
        QTest::newRow("unshield tab") << 9003 << 3 << "" << "取消屏蔽" << cancel << "shield" << true << "is_shield" << QJsonValue(false);
    }

    void operations()
    {
        QFETCH(int, spaceId);
        QFETCH(int, listType);
        QFETCH(QString, choice);
        QFETCH(QString, title);
        QFETCH(QString, path);
        QFETCH(QString, opt);
        QFETCH(bool, removed);
        QFETCH(QString, key);
        QFETCH(QJsonValue, after);
        ItemOnlineUserWidget row(viewer(spaceId, listType));
        QSignalSpy removal(&row, &ItemOnlineUserWidget::onRemoveItem);
        m_hooks->choice = choice;
        if (choice.isEmpty()) {
            QCOMPARE(row.actionLabel()->text(), title);
            press(row);
        } else {
            openMenu(row);
        }
        QCOMPARE(m_hooks->confirmTitle, title);
        QTRY_COMPARE_WITH_TIMEOUT(m_hooks->toasts.size(), 1, 10000);
        QCOMPARE(m_hooks->toasts[0].text, title + "成功");
        QVERIFY(m_hooks->toasts[0].success);
        const QJsonArray sent = m_sim.requests(path);
        QCOMPARE(sent.size(), 1);
        QCOMPARE(sent[0].toObject().value("body").toString(),
                 QString("uid=77&room_id=42&wechat_user_space_id=%1&opt=%2").arg(spaceId).arg(opt));
        QCOMPARE(removal.count(), removed ? 1 : 0);
        QCOMPARE(viewerState(QString::number(spaceId)).value(key), after);
    }

    void cancelledConfirmationSendsNothing()
    {
        m_hooks->acceptConfirm = false;
        ItemOnlineUserWidget row(viewer(9002, ItemOnlineUserInfo::Muted));
        press(row);
        QCOMPARE(m_hooks->confirmTitle, QString("取消禁言"));
        QTest::qWait(200);
        QCOMPARE(m_sim.requests("/liveSystem/Room/wechatUserCancelOpt").size(), 0);
        QVERIFY(m_hooks->toasts.isEmpty());
    }

    void refusalKeepsTheRow()
    {
        QVERIFY(m_sim.script("/liveSystem/Room/wechatUserCancelOpt",
                             QJsonArray{QJsonObject{{"body", QJsonObject{{"code", 500}, {"msg", "稍后再试"}}}}}));
        ItemOnlineUserWidget row(viewer(9003, ItemOnlineUserInfo::Blocked));
        QSignalSpy removal(&row, &ItemOnlineUserWidget::onRemoveItem);
        press(row);
        QTRY_COMPARE_WITH_TIMEOUT(m_hooks->toasts.size(), 1, 10000);
        QCOMPARE(m_hooks->toasts[0].text, QString("稍后再试"));
        QVERIFY(!m_hooks->toasts[0].success);
        QCOMPARE(removal.count(), 0);
    }

    void rowGoneWhileItsRequestIsPending()
    {
        QVERIFY(m_sim.script("/liveSystem/Room/wechatUserOpt", QJsonArray{QJsonObject{{"delay", 0.3}, {"passthrough", true}}}));
        auto* row = new ItemOnlineUserWidget(viewer(9100));
        m_hooks->choice = "拉黑";
        openMenu(*row);
        delete row; // a reload cleared the list
        QTRY_COMPARE_WITH_TIMEOUT(m_hooks->toasts.size(), 1, 10000);
        QCOMPARE(m_hooks->toasts[0].text, QString("拉黑成功"));
        QCOMPARE(viewerState("9100").value("forbid").toInt(), 1);
    }

    void nameIsPlainTextAndElided()
    {
        ItemOnlineUserWidget row(viewer(9003, ItemOnlineUserInfo::Shielded, "<b>x</b>"));
        row.resize(300, 56);
        row.show();
        QVERIFY(QTest::qWaitForWindowExposed(&row));
        QTRY_COMPARE(row.nameLabel()->text(), QString("<b>x</b>"));
        QCOMPARE(row.nameLabel()->textFormat(), Qt::PlainText);
        QCOMPARE(row.nameLabel()->toolTip(), solvek::plainToolTip("<b>x</b>"));
        press(row);
        QVERIFY(m_hooks->confirmContent.contains("&lt;b&gt;x&lt;/b&gt;"));

        const QString longName(200, QChar('W'));
        ItemOnlineUserWidget longRow(viewer(9100, ItemOnlineUserInfo::Online, longName));
        longRow.resize(300, 56);
        longRow.show();
        QVERIFY(QTest::qWaitForWindowExposed(&longRow));
        QTRY_VERIFY(longRow.nameLabel()->text().endsWith("..."));
        QVERIFY(longRow.nameLabel()->text().size() < longName.size());
    }

    void badges_data()
    {
        QTest::addColumn<bool>("assistant");
        QTest::addColumn<bool>("admin");
        QTest::addColumn<int>("listType");
        QTest::addColumn<QString>("badge");
        QTest::newRow("both") << true << true << 0 << "助理";
        QTest::newRow("admin") << false << true << 0 << "管理";
        QTest::newRow("none") << false << false << 0 << "";
        QTest::newRow("other tab") << true << false << 1 << "";
    }

    void badges()
    {
        QFETCH(bool, assistant);
        QFETCH(bool, admin);
        QFETCH(int, listType);
        QFETCH(QString, badge);
        ItemOnlineUserInfo r = viewer(9100, listType);
        r.is_assistant = assistant;
        r.is_admin = admin;
        ItemOnlineUserWidget row(r);
        QSignalSpy painted(&row, &ItemOnlineUserWidget::loadFinished);
        row.resize(300, 56);
        row.show();
        QVERIFY(QTest::qWaitForWindowExposed(&row));
        QTRY_VERIFY(painted.count() > 0);
        row.repaint();
        row.repaint();
        QVERIFY(painted.count() >= 3);
        if (badge.isEmpty()) {
            QVERIFY(!row.badgeLabel());
            return;
        }
        QVERIFY(row.badgeLabel());
        QCOMPARE(row.badgeLabel()->items().size(), 1);
        QCOMPARE(row.badgeLabel()->items()[0].text, badge);
        QCOMPARE(row.findChildren<UserWithTagLabel*>().size(), 1);
    }

    void noActionWithoutASpaceId()
    {
        ItemOnlineUserWidget row(viewer(0));
        QVERIFY(!row.actionLabel());
    }

    void menuOpensAboveNearTheBottom()
    {
        const QSize hint(80, 150);
        QCOMPARE(ItemOnlineUserWidget::menuPosition(QPoint(300, 1000), 1056, hint), QPoint(220, 850));
        QCOMPARE(ItemOnlineUserWidget::menuPosition(QPoint(300, 999), 1056, hint), QPoint(220, 1055));
    }

    void tagEntryOpensTheDialogForTheViewer()
    {
        ItemOnlineUserWidget row(viewer(9100, ItemOnlineUserInfo::Online, "Ann"));
        m_hooks->choice = "打标签";
        openMenu(row);
        QCOMPARE(m_hooks->tagDialogs.size(), 1);
        MarkUserTagDialog* dialog = m_hooks->tagDialogs[0];
        QCOMPARE(dialog->infoLabel()->text(), QString("ID：9100　　广东"));
        QTRY_COMPARE_WITH_TIMEOUT(dialog->tagWidgets().size(), 3, 10000);
        QCOMPARE(dialog->selectedIds(), QList<int>{1});
        QCOMPARE(row.record().tags.size(), 1);
    }
};

QTEST_MAIN(tst_ItemOnlineUserWidget)
#include "tst_ItemOnlineUserWidget.moc"
