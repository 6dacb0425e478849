#pragma once
// Where the sources of an applied scene layout go on the canvas. Pure functions over plain numbers:
// the main window reads the preview, the canvas, the picture sizes and the engine's preview scale,
// calls these, and hands the result to the engine's preview-pixel operations.
//
// The arithmetic is kept exactly as the engine expects it: single-precision floats, truncation
// toward zero (T), q9(n) = 9n/16 and q16(n) = 16n/9 in ints, 9/16 as 0.5625f and 16/9 as
// 1.7777778f, and an exact float comparison where the canvas and picture ratios are equal.

#include "scenes/InfoWidget.h"

namespace scenecanvas
{

// Which sizing operation places a source.
enum class SizeCall {
    None,     // nothing is placed: the picture did not load (0 x 0) or the preview has no size
    Size,     // scene_set_source_size(width, height, false, false)
    SizeF,    // scene_set_source_sizef(widthF, heightF, false, false)
    BaseSize, // scene_set_source_base_size(widthF, heightF, 0, false, false) (a mirrored camera)
};

struct Placement {
    SizeCall call = SizeCall::None;
    int width = 0; // SizeCall::Size
    int height = 0;
    float widthF = 0; // SizeCall::SizeF and BaseSize
    float heightF = 0;
    int x = 0; // scene_set_source_pos, whatever the size call
    int y = 0;
};

// A tile's rectangle in preview pixels: px = T(x·W), py = T(y·H), pw = T(w·W), ph = T(h·H).
struct TilePixels {
    int px = 0;
    int py = 0;
    int pw = 0;
    int ph = 0;
};
TilePixels tilePixels(const PosWeight& rect, int previewW, int previewH);

inline int q9(int n) { return (9 * n) / 16; }
inline int q16(int n) { return (16 * n) / 9; }

// A picture tile when the scene is applied: the picture iw x ih in a preview W x H over a canvas
// Cw x Ch at preview scale P (sx = W / Cw, sy = H / Ch; r = iw / ih against c = Cw / Ch).
Placement pictureOnApply(const TilePixels& tile, int iw, int ih, int previewW, int previewH, int canvasW,
                         int canvasH, float scale);

// A picture tile after a page turn: as above but with e = W / Cw, g = H / Ch and A = iw / W, the
// picture's ratio judged against 16:9.
Placement pictureOnPageTurn(const TilePixels& tile, int iw, int ih, int previewW, int previewH, int canvasW,
                            int canvasH, float scale);

// A camera tile: sized over its tile in canvas units; mirrored, its base size gets a negative
// width and it is drawn leftwards from the tile's right edge.
Placement cameraTile(const TilePixels& tile, int previewW, int previewH, int canvasW, int canvasH, bool mirror);

// The background picture iw x ih in the scene label of labelW x labelH: 16:9 by the label's height
// when the canvas is at least as wide as the picture's ratio, else 16:9 by its width, centred.
Placement background(int iw, int ih, int labelW, int labelH, int canvasW, int canvasH);

} // namespace scenecanvas
