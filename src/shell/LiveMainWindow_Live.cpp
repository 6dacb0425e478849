// Live control: engine start-up after login, the room choice, and the live and select buttons.
// The transitions live in LiveControl; this file draws them and sets up the chosen room.
#include "shell/LiveMainWindow.h"

#include "canvas/DesktopShareDialog.h"
#include "chat/ChatWebSocketClient.h"
#include "chat/RoomMessageRouter.h"
#include "chat/UploadThread.h"
#include "cohost/SceneCenterWidget.h"
#include "cohost/SceneWidget.h"
#include "cohost/TrtcManager.h"
#include "cohost/VideoWindows.h"
#include "core/DataCenter.h"
#include "core/Toast.h"
#include "core/UntrustedText.h"
#include "engine/EngineStartup.h"
#include "engine/LiveCore.h"
#include "shell/ChatSideState.h"
#include "shell/LiveControl.h"
#include "shell/LiveModeDialog.h"
#include "shell/LivePauseOrStopWidget.h"
#include "shell/MyButton.h"
#include "shell/ShareLiveDialog.h"
#include "widgets/CustomWidget.h"
#include "ui_LiveMainWindow.h"

#include <QFontMetrics>
#include <QLabel>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <string>

namespace
{
const char* kPlayLook = "QPushButton{border-image:url(:/images/live/play.png);background-repeat:no-repeat;"
                        "background-position:center center;color:#FFFFFF;text-align:center;font-size:16px;"
                        "font-weight:bold;}";
const char* kStopLook = "QPushButton{border-image:url(:/images/live/stop.png);background-repeat:no-repeat;"
                        "background-position:center center;color:rgb(255,255,255);text-align:center;"
                        "font-size:16px;font-weight:bold;}";
const char* kButtonLabelStyle =
    "background-color:transparent;color: #FFFFFF;font-size: 16px;font-weight:bold;border:none;";

// listPageWidget: 0 tip page, 1 chat, 2 co-host, 3 online users.
constexpr int kTipPage = 0;
constexpr int kChatPage = 1;

QLabel* makeButtonLabel(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setStyleSheet(kButtonLabelStyle);
    label->setAlignment(Qt::AlignCenter);
    return label;
}
} // namespace

void LiveMainWindow::initLiveCore()
{
    auto store = CDataCenter::getInstance();
    m_canvasWidth = store->screenWidth;
    m_canvasHeight = store->screenHeight;
    liveControl()->setCanvasSize(m_canvasWidth, m_canvasHeight);
    runLiveCoreStartup(m_canvasWidth, m_canvasHeight);
    auto* core = LiveCore::get_instance();
    m_sceneWidget->setDeviceAvailability(core->core_get_audio_count() > 0, core->core_get_camera_count() > 0);
}

LiveControl* LiveMainWindow::liveControl()
{
    if (m_liveControl)
        return m_liveControl;
    m_liveControl = new LiveControl(this);
    m_liveControl->setCanvasSize(m_canvasWidth, m_canvasHeight);

    if (!m_roomRouter)
        m_roomRouter = new RoomMessageRouter(this);
    m_roomRouter->setLoginInfo(m_loginInfo);
    m_roomRouter->hooks.handleRTrtcLogin = [this](QJsonObject& message) { handleRTrtcLogin(message); };
    m_roomRouter->hooks.wsTokenReply = [this](const QJsonObject& reply) { onWsTokenReply(reply); };
    m_roomRouter->hooks.trtcLoginPrepared = [this](const QString& text) {
        m_liveControl->setTrtcLoginMessage(text);
    };
    m_roomRouter->hooks.showFailureStatus = [this](const QString& text) { showLiveFailureToast(text); };

    LiveControl::Hooks& hooks = m_liveControl->hooks;
    hooks.sendRoomMessage = [](const QString& text) { sendChatWsMessage(text); };
    hooks.requestTrtcLogin = [this] { getWsTokenAndTrtcLogin(); };
    hooks.enterTrtcRoom = [this](const LiveRoomInfo& room) {
        auto trtc = TrtcManager::getInstance();
        trtc->setLiveInfo(&room);
        trtc->enterRoom(quint32(room.app_id), std::to_string(m_loginInfo ? m_loginInfo->uid : 0),
                        livecontrol::kTrtcScene, livecontrol::kTrtcRoleAnchor);
    };
    hooks.exitTrtcRoom = [] { TrtcManager::getInstance()->exitRoom(); };
    hooks.isSharing = [this] { return m_desktopShareDialog && m_desktopShareDialog->isSharing(); };
    hooks.videoFrameReceiver = [this](void* userData, video_data* frame) { onObsVideoFrame(userData, frame); };
    hooks.audioFrameReceiver = [this](void* userData, uint64_t mixIndex, audio_data* data) {
        onObsAudioFrame(userData, mixIndex, data);
    };

    connect(m_liveControl, &LiveControl::stateChanged, this, &LiveMainWindow::renderLiveControls);
    connect(m_liveControl, &LiveControl::choiceTaken, this, &LiveMainWindow::showLiveRoomChoice);
    connect(m_liveControl, &LiveControl::stopped, this, &LiveMainWindow::showLiveStopped);
    connect(m_liveControl, &LiveControl::clockChanged, this, &LiveMainWindow::showLiveClock);
    connect(m_liveControl, &LiveControl::hintRequested, this, &LiveMainWindow::showBroadcastHint);
    connect(m_liveControl, &LiveControl::failureToastRequested, this, &LiveMainWindow::showLiveFailureToast);
    connect(m_liveControl, &LiveControl::pauseOrStopRequested, this, &LiveMainWindow::showPauseOrStopPopup);
    connect(m_liveControl, &LiveControl::roomDialogRequested, this, &LiveMainWindow::showLiveModeDialog);
    connect(TrtcManager::getInstance().get(), &TrtcManager::sigRoomFailed, m_liveControl,
            &LiveControl::coHostRoomFailed);
    wireCoHostSignalling();
    return m_liveControl;
}

// ---- the two buttons ---------------------------------------------------------------------------

void LiveMainWindow::on_select_live_btn_clicked()
{
    if (liveControl()->selectButtonClicked())
        showLiveModeDialog();
}

void LiveMainWindow::on_live_mode_btn_clicked()
{
    liveControl()->liveButtonClicked();
}

void LiveMainWindow::pause_live()
{
    liveControl()->pause();
}

void LiveMainWindow::stop_live()
{
    liveControl()->stop();
}

void LiveMainWindow::LiveTimeOut()
{
    liveControl()->tick();
}

void LiveMainWindow::showPauseOrStopPopup()
{
    if (!m_pauseOrStopWidget)
        return;
    m_pauseOrStopWidget->move(110, height() - 126);
    m_pauseOrStopWidget->show();
    m_pauseOrStopWidget->raise();
}

void LiveMainWindow::showLiveFailureToast(const QString& text)
{
    Toast::getInstance(ui->centralwidget)->showStatus(text, false, livecontrol::kFailureToastMs);
}

// ---- the room choice ---------------------------------------------------------------------------

void LiveMainWindow::showLiveModeDialog()
{
    if (!m_liveModeDialog) {
        m_liveModeDialog = new LiveModeDialog(nullptr, m_loginInfo);
        connect(m_liveModeDialog, &LiveModeDialog::live_mode_select, this,
                &LiveMainWindow::live_mode_selected);
    }
    const QRect g = geometry();
    m_liveModeDialog->move(g.center().x() - m_liveModeDialog->width() / 2,
                           g.center().y() - m_liveModeDialog->height() / 2);
    m_liveModeDialog->refreshRoomList();
    // The live mode counts as chosen once a choice reaches the live control: a room's choice
    // completes only with its push address, which may never come after the dialog closed.
    s_runRoomDialog(*m_liveModeDialog);
}

void LiveMainWindow::live_mode_selected()
{
    if (m_liveModeDialog)
        liveControl()->choose(*m_liveModeDialog->liveInfo());
}

void LiveMainWindow::showLiveRoomChoice()
{
    LiveControl* control = liveControl();
    const bool coHost = control->coHostMode() == 1;
    if (coHost)
        initMicPage();
    m_connMicBtn->setVisible(coHost);
    m_sceneWidget->setLiveMode(control->coHostMode());
    if (m_shareLiveDialog && m_loginInfo)
        m_shareLiveDialog->requestShare(control->roomId(), m_loginInfo->token.constData(), m_loginInfo->uid);

    if (control->roomChosen()) {
        ui->share_btn->show();
        QLabel* label = ui->room_name_label;
        const QString name = control->roomName();
        const int third = width() / 3;
        const QFontMetrics metrics(label->font());
        const int nameWidth = metrics.horizontalAdvance(name);
        label->setFixedSize(nameWidth < third ? nameWidth + 8 : third, 20);
        label->setText(metrics.elidedText(name, Qt::ElideRight, third));
        label->setToolTip(solvek::plainToolTip(name));
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->show();
        ui->select_live_btn->setText(QString::fromUtf8("已选：直播间开播"));
        m_roomRouter->setLoginInfo(m_loginInfo);
        m_roomRouter->setRoom(control->roomId(), name, control->coHostMode());
        m_roomRouter->connWss();
        changeLiveRoom();
    } else {
        ui->room_name_label->clear();
        ui->room_name_label->hide();
        ui->share_btn->hide();
        ui->select_live_btn->setText(QString::fromUtf8("已选：自定义开播"));
        m_roomRouter->setRoom(0, QString(), 0);
        m_roomRouter->closeRoomChannel();
    }
    ui->select_live_btn->setFixedSize(136, 28);
}

void LiveMainWindow::changeLiveRoom()
{
    const qint64 roomId = liveControl()->roomId();
    if (roomId != m_lastRoomId) {
        m_lastRoomId = roomId;
        if (auto* overlay = qobject_cast<VideoWindows*>(ui->preview_widget))
            overlay->setRoomId(int(qint32(roomId)));
        m_sceneCenterWidget->setRoomId(int(qint32(roomId)));
        // The chat list and its history of the new room are set up by their own parts of the
        // window; the side panel shows the chat page.
        ui->listPageWidget->setCurrentIndex(kChatPage);
    }
    refreshInviteDialog();
}

void LiveMainWindow::showLiveStopped()
{
    m_lastRoomId = -1;
    if (m_uploadThread) {
        m_uploadThread->clearWork();
        // The next picture fetches fresh credentials.
        m_uploadThread->setClient(nullptr);
    }
    ui->listPageWidget->setCurrentIndex(kTipPage);
    ui->room_name_label->clear();
    ui->room_name_label->hide();
    ui->share_btn->hide();
    // The co-host tool and tab belong to a chosen co-host room; the next choice offers them again.
    m_connMicBtn->hide();
    if (m_chatSide && m_chatSide->micTab)
        m_chatSide->micTab->hide();
}

// ---- drawing the state -------------------------------------------------------------------------

void LiveMainWindow::renderLiveControls(int stateValue)
{
    const auto state = LiveState(stateValue);
    m_liveState = state;
    QPushButton* button = ui->live_mode_btn;
    ui->live_status_label->setText(livecontrol::statusText(state));
    const bool running = state == mainwin::LiveStateLive || state == mainwin::LiveStatePaused;
    button->setStyleSheet(running ? kStopLook : kPlayLook);
    button->setText(livecontrol::buttonText(state));
    if (!running) {
        clearLiveButtonLabels();
        if (m_pauseOrStopWidget)
            m_pauseOrStopWidget->hide();
    } else if (!m_liveEndLabel) {
        if (!m_liveBtnLayout)
            m_liveBtnLayout = new QVBoxLayout(button);
        m_liveBtnLayout->setContentsMargins(0, 9, 0, 9);
        m_liveEndLabel = makeButtonLabel(livecontrol::endLabelText(state), button);
        m_liveTimeLabel = makeButtonLabel(livecontrol::clockText(0), button);
        m_liveBtnLayout->addWidget(m_liveEndLabel);
        m_liveBtnLayout->addWidget(m_liveTimeLabel);
    }
    if (m_liveEndLabel)
        m_liveEndLabel->setText(livecontrol::endLabelText(state));
    if (state == mainwin::LiveStateIdle) {
        ui->select_live_btn->setText(QString::fromUtf8("选择开播方式"));
        ui->select_live_btn->setFixedSize(108, 28);
    }
}

void LiveMainWindow::showLiveClock(const QString& text)
{
    if (m_liveBtnLayout && m_liveEndLabel && m_liveTimeLabel)
        m_liveTimeLabel->setText(text);
}

void LiveMainWindow::clearLiveButtonLabels()
{
    if (!m_liveBtnLayout)
        return;
    while (QLayoutItem* item = m_liveBtnLayout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    m_liveEndLabel = nullptr;
    m_liveTimeLabel = nullptr;
}
