#pragma once
// Plain value types of one chat message and of the viewer tags attached to it.
//
// Records are read from room "say"/"top" messages, history pages and IM group messages, all of
// them untrusted. Reading never fails and never does I/O: the sender's avatar stays null here and
// is fetched later by whoever shows the record (webPictureUrl() says from where, if anywhere).

#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QMetaType>
#include <QPixmap>
#include <QString>
#include <QUrl>
#include <QtGlobal>

struct LoginInfo;

struct UserTag {
    int id = 0;
    QString title;
    QString color; // as the server gives it
};

class ChatMessageContent
{
public:
    ChatMessageContent() = default;
    // An object with members is read directly; anything else is taken as text holding a JSON
    // object (no object: six empty texts).
    explicit ChatMessageContent(const QJsonValue& value);

    QString content;       // the text
    QString img_src;       // picture address
    QString quote_content; // the quoted line of a reply
    QString gift_name;
    QString gift_img_src;
    QString gift_num;
};

class ItemChatRecord
{
public:
    using UserTagList = QList<UserTag>;

    static constexpr int kAvatarSize = 36;

    ItemChatRecord() = default;
    // A chat object of the room channel, a history page or the IM group.
    explicit ItemChatRecord(const QJsonObject& obj);
    // The host's own message just typed: the login record, its local sequence number, the host's
    // tags as JSON text, the outgoing "say" text and the host's avatar file (a local file of the
    // program's own; empty or unreadable gives a null avatar).
    ItemChatRecord(const LoginInfo& login, int localSeq, const QString& ownTagsText, const QString& sayMessage,
                   const QString& ownAvatarFile = QString());

    // A tag list read from a JSON array, or from a string that holds one.
    static UserTagList readUserTagList(const QJsonValue& value);
    // The avatar shape of chat rows: scaled to 36 x 36 ignoring the aspect ratio, clipped to a
    // circle on a transparent background. A null picture stays null.
    static QPixmap roundAvatar(const QPixmap& picture);

    // Where the sender's photo may be fetched from: only http and https addresses of room data
    // are ever loaded; anything else (a path, file:, data:, ...) gives an empty URL.
    QUrl avatarUrl() const;

    qint64 room_id = 0;
    int local_seq = -1; // -1 for every record that is not the host's own
    QString id;         // the server's message id
    QString audio_src;
    QString chat_time;
    QString client_photo;
    QString from_client_name;
    QString wechat_user_space_id;
    QString date_time;
    QString eid;
    QString is_masters;
    QString master_txt;
    int msg_audit = 0;
    int need_audit = 0;
    QString msg_type; // "speak", "at", "image", "gift" and others
    QString ip;
    ChatMessageContent content;
    UserTagList tags;
    qint64 time = 0;
    QString to_nick;
    QString to_wechat_user_space_id;
    QString user_source;
    int user_type = 0;
    bool top = false;
    bool is_shield = false;
    QPixmap avatar;
};

Q_DECLARE_METATYPE(ItemChatRecord)

// One page of chat history: the "data" array of a history reply, objects only, in order.
class ChatRecordsList : public QList<ItemChatRecord>
{
public:
    ChatRecordsList() = default;
    ChatRecordsList(const QJsonObject& reply, qint64 roomId);
};

// Every element of a JSON array read as a tag object (a non-object element gives {0, "", ""}).
QList<UserTag> parseUserTagList(const QJsonValue& value);

// The text when its trimmed form is non-empty, else one full-width space (U+3000), so an empty
// bubble keeps its height.
QString chatDisplayText(const QString& text);

// An http or https address with a host, else an empty URL. Pictures named by room data are
// fetched only from such addresses, never from the local disk.
QUrl webPictureUrl(const QString& address);
