#pragma once
// One co-host's tile in the scene centre. It shows the co-host's real-time video, which the cloud
// draws into a plain native child window of the tile (the video view), or the co-host's avatar
// (the row's cached file), with the in-use badge while the video is on the preview. Its floating
// tool bar (SceneRemoteToolWidget, a window of its own) names the co-host and switches the
// co-host's microphone and camera; the co-host's row in the co-host list follows and drives the
// same states (the strip wires the two).
//
// The video is in one of three places: nowhere (video unavailable or camera off), in the tile
// (showInThis) or on the preview (after a drag the preview answered). A drag carries the decimal
// space id; the preview's answer comes back through the strip as setInUseState.
//
// Every cloud call goes through getTRTCShareInstance() with the co-host's user id and the big
// stream. The strip releases a tile through dispose(): the view stops at once, the memory goes
// once no drag of the tile runs (QDrag::exec spins a nested loop in which room frames can remove
// the tile being dragged).

#include "platform/TrtcCloud.h"

#include <QPoint>
#include <QWidget>

#include <string>

struct TrtcMicUserInfo;
class QLabel;
class QVBoxLayout;
class RoundLabel;
class SceneRemoteToolWidget;

class SceneRemoteWidget : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kBadgeTextWidth = 84;
    static constexpr int kAvatarSide = 80;
    static constexpr int kAvatarRadius = 20;

    // The record is the row's: the tile copies what it needs and keeps no pointer to it.
    SceneRemoteWidget(TrtcMicUserInfo* user, int roomId, QWidget* parent = nullptr);
    ~SceneRemoteWidget() override;

    // May a drag of the tile start? Only a video that is shown here and can be taken.
    static bool mayStartDrag(bool videoAvailable, bool cameraOn, bool showInThis)
    {
        return videoAvailable && cameraOn && showInThis;
    }

    void setVideoAvailable(bool available);
    void setAudioAvailable(bool available);
    // The preview took the video from a drop of this tile.
    void setInUseState();
    void updateToolWidgetPos();
    void initUi();
    void showAvatar(const QImage& image);
    // Stops the view and hides the tool bar now, frees the tile once its drag (if any) is over.
    void dispose();

    qint64 spaceId() const { return m_spaceId; }
    const std::string& userId() const { return m_userId; }
    bool videoAvailable() const { return m_videoAvailable; }
    bool cameraOn() const { return m_camera; }
    bool micOn() const { return m_mic; }
    bool showInThis() const { return m_showInThis; }
    SceneRemoteToolWidget* toolWidget() const { return tool_widget; }
    QWidget* videoView() const { return m_videoView; }

signals:
    void sigCameraBtnClicked(bool flag);
    void sigMicBtnClicked(bool flag);
    void closeRemoteCamera(int wechat_id);

public slots:
    void handleThisCameraClicked();
    void handleThisMicClicked();
    void handleItemCameraClicked(bool flag);
    void handleItemMicClicked(bool flag);
    void handleCancelRef();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void showVideo(bool show);
    // The video back from the preview into the tile.
    void takeVideoBack();
    TrtcViewId viewId();
    void release();

    QLabel* label = nullptr; // the in-use badge
    RoundLabel* photo_label = nullptr;
    SceneRemoteToolWidget* tool_widget = nullptr;
    QVBoxLayout* m_layout = nullptr;
    QWidget* m_videoView = nullptr;
    QPoint m_pressPoint;
    bool m_pressed = false;
    TrtcRenderParams m_renderParams;
    bool m_videoAvailable = false;
    qint64 m_spaceId = 0;
    QString m_name;
    int m_roomId = 0;
    std::string m_userId;
    bool m_showInThis = true;
    bool m_camera = true;
    bool m_mic = true;
    bool m_released = false;
    bool m_dragging = false;
    bool m_deleteAfterDrag = false;
};
