// test-label: engine
// The main window after login on a real X server with the real engine. Set
// SOLVEK_SCREENSHOT_DIR to keep a picture of the screen.
#include "support/PrivateXServer.h"
#include "support/CanvasReadBack.h"
#include "support/LiveMainWindowTestAccess.h"
#include "support/StoreDir.h"

#include "cohost/SceneWidget.h"
#include "core/DataCenter.h"
#include "engine/LiveCore.h"

#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

using Access = LiveMainWindowTestAccess;

class tst_LiveMainWindowScreen : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void windowAfterLogin();

private:
    QTemporaryDir m_dir;
};

void tst_LiveMainWindowScreen::initTestCase()
{
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen" || qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs an X server");
    QVERIFY(testsupport::useStoreDir(m_dir));
}

void tst_LiveMainWindowScreen::windowAfterLogin()
{
    LoginInfo info;
    info.uid = 8086;
    info.name = QString::fromUtf8("主播小王");
    info.token = "token";
    auto w = std::make_unique<LiveMainWindow>();
    w->initLiveMainWindowParams(&info);
    w->move(0, 0);
    w->show();
    w->initFromLogin();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    QCOMPARE(formWidget<QLabel>(*w, "live_status_label")->text(), QString::fromUtf8("直播准备中"));

    // The engine runs with the scene and the picture source of the set-up.
    LiveCore* core = LiveCore::get_instance();
    QVERIFY(core->core_is_started());
    QVERIFY(core->scene_has_source("camera source"));

    // A red picture over the whole canvas makes what libobs draws recognisable.
    QVERIFY(testsupport::coverCanvas(m_dir.filePath("red.png"), Qt::red));

    // Xvfb has no camera, so the avatar reply puts no display into the host tile by itself, and
    // the tile shows the avatar instead of its camera view. Show the view as a camera would leave
    // it and run that step directly: the view then shows the canvas.
    SceneWidget* tile = Access::sceneWidget(*w);
    auto* cameraView = tile->findChild<QWidget*>("camera_view");
    QVERIFY(cameraView && cameraView->isHidden());
    cameraView->show();
    const QPoint centre = tile->mapToGlobal(tile->rect().center());
    const auto centrePixel = [&] {
        return QGuiApplication::primaryScreen()
            ->grabWindow(0, centre.x(), centre.y(), 1, 1)
            .toImage()
            .pixelColor(0, 0);
    };
    QVERIFY(centrePixel() != QColor(Qt::red));
    Access::setCameraSettleSeconds(0);
    Access::showAvatarCamera(*w);
    QVERIFY(QTest::qWaitFor([&] { return centrePixel().red() > 200 && centrePixel().green() < 60; }, 60000));

    QTest::qWait(500);
    const QImage screen = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    const QByteArray dir = qgetenv("SOLVEK_SCREENSHOT_DIR");
    if (!dir.isEmpty())
        QVERIFY(screen.save(QDir(QString::fromLocal8Bit(dir)).filePath("main-window-after-login.png")));

    w.reset(); // the monitor thread is running: destruction stops it
}

SOLVEK_TEST_MAIN_OWN_DISPLAY(tst_LiveMainWindowScreen)
#include "tst_LiveMainWindowScreen.moc"
