// test-label: unit
// Scene layouts on the canvas: applying a layout's records as engine sources (names, places and
// stacking), cancelling it, full screen and back, page turns with the wheel, the editor's save
// buttons and background picture, and the layout hints; offscreen against the engine fake, whose
// preview scale reads back 0.5 after every fit.
#include "support/FakeLiveCore.h"
#include "support/HostWindow.h"
#include "support/LiveMainWindowTestAccess.h"
#include "support/StoreDir.h"

#include "cohost/SceneWidget.h"
#include "core/DataCenter.h"
#include "core/PictureDecoder.h"
#include "scenes/AddSceneDialog.h"
#include "scenes/LayoutWidget.h"
#include "scenes/SceneLayoutControl.h"
#include "scenes/ScenePictures.h"
#include "widgets/PopTipDlg.h"

#include <QDir>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <QtTest>

using Access = LiveMainWindowTestAccess;

namespace
{
const PosWeight kTile{0.5f, 0.5f, 0.25f, 0.25f};
const PosWeight kWhole{0.f, 0.f, 1.f, 1.f};
const char* kCamera = "摄像头";

InfoWidgetPtr cameraTile(int num, const PosWeight& rect = kTile, const QString& background = QString())
{
    auto tile = std::make_shared<InfoWidget>();
    tile->content = QString::fromUtf8(kCamera);
    tile->kind = 0;
    tile->rect = rect;
    tile->num = num;
    tile->background = background;
    return tile;
}

InfoWidgetPtr pictureTile(int num, const QString& folder, const PosWeight& rect = kTile,
                          const QString& background = QString())
{
    auto tile = std::make_shared<InfoWidget>();
    tile->folder = folder;
    tile->filePath = folder.isEmpty() ? QString() : folder + "/pic0.png";
    tile->content = "a.png";
    tile->rect = rect;
    tile->num = num;
    tile->background = background;
    return tile;
}

// A window set up after login on a 1920 x 1080 canvas, its preview 960 x 540.
struct Fixture {
    HalfScaleCore core;
    LoginInfo info;
    std::unique_ptr<LiveMainWindow> w;

    explicit Fixture(bool mirror = false)
    {
        testsupport::setHostCanvas({1920, 1080}, mirror);
        core.cameras << "cam0";
        w = testsupport::hostWindow(info);
        // The window is never shown (unless a test does), so no layout pass undoes this.
        formWidget(*w, "render_frame")->resize(960, 540);
        core.clearCalls();
    }
    ~Fixture() { testsupport::resetHostCanvas(); }

    // The pictures' sizes are read off the window's thread; the layout is applied once they are in.
    void apply(const InfoWidgetVec& tiles, bool lecture = false)
    {
        w->_use_scene_clickedEX(tiles, 0, 0, lecture);
        PictureDecoder::waitForIdle();
    }
    QLabel* label() { return Access::overlayLabel(*w, 2); }
    QWidget* preview() { return formWidget(*w, "preview_widget"); }
    QStringList recordNames()
    {
        QStringList names;
        for (const SceneSourceInfo& source : Access::sceneSources(*w))
            names << source.name;
        return names;
    }
    QStringList cameraNames()
    {
        QStringList names;
        for (const QString& name : Access::cameraNames(*w))
            names << name;
        return names;
    }
    // The calls that name a source.
    QStringList callsOf(const QString& source) const { return testsupport::callsNaming(core.calls, source); }
    // A wheel turn over the preview at `point` (preview pixels), as the window receives it.
    void wheel(QPoint point, int delta)
    {
        const QPoint at = point + QPoint(formWidget(*w, "frame_5")->x(), formWidget(*w, "frame_3")->y() - 9);
        QWheelEvent event(at, w->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(w.get(), &event);
        PictureDecoder::waitForIdle();
    }
};

QString moves(const QString& name, int steps)
{
    return QString("scene_move_source_order(%1,%2)").arg(name).arg(steps);
}

} // namespace

class tst_SceneCanvas : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void namesAndStacking_data();
    void namesAndStacking();
    void equalNumbersKeepNameOrder();
    void withoutCameraTile();
    void placesOnTheCanvas_data();
    void placesOnTheCanvas();
    void picturesThatDoNotLoad();
    void recordsOutliveTheStrip();
    void cancel_data();
    void cancel();
    void fullScreenAndBack();
    void fullScreenWithoutScene();
    void pageTurns();
    void pageTurnInFullScreen();
    void saveButtons();
    void stripRoundTrip();
    void backgroundChooser();
    void hints();

private:
    // A folder of `pages` pictures pic0.png ... (1920 x 1080, then 1000 x 1000, then 1080 x 1920).
    QString pageFolder(const QString& name, int pages = 1);
    QString picture(const QString& name, QSize size);
    QTemporaryDir m_dir;
};

void tst_SceneCanvas::initTestCase()
{
    QVERIFY(testsupport::useStoreDir(m_dir));
}

QString tst_SceneCanvas::picture(const QString& name, QSize size)
{
    const QString path = m_dir.filePath(name);
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::gray);
    return image.save(path) ? path : QString();
}

QString tst_SceneCanvas::pageFolder(const QString& name, int pages)
{
    const QSize sizes[] = {{1920, 1080}, {1000, 1000}, {1080, 1920}};
    QDir(m_dir.path()).mkpath(name);
    for (int i = 0; i < pages; ++i)
        if (picture(QString("%1/pic%2.png").arg(name).arg(i), sizes[i % 3]).isEmpty())
            return QString();
    return m_dir.filePath(name);
}

void tst_SceneCanvas::namesAndStacking_data()
{
    QTest::addColumn<bool>("lecture");
    QTest::newRow("any layout") << false;
    QTest::newRow("lecture layout") << true;
}

void tst_SceneCanvas::namesAndStacking()
{
    QFETCH(bool, lecture);
    const QString background = picture("background.png", {1920, 1080});
    const QString a = pageFolder("a"), b = pageFolder("b");
    Fixture f;
    f.apply({cameraTile(1, kTile, background), pictureTile(2, a, kTile, background), cameraTile(3, kTile, background),
             pictureTile(4, b, kTile, background)},
            lecture);

    QCOMPARE(f.cameraNames(), (QStringList{"camera source", "camera source1"}));
    QCOMPARE(f.core.callsNamed("core_duplicate_source"),
             QStringList{"core_duplicate_source(camera source,camera source1)"});
    QCOMPARE(f.recordNames(), (QStringList{"image_source1", "image_source2", "image_source3"}));
    QVERIFY(Access::sceneSources(*f.w)[0].isBackground);
    QCOMPARE(Access::sceneSources(*f.w)[2].imagePath, b + "/pic0.png");
    QCOMPARE(Access::sceneZOrder(*f.w), (std::map<QString, int>{{"camera source", 1},
                                                               {"camera source1", 3},
                                                               {"image_source1", -1},
                                                               {"image_source2", 2},
                                                               {"image_source3", 4}}));
    QCOMPARE(f.core.callsNamed("source_set_image_file"),
             (QStringList{"source_set_image_file(image_source1," + background + ",false)",
                          "source_set_image_file(image_source2," + a + "/pic0.png,false)",
                          "source_set_image_file(image_source3," + b + "/pic0.png,false)"}));

    // The background to the bottom, the host camera to the top for a lecture, then every source by
    // its tile number.
    QStringList expected{moves("image_source1", -100)};
    if (lecture)
        expected << moves("camera source", 100);
    expected << moves("image_source1", -1) << moves("camera source", 1) << moves("image_source2", 2)
             << moves("camera source1", 3) << moves("image_source3", 4);
    QCOMPARE(f.core.callsNamed("scene_move_source_order"), expected);
    QCOMPARE(f.core.callsNamed("source_set_camera_enabled"),
             QStringList{"source_set_camera_enabled(camera source,true)"});

    // The next application starts its numbers again and takes the old sources away first.
    f.core.clearCalls();
    f.apply({pictureTile(1, a)});
    QCOMPARE(f.recordNames(), QStringList{"image_source1"});
    const QStringList removed = f.core.callsNamed("scene_remove_source");
    QCOMPARE(removed, (QStringList{"scene_remove_source(image_source1)", "scene_remove_source(image_source2)",
                                   "scene_remove_source(image_source3)", "scene_remove_source(camera source1)"}));
    QVERIFY(f.core.calls.indexOf("core_destroy_main_display(camera source1)") <
            f.core.calls.indexOf("scene_remove_source(camera source1)"));
}

void tst_SceneCanvas::equalNumbersKeepNameOrder()
{
    const QString a = pageFolder("a");
    Fixture f;
    f.apply({pictureTile(2, a), pictureTile(2, a), cameraTile(2), pictureTile(1, a)});
    QCOMPARE(f.core.callsNamed("scene_move_source_order"),
             (QStringList{moves("image_source3", 1), moves("camera source", 2), moves("image_source1", 2),
                          moves("image_source2", 2)}));
}

void tst_SceneCanvas::withoutCameraTile()
{
    const QString a = pageFolder("a");
    Fixture f;
    f.apply({pictureTile(1, a)});
    // Without a background the first picture is number 1; the host camera is switched off.
    QCOMPARE(f.recordNames(), QStringList{"image_source1"});
    QVERIFY(f.cameraNames().isEmpty());
    QCOMPARE(f.core.callsNamed("source_set_camera_enabled"),
             (QStringList{"source_set_camera_enabled(camera source,true)",
                          "source_set_camera_enabled(camera source,false)"}));
    QCOMPARE(f.core.count("core_duplicate_source"), 0);
}

void tst_SceneCanvas::placesOnTheCanvas_data()
{
    QTest::addColumn<bool>("mirror");
    QTest::newRow("camera as it is") << false;
    QTest::newRow("mirrored camera") << true;
}

void tst_SceneCanvas::placesOnTheCanvas()
{
    QFETCH(bool, mirror);
    const QString background = picture("wide-background.png", {1920, 480});
    const QString a = pageFolder("a");
    Fixture f(mirror);
    const InfoWidgetVec tiles{pictureTile(1, a, kTile, background), cameraTile(2, kTile, background)};
    f.apply(tiles);

    // The label covers the preview and shows; the host's tile shows the avatar instead.
    QCOMPARE(f.preview()->size(), QSize(960, 540));
    QCOMPARE(f.label()->geometry(), QRect(0, 0, 960, 540));
    QVERIFY(!f.label()->isHidden());
    QVERIFY(!Access::sceneWidget(*f.w)->cameraShown());
    QCOMPARE(Access::sceneState(*f.w), 1);
    QCOMPARE(f.core.callsNamed("core_create_main_display"),
             QStringList{QString("core_create_main_display(%1,true)").arg(f.label()->winId())});
    QCOMPARE(Access::sceneDisplayWindow(*f.w), quintptr(f.label()->winId()));
    QVERIFY(f.core.calls.indexOf("core_update_preview_scale(1920,1080)") >
            f.core.calls.indexOf(QString("core_create_main_display(%1,true)").arg(f.label()->winId())));

    // Background 1920 x 480 in the 960 x 540 label: 16:9 by the label's width, centred.
    QCOMPARE(f.callsOf("image_source1").filter("scene_set_source_"),
             (QStringList{"scene_set_source_size(image_source1,960,540,false,false)",
                          "scene_set_source_pos(image_source1,0,0)"}));
    QCOMPARE(f.callsOf("image_source2").filter("scene_set_source_"),
             (QStringList{"scene_set_source_size(image_source2,240,135,false,false)",
                          "scene_set_source_pos(image_source2,1080,270)"}));
    const QStringList camera = f.callsOf("camera source").filter("scene_set_source_");
    if (mirror)
        QCOMPARE(camera, (QStringList{"scene_set_source_base_size(camera source,-480,270,0,false,false)",
                                      "scene_set_source_pos(camera source,1440,540)"}));
    else
        QCOMPARE(camera, (QStringList{"scene_set_source_size(camera source,480,270,false,false)",
                                      "scene_set_source_pos(camera source,960,540)"}));
    auto store = CDataCenter::getInstance();
    QCOMPARE(QSize(store->docImageWidth, store->docImageHeight), QSize(1920, 1080));
    QCOMPARE(Access::pageIndexes(*f.w), (std::map<QString, int>{{"image_source2", 0}}));
    QCOMPARE(Access::sceneInfoWidgets(*f.w), tiles);
}

void tst_SceneCanvas::picturesThatDoNotLoad()
{
    Fixture f;
    f.apply({pictureTile(1, m_dir.filePath("missing")), pictureTile(2, QString())});
    QCOMPARE(f.recordNames(), (QStringList{"image_source1", "image_source2"}));
    QCOMPARE(Access::sceneZOrder(*f.w).size(), size_t(2));
    auto store = CDataCenter::getInstance();
    QCOMPARE(QSize(store->docImageWidth, store->docImageHeight), QSize(0, 0));
    // The missing picture still gets its source (it shows nothing); the empty path gets none; neither
    // is sized or placed.
    QCOMPARE(f.core.callsNamed("core_create_image_source"),
             QStringList{"core_create_image_source(image_source1,0)"});
    QVERIFY(f.callsOf("image_source1").filter("scene_set_source_").isEmpty());
    QVERIFY(f.callsOf("image_source2").filter("scene_set_source_").isEmpty());
}

void tst_SceneCanvas::recordsOutliveTheStrip()
{
    const QString a = pageFolder("a");
    Fixture f;
    InfoWidgetVec tiles{pictureTile(1, a)};
    std::weak_ptr<const InfoWidget> record = tiles.front();
    f.apply(tiles);
    tiles.clear(); // the strip rebuilt or deleted its thumbnail
    QVERIFY(!record.expired());
    f.core.clearCalls();
    f.w->_fullScreen(Access::sceneInfoWidgets(*f.w), 0, 0, 0);
    PictureDecoder::waitForIdle();
    QVERIFY(!record.expired());
}

void tst_SceneCanvas::cancel_data()
{
    QTest::addColumn<bool>("mirror");
    QTest::newRow("camera as it is") << false;
    QTest::newRow("mirrored camera") << true;
}

void tst_SceneCanvas::cancel()
{
    QFETCH(bool, mirror);
    const QString a = pageFolder("a");
    Fixture f(mirror);
    f.w->selectLivetype(mainwin::LiveTypeSceneLayout);
    f.apply({cameraTile(1), pictureTile(2, a), cameraTile(3)});
    f.core.clearCalls();
    emit Access::sceneLayoutControl(*f.w)->cancle_scene(0, 0);

    const QString tile = QString::number(Access::sceneWidget(*f.w)->cameraViewWinId());
    QStringList expected{"source_set_camera_enabled(camera source,true)",
                         "scene_remove_source(image_source1)",
                         "core_destory_display(camera source)",
                         "core_destroy_main_display(camera source)",
                         "core_destory_display(camera source1)",
                         "core_destroy_main_display(camera source1)",
                         "scene_remove_source(camera source1)",
                         "core_create_display(camera source," + tile + ")",
                         "core_update_preview_scale(1920,1080)"};
    if (mirror)
        expected << "scene_set_source_size(camera source,-1920,1080,true,false)"
                 << "scene_set_source_pos(camera source,1920,0)";
    else
        expected << "scene_set_source_size(camera source,1920,1080,true,false)"
                 << "scene_set_source_pos(camera source,0,0)";
    QCOMPARE(f.core.calls.mid(0, expected.size()), expected);
    QVERIFY(!f.core.scene.contains("camera source1"));
    QVERIFY(!f.core.scene.contains("image_source1"));

    QCOMPARE(Access::sceneState(*f.w), -1);
    QVERIFY(f.label()->isHidden());
    QVERIFY(f.recordNames().isEmpty());
    QVERIFY(f.cameraNames().isEmpty());
    QVERIFY(Access::sceneInfoWidgets(*f.w).empty());
    QVERIFY(Access::pageIndexes(*f.w).empty());
    // The layout placeholder is back (the one it replaced is released later).
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    int buttons = 0;
    for (QPushButton* button : f.preview()->findChildren<QPushButton*>())
        buttons += button->text() == QString::fromUtf8("添加画面布局") ? 1 : 0;
    QCOMPARE(buttons, 1);
}

void tst_SceneCanvas::fullScreenAndBack()
{
    const QString a = pageFolder("a", 3), b = pageFolder("b", 3);
    Fixture f;
    f.w->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.w.get()));
    const InfoWidgetVec tiles{pictureTile(1, a), cameraTile(2), pictureTile(3, b)};
    f.apply(tiles);
    QVERIFY(f.label()->isVisible());
    // The host turned the second picture to its last page and put the camera at the bottom.
    Access::pageIndexes(*f.w)["image_source2"] = 2;
    f.core.scene.move(f.core.scene.lastIndexOf("camera source"), 0);
    std::map<QString, int> positions;
    for (const QString name : {"camera source", "image_source1", "image_source2"})
        positions[name] = f.core.scene.lastIndexOf(name);
    f.core.clearCalls();

    f.w->_fullScreen(tiles, 0, 0, 0);
    PictureDecoder::waitForIdle();
    QVERIFY(Access::fullScreen(*f.w));
    QLabel* label = f.label();
    QVERIFY(label->isWindow());
    QVERIFY(!label->parentWidget());
    QVERIFY(label->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(label->size(), QSize(1920, 1080));
    QVERIFY(label->isVisible());

    // Re-applied on the label's window, each picture on its page.
    QCOMPARE(f.core.callsNamed("core_create_main_display"),
             QStringList{QString("core_create_main_display(%1,true)").arg(label->winId())});
    QCOMPARE(f.core.callsNamed("source_set_image_file"),
             (QStringList{"source_set_image_file(image_source1," + a + "/pic0.png,false)",
                          "source_set_image_file(image_source2," + b + "/pic2.png,false)"}));
    QCOMPARE(Access::pageIndexes(*f.w), (std::map<QString, int>{{"image_source1", 0}, {"image_source2", 2}}));
    // The order recorded before is put back last: by position, ties in name order.
    std::vector<std::pair<QString, int>> restore(positions.begin(), positions.end());
    std::stable_sort(restore.begin(), restore.end(), [](const auto& l, const auto& r) { return l.second < r.second; });
    QStringList expected;
    for (const auto& pair : restore)
        expected << moves(pair.first, pair.second);
    const QStringList moved = f.core.callsNamed("scene_move_source_order");
    QCOMPARE(moved.mid(moved.size() - expected.size()), expected);

    // Back into the preview, the scene untouched: no engine call while the window stays.
    f.core.clearCalls();
    Access::leaveSceneFullScreen(*f.w);
    QVERIFY(!Access::fullScreen(*f.w));
    QCOMPARE(label->parentWidget(), f.preview());
    QVERIFY(!label->isWindow());
    QCOMPARE(label->geometry(), QRect(QPoint(0, 0), f.preview()->size()));
    QVERIFY(label->isVisible());
    QVERIFY(f.core.calls.isEmpty());

    // A label that came back with another native window gets the main display anew.
    f.w->_fullScreen(tiles, 0, 0, 0);
    PictureDecoder::waitForIdle();
    Access::sceneDisplayWindow(*f.w) = 1; // as if the display were on the window the label had before
    f.core.clearCalls();
    Access::leaveSceneFullScreen(*f.w);
    QCOMPARE(f.core.calls, QStringList{QString("core_create_main_display(%1,true)").arg(label->winId())});
    QCOMPARE(Access::sceneDisplayWindow(*f.w), quintptr(label->winId()));
}

void tst_SceneCanvas::fullScreenWithoutScene()
{
    Fixture f;
    f.w->_fullScreen({}, 0, 0, 0);
    PictureDecoder::waitForIdle();
    QVERIFY(Access::fullScreen(*f.w));
    QCOMPARE(f.label()->parentWidget(), f.preview());
    QVERIFY(f.core.calls.isEmpty());
}

void tst_SceneCanvas::pageTurns()
{
    const QString a = pageFolder("a", 3);
    Fixture f;
    f.apply({pictureTile(1, a)});
    // The picture fills the canvas's top-left quarter: (0, 0, 480, 270) on the preview.
    f.core.rects["image_source1"] = QRectF(0, 0, 960, 540);
    f.core.clearCalls();
    const auto shown = [&f] {
        const QStringList files = f.core.callsNamed("source_set_image_file");
        return files.isEmpty() ? QString() : files.last();
    };
    const auto page = [a](int n) { return QString("source_set_image_file(image_source1,%1/pic%2.png,false)").arg(a).arg(n); };

    f.wheel({100, 100}, -120);
    QCOMPARE(shown(), page(1));
    QCOMPARE(Access::sceneSources(*f.w)[0].imagePath, a + "/pic1.png");
    // The square second page, placed by the page-turn table.
    QCOMPARE(f.callsOf("image_source1").filter("scene_set_source_"),
             (QStringList{"scene_set_source_sizef(image_source1,135,135,false,false)",
                          "scene_set_source_pos(image_source1,532,270)"}));
    f.wheel({100, 100}, -120);
    f.wheel({479, 269}, -1); // the far corner still counts
    QCOMPARE(shown(), page(2));
    QCOMPARE(Access::pageIndexes(*f.w)["image_source1"], 2);
    for (int i = 0; i < 5; ++i)
        f.wheel({0, 0}, 120);
    QCOMPARE(shown(), page(0));
    QCOMPARE(Access::pageIndexes(*f.w)["image_source1"], 0);

    // Nothing turns: no delta, too large a delta, no tile under the pointer, a turn under way.
    f.core.clearCalls();
    f.wheel({100, 100}, 0);
    f.wheel({100, 100}, -240);
    f.wheel({481, 100}, -120);
    Access::wheelBusy(*f.w) = true;
    f.wheel({100, 100}, -120);
    Access::wheelBusy(*f.w) = false;
    QVERIFY(f.core.callsNamed("source_set_image_file").isEmpty());
    QCOMPARE(Access::pageIndexes(*f.w)["image_source1"], 0);

    // A tile without a page entry shows its first page and the map stays as it is.
    Access::pageIndexes(*f.w).clear();
    f.wheel({100, 100}, -120);
    QCOMPARE(shown(), page(0));
    QVERIFY(Access::pageIndexes(*f.w).empty());
}

void tst_SceneCanvas::pageTurnInFullScreen()
{
    const QString a = pageFolder("a", 2);
    Fixture f;
    f.apply({pictureTile(1, a)});
    f.core.rects["image_source1"] = QRectF(0, 0, 960, 540);
    Access::fullScreen(*f.w) = true;
    f.core.clearCalls();
    // In full screen the point is the label's own and the area the canvas.
    QWheelEvent event(QPointF(900, 500), QPointF(900, 500), QPoint(), QPoint(0, -360), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    f.w->turnLayoutPage(false, 1920, 1080, &event);
    PictureDecoder::waitForIdle();
    QCOMPARE(f.core.callsNamed("source_set_image_file"),
             QStringList{"source_set_image_file(image_source1," + a + "/pic1.png,false)"});
}

void tst_SceneCanvas::saveButtons()
{
    Fixture f;
    f.w->selectLivetype(mainwin::LiveTypeSceneLayout);
    QVERIFY(Access::placeholderLayout(*f.w)->count() > 0);
    AddSceneDialog* editor = Access::addSceneDialog(*f.w);
    emit editor->save_clicked({}, 0, false, 0, QString());
    QCOMPARE(Access::sceneState(*f.w), 0);
    QCOMPARE(Access::placeholderLayout(*f.w)->count(), 0);
    emit editor->save_and_use_clicked({}, 0, false, 0, QString());
    QCOMPARE(Access::sceneState(*f.w), 1);
}

// The strip and the canvas together: a layout saved and used is on the canvas and marked in use; a
// later "保 存" and a trip through another tool leave it there.
void tst_SceneCanvas::stripRoundTrip()
{
    const QString a = pageFolder("a");
    Fixture f;
    f.w->selectLivetype(mainwin::LiveTypeSceneLayout);
    SceneLayoutControl* strip = Access::sceneLayoutControl(*f.w);
    AddSceneDialog* editor = Access::addSceneDialog(*f.w);
    setSceneDocumentSource([a] { return SceneDocumentList{{"a.png", a}}; });
    editor->resetForNew(false, 0);
    QVERIFY(editor->tiles()[0]->setPicture("a.png"));
    emit editor->save_and_use_clicked(editor->tiles(), 0, false, 0, QString());
    PictureDecoder::waitForIdle();

    LayoutWidget* used = strip->thumbnail(0);
    QVERIFY(used);
    QCOMPARE(Access::sceneState(*f.w), 1);
    QCOMPARE(Access::sceneInfoWidgets(*f.w), used->records());
    QCOMPARE(f.recordNames(), QStringList{"image_source1"});
    QVERIFY(!used->tag()->isHidden());

    // "保 存" of another layout: the window's own handler resets its flag first, the strip puts
    // the layout in use back.
    emit editor->save_clicked(editor->tiles(), 1, false, 0, QString());
    PictureDecoder::waitForIdle();
    QCOMPARE(strip->layoutCount(), 2);
    QCOMPARE(Access::sceneState(*f.w), 1);
    QCOMPARE(Access::sceneInfoWidgets(*f.w), used->records());

    f.w->selectLivetype(mainwin::LiveTypeDocument);
    f.core.clearCalls();
    f.w->selectLivetype(mainwin::LiveTypeSceneLayout);
    PictureDecoder::waitForIdle();
    QCOMPARE(Access::placeholderLayout(*f.w)->count(), 0);
    QVERIFY(f.core.callsNamed("source_set_image_file").join(' ').contains(a + "/pic0.png"));
    QCOMPARE(Access::sceneInfoWidgets(*f.w), used->records());
    QVERIFY(f.label()->isVisibleTo(f.preview()));
    QCOMPARE(used->getState(), 1);
    QVERIFY(!used->tag()->isHidden());
    setSceneDocumentSource(nullptr);
}

void tst_SceneCanvas::backgroundChooser()
{
    Fixture f;
    AddSceneDialog* editor = Access::addSceneDialog(*f.w);
    editor->move(100, 200);
    auto store = CDataCenter::getInstance();
    store->sceneBackground.clear();
    QString chosen;
    QStringList asked;
    Access::setOpenFileChooser([&](QWidget*, const QString& caption, const QString& folder, const QString& filter) {
        asked << caption << folder << filter;
        return chosen;
    });
    const auto fileOf = [this](const QString& name, qint64 bytes) {
        QFile file(m_dir.filePath(name));
        return file.open(QIODevice::WriteOnly) && file.resize(bytes) ? file.fileName() : QString();
    };
    PopTipDlg* tip = Access::sceneTip(*f.w);

    // No file: nothing.
    emit editor->send_AddBackGroundSig();
    QCOMPARE(asked, (QStringList{QString::fromUtf8("选择图片"), QDir::homePath(), "all(*.png *.jpg)"}));
    QVERIFY(tip->isHidden());
    QVERIFY(store->sceneBackground.isEmpty());

    chosen = fileOf("large.png", 2098176);
    emit editor->send_AddBackGroundSig();
    QVERIFY(tip->isVisible());
    QCOMPARE(tip->textLabel()->text(), QString::fromUtf8("仅支持2M以内的图片"));
    QCOMPARE(tip->pos(), mainwin::broadcastHintPos(editor->mapToGlobal(QPoint(0, 0)), editor->width()));
    QVERIFY(store->sceneBackground.isEmpty());

    chosen = fileOf("small.png", 2098175);
    emit editor->send_AddBackGroundSig();
    QCOMPARE(store->sceneBackground, chosen);

    Access::setOpenFileChooser([](QWidget*, const QString&, const QString&, const QString&) { return QString(); });
}

void tst_SceneCanvas::hints()
{
    Fixture f;
    f.w->move(50, 60);
    f.w->resize(1200, 800);
    PopTipDlg* tip = Access::sceneTip(*f.w);
    f.w->showMaxSceneHint();
    QVERIFY(tip->isVisible());
    QCOMPARE(tip->textLabel()->text(), QString::fromUtf8("最多添加10个画面布局"));
    QCOMPARE(tip->pos(), mainwin::broadcastHintPos(f.w->mapToGlobal(QPoint(0, 0)), f.w->width()));
    QTimer* timer = Access::sceneTipTimer(*f.w);
    QVERIFY(timer && timer->isActive());
    QCOMPARE(timer->interval(), 3000);

    // A second hint a second later stays its full time: the one timer starts again (a coarse
    // timer may be off by 5 %).
    QTest::qWait(1000);
    const int left = timer->remainingTime();
    f.w->showMaxSceneHint();
    QCOMPARE(Access::sceneTipTimer(*f.w), timer);
    QVERIFY2(timer->remainingTime() > left + 500,
             qPrintable(QString("%1 after %2").arg(timer->remainingTime()).arg(left)));
    QCOMPARE(tip->findChildren<QTimer*>().size(), 1);
    timer->start(1); // its end hides the hint
    QTRY_VERIFY(tip->isHidden());
}

QTEST_MAIN(tst_SceneCanvas)
#include "tst_SceneCanvas.moc"
