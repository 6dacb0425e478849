// The room-channel drill: the main window (offscreen, with its engine replaced) sits in a room of
// the service simulator while viewers chat without pause, and the simulator drops the room's
// socket again and again: with a close code, without a closing handshake, and with the next
// opening handshake left unanswered. Each cycle the host sends one message, at one of three
// moments: after the channel is settled, just as the message goes out (the drop catches it on the
// wire), or while the channel is down.
//
// After each drop it checks that the client logs in again (one "login" per connection, counted at
// the simulator), that every viewer message the client had read before a drop is in the chat list
// (nothing lost), that no message has two rows, and that every own message ends on its echo or in
// the failure toast, none pending for ever and none sent twice. Prints a line per cycle and one
// line of figures; exits non-zero when anything was lost, doubled, left pending or sent twice.
//
//   soak_room_channel [--cycles 100] [--reconnect-ms 5000] [--handshake-ms 30000]
//                     [--echo-ms N] [--rate 5] [--chat-ms 2000] [--log FILE]
// The intervals default to the program's own; the short form in CI passes shorter ones.
#include "support/ChatWindowFixture.h"
#include "support/LiveMainWindowTestAccess.h"

#include "chat/ChatListWidget.h"
#include "chat/ChatSender.h"
#include "chat/ChatWebSocketClient.h"
#include "chat/RoomMessageRouter.h"
#include "shell/LiveControl.h"
#include "widgets/ClickableLabel.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <unistd.h>

using Access = LiveMainWindowTestAccess;

namespace {

constexpr qint64 kRoom = 501;
constexpr int kWatchdogMs = 10;
const char kHostPrefix[] = "host message ";
// Close codes the server may give when it drops the room: normal, going away, internal error,
// restarting, and one of the application's own range.
const int kCloseCodes[] = {1000, 1001, 1011, 1012, 4000};

enum class Drop { CloseCode, Abort, StalledHandshake };
enum class SendMoment { Settled, OnTheWire, WhileDown };

const char* dropName(Drop d)
{
    switch (d) {
    case Drop::CloseCode:
        return "close";
    case Drop::Abort:
        return "abort";
    case Drop::StalledHandshake:
        return "stall";
    }
    return "";
}

const char* momentName(SendMoment m)
{
    switch (m) {
    case SendMoment::Settled:
        return "settled";
    case SendMoment::OnTheWire:
        return "on-the-wire";
    case SendMoment::WhileDown:
        return "while-down";
    }
    return "";
}

qint64 residentKb()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return -1;
    return statm.readAll().split(' ').value(1).toLongLong() * (sysconf(_SC_PAGESIZE) / 1024);
}

int openDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System).size());
}

// The program's log goes to a file (or nowhere); the drill watches it for the moment an own
// message is handed to the socket. Lines come from any thread (the IM loopback's too, which can
// outlive the drill): what the handler reads is guarded by g_logMutex.
std::mutex g_logMutex;
QFile* g_log = nullptr;
QString g_watchedSend;
std::atomic<bool> g_watchedSendSeen{false};

void logHandler(QtMsgType, const QMessageLogContext&, const QString& text)
{
    std::lock_guard<std::mutex> lock(g_logMutex);
    if (!g_watchedSend.isEmpty() && text.startsWith(QLatin1String("wss send message:")) && text.contains(g_watchedSend))
        g_watchedSendSeen = true;
    if (g_log) {
        g_log->write(text.toUtf8());
        g_log->write("\n");
    }
}

struct Options {
    int cycles = 100;
    int reconnectMs = ChatWebSocketClient::kReconnectIntervalMs;
    int handshakeMs = ChatWebSocketClient::kHandshakeTimeoutMs;
    int echoMs = 0; // 0: the program's own bound
    double rate = 5;
    int chatMs = 2000; // viewers chat this long on the settled channel each cycle
};

class RoomChannelDrill
{
public:
    explicit RoomChannelDrill(const Options& o) : m_o(o) {}

    bool run();
    QString figures() const;
    bool clean() const
    {
        return m_failures.isEmpty() && m_lost == 0 && duplicated() == 0 && m_ownPending == 0 && m_ownResent == 0 &&
               m_badLogins == 0 && m_cyclesDone == m_o.cycles;
    }
    const QStringList& failures() const { return m_failures; }

private:
    bool enterRoom();
    bool cycle(int n);
    // Viewer messages the client read before its last answered ping, checked against the rows
    // seen so far; false when the simulator could not be read.
    bool checkDelivered();
    bool sync();
    bool waitReconnected(int connectionsBefore, int stalledBefore, Drop drop);
    // Drops the socket now, or (onNextFrame) when its next frame arrives, which the room then
    // never takes.
    bool drop(Drop d, int n, bool onNextFrame = false);
    void sendOwn(int n);
    void settleOwn(bool finalCheck);
    void countResent();
    QJsonObject connections() const { return m_fx.sim.getJson(QStringLiteral("/_sim/room/connections")).toObject(); }
    void fail(const QString& what) { m_failures << what; }
    void onRowsInserted(int first, int last);
    int duplicated() const;
    int timeoutMs() const { return 2 * m_o.reconnectMs + m_o.handshakeMs + 10000; }

    Options m_o;
    ChatWindowFixture m_fx;
    LiveMainWindow* m_w = nullptr;
    QStringList m_failures;
    int m_cyclesDone = 0;

    // rows ever added: viewer messages by id, the host's own texts (own rows and echoes shown as rows)
    QHash<QString, int> m_viewerRows;
    QHash<QString, int> m_hostTextRows;
    QHash<QString, int> m_ownSeq; // host text -> local number of its own row
    // the simulator's side: per connection, how many confirmed deliveries were checked
    QHash<int, int> m_checked;
    QSet<QString> m_delivered;
    int m_lost = 0;
    QStringList m_lostIds;

    // own messages: text -> when it was sent
    QHash<QString, qint64> m_ownSentAt;
    qint64 m_lastFailureToastAt = -1;
    int m_failureToasts = 0;
    QSet<QString> m_ownDone;
    int m_ownSettled = 0;
    int m_ownFailed = 0;
    int m_ownPending = 0;
    int m_ownResent = 0;
    int m_badLogins = 0;
    int m_sent = 0;

    QElapsedTimer m_clock;
    QTimer m_watchdog;
    QElapsedTimer m_watchdogClock;
    qint64 m_longestStallMs = 0;
    QString m_phase;        // what the drill is doing, for the stall's place
    QString m_longestStallIn;
    qint64 m_rssStart = -1, m_rssEnd = -1;
    int m_fdsStart = -1, m_fdsEnd = -1;
};

bool RoomChannelDrill::enterRoom()
{
    if (!m_fx.start())
        return false;
    setChatWsReconnectInterval(m_o.reconnectMs);
    setChatWsHandshakeTimeout(m_o.handshakeMs);
    if (!m_fx.open())
        return false;
    m_w = m_fx.w;
    RoomMessageRouter* router = Access::roomRouter(*m_w);
    if (m_o.echoMs > 0)
        router->setEchoTimeout(m_o.echoMs);
    ChatSideState* chat = Access::chat(*m_w);
    LiveRoomInfo room;
    room.app_id = kRoom;
    room.push_app_nick = QByteArray("Soak room");
    Access::liveControl(*m_w)->choose(room);
    const bool in = QTest::qWaitFor(
        [&] {
            const QJsonArray conns = connections().value("connections").toArray();
            return chat->list && !chat->pageInFlight && conns.size() == 1 &&
                   conns.at(0).toObject().value("logins").toInt() == 1;
        },
        timeoutMs());
    if (!in)
        return false;
    // Every failure toast of the send road passes here.
    ChatSender* sender = chat->sender;
    auto toast = sender->hooks.sendFailed;
    sender->hooks.sendFailed = [this, toast] {
        toast();
        if (Toast::getInstance()->textLabel()->text() == QString::fromUtf8("发送失败")) {
            ++m_failureToasts;
            m_lastFailureToastAt = m_clock.elapsed();
        }
    };
    QObject::connect(chat->list->model(), &QAbstractItemModel::rowsInserted,
                     [this](const QModelIndex&, int first, int last) { onRowsInserted(first, last); });
    return true;
}

void RoomChannelDrill::onRowsInserted(int first, int last)
{
    ChatListWidget* list = Access::chat(*m_w)->list;
    for (int i = first; i <= last; ++i) {
        QListWidgetItem* item = list->item(i);
        if (!item)
            continue;
        const QVariant data = item->data(ChatListWidget::kRecordRole);
        if (!data.isValid())
            continue;
        const ItemChatRecord r = data.value<ItemChatRecord>();
        if (r.content.content.startsWith(QLatin1String(kHostPrefix))) {
            ++m_hostTextRows[r.content.content];
            if (r.local_seq != -1)
                m_ownSeq.insert(r.content.content, r.local_seq);
        } else if (r.local_seq == -1) {
            ++m_viewerRows[r.id];
        }
    }
}

int RoomChannelDrill::duplicated() const
{
    int n = 0;
    for (int rows : m_viewerRows)
        n += rows - 1;
    for (int rows : m_hostTextRows)
        n += rows - 1;
    return n;
}

bool RoomChannelDrill::sync()
{
    // A ping to the room; once the client answered it, everything written before it was read.
    if (!m_fx.control("/_sim/room/push", {{"room_id", QString::number(kRoom)}, {"frame", QJsonObject{{"type", "ping"}}}}))
        return false;
    return QTest::qWaitFor(
        [&] {
            const QJsonArray conns = connections().value("connections").toArray();
            return !conns.isEmpty() && conns.last().toObject().value("unanswered").toInt() == 0;
        },
        10000);
}

bool RoomChannelDrill::checkDelivered()
{
    const QJsonArray conns = connections().value("connections").toArray();
    if (conns.isEmpty())
        return false;
    for (const QJsonValue& v : conns) {
        const QJsonObject c = v.toObject();
        const int id = c.value("conn").toInt();
        const QJsonArray delivered = c.value("delivered").toArray();
        for (const QJsonValue& d : delivered)
            m_delivered.insert(d.toString());
        const int confirmed = c.value("confirmed").toInt();
        for (int i = m_checked.value(id, 0); i < confirmed && i < delivered.size(); ++i) {
            const QString msg = delivered.at(i).toString();
            if (!m_viewerRows.contains(msg)) {
                ++m_lost;
                m_lostIds << msg;
            }
        }
        m_checked[id] = std::max(m_checked.value(id, 0), confirmed);
    }
    return true;
}

void RoomChannelDrill::sendOwn(int n)
{
    ChatSideState* chat = Access::chat(*m_w);
    const QString text = QString::fromLatin1(kHostPrefix) + QString::number(n);
    {
        std::lock_guard<std::mutex> lock(g_logMutex);
        g_watchedSend = text;
        g_watchedSendSeen = false;
    }
    chat->input->setPlainText(text);
    QTest::mouseClick(chat->sendLabel, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
    m_ownSentAt.insert(text, m_clock.elapsed());
}

bool RoomChannelDrill::drop(Drop d, int n, bool onNextFrame)
{
    QJsonObject body{{"room_id", QString::number(kRoom)}, {"on_next_frame", onNextFrame}};
    switch (d) {
    case Drop::CloseCode:
        body.insert("code", kCloseCodes[(n / 3) % int(sizeof kCloseCodes / sizeof *kCloseCodes)]);
        break;
    case Drop::Abort:
        body.insert("abort", true);
        break;
    case Drop::StalledHandshake:
        body.insert("code", 1001);
        body.insert("stall_handshakes", 1);
        break;
    }
    const QJsonObject reply = m_fx.sim.control(QStringLiteral("/_sim/room/close"), body).toObject();
    return reply.value("closed").toInt() == 1;
}

bool RoomChannelDrill::waitReconnected(int connectionsBefore, int stalledBefore, Drop d)
{
    return QTest::qWaitFor(
        [&] {
            const QJsonObject all = connections();
            const QJsonArray conns = all.value("connections").toArray();
            if (conns.size() <= connectionsBefore)
                return false;
            if (d == Drop::StalledHandshake && all.value("stalled").toInt() <= stalledBefore)
                return false;
            const QJsonObject last = conns.last().toObject();
            return last.value("open").toBool() && last.value("logins").toInt() >= 1;
        },
        timeoutMs());
}

void RoomChannelDrill::settleOwn(bool finalCheck)
{
    RoomMessageRouter* router = Access::roomRouter(*m_w);
    const PendingOwnMessages& own = router->ownMessages();
    const int bound = router->echoTimeout() + 2000;
    for (auto it = m_ownSentAt.cbegin(); it != m_ownSentAt.cend(); ++it) {
        if (m_ownDone.contains(it.key()))
            continue;
        const int seq = m_ownSeq.value(it.key(), -1);
        if (seq < 0) {
            fail(QStringLiteral("%1: no own row").arg(it.key()));
            m_ownDone.insert(it.key());
            continue;
        }
        if (!own.serverId(seq).isEmpty()) {
            ++m_ownSettled;
            m_ownDone.insert(it.key());
        } else if (own.isGivenUp(seq) || !own.isPending(it.key())) {
            // given up, or taken back before it went out: either way the host must have been told
            ++m_ownFailed;
            m_ownDone.insert(it.key());
            if (m_lastFailureToastAt < it.value())
                fail(QStringLiteral("%1 failed without the failure toast").arg(it.key()));
        } else if (finalCheck || m_clock.elapsed() - it.value() > bound) {
            ++m_ownPending;
            fail(QStringLiteral("%1: still waiting for its echo").arg(it.key()));
            m_ownDone.insert(it.key());
        }
    }
}

void RoomChannelDrill::countResent()
{
    QHash<QString, int> says;
    for (const QJsonObject& say : m_fx.sim.framesOfType(QStringLiteral("say")))
        ++says[say.value("content").toObject().value("content").toObject().value("content").toString()];
    for (auto it = says.cbegin(); it != says.cend(); ++it) {
        if (it.value() > 1) {
            m_ownResent += it.value() - 1;
            fail(QStringLiteral("%1: sent %2 times").arg(it.key()).arg(it.value()));
        }
    }
}

bool RoomChannelDrill::cycle(int n)
{
    const Drop d = Drop((n - 1) % 3);
    const SendMoment moment = SendMoment(((n - 1) / 3) % 3);
    const QString text = QString::fromLatin1(kHostPrefix) + QString::number(n);

    // Viewers chat for a moment on the settled channel; what the client read so far is checked.
    const QString cycleName = QStringLiteral("cycle %1 (%2 drop, host message %3)").arg(n).arg(dropName(d)).arg(momentName(moment));
    m_phase = cycleName + QStringLiteral(": chat");
    QTest::qWait(m_o.chatMs);
    m_phase = cycleName + QStringLiteral(": sync");
    if (!sync() || !checkDelivered())
        return false;
    m_phase = cycleName + QStringLiteral(": send and drop");

    const QJsonObject before = connections();
    const int connectionsBefore = before.value("connections").toArray().size();
    const int stalledBefore = before.value("stalled").toInt();
    bool dropped = false;
    switch (moment) {
    case SendMoment::Settled: {
        sendOwn(n);
        RoomMessageRouter* router = Access::roomRouter(*m_w);
        // Whether it settled is judged with the others once the channel is back.
        (void)QTest::qWaitFor(
            [&] {
                const int seq = m_ownSeq.value(text, -1);
                return seq >= 0 && !router->ownMessages().serverId(seq).isEmpty();
            },
            10000);
        dropped = drop(d, n);
        break;
    }
    case SendMoment::OnTheWire:
        // The socket goes down as the message arrives: the room never takes it.
        dropped = drop(d, n, true);
        sendOwn(n);
        if (!QTest::qWaitFor([] { return g_watchedSendSeen.load(); }, 10000))
            fail(QStringLiteral("cycle %1: the host's message was never handed to the channel").arg(n));
        break;
    case SendMoment::WhileDown:
        dropped = drop(d, n);
        if (!QTest::qWaitFor([] { return !isChatWsConnected(); }, 10000))
            fail(QStringLiteral("cycle %1: the client did not notice the drop").arg(n));
        sendOwn(n);
        break;
    }
    if (!dropped) {
        fail(QStringLiteral("cycle %1: the simulator dropped no socket").arg(n));
        return false;
    }
    m_phase = cycleName + QStringLiteral(": reconnect");
    if (!waitReconnected(connectionsBefore, stalledBefore, d)) {
        fail(QStringLiteral("cycle %1: no new connection logged in after the %2 drop").arg(n).arg(dropName(d)));
        return false;
    }
    const QJsonArray conns = connections().value("connections").toArray();
    if (conns.size() != connectionsBefore + 1)
        fail(QStringLiteral("cycle %1: %2 connections where one was expected").arg(n).arg(conns.size() - connectionsBefore));
    settleOwn(false);
    std::printf("cycle %d: %s drop, host message %s, connection %d, rows %d, lost %d, duplicated %d\n", n,
                dropName(d), momentName(moment), conns.last().toObject().value("conn").toInt(),
                int(m_viewerRows.size()), m_lost, duplicated());
    std::fflush(stdout);
    return true;
}

bool RoomChannelDrill::run()
{
    m_clock.start();
    if (!enterRoom()) {
        fail(QStringLiteral("the window did not enter the room"));
        return false;
    }
    m_watchdog.setInterval(kWatchdogMs);
    m_watchdogClock.start();
    QObject::connect(&m_watchdog, &QTimer::timeout, [this] {
        const qint64 gap = m_watchdogClock.restart() - kWatchdogMs;
        if (gap > m_longestStallMs) {
            m_longestStallMs = gap;
            m_longestStallIn = m_phase;
        }
    });
    m_watchdog.start();
    m_rssStart = residentKb();
    m_fdsStart = openDescriptors();

    m_fx.control("/_sim/room/chatter", {{"room_id", QString::number(kRoom)}, {"rate", m_o.rate}, {"viewers", 4}});
    for (int n = 1; n <= m_o.cycles; ++n) {
        if (!cycle(n))
            break;
        m_cyclesDone = n;
    }
    m_sent = m_fx.sim.control(QStringLiteral("/_sim/room/chatter"), {{"room_id", QString::number(kRoom)}, {"rate", 0}})
                 .toObject()
                 .value("said")
                 .toInt();

    // The last messages read, every own message at its end.
    m_phase = QStringLiteral("the end");
    if (!sync() || !checkDelivered())
        fail(QStringLiteral("the last deliveries could not be checked"));
    const int bound = Access::roomRouter(*m_w)->echoTimeout() + 2000;
    // What is still pending after the bound is counted by the final check.
    (void)QTest::qWaitFor(
        [&] {
            settleOwn(false);
            return m_ownDone.size() == m_ownSentAt.size();
        },
        bound);
    settleOwn(true);
    countResent();
    for (const QJsonValue& v : connections().value("connections").toArray()) {
        const QJsonObject c = v.toObject();
        if (c.value("logins").toInt() != 1) {
            ++m_badLogins;
            fail(QStringLiteral("connection %1 sent %2 logins").arg(c.value("conn").toInt()).arg(c.value("logins").toInt()));
        }
    }
    if (m_lost)
        fail(QStringLiteral("lost: %1").arg(m_lostIds.mid(0, 20).join(QLatin1Char(' '))));
    for (auto it = m_viewerRows.cbegin(); it != m_viewerRows.cend(); ++it)
        if (it.value() > 1)
            fail(QStringLiteral("%1 shown %2 times").arg(it.key()).arg(it.value()));
    for (auto it = m_hostTextRows.cbegin(); it != m_hostTextRows.cend(); ++it)
        if (it.value() > 1)
            fail(QStringLiteral("\"%1\" shown %2 times").arg(it.key()).arg(it.value()));
    m_watchdog.stop();
    m_rssEnd = residentKb();
    m_fdsEnd = openDescriptors();
    return true;
}

QString RoomChannelDrill::figures() const
{
    return QStringLiteral("soak room_channel cycles=%1 sent=%2 delivered=%3 duplicated=%4 lost=%5 own_pending=%6 "
                          "own_resent=%7 rss_kb_start=%8 rss_kb_end=%9 fds_start=%10 fds_end=%11 "
                          "longest_gui_stall_ms=%12 own_settled=%13 own_failed=%14 bad_logins=%15 (stall in \"%16\")")
        .arg(m_cyclesDone)
        .arg(m_sent)
        .arg(m_delivered.size())
        .arg(duplicated())
        .arg(m_lost)
        .arg(m_ownPending)
        .arg(m_ownResent)
        .arg(m_rssStart)
        .arg(m_rssEnd)
        .arg(m_fdsStart)
        .arg(m_fdsEnd)
        .arg(m_longestStallMs)
        .arg(m_ownSettled)
        .arg(m_ownFailed)
        .arg(m_badLogins)
        .arg(m_longestStallIn);
}

} // namespace

int main(int argc, char* argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Drops the room channel while viewers chat; checks nothing is lost."));
    parser.addHelpOption();
    const QCommandLineOption cycles("cycles", "Drops to make.", "count", "100");
    const QCommandLineOption reconnect("reconnect-ms", "The client's reconnect interval.", "ms",
                                       QString::number(ChatWebSocketClient::kReconnectIntervalMs));
    const QCommandLineOption handshake("handshake-ms", "The client's bound on an opening handshake.", "ms",
                                       QString::number(ChatWebSocketClient::kHandshakeTimeoutMs));
    const QCommandLineOption echo("echo-ms", "The bound on waiting for an own message's echo (default the program's).",
                                  "ms", "0");
    const QCommandLineOption rate("rate", "Viewer messages a second.", "count", "5");
    const QCommandLineOption chatMs("chat-ms", "How long viewers chat on the settled channel each cycle.", "ms", "2000");
    const QCommandLineOption log("log", "File for the program's log (default: none).", "file");
    parser.addOptions({cycles, reconnect, handshake, echo, rate, chatMs, log});
    parser.process(app);

    Options o;
    o.cycles = parser.value(cycles).toInt();
    o.reconnectMs = parser.value(reconnect).toInt();
    o.handshakeMs = parser.value(handshake).toInt();
    o.echoMs = parser.value(echo).toInt();
    o.rate = parser.value(rate).toDouble();
    o.chatMs = parser.value(chatMs).toInt();
    QFile logFile(parser.value(log));
    if (parser.isSet(log) && logFile.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::lock_guard<std::mutex> lock(g_logMutex);
        g_log = &logFile;
    }
    qInstallMessageHandler(logHandler);

    std::printf("room channel drill: %d drops, reconnect %d ms, handshake bound %d ms, %g viewer messages/s\n",
                o.cycles, o.reconnectMs, o.handshakeMs, o.rate);
    std::fflush(stdout);
    int status = 0;
    {
        RoomChannelDrill drill(o);
        drill.run();
        for (const QString& f : drill.failures())
            std::printf("FAIL %s\n", qPrintable(f));
        std::printf("%s\n", qPrintable(drill.figures()));
        std::fflush(stdout);
        status = drill.clean() ? 0 : 1;
    }
    qInstallMessageHandler(nullptr);
    {
        // A line in progress on another thread ends before the file goes.
        std::lock_guard<std::mutex> lock(g_logMutex);
        g_log = nullptr;
    }
    return status;
}
