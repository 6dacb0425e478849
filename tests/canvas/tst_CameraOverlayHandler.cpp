// test-label: unit
// The camera overlay's mouse handling without widgets: hit test, moves and resizes of the
// landscape share, the document page and the portrait column, release, right click and a failed
// read-back. Canvas 1920 x 1080, preview 960 x 540 (sx = sy = 0.5); the camera reads back
// (100, 50, 400, 225), so in preview pixels L 50, T 25, W 200, H 112, R 250, B 137.5. The portrait
// column: preview and share label 405 x 720 (fw = fh = 0.375), engine preview scale 0.3.
#include "canvas/CameraOverlayHandler.h"

#include <QtTest>

using Handler = CameraOverlayHandler;
using Handling = CameraOverlayHandler::Handling;

Q_DECLARE_METATYPE(Handling)

namespace
{

Handler::Scene scene(Handling handling = Handling::LandscapeShare, QRectF camera = {100, 50, 400, 225})
{
    Handler::Scene s;
    s.handling = handling;
    s.cameraRead = true;
    s.x = int(camera.x());
    s.y = int(camera.y());
    s.w = float(camera.width());
    s.h = float(camera.height());
    s.cameraReadF = true;
    s.fx = float(camera.x());
    s.fy = float(camera.y());
    s.fw = float(camera.width());
    s.fh = float(camera.height());
    s.preview = {960, 540};
    s.canvas = {1920, 1080};
    s.previewScale = 0;
    s.menuAllowed = true;
    return s;
}

// "pos(x,y)", "posf(x,y)", "base(w,h)" per engine call, joined by blanks.
QString calls(const Handler::Result& r)
{
    QStringList out;
    for (const Handler::EngineCall& c : r.calls) {
        const char* name = c.op == Handler::EngineCall::Pos ? "pos" : c.op == Handler::EngineCall::PosfAbs ? "posf" : "base";
        out << QString("%1(%2,%3)").arg(name, QString::number(c.a), QString::number(c.b));
    }
    return out.join(' ');
}

// Which grab a handler holds: "left", "top", "right", "bottom", "move" or "none" (joined by '+').
QString grab(const Handler& h)
{
    QStringList out;
    const char* names[] = {"left", "top", "right", "bottom"};
    for (int e = 0; e < 4; ++e)
        if (h.edge(Handler::Edge(e)))
            out << names[e];
    if (h.moving())
        out << "move";
    return out.isEmpty() ? QString("none") : out.join('+');
}

// A press with the left button, then one move with it held.
QString drag(Handler& h, const Handler::Scene& s, QPoint from, QPoint to)
{
    h.press(s, from, Qt::LeftButton);
    return calls(h.move(s, to, Qt::LeftButton));
}

// The portrait column with the camera at (x, y) of size w x h (canvas units).
Handler::Scene portrait(QRectF camera, bool maximized = false)
{
    Handler::Scene s = scene(Handling::Portrait, camera);
    s.preview = {405, 720};
    s.shareLabel = {405, 720};
    s.previewScale = 0.3f;
    s.maximized = maximized;
    return s;
}

} // namespace

class tst_CameraOverlayHandler : public QObject
{
    Q_OBJECT

private slots:
    void hitTest_data();
    void hitTest();
    void landscapeMove();
    void moveNeedsTheLeftButtonAlone();
    void landscapeResize_data();
    void landscapeResize();
    void refusedStepKeepsThePressPoint();
    void documentResize_data();
    void documentResize();
    void documentMove();
    void releaseClearsEveryFlag();
    void rightClick_data();
    void rightClick();
    void failedReadBack();
    void portraitBand();
    void portraitMove();
    void portraitResize_data();
    void portraitResize();
};

void tst_CameraOverlayHandler::hitTest_data()
{
    QTest::addColumn<QRectF>("camera");
    QTest::addColumn<QPoint>("p");
    QTest::addColumn<QString>("grabbed");
    QTest::addColumn<int>("cursor"); // -1: none set

    const QRectF cam(100, 50, 400, 225);
    QTest::newRow("left") << cam << QPoint(60, 80) << "left" << int(Qt::SizeHorCursor);
    QTest::newRow("outside") << cam << QPoint(40, 80) << "none" << -1;
    QTest::newRow("top") << cam << QPoint(150, 30) << "top" << int(Qt::SizeVerCursor);
    QTest::newRow("right") << cam << QPoint(245, 80) << "right" << int(Qt::SizeHorCursor);
    QTest::newRow("bottom") << cam << QPoint(150, 130) << "bottom" << int(Qt::SizeVerCursor);
    QTest::newRow("move") << cam << QPoint(150, 80) << "move" << int(Qt::ArrowCursor);
    QTest::newRow("L + 10 is still the left edge") << cam << QPoint(60, 100) << "left" << int(Qt::SizeHorCursor);
    QTest::newRow("L + 11 moves") << cam << QPoint(61, 100) << "move" << int(Qt::ArrowCursor);
    QTest::newRow("the corner is the left edge first") << cam << QPoint(52, 27) << "left" << int(Qt::SizeHorCursor);
    QTest::newRow("R is outside") << cam << QPoint(250, 80) << "none" << -1;
    // Mirrored: x is the picture's right edge, the rectangle lies left of L = 250.
    const QRectF mirrored(500, 50, -400, 225);
    QTest::newRow("mirrored, inside near L") << mirrored << QPoint(245, 80) << "left" << int(Qt::SizeHorCursor);
    QTest::newRow("mirrored, near R = 50") << mirrored << QPoint(55, 80) << "right" << int(Qt::SizeHorCursor);
    QTest::newRow("mirrored, middle") << mirrored << QPoint(150, 80) << "move" << int(Qt::ArrowCursor);
    QTest::newRow("mirrored, right of L") << mirrored << QPoint(255, 80) << "none" << -1;
}

void tst_CameraOverlayHandler::hitTest()
{
    QFETCH(QRectF, camera);
    QFETCH(QPoint, p);
    QFETCH(QString, grabbed);
    QFETCH(int, cursor);

    for (Handling handling : {Handling::LandscapeShare, Handling::Document}) {
        Handler h;
        const Handler::Result r = h.press(scene(handling, camera), p, Qt::LeftButton);
        QCOMPARE(grab(h), grabbed);
        QCOMPARE(r.setsCursor ? int(r.cursor) : -1, cursor);
        QCOMPARE(h.lastPrePoint(), p);
        QVERIFY(!r.consumed);
        QVERIFY(r.calls.empty());
    }
}

void tst_CameraOverlayHandler::landscapeMove()
{
    Handler h;
    Handler::Scene s = scene();
    h.press(s, {150, 80}, Qt::LeftButton);
    Handler::Result r = h.move(s, {160, 90}, Qt::LeftButton);
    QCOMPARE(calls(r), QString("pos(120,70)"));
    QVERIFY(r.hideCameraMenus);
    QCOMPARE(h.movePoint(), QPoint(160, 90));

    // Near the right border: one step overshoots, the next one (from the read-back) comes back.
    s.x = 1500;
    h.press(s, {800, 80}, Qt::LeftButton);
    QCOMPARE(calls(h.move(s, {820, 80}, Qt::LeftButton)), QString("pos(1540,50)"));
    s.x = 1540;
    QCOMPARE(calls(h.move(s, {825, 80}, Qt::LeftButton)), QString("pos(1520,50)"));

    // Past the top-left corner: back to 0.
    s.x = -10;
    s.y = -4;
    h.press(s, {50, 50}, Qt::LeftButton);
    QCOMPARE(calls(h.move(s, {40, 40}, Qt::LeftButton)), QString("pos(0,0)"));

    // Mirrored (x the right edge): follows the pointer, and comes back from the left border.
    s = scene(Handling::LandscapeShare, {500, 50, -400, 225});
    h.press(s, {150, 80}, Qt::LeftButton);
    QCOMPARE(calls(h.move(s, {160, 90}, Qt::LeftButton)), QString("pos(520,70)"));
    s.x = 380; // shown from -10 to 190: more than 2 pixels out
    h.press(s, {100, 80}, Qt::LeftButton);
    QCOMPARE(calls(h.move(s, {90, 80}, Qt::LeftButton)), QString("pos(400,50)"));
}

void tst_CameraOverlayHandler::moveNeedsTheLeftButtonAlone()
{
    const Handler::Scene s = scene();
    for (Qt::MouseButtons held : {Qt::MouseButtons(Qt::NoButton), Qt::MouseButtons(Qt::RightButton),
                                  Qt::MouseButtons(Qt::LeftButton | Qt::RightButton)}) {
        Handler h;
        h.press(s, {150, 80}, Qt::LeftButton);
        const Handler::Result r = h.move(s, {160, 90}, held);
        QVERIFY(r.calls.empty());
        QVERIFY(!r.hideCameraMenus);
    }
    // Nothing grabbed (the press was outside): no move either.
    Handler h;
    h.press(s, {40, 80}, Qt::LeftButton);
    QVERIFY(h.move(s, {50, 90}, Qt::LeftButton).calls.empty());
}

void tst_CameraOverlayHandler::landscapeResize_data()
{
    QTest::addColumn<QRectF>("camera");
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<QString>("expected");

    const QRectF cam(100, 50, 400, 225);
    QTest::newRow("right +20") << cam << QPoint(245, 80) << QPoint(265, 80) << "base(440,247.5)";
    QTest::newRow("right to the smallest") << cam << QPoint(245, 80) << QPoint(205, 80) << "base(320,180)";
    QTest::newRow("right below 160") << cam << QPoint(245, 80) << QPoint(204, 80) << "";
    QTest::newRow("right, no travel") << cam << QPoint(245, 80) << QPoint(245, 90) << "";
    QTest::newRow("bottom +10") << cam << QPoint(150, 130) << QPoint(150, 140) << "base(435.556,245)";
    QTest::newRow("bottom, no travel") << cam << QPoint(150, 130) << QPoint(170, 130) << "";
    QTest::newRow("top -10 moves the overlay") << cam << QPoint(150, 30) << QPoint(150, 20)
                                               << "base(435.556,245) pos(80,30)";
    QTest::newRow("top, no travel") << cam << QPoint(150, 30) << QPoint(160, 30) << "";
    QTest::newRow("left -10") << cam << QPoint(60, 80) << QPoint(50, 80) << "base(420,236.25) pos(95,58)";
    QTest::newRow("left, no travel steps anyway") << cam << QPoint(60, 80) << QPoint(60, 90)
                                                  << "base(400,225) pos(100,48)";
    QTest::newRow("right past the canvas") << QRectF(0, 0, 1900, 1068.75) << QPoint(945, 300)
                                           << QPoint(951, 300) << "";
    // Mirrored: no limits, the width stays negative.
    const QRectF mirrored(500, 50, -400, 225);
    QTest::newRow("mirrored right -20") << mirrored << QPoint(55, 80) << QPoint(35, 80) << "base(-440,247.5)";
    QTest::newRow("mirrored right, no travel") << mirrored << QPoint(55, 80) << QPoint(55, 90)
                                               << "base(-400,225)";
    QTest::newRow("mirrored right below 160") << mirrored << QPoint(55, 80) << QPoint(100, 80)
                                              << "base(-310,174.375)";
    QTest::newRow("mirrored bottom +10") << mirrored << QPoint(150, 130) << QPoint(150, 140)
                                         << "base(-435.556,245)";
    QTest::newRow("mirrored left +10") << mirrored << QPoint(245, 80) << QPoint(255, 80)
                                       << "base(-420,236.25) pos(510,55)";
}

void tst_CameraOverlayHandler::landscapeResize()
{
    QFETCH(QRectF, camera);
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(QString, expected);

    Handler h;
    const Handler::Scene s = scene(Handling::LandscapeShare, camera);
    h.press(s, from, Qt::LeftButton);
    QVERIFY(h.anyEdge());
    const Handler::Result r = h.move(s, to, Qt::LeftButton);
    QCOMPARE(calls(r), expected);
    QCOMPARE(r.hideCameraMenus, !expected.isEmpty());
    QCOMPARE(h.lastPrePoint(), expected.isEmpty() ? from : to);
}

void tst_CameraOverlayHandler::refusedStepKeepsThePressPoint()
{
    // Step by step the overlay stops at the last allowed size; the refused steps keep the point,
    // so the next allowed step counts from it.
    Handler h;
    Handler::Scene s = scene();
    h.press(s, {245, 80}, Qt::LeftButton);
    QCOMPARE(calls(h.move(s, {205, 80}, Qt::LeftButton)), QString("base(320,180)"));
    s.w = 320;
    s.h = 180;
    QCOMPARE(calls(h.move(s, {204, 80}, Qt::LeftButton)), QString());
    QCOMPARE(calls(h.move(s, {200, 80}, Qt::LeftButton)), QString());
    QCOMPARE(h.lastPrePoint(), QPoint(205, 80));
    QCOMPARE(calls(h.move(s, {215, 80}, Qt::LeftButton)), QString("base(340,191.25)"));
    QCOMPARE(h.lastPrePoint(), QPoint(215, 80));
}

void tst_CameraOverlayHandler::documentResize_data()
{
    QTest::addColumn<float>("scale");
    QTest::addColumn<QRectF>("camera");
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<QString>("expected");

    const QRectF cam(100, 50, 400, 225);
    QTest::newRow("right +20") << 0.5f << cam << QPoint(245, 80) << QPoint(265, 80) << "base(220,123.75)";
    QTest::newRow("right +20, scale 0") << 0.0f << cam << QPoint(245, 80) << QPoint(265, 80) << "base(220,123.75)";
    QTest::newRow("right, no travel") << 0.5f << cam << QPoint(245, 80) << QPoint(245, 90) << "";
    QTest::newRow("right below 160") << 0.5f << cam << QPoint(245, 80) << QPoint(204, 80) << "";
    QTest::newRow("top moving down") << 0.5f << cam << QPoint(150, 30) << QPoint(150, 60) << "base(198,111.375)";
    QTest::newRow("top moving up") << 0.5f << cam << QPoint(150, 30) << QPoint(150, 10) << "base(202,113.625)";
    QTest::newRow("top, no travel is down") << 0.5f << cam << QPoint(150, 30) << QPoint(170, 30)
                                            << "base(198,111.375)";
    QTest::newRow("bottom moving down") << 0.5f << cam << QPoint(150, 130) << QPoint(150, 131) << "base(202,113.625)";
    QTest::newRow("bottom moving up") << 0.5f << cam << QPoint(150, 130) << QPoint(150, 100) << "base(198,111.375)";
    QTest::newRow("top below 160") << 1.0f << QRectF(100, 50, 161, 90.5625) << QPoint(80, 30) << QPoint(80, 31) << "";
    QTest::newRow("left -10, no limits") << 0.5f << cam << QPoint(60, 80) << QPoint(50, 80)
                                         << "base(210,118.125) pos(40,15)";
    QTest::newRow("left shrinks below 160") << 1.0f << QRectF(100, 50, 161, 90.5625) << QPoint(52, 40)
                                            << QPoint(62, 40) << "base(151,84.9375) pos(110,60)";
    const QRectF mirrored(500, 50, -400, 225);
    QTest::newRow("mirrored top moving down") << 0.5f << mirrored << QPoint(150, 30) << QPoint(150, 40)
                                              << "base(-198,111.375)";
    QTest::newRow("mirrored bottom moving down") << 0.5f << mirrored << QPoint(150, 130) << QPoint(150, 140)
                                                 << "base(-202,113.625)";
    QTest::newRow("mirrored left +10") << 0.5f << mirrored << QPoint(245, 80) << QPoint(255, 80)
                                       << "base(-210,118.125) posf(260,15)";
}

void tst_CameraOverlayHandler::documentResize()
{
    QFETCH(float, scale);
    QFETCH(QRectF, camera);
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(QString, expected);

    Handler h;
    Handler::Scene s = scene(Handling::Document, camera);
    s.previewScale = scale;
    h.press(s, from, Qt::LeftButton);
    QVERIFY(h.anyEdge());
    const Handler::Result r = h.move(s, to, Qt::LeftButton);
    QCOMPARE(calls(r), expected);
    QVERIFY(!r.hideCameraMenus); // only the share's moves and resizes hide them
    QCOMPARE(h.lastPrePoint(), expected.isEmpty() ? from : to);
}

void tst_CameraOverlayHandler::documentMove()
{
    // The page is fitted with the preview scale at 1 (the engine fits the canvas to itself).
    Handler h;
    Handler::Scene s = scene(Handling::Document);
    s.previewScale = 1;
    QCOMPARE(drag(h, s, {150, 80}, {160, 90}), QString("posf(120,70)"));
    // Near the right border the new position is held inside at once.
    s.fx = 1500;
    s.x = 1500;
    QCOMPARE(drag(h, s, {800, 80}, {820, 80}), QString("posf(1520,50)"));
    // Not mirrored, at least 0; near the bottom held inside.
    s.fx = 5;
    s.x = 5;
    s.fy = 850;
    s.y = 850;
    QCOMPARE(drag(h, s, {30, 470}, {20, 500}), QString("posf(0,855)"));
    // Mirrored: the right edge may not pass the preview's width (in canvas units).
    s = scene(Handling::Document, {1900, 50, -400, 225});
    s.previewScale = 1;
    QCOMPARE(drag(h, s, {900, 80}, {920, 80}), QString("posf(1920,50)"));
}

void tst_CameraOverlayHandler::releaseClearsEveryFlag()
{
    Handler h;
    const Handler::Scene s = scene();
    h.press(s, {60, 80}, Qt::LeftButton);
    QCOMPARE(grab(h), QString("left"));
    Handler::Result r = h.release(s);
    QCOMPARE(grab(h), QString("none"));
    QVERIFY(r.setsCursor);
    QCOMPARE(r.cursor, Qt::ArrowCursor);
    QVERIFY(!r.consumed);
    h.press(s, {150, 30}, Qt::LeftButton);
    QCOMPARE(grab(h), QString("top"));

    h.press(s, {150, 80}, Qt::LeftButton);
    QCOMPARE(grab(h), QString("move"));
    h.release(s);
    QCOMPARE(grab(h), QString("none"));
    QVERIFY(h.move(s, {160, 90}, Qt::LeftButton).calls.empty());
}

void tst_CameraOverlayHandler::rightClick_data()
{
    QTest::addColumn<bool>("allowed");
    QTest::addColumn<QPoint>("p");
    QTest::newRow("allowed, on the overlay") << true << QPoint(150, 80);
    QTest::newRow("allowed, on an edge") << true << QPoint(60, 80);
    QTest::newRow("not allowed") << false << QPoint(150, 80);
}

void tst_CameraOverlayHandler::rightClick()
{
    QFETCH(bool, allowed);
    QFETCH(QPoint, p);
    for (Handling handling : {Handling::LandscapeShare, Handling::Document}) {
        Handler h;
        Handler::Scene s = scene(handling);
        s.menuAllowed = allowed;
        const Handler::Result r = h.press(s, p, Qt::RightButton);
        QCOMPARE(r.openMenu, allowed);
        QCOMPARE(r.consumed, allowed);
        QCOMPARE(h.lastPrePoint(), p);
        QVERIFY(h.anyEdge() || h.moving()); // the hit test ran first
    }
}

void tst_CameraOverlayHandler::failedReadBack()
{
    for (Handling handling : {Handling::LandscapeShare, Handling::Document}) {
        Handler h;
        Handler::Scene s = scene(handling);
        h.press(s, {60, 80}, Qt::LeftButton); // left edge grabbed while the camera read back
        s.cameraRead = false;
        QVERIFY(h.move(s, {50, 80}, Qt::LeftButton).calls.empty());
        QCOMPARE(h.lastPrePoint(), QPoint(60, 80));
        h.release(s);
        const Handler::Result r = h.press(s, {150, 80}, Qt::LeftButton);
        QCOMPARE(grab(h), QString("none"));
        QVERIFY(!r.setsCursor);
        QCOMPARE(h.lastPrePoint(), QPoint(150, 80));
        QVERIFY(h.move(s, {160, 90}, Qt::LeftButton).calls.empty());
    }
}

void tst_CameraOverlayHandler::portraitBand()
{
    // Camera (400, 300, 600, 337.5): L 84 in the column (sx = 405 / 1920).
    const Handler::Scene s = portrait({400, 300, 600, 337.5});
    Handler h;
    Handler::Result r = h.press(s, {89, 300}, Qt::LeftButton);
    QCOMPARE(grab(h), QString("left"));
    QVERIFY(r.consumed);
    r = h.release(s);
    QVERIFY(r.consumed);
    QCOMPARE(r.cursor, Qt::ArrowCursor);
    h.press(s, {90, 300}, Qt::LeftButton);
    QCOMPARE(grab(h), QString("move"));
    h.release(s);
    // The landscape band would take both.
    Handler::Scene wide = s;
    wide.handling = Handling::LandscapeShare;
    h.press(wide, {90, 300}, Qt::LeftButton);
    QCOMPARE(grab(h), QString("left"));
}

void tst_CameraOverlayHandler::portraitMove()
{
    const Handler::Scene s = portrait({400, 300, 600, 337.5});
    Handler h;
    h.press(s, {150, 300}, Qt::LeftButton);
    const Handler::Result r = h.move(s, {160, 300}, Qt::LeftButton);
    QVERIFY(r.consumed);
    QVERIFY(r.hideCameraMenus);
    QCOMPARE(int(r.calls.size()), 1);
    QCOMPARE(r.calls[0].op, Handler::EngineCall::Pos);
    QCOMPARE(r.calls[0].a, 447.0f); // (84.375 + 10) / sx, truncated
    // Moves without the left button are still the column's.
    QVERIFY(h.move(s, {170, 300}, Qt::NoButton).consumed);
}

void tst_CameraOverlayHandler::portraitResize_data()
{
    QTest::addColumn<QRectF>("camera");
    QTest::addColumn<bool>("maximized");
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<QSizeF>("size");  // invalid: no step
    QTest::addColumn<QPoint>("moved"); // (-1, -1): the position is kept

    const QRectF cam(400, 300, 600, 337.5);
    const QRectF mirrored(1000, 300, -600, 337.5); // x the right edge: L 210, R 83.4
    const QPoint kept(-1, -1);
    const QSizeF none;
    // Edge presses for `cam`: left (86, 300), top (150, 202), right (209, 300), bottom (150, 423).
    QTest::newRow("left, moving left") << cam << false << QPoint(86, 300) << QPoint(76, 300) << QSizeF(200, 75)
                                       << QPoint(396, 304);
    QTest::newRow("right, moving right") << cam << false << QPoint(209, 300) << QPoint(219, 300)
                                         << QSizeF(200, 75) << kept;
    QTest::newRow("right, moving left") << cam << false << QPoint(209, 300) << QPoint(199, 300)
                                        << QSizeF(177, 66.375) << kept;
    QTest::newRow("top, moving up") << cam << false << QPoint(150, 202) << QPoint(150, 192)
                                    << QSizeF(245, 122.5625) << QPoint(404, 304);
    QTest::newRow("top, moving down") << cam << false << QPoint(150, 202) << QPoint(150, 212)
                                      << QSizeF(223, 126.5625) << kept;
    QTest::newRow("bottom, moving down") << cam << false << QPoint(150, 423) << QPoint(150, 433)
                                         << QSizeF(245, 130.5625) << QPoint(404, 304);
    QTest::newRow("left, moving left, maximised") << cam << true << QPoint(86, 300) << QPoint(76, 300)
                                                  << QSizeF(200, 42.1875) << QPoint(396, 304);
    QTest::newRow("top, moving up, maximised") << cam << true << QPoint(150, 202) << QPoint(150, 192)
                                               << QSizeF(200, 42.1875) << QPoint(404, 304);
    QTest::newRow("right, moving left, mirrored") << mirrored << false << QPoint(86, 300) << QPoint(76, 300)
                                                  << QSizeF(-245, 91.875) << kept;
    QTest::newRow("left, moving left, mirrored") << mirrored << false << QPoint(208, 300) << QPoint(198, 300)
                                                 << QSizeF(-205, 76.875) << QPoint(996, 304);
    QTest::newRow("top, moving down, 400 wide: 148 is below 168")
        << QRectF(400, 300, 400, 225) << false << QPoint(150, 202) << QPoint(150, 212) << none << kept;
    QTest::newRow("left, not moved along x") << cam << false << QPoint(86, 300) << QPoint(86, 310) << none << kept;
    QTest::newRow("top, not moved along y") << cam << false << QPoint(150, 202) << QPoint(160, 202) << none << kept;
    QTest::newRow("right, not moved along x") << cam << false << QPoint(209, 300) << QPoint(209, 290) << none
                                              << kept;
    QTest::newRow("bottom, not moved along y") << cam << false << QPoint(150, 423) << QPoint(140, 423) << none
                                               << kept;
    // Lower limits that raise rather than refuse (restored, not mirrored).
    QTest::newRow("left, moving right: raised to 168 x 34")
        << QRectF(400, 300, 300, 168.75) << false << QPoint(86, 300) << QPoint(96, 300) << QSizeF(168, 34)
        << QPoint(404, 296);
    QTest::newRow("bottom, moving down: a height below 20 becomes 34")
        << QRectF(400, 300, 400, 40) << false << QPoint(150, 224) << QPoint(150, 234) << QSizeF(170, 34)
        << QPoint(404, 304);
    // Mirrored and maximised, the right edge needs -160.
    QTest::newRow("right, moving right, mirrored, maximised: -117 refused")
        << QRectF(1000, 300, -400, 225) << true << QPoint(128, 300) << QPoint(138, 300) << none << kept;
    QTest::newRow("right, moving right, mirrored, maximised: -165")
        << QRectF(1000, 300, -560, 315) << true << QPoint(95, 300) << QPoint(105, 300)
        << QSizeF(-165, 34.8047) << kept;
    // Upper limits: width / fw against canvas width - 50 for the right edge.
    QTest::newRow("right, moving right: 740 / 0.375 is past 1870")
        << QRectF(0, 0, 2400, 1350) << false << QPoint(505, 300) << QPoint(515, 300) << none << kept;
    // The left edge: width / fw while restored, canvas height - 5 while maximised.
    QTest::newRow("left, moving left, 3500 wide, restored")
        << QRectF(0, 0, 3500, 1968.75) << false << QPoint(3, 300) << QPoint(-7, 300) << none << kept;
    QTest::newRow("left, moving left, 3500 wide, maximised")
        << QRectF(0, 0, 3500, 1968.75) << true << QPoint(3, 300) << QPoint(-7, 300)
        << QSizeF(1070, 225.703) << QPoint(-4, 4);
}

void tst_CameraOverlayHandler::portraitResize()
{
    QFETCH(QRectF, camera);
    QFETCH(bool, maximized);
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(QSizeF, size);
    QFETCH(QPoint, moved);

    Handler h;
    const Handler::Scene s = portrait(camera, maximized);
    h.press(s, from, Qt::LeftButton);
    QVERIFY(h.anyEdge());
    const Handler::Result r = h.move(s, to, Qt::LeftButton);
    QVERIFY(r.consumed);
    if (size == QSizeF()) {
        QVERIFY(r.calls.empty());
        QVERIFY(!r.hideCameraMenus);
        QCOMPARE(h.lastPrePoint(), from);
        return;
    }
    QVERIFY(!r.calls.empty());
    QCOMPARE(r.calls[0].op, Handler::EngineCall::BaseSize);
    QVERIFY2(qAbs(r.calls[0].a - size.width()) < 1e-3 && qAbs(r.calls[0].b - size.height()) < 1e-3,
             qPrintable(calls(r)));
    if (moved == QPoint(-1, -1)) {
        QCOMPARE(int(r.calls.size()), 1);
    } else {
        QCOMPARE(int(r.calls.size()), 2);
        QCOMPARE(r.calls[1].op, Handler::EngineCall::Pos);
        QCOMPARE(QPoint(int(r.calls[1].a), int(r.calls[1].b)), moved);
    }
    QVERIFY(r.hideCameraMenus);
    QCOMPARE(h.lastPrePoint(), to);
}

QTEST_APPLESS_MAIN(tst_CameraOverlayHandler)
#include "tst_CameraOverlayHandler.moc"
