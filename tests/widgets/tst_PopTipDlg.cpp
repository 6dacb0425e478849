// test-label: unit
#include "widgets/PopTipDlg.h"

#include <QLabel>
#include <QtTest>

class tst_PopTipDlg : public QObject
{
    Q_OBJECT
private slots:
    void defaults()
    {
        PopTipDlg tip;
        QVERIFY(tip.isHidden());
        QCOMPARE(tip.size(), QSize(300, 40));
        QVERIFY(tip.windowFlags().testFlag(Qt::FramelessWindowHint));
        QCOMPARE(tip.windowType(), Qt::Tool);
        QVERIFY(tip.testAttribute(Qt::WA_TranslucentBackground));
        QCOMPARE(tip.textLabel()->text(), QStringLiteral("功能正在升级维护中，敬请期待！"));
        QCOMPARE(tip.iconLabel()->size(), QSize(16, 16));
        QCOMPARE(tip.iconLabel()->pixmap(Qt::ReturnByValue).size(), QSize(16, 16));
    }

    void keepsItsSizeWhateverTheText()
    {
        PopTipDlg tip;
        tip.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tip));
        const QString longText(80, QChar(0x63D0));
        tip.setText(longText);
        QCOMPARE(tip.textLabel()->text(), longText);
        QVERIFY(tip.isVisible());
        QCoreApplication::processEvents();
        QCOMPARE(tip.size(), QSize(300, 40));
        tip.setText(QStringLiteral("短"));
        QCoreApplication::processEvents();
        QCOMPARE(tip.size(), QSize(300, 40));
        tip.hide();
        tip.setText(QStringLiteral("不自己显示"));
        QVERIFY(tip.isHidden());
    }
};

QTEST_MAIN(tst_PopTipDlg)
#include "tst_PopTipDlg.moc"
