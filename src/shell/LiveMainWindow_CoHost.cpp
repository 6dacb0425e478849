// Co-host handling: the "连麦" page with its list and search, the room channel's co-host messages,
// the real-time room's availability reports, the host's sound towards the room, the confirmation
// before a pause or stop ends co-host links, and the invitation dialog. The rows and their
// bookkeeping live in CoHostList, the co-host link token in RoomMessageRouter, the start and the
// raw frames in LiveControl; the named slots and receivers here hand their calls on to them.
#include "shell/LiveMainWindow.h"

#include "chat/ChatWebSocketClient.h"
#include "chat/RoomMessageRouter.h"
#include "cohost/CoHostList.h"
#include "cohost/ConnectMicInviteDialog.h"
#include "cohost/ItemConnectMicWidget.h"
#include "cohost/SceneCenterWidget.h"
#include "cohost/SceneWidget.h"
#include "cohost/TrtcManager.h"
#include "cohost/VideoWindows.h"
#include "engine/LiveCore.h"
#include "shell/LiveControl.h"
#include "shell/MyButton.h"
#include "shell/SideSearchBar.h"
#include "widgets/ChatRecordOptDialog.h"
#include "widgets/ClickableLabel.h"
#include "ui_LiveMainWindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QToolButton>
#include <QVBoxLayout>

namespace
{
const char kDividerStyle[] = "background:#121326;padding:20px";
const char kInviteButtonStyle[] =
    "QToolButton{color:#FFFFFF;background:rgb(77, 79, 99);border:1px solid #4D4F63;"
    "border-radius:4px;font-family:Microsoft YaHei;font-size:12px;}";
const char kListStyle[] = "QScrollArea{background:transparent;border:none;}";
const char kHostTag[] = "main_broad";
} // namespace

// ---- set-up -------------------------------------------------------------------------------------

void LiveMainWindow::initCoHostList()
{
    m_coHostList = new CoHostList(m_sceneCenterWidget, this);
    CoHostList::Hooks& h = m_coHostList->hooks;
    h.sendRoomMessage = [](const QString& text) { sendChatWsMessage(text); };
    h.cancelPreviewVideo = [this](int id) {
        if (auto* overlay = qobject_cast<VideoWindows*>(ui->preview_widget))
            overlay->handleRightMenuCancelRef(id);
    };
    h.clearPreviewVideos = [this] {
        if (auto* overlay = qobject_cast<VideoWindows*>(ui->preview_widget))
            overlay->clearRemoteVideos();
    };
    h.removeMixBox = [](int id) { TrtcManager::getInstance()->removeMixUser(id); };
}

void LiveMainWindow::wireCoHostSignalling()
{
    RoomMessageRouter::Hooks& r = m_roomRouter->hooks;
    r.handleTrtcOnline = [this](QJsonObject& message) { handleTrtcOnline(message); };
    r.handleTrtcLogin = [this](qint64 id) { handleTrtcLogin(id); };
    r.handleTrtcRemove_1 = [this](qint64 id, bool erase) { handleTrtcRemove_1(id, erase); };
    r.handleTrtcApply = [this](qint64 id, const QString& name, const QString& photo, const QString& tag) {
        handleTrtcApply(id, name, photo, tag, true);
    };
    r.hasCoHostRow = [this](qint64 id) { return m_coHostList->hasRow(id); };
    m_liveControl->hooks.handleStopLive = [this] { handleStopLive(); };
}

// The "连麦" page, built at the first choice of a co-host room and kept.
void LiveMainWindow::initMicPage()
{
    if (m_micSearch)
        return;
    m_coHostList->setHostId(m_loginInfo ? qint64(m_loginInfo->wechat_user_space_id) : 0);
    QWidget* page = ui->mic_page;
    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->setSpacing(0);

    auto* divider = new QLabel(page);
    divider->setFixedHeight(1);
    divider->setStyleSheet(QString::fromLatin1(kDividerStyle));
    pageLayout->addWidget(divider);
    pageLayout->addSpacing(8);
    pageLayout->addSpacing(4);

    m_micSearch = new SideSearchBar(QStringLiteral("mic"), page);
    pageLayout->addWidget(m_micSearch);
    connect(m_micSearch->edit(), &QLineEdit::textChanged, this, &LiveMainWindow::handleMicListSearchFinish);
    connect(m_micSearch->button(), &ClickableLabel::clicked, this,
            [this](QVariant&, QMouseEvent*) { handleMicListSearchName(m_micSearch->edit()->text()); });

    auto* inviteRow = new QHBoxLayout;
    inviteRow->setContentsMargins(0, 8, 12, 0);
    inviteRow->addStretch();
    auto* invite = new QToolButton(page);
    invite->setObjectName(QStringLiteral("mic_invite_button"));
    invite->setText(QString::fromUtf8("邀请连麦"));
    invite->setIcon(QIcon(QStringLiteral(":/images/live/showadd.png")));
    invite->setIconSize(QSize(16, 16));
    invite->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    invite->setFixedSize(90, 26);
    invite->setStyleSheet(QString::fromLatin1(kInviteButtonStyle));
    connect(invite, &QToolButton::clicked, this, &LiveMainWindow::showConnMicInviteDialogSlot);
    inviteRow->addWidget(invite);
    pageLayout->addLayout(inviteRow);

    auto* listBlock = new QVBoxLayout;
    listBlock->setContentsMargins(0, 0, 4, 0);
    auto* scroll = new QScrollArea(page);
    scroll->setObjectName(QStringLiteral("mic_list_area"));
    scroll->setWidgetResizable(true);
    scroll->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setContentsMargins(0, 0, 0, 0);
    scroll->setStyleSheet(QString::fromLatin1(kListStyle));
    auto* content = new QWidget(scroll);
    content->setObjectName(QStringLiteral("mic_list"));
    content->setStyleSheet(QStringLiteral("background:transparent;"));
    auto* list = new QVBoxLayout(content);
    list->setContentsMargins(0, 8, 0, 0);
    list->setSpacing(10);

    auto* host =
        new TrtcMicUserInfo(m_loginInfo ? qint64(m_loginInfo->wechat_user_space_id) : 0,
                            m_loginInfo ? m_loginInfo->name : QString(),
                            m_loginInfo ? m_loginInfo->photo : QString(), QString::fromLatin1(kHostTag));
    auto* hostRow = new ItemConnectMicWidget(host, false, false, content);
    list->addWidget(hostRow);
    list->addStretch();
    scroll->setWidget(content);
    listBlock->addWidget(scroll);
    pageLayout->addLayout(listBlock);
    m_coHostList->attachList(list, hostRow);

    // The host's row and the host's camera tile drive each other.
    connect(m_sceneWidget, &SceneWidget::sigCameraStatusChange, hostRow,
            &ItemConnectMicWidget::setCameraState);
    connect(m_sceneWidget, &SceneWidget::sigMicStatusChange, hostRow, &ItemConnectMicWidget::setMicState);
    connect(m_sceneWidget, &SceneWidget::sigSetLocalAudio, this, &LiveMainWindow::handleLocalAudio);
    connect(hostRow, &ItemConnectMicWidget::sigCameraBtnClicked, m_sceneWidget,
            &SceneWidget::handleItemCameraClicked);
    connect(hostRow, &ItemConnectMicWidget::sigMicBtnClicked, m_sceneWidget,
            &SceneWidget::handleItemMicClicked);
    LiveCore* core = LiveCore::get_instance();
    if (core->core_get_camera_count() <= 0)
        hostRow->setNoCamera();
    if (core->core_get_audio_count() <= 0)
        hostRow->setNoMic();
}

// ---- search -------------------------------------------------------------------------------------

void LiveMainWindow::handleMicListSearchFinish()
{
    // The clear action follows the text in the bar itself; an emptied search shows every row.
    if (m_micSearch && m_micSearch->edit()->text().isEmpty())
        m_coHostList->showAllRows();
}

void LiveMainWindow::handleMicListSearchName(QString name)
{
    m_coHostList->searchName(name);
}

// ---- the room channel ---------------------------------------------------------------------------

// The co-host link token and the answer to the co-host login: the room channel (RoomMessageRouter)
// asks and keeps the token, the live control acts on the answer.
void LiveMainWindow::getWsTokenAndTrtcLogin()
{
    m_roomRouter->getWsTokenAndTrtcLogin();
}

void LiveMainWindow::onWsTokenReply(const QJsonObject& reply)
{
    m_roomRouter->onWsTokenReply(reply);
}

void LiveMainWindow::handleRTrtcLogin(QJsonObject& jsonObj)
{
    liveControl()->handleRTrtcLogin(jsonObj);
}

qint64 LiveMainWindow::readOnlineUserId(const QJsonValue& value)
{
    return CoHostList::readOnlineUserId(value);
}

void LiveMainWindow::handleTrtcApply(qint64 id, QString name, QString photo, QString trtcTag, bool apply)
{
    m_coHostList->handleTrtcApply(id, name, photo, trtcTag, apply);
}

void LiveMainWindow::handleTrtcLogin(qint64 id)
{
    m_coHostList->handleTrtcLogin(id);
}

void LiveMainWindow::handleTrtcOnline(QJsonObject& jsonObj)
{
    m_coHostList->handleTrtcOnline(jsonObj);
}

void LiveMainWindow::handleTrtcRemove(int id)
{
    m_coHostList->handleTrtcRemove_1(id, true);
}

void LiveMainWindow::handleTrtcRemove_1(qint64 id, bool eraseFromMap)
{
    m_coHostList->handleTrtcRemove_1(id, eraseFromMap);
}

void LiveMainWindow::handleStopLive()
{
    // The live control has already stopped the host's sound towards the room where it must.
    m_coHostList->removeAll();
}

// ---- the real-time room -------------------------------------------------------------------------

void LiveMainWindow::handleRemoteVideoAvailable(const char* userId, bool available)
{
    m_coHostList->handleRemoteVideoAvailable(userId, available);
}

void LiveMainWindow::handleRemoteAudioAvailable(const char* userId, bool available)
{
    m_coHostList->handleRemoteAudioAvailable(userId, available);
}

// Registered by the live control in a co-host room; libobs' threads call them, and the live
// control's custom frame sender takes the frame.
void LiveMainWindow::onObsAudioFrame(void* userData, uint64_t mixIndex, audio_data* data)
{
    m_liveControl->handleObsAudioData(userData, mixIndex, data);
}

void LiveMainWindow::onObsVideoFrame(void* userData, video_data* frame)
{
    m_liveControl->handleObsVideoData(userData, frame);
}

void LiveMainWindow::handleLocalAudio(bool isMute)
{
    LiveControl* control = liveControl();
    if (control->coHostMode() == 1)
        control->setHostAudioMuted(isMute);
}

// ---- pause and stop with co-hosts connected -------------------------------------------------------

namespace
{
// Asks before co-host links end; `act` runs on confirmation only.
void confirmCoHostsEnd(QObject* context, std::function<void()> act)
{
    auto* dialog = new ChatRecordOptDialog(nullptr);
    dialog->setObjectName(QStringLiteral("cohost_end_dialog"));
    dialog->setTitle(QString::fromUtf8("关闭连麦"));
    dialog->setContent(QString::fromUtf8("当前还有用户正在连线中，是否断开连麦"));
    QObject::connect(dialog, &ChatRecordOptDialog::onEnter, context, std::move(act));
    QObject::connect(context, &QObject::destroyed, dialog, &QWidget::close);
    dialog->show();
}
} // namespace

void LiveMainWindow::onPauseRequested()
{
    if (liveControl()->coHostMode() != 1 || m_coHostList->rows().isEmpty()) {
        pause_live();
        return;
    }
    confirmCoHostsEnd(this, [this] { pause_live(); });
}

void LiveMainWindow::onStopRequested()
{
    if (liveControl()->coHostMode() != 1 || m_coHostList->rows().isEmpty()) {
        stop_live();
        return;
    }
    confirmCoHostsEnd(this, [this] { stop_live(); });
}

// ---- the invitation -----------------------------------------------------------------------------

// Every choice of a co-host room hands the dialog that room's link and QR code.
void LiveMainWindow::refreshInviteDialog()
{
    LiveControl* control = liveControl();
    if (control->coHostMode() != 1)
        return;
    if (!m_connectMicInviteDialog) {
        m_connectMicInviteDialog = new ConnectMicInviteDialog(nullptr);
        connect(m_connectMicInviteDialog, &ConnectMicInviteDialog::sigConnectMicInviteDialogClose, this,
                &LiveMainWindow::handlConnMicInviteDialogClose);
    }
    m_connectMicInviteDialog->refreshLink(control->roomId(),
                                          QString::fromUtf8(control->room().push_app_stream));
}

// The invitation is the window's tool 4 while it is open; the store's "LiveType" is the stream
// quality and is left alone.
void LiveMainWindow::showConnMicInviteDialogSlot()
{
    if (!m_connectMicInviteDialog)
        return; // no co-host room chosen yet
    updateToolButtons(mainwin::LiveTypeConnMic);
    m_connectMicInviteDialog->showDialog();
    const QRect area(ui->centralwidget->mapToGlobal(QPoint(0, 0)), ui->centralwidget->size());
    m_connectMicInviteDialog->move(area.center() - m_connectMicInviteDialog->rect().center());
    m_liveType = mainwin::LiveTypeConnMic;
}

void LiveMainWindow::handlConnMicInviteDialogClose()
{
    if (m_liveType != mainwin::LiveTypeConnMic)
        return;
    m_liveType = m_lastLiveType;
    updateToolButtons(m_liveType);
}
