#include "cohost/SceneWidget.h"

#include "cohost/SceneTile.h"
#include "cohost/SceneWidgetToolWidget.h"
#include "core/AvatarReply.h"
#include "core/DataCenter.h"
#include "core/ImageUtils.h"
#include "core/PictureDecoder.h"
#include "core/NetUtils.h"
#include "engine/EngineDisplayView.h"
#include "engine/LiveCore.h"
#include "widgets/RoundLabel.h"

#include <QApplication>
#include <QDebug>
#include <QLabel>
#include <QMouseEvent>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QVBoxLayout>

namespace
{
const char kCameraSource[] = "camera source";
const char kBadgeText[] = "画面应用中";
const int kAvatarSide = 80;
const int kAvatarRadius = 20;
int s_avatarTimeoutMs = solvek::kAvatarTimeoutMs;

} // namespace

void SceneWidget::setAvatarTimeoutMs(int ms)
{
    s_avatarTimeoutMs = ms;
}

SceneWidget::SceneWidget(QWidget* parent) : QWidget(parent)
{
    setObjectName("SceneWidget");
    setWindowTitle("Form");
    resize(209, 118);
    setFixedWidth(209);
    label = new QLabel(this);
    label->setObjectName("label");
    label->setGeometry(120, 10, 71, 21);
    QFont badgeFont("Microsoft YaHei");
    badgeFont.setWeight(QFont::Normal);
    label->setFont(badgeFont);
    photo_label = new RoundLabel(this);
    photo_label->setObjectName("photo_label");
    photo_label->setGeometry(72, 25, 79, 79);
    tool_widget = new SceneWidgetToolWidget(this);
    tool_widget->setObjectName("tool_widget");
    tool_widget->setGeometry(2, 100, 205, 16);

    setStyleSheet("background-color: #171A2C");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_cameraView = new EngineDisplayView<QLabel>(this);
    m_cameraView->setObjectName("camera_view");
    layout->addWidget(m_cameraView);

    tool_widget->hide(); // until the host is known

    label->setText(QString::fromUtf8(kBadgeText));
    label->setStyleSheet(
        "font-family: Microsoft YaHei;font-size: 12px; color: white; background-color: rgba(0, 0, "
        "0, 0.5); padding-left:2px; padding-right:2px;border-radius: 4px;");
    label->hide();
    label->move(width() - label->width() - 3, 10);

    showCameraView(true);

    connect(tool_widget, &SceneWidgetToolWidget::sigCameraBtnClick, this, &SceneWidget::handleCameraBtnClick);
    connect(tool_widget, &SceneWidgetToolWidget::sigMicBtnClick, this, &SceneWidget::handleMicBtnClick);
    connect(tool_widget, &SceneWidgetToolWidget::sigMirrorBtnClick, this, &SceneWidget::handleMirrorBtnClick);
}

SceneWidget::~SceneWidget()
{
    tool_widget->hide();
    qDebug() << "SceneWidget::~SceneWidget()";
}

void SceneWidget::showCameraView(bool show)
{
    m_cameraView->setVisible(show);
    photo_label->setVisible(!show);
}

WId SceneWidget::cameraViewWinId()
{
    return m_cameraView->winId();
}

void SceneWidget::setAnchorPhoto(LoginInfo* info)
{
    m_loginInfo = info;
    if (!info)
        return;
    tool_widget->show();
    placeToolWidget();
    tool_widget->setAnchorName(info->name);

    // The address comes from the service: only a web address is fetched, never a local file.
    // The request keeps the default TLS configuration (verified peers, the library's protocols).
    if (!ImageUtils::isRemoteAddress(info->photo))
        return;
    if (!m_avatarManager) {
        m_avatarManager = new QNetworkAccessManager(this);
        connect(m_avatarManager, &QNetworkAccessManager::finished, this, &SceneWidget::handleAvatarReply);
    }
    QNetworkRequest request{QUrl(info->photo)};
    request.setTransferTimeout(s_avatarTimeoutMs);
    solvek::limitReplySize(m_avatarManager->get(request), solvek::kMaxAvatarReplyBytes);
}

void SceneWidget::handleAvatarReply(QNetworkReply* reply)
{
    reply->deleteLater();
    if (reply->error() != QNetworkReply::NoError) {
        qDebug() << "Network error:" << reply->errorString();
        return;
    }
    if (!solvek::isAvatarContentType(reply->header(QNetworkRequest::ContentTypeHeader)))
        return;
    // Decoded off the window's thread.
    PictureDecoder::decodeLater(
        reply->readAll(), QSize(kAvatarSide, kAvatarSide), this, [this](const QImage& image) {
            const QPixmap picture = QPixmap::fromImage(image).scaled(
                kAvatarSide, kAvatarSide, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            if (picture.isNull())
                return;
            photo_label->setPixmap(ImageUtils::roundedPixmap(picture, kAvatarRadius));
            photo_label->setStyleSheet("background: transparent;");
        });
}

void SceneWidget::setDeviceAvailability(bool hasMic, bool hasCamera)
{
    if (!hasMic)
        tool_widget->setNoMic();
    if (!hasCamera) {
        tool_widget->setNoCamera();
        m_cameraPresent = 0;
        showCameraView(false);
    }
}

void SceneWidget::setCameraShown(bool shown)
{
    m_cameraShown = shown;
    showCameraView(m_cameraPresent && shown);
    if (shown)
        label->hide();
}

void SceneWidget::setInUseBadgeVisible(bool visible)
{
    label->setVisible(visible);
}

bool SceneWidget::inUseBadgeVisible() const
{
    return !label->isHidden();
}

void SceneWidget::setInUseState()
{
    m_dragEnabled = false;
    // The camera now lives on the canvas until the canvas hands it back.
    m_cameraShown = false;
    m_cameraView->hide();
    photo_label->show();
    label->show();
}

void SceneWidget::handleCameraBtnClick(bool status)
{
    LiveCore::get_instance()->source_set_camera_enabled(kCameraSource, !status);
    showCameraView(m_cameraPresent && m_cameraShown && !status);
    // Only a camera on the canvas that cannot be dragged back is "in use".
    label->setVisible(!(m_dragEnabled || m_cameraShown));
    emit sigCameraStatusChange(!status);
}

void SceneWidget::handleMicBtnClick(bool status)
{
    LiveCore* core = LiveCore::get_instance();
    if (m_liveMode != CohostMode) {
        core->core_set_mic_source(!status);
        return;
    }
    // In the room the host is muted towards the room; the source is only switched back on, so an
    // unmute always has something to send.
    emit sigSetLocalAudio(status);
    if (!status)
        core->core_set_mic_source(true);
    emit sigMicStatusChange(!status);
}

void SceneWidget::handleMirrorBtnClick(bool)
{
    if (LiveCore::get_instance()->core_get_camera_count() == 0)
        return;
    m_mirror = !m_mirror;
    CDataCenter::getInstance()->cameraMirror = m_mirror;
    emit sendMirrorStatus();
}

void SceneWidget::handleItemCameraClicked(bool on)
{
    tool_widget->switchCameraState();
    showCameraView(m_cameraPresent && m_cameraShown && on);
    LiveCore::get_instance()->source_set_camera_enabled(kCameraSource, on);
}

void SceneWidget::handleItemMicClicked(bool on)
{
    tool_widget->switchMicState();
    emit sigSetLocalAudio(!on);
}

void SceneWidget::placeToolWidget()
{
    scenetile::placeToolBar(this, tool_widget);
}

void SceneWidget::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_dragStart = event->pos();
    QWidget::mousePressEvent(event);
}

void SceneWidget::mouseMoveEvent(QMouseEvent* event)
{
    if ((event->buttons() & Qt::LeftButton) && m_dragEnabled &&
        (event->pos() - m_dragStart).manhattanLength() > QApplication::startDragDistance()) {
        // "0" is the host in the drag protocol, never the host's own id.
        scenetile::startTileDrag(this, QStringLiteral("0"));
        return;
    }
    QWidget::mouseMoveEvent(event);
}

void SceneWidget::paintEvent(QPaintEvent*)
{
    scenetile::paintTileFrame(this);
}

void SceneWidget::moveEvent(QMoveEvent* event)
{
    placeToolWidget();
    QWidget::moveEvent(event);
}
