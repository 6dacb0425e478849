// test-label: unit
// The window's event filter and preview wiring: the camera overlay driven by mouse events on the
// preview in the share and document tools, presses that close the popups, the title-bar items,
// the full-screen scene's keys, wheel and press, and the preview's signal connections; offscreen
// against the engine fake. Canvas 1920 x 1080, preview 960 x 540, camera (100, 50, 400, 225).
#include "support/FakeLiveCore.h"
#include "support/HostWindow.h"
#include "support/FakeTrtcCloud.h"
#include "support/LiveMainWindowTestAccess.h"
#include "support/StoreDir.h"

#include "canvas/RightChildMenu.h"
#include "canvas/RightMenu.h"
#include "canvas/ShowCarmeraWidget.h"
#include "canvas/SortPageMenu.h"
#include "cohost/SceneCenterWidget.h"
#include "cohost/SceneWidget.h"
#include "cohost/VideoWindows.h"
#include "core/DataCenter.h"
#include "core/PictureDecoder.h"
#include "core/ServiceConstants.h"
#include "core/UntrustedText.h"
#include "shell/LiveControl.h"
#include "shell/LiveModeDialog.h"
#include "shell/LivePauseOrStopWidget.h"
#include "widgets/CustomWidget.h"

#include <QDir>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QWheelEvent>
#include <QtTest>

#include <memory>

using Access = LiveMainWindowTestAccess;

namespace
{

const char kCamera[] = "camera source";

struct Fixture {
    FakeLiveCore core;
    LoginInfo info;
    std::unique_ptr<LiveMainWindow> w;

    Fixture()
    {
        testsupport::setHostCanvas();
        core.cameras << "cam0";
        w = testsupport::hostWindow(info);
        // Never shown, so no layout pass undoes this.
        preview()->resize(960, 540);
        if (!core.scene.contains(kCamera))
            core.scene << kCamera;
        core.rects[kCamera] = QRectF(100, 50, 400, 225);
        core.clearCalls();
    }
    ~Fixture() { testsupport::resetHostCanvas(); }

    QWidget* preview() { return formWidget(*w, "preview_widget"); }
    QLabel* sceneLabel() { return Access::overlayLabel(*w, 2); }
    // A mouse event on the preview, through the window's filter; true when it was consumed.
    bool mouse(QEvent::Type type, QPoint p, Qt::MouseButton button = Qt::LeftButton,
               Qt::MouseButtons held = Qt::LeftButton)
    {
        QMouseEvent event(type, p, preview()->mapToGlobal(p), button, held, Qt::NoModifier);
        return Access::filter(*w, preview(), &event);
    }
    bool press(QPoint p, Qt::MouseButton button = Qt::LeftButton)
    {
        return mouse(QEvent::MouseButtonPress, p, button, button);
    }
    bool moveTo(QPoint p) { return mouse(QEvent::MouseMove, p, Qt::NoButton); }
    bool release(QPoint p) { return mouse(QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton); }
    QStringList geometryCalls() const
    {
        return core.calls.filter(QRegularExpression("^scene_set_source_(pos|posf_abs|base_size)\\("));
    }
};

// A press that reaches `target` the way the application delivers it (through its filters).
void sendPress(QWidget* target, QPoint p = {5, 5})
{
    QMouseEvent event(QEvent::MouseButtonPress, p, target->mapToGlobal(p), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}

} // namespace

class tst_LiveMainWindowPreview : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void shareOverlayDragAndResize();
    void documentOverlayResize();
    void otherToolsLeaveThePreviewAlone();
    void rightClickOpensTheMenu();
    void pressesClosePopups();
    void titleBarItems();
    void previewSignals();
    void fullScreenScene();
    void portraitColumn();

private:
    QString pageFolder(const QString& name, int pages);
    QTemporaryDir m_dir;
};

void tst_LiveMainWindowPreview::initTestCase()
{
    QVERIFY(testsupport::useStoreDir(m_dir));
    // Requests of a room choice go to a closed loopback port.
    solvek::setServiceOverride("http://127.0.0.1:9");
}

QString tst_LiveMainWindowPreview::pageFolder(const QString& name, int pages)
{
    QDir(m_dir.path()).mkpath(name);
    for (int i = 0; i < pages; ++i) {
        QImage image(320, 180, QImage::Format_RGB32);
        image.fill(Qt::gray);
        if (!image.save(m_dir.filePath(QString("%1/pic%2.png").arg(name).arg(i))))
            return QString();
    }
    return m_dir.filePath(name);
}

void tst_LiveMainWindowPreview::shareOverlayDragAndResize()
{
    Fixture f;
    Access::setLiveType(*f.w, mainwin::LiveTypeDesktopShare);

    // The filter is installed on the preview: a press and a held move delivered to it drag.
    QMouseEvent press(QEvent::MouseButtonPress, QPoint(150, 80), f.preview()->mapToGlobal(QPoint(150, 80)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(f.preview(), &press);
    QCOMPARE(f.preview()->cursor().shape(), Qt::ArrowCursor);
    ShowCarmeraWidget* cameraWindow = Access::cameraWindow(*f.w);
    cameraWindow->setMenusVisible(true);
    QMouseEvent move(QEvent::MouseMove, QPoint(160, 90), f.preview()->mapToGlobal(QPoint(160, 90)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(f.preview(), &move);
    QCOMPARE(f.geometryCalls(), QStringList{"scene_set_source_pos(camera source,120,70)"});
    // The camera window's own menus go with every move and resize of the share's overlay.
    QVERIFY(cameraWindow->rightMenu()->isHidden() && cameraWindow->rightChildMenu()->isHidden());
    QVERIFY(!f.release({160, 90}));

    // The right edge: the cursor, one step, and the arrow back at the release.
    f.core.clearCalls();
    QVERIFY(!f.press({245, 80}));
    QCOMPARE(f.preview()->cursor().shape(), Qt::SizeHorCursor);
    cameraWindow->setMenusVisible(true);
    QVERIFY(!f.moveTo({265, 80}));
    QCOMPARE(f.geometryCalls(),
             QStringList{"scene_set_source_base_size(camera source,440,247.5,1,false,false)"});
    QVERIFY(cameraWindow->rightMenu()->isHidden());
    f.release({265, 80});
    QCOMPARE(f.preview()->cursor().shape(), Qt::ArrowCursor);
    // After the release the top edge grabs alone: a move along x does nothing, along y resizes.
    f.core.clearCalls();
    f.press({150, 30});
    QCOMPARE(f.preview()->cursor().shape(), Qt::SizeVerCursor);
    f.moveTo({170, 30});
    QVERIFY(f.geometryCalls().isEmpty());
    f.moveTo({170, 20});
    QCOMPARE(f.geometryCalls(), (QStringList{"scene_set_source_base_size(camera source,435.556,245,1,false,false)",
                                             "scene_set_source_pos(camera source,80,30)"}));
    f.release({170, 20});

    // No camera on the canvas: nothing is grabbed or moved.
    f.core.scene.removeAll(kCamera);
    f.core.clearCalls();
    f.press({150, 80});
    f.moveTo({160, 90});
    QVERIFY(f.geometryCalls().isEmpty());
}

void tst_LiveMainWindowPreview::documentOverlayResize()
{
    Fixture f;
    Access::setLiveType(*f.w, mainwin::LiveTypeDocument);
    for (float scale : {0.5f, 0.0f}) {
        f.core.previewScale = scale;
        f.core.clearCalls();
        f.press({245, 80});
        QVERIFY(!f.moveTo({265, 80}));
        QCOMPARE(f.geometryCalls(),
                 QStringList{"scene_set_source_base_size(camera source,220,123.75,1,false,false)"});
        f.release({265, 80});
    }
    // A move goes through the exact position, in the page's scale (1 once the page is fitted).
    f.core.previewScale = 1;
    f.core.clearCalls();
    ShowCarmeraWidget* cameraWindow = Access::cameraWindow(*f.w);
    cameraWindow->setMenusVisible(true);
    f.press({150, 80});
    f.moveTo({160, 90});
    QCOMPARE(f.geometryCalls(), QStringList{"scene_set_source_posf_abs(camera source,120,70,false,false)"});
    QVERIFY(!cameraWindow->rightMenu()->isHidden()); // only the share's overlay closes them
    cameraWindow->setMenusVisible(false);
}

void tst_LiveMainWindowPreview::otherToolsLeaveThePreviewAlone()
{
    Fixture f;
    for (mainwin::LiveType tool : {mainwin::LiveTypeWhiteBoard, mainwin::LiveTypeSceneLayout, mainwin::LiveTypeNone}) {
        Access::setLiveType(*f.w, tool);
        QVERIFY(!f.press({150, 80}, Qt::RightButton));
        QVERIFY(!f.press({150, 80}));
        QVERIFY(!f.moveTo({160, 90}));
        QVERIFY(!f.release({160, 90}));
    }
    QVERIFY(f.geometryCalls().isEmpty());
}

void tst_LiveMainWindowPreview::rightClickOpensTheMenu()
{
    Fixture f;
    f.w->initRightMenu();
    RightMenu* menu = Access::rightMenu(*f.w);
    // Opened at the pointer for the host's own camera ("翻转", not "排序").
    const auto openedAt = [&](QPoint p) {
        return !menu->isHidden() && menu->pos() == f.preview()->mapToGlobal(p) && menu->userId() == 0 &&
               !menu->row(RightMenu::OverturnRow).text->isHidden() && menu->row(RightMenu::SortRow).text->isHidden();
    };

    // The share tool: only while a share runs and the camera belongs on it.
    Access::setLiveType(*f.w, mainwin::LiveTypeDesktopShare);
    Access::setShareActive(*f.w, false);
    QVERIFY(!f.press({150, 80}, Qt::RightButton));
    QVERIFY(menu->isHidden());
    Access::setShareActive(*f.w, true);
    Access::shareCameraOverlay(*f.w) = false;
    QVERIFY(!f.press({150, 80}, Qt::RightButton));
    QVERIFY(menu->isHidden());
    Access::shareCameraOverlay(*f.w) = true;
    menu->setMode(42, 7); // a co-host's menu before: the camera's mode comes back
    QVERIFY(f.press({150, 80}, Qt::RightButton));
    QVERIFY(openedAt({150, 80}));
    QVERIFY(!f.press({150, 80})); // the left button is not consumed, and closes the menu
    QVERIFY(menu->isHidden());
    Access::setShareActive(*f.w, false);

    // The document tool: its own flag alone.
    Access::setLiveType(*f.w, mainwin::LiveTypeDocument);
    Access::docCameraOverlay(*f.w) = false;
    QVERIFY(!f.press({150, 80}, Qt::RightButton));
    QVERIFY(menu->isHidden());
    Access::docCameraOverlay(*f.w) = true;
    QVERIFY(f.press({200, 100}, Qt::RightButton));
    QVERIFY(openedAt({200, 100}));
    menu->hide();
}

void tst_LiveMainWindowPreview::pressesClosePopups()
{
    Fixture f;
    f.w->initFromLogin();
    f.w->show(); // the popup is a child: visible only in a shown window
    ChatSideState* chat = Access::chat(*f.w);
    QVERIFY(chat->chatTab && chat->micTab && chat->onlineTab && chat->tipLink);
    Access::setRoomDialogRunner([](QDialog&) { return int(QDialog::Rejected); });
    LivePauseOrStopWidget* popup = Access::pauseOrStop(*f.w);
    QWidget* watched[] = {f.w.get(),
                          f.preview(),
                          formWidget(*f.w, "room_name_label"),
                          f.sceneLabel(),
                          chat->chatTab,
                          chat->micTab,
                          chat->onlineTab,
                          chat->tipLink};
    QWidget* menus[] = {Access::rightMenu(*f.w), Access::rightChildMenu(*f.w), Access::sortPageMenu(*f.w)};
    for (QWidget* target : watched) {
        popup->show();
        for (QWidget* menu : menus)
            menu->show();
        sendPress(target);
        QVERIFY2(popup->isHidden(), qPrintable(target->objectName()));
        for (QWidget* menu : menus)
            QVERIFY2(menu->isHidden(), qPrintable(target->objectName()));
    }
    // Other events leave it.
    popup->show();
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(f.preview(), &enter);
    QVERIFY(popup->isVisible());
    popup->hide();
}

void tst_LiveMainWindowPreview::titleBarItems()
{
    Fixture f;
    // The avatar and the name open the user popup.
    QVERIFY(!Access::popupShown(*f.w));
    sendPress(formWidget(*f.w, "user_photo"));
    QVERIFY(Access::popupShown(*f.w));
    sendPress(formWidget(*f.w, "usernamelbl"));
    QVERIFY(!Access::popupShown(*f.w));

    // Entering the room's name shows the whole name as plain text.
    LiveRoomInfo room;
    room.app_id = 77;
    room.live_type = 1;
    room.push_app_nick = "<img src=x>";
    QVERIFY(Access::liveControl(*f.w)->choose(room));
    QLabel* name = formWidget<QLabel>(*f.w, "room_name_label");
    name->setToolTip(QString());
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(name, &enter);
    QCOMPARE(name->toolTip(), solvek::plainToolTip("<img src=x>"));
    QTextDocument shown;
    shown.setHtml(name->toolTip());
    QCOMPARE(shown.toPlainText(), QString("<img src=x>"));
}

void tst_LiveMainWindowPreview::previewSignals()
{
    Fixture f;
    auto* videos = formWidget<VideoWindows>(*f.w, "preview_widget");
    SceneCenterWidget* centre = f.w->findChild<SceneCenterWidget*>();
    QVERIFY(videos && centre);

    // A co-host's video on the preview leaves it, and the mix, when its tile lets it go.
    FakeTrtcCloud cloud;
    QStringList removed;
    videos->hooks.updateMixUser = [](int, TrtcMixRect, int) {};
    videos->hooks.removeMixUser = [&](int id) { removed << QString::number(id); };
    videos->handleDropEvent("7");
    QVERIFY(videos->remoteVideo(7));
    emit centre->sigCloseRemoteCamera(7);
    QVERIFY(!videos->remoteVideo(7));
    QCOMPARE(removed, QStringList{"7"});

    // A co-host video's right press opens the menu for that co-host.
    f.w->initRightMenu();
    emit videos->sigShowRightMenu(42);
    RightMenu* menu = Access::rightMenu(*f.w);
    QVERIFY(!menu->isHidden());
    QCOMPARE(menu->userId(), 42);
    QVERIFY(!menu->row(RightMenu::SortRow).text->isHidden());
    menu->hide();

    // The host's own tile dropped on the preview brings the camera back in the share tool.
    Access::setLiveType(*f.w, mainwin::LiveTypeDesktopShare);
    Access::shareCameraOverlay(*f.w) = false;
    f.core.clearCalls();
    emit videos->sigDragSceneWidget();
    QVERIFY(Access::shareCameraOverlay(*f.w));
    QCOMPARE(f.core.callsNamed("scene_add_source").size(), 1);

    SceneWidget* tile = Access::sceneWidget(*f.w);
    tile->setDragEnabled(true);
    emit videos->sigReplyDragEvent(0);
    QVERIFY(!tile->dragEnabled()); // the host tile took the preview's answer
}

void tst_LiveMainWindowPreview::fullScreenScene()
{
    const QString pages = pageFolder("pages", 2);
    QVERIFY(!pages.isEmpty());
    Fixture f;
    QLabel* label = f.sceneLabel();
    QWidget* roomName = formWidget(*f.w, "room_name_label");
    const auto enterFullScreen = [&] {
        Access::fullScreen(*f.w) = true;
        label->setParent(nullptr);
        label->setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
        label->show();
    };
    const auto backInPreview = [&] {
        return !Access::fullScreen(*f.w) && label->parentWidget() == f.preview() && !label->isHidden() &&
               label->geometry() == QRect(QPoint(0, 0), f.preview()->size());
    };

    // Escape on any watched object ends it, consumed.
    enterFullScreen();
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QVERIFY(Access::filter(*f.w, roomName, &escape));
    QVERIFY(backInPreview());
    // Another key is not the filter's.
    enterFullScreen();
    QKeyEvent other(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier);
    QVERIFY(!Access::filter(*f.w, roomName, &other));
    QVERIFY(Access::fullScreen(*f.w));

    // A press on the label ends it and goes on.
    QMouseEvent press(QEvent::MouseButtonPress, QPoint(5, 5), QPoint(5, 5), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QVERIFY(!Access::filter(*f.w, label, &press));
    QVERIFY(backInPreview());

    // The window's own Escape.
    enterFullScreen();
    QTest::keyClick(f.w.get(), Qt::Key_Escape);
    QVERIFY(backInPreview());

    // The wheel turns the page under the pointer, in canvas units; a zero delta is consumed.
    auto tile = std::make_shared<InfoWidget>();
    tile->folder = pages;
    tile->filePath = pages + "/pic0.png";
    tile->content = "a.png";
    tile->rect = PosWeight{0.f, 0.f, 0.5f, 0.5f};
    tile->num = 1;
    f.w->_use_scene_clickedEX({tile}, 0, 0, false);
    PictureDecoder::waitForIdle(); // the apply waits for the picture's size, read off the window's thread
    f.core.rects["image_source1"] = QRectF(0, 0, 960, 540);
    enterFullScreen();
    f.core.clearCalls();
    const auto wheel = [&](int delta) {
        QWheelEvent event(QPointF(900, 500), QPointF(900, 500), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        const bool consumed = Access::filter(*f.w, label, &event);
        PictureDecoder::waitForIdle();
        return consumed;
    };
    QVERIFY(wheel(0));
    QVERIFY(f.core.callsNamed("source_set_image_file").isEmpty());
    QVERIFY(!wheel(-360)); // no 120 limit in full screen
    QCOMPARE(f.core.callsNamed("source_set_image_file"),
             QStringList{"source_set_image_file(image_source1," + pages + "/pic1.png,false)"});
    Access::leaveSceneFullScreen(*f.w);
}

void tst_LiveMainWindowPreview::portraitColumn()
{
    Fixture f;
    CDataCenter::getInstance()->liveMode = true;
    Access::setLiveType(*f.w, mainwin::LiveTypeDesktopShare);
    f.preview()->resize(405, 720);
    QLabel* shareLabel = Access::overlayLabel(*f.w, 0);
    shareLabel->setGeometry(0, 0, 405, 720);
    shareLabel->show();
    f.core.previewScale = 0.3f;
    f.core.rects[kCamera] = QRectF(400, 300, 600, 337.5);

    // The preview's own events pass: it paints, lays out and takes drops as ever.
    QPaintEvent paint(QRect(0, 0, 10, 10));
    QVERIFY(!Access::filter(*f.w, f.preview(), &paint));
    QResizeEvent resize(QSize(405, 720), QSize(400, 700));
    QVERIFY(!Access::filter(*f.w, f.preview(), &resize));
    QMimeData mime;
    mime.setText("0");
    QDragEnterEvent dragEnter(QPoint(20, 20), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QVERIFY(!Access::filter(*f.w, f.preview(), &dragEnter));
    QDropEvent drop(QPointF(20, 20), Qt::MoveAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QVERIFY(!Access::filter(*f.w, f.preview(), &drop));

    // Presses, moves and releases are the column's, on the overlay or not.
    QVERIFY(f.press({300, 600}));
    QVERIFY(f.moveTo({310, 600}));
    QVERIFY(f.release({310, 600}));
    QVERIFY(f.geometryCalls().isEmpty());

    // The left edge moving left: 20 pixels wider, the height from the label's, moved by 4.
    ShowCarmeraWidget* cameraWindow = Access::cameraWindow(*f.w);
    cameraWindow->setMenusVisible(true);
    QVERIFY(f.press({86, 300}));
    QCOMPARE(f.preview()->cursor().shape(), Qt::SizeHorCursor);
    QVERIFY(!cameraWindow->rightMenu()->isHidden()); // a press alone changes nothing
    QVERIFY(f.moveTo({76, 300}));
    QVERIFY(cameraWindow->rightMenu()->isHidden() && cameraWindow->rightChildMenu()->isHidden());
    QCOMPARE(f.geometryCalls(), (QStringList{"scene_set_source_base_size(camera source,200,75,1,false,false)",
                                             "scene_set_source_pos(camera source,396,304)"}));
    QVERIFY(f.release({76, 300}));
    QCOMPARE(f.preview()->cursor().shape(), Qt::ArrowCursor);

    // A hidden share label: nothing to size against.
    shareLabel->hide();
    f.core.clearCalls();
    f.press({86, 300});
    QVERIFY(f.moveTo({76, 300}));
    QVERIFY(f.geometryCalls().isEmpty());
    f.release({76, 300});
}

QTEST_MAIN(tst_LiveMainWindowPreview)
#include "tst_LiveMainWindowPreview.moc"
