#include "chat/ChatSender.h"

#include "chat/ChatWebSocketClient.h"
#include "chat/ItemChatRecord.h"
#include "chat/RoomProtocol.h"
#include "core/FormBody.h"
#include "core/LoginInfo.h"
#include "core/ServiceConstants.h"

#include <QDebug>
#include <QJsonArray>
#include <QJsonDocument>
#include <QPointer>

namespace chatsend {

QString stripMention(const QString& text, const QString& mentionNick)
{
    QString out = text;
    if (!mentionNick.isEmpty())
        out.remove(QLatin1Char('@') + mentionNick, Qt::CaseSensitive);
    return out.trimmed();
}

QString ownMessageKey(const QString& recordText, const QString& pictureAddress)
{
    if (!pictureAddress.isNull())
        return pictureAddress;
    return chatDisplayText(recordText);
}

bool precheckPasses(const QJsonObject& reply)
{
    const QJsonObject data = RoomProtocol::readObject(reply.value(QLatin1String("data")));
    const QJsonValue pass = data.value(QLatin1String("pass"));
    return pass.isBool() && pass.toBool();
}

bool isShownMessageType(const QString& msgType)
{
    return msgType == QLatin1String("gift") || msgType == QLatin1String("speak") ||
           msgType == QLatin1String("image") || msgType == QLatin1String("at");
}

bool scrollsToBottom(bool autoScroll, bool isWss, int historyPage)
{
    return autoScroll && (isWss || historyPage == 1);
}

} // namespace chatsend

using namespace chatsend;

ChatSender::ChatSender(QObject* parent) : QObject(parent)
{
    m_get = apitransport::netGetJson();
    m_post = apitransport::netPostJson();
    m_send = [](const QString& message) {
        const bool connected = isChatWsConnected();
        sendChatWsMessage(message); // logged even when it is dropped
        return connected;
    };
}

void ChatSender::setTransport(GetJsonFn get, PostJsonFn post, SendFn send)
{
    if (get)
        m_get = std::move(get);
    if (post)
        m_post = std::move(post);
    if (send)
        m_send = std::move(send);
}

void ChatSender::setRoomId(qint64 roomId)
{
    m_roomId = roomId;
    ++m_choice;
}

void ChatSender::drop(const QString& key, int localSeq, bool tellHost)
{
    if (localSeq >= 0 && hooks.ownMessageDropped)
        hooks.ownMessageDropped(key, localSeq);
    if (tellHost && hooks.sendFailed)
        hooks.sendFailed();
}

ChatSender::Outcome ChatSender::send(const Draft& draft)
{
    const QString text = stripMention(draft.text, draft.mentionNick);
    if (text.isEmpty())
        return Outcome::EmptyInput;

    const QString say = RoomProtocol::sayTextMessage(text, draft.quotedLine, draft.mentionSpaceId, draft.mentionNick);
    const int seq = hooks.showOwnMessage ? hooks.showOwnMessage(say) : -1;
    const QString key = ownMessageKey(text);

    // A sensitive word stops the message here; the host sees it as sent and is not told.
    if (m_words.blocks(text)) {
        drop(key, seq, false);
        return Outcome::Blocked;
    }

    const qint64 roomId = m_roomId;
    const quint64 choice = m_choice;
    const QString body = solvek::FormBody()
                             .add("content", text)
                             .add("roomId", roomId)
                             .add("uid", m_login ? qint64(m_login->uid) : qint64(0))
                             .add("client_type", m_login ? qint64(m_login->client_type) : qint64(0))
                             .toString();
    QPointer<ChatSender> self(this);
    m_post(
        API_POST_JUDGE_WORD, body,
        [self, choice, say, key, seq](const QJsonObject& reply) {
            if (!self)
                return;
            // Made for a room the host has left: sending it now would put it into the new room.
            if (choice != self->m_choice) {
                qDebug() << "chat pre-check answered for an earlier room; message dropped";
                self->drop(key, seq, true);
                return;
            }
            if (!precheckPasses(reply)) {
                self->drop(key, seq, false);
                return;
            }
            if (!self->m_send(say))
                self->drop(key, seq, true);
            else if (seq >= 0 && self->hooks.ownMessageSent)
                self->hooks.ownMessageSent(key, seq);
        },
        [self, key, seq](const QString& error) {
            qDebug() << "API_POST_JUDGE_WORD error" << error;
            if (self)
                self->drop(key, seq, true);
        });
    return Outcome::Checking;
}

void ChatSender::requestSensitiveWords()
{
    m_words.clear();
    const quint64 choice = m_choice;
    QPointer<ChatSender> self(this);
    m_post(
        API_GET_SENSITIVE_WORD_LIST, QString(),
        [self, choice](const QJsonObject& reply) {
            // The list of a room chosen before belongs to no room any more.
            if (!self || choice != self->m_choice)
                return;
            self->m_words.appendFromReply(reply);
        },
        [](const QString& error) { qDebug() << "API_GET_SENSITIVE_WORD_LIST error" << error; });
}

void ChatSender::getUserTagInfo()
{
    const quint64 choice = m_choice;
    QPointer<ChatSender> self(this);
    const QString body = solvek::FormBody()
                             .add("room_id", m_roomId)
                             .add("wechat_user_space_id", m_login ? qint64(m_login->wechat_user_space_id) : qint64(0))
                             .add("uid", m_login ? qint64(m_login->uid) : qint64(0))
                             .toString();
    m_post(
        API_POST_USER_TAG_INFO, body,
        [self, choice](const QJsonObject& reply) {
            if (!self || choice != self->m_choice)
                return;
            const QJsonValue data = reply.value(QLatin1String("data"));
            if (data.isArray())
                self->m_ownTagsText = QString::fromUtf8(QJsonDocument(data.toArray()).toJson(QJsonDocument::Compact));
        },
        [](const QString& error) { qDebug() << "API_POST_USER_TAG_INFO error" << error; });

    m_get(
        API_POST_UCENTER,
        [self](const QJsonObject& reply) {
            if (!self || !self->m_login)
                return;
            const QJsonObject data = RoomProtocol::readObject(reply.value(QLatin1String("data")));
            if (data.contains(QLatin1String("client_type")))
                self->m_login->client_type = data.value(QLatin1String("client_type")).toVariant().toInt();
        },
        [](const QString& error) { qDebug() << "API_POST_UCENTER error" << error; });
}
