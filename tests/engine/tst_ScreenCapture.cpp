// test-label: unit
// Frames and their pool, and the continuous capture's thread over a grabber that grabs nothing
// real (build with ENABLE_SANITIZERS, or -fsanitize=thread, to have the thread cases checked).
#include "engine/capture/ScreenCapture.h"
#include "engine/capture/ScreenCaptureX11.h"

#include <QtTest>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

class FakeGrabber : public ScreenCapture
{
public:
    ~FakeGrabber() override { stop(); }

    std::shared_ptr<VideoFrame> captureScreen(const MonitorInfo& monitor) override
    {
        lastIndex = monitor.index;
        ++screenGrabs;
        std::this_thread::sleep_for(std::chrono::milliseconds(grabMs));
        return std::make_shared<VideoFrame>(4, 2);
    }
    std::shared_ptr<VideoFrame> captureWindow(const unsigned long& window) override
    {
        lastWindow = window;
        ++windowGrabs;
        return std::make_shared<VideoFrame>(4, 2);
    }

    std::atomic<int> screenGrabs{0};
    std::atomic<int> windowGrabs{0};
    std::atomic<int> existsChecks{0};
    std::atomic<int> lastIndex{-1};
    std::atomic<unsigned long> lastWindow{0};
    std::atomic<int> raised{0};
    std::atomic<int> windowLivesFor{1000000}; // checks that still find the window
    int grabMs = 0;

protected:
    bool windowExists(unsigned long) override { return ++existsChecks <= windowLivesFor; }
    void raiseWindow(unsigned long) override { ++raised; }
};

class RecordingSink : public CaptureSink
{
public:
    void onFrame(std::shared_ptr<VideoFrame> frame) override
    {
        if (frame)
            ++frames;
    }
    void onCaptureStopped(int code) override
    {
        lastCode = code;
        ++stopped;
    }
    std::atomic<int> frames{0};
    std::atomic<int> stopped{0};
    std::atomic<int> lastCode{-1};
};

MonitorInfo monitor(int index)
{
    MonitorInfo m;
    m.index = index;
    m.right = 64;
    m.bottom = 32;
    return m;
}

WindowInfo window(unsigned long id)
{
    WindowInfo w;
    w.hwnd = id;
    w.title = "w";
    return w;
}
} // namespace

class tst_ScreenCapture : public QObject
{
    Q_OBJECT
private slots:
    void frameSizes()
    {
        QCOMPARE(VideoFrame::byteSize(1920, 1080, VideoFrame::kTypeBgra), 1920u * 1080u * 4u);
        QCOMPARE(VideoFrame::byteSize(3, 3, VideoFrame::kTypeI420), 13u); // 27 / 2, truncated
        QCOMPARE(VideoFrame::byteSize(3, 3, VideoFrame::kTypeNv12), 13u);
        QCOMPARE(VideoFrame::byteSize(3, 3, 7), 0u);
        // Too many bytes for the pool's table: an empty frame, not a short buffer.
        VideoFrame huge(65535, 65535, VideoFrame::kTypeBgra, true);
        QCOMPARE(huge.size(), 0u);
        QCOMPARE(huge.width(), 0u);
        QVERIFY(!huge.copyFromBgra(nullptr, 1, 1, 4, true));
    }

    void pooledFramesOfOneSizeShareABuffer()
    {
        // A size of its own, so no other case's spares are in its queue.
        const unsigned w = 123, h = 45;
        const uint8_t* first = nullptr;
        {
            VideoFrame frame(w, h, VideoFrame::kTypeBgra, true);
            QVERIFY(frame.pooled());
            first = frame.data();
            QVERIFY(first);
        }
        {
            VideoFrame again(w, h, VideoFrame::kTypeBgra, true);
            QCOMPARE(static_cast<const uint8_t*>(again.data()), first);
            // Two at once can't share: the second gets a buffer of its own.
            VideoFrame second(w, h, VideoFrame::kTypeBgra, true);
            QVERIFY(second.data() != again.data());
        }
        // Another size has a queue of its own.
        VideoFrame other(w + 1, h, VideoFrame::kTypeBgra, true);
        QVERIFY(other.data() != first);
    }

    void copyHonoursTheStride()
    {
        // Three pixels a row, rows 20 bytes apart (8 bytes of padding), top bytes meaningless.
        const int w = 3, h = 2, stride = 20;
        std::vector<uint8_t> src(size_t(stride) * h, 0xEE);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                uint8_t* p = &src[size_t(y) * stride + size_t(x) * 4];
                p[0] = uint8_t(10 * y + x); // blue
                p[1] = 1;
                p[2] = 2;
                p[3] = 0;
            }
        VideoFrame frame(w, h);
        QVERIFY(frame.copyFromBgra(src.data(), w, h, stride, true));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const uint8_t* p = frame.data() + (y * w + x) * 4;
                QCOMPARE(int(p[0]), 10 * y + x);
                QCOMPARE(int(p[3]), 255);
            }
        // Rows narrower than the pixels, or a picture larger than the frame, are refused.
        QVERIFY(!frame.copyFromBgra(src.data(), w, h, 4 * w - 1, true));
        QVERIFY(!frame.copyFromBgra(src.data(), w + 1, h, stride, true));
    }

    void secondStartChangesNothing()
    {
        FakeGrabber grabber;
        auto sink = std::make_shared<RecordingSink>();
        grabber.setSink(sink);
        grabber.startScreen(monitor(1), CaptureOptions());
        QTRY_VERIFY_WITH_TIMEOUT(grabber.screenGrabs >= 1, 10000);
        grabber.startScreen(monitor(2), CaptureOptions());
        grabber.startWindow(window(0x77), CaptureOptions());
        const int before = grabber.screenGrabs;
        QTRY_VERIFY_WITH_TIMEOUT(grabber.screenGrabs >= before + 2, 10000);
        QCOMPARE(int(grabber.lastIndex), 1);
        QCOMPARE(int(grabber.windowGrabs), 0);
        QCOMPARE(int(grabber.raised), 0);
        QVERIFY(sink->frames >= 1);

        grabber.stop();
        QVERIFY(!grabber.isRunning());
        const int stoppedAt = grabber.screenGrabs;
        // Stopped means stopped: the thread has ended, so nothing grabs any more.
        QTest::qWait(300);
        QCOMPARE(int(grabber.screenGrabs), stoppedAt);
        // After a stop a start works again.
        grabber.startScreen(monitor(2), CaptureOptions());
        QTRY_COMPARE_WITH_TIMEOUT(int(grabber.lastIndex), 2, 10000);
    }

    void closedWindowStopsOnce()
    {
        FakeGrabber grabber;
        grabber.windowLivesFor = 2;
        auto sink = std::make_shared<RecordingSink>();
        grabber.setSink(sink);
        grabber.startWindow(window(0x55), CaptureOptions());
        QCOMPARE(int(grabber.raised), 1);
        QTRY_COMPARE_WITH_TIMEOUT(int(sink->stopped), 1, 10000);
        QCOMPARE(int(sink->lastCode), 0);
        QCOMPARE(int(grabber.windowGrabs), 2);
        QCOMPARE(grabber.lastWindow.load(), 0x55ul);
        // Time for a loop that went on to show itself.
        QTest::qWait(300);
        QCOMPARE(int(sink->stopped), 1);
        QCOMPARE(int(grabber.existsChecks), 3);
        // Still counted as running until stop(): a new start is ignored.
        QVERIFY(grabber.isRunning());
        grabber.startWindow(window(0x66), CaptureOptions());
        QCOMPARE(int(grabber.raised), 1);
        grabber.stop();
        QVERIFY(!grabber.isRunning());
    }

    void grabsWithoutASink()
    {
        FakeGrabber grabber;
        grabber.startScreen(monitor(0), CaptureOptions());
        QTRY_VERIFY_WITH_TIMEOUT(grabber.screenGrabs >= 3, 10000);
        // A sink that went away is the same as none.
        {
            auto sink = std::make_shared<RecordingSink>();
            grabber.setSink(sink);
        }
        const int before = grabber.screenGrabs;
        QTRY_VERIFY_WITH_TIMEOUT(grabber.screenGrabs >= before + 2, 10000);
    }

    void destroyWhileRunning()
    {
        auto sink = std::make_shared<RecordingSink>();
        auto* grabber = new FakeGrabber;
        grabber->grabMs = 30; // likely to be inside a grab when it goes
        grabber->setSink(sink);
        grabber->startScreen(monitor(0), CaptureOptions());
        QTRY_VERIFY_WITH_TIMEOUT(grabber->screenGrabs >= 1, 10000);
        delete grabber;

        // The X11 grabber, which grabs nothing without X, ends its thread before its parts go.
        auto* x11 = new ScreenCaptureX11;
        x11->setSink(sink);
        x11->startScreen(monitor(0), CaptureOptions());
        x11->setExcludeWindows({1, 2});
        QVERIFY(x11->isRunning());
        delete x11;
    }
};

QTEST_MAIN(tst_ScreenCapture)
#include "tst_ScreenCapture.moc"
