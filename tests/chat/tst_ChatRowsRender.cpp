// test-label: integration
// A chat list of every kind of row, with its pictures served by the simulator: pictures load
// asynchronously and once per address, the rows take their final sizes, and local addresses are
// never fetched. With SOLVEK_SCREENSHOT_DIR set, the list is saved as chat-rows.png there.
#include "chat/ChatItemWidget.h"
#include "chat/MessageLabel.h"
#include "chat/PictureCache.h"
#include "chat/UserWithTagLabel.h"
#include "support/TestPictures.h"
#include "support/SimulatorProcess.h"

#include <QListWidget>
#include <QPainterPath>
#include <QVBoxLayout>
#include <QtTest>

namespace {

ItemChatRecord rec(const QString& name, const QString& type, const QString& text, const QColor& colour)
{
    static int n = 0;
    ItemChatRecord r;
    r.id = QString("m%1").arg(++n);
    r.room_id = 42;
    r.from_client_name = name;
    r.wechat_user_space_id = QString::number(9100 + n);
    r.msg_type = type;
    r.content.content = text;
    r.chat_time = QString("20:%1").arg(10 + n);
    r.avatar = testsupport::discAvatar(colour);
    return r;
}

// The row's avatar is the round fallback picture.
bool showsFallbackAvatar(const ChatItemWidget* row)
{
    return row->avatarLabel()->pixmap(Qt::ReturnByValue).toImage() ==
           ItemChatRecord::roundAvatar(PictureCache::fallback()).toImage();
}

bool anyPending(const QList<ChatItemWidget*>& rows)
{
    for (ChatItemWidget* row : rows) {
        for (const MessageSegment& s : row->bubble()->segments()) {
            if (!s.isText && s.picture.isNull())
                return true;
        }
        if (row->bubble()->segments().isEmpty() && row->bubble()->picture().width() == 20)
            return true;
    }
    return false;
}

} // namespace

class tst_ChatRowsRender : public QObject
{
    Q_OBJECT
    SimulatorProcess m_sim;

private slots:
    void initTestCase() { QVERIFY(m_sim.start()); }

    void listOfEveryKind()
    {
        PictureCache::instance().clear();
        const QString base = m_sim.baseUrl();
        QList<ItemChatRecord> records;

        ItemChatRecord pinned = rec("主播小助手", "speak", "欢迎来到直播间，今晚八点抽奖！[_em_12]", QColor("#FFB200"));
        pinned.top = true;
        pinned.master_txt = "助理";
        pinned.chat_time.clear();

        ItemChatRecord hello = rec("小明", "speak", "大家好[_em_1][_em_1] 今天讲什么？", QColor("#4C9AFF"));
        hello.tags = {UserTag{1, "老朋友", "#3B7CFF"}};
        hello.avatar = QPixmap(); // the photo arrives later
        hello.client_photo = base + "/pic/64x64/xiaoming";
        records << hello;

        ItemChatRecord at = rec("主播", "at", "欢迎欢迎，马上开始 [em_5]", QColor("#20C814"));
        at.to_nick = "小明";
        at.master_txt = "管理员";
        at.user_type = 1;
        records << at;

        ItemChatRecord reply = rec("Lily", "speak", "同问，上次的资料在哪里下载？", QColor("#FF82E9"));
        reply.content.quote_content = "小明: 大家好 今天讲什么？这是一段很长的引用文字，用来看看两行以后是否会被截断并且以省略号结尾";
        reply.is_shield = true;
        records << reply;

        ItemChatRecord gift = rec("土豪", "gift", "", QColor("#FF0E4C"));
        gift.content.gift_img_src = base + "/pic/40x40/rocket";
        gift.content.gift_num = "10";
        gift.tags = {UserTag{2, "铁粉", "#FF6131"}, UserTag{3, "VIP", "#C07FFF"}};
        records << gift;

        ItemChatRecord photo = rec("摄影师", "image", "", QColor("#2684FF"));
        photo.content.img_src = base + "/pic/300x150/photo";
        records << photo;

        ItemChatRecord markup = rec("<i>eve</i>", "speak", "<b>not bold</b> item_42 [em_76] [_em_206]", QColor("#888A98"));
        markup.user_type = 3;
        records << markup;

        ItemChatRecord local = rec("路人", "image", "", QColor("#5AEACC"));
        local.content.img_src = "/etc/hosts";
        local.client_photo = "/etc/passwd";
        records << local;

        QWidget page;
        page.setStyleSheet("background: rgb(28, 31, 50);");
        auto* layout = new QVBoxLayout(&page);
        layout->setContentsMargins(0, 0, 0, 0);
        auto* top = new ChatItemWidget(&page);
        top->addChatRecord(pinned);
        layout->addWidget(top);
        auto* list = new QListWidget(&page);
        list->setStyleSheet("QListWidget{background: rgb(28, 31, 50); border: none;}");
        list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        layout->addWidget(list);
        page.resize(360, 1080);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));

        QList<ChatItemWidget*> rows{top};
        for (const ItemChatRecord& r : records) {
            auto* row = new ChatItemWidget;
            row->addChatRecord(r);
            auto* item = new QListWidgetItem(list);
            row->adjustSize();
            item->setSizeHint(row->sizeHint());
            list->setItemWidget(item, row);
            connect(row, &ChatItemWidget::onLoadFinish, list,
                    [item](int h) { item->setSizeHint(QSize(item->sizeHint().width(), h)); });
            rows << row;
        }

        QTRY_VERIFY_WITH_TIMEOUT(!anyPending(rows), 15000);

        // The pinned row shows its emote; its name line starts with the pinned pill.
        QCOMPARE(rows[0]->bubble()->segments().last().isText, false);
        QCOMPARE(rows[0]->bubble()->segments().last().picture.size(), QSize(40, 40));
        // Each address was fetched once, however many bubbles show it.
        QCOMPARE(m_sim.requests("/Public/Home/Images/newFaces/1.png").size(), 1);
        QCOMPARE(m_sim.requests("/Public/Home/Images/Faces/5.png").size(), 1);
        // The picture message was scaled to the bubble's width limit.
        QCOMPARE(rows[5]->bubble()->picture().size(), QSize(224, 112));
        QCOMPARE(rows[5]->bubble()->size(), QSize(240, 130));
        // Gift: text, picture with its gap, red count.
        const auto& giftSegs = rows[4]->bubble()->segments();
        QCOMPARE(giftSegs[1].picture.size(), QSize(40, 40));
        QCOMPARE(giftSegs[2].text, QString(" x10"));
        // A local address was never fetched: it shows the fallback picture.
        QCOMPARE(rows[7]->bubble()->picture().size(),
                 ChatItemWidget::scaledPictureSize(PictureCache::fallback().size(), false));
        for (const QJsonValue& req : m_sim.requests()) {
            QVERIFY(!req.toObject().value("path").toString().contains("hosts"));
            QVERIFY(!req.toObject().value("path").toString().contains("passwd"));
        }
        // A web photo replaces the record's avatar as a 36 x 36 circle; a local one is never read.
        QTRY_VERIFY(!showsFallbackAvatar(rows[1]));
        const QImage fetched = rows[1]->avatarLabel()->pixmap(Qt::ReturnByValue).toImage();
        QCOMPARE(fetched.size(), QSize(36, 36));
        QCOMPARE(qAlpha(fetched.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(fetched.pixel(18, 18)), 255);
        QCOMPARE(rows[7]->avatarLabel()->pixmap(Qt::ReturnByValue).toImage(), testsupport::discAvatar(QColor("#5AEACC")).toImage());
        QCOMPARE(m_sim.requests("/pic/64x64/xiaoming").size(), 1);
        // The quote is cut after two lines.
        QVERIFY(rows[3]->quoteBox()->currentLayout().truncated);
        // Rows took the heights their labels need, and the list items follow them.
        for (int i = 1; i < rows.size(); ++i) {
            QTRY_COMPARE(list->item(i - 1)->sizeHint().height(), rows[i]->rowHeight());
            QVERIFY(rows[i]->rowHeight() >= rows[i]->nameLabel()->height() + rows[i]->bubble()->height());
        }

        QTest::qWait(50);
        const QByteArray dir = qgetenv("SOLVEK_SCREENSHOT_DIR");
        if (!dir.isEmpty())
            QVERIFY(page.grab().save(QString::fromLocal8Bit(dir) + "/chat-rows.png"));
    }

    void rowsOfOneSenderShareThePhoto()
    {
        PictureCache::instance().clear();
        ItemChatRecord r = rec("小红", "speak", "hi", Qt::red);
        r.avatar = QPixmap();
        r.client_photo = m_sim.baseUrl() + "/pic/80x80/xiaohong";
        ChatItemWidget first;
        first.addChatRecord(r);
        QVERIFY(showsFallbackAvatar(&first)); // until the photo arrives
        QTRY_VERIFY(!showsFallbackAvatar(&first));
        ChatItemWidget second;
        second.addChatRecord(r);
        const QPixmap a = first.avatarLabel()->pixmap(Qt::ReturnByValue);
        const QPixmap b = second.avatarLabel()->pixmap(Qt::ReturnByValue);
        QCOMPARE(a.size(), QSize(36, 36));
        QCOMPARE(b.cacheKey(), a.cacheKey());
        QCOMPARE(m_sim.requests("/pic/80x80/xiaohong").size(), 1);
    }

    // A row without an avatar of its own shows the fallback picture; a photo that is no web
    // address keeps it.
    void avatarWithoutAWebPhotoShowsTheFallback_data()
    {
        QTest::addColumn<QString>("photo");
        QTest::newRow("none") << QString();
        QTest::newRow("path") << "/etc/passwd";
        QTest::newRow("file address") << "file:///etc/passwd";
    }
    void avatarWithoutAWebPhotoShowsTheFallback()
    {
        QFETCH(QString, photo);
        ItemChatRecord r = rec("小蓝", "speak", "hi", Qt::blue);
        r.avatar = QPixmap();
        r.client_photo = photo;
        ChatItemWidget row;
        row.addChatRecord(r);
        QVERIFY(showsFallbackAvatar(&row));
        QCOMPARE(row.avatarLabel()->pixmap(Qt::ReturnByValue).size(), QSize(36, 36));
    }

    void failedDownloadShowsTheFallback()
    {
        PictureCache& cache = PictureCache::instance();
        const QString address = m_sim.baseUrl() + "/pic/not-a-size";
        QVERIFY(cache.picture(address).isNull());
        QSignalSpy spy(&cache, &PictureCache::pictureReady);
        QVERIFY(spy.wait(10000));
        QCOMPARE(spy[0][0].toString(), address);
        QCOMPARE(cache.picture(address).toImage(), PictureCache::fallback().toImage());
    }
};

QTEST_MAIN(tst_ChatRowsRender)
#include "tst_ChatRowsRender.moc"
