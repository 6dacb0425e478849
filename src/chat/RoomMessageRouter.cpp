#include "chat/RoomMessageRouter.h"

#include "chat/ChatWebSocketClient.h"
#include "chat/ImSDKManager.h"
#include "chat/RoomProtocol.h"
#include "core/FormBody.h"
#include "core/LoginInfo.h"
#include "core/NetUtils.h"
#include "core/ServiceConstants.h"

#include <QCoreApplication>
#include <QDebug>
#include <QJsonDocument>
#include <QLoggingCategory>
#include <QMetaObject>
#include <QThreadPool>
#include <QTimer>

#include <atomic>

using namespace RoomProtocol;

// ---- ChatRecordQueue ----------------------------------------------------------------------------

bool ChatRecordQueue::containsId(const QString& id) const
{
    for (const ItemChatRecord& r : m_records)
        if (r.id == id)
            return true;
    return false;
}

bool ChatRecordQueue::enqueue(const ItemChatRecord& record)
{
    if (containsId(record.id))
        return false;
    m_records.append(record);
    return true;
}

void ChatRecordQueue::drain(const std::function<void(ItemChatRecord&)>& fn)
{
    while (!m_records.isEmpty()) {
        ItemChatRecord record = m_records.takeFirst();
        if (fn)
            fn(record);
    }
}

// ---- ImCardRelay ----------------------------------------------------------------------------------

ImCardRelay* ImCardRelay::of(SvV2TIMAdvancedMsgListener* listener)
{
    auto* relay = listener->findChild<ImCardRelay*>(QString(), Qt::FindDirectChildrenOnly);
    if (relay)
        return relay;
    relay = new ImCardRelay(listener);
    // The text lives only during the emission: copied right there, on the emitting thread.
    connect(
        listener, &SvV2TIMAdvancedMsgListener::sigReceiveNewMessage, relay,
        [relay](const char* msg) {
            if (msg)
                emit relay->cardCopied(QByteArray(msg));
        },
        Qt::DirectConnection);
    return relay;
}

// ---- RoomMessageRouter ----------------------------------------------------------------------------

RoomMessageRouter::RoomMessageRouter(QObject* parent) : QObject(parent)
{
    m_clock.start();
    m_get = apitransport::netGetJson();
    m_post = apitransport::netPostJson();
    m_send = [](const QString& message) { sendChatWsMessage(message); };
}

RoomMessageRouter::~RoomMessageRouter() = default;

void RoomMessageRouter::setTransport(GetJsonFn get, PostJsonFn post, SendFn send)
{
    if (get)
        m_get = std::move(get);
    if (post)
        m_post = std::move(post);
    if (send)
        m_send = std::move(send);
}

void RoomMessageRouter::setRoom(qint64 roomId, const QString& roomName, int coHostMode)
{
    m_roomId = roomId;
    m_roomName = roomName;
    m_coHostMode = coHostMode;
}

void RoomMessageRouter::send(const QString& message)
{
    if (m_send)
        m_send(message);
}

bool RoomMessageRouter::isHost(qint64 spaceId) const
{
    return m_login && spaceId == qint64(m_login->wechat_user_space_id);
}

// ---- connection ----

void RoomMessageRouter::connWss()
{
    const quint64 generation = ++m_connGeneration;
    QPointer<RoomMessageRouter> self(this);
    m_get(
        API_GET_ACCOUNT_CONFIG,
        [self, generation](const QJsonObject& reply) {
            if (!self || generation != self->m_connGeneration)
                return;
            QString url = readText(readObject(reply.value(QLatin1String("data"))), QStringLiteral("live_wss"));
            if (url.isEmpty())
                url = WSS_DEFAULT_URL;
            self->initWss(url);
        },
        [self, generation](const QString&) {
            if (!self || generation != self->m_connGeneration)
                return;
            self->initWss(WSS_DEFAULT_URL);
        });
}

void RoomMessageRouter::initWss(const QString& ws_url)
{
    // No echo comes on a connection that is closed.
    giveUpOwnMessages();
    dropWaitingFrames();
    destroyChatWsClient();
    ChatWebSocketClient* client = getChatWsClient();
    client->connectToServer(QUrl(ws_url));

    m_loginText = RoomProtocol::loginMessage(m_roomId, m_login ? m_login->token : QByteArray());
    qDebug() << "loginInfo:" << solvek::loggable(m_loginText.toUtf8());
    // Every connection of this client, reconnections included, sends the text made for its room.
    const QString loginText = m_loginText;
    connect(client, &ChatWebSocketClient::connected, this, [this, loginText] { handleConnected(loginText); });
    connect(client, &ChatWebSocketClient::textMessageReceived, this, &RoomMessageRouter::onWsTextMessage);
    // The server echoes a message to the connections in the room when it takes it; one that went
    // out on a connection now lost gets no echo on the next.
    connect(client, &ChatWebSocketClient::disconnected, this, [this] { giveUpOwnMessages(); });
}

void RoomMessageRouter::closeRoomChannel()
{
    ++m_connGeneration;
    dropWaitingFrames();
    giveUpOwnMessages();
    destroyChatWsClient();
}

void RoomMessageRouter::onWsConnected() { handleConnected(m_loginText); }

void RoomMessageRouter::handleConnected(const QString& loginText)
{
    qDebug() << "Connected to server";
    const std::shared_ptr<ImSDKManager> im = ImSDKManager::getInstance();
    im->InitSdk(m_roomName.toStdString(), int(qint32(m_roomId)));
    if (!m_imListener) {
        m_imListener = im->msgListener();
        if (m_imListener)
            connect(ImCardRelay::of(m_imListener.data()), &ImCardRelay::cardCopied, this,
                    &RoomMessageRouter::handleImSDKNewMessage, Qt::QueuedConnection);
    }
    send(loginText);
    if (m_coHostMode == 1)
        getWsTokenAndTrtcLogin();
}

void RoomMessageRouter::getWsTokenAndTrtcLogin()
{
    const qint64 roomId = m_roomId;
    QPointer<RoomMessageRouter> self(this);
    m_post(
        API_GET_PUSHFLOW_WSTOKEN, solvek::FormBody().add("type", "main_broad").add("room_id", roomId).toString(),
        [self, roomId](const QJsonObject& reply) {
            // A token of the room chosen before is of no use in this one.
            if (!self || roomId != self->m_roomId)
                return;
            if (self->hooks.wsTokenReply)
                self->hooks.wsTokenReply(reply);
            else
                self->onWsTokenReply(reply);
        },
        [](const QString&) { qDebug() << "API_GET_PUSHFLOW_WSTOKEN error"; });
}

void RoomMessageRouter::onWsTokenReply(const QJsonObject& reply)
{
    const QJsonValue data = reply.value(QLatin1String("data"));
    if (!data.isString())
        return;
    m_wsToken = data.toString();
    m_trtcLoginMsg = RoomProtocol::trtcLoginMessage(m_roomId, m_wsToken);
    qDebug() << "API_GET_PUSHFLOW_WSTOKEN Data sucess";
    if (hooks.trtcLoginPrepared)
        hooks.trtcLoginPrepared(m_trtcLoginMsg);
}

// ---- own messages ----

void RoomMessageRouter::ownMessageSent(int localSeq)
{
    m_own.markSent(localSeq, m_clock.elapsed());
    QTimer::singleShot(m_echoTimeout, Qt::PreciseTimer, this,
                       [this] { giveUpOwnMessages(m_clock.elapsed() - m_echoTimeout); });
}

void RoomMessageRouter::giveUpOwnMessages(qint64 sentByMs)
{
    const auto givenUp = m_own.giveUp(sentByMs);
    if (givenUp.isEmpty())
        return;
    qDebug() << "own messages without their echo given up:" << givenUp.size();
    if (hooks.ownMessagesFailed)
        hooks.ownMessagesFailed(givenUp.size());
}

int RoomMessageRouter::handleAdminSendMessageRecv(const QString& key, const QString& msgId)
{
    const int seq = m_own.complete(key, msgId);
    if (seq < 0)
        return -1;
    if (m_own.takeDeleted(seq) && hooks.deleteEchoedOwnMessage)
        hooks.deleteEchoedOwnMessage(seq, msgId);
    return 0;
}

// ---- incoming records ----

void RoomMessageRouter::updateChatRecordList()
{
    m_queue.drain([this](ItemChatRecord& record) {
        if (hooks.addItemChatRecord)
            hooks.addItemChatRecord(record, true);
    });
}

void RoomMessageRouter::handleImSDKNewMessage(const QByteArray& text)
{
    qDebug() << "handleImSDKNewMessage:" << text;
    const int end = text.indexOf('\0');
    const QJsonDocument doc = QJsonDocument::fromJson(end < 0 ? text : text.left(end));
    if (!doc.isObject())
        return;
    if (m_queue.enqueue(ItemChatRecord(doc.object())))
        qDebug() << "add item";
    updateChatRecordList();
}

// ---- dispatcher ----

const QHash<QString, RoomMessageRouter::Handler>& RoomMessageRouter::routes()
{
    static const QHash<QString, Handler> table{
        {QStringLiteral("ping"), &RoomMessageRouter::onPing},
        {QStringLiteral("say"), &RoomMessageRouter::onSay},
        {QStringLiteral("top"), &RoomMessageRouter::onTop},
        {QStringLiteral("shut_up_all"), &RoomMessageRouter::onShutUpAll},
        {QStringLiteral("row_delete"), &RoomMessageRouter::onRowDelete},
        {QStringLiteral("get_online_list"), &RoomMessageRouter::onGetOnlineList},
        {QStringLiteral("login"), &RoomMessageRouter::onLogin},
        {QStringLiteral("logout"), &RoomMessageRouter::onLogout},
        {QStringLiteral("upordown_single"), &RoomMessageRouter::onUpOrDownSingle},
        {QStringLiteral("r_to_buy"), &RoomMessageRouter::onIgnored},
        {QStringLiteral("get_trtc_online_list"), &RoomMessageRouter::onGetTrtcOnlineList},
        {QStringLiteral("r_trtc_login"), &RoomMessageRouter::onRTrtcLogin},
        {QStringLiteral("trtc_login"), &RoomMessageRouter::onTrtcLogin},
        {QStringLiteral("trtc_remove"), &RoomMessageRouter::onTrtcRemove},
        {QStringLiteral("trtc_apply"), &RoomMessageRouter::onTrtcApply},
        {QStringLiteral("r_trtc_agree"), &RoomMessageRouter::onRTrtcAgree},
    };
    return table;
}

// A received frame waiting its turn: parsed when its turn comes, or (a long one) on a worker.
struct RoomMessageRouter::Frame {
    QString text;
    bool onWorker = false;
    std::atomic<bool> parsed{false};
    bool ok = false;
    QJsonObject msg;
};

void RoomMessageRouter::onWsTextMessage(const QString& message)
{
    // A frame is logged only when debug lines are kept (formatting it costs more than parsing it).
    if (QLoggingCategory::defaultCategory()->isDebugEnabled())
        qDebug() << "Received message:" << message;
    if (message.size() <= kWorkerFrameChars && m_frames.empty()) {
        QJsonObject msg;
        if (parseFrame(message, &msg))
            dispatch(msg);
        return;
    }
    auto frame = std::make_shared<Frame>();
    frame->text = message;
    m_frames.push_back(frame);
    if (message.size() <= kWorkerFrameChars)
        return;
    frame->onWorker = true;
    QPointer<RoomMessageRouter> self(this);
    QThreadPool::globalInstance()->start([frame, self] {
        frame->ok = parseFrame(frame->text, &frame->msg);
        frame->text.clear();
        frame->parsed = true;
        // Back on the window's thread; a router gone (or a frame dropped) meanwhile is left alone.
        QMetaObject::invokeMethod(qApp, [frame, self] {
            if (self && !self->m_frames.empty() && self->m_frames.front() == frame)
                self->handleWaitingFrames();
        }, Qt::QueuedConnection);
    });
}

void RoomMessageRouter::handleWaitingFrames()
{
    while (!m_frames.empty()) {
        const std::shared_ptr<Frame> frame = m_frames.front();
        if (frame->onWorker && !frame->parsed)
            return;
        m_frames.pop_front();
        if (!frame->onWorker)
            frame->ok = parseFrame(frame->text, &frame->msg);
        if (frame->ok)
            dispatch(frame->msg);
    }
}

void RoomMessageRouter::dropWaitingFrames() { m_frames.clear(); }

void RoomMessageRouter::dispatch(QJsonObject& msg)
{
    const Handler handler = routes().value(readText(msg, QStringLiteral("type")), nullptr);
    if (!handler)
        return;
    if (handler != &RoomMessageRouter::onSay && hooks.showHeldRows)
        hooks.showHeldRows();
    (this->*handler)(msg);
}

void RoomMessageRouter::onPing(QJsonObject&) { send(RoomProtocol::pongMessage()); }

void RoomMessageRouter::onSay(QJsonObject& msg)
{
    if (isHost(readLenientId(msg.value(QLatin1String("wechat_user_space_id"))))) {
        const QJsonObject content = readObject(msg.value(QLatin1String("content")));
        const QString key = content.contains(QLatin1String("img_src")) ? readText(content, QStringLiteral("img_src"))
                                                                       : readText(content, QStringLiteral("content"));
        // The echo of a pending own message only completes the record already shown.
        if (handleAdminSendMessageRecv(key, readText(msg, QStringLiteral("insert_id"))) == 0)
            return;
    }
    m_queue.enqueue(ItemChatRecord(msg));
    updateChatRecordList();
}

void RoomMessageRouter::onTop(QJsonObject& msg)
{
    const ItemChatRecord record(msg);
    if (hooks.setPinnedMessage)
        hooks.setPinnedMessage(record, readText(msg, QStringLiteral("is_top")) == QLatin1String("1"));
}

void RoomMessageRouter::onShutUpAll(QJsonObject& msg)
{
    if (hooks.setMuteAllState)
        hooks.setMuteAllState(readText(msg, QStringLiteral("is_shut_up_all")) == QLatin1String("1"));
}

void RoomMessageRouter::onRowDelete(QJsonObject& msg)
{
    const QString id = readText(msg, QStringLiteral("row_id"));
    // The host's own rows are filed by local number; the server names them by the echo's id.
    const int ownSeq = id.isEmpty() ? -1 : ownLocalSeqForServerId(id);
    if (hooks.removeChatRow)
        hooks.removeChatRow(id, ownSeq);
    const QString pinned = hooks.pinnedMessageId ? hooks.pinnedMessageId() : QString();
    if (id == pinned && hooks.setPinnedMessage)
        hooks.setPinnedMessage(ItemChatRecord(), false);
}

void RoomMessageRouter::onGetOnlineList(QJsonObject& msg)
{
    if (hooks.onlineList)
        hooks.onlineList(readInt(msg, QStringLiteral("online_num")), msg);
}

void RoomMessageRouter::onLogin(QJsonObject& msg)
{
    const int sideTab = hooks.currentSideTab ? hooks.currentSideTab() : -1;
    const bool chatList = hooks.chatListExists && hooks.chatListExists();
    if (chatList && sideTab == 0 && readSwitch(msg.value(QLatin1String("enter_msg_switch"))) &&
        hooks.addRemindMessage)
        hooks.addRemindMessage(readText(msg, QStringLiteral("client_name")), true);
    if (sideTab == 2 && isHost(readLenientId(msg.value(QLatin1String("wechat_user_space_id")))) &&
        hooks.reloadOnlineTab)
        hooks.reloadOnlineTab();
}

void RoomMessageRouter::onLogout(QJsonObject& msg)
{
    const bool chatList = hooks.chatListExists && hooks.chatListExists();
    if (chatList && readSwitch(msg.value(QLatin1String("leave_room_reminder"))) && hooks.addRemindMessage)
        hooks.addRemindMessage(readText(msg, QStringLiteral("from_client_name")), false);
    send(RoomProtocol::getTrtcOnlineListMessage());
}

void RoomMessageRouter::onUpOrDownSingle(QJsonObject& msg)
{
    if (!hooks.selectedOnlineTab || hooks.selectedOnlineTab() != 0)
        return;
    if (hooks.onlineCountChanged)
        hooks.onlineCountChanged(readInt(msg, QStringLiteral("online_num")));
    const QString typeInfo = readText(msg, QStringLiteral("type_info"));
    if (typeInfo == QLatin1String("up")) {
        if (hooks.onlineUserUp)
            hooks.onlineUserUp(readObject(msg.value(QLatin1String("client_info"))));
    } else if (typeInfo == QLatin1String("down")) {
        const QJsonObject copy = msg;
        QTimer::singleShot(m_onlineDownDelay, this, [this, copy] {
            if (hooks.onlineUserDown)
                hooks.onlineUserDown(readObject(copy.value(QLatin1String("client_info"))));
        });
    }
}

void RoomMessageRouter::onIgnored(QJsonObject&) {}

void RoomMessageRouter::onGetTrtcOnlineList(QJsonObject& msg)
{
    if (hooks.handleTrtcOnline)
        hooks.handleTrtcOnline(msg);
}

void RoomMessageRouter::onRTrtcLogin(QJsonObject& msg)
{
    if (hooks.handleRTrtcLogin)
        hooks.handleRTrtcLogin(msg);
}

void RoomMessageRouter::onTrtcLogin(QJsonObject& msg)
{
    const QJsonValue data = msg.value(QLatin1String("data"));
    if (!data.isObject())
        return;
    const QJsonObject d = data.toObject();
    if (readText(d, QStringLiteral("trtc_identity")) != QLatin1String("second_broad"))
        return;
    const qint64 id = readLenientId(d.value(QLatin1String("wechat_user_space_id")));
    qDebug() << "handleTrtcLogin " << id;
    if (hooks.handleTrtcLogin)
        hooks.handleTrtcLogin(id);
}

void RoomMessageRouter::onTrtcRemove(QJsonObject& msg)
{
    const qint64 id = readLenientId(msg.value(QLatin1String("wechat_user_space_id")));
    if (hooks.handleTrtcRemove_1)
        hooks.handleTrtcRemove_1(id, true);
}

void RoomMessageRouter::onTrtcApply(QJsonObject& msg)
{
    const QJsonValue data = msg.value(QLatin1String("data"));
    if (!data.isObject())
        return;
    const QJsonObject d = data.toObject();
    const qint64 id = readLenientId(d.value(QLatin1String("wechat_user_space_id")));
    if (hooks.handleTrtcApply)
        hooks.handleTrtcApply(id, readText(d, QStringLiteral("name")), readText(d, QStringLiteral("photo")),
                              readText(d, QStringLiteral("trtc_tag")));
}

void RoomMessageRouter::onRTrtcAgree(QJsonObject& msg)
{
    const QJsonValue code = msg.value(QLatin1String("code"));
    if (!code.isDouble() || code.toDouble() != 0.0)
        return;
    if (hooks.showFailureStatus)
        hooks.showFailureStatus(readText(msg, QStringLiteral("err_msg")));
    const QJsonValue errData = msg.value(QLatin1String("err_data"));
    if (!errData.isObject())
        return;
    const qint64 id = readLenientId(errData.toObject().value(QLatin1String("wechat_user_space_id")));
    if (hooks.hasCoHostRow && hooks.hasCoHostRow(id) && hooks.handleTrtcRemove_1)
        hooks.handleTrtcRemove_1(id, true);
}
