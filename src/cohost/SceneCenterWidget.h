#pragma once
// The scene centre: the horizontal strip of video tiles under the live preview. It holds the
// host's camera tile (SceneWidget) and one SceneRemoteWidget per connected co-host, at most 16,
// centred as a group between two stretches, in a scroll area that scrolls sideways when they do
// not fit.
//
// The main window adds and removes tiles as co-hosts join and leave, hands over the room's video
// and audio availability reports and the preview's drop answers, and asks for the tool bars to
// follow the window. Each co-host tile is wired both ways to the co-host's row of the main
// window's row map (not owned), with the row as context object so a row deleted first leaves
// nothing behind.
//
// The room can report a co-host's video or audio before the co-host has a tile (the room
// message that makes the tile may come later). The last report per id is kept and a tile made
// later applies it: the view starts when the video is available, and a user muted while it had
// no tile is heard again.

#include "cohost/SceneWidget.h"

#include <QHash>
#include <QTimer>
#include <QWidget>

struct TrtcMicUserInfo;
class ItemConnectMicWidget;
class QHBoxLayout;
class QScrollArea;
class SceneRemoteWidget;

class SceneCenterWidget : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kMaxRemoteTiles = 16;
    static constexpr int kRefreshMs = 500;

    explicit SceneCenterWidget(QWidget* parent = nullptr);
    ~SceneCenterWidget() override;

    SceneWidget* sceneWidget() const { return m_sceneWidget; }
    void setMicItemMap(QHash<int, ItemConnectMicWidget*>* map) { m_micItemMap = map; }
    void setRoomId(int roomId);
    int roomId() const { return m_roomId; }

    bool addRemoteUser(TrtcMicUserInfo* user);
    bool removeRemoteUser(int id);
    void clearRemoteUsers();

    void handleRemoteVideoAvailable(int id, bool available);
    void handleRemoteAudioAvailable(int id, bool available);
    void cancelRef(int id);

    // For tests: the tiles and the strip.
    int remoteCount() const { return m_count; }
    SceneRemoteWidget* remoteWidget(int id) const { return m_remoteWidgets.value(id); }
    QHBoxLayout* stripLayout() const { return m_stripLayout; }
    QScrollArea* scrollArea() const { return m_scrollArea; }
    QTimer* refreshTimer() { return &m_refreshTimer; }

public slots:
    void onReplyDragEvent(int id);
    void updateRemoteWidgets();

signals:
    void sigCloseRemoteCamera(int wechat_id);

private:
    // What the room last reported about a co-host (kept for the tile, made or to be made).
    struct Report {
        bool videoKnown = false;
        bool video = false;
        bool audioKnown = false;
        bool audio = false;
        bool mutedByUs = false; // its audio was muted while it had no tile
    };
    void wireToRow(SceneRemoteWidget* tile, int id);
    void applyReport(SceneRemoteWidget* tile, int id);

    QScrollArea* m_scrollArea = nullptr;
    QWidget* m_stripWidget = nullptr;
    QHBoxLayout* m_stripLayout = nullptr;
    SceneWidget* m_sceneWidget = nullptr;
    QTimer m_refreshTimer;
    int m_roomId = 0;
    int m_count = 0;
    QHash<int, SceneRemoteWidget*> m_remoteWidgets;
    QHash<int, ItemConnectMicWidget*>* m_micItemMap = nullptr;
    QHash<int, Report> m_reports;
};
