#pragma once
// The host's camera tile, first tile of the scene centre. It shows the host's camera live (a
// native child window libobs draws "camera source" into) or the host's avatar, and the in-use
// badge while the camera is on the preview. Its floating tool bar (SceneWidgetToolWidget, a window
// of its own) switches the engine's camera and microphone sources; in co-host mode the microphone
// instead mutes the host towards the real-time room through the main window. The host's row in
// the co-host list drives the same states through handleItemCameraClicked / handleItemMicClicked.
//
// The live canvas moves the camera between tile and preview (setCameraShown, setDragEnabled,
// setInUseBadgeVisible); a drag of the tile onto the preview (MIME text "0") asks for it back,
// and the scene centre's setInUseState marks the answered drop.

#include "core/LoginInfo.h"

#include <QWidget>

class QLabel;
class QNetworkAccessManager;
class QNetworkReply;
class RoundLabel;
class SceneWidgetToolWidget;

class SceneWidget : public QWidget
{
    Q_OBJECT
public:
    enum LiveMode { NormalMode = 0, CohostMode = 1 };

    explicit SceneWidget(QWidget* parent = nullptr);
    ~SceneWidget() override;

    // Keeps the record (not owned), shows the tool bar with the host's name and fetches the avatar.
    void setAnchorPhoto(LoginInfo* info);
    LoginInfo* anchorInfo() const { return m_loginInfo; }
    WId cameraViewWinId();
    void placeToolWidget();
    void setLiveMode(int mode) { m_liveMode = mode; }
    int liveMode() const { return m_liveMode; }
    void setDeviceAvailability(bool hasMic, bool hasCamera);

    // The camera in the tile (true) or on the canvas; true also hides the badge.
    void setCameraShown(bool shown);
    bool cameraShown() const { return m_cameraShown; }
    void setDragEnabled(bool enabled) { m_dragEnabled = enabled; }
    bool dragEnabled() const { return m_dragEnabled; }
    void setInUseBadgeVisible(bool visible);
    bool inUseBadgeVisible() const;
    // The preview took the camera from a drop of this tile.
    void setInUseState();

    bool mirrored() const { return m_mirror; }
    SceneWidgetToolWidget* toolWidget() const { return tool_widget; }

    // Tests may shorten how long the avatar request may transfer nothing.
    static void setAvatarTimeoutMs(int ms);

public slots:
    // status true: the tool bar has just switched the device off.
    void handleCameraBtnClick(bool status);
    void handleMicBtnClick(bool status);
    void handleMirrorBtnClick(bool status);
    // The host row of the co-host list.
    void handleItemCameraClicked(bool on);
    void handleItemMicClicked(bool on);

signals:
    void sendMirrorStatus();
    void sigCameraStatusChange(bool flag);
    void sigMicStatusChange(bool flag);
    void sigSetLocalAudio(bool isMute);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void showCameraView(bool show);
    void handleAvatarReply(QNetworkReply* reply);

    QLabel* label = nullptr; // the in-use badge
    RoundLabel* photo_label = nullptr;
    SceneWidgetToolWidget* tool_widget = nullptr;
    QLabel* m_cameraView = nullptr;
    QNetworkAccessManager* m_avatarManager = nullptr;
    LoginInfo* m_loginInfo = nullptr;
    bool m_cameraShown = true;
    bool m_dragEnabled = false;
    int m_cameraPresent = 1;
    int m_liveMode = NormalMode;
    QPoint m_dragStart;
    bool m_mirror = false;
};
