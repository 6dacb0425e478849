#include "canvas/SceneCanvasGeometry.h"

#include <climits>

namespace scenecanvas
{
namespace
{
constexpr float kNineSixteenths = 0.5625f;
constexpr float kSixteenNinths = 1.7777778f;

// Truncation toward zero; a value outside int (or NaN) would be undefined behaviour as a cast.
int T(float v)
{
    if (!(v > float(INT_MIN) && v < float(INT_MAX)))
        return 0;
    return static_cast<int>(v);
}

Placement sized(int width, int height, int x, int y)
{
    Placement p;
    p.call = SizeCall::Size;
    p.width = width;
    p.height = height;
    p.x = x;
    p.y = y;
    return p;
}

Placement sizedF(SizeCall call, float width, float height, int x, int y)
{
    Placement p;
    p.call = call;
    p.widthF = width;
    p.heightF = height;
    p.x = x;
    p.y = y;
    return p;
}

// A picture that did not load has no ratio: it matches no case and is placed nowhere.
bool usable(int iw, int ih, int previewW, int previewH, int canvasW, int canvasH)
{
    return iw > 0 && ih > 0 && previewW > 0 && previewH > 0 && canvasW > 0 && canvasH > 0;
}
} // namespace

TilePixels tilePixels(const PosWeight& rect, int previewW, int previewH)
{
    return {T(rect.x * float(previewW)), T(rect.y * float(previewH)), T(rect.w * float(previewW)),
            T(rect.h * float(previewH))};
}

Placement pictureOnApply(const TilePixels& t, int iw, int ih, int previewW, int previewH, int canvasW,
                         int canvasH, float P)
{
    if (!usable(iw, ih, previewW, previewH, canvasW, canvasH))
        return {};
    const float sx = float(previewW) / float(canvasW);
    const float sy = float(previewH) / float(canvasH);
    const float r = float(iw) / float(ih);
    const float c = float(canvasW) / float(canvasH);
    const float pwx = float(t.pw) / sx;
    const float phy = float(t.ph) / sy;
    const float pxx = float(t.px) / sx;
    const float pyy = float(t.py) / sy;

    if (iw < ih) {
        if (c > r)
            return sized(T(pwx * kNineSixteenths * r * P), T(phy * P),
                         T((pwx - pwx * kNineSixteenths * r * P) * 0.5f + pxx), T(pyy * P));
        const float pwr = float(t.pw) / r;
        return sized(T(pwr * kNineSixteenths * r * P), T(phy * P),
                     T((pwr - pwr * kNineSixteenths * r) * 0.5f + float(t.px) / r), T(pyy * P));
    }
    if (c > r)
        return sizedF(SizeCall::SizeF, phy * r * P, phy * P, T((pwx * P - phy * r * P) * 0.5f + pxx * P),
                      T(pyy * P));
    if (c == r)
        return sized(T(pwx * P), T(phy * P), T((pwx - pwx * P) * 0.5f + pxx), T(pyy * P));
    // Wider than the canvas.
    const float k = float(canvasH) / float(ih);
    const float d = previewW > iw ? float(previewW) / float(iw) : float(iw) / float(previewW);
    const int q = q9(t.pw);
    return sized(T(float(t.pw) * d * P), T(float(q) * d / k * P),
                 T((pwx * P - float(t.pw) * d * P) * 0.5f + pxx * P),
                 T((float(canvasH) - float(q) / k * d * P) * 0.5f));
}

Placement pictureOnPageTurn(const TilePixels& t, int iw, int ih, int previewW, int previewH, int canvasW,
                            int canvasH, float P)
{
    if (!usable(iw, ih, previewW, previewH, canvasW, canvasH))
        return {};
    const float e = float(previewW) / float(canvasW);
    const float g = float(previewH) / float(canvasH);
    const float A = float(iw) / float(previewW);
    const float r = float(iw) / float(ih);
    const float pwe = float(t.pw) / e;
    const float phg = float(t.ph) / g;
    const float pxe = float(t.px) / e;
    const float pyg = float(t.py) / g;

    if (iw < ih) {
        const int width = T(pwe * kNineSixteenths * r * P);
        const int height = T(phg * P);
        if (A < kSixteenNinths)
            return sized(width, height, T((pwe - pwe * kNineSixteenths * r * P) * 0.5f + pxe), T(pyg * P));
        return sized(width, height, T((pwe - pwe * kNineSixteenths * r) * 0.5f + pxe), T(pyg * P));
    }
    if (r < kSixteenNinths)
        return sizedF(SizeCall::SizeF, phg * r * P, phg * P, T((pwe * P - phg * r * P) * 0.5f + pxe * P),
                      T(pyg * P));
    if (r == kSixteenNinths)
        return sized(T(pwe * P), T(phg * P), T(pxe + (pwe - pwe * P) * 0.5f), T(pyg * P));
    const float k = float(canvasH) / float(ih);
    const int q = q9(t.pw);
    return sized(T(float(t.pw) * A * P), T(float(q) * A / k * P),
                 T((pwe * P - float(t.pw) * A * P) * 0.5f + pxe * P),
                 T((float(canvasH) - float(q) / k * A * P) * 0.5f));
}

Placement cameraTile(const TilePixels& t, int previewW, int previewH, int canvasW, int canvasH, bool mirror)
{
    if (previewW <= 0 || previewH <= 0 || canvasW <= 0 || canvasH <= 0)
        return {};
    const float sx = float(previewW) / float(canvasW);
    const float sy = float(previewH) / float(canvasH);
    if (mirror)
        return sizedF(SizeCall::BaseSize, -float(t.pw) / sx, float(t.ph) / sy, T(float(t.px + t.pw) / sx),
                      T(float(t.py) / sy));
    return sized(T(float(t.pw) / sx), T(float(t.ph) / sy), T(float(t.px) / sx), T(float(t.py) / sy));
}

Placement background(int iw, int ih, int labelW, int labelH, int canvasW, int canvasH)
{
    if (iw <= 0 || ih <= 0 || canvasW <= 0 || canvasH <= 0)
        return {};
    const float r = float(iw) / float(ih);
    const float c = float(canvasW) / float(canvasH);
    if (c >= r) {
        const int width = q16(labelH);
        return sized(width, labelH, (labelW - width) / 2, 0);
    }
    const int height = q9(labelW);
    return sized(labelW, height, 0, (labelH - height) / 2);
}

} // namespace scenecanvas
