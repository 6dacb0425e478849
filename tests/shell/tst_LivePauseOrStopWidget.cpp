// test-label: unit
// The pause/stop popup: only a left press on a title or an icon chooses, and the popup hides;
// and the almost invisible button that still takes every click.
#include "support/LiveMainWindowTestAccess.h"

#include "shell/LivePauseOrStopWidget.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QtTest>

class tst_LivePauseOrStopWidget : public QObject
{
    Q_OBJECT

private slots:
    void popupRows();
    void transparentButtonTakesClicks();
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

void tst_LivePauseOrStopWidget::transparentButtonTakesClicks()
{
    QWidget row;
    auto* layout = new QHBoxLayout(&row);
    auto* transparent = new TransparentButton(nullptr);
    layout->addWidget(transparent);
    transparent->setFixedSize(20, 20);
    row.show();
    QVERIFY(!transparent->isWindow());
    QSignalSpy clicked(transparent, &QPushButton::clicked);
    QTest::mouseClick(transparent, Qt::LeftButton);
    QCOMPARE(clicked.count(), 1);
    // A flat button paints nothing of its own here: what remains is the alpha-1 black cover,
    // on every pixel.
    transparent->setFlat(true);
    QImage picture(transparent->size(), QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    transparent->render(&picture, QPoint(), QRegion(), QWidget::DrawChildren);
    for (const QPoint p : {QPoint(0, 0), QPoint(19, 19), QPoint(10, 3)})
        QCOMPARE(qAlpha(picture.pixel(p)), 1);
}

QTEST_MAIN(tst_LivePauseOrStopWidget)
#include "tst_LivePauseOrStopWidget.moc"
