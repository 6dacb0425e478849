// test-label: unit
// Where an applied scene layout puts its pictures, cameras and background: the tables of the
// canvas geometry on a 960 x 540 preview of a 1920 x 1080 canvas at preview scale 0.5.
#include "canvas/SceneCanvasGeometry.h"

#include <QtTest>

using namespace scenecanvas;

Q_DECLARE_METATYPE(scenecanvas::Placement)

namespace
{
const PosWeight kTile{0.5f, 0.5f, 0.25f, 0.25f};

Placement size(int w, int h, int x, int y)
{
    Placement p;
    p.call = SizeCall::Size;
    p.width = w;
    p.height = h;
    p.x = x;
    p.y = y;
    return p;
}

Placement sizeF(SizeCall call, float w, float h, int x, int y)
{
    Placement p;
    p.call = call;
    p.widthF = w;
    p.heightF = h;
    p.x = x;
    p.y = y;
    return p;
}

QString text(const Placement& p)
{
    switch (p.call) {
    case SizeCall::None:
        return "none";
    case SizeCall::Size:
        return QString("size %1x%2 at %3,%4").arg(p.width).arg(p.height).arg(p.x).arg(p.y);
    case SizeCall::SizeF:
        return QString("sizef %1x%2 at %3,%4").arg(double(p.widthF)).arg(double(p.heightF)).arg(p.x).arg(p.y);
    case SizeCall::BaseSize:
        return QString("base %1x%2 at %3,%4").arg(double(p.widthF)).arg(double(p.heightF)).arg(p.x).arg(p.y);
    }
    return {};
}

void addColumns()
{
    QTest::addColumn<QSize>("preview");
    QTest::addColumn<QSize>("canvas");
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<Placement>("expected");
}
} // namespace

class tst_SceneCanvasGeometry : public QObject
{
    Q_OBJECT

private slots:
    void tileInPreviewPixels();
    void pictureOnApply_data();
    void pictureOnApply();
    void pictureOnPageTurn_data();
    void pictureOnPageTurn();
    void cameraTile();
    void background_data();
    void background();
    void quotients();
};

void tst_SceneCanvasGeometry::tileInPreviewPixels()
{
    const TilePixels t = tilePixels(kTile, 960, 540);
    QCOMPARE(QRect(t.px, t.py, t.pw, t.ph), QRect(480, 270, 240, 135));
    // Truncated toward zero, not rounded.
    const TilePixels odd = tilePixels(PosWeight{0.3333f, 0.9999f, 0.6666f, 0.0001f}, 600, 338);
    QCOMPARE(QRect(odd.px, odd.py, odd.pw, odd.ph), QRect(199, 337, 399, 0));
}

void tst_SceneCanvasGeometry::pictureOnApply_data()
{
    addColumns();
    const QSize preview(960, 540), canvas(1920, 1080);
    QTest::newRow("canvas ratio (c = r)") << preview << canvas << QSize(1920, 1080) << size(240, 135, 1080, 270);
    QTest::newRow("portrait, c > r") << preview << canvas << QSize(1080, 1920) << size(75, 135, 1162, 270);
    QTest::newRow("square, c > r") << preview << canvas << QSize(1000, 1000)
                                   << sizeF(SizeCall::SizeF, 135, 135, 532, 270);
    QTest::newRow("wide, c < r, larger than the preview")
        << preview << canvas << QSize(1920, 480) << size(240, 60, 480, 510);
    QTest::newRow("wide, c < r, smaller than the preview")
        << preview << canvas << QSize(480, 120) << size(240, 15, 480, 532);
    // On a portrait canvas a portrait picture of its ratio takes the c <= r row.
    QTest::newRow("portrait canvas, c = r") << QSize(540, 960) << QSize(1080, 1920) << QSize(1080, 1920)
                                            << size(37, 240, 562, 480);
    QTest::newRow("picture did not load") << preview << canvas << QSize(0, 0) << Placement{};
    QTest::newRow("picture without height") << preview << canvas << QSize(100, 0) << Placement{};
}

void tst_SceneCanvasGeometry::pictureOnApply()
{
    QFETCH(QSize, preview);
    QFETCH(QSize, canvas);
    QFETCH(QSize, picture);
    QFETCH(Placement, expected);
    const TilePixels t = tilePixels(kTile, preview.width(), preview.height());
    QCOMPARE(text(scenecanvas::pictureOnApply(t, picture.width(), picture.height(), preview.width(),
                                              preview.height(), canvas.width(), canvas.height(), 0.5f)),
             text(expected));
}

void tst_SceneCanvasGeometry::pictureOnPageTurn_data()
{
    addColumns();
    const QSize preview(960, 540), canvas(1920, 1080);
    QTest::newRow("16:9 exactly") << preview << canvas << QSize(1920, 1080) << size(240, 135, 1080, 270);
    QTest::newRow("portrait, A < 16/9") << preview << canvas << QSize(1080, 1920) << size(75, 135, 1162, 270);
    // Wider than 16/9 of the preview: the position leaves P out of the shrink.
    QTest::newRow("portrait, A >= 16/9") << preview << canvas << QSize(3000, 4000) << size(101, 135, 1098, 270);
    QTest::newRow("square, r < 16/9") << preview << canvas << QSize(1000, 1000)
                                      << sizeF(SizeCall::SizeF, 135, 135, 532, 270);
    QTest::newRow("wide, r > 16/9") << preview << canvas << QSize(1920, 480) << size(240, 60, 480, 510);
    QTest::newRow("picture did not load") << preview << canvas << QSize(0, 0) << Placement{};
}

void tst_SceneCanvasGeometry::pictureOnPageTurn()
{
    QFETCH(QSize, preview);
    QFETCH(QSize, canvas);
    QFETCH(QSize, picture);
    QFETCH(Placement, expected);
    const TilePixels t = tilePixels(kTile, preview.width(), preview.height());
    QCOMPARE(text(scenecanvas::pictureOnPageTurn(t, picture.width(), picture.height(), preview.width(),
                                                 preview.height(), canvas.width(), canvas.height(), 0.5f)),
             text(expected));
}

void tst_SceneCanvasGeometry::cameraTile()
{
    const TilePixels t = tilePixels(kTile, 960, 540);
    QCOMPARE(text(scenecanvas::cameraTile(t, 960, 540, 1920, 1080, false)), text(size(480, 270, 960, 540)));
    QCOMPARE(text(scenecanvas::cameraTile(t, 960, 540, 1920, 1080, true)),
             text(sizeF(SizeCall::BaseSize, -480, 270, 1440, 540)));
    QCOMPARE(scenecanvas::cameraTile(t, 0, 540, 1920, 1080, false).call, SizeCall::None);
}

void tst_SceneCanvasGeometry::background_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<Placement>("expected");
    QTest::newRow("canvas ratio") << QSize(1920, 1080) << size(888, 500, 56, 0);
    QTest::newRow("narrower than the canvas") << QSize(1000, 1000) << size(888, 500, 56, 0);
    // Halved toward zero: (500 - 562) / 2 is -31.
    QTest::newRow("wider than the canvas") << QSize(1920, 480) << size(1000, 562, 0, -31);
    QTest::newRow("did not load") << QSize(0, 0) << Placement{};
}

void tst_SceneCanvasGeometry::background()
{
    QFETCH(QSize, picture);
    QFETCH(Placement, expected);
    QCOMPARE(text(scenecanvas::background(picture.width(), picture.height(), 1000, 500, 1920, 1080)),
             text(expected));
}

void tst_SceneCanvasGeometry::quotients()
{
    QCOMPARE(q9(240), 135);
    QCOMPARE(q9(1000), 562);
    QCOMPARE(q16(500), 888);
    QCOMPARE(q9(-17), -9); // toward zero
}

QTEST_APPLESS_MAIN(tst_SceneCanvasGeometry)
#include "tst_SceneCanvasGeometry.moc"
