// test-label: engine
// A document page on the canvas of the real engine, seen in the window's page label on an X server
// of the test's own: the page's size and place read back from libobs, and the next page in its
// stead.
#include "support/HostWindow.h"
#include "support/LiveMainWindowTestAccess.h"
#include "support/CanvasReadBack.h"
#include "support/PrivateXServer.h"
#include "support/StoreDir.h"

#include "canvas/DocumentPageGeometry.h"
#include "core/DataCenter.h"
#include "documents/DocumentShareWidget.h"
#include "engine/LiveCore.h"

#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

using Access = LiveMainWindowTestAccess;

class tst_DocumentCanvasScreen : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void pagesShowOnTheCanvas();

private:
    // The page's place and size on the canvas as libobs has them, within a pixel of what the fit
    // at the engine's preview scale asks for.
    void checkPlaced(QSize page);
    QTemporaryDir m_dir;
};

void tst_DocumentCanvasScreen::initTestCase()
{
    testsupport::setUpScreenTest(m_dir);
}

void tst_DocumentCanvasScreen::checkPlaced(QSize page)
{
    LiveCore* core = LiveCore::get_instance();
    auto store = CDataCenter::getInstance();
    QCOMPARE(QSize(store->docImageWidth, store->docImageHeight), page);
    const float P = core->core_get_preview_scale();
    QVERIFY(P > 0);
    const docpage::PageFit fit =
        docpage::fitPage(page.width(), page.height(), store->screenWidth, store->screenHeight, P);
    QVERIFY(fit.call == docpage::SizeCall::Size);
    const QRectF wanted(fit.x / P, fit.y / P, fit.width / P, fit.height / P);

    float x = 0, y = 0, w = 0, h = 0;
    // libobs loads the new file at its next video tick; until then the source has no size.
    QTRY_VERIFY_WITH_TIMEOUT(core->scene_get_source_rectf("image_source", &x, &y, &w, &h) && w > 0, 60000);
    const QString mismatch = testsupport::canvasRectMismatch("image_source", QRectF(x, y, w, h), wanted);
    QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
}

void tst_DocumentCanvasScreen::pagesShowOnTheCanvas()
{
    // Two pages: a blue one of the canvas's ratio, then a red square; both cover the canvas's centre.
    QVERIFY(QDir(m_dir.path()).mkpath("doc"));
    const QString folder = m_dir.filePath("doc");
    QImage blue(1920, 1080, QImage::Format_RGB32);
    blue.fill(Qt::blue);
    QVERIFY(blue.save(folder + "/pic0.png"));
    QImage red(1000, 1000, QImage::Format_RGB32);
    red.fill(Qt::red);
    QVERIFY(red.save(folder + "/pic1.png"));

    LoginInfo info;
    auto w = testsupport::shownHostWindow(info, 8087);
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));

    emit Access::documents(*w)->sendUseSig(folder, "a.pdf");
    LiveCore* core = LiveCore::get_instance();
    QVERIFY(core->scene_has_source("image_source"));
    checkPlaced({1920, 1080});

    QLabel* label = Access::overlayLabel(*w, 1);
    QVERIFY(label->isVisible());
    const auto centrePixel = [label] {
        const QPoint centre = label->mapToGlobal(label->rect().center());
        return QGuiApplication::primaryScreen()
            ->grabWindow(0, centre.x(), centre.y(), 1, 1)
            .toImage()
            .pixelColor(0, 0);
    };
    QVERIFY(QTest::qWaitFor([&] { return centrePixel().blue() > 200 && centrePixel().red() < 60; }, 60000));

    // The next page replaces it.
    w->recvDoucmentSharePicslot(folder + "/pic1.png");
    checkPlaced({1000, 1000});
    QVERIFY(QTest::qWaitFor([&] { return centrePixel().red() > 200 && centrePixel().blue() < 60; }, 60000));

    const QByteArray dir = qgetenv("SOLVEK_SCREENSHOT_DIR");
    if (!dir.isEmpty())
        QVERIFY(QGuiApplication::primaryScreen()->grabWindow(0).toImage().save(
            QDir(QString::fromLocal8Bit(dir)).filePath("document-page.png")));
    w.reset(); // the monitor thread is running: destruction stops it
}

SOLVEK_TEST_MAIN_OWN_DISPLAY(tst_DocumentCanvasScreen)
#include "tst_DocumentCanvasScreen.moc"
