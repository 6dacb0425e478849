#pragma once
// The room channel's message protocol: the lenient readers every incoming handler uses, and the
// builders of every outgoing message.
//
// Incoming frames are untrusted: a field of the wrong JSON type reads as empty or 0, never fails
// the message. Outgoing messages are filled from fixed templates in one pass, text values escaped
// as JSON string contents, so a "%2" or a quote typed by the host travels unchanged.

#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QStringList>
#include <QtGlobal>

class ItemChatRecord;

namespace RoomProtocol {

// ---- reading ---------------------------------------------------------------------------------

// Parses one frame. Not JSON: logs "Error parsing JSON:" with the parser's text and returns false.
// A top level that is no object gives an empty object (and true).
bool parseFrame(const QString& frame, QJsonObject* out);

// The value when it is a JSON string, else "".
QString readText(const QJsonValue& v);
inline QString readText(const QJsonObject& o, const QString& key) { return readText(o.value(key)); }

// A JSON number whose value is a whole number that fits, else 0 (fractions are cut toward zero;
// out-of-range or non-finite values give 0).
qint64 readInteger(const QJsonValue& v);
inline qint64 readInteger(const QJsonObject& o, const QString& key) { return readInteger(o.value(key)); }
inline int readInt(const QJsonObject& o, const QString& key)
{
    const qint64 v = readInteger(o.value(key));
    return (v < INT_MIN || v > INT_MAX) ? 0 : int(v);
}

// "wechat_user_space_id" read leniently: a string converted as decimal (0 when it is no number),
// a number taken as it is, anything else -1. Logs which form it met.
qint64 readLenientId(const QJsonValue& v);

// "enter_msg_switch" / "leave_room_reminder": a string converted to an integer, else the number.
// Only the value 1 switches the notice on.
bool readSwitch(const QJsonValue& v);

// The value as an object ({} when it is anything else).
inline QJsonObject readObject(const QJsonValue& v) { return v.isObject() ? v.toObject() : QJsonObject(); }

// ---- building --------------------------------------------------------------------------------

// The text as JSON string contents (no surrounding quotes).
QString jsonEscaped(const QString& text);

// Replaces %1 .. %99 of the template with values[n-1] in a single pass; the values are inserted
// verbatim and never scanned again. A placeholder without a value stays as it is.
QString fillTemplate(const char* tmpl, const QStringList& values);

QString loginMessage(qint64 roomId, const QByteArray& token);
QString pongMessage();
// A text "say". A non-empty mention nickname makes it "at"; the quote member is present only
// when a quoted line is set.
QString sayTextMessage(const QString& text, const QString& quotedLine, const QString& mentionSpaceId,
                       const QString& mentionNick);
QString sayPictureMessage(const QString& pictureUrl);
// Pins the record when it is not pinned, unpins it when it is.
QString topMessage(const ItemChatRecord& record);
QString shutUpAllMessage(bool muted);
QString getOnlineListMessage();
QString getTrtcOnlineListMessage();
QString trtcLoginMessage(qint64 roomId, const QString& token);
QString trtcStartMessage();
QString trtcAgreeMessage(qint64 spaceId);
// behavior: "close_video_screen", "open_video_screen", "close_sound" or "open_sound".
QString trtcManageMessage(const QString& behavior, qint64 spaceId);
QString trtcRemoveMessage(qint64 spaceId);
QString adminCommonStartMessage(qint64 roomId);

} // namespace RoomProtocol
