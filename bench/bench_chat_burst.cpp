// 10,000 "say" frames pushed by the service simulator as fast as its sockets take them, into the
// running chat page of the main window (room channel, dispatcher, queue, chat rows), beside the
// same burst into a bare QListWidget of plain text items fed by a bare WebSocket (the floor).
//
// Figures per case: the wall time from the burst request to the last row (the benchmark's time),
// messages per second, the longest stall of the GUI thread (the largest gap between ticks of a
// 1 ms timer while the burst is handled) and the growth of resident memory per retained row.
// Debug and info log lines are switched off, so the figures do not measure a terminal.
//
//     cmake -S . -B build -DBUILD_TESTING=ON -DBUILD_BENCHMARKS=ON && cmake --build build
//     build/bench/bench_chat_burst                (offscreen; starts its own simulator)
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

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QListWidget>
#include <QLoggingCategory>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebSocket>

#include <functional>
#include <unistd.h>

namespace {

// SOLVEK_BENCH_BURST overrides the number of frames (for a quick look).
const int kBurst = qEnvironmentVariableIsSet("SOLVEK_BENCH_BURST") ? qEnvironmentVariableIntValue("SOLVEK_BENCH_BURST")
                                                                    : 10000;
constexpr int kTimeoutMs = 600000;
SimulatorProcess* g_sim = nullptr;

using benchloop::rssKiB;
using benchloop::settle;

bool spinUntil(const std::function<bool()>& done, int timeoutMs = kTimeoutMs)
{
    return benchloop::spinUntil(done, timeoutMs);
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

// Asks the simulator for the burst without waiting for its answer (it comes after the last frame).
QNetworkReply* requestBurst(QNetworkAccessManager& nam, const QString& roomId)
{
    QNetworkRequest request(QUrl(g_sim->baseUrl() + "/_sim/chatsend/burst"));
    request.setHeader(QNetworkRequest::ContentTypeHeader, "application/json");
    const QJsonObject body{{"room_id", roomId}, {"count", kBurst}};
    return nam.post(request, QJsonDocument(body).toJson(QJsonDocument::Compact));
}

// Measures one burst into a room while shown() counts the messages the list has taken (a bounded
// list keeps fewer rows than it was given). Memory is reported after 2,000 messages and at the end.
void measureBurst(benchmark::State& state, const QString& roomId, const std::function<int()>& shown,
                  const std::function<int()>& rows)
{
    QNetworkAccessManager nam;
    StallProbe probe;
    settle(300);
    const double rss0 = rssKiB();
    const int shown0 = shown();
    double rssEarly = 0;
    const int early = qMin(2000, kBurst);
    probe.start();
    QElapsedTimer clock;
    clock.start();
    QNetworkReply* reply = requestBurst(nam, roomId);
    if (!spinUntil([&] {
            const int n = shown() - shown0;
            if (rssEarly == 0 && n >= early)
                rssEarly = rssKiB();
            return n >= kBurst;
        })) {
        state.SkipWithError("the burst did not arrive");
        return;
    }
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    const double stallMs = probe.stopMs();
    spinUntil([&] { return reply->isFinished(); }, 30000);
    reply->deleteLater();
    settle(700); // late scrolls and deferred layout run their course
    const double rss1 = rssKiB();
    state.SetIterationTime(seconds);
    state.counters["msgs_per_s"] = double(kBurst) / seconds;
    state.counters["max_stall_ms"] = stallMs;
    state.counters["rss_per_msg_KiB"] = (rss1 - rss0) / double(kBurst);
    state.counters["rss_growth_2000_MiB"] = (rssEarly - rss0) / 1024.0;
    state.counters["rss_growth_end_MiB"] = (rss1 - rss0) / 1024.0;
    state.counters["rows_kept"] = rows();
}

void BM_BareListWidget(benchmark::State& state)
{
    for (auto _ : state) {
        QListWidget list;
        list.resize(320, 700);
        list.show();
        QWebSocket socket(QString(), QWebSocketProtocol::VersionLatest);
        bool loggedIn = false;
        QObject::connect(&socket, &QWebSocket::textMessageReceived, [&](const QString& text) {
            const QJsonObject o = QJsonDocument::fromJson(text.toUtf8()).object();
            const QString type = o.value("type").toString();
            if (type == QLatin1String("login"))
                loggedIn = true;
            else if (type == QLatin1String("say"))
                list.addItem(o.value("from_client_name").toString() + ": " +
                             o.value("content").toObject().value("content").toString());
        });
        QObject::connect(&socket, &QWebSocket::connected, [&] {
            socket.sendTextMessage(R"({"type":"login","terminal":20,"room_id":"9101","jwt_token":"bare"})");
        });
        socket.open(QUrl(QString(g_sim->baseUrl()).replace("http://", "ws://") + "/ws/room"));
        if (!spinUntil([&] { return loggedIn; }, 10000)) {
            state.SkipWithError("no room channel");
            return;
        }
        measureBurst(state, "9101", [&] { return list.count(); }, [&] { return list.count(); });
        socket.close();
    }
}

void BM_ChatPage(benchmark::State& state)
{
    for (auto _ : state) {
        LoginInfo login;
        login.uid = 4242;
        login.wechat_user_space_id = 10001;
        login.name = QString::fromUtf8("主播小王");
        login.token = "bench-token";
        NetUtils::getInstance()->setLoginInfo(login);
        FakeLiveCore core;
        auto* window = new LiveMainWindow;
        window->initLiveMainWindowParams(&login);
        window->initFromLogin();
        window->resize(1280, 800);
        window->show();
        LiveRoomInfo room;
        room.app_id = 9102;
        room.push_app_nick = "Bench room";
        const int logins = g_sim->framesOfType("login").size();
        LiveMainWindowTestAccess::liveControl(*window)->choose(room);
        if (!spinUntil([&] { return g_sim->framesOfType("login").size() > logins; }, 10000)) {
            state.SkipWithError("no room channel");
            delete window;
            return;
        }
        // Every message the room sends reaches the list through the router's hook; it counts as
        // shown once no message is held back any more.
        ChatSideState* chat = LiveMainWindowTestAccess::chat(*window);
        RoomMessageRouter* router = LiveMainWindowTestAccess::roomRouter(*window);
        int given = 0;
        const auto add = router->hooks.addItemChatRecord;
        router->hooks.addItemChatRecord = [&given, add](ItemChatRecord& record, bool isWss) {
            ++given;
            add(record, isWss);
        };
        QListWidget* list = chat->list;
        measureBurst(
            state, "9102", [&given, chat] { return chat->heldRows.isEmpty() ? given : given - 1; },
            [list] { return list->count(); });
        delete window;
        destroyChatWsClient();
        Toast::resetInstance();
        settle(200);
    }
}

} // namespace

BENCHMARK(BM_BareListWidget)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChatPage)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir;
    qputenv("XDG_DATA_HOME", dir.filePath("data").toUtf8());
    QDir::setCurrent(dir.path());
    QApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false\n*.info=false"));
    SimulatorProcess sim;
    if (!sim.start())
        return 1;
    g_sim = &sim;
    sim.control("/_sim/room/config", {{"ping_interval", 0}});
    sim.control("/_sim/room/host", {{"wechat_user_space_id", 10001}, {"name", "Host"}});

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
