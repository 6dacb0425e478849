#include "chat/ItemOnlineUserInfo.h"

#include "chat/RoomProtocol.h"

#include <QJsonArray>
#include <QJsonValue>

#include <cmath>
#include <functional>
#include <limits>

using RoomProtocol::readInteger;
using RoomProtocol::readText;

namespace
{
qint32 toInt32(qint64 v, qint32 outOfRange)
{
    return (v < std::numeric_limits<qint32>::min() || v > std::numeric_limits<qint32>::max()) ? outOfRange
                                                                                             : qint32(v);
}

bool isWholeNumber(const QJsonValue& v)
{
    if (!v.isDouble())
        return false;
    const double d = v.toDouble();
    return std::isfinite(d) && std::floor(d) == d;
}

bool isTrue(const QJsonValue& v) { return v.isBool() && v.toBool(); }

// The decimal text of a JSON number: the key of a viewer whose id the channel gives as a number.
QString numberKey(const QJsonValue& v)
{
    const double d = v.toDouble();
    if (isWholeNumber(v) && std::fabs(d) < 9.007199254740992e15)
        return QString::number(qint64(d));
    return QString::number(d, 'g', 17);
}

QList<ItemOnlineUserInfo> readEntries(const QJsonObject& obj,
                                      const std::function<ItemOnlineUserInfo(const QJsonObject&)>& read)
{
    QList<ItemOnlineUserInfo> out;
    const QJsonValue data = obj.value(QLatin1String("data"));
    if (!data.isArray())
        return out;
    const QJsonArray entries = data.toArray();
    out.reserve(entries.size());
    for (const QJsonValue& entry : entries)
        out.append(read(RoomProtocol::readObject(entry)));
    return out;
}
} // namespace

ItemOnlineUserInfo ItemOnlineUserInfo::fromRoomChannel(const QJsonObject& obj, qint64 currentRoomId)
{
    ItemOnlineUserInfo r;
    const QJsonValue id = obj.value(QLatin1String("client_id"));
    if (id.isString()) {
        r.client_id = id.toString();
    } else if (id.isDouble()) {
        r.client_id = numberKey(id);
        if (isWholeNumber(id))
            r.client_id_num = toInt32(readInteger(id), 0);
    }

    const QJsonValue wus = obj.value(QLatin1String("wus_id"));
    if (wus.isDouble()) {
        r.wus_id = toInt32(readInteger(wus), -1);
    } else if (wus.isString()) {
        const QString text = wus.toString();
        r.wus_id = text.contains(QString::fromUtf8("未知")) ? -1 : text.toInt(nullptr, 10);
    }

    r.last_visit_time = toInt32(readInteger(obj, QStringLiteral("last_visit_time")), 0);
    r.unionid = readText(obj, QStringLiteral("unionid"));
    r.client_name = readText(obj, QStringLiteral("client_name"));
    r.client_photo = readText(obj, QStringLiteral("client_photo"));
    r.is_shut_up = readInteger(obj, QStringLiteral("is_shut_up")) != 0;
    r.terminal = readText(obj, QStringLiteral("terminal"));
    r.ip_location = readText(obj, QStringLiteral("ip_location"));
    r.is_forbid = readInteger(obj, QStringLiteral("is_forbid")) != 0;
    r.is_shield = isTrue(obj.value(QLatin1String("is_shield")));
    r.role_desc = readText(obj, QStringLiteral("role_desc"));
    r.invite_name = readText(obj, QStringLiteral("invite_name"));
    r.tags = parseUserTagList(obj.value(QLatin1String("tags")));
    r.list_type = Online;

    // The rows act on the viewer in this room: a record that names none belongs to the room open.
    r.room_id = currentRoomId;
    const QJsonValue room = obj.value(QLatin1String("room_id"));
    if (room.isDouble()) {
        r.room_id = readInteger(room);
    } else if (room.isString()) {
        bool ok = false;
        const qint64 v = room.toString().toLongLong(&ok, 10);
        if (ok)
            r.room_id = v;
    }

    r.is_assistant = isTrue(obj.value(QLatin1String("is_assistant")));
    r.is_admin = isTrue(obj.value(QLatin1String("is_admin")));
    return r;
}

ItemOnlineUserInfo ItemOnlineUserInfo::fromUserList(const QJsonObject& obj, int listType, qint64 roomId)
{
    ItemOnlineUserInfo r;
    r.client_id_num = toInt32(readInteger(obj, QStringLiteral("id")), 0);
    // readLenientId: text as decimal (0 when no number), a number as it is, else -1.
    const QJsonValue wus = obj.value(QLatin1String("wechat_user_space_id"));
    if (wus.isString() || wus.isDouble())
        r.wus_id = toInt32(RoomProtocol::readLenientId(wus), 0);
    r.last_visit_time = toInt32(readInteger(obj, QStringLiteral("last_visit_time")), 0);
    r.unionid = readText(obj, QStringLiteral("unionid"));
    r.client_name = readText(obj, QStringLiteral("name"));
    r.terminal = readText(obj, QStringLiteral("device"));
    r.ip_location = readText(obj, QStringLiteral("area"));
    r.role_desc = readText(obj, QStringLiteral("role_desc"));
    r.invite_name = readText(obj, QStringLiteral("invite_name"));
    r.client_photo = readText(obj, QStringLiteral("photo"));
    const QJsonValue shutUp = obj.value(QLatin1String("shut_up"));
    r.is_shut_up = shutUp.isDouble() && shutUp.toDouble() == 1.0;
    r.is_forbid = readText(obj, QStringLiteral("forbid")) == QLatin1String("1");
    r.is_shield = readText(obj, QStringLiteral("shield")) == QLatin1String("1");
    r.tags = parseUserTagList(obj.value(QLatin1String("tags")));
    r.list_type = listType;
    r.room_id = roomId;
    return r;
}

QList<ItemOnlineUserInfo> parseOnlineUsers(const QJsonObject& message, qint64 currentRoomId)
{
    return readEntries(message, [currentRoomId](const QJsonObject& o) {
        return ItemOnlineUserInfo::fromRoomChannel(o, currentRoomId);
    });
}

QList<ItemOnlineUserInfo> parseUserListPage(const QJsonObject& reply, int listType, qint64 roomId)
{
    return readEntries(reply, [listType, roomId](const QJsonObject& o) {
        return ItemOnlineUserInfo::fromUserList(o, listType, roomId);
    });
}
