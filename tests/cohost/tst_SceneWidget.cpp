// test-label: unit
// The host camera tile's controls against the engine fake: microphone per live mode, camera
// on/off and its absence, the mirror flag and the in-use badge.
#include "support/FakeLiveCore.h"

#include "cohost/SceneWidget.h"
#include "core/DataCenter.h"

#include <QSignalSpy>
#include <QtTest>

class tst_SceneWidget : public QObject
{
    Q_OBJECT
private slots:
    void micFollowsLiveMode();
    void cameraSwitchAndAbsence();
    void mirrorNeedsCameraAndFlips();
    void dragStartsBeyondDistanceOnly();
};

void tst_SceneWidget::micFollowsLiveMode()
{
    FakeLiveCore fake;
    SceneWidget tile;
    tile.setDeviceAvailability(true, true);
    QSignalSpy mute(&tile, &SceneWidget::sigSetLocalAudio);
    QSignalSpy status(&tile, &SceneWidget::sigMicStatusChange);

    tile.handleMicClicked(); // normal mode: the source only
    QCOMPARE(fake.callsNamed("core_set_mic_source"), QStringList{"core_set_mic_source(false)"});
    QCOMPARE(mute.count() + status.count(), 0);

    tile.setLiveMode(SceneWidget::CohostMode);
    tile.handleMicClicked(); // back on: unmute, source on, status
    QCOMPARE(mute.takeLast().at(0).toBool(), false);
    QCOMPARE(status.takeLast().at(0).toBool(), true);
    QCOMPARE(fake.callsNamed("core_set_mic_source").last(), QString("core_set_mic_source(true)"));

    fake.clearCalls();
    tile.handleMicClicked(); // mute: no source call
    QCOMPARE(mute.takeLast().at(0).toBool(), true);
    QCOMPARE(status.takeLast().at(0).toBool(), false);
    QCOMPARE(fake.count("core_set_mic_source"), 0);

    tile.handleItemMicClicked(true); // the host row: follow, no source call
    QVERIFY(tile.micOn());
    QCOMPARE(mute.takeLast().at(0).toBool(), false);
    QCOMPARE(fake.count("core_set_mic_source"), 0);
}

void tst_SceneWidget::cameraSwitchAndAbsence()
{
    FakeLiveCore fake;
    SceneWidget tile;
    tile.setDeviceAvailability(true, true);
    QSignalSpy status(&tile, &SceneWidget::sigCameraStatusChange);
    tile.handleCameraClicked();
    QCOMPARE(fake.callsNamed("source_set_camera_enabled"),
             QStringList{"source_set_camera_enabled(camera source,false)"});
    QVERIFY(!tile.cameraShown());
    QCOMPARE(status.takeLast().at(0).toBool(), false);

    tile.setInUseBadgeVisible(true);
    tile.setCameraShown(true);
    QVERIFY(tile.cameraShown());
    QVERIFY(!tile.inUseBadgeVisible());

    SceneWidget none;
    none.setDeviceAvailability(true, false);
    QVERIFY(!none.cameraShown());
    QVERIFY(!none.cameraButton()->isEnabled());
    QCOMPARE(none.cameraButton()->toolTip(), QString::fromUtf8("无摄像头"));
    fake.clearCalls();
    none.handleCameraClicked();
    QCOMPARE(fake.calls, QStringList());
}

void tst_SceneWidget::mirrorNeedsCameraAndFlips()
{
    FakeLiveCore fake;
    CDataCenter::getInstance()->cameraMirror = false;
    SceneWidget none;
    none.setDeviceAvailability(true, false);
    QSignalSpy noneSpy(&none, &SceneWidget::sendMirrorStatus);
    none.handleMirrorClicked();
    QVERIFY(!none.mirrored());
    QVERIFY(!CDataCenter::getInstance()->cameraMirror);
    QCOMPARE(noneSpy.count(), 0);

    SceneWidget tile;
    tile.setDeviceAvailability(true, true);
    QSignalSpy spy(&tile, &SceneWidget::sendMirrorStatus);
    tile.handleMirrorClicked();
    QVERIFY(tile.mirrored());
    QVERIFY(CDataCenter::getInstance()->cameraMirror);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(tile.mirrorButton()->property("icon_name").toString(), QString("mirror_left"));
    tile.handleMirrorClicked();
    QVERIFY(!CDataCenter::getInstance()->cameraMirror);
    QCOMPARE(tile.mirrorButton()->property("icon_name").toString(), QString("mirror_right"));
    QCOMPARE(spy.count(), 2);
}

void tst_SceneWidget::dragStartsBeyondDistanceOnly()
{
    QStringList texts;
    TileDragStarter saved = tileDragStarter();
    tileDragStarter() = [&](QWidget*, QMimeData* mime) {
        texts << mime->text();
        delete mime;
    };
    SceneWidget tile;
    const int d = QApplication::startDragDistance();
    auto pressThenMove = [&](int dx) {
        QTest::mousePress(&tile, Qt::LeftButton, {}, QPoint(10, 10));
        QMouseEvent move(QEvent::MouseMove, QPoint(10 + dx, 10), Qt::LeftButton, Qt::LeftButton, {});
        QApplication::sendEvent(&tile, &move);
        QTest::mouseRelease(&tile, Qt::LeftButton, {}, QPoint(10 + dx, 10));
    };
    pressThenMove(0);
    pressThenMove(d); // exactly the start distance: not yet a drag
    QCOMPARE(texts, QStringList());
    tile.setDragEnabled(false);
    pressThenMove(d + 1);
    QCOMPARE(texts, QStringList());
    tile.setDragEnabled(true);
    pressThenMove(d + 1);
    QCOMPARE(texts, QStringList{"0"});
    tileDragStarter() = saved;
}

QTEST_MAIN(tst_SceneWidget)
#include "tst_SceneWidget.moc"
