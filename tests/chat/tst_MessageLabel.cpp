// test-label: unit
#include "chat/MessageLabel.h"
#include "chat/MessageSegment.h"
#include "chat/PictureCache.h"
#include "core/ServiceConstants.h"

#include <QFontMetrics>
#include <QPainter>
#include <QtTest>

using chatlabel::DrawOp;
using chatlabel::layoutMessage;
using chatlabel::parseMessage;

namespace {

// "t:" plain text, "m:" mention, "r:" reply author, "g:" gift text, "p:" picture, "gp:" gift picture.
QStringList describe(const QList<MessageSegment>& segments)
{
    QStringList out;
    for (const MessageSegment& s : segments) {
        if (!s.isText) {
            out << (s.isGift ? "gp:" : "p:") + s.pictureUrl;
            continue;
        }
        const char* tag = s.isMention ? "m:" : s.isReplyName ? "r:" : s.isGift ? "g:" : "t:";
        out << QString::fromLatin1(tag) + s.text;
    }
    return out;
}

QStringList expand(QStringList expected)
{
    for (QString& e : expected) {
        e.replace("{C}", STATIC_HOST_URL + QStringLiteral("/Public/Home/Images/Faces/"));
        e.replace("{N}", STATIC_HOST_URL + QStringLiteral("/Public/Home/Images/newFaces/"));
    }
    return expected;
}

MessageSegment text(const QString& t, bool replyName = false)
{
    MessageSegment s;
    s.text = t;
    s.isReplyName = replyName;
    return s;
}

MessageSegment picture(const QSize& size, bool gift = false)
{
    MessageSegment s;
    s.isText = false;
    s.isGift = gift;
    QPixmap pm(size);
    pm.fill(Qt::red);
    s.picture = pm;
    return s;
}

QStringList opTexts(const chatlabel::MessageLayout& l)
{
    QStringList out;
    for (const DrawOp& op : l.ops) {
        if (op.type == DrawOp::Text)
            out << op.text;
    }
    return out;
}

} // namespace

class tst_MessageLabel : public QObject
{
    Q_OBJECT
private slots:
    void grammar_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("expected");
        const int plain = MessageInput::Plain, mention = MessageInput::Mention, reply = MessageInput::Reply;
        QTest::newRow("mention") << mention << "hello" << "Bob" << QStringList{"m:@Bob", "t:hello"};
        QTest::newRow("mention carrying an emote")
            << mention << "[em_1]" << "Bob" << QStringList{"m:@Bob", "t:", "p:{C}1.png"};
        QTest::newRow("reply") << reply << " hi there" << "Ann" << QStringList{"r:Ann：", "t: hi there"};
        QTest::newRow("classic 75 is a picture") << plain << "[em_75]" << "" << QStringList{"t:", "p:{C}75.png"};
        QTest::newRow("classic 76 stays text") << plain << "[em_76]" << "" << QStringList{"t:", "t:[em_76]"};
        QTest::newRow("new 205 is a picture") << plain << "[_em_205]" << "" << QStringList{"t:", "p:{N}205.png"};
        QTest::newRow("new 206 stays text") << plain << "[_em_206]" << "" << QStringList{"t:", "t:[_em_206]"};
        QTest::newRow("zero and leading zeros as written")
            << plain << "[em_0][em_007]" << "" << QStringList{"t:", "p:{C}0.png", "t:", "p:{C}007.png"};
        QTest::newRow("four digits match three") << plain << "[em_1234]" << ""
                                                 << QStringList{"t:", "t:[em_123", "t:4]"};
        QTest::newRow("unbracketed code kept as text")
            << plain << "item_42 [em_5]" << "" << QStringList{"t:it", "t:em_42", "t: ", "p:{C}5.png"};
        QTest::newRow("runs between codes")
            << plain << "a[em_1]b[_em_2]c" << "" << QStringList{"t:a", "p:{C}1.png", "t:b", "p:{N}2.png", "t:c"};
        QTest::newRow("bare code alone is just text") << plain << "em_5" << "" << QStringList{"t:em_5"};
        QTest::newRow("code without closing bracket") << plain << "[em_5 x" << ""
                                                      << QStringList{"t:", "p:{C}5.png", "t: x"};
        QTest::newRow("markup is text") << plain << "<b>x</b>" << "" << QStringList{"t:<b>x</b>"};
        QTest::newRow("speak text looking like a gift") << plain << "gift:x" << "" << QStringList{"t:gift:x"};
        QTest::newRow("speak text looking like a mention") << plain << "at:@a:;:b" << "" << QStringList{"t:at:@a:;:b"};
        QTest::newRow("speak text looking like a reply") << plain << "reply:a:;:b" << "" << QStringList{"t:reply:a:;:b"};
        QTest::newRow("empty text is an empty run") << plain << "" << "" << QStringList{"t:"};
    }

    void grammar()
    {
        QFETCH(int, kind);
        QFETCH(QString, text);
        QFETCH(QString, name);
        QFETCH(QStringList, expected);
        MessageInput in;
        in.kind = MessageInput::Kind(kind);
        in.text = text;
        in.name = name;
        QCOMPARE(describe(parseMessage(in)), expand(expected));
    }

    void gift_data()
    {
        QTest::addColumn<QString>("count");
        QTest::addColumn<QString>("countRun");
        QTest::newRow("count") << "3" << "g: x3";
        QTest::newRow("missing count shows nothing") << "" << "g: x";
    }

    void gift()
    {
        QFETCH(QString, count);
        QFETCH(QString, countRun);
        MessageInput in;
        in.kind = MessageInput::Gift;
        in.giftPicture = "http://h/g.png";
        in.giftCount = count;
        QCOMPARE(describe(parseMessage(in)), (QStringList{"t:送出了 ", "gp:http://h/g.png", countRun}));
    }

    void shortTextSizesToItsAdvance()
    {
        const QFontMetrics fm(chatlabel::messageFont());
        const auto l = layoutMessage({text("hi there")}, QPixmap(), 300, fm);
        const int a = fm.horizontalAdvance("hi there");
        QCOMPARE(l.size, QSize(6 + a + 14, 3 + 29));
        QCOMPARE(l.ops.size(), 1);
        QCOMPARE(l.ops[0].rect.left(), 10);
        QCOMPARE(l.ops[0].color, QColor(Qt::white));
    }

    void longTextWrapsWhereALineReachesTheWidth()
    {
        const QFontMetrics fm(chatlabel::messageFont());
        const QString msg = QString("abcdefghij ").repeated(12);
        const int maxW = 228;
        const auto l = layoutMessage({text(msg)}, QPixmap(), maxW, fm);
        const QStringList lines = opTexts(l);
        QVERIFY(lines.size() > 2);
        QCOMPARE(lines.join(QString()), msg);
        for (int i = 0; i < l.ops.size(); ++i) {
            const DrawOp& op = l.ops[i];
            QCOMPARE(op.rect.top(), l.ops[0].rect.top() + 20 * i);
            QCOMPARE(op.rect.left(), 10);
            if (i + 1 < l.ops.size()) {
                int adv = 0; // pen 6 + advance of the line reaches the width, one character less does not
                for (const QChar c : op.text)
                    adv += fm.horizontalAdvance(c);
                QVERIFY(6 + adv >= maxW);
                QVERIFY(6 + adv - fm.horizontalAdvance(op.text.back()) < maxW);
            }
        }
        QCOMPARE(l.size, QSize(maxW + 14, 3 + 20 * (lines.size() - 1) + 29));
    }

    void replyIsCutAfterTwoLines()
    {
        const QFontMetrics fm(chatlabel::messageFont());
        MessageInput in;
        in.kind = MessageInput::Reply;
        in.name = "Ann";
        in.text = QString("quoted words ").repeated(20);
        const auto l = layoutMessage(parseMessage(in), QPixmap(), 228, fm);
        QVERIFY(l.truncated);
        const QStringList lines = opTexts(l);
        QVERIFY(lines.last().endsWith("..."));
        QSet<int> tops;
        for (const DrawOp& op : l.ops)
            tops.insert(op.rect.top());
        QCOMPARE(tops.size(), 2);
        QCOMPARE(l.size.height(), 23 + 29);
        QCOMPARE(l.ops[0].color, QColor("#888A98"));
    }

    void pictureOnlyBubble()
    {
        QPixmap pm(100, 50);
        pm.fill(Qt::blue);
        const auto l = layoutMessage({}, pm, 228, QFontMetrics(chatlabel::messageFont()));
        QCOMPARE(l.size, QSize(116, 68));
        QCOMPARE(l.ops.size(), 1);
        QCOMPARE(l.ops[0].rect, QRect(8, 10, 100, 50));

        MessageLabel label;
        label.setPicture(pm);
        QCOMPARE(label.size(), QSize(116, 68));
    }

    void picturesScaleToLineHeight_data()
    {
        QTest::addColumn<QSize>("source");
        QTest::addColumn<bool>("gift");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("advance");
        QTest::newRow("emote") << QSize(40, 40) << false << 20 << 20;
        QTest::newRow("wide gift") << QSize(80, 40) << true << 40 << 44;
        QTest::newRow("extreme aspect capped at a line") << QSize(4000, 1) << false << 222 << 222;
    }

    void picturesScaleToLineHeight()
    {
        QFETCH(QSize, source);
        QFETCH(bool, gift);
        QFETCH(int, width);
        QFETCH(int, advance);
        const auto l = layoutMessage({picture(source, gift)}, QPixmap(), 228, QFontMetrics(chatlabel::messageFont()));
        QCOMPARE(l.ops.size(), 1);
        QCOMPARE(l.ops[0].rect, QRect(10, 5, width, 20));
        QCOMPARE(l.size, QSize(6 + advance + 14, 32));
    }

    void pendingPictureTakesALineHeightSquare()
    {
        MessageSegment s;
        s.isText = false;
        s.pictureUrl = "http://h/e.png";
        const auto l = layoutMessage({s}, QPixmap(), 228, QFontMetrics(chatlabel::messageFont()));
        QCOMPARE(l.ops.size(), 1);
        QCOMPARE(l.ops[0].type, DrawOp::Placeholder);
        QCOMPARE(l.ops[0].rect, QRect(10, 5, 20, 20));
        MessageSegment none;
        none.isText = false;
        QVERIFY(layoutMessage({none}, QPixmap(), 228, QFontMetrics(chatlabel::messageFont())).ops.isEmpty());
    }

    void pictureThatDoesNotFitStartsALine()
    {
        const QFontMetrics fm(chatlabel::messageFont());
        QString filler;
        while (6 + fm.horizontalAdvance(filler + "x") <= 220)
            filler += "x";
        const auto l = layoutMessage({text(filler), picture(QSize(20, 20))}, QPixmap(), 228, fm);
        QCOMPARE(l.ops.size(), 2);
        QCOMPARE(l.ops[1].rect, QRect(10, 25, 20, 20));
        QCOMPARE(l.size, QSize(228 + 6 + 14, 23 + 29));
    }

    void colours()
    {
        MessageSegment s;
        QCOMPARE(chatlabel::runColor(s), QColor(Qt::white));
        s.isMention = true;
        QCOMPARE(chatlabel::runColor(s), QColor("#7AB1FF"));
        s.isReplyName = true;
        QCOMPARE(chatlabel::runColor(s), QColor("#888A98"));
        s.isGift = true;
        QCOMPARE(chatlabel::runColor(s), QColor("#FF0E4C"));
    }

    void lineWidthFollowsTheHolder()
    {
        QCOMPARE(chatlabel::maxLineWidth(400), 322);
        QCOMPARE(chatlabel::maxLineWidth(100), 228);
        QWidget holder;
        holder.resize(600, 400);
        QWidget row(&holder);
        auto* label = new MessageLabel(&row);
        label->setMessage(QString("word ").repeated(40));
        holder.show(); // resize events reach hidden widgets only once they are shown
        QCOMPARE(label->maxLineWidth(), 522);
        QCOMPARE(label->width(), 522 + 14);
        holder.resize(350, 400);
        QCOMPARE(label->maxLineWidth(), 272);
        QCOMPARE(label->width(), 272 + 14);
        QVERIFY(label->height() > 3 * 20);
    }

    // Labels of one holder are told of its resizes together; a label whose row went away or moved
    // to another holder is not held back by, nor answers to, the holder it left.
    void lineWidthFollowsTheHolderItIsIn()
    {
        QWidget page;
        QWidget* holders[2] = {new QWidget(&page), new QWidget(&page)};
        holders[0]->resize(600, 400);
        holders[1]->resize(500, 400);
        auto* gone = new QWidget(holders[0]);
        auto* moved = new QWidget(holders[0]);
        new MessageLabel(gone);
        auto* label = new MessageLabel(moved);
        label->setMessage(QString("word ").repeated(40));
        page.show();
        QCOMPARE(label->maxLineWidth(), 522);
        delete gone;
        holders[0]->resize(450, 400);
        QCOMPARE(label->width(), chatlabel::maxLineWidth(450) + 14);

        moved->setParent(holders[1]);
        QCOMPARE(label->width(), chatlabel::maxLineWidth(500) + 14);
        holders[0]->resize(350, 400);
        QCOMPARE(label->width(), chatlabel::maxLineWidth(500) + 14);
        holders[1]->resize(400, 400);
        QCOMPARE(label->width(), chatlabel::maxLineWidth(400) + 14);
    }

    void markupIsDrawnLiterally()
    {
        QImage a(200, 40, QImage::Format_ARGB32);
        QImage b(200, 40, QImage::Format_ARGB32);
        MessageLabel label;
        label.setMessage("<b>x</b>");
        QCOMPARE(label.currentLayout().ops.size(), 1);
        QCOMPARE(label.currentLayout().ops[0].text, QString("<b>x</b>"));
        const QFontMetrics fm(chatlabel::messageFont());
        QCOMPARE(label.width(), 6 + fm.horizontalAdvance("<b>x</b>") + 14);
        // Painted, the literal text differs from a bubble holding just "x".
        label.render(&a);
        MessageLabel plain;
        plain.setMessage("x");
        plain.resize(label.size());
        plain.setMinimumSize(label.size());
        b.fill(Qt::transparent);
        a.fill(Qt::transparent);
        label.render(&a);
        plain.render(&b);
        QVERIFY(a != b);
    }

    void localPictureAddressesOpenNothing_data()
    {
        QTest::addColumn<QString>("address");
        QTest::newRow("path") << "/etc/hosts";
        QTest::newRow("file url") << "file:///etc/hosts";
        QTest::newRow("relative") << "../x.png";
        QTest::newRow("resource") << ":/images/live/ic_user_shield.png";
        QTest::newRow("data url") << "data:image/png;base64,AAAA";
    }

    void localPictureAddressesOpenNothing()
    {
        QFETCH(QString, address);
        QVERIFY(!PictureCache::isFetchable(address));
        MessageLabel label;
        label.setGift(address, "1");
        const MessageSegment& pic = label.segments().at(1);
        QVERIFY(!PictureCache::instance().isPending(address));
        QCOMPARE(pic.picture.toImage(), PictureCache::fallback().toImage());
    }
};

QTEST_MAIN(tst_MessageLabel)
#include "tst_MessageLabel.moc"
