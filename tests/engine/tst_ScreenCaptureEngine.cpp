// test-label: unit
// The capture engine's rules as tables (which windows are listed, monitor indexes, the desktop
// origin, the letterbox of a picture) and the engine without an X connection.
#include "engine/capture/ScreenCaptureEngine.h"

#include <QtTest>

using platform::X11WindowProperties;

Q_DECLARE_METATYPE(X11WindowProperties)

namespace {
constexpr qint64 kOwnPid = 4242;

// A window that every rule lets through.
X11WindowProperties listedWindow()
{
    X11WindowProperties w;
    w.viewable = true;
    w.hasClass = true;
    w.hasPid = true;
    w.pid = 777;
    w.exePath = "/usr/bin/editor";
    w.title = "notes.txt - editor";
    return w;
}

QImage decodePng(const std::string& png)
{
    return QImage::fromData(reinterpret_cast<const uchar*>(png.data()), int(png.size()), "PNG")
        .convertToFormat(QImage::Format_ARGB32);
}

// Rows (or columns) whose pixels are all opaque, as [first, last]; the others must be all clear.
QPair<int, int> opaqueSpan(const QImage& image, bool rows)
{
    int first = -1, last = -1;
    const int outer = rows ? image.height() : image.width();
    const int inner = rows ? image.width() : image.height();
    for (int i = 0; i < outer; ++i) {
        int opaque = 0;
        for (int j = 0; j < inner; ++j) {
            const QRgb px = rows ? image.pixel(j, i) : image.pixel(i, j);
            if (qAlpha(px) == 255)
                ++opaque;
            else if (px != 0x00FFFFFFu)
                return {-2, -2}; // neither the picture nor the transparent bar
        }
        if (opaque == inner) {
            if (first < 0)
                first = i;
            last = i;
        } else if (opaque != 0) {
            return {-3, -3}; // a half-covered line
        }
    }
    return {first, last};
}
} // namespace

class tst_ScreenCaptureEngine : public QObject
{
    Q_OBJECT
private slots:
    void windowFilter_data()
    {
        QTest::addColumn<X11WindowProperties>("window");
        QTest::addColumn<int>("rule");
        auto row = [](const char* name, int rule, auto change) {
            X11WindowProperties w = listedWindow();
            change(w);
            QTest::newRow(name) << w << rule;
        };
        row("plain window", 0, [](X11WindowProperties&) {});
        row("unmapped", 1, [](X11WindowProperties& w) { w.viewable = false; });
        row("minimised stays", 0, [](X11WindowProperties& w) {
            w.viewable = false;
            w.iconic = true;
        });
        row("other desktop", 2, [](X11WindowProperties& w) {
            w.hasDesktop = true;
            w.desktop = 1;
            w.hasCurrentDesktop = true;
            w.currentDesktop = 0;
        });
        row("current desktop", 0, [](X11WindowProperties& w) {
            w.hasDesktop = w.hasCurrentDesktop = true;
            w.desktop = w.currentDesktop = 2;
        });
        row("all desktops", 0, [](X11WindowProperties& w) {
            w.hasDesktop = w.hasCurrentDesktop = true;
            w.desktop = 0xFFFFFFFFu;
            w.currentDesktop = 3;
        });
        row("desktop without a current one", 0, [](X11WindowProperties& w) {
            w.hasDesktop = true;
            w.desktop = 5;
        });
        row("transient", 3, [](X11WindowProperties& w) { w.transient = true; });
        row("no class", 4, [](X11WindowProperties& w) { w.hasClass = false; });
        row("dock or desktop", 5, [](X11WindowProperties& w) { w.desktopOrDock = true; });
        row("override-redirect", 5, [](X11WindowProperties& w) { w.overrideRedirect = true; });
        row("excluded process", 8, [](X11WindowProperties& w) { w.exePath = "/opt/wine/drive_c/Photos.exe"; });
        row("last excluded name", 8,
            [](X11WindowProperties& w) { w.exePath = "/x/ApplicationFrameHost.exe.bin"; });
        row("excluded name in other case", 0,
            [](X11WindowProperties& w) { w.exePath = "/opt/wine/drive_c/photos.exe"; });
        row("unreadable executable", 0, [](X11WindowProperties& w) { w.exePath.clear(); });
        row("own process", 9, [](X11WindowProperties& w) { w.pid = kOwnPid; });
        row("own pid number but no pid property", 0, [](X11WindowProperties& w) {
            w.hasPid = false;
            w.pid = kOwnPid;
        });
        row("untitled", 10, [](X11WindowProperties& w) { w.title.clear(); });
        row("first rule wins", 1, [](X11WindowProperties& w) {
            w.viewable = false;
            w.transient = true;
            w.title.clear();
        });
        row("transient before untitled", 3, [](X11WindowProperties& w) {
            w.transient = true;
            w.title.clear();
        });
    }
    void windowFilter()
    {
        QFETCH(X11WindowProperties, window);
        QFETCH(int, rule);
        const QStringList excluded{"CalcFrame.exe", "Photos.exe", "RuntimeBroker.exe", "ApplicationFrameHost.exe"};
        QCOMPARE(int(capture::windowRule(window, kOwnPid, excluded)), rule);
    }

    void monitorIndexesSkipUnreadable()
    {
        const std::vector<std::optional<platform::X11Monitor>> entries{
            platform::X11Monitor{11, QRect(0, 0, 1920, 1080), false},
            std::nullopt,
            platform::X11Monitor{13, QRect(1920, -200, 1280, 1024), false},
        };
        const auto list = capture::monitorList(entries);
        QCOMPARE(int(list.size()), 2);
        QCOMPARE(list[0].index, 0);
        QCOMPARE(list[1].index, 2);
        QCOMPARE(list[1].handle, quintptr(13));
        // left, right, top, bottom
        QCOMPARE((QList<int>{list[1].left, list[1].right, list[1].top, list[1].bottom}),
                 (QList<int>{1920, 3200, -200, 824}));
        // Without a primary from the server the first listed one is.
        QVERIFY(list[0].primary);
        QVERIFY(!list[1].primary);

        const auto withPrimary = capture::monitorList(
            {platform::X11Monitor{1, QRect(0, 0, 800, 600), false}, platform::X11Monitor{2, QRect(800, 0, 800, 600), true}});
        QVERIFY(!withPrimary[0].primary);
        QVERIFY(withPrimary[1].primary);
        QVERIFY(capture::monitorList({std::nullopt}).empty());
    }

    void desktopOrigin()
    {
        auto monitor = [](int left, int top) {
            MonitorInfo m;
            m.left = left;
            m.top = top;
            m.right = left + 1920;
            m.bottom = top + 1080;
            return m;
        };
        int32_t x = 0, y = 0;
        capture::updateDesktopOrigin({monitor(0, 0)}, &x, &y);
        QCOMPARE(QPoint(x, y), QPoint(0, 0));
        capture::updateDesktopOrigin({monitor(0, 0), monitor(-1920, 0)}, &x, &y);
        QCOMPARE(QPoint(x, y), QPoint(-1920, 0));
        // Gone again: the origin stays where it went.
        capture::updateDesktopOrigin({monitor(0, 0)}, &x, &y);
        QCOMPARE(QPoint(x, y), QPoint(-1920, 0));
        // Same left edge, higher up: only the top moves.
        capture::updateDesktopOrigin({monitor(-1920, -300)}, &x, &y);
        QCOMPARE(QPoint(x, y), QPoint(-1920, -300));
        // Further left but lower: both take that monitor's values.
        capture::updateDesktopOrigin({monitor(-3840, 200)}, &x, &y);
        QCOMPARE(QPoint(x, y), QPoint(-3840, 200));
    }

    void letterbox_data()
    {
        QTest::addColumn<QSize>("source");
        QTest::addColumn<bool>("rows");     // the span checked runs over rows, else columns
        QTest::addColumn<int>("first");     // -1: nothing opaque
        QTest::addColumn<int>("last");
        QTest::newRow("same shape fills") << QSize(400, 200) << true << 0 << 99;
        QTest::newRow("wider: bars above and below") << QSize(400, 100) << true << 25 << 74;
        QTest::newRow("taller: bars left and right") << QSize(100, 400) << false << 87 << 111;
        QTest::newRow("no pixels: blank") << QSize(0, 0) << true << -1 << -1;
    }
    void letterbox()
    {
        QFETCH(QSize, source);
        QFETCH(bool, rows);
        QFETCH(int, first);
        QFETCH(int, last);
        QImage picture;
        if (!source.isEmpty()) {
            picture = QImage(source, QImage::Format_ARGB32);
            picture.fill(QColor(10, 200, 30));
        }
        const std::string png = renderThumbnail(picture, 200, 100);
        // Exactly the PNG file: it ends with its IEND chunk.
        QVERIFY(png.size() > 12);
        QCOMPARE(QByteArray::fromStdString(png.substr(png.size() - 8, 4)), QByteArray("IEND"));
        const QImage out = decodePng(png);
        QCOMPARE(out.size(), QSize(200, 100));
        QCOMPARE(opaqueSpan(out, rows), qMakePair(first, last));
        if (first >= 0)
            QCOMPARE(out.pixel(100, rows ? first : 50), qRgb(10, 200, 30));
    }

    void thumbnailEdges()
    {
        QVERIFY(renderThumbnail(QImage(), 0, 100).empty());
        QVERIFY(renderThumbnail(QImage(), 100, -1).empty());
        // A source one pixel high still shows, as the one row 14 (gap 29.9 truncated to 29).
        QImage line(300, 1, QImage::Format_RGB32);
        line.fill(Qt::blue);
        const QImage out = decodePng(renderThumbnail(line, 30, 30));
        QCOMPARE(out.size(), QSize(30, 30));
        QCOMPARE(opaqueSpan(out, true), qMakePair(14, 14));
    }

    void withoutX()
    {
        // Offscreen: no X connection, nothing to list or grab.
        ScreenCaptureEngine engine;
        const auto* screens = engine.getScreens();
        QVERIFY(screens->empty());
        QCOMPARE(engine.getScreens(), screens);
        const auto* windows = engine.getWindows();
        QVERIFY(windows->empty());
        QCOMPARE(engine.getWindows(), windows);
        WindowInfo window;
        window.hwnd = 0x400001;
        QVERIFY(engine.getWindowThumbnail(window, 200, 112).empty());
        QVERIFY(engine.getScreenThumbnail(MonitorInfo(), 200, 112).empty());
        QVERIFY(ScreenCaptureEngine::windowTitle(0x400001).empty());
    }
};

QTEST_MAIN(tst_ScreenCaptureEngine)
#include "tst_ScreenCaptureEngine.moc"
