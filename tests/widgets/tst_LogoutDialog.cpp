// test-label: unit
#include "support/MouseEvents.h"

#include "widgets/LogoutDialog.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QtTest>

class tst_LogoutDialog : public QObject
{
    Q_OBJECT
private:
    static QLabel* title(QDialog& d) { return d.findChild<QLabel*>("label"); }
    static QLabel* text(QDialog& d) { return d.findChild<QLabel*>("label_2"); }
    static QPushButton* ok(QDialog& d) { return d.findChild<QPushButton*>("ok_btn"); }
    static QPushButton* cancel(QDialog& d) { return d.findChild<QPushButton*>("cancel_btn"); }

private slots:
    void defaults()
    {
        LogoutDialog d;
        QCOMPARE(d.size(), QSize(400, 170));
        QVERIFY(d.windowFlags().testFlag(Qt::FramelessWindowHint));
        QCOMPARE(title(d)->text(), QStringLiteral("退出登录"));
        QCOMPARE(text(d)->text(), QStringLiteral("您确定要退出登录吗？"));
        QCOMPARE(cancel(d)->text(), QStringLiteral("取 消"));
        QCOMPARE(ok(d)->text(), QStringLiteral("确 定"));
        QCOMPARE(cancel(d)->geometry(), QRect(240, 114, 62, 32));
        QCOMPARE(ok(d)->geometry(), QRect(314, 114, 62, 32));
    }

    void okAndCancel_data()
    {
        QTest::addColumn<bool>("acceptOnOk");
        QTest::addColumn<bool>("pressOk");
        QTest::addColumn<int>("result");
        QTest::newRow("ok") << true << true << int(QDialog::Accepted);
        QTest::newRow("cancel") << true << false << int(QDialog::Rejected);
        QTest::newRow("ok only rejects") << false << true << int(QDialog::Rejected);
        QTest::newRow("cancel, ok rejecting") << false << false << int(QDialog::Rejected);
    }
    void okAndCancel()
    {
        QFETCH(bool, acceptOnOk);
        QFETCH(bool, pressOk);
        QFETCH(int, result);
        LogoutDialog d;
        d.setAcceptOnOk(acceptOnOk);
        d.setResult(-1);
        d.show();
        QTest::mouseClick(pressOk ? ok(d) : cancel(d), Qt::LeftButton);
        QCOMPARE(d.result(), result);
        QVERIFY(!d.isVisible());
    }

    void content()
    {
        LogoutDialog d;
        d.setContent(QStringLiteral("切换提示"), QStringLiteral("切换后当前内容将被清空"),
                     QStringLiteral("切换"), false);
        QCOMPARE(title(d)->text(), QStringLiteral("切换提示"));
        QCOMPARE(text(d)->text(), QStringLiteral("切换后当前内容将被清空"));
        QCOMPARE(text(d)->size(), QSize(359, 20));
        QCOMPARE(text(d)->styleSheet(), QStringLiteral("color:rgb(255, 255, 255);font-size:14px;"));
        QCOMPARE(ok(d)->text(), QStringLiteral("切换"));
        QCOMPARE(ok(d)->styleSheet(),
                 QStringLiteral("color: rgb(255, 255, 255);background-color: rgb(6, 105, 245);font-size:14px;"
                                "border-radius:4px;"));
        QCOMPARE(cancel(d)->styleSheet(),
                 QStringLiteral("color: rgb(0, 0, 0);background-color: rgb(255, 255, 255);font-size:14px;"
                                "border-radius:4px;"));
        QVERIFY(cancel(d)->isHidden());

        LogoutDialog withCancel;
        withCancel.setContent("a", "b", "c", true);
        QVERIFY(!cancel(withCancel)->isHidden());
    }

    void wideContent()
    {
        LogoutDialog d;
        d.setWideContent(QStringLiteral("提示"), QStringLiteral("内容"), QStringLiteral("保存并应用"), true);
        QCOMPARE(ok(d)->geometry(), QRect(297, 114, 80, 32));
        QCOMPARE(cancel(d)->pos(), QPoint(223, 114));
        QCOMPARE(ok(d)->text(), QStringLiteral("保存并应用"));
    }

    void deleteContentElidesTheName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("short") << QStringLiteral("场景1");
        QTest::newRow("long") << QStringLiteral("一份名字非常非常非常非常非常非常非常非常长的文档.pptx");
        QTest::newRow("long latin") << QString(80, 'W');
    }
    void deleteContentElidesTheName()
    {
        QFETCH(QString, name);
        LogoutDialog d;
        d.setDeleteContent(QStringLiteral("删除文档"), name, QStringLiteral("删除"), true);
        const QFontMetrics fm(text(d)->font());
        const QString expectedName = fm.elidedText(name, Qt::ElideRight, 192);
        QCOMPARE(text(d)->text(), QStringLiteral("您确定要删除 %1 吗？").arg(expectedName));
        QVERIFY(fm.horizontalAdvance(expectedName) <= 192);
        if (fm.horizontalAdvance(name) <= 192)
            QCOMPARE(expectedName, name);
        else
            QVERIFY(expectedName.endsWith(QChar(0x2026)));
        // Elided in the 14 px font the label shows.
        QCOMPARE(text(d)->font().pixelSize(), 14);
    }

    // A file named like markup is shown by its name, not rendered.
    void deleteContentShowsMarkupAsText()
    {
        LogoutDialog d;
        d.setDeleteContent(QStringLiteral("删除文档"), QStringLiteral("<b>x</b>.pdf"), QStringLiteral("删除"),
                           true);
        const QFontMetrics fm(text(d)->font());
        QVERIFY(text(d)->text().contains("<b>x</b>.pdf"));
        QVERIFY(text(d)->sizeHint().width() >= fm.horizontalAdvance(text(d)->text()));
    }

    void dragsByTheTopBand()
    {
        LogoutDialog d;
        d.move(200, 200);
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        const QPoint start = d.pos();
        testsupport::sendLeftMouse(&d, QEvent::MouseButtonPress, QPoint(100, 20), QPoint(300, 220));
        testsupport::sendLeftMouse(&d, QEvent::MouseMove, QPoint(130, 30), QPoint(330, 230));
        QCOMPARE(d.pos(), start + QPoint(30, 10));
        // Below the top 60 pixels nothing moves.
        testsupport::sendLeftMouse(&d, QEvent::MouseMove, QPoint(130, 100), QPoint(400, 300));
        QCOMPARE(d.pos(), start + QPoint(30, 10));
        // A release in the band moves by the movement since the last anchor.
        testsupport::sendLeftMouse(&d, QEvent::MouseButtonRelease, QPoint(135, 35), QPoint(335, 235));
        QCOMPARE(d.pos(), start + QPoint(35, 15));
    }
};

QTEST_MAIN(tst_LogoutDialog)
#include "tst_LogoutDialog.moc"
