// A "get_online_list" of 2,000 viewers (photos served by the simulator) into the online-users page
// of the main window, beside the same 2,000 names added as plain QListWidget items, fed by a bare
// WebSocket from the same simulator (the floor).
//
// Figures per case: the wall time from the request to the last row (the benchmark's time), for
// the page also the time until every photo has arrived, and the growth of resident memory per
// row. Debug and info log lines are switched off, so the figures do not measure a terminal.
//
//     cmake -S . -B build -DBUILD_TESTING=ON -DBUILD_BENCHMARKS=ON && cmake --build build
//     build/bench/bench_online_list             (offscreen; starts its own simulator)
#include "support/FakeLiveCore.h"
#include "support/LiveMainWindowTestAccess.h"
#include "support/SimulatorProcess.h"

#include "chat/ChatWebSocketClient.h"
#include "chat/ItemOnlineUserWidget.h"
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
#include <QWebSocket>

#include <functional>
#include <unistd.h>

namespace {

// SOLVEK_BENCH_VIEWERS overrides the number of viewers (for a quick look).
const int kViewers = qEnvironmentVariableIsSet("SOLVEK_BENCH_VIEWERS")
                         ? qEnvironmentVariableIntValue("SOLVEK_BENCH_VIEWERS")
                         : 2000;
constexpr int kTimeoutMs = 300000;
const char kRoom[] = "9201";
SimulatorProcess* g_sim = nullptr;

using benchloop::rssKiB;
using benchloop::settle;

bool spinUntil(const std::function<bool()>& done, int timeoutMs = kTimeoutMs)
{
    return benchloop::spinUntil(done, timeoutMs);
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
            else if (type == QLatin1String("get_online_list"))
                for (const QJsonValue& v : o.value("data").toArray())
                    list.addItem(v.toObject().value("client_name").toString());
        });
        QObject::connect(&socket, &QWebSocket::connected, [&] {
            socket.sendTextMessage(QStringLiteral(R"({"type":"login","terminal":20,"room_id":"%1","jwt_token":"bare"})")
                                       .arg(kRoom));
        });
        socket.open(QUrl(QString(g_sim->baseUrl()).replace("http://", "ws://") + "/ws/room"));
        if (!spinUntil([&] { return loggedIn; }, 10000)) {
            state.SkipWithError("no room channel");
            return;
        }
        settle(300);
        const double rss0 = rssKiB();
        QElapsedTimer clock;
        clock.start();
        socket.sendTextMessage(QStringLiteral(R"({"type":"get_online_list"})"));
        if (!spinUntil([&] { return list.count() >= kViewers; })) {
            state.SkipWithError("the list did not arrive");
            return;
        }
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        settle(300);
        state.counters["rss_per_row_KiB"] = (rssKiB() - rss0) / double(kViewers);
        state.counters["rows"] = list.count();
        socket.close();
    }
}

void BM_OnlinePage(benchmark::State& state)
{
    for (auto _ : state) {
        benchpage::MainWindowPage page;
        LiveMainWindow* window = page.window;

        // Every answer reaches the page through the router's hook.
        RoomMessageRouter* router = LiveMainWindowTestAccess::roomRouter(*window);
        int replies = 0;
        const auto handle = router->hooks.onlineList;
        router->hooks.onlineList = [&replies, handle](int num, const QJsonObject& message) {
            handle(num, message);
            ++replies;
        };
        // On the online side tab, the host's own login echo loads the first tab.
        window->showOnlineUserPage();
        LiveRoomInfo room;
        room.app_id = QByteArray(kRoom).toLongLong();
        room.push_app_nick = "Bench room";
        LiveMainWindowTestAccess::liveControl(*window)->choose(room);
        if (!spinUntil([&] { return replies > 0; }, 60000)) {
            state.SkipWithError("no online list");
            return;
        }
        OnlineSideState* online = LiveMainWindowTestAccess::online(*window);
        QStringList photos;
        for (int i = 0; i < online->list->count(); ++i)
            if (auto* row = qobject_cast<ItemOnlineUserWidget*>(online->list->itemWidget(online->list->item(i))))
                photos << row->record().client_photo;

        const auto photosIn = [&photos] {
            for (const QString& p : photos)
                if (PictureCache::instance().isPending(p))
                    return false;
            return true;
        };
        spinUntil(photosIn);
        // Measured: a reload with nothing cached and no rows.
        online->list->clear();
        online->idMap.clear();
        PictureCache::instance().clear();
        settle(300);
        const double rss0 = rssKiB();
        const int before = replies;
        QElapsedTimer clock;
        clock.start();
        window->onOnlineTabChanged(-1);
        if (!spinUntil([&] { return replies > before && online->list->count() >= kViewers; })) {
            state.SkipWithError("the list did not arrive");
            return;
        }
        QCoreApplication::processEvents(); // the rows in view are painted
        const double rowsSeconds = double(clock.nsecsElapsed()) / 1e9;
        spinUntil(photosIn);
        const double photosSeconds = double(clock.nsecsElapsed()) / 1e9;
        settle(300);
        state.SetIterationTime(rowsSeconds);
        state.counters["photos_in_ms"] = photosSeconds * 1000.0;
        state.counters["rss_per_row_KiB"] = (rssKiB() - rss0) / double(kViewers);
        state.counters["rows"] = online->list->count();
    }
}

} // namespace

BENCHMARK(BM_BareListWidget)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OnlinePage)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    benchpage::BenchProcess process(argc, argv);
    if (!process.startSimulator())
        return 1;
    g_sim = &process.sim;
    for (int i = 0; i < kViewers; ++i)
        g_sim->control("/_sim/room/viewer/enter", {{"room_id", kRoom},
                                                {"wechat_user_space_id", 20000 + i},
                                                {"name", QStringLiteral("viewer %1").arg(i)}});

    return benchpage::runBenchmarks(argc, argv);
}
