#include "cohost/SceneWidget.h"

#include "core/DataCenter.h"
#include "engine/LiveCore.h"

#include <QApplication>
#include <QDrag>
#include <QHBoxLayout>
#include <QMimeData>
#include <QMouseEvent>
#include <QVariant>
#include <QVBoxLayout>

namespace {
const char* const kCameraSource = "camera source";
}

SceneWidget::SceneWidget(QWidget* parent) : QWidget(parent)
{
    setFixedSize(160, 120);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    // libobs draws into this window directly, so it must be native.
    m_cameraView = new QLabel(this);
    m_cameraView->setAttribute(Qt::WA_NativeWindow);
    layout->addWidget(m_cameraView);

    auto* bar = new QWidget(this);
    auto* barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(0, 0, 0, 0);
    m_micBtn = new QPushButton(bar);
    m_cameraBtn = new QPushButton(bar);
    m_mirrorBtn = new QPushButton(bar);
    m_micBtn->setObjectName("mic_btn");
    m_cameraBtn->setObjectName("camera_btn");
    m_mirrorBtn->setObjectName("mirror_btn");
    for (QPushButton* b : {m_micBtn, m_cameraBtn, m_mirrorBtn})
        barLayout->addWidget(b);
    bar->hide();
    connect(m_micBtn, &QPushButton::clicked, this, &SceneWidget::handleMicClicked);
    connect(m_cameraBtn, &QPushButton::clicked, this, &SceneWidget::handleCameraClicked);
    connect(m_mirrorBtn, &QPushButton::clicked, this, &SceneWidget::handleMirrorClicked);
    refreshButtons();
}

void SceneWidget::setDeviceAvailability(bool hasMic, bool hasCamera)
{
    m_hasMic = hasMic;
    m_hasCamera = hasCamera;
    if (!hasCamera) {
        m_cameraOn = false;
        m_cameraShown = false;
    }
    refreshButtons();
}

void SceneWidget::setCameraShown(bool shown)
{
    m_cameraShown = shown;
    if (shown)
        m_inUseBadge = false;
}

void SceneWidget::refreshButtons()
{
    m_micBtn->setToolTip(m_micOn ? QString::fromUtf8("关闭麦克风") : QString::fromUtf8("打开麦克风"));
    m_cameraBtn->setEnabled(m_hasCamera);
    if (!m_hasCamera)
        m_cameraBtn->setToolTip(QString::fromUtf8("无摄像头"));
    else
        m_cameraBtn->setToolTip(m_cameraOn ? QString::fromUtf8("关闭摄像头") : QString::fromUtf8("打开摄像头"));
    // The mirror icon keeps its first face for one click, as the control has always looked.
    m_mirrorBtn->setProperty("icon_name", QString(m_mirrorClicks > 0 && !m_mirror ? "mirror_right" : "mirror_left"));
}

void SceneWidget::handleMicClicked()
{
    m_micOn = !m_micOn;
    if (m_liveMode == CohostMode) {
        emit sigSetLocalAudio(!m_micOn);
        if (m_micOn)
            LiveCore::get_instance()->core_set_mic_source(true);
        emit sigMicStatusChange(m_micOn);
    } else {
        LiveCore::get_instance()->core_set_mic_source(m_micOn);
    }
    refreshButtons();
}

void SceneWidget::handleItemMicClicked(bool on)
{
    m_micOn = on;
    emit sigSetLocalAudio(!on);
    refreshButtons();
}

void SceneWidget::handleCameraClicked()
{
    if (!m_hasCamera)
        return;
    m_cameraOn = !m_cameraOn;
    LiveCore::get_instance()->source_set_camera_enabled(kCameraSource, m_cameraOn);
    setCameraShown(m_cameraOn);
    emit sigCameraStatusChange(m_cameraOn);
    refreshButtons();
}

void SceneWidget::handleMirrorClicked()
{
    if (!m_hasCamera)
        return;
    m_mirror = !m_mirror;
    ++m_mirrorClicks;
    CDataCenter::getInstance()->cameraMirror = m_mirror;
    emit sendMirrorStatus();
    refreshButtons();
}

TileDragStarter& tileDragStarter()
{
    static TileDragStarter starter = [](QWidget* source, QMimeData* mime) {
        auto* drag = new QDrag(source);
        drag->setMimeData(mime);
        drag->exec(Qt::MoveAction);
    };
    return starter;
}

void SceneWidget::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton;
    m_pressPos = event->pos();
    QWidget::mousePressEvent(event);
}

void SceneWidget::mouseMoveEvent(QMouseEvent* event)
{
    if (m_pressed && m_dragEnabled && (event->buttons() & Qt::LeftButton)
        && (event->pos() - m_pressPos).manhattanLength() > QApplication::startDragDistance()) {
        m_pressed = false;
        auto* mime = new QMimeData;
        mime->setText("0");
        tileDragStarter()(this, mime);
    }
    QWidget::mouseMoveEvent(event);
}
