// test-label: unit
// Document pages and whiteboards on the canvas: the page's fit, the camera overlay on it, page
// changes, and the handlers between the document list and the panels; offscreen against the
// engine fake, whose preview scale reads back 0.5 after every fit.
#include "support/FakeLiveCore.h"
#include "support/HostWindow.h"
#include "support/LiveMainWindowTestAccess.h"
#include "support/StoreDir.h"

#include "cohost/SceneWidget.h"
#include "core/DataCenter.h"
#include "documents/DocumentControl.h"
#include "documents/DocumentShareWidget.h"
#include "documents/WhiteBoardControl.h"

#include <QDir>
#include <QImage>
#include <QLabel>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QtTest>

using Access = LiveMainWindowTestAccess;

namespace
{

// A window set up after login on a canvas of the given size, its preview 960 x 540.
struct Fixture {
    HalfScaleCore core;
    LoginInfo info;
    std::unique_ptr<LiveMainWindow> w;

    explicit Fixture(QSize canvas = {1920, 1080}, bool camera = true)
    {
        testsupport::setHostCanvas(canvas);
        if (camera)
            core.cameras << "cam0";
        w = testsupport::hostWindow(info);
        // The window is never shown, so no layout pass undoes this.
        formWidget(*w, "render_frame")->resize(960, 540);
        core.clearCalls();
    }
    ~Fixture() { testsupport::resetHostCanvas(); }

    // Shows a page as the panel's page click does.
    void show(const QString& path) { w->recvDoucmentSharePicslot(path); }
    SceneWidget* tile() { return Access::sceneWidget(*w); }
    // The calls that name a source, from the first one naming it on.
    QStringList callsOf(const QString& source) const { return testsupport::callsNaming(core.calls, source); }
};

} // namespace

class tst_DocumentCanvas : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void pageFit_data();
    void pageFit();
    void cameraOverlay_data();
    void cameraOverlay();
    void cameraOverlayAddedBack();
    void cameraOverlayTakenOff();
    void pageWithoutCamera();
    void pageChanges();
    void usingADocument();
    void tileDeleted();
    void whiteBoardShown();
    void handlersBeforeSetUp();

private:
    // A PNG of that size in the test folder (no file at all for an empty size).
    QString page(const QString& name, QSize size, QColor colour = Qt::white);
    QTemporaryDir m_dir;
};

void tst_DocumentCanvas::initTestCase()
{
    QVERIFY(testsupport::useStoreDir(m_dir));
}

QString tst_DocumentCanvas::page(const QString& name, QSize size, QColor colour)
{
    const QString path = m_dir.filePath(name);
    if (size.isEmpty())
        return path;
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    if (!image.save(path))
        return QString();
    return path;
}

void tst_DocumentCanvas::pageFit_data()
{
    QTest::addColumn<QSize>("canvas");
    QTest::addColumn<QSize>("page");
    QTest::addColumn<QString>("size"); // the sizing call, empty for none
    QTest::addColumn<QString>("pos");
    const QSize wide(1920, 1080);
    QTest::newRow("portrait") << wide << QSize(1080, 1920)
                              << "scene_set_source_size(image_source,303,540,false,false)"
                              << "scene_set_source_pos(image_source,808,0)";
    QTest::newRow("square") << wide << QSize(1000, 1000)
                            << "scene_set_source_size(image_source,540,540,false,false)"
                            << "scene_set_source_pos(image_source,210,0)";
    QTest::newRow("4:3") << wide << QSize(1440, 1080)
                         << "scene_set_source_sizef(image_source,720,540,false,false)"
                         << "scene_set_source_pos(image_source,120,0)";
    QTest::newRow("canvas's ratio") << wide << QSize(1920, 1080)
                                    << "scene_set_source_size(image_source,960,540,false,false)"
                                    << "scene_set_source_pos(image_source,0,0)";
    QTest::newRow("wider than the canvas")
        << wide << QSize(1920, 480) << "scene_set_source_size(image_source,960,240,false,false)"
        << "scene_set_source_pos(image_source,0,420)";
    // "The canvas's ratio" is exact equality: one pixel wider is a wider page.
    QTest::newRow("a pixel wider than the canvas's ratio")
        << wide << QSize(1921, 1080) << "scene_set_source_size(image_source,960,540,false,false)"
        << "scene_set_source_pos(image_source,0,270)";
    QTest::newRow("portrait page, narrower canvas")
        << QSize(1080, 1920) << QSize(900, 1000) << "scene_set_source_size(image_source,540,486,false,false)"
        << "scene_set_source_pos(image_source,0,717)";
    QTest::newRow("page that does not load") << wide << QSize() << QString() << QString();
}

void tst_DocumentCanvas::pageFit()
{
    QFETCH(QSize, canvas);
    QFETCH(QSize, page);
    QFETCH(QString, size);
    QFETCH(QString, pos);
    const QString path = this->page("fit.png", page);
    Fixture f(canvas);
    f.show(page.isEmpty() ? m_dir.filePath("no-such-page.png") : path);

    auto store = CDataCenter::getInstance();
    QCOMPARE(QSize(store->docImageWidth, store->docImageHeight), page.isEmpty() ? QSize(0, 0) : page);
    QStringList sizing =
        f.core.callsNamed("scene_set_source_size") + f.core.callsNamed("scene_set_source_sizef");
    QCOMPARE(sizing, size.isEmpty() ? QStringList() : QStringList{size});
    QCOMPARE(f.core.callsNamed("scene_set_source_pos"), pos.isEmpty() ? QStringList() : QStringList{pos});
    // The page goes on the canvas and into the page label either way.
    QVERIFY(f.core.scene.contains("image_source"));
    QLabel* label = Access::overlayLabel(*f.w, 1);
    QVERIFY(!label->isHidden());
    QCOMPARE(f.core.callsNamed("core_create_display"),
             QStringList{QString("core_create_display(image_source,%1)").arg(label->winId())});
}

void tst_DocumentCanvas::cameraOverlay_data()
{
    QTest::addColumn<bool>("mirror");
    QTest::addColumn<bool>("placed");
    QTest::addColumn<QString>("log");
    QTest::addColumn<QString>("baseSize");
    QTest::addColumn<QString>("pos");
    QTest::newRow("fresh") << false << false << "CameraPosAndSize: 820 461.5 140 78.5"
                           << "scene_set_source_base_size(camera source,140,78.5,0,false,true)"
                           << "scene_set_source_posf_abs(camera source,820,461.5,false,true)";
    QTest::newRow("fresh, mirrored") << true << false << "CameraPosAndSize: 960 461.5 -140 78.5"
                                     << "scene_set_source_base_size(camera source,-140,78.5,0,false,true)"
                                     << "scene_set_source_posf_abs(camera source,960,461.5,false,true)";
    QTest::newRow("placed by the host") << true << true << "CameraPosAndSize: 100 200 300 168.75"
                                        << "scene_set_source_base_size(camera source,300,168.75,0,false,true)"
                                        << "scene_set_source_posf_abs(camera source,100,200,false,true)";
}

void tst_DocumentCanvas::cameraOverlay()
{
    QFETCH(bool, mirror);
    QFETCH(bool, placed);
    QFETCH(QString, log);
    QFETCH(QString, baseSize);
    QFETCH(QString, pos);
    Fixture f;
    CDataCenter::getInstance()->cameraMirror = mirror;
    if (placed)
        Access::docCameraRect(*f.w) = docpage::CameraRect{100, 200, 300, 168.75f};

    QTest::ignoreMessage(QtDebugMsg, log.toUtf8().constData());
    f.show(page("camera.png", {1920, 1080}));
    QCOMPARE(f.callsOf("camera source"),
             (QStringList{"scene_has_source(camera source)", "scene_move_source_order(camera source,2)",
                          baseSize, pos}));
    // The camera sits two steps above where it was: over the page.
    QCOMPARE(f.core.scene.lastIndexOf("camera source"), f.core.scene.size() - 1);
    QVERIFY(!f.tile()->cameraShown());
    QVERIFY(f.tile()->inUseBadgeVisible());

    // The rectangle is kept for the next page.
    const docpage::CameraRect kept = Access::docCameraRect(*f.w);
    QVERIFY(kept.placed());
    f.core.clearCalls();
    QTest::ignoreMessage(QtDebugMsg, log.toUtf8().constData());
    f.show(page("camera2.png", {1440, 1080}));
    QCOMPARE(f.core.callsNamed("scene_set_source_base_size"), QStringList{baseSize});
    QCOMPARE(f.core.callsNamed("scene_set_source_posf_abs"), QStringList{pos});
}

void tst_DocumentCanvas::cameraOverlayAddedBack()
{
    Fixture f;
    // The camera left the scene, and its source with it: it is made again and added.
    f.core.scene.removeAll("camera source");
    f.core.sources.removeAll("camera source");
    f.show(page("back.png", {1920, 1080}));
    QCOMPARE(
        f.callsOf("camera source").mid(0, 4),
        (QStringList{"scene_has_source(camera source)", "scene_add_source(camera source,true)",
                     "core_create_camera_source(camera source)", "scene_add_source(camera source,true)"}));
    QVERIFY(f.core.scene.contains("camera source"));

    // Only off the scene: a camera still in the table is just added.
    f.core.scene.removeAll("camera source");
    f.core.clearCalls();
    f.show(page("back.png", {1920, 1080}));
    QCOMPARE(f.core.count("core_create_camera_source"), 0);
    QCOMPARE(f.core.callsNamed("scene_add_source"), QStringList{"scene_add_source(camera source,true)"});
}

void tst_DocumentCanvas::cameraOverlayTakenOff()
{
    Fixture f;
    Access::docCameraOverlay(*f.w) = false;
    f.show(page("off.png", {1920, 1080}));
    QCOMPARE(f.callsOf("camera source"), QStringList{"scene_remove_source(camera source)"});
    QCOMPARE(f.core.calls.last(), QString("scene_remove_source(camera source)"));
    QVERIFY(!f.core.scene.contains("camera source"));
    QVERIFY(f.tile()->cameraShown());
    QVERIFY(!f.tile()->inUseBadgeVisible());
    QVERIFY(!Access::docCameraRect(*f.w).placed());
}

void tst_DocumentCanvas::pageWithoutCamera()
{
    Fixture f({1920, 1080}, false);
    f.show(page("nocam.png", {1920, 1080}));
    QVERIFY(f.callsOf("camera source").isEmpty());
    QVERIFY(!Access::docCameraRect(*f.w).placed());
    // The tile still shows its avatar and the badge.
    QVERIFY(!f.tile()->cameraShown());
    QVERIFY(f.tile()->inUseBadgeVisible());
}

void tst_DocumentCanvas::pageChanges()
{
    Fixture f;
    const QString first = page("p0.png", {1920, 1080});
    const QString second = page("p1.png", {1000, 1000});
    // The document placeholder goes when a page shows.
    QVERIFY(Access::placeholderLayout(*f.w)->count() > 0);
    f.show(first);
    QCOMPARE(Access::placeholderLayout(*f.w)->count(), 0);
    QCOMPARE(Access::curPagePath(*f.w), first);

    const QStringList refit{
        "core_destory_display(image_source)", "core_update_preview_scale(1920,1080)",
        QString("core_create_display(image_source,%1)").arg(Access::overlayLabel(*f.w, 1)->winId()),
        "scene_set_source_size(image_source,960,540,false,false)", "scene_set_source_pos(image_source,0,0)"};
    // The same page again: nothing reloads, the display and the fit are made again.
    f.core.clearCalls();
    f.show(first);
    QCOMPARE(f.core.calls.mid(0, 6), QStringList{"scene_has_source(image_source)"} + refit);
    QCOMPARE(f.callsOf("image_source").size(), 5);

    // No path keeps the page and re-fits it.
    f.core.clearCalls();
    f.show(QString());
    QCOMPARE(Access::curPagePath(*f.w), first);
    QCOMPARE(f.core.calls.mid(0, 6), QStringList{"scene_has_source(image_source)"} + refit);
    QCOMPARE(f.callsOf("image_source").size(), 5);

    // A new page: the source is taken off and made afresh with the new file.
    f.core.clearCalls();
    f.show(second);
    QCOMPARE(Access::curPagePath(*f.w), second);
    QCOMPARE(f.callsOf("image_source").mid(0, 6),
             (QStringList{"scene_remove_source(image_source)",
                          QString("source_set_image_file(image_source,%1,false)").arg(second),
                          "scene_has_source(image_source)", "core_create_image_source(image_source,0)",
                          "scene_add_source(image_source,true)",
                          QString("source_set_image_file(image_source,%1,false)").arg(second)}));
    QCOMPARE(f.core.callsNamed("scene_set_source_size"),
             QStringList{"scene_set_source_size(image_source,540,540,false,false)"});

    // With the source gone (another tool took it off), no path makes it again with no file and
    // fits it to the page last shown.
    f.core.scene.removeAll("image_source");
    f.core.sources.removeAll("image_source");
    f.core.clearCalls();
    f.show(QString());
    QCOMPARE(f.core.callsNamed("source_set_image_file"),
             QStringList{"source_set_image_file(image_source,,false)"});
    QVERIFY(f.core.scene.contains("image_source"));
    QCOMPARE(f.core.callsNamed("scene_set_source_size"),
             QStringList{"scene_set_source_size(image_source,540,540,false,false)"});
}

void tst_DocumentCanvas::usingADocument()
{
    Fixture f;
    QDir(m_dir.path()).mkpath("doc");
    page("doc/pic0.png", {1920, 1080});
    const QString folder = m_dir.filePath("doc");
    // A rectangle the host placed on another document does not carry over.
    Access::docCameraRect(*f.w) = docpage::CameraRect{100, 200, 300, 168.75f};
    emit Access::documents(*f.w)->sendUseSig(folder, "a.pdf");

    QCOMPARE(Access::documentControl(*f.w)->tabCount(), 1);
    QCOMPARE(Access::curPagePath(*f.w), folder + "/pic0.png");
    QCOMPARE(f.core.callsNamed("scene_set_source_posf_abs"),
             QStringList{"scene_set_source_posf_abs(camera source,820,461.5,false,true)"});

    // Without a camera the rectangle stays unplaced.
    Fixture bare({1920, 1080}, false);
    Access::docCameraRect(*bare.w) = docpage::CameraRect{100, 200, 300, 168.75f};
    emit Access::documents(*bare.w)->sendUseSig(folder, "a.pdf");
    QVERIFY(!Access::docCameraRect(*bare.w).placed());
    QCOMPARE(Access::docCameraRect(*bare.w).height, -1.0f);
}

void tst_DocumentCanvas::tileDeleted()
{
    Fixture f;
    QDir(m_dir.path()).mkpath("one");
    QDir(m_dir.path()).mkpath("two");
    const QString one = m_dir.filePath("one");
    const QString two = m_dir.filePath("two");
    page("one/pic0.png", {1920, 1080});
    page("two/pic0.png", {1000, 1000});
    DocumentShareWidget* list = Access::documents(*f.w);
    emit list->sendUseSig(one, "one.pdf");
    emit list->sendUseSig(two, "two.pdf");
    QCOMPARE(Access::curPagePath(*f.w), two + "/pic0.png");

    // Folder and name in that order: a tile of another name closes no tab.
    emit list->sendDelClearSig(two, "one.pdf");
    QCOMPARE(Access::documentControl(*f.w)->tabCount(), 2);
    // The panel closes the tab and shows the first remaining document.
    emit list->sendDelClearSig(two, "two.pdf");
    QCOMPARE(Access::documentControl(*f.w)->tabCount(), 1);
    QCOMPARE(Access::curPagePath(*f.w), one + "/pic0.png");
    // The last one gone brings back the empty layout; the page path stays.
    emit list->sendDelClearSig(one, "one.pdf");
    QCOMPARE(Access::documentControl(*f.w)->tabCount(), 0);
    QVERIFY(Access::overlayLabel(*f.w, 1)->isHidden());
    QVERIFY(Access::placeholderLayout(*f.w)->count() > 0);
    QCOMPARE(Access::curPagePath(*f.w), one + "/pic0.png");
}

void tst_DocumentCanvas::whiteBoardShown()
{
    Fixture f;
    f.w->selectLivetype(mainwin::LiveTypeWhiteBoard);
    QWidget* preview = formWidget(*f.w, "preview_widget");
    preview->resize(900, 500);
    f.core.clearCalls();
    emit Access::whiteBoardControl(*f.w)->sendShowWhiteBoard(3);

    QLabel* board = Access::overlayLabel(*f.w, 3);
    QCOMPARE(preview->styleSheet(), QString("background-color:transparent;"));
    QCOMPARE(board->size(), QSize(900, 501));
    QCOMPARE(board->minimumSize(), board->maximumSize());
    QVERIFY(!board->isHidden());
    QVERIFY(f.core.calls.isEmpty());
}

void tst_DocumentCanvas::handlersBeforeSetUp()
{
    // Before set-up there is no list and no panel: the handlers do nothing.
    HalfScaleCore core;
    LiveMainWindow w;
    core.clearCalls();
    w.recvUsePicslot("doc", "a.pdf");
    w.onDocumentTileDeleted("doc", "a.pdf");
    w.onDocumentTabClosed("doc", "a.pdf");
    w.showDocumentList();
    w.onAddWhiteBoard(1);
    QVERIFY(core.calls.isEmpty());
    QVERIFY(Access::curPagePath(w).isEmpty());
}

QTEST_MAIN(tst_DocumentCanvas)
#include "tst_DocumentCanvas.moc"
