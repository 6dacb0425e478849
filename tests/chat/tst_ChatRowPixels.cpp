// test-label: unit
// A table of row kinds rendered inside a holder styled like the chat list, compared pixel by pixel
// with reference pictures taken from the rows as they were drawn before the list was reworked for
// speed: any change in how a row looks shows here. Pictures named by the rows are local addresses
// (shown as the fallback picture at once), so nothing waits for the network.
//
// SOLVEK_RECORD_ROW_PIXELS=1 writes the references anew (only when a look is changed on purpose).
#include "chat/ChatItemWidget.h"
#include "chat/PictureCache.h"
#include "support/TestPictures.h"

#include <QDir>
#include <cstdlib>
#include <QtTest>

namespace
{

const QString kRefDir = QStringLiteral(SOLVEK_SOURCE_DIR "/tests/chat/data/row-pixels");
constexpr int kListWidth = 320;

ItemChatRecord rec(const QString& type, const QString& name, const QString& text)
{
    ItemChatRecord r;
    r.id = QStringLiteral("px");
    r.room_id = 42;
    r.from_client_name = name;
    r.wechat_user_space_id = QStringLiteral("9100");
    r.msg_type = type;
    r.content.content = text;
    r.chat_time = QStringLiteral("20:15");
    r.avatar = testsupport::discAvatar(QColor("#4C9AFF"));
    return r;
}

} // namespace

class tst_ChatRowPixels : public QObject
{
    Q_OBJECT

private slots:
    void rowLooksAsBefore_data()
    {
        QTest::addColumn<ItemChatRecord>("record");
        const QString longText =
            QString::fromUtf8("这是一条很长的消息，用来看看换行以后每一行是否还在原来的位置上，"
                              "and some latin words wrapping too");
        QTest::newRow("speak") << rec("speak", QString::fromUtf8("小明"),
                                      QString::fromUtf8("大家好，今天讲什么？"));
        QTest::newRow("speak-long") << rec("speak", "Lily", longText);
        QTest::newRow("speak-empty") << rec("speak", "Lily", "   ");
        {
            ItemChatRecord r = rec("at", QString::fromUtf8("主播"), QString::fromUtf8("欢迎欢迎，马上开始"));
            r.to_nick = QString::fromUtf8("小明");
            r.master_txt = QString::fromUtf8("管理员");
            r.user_type = 1;
            QTest::newRow("mention-admin") << r;
        }
        {
            ItemChatRecord r = rec("speak", "Lily", QString::fromUtf8("同问，上次的资料在哪里下载？"));
            r.content.quote_content =
                QString::fromUtf8("小明: 大家好 今天讲什么？这是一段很长的引用文字，用来看看两行以后"
                                  "是否会被截断并且以省略号结尾");
            r.is_shield = true;
            QTest::newRow("reply-shielded") << r;
        }
        {
            ItemChatRecord r = rec("gift", QString::fromUtf8("土豪"), QString());
            r.content.gift_img_src = QStringLiteral("/no/such/gift.png");
            r.content.gift_num = QStringLiteral("10");
            r.tags = {UserTag{2, QString::fromUtf8("铁粉"), "#FF6131"}, UserTag{3, "VIP", "#C07FFF"}};
            QTest::newRow("gift-tags") << r;
        }
        {
            ItemChatRecord r = rec("image", QString::fromUtf8("摄影师"), QString());
            r.content.img_src = QStringLiteral("/no/such/photo.png");
            r.master_txt = QString::fromUtf8("助理");
            QTest::newRow("picture-assistant") << r;
        }
        {
            ItemChatRecord r = rec("speak", "<i>eve</i>", "<b>not bold</b> item_42");
            r.user_type = 3;
            QTest::newRow("alias-markup") << r;
        }
        {
            ItemChatRecord r = rec("speak", QString::fromUtf8("主播小助手"),
                                   QString::fromUtf8("欢迎来到直播间，今晚八点抽奖！"));
            r.top = true;
            r.master_txt = QString::fromUtf8("总管理");
            r.content.quote_content = "a: b";
            QTest::newRow("pinned") << r;
        }
        {
            ItemChatRecord r =
                rec("speak", QString::fromUtf8("一个名字非常非常长的观众朋友，长到要换到第二行去显示"), "ok");
            r.chat_time.clear();
            r.tags = {UserTag{1, QString::fromUtf8("老朋友"), "#3B7CFF"}, UserTag{4, "x", "not a colour"}};
            QTest::newRow("long-name-no-time") << r;
        }
    }

    void rowLooksAsBefore()
    {
        QFETCH(ItemChatRecord, record);
        // The holder stands for the list's viewport: its width sets the bubbles' line width and it
        // carries the rows' shared look.
        QWidget holder;
        holder.setStyleSheet(QStringLiteral("background: rgb(28, 31, 50);"));
        ChatItemWidget::shareLook(&holder);
        holder.resize(kListWidth, 600);
        auto* row = new ChatItemWidget(&holder);
        row->addChatRecord(record);
        holder.show();
        QVERIFY(QTest::qWaitForWindowExposed(&holder));
        QCoreApplication::processEvents(); // the row's deferred height update
        row->resize(kListWidth, row->rowHeight());
        const QImage shot = row->grab().toImage().convertToFormat(QImage::Format_ARGB32);

        const QString file = kRefDir + "/" + QString::fromLatin1(QTest::currentDataTag()) + ".png";
        if (qEnvironmentVariableIntValue("SOLVEK_RECORD_ROW_PIXELS") == 1) {
            QDir().mkpath(kRefDir);
            QVERIFY(shot.save(file));
            return;
        }
        QImage ref(file);
        QVERIFY2(!ref.isNull(), qPrintable(file));
        ref = ref.convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(shot.size(), ref.size());
        // Qt blends through code picked for the processor at run time (SSE, AVX2...), which may round
        // a channel one or two steps apart between machines; any change of look moves far more.
        constexpr int kRounding = 2;
        const auto near = [](QRgb a, QRgb b) {
            return std::abs(qRed(a) - qRed(b)) <= kRounding && std::abs(qGreen(a) - qGreen(b)) <= kRounding &&
                   std::abs(qBlue(a) - qBlue(b)) <= kRounding && std::abs(qAlpha(a) - qAlpha(b)) <= kRounding;
        };
        int differing = 0;
        for (int y = 0; y < ref.height(); ++y)
            for (int x = 0; x < ref.width(); ++x)
                differing += !near(shot.pixel(x, y), ref.pixel(x, y));
        QCOMPARE(differing, 0);
    }
};

QTEST_MAIN(tst_ChatRowPixels)
#include "tst_ChatRowPixels.moc"
