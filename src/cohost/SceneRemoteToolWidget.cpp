#include "cohost/SceneRemoteToolWidget.h"

#include "cohost/SceneTile.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QSpacerItem>

namespace
{
const char kNameStyle[] = "color: white;background-color: rgba(0, 0, 0, 0.5);border-radius: 4px; "
                          "padding-left:2px; padding-right:2px;";

void showFace(QPushButton* button, bool on, const char* onIcon, const char* onTip, const char* offIcon,
              const char* offTip)
{
    button->setIcon(QIcon(QString::fromLatin1(on ? onIcon : offIcon)));
    button->setToolTip(QString::fromUtf8(on ? onTip : offTip));
}
} // namespace

SceneRemoteToolWidget::SceneRemoteToolWidget(QWidget* parent) : QWidget(parent)
{
    const scenetile::ToolBarForm form =
        scenetile::buildToolBar(this, "SceneRemoteToolWidget", QSize(209, 18), {"mic_btn", "camera_btn"});
    horizontalLayout = form.layout;
    anchor_label = form.nameLabel;
    mic_btn = form.buttons.at(0);
    camera_btn = form.buttons.at(1);

    // Off until the room reports the co-host's audio and video.
    setMicState(false);
    setCameraState(false);

    connect(camera_btn, &QPushButton::clicked, this, [this] {
        emit sigCameraClicked();
        setCameraState(!m_camera);
    });
    connect(mic_btn, &QPushButton::clicked, this, [this] {
        emit sigMicClicked();
        setMicState(!m_mic);
    });
    show();
}

void SceneRemoteToolWidget::setCameraState(bool on)
{
    m_camera = on;
    showFace(camera_btn, on, ":/images/live/camera_open.png", "关闭摄像头", ":/images/live/camera_close.png",
             "开启摄像头");
}

void SceneRemoteToolWidget::setMicState(bool on)
{
    m_mic = on;
    showFace(mic_btn, on, ":/images/live/mic_open.png", "关闭麦克风", ":/images/live/mic_close.png", "开启麦克风");
}

void SceneRemoteToolWidget::setAnchorName(const QString& name)
{
    scenetile::showAnchorName(anchor_label, name, kNameStyle);
}
