#pragma once
// How an editor tile moves, grows and fits its picture, as plain functions of sizes and points.

#include <QPoint>
#include <QRect>
#include <QSize>

// Where a dragged tile goes: moved by `delta`, pushed back inside the area's right and bottom
// edges, and never left of or above the area.
QPoint sceneTileMoveTarget(const QRect& tile, const QPoint& delta, const QSize& area);

// One step of a corner resize by `dx` pixels of pointer movement.
struct SceneResizeStep {
    bool taken = false;      // the step counts (the pointer moved and the tile lies inside the area)
    bool resized = false;    // the tile gets `size`
    QSize size;              // new width x new width * 9 / 16
};
// A tile reaching beyond the area's right or bottom edge ignores resizes until moved back; a
// width of 170 or less, or as wide as the area, is refused.
SceneResizeStep sceneTileResizeStep(const QRect& tile, int dx, const QSize& area);

// Where a tile shows its picture inside its picture frame.
struct ScenePictureFit {
    QSize labelSize;
    QPoint labelPos; // in the picture frame
    QSize scaled;    // the picture is scaled to this size, aspect ignored
};

// The fit when a picture is chosen: the frame is W x H, `tile` the tile's own size. A picture that
// did not load (0 x 0) takes the square branch and shows nothing.
ScenePictureFit scenePictureFitOnChoice(const QSize& frame, const QSize& tile, const QSize& picture);

// The fit after the tile changed size: portrait pictures at 9:16 of the frame height, all others
// at 16:9 of the frame width.
ScenePictureFit scenePictureFitOnResize(const QSize& frame, const QSize& picture);

// Height of a tile's picture list for `count` pictures: 40 for none or one, 80, 115, then 140.
int scenePictureListHeight(int count);
