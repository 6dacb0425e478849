#pragma once
// The host's camera tile: a native camera view libobs draws into, the host's avatar when the
// camera is off or missing, an in-use badge, and the microphone / camera / mirror controls.
#include "login/LoginInfo.h"

#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include <functional>

class QMimeData;

// Starts a tile drag (move only). Replaceable so tests can see a drag without a blocking exec.
using TileDragStarter = std::function<void(QWidget* source, QMimeData* mime)>;
TileDragStarter& tileDragStarter();

class SceneWidget : public QWidget
{
    Q_OBJECT
public:
    enum LiveMode { NormalMode = 0, CohostMode = 1 };

    explicit SceneWidget(QWidget* parent = nullptr);

    void setAnchorPhoto(LoginInfo* info) { m_loginInfo = info; }
    LoginInfo* anchorInfo() const { return m_loginInfo; }
    WId cameraViewWinId() { return m_cameraView->winId(); }
    void placeToolWidget() {}
    void setLiveMode(int mode) { m_liveMode = mode; }
    int liveMode() const { return m_liveMode; }
    void setDeviceAvailability(bool hasMic, bool hasCamera);

    // The tile's live camera view (true) or its avatar; true also hides the in-use badge.
    void setCameraShown(bool shown);
    bool cameraShown() const { return m_cameraShown; }
    // Whether the host may drag the tile onto the preview.
    void setDragEnabled(bool enabled) { m_dragEnabled = enabled; }
    bool dragEnabled() const { return m_dragEnabled; }
    void setInUseBadgeVisible(bool visible) { m_inUseBadge = visible; }
    bool inUseBadgeVisible() const { return m_inUseBadge; }

    bool micOn() const { return m_micOn; }
    bool cameraOn() const { return m_cameraOn; }
    bool mirrored() const { return m_mirror; }
    QPushButton* micButton() const { return m_micBtn; }
    QPushButton* cameraButton() const { return m_cameraBtn; }
    QPushButton* mirrorButton() const { return m_mirrorBtn; }

public slots:
    void handleMicClicked();
    void handleCameraClicked();
    void handleMirrorClicked();
    // The host row of the co-host list switches the microphone: follow it without touching the source.
    void handleItemMicClicked(bool on);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

signals:
    void sendMirrorStatus();
    void sigSetLocalAudio(bool mute);
    void sigMicStatusChange(bool on);
    void sigCameraStatusChange(bool on);

private:
    void refreshButtons();

    QLabel* m_cameraView = nullptr;
    QPushButton* m_micBtn = nullptr;
    QPushButton* m_cameraBtn = nullptr;
    QPushButton* m_mirrorBtn = nullptr;
    LoginInfo* m_loginInfo = nullptr;
    bool m_hasMic = false;
    bool m_hasCamera = false;
    int m_liveMode = NormalMode;
    bool m_cameraShown = true;
    bool m_dragEnabled = true;
    bool m_inUseBadge = false;
    bool m_micOn = true;
    bool m_cameraOn = true;
    bool m_mirror = false;
    int m_mirrorClicks = 0;
    QPoint m_pressPos;
    bool m_pressed = false;
};
