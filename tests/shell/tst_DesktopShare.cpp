// test-label: unit
// Desktop and window share from the main window: what reaches the engine, the preview's layout,
// the camera overlay, the bars and the flags; offscreen against the engine fake.
#include "support/FakeLiveCore.h"
#include "support/HostWindow.h"
#include "support/LiveMainWindowTestAccess.h"

#include "canvas/AppPopupWindow.h"
#include "canvas/DesktopShareDialog.h"
#include "canvas/FloatingWindow.h"
#include "canvas/HideWindow.h"
#include "cohost/SceneWidget.h"
#include "core/DataCenter.h"
#include "core/LoginInfo.h"
#include "core/Toast.h"

#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QtTest>

#include <memory>

using Access = LiveMainWindowTestAccess;

namespace
{

const char* kWindowFailed = "窗口共享失败，请重新选择";

struct Fixture {
    FakeLiveCore core;
    LoginInfo info;
    std::unique_ptr<LiveMainWindow> w;

    explicit Fixture(bool portrait = false, bool mirror = false, bool camera = true)
    {
        testsupport::setHostCanvas({1920, 1080}, mirror, portrait);
        if (camera)
            core.cameras << "cam0";
        w = testsupport::hostWindow(info);
        // Shares start from the share tool (portrait live mode is that tool's).
        Access::setLiveType(*w, mainwin::LiveTypeDesktopShare);
        // Never shown unless a test does, so no layout pass undoes this.
        frame()->resize(portrait ? QSize(1280, 720) : QSize(960, 540));
        core.clearCalls();
    }
    ~Fixture()
    {
        testsupport::resetHostCanvas();
        CDataCenter::getInstance()->desktopSharing = false;
    }

    QWidget* frame() { return formWidget(*w, "render_frame"); }
    QWidget* preview() { return formWidget(*w, "preview_widget"); }
    QLabel* shareLabel() { return Access::overlayLabel(*w, 0); }
    FloatingWindow* floating() { return Access::floatingWindow(*w); }
    AppPopupWindow* appBar() { return Access::appPopupWindow(*w); }
    HideWindow* strip() { return Access::hideWindow(*w); }
    DesktopShareDialog* picker() { return Access::sharePicker(*w); }
    SceneWidget* tile() { return Access::sceneWidget(*w); }
    QString wid() { return QString::number(quintptr(shareLabel()->winId())); }
    QString tileWid() { return QString::number(quintptr(tile()->cameraViewWinId())); }

    // The calls that name a source.
    QStringList callsOf(const QString& source) const
    {
        QStringList found;
        for (const QString& call : core.calls)
            if (call.contains("(" + source + ",") || call.contains("(" + source + ")") ||
                call.contains("," + source + ")"))
                found << call;
        return found;
    }
    QString toastText() { return Toast::getInstance()->textLabel()->text(); }
    // Share flags all off, no bar shown.
    void checkNoShare()
    {
        QCOMPARE(Access::shareType(*w), -1);
        QVERIFY(!Access::shareActive(*w));
        QVERIFY(!picker()->isSharing());
        QVERIFY(!CDataCenter::getInstance()->desktopSharing);
        QVERIFY(shareLabel()->isHidden());
        QVERIFY(!appBar()->isVisible());
        QVERIFY(!floating()->isVisible());
        QVERIFY(!floating()->sharing);
        QVERIFY(!strip()->isVisible());
        QVERIFY(Access::shareCameraOverlay(*w));
        QVERIFY(tile()->cameraShown());
        QVERIFY(!tile()->dragEnabled());
    }
    // The camera back over the whole canvas (not mirrored).
    void checkCameraOverCanvas()
    {
        const QStringList camera = callsOf("camera source");
        QVERIFY(camera.contains("core_destory_display(camera source)"));
        QVERIFY(camera.contains("core_create_display(camera source," + tileWid() + ")"));
        QCOMPARE(core.callsNamed("core_update_preview_scale").last(), QString("core_update_preview_scale(1920,1080)"));
        QCOMPARE(core.sizes.value("camera source"), QSizeF(1920, 1080));
        QCOMPARE(core.positions.value("camera source"), QPointF(0, 0));
        QVERIFY(core.scene.contains("camera source"));
    }
};

} // namespace

class tst_DesktopShare : public QObject
{
    Q_OBJECT
private slots:
    void init() { Toast::resetInstance(); }
    void desktopLandscape_data();
    void desktopLandscape();
    void windowShare();
    void windowWithoutMatch_data();
    void windowWithoutMatch();
    void desktopPortrait_data();
    void desktopPortrait();
    void windowPortrait_data();
    void windowPortrait();
    void cancelFromPicker();
    void exits_data();
    void exits();
    void newShareReplacesRunning();
    void noCamera();
};

void tst_DesktopShare::desktopLandscape_data()
{
    QTest::addColumn<bool>("mirror");
    QTest::newRow("plain") << false;
    QTest::newRow("mirrored") << true; // landscape ignores the mirror for the overlay
}

void tst_DesktopShare::desktopLandscape()
{
    QFETCH(bool, mirror);
    Fixture f(false, mirror);
    f.core.sources << "window source" << "desktop source";
    f.core.scene << "window source" << "desktop source";
    f.core.previewRect = QRect(0, 0, 1920, 1080);

    f.w->desktop_share_clicked(0, QString());

    QCOMPARE(f.core.calls.mid(0, 4),
             QStringList({"scene_has_source(window source)", "scene_remove_source(window source)",
                          "scene_has_source(desktop source)", "scene_remove_source(desktop source)"}));
    QCOMPARE(f.shareLabel()->geometry(), QRect(0, 0, 960, 540));
    QVERIFY(f.shareLabel()->isVisibleTo(f.w.get()));
    QCOMPARE(f.core.callsNamed("core_set_source_display"), QStringList{"core_set_source_display(" + f.wid() + ")"});
    QCOMPARE(f.core.count("core_get_preview_rect"), 1);
    QCOMPARE(f.callsOf("desktop source").mid(2),
             QStringList({"core_create_monitor_source(desktop source)", "scene_add_source(desktop source,true)",
                          "core_destory_display(desktop source)",
                          "core_create_display(desktop source," + f.wid() + ")",
                          "scene_set_source_size(desktop source,1920,1080,true,false)"}));
    QVERIFY(f.w->windowState() & Qt::WindowMinimized);
    QVERIFY(f.strip()->isVisible());
    QVERIFY(f.floating()->isVisible());
    QVERIFY(f.floating()->sharing);
    QVERIFY(f.floating()->hideTimer()->isActive());
    QVERIFY(!f.appBar()->isVisible());

    // The camera overlay: 280 x 153 preview pixels in the lower right corner, second from the top.
    QVERIFY(f.core.calls.contains("source_set_camera_device(cam0,camera source)"));
    QVERIFY(f.core.calls.contains("scene_move_source_order(camera source,2)"));
    QCOMPARE(f.core.sizes.value("camera source"), QSizeF(560, 306));
    QCOMPARE(f.core.positions.value("camera source"), QPointF(1360, 774));

    QVERIFY(f.picker()->isSharing());
    QVERIFY(CDataCenter::getInstance()->desktopSharing);
    QVERIFY(Access::shareActive(*f.w));
    QCOMPARE(Access::shareType(*f.w), 0);
    QVERIFY(Access::shareCameraOverlay(*f.w));
    QVERIFY(!f.tile()->cameraShown());
    QVERIFY(f.tile()->inUseBadgeVisible());
}

void tst_DesktopShare::windowShare()
{
    Fixture f;
    CDataCenter::getInstance()->cameraName = "cam1";
    f.core.cameras << "cam1";
    f.core.windows = QStringList{"XTerm: a: b", "Gedit: Doc: v2", "Gedit: Doc: v2"};
    f.w->move(100, 50);

    f.w->desktop_share_clicked(1, "Doc: v2");

    QCOMPARE(f.callsOf("window source"),
             QStringList({"scene_has_source(window source)", "core_create_win_capture_source(window source)",
                          "core_destory_display(window source)",
                          "core_create_display(window source," + f.wid() + ")",
                          "core_set_win_capture_source(Gedit: Doc: v2,window source)",
                          "scene_add_source(window source,true)",
                          "scene_set_share_source_size(window source,1920,1080,true,false)",
                          "scene_set_source_pos(window source,0,20)"}));
    QVERIFY(f.core.calls.contains("source_set_camera_device(cam1,camera source)"));
    const int C = formWidget(*f.w, "control_frame")->height();
    QCOMPARE(f.appBar()->height(), 35);
    QCOMPARE(f.appBar()->pos(), QPoint(f.w->x(), f.w->y() + f.w->height() - C - 17));
    QVERIFY(f.appBar()->isVisible());
    QVERIFY(!f.floating()->isVisible());
    QVERIFY(!(f.w->windowState() & Qt::WindowMinimized));
    QCOMPARE(Access::shareType(*f.w), 1);
    QVERIFY(Access::shareActive(*f.w));
    QVERIFY(f.picker()->isSharing());
    CDataCenter::getInstance()->cameraName.clear();
}

void tst_DesktopShare::windowWithoutMatch_data()
{
    QTest::addColumn<QStringList>("windows");
    QTest::addColumn<QString>("title");
    QTest::newRow("closed or renamed") << QStringList{"XTerm: a: b", "Gedit: Doc"} << "Doc: v2";
    QTest::newRow("empty title") << QStringList{"XTerm: ", "XTerm"} << "";
    QTest::newRow("class only") << QStringList{"Doc: v2"} << "Doc: v2";
}

void tst_DesktopShare::windowWithoutMatch()
{
    QFETCH(QStringList, windows);
    QFETCH(QString, title);
    Fixture f;
    f.core.windows = windows;

    f.w->desktop_share_clicked(1, title);

    QVERIFY(!f.core.scene.contains("window source"));
    QCOMPARE(f.core.count("core_set_win_capture_source"), 0);
    QVERIFY(f.callsOf("window source").contains("core_destory_display(window source)"));
    f.checkNoShare();
    f.checkCameraOverCanvas();
    QCOMPARE(f.toastText(), QString::fromUtf8(kWindowFailed));
}

void tst_DesktopShare::desktopPortrait_data()
{
    QTest::addColumn<bool>("mirror");
    QTest::addColumn<QSizeF>("cameraSize");
    QTest::addColumn<QPointF>("cameraPos");
    QTest::newRow("plain") << false << QSizeF(229, 84) << QPointF(834, 688);
    QTest::newRow("mirrored") << true << QSizeF(-229, 84) << QPointF(1691, 688);
}

void tst_DesktopShare::desktopPortrait()
{
    QFETCH(bool, mirror);
    QFETCH(QSizeF, cameraSize);
    QFETCH(QPointF, cameraPos);
    Fixture f(true, mirror);

    f.w->desktop_share_clicked(0, QString());

    QCOMPARE(f.shareLabel()->geometry(), QRect(0, 0, 405, 720));
    QVERIFY(f.core.calls.contains("core_update_preview_scale(810,454)"));
    QCOMPARE(f.core.sizes.value("desktop source"), QSizeF(405, 227));
    QCOMPARE(f.core.positions.value("desktop source"), QPointF(0, 587));
    QCOMPARE(Access::shownStrip(*f.w), QRect(0, 246, 405, 227));
    QCOMPARE(f.core.sizes.value("camera source"), cameraSize);
    QCOMPARE(f.core.positions.value("camera source"), cameraPos);

    // Minimising showed the window, whose layout resized the frame: the column stays centred.
    QVERIFY(f.frame()->width() != 1280);
    QCOMPARE(f.preview()->size(), QSize(405, 720));
    QCOMPARE(f.preview()->pos(), QPoint((f.frame()->width() - 405) / 2, 0));
    // Shown and resized, the column is fitted to the frame's new height and stays centred.
    f.w->showNormal();
    f.w->resize(f.w->width() + 300, f.w->height());
    const int H = f.frame()->height();
    QTRY_COMPARE(f.preview()->pos(), QPoint((f.frame()->width() - H * 9 / 16) / 2, 0));
    QCOMPARE(f.preview()->size(), QSize(H * 9 / 16, H));
}

void tst_DesktopShare::windowPortrait_data()
{
    QTest::addColumn<bool>("maximized");
    QTest::addColumn<int>("sourceY");
    QTest::newRow("restored") << false << 587;
    QTest::newRow("maximised") << true << 246;
}

void tst_DesktopShare::windowPortrait()
{
    QFETCH(bool, maximized);
    QFETCH(int, sourceY);
    Fixture f(true);
    Access::setMaximized(*f.w, maximized);
    f.core.windows = QStringList{"Gedit: Doc"};

    f.w->desktop_share_clicked(1, "Doc");

    // The window stays unshown, so this is the share's own layout: a centred 9:16 column.
    QCOMPARE(f.preview()->geometry(), QRect(437, 0, 405, 720));
    QCOMPARE(f.shareLabel()->geometry(), QRect(0, 0, 405, 720));
    QVERIFY(f.core.calls.contains("core_update_preview_scale(810,454)"));
    QCOMPARE(f.core.sizes.value("window source"), QSizeF(405, 227));
    QCOMPARE(f.core.positions.value("window source"), QPointF(0, sourceY));
    QCOMPARE(Access::shownStrip(*f.w), QRect(0, 246, 405, 227));
    QCOMPARE(f.core.positions.value("camera source"), QPointF(834, 688));

    // Back to landscape, the preview fills the frame again.
    CDataCenter::getInstance()->liveMode = false;
    f.frame()->resize(960, 540);
    f.w->desktop_share_clicked(1, "Doc");
    QCOMPARE(f.preview()->geometry(), QRect(0, 0, 960, 540));
}

void tst_DesktopShare::cancelFromPicker()
{
    {
        // A share runs: the picker's cancel changes nothing.
        Fixture f;
        f.w->desktop_share_clicked(0, QString());
        f.core.clearCalls();
        emit f.picker()->desktop_cancel_click();
        QVERIFY(f.core.calls.isEmpty());
        QVERIFY(!f.tile()->cameraShown());
    }
    {
        Fixture f;
        f.core.sources << "image_source1" << "camera source1";
        f.core.scene << "image_source1" << "camera source1";
        Access::sceneSources(*f.w) = {SceneSourceInfo{"image_source1", 0, 0, 0, 0, "", "", true, -1}};
        Access::cameraNames(*f.w) = {"camera source", "camera source1"};
        f.tile()->setCameraShown(false);

        emit f.picker()->desktop_cancel_click();

        QCOMPARE(f.core.callsNamed("scene_remove_source"),
                 QStringList({"scene_remove_source(image_source1)", "scene_remove_source(camera source1)"}));
        QVERIFY(Access::sceneSources(*f.w).empty());
        QVERIFY(Access::cameraNames(*f.w).empty());
        QVERIFY(f.core.calls.contains("core_create_display(camera source," + f.tileWid() + ")"));
        QCOMPARE(f.core.sizes.value("camera source"), QSizeF(1920, 1080));
        QCOMPARE(f.core.positions.value("camera source"), QPointF(0, 0));
        QVERIFY(f.tile()->cameraShown());
    }
}

void tst_DesktopShare::exits_data()
{
    QTest::addColumn<int>("type");
    QTest::newRow("desktop") << 0;
    QTest::newRow("window") << 1;
}

void tst_DesktopShare::exits()
{
    QFETCH(int, type);
    Fixture f;
    f.core.windows = QStringList{"Gedit: Doc"};
    f.w->desktop_share_clicked(type, "Doc");
    f.tile()->setDragEnabled(true);
    f.core.clearCalls();

    if (type == 0) {
        QTest::mouseClick(f.floating()->findChild<QPushButton*>("exit_share_btn"), Qt::LeftButton);
        QVERIFY(!f.core.scene.contains("desktop source"));
        QVERIFY(f.core.calls.contains("scene_remove_source(camera source)"));
        QVERIFY(!(f.w->windowState() & Qt::WindowMinimized));
    } else {
        f.w->showMinimized(); // the window's state is the host's business here
        QTest::mouseClick(f.appBar()->findChild<QLabel*>("exit_label"), Qt::LeftButton);
        QCOMPARE(f.core.callsNamed("scene_remove_source"), QStringList{"scene_remove_source(window source)"});
        QVERIFY(!f.core.scene.contains("window source"));
        QVERIFY(f.w->windowState() & Qt::WindowMinimized);
    }
    f.checkNoShare();
    f.checkCameraOverCanvas();
}

void tst_DesktopShare::newShareReplacesRunning()
{
    Fixture f;
    f.core.windows = QStringList{"Gedit: Doc"};
    f.w->desktop_share_clicked(1, "Doc");
    QSignalSpy windowExit(f.appBar(), &AppPopupWindow::exit_window_share);

    f.w->desktop_share_clicked(0, QString());
    QVERIFY(!f.appBar()->isVisible());
    QVERIFY(!f.core.scene.contains("window source"));
    QVERIFY(f.core.scene.contains("desktop source"));
    QCOMPARE(windowExit.count(), 0);

    QSignalSpy desktopExit(f.floating(), &FloatingWindow::exit_desktop_share);
    f.w->desktop_share_clicked(1, "Doc");
    QVERIFY(!f.floating()->sharing);
    QVERIFY(!f.floating()->isVisible());
    QVERIFY(!f.strip()->isVisible());
    QVERIFY(!f.core.scene.contains("desktop source"));
    QVERIFY(f.core.scene.contains("window source"));
    QCOMPARE(desktopExit.count(), 0);
    QCOMPARE(Access::shareType(*f.w), 1);
}

void tst_DesktopShare::noCamera()
{
    Fixture f(false, false, false);
    f.w->desktop_share_clicked(0, QString());
    QVERIFY(f.callsOf("camera source").isEmpty());
    QVERIFY(Access::shareCameraOverlay(*f.w));
    QVERIFY(f.tile()->inUseBadgeVisible());

    // Ending without a camera releases the share's display itself and leaves the camera alone.
    f.core.clearCalls();
    f.w->exit_desktop_share_clicked();
    QCOMPARE(f.core.calls.mid(0, 2),
             QStringList({"core_destory_display(desktop source)", "scene_remove_source(desktop source)"}));
    QVERIFY(!f.core.calls.contains("core_create_display(camera source," + f.tileWid() + ")"));
    QCOMPARE(Access::shareType(*f.w), -1);
}

QTEST_MAIN(tst_DesktopShare)
#include "tst_DesktopShare.moc"
