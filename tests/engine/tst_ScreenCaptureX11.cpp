// test-label: engine
// The capture engine on a real X server of the test's own (1920x1080, no window manager), with the
// windows of another process: what is listed, in which order, titles, pictures and grabs.
#include "engine/capture/ScreenCaptureEngine.h"
#include "engine/capture/ScreenCaptureX11.h"
#include "support/PrivateXServer.h"
#include "support/X11TestClient.h"

#include <QWidget>
#include <QtTest>

#include <algorithm>

namespace {
QImage decodePng(const std::string& png)
{
    return QImage::fromData(reinterpret_cast<const uchar*>(png.data()), int(png.size()), "PNG")
        .convertToFormat(QImage::Format_ARGB32);
}

QStringList titlesOf(const std::vector<WindowInfo>& windows)
{
    QStringList titles;
    for (const WindowInfo& w : windows)
        titles << QString::fromStdString(w.title);
    return titles;
}

const WindowInfo* find(const std::vector<WindowInfo>& windows, unsigned long id)
{
    auto it = std::find_if(windows.begin(), windows.end(), [id](const WindowInfo& w) { return w.hwnd == id; });
    return it == windows.end() ? nullptr : &*it;
}

class CountingSink : public CaptureSink
{
public:
    void onFrame(std::shared_ptr<VideoFrame> frame) override
    {
        lastWidth = int(frame->width());
        lastHeight = int(frame->height());
        ++frames;
    }
    void onCaptureStopped(int) override { ++stopped; }
    std::atomic<int> frames{0};
    std::atomic<int> stopped{0};
    std::atomic<int> lastWidth{0};
    std::atomic<int> lastHeight{0};
};
} // namespace

class tst_ScreenCaptureX11 : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(client_.start());
        own_.setWindowTitle(QStringLiteral("capture test's own window"));
        own_.setGeometry(50, 700, 200, 100);
        own_.show();
        QVERIFY(QTest::qWaitForWindowExposed(&own_));
    }

    void monitors()
    {
        ScreenCaptureEngine engine;
        const auto* screens = engine.getScreens();
        QCOMPARE(int(screens->size()), 1);
        const MonitorInfo& m = screens->front();
        QCOMPARE(m.index, 0);
        QCOMPARE((QList<int>{m.left, m.right, m.top, m.bottom}), (QList<int>{0, 1920, 0, 1080}));
        QVERIFY(m.primary);
        QCOMPARE(engine.getScreens(), screens);
    }

    void windowList()
    {
        const unsigned long lower = client_.window("Lower", "Editor", "00ff00", 200, 150, 100, 100);
        const unsigned long upper = client_.window("Upper", "Editor", "0000ff", 200, 150, 400, 100);
        QVERIFY(lower && upper);
        QVERIFY(client_.window("Dialog", "Editor", "888888", 100, 80, 700, 100, "transient"));
        QVERIFY(client_.window("Panel", "Bar", "888888", 1920, 30, 0, 1050, "dock"));
        QVERIFY(client_.window("", "Editor", "888888", 100, 80, 850, 100));
        QVERIFY(client_.window("Classless", "", "888888", 100, 80, 1000, 100));
        QVERIFY(client_.window("Popup", "Menu", "888888", 100, 80, 1150, 100, "override"));
        const unsigned long hidden = client_.window("Hidden", "Editor", "888888", 100, 80, 1300, 100);
        QVERIFY(client_.command("unmap", hidden));

        ScreenCaptureEngine engine;
        const auto* windows = engine.getWindows();
        const QStringList titles = titlesOf(*windows);
        QVERIFY2(titles.contains("Upper") && titles.contains("Lower"), qPrintable(titles.join(", ")));
        // Topmost first.
        QVERIFY(titles.indexOf("Upper") < titles.indexOf("Lower"));
        for (const char* left : {"Dialog", "Panel", "Classless", "Popup", "Hidden", "capture test's own window"})
            QVERIFY2(!titles.contains(left), left);
        QVERIFY(std::none_of(windows->begin(), windows->end(), [](const WindowInfo& w) { return w.title.empty(); }));

        const WindowInfo* info = find(*windows, lower);
        QVERIFY(info);
        QCOMPARE((QList<int>{info->left, info->right, info->top, info->bottom}), (QList<int>{100, 300, 100, 250}));
        QVERIFY(info->icon.isNull());

        // Raising the lower one reorders the next refresh, in the same vector.
        QVERIFY(client_.command("raise", lower));
        QCOMPARE(engine.getWindows(), windows);
        const QStringList again = titlesOf(*windows);
        QVERIFY(again.indexOf("Lower") < again.indexOf("Upper"));
    }

    void titles()
    {
        const QString title = QString::fromUtf8("Grüße-窗口");
        const unsigned long id = client_.window(title, "Editor", "888888", 120, 80, 1500, 300);
        QVERIFY(id);
        QCOMPARE(QString::fromStdString(ScreenCaptureEngine::windowTitle(id)), title);
        ScreenCaptureEngine engine;
        const WindowInfo* info = find(*engine.getWindows(), id);
        QVERIFY(info);
        QCOMPARE(QString::fromStdString(info->title), title);
        QVERIFY(ScreenCaptureEngine::windowTitle(0x7fffff0).empty()); // no such window

        // Only an old-style name, in Latin-1.
        const unsigned long old = client_.window(QString::fromUtf8("Café"), "Editor", "888888", 120, 80, 1500, 450,
                                                 "latin1");
        QVERIFY(old);
        QCOMPARE(QString::fromStdString(ScreenCaptureEngine::windowTitle(old)), QString::fromUtf8("Café"));
    }

    void icons()
    {
        const unsigned long two = client_.window("TwoIcons", "Editor", "888888", 60, 60, 1500, 600, "icons");
        const unsigned long bad = client_.window("BadIcon", "Editor", "888888", 60, 60, 1600, 600, "badicon");
        QVERIFY(two && bad);
        ScreenCaptureEngine engine;
        const auto* windows = engine.getWindows();
        QVERIFY(find(*windows, two) && find(*windows, bad));
        // The largest one.
        const QImage icon = find(*windows, two)->icon;
        QCOMPARE(icon.size(), QSize(32, 32));
        QCOMPARE(icon.pixel(5, 5), qRgb(0, 255, 0));
        // One that claims more pixels than it holds is no icon.
        QVERIFY(find(*windows, bad)->icon.isNull());
    }

    void windowThumbnail()
    {
        const unsigned long red = client_.window("Red", "Painter", "ff0000", 320, 180, 600, 400);
        QVERIFY(red);
        ScreenCaptureEngine engine;
        const WindowInfo* info = find(*engine.getWindows(), red);
        QVERIFY(info);
        const QImage picture = decodePng(engine.getWindowThumbnail(*info, 200, 112));
        QCOMPARE(picture.size(), QSize(200, 112));
        QCOMPARE(picture.pixel(100, 56), qRgb(255, 0, 0));
        // It fills the target: no bars.
        QCOMPARE(picture.pixel(1, 1), qRgb(255, 0, 0));

        // The screen shows it too.
        const MonitorInfo monitor = engine.getScreens()->front();
        const QImage screen = decodePng(engine.getScreenThumbnail(monitor, 192, 108));
        QCOMPARE(screen.size(), QSize(192, 108));
        QCOMPARE(screen.pixel((600 + 160) / 10, (400 + 90) / 10), qRgb(255, 0, 0));

        QVERIFY(client_.command("unmap", red));
        QVERIFY(engine.getWindowThumbnail(*info, 200, 112).empty());
        QVERIFY(client_.command("destroy", red));
        QVERIFY(engine.getWindowThumbnail(*info, 200, 112).empty());
    }

    void redirectedWindowShowsItsOwnPixels()
    {
        // Its pixels are kept off screen: the window over it does not show in its picture, and it
        // has one even wholly outside the screen.
        const unsigned long below = client_.window("Below", "Painter", "0000ff", 200, 200, 1000, 600, "redirect");
        const unsigned long cover = client_.window("Cover", "Painter", "ffff00", 200, 200, 1000, 600);
        const unsigned long outside = client_.window("Outside", "Painter", "00ff00", 200, 200, 1950, 300, "redirect");
        QVERIFY(below && cover && outside);
        ScreenCaptureEngine engine;
        const auto* windows = engine.getWindows();
        QVERIFY(find(*windows, below) && find(*windows, cover) && find(*windows, outside));
        auto centre = [&](unsigned long id) {
            return decodePng(engine.getWindowThumbnail(*find(*windows, id), 50, 50)).pixel(25, 25);
        };
        QCOMPARE(centre(below), qRgb(0, 0, 255));
        QCOMPARE(centre(cover), qRgb(255, 255, 0));
        QCOMPARE(centre(outside), qRgb(0, 255, 0));
    }

    void continuousCapture()
    {
        auto sink = std::make_shared<CountingSink>();
        ScreenCaptureEngine engine;
        const MonitorInfo monitor = engine.getScreens()->front();
        {
            ScreenCaptureX11 screen;
            screen.setSink(sink);
            screen.startScreen(monitor, CaptureOptions());
            QTRY_VERIFY_WITH_TIMEOUT(sink->frames >= 2, 20000);
            QCOMPARE(QSize(sink->lastWidth, sink->lastHeight), QSize(1920, 1080));
            // Destroyed while running.
        }

        const unsigned long id = client_.window("Grabbed", "Painter", "00ffff", 160, 90, 200, 800);
        QVERIFY(id);
        auto windowSink = std::make_shared<CountingSink>();
        ScreenCaptureX11 window;
        window.setSink(windowSink);
        WindowInfo info;
        info.hwnd = id;
        window.startWindow(info, CaptureOptions());
        QTRY_VERIFY_WITH_TIMEOUT(windowSink->frames >= 1, 20000);
        QCOMPARE(QSize(windowSink->lastWidth, windowSink->lastHeight), QSize(160, 90));
        QVERIFY(client_.command("destroy", id));
        QTRY_COMPARE_WITH_TIMEOUT(int(windowSink->stopped), 1, 20000);
        window.stop();
    }

private:
    testsupport::X11TestClient client_;
    QWidget own_;
};

SOLVEK_TEST_MAIN_OWN_DISPLAY(tst_ScreenCaptureX11)
#include "tst_ScreenCaptureX11.moc"
