#pragma once
// The host camera tile's floating tool bar: the host's name and the microphone, camera and mirror
// buttons. It is a frameless tool window of its own (so it can hang over the strip's edge), owned
// by the tile, which keeps it placed under itself in screen coordinates.
//
// Each button flips its own flag with its icon and tells the tile through a signal; the flags
// follow the clicks (and the host row's clicks, through the tile), not the devices' real state.

#include <QWidget>

class QHBoxLayout;
class QLabel;
class QPushButton;

class SceneWidgetToolWidget : public QWidget
{
    Q_OBJECT
public:
    explicit SceneWidgetToolWidget(QWidget* parent = nullptr);

    // Each flips the flag after showing the icon for its current value: true shows "open".
    void switchCameraState();
    void switchMicState();
    void setNoMic();
    void setNoCamera();
    void setAnchorName(const QString& name);

    // true: the camera (microphone) is off now.
    bool cameraFlag() const { return m_camera; }
    bool micFlag() const { return m_mic; }
    bool mirrorFlag() const { return m_mirror; }

signals:
    void sigCameraBtnClick(bool status);
    void sigMicBtnClick(bool status);
    void sigMirrorBtnClick(bool status);

private:
    void onMirrorClicked();

    QHBoxLayout* horizontalLayout = nullptr;
    QLabel* anchor_label = nullptr;
    QPushButton* mic_btn = nullptr;
    QPushButton* camera_btn = nullptr;
    QPushButton* mirror_btn = nullptr;
    bool m_camera = true;
    bool m_mic = true;
    bool m_mirror = true;
};
