// test-label: unit
// The co-host video overlay against the recording cloud, with the mix calls caught at its hooks:
// where a drop puts the video and its mix box, which drops count, moving a video by mouse, the
// menu operations, scaling with the overlay, and taking videos off.
#include "support/FakeTrtcCloud.h"
#include "support/MouseEvents.h"

#include "cohost/RemoteVideoWidget.h"
#include "cohost/TrtcManager.h"
#include "cohost/VideoWindows.h"

#include <QApplication>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace
{
constexpr int kRoom = 1001;
constexpr int kId = 55;

QString rectText(const TrtcMixRect& r)
{
    return QStringLiteral("%1,%2,%3,%4").arg(r.left).arg(r.top).arg(r.right).arg(r.bottom);
}

// The order of the overlay's videos from the bottom up, as ids (-1 for any other child).
QList<int> stacking(VideoWindows& overlay)
{
    QList<int> ids;
    for (QObject* child : overlay.children()) {
        if (auto* video = qobject_cast<RemoteVideoWidget*>(child))
            ids << video->spaceId();
        else if (child->isWidgetType())
            ids << -1;
    }
    return ids;
}
} // namespace

class tst_VideoWindows : public QObject
{
    Q_OBJECT

    std::unique_ptr<FakeTrtcCloud> m_cloud;
    std::unique_ptr<VideoWindows> m_overlay;
    QStringList m_mix; // the overlay's calls to the mix manager, in order

    VideoWindows& overlay() { return *m_overlay; }

    // A drop of `text` with the cursor at `pos` in the overlay.
    void dropAt(const QString& text, QPoint pos)
    {
        QCursor::setPos(overlay().mapToGlobal(pos));
        overlay().handleDropEvent(text);
    }
    RemoteVideoWidget* dropped(QPoint pos = QPoint(480, 270), int id = kId)
    {
        dropAt(QString::number(id), pos);
        m_mix.clear();
        m_cloud->clearCalls();
        return overlay().remoteVideo(id);
    }

private slots:
    void init()
    {
        m_cloud = std::make_unique<FakeTrtcCloud>();
        m_overlay = std::make_unique<VideoWindows>();
        m_mix.clear();
        overlay().hooks.updateMixUser = [this](int id, TrtcMixRect r, int z) {
            m_mix << QStringLiteral("update %1 %2 z%3").arg(id).arg(rectText(r)).arg(z);
        };
        overlay().hooks.removeMixUser = [this](int id) { m_mix << QStringLiteral("remove %1").arg(id); };
        overlay().hooks.setRemoteRender = [this](int id, int rotation, int mirror) {
            m_mix << QStringLiteral("render %1 %2 %3").arg(id).arg(rotation).arg(mirror);
        };
        overlay().setRoomId(kRoom);
        overlay().resize(960, 540);
        overlay().show();
        QVERIFY(QTest::qWaitForWindowExposed(&overlay()));
    }
    void cleanup()
    {
        m_overlay.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_cloud.reset();
    }

    void dropPlacesTheVideoAndItsMixBox_data()
    {
        QTest::addColumn<QPoint>("cursor");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("sent");
        // The box comes from the cursor, not from the widget pulled back inside the overlay.
        QTest::newRow("centre") << QPoint(480, 270) << QRect(480, 270, 210, 118) << "960,540,1440,820";
        QTest::newRow("corner") << QPoint(900, 500) << QRect(750, 422, 210, 118) << "1800,1000,2280,1280";
        QTest::newRow("origin") << QPoint(0, 0) << QRect(0, 0, 210, 118) << "0,0,480,280";
    }
    void dropPlacesTheVideoAndItsMixBox()
    {
        QFETCH(QPoint, cursor);
        QFETCH(QRect, geometry);
        QFETCH(QString, sent);
        QSignalSpy replies(&overlay(), &VideoWindows::sigReplyDragEvent);
        QSignalSpy host(&overlay(), &VideoWindows::sigDragSceneWidget);
        dropAt("55", cursor);
        RemoteVideoWidget* video = overlay().remoteVideo(kId);
        QVERIFY(video);
        QCOMPARE(video->parentWidget(), &overlay());
        QVERIFY(video->isVisible());
        QCOMPARE(video->geometry(), geometry);
        QCOMPARE(m_mix, QStringList{"update 55 " + sent + " z8"});
        QCOMPARE(replies.size(), 1);
        QCOMPARE(replies.at(0).at(0).toInt(), kId);
        QCOMPARE(host.size(), 0);
        // The co-host's remote view moves into the video's own view.
        QCOMPARE(
            m_cloud->calls(),
            QStringList{
                QStringLiteral("updateRemoteView(wechat_55_1001,0,%1)").arg(video->videoView()->winId())});
        const RemoteVideoState state = overlay().state(kId);
        QCOMPARE(QList<int>() << state.rotation << state.mirror << state.zOrder << state.x << state.y,
                 QList<int>() << 0 << 0 << 0 << geometry.x() << geometry.y());
        QCOMPARE(state.scale, -1.0f);
        QCOMPARE(overlay().referenceWidth(), 960);
    }

    void whichDropsCount()
    {
        QSignalSpy replies(&overlay(), &VideoWindows::sigReplyDragEvent);
        QSignalSpy host(&overlay(), &VideoWindows::sigDragSceneWidget);
        // The host's own tile, and any text that is no number, put the camera back.
        dropAt("0", QPoint(10, 10));
        dropAt("camera", QPoint(10, 10));
        QCOMPARE(host.size(), 2);
        QCOMPARE(replies.size(), 2);
        QCOMPARE(replies.at(1).at(0).toInt(), 0);
        QCOMPARE(overlay().videoCount(), 0);
        QVERIFY(m_mix.isEmpty());

        // A second drop of a co-host already on the preview is let go: one widget, one reply.
        dropAt("55", QPoint(10, 10));
        dropAt("55", QPoint(300, 200));
        QCOMPARE(overlay().videoCount(), 1);
        QCOMPARE(overlay().findChildren<RemoteVideoWidget*>().size(), 1);
        QCOMPARE(replies.size(), 3);
        QCOMPARE(m_mix.size(), 1);

        // Text dragged in from another program has no source here: neither entered nor dropped.
        QMimeData foreign;
        foreign.setText("66");
        QDragEnterEvent enter(QPoint(100, 100), Qt::MoveAction, &foreign, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&overlay(), &enter);
        QVERIFY(!enter.isAccepted());
        QDropEvent drop(QPointF(100, 100), Qt::MoveAction, &foreign, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&overlay(), &drop);
        QCOMPARE(overlay().videoCount(), 1);
        QCOMPARE(replies.size(), 3);
        QCOMPARE(m_mix.size(), 1);
    }

    void videoMovesInsideTheOverlay()
    {
        RemoteVideoWidget* video = dropped(QPoint(100, 100));
        QSignalSpy menu(&overlay(), &VideoWindows::sigShowRightMenu);
        QWidget* view = video->videoView();
        // Events land on the native view and reach the video through it.
        testsupport::sendMouse(view, QEvent::MouseButtonPress, QPoint(20, 10), Qt::LeftButton, Qt::LeftButton);
        testsupport::sendMouse(view, QEvent::MouseMove, QPoint(70, 40), Qt::NoButton, Qt::LeftButton);
        QCOMPARE(video->pos(), QPoint(150, 130));
        testsupport::sendMouse(view, QEvent::MouseMove, QPoint(2000, 40), Qt::NoButton, Qt::LeftButton);
        QCOMPARE(video->geometry().right() + 1, overlay().width());
        testsupport::sendMouse(view, QEvent::MouseMove, QPoint(-2000, -2000), Qt::NoButton, Qt::LeftButton);
        QCOMPARE(video->pos(), QPoint(0, 0));
        testsupport::sendMouse(view, QEvent::MouseMove, QPoint(70, 40), Qt::NoButton, Qt::LeftButton);
        QVERIFY(m_mix.isEmpty());
        const QPoint at = video->pos();
        testsupport::sendMouse(view, QEvent::MouseButtonRelease, QPoint(70, 40), Qt::LeftButton, Qt::NoButton);
        QCOMPARE(m_mix,
                 QStringList{"update 55 " + rectText(VideoWindows::mixRect(at, overlay().size())) + " z0"});

        // A right press asks for the menu and starts no move; its release sends nothing.
        m_mix.clear();
        testsupport::sendMouse(view, QEvent::MouseButtonPress, QPoint(20, 10), Qt::RightButton, Qt::RightButton);
        QCOMPARE(menu.size(), 1);
        QCOMPARE(menu.at(0).at(0).toInt(), kId);
        testsupport::sendMouse(view, QEvent::MouseMove, QPoint(90, 90), Qt::NoButton, Qt::LeftButton);
        testsupport::sendMouse(view, QEvent::MouseButtonRelease, QPoint(90, 90), Qt::RightButton, Qt::NoButton);
        QCOMPARE(video->pos(), at);
        QVERIFY(m_mix.isEmpty());
    }

    void operations_data()
    {
        QTest::addColumn<QStringList>("ops");
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<QList<int>>("state"); // rotation, mirror, z order afterwards
        const QString box = "update 55 960,540,1440,820 ";
        QTest::newRow("four clockwise")
            << QStringList{"cw", "cw", "cw", "cw"}
            << QStringList{"render 55 1 0", "render 55 2 0", "render 55 3 0", "render 55 0 0"}
            << QList<int>{0, 0, 0};
        QTest::newRow("anticlockwise from 0")
            << QStringList{"acw"} << QStringList{"render 55 3 0"} << QList<int>{3, 0, 0};
        QTest::newRow("mirror twice")
            << QStringList{"cw", "mirror", "mirror"}
            << QStringList{"render 55 1 0", "render 55 1 1", "render 55 1 0"} << QList<int>{1, 0, 0};
        // A fresh drop holds z 0 while the mix holds 8: the first step starts from 0.
        QTest::newRow("fresh up") << QStringList{"up"} << QStringList{box + "z1"} << QList<int>{0, 0, 1};
        QTest::newRow("down at 0 stays 0")
            << QStringList{"down"} << QStringList{box + "z0"} << QList<int>{0, 0, 0};
        QTest::newRow("top then down")
            << QStringList{"top", "down"} << QStringList{box + "z15", box + "z14"} << QList<int>{0, 0, 14};
        QTest::newRow("up at 15 stays 15")
            << QStringList{"top", "up"} << QStringList{box + "z15", box + "z15"} << QList<int>{0, 0, 15};
        QTest::newRow("bottom") << QStringList{"top", "bottom"} << QStringList{box + "z15", box + "z0"}
                                << QList<int>{0, 0, 0};
    }
    void operations()
    {
        QFETCH(QStringList, ops);
        QFETCH(QStringList, sent);
        QFETCH(QList<int>, state);
        dropped();
        const QHash<QString, void (VideoWindows::*)(int)> table{
            {"cw", &VideoWindows::rotateClockwise},     {"acw", &VideoWindows::rotateAnticlockwise},
            {"mirror", &VideoWindows::toggleMirror},    {"top", &VideoWindows::moveLayerTop},
            {"bottom", &VideoWindows::moveLayerBottom}, {"up", &VideoWindows::moveLayerUp},
            {"down", &VideoWindows::moveLayerDown}};
        for (const QString& op : ops) {
            (overlay().*table.value(op))(kId);
            // ... and the same for an id with no video, which changes and calls nothing.
            (overlay().*table.value(op))(77);
        }
        QCOMPARE(m_mix, sent);
        const RemoteVideoState s = overlay().state(kId);
        QCOMPARE(QList<int>() << s.rotation << s.mirror << s.zOrder, state);
        QVERIFY(!overlay().hasState(77));
    }

    void layerOperationsRestackOnlyForTopAndBottom()
    {
        auto* label = new QLabel(&overlay()); // the window's display labels live here too
        label->setGeometry(overlay().rect());
        label->show();
        dropped(QPoint(10, 10), 55);
        dropped(QPoint(400, 10), 66);
        QCOMPARE(stacking(overlay()), (QList<int>{-1, 55, 66}));
        overlay().moveLayerUp(55);
        overlay().moveLayerDown(66);
        QCOMPARE(stacking(overlay()), (QList<int>{-1, 55, 66}));
        overlay().moveLayerTop(55);
        QCOMPARE(stacking(overlay()), (QList<int>{-1, 66, 55}));
        // Bottom goes under the other videos, not under the labels where it could not be reached.
        overlay().moveLayerBottom(55);
        QCOMPARE(stacking(overlay()), (QList<int>{-1, 55, 66}));
    }

    void resizeScalesVideosButNotTheMix()
    {
        RemoteVideoWidget* video = dropped(QPoint(100, 50));
        overlay().resize(1440, 810);
        overlay().handleResize();
        QCOMPARE(overlay().scale(), 1.5f);
        QCOMPARE(video->geometry(), QRect(150, 75, 315, 177));
        QVERIFY(m_mix.isEmpty());

        video->move(600, 400);
        overlay().resetPosition(kId);
        QCOMPARE(video->geometry(), QRect(150, 75, 315, 177));
        QCOMPARE(m_mix, QStringList{"update 55 200,100,680,380 z8"});
        QCOMPARE(overlay().state(kId).zOrder, 8);

        // A drop on the enlarged overlay comes enlarged.
        RemoteVideoWidget* large = dropped(QPoint(300, 150), 66);
        QCOMPARE(large->geometry(), QRect(300, 150, 315, 177));

        // Back to the first size: both shrink, and a video dropped while enlarged goes back to
        // its drop point at the smaller scale.
        overlay().resize(960, 540);
        overlay().handleResize();
        QCOMPARE(video->geometry(), QRect(100, 50, 210, 118));
        QCOMPARE(large->geometry(), QRect(200, 100, 210, 118));
        large->move(0, 0);
        overlay().resetPosition(66);
        QCOMPARE(large->geometry(), QRect(200, 100, 210, 118));
    }

    void zeroWidthIsNeverTheReference()
    {
        VideoWindows fresh;
        fresh.resize(0, 0);
        fresh.handleResize();
        QCOMPARE(fresh.referenceWidth(), -1);

        RemoteVideoWidget* video = dropped(QPoint(100, 50));
        overlay().resize(0, 540);
        overlay().handleResize();
        QCOMPARE(overlay().referenceWidth(), 960);
        QCOMPARE(video->geometry(), QRect(100, 50, 210, 118));
        overlay().resize(960, 540);
        overlay().handleResize();
        QCOMPARE(overlay().scale(), 1.0f);
        QCOMPARE(video->geometry(), QRect(100, 50, 210, 118));
    }

    void cancelAndClear()
    {
        QPointer<RemoteVideoWidget> first = dropped(QPoint(10, 10), 55);
        QPointer<RemoteVideoWidget> second = dropped(QPoint(300, 10), 66);
        overlay().handleRightMenuCancelRef(77);
        QVERIFY(m_mix.isEmpty());
        QCOMPARE(overlay().videoCount(), 2);

        overlay().handleRightMenuCancelRef(55);
        QCOMPARE(m_mix, QStringList{"remove 55"});
        QVERIFY(!overlay().hasState(55));
        QVERIFY(!overlay().remoteVideo(55));
        QVERIFY(!first || !first->isVisible());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!first);
        overlay().updateLayout(55);
        QCOMPARE(m_mix.size(), 1);

        m_mix.clear();
        overlay().clearRemoteVideos();
        QCOMPARE(overlay().videoCount(), 0);
        QVERIFY(!overlay().hasState(66));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!second);
        QVERIFY(m_mix.isEmpty()); // the mix keeps the boxes
        QVERIFY(m_cloud->calls().isEmpty());
    }
};

QTEST_MAIN(tst_VideoWindows)
#include "tst_VideoWindows.moc"
