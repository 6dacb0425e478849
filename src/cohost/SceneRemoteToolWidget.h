#pragma once
// The co-host tile's floating tool bar: the co-host's name and the microphone and camera buttons.
// Like the host tile's bar it is a frameless tool window of its own, owned by its tile, which
// keeps it placed under itself in screen coordinates.
//
// A click tells the tile first (sigMicClicked / sigCameraClicked) and then shows the other face;
// setMicState / setCameraState show a state the tile or the row decided.

#include <QWidget>

class QHBoxLayout;
class QLabel;
class QPushButton;

class SceneRemoteToolWidget : public QWidget
{
    Q_OBJECT
public:
    explicit SceneRemoteToolWidget(QWidget* parent = nullptr);

    void setCameraState(bool on);
    void setMicState(bool on);
    void setAnchorName(const QString& name);

    bool cameraState() const { return m_camera; }
    bool micState() const { return m_mic; }

signals:
    void sigCameraClicked();
    void sigMicClicked();

private:
    QHBoxLayout* horizontalLayout = nullptr;
    QLabel* anchor_label = nullptr;
    QPushButton* mic_btn = nullptr;
    QPushButton* camera_btn = nullptr;
    bool m_mic = false;
    bool m_camera = false;
};
