#include "engine/SceneGeometry.h"

#include <algorithm>

namespace geometry {

PreviewFit fitCanvas(int area_w, int area_h, uint32_t base_w, uint32_t base_h)
{
    PreviewFit fit;
    if (base_w == 0 || base_h == 0)
        return fit;
    // An area smaller than its margin has nothing left to show the canvas in; a negative size
    // would give a negative scale that mirrors every position taken from the preview.
    const int W = std::max(0, area_w - 20);
    const int H = std::max(0, area_h - 20);
    const double R = double(base_w) / double(base_h);
    if (double(W) / double(H) > R) {
        fit.width = int(H * R);
        fit.height = H;
        fit.scale = float(H) / float(base_h);
    } else {
        fit.width = W;
        fit.height = int(W / R);
        fit.scale = float(W) / float(base_w);
    }
    fit.x = W / 2 - fit.width / 2;
    fit.y = H / 2 - fit.height / 2;
    fit.shownWidth = int(float(base_w) * fit.scale);
    fit.shownHeight = int(float(base_h) * fit.scale);
    fit.valid = true;
    return fit;
}

Point posToCanvas(int x, int y, float scale, bool liveMode)
{
    if (scale > 0 && !liveMode)
        return {float(int(float(x) / scale)), float(int(float(y) / scale))};
    return {float(x), float(y)};
}

Point posfToCanvas(float x, float y, float scale, bool liveMode, bool portrait, bool canvasUnits)
{
    if (!canvasUnits && scale > 0 && !(liveMode && portrait))
        return {x / scale, y / scale};
    return {x, y};
}

Point clampPos(Point p, int screenWidth)
{
    if (p.x > float(screenWidth))
        p.x = float(screenWidth);
    else if (p.x < 0)
        p.x = 0;
    return p;
}

void positionToPreview(float posX, float posY, float scale, int* x, int* y)
{
    *x = int(float(int(posX)) * scale);
    *y = int(float(int(posY)) * scale);
}

namespace {
struct Ref {
    double w = 0;
    double h = 0;
};

struct Names {
    bool isWindow;       // equal to "window source"
    bool containsWindow; // containing "window source"
    bool isImage;        // equal to "image_source"
    bool containsImage;  // containing "image_source"
};

Ref referenceRow(SizeOp op, bool portrait, const Names& n, const SourceSizes& sz, const SizeContext& c)
{
    const Ref B{double(sz.baseW), double(sz.baseH)};
    const Ref C{double(sz.curW), double(sz.curH)};
    const Ref D{double(c.docImageWidth), double(c.docImageHeight)};
    const Ref S{double(c.screenWidth), double(c.screenHeight)};
    if (op == SizeOp::BaseSize)
        return B;
    if (portrait) {
        if (n.isWindow)
            return {B.h - c.taskBarHeight, B.w};
        if (n.isImage)
            return D;
        return B;
    }
    if (op == SizeOp::Size && n.isWindow)
        return B;
    if (op == SizeOp::SizeF && n.isWindow)
        return C;
    if (op == SizeOp::Share && n.containsWindow)
        return S;
    if (n.containsImage)
        return D;
    return C;
}

Ref fallbackRow(SizeOp op, bool portrait, const Names& n, const SizeContext& c)
{
    const double sw = c.screenWidth;
    const double sh = c.screenHeight;
    const double t = c.taskBarHeight;
    if (op == SizeOp::BaseSize)
        return {sw, sh};
    if (portrait) {
        const bool window = op == SizeOp::Share ? n.containsWindow : n.isWindow;
        if (window)
            return {sh - 2 * t, sw};
        return {sh, sw};
    }
    if (op != SizeOp::Share && n.isWindow)
        return {sw, sh - t};
    return {sw, sh};
}
} // namespace

SizeResult computeItemScale(const SizeRequest& request, const SizeContext& context,
                            const std::function<SourceSizes()>& readSizes)
{
    SizeResult r;
    const std::string& name = request.name;
    const Names names{name == "window source", name.find("window source") != std::string::npos,
                      name == "image_source", name.find("image_source") != std::string::npos};
    const SizeOp op = request.op;
    const bool portrait = op != SizeOp::BaseSize && context.liveMode && request.portrait;

    // libobs may not know an asynchronous source's size yet: ask again a few times, then take the
    // screen as the reference.
    const int lastComputation = op == SizeOp::BaseSize ? 11 : 6;
    Ref ref;
    for (int n = 1; n <= lastComputation; ++n) {
        if (n == lastComputation) {
            ref = fallbackRow(op, portrait, names, context);
        } else {
            ++r.reads;
            ref = referenceRow(op, portrait, names, readSizes(), context);
        }
        if (ref.w != 0 && ref.h != 0)
            break;
    }
    if (request.force640x480)
        ref = {640, 480};
    if (context.swapCanvasSize && op != SizeOp::BaseSize)
        ref = {ref.h, double(int(ref.w))};
    r.refW = ref.w;
    r.refH = ref.h;
    // A reference that is still empty or negative (a portrait window shorter than the task bar)
    // would divide by zero or mirror the item.
    if (ref.w <= 0 || ref.h <= 0) {
        r.unusable = true;
        return r;
    }

    const float s = context.scale;
    if (s > 0) {
        if (op == SizeOp::BaseSize && request.canvasUnits) {
            r.scaleX = float(request.width / ref.w);
            r.scaleY = float(request.height / ref.h);
        } else {
            r.scaleX = float(request.width / s / ref.w);
            r.scaleY = float(request.height / s / ref.h);
        }
        r.apply = true;
        return r;
    }
    r.reportUnscaled = op != SizeOp::BaseSize;
    const char* sizedAlone = op == SizeOp::Share ? "window source" : "camera source";
    if (name == sizedAlone) {
        r.scaleX = float(request.width / ref.w);
        r.scaleY = float(request.height / ref.h);
        r.apply = true;
    }
    return r;
}

} // namespace geometry
