#include "scenes/SceneTileGeometry.h"

#include <QtGlobal>

namespace {
constexpr int kMinResizeWidth = 170; // a resize must stay wider than this
}

QPoint sceneTileMoveTarget(const QRect& tile, const QPoint& delta, const QSize& area)
{
    int x = tile.x() + delta.x();
    if (x + tile.width() > area.width())
        x = area.width() - tile.width();
    int y = tile.y() + delta.y();
    if (y + tile.height() > area.height())
        y = area.height() - tile.height();
    return QPoint(qMax(x, 0), qMax(y, 0));
}

SceneResizeStep sceneTileResizeStep(const QRect& tile, int dx, const QSize& area)
{
    SceneResizeStep step;
    if (tile.x() + tile.width() > area.width() || tile.y() + tile.height() > area.height())
        return step;
    if (dx == 0)
        return step;
    step.taken = true;
    const int width = tile.width() + dx;
    if (width <= kMinResizeWidth || width >= area.width())
        return step;
    step.resized = true;
    step.size = QSize(width, width * 9 / 16);
    return step;
}

ScenePictureFit scenePictureFitOnChoice(const QSize& frame, const QSize& tile, const QSize& picture)
{
    const int W = frame.width();
    const int H = frame.height();
    const int w = picture.width();
    const int h = picture.height();
    ScenePictureFit fit;
    if (w > h) {
        const float l = float(w) / float(h);
        const int m = int(float(W) / l);
        fit.labelSize = QSize(W - 4, m);
        fit.labelPos = QPoint(2, (H - m) / 2);
        fit.scaled = QSize(W, m);
    } else if (w == h) {
        fit.labelSize = QSize(H, H);
        fit.labelPos = QPoint((tile.width() - H) / 2, (tile.height() - H) / 2 - 2);
        fit.scaled = QSize(H, H);
    } else {
        const float l = float(w) / float(h);
        const int m = int(float(H) * l);
        fit.labelSize = QSize(m - 4, H);
        fit.labelPos = QPoint((W - m) / 2 + 2, 0);
        fit.scaled = QSize(m, H);
    }
    return fit;
}

ScenePictureFit scenePictureFitOnResize(const QSize& frame, const QSize& picture)
{
    const int W = frame.width();
    const int H = frame.height();
    ScenePictureFit fit;
    if (picture.height() > picture.width()) {
        const int d = H * 9 / 16;
        fit.labelSize = QSize(d - 4, H);
        fit.labelPos = QPoint((W - d) / 2 + 2, 0);
        fit.scaled = QSize(d, H);
    } else {
        const int d = W * 9 / 16;
        fit.labelSize = QSize(W - 4, d);
        fit.labelPos = QPoint(2, (H - d) / 2);
        fit.scaled = QSize(W, d);
    }
    return fit;
}

int scenePictureListHeight(int count)
{
    if (count <= 1)
        return 40;
    if (count == 2)
        return 80;
    if (count == 3)
        return 115;
    return 140;
}
