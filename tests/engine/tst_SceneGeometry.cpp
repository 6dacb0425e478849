// test-label: unit
#include "engine/SceneGeometry.h"

#include <QtTest>

using namespace geometry;

Q_DECLARE_METATYPE(geometry::SizeOp)

class tst_SceneGeometry : public QObject
{
    Q_OBJECT
private slots:
    void fitCanvas_data()
    {
        QTest::addColumn<int>("areaW");
        QTest::addColumn<int>("areaH");
        QTest::addColumn<float>("scale");
        QTest::addColumn<QRect>("picture"); // x, y (without the margin), width, height
        QTest::addColumn<QSize>("shown");
        QTest::newRow("wide area, height limits") << 1300 << 740 << 0.6666667f << QRect(0, 0, 1280, 720)
                                                  << QSize(1280, 720);
        QTest::newRow("narrow area, width limits") << 1000 << 740 << 0.5104167f << QRect(0, 85, 980, 551)
                                                   << QSize(980, 551);
        QTest::newRow("flat area") << 1300 << 600 << 0.5370370f << QRect(125, 0, 1031, 580) << QSize(1031, 580);
    }
    void fitCanvas()
    {
        QFETCH(int, areaW);
        QFETCH(int, areaH);
        QFETCH(float, scale);
        QFETCH(QRect, picture);
        QFETCH(QSize, shown);
        const PreviewFit fit = geometry::fitCanvas(areaW, areaH, 1920, 1080);
        QVERIFY(fit.valid);
        QVERIFY(qAbs(fit.scale - scale) < 1e-6f);
        QCOMPARE(QRect(fit.x, fit.y, fit.width, fit.height), picture);
        QCOMPARE(QSize(fit.shownWidth, fit.shownHeight), shown);
    }

    void fitCanvasWithoutCanvasOrArea()
    {
        QVERIFY(!geometry::fitCanvas(1300, 740, 0, 0).valid);
        // Nothing left after the margin (an area not laid out yet, or smaller than the margin):
        // no picture and scale 0, never a negative scale that would mirror positions.
        const QList<QSize> tinyAreas = {{20, 20}, {10, 10}, {0, 0}, {1300, 5}, {5, 740}, {-50, -50}};
        for (const QSize& area : tinyAreas) {
            const PreviewFit tiny = geometry::fitCanvas(area.width(), area.height(), 1920, 1080);
            QVERIFY(tiny.valid);
            QCOMPARE(tiny.scale, 0.0f);
            QCOMPARE(QSize(tiny.width, tiny.height), QSize(0, 0));
            QVERIFY(tiny.x >= 0 && tiny.y >= 0);
            QCOMPARE(QSize(tiny.shownWidth, tiny.shownHeight), QSize(0, 0));
        }
    }

    void positions_data()
    {
        QTest::addColumn<float>("scale");
        QTest::addColumn<bool>("liveMode");
        QTest::addColumn<bool>("portrait");
        QTest::addColumn<bool>("canvasUnits");
        QTest::addColumn<QPointF>("in");
        QTest::addColumn<QPointF>("posOut");  // scene_set_source_pos (ints)
        QTest::addColumn<QPointF>("posfOut"); // scene_set_source_posf_abs
        QTest::newRow("landscape halves") << 0.5f << false << false << false << QPointF(101, 50) << QPointF(202, 100)
                                          << QPointF(202, 100);
        QTest::newRow("portrait mode takes canvas pixels")
            << 0.5f << true << true << false << QPointF(101, 50) << QPointF(101, 50) << QPointF(101, 50);
        QTest::newRow("portrait mode without the portrait flag")
            << 0.5f << true << false << false << QPointF(101, 50) << QPointF(101, 50) << QPointF(202, 100);
        QTest::newRow("no scale yet") << 0.0f << false << false << false << QPointF(7, 9) << QPointF(7, 9)
                                      << QPointF(7, 9);
        QTest::newRow("canvas units flag") << 0.5f << false << false << true << QPointF(7, 9) << QPointF(14, 18)
                                           << QPointF(7, 9);
        QTest::newRow("quotient truncated") << 0.3f << false << false << false << QPointF(10, 10)
                                            << QPointF(33, 33) << QPointF(10 / 0.3f, 10 / 0.3f);
    }
    void positions()
    {
        QFETCH(float, scale);
        QFETCH(bool, liveMode);
        QFETCH(bool, portrait);
        QFETCH(bool, canvasUnits);
        QFETCH(QPointF, in);
        QFETCH(QPointF, posOut);
        QFETCH(QPointF, posfOut);
        const Point p = posToCanvas(int(in.x()), int(in.y()), scale, liveMode);
        QCOMPARE(QPointF(p.x, p.y), posOut);
        const Point f = posfToCanvas(float(in.x()), float(in.y()), scale, liveMode, portrait, canvasUnits);
        QVERIFY(qAbs(f.x - float(posfOut.x())) < 1e-3f && qAbs(f.y - float(posfOut.y())) < 1e-3f);
    }

    void clampKeepsXOnTheScreenOnly()
    {
        Point p = clampPos({2500, 10}, 1920);
        QCOMPARE(p.x, 1920.0f);
        p = clampPos({-5, -30}, 1920);
        QCOMPARE(p.x, 0.0f);
        QCOMPARE(p.y, -30.0f);
    }

    void transformReadBackTruncatesTwice()
    {
        int x = -1, y = -1;
        positionToPreview(202.9f, 101.7f, 0.5f, &x, &y);
        QCOMPARE(x, 101);
        QCOMPARE(y, 50);
        positionToPreview(202.9f, 101.7f, 0.0f, &x, &y);
        QCOMPARE(x, 0);
        QCOMPARE(y, 0);
    }

    void sizing_data()
    {
        QTest::addColumn<SizeOp>("op");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSizeF>("wanted");
        QTest::addColumn<float>("scale");
        QTest::addColumn<bool>("liveMode");
        QTest::addColumn<bool>("portrait");
        QTest::addColumn<bool>("force");
        QTest::addColumn<bool>("swap");
        QTest::addColumn<QSize>("base");    // the source's base size
        QTest::addColumn<QSize>("current"); // and current size
        QTest::addColumn<bool>("apply");
        QTest::addColumn<QSizeF>("ref");
        QTest::addColumn<QSizeF>("itemScale");

        const QSize cam(1280, 720);
        // s = 0.5: 320 x 180 preview pixels are 640 x 360 canvas pixels of a 1280 x 720 camera.
        QTest::newRow("camera half") << SizeOp::Size << "camera source" << QSizeF(320, 180) << 0.5f << false << false
                                     << false << false << cam << cam << true << QSizeF(1280, 720) << QSizeF(0.5, 0.5);
        QTest::newRow("force 640x480") << SizeOp::Size << "camera source" << QSizeF(320, 180) << 0.5f << false
                                       << false << true << false << cam << cam << true << QSizeF(640, 480)
                                       << QSizeF(1, 0.75);
        QTest::newRow("swapped canvas") << SizeOp::Size << "camera source" << QSizeF(320, 180) << 0.5f << false
                                        << false << false << true << cam << cam << true << QSizeF(720, 1280)
                                        << QSizeF(320 / 0.5 / 720, 180 / 0.5 / 1280);
        // Without a scale only the camera is sized, in canvas pixels.
        QTest::newRow("no scale, camera") << SizeOp::Size << "camera source" << QSizeF(640, 360) << 0.0f << false
                                          << false << false << false << cam << cam << true << QSizeF(1280, 720)
                                          << QSizeF(0.5, 0.5);
        QTest::newRow("no scale, picture untouched")
            << SizeOp::Size << "image_source" << QSizeF(640, 360) << 0.0f << false << false << false << false << cam
            << cam << false << QSizeF(500, 400) << QSizeF(0, 0);
        QTest::newRow("share window at screen size")
            << SizeOp::Share << "window source" << QSizeF(1920, 1080) << 0.0f << false << false << false << false
            << QSize(800, 600) << QSize(800, 600) << true << QSizeF(1920, 1080) << QSizeF(1, 1);
        QTest::newRow("share names containing the window name use the screen")
            << SizeOp::Share << "window source1" << QSizeF(960, 540) << 0.5f << false << false << false << false
            << QSize(800, 600) << QSize(800, 600) << true << QSizeF(1920, 1080) << QSizeF(1, 1);
        // Pictures, tiles named after them included, are sized against the page image.
        QTest::newRow("picture tile") << SizeOp::SizeF << "image_source3" << QSizeF(250, 200) << 0.5f << false << false
                                      << false << false << cam << cam << true << QSizeF(500, 400) << QSizeF(1, 1);
        QTest::newRow("size: window by base") << SizeOp::Size << "window source" << QSizeF(400, 300) << 1.0f << false
                                              << false << false << false << QSize(800, 600) << QSize(400, 300) << true
                                              << QSizeF(800, 600) << QSizeF(0.5, 0.5);
        QTest::newRow("sizef: window by current") << SizeOp::SizeF << "window source" << QSizeF(400, 300) << 1.0f
                                                  << false << false << false << false << QSize(800, 600)
                                                  << QSize(400, 300) << true << QSizeF(400, 300) << QSizeF(1, 1);
        // Portrait: a window turned on its side less the task bar; other names by base size.
        QTest::newRow("portrait window") << SizeOp::Size << "window source" << QSizeF(100, 80) << 1.0f << true << true
                                         << false << false << QSize(800, 600) << QSize(800, 600) << true
                                         << QSizeF(560, 800) << QSizeF(100.0 / 560, 0.1);
        QTest::newRow("portrait camera by base") << SizeOp::Size << "camera source" << QSizeF(360, 640) << 1.0f
                                                 << true << true << false << false << cam << QSize(1, 1) << true
                                                 << QSizeF(1280, 720) << QSizeF(360.0 / 1280, 640.0 / 720);
        QTest::newRow("portrait flag outside portrait mode")
            << SizeOp::Size << "camera source" << QSizeF(320, 180) << 0.5f << false << true << false << false << cam
            << cam << true << QSizeF(1280, 720) << QSizeF(0.5, 0.5);
        // A camera without a frame yet falls back to the screen (landscape) or the turned screen.
        QTest::newRow("empty camera, landscape") << SizeOp::Size << "camera source" << QSizeF(960, 540) << 0.5f
                                                 << false << false << false << false << QSize() << QSize() << true
                                                 << QSizeF(1920, 1080) << QSizeF(1, 1);
        QTest::newRow("empty camera, portrait") << SizeOp::Size << "camera source" << QSizeF(540, 960) << 0.5f
                                                << true << true << false << false << QSize() << QSize() << true
                                                << QSizeF(1080, 1920) << QSizeF(1, 1);
        QTest::newRow("empty window, landscape fallback less the task bar")
            << SizeOp::Size << "window source" << QSizeF(960, 520) << 0.5f << false << false << false << false
            << QSize() << QSize() << true << QSizeF(1920, 1040) << QSizeF(1, 1);
        QTest::newRow("base size in canvas units") << SizeOp::BaseSize << "camera source" << QSizeF(640, 360) << 0.5f
                                                   << false << false << false << false << cam << QSize() << true
                                                   << QSizeF(1280, 720) << QSizeF(0.5, 0.5);
    }
    void sizing()
    {
        QFETCH(SizeOp, op);
        QFETCH(QString, name);
        QFETCH(QSizeF, wanted);
        QFETCH(float, scale);
        QFETCH(bool, liveMode);
        QFETCH(bool, portrait);
        QFETCH(bool, force);
        QFETCH(bool, swap);
        QFETCH(QSize, base);
        QFETCH(QSize, current);
        QFETCH(bool, apply);
        QFETCH(QSizeF, ref);
        QFETCH(QSizeF, itemScale);

        SizeRequest req;
        req.op = op;
        req.name = name.toStdString();
        req.width = float(wanted.width());
        req.height = float(wanted.height());
        req.portrait = portrait;
        req.force640x480 = force;
        req.canvasUnits = op == SizeOp::BaseSize;
        SizeContext ctx;
        ctx.scale = scale;
        ctx.liveMode = liveMode;
        ctx.swapCanvasSize = swap;
        ctx.taskBarHeight = 40;
        ctx.docImageWidth = 500;
        ctx.docImageHeight = 400;
        ctx.screenWidth = 1920;
        ctx.screenHeight = 1080;
        SourceSizes sizes;
        sizes.baseW = uint32_t(qMax(0, base.width()));
        sizes.baseH = uint32_t(qMax(0, base.height()));
        sizes.curW = uint32_t(qMax(0, current.width()));
        sizes.curH = uint32_t(qMax(0, current.height()));
        const SizeResult r = computeItemScale(req, ctx, [&] { return sizes; });
        QVERIFY(!r.unusable);
        QCOMPARE(r.apply, apply);
        QCOMPARE(QSizeF(r.refW, r.refH), ref);
        if (apply) {
            QVERIFY2(qAbs(r.scaleX - itemScale.width()) < 1e-5 && qAbs(r.scaleY - itemScale.height()) < 1e-5,
                     qPrintable(QStringLiteral("%1 x %2").arg(r.scaleX).arg(r.scaleY)));
        }
    }

    void zeroSizesAreReadFiveTimesThenTheScreen()
    {
        SizeRequest req;
        req.name = "camera source";
        req.width = 100;
        req.height = 100;
        SizeContext ctx;
        ctx.scale = 1;
        ctx.screenWidth = 1920;
        ctx.screenHeight = 1080;
        int reads = 0;
        SizeResult r = computeItemScale(req, ctx, [&] {
            ++reads;
            return SourceSizes{};
        });
        QCOMPARE(reads, 5);
        QCOMPARE(r.refW, 1920.0);
        req.op = SizeOp::BaseSize;
        reads = 0;
        r = computeItemScale(req, ctx, [&] {
            ++reads;
            return SourceSizes{};
        });
        QCOMPARE(reads, 10);
        // A size that appears on the third read is used.
        req.op = SizeOp::Size;
        reads = 0;
        r = computeItemScale(req, ctx, [&] {
            ++reads;
            return reads < 3 ? SourceSizes{} : SourceSizes{0, 0, 200, 100};
        });
        QCOMPARE(reads, 3);
        QCOMPARE(QSizeF(r.refW, r.refH), QSizeF(200, 100));
    }

    void unusableReferenceChangesNothing()
    {
        // A portrait window shorter than the task bar gives a negative reference height.
        SizeRequest req;
        req.name = "window source";
        req.width = 100;
        req.height = 100;
        req.portrait = true;
        SizeContext ctx;
        ctx.scale = 1;
        ctx.liveMode = true;
        ctx.taskBarHeight = 40;
        ctx.screenWidth = 1920;
        ctx.screenHeight = 1080;
        SizeResult r = computeItemScale(req, ctx, [] { return SourceSizes{300, 30, 300, 30}; });
        QVERIFY(r.unusable);
        QVERIFY(!r.apply);
        // A screen that reports nothing leaves the fallback empty too.
        ctx = SizeContext{};
        ctx.scale = 1;
        req = SizeRequest{};
        req.name = "camera source";
        req.width = 10;
        req.height = 10;
        r = computeItemScale(req, ctx, [] { return SourceSizes{}; });
        QVERIFY(r.unusable);
        QVERIFY(!r.apply);
        // ... unless the size is forced.
        req.force640x480 = true;
        r = computeItemScale(req, ctx, [] { return SourceSizes{}; });
        QVERIFY(r.apply);
    }
};

QTEST_APPLESS_MAIN(tst_SceneGeometry)
#include "tst_SceneGeometry.moc"
