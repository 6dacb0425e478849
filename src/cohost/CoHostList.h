#pragma once
// The co-host list of a co-host room: the rows of the "连麦" page keyed by space id, kept in step
// with the room channel's co-host messages, the scene centre's tiles, the co-host videos over the
// preview and the cloud mix.
//
// The main window owns one and its co-host slots delegate here. The window builds the page and
// hands over the list's layout with the host's own row (attachList); rows of co-hosts and
// candidates are made as children of the list and go with deleteLater (a row's own button may be
// on the stack). The scene centre reads the same row map to wire each tile to its row.
//
// Ids come from viewers and the service: an id that is not a positive 32-bit number (a text that
// reads as 0, an unreadable id that counts as -1, anything beyond the map's int keys) gets no row
// and no tile. A malformed online list is ignored; only a list that is really there removes the
// co-hosts it leaves out.
//
// The preview overlay, the cloud mix and the room channel are reached through the hooks; hooks
// left empty are skipped.

#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

struct TrtcMicUserInfo;
class ItemConnectMicWidget;
class QVBoxLayout;
class QWidget;
class SceneCenterWidget;

class CoHostList : public QObject
{
    Q_OBJECT
public:
    struct Hooks {
        std::function<void(const QString& text)> sendRoomMessage;
        // The co-host's video leaves the preview (and its box the mix).
        std::function<void(int id)> cancelPreviewVideo;
        // Every co-host video leaves the preview; the mix is not told.
        std::function<void()> clearPreviewVideos;
        // The co-host's box leaves the cloud mix (nothing when it has none).
        std::function<void(int id)> removeMixBox;
    };
    Hooks hooks;

    explicit CoHostList(SceneCenterWidget* strip, QObject* parent = nullptr);
    ~CoHostList() override;

    // The signed-in host: its own id never gets a co-host row.
    void setHostId(qint64 id) { m_hostId = id; }
    // The list's layout (a column ending in a stretch) and the host's own row at its top. Rows are
    // made only once a list is attached.
    void attachList(QVBoxLayout* list, ItemConnectMicWidget* hostRow);
    QVBoxLayout* listLayout() const { return m_list; }
    ItemConnectMicWidget* hostRow() const { return m_hostRow; }
    // The list's own placeholder for a search without match.
    QWidget* placeholder() const { return m_placeholder; }

    QHash<int, ItemConnectMicWidget*>& rows() { return m_rows; }
    ItemConnectMicWidget* row(qint64 id) const;
    bool hasRow(qint64 id) const { return row(id) != nullptr; }

    // A space id as the online list gives it: a decimal text, a number, -1 for anything else.
    static qint64 readOnlineUserId(const QJsonValue& value);
    // One co-host of "get_trtc_online_list", its fields read as the room's texts are.
    struct OnlineEntry {
        qint64 id = -1;
        QString name;
        QString photo;
        QString trtcTag;
    };
    // The co-hosts an online list names; false (and nothing) when its "data" is no list.
    static bool readOnlineList(const QJsonObject& message, QList<OnlineEntry>* out);
    // Whether an id can key a row (positive and within int).
    static bool isRowId(qint64 id);
    // The space id of a co-host's user id of the real-time room ("wechat_<id>_<room>"); false
    // unless both numbers read whole.
    static bool parseCoHostUserId(const char* userId, int* spaceId);

    // ---- the room channel ----
    // "trtc_apply" (pending) or a co-host of the online list (connected); nothing when the id has a
    // row already.
    void handleTrtcApply(qint64 id, const QString& name, const QString& photo, const QString& trtcTag,
                         bool apply);
    // A co-host joined the real-time room: its tile, or the online list asked for when unknown.
    void handleTrtcLogin(qint64 id);
    // "get_trtc_online_list": rows and tiles for new co-hosts, the absent ones removed.
    void handleTrtcOnline(const QJsonObject& message);
    // One co-host out: tile, preview video, mix box and row. Nothing for an id without a row.
    void handleTrtcRemove_1(qint64 id, bool eraseFromMap = true);
    // Every co-host out, each told "trtc_remove"; the host's own row stays.
    void removeAll();

    // ---- the real-time room ----
    void handleRemoteVideoAvailable(const char* userId, bool available);
    void handleRemoteAudioAvailable(const char* userId, bool available);

    // ---- search ----
    // Hides the rows whose name does not contain `text` (any case); the placeholder when none is
    // left. Empty text does nothing.
    void searchName(const QString& text);
    // Every row back: the host's first, then the co-hosts, each shown.
    void showAllRows();

private:
    // The co-host's tile in the strip (once).
    void addTile(ItemConnectMicWidget* r);
    void applyAvailability(const char* userId, bool available, bool video);
    void takeOutAll();
    void takeOut(QWidget* row);
    void addTrailingStretch();
    void removeTrailingStretch();

    // The strip may go first when the window that owns both is torn down.
    QPointer<SceneCenterWidget> m_strip;
    qint64 m_hostId = 0;
    QVBoxLayout* m_list = nullptr;
    ItemConnectMicWidget* m_hostRow = nullptr;
    QWidget* m_placeholder = nullptr;
    QHash<int, ItemConnectMicWidget*> m_rows;
    // The room's last reports per co-host (-1 none, 0 off, 1 on), for rows made after them.
    struct Reported {
        int video = -1;
        int audio = -1;
    };
    QHash<int, Reported> m_reported;
};
