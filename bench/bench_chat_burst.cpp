// Chat bursts into the running chat page of the main window (room channel, dispatcher, queue,
// chat rows), beside the same messages into a bare QListWidget of plain text items fed by a bare
// WebSocket (the floor), in the same run. The service simulator sends the "say" frames.
//
// Cases, each side in a process of its own (so the memory figures start from a fresh heap):
//   Burst        10,000 frames as fast as the sockets take them: messages per second, the longest
//                stall of the GUI thread (the largest gap between ticks of a 1 ms timer while the
//                burst is handled) and resident memory growth over the rows kept (the page keeps
//                its bound of 1,000 rows, so its fixed costs weigh in).
//   AtRows/N     the list is filled with N rows (the row bound off): the memory each row added,
//                and the time per message of a 1,000-frame burst on top of them.
//   Sustained    200 frames a second for 60 s: the share of the GUI thread's time spent (its CPU
//                time over the wall time).
// Debug and info log lines are switched off, so the figures do not measure a terminal.
//
//     cmake -S . -B build -DBUILD_TESTING=ON -DBUILD_BENCHMARKS=ON && cmake --build build
//     build/bench/bench_chat_burst                (offscreen; starts its own simulator)
// SOLVEK_BENCH_BURST, SOLVEK_BENCH_ROWS ("1000,10000,50000"), SOLVEK_BENCH_SUSTAIN_S and
// SOLVEK_BENCH_RATE override the sizes (for a quick look).
#include "support/FakeLiveCore.h"
#include "support/LiveMainWindowTestAccess.h"
#include "support/SimulatorProcess.h"

#include "chat/ChatListWidget.h"
#include "chat/ChatWebSocketClient.h"
#include "chat/RoomMessageRouter.h"
#include "core/NetUtils.h"
#include "core/Toast.h"
#include "shell/LiveControl.h"

#include "BenchLoop.h"
#include "BenchPage.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QJsonDocument>
#include <QListWidget>
#include <QLoggingCategory>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebSocket>

#include <QProcess>
#include <QRegularExpression>

#include <climits>
#include <ctime>
#include <functional>
#include <unistd.h>

namespace {

int envInt(const char* name, int fallback)
{
    return qEnvironmentVariableIsSet(name) ? qEnvironmentVariableIntValue(name) : fallback;
}

const int kBurst = envInt("SOLVEK_BENCH_BURST", 10000);
const int kOnTop = 1000; // the burst timed on top of a filled list
const int kSustainSeconds = envInt("SOLVEK_BENCH_SUSTAIN_S", 60);
const int kRate = envInt("SOLVEK_BENCH_RATE", 200);
constexpr int kTimeoutMs = 1800000;
SimulatorProcess* g_sim = nullptr;

using benchloop::rssKiB;
using benchloop::settle;

bool spinUntil(const std::function<bool()>& done, int timeoutMs = kTimeoutMs)
{
    return benchloop::spinUntil(done, timeoutMs);
}

// Waits in the event loop (asleep while nothing happens, unlike spinUntil) until done().
bool waitUntil(const std::function<bool()>& done, int timeoutMs = kTimeoutMs)
{
    QEventLoop loop;
    QTimer poll;
    QElapsedTimer clock;
    clock.start();
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (done() || clock.elapsed() > timeoutMs)
            loop.quit();
    });
    poll.start(20);
    if (!done())
        loop.exec();
    return done();
}

double threadCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// The largest gap between ticks of a 1 ms timer: how long the GUI thread was busy at a stretch.
class StallProbe
{
public:
    StallProbe()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            m_maxGap = qMax(m_maxGap, now - m_last);
            m_last = now;
        });
    }
    void start()
    {
        m_clock.start();
        m_last = 0;
        m_maxGap = 0;
        m_timer.start();
    }
    double stopMs()
    {
        m_timer.stop();
        return double(qMax(m_maxGap, m_clock.nsecsElapsed() - m_last)) / 1e6;
    }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_maxGap = 0;
};

// Asks the simulator for `count` frames (at `rate` a second, 0: at once) without waiting for its
// answer (it comes after the last frame).
QNetworkReply* requestBurst(QNetworkAccessManager& nam, const QString& roomId, int count, int rate = 0)
{
    QNetworkRequest request(QUrl(g_sim->baseUrl() + "/_sim/chatsend/burst"));
    request.setHeader(QNetworkRequest::ContentTypeHeader, "application/json");
    QJsonObject body{{"room_id", roomId}, {"count", count}};
    if (rate > 0)
        body.insert("rate", rate);
    request.setTransferTimeout(0);
    return nam.post(request, QJsonDocument(body).toJson(QJsonDocument::Compact));
}

// One side of the comparison: a list fed by a room of the simulator.
struct Side {
    QString roomId;
    std::function<int()> shown; // messages the list has taken (a bounded list keeps fewer rows)
    std::function<int()> rows;  // rows the list holds
    std::function<void(int)> fill; // adds rows directly, without the channel
};

struct BurstFigures {
    double seconds = -1;
    double stallMs = 0;
    double rssGrowthKiB = 0;
    double guiCpuSeconds = 0; // the GUI thread's CPU time from the request to the last row
};

// Sends `count` frames into the side's room and waits until the list has taken them all.
BurstFigures runBurst(const Side& side, int count, int rate, bool probeStalls)
{
    QNetworkAccessManager nam;
    StallProbe probe;
    BurstFigures f;
    settle(300);
    const double rss0 = rssKiB();
    const int shown0 = side.shown();
    if (probeStalls)
        probe.start();
    const double cpu0 = threadCpuSeconds();
    QElapsedTimer clock;
    clock.start();
    QNetworkReply* reply = requestBurst(nam, side.roomId, count, rate);
    const auto taken = [&] { return side.shown() - shown0 >= count; };
    // Paced messages leave the GUI thread idle in between: it waits asleep, so its time is the
    // list's own.
    if (!(rate > 0 ? waitUntil(taken) : spinUntil(taken)))
        return f;
    f.seconds = double(clock.nsecsElapsed()) / 1e9;
    f.guiCpuSeconds = threadCpuSeconds() - cpu0;
    if (probeStalls)
        f.stallMs = probe.stopMs();
    spinUntil([&] { return reply->isFinished(); }, 30000);
    reply->deleteLater();
    settle(700); // late scrolls and deferred layout run their course
    f.rssGrowthKiB = rssKiB() - rss0;
    return f;
}

void measureBurst(benchmark::State& state, const Side& side)
{
    const BurstFigures f = runBurst(side, kBurst, 0, true);
    if (f.seconds < 0) {
        state.SkipWithError("the burst did not arrive");
        return;
    }
    state.SetIterationTime(f.seconds);
    state.counters["msgs_per_s"] = double(kBurst) / f.seconds;
    state.counters["max_stall_ms"] = f.stallMs;
    state.counters["rows_kept"] = side.rows();
    state.counters["rss_per_row_KiB"] = f.rssGrowthKiB / double(qMax(1, side.rows()));
    state.counters["rss_growth_MiB"] = f.rssGrowthKiB / 1024.0;
}

void measureAtRows(benchmark::State& state, const Side& side)
{
    const int rows = int(state.range(0));
    settle(300);
    const double rss0 = rssKiB();
    side.fill(rows);
    const double filledKiB = rssKiB() - rss0;
    const BurstFigures f = runBurst(side, kOnTop, 0, false);
    if (f.seconds < 0) {
        state.SkipWithError("the burst did not arrive");
        return;
    }
    state.SetIterationTime(f.seconds);
    state.counters["us_per_msg"] = f.seconds * 1e6 / kOnTop;
    state.counters["rows_before"] = rows;
    state.counters["rss_MiB"] = rssKiB() / 1024.0;
    // What each row of the fill added (with many rows, the list's fixed costs hardly count).
    state.counters["fill_KiB_per_row"] = filledKiB / double(rows);
}

void measureSustained(benchmark::State& state, const Side& side)
{
    const int count = kRate * kSustainSeconds;
    const BurstFigures f = runBurst(side, count, kRate, false);
    if (f.seconds < 0) {
        state.SkipWithError("the messages did not arrive");
        return;
    }
    state.SetIterationTime(f.seconds);
    state.counters["gui_thread_pct"] = 100.0 * f.guiCpuSeconds / f.seconds;
    state.counters["msgs_per_s"] = double(count) / f.seconds;
}

// The bare list and its socket, for the time of one case.
template <typename Measure>
void withBareList(benchmark::State& state, Measure measure)
{
    QListWidget list;
    list.resize(320, 700);
    list.show();
    QWebSocket socket(QString(), QWebSocketProtocol::VersionLatest);
    bool loggedIn = false;
    int taken = 0;
    const auto addRow = [&list](const QString& name, const QString& text) { list.addItem(name + ": " + text); };
    QObject::connect(&socket, &QWebSocket::textMessageReceived, [&](const QString& text) {
        const QJsonObject o = QJsonDocument::fromJson(text.toUtf8()).object();
        const QString type = o.value("type").toString();
        if (type == QLatin1String("login")) {
            loggedIn = true;
        } else if (type == QLatin1String("say")) {
            addRow(o.value("from_client_name").toString(), o.value("content").toObject().value("content").toString());
            ++taken;
        }
    });
    QObject::connect(&socket, &QWebSocket::connected, [&] {
        socket.sendTextMessage(R"({"type":"login","terminal":20,"room_id":"9101","jwt_token":"bare"})");
    });
    socket.open(QUrl(QString(g_sim->baseUrl()).replace("http://", "ws://") + "/ws/room"));
    if (!spinUntil([&] { return loggedIn; }, 10000)) {
        state.SkipWithError("no room channel");
        return;
    }
    Side side;
    side.roomId = "9101";
    side.shown = [&taken] { return taken; };
    side.rows = [&list] { return list.count(); };
    side.fill = [&](int n) {
        for (int i = 0; i < n; ++i)
            list.addItem(QStringLiteral("观众: 第%1条消息").arg(i));
        settle(100);
    };
    measure(state, side);
    socket.close();
}

// The main window's chat page in a room of the simulator, for the time of one case.
template <typename Measure>
void withChatPage(benchmark::State& state, bool bounded, Measure measure)
{
    benchpage::MainWindowPage page;
    LiveMainWindow* window = page.window;
    LiveRoomInfo room;
    room.app_id = 9102;
    room.push_app_nick = "Bench room";
    const int logins = g_sim->framesOfType("login").size();
    LiveMainWindowTestAccess::liveControl(*window)->choose(room);
    if (!spinUntil([&] { return g_sim->framesOfType("login").size() > logins; }, 10000)) {
        state.SkipWithError("no room channel");
        return;
    }
    ChatSideState* chat = LiveMainWindowTestAccess::chat(*window);
    if (!bounded)
        chat->rowBound = 1 << 28;
    // Every message the room sends reaches the list through the router's hook; it counts as
    // shown once no message is held back any more.
    RoomMessageRouter* router = LiveMainWindowTestAccess::roomRouter(*window);
    int given = 0;
    const auto add = router->hooks.addItemChatRecord;
    router->hooks.addItemChatRecord = [&given, add](ItemChatRecord& record, bool isWss) {
        ++given;
        add(record, isWss);
    };
    const auto shown = [&given, chat] { return chat->heldRows.isEmpty() ? given : given - 1; };
    Side side;
    side.roomId = "9102";
    side.shown = shown;
    side.rows = [chat] { return chat->list->count(); };
    side.fill = [&](int n) {
        // Straight into the page's road for live messages, as the router hands them over.
        const int target = given + n;
        for (int i = 0; i < n; ++i) {
            ItemChatRecord r;
            r.id = QStringLiteral("f%1").arg(i);
            r.msg_type = QStringLiteral("speak");
            r.from_client_name = QString::fromUtf8("观众");
            r.wechat_user_space_id = QStringLiteral("7001");
            r.chat_time = QStringLiteral("20:00");
            r.content.content = QStringLiteral("第%1条消息 message %1").arg(i);
            router->hooks.addItemChatRecord(r, true);
            if (i % 500 == 499)
                QCoreApplication::processEvents();
        }
        spinUntil([&] { return shown() >= target; });
        settle(700);
    };
    measure(state, side);
}

using Measure = void (*)(benchmark::State&, const Side&);

// The cases: each measure on the bare list and on the chat page.
const struct Case {
    const char* name;
    bool page;
    Measure measure;
    bool bounded; // the page keeps its row bound
    bool byRows;  // one run per row count
} kCases[] = {
    {"BM_BareList_Burst", false, measureBurst, true, false},
    {"BM_ChatPage_Burst", true, measureBurst, true, false},
    {"BM_BareList_AtRows", false, measureAtRows, false, true},
    {"BM_ChatPage_AtRows", true, measureAtRows, false, true},
    {"BM_BareList_Sustained", false, measureSustained, true, false},
    {"BM_ChatPage_Sustained", true, measureSustained, true, false},
};

QStringList rowCounts()
{
    return qEnvironmentVariable("SOLVEK_BENCH_ROWS", QStringLiteral("1000,10000,50000")).split(',', Qt::SkipEmptyParts);
}

void runCase(benchmark::State& state, const Case& c)
{
    for (auto _ : state) {
        if (c.page)
            withChatPage(state, c.bounded, c.measure);
        else
            withBareList(state, c.measure);
    }
}

void registerCases()
{
    for (const Case& c : kCases) {
        benchmark::internal::Benchmark* b = benchmark::RegisterBenchmark(c.name, runCase, c);
        b->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
        if (c.byRows) {
            for (const QString& n : rowCounts())
                b->Arg(n.toInt());
        }
    }
}

// Runs every case (or each one the filter names) in a process of its own: a case's memory figure
// then does not depend on what ran before it in the same heap.
int runEachInItsOwnProcess(int argc, char** argv)
{
    QStringList pass;
    QString filter = QStringLiteral(".");
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg.startsWith(QLatin1String("--benchmark_filter=")))
            filter = arg.mid(int(strlen("--benchmark_filter=")));
        else
            pass << arg;
    }
    const QRegularExpression wanted(filter);
    int status = 0;
    for (const Case& c : kCases) {
        const QStringList rows = c.byRows ? rowCounts() : QStringList{QString()};
        for (const QString& n : rows) {
            const QString name = QString::fromLatin1(c.name);
            const QString full = n.isEmpty() ? name : name + "/" + n;
            if (!wanted.match(full).hasMatch())
                continue;
            QProcess child;
            child.setProcessChannelMode(QProcess::ForwardedChannels);
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("SOLVEK_BENCH_CHILD", "1");
            child.setProcessEnvironment(env);
            child.start(QString::fromLocal8Bit(argv[0]),
                        QStringList{"--benchmark_filter=^" + full + "(/|$)"} + pass);
            child.waitForFinished(-1);
            if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
                status = 1;
        }
    }
    return status;
}

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("SOLVEK_BENCH_CHILD")) {
        bool listing = false;
        for (int i = 1; i < argc; ++i)
            listing = listing || QByteArray(argv[i]).startsWith("--benchmark_list_tests");
        if (!listing)
            return runEachInItsOwnProcess(argc, argv);
    }
    benchpage::BenchProcess process(argc, argv);
    if (!process.startSimulator())
        return 1;
    g_sim = &process.sim;

    registerCases();
    return benchpage::runBenchmarks(argc, argv);
}
