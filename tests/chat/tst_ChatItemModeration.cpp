// test-label: integration
// The row's requests against the service simulator: pinning, the viewer-state request behind
// the sender menu, and muting, blocking and shielding.
#include "chat/ChatItemWidget.h"
#include "chat/MessageLabel.h"
#include "support/ChatOpsTestCase.h"
#include "widgets/ClickableLabel.h"

#include <QJsonArray>
#include <QMouseEvent>
#include <QtTest>

namespace {

ItemChatRecord viewerRecord(const QString& spaceId, const QString& name = "Bob")
{
    ItemChatRecord r;
    r.id = "m77";
    r.room_id = 42;
    r.msg_type = "speak";
    r.from_client_name = name;
    r.wechat_user_space_id = spaceId;
    r.content.content = "hello";
    return r;
}

} // namespace

class tst_ChatItemModeration : public ChatOpsTestCase
{
    Q_OBJECT

    // Opens the sender menu of a row for the record and picks the hooks' choice.
    void openSenderMenu(ChatItemWidget& row)
    {
        const int before = m_hooks->menus;
        QTest::mousePress(row.avatarLabel(), Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
        QTRY_VERIFY_WITH_TIMEOUT(m_hooks->menus > before || !m_hooks->toasts.isEmpty(), 10000);
    }

private slots:
    void mutedViewerIsUnmutedThroughTheCancelEndpoint()
    {
        ChatItemWidget row;
        row.addChatRecord(viewerRecord("9002", "<b>Eve</b>"));
        m_hooks->choice = "取消禁言";
        openSenderMenu(row);
        QCOMPARE(m_hooks->menuEntries, (QStringList{"取消禁言", "拉黑", "屏蔽", "打标签", "@TA"}));
        QCOMPARE(m_hooks->confirmTitle, QString("取消禁言"));
        QCOMPARE(m_hooks->confirmContent,
                 QString("是否取消禁言用户 <font color='#FFFFFF'>&lt;b&gt;Eve&lt;/b&gt;</font> ？"));
        QTRY_COMPARE_WITH_TIMEOUT(m_hooks->toasts.size(), 1, 10000);
        QCOMPARE(m_hooks->toasts[0].text, QString("取消禁言成功"));
        QVERIFY(m_hooks->toasts[0].success);
        const QJsonArray sent = m_sim.requests("/liveSystem/Room/wechatUserCancelOpt");
        QCOMPARE(sent.size(), 1);
        const QJsonObject form = sent[0].toObject().value("form").toObject();
        QCOMPARE(form.value("opt").toString(), QString("shut_up"));
        QCOMPARE(form.value("uid").toString(), QString("77"));
        QCOMPARE(form.value("room_id").toString(), QString("42"));
        QCOMPARE(form.value("wechat_user_space_id").toString(), QString("9002"));
        QCOMPARE(m_sim.requests("/liveSystem/Room/wechatUserOpt").size(), 0);
        QCOMPARE(viewerState("9002").value("shut_up").toInt(), 0);
        // The user-info request named the room, the host and the viewer.
        const QJsonObject info = m_sim.requests("/Wx/WechatUser/getUserInfo")[0].toObject().value("form").toObject();
        QCOMPARE(info.value("uid").toString(), QString("77"));
        QCOMPARE(info.value("wechat_user_space_id").toString(), QString("9002"));
    }

    void moderationOptions_data()
    {
        QTest::addColumn<QString>("spaceId");
        QTest::addColumn<QString>("choice");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("opt");
        QTest::newRow("mute") << "9100" << "禁言" << "/liveSystem/Room/wechatUserOpt" << "shut_up";
        QTest::newRow("block") << "9100" << "拉黑" << "/liveSystem/Room/wechatUserOpt" << "forbid";
        QTest::newRow("shield") << "9100" << "屏蔽" << "/liveSystem/Room/wechatUserOpt" << "shield";
        QTest::newRow("unblock") << "9003" << "取消拉黑" << "/liveSystem/Room/wechatUserCancelOpt" << "forbid";
        QTest::newRow("unshield") << "9003" << "取消屏蔽" << "/liveSystem/Room/wechatUserCancelOpt" << "shield";
    }

    void moderationOptions()
    {
        QFETCH(QString, spaceId);
        QFETCH(QString, choice);
        QFETCH(QString, path);
        QFETCH(QString, opt);
        ChatItemWidget row;
        row.addChatRecord(viewerRecord(spaceId));
        m_hooks->choice = choice;
        openSenderMenu(row);
        QTRY_COMPARE_WITH_TIMEOUT(m_hooks->toasts.size(), 1, 10000);
        QCOMPARE(m_hooks->toasts[0].text, choice + "成功");
        const QJsonArray sent = m_sim.requests(path);
        QCOMPARE(sent.size(), 1);
        QCOMPARE(sent[0].toObject().value("form").toObject().value("opt").toString(), opt);
    }

    void cancelledConfirmationSendsNothing()
    {
        m_hooks->acceptConfirm = false;
        ChatItemWidget row;
        row.addChatRecord(viewerRecord("9100"));
        m_hooks->choice = "禁言";
        openSenderMenu(row);
        QCOMPARE(m_hooks->confirmTitle, QString("禁言"));
        QTest::qWait(200);
        QCOMPARE(m_sim.requests("/liveSystem/Room/wechatUserOpt").size(), 0);
        QVERIFY(m_hooks->toasts.isEmpty());
    }

    void refusalsShowFailure_data()
    {
        QTest::addColumn<QJsonObject>("reply");
        QTest::addColumn<QString>("text");
        QTest::newRow("error envelope") << QJsonObject{{"body", QJsonObject{{"code", 400}, {"msg", "参数错误"}}}}
                                        << "参数错误";
        QTest::newRow("error code as text") << QJsonObject{{"body", QJsonObject{{"code", "500"}, {"msg", "失败了"}}}}
                                            << "失败了";
        QTest::newRow("server error") << QJsonObject{{"status", 500}, {"body", "oops"}} << "";
        // A reply that is no envelope at all is no word that the measure was taken.
        QTest::newRow("garbage") << QJsonObject{{"content_type", "application/json;charset=utf-8"},
                                                {"body", "<html>{\"code\":200,\"da"}}
                                 << "";
        QTest::newRow("not an object") << QJsonObject{{"body", "[1]"}} << "JSON is not an object";
    }

    void refusalsShowFailure()
    {
        QFETCH(QJsonObject, reply);
        QFETCH(QString, text);
        QVERIFY(m_sim.script("/liveSystem/Room/wechatUserOpt", QJsonArray{reply}));
        ChatItemWidget row;
        row.addChatRecord(viewerRecord("9100"));
        m_hooks->choice = "禁言";
        openSenderMenu(row);
        QTRY_COMPARE_WITH_TIMEOUT(m_hooks->toasts.size(), 1, 10000);
        QVERIFY(!m_hooks->toasts[0].success);
        QVERIFY(!m_hooks->toasts[0].tip);
        if (!text.isEmpty())
            QCOMPARE(m_hooks->toasts[0].text, text);
        else
            QVERIFY(!m_hooks->toasts[0].text.contains("成功"));
    }

    void adminViewerNeedsNoModeration_data()
    {
        QTest::addColumn<QString>("choice");
        QTest::newRow("mute") << "禁言";
        QTest::newRow("tag") << "打标签";
    }

    void adminViewerNeedsNoModeration()
    {
        QFETCH(QString, choice);
        bool tagDialog = false;
        ChatItemWidget::hooks().openTagDialog = [&](const ItemChatRecord&, const QList<UserTag>&) { tagDialog = true; };
        ChatItemWidget row;
        row.addChatRecord(viewerRecord("9001"));
        m_hooks->choice = choice;
        openSenderMenu(row);
        QCOMPARE(m_hooks->toasts.size(), 1);
        QCOMPARE(m_hooks->toasts[0].text, QString("管理员无需操作"));
        QVERIFY(m_hooks->toasts[0].tip);
        QVERIFY(m_hooks->confirmTitle.isEmpty());
        QVERIFY(!tagDialog);
        QTest::qWait(100);
        QCOMPARE(m_sim.requests("/liveSystem/Room/wechatUserOpt").size(), 0);
    }

    void mentionAndTagEntries()
    {
        QList<UserTag> tags;
        ChatItemWidget::hooks().openTagDialog = [&](const ItemChatRecord&, const QList<UserTag>& t) { tags = t; };
        ChatItemWidget row;
        row.addChatRecord(viewerRecord("9001"));
        QSignalSpy spy(&row, &ChatItemWidget::onClicked);
        m_hooks->choice = "@TA";
        openSenderMenu(row); // an admin may still be mentioned
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy[0][0].toString(), QString("at"));
        QCOMPARE(spy[0][1].value<ItemChatRecord>().wechat_user_space_id, QString("9001"));

        ChatItemWidget other;
        other.addChatRecord(viewerRecord("9100"));
        m_hooks->choice = "打标签";
        openSenderMenu(other);
        QCOMPARE(tags.size(), 1);
        QCOMPARE(tags[0].title, QString("老朋友"));
    }

    void failedViewerStateShowsATipAndNoMenu()
    {
        QVERIFY(m_sim.script("/Wx/WechatUser/getUserInfo",
                             QJsonArray{QJsonObject{{"body", QJsonObject{{"code", 404}, {"msg", "用户不存在"}}}}}));
        ChatItemWidget row;
        row.addChatRecord(viewerRecord("9100"));
        openSenderMenu(row);
        QCOMPARE(m_hooks->menus, 0);
        QCOMPARE(m_hooks->toasts.size(), 1);
        QCOMPARE(m_hooks->toasts[0].text, QString("用户不存在"));
        QVERIFY(m_hooks->toasts[0].tip);
    }

    void rowDeletedBeforeTheViewerStateArrives()
    {
        QVERIFY(m_sim.script("/Wx/WechatUser/getUserInfo", QJsonArray{QJsonObject{{"delay", 0.3}, {"passthrough", true}}}));
        auto* row = new ChatItemWidget;
        row->addChatRecord(viewerRecord("9100"));
        QTest::mousePress(row->avatarLabel(), Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
        delete row;
        QTRY_COMPARE_WITH_TIMEOUT(m_sim.requests("/Wx/WechatUser/getUserInfo").size(), 1, 10000);
        QTest::qWait(600);
        QCOMPARE(m_hooks->menus, 0);
    }

    void pinAndUnpin_data()
    {
        QTest::addColumn<bool>("top");
        QTest::addColumn<QString>("isTop");
        QTest::addColumn<QString>("toast");
        QTest::newRow("pin") << false << "1" << "置顶成功";
        QTest::newRow("unpin") << true << "2" << "取消置顶成功";
    }

    void pinAndUnpin()
    {
        QFETCH(bool, top);
        QFETCH(QString, isTop);
        QFETCH(QString, toast);
        ItemChatRecord r = viewerRecord("9100");
        r.top = top;
        ChatItemWidget row;
        row.addChatRecord(r);
        QSignalSpy spy(&row, &ChatItemWidget::onClicked);
        m_hooks->choice = top ? "取消置顶" : "置顶";
        QTest::mousePress(row.bubble(), Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
        QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 1, 10000);
        QCOMPARE(spy[0][0].toString(), QString("top"));
        QCOMPARE(m_hooks->toasts.size(), 1);
        QCOMPARE(m_hooks->toasts[0].text, toast);
        const QJsonObject form = m_sim.requests("/liveSystem/Room/top")[0].toObject().value("form").toObject();
        QCOMPARE(form.value("msg_id").toString(), QString("m77"));
        QCOMPARE(form.value("room_id").toString(), QString("42"));
        QCOMPARE(form.value("is_top").toString(), isTop);
    }

    void pinFailureEmitsNothing()
    {
        QVERIFY(m_sim.script("/liveSystem/Room/top",
                             QJsonArray{QJsonObject{{"body", QJsonObject{{"code", 403}, {"msg", "无权限"}}}}}));
        ChatItemWidget row;
        row.addChatRecord(viewerRecord("9100"));
        QSignalSpy spy(&row, &ChatItemWidget::onClicked);
        m_hooks->choice = "置顶";
        QTest::mousePress(row.bubble(), Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
        QTRY_COMPARE_WITH_TIMEOUT(m_hooks->toasts.size(), 1, 10000);
        QCOMPARE(m_hooks->toasts[0].text, QString("无权限"));
        QVERIFY(!m_hooks->toasts[0].success);
        QCOMPARE(spy.count(), 0);
    }

    void ownMessagePinsByItsServerId_data()
    {
        QTest::addColumn<QString>("serverId");
        QTest::newRow("echo known") << "srv-9";
        QTest::newRow("echo not yet known") << "";
    }

    void ownMessagePinsByItsServerId()
    {
        QFETCH(QString, serverId);
        ChatItemWidget::hooks().serverMessageId = [&](const ItemChatRecord& r) {
            return r.local_seq == 3 ? serverId : QString();
        };
        ItemChatRecord r = viewerRecord("5");
        r.local_seq = 3;
        r.id = QString(QChar(0x00FF));
        r.user_type = 1;
        ChatItemWidget row;
        row.addChatRecord(r);
        QSignalSpy spy(&row, &ChatItemWidget::onClicked);
        m_hooks->choice = "置顶";
        QTest::mousePress(row.bubble(), Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
        QTRY_COMPARE_WITH_TIMEOUT(m_hooks->toasts.size(), 1, 10000);
        if (serverId.isEmpty()) {
            QCOMPARE(m_hooks->toasts[0].text, QString("置顶失败"));
            QVERIFY(!m_hooks->toasts[0].success);
            QTest::qWait(100);
            QCOMPARE(m_sim.requests("/liveSystem/Room/top").size(), 0);
            QCOMPARE(spy.count(), 0);
            return;
        }
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy[0][1].value<ItemChatRecord>().id, serverId);
        QCOMPARE(m_sim.requests("/liveSystem/Room/top")[0].toObject().value("form").toObject().value("msg_id").toString(),
                 serverId);
    }
};

QTEST_MAIN(tst_ChatItemModeration)
#include "tst_ChatItemModeration.moc"
