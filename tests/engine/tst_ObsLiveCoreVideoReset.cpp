// test-label: engine
// test-timeout: 240
// Video resets against outputs that can still begin data capture: a reset frees the video that
// the encoders and the output were bound to, so it must wait for an output still connecting on its
// way out, for a raw callback removal still queued, and a paused broadcast resumed after a reset
// must go out on the new video. Each case drives the moment by hand (the holding proxy keeps the
// handshake open; a raw frame consumer keeps a frame in progress).
#include "support/EngineStream.h"
#include "support/HoldingProxy.h"

#include <obs.h>

#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>

class tst_ObsLiveCoreVideoReset : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    std::shared_ptr<CDataCenter> m_store;
    ObsLiveCore m_core;
    RtmpServer m_rtmp;
    int m_events = 0;
    static inline std::atomic<int> s_holdFrameMs{0};
    static inline std::atomic<bool> s_frameHeld{false};

    int resetTo(int fps)
    {
        return m_core.core_reset_video(m_store->screenWidth, m_store->screenHeight, m_store->screenWidth,
                                       m_store->screenHeight, fps);
    }

    static uint32_t runningFps()
    {
        obs_video_info ovi = {};
        return obs_get_video_info(&ovi) ? ovi.fps_num / ovi.fps_den : 0;
    }

    bool startTo(const QString& server, const QString& key, int fps)
    {
        return testsupport::startEngineStream(m_core, *m_store, server, key, fps);
    }

    qint64 bytesOf(const QString& key, int* files = nullptr) const
    {
        return testsupport::recordedBytes(m_rtmp, key, files);
    }

    // The running output and its encoder are bound to the video libobs runs now.
    bool boundToTheCurrentVideo() const
    {
        obs_output_t* output = m_core.streamOutput();
        if (!output)
            return false;
        obs_encoder_t* encoder = obs_output_get_video_encoder(output);
        return encoder && obs_encoder_video(encoder) == obs_get_video() && obs_output_video(output) == obs_get_video();
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(qgetenv("QT_QPA_PLATFORM") != "offscreen", "needs an X display");
        m_store = std::make_shared<CDataCenter>(m_dir.filePath("config.ini"));
        QVERIFY(testsupport::startEngineWithPicture(m_core, m_store, QDir(m_dir.path()), Qt::darkMagenta));
        m_core.core_set_stream_event_handler([this](LiveStreamEvent, int) { ++m_events; });
        QVERIFY(m_rtmp.start());
    }

    void init() { m_events = 0; }

    void cleanup()
    {
        m_core.stop_stream();
        // Every case starts at 25 fps.
        QTRY_VERIFY_WITH_TIMEOUT(resetTo(25) == 0 && runningFps() == 25u, 30000);
    }

    // A broadcast stopped while its handshake is held, then a reset (as a start right after does):
    // the retired output would begin data capture on the freed video once the handshake ends. The
    // reset waits for it, off the window's thread, and the next broadcast goes out on the new
    // video. Also a start right after the stop, which waits for the reset put off.
    void resetWaitsForAnOutputStillConnecting_data()
    {
        QTest::addColumn<bool>("startRightAway");
        QTest::newRow("stop, reset") << false;
        QTest::newRow("stop, start with a reset") << true;
    }

    void resetWaitsForAnOutputStillConnecting()
    {
        QFETCH(bool, startRightAway);
        const QString held = startRightAway ? QStringLiteral("HELDSTART") : QStringLiteral("HELDRESET");
        const QString next = startRightAway ? QStringLiteral("AFTERSTART") : QStringLiteral("AFTERRESET");
        HoldingProxy proxy(m_rtmp.port());
        QVERIFY(proxy.start());
        proxy.setHoldMs(3000);
        QVERIFY(startTo(QStringLiteral("rtmp://127.0.0.1:%1/live").arg(proxy.port()), held, 25));
        QTRY_VERIFY_WITH_TIMEOUT(proxy.connections() == 1, 10000);
        QVERIFY(!obs_output_active(m_core.streamOutput()));

        QElapsedTimer stall;
        stall.start();
        m_core.stop_stream();
        video_t* before = obs_get_video();
        if (startRightAway) {
            QVERIFY(startTo(m_rtmp.url(), next, 30));
        } else {
            QCOMPARE(resetTo(30), OBS_VIDEO_CURRENTLY_ACTIVE);
        }
        QVERIFY2(stall.elapsed() < 2000, qPrintable(QStringLiteral("window's thread held %1 ms").arg(stall.elapsed())));
        QCOMPARE(obs_get_video(), before); // not freed while the old output can still begin
        QCOMPARE(runningFps(), 25u);

        // Once the handshake is over, the old output ends and the reset goes through by itself.
        QTRY_COMPARE_WITH_TIMEOUT(runningFps(), 30u, 30000);
        if (!startRightAway)
            QVERIFY(startTo(m_rtmp.url(), next, 30));
        QVERIFY(boundToTheCurrentVideo());
        QVERIFY(m_rtmp.waitForRecording(next, 20000, 30000));
        QTRY_VERIFY_WITH_TIMEOUT(obs_output_active(m_core.streamOutput()), 30000);
        QVERIFY(boundToTheCurrentVideo());
        // The stopped broadcast sent no more than the ingest's file header and a first packet.
        QVERIFY2(bytesOf(held) < 50000, qPrintable(QString::number(bytesOf(held))));
        QCOMPARE(m_events, 0);
    }

    // Pause, a reset to another frame rate, resume: the resumed broadcast goes out on the new
    // video (a set made for the freed one is made anew).
    void pauseResetResumeGoesOutOnTheNewVideo()
    {
        QVERIFY(startTo(m_rtmp.url(), "PAUSERESET", 25));
        QVERIFY(m_rtmp.waitForRecording("PAUSERESET", 20000, 30000));
        QVERIFY(m_core.pause_stream(true));
        // Put off while the paused output still ends, then carried out.
        resetTo(30);
        QTRY_COMPARE_WITH_TIMEOUT(runningFps(), 30u, 30000);

        int filesBefore = 0;
        bytesOf("PAUSERESET", &filesBefore);
        QVERIFY(m_core.pause_stream(false));
        QTRY_VERIFY_WITH_TIMEOUT(obs_output_active(m_core.streamOutput()), 30000);
        QVERIFY(boundToTheCurrentVideo());
        int files = 0;
        QTRY_VERIFY_WITH_TIMEOUT(bytesOf("PAUSERESET", &files) > 0 && files > filesBefore, 30000);
        QVERIFY(m_rtmp.waitForRecording("PAUSERESET", 20000, 30000));
        QCOMPARE(m_events, 0);
    }

    // A raw callback removal waits for the frame in progress on the raw callback worker; a reset
    // asked for meanwhile is put off, not dropped, and happens once the removal has run.
    void resetWaitsForAQueuedRawCallbackRemoval()
    {
        s_holdFrameMs = 0;
        s_frameHeld = false;
        RegisterRecvOBSVideoStreamCallback([](void*, video_data*) {
            if (const int ms = s_holdFrameMs.exchange(0)) {
                s_frameHeld = true;
                QThread::msleep(ulong(ms));
            }
        });
        QVERIFY(m_core.core_init_stream());
        s_holdFrameMs = 2000;
        QTRY_VERIFY_WITH_TIMEOUT(s_frameHeld, 30000);
        UnRegisterRecvOBSVideoStreamCallback(); // the removal waits for the held frame
        QVERIFY(!m_core.rawVideoAttached());
        QCOMPARE(resetTo(30), OBS_VIDEO_CURRENTLY_ACTIVE);
        QTRY_COMPARE_WITH_TIMEOUT(runningFps(), 30u, 30000); // with no further call
        s_holdFrameMs = 0;
    }

    void cleanupTestCase()
    {
        m_core.core_shutdown();
        QCOMPARE(bnum_allocs(), 0L);
        LiveCore::set_instance(nullptr);
        CDataCenter::setInstanceForTesting(nullptr);
    }
};

QTEST_MAIN(tst_ObsLiveCoreVideoReset)
#include "tst_ObsLiveCoreVideoReset.moc"
