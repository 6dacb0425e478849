#include "cohost/SceneWidgetToolWidget.h"

#include "cohost/SceneTile.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QSpacerItem>

namespace
{
const char kNameStyle[] = "color: white;background-color: rgba(0, 0, 0, 0.5);border-radius: 4px; "
                          "padding-left:4px; padding-right:2px;";

void setButtonIcon(QPushButton* button, const char* path, const char* tip)
{
    button->setIcon(QIcon(QString::fromLatin1(path)));
    button->setToolTip(QString::fromUtf8(tip));
}

// true shows the "open" face (the click that follows switches the device off); then the flag flips.
void switchState(QPushButton* button, bool& flag, const char* openIcon, const char* openTip, const char* closeIcon,
                 const char* closeTip)
{
    if (flag)
        setButtonIcon(button, openIcon, openTip);
    else
        setButtonIcon(button, closeIcon, closeTip);
    flag = !flag;
}
} // namespace

SceneWidgetToolWidget::SceneWidgetToolWidget(QWidget* parent) : QWidget(parent)
{
    const scenetile::ToolBarForm form =
        scenetile::buildToolBar(this, "SceneWidgetToolWidget", QSize(280, 20), {"mic_btn", "camera_btn", "mirror_btn"});
    horizontalLayout = form.layout;
    anchor_label = form.nameLabel;
    anchor_label->setFixedHeight(20);
    mic_btn = form.buttons.at(0);
    camera_btn = form.buttons.at(1);
    mirror_btn = form.buttons.at(2);

    setButtonIcon(mirror_btn, ":/images/live/mirror_left.png", "镜像");
    // Both flags start true, so one switch each leaves the open icons with their tool tips and
    // the flags false ("on").
    switchMicState();
    switchCameraState();

    connect(camera_btn, &QPushButton::clicked, this, [this] {
        switchCameraState();
        emit sigCameraBtnClick(m_camera);
    });
    connect(mic_btn, &QPushButton::clicked, this, [this] {
        switchMicState();
        emit sigMicBtnClick(m_mic);
    });
    connect(mirror_btn, &QPushButton::clicked, this, &SceneWidgetToolWidget::onMirrorClicked);
    show();
}

void SceneWidgetToolWidget::switchCameraState()
{
    switchState(camera_btn, m_camera, ":/images/live/camera_open.png", "关闭摄像头", ":/images/live/camera_close.png",
                "开启摄像头");
}

void SceneWidgetToolWidget::switchMicState()
{
    switchState(mic_btn, m_mic, ":/images/live/mic_open.png", "关闭麦克风", ":/images/live/mic_close.png", "开启麦克风");
}

void SceneWidgetToolWidget::onMirrorClicked()
{
    // The icon shows the flag before the flip, so the first click keeps the left-mirror face.
    mirror_btn->setIcon(QIcon(m_mirror ? ":/images/live/mirror_left.png" : ":/images/live/mirror_right.png"));
    m_mirror = !m_mirror;
    emit sigMirrorBtnClick(m_mirror);
}

void SceneWidgetToolWidget::setNoMic()
{
    setButtonIcon(mic_btn, ":/images/live/nomic.png", "无麦克风");
    mic_btn->setEnabled(false);
}

void SceneWidgetToolWidget::setNoCamera()
{
    setButtonIcon(camera_btn, ":/images/live/nocamera.png", "无摄像头");
    camera_btn->setEnabled(false);
}

void SceneWidgetToolWidget::setAnchorName(const QString& name)
{
    scenetile::showAnchorName(anchor_label, name, kNameStyle);
}
