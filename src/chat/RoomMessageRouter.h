#pragma once
// The room connection and the one dispatcher of room messages.
//
// The main window owns one router. The router finds the room channel's address, replaces the
// client for each room, logs in on every connection (the first and each reconnection), starts
// the IM group, asks for the co-host link token in a co-host room, and routes every incoming
// "type" to the window through the hooks below. Hooks left empty are skipped (queries answer
// "no"), so parts of the window can be wired one at a time.
//
// The router also keeps what the echo of the host's own messages needs (pending own messages and
// their server ids) and the queue of incoming chat records, fed by the room channel and the IM
// group. Parsing a frame never does I/O and never re-enters the event loop.

#include "chat/ApiTransport.h"
#include "chat/ItemChatRecord.h"
#include "chat/PendingOwnMessages.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <deque>
#include <functional>
#include <limits>
#include <memory>

struct LoginInfo;
class SvV2TIMAdvancedMsgListener;

// Incoming chat records waiting to be shown; a record whose id is already waiting is refused.
class ChatRecordQueue
{
public:
    bool enqueue(const ItemChatRecord& record);
    bool containsId(const QString& id) const;
    int size() const { return m_records.size(); }
    bool isEmpty() const { return m_records.isEmpty(); }
    // Takes the records out in queue order and hands each to fn; records queued meanwhile (by fn
    // itself) are drained in the same call.
    void drain(const std::function<void(ItemChatRecord&)>& fn);

private:
    QList<ItemChatRecord> m_records;
};

// Copies each chat card of the IM listener during its emission (on the SDK's thread) and hands
// the copy on as a signal. One per listener, its child, so it lives as long as the listener does;
// routers take the copies by queued connections, which Qt drops safely when a router goes.
class ImCardRelay : public QObject
{
    Q_OBJECT
public:
    // The relay of `listener`, made and wired on first use (GUI thread).
    static ImCardRelay* of(SvV2TIMAdvancedMsgListener* listener);

signals:
    void cardCopied(const QByteArray& text);

private:
    using QObject::QObject;
};

class RoomMessageRouter : public QObject
{
    Q_OBJECT
public:
    using JsonFn = apitransport::JsonFn;
    using ErrorFn = apitransport::ErrorFn;
    using GetJsonFn = apitransport::GetJsonFn;
    using PostJsonFn = apitransport::PostJsonFn;
    using SendFn = std::function<void(const QString& message)>;

    static constexpr int kOnlineDownDelayMs = 100;
    // Frames longer than this (a busy room's online list runs to megabytes) are parsed on a worker
    // thread; the frames after one wait until it is handled, so the order stays that of the room.
    static constexpr int kWorkerFrameChars = 256 * 1024;
    // An own message whose echo has not come this long after it went out is given up; the room
    // echoes within a moment, so this only catches a message the server never took.
    static constexpr int kEchoTimeoutMs = 15000;

    // What the window does with routed messages. Ids are space ids read leniently (-1: none).
    struct Hooks {
        // chat list
        std::function<void(ItemChatRecord& record, bool isWss)> addItemChatRecord;
        std::function<void(const ItemChatRecord& record, bool pinned)> setPinnedMessage;
        std::function<QString()> pinnedMessageId;
        std::function<void(bool muted)> setMuteAllState;
        // Live rows the list holds back to add them together are added now: every frame but a
        // viewer's message acts only after the rows that came before it are in the list.
        std::function<void()> showHeldRows;
        // "row_delete": delete the row of that message id; ownLocalSeq >= 0 when the id is the
        // server id of one of the host's own messages (its row is filed by that number).
        std::function<void(const QString& messageId, int ownLocalSeq)> removeChatRow;
        // The echo of an own message whose row the host deleted before the echo came: the room
        // has it, so the window asks the server to delete it by the echo's id.
        std::function<void(int ownLocalSeq, const QString& messageId)> deleteEchoedOwnMessage;
        // enter and leave notices
        std::function<bool()> chatListExists;
        std::function<int()> currentSideTab; // 0 chat, 1 co-host, 2 online users
        std::function<void(const QString& name, bool enter)> addRemindMessage;
        // online users
        std::function<int()> selectedOnlineTab;                                   // 0 online .. 3
        std::function<void(int onlineNum, const QJsonObject& message)> onlineList; // "get_online_list"
        std::function<void(int onlineNum)> onlineCountChanged;                     // "upordown_single"
        std::function<void(const QJsonObject& clientInfo)> onlineUserUp;
        std::function<void(const QJsonObject& clientInfo)> onlineUserDown;         // 100 ms later
        std::function<void()> reloadOnlineTab;
        // co-host
        std::function<void(QJsonObject& message)> handleTrtcOnline;
        std::function<void(QJsonObject& message)> handleRTrtcLogin;
        std::function<void(qint64 spaceId)> handleTrtcLogin;
        std::function<void(qint64 spaceId, bool eraseFromMap)> handleTrtcRemove_1;
        std::function<void(qint64 spaceId, const QString& name, const QString& photo, const QString& trtcTag)>
            handleTrtcApply;
        std::function<bool(qint64 spaceId)> hasCoHostRow;
        std::function<void(const QString& text)> showFailureStatus; // a 2000 ms failure toast
        // Own messages that went out were given up: their connection was lost before the echo
        // came, or the echo is overdue. The host is told they failed.
        std::function<void(int count)> ownMessagesFailed;
        // the co-host link token's reply for the current room; it comes back through
        // onWsTokenReply (without a hook the router takes it itself)
        std::function<void(const QJsonObject& reply)> wsTokenReply;
        // the co-host login message is ready (or rebuilt) after a token reply
        std::function<void(const QString& trtcLoginMessage)> trtcLoginPrepared;
    };

    explicit RoomMessageRouter(QObject* parent = nullptr);
    ~RoomMessageRouter() override;

    Hooks hooks;

    // The signed-in host (token and space id); the record must outlive the router.
    void setLoginInfo(const LoginInfo* login) { m_login = login; }
    // The room whose channel is opened next (called by the room choice before connWss).
    void setRoom(qint64 roomId, const QString& roomName, int coHostMode);
    qint64 roomId() const { return m_roomId; }
    int coHostMode() const { return m_coHostMode; }

    // ---- connection ----
    // Finds the channel address (account configuration, the built-in default when it gives none
    // or fails) and calls initWss with it. A reply that arrives after a newer connWss or after
    // closeRoomChannel is dropped.
    void connWss();
    // Replaces the client with one for ws_url and wires it to this router.
    void initWss(const QString& ws_url);
    // A custom push address: drops the client (later sends are lost) and any pending lookup.
    void closeRoomChannel();
    // What runs on every connection of the current client.
    void onWsConnected();
    // The dispatcher: one text frame of the room channel.
    void onWsTextMessage(const QString& message);
    // Frames received and not handled yet (a long one still being parsed, and those after it).
    int waitingFrames() const { return int(m_frames.size()); }
    // Asks for the co-host link token; the reply prepares the "trtc_login" message. A reply for
    // a room chosen before is dropped.
    void getWsTokenAndTrtcLogin();
    // A token reply of the current room: a string "data" becomes the token and the "trtc_login"
    // message is prepared from it; any other reply changes nothing.
    void onWsTokenReply(const QJsonObject& reply);
    QString loginMessage() const { return m_loginText; }
    QString wsToken() const { return m_wsToken; }
    QString preparedTrtcLogin() const { return m_trtcLoginMsg; }

    // ---- the host's own messages ----
    // Numbers the host's own messages (1, 2, ...; never reset).
    int takeNextLocalSeq() { return m_nextLocalSeq++; }
    // key: the text (or picture address) whose echo completes the message. Messages with the
    // same key are completed by their echoes in the order they were sent.
    void addPendingOwnMessage(const QString& key, int localSeq) { m_own.add(key, localSeq); }
    // The echo of an own message: 0 when the key was pending (its server id is recorded), else -1.
    int handleAdminSendMessageRecv(const QString& key, const QString& msgId);
    QString ownMessageServerId(int localSeq) const { return m_own.serverId(localSeq); }
    int ownLocalSeqForServerId(const QString& msgId) const { return m_own.localSeqForServerId(msgId); }
    PendingOwnMessages& ownMessages() { return m_own; }
    // The pending own message was handed to the connected channel: its echo is awaited on this
    // connection, for at most the echo timeout.
    void ownMessageSent(int localSeq);
    // Gives up the own messages that went out at or before sentByMs (m_clock); all by default.
    void giveUpOwnMessages(qint64 sentByMs = std::numeric_limits<qint64>::max());
    void setEchoTimeout(int ms) { m_echoTimeout = ms; }
    int echoTimeout() const { return m_echoTimeout; }

    // ---- incoming chat records ----
    // An IM group chat card (bytes up to the first zero byte): queued as a record and drained.
    void handleImSDKNewMessage(const QByteArray& text);
    bool enqueueIncoming(const ItemChatRecord& record) { return m_queue.enqueue(record); }
    // Drains the queue onto the chat list (addItemChatRecord with isWss true).
    void updateChatRecordList();
    const ChatRecordQueue& incomingQueue() const { return m_queue; }

    // ---- seams for tests ----
    void setTransport(GetJsonFn get, PostJsonFn post, SendFn send);
    void setOnlineDownDelay(int ms) { m_onlineDownDelay = ms; }

private:
    using Handler = void (RoomMessageRouter::*)(QJsonObject&);
    static const QHash<QString, Handler>& routes();

    struct Frame;
    void handleConnected(const QString& loginText);
    void dispatch(QJsonObject& msg);
    // Handles the waiting frames in order, up to a long one not parsed yet.
    void handleWaitingFrames();
    // Frames of a channel being replaced are dropped (with any parse still running for them).
    void dropWaitingFrames();
    void send(const QString& message);
    bool isHost(qint64 spaceId) const;

    void onPing(QJsonObject& msg);
    void onSay(QJsonObject& msg);
    void onTop(QJsonObject& msg);
    void onShutUpAll(QJsonObject& msg);
    void onRowDelete(QJsonObject& msg);
    void onGetOnlineList(QJsonObject& msg);
    void onLogin(QJsonObject& msg);
    void onLogout(QJsonObject& msg);
    void onUpOrDownSingle(QJsonObject& msg);
    void onIgnored(QJsonObject& msg);
    void onGetTrtcOnlineList(QJsonObject& msg);
    void onRTrtcLogin(QJsonObject& msg);
    void onTrtcLogin(QJsonObject& msg);
    void onTrtcRemove(QJsonObject& msg);
    void onTrtcApply(QJsonObject& msg);
    void onRTrtcAgree(QJsonObject& msg);

    const LoginInfo* m_login = nullptr;
    qint64 m_roomId = 0;
    QString m_roomName;
    int m_coHostMode = 0;
    quint64 m_connGeneration = 0;
    QString m_loginText;
    QString m_wsToken;
    QString m_trtcLoginMsg;
    QPointer<SvV2TIMAdvancedMsgListener> m_imListener;

    int m_nextLocalSeq = 1;
    PendingOwnMessages m_own;
    QElapsedTimer m_clock;
    int m_echoTimeout = kEchoTimeoutMs;
    ChatRecordQueue m_queue;

    GetJsonFn m_get;
    PostJsonFn m_post;
    SendFn m_send;
    int m_onlineDownDelay = kOnlineDownDelayMs;
    std::deque<std::shared_ptr<Frame>> m_frames;
};
