// test-label: engine
// Sources and scene items in real libobs: pictures, their place and size, order, the host camera,
// copies, and a capture of the X screen.
#include "support/PrivateXServer.h"
#include "core/DataCenter.h"
#include "engine/EngineStartup.h"
#include "engine/ObsLiveCore.h"
#include "platform/X11Window.h"

#include <obs.h>

#include <QImage>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

#include <atomic>
#include <mutex>

class tst_ObsLiveCoreSources : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    std::shared_ptr<CDataCenter> m_store;
    ObsLiveCore m_core;

private slots:
    void initTestCase()
    {
        QVERIFY2(qgetenv("QT_QPA_PLATFORM") != "offscreen", "needs an X display");
        m_store = std::make_shared<CDataCenter>(m_dir.filePath("config.ini"));
        CDataCenter::setInstanceForTesting(m_store);
        m_store->screenWidth = 1920;
        m_store->screenHeight = 1080;
        LiveCore::set_instance(&m_core);
        QVERIFY(runLiveCoreStartup(1920, 1080));
        // The canvas of these tests is 1920 x 1080 whatever the screen.
        QCOMPARE(m_core.core_reset_video(1920, 1080, 1920, 1080, 25), 0);
        QImage picture(320, 240, QImage::Format_RGB32);
        picture.fill(Qt::green);
        QVERIFY(picture.save(m_dir.filePath("picture.png")));
    }

    void pictureLandsWhereTheGeometrySays()
    {
        QVERIFY(m_core.core_create_image_source("image_source", 0));
        QVERIFY(m_core.source_set_image_file("image_source", m_dir.filePath("picture.png"), false));
        QVERIFY(m_core.scene_add_source(nullptr, nullptr, "image_source", true));
        int x = -1, y = -1;
        float w = 0, h = 0;
        // libobs applies a video source's new settings at its next video tick.
        QTRY_VERIFY_WITH_TIMEOUT(m_core.scene_get_source_rect("image_source", &x, &y, &w, &h) && w > 0, 30000);
        QCOMPARE(QSizeF(w, h), QSizeF(320, 240));

        // A 980 x 560 preview shows the canvas at half size.
        m_core.core_update_preview_scale(980, 560);
        QCOMPARE(m_core.core_get_preview_scale(), 0.5f);
        m_core.scene_set_source_pos("image_source", 101, 50);
        m_store->docImageWidth = 320;
        m_store->docImageHeight = 240;
        m_core.scene_set_source_size("image_source", 320, 240, false, false); // preview pixels
        QVERIFY(m_core.scene_get_source_rect("image_source", &x, &y, &w, &h));
        QCOMPARE(QRect(x, y, int(w), int(h)), QRect(202, 100, 640, 480));
        float sx = 0, sy = 0;
        QVERIFY(m_core.scene_get_source_transform("image_source", &x, &y, &sx, &sy));
        QCOMPARE(QPoint(x, y), QPoint(101, 50));
        QCOMPARE(QPointF(sx, sy), QPointF(2, 2));

        // x stays on the screen, y does not.
        m_core.scene_set_source_pos("image_source", 2000, -10);
        float fx = 0, fy = 0;
        QVERIFY(m_core.scene_get_source_rectf("image_source", &fx, &fy, &w, &h));
        QCOMPARE(QPointF(fx, fy), QPointF(1920, -20));

        // Without a preview scale pictures keep their size; the camera alone is sized in canvas pixels.
        int rx, ry, rw, rh;
        m_core.core_get_preview_rect(&rx, &ry, &rw, &rh);
        m_core.scene_set_source_size("image_source", 100, 100, false, false);
        QVERIFY(m_core.scene_get_source_transform("image_source", &x, &y, &sx, &sy));
        QCOMPARE(QPointF(sx, sy), QPointF(2, 2));
        QCOMPARE(QPoint(x, y), QPoint(0, 0));
        m_core.scene_set_source_size("camera source", 960, 540, false, false); // no frame: the screen
        QVERIFY(m_core.scene_get_source_transform("camera source", &x, &y, &sx, &sy));
        int screenW = 0, screenH = 0;
        platform::primaryScreenSize(&screenW, &screenH);
        QCOMPARE(QPointF(sx, sy), QPointF(960.0 / screenW, 540.0 / screenH));

        QVERIFY(!m_core.scene_get_source_rect("no such source", &x, &y, &w, &h));
    }

    void orderMovesAreClamped()
    {
        QVERIFY(m_core.core_create_image_source("image_source1", 0));
        QVERIFY(m_core.scene_add_source(nullptr, nullptr, "image_source1", true));
        int position = -1, count = -1;
        const int top = m_core.scene_get_source_order("image_source1", &position, &count);
        QCOMPARE(count, int(m_core.state().sources.size()));
        QCOMPARE(position, top);
        m_core.scene_move_source_order("image_source1", -100);
        QCOMPARE(m_core.scene_get_source_order("image_source1", &position, &count), 0);
        m_core.scene_move_source_order("image_source1", 1);
        QCOMPARE(m_core.scene_get_source_order("image_source1", &position, &count), 1);
        m_core.scene_move_source_order("image_source1", 100);
        QCOMPARE(m_core.scene_get_source_order("image_source1", &position, &count), top);
        position = -1;
        QCOMPARE(m_core.scene_get_source_order("no such source", &position, &count), 0);
        QCOMPARE(position, -1); // no item: only the count is written

        m_core.scene_remove_source("image_source1");
        QVERIFY(!m_core.scene_has_source("image_source1"));
        QCOMPARE(m_core.state().entry_count("image_source1"), 0); // its entry goes with it
    }

    void hostCameraStaysInTheTable()
    {
        obs_source_t* camera = m_core.state().find_source("camera source");
        QVERIFY(camera);
        QVERIFY(m_core.scene_has_source("camera source"));
        m_core.scene_remove_source("camera source");
        QVERIFY(!m_core.scene_has_source("camera source"));
        QCOMPARE(m_core.state().entry_count("camera source"), 1);
        QVERIFY(m_core.scene_add_source(nullptr, nullptr, "camera source", true));
        QCOMPARE(m_core.state().entry_count("camera source"), 1);
        QCOMPARE(m_core.state().find_source("camera source"), camera);

        // Added twice: two items, only the second reachable; removing it leaves the first.
        QVERIFY(m_core.scene_add_source(nullptr, nullptr, "camera source", true));
        obs_sceneitem_t* second = m_core.state().scene_items.at("camera source");
        m_core.scene_remove_source("camera source");
        QVERIFY(!m_core.scene_has_source("camera source"));
        QVERIFY(obs_scene_find_source(m_core.state().scene, obs_source_get_name(camera)));
        QVERIFY(second);
    }

    void camerasCopiesAndSwitches()
    {
        QCOMPARE(m_core.core_get_camera_count(), 0); // no camera on this machine
        QVERIFY(!m_core.core_get_camera_name(0));
        QVERIFY(!m_core.core_get_camera_name(-1));
        QVERIFY(!m_core.source_set_camera_device("any", "camera source"));

        // A camera switched off under a new name is made, put in the scene and left off.
        m_core.source_set_camera_enabled("camera source2", false);
        QVERIFY(m_core.scene_has_source("camera source2"));
        QVERIFY(!obs_source_enabled(m_core.state().find_source("camera source2")));
        m_core.source_set_camera_enabled("camera source2", true);
        QVERIFY(obs_source_enabled(m_core.state().find_source("camera source2")));
        m_core.source_set_rotation("camera source2", 90);
        m_core.source_set_flip_vertically("camera source2", true);

        QVERIFY(m_core.core_duplicate_source("camera source", "camera source1"));
        QVERIFY(m_core.scene_has_source("camera source1"));
        const auto before = m_core.state().sources.size();
        QVERIFY(!m_core.core_duplicate_source("missing", "copy")); // nothing to copy: nothing added
        QCOMPARE(m_core.state().sources.size(), before);
        QVERIFY(!m_core.scene_has_source("copy"));
    }

    void screenCaptureShowsAWindowDrawnThere()
    {
        // A white window in the top-left corner of a black screen.
        QWidget window;
        window.setWindowFlags(Qt::FramelessWindowHint);
        window.setAutoFillBackground(true);
        QPalette pal = window.palette();
        pal.setColor(QPalette::Window, Qt::white);
        window.setPalette(pal);
        window.setGeometry(0, 0, 600, 400);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        m_store->liveFps = 24;
        QVERIFY(m_core.core_create_monitor_source("desktop source"));
        obs_video_info ovi;
        QVERIFY(obs_get_video_info(&ovi));
        QCOMPARE(ovi.fps_num, 24u); // creating a screen capture resets video to the screen at liveFps
        int screenW = 0, screenH = 0;
        platform::primaryScreenSize(&screenW, &screenH);
        QCOMPARE(QSize(int(ovi.base_width), int(ovi.base_height)), QSize(screenW, screenH));
        QVERIFY(m_core.scene_add_source(nullptr, nullptr, "desktop source", true));
        m_core.scene_move_source_order("desktop source", 100);

        // Read the canvas back through the raw frames of a broadcast at 640 x 360.
        m_store->streamQuality = 0;
        m_store->pushKey = QStringLiteral("unused");
        QVERIFY(m_core.core_init_stream());
        std::mutex m;
        int insideLuma = -1, outsideLuma = -1;
        const int inX = 640 * 300 / screenW, inY = 360 * 200 / screenH;
        const int outX = 639, outY = 359;
        RegisterRecvOBSVideoStreamCallback([&](void*, video_data* f) {
            std::lock_guard<std::mutex> lock(m);
            insideLuma = f->data[0][inY * int(f->linesize[0]) + inX];
            outsideLuma = f->data[0][outY * int(f->linesize[0]) + outX];
        });
        const auto luma = [&](bool inside) {
            std::lock_guard<std::mutex> lock(m);
            return inside ? insideLuma : outsideLuma;
        };
        QTRY_VERIFY2_WITH_TIMEOUT(luma(true) > 200, qPrintable(QString::number(luma(true))), 60000);
        QVERIFY(luma(false) < 60);
        UnRegisterRecvOBSVideoStreamCallback();
        m_core.stop_stream();
    }

    void cleanupTestCase()
    {
        m_core.core_shutdown();
        QCOMPARE(bnum_allocs(), 0L);
        LiveCore::set_instance(nullptr);
        CDataCenter::setInstanceForTesting(nullptr);
    }
};

SOLVEK_TEST_MAIN_OWN_DISPLAY(tst_ObsLiveCoreSources)
#include "tst_ObsLiveCoreSources.moc"
