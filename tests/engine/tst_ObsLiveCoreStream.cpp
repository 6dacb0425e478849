// test-label: e2e
// test-timeout: 240
// The stream output against a private nginx-rtmp and a UDP listener: what arrives, failures that
// the running output reports later, and raw frames at the push size.
#include "engine/PushStream.h"
#include "support/EngineStream.h"
#include "support/FakeTrtcCloud.h"
#include "support/HoldingProxy.h"

#include <obs.h>

#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <QtTest>

#include <atomic>

namespace {
QJsonObject streamOf(const QJsonArray& streams, const QString& type)
{
    for (const QJsonValue& s : streams) {
        if (s.toObject().value("codec_type").toString() == type)
            return s.toObject();
    }
    return {};
}

struct Event {
    LiveStreamEvent event;
    int code;
};
} // namespace

class tst_ObsLiveCoreStream : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    std::shared_ptr<CDataCenter> m_store;
    ObsLiveCore m_core;
    RtmpServer m_rtmp;
    QList<Event> m_events;
    static inline std::atomic<int> s_holdEndMs{0};
    static inline std::atomic<bool> s_endDone{false};
    static inline std::atomic<int> s_holdFrameMs{0};
    static inline std::atomic<bool> s_frameHeld{false};
    static inline std::atomic<bool> s_frameReleased{false};

    // What the live control does at a start: video reset to the canvas at 25 fps, then the stream.
    bool startTo(const QString& server, const QString& key)
    {
        return testsupport::startEngineStream(m_core, *m_store, server, key);
    }

    qint64 bytesOf(const QString& key, int* files = nullptr) const
    {
        return testsupport::recordedBytes(m_rtmp, key, files);
    }

    QString serviceUrl() const
    {
        obs_service_t* service = obs_output_get_service(m_core.streamOutput());
        return service ? QString::fromUtf8(obs_service_get_url(service)) : QString();
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(qgetenv("QT_QPA_PLATFORM") != "offscreen", "needs an X display");
        m_store = std::make_shared<CDataCenter>(m_dir.filePath("config.ini"));
        // Something to look at on the canvas.
        QVERIFY(testsupport::startEngineWithPicture(m_core, m_store, QDir(m_dir.path()), Qt::darkCyan));
        m_core.core_set_stream_event_handler([this](LiveStreamEvent e, int code) { m_events << Event{e, code}; });
        QVERIFY(m_rtmp.start());
    }

    void init() { m_events.clear(); }
    void cleanup() { m_core.stop_stream(); }

    void rtmpPushArrives()
    {
        std::atomic<int> frames{0};
        std::atomic<uint32_t> lineSize{0};
        QVERIFY(startTo(m_rtmp.url(), "KEY1"));
        QCOMPARE(serviceUrl(), m_rtmp.url());
        QVERIFY(m_rtmp.waitForRecording("KEY1", 60000, 20000));
        // libobs converts raw frames only while a function takes them.
        QVERIFY(!m_core.rawVideoAttached());
        QVERIFY(!m_core.rawAudioAttached());
        RegisterRecvOBSAudioStreamCallback([](void*, uint64_t, audio_data*) {});
        QVERIFY(m_core.rawAudioAttached());
        UnRegisterRecvOBSAudioStreamCallback();
        QVERIFY(!m_core.rawAudioAttached());
        RegisterRecvOBSVideoStreamCallback([&](void*, video_data* frame) {
            ++frames;
            lineSize = frame->linesize[0];
        });
        QVERIFY(m_core.rawVideoAttached());
        // Raw frames come at the push size, one for each frame libobs puts out (25 a second on an
        // idle machine; a loaded one puts out fewer, which says nothing about the bridge).
        obs_video_info ovi = {};
        QVERIFY(obs_get_video_info(&ovi));
        QCOMPARE(ovi.fps_num / ovi.fps_den, 25u);
        QTRY_VERIFY_WITH_TIMEOUT(frames > 0, 30000); // attached on the engine's raw callback thread
        const uint32_t outputBefore = video_output_get_total_frames(obs_get_video());
        const int before = frames;
        QTRY_VERIFY_WITH_TIMEOUT(frames - before >= 50, 30000);
        const int delivered = frames - before;
        const int output = int(video_output_get_total_frames(obs_get_video()) - outputBefore);
        UnRegisterRecvOBSVideoStreamCallback();
        QVERIFY(!m_core.rawVideoAttached());
        // The two counters are read a moment apart: a frame or two either way.
        QVERIFY2(qAbs(output - delivered) <= 2, qPrintable(QStringLiteral("%1 delivered, %2 put out").arg(delivered).arg(output)));
        QVERIFY(lineSize >= 640u);
        uint32_t w = 0, h = 0;
        RecvOBSVideoStreamSize(&w, &h);
        QCOMPARE(QSize(int(w), int(h)), QSize(640, 360));

        const QJsonArray streams = RtmpServer::probe(m_rtmp.recordingOf("KEY1"));
        const QJsonObject video = streamOf(streams, "video");
        const QJsonObject audio = streamOf(streams, "audio");
        QCOMPARE(video.value("codec_name").toString(), QString("h264"));
        QCOMPARE(video.value("width").toInt(), 640);
        QCOMPARE(video.value("height").toInt(), 360);
        QCOMPARE(audio.value("codec_name").toString(), QString("aac"));
        QCOMPARE(audio.value("sample_rate").toString(), QString("44100"));
        QCOMPARE(audio.value("channels").toInt(), 2);

        // Pause stops the output; resume starts it afresh.
        QVERIFY(m_core.pause_stream(true));
        QTRY_VERIFY_WITH_TIMEOUT(!obs_output_active(m_core.streamOutput()), 30000);
        QVERIFY(m_core.pause_stream(false));
        QTRY_VERIFY_WITH_TIMEOUT(obs_output_active(m_core.streamOutput()), 30000);
        m_core.stop_stream();
        m_core.stop_stream(); // twice is harmless
        QVERIFY(!m_core.streamOutput());
        QVERIFY(!m_core.start_stream());
        QVERIFY(m_events.isEmpty()); // a stop asked for is not reported
    }

    void pauseAndStopWorkAtAnyMomentAfterStart_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("holdMs"); // how long the ingest holds the handshake
        QTest::addColumn<bool>("waitUntilLive");
        QTest::addColumn<bool>("stop");
        QTest::newRow("pause while connecting") << "HOLDPAUSE" << 3000 << false << false;
        QTest::newRow("pause once live") << "LIVEPAUSE" << 0 << true << false;
        // Held far longer than a stop may take: a stop that waits for the handshake shows.
        QTest::newRow("stop while connecting") << "HOLDSTOP" << 20000 << false << true;
    }

    void pauseAndStopWorkAtAnyMomentAfterStart()
    {
        QFETCH(QString, key);
        QFETCH(int, holdMs);
        QFETCH(bool, waitUntilLive);
        QFETCH(bool, stop);
        HoldingProxy proxy(m_rtmp.port());
        QVERIFY(proxy.start());
        proxy.setHoldMs(holdMs);
        QVERIFY(startTo(QStringLiteral("rtmp://127.0.0.1:%1/live").arg(proxy.port()), key));
        if (waitUntilLive) {
            QVERIFY(m_rtmp.waitForRecording(key, 20000, 30000));
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(proxy.connections() == 1, 10000);
            QVERIFY(!obs_output_active(m_core.streamOutput()));
        }

        QElapsedTimer stall;
        stall.start();
        if (stop)
            m_core.stop_stream();
        else
            QVERIFY(m_core.pause_stream(true));
        QVERIFY2(stall.elapsed() < 5000, qPrintable(QStringLiteral("GUI thread held %1 ms").arg(stall.elapsed())));
        if (stop) {
            QVERIFY(!m_core.streamOutput());
        } else {
            QVERIFY(m_core.streamOutput());
            QTRY_VERIFY_WITH_TIMEOUT(!obs_output_active(m_core.streamOutput()), 30000);
        }

        // Past the hold, whatever an ended output still sends would have arrived; nothing does.
        QTest::qWait(stop ? 1000 : holdMs + 1500);
        const qint64 atPause = bytesOf(key);
        QTest::qWait(2000);
        QCOMPARE(bytesOf(key), atPause);
        if (!waitUntilLive) // at most the ingest's file header, where a broadcast would be 100s of kB
            QVERIFY2(atPause < 50000, qPrintable(QString::number(atPause)));
        QVERIFY(m_events.isEmpty()); // an end asked for is not reported
        if (stop)
            return;

        proxy.setHoldMs(0);
        int filesBefore = 0;
        bytesOf(key, &filesBefore);
        QVERIFY(m_core.pause_stream(false));
        QTRY_VERIFY_WITH_TIMEOUT(obs_output_active(m_core.streamOutput()), 30000);
        int files = 0;
        QTRY_VERIFY_WITH_TIMEOUT(bytesOf(key, &files) > atPause + 20000 && files > filesBefore, 30000);
        QVERIFY(m_events.isEmpty());
    }

    void pauseResumeAndStopNeverWaitForTheOutputsEnd_data()
    {
        QTest::addColumn<bool>("stop");
        QTest::newRow("pause and resume") << false;
        QTest::newRow("stop") << true;
    }

    // The end of an output can take seconds: its sender flushes into a slow ingest, its encoders
    // drain on a loaded machine. libobs makes a start of the same output, and its release, wait for
    // that end. None of it may hold the GUI thread: each call returns while the end is still held
    // up, and the resumed broadcast arrives once it is over.
    void pauseResumeAndStopNeverWaitForTheOutputsEnd()
    {
        QFETCH(bool, stop);
        const QString key = stop ? QStringLiteral("SLOWENDSTOP") : QStringLiteral("SLOWENDRESUME");
        QVERIFY(startTo(m_rtmp.url(), key));
        QVERIFY(m_rtmp.waitForRecording(key, 20000, 30000));
        s_holdEndMs = 8000;
        s_endDone = false;
        signal_handler_connect(obs_output_get_signal_handler(m_core.streamOutput()), "deactivate",
                               [](void*, calldata*) {
                                   if (const int ms = s_holdEndMs.exchange(0)) {
                                       QThread::msleep(ulong(ms));
                                       s_endDone = true;
                                   }
                               },
                               nullptr);
        if (stop) {
            m_core.stop_stream();
            QVERIFY2(!s_endDone, "the stop waited for the end of the output");
            QVERIFY(!m_core.streamOutput());
            QTRY_VERIFY_WITH_TIMEOUT(s_endDone, 30000);
            QVERIFY(m_events.isEmpty());
            return;
        }
        int filesBefore = 0;
        bytesOf(key, &filesBefore);
        QVERIFY(m_core.pause_stream(true));
        QVERIFY(m_core.pause_stream(false));
        QVERIFY2(!s_endDone, "the resume waited for the end of the paused output");
        QTRY_VERIFY_WITH_TIMEOUT(s_endDone, 30000);
        int files = 0;
        QTRY_VERIFY_WITH_TIMEOUT(bytesOf(key, &files) > 0 && files > filesBefore, 30000);
        QVERIFY(m_rtmp.waitForRecording(key, 20000, 30000));
        QVERIFY(m_events.isEmpty());
    }

    // Every start resets the video to the push settings; a reset to what already runs must not
    // rebuild the video pipeline (on the window's thread) while one that changes something does.
    void resetToTheRunningVideoKeepsThePipeline()
    {
        QVERIFY(startTo(m_rtmp.url(), "SAMEVIDEO"));
        QTRY_VERIFY_WITH_TIMEOUT(video_output_get_total_frames(obs_get_video()) > 10, 30000);
        m_core.stop_stream();
        const uint32_t before = video_output_get_total_frames(obs_get_video());
        QCOMPARE(m_core.core_reset_video(m_store->screenWidth, m_store->screenHeight, m_store->screenWidth,
                                         m_store->screenHeight, 25),
                 0);
        QVERIFY(video_output_get_total_frames(obs_get_video()) >= before);
        // An active output makes libobs refuse a reset: wait for the stopped one to end.
        QTRY_VERIFY_WITH_TIMEOUT(m_core.core_reset_video(m_store->screenWidth, m_store->screenHeight,
                                                         m_store->screenWidth, m_store->screenHeight, 30) == 0,
                                 30000);
        obs_video_info ovi = {};
        QVERIFY(obs_get_video_info(&ovi));
        QCOMPARE(ovi.fps_num, 30u);
        QVERIFY(video_output_get_total_frames(obs_get_video()) < before);
        QCOMPARE(m_core.core_reset_video(m_store->screenWidth, m_store->screenHeight, m_store->screenWidth,
                                         m_store->screenHeight, 25),
                 0);
    }

    // libobs takes the raw frame callbacks away only between two frames, and its encoders encode
    // inside a frame (seconds on a loaded machine): a stop must not wait for a frame in progress,
    // here one that a slow consumer of raw frames holds up.
    void stopNeverWaitsForAFrameInProgress()
    {
        s_holdFrameMs = 0;
        s_frameHeld = false;
        s_frameReleased = false;
        RegisterRecvOBSVideoStreamCallback([](void*, video_data*) {
            if (const int ms = s_holdFrameMs.exchange(0)) {
                s_frameHeld = true;
                QThread::msleep(ulong(ms));
                s_frameReleased = true;
            }
        });
        QVERIFY(startTo(m_rtmp.url(), "HELDFRAME"));
        s_holdFrameMs = 8000;
        QTRY_VERIFY_WITH_TIMEOUT(s_frameHeld, 30000);
        m_core.stop_stream();
        QVERIFY2(!s_frameReleased, "the stop waited for the frame in progress");
        QTRY_VERIFY_WITH_TIMEOUT(s_frameReleased, 30000);
        UnRegisterRecvOBSVideoStreamCallback();
        QVERIFY(m_events.isEmpty());
    }

    void refusedAddressIsReportedThenTheNextStartGoesToTheNewAddress()
    {
        const QString refused = QStringLiteral("rtmp://127.0.0.1:%1/live").arg(RtmpServer::freePort());
        QVERIFY(startTo(refused, "OLD")); // the connect thread exists: the start looks fine
        QTRY_VERIFY_WITH_TIMEOUT(!m_events.isEmpty(), 30000);
        QCOMPARE(int(m_events.last().event), int(LiveStreamEvent::Stopped));
        QCOMPARE(m_events.last().code, OBS_OUTPUT_CONNECT_FAILED);

        // No stop_stream in between, as after a failed start.
        QVERIFY(startTo(m_rtmp.url(), "NEW"));
        QCOMPARE(serviceUrl(), m_rtmp.url());
        QVERIFY(m_rtmp.waitForRecording("NEW", 20000, 20000));
    }

    void lostServerEndsInAStopAfterTheRetries_data()
    {
        QTest::addColumn<bool>("slowEnd");
        QTest::newRow("prompt end of the lost broadcast") << false;
        // The end of the lost output held up past the retry delay (as on a loaded machine): it
        // is still ending when the retry is due, and the retry must still happen.
        QTest::newRow("end outlasts the retry delay") << true;
    }

    void lostServerEndsInAStopAfterTheRetries()
    {
        QFETCH(bool, slowEnd);
        RtmpServer own;
        QVERIFY(own.start());
        m_core.setReconnectSettings(1, 1);
        QVERIFY(startTo(own.url(), "GONE"));
        // The lost output announces the end of its data capture while it still counts as active;
        // holding it there for 2.5 s stands for a slow end.
        s_holdEndMs = slowEnd ? 2500 : 0;
        signal_handler_connect(obs_output_get_signal_handler(m_core.streamOutput()), "deactivate",
                               [](void*, calldata*) { QThread::msleep(ulong(s_holdEndMs.exchange(0))); }, nullptr);
        QVERIFY(own.waitForRecording("GONE", 20000, 20000));
        own.kill();
        QTRY_VERIFY_WITH_TIMEOUT(!m_events.isEmpty(), 30000);
        QCOMPARE(int(m_events.first().event), int(LiveStreamEvent::Reconnecting));
        QTRY_VERIFY_WITH_TIMEOUT(m_events.last().event == LiveStreamEvent::Stopped, 30000);
        QVERIFY(m_events.last().code != 0);
        m_core.setReconnectSettings(ObsLiveCore::kReconnectRetries, ObsLiveCore::kReconnectDelaySec);
    }

    void serverBackInTimeResumesTheBroadcast()
    {
        RtmpServer own;
        QVERIFY(own.start());
        m_core.setReconnectSettings(ObsLiveCore::kReconnectRetries, 1);
        QVERIFY(startTo(own.url(), "BACK"));
        QVERIFY(own.waitForRecording("BACK", 20000, 20000));
        const QString first = own.recordingOf("BACK");
        own.kill();
        QTRY_VERIFY_WITH_TIMEOUT(!m_events.isEmpty(), 30000);
        QCOMPARE(int(m_events.first().event), int(LiveStreamEvent::Reconnecting));
        QVERIFY(own.start(own.port()));
        QTRY_VERIFY_WITH_TIMEOUT(m_events.last().event == LiveStreamEvent::Reconnected, 60000);
        for (const Event& e : qAsConst(m_events))
            QVERIFY(e.event != LiveStreamEvent::Stopped);
        QTRY_VERIFY_WITH_TIMEOUT(own.recordingOf("BACK") != first, 20000);
        QVERIFY(own.waitForRecording("BACK", 20000, 20000));
        m_core.setReconnectSettings(ObsLiveCore::kReconnectRetries, ObsLiveCore::kReconnectDelaySec);
    }

    void addressWithoutKeyGoesOutAsMpegTs()
    {
        QUdpSocket listener;
        QVERIFY(listener.bind(QHostAddress(QHostAddress::LocalHost), 0));
        QByteArray received;
        connect(&listener, &QUdpSocket::readyRead, this, [&] {
            while (listener.hasPendingDatagrams()) {
                QByteArray d(int(listener.pendingDatagramSize()), 0);
                listener.readDatagram(d.data(), d.size());
                received += d;
            }
        });
        const QString server = QStringLiteral("udp://127.0.0.1:%1?pkt_size=1316").arg(listener.localPort());
        QVERIFY(startTo(server, QString()));
        QCOMPARE(QString::fromUtf8(obs_output_get_id(m_core.streamOutput())), QString("ffmpeg_mpegts_muxer"));
        QTRY_VERIFY_WITH_TIMEOUT(received.size() > 200000, 20000);
        m_core.stop_stream();
        QFile ts(m_dir.filePath("received.ts"));
        QVERIFY(ts.open(QIODevice::WriteOnly));
        ts.write(received);
        ts.close();
        const QJsonArray streams = RtmpServer::probe(ts.fileName());
        QCOMPARE(streamOf(streams, "video").value("codec_name").toString(), QString("h264"));
        QCOMPARE(streamOf(streams, "audio").value("codec_name").toString(), QString("aac"));
    }

    void coHostBroadcastSendsRawFramesWithoutTheOutput()
    {
        // A co-host start: the real-time room gets the canvas as custom capture; the output is never
        // started. Stops before it (twice, too) must not keep libobs from delivering raw frames.
        m_core.stop_stream();
        m_core.stop_stream();
        FakeTrtcCloud cloud;
        PushStream push;
        m_store->streamQuality = 0;
        m_store->pushKey = QStringLiteral("KEY");
        push.initTrtcPushVideo();
        RegisterRecvOBSVideoStreamCallback([&push](void*, video_data* frame) { push.sendCustomVideo(frame); });
        RegisterRecvOBSAudioStreamCallback([&push](void*, uint64_t, audio_data* data) { push.sendCustomAudio(data); });
        QVERIFY(m_core.core_init_stream());
        QVERIFY(m_core.core_init_stream()); // a second set replaces the first: still one registration
        QTRY_VERIFY_WITH_TIMEOUT(cloud.videoFrames() >= 10 && cloud.audioFrames() >= 10, 30000);
        QCOMPARE(cloud.lastVideoData().size(), 640 * 360 * 3 / 2);
        QCOMPARE(cloud.lastAudioFrame().length % 4, 0u);
        QVERIFY(!obs_output_active(m_core.streamOutput()));
        UnRegisterRecvOBSVideoStreamCallback();
        UnRegisterRecvOBSAudioStreamCallback();
        m_core.stop_stream();
        const int sent = cloud.videoFrames();
        QTest::qWait(200);
        QCOMPARE(cloud.videoFrames(), sent);
    }

    void cleanupTestCase()
    {
        m_core.core_shutdown();
        QCOMPARE(bnum_allocs(), 0L);
        LiveCore::set_instance(nullptr);
        CDataCenter::setInstanceForTesting(nullptr);
    }
};

QTEST_MAIN(tst_ObsLiveCoreStream)
#include "tst_ObsLiveCoreStream.moc"
