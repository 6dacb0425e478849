#include "chat/ChatWebSocketClient.h"

#include "core/NetUtils.h"

#include <QDebug>
#include <QPointer>

ChatWebSocketClient::ChatWebSocketClient(QObject* parent, int reconnectIntervalMs, int handshakeTimeoutMs)
    : QObject(parent),
      m_webSocket(QString(), QWebSocketProtocol::Version13, nullptr),
      m_reconnectTimer(new QTimer(this)),
      m_handshakeTimer(new QTimer(this)),
      m_reconnectInterval(reconnectIntervalMs)
{
    m_webSocket.setMaxAllowedIncomingMessageSize(kMaxIncomingMessageBytes);
    m_webSocket.setMaxAllowedIncomingFrameSize(kMaxIncomingMessageBytes);
    m_handshakeTimer->setSingleShot(true);
    m_handshakeTimer->setInterval(handshakeTimeoutMs);
    connect(m_handshakeTimer, &QTimer::timeout, this, &ChatWebSocketClient::onHandshakeTimeout);
    connect(&m_webSocket, &QWebSocket::connected, this, &ChatWebSocketClient::onConnected);
    connect(&m_webSocket, &QWebSocket::disconnected, this, &ChatWebSocketClient::onDisconnected);
    connect(&m_webSocket, &QWebSocket::textMessageReceived, this, &ChatWebSocketClient::onTextMessageReceived);
    connect(&m_webSocket, QOverload<QAbstractSocket::SocketError>::of(&QWebSocket::error), this,
            &ChatWebSocketClient::onErrorOccurred);
    connect(m_reconnectTimer, &QTimer::timeout, this, &ChatWebSocketClient::attemptReconnect);
}

ChatWebSocketClient::~ChatWebSocketClient()
{
    // The socket may still report its closing while it is torn down; nobody is left to hear it.
    m_webSocket.disconnect(this);
    m_reconnectTimer->stop();
    m_handshakeTimer->stop();
    m_webSocket.abort();
}

void ChatWebSocketClient::open()
{
    m_handshakeTimer->start();
    m_webSocket.open(m_serverUrl);
}

void ChatWebSocketClient::connectToServer(const QUrl& url)
{
    m_serverUrl = url;
    m_shouldReconnect = true;
    open();
}

void ChatWebSocketClient::closeConnection()
{
    m_incoming.clear(); // closed for good: nobody waits for them
    m_shouldReconnect = false;
    m_reconnectTimer->stop();
    m_handshakeTimer->stop();
    m_webSocket.close(QWebSocketProtocol::CloseCodeNormal, QString());
}

void ChatWebSocketClient::sendMessage(const QString& message)
{
    // Frames carry credentials too (the login's token, the co-host link token).
    qDebug() << "wss send message:" << solvek::loggable(message.toUtf8());
    deliverPending(); // a reply never overtakes what came before it
    if (m_webSocket.state() == QAbstractSocket::ConnectedState)
        m_webSocket.sendTextMessage(message);
}

void ChatWebSocketClient::onConnected()
{
    m_handshakeTimer->stop();
    // Listeners (the login) run before the timer stops.
    emit connected();
    m_reconnectTimer->stop();
}

void ChatWebSocketClient::onDisconnected()
{
    deliverPending();
    emit disconnected();
    if (m_shouldReconnect) {
        qDebug() << "WebSocket disconnected. Attempting to reconnect in" << m_reconnectInterval / 1000 << "seconds.";
        m_reconnectTimer->start(m_reconnectInterval);
    } else {
        qDebug() << "WebSocket disconnected. Will not attempt to reconnect.";
    }
}

void ChatWebSocketClient::onTextMessageReceived(QString message)
{
    m_incoming.enqueue(message);
    if (!m_turn.isValid()) {
        // The first message of this turn: the rest of a burst goes on in the next one.
        m_turn.start();
        QTimer::singleShot(0, this, &ChatWebSocketClient::nextTurn);
    }
    deliver(false);
}

void ChatWebSocketClient::nextTurn()
{
    m_turn.invalidate();
    if (m_incoming.isEmpty())
        return;
    m_turn.start();
    QTimer::singleShot(0, this, &ChatWebSocketClient::nextTurn);
    deliver(false);
}

void ChatWebSocketClient::deliverPending() { deliver(true); }

void ChatWebSocketClient::deliver(bool all)
{
    if (m_delivering)
        return;
    m_delivering = true;
    const QPointer<ChatWebSocketClient> self(this);
    while (!m_incoming.isEmpty() && (all || m_turn.elapsed() < kDeliverBudgetMs)) {
        emit textMessageReceived(m_incoming.dequeue());
        if (!self)
            return; // deleted by a listener
    }
    m_delivering = false;
}

void ChatWebSocketClient::onErrorOccurred(QAbstractSocket::SocketError error)
{
    Q_UNUSED(error)
    const QString text = m_webSocket.errorString();
    qDebug() << "WebSocket error:" << text;
    emit errorOccurred(text);
}

void ChatWebSocketClient::attemptReconnect()
{
    // Reopening aborts the attempt in progress: a handshake slower than the interval would be
    // restarted for ever. Let it finish; its failure starts the timer again.
    const QAbstractSocket::SocketState s = m_webSocket.state();
    if (s == QAbstractSocket::HostLookupState || s == QAbstractSocket::ConnectingState ||
        s == QAbstractSocket::ConnectedState)
        return;
    qDebug() << "Attempting to reconnect to WebSocket server...";
    open();
}

void ChatWebSocketClient::onHandshakeTimeout()
{
    if (m_webSocket.state() == QAbstractSocket::ConnectedState || m_webSocket.state() == QAbstractSocket::UnconnectedState)
        return;
    qDebug() << "WebSocket connection attempt timed out";
    // The socket reports the drop (disconnected()), which starts the reconnection timer.
    m_webSocket.abort();
    if (m_shouldReconnect && !m_reconnectTimer->isActive())
        m_reconnectTimer->start(m_reconnectInterval);
}

namespace {
ChatWebSocketClient* g_client = nullptr;
int g_reconnectInterval = ChatWebSocketClient::kReconnectIntervalMs;
int g_handshakeTimeout = ChatWebSocketClient::kHandshakeTimeoutMs;
} // namespace

ChatWebSocketClient* getChatWsClient()
{
    if (!g_client)
        g_client = new ChatWebSocketClient(nullptr, g_reconnectInterval, g_handshakeTimeout);
    return g_client;
}

void destroyChatWsClient()
{
    ChatWebSocketClient* client = g_client;
    g_client = nullptr;
    if (!client)
        return;
    QObject::disconnect(client, nullptr, nullptr, nullptr);
    client->closeConnection();
    client->deleteLater();
}

void sendChatWsMessage(const QString& message)
{
    if (g_client)
        g_client->sendMessage(message);
}

void deliverPendingChatWsMessages()
{
    if (g_client)
        g_client->deliverPending();
}

bool isChatWsConnected() { return g_client && g_client->state() == QAbstractSocket::ConnectedState; }

void setChatWsReconnectInterval(int ms) { g_reconnectInterval = ms > 0 ? ms : ChatWebSocketClient::kReconnectIntervalMs; }

void setChatWsHandshakeTimeout(int ms) { g_handshakeTimeout = ms > 0 ? ms : ChatWebSocketClient::kHandshakeTimeoutMs; }
