// test-label: engine
// A desktop share on the real engine, on an X server of the test's own: a green window on the
// screen shows on the canvas in the share label, where the desktop source lies.
#include "support/HostWindow.h"
#include "support/LiveMainWindowTestAccess.h"
#include "support/PrivateXServer.h"
#include "support/ScreenPixel.h"
#include "support/StoreDir.h"

#include "core/DataCenter.h"
#include "engine/LiveCore.h"

#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

using Access = LiveMainWindowTestAccess;

using testsupport::screenPixel;
using testsupport::isGreen;

class tst_DesktopShareScreen : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void desktopShowsOnTheCanvas();

private:
    QTemporaryDir m_dir;
};

void tst_DesktopShareScreen::initTestCase()
{
    testsupport::setUpScreenTest(m_dir);
}

void tst_DesktopShareScreen::desktopShowsOnTheCanvas()
{
    // A green window over the whole screen, below the main window.
    QWidget green;
    green.setWindowFlags(Qt::FramelessWindowHint);
    green.setStyleSheet("background: #00ff00;");
    green.setAutoFillBackground(true);
    QPalette palette = green.palette();
    palette.setColor(QPalette::Window, QColor(0, 255, 0));
    green.setPalette(palette);
    green.setGeometry(QGuiApplication::primaryScreen()->geometry());
    green.show();
    QVERIFY(QTest::qWaitForWindowExposed(&green));

    LoginInfo info;
    auto w = testsupport::shownHostWindow(info, 8089);
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));

    w->desktop_share_clicked(0, QString());
    // Without a window manager the minimised window stays mapped, so the label can be read.
    QVERIFY(w->windowState() & Qt::WindowMinimized);
    QLabel* label = Access::overlayLabel(*w, 0);
    QVERIFY(label->isVisible());

    LiveCore* core = LiveCore::get_instance();
    QVERIFY(core->scene_has_source("desktop source"));
    float x = 0, y = 0, sw = 0, sh = 0;
    QTRY_VERIFY_WITH_TIMEOUT(core->scene_get_source_rectf("desktop source", &x, &y, &sw, &sh) && sw > 0,
                             60000);
    // The screen's bottom-right corner is green (the main window covers the top left); find it in
    // the label through the source's place on the canvas.
    auto store = CDataCenter::getInstance();
    const QPointF canvas(x + sw * 0.95, y + sh * 0.95);
    const QPoint at(int(canvas.x() * label->width() / store->screenWidth),
                    int(canvas.y() * label->height() / store->screenHeight));
    QVERIFY2(QTest::qWaitFor([&] { return isGreen(screenPixel(label->mapToGlobal(at))); }, 60000),
             qPrintable(QString("pixel %1 at %2,%3 (source %4,%5 %6x%7)")
                            .arg(screenPixel(label->mapToGlobal(at)).name())
                            .arg(at.x())
                            .arg(at.y())
                            .arg(x)
                            .arg(y)
                            .arg(sw)
                            .arg(sh)));

    w->exit_desktop_share_clicked();
    QVERIFY(!core->scene_has_source("desktop source"));
    QVERIFY(!label->isVisible());
    w.reset(); // the monitor thread is running: destruction stops it
}

SOLVEK_TEST_MAIN_OWN_DISPLAY(tst_DesktopShareScreen)
#include "tst_DesktopShareScreen.moc"
