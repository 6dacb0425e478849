// test-label: integration
#include "chat/ChatWebSocketClient.h"
#include "chat/RoomProtocol.h"
#include "support/SimulatorProcess.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QWebSocketServer>
#include <QtTest>

namespace {
constexpr int kInterval = 200;
}

class tst_ChatWebSocketClient : public QObject
{
    Q_OBJECT
    SimulatorProcess m_sim;

    QUrl roomUrl() const { return QUrl(QString(m_sim.baseUrl()).replace("http://", "ws://") + "/ws/room"); }

    QStringList framesReceived() const
    {
        QStringList out;
        for (const QJsonValue& f : m_sim.frames())
            out << f.toObject().value("text").toString();
        return out;
    }
    int serverConnections() const
    {
        return m_sim.getJson("/_sim/room/state").toObject().value("connections").toArray().size();
    }
    ChatWebSocketClient* connectedClient()
    {
        ChatWebSocketClient* c = getChatWsClient();
        QSignalSpy up(c, &ChatWebSocketClient::connected);
        c->connectToServer(roomUrl());
        if (!up.wait(10000))
            return nullptr;
        return c;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_sim.start());
        setChatWsReconnectInterval(kInterval);
    }
    void init()
    {
        QVERIFY(m_sim.reset());
        QVERIFY(m_sim.control("/_sim/room/config", {{"ping_interval", 0}}).toObject().value("ok").toBool());
    }
    void cleanup()
    {
        destroyChatWsClient();
        QTRY_COMPARE_WITH_TIMEOUT(serverConnections(), 0, 10000);
    }

    void reconnectsAfterTheServerDrops_data()
    {
        QTest::addColumn<bool>("abort");
        QTest::newRow("closing handshake") << false;
        QTest::newRow("connection dropped") << true;
    }
    void reconnectsAfterTheServerDrops()
    {
        QFETCH(bool, abort);
        ChatWebSocketClient* c = connectedClient();
        QVERIFY(c);
        QCOMPARE(c->reconnectInterval(), kInterval);
        QSignalSpy up(c, &ChatWebSocketClient::connected);
        QSignalSpy down(c, &ChatWebSocketClient::disconnected);
        QElapsedTimer t;
        t.start();
        QCOMPARE(m_sim.control("/_sim/room/close", {{"abort", abort}}).toObject().value("closed").toInt(), 1);
        // (the control call runs an event loop of its own: the drop may already have been seen)
        QTRY_VERIFY_WITH_TIMEOUT(down.count() == 1, 10000);
        // sent in the gap: dropped, and not replayed once connected again
        if (up.isEmpty())
            sendChatWsMessage("in the gap");
        QTRY_VERIFY_WITH_TIMEOUT(up.count() == 1, 10000);
        QVERIFY(t.elapsed() >= kInterval - 20);
        sendChatWsMessage("after");
        QTRY_VERIFY_WITH_TIMEOUT(framesReceived().contains("after"), 10000);
        QVERIFY(!framesReceived().contains("in the gap"));
    }

    void sendsBeforeTheFirstConnectionAreDropped()
    {
        ChatWebSocketClient* c = getChatWsClient();
        QSignalSpy up(c, &ChatWebSocketClient::connected);
        c->connectToServer(roomUrl());
        QCOMPARE(c->state(), QAbstractSocket::ConnectingState);
        sendChatWsMessage("too early");
        QVERIFY(up.wait(10000));
        sendChatWsMessage("on time");
        QTRY_VERIFY_WITH_TIMEOUT(framesReceived().contains("on time"), 10000);
        QCOMPARE(framesReceived(), QStringList{"on time"});
    }

    void destroyedClientNeverComesBack()
    {
        ChatWebSocketClient* old = connectedClient();
        QVERIFY(old);
        QPointer<ChatWebSocketClient> watch(old);
        destroyChatWsClient();
        ChatWebSocketClient* fresh = getChatWsClient();
        QVERIFY(fresh != old);
        QCOMPARE(fresh->state(), QAbstractSocket::UnconnectedState);
        QVERIFY(fresh->serverUrl().isEmpty());
        QTRY_VERIFY(watch.isNull());
        QTRY_COMPARE_WITH_TIMEOUT(serverConnections(), 0, 10000);
        QTest::qWait(kInterval * 4);
        QCOMPARE(serverConnections(), 0);
        sendChatWsMessage("nobody listens");
        destroyChatWsClient();
        sendChatWsMessage("no client");
        QVERIFY(framesReceived().isEmpty());
    }

    // A frame handler that picks another room replaces the client whose signal is still running.
    void replacedFromItsOwnFrameHandler()
    {
        ChatWebSocketClient* first = connectedClient();
        QVERIFY(first);
        QPointer<ChatWebSocketClient> second;
        int frames = 0;
        connect(first, &ChatWebSocketClient::textMessageReceived, this, [&](const QString&) {
            ++frames;
            destroyChatWsClient();
            second = getChatWsClient();
            second->connectToServer(roomUrl());
        });
        m_sim.control("/_sim/room/push", {{"frame", QJsonObject{{"type", "ping"}}}});
        QTRY_VERIFY_WITH_TIMEOUT(second && second->state() == QAbstractSocket::ConnectedState, 10000);
        QCOMPARE(frames, 1);
        QTRY_COMPARE_WITH_TIMEOUT(serverConnections(), 1, 10000);
    }

    // A text with JSON's special characters and a "%2" arrives exactly as typed, both ways.
    void typedTextTravelsUnchanged()
    {
        ChatWebSocketClient* c = connectedClient();
        QVERIFY(c);
        sendChatWsMessage(RoomProtocol::loginMessage(77, "jwt"));
        const QString typed = QStringLiteral("say \"hi\" \\ back\nslash %2 %1 你好");
        QSignalSpy echo(c, &ChatWebSocketClient::textMessageReceived);
        sendChatWsMessage(RoomProtocol::sayTextMessage(typed, QString(), QString(), QString()));
        QTRY_COMPARE_WITH_TIMEOUT(framesReceived().size(), 2, 10000);
        const QJsonObject sent = QJsonDocument::fromJson(framesReceived().at(1).toUtf8()).object();
        QCOMPARE(sent.value("content").toObject().value("content").toObject().value("content").toString(), typed);
        QTRY_VERIFY_WITH_TIMEOUT(echo.count() >= 2, 10000); // the login notice, then the chat
        const QJsonObject chat = QJsonDocument::fromJson(echo.at(1).at(0).toString().toUtf8()).object();
        QCOMPARE(chat.value("type").toString(), QStringLiteral("say"));
        QCOMPARE(chat.value("content").toObject().value("content").toString(), typed);
    }

    // A reconnection whose handshake is slower than the interval is left to finish.
    void slowHandshakeIsNotRestarted()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        int accepted = 0;
        QList<QTcpSocket*> held;
        connect(&server, &QTcpServer::newConnection, this, [&] {
            while (QTcpSocket* s = server.nextPendingConnection()) {
                ++accepted;
                if (accepted == 1)
                    s->close(); // the first connection fails, which starts the timer
                else
                    held << s; // later ones never answer the handshake
            }
        });
        ChatWebSocketClient client(nullptr, 100);
        QSignalSpy down(&client, &ChatWebSocketClient::disconnected);
        client.connectToServer(QUrl(QStringLiteral("ws://127.0.0.1:%1/").arg(server.serverPort())));
        QVERIFY(down.wait(10000));
        QTRY_COMPARE_WITH_TIMEOUT(accepted, 2, 10000);
        QTest::qWait(800);
        QCOMPARE(accepted, 2);
        QCOMPARE(client.state(), QAbstractSocket::ConnectingState);
        qDeleteAll(held);
    }

    // A server that accepts and never answers the handshake: the attempt is given up after the
    // handshake time-out and the reconnection timer tries again, for as long as it takes.
    void handshakeThatNeverCompletesIsGivenUp()
    {
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost));
        QList<QTcpSocket*> held;
        connect(&server, &QTcpServer::newConnection, this, [&] {
            while (QTcpSocket* s = server.nextPendingConnection())
                held << s;
        });
        ChatWebSocketClient client(nullptr, 100, 300);
        QSignalSpy down(&client, &ChatWebSocketClient::disconnected);
        client.connectToServer(QUrl(QStringLiteral("ws://127.0.0.1:%1/").arg(server.serverPort())));
        QTRY_VERIFY_WITH_TIMEOUT(held.size() >= 3, 15000);
        QVERIFY(down.size() >= 2);
        // closing it for good also ends the retries
        client.closeConnection();
        const int attempts = held.size();
        QTest::qWait(1000);
        QVERIFY(held.size() <= attempts + 1);
        qDeleteAll(held);
    }

    // A message beyond the limit closes the connection instead of being gathered in memory; the
    // client reconnects and later messages arrive.
    void oversizedMessageClosesTheConnection()
    {
        QWebSocketServer server(QStringLiteral("room"), QWebSocketServer::NonSecureMode);
        QVERIFY(server.listen(QHostAddress::LocalHost));
        int accepted = 0;
        QList<QWebSocket*> peers;
        connect(&server, &QWebSocketServer::newConnection, this, [&] {
            while (QWebSocket* s = server.nextPendingConnection()) {
                peers << s;
                if (++accepted == 1)
                    s->sendTextMessage(QString(int(ChatWebSocketClient::kMaxIncomingMessageBytes) + 1, QChar('x')));
                else
                    s->sendTextMessage(QStringLiteral("{\"type\":\"ping\"}"));
            }
        });
        ChatWebSocketClient client(nullptr, 100);
        QSignalSpy texts(&client, &ChatWebSocketClient::textMessageReceived);
        QSignalSpy down(&client, &ChatWebSocketClient::disconnected);
        client.connectToServer(QUrl(QStringLiteral("ws://127.0.0.1:%1/").arg(server.serverPort())));
        QTRY_COMPARE_WITH_TIMEOUT(texts.size(), 1, 20000);
        QCOMPARE(texts.at(0).at(0).toString(), QStringLiteral("{\"type\":\"ping\"}"));
        QCOMPARE(accepted, 2);
        QVERIFY(down.size() >= 1);
        client.closeConnection();
        qDeleteAll(peers);
    }

    // Messages read at once are handed on in order, no more in one turn of the event loop than
    // fit in the budget (a slow listener here); the rest follow in the next turns, and a send or
    // the host's own row hands on all that waits before it goes.
    void burstIsHandedOnInOrderOverSeveralTurns()
    {
        ChatWebSocketClient client(nullptr, 100);
        QStringList seen;
        connect(&client, &ChatWebSocketClient::textMessageReceived, this, [&seen](const QString& text) {
            seen << text;
            QElapsedTimer busy; // a listener that takes 1 ms a message
            busy.start();
            while (busy.nsecsElapsed() < 1000000) {
            }
        });
        QStringList sent;
        const auto burst = [&](int from) {
            for (int i = from; i < from + 30; ++i) {
                sent << QString::number(i);
                client.onTextMessageReceived(QString::number(i));
            }
        };
        burst(0);
        QVERIFY2(seen.size() <= ChatWebSocketClient::kDeliverBudgetMs + 2, qPrintable(QString::number(seen.size())));
        QVERIFY(client.pendingCount() > 0);
        QCOMPARE(seen + QStringList(sent.mid(seen.size())), sent);
        QTRY_COMPARE(seen, sent); // the next turns

        burst(30);
        QVERIFY(client.pendingCount() > 0);
        client.sendMessage(QStringLiteral("reply")); // not connected: dropped, after the messages
        QCOMPARE(seen, sent);
        burst(60);
        deliverPendingChatWsMessages(); // not the shared client: nothing changes
        QVERIFY(client.pendingCount() > 0);
        client.deliverPending();
        QCOMPARE(seen, sent);
    }
};

QTEST_MAIN(tst_ChatWebSocketClient)
#include "tst_ChatWebSocketClient.moc"
