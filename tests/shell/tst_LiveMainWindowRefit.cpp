// test-label: unit
// Maximise, restore and resize of the shown main window: the button's flag and look, the title-bar
// drag, the preview and the labels over it, the share bar, the scene applied again, the co-host
// strip and overlay, and what reaches the engine; offscreen against the engine fake.
#include "support/FakeLiveCore.h"
#include "support/FakeTrtcCloud.h"
#include "support/HostWindow.h"
#include "support/LiveMainWindowTestAccess.h"

#include "canvas/AppPopupWindow.h"
#include "cohost/SceneCenterWidget.h"
#include "cohost/SceneRemoteToolWidget.h"
#include "cohost/SceneRemoteWidget.h"
#include "cohost/SceneTile.h"
#include "cohost/TrtcManager.h"
#include "cohost/VideoWindows.h"
#include "core/DataCenter.h"
#include "scenes/AddSceneDialog.h"
#include "scenes/SceneLayoutControl.h"

#include <QLabel>
#include <QLayout>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

using Access = LiveMainWindowTestAccess;

namespace
{
// A window after login, shown (offscreen) at its smallest size.
struct Fixture {
    FakeLiveCore core;
    LoginInfo info;
    std::unique_ptr<LiveMainWindow> w;

    explicit Fixture(bool portrait = false)
    {
        testsupport::setHostCanvas({1920, 1080}, false, portrait);
        core.cameras << "cam0";
        w = testsupport::hostWindow(info, 4343);
        w->move(40, 30);
        w->show();
        // The picker runs modally when the share tool is chosen: here it is dismissed at once.
        Access::setModalDialogRunner([](QDialog&) { return int(QDialog::Rejected); });
        core.clearCalls();
    }
    ~Fixture()
    {
        Access::setModalDialogRunner([](QDialog& dialog) { return dialog.exec(); });
        testsupport::resetHostCanvas();
        CDataCenter::getInstance()->desktopSharing = false;
    }

    QWidget* frame() { return formWidget(*w, "render_frame"); }
    VideoWindows* preview() { return formWidget<VideoWindows>(*w, "preview_widget"); }
    QWidget* controlFrame() { return formWidget(*w, "control_frame"); }
    QPushButton* maximizeButton() { return formWidget<QPushButton>(*w, "maximize_btn"); }
    QLabel* shareLabel() { return Access::overlayLabel(*w, 0); }
    QLabel* sceneLabel() { return Access::overlayLabel(*w, 2); }
    QString wid() { return QString::number(quintptr(shareLabel()->winId())); }
    QRect frameArea() { return QRect(QPoint(0, 0), frame()->size()); }
    // The co-host overlay scaled its videos for the preview's present width.
    bool overlayFollowed() { return preview()->referenceWidth() == preview()->width(); }

    // A press on the title bar and one step of 30 pixels: whether the window followed.
    bool dragMoves()
    {
        const QPoint at(300, 20);
        const QPoint start = w->pos();
        QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(w.get(), &press);
        QMouseEvent move(QEvent::MouseMove, at + QPoint(30, 0), w->mapToGlobal(at + QPoint(30, 0)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w.get(), &move);
        QMouseEvent release(QEvent::MouseButtonRelease, at + QPoint(30, 0), w->mapToGlobal(at + QPoint(30, 0)),
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w.get(), &release);
        const bool moved = w->pos() != start;
        w->move(start);
        return moved;
    }
};

// Where a tile's tool bar belongs: glued to the tile's bottom edge, in screen coordinates.
QPoint gluedBar(QWidget* tile)
{
    return tile->mapToGlobal(QPoint(0, 0)) +
           QPoint(scenetile::kToolBarLeft, tile->height() - scenetile::kToolBarAboveBottom);
}
} // namespace

class tst_LiveMainWindowRefit : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { qRegisterMetaType<InfoWidgetVec>("InfoWidgetVec"); }
    void maximiseThenRestore();
    void resizeReappliesScene_data();
    void resizeReappliesScene();
    void windowShareOnResize();
    void portraitDesktopShare();
};

void tst_LiveMainWindowRefit::maximiseThenRestore()
{
    Fixture f;
    FakeTrtcCloud cloud;
    auto* strip = f.w->findChild<SceneCenterWidget*>();
    QVERIFY(strip);
    TrtcMicUserInfo cohost(77, "Bob", QString(), QString());
    QVERIFY(strip->addRemoteUser(&cohost));
    SceneRemoteWidget* tile = strip->remoteWidget(77);
    QWidget* bar = tile->toolWidget();
    QVERIFY(f.dragMoves());

    // Maximise: the flag stops the drag, the button offers to restore, the strip re-places its bars.
    bar->move(-500, -500);
    f.w->on_maximize_btn_clicked();
    QVERIFY(Access::maximized(*f.w));
    QVERIFY(!f.dragMoves());
    QVERIFY(f.maximizeButton()->styleSheet().contains("border-image:url(:/images/live/restore.png)"));
    QVERIFY(f.maximizeButton()->styleSheet().contains("restore_hover.png"));
    QCOMPARE(bar->pos(), gluedBar(tile));

    // The screen of an offscreen window is small: grow the window as a window manager would.
    f.w->resize(1600, 1000);
    QCOMPARE(f.preview()->geometry(), f.frameArea());
    QVERIFY(f.overlayFollowed());

    // Restore: the drag works again, the button has its first look, the preview fills the frame.
    bar->move(-500, -500);
    f.w->on_maximize_btn_clicked();
    f.w->resize(1300, 820);
    QVERIFY(!Access::maximized(*f.w));
    QVERIFY(f.dragMoves());
    QCOMPARE(f.maximizeButton()->styleSheet(), QString(mainwin::kMaximizeStyle));
    QVERIFY(f.maximizeButton()->styleSheet().contains("border-image:url(:/images/live/normal.png)"));
    QCOMPARE(f.preview()->geometry(), f.frameArea());
    QCOMPARE(bar->pos(), gluedBar(tile));
    // Without a share the engine's displays are not touched.
    QCOMPARE(f.core.count("core_resize_display") + f.core.count("core_create_display") +
                 f.core.count("core_destory_display") + f.core.count("core_destroy_source_display"),
             0);
    strip->clearRemoteUsers();
}

void tst_LiveMainWindowRefit::resizeReappliesScene_data()
{
    QTest::addColumn<int>("tool");
    QTest::addColumn<bool>("inUse");
    QTest::addColumn<int>("reapplied");
    QTest::newRow("scene tool, scene in use") << 3 << true << 1;
    QTest::newRow("scene tool, no scene in use") << 3 << false << 0;
    QTest::newRow("document tool, scene in use") << 0 << true << 0;
}

void tst_LiveMainWindowRefit::resizeReappliesScene()
{
    QFETCH(int, tool);
    QFETCH(bool, inUse);
    QFETCH(int, reapplied);
    Fixture f;
    f.w->selectLivetype(mainwin::LiveTypeSceneLayout);
    SceneLayoutControl* strip = Access::sceneLayoutControl(*f.w);
    AddSceneDialog* editor = Access::addSceneDialog(*f.w);
    editor->resetForNew(false, 0);
    if (inUse)
        strip->save_and_use_btn_clicked(editor->tiles(), 0, false, 0, QString());
    else
        strip->save_btn_clicked(editor->tiles(), 0, false, 0, QString());
    f.w->selectLivetype(mainwin::LiveType(tool));
    QCOMPARE(Access::sceneState(*f.w) == 1, inUse);

    QSignalSpy applied(strip, &SceneLayoutControl::_use_scene_clickEX);
    f.w->resize(1500, 900);
    QCOMPARE(applied.count(), reapplied);
    if (reapplied) {
        // Applied at the new size, and the label keeps covering the preview.
        QCOMPARE(f.preview()->geometry(), f.frameArea());
        QVERIFY(f.sceneLabel()->isVisibleTo(f.w.get()));
        QCOMPARE(f.sceneLabel()->geometry(), QRect(QPoint(0, 0), f.preview()->size()));
    }
    // The maximise button re-fits without applying the scene again.
    f.w->on_maximize_btn_clicked();
    QCOMPARE(applied.count(), reapplied);
}

void tst_LiveMainWindowRefit::windowShareOnResize()
{
    Fixture f;
    f.core.windows = QStringList{"Gedit: Doc"};
    f.w->desktop_share_clicked(1, "Doc");
    AppPopupWindow* bar = Access::appPopupWindow(*f.w);
    QVERIFY(bar->isVisible());
    QCOMPARE(bar->height(), 35);
    f.core.clearCalls();

    // Restored: the bar at the window's lower left, the label and its display follow the frame.
    f.w->resize(1500, 900);
    const int barTop = f.w->height() - 17 - f.controlFrame()->height();
    QCOMPARE(bar->pos(), f.w->pos() + QPoint(0, barTop));
    QCOMPARE(f.shareLabel()->geometry(), f.frameArea());
    QCOMPARE(f.core.callsNamed("core_resize_display"), QStringList{"core_resize_display(" + f.wid() + ")"});
    QCOMPARE(f.core.count("core_create_display"), 0);
    QVERIFY(f.overlayFollowed());
    // Hidden, the scene label waits at the canvas's size.
    QCOMPARE(f.sceneLabel()->geometry(), QRect(0, 0, 1920, 1080));

    // Maximised: the screen's corner is the window's; the maximise path made the display anew.
    f.core.clearCalls();
    f.w->on_maximize_btn_clicked();
    QCOMPARE(f.core.callsNamed("core_destory_display"), QStringList{"core_destory_display(window source)"});
    QCOMPARE(f.core.callsNamed("core_create_display"),
             QStringList{"core_create_display(window source," + f.wid() + ")"});
    f.w->resize(1700, 1000);
    QCOMPARE(bar->pos(), QPoint(0, f.w->height() - 17 - f.controlFrame()->height()));
    QCOMPARE(f.shareLabel()->geometry(), f.frameArea());
    QVERIFY(f.overlayFollowed());

    // Restore: made anew once more.
    f.core.clearCalls();
    f.w->on_maximize_btn_clicked();
    QCOMPARE(f.core.count("core_destory_display"), 1);
    QCOMPARE(f.core.count("core_create_display"), 1);
    QCOMPARE(bar->pos(), f.w->pos() + QPoint(0, f.w->height() - 17 - f.controlFrame()->height()));
}

void tst_LiveMainWindowRefit::portraitDesktopShare()
{
    Fixture f(true);
    f.w->selectLivetype(mainwin::LiveTypeDesktopShare);
    f.w->desktop_share_clicked(0, QString());
    f.w->showNormal(); // the share minimised it
    const auto checkColumn = [&f] {
        const int H = f.frame()->height();
        const int W = H * 9 / 16;
        QCOMPARE(f.preview()->geometry(), QRect((f.frame()->width() - W) / 2, 0, W, H));
        QCOMPARE(f.shareLabel()->geometry(), QRect(0, 0, W, H));
        const int h9 = W * 9 / 16;
        QCOMPARE(Access::shownStrip(*f.w), QRect(0, (H - h9) / 2, W, h9));
    };
    f.core.clearCalls();

    // Restored resize: the picture on the strip, the camera stays, the display made anew.
    f.w->resize(1500, 1000);
    checkColumn();
    // Layout passes keep the column centred.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    f.w->layout()->activate();
    checkColumn();
    const QRect strip = Access::shownStrip(*f.w);
    QCOMPARE(f.core.positions.value("desktop source"), QPointF(0, strip.y()));
    QCOMPARE(f.core.sizes.value("desktop source"), QSizeF(strip.width(), strip.height()));
    QVERIFY(f.core.callsNamed("core_update_preview_scale")
                .contains(QString("core_update_preview_scale(%1,%2)").arg(2 * strip.width()).arg(2 * strip.height())));
    QVERIFY(!f.core.callsNamed("scene_set_source_pos").join(' ').contains("camera source"));
    QCOMPARE(f.core.callsNamed("core_destroy_source_display"),
             QStringList{"core_destroy_source_display(window source)"});
    // The desktop share's own display follows its label.
    QVERIFY(f.core.callsNamed("core_resize_display").contains("core_resize_display(" + f.wid() + ")"));

    // Maximised: the picture at the maximised place, the camera in its corner.
    f.core.clearCalls();
    f.w->on_maximize_btn_clicked();
    f.w->resize(1800, 1050);
    checkColumn();
    const QRect grown = Access::shownStrip(*f.w);
    QCOMPARE(f.core.positions.value("desktop source"), QPointF(0, grown.height() + f.preview()->height() / 2));
    QVERIFY(f.core.callsNamed("scene_set_source_pos").join(' ').contains("camera source"));
    QCOMPARE(f.core.count("core_destroy_source_display"), 1); // the maximise path only

    // Restored again: the window can shrink below the maximised column's height, also once the
    // layouts have taken in the column's constraints.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    f.w->on_maximize_btn_clicked();
    f.w->resize(1300, 820);
    QCOMPARE(f.w->size(), QSize(1300, 820));
    QVERIFY(f.frame()->height() + f.controlFrame()->height() < f.w->height());
    checkColumn();
    QCOMPARE(f.core.positions.value("desktop source"), QPointF(0, Access::shownStrip(*f.w).y()));
}

QTEST_MAIN(tst_LiveMainWindowRefit)
#include "tst_LiveMainWindowRefit.moc"
