// test-label: unit
// The host camera's transforms in the main window (turns, flip, mirror, reset, cancel, the drag of
// the own tile back, the saved rectangle) and the preview menus' wiring to them and to the co-host
// overlay; offscreen against the engine fake, canvas 1920 x 1080 in a 960 x 540 preview.
#include "support/FakeLiveCore.h"
#include "support/FakeTrtcCloud.h"
#include "support/HostWindow.h"
#include "support/LiveMainWindowTestAccess.h"
#include "support/StoreDir.h"

#include "canvas/CameraTransformCounters.h"
#include "canvas/DesktopShareDialog.h"
#include "canvas/RightChildMenu.h"
#include "canvas/RightMenu.h"
#include "canvas/SortPageMenu.h"
#include "cohost/SceneCenterWidget.h"
#include "cohost/SceneWidget.h"
#include "cohost/VideoWindows.h"
#include "core/DataCenter.h"
#include "core/Toast.h"
#include "settings/SettingsDialog.h"

#include <QCursor>
#include <QLabel>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using Access = LiveMainWindowTestAccess;
using mainwin::LiveType;

namespace
{

const char* kCamera = "camera source";

// Records whether the store's swapCanvasSize was set while the camera was sized.
class SwapSpyCore : public FakeLiveCore
{
public:
    QList<bool> swapDuringSize;
    void scene_set_source_size(const char* name, int width, int height, bool portrait, bool force) override
    {
        swapDuringSize << CDataCenter::getInstance()->swapCanvasSize;
        FakeLiveCore::scene_set_source_size(name, width, height, portrait, force);
    }
};

struct Fixture {
    SwapSpyCore core;
    FakeTrtcCloud cloud;
    QStringList overlay; // what the co-host overlay sent to the mix and the renderer, in order
    LoginInfo info;
    std::unique_ptr<LiveMainWindow> w;

    explicit Fixture(bool camera = true)
    {
        testsupport::setHostCanvas();
        if (camera)
            core.cameras << "cam0";
        w = testsupport::hostWindow(info);
        w->initRightMenu();
        // Never shown, so no layout pass undoes these sizes.
        preview()->resize(960, 540);
        if (!core.sources.contains(kCamera))
            core.sources << kCamera;
        if (!core.scene.contains(kCamera))
            core.scene << kCamera;
        core.rects[kCamera] = QRectF(100, 50, 200, 112.5);
        VideoWindows::Hooks& hooks = preview()->hooks;
        hooks.updateMixUser = [this](int id, TrtcMixRect, int z) {
            overlay << QString("z %1 %2").arg(id).arg(z);
        };
        hooks.removeMixUser = [this](int id) { overlay << QString("remove %1").arg(id); };
        hooks.setRemoteRender = [this](int id, int rotation, int mirror) {
            overlay << QString("render %1 %2 %3").arg(id).arg(rotation).arg(mirror);
        };
        core.previewScale = 0.5f;
        CameraTransformCounters::instance().reset();
        core.clearCalls();
        core.swapDuringSize.clear();
    }
    ~Fixture() { testsupport::resetHostCanvas(); }

    VideoWindows* preview() { return formWidget<VideoWindows>(*w, "preview_widget"); }
    // A co-host's tile dropped on the preview: its video is there from now on.
    void dropCoHost(int id)
    {
        QCursor::setPos(preview()->mapToGlobal(QPoint(100, 100)));
        preview()->handleDropEvent(QString::number(id));
        QVERIFY(preview()->remoteVideo(id));
        overlay.clear();
    }
    SceneWidget* tile() { return Access::sceneWidget(*w); }
    void setTool(LiveType type) { Access::setLiveType(*w, type); }
    // The tool, then the store's live mode (portrait or not) and camera mirror the window reads.
    void setModes(LiveType type, bool portrait, bool mirror)
    {
        auto store = CDataCenter::getInstance();
        store->liveMode = portrait;
        store->cameraMirror = mirror;
        setTool(type);
    }
    // The geometry calls of the camera and its copies, in order.
    QStringList geometry() const
    {
        QStringList out;
        for (const QString& call : core.calls)
            if (call.startsWith("scene_set_source_"))
                out << call;
        return out;
    }
    QRectF savedRect()
    {
        const docpage::CameraRect r = Access::docCameraRect(*w);
        return QRectF(r.x, r.y, r.width, r.height);
    }
    void setSharing(bool on) { Access::sharePicker(*w)->setSharing(on); }
};

// The camera's sizing call `size` (after "scene_set_source_"), then its move to (x, y).
QStringList placed(const QString& size, int x, int y)
{
    return {"scene_set_source_" + size, QString("scene_set_source_pos(camera source,%1,%2)").arg(x).arg(y)};
}

// A left press on a menu row as the menu watching it sees it; true when the menu consumes it.
bool press(QWidget* target)
{
    QWidget* menu = target;
    while (menu && !qobject_cast<PopupMenuFrame*>(menu))
        menu = menu->parentWidget();
    QMouseEvent event(QEvent::MouseButtonPress, QPointF(2, 2), target->mapToGlobal(QPoint(2, 2)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    return static_cast<QObject*>(menu)->eventFilter(target, &event);
}

} // namespace

class tst_CameraTransforms : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void rotations_data();
    void rotations();
    void clockwiseAddsTheCameraBack();
    void flip();
    void mirror_data();
    void mirror();
    void reset_data();
    void reset();
    void resetWithoutCamera();
    void cancel_data();
    void cancel();
    void dragOwnTileBack_data();
    void dragOwnTileBack();
    void showCameraAfterSettings_data();
    void showCameraAfterSettings();
    void savedRectangle();
    void menusOpenAndPlace();
    void menuChoicesReachCamera();
    void menuChoicesReachOverlay();
    void layerOrder();
    void initRightMenuTwice();

private:
    QTemporaryDir m_dir;
};

void tst_CameraTransforms::initTestCase()
{
    QVERIFY(testsupport::useStoreDir(m_dir));
}

void tst_CameraTransforms::rotations_data()
{
    QTest::addColumn<QString>("clicks"); // c clockwise, a anticlockwise
    QTest::addColumn<QList<int>>("degrees");
    QTest::newRow("clockwise x5") << "ccccc" << QList<int>{270, 180, 90, 0, 270};
    QTest::newRow("clockwise twice, then anticlockwise") << "cca" << QList<int>{270, 180, 90};
    QTest::newRow("anticlockwise x5") << "aaaaa" << QList<int>{90, 180, 270, 360, 90};
    QTest::newRow("anticlockwise keeps the clockwise walk") << "aac" << QList<int>{90, 180, 270};
}

void tst_CameraTransforms::rotations()
{
    QFETCH(QString, clicks);
    QFETCH(QList<int>, degrees);
    Fixture f;
    QList<int> seen;
    for (QChar click : clicks) {
        f.core.rects[kCamera] = QRectF(10 * seen.size(), 20, 300, 168.75);
        f.core.clearCalls();
        if (click == 'c')
            f.w->handleRotateClockwise();
        else
            f.w->handleRotateAnticlockwise();
        const QStringList turns = f.core.callsNamed("source_set_rotation");
        QCOMPARE(turns.size(), 1);
        seen << turns[0].section(',', 1).chopped(1).toInt();
        // Each turn saves the camera's rectangle.
        QCOMPARE(f.savedRect(), f.core.rects[kCamera]);
        QVERIFY(f.geometry().isEmpty());
    }
    QCOMPARE(seen, degrees);
}

void tst_CameraTransforms::clockwiseAddsTheCameraBack()
{
    for (bool camera : {true, false}) {
        Fixture f(camera);
        f.core.scene.removeAll(kCamera);
        f.w->handleRotateClockwise();
        QCOMPARE(f.core.callsNamed("scene_add_source"),
                 camera ? QStringList{"scene_add_source(camera source,true)"} : QStringList{});
        // Anticlockwise never adds it.
        f.core.scene.removeAll(kCamera);
        f.core.clearCalls();
        f.w->handleRotateAnticlockwise();
        QCOMPARE(f.core.count("scene_add_source"), 0);
    }
}

void tst_CameraTransforms::flip()
{
    Fixture f;
    f.w->handleFlipVertically();
    f.w->handleFlipVertically();
    f.w->handleFlipVertically();
    f.w->ClickMenuReset();
    f.w->handleFlipVertically();
    QCOMPARE(f.core.callsNamed("source_set_flip_vertically"),
             (QStringList{"source_set_flip_vertically(camera source,true)",
                          "source_set_flip_vertically(camera source,false)",
                          "source_set_flip_vertically(camera source,true)",
                          "source_set_flip_vertically(camera source,false)", // the reset
                          "source_set_flip_vertically(camera source,true)"}));
    QCOMPARE(f.savedRect(), QRectF(100, 50, 200, 112.5));
}

void tst_CameraTransforms::mirror_data()
{
    QTest::addColumn<int>("tool");
    QTest::addColumn<bool>("sharing");
    QTest::addColumn<bool>("portrait");
    QTest::addColumn<int>("clockwiseTurns");
    QTest::addColumn<bool>("storeMirror");
    QTest::addColumn<float>("scale");
    QTest::addColumn<QStringList>("expected");

    const QStringList scaled{"scene_set_source_base_size(camera source,-100,56.25,1,false,false)",
                             "scene_set_source_posf(camera source,150,25,false)"};
    QTest::newRow("document tool") << 0 << false << false << 0 << false << 0.5f << scaled;
    QTest::newRow("document tool, scale 0 gives sx") << 0 << false << false << 0 << false << 0.0f << scaled;
    QTest::newRow("share tool, no share") << 2 << false << false << 0 << false << 0.5f << scaled;
    QTest::newRow("whiteboard") << 1 << false << false << 0 << false << 0.5f << QStringList{};
    QTest::newRow("co-host") << 4 << false << false << 0 << false << 0.5f << QStringList{};
    QTest::newRow("scene layout: every camera")
        << 3 << false << false << 0 << false << 0.5f
        << (QStringList{scaled[0], scaled[1],
                        "scene_set_source_base_size(camera source1,-50,25,1,false,false)",
                        "scene_set_source_posf(camera source1,500,300,false)"});
    QTest::newRow("landscape share") << 2 << true << false << 0 << false << 0.5f
                                     << placed("base_size(camera source,-200,112.5,1,false,false)", 300, 50);
    QTest::newRow("portrait share, turned") << 2 << true << true << 1 << false << 0.5f
                                            << placed("size(camera source,229,54,true,false)", 300, 50);
    QTest::newRow("portrait share, turned, mirrored")
        << 2 << true << true << 1 << true << 0.5f
        << placed("size(camera source,-229,54,true,false)", 300, 50);
    QTest::newRow("portrait share, upside down")
        << 2 << true << true << 2 << false << 0.5f
        << placed("base_size(camera source,-100,56.25,1,false,false)", 300, 50);
    QTest::newRow("portrait share, scale 0 gives the share label's factor")
        << 2 << true << true << 0 << false << 0.0f
        << placed("base_size(camera source,-90,50.625,1,false,false)", 300, 50);
}

void tst_CameraTransforms::mirror()
{
    QFETCH(int, tool);
    QFETCH(bool, sharing);
    QFETCH(bool, portrait);
    QFETCH(int, clockwiseTurns);
    QFETCH(bool, storeMirror);
    QFETCH(float, scale);
    QFETCH(QStringList, expected);
    Fixture f;
    f.setModes(LiveType(tool), portrait, storeMirror);
    f.setSharing(sharing);
    Access::overlayLabel(*f.w, 0)->resize(864, 486); // 864 / 1920 = 0.45
    Access::cameraNames(*f.w) = {"camera source", "camera source1"};
    f.core.sources << "camera source1";
    f.core.scene << "camera source1";
    f.core.rects["camera source1"] = QRectF(900, 600, 100, 50);
    for (int i = 0; i < clockwiseTurns; ++i)
        f.w->handleRotateClockwise();
    f.core.previewScale = scale;
    f.core.clearCalls();
    f.core.swapDuringSize.clear();

    // From the context menu's "水平翻转" as from the camera tile's mirror button.
    emit Access::rightChildMenu(*f.w)->sendLevelClicked();
    QCOMPARE(f.geometry(), expected);
    if (!f.core.swapDuringSize.isEmpty())
        QCOMPARE(f.core.swapDuringSize, QList<bool>{true});
    auto store = CDataCenter::getInstance();
    QVERIFY(!store->swapCanvasSize);
    QCOMPARE(f.savedRect(), QRectF(100, 50, 200, 112.5));
    QCOMPARE(store->cameraMirror, storeMirror); // the mirror itself never changes it

    f.core.clearCalls();
    emit f.tile()->sendMirrorStatus();
    QCOMPARE(f.geometry(), expected);
}

void tst_CameraTransforms::reset_data()
{
    QTest::addColumn<int>("tool");
    QTest::addColumn<bool>("portrait");
    QTest::addColumn<bool>("storeMirror");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("whiteboard") << 1 << false << false
                                << placed("size(camera source,560,306,true,false)", 1360, 774);
    QTest::newRow("whiteboard, mirrored")
        << 1 << false << true << placed("size(camera source,-560,306,true,false)", 1920, 774);
    QTest::newRow("landscape share") << 2 << false << false
                                     << placed("size(camera source,560,306,true,false)", 1360, 774);
    QTest::newRow("document, scale 0")
        << 0 << false << false << placed("base_size(camera source,140,76.5,1,false,false)", 820, 463);
    QTest::newRow("document, mirrored")
        << 0 << false << true << placed("size(camera source,-280,153,true,false)", 1920, 927);
    QTest::newRow("portrait") << 2 << true << false
                              << placed("size(camera source,229,54,true,false)", 834, 828);
    QTest::newRow("portrait, mirrored")
        << 2 << true << true << placed("size(camera source,-229,54,true,false)", 1691, 828);
    // Portrait live mode is the share tool's: the document tool keeps its own table.
    QTest::newRow("portrait setting, document")
        << 0 << true << false << placed("base_size(camera source,140,76.5,1,false,false)", 820, 463);
}

void tst_CameraTransforms::reset()
{
    QFETCH(int, tool);
    QFETCH(bool, portrait);
    QFETCH(bool, storeMirror);
    QFETCH(QStringList, expected);
    Fixture f;
    f.setModes(LiveType(tool), portrait, storeMirror);
    Access::overlayLabel(*f.w, 0)->resize(405, 720);
    f.w->handleRotateClockwise();
    f.w->handleFlipVertically();
    f.core.scene.removeAll(kCamera);
    f.core.previewScale = 0;
    f.core.clearCalls();

    emit Access::rightMenu(*f.w)->sendResetClicked();
    QCOMPARE(f.core.callsNamed("source_set_flip_vertically"),
             QStringList{"source_set_flip_vertically(camera source,false)"});
    QCOMPARE(f.core.callsNamed("source_set_rotation"), QStringList{"source_set_rotation(camera source,0)"});
    QCOMPARE(f.core.callsNamed("scene_add_source"), QStringList{"scene_add_source(camera source,true)"});
    QCOMPARE(f.geometry(), expected);
    QCOMPARE(f.savedRect(), QRectF(-1, -1, -1, -1));
    const CameraTransformCounters& counters = CameraTransformCounters::instance();
    QCOMPARE(counters.clockwise(), 3);
    QCOMPARE(counters.anticlockwise(), 0);
    QCOMPARE(counters.flip(), 0);
}

void tst_CameraTransforms::resetWithoutCamera()
{
    Fixture f(false);
    f.w->handleRotateAnticlockwise();
    f.core.scene.removeAll(kCamera);
    f.core.clearCalls();
    f.w->ClickMenuReset();
    QCOMPARE(f.core.calls, (QStringList{"source_set_flip_vertically(camera source,false)",
                                        "source_set_rotation(camera source,0)"}));
    QCOMPARE(f.savedRect(), QRectF(-1, -1, -1, -1));
    QCOMPARE(CameraTransformCounters::instance().anticlockwise(), 0);
}

void tst_CameraTransforms::cancel_data()
{
    QTest::addColumn<int>("tool");
    QTest::addColumn<bool>("camera");
    QTest::addColumn<QStringList>("expected"); // all engine calls
    QTest::addColumn<bool>("shareOverlay");
    QTest::addColumn<bool>("docOverlay");
    QTest::newRow("share tool") << 2 << true << QStringList{"scene_remove_source(camera source)"} << false
                                << true;
    QTest::newRow("document tool") << 0 << true << QStringList{"scene_remove_source(camera source)"} << true
                                   << false;
    QTest::newRow("document tool, no camera")
        << 0 << false << QStringList{"scene_remove_source(camera source)"} << true << false;
    QTest::newRow("whiteboard") << 1 << true
                                << QStringList{"scene_has_source(camera source)",
                                               "scene_add_source(camera source,true)",
                                               "core_destory_display(camera source)",
                                               "core_create_display(camera source,TILE)",
                                               "core_update_preview_scale(1920,1080)",
                                               "scene_set_source_size(camera source,1920,1080,true,false)"}
                                << true << true;
    QTest::newRow("whiteboard, no camera") << 1 << false << QStringList{} << true << true;
}

void tst_CameraTransforms::cancel()
{
    QFETCH(int, tool);
    QFETCH(bool, camera);
    QFETCH(QStringList, expected);
    QFETCH(bool, shareOverlay);
    QFETCH(bool, docOverlay);
    Fixture f(camera);
    f.setTool(LiveType(tool));
    f.core.scene.removeAll(kCamera);
    if (tool != 1)
        f.core.scene << kCamera;
    f.tile()->setInUseBadgeVisible(true);
    f.tile()->setDragEnabled(false);
    f.core.clearCalls();

    emit Access::rightMenu(*f.w)->sendCancleClicked();
    expected.replaceInStrings("TILE", QString::number(f.tile()->cameraViewWinId()));
    QCOMPARE(f.core.calls, expected);
    QCOMPARE(Access::shareCameraOverlay(*f.w), shareOverlay);
    QCOMPARE(Access::docCameraOverlay(*f.w), docOverlay);
    if (tool != 1)
        QVERIFY(!f.core.scene.contains(kCamera));
    QVERIFY(!f.tile()->inUseBadgeVisible());
    QVERIFY(f.tile()->dragEnabled());
}

void tst_CameraTransforms::dragOwnTileBack_data()
{
    QTest::addColumn<int>("tool");
    QTest::addColumn<bool>("storeMirror");
    QTest::addColumn<QString>("cameraName");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("whiteboard") << 1 << false << "" << QStringList{};
    QTest::newRow("scene layout") << 3 << false << "" << QStringList{};
    QTest::newRow("share tool, mirrored")
        << 2 << true << ""
        << QStringList{"scene_remove_source(camera source)",
                       "scene_add_source(camera source,true)",
                       "source_set_camera_device(cam0,camera source)",
                       "scene_move_source_order(camera source,2)",
                       "scene_set_source_size(camera source,-560,306,true,false)",
                       "scene_set_source_pos(camera source,1920,774)"};
    QTest::newRow("document tool, chosen camera")
        << 0 << false << "usb cam"
        << QStringList{"scene_remove_source(camera source)",
                       "scene_add_source(camera source,true)",
                       "source_set_camera_device(usb cam,camera source)",
                       "scene_move_source_order(camera source,2)",
                       "scene_set_source_size(camera source,560,306,true,false)",
                       "scene_set_source_pos(camera source,1360,774)"};
}

void tst_CameraTransforms::dragOwnTileBack()
{
    QFETCH(int, tool);
    QFETCH(bool, storeMirror);
    QFETCH(QString, cameraName);
    QFETCH(QStringList, expected);
    Fixture f;
    auto store = CDataCenter::getInstance();
    store->cameraMirror = storeMirror;
    store->cameraName = cameraName;
    f.setTool(LiveType(tool));
    Access::shareCameraOverlay(*f.w) = false;
    Access::docCameraOverlay(*f.w) = false;
    f.core.scene << "image_source";
    f.core.sources << "image_source";

    f.w->handleDragSceneWidget();
    QCOMPARE(f.core.calls, expected);
    QCOMPARE(Access::shareCameraOverlay(*f.w), tool == 2);
    QCOMPARE(Access::docCameraOverlay(*f.w), tool == 0);
    if (!expected.isEmpty())
        QCOMPARE(f.core.scene.last(), QString(kCamera)); // on top
}

void tst_CameraTransforms::showCameraAfterSettings_data()
{
    QTest::addColumn<bool>("shareOverlay");
    QTest::addColumn<bool>("docOverlay");
    QTest::addColumn<int>("tool");
    QTest::addColumn<bool>("removed");
    QTest::newRow("share overlay off, share tool") << false << true << 2 << true;
    QTest::newRow("share overlay off, document tool") << false << false << 0 << false;
    QTest::newRow("both on, share tool") << true << true << 2 << false;
    QTest::newRow("both on, document tool") << true << true << 0 << false;
    QTest::newRow("document overlay off, document tool") << true << false << 0 << true;
    QTest::newRow("document overlay off, share tool") << true << false << 2 << false;
    QTest::newRow("document overlay off, whiteboard") << true << false << 1 << false;
}

void tst_CameraTransforms::showCameraAfterSettings()
{
    QFETCH(bool, shareOverlay);
    QFETCH(bool, docOverlay);
    QFETCH(int, tool);
    QFETCH(bool, removed);
    Fixture f;
    f.w->more_settings_clicked();
    SettingsDialog* settings = Access::settingsDialog(*f.w);
    QVERIFY(settings);
    settings->hide();
    Access::shareCameraOverlay(*f.w) = shareOverlay;
    Access::docCameraOverlay(*f.w) = docOverlay;
    f.setTool(LiveType(tool));
    f.core.clearCalls();

    emit settings->sendShowCameraSig();
    QCOMPARE(f.core.callsNamed("scene_remove_source"),
             removed ? QStringList{"scene_remove_source(camera source)"} : QStringList{});
}

void tst_CameraTransforms::savedRectangle()
{
    Fixture f;
    f.w->saveCameraPosAndSize(1, 2, 3, 4);
    QCOMPARE(f.savedRect(), QRectF(1, 2, 3, 4));
    f.w->saveCameraPosAndSize(5);
    QCOMPARE(f.savedRect(), QRectF(5, -1, -1, -1));
    f.w->saveCameraPosAndSize();
    QCOMPARE(f.savedRect(), QRectF(-1, -1, -1, -1));

    QTest::ignoreMessage(QtDebugMsg, "handleGetDocumentCameraPosAndSize: 100 50 200 112.5");
    f.w->handleGetDocumentCameraPosAndSize();
    QCOMPARE(f.savedRect(), QRectF(100, 50, 200, 112.5));

    f.w->setObsSourcePosAndSize("image_source", 10.9f, 20.2f, 300.5f, 200);
    QCOMPARE(f.geometry(), (QStringList{"scene_set_source_base_size(image_source,300.5,200,0,false,false)",
                                        "scene_set_source_pos(image_source,10,20)"}));
}

void tst_CameraTransforms::menusOpenAndPlace()
{
    Fixture f;
    RightMenu* menu = Access::rightMenu(*f.w);
    RightChildMenu* child = Access::rightChildMenu(*f.w);
    SortPageMenu* sort = Access::sortPageMenu(*f.w);
    QVERIFY(menu && child && sort);
    for (QWidget* m :
         {static_cast<QWidget*>(menu), static_cast<QWidget*>(child), static_cast<QWidget*>(sort)}) {
        QCOMPARE(m->parentWidget(), f.w.get());
        QVERIFY(m->isHidden());
    }

    // A right press on a co-host's video.
    f.w->handleShowRightMenu(42);
    const QPoint at = QCursor::pos();
    QCOMPARE(Access::menuGlobalPos(*f.w), at);
    QVERIFY(menu->isVisible());
    QCOMPARE(menu->pos(), at);
    QCOMPARE(menu->userId(), 42);
    QCOMPARE(menu->roomId(), 0); // no room chosen
    QVERIFY(!menu->row(RightMenu::SortRow).text->isHidden());
    QVERIFY(menu->row(RightMenu::OverturnRow).text->isHidden());

    // "排序": the layer menu beside the second row, the context menu shown again.
    QVERIFY(press(menu->row(RightMenu::SortRow).text));
    QVERIFY(sort->isVisible());
    QCOMPARE(sort->pos(), at + QPoint(104, 35));
    QCOMPARE(sort->userId(), 42);
    QVERIFY(menu->isVisible());

    // The host's camera: "翻转" opens the rotate submenu the same way.
    Access::menuGlobalPos(*f.w) = QPoint(300, 200);
    menu->setMode(0, 0);
    QVERIFY(press(menu->row(RightMenu::OverturnRow).icon));
    QVERIFY(child->isVisible());
    QCOMPARE(child->pos(), QPoint(404, 235));
    QCOMPARE(child->userId(), 0);
    QVERIFY(menu->isVisible());
}

void tst_CameraTransforms::menuChoicesReachCamera()
{
    Fixture f;
    RightMenu* menu = Access::rightMenu(*f.w);
    RightChildMenu* child = Access::rightChildMenu(*f.w);
    f.setTool(mainwin::LiveTypeDocument);
    child->setUserId(0);
    press(child->row(RightChildMenu::ClockwiseRow).text);
    press(child->row(RightChildMenu::AnticlockwiseRow).text);
    press(child->row(RightChildMenu::VerticalRow).text);
    press(child->row(RightChildMenu::LevelRow).text);
    QCOMPARE(
        f.core.callsNamed("source_set_rotation"),
        (QStringList{"source_set_rotation(camera source,270)", "source_set_rotation(camera source,90)"}));
    QCOMPARE(f.core.callsNamed("source_set_flip_vertically"),
             QStringList{"source_set_flip_vertically(camera source,true)"});
    QCOMPARE(f.core.count("scene_set_source_base_size"), 1); // the mirror

    menu->setMode(0, 0);
    f.core.clearCalls();
    press(menu->row(RightMenu::ResetRow).text);
    QCOMPARE(f.core.callsNamed("source_set_rotation"), QStringList{"source_set_rotation(camera source,0)"});
    press(menu->row(RightMenu::CancelRow).text);
    QVERIFY(!Access::docCameraOverlay(*f.w));
    QVERIFY(f.overlay.isEmpty()); // nothing went to the co-host overlay
}

void tst_CameraTransforms::menuChoicesReachOverlay()
{
    Fixture f;
    RightMenu* menu = Access::rightMenu(*f.w);
    RightChildMenu* child = Access::rightChildMenu(*f.w);
    f.dropCoHost(42);
    menu->setMode(42, 0);
    child->setUserId(42);
    press(child->row(RightChildMenu::ClockwiseRow).text);
    press(child->row(RightChildMenu::AnticlockwiseRow).text);
    press(child->row(RightChildMenu::LevelRow).text);
    press(menu->row(RightMenu::ResetRow).icon);
    QCOMPARE(f.overlay, (QStringList{"render 42 1 0", "render 42 0 0", "render 42 0 1", "z 42 8"}));
    f.overlay.clear();
    press(menu->row(RightMenu::CancelRow).text);
    QCOMPARE(f.overlay, QStringList{"remove 42"});
    QVERIFY(!f.preview()->remoteVideo(42));
    // "垂直翻转" turns the host's camera whoever the submenu was opened for.
    press(child->row(RightChildMenu::VerticalRow).text);
    QCOMPARE(f.core.callsNamed("source_set_flip_vertically"),
             QStringList{"source_set_flip_vertically(camera source,true)"});
    QVERIFY(f.core.callsNamed("source_set_rotation").isEmpty());
}

void tst_CameraTransforms::layerOrder()
{
    Fixture f;
    f.dropCoHost(42);
    Toast::getInstance(formWidget(*f.w, "centralwidget"));
    SortPageMenu* sort = Access::sortPageMenu(*f.w);
    QWidget* preview = f.preview();
    QList<QLabel*> labels;
    for (int i = 0; i < 3; ++i)
        labels << Access::overlayLabel(*f.w, i);

    for (int id : {0, 42}) {
        for (QLabel* label : labels)
            label->raise();
        sort->setUserId(id);
        press(sort->row(SortPageMenu::TopRow).text);
        press(sort->row(SortPageMenu::BottomRow).text);
        emit sort->sigUpPage(id);
        emit sort->sigDownPage(id);
        // The three labels are the lowest children of the preview (beneath the co-host's video),
        // also for the host's id.
        QList<QWidget*> order;
        for (QObject* child : preview->children())
            if (auto* widget = qobject_cast<QWidget*>(child))
                order << widget;
        for (QLabel* label : labels)
            QVERIFY(order.indexOf(label) < 3);
        QCOMPARE(Toast::getInstance()->textLabel()->text(), QString("操作成功"));
    }
    // Id 0 changes no layer.
    QCOMPARE(f.overlay, (QStringList{"z 42 15", "z 42 0", "z 42 1", "z 42 0"}));
}

void tst_CameraTransforms::initRightMenuTwice()
{
    Fixture f;
    RightChildMenu* child = Access::rightChildMenu(*f.w);
    f.w->initRightMenu();
    QCOMPARE(Access::rightChildMenu(*f.w), child);
    QCOMPARE(f.w->findChildren<RightChildMenu*>(QString(), Qt::FindDirectChildrenOnly).size(), 1);
    QCOMPARE(f.w->findChildren<RightMenu*>(QString(), Qt::FindDirectChildrenOnly).size(), 1);
    QCOMPARE(f.w->findChildren<SortPageMenu*>(QString(), Qt::FindDirectChildrenOnly).size(), 1);

    // Each choice still acts once.
    f.setTool(mainwin::LiveTypeDocument);
    child->setUserId(0);
    press(child->row(RightChildMenu::ClockwiseRow).text);
    press(child->row(RightChildMenu::VerticalRow).text);
    press(child->row(RightChildMenu::LevelRow).text);
    QCOMPARE(f.core.count("source_set_rotation"), 1);
    QCOMPARE(f.core.count("source_set_flip_vertically"), 1);
    QCOMPARE(f.core.count("scene_set_source_base_size"), 1);
    f.dropCoHost(42);
    child->setUserId(42);
    press(child->row(RightChildMenu::ClockwiseRow).text);
    QCOMPARE(f.overlay, QStringList{"render 42 1 0"});
    Access::rightMenu(*f.w)->setMode(0, 0);
    f.core.clearCalls();
    press(Access::rightMenu(*f.w)->row(RightMenu::CancelRow).text);
    QCOMPARE(f.core.count("scene_remove_source"), 1);
}

QTEST_MAIN(tst_CameraTransforms)
#include "tst_CameraTransforms.moc"
