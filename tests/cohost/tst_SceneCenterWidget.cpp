// test-label: unit
// The scene centre's co-host tiles against the recording cloud: the strip's order and its bound,
// the real-time calls of each way to show a video, the wiring with the co-host rows, the drag and
// the preview's answer, reports that come before the tile, the avatar fallback, the tool bar
// window under the tile, and a tile removed while its own drag runs.
#include "support/FakeTrtcCloud.h"

#include "cohost/ItemConnectMicWidget.h"
#include "cohost/SceneCenterWidget.h"
#include "cohost/SceneRemoteToolWidget.h"
#include "cohost/SceneRemoteWidget.h"
#include "cohost/SceneTile.h"
#include "cohost/TrtcManager.h"
#include "core/DataCenter.h"
#include "core/ImageUtils.h"
#include "core/UntrustedText.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace
{
constexpr int kRoom = 1001;

bool hasIcon(QPushButton* b, const QString& path)
{
    return b->icon().pixmap(16, 16).toImage() == QIcon(path).pixmap(16, 16).toImage();
}

QPushButton* toolButton(SceneRemoteWidget* tile, const char* name)
{
    return tile->toolWidget()->findChild<QPushButton*>(name);
}

// Which of the two the tile shows: "video" or "avatar"; and whether the badge is up.
QString shown(SceneRemoteWidget* tile)
{
    const bool video = !tile->videoView()->isHidden();
    const bool avatar = !tile->findChild<QLabel*>("photo_label")->isHidden();
    return video == avatar ? QString("both or none") : video ? QString("video") : QString("avatar");
}
bool badge(SceneRemoteWidget* tile)
{
    return !tile->findChild<QLabel*>("label")->isHidden();
}

QString uid(int id)
{
    return QString::fromStdString(trtcUserId(TrtcUserKind::CoHost, id, kRoom));
}

// The tiles of the strip between its two stretches, as ids (0 the host tile).
QList<int> stripOrder(SceneCenterWidget& strip)
{
    QHBoxLayout* layout = strip.stripLayout();
    QList<int> ids;
    if (!layout->itemAt(0)->spacerItem() || !layout->itemAt(layout->count() - 1)->spacerItem())
        return {-1};
    for (int i = 1; i < layout->count() - 1; ++i) {
        QWidget* w = layout->itemAt(i)->widget();
        if (w == strip.sceneWidget())
            ids << 0;
        else if (auto* tile = qobject_cast<SceneRemoteWidget*>(w))
            ids << int(tile->spaceId());
        else
            ids << -2;
    }
    return ids;
}

QStringList viewCalls(const FakeTrtcCloud& cloud)
{
    QStringList out;
    for (const QString& c : cloud.calls())
        if (c.contains("RemoteView") || c.startsWith("muteRemoteAudio"))
            out << c.left(c.indexOf(',')) + (c.startsWith("muteRemoteAudio") ? c.mid(c.indexOf(',')) : ")");
    return out;
}

void pressAndMove(QWidget* tile, QPoint to)
{
    QTest::mousePress(tile, Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
    QMouseEvent move(QEvent::MouseMove, to, tile->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(tile, &move);
}
} // namespace

class tst_SceneCenterWidget : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QHash<int, ItemConnectMicWidget*> m_rows;
    scenetile::TileDragStarter m_defaultStarter;

    // A connected co-host row in the map, as the main window keeps it; the strip borrows its record.
    ItemConnectMicWidget* addRow(int id, const QString& name = QStringLiteral("Bob"))
    {
        auto* row = new ItemConnectMicWidget(new TrtcMicUserInfo(id, name, QString(), QString()), false, true);
        m_rows.insert(id, row);
        return row;
    }
    std::unique_ptr<SceneCenterWidget> strip()
    {
        auto s = std::make_unique<SceneCenterWidget>();
        s->setMicItemMap(&m_rows);
        s->setRoomId(kRoom);
        s->resize(1200, 140);
        s->show();
        return s;
    }
    bool add(SceneCenterWidget& s, int id)
    {
        if (!m_rows.contains(id))
            addRow(id);
        return s.addRemoteUser(m_rows.value(id)->userInfo());
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        CDataCenter::getInstance()->userDocRoot = m_dir.path();
        m_defaultStarter = scenetile::tileDragStarter();
    }
    void cleanup()
    {
        qDeleteAll(m_rows);
        m_rows.clear();
        scenetile::tileDragStarter() = m_defaultStarter;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void stripHoldsSixteenInOrder()
    {
        FakeTrtcCloud cloud;
        auto s = strip();
        QCOMPARE(s->scrollArea()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QCOMPARE(s->scrollArea()->horizontalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
        QCOMPARE(stripOrder(*s), QList<int>{0});
        QList<int> expected{0};
        for (int id = 1; id <= 16; ++id) {
            QVERIFY(add(*s, id));
            expected << id;
        }
        QVERIFY(s->refreshTimer()->isActive());
        QCOMPARE(s->refreshTimer()->interval(), 500);
        QVERIFY(!add(*s, 17));
        QCOMPARE(s->remoteCount(), 16);
        QCOMPARE(stripOrder(*s), expected);
        QVERIFY(!s->remoteWidget(17));

        QVERIFY(!s->removeRemoteUser(99));
        QVERIFY(s->removeRemoteUser(5));
        expected.removeOne(5);
        // A duplicate changes nothing, and the row still reaches its tile once.
        SceneRemoteWidget* tile = s->remoteWidget(3);
        QVERIFY(add(*s, 3));
        QCOMPARE(s->remoteCount(), 15);
        QCOMPARE(stripOrder(*s), expected);
        QSignalSpy toRow(tile, &SceneRemoteWidget::sigCameraBtnClicked);
        QSignalSpy closed(s.get(), &SceneCenterWidget::sigCloseRemoteCamera);
        m_rows.value(3)->cameraButton()->click(); // a co-host row starts dark: on
        m_rows.value(3)->cameraButton()->click(); // off: the tile lets the preview go, once
        QCOMPARE(closed.count(), 1);
        QCOMPARE(toRow.count(), 0); // no signal back to the row
        QVERIFY(add(*s, 17)); // goes last
        expected << 17;
        QCOMPARE(stripOrder(*s), expected);

        s->clearRemoteUsers();
        QCOMPARE(s->remoteCount(), 0);
        QCOMPARE(stripOrder(*s), QList<int>{0});
        QVERIFY(add(*s, 40));
        QCOMPARE(stripOrder(*s), (QList<int>{0, 40}));
    }

    void realTimeCallsOfTheThreeWays()
    {
        FakeTrtcCloud cloud;
        auto s = strip();
        QVERIFY(add(*s, 55));
        SceneRemoteWidget* tile = s->remoteWidget(55);
        QCOMPARE(cloud.calls(), QStringList{QString("setRemoteRenderParams(%1,0,0,0,2)").arg(uid(55))});
        QCOMPARE(shown(tile), QString("avatar"));
        cloud.clearCalls();

        s->handleRemoteVideoAvailable(55, true);
        s->handleRemoteVideoAvailable(55, true);
        const QString view = QString::number(quint64(tile->videoView()->winId()));
        QCOMPARE(cloud.calls(), QStringList{QString("startRemoteView(%1,0,%2)").arg(uid(55), view)});
        QCOMPARE(shown(tile), QString("video"));
        QVERIFY(hasIcon(toolButton(tile, "camera_btn"), ":/images/live/camera_open.png"));
        cloud.clearCalls();
        s->handleRemoteVideoAvailable(55, false);
        s->handleRemoteVideoAvailable(55, true);
        QCOMPARE(cloud.calls(), (QStringList{QString("stopRemoteView(%1,0)").arg(uid(55)),
                                            QString("startRemoteView(%1,0,%2)").arg(uid(55), view)}));

        // Onto the preview, then the camera off from the tool bar: back into the tile, the preview lets go.
        QSignalSpy closed(s.get(), &SceneCenterWidget::sigCloseRemoteCamera);
        s->onReplyDragEvent(55);
        QVERIFY(!tile->showInThis());
        QCOMPARE(shown(tile), QString("avatar"));
        QVERIFY(badge(tile));
        cloud.clearCalls();
        toolButton(tile, "camera_btn")->click();
        QCOMPARE(cloud.calls(), QStringList{QString("updateRemoteView(%1,0,%2)").arg(uid(55), view)});
        QCOMPARE(closed.count(), 1);
        QCOMPARE(closed.at(0).at(0).toInt(), 55);
        QVERIFY(tile->showInThis());
        QVERIFY(!tile->cameraOn());
        QCOMPARE(m_rows.value(55)->cameraOn(), false);
        QVERIFY(hasIcon(toolButton(tile, "camera_btn"), ":/images/live/camera_close.png"));

        // The same from the row: no signal back to the row.
        toolButton(tile, "camera_btn")->click(); // on again
        s->onReplyDragEvent(55);
        cloud.clearCalls();
        QSignalSpy rowCamera(m_rows.value(55), &ItemConnectMicWidget::sigCameraBtnClicked);
        QSignalSpy tileCamera(tile, &SceneRemoteWidget::sigCameraBtnClicked);
        m_rows.value(55)->cameraButton()->click(); // it was on: now off
        QCOMPARE(rowCamera.count(), 1);
        QCOMPARE(tileCamera.count(), 0);
        QCOMPARE(cloud.calls(), QStringList{QString("updateRemoteView(%1,0,%2)").arg(uid(55), view)});
        QCOMPARE(closed.count(), 2);
        QCOMPARE(shown(tile), QString("avatar"));
        QVERIFY(hasIcon(toolButton(tile, "camera_btn"), ":/images/live/camera_close.png"));

        // Cancelled from the preview's menu: back in the tile.
        s->onReplyDragEvent(55);
        cloud.clearCalls();
        s->cancelRef(55);
        s->cancelRef(56);
        QCOMPARE(cloud.calls(), QStringList{QString("updateRemoteView(%1,0,%2)").arg(uid(55), view)});
        QVERIFY(tile->showInThis());
        QCOMPARE(shown(tile), QString("video"));
        QVERIFY(!badge(tile));

        // Audio of a user without a tile is muted even when reported unavailable; with a tile, not.
        cloud.clearCalls();
        s->handleRemoteAudioAvailable(66, false);
        s->handleRemoteAudioAvailable(55, false);
        QCOMPARE(cloud.calls(), QStringList{QString("muteRemoteAudio(%1,true)").arg(uid(66))});
        QVERIFY(!tile->micOn());
        QVERIFY(hasIcon(toolButton(tile, "mic_btn"), ":/images/live/mic_close.png"));

        // A tile going stops its view (once), also when it goes with the strip.
        cloud.clearCalls();
        QVERIFY(s->removeRemoteUser(55));
        QCOMPARE(cloud.calls(), QStringList{QString("stopRemoteView(%1,0)").arg(uid(55))});
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(cloud.calls().size(), 1);
        QVERIFY(add(*s, 57));
        cloud.clearCalls();
        s.reset();
        QCOMPARE(cloud.calls(), QStringList{QString("stopRemoteView(%1,0)").arg(uid(57))});
    }

    void rowAndTileFollowEachOther()
    {
        FakeTrtcCloud cloud;
        auto s = strip();
        QVERIFY(add(*s, 55));
        SceneRemoteWidget* tile = s->remoteWidget(55);
        ItemConnectMicWidget* row = m_rows.value(55);
        s->handleRemoteAudioAvailable(55, true);
        QVERIFY(tile->micOn());

        toolButton(tile, "mic_btn")->click(); // the tile mutes the co-host
        QVERIFY(!tile->micOn());
        QVERIFY(!row->micOn());
        QCOMPARE(row->micButton()->toolTip(), QString::fromUtf8("开启麦克风"));
        QVERIFY(hasIcon(toolButton(tile, "mic_btn"), ":/images/live/mic_close.png"));
        toolButton(tile, "mic_btn")->click();
        QVERIFY(row->micOn());

        row->micButton()->click(); // the row mutes: the tile's tool bar follows
        QVERIFY(!tile->micOn());
        QVERIFY(hasIcon(toolButton(tile, "mic_btn"), ":/images/live/mic_close.png"));
        QCOMPARE(toolButton(tile, "mic_btn")->toolTip(), QString::fromUtf8("开启麦克风"));

        // A row deleted first leaves no connection behind.
        delete m_rows.take(55);
        toolButton(tile, "mic_btn")->click();
        toolButton(tile, "camera_btn")->click();
    }

    void dragOnlyOfAVideoShownHere()
    {
        FakeTrtcCloud cloud;
        auto s = strip();
        QVERIFY(add(*s, 55));
        SceneRemoteWidget* tile = s->remoteWidget(55);
        QStringList texts;
        scenetile::tileDragStarter() = [&](QWidget*, QMimeData* mime) {
            texts << mime->text();
            delete mime;
            return Qt::MoveAction;
        };
        const QPoint far(20 + QApplication::startDragDistance() + 1, 20);

        pressAndMove(tile, far); // video not available
        QVERIFY(texts.isEmpty());
        s->handleRemoteVideoAvailable(55, true);
        toolButton(tile, "camera_btn")->click(); // camera off
        pressAndMove(tile, far);
        QVERIFY(texts.isEmpty());
        toolButton(tile, "camera_btn")->click();
        s->onReplyDragEvent(55); // on the preview
        pressAndMove(tile, far);
        QVERIFY(texts.isEmpty());
        s->cancelRef(55);
        pressAndMove(tile, QPoint(21, 20)); // too short
        QVERIFY(texts.isEmpty());
        pressAndMove(tile, far);
        QCOMPARE(texts, QStringList{"55"});

        QVERIFY(!SceneRemoteWidget::mayStartDrag(true, true, false));
        QVERIFY(SceneRemoteWidget::mayStartDrag(true, true, true));

        // The preview's answer to the host tile's drop concerns the host tile only.
        s->onReplyDragEvent(0);
        QVERIFY(tile->showInThis());
        QVERIFY(!s->sceneWidget()->cameraShown());
        QVERIFY(s->sceneWidget()->inUseBadgeVisible());
        s->onReplyDragEvent(55);
        QCOMPARE(shown(tile), QString("avatar"));
        QVERIFY(badge(tile));
    }

    void tileRemovedInsideItsDrag()
    {
        FakeTrtcCloud cloud;
        auto s = strip();
        QVERIFY(add(*s, 55));
        s->handleRemoteVideoAvailable(55, true);
        QPointer<SceneRemoteWidget> tile = s->remoteWidget(55);
        scenetile::tileDragStarter() = [&](QWidget*, QMimeData* mime) {
            delete mime;
            // A room frame removes the co-host while the drag's own loop runs, which handles
            // deferred deletions.
            s->removeRemoteUser(55);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            return Qt::MoveAction;
        };
        pressAndMove(tile, QPoint(20 + QApplication::startDragDistance() + 1, 20));
        QCOMPARE(s->remoteCount(), 0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(tile.isNull());
        QCOMPARE(stripOrder(*s), QList<int>{0});
    }

    void reportsBeforeTheTileAreApplied()
    {
        FakeTrtcCloud cloud;
        auto s = strip();
        s->handleRemoteVideoAvailable(77, true);
        s->handleRemoteAudioAvailable(77, true);
        QCOMPARE(cloud.calls(), QStringList{QString("muteRemoteAudio(%1,true)").arg(uid(77))});
        cloud.clearCalls();
        QVERIFY(add(*s, 77));
        SceneRemoteWidget* tile = s->remoteWidget(77);
        QCOMPARE(viewCalls(cloud), (QStringList{QString("startRemoteView(%1)").arg(uid(77)),
                                              QString("muteRemoteAudio(%1,false)").arg(uid(77))}));
        QCOMPARE(shown(tile), QString("video"));
        QVERIFY(tile->micOn());

        // Video reported gone before the tile: the tile stays on the avatar.
        s->handleRemoteVideoAvailable(78, true);
        s->handleRemoteVideoAvailable(78, false);
        cloud.clearCalls();
        QVERIFY(add(*s, 78));
        QCOMPARE(viewCalls(cloud), QStringList{});
        QCOMPARE(shown(s->remoteWidget(78)), QString("avatar"));

        // Another room's reports are not this room's.
        s->handleRemoteVideoAvailable(79, true);
        s->setRoomId(kRoom + 1);
        cloud.clearCalls();
        QVERIFY(add(*s, 79));
        QCOMPARE(viewCalls(cloud), QStringList{});
    }

    void avatarAndToolBarWindow()
    {
        FakeTrtcCloud cloud;
        addRow(88); // a row without a photo drops the cache file: the file comes after it
        const QString file = ItemConnectMicWidget::avatarFile(88);
        QVERIFY(QDir().mkpath(QFileInfo(file).path()));
        QImage red(50, 30, QImage::Format_RGB32);
        red.fill(Qt::red);
        QVERIFY(red.save(file, "JPEG"));
        auto s = strip();
        QVERIFY(add(*s, 88));
        QVERIFY(add(*s, 89)); // no file yet
        auto avatarOf = [&](int id) {
            return s->remoteWidget(id)->findChild<QLabel*>("photo_label")->pixmap()->toImage();
        };
        auto expected = [](const QPixmap& p) {
            return ImageUtils::roundedPixmap(p.scaled(80, 80, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), 20)
                .toImage();
        };
        QCOMPARE(avatarOf(89), expected(ImageUtils::fallbackPixmap()));
        // The saved photo is decoded off the window's thread.
        QTRY_COMPARE(avatarOf(88), expected(QPixmap::fromImage(ImageUtils::loadImageFile(file))));

        SceneRemoteWidget* tile = s->remoteWidget(88);
        SceneRemoteToolWidget* bar = tile->toolWidget();
        QVERIFY(bar->isWindow());
        QVERIFY(bar->windowFlags() & Qt::Tool);
        QVERIFY(bar->windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(bar->testAttribute(Qt::WA_TranslucentBackground));
        QVERIFY(bar->isVisible());
        QCOMPARE(tile->size(), QSize(209, 118));
        QCOMPARE(bar->findChild<QLabel*>("anchor_label")->toolTip(), solvek::plainToolTip("Bob"));
        QLabel* label = tile->findChild<QLabel*>("label");
        QCOMPARE(label->pos(), QPoint(tile->width() - label->width() - 3, 10));

        s->move(37, 11);
        s->updateRemoteWidgets();
        const QPoint global = tile->mapToGlobal(QPoint(0, 0));
        QCOMPARE(bar->pos(), global + QPoint(2, 94));
        s->move(300, 200);
        s->updateRemoteWidgets();
        QCOMPARE(bar->pos(), tile->mapToGlobal(QPoint(0, 0)) + QPoint(2, 94));
    }
};

QTEST_MAIN(tst_SceneCenterWidget)
#include "tst_SceneCenterWidget.moc"
