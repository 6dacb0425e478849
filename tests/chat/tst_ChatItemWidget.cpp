// test-label: unit
#include "chat/ChatItemWidget.h"
#include "chat/MessageLabel.h"
#include "chat/UserWithTagLabel.h"
#include "support/ChatRowHooks.h"
#include "widgets/ClickableLabel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <QWidgetAction>
#include <QtTest>

namespace {

ItemChatRecord record(const QString& type, const QString& text = "hello")
{
    ItemChatRecord r;
    r.id = "m1";
    r.room_id = 42;
    r.msg_type = type;
    r.from_client_name = "Bob";
    r.wechat_user_space_id = "9100";
    r.content.content = text;
    r.chat_time = "12:00";
    QPixmap avatar(36, 36);
    avatar.fill(Qt::green);
    r.avatar = avatar;
    return r;
}

QStringList texts(const chatlabel::TagLayout& l)
{
    QStringList out;
    for (const chatlabel::TagDrawOp& op : l.ops) {
        if (op.type == chatlabel::TagDrawOp::Text)
            out << op.text;
    }
    return out;
}

void press(QWidget* w, Qt::MouseButton button = Qt::LeftButton)
{
    QTest::mousePress(w, button, Qt::NoModifier, QPoint(2, 2));
}

} // namespace

class tst_ChatItemWidget : public QObject
{
    Q_OBJECT
    std::unique_ptr<ChatRowHooks> m_hooks;

private slots:
    void init() { m_hooks.reset(new ChatRowHooks); }
    void cleanup() { m_hooks.reset(); }

    void pictureScaling_data()
    {
        QTest::addColumn<QSize>("source");
        QTest::addColumn<bool>("pinned");
        QTest::addColumn<QSize>("shown");
        QTest::newRow("pinned wide") << QSize(448, 60) << true << QSize(224, 30);
        QTest::newRow("pinned tall") << QSize(100, 120) << true << QSize(50, 60);
        QTest::newRow("pinned small") << QSize(200, 60) << true << QSize(200, 60);
        QTest::newRow("wide") << QSize(300, 150) << false << QSize(224, 112);
        QTest::newRow("tall unchanged") << QSize(200, 500) << false << QSize(200, 500);
        QTest::newRow("sliver keeps a pixel") << QSize(1, 4000) << true << QSize(1, 60);
        QTest::newRow("empty") << QSize(0, 0) << false << QSize(0, 0);
    }

    void pictureScaling()
    {
        QFETCH(QSize, source);
        QFETCH(bool, pinned);
        QFETCH(QSize, shown);
        QCOMPARE(ChatItemWidget::scaledPictureSize(source, pinned), shown);
    }

    void messageMenuEntries_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<bool>("top");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("text") << "speak" << false << QStringList{"置顶", "引用", "删除"};
        QTest::newRow("pinned mention") << "at" << true << QStringList{"取消置顶", "引用", "删除"};
        QTest::newRow("picture") << "image" << false << QStringList{"置顶", "删除"};
        QTest::newRow("pinned picture") << "image" << true << QStringList{"取消置顶", "删除"};
    }

    void messageMenuEntries()
    {
        QFETCH(QString, type);
        QFETCH(bool, top);
        QFETCH(QStringList, entries);
        ItemChatRecord r = record(type);
        r.top = top;
        QCOMPARE(ChatItemWidget::messageMenuEntries(r), entries);
    }

    void senderMenuEntries_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("plain viewer") << QByteArray("{}") << QStringList{"禁言", "拉黑", "屏蔽", "打标签", "@TA"};
        QTest::newRow("muted") << QByteArray(R"({"shut_up":1})")
                               << QStringList{"取消禁言", "拉黑", "屏蔽", "打标签", "@TA"};
        QTest::newRow("blocked and shielded") << QByteArray(R"({"forbid":1,"is_shield":true})")
                                              << QStringList{"禁言", "取消拉黑", "取消屏蔽", "打标签", "@TA"};
        QTest::newRow("numbers as text do not count") << QByteArray(R"({"shut_up":"1","is_shield":1})")
                                                      << QStringList{"禁言", "拉黑", "屏蔽", "打标签", "@TA"};
    }

    void senderMenuEntries()
    {
        QFETCH(QByteArray, data);
        QFETCH(QStringList, entries);
        QCOMPARE(ChatItemWidget::senderMenuEntries(QJsonDocument::fromJson(data).object()), entries);
    }

    void pinnedAdminShowsPillsInOrder()
    {
        ItemChatRecord r = record("at");
        r.top = true;
        r.master_txt = "管理员";
        r.to_nick = "Ann";
        r.content.quote_content = "Ann: earlier";
        r.tags = {UserTag{1, "老朋友", "#3B7CFF"}};
        ChatItemWidget row;
        row.resize(360, 100);
        row.addChatRecord(r);
        QCOMPARE(texts(row.nameLabel()->currentLayout()), (QStringList{"置顶", "管理员", "老朋友", "Bob"}));
        QVERIFY(!row.timeLabel());
        QVERIFY(!row.quoteBox());
        // A pinned mention shows its text without the mention.
        QCOMPARE(row.bubble()->segments().size(), 1);
        QCOMPARE(row.bubble()->segments()[0].text, QString("hello"));
        QVERIFY(!row.bubble()->segments()[0].isMention);
    }

    void rolePills_data()
    {
        QTest::addColumn<QString>("masterTxt");
        QTest::addColumn<int>("userType");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("head admin") << "总管理" << 0 << QStringList{"总管理", "Bob"};
        QTest::newRow("manager") << "管理" << 0 << QStringList{"管理", "Bob"};
        QTest::newRow("assistant") << "助理" << 0 << QStringList{"助理", "Bob"};
        QTest::newRow("unknown role") << "VIP" << 0 << QStringList{"Bob"};
        QTest::newRow("alias account") << "管理员" << 3 << QStringList{"马甲", "Bob"};
    }

    void rolePills()
    {
        QFETCH(QString, masterTxt);
        QFETCH(int, userType);
        QFETCH(QStringList, shown);
        ItemChatRecord r = record("speak");
        r.master_txt = masterTxt;
        r.user_type = userType;
        ChatItemWidget row;
        row.addChatRecord(r);
        QCOMPARE(texts(row.nameLabel()->currentLayout()), shown);
        QCOMPARE(row.avatarLabel()->payload().isValid(), userType != 3);
    }

    void unpinnedRowShowsMentionTimeAndQuote()
    {
        ItemChatRecord r = record("at");
        r.to_nick = "Ann";
        r.chat_time = "<b>12:00</b>";
        r.content.quote_content = "Ann: what: now";
        ChatItemWidget row;
        row.addChatRecord(r);
        const auto& segs = row.bubble()->segments();
        QCOMPARE(segs[0].text, QString("@Ann"));
        QVERIFY(segs[0].isMention);
        QCOMPARE(segs[1].text, QString("hello"));
        QVERIFY(row.timeLabel());
        QCOMPARE(row.timeLabel()->textFormat(), Qt::PlainText);
        QCOMPARE(row.timeLabel()->text(), QString("<b>12:00</b>"));
        QVERIFY(row.quoteBox());
        QCOMPARE(row.quoteBox()->segments()[0].text, QString("Ann："));
        QCOMPARE(row.quoteBox()->segments()[1].text, QString(" what: now"));
    }

    void blankTextShowsAnIdeographicSpace()
    {
        ChatItemWidget row;
        row.addChatRecord(record("speak", "   "));
        QCOMPARE(row.bubble()->segments()[0].text, QString(QChar(0x3000)));
    }

    void giftRowHasNoMenu()
    {
        ItemChatRecord r = record("gift");
        r.content.gift_img_src = "/etc/hosts";
        r.content.gift_num = "3";
        ChatItemWidget row;
        row.addChatRecord(r);
        QCOMPARE(row.bubble()->segments().size(), 3);
        QCOMPARE(row.bubble()->segments()[2].text, QString(" x3"));
        press(row.bubble());
        QVERIFY(m_hooks->menuEntries.isEmpty());
    }

    void textMenuEmitsReplyAndDelete_data()
    {
        QTest::addColumn<QString>("choice");
        QTest::addColumn<QString>("action");
        QTest::newRow("quote") << "引用" << "reply";
        QTest::newRow("delete") << "删除" << "delete";
    }

    void textMenuEmitsReplyAndDelete()
    {
        QFETCH(QString, choice);
        QFETCH(QString, action);
        ChatItemWidget row;
        row.addChatRecord(record("speak"));
        QSignalSpy spy(&row, &ChatItemWidget::onClicked);
        m_hooks->choice = choice;
        press(row.bubble());
        QCOMPARE(m_hooks->menuEntries, (QStringList{"置顶", "引用", "删除"}));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy[0][0].toString(), action);
        QCOMPARE(spy[0][1].value<ItemChatRecord>().id, QString("m1"));
        QCOMPARE(row.currentRecord().id, QString("m1"));
    }

    void menuIsBuiltFromPlainLabels()
    {
        ItemChatRecord r = record("speak");
        ChatItemWidget row;
        row.addChatRecord(r);
        press(row.bubble());
        QMenu* menu = row.currentMenu();
        QVERIFY(menu);
        const auto actions = menu->actions();
        QCOMPARE(actions.size(), 3);
        auto* wa = qobject_cast<QWidgetAction*>(actions[0]);
        QVERIFY(wa);
        auto* label = qobject_cast<QLabel*>(wa->defaultWidget());
        QVERIFY(label);
        QCOMPARE(label->text(), QString("置顶"));
        QCOMPARE(label->textFormat(), Qt::PlainText);
        // A second opening replaces the menu.
        press(row.bubble());
        QTRY_VERIFY(menu != row.currentMenu());
    }

    void pictureRowOpensViewerOnLeftAndMenuOnRight()
    {
        QString viewed;
        ChatItemWidget::hooks().showBigImage = [&](const QString& a) { viewed = a; };
        ItemChatRecord r = record("image");
        r.content.img_src = "file:///etc/hosts";
        ChatItemWidget row;
        row.addChatRecord(r);
        QVERIFY(row.bubble()->segments().isEmpty());
        QVERIFY(!row.bubble()->picture().isNull());
        press(row.bubble(), Qt::LeftButton);
        QCOMPARE(viewed, r.content.img_src);
        QVERIFY(m_hooks->menuEntries.isEmpty());
        press(row.bubble(), Qt::RightButton);
        QCOMPARE(m_hooks->menuEntries, (QStringList{"置顶", "删除"}));
    }

    void rowDeletedWhileItsMenuIsOpen()
    {
        auto* row = new ChatItemWidget;
        row->addChatRecord(record("speak"));
        QSignalSpy spy(row, &ChatItemWidget::onClicked);
        m_hooks->choice = "删除";
        m_hooks->duringMenu = [row]() { delete row; };
        press(row->bubble());
        QCOMPARE(spy.count(), 0);
    }

    // Rows built inside a holder that shares the look carry no style sheets of their own and look
    // exactly like rows that do, also under a window whose sheet styles every widget.
    void sharedLookLooksTheSame_data()
    {
        QTest::addColumn<ItemChatRecord>("rec");
        QTest::newRow("speak") << record("speak", "hello [em_1] there");
        ItemChatRecord at = record("at", "welcome");
        at.to_nick = "Ann";
        at.master_txt = QString::fromUtf8("管理员");
        QTest::newRow("at") << at;
        ItemChatRecord gift = record("gift");
        gift.content.gift_img_src = "/no/such/gift.png";
        gift.content.gift_num = "3";
        QTest::newRow("gift") << gift;
        ItemChatRecord image = record("image");
        image.content.img_src = "/no/such/picture.png";
        QTest::newRow("image") << image;
        ItemChatRecord quote = record("speak", "me too");
        quote.content.quote_content = "Ann:a question";
        quote.is_shield = true;
        QTest::newRow("quote") << quote;
        ItemChatRecord pinned = record("speak", "pinned");
        pinned.top = true;
        QTest::newRow("pinned") << pinned;
    }

    void sharedLookLooksTheSame()
    {
        QFETCH(ItemChatRecord, rec);
        QWidget page;
        page.setStyleSheet("background-color: rgb(18, 19, 38);");
        auto* pageLayout = new QHBoxLayout(&page);
        QWidget* holders[2] = {new QWidget(&page), new QWidget(&page)};
        ChatItemWidget::shareLook(holders[1]);
        ChatItemWidget* rows[2];
        for (int i = 0; i < 2; ++i) {
            holders[i]->setFixedSize(360, 240);
            auto* layout = new QVBoxLayout(holders[i]);
            layout->setContentsMargins(0, 0, 0, 0);
            rows[i] = new ChatItemWidget(holders[i]);
            rows[i]->addChatRecord(rec);
            layout->addWidget(rows[i], 0, Qt::AlignTop);
            pageLayout->addWidget(holders[i]);
        }
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        QTRY_VERIFY(rows[0]->rowHeight() > 0 && rows[0]->rowHeight() == rows[1]->rowHeight());
        QVERIFY(!rows[0]->bubble()->styleSheet().isEmpty());
        QVERIFY(rows[1]->bubble()->styleSheet().isEmpty());
        QVERIFY(rows[1]->avatarLabel()->styleSheet().isEmpty());
        QCOMPARE(holders[1]->grab().toImage(), holders[0]->grab().toImage());
    }

    void heightFollowsTheLabels()
    {
        QWidget holder;
        holder.resize(360, 600);
        auto* row = new ChatItemWidget(&holder);
        QSignalSpy spy(row, &ChatItemWidget::onLoadFinish);
        row->addChatRecord(record("speak", "short"));
        holder.show();
        const int shortHeight = row->rowHeight();
        QVERIFY(shortHeight > 0);
        QCOMPARE(row->height(), shortHeight);
        row->bubble()->setMessage(QString("a much longer line ").repeated(10));
        QTRY_VERIFY(row->rowHeight() > shortHeight);
        QCOMPARE(spy.last()[0].toInt(), row->rowHeight());
        QCOMPARE(row->height(), row->rowHeight());
    }
};

QTEST_MAIN(tst_ChatItemWidget)
#include "tst_ChatItemWidget.moc"
