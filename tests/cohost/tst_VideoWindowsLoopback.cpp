// test-label: integration
// The co-host video overlay against the simulator's loopback room: a co-host's tile dropped onto
// the preview moves the co-host's frames from the tile into the preview, and the cloud mix follows
// the drop, a move, a layer change and the cancel.
#include "support/CoHostLoopbackTestCase.h"
#include "support/MouseEvents.h"

#include "cohost/RemoteVideoWidget.h"
#include "cohost/SceneCenterWidget.h"
#include "cohost/SceneRemoteWidget.h"
#include "cohost/TrtcManager.h"
#include "cohost/VideoWindows.h"
#include "shell/LiveModeDialog.h"

#include <QApplication>
#include <QJsonArray>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QtTest>

using namespace cohostloopback;

class tst_VideoWindowsLoopback : public CoHostLoopbackTestCase
{
    Q_OBJECT

    QJsonObject trtcState() const { return m_sim.getJson("/_sim/trtc").toObject(); }
    // The co-host's box in the running mix, as "left,top,right,bottom z" ("" when it has none).
    QString mixBox(const QString& userId) const
    {
        const QJsonArray mixes = trtcState().value("mixes").toArray();
        for (int i = mixes.size() - 1; i >= 0; --i) {
            const QJsonObject mix = mixes.at(i).toObject();
            if (!mix.value("running").toBool())
                continue;
            for (const QJsonValue& v : mix.value("layouts").toArray()) {
                const QJsonObject layout = v.toObject();
                if (layout.value("user_id").toString() != userId)
                    continue;
                const QJsonArray r = layout.value("rect").toArray();
                return QStringLiteral("%1,%2,%3,%4 z%5")
                    .arg(r.at(0).toInt())
                    .arg(r.at(1).toInt())
                    .arg(r.at(2).toInt())
                    .arg(r.at(3).toInt())
                    .arg(layout.value("z").toInt());
            }
            return QString();
        }
        return QStringLiteral("no mix");
    }
private slots:
    void droppedCoHostIsDrawnOnThePreviewAndMixed()
    {
        QVERIFY(setCoHostRoom(m_sim, kRoom, "sv1001"));
        {
            LoopbackStage stage(&m_login, kRoom, kId);
            TrtcManager& manager = stage.manager();
            SceneCenterWidget& strip = stage.strip();
            SceneRemoteWidget* tile = stage.tile();
            QVERIFY(tile);

            VideoWindows overlay;
            overlay.hooks.updateMixUser = [&](int id, TrtcMixRect r, int z) {
                manager.updateMixUser(id, r, z);
            };
            overlay.hooks.removeMixUser = [&](int id) { manager.removeMixUser(id); };
            overlay.hooks.setRemoteRender = [&](int id, int rotation, int mirror) {
                manager.setRemoteRender(id, rotation, mirror);
            };
            connect(&overlay, &VideoWindows::sigReplyDragEvent, &strip, &SceneCenterWidget::onReplyDragEvent);
            connect(&strip, &SceneCenterWidget::sigCloseRemoteCamera, &overlay,
                    &VideoWindows::handleRightMenuCancelRef);
            overlay.setRoomId(kRoom);
            overlay.resize(960, 540);
            overlay.move(0, 200);
            overlay.show();
            QVERIFY(QTest::qWaitForWindowExposed(&overlay));

            QVERIFY(stage.enterPublished(m_room, "sv1001", kWaitMs));

            const QString userId = QString::fromStdString(tile->userId());
            QVERIFY(setRemoteUser(m_sim, kRoom, userId, true, true));
            QTRY_VERIFY_WITH_TIMEOUT(tile->videoAvailable(), kWaitMs);
            const QRgb colour = injectedColour(m_sim, kRoom, userId);
            QTRY_VERIFY_WITH_TIMEOUT(nearColour(tile->grab().toImage().pixel(150, 59), colour), kWaitMs);

            // The drop near the corner: the box sent runs off the mix, which holds it inside.
            QCursor::setPos(overlay.mapToGlobal(QPoint(900, 500)));
            overlay.handleDropEvent(QString::number(kId));
            RemoteVideoWidget* video = overlay.remoteVideo(kId);
            QVERIFY(video);
            QVERIFY(!tile->showInThis());
            QTRY_COMPARE_WITH_TIMEOUT(mixBox(userId), QString("1440,800,1920,1080 z8"), kWaitMs);
            QTRY_VERIFY_WITH_TIMEOUT(nearColour(video->grab().toImage().pixel(105, 59), colour), kWaitMs);
            QVERIFY(!nearColour(tile->grab().toImage().pixel(150, 59), colour));

            // A fresh video's first layer step starts from 0: down sends 0, the mix raises it to 1.
            overlay.moveLayerDown(kId);
            QTRY_COMPARE_WITH_TIMEOUT(mixBox(userId), QString("1440,800,1920,1080 z1"), kWaitMs);

            // Dragged to the top-left corner and let go there.
            QWidget* view = video->videoView();
            testsupport::sendMouse(view, QEvent::MouseButtonPress, QPoint(10, 10), Qt::LeftButton, Qt::LeftButton);
            testsupport::sendMouse(view, QEvent::MouseMove, QPoint(-1000, -1000), Qt::NoButton, Qt::LeftButton);
            testsupport::sendMouse(view, QEvent::MouseButtonRelease, QPoint(-1000, -1000), Qt::LeftButton, Qt::NoButton);
            QCOMPARE(video->pos(), QPoint(0, 0));
            QTRY_COMPARE_WITH_TIMEOUT(mixBox(userId), QString("0,0,480,280 z1"), kWaitMs);

            // Taken off through the tile's camera switch: the frames go back to the tile, the box
            // leaves the mix.
            tile->handleItemCameraClicked(false);
            QVERIFY(!overlay.remoteVideo(kId));
            QTRY_COMPARE_WITH_TIMEOUT(mixBox(userId), QString(), kWaitMs);
            tile->handleItemCameraClicked(true);
            QTRY_VERIFY_WITH_TIMEOUT(nearColour(tile->grab().toImage().pixel(150, 59), colour), kWaitMs);
        }
    }
};

QTEST_MAIN(tst_VideoWindowsLoopback)
#include "tst_VideoWindowsLoopback.moc"
