// The broadcast engine drill: a seeded random sequence of operations on the real engine, issued
// back to back, while load threads keep every core busy: start, pause, resume, stop, a start to a
// refused address, a video reset to another frame rate or size, a frame held in the raw callback,
// a handshake held by a relay, the RTMP server killed and started again. Every few operations a
// checkpoint waits for the engine: once the outputs of earlier broadcasts are gone, a start to a
// refused address must report its failure, and a broadcast to the server must arrive and grow.
// Prints the seed first (replay with --seed), then one line of figures:
//   soak engine ops=.. seed=.. starts=.. resets=.. checkpoints=.. reached=.. event_mismatches=..
//   missing_events=.. longest_gui_stall_ms=.. longest_reset_ms=.. longest_settle_ms=..
//   libobs_allocs_at_exit=..
// and exits non-zero when a broadcast that should have reached the server did not, an event did
// not match the operations, the engine did not settle at a checkpoint, the window's thread was
// held more than 250 ms outside a video reset, or libobs kept allocations at exit. A crash ends it
// too.
//
//   soak_engine [--ops N] [--seed S] [--load THREADS] [--checkpoint-every N]
//
// Needs an X display (bench/soak/engine.sh starts one).
#include "support/EngineStream.h"
#include "support/HoldingProxy.h"

#include <obs.h>

#include <QApplication>
#include <QCommandLineParser>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QTemporaryDir>
#include <QThread>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

namespace {

constexpr qint64 kStallLimitMs = 250;

// The frame held in the raw callback: once per registration, until its time is up or the drill,
// as a consumer does before it unregisters, lets it go (an unregistration waits for a frame in
// progress of its own callback).
std::atomic<int> g_holdFrameMs{0};
std::mutex g_holdMutex;
std::condition_variable g_holdWake;
bool g_holdRelease = false;

void holdingFrameCallback(void*, video_data*)
{
    if (const int ms = g_holdFrameMs.exchange(0)) {
        std::unique_lock<std::mutex> lock(g_holdMutex);
        g_holdWake.wait_for(lock, std::chrono::milliseconds(ms), [] { return g_holdRelease; });
    }
}

void releaseHeldFrame()
{
    {
        std::lock_guard<std::mutex> lock(g_holdMutex);
        g_holdRelease = true;
    }
    g_holdWake.notify_all();
}

enum class Target { Server, Held, Refused };

struct Broadcast
{
    int id = 0;
    Target target = Target::Server;
    QString key;
    bool serverDown = false; // the server was down at some moment of this broadcast
    bool stopReported = false;
};

class EngineDrill
{
public:
    EngineDrill(int ops, quint32 seed, int checkpointEvery)
        : m_ops(ops), m_seed(seed), m_checkpointEvery(checkpointEvery), m_random(seed)
    {
    }

    bool setUp()
    {
        m_store = std::make_shared<CDataCenter>(m_dir.filePath("config.ini"));
        if (!testsupport::startEngineWithPicture(m_core, m_store, QDir(m_dir.path()), Qt::darkGreen))
            return fail("engine start-up failed");
        m_core.setReconnectSettings(2, 1);
        m_core.core_set_stream_event_handler([this](LiveStreamEvent e, int code) { onEvent(e, code); });
        if (!m_rtmp.start())
            return fail("nginx-rtmp did not start");
        m_proxy = std::make_unique<HoldingProxy>(m_rtmp.port());
        if (!m_proxy->start())
            return fail("relay did not start");
        m_refused = QStringLiteral("rtmp://127.0.0.1:%1/live").arg(RtmpServer::freePort());
        return true;
    }

    void run()
    {
        for (int op = 1; op <= m_ops; ++op) {
            randomOperation();
            pump(int(m_random() % 25));
            if (op % m_checkpointEvery == 0 || op == m_ops)
                checkpoint();
        }
        tearDown();
    }

    bool clean() const { return m_failures.isEmpty(); }
    const QStringList& failures() const { return m_failures; }

    QString figures() const
    {
        return QStringLiteral("soak engine ops=%1 seed=%2 starts=%3 resets=%4 checkpoints=%5 reached=%6 "
                              "event_mismatches=%7 missing_events=%8 longest_gui_stall_ms=%9 longest_reset_ms=%10 "
                              "longest_settle_ms=%11 libobs_allocs_at_exit=%12")
            .arg(m_ops)
            .arg(m_seed)
            .arg(m_starts)
            .arg(m_resets)
            .arg(m_checkpoints)
            .arg(m_reached)
            .arg(m_eventMismatches)
            .arg(m_missingEvents)
            .arg(m_longestStallMs)
            .arg(m_longestResetMs)
            .arg(m_longestSettleMs)
            .arg(m_allocsAtExit);
    }

private:
    bool fail(const QString& why)
    {
        m_failures << why;
        return false;
    }

    // Runs an engine call on this (the window's) thread and books how long it held the thread:
    // a call during which libobs' video was rebuilt (on this thread, on purpose) counts as a
    // reset, any other as a stall.
    template <class F> void timed(const char* what, F&& call)
    {
        const int before = m_core.videoResetsDone();
        QElapsedTimer t;
        t.start();
        call();
        const qint64 ms = t.elapsed();
        if (m_core.videoResetsDone() != before) {
            m_longestResetMs = qMax(m_longestResetMs, ms);
        } else if (ms > m_longestStallMs) {
            m_longestStallMs = ms;
            m_longestStallIn = QString::fromLatin1(what);
        }
    }

    // Lets queued reports, retries and put-off resets run for about `ms`.
    void pump(int ms)
    {
        QElapsedTimer t;
        t.start();
        do {
            timed("queued calls", [] { QCoreApplication::processEvents(QEventLoop::AllEvents, 5); });
        } while (t.elapsed() < ms);
    }

    void waitUntil(const std::function<bool()>& done, int timeoutMs)
    {
        QDeadlineTimer deadline(timeoutMs);
        while (!done() && !deadline.hasExpired()) {
            pump(5);
            QThread::msleep(5);
        }
    }

    void onEvent(LiveStreamEvent e, int code)
    {
        Broadcast* b = m_current.get();
        QString why;
        if (!b) {
            why = "with no broadcast on";
        } else if (e == LiveStreamEvent::Stopped) {
            if (b->target != Target::Refused && !b->serverDown)
                why = "stop of a broadcast whose server was up";
            else
                b->stopReported = true;
        } else if (!b->serverDown) {
            why = "reconnect of a broadcast whose server was up";
        }
        if (!why.isEmpty()) {
            ++m_eventMismatches;
            fail(QStringLiteral("event %1 (code %2) %3 (broadcast %4)").arg(int(e)).arg(code).arg(why).arg(b ? b->id : 0));
        }
    }

    int resetTo(int fps, int outWidth, int outHeight)
    {
        int result = 0;
        timed("video reset", [&] {
            result = m_core.core_reset_video(m_store->screenWidth, m_store->screenHeight, outWidth, outHeight, fps);
        });
        return result;
    }

    // The live control's start: a reset to the push settings, then a fresh set and the stream.
    void start(Target target)
    {
        auto b = std::make_unique<Broadcast>();
        b->id = ++m_starts;
        b->target = target;
        b->key = QStringLiteral("E%1").arg(b->id);
        b->serverDown = !m_rtmp.isRunning();
        QString server = m_rtmp.url();
        if (target == Target::Held) {
            m_proxy->setHoldMs(300 + int(m_random() % 2700));
            server = QStringLiteral("rtmp://127.0.0.1:%1/live").arg(m_proxy->port());
        } else if (target == Target::Refused) {
            server = m_refused;
        }
        m_current = std::move(b);
        m_store->pushServer = server;
        m_store->pushKey = m_current->key;
        const QByteArray s = server.toUtf8(), k = m_current->key.toUtf8();
        resetTo(m_fps, m_outWidth, m_outHeight);
        // Each call on its own, so that a stall names the one that held the thread.
        bool ok = false;
        timed("start: core_init_stream", [&] { ok = m_core.core_init_stream(); });
        if (ok)
            timed("start: set_stream_parameters",
                  [&] { ok = m_core.set_stream_parameters(s.constData(), k.constData(), 2500, 160); });
        if (ok)
            timed("start: start_stream", [&] { ok = m_core.start_stream(); });
        if (!ok)
            fail(QStringLiteral("start %1 refused by the engine").arg(m_current->id));
    }

    void stop()
    {
        timed("stop", [&] { m_core.stop_stream(); });
        m_current.reset();
    }

    void randomOperation()
    {
        const int pick = int(m_random() % 100);
        if (pick < 14) {
            start(Target::Server);
        } else if (pick < 22) {
            start(Target::Held);
        } else if (pick < 28) {
            start(Target::Refused);
        } else if (pick < 38) {
            if (m_current)
                timed("pause", [&] { m_core.pause_stream(true); });
        } else if (pick < 48) {
            if (m_current)
                timed("resume", [&] { m_core.pause_stream(false); });
        } else if (pick < 58) {
            stop();
        } else if (pick < 72) {
            static const int rates[] = {20, 25, 30};
            m_fps = rates[m_random() % 3];
            const bool half = m_random() % 2;
            m_outWidth = half ? (m_store->screenWidth / 2) & ~1 : m_store->screenWidth;
            m_outHeight = half ? (m_store->screenHeight / 2) & ~1 : m_store->screenHeight;
            resetTo(m_fps, m_outWidth, m_outHeight);
            ++m_resets;
        } else if (pick < 84) {
            if (m_rawRegistered) {
                rawCallbackOff();
            } else {
                {
                    std::lock_guard<std::mutex> lock(g_holdMutex);
                    g_holdRelease = false;
                }
                g_holdFrameMs = 200 + int(m_random() % 1300);
                timed("raw callback on", [] { RegisterRecvOBSVideoStreamCallback(holdingFrameCallback); });
                m_rawRegistered = true;
            }
        } else if (pick < 92) {
            if (m_rtmp.isRunning()) {
                m_rtmp.kill();
                if (m_current)
                    m_current->serverDown = true;
            } else {
                serverBack();
            }
        } else {
            if (!m_rtmp.isRunning())
                serverBack();
        }
    }

    void rawCallbackOff()
    {
        releaseHeldFrame();
        timed("raw callback off", [] { UnRegisterRecvOBSVideoStreamCallback(); });
        m_rawRegistered = false;
    }

    void serverBack()
    {
        // The same port, so the relay and later starts find it; a port still held is tried again.
        for (int i = 0; i < 50 && !m_rtmp.start(m_rtmp.port()); ++i)
            QThread::msleep(100);
        if (!m_rtmp.isRunning())
            fail("the RTMP server did not come back");
    }

    qint64 bytesOf(const QString& key) const { return testsupport::recordedBytes(m_rtmp, key); }

    // The engine, given time: a refused start reports its failure once, and a broadcast to the
    // server arrives and grows, on the video the drill asked for last.
    void checkpoint()
    {
        ++m_checkpoints;
        if (!m_rtmp.isRunning())
            serverBack();
        if (m_rawRegistered)
            rawCallbackOff();
        // The engine settles first: an output of an earlier broadcast may still be in its
        // handshake (librtmp gives up on a silent ingest after 30 s), and the video reset that the
        // next start asks for rightly waits for it. The refused start below then has its 30 s to
        // itself; an engine that never settles is a failure of its own.
        stop();
        QElapsedTimer settle;
        settle.start();
        waitUntil([&] { return !m_core.videoResetPending() && m_core.videoGate().isOpen(); }, 90000);
        m_longestSettleMs = qMax(m_longestSettleMs, settle.elapsed());
        if (m_core.videoResetPending() || !m_core.videoGate().isOpen())
            fail(QStringLiteral("checkpoint %1: the engine did not settle in 90 s (video reset put off: %2, video "
                                "gate holders: %3)")
                     .arg(m_checkpoints)
                     .arg(m_core.videoResetPending() ? "yes" : "no")
                     .arg(m_core.videoGate().holders()));
        start(Target::Refused);
        const int refusedId = m_current->id;
        waitUntil([&] { return m_current->stopReported; }, 30000);
        if (!m_current->stopReported) {
            ++m_missingEvents;
            fail(QStringLiteral("checkpoint %1: the refused start %2 reported nothing (video reset put off: %3, "
                                "video gate holders: %4)")
                     .arg(m_checkpoints)
                     .arg(refusedId)
                     .arg(m_core.videoResetPending() ? "yes" : "no")
                     .arg(m_core.videoGate().holders()));
        }
        start(Target::Server);
        const QString key = m_current->key;
        waitUntil([&] { return bytesOf(key) > 20000; }, 60000);
        const qint64 first = bytesOf(key);
        waitUntil([&] { return bytesOf(key) > first + 20000; }, 30000);
        if (bytesOf(key) > first + 20000 && first > 20000) {
            ++m_reached;
        } else {
            fail(QStringLiteral("checkpoint %1: broadcast %2 did not grow at the server (%3 bytes)")
                     .arg(m_checkpoints)
                     .arg(m_current->id)
                     .arg(bytesOf(key)));
        }
        obs_video_info ovi = {};
        obs_output_t* output = m_core.streamOutput();
        obs_encoder_t* encoder = output ? obs_output_get_video_encoder(output) : nullptr;
        if (!obs_get_video_info(&ovi) || int(ovi.fps_num / ovi.fps_den) != m_fps || int(ovi.output_width) != m_outWidth ||
            !encoder || obs_encoder_video(encoder) != obs_get_video())
            fail(QStringLiteral("checkpoint %1: the broadcast is not on the video asked for").arg(m_checkpoints));
        std::printf("checkpoint %d after %d starts: %d fps, %dx%d, %lld bytes arrived\n", m_checkpoints, m_starts,
                    m_fps, m_outWidth, m_outHeight, static_cast<long long>(bytesOf(key)));
        std::fflush(stdout);
    }

    void tearDown()
    {
        stop();
        if (m_rawRegistered)
            rawCallbackOff();
        waitUntil([&] { return !m_core.videoResetPending() && m_core.videoGate().isOpen(); }, 60000);
        if (m_core.videoResetPending())
            fail("a video reset still put off at the end");
        m_core.core_shutdown();
        m_allocsAtExit = bnum_allocs();
        if (m_allocsAtExit != 0)
            fail(QStringLiteral("libobs kept %1 allocations").arg(m_allocsAtExit));
        if (m_longestStallMs > kStallLimitMs)
            fail(QStringLiteral("the window's thread was held %1 ms (%2)").arg(m_longestStallMs).arg(m_longestStallIn));
        LiveCore::set_instance(nullptr);
        CDataCenter::setInstanceForTesting(nullptr);
    }

    const int m_ops;
    const quint32 m_seed;
    const int m_checkpointEvery;
    std::mt19937 m_random;
    QTemporaryDir m_dir;
    std::shared_ptr<CDataCenter> m_store;
    ObsLiveCore m_core;
    RtmpServer m_rtmp;
    std::unique_ptr<HoldingProxy> m_proxy;
    QString m_refused;
    std::unique_ptr<Broadcast> m_current;
    bool m_rawRegistered = false;
    int m_fps = 25;
    int m_outWidth = 0;
    int m_outHeight = 0;
    int m_starts = 0;
    int m_resets = 0;
    int m_checkpoints = 0;
    int m_reached = 0;
    int m_eventMismatches = 0;
    int m_missingEvents = 0;
    qint64 m_longestStallMs = 0;
    QString m_longestStallIn;
    qint64 m_longestResetMs = 0;
    qint64 m_longestSettleMs = 0;
    long m_allocsAtExit = 0;
    QStringList m_failures;

public:
    void setInitialVideo()
    {
        m_outWidth = m_store->screenWidth;
        m_outHeight = m_store->screenHeight;
    }
};

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Random operations on the broadcast engine under load."));
    parser.addHelpOption();
    const QCommandLineOption ops("ops", "Operations to issue.", "count", "2000");
    const QCommandLineOption seed("seed", "Seed of the sequence (default: from the clock).", "number");
    const QCommandLineOption load("load", "Busy threads beside the drill (default: one per core).", "count",
                                  QString::number(std::max(1u, std::thread::hardware_concurrency())));
    const QCommandLineOption every("checkpoint-every", "Operations between two checkpoints.", "count", "100");
    parser.addOptions({ops, seed, load, every});
    parser.process(app);

    const quint32 s = parser.isSet(seed) ? parser.value(seed).toUInt()
                                         : quint32(QDateTime::currentMSecsSinceEpoch() & 0x7fffffff);
    const int count = std::max(1, parser.value(ops).toInt());
    std::printf("engine drill: seed=%u ops=%d load_threads=%d\n", s, count, parser.value(load).toInt());
    std::fflush(stdout);

    std::atomic<bool> stopLoad{false};
    std::vector<std::thread> loadThreads;
    for (int i = 0; i < parser.value(load).toInt(); ++i) {
        loadThreads.emplace_back([&stopLoad] {
            volatile unsigned long spin = 0;
            while (!stopLoad.load(std::memory_order_relaxed))
                spin = spin + 1;
        });
    }

    int status = 0;
    {
        EngineDrill drill(count, s, std::max(10, parser.value(every).toInt()));
        if (drill.setUp()) {
            drill.setInitialVideo();
            drill.run();
        }
        for (const QString& f : drill.failures())
            std::printf("FAIL %s\n", qPrintable(f));
        std::printf("%s\n", qPrintable(drill.figures()));
        std::fflush(stdout);
        status = drill.clean() ? 0 : 1;
    }
    stopLoad = true;
    for (std::thread& t : loadThreads)
        t.join();
    return status;
}
