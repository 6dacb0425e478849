// test-label: unit
#include "chat/ItemChatRecord.h"
#include "chat/TagItem.h"
#include "chat/UserWithTagLabel.h"

#include <QTextDocument>
#include <QtTest>

using chatlabel::TagDrawOp;
using chatlabel::layoutTags;

namespace {

TagItem pill(const QString& text)
{
    TagItem t;
    t.text = text;
    t.color = QColor("#3B7CFF");
    return t;
}

TagItem name(const QString& text)
{
    TagItem t;
    t.text = text;
    t.fontSize = 14;
    t.wraps = true;
    return t;
}

QStringList texts(const chatlabel::TagLayout& l)
{
    QStringList out;
    for (const TagDrawOp& op : l.ops) {
        if (op.type == TagDrawOp::Text)
            out << op.text;
    }
    return out;
}

} // namespace

class tst_UserWithTagLabel : public QObject
{
    Q_OBJECT
private slots:
    void fittingLineIsOneLineHigh()
    {
        const auto l = layoutTags({pill("VIP"), name("Bob")}, 400);
        QVERIFY(l.singleLine);
        QCOMPARE(l.height, 21);
        QCOMPARE(l.ops.size(), 3);
        const QSize vip = chatlabel::tagTextSize("VIP", 12);
        QCOMPARE(l.ops[0].type, TagDrawOp::Pill);
        QCOMPARE(l.ops[0].rect, QRect(0, 0, vip.width(), 20));
        // The name starts 2 px after the pill.
        QCOMPARE(l.ops[2].rect.left(), vip.width() + 2);
    }

    void pillThatDoesNotFitStartsALine()
    {
        const int vip = chatlabel::tagTextSize("VIP", 12).width();
        const auto l = layoutTags({pill("VIP"), pill("VIP"), name("x")}, 2 * vip + 1);
        QCOMPARE(l.ops[2].type, TagDrawOp::Pill);
        QCOMPARE(l.ops[2].rect.topLeft(), QPoint(0, 22));
        QVERIFY(!l.singleLine);
    }

    void longNameWrapsOverLines()
    {
        const QString n = QString("名字很长的观众").repeated(6);
        const auto l = layoutTags({pill("VIP"), name(n)}, 120);
        const QStringList parts = texts(l).mid(1);
        QVERIFY(parts.size() > 2);
        QCOMPARE(parts.join(QString()), n);
        QVERIFY(!l.singleLine);
        const int lastTop = l.ops.last().rect.top();
        QVERIFY(l.height > 2 * 22);
        QVERIFY(lastTop < l.height);
    }

    void emptyNameKeepsAPositiveHeight()
    {
        const auto l = layoutTags({name(QString())}, 200);
        QCOMPARE(l.height, 21);
        QVERIFY(l.singleLine);
    }

    void fitTextCountsTwoThirdsOfEachCharacter()
    {
        const auto sizer = [](const QString& t, int) { return QSize(30 * t.size(), 20); };
        QCOMPARE(UserWithTagLabel::fitText("abcdef", 12, 60, sizer), QString("abc"));
        QCOMPARE(UserWithTagLabel::fitText("abcdef", 12, 59, sizer), QString("ab"));
        QCOMPARE(UserWithTagLabel::fitText("abcdef", 12, 5, sizer), QString());
        // A surrogate pair is one character and is never split.
        const QString emoji = QString::fromUtf8("😀😀");
        QCOMPARE(UserWithTagLabel::fitText(emoji, 12, 45, sizer), QString::fromUtf8("😀"));
    }

    // Sizes are remembered, but only for the application font they were measured with.
    void rememberedSizesFollowTheApplicationFont()
    {
        const QFont normal = QGuiApplication::font();
        const QSize plain = chatlabel::tagTextSize("Bob Bobson", 14);
        QCOMPARE(chatlabel::tagTextSize("Bob Bobson", 14), plain);
        QFont bold = normal;
        bold.setBold(true);
        QGuiApplication::setFont(bold);
        const QSize heavy = chatlabel::tagTextSize("Bob Bobson", 14);
        QGuiApplication::setFont(normal);
        QVERIFY2(heavy.width() > plain.width(), qPrintable(QString("%1 vs %2").arg(heavy.width()).arg(plain.width())));
        QCOMPARE(chatlabel::tagTextSize("Bob Bobson", 14), plain);
    }

    void markupInNamesAndTitlesIsText()
    {
        QTextDocument doc;
        doc.setHtml(chatlabel::tagTextHtml("<b>x</b> & <i>", 12));
        QCOMPARE(doc.toPlainText(), QString("<b>x</b> & <i>"));
    }

    void recordTagsThenName()
    {
        ItemChatRecord r;
        r.from_client_name = "Bob";
        r.tags = {UserTag{1, "老朋友", "#3B7CFF"}, UserTag{2, "新人", "#FF0000"}};
        UserWithTagLabel label;
        label.resize(400, 30);
        label.addGradientTag("置顶", {{0.0, QColor("#FFB200")}, {1.0, QColor("#FFC03C")}});
        label.setUserTags(r);
        QCOMPARE(label.items().size(), 4);
        QCOMPARE(label.items()[1].color, QColor("#3B7CFF"));
        QVERIFY(label.items()[0].gradient);
        QVERIFY(label.items()[3].wraps);
        QCOMPARE(label.items()[3].fontSize, 14);
        QCOMPARE(texts(label.currentLayout()), (QStringList{"置顶", "老朋友", "新人", "Bob"}));
        QCOMPARE(label.height(), 21);
        QVERIFY(label.isSingleLine());
        label.clearTags();
        QVERIFY(label.items().isEmpty());
    }

    // A name far beyond any nickname is cut (wrapping it whole would take minutes); one of the
    // longest length is shown whole, and a cut never splits a character.
    void overlongNameIsCut_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("shown");
        const int max = UserWithTagLabel::kMaxNameLength;
        QTest::newRow("longest whole") << QString(max, 'a') << QString(max, 'a');
        QTest::newRow("one more") << QString(max + 1, 'a') << QString(max, 'a') + "...";
        QTest::newRow("huge") << QString(200000, 'n') << QString(max, 'n') + "...";
        const QString emoji = QString::fromUtf8("😀");
        QTest::newRow("pair across the cut") << QString(max - 1, 'a') + emoji + "b" << QString(max - 1, 'a') + "...";
    }
    void overlongNameIsCut()
    {
        QFETCH(QString, name);
        QFETCH(QString, shown);
        ItemChatRecord r;
        r.from_client_name = name;
        UserWithTagLabel label;
        label.resize(200, 30);
        label.setUserTags(r);
        QCOMPARE(label.items().last().text, shown);
        QCOMPARE(texts(label.currentLayout()).join(QString()), shown);
    }

    void narrowingTheLabelWrapsAgain()
    {
        ItemChatRecord r;
        r.from_client_name = QString("viewer name ").repeated(5);
        UserWithTagLabel label;
        label.resize(600, 30);
        label.show();
        label.setUserTags(r);
        QCOMPARE(label.height(), 21);
        QSignalSpy spy(&label, &UserWithTagLabel::layoutChanged);
        label.resize(120, label.height());
        QCOMPARE(spy.count(), 1);
        QVERIFY(label.height() > 21);
    }
};

QTEST_MAIN(tst_UserWithTagLabel)
#include "tst_UserWithTagLabel.moc"
