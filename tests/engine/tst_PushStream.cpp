// test-label: unit
#include "platform/TrtcCloud.h"
#include "core/DataCenter.h"
#include "engine/LiveCore.h"
#include "engine/PushStream.h"
#include "support/FakeTrtcCloud.h"

#include <obs.h>

#include <QtTest>

#include <vector>

namespace {
// An I420 frame whose rows are longer than the picture (padding bytes 0xEE), like libobs' planes.
struct PaddedFrame {
    std::vector<uint8_t> y, u, v;
    video_data data = {};
    PaddedFrame(int w, int h, int yStride, int cStride)
    {
        y.assign(size_t(yStride) * size_t(h), 0xEE);
        u.assign(size_t(cStride) * size_t(h / 2), 0xEE);
        v.assign(size_t(cStride) * size_t(h / 2), 0xEE);
        for (int r = 0; r < h; ++r)
            for (int c = 0; c < w; ++c)
                y[size_t(r * yStride + c)] = uint8_t((r * 7 + c) % 200);
        for (int r = 0; r < h / 2; ++r)
            for (int c = 0; c < w / 2; ++c) {
                u[size_t(r * cStride + c)] = uint8_t((r + 3 * c) % 200);
                v[size_t(r * cStride + c)] = uint8_t((5 * r + c) % 200);
            }
        data.data[0] = y.data();
        data.data[1] = u.data();
        data.data[2] = v.data();
        data.linesize[0] = uint32_t(yStride);
        data.linesize[1] = uint32_t(cStride);
        data.linesize[2] = uint32_t(cStride);
    }
};
} // namespace

class tst_PushStream : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_settingsDir;
    std::shared_ptr<CDataCenter> m_store;

    void useQuality(int quality)
    {
        m_store->streamQuality = quality;
        const StreamQualitySize s = streamQualitySize(quality);
        SetRecvOBSVideoStreamSize(uint32_t(s.width), uint32_t(s.height));
    }

private slots:
    void init()
    {
        m_store = std::make_shared<CDataCenter>(m_settingsDir.filePath("config.ini"));
        CDataCenter::setInstanceForTesting(m_store);
    }
    void cleanup()
    {
        CDataCenter::setInstanceForTesting(nullptr);
        SetRecvOBSVideoStreamSize(0, 0);
        UnRegisterRecvOBSVideoStreamCallback();
        UnRegisterRecvOBSAudioStreamCallback();
    }

    void initialisationByQuality_data()
    {
        QTest::addColumn<int>("quality");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("resolution");
        QTest::addColumn<int>("bitrate");
        QTest::addColumn<int>("length");
        QTest::newRow("0") << 0 << 640 << 360 << 108 << 1000 << 345600;
        QTest::newRow("1") << 1 << 1280 << 720 << 112 << 2000 << 1382400;
        QTest::newRow("2") << 2 << 1920 << 1080 << 114 << 3000 << 3110400;
        QTest::newRow("unexpected value") << 5 << 1920 << 1080 << 114 << 3000 << 3110400;
    }
    void initialisationByQuality()
    {
        QFETCH(int, quality);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, resolution);
        QFETCH(int, bitrate);
        QFETCH(int, length);
        FakeTrtcCloud cloud;
        useQuality(quality);
        PushStream push;
        push.initTrtcPushVideo();
        QCOMPARE(push.frameBufferSize(), size_t(length) + 1);
        QCOMPARE(cloud.calls(), QStringList({QStringLiteral("setVideoEncoderParams(%1,0,30,%2,0,false)")
                                                 .arg(resolution)
                                                 .arg(bitrate),
                                             QStringLiteral("callExperimentalApi")}));
        const std::string expected =
            "{\"api\":\"setVideoEncodeParamEx\",\"params\":{\"codecType\":0,\"softwareCodecParams\":{\"profile\":1,"
            "\"enableRealTime\":0},\"videoWidth\":" +
            std::to_string(width) + ",\"videoHeight\":" + std::to_string(height) + ",\"videoBitrate\":" +
            std::to_string(bitrate) + ",\"streamType\":0,\"resolutionMode\": 0,\"scene\":\"screen\"}}";
        QCOMPARE(cloud.lastExperimentalRequest(), expected);
        const TrtcCustomVideoFrame* frame = push.videoFrameRecord();
        QCOMPARE(frame->pixelFormat, int(TrtcPixelFormat_I420));
        QCOMPARE(frame->bufferType, int(TrtcBufferType_Memory));
        QCOMPARE(int(frame->length), length);
        QCOMPARE(int(frame->width), width);
        QCOMPARE(int(frame->height), height);
        const TrtcCustomAudioFrame* audio = push.audioFrameRecord();
        QCOMPARE(audio->format, int(TrtcAudioFormat_PCM));
        QCOMPARE(int(audio->channels), 2);
        QCOMPARE(int(audio->sampleRate), 44100);
    }

    void encoderRequestIsOneLineWithOneBlank()
    {
        QCOMPARE(QByteArray::fromStdString(PushStream::encoderRequestText(640, 360, 1000)),
                 QByteArray("{\"api\":\"setVideoEncodeParamEx\",\"params\":{\"codecType\":0,\"softwareCodecParams\":"
                            "{\"profile\":1,\"enableRealTime\":0},\"videoWidth\":640,\"videoHeight\":360,"
                            "\"videoBitrate\":1000,\"streamType\":0,\"resolutionMode\": 0,\"scene\":\"screen\"}}"));
    }

    void packsPaddedPlanesTightly()
    {
        FakeTrtcCloud cloud;
        useQuality(1);
        PushStream push;
        push.initTrtcPushVideo();
        PaddedFrame f(1280, 720, 1408, 704);
        push.sendCustomVideo(&f.data);
        QCOMPARE(cloud.videoFrames(), 1);
        const QByteArray out = cloud.lastVideoData();
        QCOMPARE(out.size(), 1382400);
        QVERIFY(!out.contains(char(0xEE))); // no padding byte made it in
        const auto at = [&](int offset) { return uint8_t(out.at(offset)); };
        QCOMPARE(at(719 * 1280 + 1279), uint8_t((719 * 7 + 1279) % 200));      // last luma pixel
        QCOMPARE(at(1280 * 720 + 100 * 640 + 17), uint8_t((100 + 3 * 17) % 200)); // U
        QCOMPARE(at(1280 * 720 + 640 * 360 + 359 * 640 + 639), uint8_t((5 * 359 + 639) % 200)); // last V
        QCOMPARE(cloud.lastVideoFrame().width, 1280u);
    }

    void packsUnpaddedPlanes()
    {
        FakeTrtcCloud cloud;
        useQuality(0);
        PushStream push;
        push.initTrtcPushVideo();
        PaddedFrame f(640, 360, 640, 320);
        push.sendCustomVideo(&f.data);
        const QByteArray out = cloud.lastVideoData();
        QCOMPARE(out.size(), 345600);
        QCOMPARE(uint8_t(out.at(359 * 640 + 639)), uint8_t((359 * 7 + 639) % 200));
        QCOMPARE(uint8_t(out.at(640 * 360 + 320 * 180 + 0)), uint8_t(0)); // first V
    }

    void audioBlockLengthIsFourBytesPerFrame()
    {
        FakeTrtcCloud cloud;
        useQuality(0);
        PushStream push;
        audio_data block = {};
        std::vector<uint8_t> samples(4096, 1);
        block.data[0] = samples.data();
        block.frames = 1024;
        push.sendCustomAudio(&block); // before initialisation: nothing to send with
        QCOMPARE(cloud.audioFrames(), 0);
        push.initTrtcPushVideo();
        push.sendCustomAudio(&block);
        QCOMPARE(cloud.audioFrames(), 1);
        QCOMPARE(cloud.lastAudioFrame().length, 4096u);
        QCOMPARE(static_cast<const void*>(cloud.lastAudioFrame().data), static_cast<const void*>(samples.data()));
    }

    void reinitialisationKeepsRecordsAndResizes()
    {
        FakeTrtcCloud cloud;
        useQuality(0);
        PushStream push;
        push.initTrtcPushVideo();
        const TrtcCustomVideoFrame* video = push.videoFrameRecord();
        const TrtcCustomAudioFrame* audio = push.audioFrameRecord();
        useQuality(1);
        push.initTrtcPushVideo();
        QCOMPARE(push.videoFrameRecord(), video);
        QCOMPARE(push.audioFrameRecord(), audio);
        QCOMPARE(push.frameBufferSize(), size_t(1382401));
        QCOMPARE(int(video->width), 1280);
        QCOMPARE(int(video->length), 1382400);
    }

    void frameOfAnotherSizeIsDropped()
    {
        // libobs was asked for 640 x 360, then the quality changed before the pusher was set up.
        FakeTrtcCloud cloud;
        m_store->streamQuality = 1;
        SetRecvOBSVideoStreamSize(640, 360);
        PushStream push;
        push.initTrtcPushVideo();
        PaddedFrame small(640, 360, 640, 320);
        push.sendCustomVideo(&small.data);
        QCOMPARE(cloud.videoFrames(), 0);
    }

    void framesFlowThroughTheBridge()
    {
        FakeTrtcCloud cloud;
        useQuality(0);
        PushStream push;
        push.initTrtcPushVideo();
        RegisterRecvOBSVideoStreamCallback([&push](void*, video_data* frame) { push.sendCustomVideo(frame); });
        RegisterRecvOBSAudioStreamCallback(
            [&push](void*, uint64_t, audio_data* data) { push.sendCustomAudio(data); });
        PaddedFrame f(640, 360, 704, 352);
        obs_raw_video_callback(nullptr, &f.data);
        std::vector<uint8_t> samples(16);
        audio_data block = {};
        block.data[0] = samples.data();
        block.frames = 4;
        obs_raw_audio_callback(nullptr, 0, &block);
        QCOMPARE(cloud.videoFrames(), 1);
        QCOMPARE(cloud.audioFrames(), 1);
        // Re-initialising while the function is registered waits for a running frame and then swaps.
        std::atomic<bool> stop{false};
        std::thread deliver([&] {
            while (!stop)
                obs_raw_video_callback(nullptr, &f.data);
        });
        const int before = cloud.videoFrames();
        for (int i = 0; i < 2000 && cloud.videoFrames() < before + 50; ++i) {
            push.initTrtcPushVideo();
            QThread::usleep(200);
        }
        stop = true;
        deliver.join();
        QVERIFY(cloud.videoFrames() >= before + 50);
        QCOMPARE(cloud.lastVideoData().size(), 345600);
    }
};

QTEST_GUILESS_MAIN(tst_PushStream)
#include "tst_PushStream.moc"
