// test-label: unit
// The host camera tile against the engine fake: microphone per live mode, camera on/off and its
// absence, the in-use badge, the mirror flag, the drag onto the preview, the tool bar window glued
// under the tile, the host's name in it, and the tile's painted frame.
#include "support/FakeLiveCore.h"

#include "cohost/SceneTile.h"
#include "cohost/SceneWidget.h"
#include "cohost/SceneWidgetToolWidget.h"
#include "core/DataCenter.h"
#include "core/UntrustedText.h"

#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

namespace
{
QPushButton* button(SceneWidget& tile, const char* name)
{
    return tile.toolWidget()->findChild<QPushButton*>(name);
}

bool hasIcon(QPushButton* b, const QString& path)
{
    return b->icon().pixmap(16, 16).toImage() == QIcon(path).pixmap(16, 16).toImage();
}

// Which of the two the tile shows: "camera" or "avatar".
QString shown(SceneWidget& tile)
{
    const bool camera = !tile.findChild<QWidget*>("camera_view")->isHidden();
    const bool avatar = !tile.findChild<QLabel*>("photo_label")->isHidden();
    return camera == avatar ? QString("both or none") : camera ? QString("camera") : QString("avatar");
}
} // namespace

class tst_SceneWidget : public QObject
{
    Q_OBJECT
private slots:
    void toolBarStartsOnWithItsTips();
    void micFollowsLiveMode();
    void cameraSwitchBadgeAndAbsence();
    void hostRowCameraFollowsWithoutSignal();
    void mirrorNeedsCameraAndFlips();
    void dragStartsBeyondDistanceOnly();
    void toolBarIsGluedUnderTheTile();
    void anchorNameIsElidedPlainText_data();
    void anchorNameIsElidedPlainText();
    void paintsARoundedFrame();
};

void tst_SceneWidget::toolBarStartsOnWithItsTips()
{
    FakeLiveCore fake;
    SceneWidget tile;
    SceneWidgetToolWidget* bar = tile.toolWidget();
    QVERIFY(bar->isWindow());
    QVERIFY(bar->windowFlags() & Qt::Tool);
    QVERIFY(bar->windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(bar->testAttribute(Qt::WA_TranslucentBackground));
    QVERIFY(bar->isHidden()); // until the host is known
    QVERIFY(!bar->cameraFlag() && !bar->micFlag());
    QCOMPARE(button(tile, "mic_btn")->toolTip(), QString::fromUtf8("关闭麦克风"));
    QCOMPARE(button(tile, "camera_btn")->toolTip(), QString::fromUtf8("关闭摄像头"));
    QCOMPARE(button(tile, "mirror_btn")->toolTip(), QString::fromUtf8("镜像"));
    QVERIFY(hasIcon(button(tile, "mic_btn"), ":/images/live/mic_open.png"));
    QVERIFY(hasIcon(button(tile, "camera_btn"), ":/images/live/camera_open.png"));
    QVERIFY(hasIcon(button(tile, "mirror_btn"), ":/images/live/mirror_left.png"));
    QCOMPARE(shown(tile), QString("camera"));
    QVERIFY(!tile.inUseBadgeVisible());
    QVERIFY(!tile.dragEnabled());
    QLabel* badge = tile.findChild<QLabel*>("label");
    QCOMPARE(badge->text(), QString::fromUtf8("画面应用中"));
    QCOMPARE(badge->pos(), QPoint(tile.width() - badge->width() - 3, 10));
}

void tst_SceneWidget::micFollowsLiveMode()
{
    FakeLiveCore fake;
    SceneWidget tile;
    tile.setDeviceAvailability(true, true);
    QSignalSpy mute(&tile, &SceneWidget::sigSetLocalAudio);
    QSignalSpy status(&tile, &SceneWidget::sigMicStatusChange);
    QPushButton* mic = button(tile, "mic_btn");

    mic->click(); // normal mode, switched off: the source only
    QCOMPARE(fake.callsNamed("core_set_mic_source"), QStringList{"core_set_mic_source(false)"});
    QCOMPARE(mute.count() + status.count(), 0);
    QCOMPARE(mic->toolTip(), QString::fromUtf8("开启麦克风"));
    QVERIFY(hasIcon(mic, ":/images/live/mic_close.png"));

    tile.setLiveMode(SceneWidget::CohostMode);
    fake.clearCalls();
    mic->click(); // unmute: the room hears the host again, the source goes on
    QCOMPARE(mute.takeLast().at(0).toBool(), false);
    QCOMPARE(status.takeLast().at(0).toBool(), true);
    QCOMPARE(fake.callsNamed("core_set_mic_source"), QStringList{"core_set_mic_source(true)"});

    fake.clearCalls();
    mic->click(); // mute: the source is left alone
    QCOMPARE(mute.takeLast().at(0).toBool(), true);
    QCOMPARE(status.takeLast().at(0).toBool(), false);
    QCOMPARE(fake.count("core_set_mic_source"), 0);

    tile.handleItemMicClicked(true); // the host row: the tool bar follows, no source call
    QVERIFY(!tile.toolWidget()->micFlag());
    QCOMPARE(mic->toolTip(), QString::fromUtf8("关闭麦克风"));
    QCOMPARE(mute.takeLast().at(0).toBool(), false);
    QCOMPARE(status.count(), 0);
    QCOMPARE(fake.count("core_set_mic_source"), 0);

    SceneWidget noMic;
    noMic.setDeviceAvailability(false, true);
    QVERIFY(!button(noMic, "mic_btn")->isEnabled());
    QCOMPARE(button(noMic, "mic_btn")->toolTip(), QString::fromUtf8("无麦克风"));
    QVERIFY(hasIcon(button(noMic, "mic_btn"), ":/images/live/nomic.png"));
}

void tst_SceneWidget::cameraSwitchBadgeAndAbsence()
{
    FakeLiveCore fake;
    SceneWidget tile;
    tile.setDeviceAvailability(true, true);
    QSignalSpy status(&tile, &SceneWidget::sigCameraStatusChange);
    QPushButton* camera = button(tile, "camera_btn");

    camera->click();
    QCOMPARE(fake.callsNamed("source_set_camera_enabled"),
             QStringList{"source_set_camera_enabled(camera source,false)"});
    QCOMPARE(shown(tile), QString("avatar"));
    QCOMPARE(status.takeLast().at(0).toBool(), false);
    QCOMPARE(camera->toolTip(), QString::fromUtf8("开启摄像头"));
    QVERIFY(!tile.inUseBadgeVisible()); // the camera is still the tile's

    camera->click();
    QCOMPARE(shown(tile), QString("camera"));
    QCOMPARE(status.takeLast().at(0).toBool(), true);

    // The camera on the canvas: the badge shows unless the tile can be dragged back.
    tile.setCameraShown(false);
    QCOMPARE(shown(tile), QString("avatar"));
    camera->click();
    camera->click();
    QVERIFY(tile.inUseBadgeVisible());
    QCOMPARE(shown(tile), QString("avatar"));
    tile.setDragEnabled(true);
    camera->click();
    QVERIFY(!tile.inUseBadgeVisible());

    tile.setCameraShown(true);
    QCOMPARE(shown(tile), QString("camera"));
    tile.setInUseBadgeVisible(true);
    tile.setCameraShown(true);
    QVERIFY(!tile.inUseBadgeVisible());

    // The preview answered a drop: no more dragging, avatar and badge.
    tile.setDragEnabled(true);
    tile.setInUseState();
    QVERIFY(!tile.dragEnabled());
    QCOMPARE(shown(tile), QString("avatar"));
    QVERIFY(tile.inUseBadgeVisible());

    SceneWidget none;
    none.setDeviceAvailability(true, false);
    QCOMPARE(shown(none), QString("avatar"));
    QPushButton* noCamera = button(none, "camera_btn");
    QVERIFY(!noCamera->isEnabled());
    QCOMPARE(noCamera->toolTip(), QString::fromUtf8("无摄像头"));
    QVERIFY(hasIcon(noCamera, ":/images/live/nocamera.png"));
    none.setCameraShown(true); // the canvas hands the camera back: still nothing to show
    QCOMPARE(shown(none), QString("avatar"));
}

void tst_SceneWidget::hostRowCameraFollowsWithoutSignal()
{
    FakeLiveCore fake;
    SceneWidget tile;
    tile.setDeviceAvailability(true, true);
    QSignalSpy status(&tile, &SceneWidget::sigCameraStatusChange);
    tile.handleItemCameraClicked(false);
    QVERIFY(tile.toolWidget()->cameraFlag());
    QCOMPARE(button(tile, "camera_btn")->toolTip(), QString::fromUtf8("开启摄像头"));
    QCOMPARE(shown(tile), QString("avatar"));
    QCOMPARE(fake.callsNamed("source_set_camera_enabled"),
             QStringList{"source_set_camera_enabled(camera source,false)"});
    tile.handleItemCameraClicked(true);
    QCOMPARE(shown(tile), QString("camera"));
    QCOMPARE(fake.callsNamed("source_set_camera_enabled").last(), QString("source_set_camera_enabled(camera source,true)"));
    QCOMPARE(status.count(), 0);
}

void tst_SceneWidget::mirrorNeedsCameraAndFlips()
{
    FakeLiveCore fake;
    auto store = CDataCenter::getInstance();
    store->cameraMirror = false;
    SceneWidget none;
    QSignalSpy noneSpy(&none, &SceneWidget::sendMirrorStatus);
    button(none, "mirror_btn")->click();
    QVERIFY(!none.mirrored());
    QVERIFY(!store->cameraMirror);
    QCOMPARE(noneSpy.count(), 0);

    fake.cameras << "Integrated Camera";
    SceneWidget tile;
    QPushButton* mirror = button(tile, "mirror_btn");
    QSignalSpy spy(&tile, &SceneWidget::sendMirrorStatus);
    mirror->click();
    QVERIFY(tile.mirrored());
    QVERIFY(store->cameraMirror);
    QCOMPARE(spy.count(), 1);
    QVERIFY(hasIcon(mirror, ":/images/live/mirror_left.png"));
    mirror->click();
    QVERIFY(!tile.mirrored());
    QVERIFY(!store->cameraMirror);
    QCOMPARE(spy.count(), 2);
    QVERIFY(hasIcon(mirror, ":/images/live/mirror_right.png"));
}

void tst_SceneWidget::dragStartsBeyondDistanceOnly()
{
    QStringList texts;
    scenetile::TileDragStarter saved = scenetile::tileDragStarter();
    scenetile::tileDragStarter() = [&](QWidget*, QMimeData* mime) {
        texts << mime->text();
        delete mime;
        return Qt::MoveAction;
    };
    SceneWidget tile;
    const int d = QApplication::startDragDistance();
    auto pressThenMove = [&](int dx) {
        QTest::mousePress(&tile, Qt::LeftButton, {}, QPoint(10, 10));
        QMouseEvent move(QEvent::MouseMove, QPoint(10 + dx, 10), Qt::LeftButton, Qt::LeftButton, {});
        QApplication::sendEvent(&tile, &move);
        QTest::mouseRelease(&tile, Qt::LeftButton, {}, QPoint(10 + dx, 10));
    };
    pressThenMove(d + 1); // dragging is off until the canvas enables it
    QCOMPARE(texts, QStringList());
    tile.setDragEnabled(true);
    pressThenMove(0);
    pressThenMove(d); // exactly the start distance: not yet a drag
    QCOMPARE(texts, QStringList());
    QMouseEvent hover(QEvent::MouseMove, QPoint(40, 40), Qt::NoButton, Qt::NoButton, {});
    QApplication::sendEvent(&tile, &hover); // tracking moves without a button
    QCOMPARE(texts, QStringList());
    pressThenMove(d + 1);
    QCOMPARE(texts, QStringList{"0"});
    scenetile::tileDragStarter() = saved;
}

void tst_SceneWidget::toolBarIsGluedUnderTheTile()
{
    FakeLiveCore fake;
    QWidget host;
    host.resize(400, 300);
    auto* tile = new SceneWidget(&host);
    tile->move(30, 40);
    LoginInfo info;
    info.name = "host";
    tile->setAnchorPhoto(&info);
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    SceneWidgetToolWidget* bar = tile->toolWidget();
    QVERIFY(bar->isVisible());
    const QSize size = bar->size();
    auto expected = [&] { return tile->mapToGlobal(QPoint(0, 0)) + QPoint(2, tile->height() - 24); };

    tile->move(50, 60); // the tile's own move
    QCOMPARE(tile->height(), 118);
    QCOMPARE(bar->pos(), expected());
    QCOMPARE(bar->pos(), tile->mapToGlobal(QPoint(2, 94)));

    host.move(host.pos() + QPoint(25, 15)); // the window moved: the main window calls in
    tile->placeToolWidget();
    QCOMPARE(bar->pos(), expected());
    QCOMPARE(bar->size(), size);
}

void tst_SceneWidget::anchorNameIsElidedPlainText_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("short") << "host";
    QTest::newRow("long") << QString::fromUtf8("一位名字非常非常长的主播 with a long tail");
    QTest::newRow("markup") << "<img src=\"/etc/hostname\"><b>bold</b>";
}

void tst_SceneWidget::anchorNameIsElidedPlainText()
{
    QFETCH(QString, name);
    SceneWidgetToolWidget bar;
    bar.setAnchorName(name);
    auto* label = bar.findChild<QLabel*>("anchor_label");
    QVERIFY(!label->isHidden());
    QCOMPARE(label->textFormat(), Qt::PlainText);
    const QFontMetrics metrics(label->font());
    const QString elided = metrics.elidedText(name, Qt::ElideRight, 80);
    QCOMPARE(label->text(), elided);
    QVERIFY(metrics.horizontalAdvance(label->text()) <= 80);
    QCOMPARE(label->toolTip(), solvek::plainToolTip(name));
    if (metrics.horizontalAdvance(name) > 80)
        QVERIFY(label->text() != name);
    else
        QCOMPARE(label->text(), name);
}

void tst_SceneWidget::paintsARoundedFrame()
{
    FakeLiveCore fake;
    QWidget host;
    auto* tile = new SceneWidget(&host);
    tile->setDeviceAvailability(true, false); // the avatar, so nothing native covers the frame
    const QImage image = tile->grab().toImage();
    QCOMPARE(image.pixelColor(20, 60), QColor(23, 26, 44));
    QCOMPARE(image.pixelColor(tile->width() / 2, tile->height() - 5), QColor(23, 26, 44));
    // The corners are cut: the outline bends away from them (a square frame would cross them).
    for (const QPoint corner : {QPoint(0, 0), QPoint(1, 1), QPoint(tile->width() - 1, 0), QPoint(0, tile->height() - 1),
                                QPoint(tile->width() - 2, tile->height() - 2)})
        QCOMPARE(image.pixelColor(corner), QColor(23, 26, 44));
    // The outline (81, 88, 126) runs along the straight edges, half a pixel over the fill.
    const QColor edge = image.pixelColor(0, tile->height() / 2);
    QVERIFY2(edge.red() > 40 && edge.green() > 45 && edge.blue() > 75, qPrintable(edge.name(QColor::HexArgb)));
}

QTEST_MAIN(tst_SceneWidget)
#include "tst_SceneWidget.moc"
