// test-label: unit
// The share bars: the desktop-share bar's hide timer and its strip, the exits of both bars and the
// window-share bar's tab outline; offscreen.
#include "canvas/AppPopupWindow.h"
#include "canvas/FloatingWindow.h"
#include "canvas/HideWindow.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

class tst_ShareBars : public QObject
{
    Q_OBJECT
private slots:
    void floatingBarForm();
    void hoverHoldsTheBar();
    void stripBringsTheBarBack();
    void timerHidesTheBar();
    void exitButtons();
    void tabOutline();
};

namespace
{
void send(QWidget* widget, QEvent::Type type)
{
    QEvent event(type);
    QCoreApplication::sendEvent(widget, &event);
}
} // namespace

void tst_ShareBars::floatingBarForm()
{
    HideWindow strip;
    FloatingWindow bar(nullptr, &strip);
    QCOMPARE(bar.size(), QSize(280, 40));
    QCOMPARE(strip.size(), QSize(280, 1));
    QVERIFY(bar.windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(!bar.sharing);
    QCOMPARE(bar.y(), strip.y() + 1); // the strip lies on the line just above the bar
    QCOMPARE(bar.findChild<QPushButton*>("exit_share_btn")->text(), QString::fromUtf8("退出共享"));
    // Made hidden, with its repeating hide timer already running.
    QVERIFY(bar.isHidden());
    QVERIFY(bar.hideTimer()->isActive());
    QVERIFY(!bar.hideTimer()->isSingleShot());
    QCOMPARE(bar.hideTimer()->interval(), FloatingWindow::kHideMs);
    QCOMPARE(FloatingWindow::kHideMs, 10000);

    AppPopupWindow appBar;
    QCOMPARE(appBar.size(), QSize(128, 35));
    QVERIFY(!(appBar.windowFlags() & Qt::WindowStaysOnTopHint));
}

void tst_ShareBars::hoverHoldsTheBar()
{
    FloatingWindow bar(nullptr, nullptr);
    bar.showWindow();
    send(&bar, QEvent::Enter);
    QVERIFY(!bar.hideTimer()->isActive());
    send(&bar, QEvent::Leave);
    QVERIFY(bar.hideTimer()->isActive());
    QVERIFY(bar.hideTimer()->remainingTime() > FloatingWindow::kHideMs - 1000);
    QVERIFY(bar.isVisible());
}

void tst_ShareBars::stripBringsTheBarBack()
{
    HideWindow strip;
    FloatingWindow bar(nullptr, &strip);
    QSignalSpy touched(&strip, &HideWindow::showFloatingWindow);
    send(&strip, QEvent::Enter);
    QCOMPARE(touched.count(), 1);
    QVERIFY(bar.isVisible());
    QVERIFY(bar.hideTimer()->isActive());
    send(&strip, QEvent::Leave);
    QCOMPARE(touched.count(), 1);
}

void tst_ShareBars::timerHidesTheBar()
{
    FloatingWindow bar(nullptr, nullptr);
    bar.hideTimer()->setInterval(5);
    bar.showWindow();
    QTRY_VERIFY(bar.isHidden());
    // The timer repeats: shown again, it hides again.
    bar.showWindow();
    QTRY_VERIFY(bar.isHidden());
}

void tst_ShareBars::exitButtons()
{
    FloatingWindow bar(nullptr, nullptr);
    bar.sharing = true;
    bar.showWindow();
    QSignalSpy desktopExit(&bar, &FloatingWindow::exit_desktop_share);
    QTest::mouseClick(bar.findChild<QPushButton*>("exit_share_btn"), Qt::LeftButton);
    QCOMPARE(desktopExit.count(), 1);
    QVERIFY(bar.isHidden());
    QVERIFY(!bar.sharing);

    AppPopupWindow appBar;
    appBar.show();
    QSignalSpy windowExit(&appBar, &AppPopupWindow::exit_window_share);
    auto* end = appBar.findChild<QLabel*>("exit_label");
    QCOMPARE(end->text(), QString::fromUtf8("结束"));
    // A press on the other labels does nothing.
    QTest::mousePress(appBar.findChild<QLabel*>("label_2"), Qt::LeftButton);
    QCOMPARE(windowExit.count(), 0);
    QVERIFY(appBar.isVisible());
    QTest::mousePress(end, Qt::LeftButton);
    QCOMPARE(windowExit.count(), 1);
    QVERIFY(appBar.isHidden());
}

void tst_ShareBars::tabOutline()
{
    const QPainterPath path = AppPopupWindow::tabPath(QRect(0, 0, 128, 35));
    QVERIFY(path.contains(QPointF(100, 17)));
    QVERIFY(path.contains(QPointF(5, 30)));
    QVERIFY(path.contains(QPointF(120, 17))); // inside the half circle
    QVERIFY(!path.contains(QPointF(127, 1))); // the rounded-off corner
    QVERIFY(!path.contains(QPointF(127, 34)));

    // Painted, the outline becomes the bar's mask.
    AppPopupWindow appBar;
    appBar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&appBar));
    appBar.repaint();
    QVERIFY(appBar.mask().contains(QPoint(100, 17)));
    QVERIFY(!appBar.mask().contains(QPoint(127, 1)));
}

QTEST_MAIN(tst_ShareBars)
#include "tst_ShareBars.moc"
