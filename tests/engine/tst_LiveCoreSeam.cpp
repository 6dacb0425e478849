// test-label: unit
#include "core/DataCenter.h"
#include "engine/EngineStartup.h"
#include "engine/LiveCore.h"
#include "engine/ObsLiveCore.h"
#include "support/FakeLiveCore.h"

#include <obs.h>

#include <QTemporaryFile>
#include <QtTest>

#include <cstdarg>
#include <unistd.h>

namespace {
void logThroughTheHandler(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    ObsLiveCore::obs_log_to_debugger(LOG_INFO, format, args, nullptr);
    va_end(args);
}
} // namespace

class tst_LiveCoreSeam : public QObject
{
    Q_OBJECT
    QTemporaryDir m_settingsDir;
private slots:
    void cleanup()
    {
        UnRegisterRecvOBSVideoStreamCallback();
        UnRegisterRecvOBSAudioStreamCallback();
    }

    void fakeTakesThePlaceOfTheEngineWhileItLives()
    {
        LiveCore* engine = LiveCore::get_instance();
        QVERIFY(dynamic_cast<ObsLiveCore*>(engine));
        {
            FakeLiveCore fake;
            QCOMPARE(LiveCore::get_instance(), &fake);
            fake.sources << "camera source";
            QVERIFY(LiveCore::get_instance()->scene_add_source(nullptr, nullptr, "camera source", true));
            QVERIFY(!LiveCore::get_instance()->scene_add_source(nullptr, nullptr, "nothing", true));
            LiveCore::get_instance()->scene_set_source_posf("camera source", 1.5f, 2, false);
            QCOMPARE(fake.calls, QStringList({"scene_add_source(camera source,true)", "scene_add_source(nothing,true)",
                                              "scene_set_source_posf(camera source,1.5,2,false)"}));
            QCOMPARE(fake.scene, QStringList{"camera source"});
            {
                FakeLiveCore inner; // nested installs unwind in order
                QCOMPARE(LiveCore::get_instance(), &inner);
            }
            QCOMPARE(LiveCore::get_instance(), &fake);
        }
        QCOMPARE(LiveCore::get_instance(), engine);
    }

    void fakeFitsThePreviewLikeTheEngine()
    {
        FakeLiveCore fake;
        fake.core_reset_video(1920, 1080, 1920, 1080, 25);
        fake.core_update_preview_scale(1300, 740);
        QVERIFY(qAbs(fake.core_get_preview_scale() - 0.6666667f) < 1e-6f);
        int x, y, w, h;
        fake.core_get_preview_rect(&x, &y, &w, &h);
        QCOMPARE(fake.core_get_preview_scale(), 0.0f);
    }

    void startUpSequence_data()
    {
        QTest::addColumn<bool>("micOff");
        QTest::addColumn<bool>("desktopOff");
        QTest::addColumn<QString>("storedCamera");
        QTest::addColumn<QStringList>("cameras");
        QTest::addColumn<QStringList>("audioSteps");
        QTest::addColumn<QString>("deviceCall"); // empty: no device is set
        QTest::newRow("defaults") << false << false << QString() << QStringList{"cam A", "cam B"}
                                  << QStringList{"core_set_mic_source(true)", "core_set_desktop_audio_source(false)",
                                                 "core_set_desktop_audio_source(true)"}
                                  << "source_set_camera_device(cam A,camera source)";
        QTest::newRow("switched off, stored camera")
            << true << true << "cam B" << QStringList{"cam A", "cam B"}
            << QStringList{"core_set_mic_source(false)", "core_set_desktop_audio_source(false)"}
            << "source_set_camera_device(cam B,camera source)";
        QTest::newRow("no camera") << false << true << QString() << QStringList()
                                   << QStringList{"core_set_mic_source(true)", "core_set_desktop_audio_source(false)"}
                                   << QString();
    }
    void startUpSequence()
    {
        QFETCH(bool, micOff);
        QFETCH(bool, desktopOff);
        QFETCH(QString, storedCamera);
        QFETCH(QStringList, cameras);
        QFETCH(QStringList, audioSteps);
        QFETCH(QString, deviceCall);
        auto store = std::make_shared<CDataCenter>(m_settingsDir.filePath("config.ini"));
        store->closeMicAudio = micOff;
        store->closeDesktopAudio = desktopOff;
        store->cameraName = storedCamera;
        CDataCenter::setInstanceForTesting(store);
        FakeLiveCore fake;
        fake.cameras = cameras;
        QVERIFY(runLiveCoreStartup(1280, 720));
        QStringList expected{"core_startup(null,null,null)", "core_load_modules()"};
        const QStringList calls = fake.calls;
        QVERIFY(calls.at(2).startsWith("core_reset_video("));
        QVERIFY(calls.at(2).endsWith(",1280,720,25)"));
        expected << calls.at(2) << "core_reset_audio(44100,32)" << "core_init_audio_devices()"
                 << "core_create_scene(solvek)" << audioSteps << "core_create_camera_source(camera source)";
        if (!deviceCall.isEmpty())
            expected << deviceCall;
        expected << "scene_add_source(camera source,true)";
        QCOMPARE(calls, expected);
        QCOMPARE(fake.scene, QStringList{"camera source"});
        CDataCenter::setInstanceForTesting(nullptr);
    }

    void engineBeforeStartUpDoesNothing()
    {
        // Widgets and queued events may call in before libobs runs (or after it was shut down).
        ObsLiveCore core;
        QVERIFY(!core.core_reset_audio(44100, 32));
        QVERIFY(core.core_reset_video(1920, 1080, 1920, 1080, 25) != 0);
        QCOMPARE(core.state().base_width, 1920u); // the sizes are kept whatever happens
        core.core_init_audio_devices();
        core.core_set_mic_source(true);
        QVERIFY(!core.core_create_scene("solvek"));
        QVERIFY(!core.core_create_camera_source("camera source"));
        QVERIFY(!core.scene_add_source(nullptr, nullptr, "camera source", true));
        QVERIFY(!core.core_create_display("camera source", 1));
        QVERIFY(!core.core_init_stream());
        QVERIFY(!core.start_stream());
        core.stop_stream();
        QVERIFY(core.state().sources.empty());
        core.core_shutdown();
        QVERIFY(!core.core_startup(nullptr, nullptr, nullptr)); // a shut-down engine stays down
        QCOMPARE(bnum_allocs(), 0L);
    }

    void registeringReplacesAndUnregisteringEmpties()
    {
        int first = 0, second = 0;
        QCOMPARE(UnRegisterRecvOBSAudioStreamCallback(), 0); // empty slot: nothing happens
        RegisterRecvOBSAudioStreamCallback([&](void*, uint64_t, audio_data*) { ++first; });
        QCOMPARE(RegisterRecvOBSAudioStreamCallback([&](void*, uint64_t, audio_data*) { ++second; }), 0);
        obs_raw_audio_callback(nullptr, 0, nullptr);
        QCOMPARE(first, 0);
        QCOMPARE(second, 1);
        UnRegisterRecvOBSAudioStreamCallback();
        obs_raw_audio_callback(nullptr, 0, nullptr);
        QCOMPARE(second, 1);

        void* seen = nullptr;
        RegisterRecvOBSVideoStreamCallback([&](void* user, video_data*) { seen = user; });
        int token = 0;
        obs_raw_video_callback(&token, nullptr);
        QCOMPARE(seen, static_cast<void*>(&token));
        UnRegisterRecvOBSVideoStreamCallback();
        seen = nullptr;
        obs_raw_video_callback(&token, nullptr);
        QVERIFY(!seen);
    }

    void unregisterWaitsForARunningCall()
    {
        std::atomic<bool> inside{false};
        std::atomic<bool> finished{false};
        RegisterRecvOBSVideoStreamCallback([&](void*, video_data*) {
            inside = true;
            QThread::msleep(200);
            finished = true;
        });
        std::thread libobs([] { obs_raw_video_callback(nullptr, nullptr); });
        QTRY_VERIFY(inside);
        UnRegisterRecvOBSVideoStreamCallback();
        QVERIFY(finished); // the old function had returned before the slot was emptied
        libobs.join();
    }

    void libobsLogLinesAreCutAt4095Characters()
    {
        QTemporaryFile out;
        QVERIFY(out.open());
        std::fflush(stderr);
        const int saved = dup(2);
        dup2(out.handle(), 2);
        const std::string longText(5000, 'x');
        logThroughTheHandler("%s", longText.c_str());
        logThroughTheHandler("short %d", 7);
        std::fflush(stderr);
        dup2(saved, 2);
        close(saved);
        out.seek(0);
        const QByteArray written = out.readAll();
        QCOMPARE(written, QByteArray(4095, 'x') + "\nshort 7\n");
    }

    void streamQualityTable()
    {
        QCOMPARE(streamQualitySize(0).width, 640);
        QCOMPARE(streamQualitySize(1).bitrate, 2000);
        QCOMPARE(streamQualitySize(2).height, 1080);
        QCOMPARE(streamQualitySize(5).bitrate, 3000);
        QCOMPARE(streamQualitySize(-1).width, 1920);
    }
};

QTEST_GUILESS_MAIN(tst_LiveCoreSeam)
#include "tst_LiveCoreSeam.moc"
