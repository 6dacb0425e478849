#pragma once
// Where a document page and the host camera go on the canvas in the document tool. Pure functions
// over plain numbers: the main window reads the page size, the canvas and the engine's preview
// scale, calls these, and hands the result to the engine.
//
// Units follow the engine's operations they feed: the page's size and position are preview pixels
// (scene_set_source_size / _sizef / _pos), the camera rectangle is what the canvas-units forms of
// scene_set_source_base_size and scene_set_source_posf_abs take.

namespace docpage
{

// Which sizing operation places the page.
enum class SizeCall {
    None,  // the page has no size (it did not load): nothing is placed
    Size,  // scene_set_source_size with width x height
    SizeF, // scene_set_source_sizef with widthF x heightF
};

struct PageFit {
    SizeCall call = SizeCall::None;
    int width = 0; // SizeCall::Size
    int height = 0;
    float widthF = 0; // SizeCall::SizeF
    float heightF = 0;
    int x = 0; // scene_set_source_pos, for Size and SizeF alike
    int y = 0;
};

// The page of pageW x pageH pixels fitted to a canvas of canvasW x canvasH at the preview scale
// `scale`. A page or canvas without a positive size gives SizeCall::None.
PageFit fitPage(int pageW, int pageH, int canvasW, int canvasH, float scale);

// The camera overlay's rectangle; all four -1 while the host has not placed it.
struct CameraRect {
    float x = -1;
    float y = -1;
    float width = -1;
    float height = -1;
    bool placed() const { return x != -1; }
};

// Where a fresh overlay goes: 280 preview pixels wide at 16:9 in the canvas's bottom-right corner;
// mirrored, it is drawn leftwards from the right edge (a negative width). A preview without width
// gives an empty rectangle in that corner.
CameraRect defaultCameraRect(int previewWidth, int canvasW, int canvasH, float scale, bool mirror);

} // namespace docpage
