#include "cohost/SceneRemoteWidget.h"

#include "cohost/ItemConnectMicWidget.h"
#include "cohost/SceneRemoteToolWidget.h"
#include "cohost/SceneTile.h"
#include "cohost/TrtcManager.h"
#include "core/ImageUtils.h"
#include "core/PictureDecoder.h"
#include "core/PictureLimits.h"
#include "widgets/RoundLabel.h"

#include <QApplication>
#include <QDebug>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QVBoxLayout>

namespace
{
const char kBadgeText[] = "画面应用中";
const char kBadgeStyle[] =
    "color: white; background-color: rgba(0, 0, 0, 0.5); padding-left:2px; padding-right:2px;";
constexpr TrtcVideoStreamType kStream = TrtcVideoStreamType::Big;
} // namespace

SceneRemoteWidget::SceneRemoteWidget(TrtcMicUserInfo* user, int roomId, QWidget* parent)
    : QWidget(parent), m_spaceId(user ? user->wechat_user_space_id : 0),
      m_name(user ? user->name : QString()), m_roomId(roomId),
      m_userId(trtcUserId(TrtcUserKind::CoHost, m_spaceId, quint32(roomId)))
{
    setObjectName("SceneRemoteWidget");
    setWindowTitle("Form");
    resize(209, 118);
    setFixedSize(209, 118);
    label = new QLabel(this);
    label->setObjectName("label");
    label->setGeometry(130, 10, 71, 21);
    QFont badgeFont("Microsoft YaHei");
    badgeFont.setWeight(QFont::Normal);
    label->setFont(badgeFont);
    label->setStyleSheet("color: white; border-radius: 4px; font-size: 14px;");
    photo_label = new RoundLabel(this);
    photo_label->setObjectName("photo_label");
    photo_label->setGeometry(70, 23, 79, 79);
    photo_label->setMinimumSize(79, 79);
    tool_widget = new SceneRemoteToolWidget(this);
    tool_widget->setObjectName("tool_widget");
    tool_widget->resize(206, 16);

    m_renderParams.rotation = 0;
    m_renderParams.fillMode = TrtcVideoFillMode_Fit;
    m_renderParams.mirrorType = TrtcVideoMirrorType_Disable;

    initUi();
    m_pressed = false;
    m_showInThis = true;
    m_camera = true;
    m_mic = true;
    m_videoAvailable = false;
}

SceneRemoteWidget::~SceneRemoteWidget()
{
    release();
}

void SceneRemoteWidget::showAvatar(const QImage& image)
{
    QPixmap avatar = QPixmap::fromImage(image);
    if (avatar.isNull())
        avatar = ImageUtils::fallbackPixmap();
    avatar = avatar.scaled(kAvatarSide, kAvatarSide, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    photo_label->setPixmap(ImageUtils::roundedPixmap(avatar, kAvatarRadius));
}

void SceneRemoteWidget::initUi()
{
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_videoView = new QWidget(this);
    m_videoView->setObjectName("video_view");
    m_layout->addWidget(m_videoView);
    m_videoView->lower(); // under the avatar and the badge
    m_videoView->hide();

    m_renderParams.fillMode = TrtcVideoFillMode_Fill;
    getTRTCShareInstance()->setRemoteRenderParams(m_userId, kStream, m_renderParams);

    // The row saves the co-host's photo there; until it has, the tile shows the fallback. The
    // file holds what the service sent: it is decoded off the window's thread.
    showAvatar(QImage());
    PictureDecoder::decodeFileLater(ItemConnectMicWidget::avatarFile(m_spaceId),
                                    PictureLimits::kMaxAvatarBytes, QSize(kAvatarSide, kAvatarSide), this,
                                    [this](const QImage& image) {
                                        if (image.isNull())
                                            qDebug() << "rSceneWidget photo load fail";
                                        else
                                            showAvatar(image);
                                    });
    photo_label->setStyleSheet("background: transparent;");
    photo_label->show();

    label->setTextFormat(Qt::PlainText);
    label->setText(
        label->fontMetrics().elidedText(QString::fromUtf8(kBadgeText), Qt::ElideRight, kBadgeTextWidth));
    label->setStyleSheet(kBadgeStyle);
    label->hide();
    label->move(width() - label->width() - 3, 10);

    tool_widget->setAnchorName(m_name);
    connect(tool_widget, &SceneRemoteToolWidget::sigCameraClicked, this,
            &SceneRemoteWidget::handleThisCameraClicked);
    connect(tool_widget, &SceneRemoteToolWidget::sigMicClicked, this,
            &SceneRemoteWidget::handleThisMicClicked);
}

TrtcViewId SceneRemoteWidget::viewId()
{
    return TrtcViewId(m_videoView->winId());
}

void SceneRemoteWidget::showVideo(bool show)
{
    m_videoView->setVisible(show);
    photo_label->setVisible(!show);
    if (show)
        label->hide();
}

void SceneRemoteWidget::setVideoAvailable(bool available)
{
    if (available) {
        if (m_videoAvailable)
            return;
        getTRTCShareInstance()->startRemoteView(m_userId, kStream, viewId());
        showVideo(true);
    } else {
        getTRTCShareInstance()->stopRemoteView(m_userId, kStream);
        showVideo(false);
    }
    tool_widget->setCameraState(available);
    m_videoAvailable = available;
    m_camera = available;
}

void SceneRemoteWidget::setAudioAvailable(bool available)
{
    m_mic = available;
    tool_widget->setMicState(available);
}

void SceneRemoteWidget::handleItemMicClicked(bool flag)
{
    setAudioAvailable(flag);
}

void SceneRemoteWidget::handleThisMicClicked()
{
    m_mic = !m_mic;
    emit sigMicBtnClicked(m_mic);
}

void SceneRemoteWidget::takeVideoBack()
{
    getTRTCShareInstance()->updateRemoteView(m_userId, kStream, viewId());
    m_showInThis = true;
}

void SceneRemoteWidget::handleThisCameraClicked()
{
    m_camera = !m_camera;
    QPointer<SceneRemoteWidget> self(this);
    emit sigCameraBtnClicked(m_camera);
    if (!self)
        return;
    showVideo(m_camera);
    if (!m_camera) {
        // A video on the preview comes back into the tile, and the preview lets it go.
        takeVideoBack();
        emit closeRemoteCamera(int(m_spaceId));
    }
}

void SceneRemoteWidget::handleItemCameraClicked(bool flag)
{
    m_camera = flag;
    tool_widget->setCameraState(flag);
    if (!m_camera) {
        takeVideoBack();
        QPointer<SceneRemoteWidget> self(this);
        emit closeRemoteCamera(int(m_spaceId));
        if (!self)
            return;
    }
    showVideo(m_camera);
}

void SceneRemoteWidget::setInUseState()
{
    m_showInThis = !m_showInThis;
    m_videoView->hide();
    photo_label->show();
    label->show();
}

void SceneRemoteWidget::handleCancelRef()
{
    takeVideoBack();
    showVideo(true);
}

void SceneRemoteWidget::updateToolWidgetPos()
{
    const QPoint global = mapToGlobal(QPoint(0, 0));
    qDebug() << "sceneWidget_remote x:" << global.x() << " y:" << global.y();
    scenetile::placeToolBar(this, tool_widget);
}

void SceneRemoteWidget::release()
{
    if (m_released)
        return;
    m_released = true;
    getTRTCShareInstance()->stopRemoteView(m_userId, kStream);
    tool_widget->hide();
}

void SceneRemoteWidget::dispose()
{
    release();
    // Nothing reaches the row or the strip from a tile on its way out.
    disconnect();
    hide();
    if (m_dragging)
        m_deleteAfterDrag = true;
    else
        deleteLater();
}

void SceneRemoteWidget::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_pressed = true;
        m_pressPoint = event->pos();
    }
    QWidget::mousePressEvent(event);
}

void SceneRemoteWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_pressed = false;
    QWidget::mouseReleaseEvent(event);
}

void SceneRemoteWidget::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton) || !m_pressed || m_released ||
        (event->pos() - m_pressPoint).manhattanLength() < QApplication::startDragDistance() ||
        !mayStartDrag(m_videoAvailable, m_camera, m_showInThis)) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    m_dragging = true;
    const Qt::DropAction action = scenetile::startTileDrag(this, QString::number(m_spaceId));
    m_dragging = false;
    m_pressed = false; // the release went to the drop target
    if (m_deleteAfterDrag) {
        deleteLater();
        return;
    }
    // The tile changes state when the preview answers (setInUseState), not here.
    if (action == Qt::MoveAction)
        qDebug() << "showInThis = !showInThis;";
}

void SceneRemoteWidget::paintEvent(QPaintEvent*)
{
    scenetile::paintTileFrame(this);
}

void SceneRemoteWidget::moveEvent(QMoveEvent* event)
{
    scenetile::placeToolBar(this, tool_widget);
    QWidget::moveEvent(event);
}
