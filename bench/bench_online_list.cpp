// The online-users page with a busy room's list, beside a bare QListWidget holding the same
// viewers (their names as plain items), fed by a bare WebSocket from the same simulator, in one run.
//
// BM_BareList/N and BM_OnlinePage/N: a "get_online_list" of N viewers, from the request until
// every viewer is in the list (the benchmark's time). Counters: stall_ms, the longest time the
// window's thread did not come back to its event loop meanwhile (a 1 ms timer measures the gaps);
// for the page also stall_from_list_ms, the same from the moment the window is handed the parsed
// list (without the socket's receipt of the frame, which Qt's WebSocket reads whole on the
// window's thread: the bare list pays it too); rss_per_viewer_KiB, the growth of resident memory per viewer once the list is in; for the page
// also rows_made (row widgets made) and photo_requests (photo addresses fetched from the
// simulator until the photos are in).
// BM_OnlineArrivals/N: viewers arriving at the top and leaving from the middle of a page holding
// N viewers, through the room channel's handlers; the time is per arrival or departure, with the
// layout and painting that follows it.
//
//     cmake -S . -B build -DBUILD_TESTING=ON -DBUILD_BENCHMARKS=ON && cmake --build build
//     build/bench/bench_online_list --benchmark_repetitions=3     (offscreen; starts its own simulator)
#include "support/FakeLiveCore.h"
#include "support/LiveMainWindowTestAccess.h"
#include "support/SimulatorProcess.h"

#include "chat/ChatWebSocketClient.h"
#include "chat/ItemOnlineUserWidget.h"
#include "chat/LazyRowList.h"
#include "chat/PictureCache.h"
#include "chat/RoomMessageRouter.h"
#include "core/NetUtils.h"
#include "core/Toast.h"
#include "shell/LiveControl.h"
#include "shell/OnlineSideState.h"

#include "BenchLoop.h"
#include "BenchPage.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QListWidget>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebSocket>

#include <functional>
#include <malloc.h>
#include <unistd.h>

namespace {

constexpr int kTimeoutMs = 300000;
SimulatorProcess* g_sim = nullptr;

using benchloop::rssKiB;
using benchloop::settle;

bool spinUntil(const std::function<bool()>& done, int timeoutMs = kTimeoutMs)
{
    return benchloop::spinUntil(done, timeoutMs);
}

// One room per list size, filled once.
QString roomFor(int viewers)
{
    static QHash<int, QString> rooms;
    if (!rooms.contains(viewers)) {
        const QString room = QString::number(9300 + rooms.size());
        g_sim->control("/_sim/room/viewers/bulk", {{"room_id", room}, {"count", viewers}, {"first_id", 100000}});
        rooms.insert(viewers, room);
    }
    return rooms.value(viewers);
}

// The longest time between two turns of the event loop while it runs.
class StallMeter
{
public:
    StallMeter()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            m_longest = qMax(m_longest, now - m_last);
            m_last = now;
        });
    }
    void start()
    {
        m_clock.start();
        m_last = 0;
        m_longest = 0;
        m_timer.start();
    }
    double longestMs() const { return double(m_longest) / 1e6; }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};

int photoRequests()
{
    int n = 0;
    for (const QJsonValue& r : g_sim->requests())
        if (r.toObject().value("path").toString().startsWith("/pic/"))
            ++n;
    return n;
}

void BM_BareList(benchmark::State& state)
{
    const int viewers = int(state.range(0));
    const QString room = roomFor(viewers);
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
            else if (type == QLatin1String("get_online_list"))
                for (const QJsonValue& v : o.value("data").toArray())
                    list.addItem(v.toObject().value("client_name").toString());
        });
        QObject::connect(&socket, &QWebSocket::connected, [&] {
            socket.sendTextMessage(
                QStringLiteral(R"({"type":"login","terminal":20,"room_id":"%1","jwt_token":"bare"})").arg(room));
        });
        socket.open(QUrl(QString(g_sim->baseUrl()).replace("http://", "ws://") + "/ws/room"));
        if (!spinUntil([&] { return loggedIn; }, 10000)) {
            state.SkipWithError("no room channel");
            return;
        }
        settle(300);
        malloc_trim(0); // memory freed before is given back, so what the list takes shows
        const double rss0 = rssKiB();
        StallMeter stall;
        stall.start();
        QElapsedTimer clock;
        clock.start();
        socket.sendTextMessage(QStringLiteral(R"({"type":"get_online_list"})"));
        if (!spinUntil([&] { return list.count() >= viewers; })) {
            state.SkipWithError("the list did not arrive");
            return;
        }
        QCoreApplication::processEvents(); // the rows in view are painted
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        state.counters["stall_ms"] = stall.longestMs();
        settle(300);
        state.counters["rss_per_viewer_KiB"] = (rssKiB() - rss0) / double(viewers);
        state.counters["rows"] = list.count();
        socket.close();
    }
}

// A main window in the room of `viewers` viewers, its online side tab shown and the first list in.
struct OnlinePage {
    benchpage::MainWindowPage page;
    RoomMessageRouter* router = nullptr;
    OnlineSideState* online = nullptr;
    int replies = 0;
    StallMeter fromList; // started as each list is handed to the window

    bool enter(int viewers)
    {
        LiveMainWindow* window = page.window;
        router = LiveMainWindowTestAccess::roomRouter(*window);
        const auto handle = router->hooks.onlineList;
        router->hooks.onlineList = [this, handle](int num, const QJsonObject& message) {
            fromList.start();
            handle(num, message);
            ++replies;
        };
        window->showOnlineUserPage();
        LiveRoomInfo room;
        room.app_id = roomFor(viewers).toLongLong();
        room.push_app_nick = "Bench room";
        LiveMainWindowTestAccess::liveControl(*window)->choose(room);
        online = LiveMainWindowTestAccess::online(*window);
        return spinUntil([&] { return replies > 0 && listIn(viewers); }, kTimeoutMs);
    }
    bool listIn(int viewers) const { return online->list->count() >= viewers && online->waiting.empty(); }
};

void BM_OnlinePage(benchmark::State& state)
{
    const int viewers = int(state.range(0));
    for (auto _ : state) {
        OnlinePage p;
        if (!p.enter(viewers)) {
            state.SkipWithError("no online list");
            return;
        }
        settle(2000); // the photos of the first rows come in
        // Measured: a reload with no rows and nothing cached.
        p.online->list->clear();
        p.online->idMap.clear();
        PictureCache::instance().clear();
        settle(300);
        g_sim->clearLog();
        malloc_trim(0);
        const double rss0 = rssKiB();
        const int before = p.replies;
        int made = 0;
        p.online->list->setRowFactory([&made, factory = p.online->list->rowFactory()](
                                          QListWidgetItem* item) {
            ++made;
            return factory(item);
        });
        StallMeter stall;
        stall.start();
        QElapsedTimer clock;
        clock.start();
        p.page.window->onOnlineTabChanged(-1);
        if (!spinUntil([&] { return p.replies > before && p.listIn(viewers); })) {
            state.SkipWithError("the list did not arrive");
            return;
        }
        QCoreApplication::processEvents(); // the rows in view are painted
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        state.counters["stall_ms"] = stall.longestMs();
        state.counters["stall_from_list_ms"] = p.fromList.longestMs();
        settle(2000); // the photos of the rows made come in
        state.counters["rss_per_viewer_KiB"] = (rssKiB() - rss0) / double(viewers);
        state.counters["rows"] = p.online->list->count();
        state.counters["rows_made"] = made;
        state.counters["photo_requests"] = photoRequests();
    }
}

void BM_OnlineArrivals(benchmark::State& state)
{
    const int viewers = int(state.range(0));
    constexpr int kMoves = 200;
    for (auto _ : state) {
        OnlinePage p;
        if (!p.enter(viewers)) {
            state.SkipWithError("no online list");
            return;
        }
        settle(500);
        p.router->setOnlineDownDelay(0);
        QElapsedTimer clock;
        qint64 spent = 0;
        for (int i = 0; i < kMoves; ++i) {
            // One arrives at the top...
            QJsonObject up{{"type", "upordown_single"}, {"type_info", "up"}, {"online_num", viewers + 1},
                           {"client_info", QJsonObject{{"client_id", 900000 + i},
                                                       {"wus_id", QString::number(900000 + i)},
                                                       {"client_name", QStringLiteral("new %1").arg(i)}}}};
            const QString upText = QString::fromUtf8(QJsonDocument(up).toJson(QJsonDocument::Compact));
            clock.start();
            p.router->onWsTextMessage(upText);
            QCoreApplication::processEvents();
            spent += clock.nsecsElapsed();
            // ...and one from the middle leaves (its record read from its item).
            QListWidgetItem* item = p.online->list->item(p.online->list->count() / 2);
            const auto record = item->data(LazyRowList::kRecordRole).value<ItemOnlineUserInfo>();
            QJsonObject down{{"type", "upordown_single"}, {"type_info", "down"}, {"online_num", viewers},
                             {"client_info", QJsonObject{{"client_id", record.client_id.toInt()}}}};
            const QString downText = QString::fromUtf8(QJsonDocument(down).toJson(QJsonDocument::Compact));
            clock.start();
            p.router->onWsTextMessage(downText);
            QCoreApplication::processEvents(); // the departure's zero-delay timer, then the layout
            QCoreApplication::processEvents();
            spent += clock.nsecsElapsed();
        }
        state.SetIterationTime(double(spent) / 1e9 / (2 * kMoves));
        state.counters["rows"] = p.online->list->count();
    }
}

} // namespace

BENCHMARK(BM_BareList)->Arg(5000)->Arg(50000)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OnlinePage)->Arg(5000)->Arg(50000)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OnlineArrivals)->Arg(1000)->Arg(50000)->Iterations(1)->UseManualTime()->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    benchpage::BenchProcess process(argc, argv);
    if (!process.startSimulator())
        return 1;
    g_sim = &process.sim;
    return benchpage::runBenchmarks(argc, argv);
}
