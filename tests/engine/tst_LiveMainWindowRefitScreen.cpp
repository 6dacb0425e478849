// test-label: engine
// A landscape desktop share on the real engine, on an X server of the test's own, while the main
// window is made larger and then smaller: the canvas keeps covering the whole share label.
#include "support/HostWindow.h"
#include "support/CanvasReadBack.h"
#include "support/LiveMainWindowTestAccess.h"
#include "support/PrivateXServer.h"
#include "support/ScreenPixel.h"
#include "support/StoreDir.h"

#include "core/DataCenter.h"
#include "engine/LiveCore.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

using Access = LiveMainWindowTestAccess;

using testsupport::screenPixel;
using testsupport::isRed;

namespace
{
// The label's four corners (a few pixels in) and its centre show the red canvas.
QString uncovered(QLabel* label)
{
    const int w = label->width();
    const int h = label->height();
    const QList<QPoint> points{{4, 4}, {w - 5, 4}, {4, h - 5}, {w - 5, h - 5}, {w / 2, h / 2}};
    QStringList bad;
    for (const QPoint& p : points) {
        const QColor c = screenPixel(label->mapToGlobal(p));
        if (!isRed(c))
            bad << QString("%1,%2 %3").arg(p.x()).arg(p.y()).arg(c.name());
    }
    return bad.join("; ");
}
} // namespace

class tst_LiveMainWindowRefitScreen : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void canvasFillsTheLabel();

private:
    QTemporaryDir m_dir;
};

void tst_LiveMainWindowRefitScreen::initTestCase()
{
    testsupport::setUpScreenTest(m_dir);
}

void tst_LiveMainWindowRefitScreen::canvasFillsTheLabel()
{
    LoginInfo info;
    auto w = testsupport::shownHostWindow(info, 8090);
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));

    w->desktop_share_clicked(0, QString());
    QLabel* label = Access::overlayLabel(*w, 0);
    QVERIFY(label->isVisible());

    // A red picture over the whole canvas, above the share, makes the canvas recognisable.
    QVERIFY(testsupport::coverCanvas(m_dir.filePath("red.png"), Qt::red));
    QVERIFY2(QTest::qWaitFor([&] { return uncovered(label).isEmpty(); }, 60000), qPrintable(uncovered(label)));

    // The host brings the minimised window back and makes it larger, then smaller (without a
    // window manager the test resizes it, as one would).
    w->showNormal();
    for (const QSize& size : {QSize(1800, 1040), QSize(1300, 820)}) {
        w->resize(size);
        QCOMPARE(w->size(), size);
        QCOMPARE(label->size(), formWidget(*w, "render_frame")->size());
        QVERIFY2(QTest::qWaitFor([&] { return uncovered(label).isEmpty(); }, 60000),
                 qPrintable(QString("%1x%2: %3").arg(size.width()).arg(size.height()).arg(uncovered(label))));
    }

    w->exit_desktop_share_clicked();
    w.reset(); // the monitor thread is running: destruction stops it
}

SOLVEK_TEST_MAIN_OWN_DISPLAY(tst_LiveMainWindowRefitScreen)
#include "tst_LiveMainWindowRefitScreen.moc"
