#pragma once
// Where the canvas sits in a preview area, and how preview coordinates and wanted sizes become
// the position and scale of a scene item. Pure functions: the engine reads libobs and the store,
// calls these, and applies the result.

#include <cstdint>
#include <functional>
#include <string>

namespace geometry {

// ---- fitting the canvas into a preview area --------------------------------------------------
struct PreviewFit {
    bool valid = false; // false when the canvas has no size (nothing to fit)
    float scale = 0;    // preview pixels per canvas pixel
    int x = 0;          // top-left of the picture inside the area minus its 10-pixel margin
    int y = 0;
    int width = 0; // picture size in preview pixels
    int height = 0;
    int shownWidth = 0; // the canvas size times the scale, truncated
    int shownHeight = 0;
};

// The canvas (base_w x base_h) fitted into an area of area_w x area_h less a 10-pixel margin all
// round, keeping its aspect; the picture is centred.
PreviewFit fitCanvas(int area_w, int area_h, uint32_t base_w, uint32_t base_h);

// ---- positions -----------------------------------------------------------------------------
struct Point {
    float x = 0;
    float y = 0;
};

// scene_set_source_pos: divided by the scale (quotients truncated) when the scale is positive in
// landscape; canvas pixels otherwise.
Point posToCanvas(int x, int y, float scale, bool liveMode);
// scene_set_source_posf and scene_set_source_posf_abs (canvasUnits false for the former).
Point posfToCanvas(float x, float y, float scale, bool liveMode, bool portrait, bool canvasUnits);
// The last step of every position operation: x kept within 0..screenWidth, y as it is.
Point clampPos(Point p, int screenWidth);

// scene_get_source_transform: the position truncated, times the scale, truncated again.
void positionToPreview(float posX, float posY, float scale, int* x, int* y);

// ---- sizes ---------------------------------------------------------------------------------
enum class SizeOp {
    Size,     // scene_set_source_size
    SizeF,    // scene_set_source_sizef
    Share,    // scene_set_share_source_size
    BaseSize, // scene_set_source_base_size
};

// What libobs says of a source's size: base (B) and current (C).
struct SourceSizes {
    uint32_t baseW = 0;
    uint32_t baseH = 0;
    uint32_t curW = 0;
    uint32_t curH = 0;
};

struct SizeRequest {
    SizeOp op = SizeOp::Size;
    std::string name;
    float width = 0; // wanted size: preview pixels (canvas pixels when the scale is not positive)
    float height = 0;
    bool portrait = false; // the caller's portrait flag (ignored by BaseSize)
    bool force640x480 = false;
    bool canvasUnits = false; // BaseSize only
};

struct SizeContext {
    float scale = 0; // preview pixels per canvas pixel
    bool liveMode = false;
    bool swapCanvasSize = false;
    int taskBarHeight = 0;
    int docImageWidth = 0;
    int docImageHeight = 0;
    int screenWidth = 0; // primary screen
    int screenHeight = 0;
};

struct SizeResult {
    bool apply = false; // set the item scale below
    bool unusable = false; // the reference size stayed 0 or negative: nothing changes (log it)
    bool reportUnscaled = false; // the scale is not positive: print the unscaled line
    double refW = 0;  // reference size used
    double refH = 0;
    float scaleX = 0;
    float scaleY = 0;
    int reads = 0; // how many times the sizes were read
};

// Reference size and item scale. `readSizes` is called for each computation of the reference
// row (libobs may change an asynchronous source's size in between); after five zero results
// (ten for BaseSize) the screen-size fallback row applies.
SizeResult computeItemScale(const SizeRequest& request, const SizeContext& context,
                            const std::function<SourceSizes()>& readSizes);

} // namespace geometry
