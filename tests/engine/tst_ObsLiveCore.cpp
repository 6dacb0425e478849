// test-label: engine
// The libobs engine under X: start-up, audio channels, displays, teardown. One libobs start for
// the whole executable; the last step shuts it down and checks that nothing leaked.
#include "support/PrivateXServer.h"
#include "core/DataCenter.h"
#include "engine/EngineStartup.h"
#include "engine/ObsLiveCore.h"
#include "engine/SceneGeometry.h"
#include "platform/ObsSourceTypes.h"
#include "platform/X11Window.h"

#include <obs.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>
#include <QX11Info>

#include <X11/Xlib.h>

namespace
{
// A native child window libobs can draw into, as the program's preview labels are.
class NativeView : public QWidget
{
public:
    NativeView()
    {
        setAttribute(Qt::WA_NativeWindow);
        setAttribute(Qt::WA_PaintOnScreen);
        setAttribute(Qt::WA_NoSystemBackground);
    }
    QPaintEngine* paintEngine() const override { return nullptr; }
};

int channelSourceCount(uint32_t channel)
{
    obs_source_t* s = obs_get_output_source(channel);
    if (!s)
        return 0;
    obs_source_release(s);
    return 1;
}

} // namespace

class tst_ObsLiveCore : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_settingsDir;
    ObsLiveCore m_core;
    std::shared_ptr<CDataCenter> m_store =
        std::make_shared<CDataCenter>(m_settingsDir.filePath("config.ini"));
    QTemporaryDir m_dir;
    QString m_picture;

    // Grabs the window from the X server and returns the colour at a point of it.
    static QColor pixelOf(QWidget& w, QPoint at)
    {
        const QImage img = QGuiApplication::primaryScreen()->grabWindow(w.winId()).toImage();
        return img.isNull() ? QColor() : img.pixelColor(at);
    }
    static bool isRed(const QColor& c) { return c.red() > 200 && c.green() < 60 && c.blue() < 60; }
    static bool isBlue(const QColor& c) { return c.blue() > 200 && c.green() < 60 && c.red() < 60; }

private slots:
    void initTestCase()
    {
        QVERIFY2(qgetenv("QT_QPA_PLATFORM") != "offscreen", "needs an X display");
        CDataCenter::setInstanceForTesting(m_store);
        platform::primaryScreenSize(&m_store->screenWidth, &m_store->screenHeight);
        LiveCore::set_instance(&m_core);
        QVERIFY(runLiveCoreStartup(m_store->screenWidth, m_store->screenHeight));

        // A picture the size of the canvas, red above and blue below, to see the canvas upright.
        QImage picture(m_store->screenWidth, m_store->screenHeight, QImage::Format_RGB32);
        picture.fill(Qt::blue);
        QPainter(&picture).fillRect(0, 0, picture.width(), picture.height() / 2, Qt::red);
        m_picture = m_dir.filePath("canvas.png");
        QVERIFY(picture.save(m_picture));
    }

    void startUpBuildsTheScene()
    {
        const LiveCoreState& s = m_core.state();
        QVERIFY(s.obs_started);
        QVERIFY(s.scene);
        obs_source_t* channel0 = obs_get_output_source(0);
        QCOMPARE(channel0, obs_scene_get_source(s.scene));
        obs_source_release(channel0);
        QCOMPARE(s.base_width, uint32_t(m_store->screenWidth));
        QCOMPARE(int(s.output_height), m_store->screenHeight);
        // The camera is in the table and the scene even without a device.
        QVERIFY(m_core.scene_has_source("camera source"));
        // Microphone and desktop sound are on their channels, registered once each.
        QCOMPARE(channelSourceCount(3), 1);
        QCOMPARE(channelSourceCount(1), 1);
        // A probed microphone is registered once more by the switch (no sound server here: none).
        QCOMPARE(m_core.state().entry_count("audio_input"), s.audio_list.empty() ? 1 : 2);
        QCOMPARE(m_core.state().entry_count("audio_output"), 1);
        obs_audio_info oai;
        QVERIFY(obs_get_audio_info(&oai));
        QCOMPARE(oai.samples_per_sec, 44100u);
        QCOMPARE(int(oai.speakers), int(SPEAKERS_STEREO));
    }

    void secondAudioProbeDoesNothing()
    {
        const auto before = m_core.state().sources.size();
        const auto devices = m_core.state().audio_list.size();
        m_core.core_init_audio_devices();
        QCOMPARE(m_core.state().sources.size(), before);
        QCOMPARE(m_core.state().audio_list.size(), devices);
    }

    void microphoneOffLeavesItsChannelEmpty()
    {
        const int registered = m_core.state().entry_count("audio_input");
        m_core.core_set_mic_source(true); // the same device again: kept, registered once more
        QCOMPARE(m_core.state().entry_count("audio_input"), registered + 1);
        m_core.source_set_mic_volume(0.25f);
        QCOMPARE(m_core.source_get_mic_volume(), 0.25f);
        m_core.source_set_mic_volume(1.5f);
        QCOMPARE(m_core.source_get_mic_volume(), 0.0f);

        m_core.core_set_mic_source(false);
        QCOMPARE(channelSourceCount(3), 0);
        QCOMPARE(m_core.state().entry_count("audio_input"), 0);
        QCOMPARE(m_core.source_get_mic_volume(), 0.0f);
        m_core.core_set_mic_source(false); // nothing left to switch off

        m_core.core_set_desktop_audio_source(false);
        QCOMPARE(channelSourceCount(1), 0);
        QCOMPARE(m_core.state().entry_count("audio_output"), 0);

        m_core.core_set_mic_source(true);
        m_core.core_set_desktop_audio_source(true);
        QCOMPARE(channelSourceCount(3), 1);
        QCOMPARE(m_core.state().entry_count("audio_input"), 1);
        QCOMPARE(m_core.state().entry_count("audio_output"), 1);
    }

    void audioEntriesDoNotOwnTheirSource()
    {
        obs_source_t* mic = m_core.state().find_source("audio_input");
        QVERIFY(mic);
        LiveCoreState& table = const_cast<LiveCoreState&>(m_core.state());
        QVERIFY(table.remove_source("audio_input"));
        obs_source_t* onChannel = obs_get_output_source(3);
        QCOMPARE(onChannel, mic); // still alive, owned by its channel
        obs_source_release(onChannel);
        m_core.core_set_mic_source(true); // registered again
        QCOMPARE(m_core.state().entry_count("audio_input"), 1);
    }

    // Another device on a channel replaces its source: the entries of the replaced one go with
    // it, so the volume and the switches reach the source that is heard, never a released one.
    void deviceChangeForgetsTheReplacedSource()
    {
        m_core.core_set_mic_source(true);
        QVERIFY(m_core.state().entry_count("audio_input") >= 1);
        m_core.core_set_channel_source(obs_types::microphone, "another-device", "AuxAudioDevice1", 3);
        obs_source_t* onChannel = obs_get_output_source(3);
        QVERIFY(onChannel);
        QCOMPARE(m_core.state().entry_count("audio_input"), 1);
        QCOMPARE(m_core.state().find_source("audio_input"), onChannel);
        m_core.source_set_mic_volume(0.5f);
        QCOMPARE(obs_source_get_volume(onChannel), 0.5f);
        obs_source_release(onChannel);

        // A video source that carries an audio entry's name is left alone by the switch.
        QVERIFY(m_core.core_create_image_source("audio_input", 0));
        QCOMPARE(m_core.state().entry_count("audio_input"), 2);
        m_core.core_set_mic_source(false);
        QCOMPARE(channelSourceCount(3), 0);
        QCOMPARE(m_core.state().entry_count("audio_input"), 1);
        QCOMPARE(m_core.state().find_entry("audio_input")->kind, 1);
        LiveCoreState& table = const_cast<LiveCoreState&>(m_core.state());
        QVERIFY(table.remove_source("audio_input"));
        m_core.core_set_mic_source(true);
        QCOMPARE(m_core.state().entry_count("audio_input"), 1);
    }

    void resetAudioLayouts()
    {
        // Audio can be reset while nothing is streaming: 8 is mono, anything else stereo.
        QVERIFY(m_core.core_reset_audio(44100, 8));
        obs_audio_info oai;
        QVERIFY(obs_get_audio_info(&oai));
        QCOMPARE(int(oai.speakers), int(SPEAKERS_MONO));
        QVERIFY(m_core.core_reset_audio(44100, 32));
        QVERIFY(obs_get_audio_info(&oai));
        QCOMPARE(int(oai.speakers), int(SPEAKERS_STEREO));
    }

    void displaysDrawTheCanvas()
    {
        QVERIFY(m_core.core_create_image_source("image_source", 0));
        QVERIFY(m_core.source_set_image_file("image_source", m_picture, false));
        QVERIFY(m_core.scene_add_source(nullptr, nullptr, "image_source", true));

        NativeView main;
        main.resize(660, 380);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        NativeView other;
        other.resize(320, 180);
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&other));

        QVERIFY(m_core.core_create_main_display(main.winId(), true));
        QVERIFY(m_core.core_create_main_display(main.winId(), true));
        QCOMPARE(m_core.drawRegistrations(main.winId()), 1); // once, however often it is asked
        QVERIFY(m_core.state().main_preview_drawn);
        QVERIFY(m_core.core_create_display("image_source", other.winId()));
        QVERIFY(m_core.core_create_display("image_source", other.winId()));
        QCOMPARE(m_core.drawRegistrations(other.winId()), 2); // one more per call
        QVERIFY(!m_core.core_create_display("audio_input", other.winId()));
        QVERIFY(!m_core.core_create_display("no such source", other.winId()));

        // The preview rectangle of a 660 x 380 area: the canvas fitted into 640 x 360.
        int x = 0, y = 0, w = 0, h = 0;
        const float scale = m_core.core_get_preview_scale();
        QVERIFY(scale > 0);
        QVERIFY(m_core.core_get_preview_rect(&x, &y, &w, &h));
        QCOMPARE(m_core.core_get_preview_scale(), 0.0f);
        const geometry::PreviewFit fit =
            geometry::fitCanvas(660, 380, uint32_t(m_store->screenWidth), uint32_t(m_store->screenHeight));
        QCOMPARE(scale, fit.scale);
        QCOMPARE(QRect(x, y, w, h), QRect(fit.x + 10, fit.y + 10, fit.shownWidth, fit.shownHeight));

        // The canvas is stretched over each display, upright.
        QVERIFY(QTest::qWaitFor([&] { return isRed(pixelOf(main, QPoint(330, 90))); }, 60000));
        QVERIFY(isBlue(pixelOf(main, QPoint(330, 290))));
        QVERIFY(QTest::qWaitFor([&] { return isRed(pixelOf(other, QPoint(160, 40))); }, 60000));
        QVERIFY(isBlue(pixelOf(other, QPoint(160, 140))));
        const QString shots = qEnvironmentVariable("SOLVEK_SCREENSHOT_DIR");
        if (!shots.isEmpty())
            QGuiApplication::primaryScreen()->grabWindow(main.winId()).save(shots + "/engine-preview.png");

        // Hiding the main preview detaches its callback; showing it attaches one again.
        QVERIFY(m_core.core_create_main_display(main.winId(), false));
        QCOMPARE(m_core.drawRegistrations(main.winId()), 0);
        QVERIFY(m_core.core_create_main_display(main.winId(), true));

        // Destroying "every display" keeps the main preview's.
        QVERIFY(m_core.core_destory_display("image_source"));
        QCOMPARE(int(m_core.state().displays.size()), 1);
        QVERIFY(m_core.state().displays.count(main.winId()));
        QVERIFY(!m_core.core_destory_display("no such source"));
        QVERIFY(m_core.core_destroy_main_display("image_source"));
        QVERIFY(m_core.state().displays.empty());
        QVERIFY(!m_core.state().main_preview_drawn);
    }

    void displayOutOfSightIsNotDrawn()
    {
        // A preview inside a window: wholly covered, or the window unmapped (a window manager's
        // minimise, or hidden), its display is not drawn.
        QWidget frame;
        frame.setGeometry(100, 100, 360, 220);
        auto* preview = new NativeView;
        preview->setParent(&frame);
        preview->setGeometry(20, 20, 320, 180);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        const LiveWindowHandle id = preview->winId();
        QVERIFY(m_core.core_create_display("image_source", id));
        obs_display_t* display = m_core.state().displays.at(id);
        QVERIFY(obs_display_enabled(display));

        // What a window manager does to a minimised window.
        XUnmapWindow(QX11Info::display(), Window(frame.winId()));
        XFlush(QX11Info::display());
        QTRY_VERIFY_WITH_TIMEOUT(!obs_display_enabled(display), 10000);
        XMapWindow(QX11Info::display(), Window(frame.winId()));
        XFlush(QX11Info::display());
        QTRY_VERIFY_WITH_TIMEOUT(obs_display_enabled(display), 10000);
        // A minimise no window manager carries out leaves the window on the screen, drawn.
        frame.showMinimized();
        QTest::qWait(100);
        QVERIFY(obs_display_enabled(display));
        frame.showNormal();

        QWidget cover;
        cover.setGeometry(frame.geometry().adjusted(-10, -10, 10, 10));
        cover.show();
        QTRY_VERIFY_WITH_TIMEOUT(!obs_display_enabled(display), 10000);
        cover.hide();
        QTRY_VERIFY_WITH_TIMEOUT(obs_display_enabled(display), 10000);

        frame.hide();
        QTRY_VERIFY_WITH_TIMEOUT(!obs_display_enabled(display), 10000);
        frame.show();
        QTRY_VERIFY_WITH_TIMEOUT(obs_display_enabled(display), 10000);
        QVERIFY(m_core.core_destory_display("image_source"));
    }

    void displayGoesBeforeItsWindow()
    {
        auto* view = new NativeView;
        view->resize(200, 120);
        view->show();
        QVERIFY(QTest::qWaitForWindowExposed(view));
        const LiveWindowHandle id = view->winId();
        QVERIFY(m_core.core_create_main_display(id, true));
        QVERIFY(m_core.core_create_display("image_source", id));
        QVERIFY(m_core.state().displays.count(id));
        delete view; // libobs must not draw into a window that is gone
        QVERIFY(!m_core.state().displays.count(id));
        QVERIFY(!m_core.state().main_preview_drawn);
        QCOMPARE(m_core.state().main_preview_hwnd, LiveWindowHandle(0));
        QCOMPARE(m_core.drawRegistrations(id), 0);
    }

    void windowChecks()
    {
        QVERIFY(!m_core.core_create_main_display(0x7ffffff0, true)); // not a window: no crash, false
        QCOMPARE(m_core.state().preview_hwnd, LiveWindowHandle(0x7ffffff0));
        QVERIFY(!platform::isNativeWindow(0x7ffffff0));
        // A display for a window that is not there is remembered as missing until destroyed.
        QVERIFY(!m_core.core_create_display("image_source", 0x7ffffff0));
        QVERIFY(m_core.state().displays.count(0x7ffffff0));
        QVERIFY(m_core.core_destory_display("image_source"));
        QVERIFY(m_core.state().displays.empty());
    }

    void pictureStandsInForTheCamera()
    {
        // The benchmarks' camera on a machine without one: a picture under the camera's name, one
        // table entry, one listed camera, out of the scene until the canvas code adds it.
        QVERIFY(m_core.standInCameraPicture(m_picture));
        QCOMPARE(m_core.state().entry_count("camera source"), 1);
        QCOMPARE(m_core.core_get_camera_count(), 1);
        QVERIFY(!m_core.scene_has_source("camera source"));
        obs_source_t* camera = m_core.state().find_source("camera source");
        QCOMPARE(QString(obs_source_get_id(camera)), QString("image_source"));
        QVERIFY(m_core.scene_add_source(nullptr, nullptr, "camera source", true));
        QTRY_COMPARE(obs_source_get_width(camera), uint32_t(QImage(m_picture).width()));
        m_core.scene_remove_source("camera source");
    }

    void cleanupTestCase()
    {
        m_core.core_shutdown();
        QVERIFY(!m_core.core_is_started());
        QCOMPARE(bnum_allocs(), 0L); // libobs' own count of what is still allocated
        // Widgets and queued events may still call in while the program unwinds.
        QVERIFY(!m_core.scene_add_source(nullptr, nullptr, "camera source", true));
        QVERIFY(!m_core.scene_has_source("camera source"));
        QVERIFY(!m_core.core_create_image_source("x", 0));
        QVERIFY(!m_core.core_create_display("camera source", 1));
        QVERIFY(!m_core.core_create_main_display(1, true));
        m_core.core_set_mic_source(false);
        m_core.source_set_camera_enabled("camera source", true);
        m_core.scene_set_source_pos("camera source", 1, 1);
        m_core.scene_set_source_size("camera source", 1, 1, false, false);
        QVERIFY(!m_core.core_init_stream());
        m_core.stop_stream();
        QVERIFY(!m_core.core_reset_audio(44100, 32));
        QVERIFY(!m_core.core_startup(nullptr, nullptr, nullptr));
        QCOMPARE(bnum_allocs(), 0L);
        LiveCore::set_instance(nullptr);
        CDataCenter::setInstanceForTesting(nullptr);
    }
};

SOLVEK_TEST_MAIN_OWN_DISPLAY(tst_ObsLiveCore)
#include "tst_ObsLiveCore.moc"
