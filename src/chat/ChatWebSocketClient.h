#pragma once
// The one room channel: a WebSocket to the live room that reconnects on its own.
//
// Every part of the program reaches it through the three free functions below, never through a
// pointer of its own: there is at most one client, replaced per room and dropped for a custom
// push address; a message sent while it is not connected is lost (logged, never queued).

#include <QAbstractSocket>
#include <QObject>
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

    QWebSocket m_webSocket;
    QUrl m_serverUrl;
    QTimer* m_reconnectTimer;
    QTimer* m_handshakeTimer;
    int m_reconnectInterval;
    bool m_shouldReconnect = true;
};

// The client, created (without parent) when there is none.
ChatWebSocketClient* getChatWsClient();
// Closes and releases the client, if any; afterwards there is none and sends are dropped. The
// client may be emitting a frame right now (a room chosen from a handler), so it is cut off from
// every listener at once and deleted once control is back in the event loop.
void destroyChatWsClient();
// Hands the text to the client; dropped when there is none.
void sendChatWsMessage(const QString& message);
// Whether a client exists and its socket is connected (a send would go out now).
bool isChatWsConnected();

// Reconnect interval of clients made by getChatWsClient from now on (tests shorten it).
void setChatWsReconnectInterval(int ms);
