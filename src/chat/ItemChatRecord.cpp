#include "chat/ItemChatRecord.h"

#include "chat/RoomProtocol.h"
#include "core/ImageUtils.h"
#include "core/LoginInfo.h"

#include <QDebug>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

using RoomProtocol::readInt;
using RoomProtocol::readText;

namespace {

QJsonObject objectFromText(const QString& text)
{
    const QJsonDocument doc = QJsonDocument::fromJson(text.toUtf8());
    return doc.isObject() ? doc.object() : QJsonObject();
}

UserTag readTag(const QJsonObject& o)
{
    UserTag t;
    t.id = readInt(o, QStringLiteral("id"));
    t.title = readText(o, QStringLiteral("title"));
    t.color = readText(o, QStringLiteral("color"));
    return t;
}

// "time" converts the way a variant does: a number, or a string of digits; anything else is 0.
qint64 readTime(const QJsonValue& v)
{
    if (v.isDouble()) {
        const double d = std::round(v.toDouble());
        return (std::isfinite(d) && d >= -9.2e18 && d <= 9.2e18) ? qint64(d) : 0;
    }
    if (v.isString())
        return v.toString().toLongLong();
    return 0;
}

} // namespace

ChatMessageContent::ChatMessageContent(const QJsonValue& value)
{
    const QJsonObject o =
        (value.isObject() && !value.toObject().isEmpty()) ? value.toObject() : objectFromText(readText(value));
    content = readText(o, QStringLiteral("content"));
    img_src = readText(o, QStringLiteral("img_src"));
    quote_content = readText(o, QStringLiteral("quote_content"));
    gift_name = readText(o, QStringLiteral("gift_name"));
    gift_img_src = readText(o, QStringLiteral("gift_img_src"));
    gift_num = readText(o, QStringLiteral("gift_num"));
}

ItemChatRecord::ItemChatRecord(const QJsonObject& obj)
{
    // A present "id" wins even when it is no string.
    if (obj.contains(QLatin1String("id")))
        id = readText(obj, QStringLiteral("id"));
    else if (obj.contains(QLatin1String("insert_id")))
        id = readText(obj, QStringLiteral("insert_id"));
    else if (obj.contains(QLatin1String("msg_id")))
        id = readText(obj, QStringLiteral("msg_id"));

    // Fields read as text: a JSON string, else empty.
    static const struct {
        QString ItemChatRecord::*field;
        const char* key;
    } kTextFields[] = {
        {&ItemChatRecord::audio_src, "audio_src"},
        {&ItemChatRecord::chat_time, "chat_time"},
        {&ItemChatRecord::client_photo, "client_photo"},
        {&ItemChatRecord::from_client_name, "from_client_name"},
        {&ItemChatRecord::wechat_user_space_id, "wechat_user_space_id"},
        {&ItemChatRecord::date_time, "date_time"},
        {&ItemChatRecord::eid, "eid"},
        {&ItemChatRecord::is_masters, "is_masters"},
        {&ItemChatRecord::master_txt, "master_txt"},
        {&ItemChatRecord::msg_type, "msg_type"},
        {&ItemChatRecord::ip, "ip"},
        {&ItemChatRecord::to_nick, "to_nick"},
        {&ItemChatRecord::to_wechat_user_space_id, "to_wechat_user_space_id"},
        {&ItemChatRecord::user_source, "user_source"},
    };
    for (const auto& f : kTextFields)
        this->*f.field = readText(obj, QString::fromLatin1(f.key));

    is_shield = obj.value(QLatin1String("is_shield")).toBool(false);
    if (wechat_user_space_id.isEmpty())
        wechat_user_space_id = QString::number(RoomProtocol::readInteger(obj, QStringLiteral("wechat_user_space_id")));
    content = ChatMessageContent(obj.value(QLatin1String("content")));
    if (readText(obj, QStringLiteral("type")) == QLatin1String("top")) {
        top = true;
        const QString info = readText(obj, QStringLiteral("msg_info"));
        if (msg_type == QLatin1String("image"))
            content.img_src = info;
        else
            content.content = info;
    }
    tags = readUserTagList(obj.value(QLatin1String("tags")));
    msg_audit = readInt(obj, QStringLiteral("msg_audit"));
    need_audit = readInt(obj, QStringLiteral("need_audit"));
    user_type = readInt(obj, QStringLiteral("user_type"));
    time = readTime(obj.value(QLatin1String("time")));
}

ItemChatRecord::ItemChatRecord(const LoginInfo& login, int localSeq, const QString& ownTagsText,
                               const QString& sayMessage, const QString& ownAvatarFile)
{
    local_seq = localSeq;
    // The server's id arrives with the echo and is kept apart from the record.
    id = QString(QChar(0x00FF));
    tags = readUserTagList(QJsonValue(ownTagsText));
    wechat_user_space_id = QString::number(login.wechat_user_space_id);
    from_client_name = login.name;
    client_photo = login.photo;
    if (!ownAvatarFile.isEmpty())
        avatar = roundAvatar(QPixmap(ownAvatarFile));
    user_type = 1;
    master_txt = QStringLiteral("管理员");
    const QJsonObject say = objectFromText(sayMessage);
    const QJsonObject body = RoomProtocol::readObject(say.value(QLatin1String("content")));
    msg_type = readText(body, QStringLiteral("msg_type"));
    content = ChatMessageContent(body.value(QLatin1String("content")));
    to_nick = readText(say, QStringLiteral("to_nick"));
}

ItemChatRecord::UserTagList ItemChatRecord::readUserTagList(const QJsonValue& value)
{
    UserTagList list;
    QJsonArray array;
    const QString text = readText(value);
    if (!text.isEmpty()) {
        const QJsonDocument doc = QJsonDocument::fromJson(text.toUtf8());
        if (!doc.isArray()) {
            qDebug() << "JSON data is not an array";
            return list;
        }
        array = doc.array();
    } else if (value.isArray()) {
        array = value.toArray();
    }
    for (const QJsonValue& e : qAsConst(array)) {
        if (!e.isObject()) {
            qDebug() << "Invalid JSON object in array";
            continue;
        }
        list.append(readTag(e.toObject()));
    }
    return list;
}

QPixmap ItemChatRecord::roundAvatar(const QPixmap& picture)
{
    if (picture.isNull())
        return QPixmap();
    const QPixmap scaled =
        picture.scaled(kAvatarSize, kAvatarSize, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    QPixmap out(kAvatarSize, kAvatarSize);
    out.fill(Qt::transparent);
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath circle;
    circle.addEllipse(0, 0, kAvatarSize, kAvatarSize);
    p.setClipPath(circle);
    p.drawPixmap(0, 0, scaled);
    return out;
}

QUrl ItemChatRecord::avatarUrl() const { return webPictureUrl(client_photo); }

ChatRecordsList::ChatRecordsList(const QJsonObject& reply, qint64 roomId)
{
    const QJsonArray data = reply.value(QLatin1String("data")).toArray();
    for (const QJsonValue& e : data) {
        if (!e.isObject()) {
            qDebug() << "Invalid JSON object in array";
            continue;
        }
        ItemChatRecord record(e.toObject());
        record.room_id = roomId;
        append(record);
    }
}

QList<UserTag> parseUserTagList(const QJsonValue& value)
{
    QList<UserTag> list;
    const QJsonArray array = value.toArray();
    for (const QJsonValue& e : array)
        list.append(readTag(e.toObject()));
    return list;
}

QString chatDisplayText(const QString& text)
{
    return text.trimmed().isEmpty() ? QString(QChar(0x3000)) : text;
}

QUrl webPictureUrl(const QString& address)
{
    const QUrl url(address.trimmed(), QUrl::TolerantMode);
    if (!url.isValid() || url.host().isEmpty())
        return QUrl();
    const QString scheme = url.scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        return QUrl();
    if (!ImageUtils::isRoomPictureAddress(url.toString()))
        return QUrl(); // the host's own machine or network
    return url;
}
