// Set-up after login: the engine, the child windows of the tools, the host's avatar and name,
// and the background work of the signed-in host.
#include "shell/LiveMainWindow.h"

#include "canvas/AppPopupWindow.h"
#include "canvas/DesktopShareDialog.h"
#include "canvas/FloatingWindow.h"
#include "canvas/HideWindow.h"
#include "canvas/ShowCarmeraWidget.h"
#include "chat/EmoteCacheJob.h"
#include "chat/ImSDKManager.h"
#include "cohost/SceneWidget.h"
#include "cohost/TrtcManager.h"
#include "core/AvatarReply.h"
#include "core/DataCenter.h"
#include "core/ImageUtils.h"
#include "core/PictureDecoder.h"
#include "core/NetUtils.h"
#include "core/Toast.h"
#include "core/UntrustedText.h"
#include "documents/DocumentShareWidget.h"
#include "engine/LiveCore.h"
#include "scenes/AddSceneDialog.h"
#include "shell/LivePauseOrStopWidget.h"
#include "shell/MyButton.h"
#include "widgets/PopTipDlg.h"
#include "ui_LiveMainWindow.h"

#include <QDebug>
#include <QHBoxLayout>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QTimer>
#include <QThread>
#include <QVBoxLayout>

namespace
{
// The store needs the user before anything reads or writes per-user data (the saved document
// list is keyed by the user id).
void storeUser(const LoginInfo& info)
{
    auto store = CDataCenter::getInstance();
    store->userName = info.name;
    store->uidText = QString::number(info.uid);
    store->createUserDocDir();
}
} // namespace

void LiveMainWindow::initLiveMainWindowParams(LoginInfo* loginInfo)
{
    if (!loginInfo)
        return;
    m_loginInfo = loginInfo;
    storeUser(*m_loginInfo);

    initLiveCore();
    LiveCore::get_instance()->core_create_image_source("image_source", 0);

    m_hideWindow = new HideWindow(this);
    m_floatingWindow = new FloatingWindow(this, m_hideWindow);
    m_appPopupWindow = new AppPopupWindow(this);

    m_addSceneDialog = new AddSceneDialog(nullptr);
    connect(m_addSceneDialog, &AddSceneDialog::save_clicked, this, &LiveMainWindow::save_btn_clicked);
    connect(m_addSceneDialog, &AddSceneDialog::save_and_use_clicked, this,
            &LiveMainWindow::save_and_use_btn_clicked);
    connect(m_addSceneDialog, &AddSceneDialog::send_AddBackGroundSig, this,
            &LiveMainWindow::on_SetAddSceneBackground, Qt::UniqueConnection);

    m_avatarManager = new QNetworkAccessManager(this);
    connect(m_avatarManager, &QNetworkAccessManager::finished, this,
            [this](QNetworkReply* reply) { handleAvatarReply(reply); });

    if (!m_documentShareWidget) {
        m_documentShareWidget = new DocumentShareWidget(nullptr);
        m_documentShareWidget->loadSavedDocuments();
        m_documentShareWidget->hide();
        connect(m_documentShareWidget, &DocumentShareWidget::sendUseSig, this,
                &LiveMainWindow::recvUsePicslot);
        connect(m_documentShareWidget, &DocumentShareWidget::sendDelClearSig, this,
                &LiveMainWindow::onDocumentTileDeleted);
    }

    const struct {
        MyButton* button;
        LiveType type;
    } tools[] = {{m_documentBtn, mainwin::LiveTypeDocument},
                 {m_whiteBoardBtn, mainwin::LiveTypeWhiteBoard},
                 {m_desktopShareBtn, mainwin::LiveTypeDesktopShare},
                 {m_sceneLayoutBtn, mainwin::LiveTypeSceneLayout}};
    for (const auto& tool : tools) {
        const LiveType type = tool.type;
        connect(
            tool.button, &MyButton::clickframe, tool.button, [this, type](int) { selectLivetype(type); },
            Qt::DirectConnection);
    }
    connect(m_connMicBtn, &MyButton::clickframe, this, &LiveMainWindow::showConnMicInviteDialogSlot);

    m_toolPanelLayout = new QHBoxLayout(ui->control_frame);
    m_toolPanelLayout->setContentsMargins(5, 5, 5, 5);
    m_toolPanelLayout->setSpacing(0);
    m_placeholderLayout = new QVBoxLayout(ui->preview_widget);
    m_placeholderLayout->setContentsMargins(0, 0, 0, 0);
    m_placeholderLayout->setSpacing(16);

    m_liveType = mainwin::LiveTypeDocument;
    selectLivetype(mainwin::LiveTypeDocument);

    m_desktopShareDialog = new DesktopShareDialog(nullptr);
    connect(m_desktopShareDialog, &DesktopShareDialog::desktop_share_click, this,
            &LiveMainWindow::desktop_share_clicked);
    connect(m_desktopShareDialog, &DesktopShareDialog::desktop_cancel_click, this,
            &LiveMainWindow::desktop_cancel_clicked);
    connect(m_floatingWindow, &FloatingWindow::exit_desktop_share, this,
            &LiveMainWindow::exit_desktop_share_clicked);
    connect(m_appPopupWindow, &AppPopupWindow::exit_window_share, this,
            &LiveMainWindow::exit_window_share_clicked);

    m_popTipDlg = new PopTipDlg(nullptr);
    m_popTipDlg->hide();
    m_broadcastTipDlg = new PopTipDlg(nullptr);
    m_broadcastTipDlg->hide();
    m_broadcastTipTimer = new QTimer(m_broadcastTipDlg);
    m_broadcastTipTimer->setSingleShot(true);
    m_broadcastTipTimer->setInterval(mainwin::kBroadcastHintMs);
    connect(m_broadcastTipTimer, &QTimer::timeout, m_broadcastTipDlg, &QWidget::hide);

    if (!m_showCarmeraWidget) {
        m_showCarmeraWidget = new ShowCarmeraWidget(ui->preview_widget);
        connect(m_showCarmeraWidget, &ShowCarmeraWidget::sendCancleCamera, this,
                &LiveMainWindow::CancelCarmera);
        m_showCarmeraWidget->setFixedSize(280, 158);
        m_showCarmeraWidget->hide();
        m_showCarmeraWidget->installEventFilter(this);
    }

    if (!m_pauseOrStopWidget) {
        m_pauseOrStopWidget = new LivePauseOrStopWidget(this);
        m_pauseOrStopWidget->hide();
        connect(
            m_pauseOrStopWidget, &LivePauseOrStopWidget::sendPause, m_pauseOrStopWidget,
            [this] { onPauseRequested(); }, Qt::DirectConnection);
        connect(
            m_pauseOrStopWidget, &LivePauseOrStopWidget::sendStop, m_pauseOrStopWidget,
            [this] { onStopRequested(); }, Qt::DirectConnection);
    }
}

void LiveMainWindow::initFromLogin()
{
    if (!m_loginInfo)
        return;
    TrtcManager::getInstance()->setUserInfo(m_loginInfo);
    ImSDKManager::getInstance()->setLoginInfo(m_loginInfo);
    m_sceneWidget->setAnchorPhoto(m_loginInfo);

    // Only a web address is asked for: the manager would also open a local file named by the
    // login reply (a FIFO there would block the GUI thread for good).
    if (ImageUtils::isRemoteAddress(m_loginInfo->photo)) {
        QNetworkRequest request{QUrl(m_loginInfo->photo)};
        request.setTransferTimeout(solvek::kAvatarTimeoutMs);
        solvek::limitReplySize(m_avatarManager->get(request), solvek::kMaxAvatarReplyBytes);
    }

    storeUser(*m_loginInfo);

    const QString name = m_loginInfo->name;
    QLabel* nameLabel = ui->usernamelbl;
    nameLabel->setStyleSheet(
        "QLabel{padding-top:5px;font-family:Microsoft YaHei;font-size:12px;color:#FFFFFF;"
        "background-color:transparent;}");
    nameLabel->ensurePolished();
    const QFontMetrics metrics(nameLabel->font());
    const QSize labelSize = mainwin::nameLabelSize(metrics.horizontalAdvance(name));
    if (labelSize.isValid())
        nameLabel->setFixedSize(labelSize);
    nameLabel->setText(metrics.elidedText(name, Qt::ElideRight, mainwin::kNameElideWidth));
    nameLabel->setToolTip(solvek::plainToolTip(name));
    nameLabel->setAlignment(Qt::AlignLeft);

    Toast::getInstance(ui->centralwidget);

    m_emoteJob = std::make_unique<EmoteCacheJob>(); // cacheEmotePictures on a thread of its own
    m_emoteJob->start();

    connect(&m_netInfoThread, &NetInfoThread::sendCurrentNetInfo, this, &LiveMainWindow::update_network_rate);
    m_netInfoThread.start();

    initChatTabBar();
    initTipPage();
    initChatPage();
    initOnlineUserPage();
    ui->listPageWidget->setCurrentIndex(0);

    auto trtc = TrtcManager::getInstance();
    connect(trtc.get(), &TrtcManager::sigUserVideoAvailable, this,
            &LiveMainWindow::handleRemoteVideoAvailable);
    connect(trtc.get(), &TrtcManager::sigUserAudioAvailable, this,
            &LiveMainWindow::handleRemoteAudioAvailable);

    initRightMenu();
}

void LiveMainWindow::handleAvatarReply(QNetworkReply* reply)
{
    reply->deleteLater();
    if (reply->error() != QNetworkReply::NoError) {
        qDebug() << "Network error:" << reply->errorString();
        return;
    }
    if (!solvek::isAvatarContentType(reply->header(QNetworkRequest::ContentTypeHeader)))
        return;
    // Decoded off the window's thread, no larger than the 100 x 100 file it is kept in.
    PictureDecoder::decodeLater(reply->readAll(), QSize(100, 100), this,
                                [this](const QImage& image) { showAvatar(image); });
}

void LiveMainWindow::showAvatar(const QImage& image)
{
    m_avatarPixmap = QPixmap::fromImage(image);
    auto store = CDataCenter::getInstance();
    const QString file = store->userDocDir + "/" + "temp" + ".jpeg";
    // Only a picture that was really written may become the avatar: a stale or missing file
    // must not be announced to the store or the title bar. Written aside and renamed, so a
    // failed write never leaves half a picture under the name.
    QSaveFile out(file);
    const bool saved =
        !m_avatarPixmap.isNull() && out.open(QIODevice::WriteOnly) &&
        m_avatarPixmap.scaled(100, 100, Qt::IgnoreAspectRatio, Qt::FastTransformation).save(&out, "JPEG") &&
        out.commit();
    if (saved) {
        qDebug() << "path = " << file;
        store->avatarFile = file;
        ui->user_photo->setFixedSize(30, 30);
        ui->user_photo->setStyleSheet(
            QString("QLabel{border-image:url(%1) 0 0 0 0 stretch stretch;border-radius:15px;}").arg(file));
    }
    if (LiveCore::get_instance()->core_get_camera_count() > 0)
        showAvatarCamera();
}

void LiveMainWindow::showAvatarCamera()
{
    auto* core = LiveCore::get_instance();
    const WId cameraView = m_sceneWidget->cameraViewWinId();
    if (!core->scene_has_source("camera source"))
        core->scene_add_source(nullptr, nullptr, "camera source", true);
    QThread::sleep(static_cast<unsigned long>(s_cameraSettleSeconds));
    auto store = CDataCenter::getInstance();
    core->core_update_preview_scale(store->screenWidth, store->screenHeight);
    core->scene_set_source_size("camera source", store->screenWidth, store->screenHeight, true, false);
    core->core_create_display("camera source", static_cast<uintptr_t>(cameraView));
}

void LiveMainWindow::update_network_rate(int bitrate)
{
    const int rate = mainwin::shownRate(m_liveState, bitrate);
    ui->network_label->setStyleSheet(mainwin::rateIconStyle(rate));
    ui->rate_label->setText(mainwin::rateText(rate));
}
