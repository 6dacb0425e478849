#pragma once
// The one room channel: a WebSocket to the live room that reconnects on its own.
//
// Every part of the program reaches it through the three free functions below, never through a
// pointer of its own: there is at most one client, replaced per room and dropped for a custom
// push address; a message sent while it is not connected is lost (logged, never queued).
//
// Incoming messages are handed on in order, as many in one turn of the event loop as fit in
// kDeliverBudgetMs; a burst read at once waits for the following turns, so a busy room never holds
// the event loop for long. Nothing overtakes a message received earlier: a send, the host's own
// row (deliverPendingChatWsMessages) and the disconnection hand on what is waiting first.

#include <QAbstractSocket>
#include <QElapsedTimer>
#include <QObject>
#include <QQueue>
#include <QTimer>
#include <QUrl>
#include <QWebSocket>

class ChatWebSocketClient : public QObject
{
    Q_OBJECT
public:
    static constexpr int kReconnectIntervalMs = 5000;
    // A connection attempt that has not completed its handshake by then is given up, and the
    // reconnection timer takes over: a server that accepts and never answers would otherwise
    // leave the channel connecting for ever.
    static constexpr int kHandshakeTimeoutMs = 30000;
    // Larger incoming messages close the connection (the room's messages are far smaller); one
    // endless message would otherwise be gathered in memory until the program fails.
    static constexpr quint64 kMaxIncomingMessageBytes = 32 * 1024 * 1024;
    // Incoming messages are handed on for at most this long per turn of the event loop.
    static constexpr int kDeliverBudgetMs = 8;

    explicit ChatWebSocketClient(QObject* parent = nullptr, int reconnectIntervalMs = kReconnectIntervalMs,
                                 int handshakeTimeoutMs = kHandshakeTimeoutMs);
    ~ChatWebSocketClient() override;

    void connectToServer(const QUrl& url);
    // Ends reconnection for good and closes with code 1000.
    void closeConnection();
    void sendMessage(const QString& message);

    QUrl serverUrl() const { return m_serverUrl; }
    QAbstractSocket::SocketState state() const { return m_webSocket.state(); }
    int reconnectInterval() const { return m_reconnectInterval; }
    // Hands on every message received and not yet handed on (none while one is being handed on:
    // those before it are out already).
    void deliverPending();
    int pendingCount() const { return m_incoming.size(); }

signals:
    void connected();
    void disconnected();
    void textMessageReceived(QString message);
    void errorOccurred(QString errorMessage);

public slots:
    void onConnected();
    void onDisconnected();
    void onTextMessageReceived(QString message);
    void onErrorOccurred(QAbstractSocket::SocketError error);
    void attemptReconnect();

private:
    void open();
    void onHandshakeTimeout();
    // Hands on waiting messages while the turn's budget lasts (all of them when `all`).
    void deliver(bool all);
    void nextTurn();

    QWebSocket m_webSocket;
    QUrl m_serverUrl;
    QTimer* m_reconnectTimer;
    QTimer* m_handshakeTimer;
    int m_reconnectInterval;
    bool m_shouldReconnect = true;
    QQueue<QString> m_incoming;  // received, not yet handed on
    QElapsedTimer m_turn;        // since the turn's first message (invalid: no turn under way)
    bool m_delivering = false;
};

// The client, created (without parent) when there is none.
ChatWebSocketClient* getChatWsClient();
// Closes and releases the client, if any; afterwards there is none and sends are dropped. The
// client may be emitting a frame right now (a room chosen from a handler), so it is cut off from
// every listener at once and deleted once control is back in the event loop.
void destroyChatWsClient();
// Hands the text to the client; dropped when there is none.
void sendChatWsMessage(const QString& message);
// Hands on what the client has received and not yet handed on (the host's own row is shown after
// it).
void deliverPendingChatWsMessages();
// Whether a client exists and its socket is connected (a send would go out now).
bool isChatWsConnected();

// Reconnect interval and handshake bound of clients made by getChatWsClient from now on (tests
// shorten them; 0 or less restores the default).
void setChatWsReconnectInterval(int ms);
void setChatWsHandshakeTimeout(int ms);
