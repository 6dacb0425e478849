#pragma once
// The co-host video overlay: a transparent widget over the live preview (the form's
// preview_widget) that takes drops of scene-centre tiles. The host's own tile ("0") puts the
// camera back on the canvas (sigDragSceneWidget); a co-host's tile (its decimal space id) becomes
// a RemoteVideoWidget at the drop point, into which the real-time room now draws that co-host's
// video, and a box at the matching place of the 1920 x 1080 cloud mix. Every drop is answered
// with sigReplyDragEvent so the tile can mark itself as in use.
//
// It owns one RemoteVideoWidget and one RemoteVideoState per co-host on the preview. The window's
// video menu and co-host handling reach it through the operations below, all keyed by space id;
// an id without a video on the preview changes nothing. The mix is reached through the hooks
// (the process-wide TrtcManager by default), so tests see exactly what was sent.
//
// The window also parents its display labels and a placeholder layout here; the videos are placed
// by geometry and never enter that layout. Only drags started inside this program are taken.

#include "cohost/TrtcManager.h"

#include <QHash>
#include <QPoint>
#include <QString>
#include <QWidget>

#include <functional>

class RemoteVideoWidget;

// What the overlay remembers of one co-host video from its drop on.
struct RemoteVideoState {
    int rotation = 0; // quarter turns, 0 to 3
    int mirror = 0;   // 0 or 1
    int zOrder = 0;   // 0 to 15; the mix got 8 at the drop
    int x = 0;        // the widget's position right after the drop, in overlay pixels
    int y = 0;
    float scale = -1.0f; // the overlay's scale at the drop
};

class VideoWindows : public QWidget
{
    Q_OBJECT
public:
    // A dropped video's box in the mix is this size, whatever its size on the preview.
    static constexpr int kMixBoxWidth = 480;
    static constexpr int kMixBoxHeight = 280;
    static constexpr int kDropZOrder = 8;
    static constexpr int kMaxZOrder = 15;

    struct Hooks {
        std::function<void(int spaceId, TrtcMixRect rect, int zOrder)> updateMixUser;
        std::function<void(int spaceId)> removeMixUser;
        std::function<void(int spaceId, int rotation, int mirrorType)> setRemoteRender;
    };
    Hooks hooks;

    explicit VideoWindows(QWidget* parent = nullptr);
    ~VideoWindows() override;

    // The mix box of a video at overlay position p on an overlay of the given size.
    static TrtcMixRect mixRect(QPoint p, QSize overlay);

    void setRoomId(int roomId) { m_roomId = roomId; }
    int roomId() const { return m_roomId; }

    // A drop of `id` (a tile's drag text) at the cursor position.
    void handleDropEvent(const QString& id);
    // Deletes every video; the mix keeps their boxes.
    void clearRemoteVideos();
    // Scales every video with the overlay's width since the last resize (the mix keeps its boxes).
    void handleResize();
    // Sends the video's current place and the state's z order to the mix.
    void updateLayout(int id);
    void rotateClockwise(int id);
    void rotateAnticlockwise(int id);
    void toggleMirror(int id);
    // Back to the drop point (scaled to the overlay's present size), z order 8.
    void resetPosition(int id);
    void moveLayerTop(int id);
    void moveLayerBottom(int id);
    void moveLayerUp(int id);
    void moveLayerDown(int id);

    // ---- what tests read ----
    RemoteVideoWidget* remoteVideo(int id) const { return m_widgets.value(id); }
    bool hasState(int id) const { return m_states.contains(id); }
    RemoteVideoState state(int id) const { return m_states.value(id); }
    int videoCount() const { return m_widgets.size(); }
    int referenceWidth() const { return m_referenceWidth; }
    float scale() const { return m_scale; }

public slots:
    // Takes the co-host's video off the preview and its box out of the mix.
    void handleRightMenuCancelRef(int id);

signals:
    void sigShowRightMenu(int id);
    void sigDragSceneWidget();
    void sigReplyDragEvent(int id);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void dropAt(const QString& text, QPoint pos);
    // Changes the video's rotation or mirror and passes both on to its rendering.
    void changeRender(int id, void (*change)(RemoteVideoState&));

    int m_roomId = 0;
    int m_referenceWidth = -1;
    float m_scale = -1.0f;
    QHash<int, RemoteVideoWidget*> m_widgets;
    QHash<int, RemoteVideoState> m_states;
};
