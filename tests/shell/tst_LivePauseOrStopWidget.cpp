// test-label: unit
// The pause/stop popup: only a left press on a title or an icon chooses, and the popup hides.
#include "support/LiveMainWindowTestAccess.h"

#include "shell/LivePauseOrStopWidget.h"

#include <QLabel>
#include <QtTest>

class tst_LivePauseOrStopWidget : public QObject
{
    Q_OBJECT

private slots:
    void popupRows();
};

void tst_LivePauseOrStopWidget::popupRows()
{
    QWidget window;
    window.resize(400, 300);
    window.show();
    LivePauseOrStopWidget popup(&window);
    QSignalSpy pause(&popup, &LivePauseOrStopWidget::sendPause);
    QSignalSpy stop(&popup, &LivePauseOrStopWidget::sendStop);
    QCOMPARE(popup.size(), QSize(156, 126));
    QVERIFY(!popup.isWindow()); // drawn inside the main window
    popup.show();

    // Descriptions and the right button choose nothing.
    QTest::mousePress(labelWithText(popup, "直播暂停，不退出直播间"), Qt::LeftButton);
    QTest::mousePress(labelWithText(popup, "结束后将无法继续直播"), Qt::LeftButton);
    QTest::mousePress(labelWithText(popup, "暂停直播"), Qt::RightButton);
    QCOMPARE(pause.count() + stop.count(), 0);
    QVERIFY(popup.isVisible());

    QTest::mousePress(labelWithText(popup, "暂停直播"), Qt::LeftButton);
    QCOMPARE(pause.count(), 1);
    QVERIFY(!popup.isVisible());

    // The icons choose too; the icon is the label beside the title.
    popup.show();
    QLabel* stopTitle = labelWithText(popup, "结束直播");
    QLabel* stopIcon = nullptr;
    for (QLabel* l : popup.findChildren<QLabel*>())
        if (!l->pixmap(Qt::ReturnByValue).isNull() && qAbs(l->y() - stopTitle->y()) < 20)
            stopIcon = l;
    QVERIFY(stopIcon);
    QCOMPARE(stopIcon->pixmap(Qt::ReturnByValue).size(), QSize(24, 24));
    QTest::mousePress(stopIcon, Qt::LeftButton);
    QCOMPARE(stop.count(), 1);
    QVERIFY(!popup.isVisible());
}

QTEST_MAIN(tst_LivePauseOrStopWidget)
#include "tst_LivePauseOrStopWidget.moc"
