#include "chat/RoomProtocol.h"

#include "chat/ItemChatRecord.h"
#include "core/UntrustedText.h"

#include <QDebug>
#include <QJsonDocument>
#include <QJsonParseError>

#include <cmath>

namespace RoomProtocol {

bool parseFrame(const QString& frame, QJsonObject* out)
{
    QJsonParseError err;
    const QJsonDocument doc = QJsonDocument::fromJson(frame.toUtf8(), &err);
    if (err.error != QJsonParseError::NoError) {
        qDebug() << "Error parsing JSON:" << err.errorString();
        return false;
    }
    *out = doc.isObject() ? doc.object() : QJsonObject();
    return true;
}

// Viewer text loses its explicit bidirectional controls here, before any widget sees it.
QString readText(const QJsonValue& v) { return v.isString() ? solvek::withoutBidiControls(v.toString()) : QString(); }

qint64 readInteger(const QJsonValue& v)
{
    if (!v.isDouble())
        return 0;
    const double d = std::trunc(v.toDouble());
    // Beyond +-2^63 (or NaN/inf) a cast would be undefined; such ids mean nothing anyway.
    if (!std::isfinite(d) || d < -9223372036854775808.0 || d >= 9223372036854775808.0)
        return 0;
    return qint64(d);
}

qint64 readLenientId(const QJsonValue& v)
{
    if (v.isString()) {
        qDebug() << "wechat_user_space_id is string";
        return v.toString().toLongLong(nullptr, 10);
    }
    if (v.isDouble()) {
        qDebug() << "wechat_user_space_id is int";
        return readInteger(v);
    }
    return -1;
}

bool readSwitch(const QJsonValue& v)
{
    if (v.isString())
        return v.toString().toInt() == 1;
    return v.toDouble() == 1.0;
}

QString jsonEscaped(const QString& text)
{
    QString out;
    out.reserve(text.size() + 8);
    const int n = text.size();
    for (int i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        const ushort u = c.unicode();
        if (c.isSurrogate()) {
            // A pair goes out as it is; a lone half would not survive UTF-8, so it is escaped.
            if (c.isHighSurrogate() && i + 1 < n && text.at(i + 1).isLowSurrogate()) {
                out += c;
                out += text.at(++i);
            } else {
                out += QStringLiteral("\\u%1").arg(u, 4, 16, QLatin1Char('0'));
            }
            continue;
        }
        switch (u) {
        case '"': out += QLatin1String("\\\""); break;
        case '\\': out += QLatin1String("\\\\"); break;
        case '\b': out += QLatin1String("\\b"); break;
        case '\f': out += QLatin1String("\\f"); break;
        case '\n': out += QLatin1String("\\n"); break;
        case '\r': out += QLatin1String("\\r"); break;
        case '\t': out += QLatin1String("\\t"); break;
        default:
            if (u < 0x20)
                out += QStringLiteral("\\u%1").arg(u, 4, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    return out;
}

QString fillTemplate(const char* tmpl, const QStringList& values)
{
    const QString t = QString::fromUtf8(tmpl);
    QString out;
    out.reserve(t.size() + 64);
    const int n = t.size();
    for (int i = 0; i < n; ++i) {
        const QChar c = t.at(i);
        if (c == QLatin1Char('%') && i + 1 < n && t.at(i + 1).isDigit()) {
            const int d1 = t.at(i + 1).digitValue();
            if (i + 2 < n && t.at(i + 2).isDigit()) {
                const int two = d1 * 10 + t.at(i + 2).digitValue();
                if (two >= 1 && two <= values.size()) {
                    out += values.at(two - 1);
                    i += 2;
                    continue;
                }
            }
            if (d1 >= 1 && d1 <= values.size()) {
                out += values.at(d1 - 1);
                i += 1;
                continue;
            }
        }
        out += c;
    }
    return out;
}

namespace {
QString num(qint64 v) { return QString::number(v); }
} // namespace

QString loginMessage(qint64 roomId, const QByteArray& token)
{
    // The token is the bytes up to the first zero byte.
    const int end = token.indexOf('\0');
    const QByteArray t = end < 0 ? token : token.left(end);
    return fillTemplate(R"({"type":"login", "terminal":20,"room_id":"%1","jwt_token":"%2"})",
                        {num(roomId), jsonEscaped(QString::fromUtf8(t))});
}

QString pongMessage() { return QStringLiteral(R"({"type":"pong"})"); }

QString sayTextMessage(const QString& text, const QString& quotedLine, const QString& mentionSpaceId,
                       const QString& mentionNick)
{
    const QString quote = quotedLine.isEmpty()
                              ? QString()
                              : fillTemplate(R"(,"quote_content":"%1")", {jsonEscaped(quotedLine)});
    return fillTemplate(
        R"({"type": "say","content" : {"msg_type": "%1","content" : {"content": "%2"%5}},"to_wechat_user_space_id": "%3","to_nick" : "%4","user_source" : ""})",
        {mentionNick.isEmpty() ? QStringLiteral("speak") : QStringLiteral("at"), jsonEscaped(text),
         jsonEscaped(mentionSpaceId), jsonEscaped(mentionNick), quote});
}

QString sayPictureMessage(const QString& pictureUrl)
{
    return fillTemplate(
        R"({"image": "image","type" : "say","to_client_id" : "all","to_client_name" : "所有人","content" : {"msg_type": "image","content" : {"img_src": "%1"}}})",
        {jsonEscaped(pictureUrl)});
}

QString topMessage(const ItemChatRecord& r)
{
    const QString info = r.msg_type == QLatin1String("image") ? r.content.img_src : chatDisplayText(r.content.content);
    return fillTemplate(
        R"({"type":"top","room_id":"%1","msg_id":"%2","msg_type" :"%3","is_top" : %4,"from_client_name" : "%5","client_photo" :"%6","is_masters" : "%7","master_txt" : "%8","msg_info" : "%9","to_nick":"%10","to_wechat_user_space_id":"%11"})",
        {num(r.room_id), jsonEscaped(r.id), jsonEscaped(r.msg_type), r.top ? QStringLiteral("2") : QStringLiteral("1"),
         jsonEscaped(r.from_client_name), jsonEscaped(r.client_photo), jsonEscaped(r.is_masters),
         jsonEscaped(r.master_txt), jsonEscaped(info), jsonEscaped(r.to_nick), jsonEscaped(r.to_wechat_user_space_id)});
}

QString shutUpAllMessage(bool muted)
{
    return fillTemplate(R"({"type": "shut_up_all","is_shut_up_all" : "%1"})",
                        {muted ? QStringLiteral("1") : QStringLiteral("0")});
}

QString getOnlineListMessage() { return QStringLiteral(R"({"type":"get_online_list"})"); }
QString getTrtcOnlineListMessage() { return QStringLiteral(R"({"type":"get_trtc_online_list"})"); }

QString trtcLoginMessage(qint64 roomId, const QString& token)
{
    return fillTemplate(R"({"type":"trtc_login", "terminal":20,"room_id":"%1","token":"%2"})",
                        {num(roomId), jsonEscaped(token)});
}

QString trtcStartMessage() { return QStringLiteral(R"({"type":"trtc_start"})"); }

QString trtcAgreeMessage(qint64 spaceId)
{
    return fillTemplate(R"({"type":"trtc_agree","wechat_user_space_id":%1,"trtc_login_redirect_uri":"xxxxxxxx"})",
                        {num(spaceId)});
}

QString trtcManageMessage(const QString& behavior, qint64 spaceId)
{
    return fillTemplate(R"({"type":"trtc_manage","behavior":"%1","wechat_user_space_id":%2})",
                        {jsonEscaped(behavior), num(spaceId)});
}

QString trtcRemoveMessage(qint64 spaceId)
{
    return fillTemplate(R"({"type":"trtc_remove","wechat_user_space_id":%1})", {num(spaceId)});
}

QString adminCommonStartMessage(qint64 roomId)
{
    return fillTemplate(R"({"type":"admin_common","room_id":"%1","detail":{"type":"live","action":"start"}})",
                        {num(roomId)});
}

} // namespace RoomProtocol
