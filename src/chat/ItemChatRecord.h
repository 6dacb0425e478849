#pragma once
// Stand-in: the chat record types, only as far as the chat rows use them. The room-channel work
// replaces this file with the full records and their JSON readers.

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QMetaType>
#include <QPixmap>
#include <QString>

struct UserTag {
    qint32 id = 0;
    QString title;
    QString color;
};

struct ChatMessageContent {
    QString content;
    QString img_src;
    QString quote_content;
    QString gift_name;
    QString gift_img_src;
    QString gift_num;
};

class ItemChatRecord
{
public:
    using UserTagList = QList<UserTag>;

    qint64 room_id = 0;
    qint32 local_seq = -1;
    QString id;
    QString chat_time;
    QString client_photo;
    QString from_client_name;
    QString wechat_user_space_id;
    QString master_txt;
    QString msg_type;
    ChatMessageContent content;
    UserTagList tags;
    QString to_nick;
    QString to_wechat_user_space_id;
    qint32 user_type = 0;
    bool top = false;
    bool is_shield = false;
    QPixmap avatar;
};
Q_DECLARE_METATYPE(ItemChatRecord)

inline QList<UserTag> parseUserTagList(const QJsonValue& value)
{
    QList<UserTag> out;
    for (const QJsonValue& v : value.toArray()) {
        const QJsonObject o = v.toObject();
        UserTag t;
        t.id = o.value("id").isDouble() ? o.value("id").toInt() : 0;
        t.title = o.value("title").isString() ? o.value("title").toString() : QString();
        t.color = o.value("color").isString() ? o.value("color").toString() : QString();
        out.append(t);
    }
    return out;
}

inline QString chatDisplayText(const QString& text)
{
    return text.trimmed().isEmpty() ? QString(QChar(0x3000)) : text;
}
