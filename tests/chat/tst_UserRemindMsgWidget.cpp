// test-label: unit
// The enter and leave band: the notice text, its hiding after the interval (an older notice's
// timer hides a newer one), the shortening of long names and escaping of markup in names.
#include "support/RichText.h"

#include "chat/UserRemindMsgWidget.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QLabel>
#include <QtTest>

namespace
{
constexpr int kDelay = 300;

} // namespace

class tst_UserRemindMsgWidget : public QObject
{
    Q_OBJECT

private slots:
    void placedOverTheBottomOfItsParent()
    {
        QWidget parent;
        parent.resize(300, 400);
        UserRemindMsgWidget band(&parent);
        QCOMPARE(band.parentWidget(), &parent);
        QVERIFY(!band.isWindow());
        QCOMPARE(band.geometry(), QRect(8, 400 - 80, 300, 80));
    }

    void enterNoticeShownThenHidden()
    {
        QWidget parent;
        parent.resize(300, 400);
        UserRemindMsgWidget band(&parent);
        band.setHideDelayMs(kDelay);
        band.hide();
        band.addNewMsg("Bob", true);
        QVERIFY(band.isVisibleTo(&parent));
        QCOMPARE(band.noticeLabel()->text(), QString::fromUtf8("欢迎 <b>Bob</b> 进入直播间"));
        QCOMPARE(band.noticeLabel()->width(), 300 - 30);
        QCOMPARE(band.noticeLabel()->contentsMargins(), QMargins(11, 2, 0, 3));
        QTRY_VERIFY_WITH_TIMEOUT(!band.isVisibleTo(&parent), 5000);

        band.addNewMsg("Bob", false);
        QCOMPARE(band.noticeLabel()->text(), QString::fromUtf8("<b>Bob</b> 离开直播间"));
        QVERIFY(band.isVisibleTo(&parent));
    }

    // The first notice's timer hides the band while the second one is still young.
    void olderTimerHidesNewerNotice()
    {
        QWidget parent;
        parent.resize(300, 400);
        UserRemindMsgWidget band(&parent);
        band.setHideDelayMs(2000);
        band.addNewMsg("A", true);
        QTest::qWait(1000);
        QVERIFY(band.isVisibleTo(&parent));
        QElapsedTimer sinceSecond;
        sinceSecond.start();
        band.addNewMsg("B", true);
        QTRY_VERIFY_WITH_TIMEOUT(!band.isVisibleTo(&parent), 5000);
        QVERIFY2(sinceSecond.elapsed() < 1900, qPrintable(QString::number(sinceSecond.elapsed())));
    }

    void longNamesAreShortenedToFit_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("enter");
        QTest::addColumn<int>("bandWidth");
        QTest::newRow("latin, enter") << QString(200, QLatin1Char('W')) << true << 300;
        QTest::newRow("latin, leave") << QString(200, QLatin1Char('m')) << false << 300;
        QTest::newRow("han") << QString::fromUtf8("很长很长的名字").repeated(10) << true << 300;
        QString emoji;
        for (int i = 0; i < 60; ++i)
            emoji += QString::fromUtf8("😀");
        QTest::newRow("emoji") << emoji << true << 300;
        QTest::newRow("emoji, odd width") << QString::fromUtf8("a") + emoji << false << 257;
    }

    void longNamesAreShortenedToFit()
    {
        QFETCH(QString, name);
        QFETCH(bool, enter);
        QFETCH(int, bandWidth);
        QWidget parent;
        parent.resize(bandWidth, 400);
        UserRemindMsgWidget band(&parent);
        band.addNewMsg(name, enter);
        const QString tail = QString::fromUtf8(enter ? "进入直播间" : "离开直播间");
        const QString shown = testsupport::plainText(band.noticeLabel()->text());
        QVERIFY2(shown.endsWith(QString::fromUtf8("... ") + tail), qPrintable(shown));
        const QFontMetrics metrics(QApplication::font());
        QVERIFY(metrics.horizontalAdvance(shown) <= bandWidth - 30);
        const QString kept = UserRemindMsgWidget::fittedName(name, enter, metrics, bandWidth - 30).chopped(3);
        QVERIFY(!kept.isEmpty());
        QVERIFY(name.startsWith(kept));
        QVERIFY2(!kept.back().isHighSurrogate(), "a surrogate pair was cut");
    }

    void shortNameStaysWhole()
    {
        const QFontMetrics metrics(QApplication::font());
        QCOMPARE(UserRemindMsgWidget::fittedName("Bob", true, metrics, 270), QString("Bob"));
    }

    // A band that cannot even hold the rest of the sentence keeps only "...".
    void tooNarrowBandGivesBareEllipsis()
    {
        const QFontMetrics metrics(QApplication::font());
        QCOMPARE(UserRemindMsgWidget::fittedName("Alexander", true, metrics, 20), QString("..."));
        QCOMPARE(UserRemindMsgWidget::fittedName("Alexander", false, metrics, -30), QString("..."));
    }

    // Markup in a nickname is shown as typed, never rendered.
    void markupInNamesIsShownLiterally()
    {
        QWidget parent;
        parent.resize(400, 400);
        UserRemindMsgWidget band(&parent);
        band.addNewMsg("<i>x</i>", true);
        QCOMPARE(band.noticeLabel()->textFormat(), Qt::RichText);
        QCOMPARE(testsupport::plainText(band.noticeLabel()->text()), QString::fromUtf8("欢迎 <i>x</i> 进入直播间"));
        band.addNewMsg("<img src=x>&amp;", false);
        QCOMPARE(testsupport::plainText(band.noticeLabel()->text()), QString::fromUtf8("<img src=x>&amp; 离开直播间"));
    }
};

QTEST_MAIN(tst_UserRemindMsgWidget)
#include "tst_UserRemindMsgWidget.moc"
