#pragma once
// The host's chat text on its way to the room, without widgets.
//
// A text is shown at once as the host's own record, checked against the room's sensitive words,
// passed through the service's moderation pre-check and only then sent as a "say" message over
// the room channel. The same object fetches what sending depends on when a room is chosen: the
// sensitive-word list, the host's own tags (attached to own records) and the account's client
// type (sent with every pre-check).
//
// The window supplies the widgets' side through hooks; tests replace the transport.

#include "chat/ApiTransport.h"
#include "chat/SensitiveWords.h"

#include <QJsonObject>
#include <QObject>
#include <QString>

#include <functional>

struct LoginInfo;

namespace chatsend {

// The input text with every "@<mentionNick>" removed (case-sensitive), then trimmed. Without a
// mention nothing is removed: an at sign the host typed stays in the text.
QString stripMention(const QString& text, const QString& mentionNick);

// The text whose echo completes an own message: the picture address when one is given, else the
// record's text when its trimmed form is non-empty (untrimmed), else one full-width space.
QString ownMessageKey(const QString& recordText, const QString& pictureAddress = QString());

// The pre-check passes only when "data"."pass" is the JSON boolean true.
bool precheckPasses(const QJsonObject& reply);

// The chat list shows only these kinds: "gift", "speak", "image", "at".
bool isShownMessageType(const QString& msgType);

// The list follows a new row to the bottom while auto-scroll is on, for live rows and for the
// rows of the first history page.
bool scrollsToBottom(bool autoScroll, bool isWss, int historyPage);

} // namespace chatsend

class ChatSender : public QObject
{
    Q_OBJECT
public:
    using JsonFn = apitransport::JsonFn;
    using ErrorFn = apitransport::ErrorFn;
    using GetJsonFn = apitransport::GetJsonFn;
    using PostJsonFn = apitransport::PostJsonFn;
    // Sends one room message; false when no connected channel took it.
    using SendFn = std::function<bool(const QString& message)>;

    static constexpr int kToastMs = 2000;

    // What the host typed, with the mention and quote chosen through the row actions.
    struct Draft {
        QString text;
        QString mentionNick;
        QString mentionSpaceId;
        QString quotedLine;
    };

    enum class Outcome {
        EmptyInput, // nothing left to send; the input keeps its text
        Blocked,    // shown to the host, stopped by a sensitive word
        Checking,   // shown to the host, the pre-check is under way
    };

    struct Hooks {
        // Shows the "say" message as the host's own record; returns its local number.
        std::function<int(const QString& sayMessage)> showOwnMessage;
        // An own message that will never reach the room (its echo must not be waited for).
        std::function<void(const QString& key, int localSeq)> ownMessageDropped;
        // An own message handed to the connected channel (its echo is awaited from now on).
        std::function<void(const QString& key, int localSeq)> ownMessageSent;
        // The host is told that a message did not go out ("发送失败").
        std::function<void()> sendFailed;
    };
    Hooks hooks;

    explicit ChatSender(QObject* parent = nullptr);

    // The signed-in host; its client type is updated by getUserTagInfo. Must outlive this object.
    void setLoginInfo(LoginInfo* login) { m_login = login; }
    // A new room choice (a custom push address has id 0). Replies to requests made for an
    // earlier choice are dropped from now on.
    void setRoomId(qint64 roomId);
    qint64 roomId() const { return m_roomId; }

    Outcome send(const Draft& draft);

    // Empties the word list and asks the service for the room's list.
    void requestSensitiveWords();
    // Asks for the host's own tags in the room and the account's client type.
    void getUserTagInfo();

    SensitiveWords& sensitiveWords() { return m_words; }
    QString ownTagsText() const { return m_ownTagsText; }

    void setTransport(GetJsonFn get, PostJsonFn post, SendFn send);

private:
    void drop(const QString& key, int localSeq, bool tellHost);

    LoginInfo* m_login = nullptr;
    qint64 m_roomId = 0;
    quint64 m_choice = 0; // counts room choices
    SensitiveWords m_words;
    QString m_ownTagsText;
    GetJsonFn m_get;
    PostJsonFn m_post;
    SendFn m_send;
};
