#pragma once
// One viewer of the online-user lists, and its two readers: the room channel's form (entries of
// "get_online_list" and the "client_info" of "upordown_single") and the open API's user-list form
// (muted, blocked and shielded viewers).
//
// Both forms are untrusted and read leniently: a field of the wrong JSON type reads as empty, 0 or
// false and never drops the entry. Reading does no I/O: the record keeps the photo's address and
// whoever shows the viewer fetches it (web addresses only).

#include "chat/ItemChatRecord.h"

#include <QJsonObject>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QtGlobal>

class ItemOnlineUserInfo
{
public:
    // The tab a record belongs to.
    enum ListType { Online = 0, Muted = 1, Blocked = 2, Shielded = 3 };

    ItemOnlineUserInfo() = default;

    // The room channel's form. A "room_id" that is missing or not a number (nor a text holding
    // one) gives currentRoomId.
    static ItemOnlineUserInfo fromRoomChannel(const QJsonObject& obj, qint64 currentRoomId);
    // The user-list form, for the tab listType of the room roomId.
    static ItemOnlineUserInfo fromUserList(const QJsonObject& obj, int listType, qint64 roomId);

    qint32 client_id_num = 0; // the id when it is a whole JSON number, else 0
    // The viewer's connection id on the room channel and the key of the online list: a text id as
    // it is, a whole numeric id as its decimal text; empty for user-list records.
    QString client_id;
    qint32 wus_id = -1; // space id; -1 when there is none
    qint32 last_visit_time = 0;
    QString unionid;
    QString client_name;
    QString client_photo; // the photo's address, as given
    bool is_shut_up = false;
    QString terminal;
    QString ip_location;
    bool is_forbid = false;
    bool is_shield = false;
    QString role_desc;
    QString invite_name;
    QList<UserTag> tags;
    int list_type = Online;
    qint64 room_id = 0;
    bool is_assistant = false;
    bool is_admin = false;
};

Q_DECLARE_METATYPE(ItemOnlineUserInfo)

// One record per entry of the message's "data" array, in order, in the room channel's form (no
// array: an empty list). An entry that is not an object reads as an empty object.
QList<ItemOnlineUserInfo> parseOnlineUsers(const QJsonObject& message, qint64 currentRoomId);

// The same over a user-list reply's "data" array, in the user-list form.
QList<ItemOnlineUserInfo> parseUserListPage(const QJsonObject& reply, int listType, qint64 roomId);
