#pragma once
// The dialog in which the host chooses how to go live: one of the account's rooms (its push
// address is asked of the service) or a push address typed in by hand.
//
// The dialog has its own network access manager; its replies are judged by an exact content
// type and the numeric "code" 200, not by the web API client's envelope. The choice reaches the
// main window through live_mode_select, and only then are the store's push server and key
// written, so a refused or unmatched answer never leaves a half-made choice behind.

#include "core/LiveRoomInfo.h"

#include <QByteArray>
#include <QDialog>
#include <QHash>
#include <QJsonArray>
#include <QList>
#include <QPoint>
#include <QString>
#include <QVariant>

class QNetworkAccessManager;
class QNetworkReply;
class QNetworkRequest;
class QUrl;
struct LoginInfo;

namespace Ui {
class LiveModeDialog;
}

// Rules of the dialog that need no widgets.
namespace livemode {

constexpr int kMaxRecentRooms = 10;
constexpr int kDefaultTransferTimeoutMs = 30000;

// The one content type the dialogs accept for JSON: present and exactly this text.
constexpr const char kJsonContentType[] = "application/json;charset=utf-8";
bool isJsonContentType(const QVariant& contentTypeHeader);
// Pictures: exactly "image/jpeg" or "image/png".
bool isPictureContentType(const QVariant& contentTypeHeader);

// Replies larger than this end as network errors: a peer that never stops sending must not
// fill memory.
constexpr qint64 kMaxReplyBytes = 8 * 1024 * 1024;

// A JSON value read as an integer: a number or numeric text; `fallback` otherwise.
qint64 toInt64(const QJsonValue& value, qint64 fallback = 0);

// One reply of the dialog's manager, read after its content type was accepted.
struct Reply {
    enum Kind { Invalid, Refused, PushUrl, RoomList, Other };
    Kind kind = Invalid;
    QString pushUrl;   // PushUrl
    qint64 appId = 0;  // PushUrl: the room the address belongs to
    QJsonArray rooms;  // RoomList
};
Reply parseReply(const QByteArray& body);

// One element of a room list.
LiveRoomInfo roomFromJson(const QJsonValue& value);

// The lists behind the combobox: row -> room id, id -> room (first appearance wins), and the
// rooms kept to show while the next list is on its way.
struct RoomListState {
    QHash<int, qint64> indexToAppId;
    QHash<qint64, LiveRoomInfo> roomMap;
    QList<LiveRoomInfo> recentRooms;

    // Takes a new list; returns the row of `confirmedAppId` (the last one when it occurs more
    // than once) or -1.
    int apply(const QList<LiveRoomInfo>& rows, qint64 confirmedAppId);
    // Empties the row map and the room map (the recent rooms stay).
    void clear();
};

} // namespace livemode

class LiveModeDialog : public QDialog
{
    Q_OBJECT
public:
    LiveModeDialog(QWidget* parent, LoginInfo* loginInfo);
    ~LiveModeDialog() override;

    // The chosen room; valid for the dialog's life.
    LiveRoomInfo* liveInfo() { return &m_liveRoomInfo; }

    // Empties the lists and the combobox and asks for the room list again.
    void refreshRoomList();

    // Requests that transfer nothing for this long end as network errors.
    void setTransferTimeout(int ms) { m_transferTimeoutMs = ms; }

    const livemode::RoomListState& roomState() const { return m_rooms; }
    qint64 selectedAppId() const { return m_selectedAppId; }
    qint64 confirmedAppId() const { return m_confirmedAppId; }

signals:
    // A room or custom address has been chosen; liveInfo() and the store's pushServer and
    // pushKey are set when it is emitted.
    void live_mode_select();

public slots:
    void on_ok_btn_clicked();
    void on_cancel_btn_clicked();
    void on_close_btn_clicked();
    void handleComboxChanged(int index);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QNetworkRequest makeRequest(const QUrl& url) const;
    void requestRoomList();
    void requestPushUrl(qint64 appId);
    void onReplyFinished(QNetworkReply* reply);
    void handleRoomListData(const QByteArray& body);
    void showHint(const QString& text);
    void setComboEnabledLook(bool enabled);
    void setEditEnabledLook(bool enabled);
    void clearLists();

    Ui::LiveModeDialog* ui;
    QNetworkAccessManager* m_manager = nullptr;
    LoginInfo* m_loginInfo = nullptr;
    livemode::RoomListState m_rooms;
    LiveRoomInfo m_liveRoomInfo;
    qint64 m_selectedAppId = -1;
    qint64 m_confirmedAppId = -1;
    int m_transferTimeoutMs = livemode::kDefaultTransferTimeoutMs;
    bool m_dragging = false;
    QPoint m_dragOffset;
};
