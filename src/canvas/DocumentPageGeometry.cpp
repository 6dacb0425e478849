#include "canvas/DocumentPageGeometry.h"

namespace docpage
{

namespace
{
// Truncation toward zero, as the engine's int operations take their values.
int T(float v)
{
    return static_cast<int>(v);
}

// Nine sixteenths in int arithmetic: the 16:9 partner of a side.
int q9(int n)
{
    return (9 * n) / 16;
}
} // namespace

PageFit fitPage(int pageW, int pageH, int canvasW, int canvasH, float scale)
{
    PageFit fit;
    // A page that did not load is 0 x 0: its ratio would be NaN and the landscape rows divide by
    // its height, so it is placed nowhere.
    if (pageW <= 0 || pageH <= 0 || canvasW <= 0 || canvasH <= 0)
        return fit;

    const float r = float(pageW) / float(pageH);
    const float c = float(canvasW) / float(canvasH);
    const float P = scale;
    fit.call = SizeCall::Size;

    if (pageW < pageH) {
        if (c >= r) {
            const float w = float(q9(canvasW)) * r * P;
            fit.width = T(w);
            fit.height = T(float(canvasH) * P);
            fit.x = T((float(canvasW) - w) * 0.5f);
        } else {
            const float h = float(q9(canvasH)) * r * P;
            fit.width = T(float(canvasW) * P);
            fit.height = T(h);
            fit.y = T((float(canvasH) - h) * 0.5f);
        }
        return fit;
    }

    if (c > r) {
        if (r == 1.0f) {
            const float shown = float(canvasW) * P;
            fit.width = T(shown * 0.5625f);
            fit.height = T(float(canvasH) * P);
            fit.x = T((shown - shown * 0.5625f) * 0.5f);
        } else {
            // A 64-bit product: a page thousands of pixels wide and one high must not overflow.
            const long long m = (static_cast<long long>(canvasH) * pageW) / pageH;
            fit.call = SizeCall::SizeF;
            fit.widthF = float(m) * P;
            fit.heightF = float(canvasH) * P;
            fit.x = T((float(canvasW) * P - float(m) * P) * 0.5f);
        }
    } else if (c == r) {
        fit.width = T(float(canvasW) * P);
        fit.height = T(float(canvasH) * P);
    } else {
        const float k = float(canvasH) / float(pageH);
        const float h = float(q9(canvasW)) / k * P;
        fit.width = T(float(canvasW) * P);
        fit.height = T(h);
        fit.y = T((float(canvasH) - h) * 0.5f);
    }
    return fit;
}

CameraRect defaultCameraRect(int previewWidth, int canvasW, int canvasH, float scale, bool mirror)
{
    const float P = scale;
    int cw = 0;
    int ch = 0;
    if (previewWidth > 0 && canvasW > 0) {
        const float e = float(previewWidth) / float(canvasW);
        cw = T(280.0f / e * P);
        ch = T(280.0f / e * 0.0625f * 9.0f * P);
    }
    CameraRect rect;
    rect.y = float(canvasH - ch) * P;
    rect.height = float(ch) * P;
    if (mirror) {
        rect.x = float(canvasW) * P;
        rect.width = -float(cw) * P;
    } else {
        rect.x = float(canvasW - cw) * P;
        rect.width = float(cw) * P;
    }
    return rect;
}

} // namespace docpage
