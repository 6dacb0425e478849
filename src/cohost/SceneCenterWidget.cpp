#include "cohost/SceneCenterWidget.h"

#include "cohost/ItemConnectMicWidget.h"
#include "cohost/SceneRemoteWidget.h"
#include "cohost/TrtcManager.h"

#include <QDebug>
#include <QHBoxLayout>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace
{
const char kScrollBarStyle[] =
    "QScrollBar:horizontal { height: 10px; background: #0C0D1B; margin: 0px; border: none; }"
    "QScrollBar::handle:horizontal { background: #2C2F42; min-width: 20px; }"
    "QScrollBar::add-line:horizontal, QScrollBar::sub-line:horizontal { width: 0px; border: none; "
    "background: none; }"
    "QScrollBar::add-page:horizontal, QScrollBar::sub-page:horizontal { background: none; }";
} // namespace

SceneCenterWidget::SceneCenterWidget(QWidget* parent) : QWidget(parent)
{
    setObjectName("SceneCenterWidget");
    setWindowTitle("SceneCenterWidget");
    resize(400, 300);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_scrollArea = new QScrollArea(this);
    m_scrollArea->setWidgetResizable(true);
    m_scrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_scrollArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scrollArea->horizontalScrollBar()->setStyleSheet(kScrollBarStyle);
    layout->addWidget(m_scrollArea);

    m_stripWidget = new QWidget(m_scrollArea);
    m_stripWidget->setObjectName("scene_strip");
    m_stripLayout = new QHBoxLayout(m_stripWidget);
    m_stripLayout->setContentsMargins(0, 0, 0, 0);
    m_sceneWidget = new SceneWidget(m_stripWidget);
    m_stripLayout->addStretch();
    // The host tile holds only its width: it takes the strip's height, which alignment would cut to its size
    // hint.
    m_stripLayout->addWidget(m_sceneWidget);
    m_stripLayout->addStretch();
    m_scrollArea->setWidget(m_stripWidget);

    m_refreshTimer.setSingleShot(true);
    connect(&m_refreshTimer, &QTimer::timeout, this, &SceneCenterWidget::updateRemoteWidgets);
}

SceneCenterWidget::~SceneCenterWidget() = default;

void SceneCenterWidget::setRoomId(int roomId)
{
    // Reports name users of one room.
    if (roomId != m_roomId)
        m_reports.clear();
    m_roomId = roomId;
}

bool SceneCenterWidget::addRemoteUser(TrtcMicUserInfo* user)
{
    if (!user || m_count >= kMaxRemoteTiles)
        return false;
    const int id = int(user->wechat_user_space_id);
    if (m_remoteWidgets.contains(id))
        return true;

    // The trailing stretch goes and comes back after the new tile.
    delete m_stripLayout->takeAt(m_count + 2);
    auto* tile = new SceneRemoteWidget(user, m_roomId, m_stripWidget);
    tile->show();
    m_stripLayout->addWidget(tile, 0, Qt::AlignCenter);
    m_stripLayout->addStretch();
    ++m_count;
    m_remoteWidgets.insert(id, tile);

    wireToRow(tile, id);
    connect(tile, &SceneRemoteWidget::closeRemoteCamera, this, &SceneCenterWidget::sigCloseRemoteCamera);
    applyReport(tile, id);

    m_refreshTimer.start(kRefreshMs);
    return true;
}

void SceneCenterWidget::wireToRow(SceneRemoteWidget* tile, int id)
{
    ItemConnectMicWidget* row = m_micItemMap ? m_micItemMap->value(id) : nullptr;
    if (!row)
        return;
    // Receivers are the row and the tile themselves: whichever goes first takes its connections.
    connect(row, &ItemConnectMicWidget::sigCameraBtnClicked, tile,
            &SceneRemoteWidget::handleItemCameraClicked);
    connect(row, &ItemConnectMicWidget::sigMicBtnClicked, tile, &SceneRemoteWidget::handleItemMicClicked);
    connect(tile, &SceneRemoteWidget::sigCameraBtnClicked, row, &ItemConnectMicWidget::onTileCameraClicked);
    connect(tile, &SceneRemoteWidget::sigMicBtnClicked, row, &ItemConnectMicWidget::onTileMicClicked);
}

void SceneCenterWidget::applyReport(SceneRemoteWidget* tile, int id)
{
    auto it = m_reports.find(id);
    if (it == m_reports.end())
        return;
    if (it->videoKnown && it->video)
        tile->setVideoAvailable(true);
    if (it->audioKnown)
        tile->setAudioAvailable(it->audio);
    if (it->mutedByUs) {
        it->mutedByUs = false;
        getTRTCShareInstance()->muteRemoteAudio(trtcUserId(TrtcUserKind::CoHost, id, quint32(m_roomId)),
                                                false);
    }
}

bool SceneCenterWidget::removeRemoteUser(int id)
{
    SceneRemoteWidget* tile = m_remoteWidgets.take(id);
    if (!tile)
        return false;
    m_stripLayout->removeWidget(tile);
    tile->dispose();
    --m_count;
    m_refreshTimer.start(kRefreshMs);
    return true;
}

void SceneCenterWidget::clearRemoteUsers()
{
    for (SceneRemoteWidget* tile : qAsConst(m_remoteWidgets)) {
        m_stripLayout->removeWidget(tile);
        tile->dispose();
    }
    m_remoteWidgets.clear();
    m_count = 0;
}

void SceneCenterWidget::handleRemoteVideoAvailable(int id, bool available)
{
    Report& report = m_reports[id];
    report.videoKnown = true;
    report.video = available;
    if (SceneRemoteWidget* tile = m_remoteWidgets.value(id)) {
        tile->setVideoAvailable(available);
        return;
    }
    qDebug() << "can't find handleRemoteVideoAvailable " << id;
}

void SceneCenterWidget::handleRemoteAudioAvailable(int id, bool available)
{
    Report& report = m_reports[id];
    report.audioKnown = true;
    report.audio = available;
    if (SceneRemoteWidget* tile = m_remoteWidgets.value(id)) {
        tile->setAudioAvailable(available);
        return;
    }
    qDebug() << "can't find handleRemoteAudioAvailable " << id;
    // Nobody without a tile is heard, whatever the report says.
    getTRTCShareInstance()->muteRemoteAudio(trtcUserId(TrtcUserKind::CoHost, id, quint32(m_roomId)), true);
    report.mutedByUs = true;
}

void SceneCenterWidget::onReplyDragEvent(int id)
{
    if (id == 0) {
        m_sceneWidget->setInUseState();
        return;
    }
    if (SceneRemoteWidget* tile = m_remoteWidgets.value(id))
        tile->setInUseState();
}

void SceneCenterWidget::cancelRef(int id)
{
    if (SceneRemoteWidget* tile = m_remoteWidgets.value(id))
        tile->handleCancelRef();
}

void SceneCenterWidget::updateRemoteWidgets()
{
    for (SceneRemoteWidget* tile : qAsConst(m_remoteWidgets)) {
        tile->updateToolWidgetPos();
        tile->update();
    }
}
