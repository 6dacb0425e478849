// test-label: engine
// A scene layout on the canvas of the real engine, seen in the window's scene label on an X server
// of the test's own: two picture tiles applied from the strip land where the geometry says, stacked
// by tile number, and the label still shows the canvas after full screen and back.
#include "support/HostWindow.h"
#include "support/LiveMainWindowTestAccess.h"
#include "support/CanvasReadBack.h"
#include "support/PrivateXServer.h"
#include "support/ScreenPixel.h"
#include "support/StoreDir.h"

#include "canvas/SceneCanvasGeometry.h"
#include "core/DataCenter.h"
#include "core/PictureDecoder.h"
#include "engine/LiveCore.h"
#include "scenes/SceneLayoutControl.h"

#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

using Access = LiveMainWindowTestAccess;

using testsupport::screenPixel;
using testsupport::isRed;
using testsupport::isBlue;

namespace
{
const PosWeight kRedTile{0.f, 0.f, 0.5f, 0.5f};
const PosWeight kBlueTile{0.5f, 0.5f, 0.5f, 0.5f};

InfoWidgetPtr pictureTile(int num, const QString& folder, const PosWeight& rect)
{
    auto tile = std::make_shared<InfoWidget>();
    tile->folder = folder;
    tile->filePath = folder + "/pic0.png";
    tile->content = "pic.png";
    tile->rect = rect;
    tile->num = num;
    return tile;
}

} // namespace

class tst_SceneCanvasScreen : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void picturesShowOnTheCanvas();

private:
    // The source's place and size on the canvas as libobs has them, within a pixel of what the
    // geometry asks for at the engine's preview scale.
    void checkPlaced(const QString& name, const PosWeight& rect, QSize picture, QSize preview);
    // The label's pixel at the centre of a tile.
    QColor tileCentre(QLabel* label, const PosWeight& rect) const;
    QTemporaryDir m_dir;
};

void tst_SceneCanvasScreen::initTestCase()
{
    testsupport::setUpScreenTest(m_dir);
}

void tst_SceneCanvasScreen::checkPlaced(const QString& name, const PosWeight& rect, QSize picture,
                                        QSize preview)
{
    LiveCore* core = LiveCore::get_instance();
    auto store = CDataCenter::getInstance();
    const float P = core->core_get_preview_scale();
    QVERIFY(P > 0);
    const scenecanvas::Placement p = scenecanvas::pictureOnApply(
        scenecanvas::tilePixels(rect, preview.width(), preview.height()), picture.width(), picture.height(),
        preview.width(), preview.height(), store->screenWidth, store->screenHeight, P);
    QVERIFY(p.call != scenecanvas::SizeCall::None);
    const float w = p.call == scenecanvas::SizeCall::Size ? float(p.width) : p.widthF;
    const float h = p.call == scenecanvas::SizeCall::Size ? float(p.height) : p.heightF;
    const QRectF wanted(p.x / P, p.y / P, w / P, h / P);

    float x = 0, y = 0, sw = 0, sh = 0;
    const QByteArray n = name.toUtf8();
    // libobs loads the file at its next video tick; until then the source has no size.
    QTRY_VERIFY_WITH_TIMEOUT(core->scene_get_source_rectf(n.constData(), &x, &y, &sw, &sh) && sw > 0, 60000);
    const QString mismatch = testsupport::canvasRectMismatch(name, QRectF(x, y, sw, sh), wanted);
    QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
}

QColor tst_SceneCanvasScreen::tileCentre(QLabel* label, const PosWeight& rect) const
{
    const QPoint centre(int((rect.x + rect.w / 2) * label->width()),
                        int((rect.y + rect.h / 2) * label->height()));
    return screenPixel(label->mapToGlobal(centre));
}

void tst_SceneCanvasScreen::picturesShowOnTheCanvas()
{
    // Two tiles that fill their quarters of the canvas: a red picture of the canvas's ratio at the
    // top left (tile 1) and a blue one at the bottom right (tile 2, on top).
    QVERIFY(QDir(m_dir.path()).mkpath("red") && QDir(m_dir.path()).mkpath("blue"));
    QImage red(1920, 1080, QImage::Format_RGB32);
    red.fill(Qt::red);
    QVERIFY(red.save(m_dir.filePath("red/pic0.png")));
    QImage blue(1920, 1080, QImage::Format_RGB32);
    blue.fill(Qt::blue);
    QVERIFY(blue.save(m_dir.filePath("blue/pic0.png")));

    LoginInfo info;
    auto w = testsupport::shownHostWindow(info, 8088);
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));

    w->selectLivetype(mainwin::LiveTypeSceneLayout);
    SceneLayoutControl* strip = Access::sceneLayoutControl(*w);
    QVERIFY(strip);
    const InfoWidgetVec tiles{pictureTile(2, m_dir.filePath("blue"), kBlueTile),
                              pictureTile(1, m_dir.filePath("red"), kRedTile)};
    emit strip->_use_scene_clickEX(tiles, 0, 0, false);
    PictureDecoder::waitForIdle(); // the layout is applied once its pictures' sizes are read

    LiveCore* core = LiveCore::get_instance();
    QWidget* preview = formWidget(*w, "preview_widget");
    // Blue was made first (image_source1), red second; the tile numbers stack red below blue.
    checkPlaced("image_source1", kBlueTile, {1920, 1080}, preview->size());
    checkPlaced("image_source2", kRedTile, {1920, 1080}, preview->size());
    int bluePosition = -1, redPosition = -1, count = 0;
    core->scene_get_source_order("image_source1", &bluePosition, &count);
    core->scene_get_source_order("image_source2", &redPosition, &count);
    QVERIFY2(redPosition < bluePosition,
             qPrintable(QString("red %1, blue %2").arg(redPosition).arg(bluePosition)));

    QLabel* label = Access::overlayLabel(*w, 2);
    QVERIFY(label->isVisible());
    // Pixel checks wait for one reading that holds: a retry macro reads again after its loop, and
    // a read between two frames of the display can differ from the one that ended the loop.
    QVERIFY(QTest::qWaitFor(
        [&] { return isRed(tileCentre(label, kRedTile)) && isBlue(tileCentre(label, kBlueTile)); }, 60000));

    // Full screen: the label is a window of its own and shows the canvas there.
    emit strip->fullScreen(tiles, 0, 0, 0);
    QVERIFY(label->isWindow());
    QVERIFY(QTest::qWaitForWindowExposed(label));
    QVERIFY(QTest::qWaitFor(
        [&] { return isRed(tileCentre(label, kRedTile)) && isBlue(tileCentre(label, kBlueTile)); }, 60000));

    // Back in the preview the picture is still there: on X11 the label keeps its window, and the
    // display follows the window's size.
    Access::leaveSceneFullScreen(*w);
    QVERIFY(!label->isWindow());
    QCOMPARE(Access::sceneDisplayWindow(*w), quintptr(label->winId()));
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    QVERIFY(QTest::qWaitFor(
        [&] { return isRed(tileCentre(label, kRedTile)) && isBlue(tileCentre(label, kBlueTile)); }, 60000));

    const QByteArray dir = qgetenv("SOLVEK_SCREENSHOT_DIR");
    if (!dir.isEmpty())
        QVERIFY(QGuiApplication::primaryScreen()->grabWindow(0).toImage().save(
            QDir(QString::fromLocal8Bit(dir)).filePath("scene-layout.png")));
    w.reset(); // the monitor thread is running: destruction stops it
}

SOLVEK_TEST_MAIN_OWN_DISPLAY(tst_SceneCanvasScreen)
#include "tst_SceneCanvasScreen.moc"
