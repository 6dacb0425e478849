#include "canvas/CameraOverlayHandler.h"

#include <algorithm>
#include <cmath>

namespace
{

// The preview's factors: preview pixels per canvas unit.
struct Factors {
    float sx = 0;
    float sy = 0;
};

bool usable(const CameraOverlayHandler::Scene& scene)
{
    return scene.cameraRead && scene.preview.width() > 0 && scene.preview.height() > 0 &&
           scene.canvas.width() > 0 && scene.canvas.height() > 0;
}

Factors factors(const CameraOverlayHandler::Scene& scene)
{
    return {float(scene.preview.width()) / float(scene.canvas.width()),
            float(scene.preview.height()) / float(scene.canvas.height())};
}

// The engine's preview scale; while a share sets up its display it reads 0, and the preview's
// own factor stands in.
float previewScale(const CameraOverlayHandler::Scene& scene)
{
    if (scene.previewScale < 1e-10f)
        return float(scene.preview.width()) / float(scene.canvas.width());
    return scene.previewScale;
}

bool isShare(CameraOverlayHandler::Handling h)
{
    return h != CameraOverlayHandler::Handling::Document;
}

void add(CameraOverlayHandler::Result& r, CameraOverlayHandler::EngineCall::Op op, float a, float b)
{
    r.calls.push_back({op, a, b});
}

// The portrait column's fixed width steps per mouse-move event (preview pixels; a mirrored camera
// has a negative width). `back`: the pointer moves left (left and right edges) or up.
int portraitStep(CameraOverlayHandler::Edge e, bool mirrored, bool back)
{
    using H = CameraOverlayHandler;
    switch (e) {
    case H::Left:
        return back ? 20 : -20;
    case H::Right:
        return mirrored ? (back ? -20 : 3) : (back ? -3 : 20);
    case H::Top:
        return mirrored ? (back ? -20 : 2) : (back ? 20 : -2);
    case H::Bottom:
        return mirrored ? (back ? 2 : -20) : (back ? -2 : 20);
    }
    return 0;
}

// The portrait column's lower limits; false refuses the step. A few of them raise the size
// instead of refusing it.
bool portraitLowerLimits(CameraOverlayHandler::Edge e, bool mirrored, bool maximized, float& width, float& height)
{
    using H = CameraOverlayHandler;
    if (maximized) {
        if (height < 20)
            return false;
        if (!mirrored)
            return width >= 35;
        if (e == H::Left || e == H::Top)
            return std::abs(width) >= 35;
        return width <= -160;
    }
    if (mirrored) {
        if (e == H::Left)
            return height >= 25;
        return height >= 26 && width <= -162;
    }
    switch (e) {
    case H::Left:
        width = std::max(width, 168.0f);
        height = std::max(height, 34.0f);
        return true;
    case H::Top:
        return height >= 34 && width >= 168;
    case H::Right:
        return height >= 20 && width >= 35;
    case H::Bottom:
        if (height < 20)
            height = 34;
        width = std::max(width, 168.0f);
        return true;
    }
    return false;
}

} // namespace

CameraOverlayHandler::Result CameraOverlayHandler::press(const Scene& scene, const QPoint& p,
                                                         Qt::MouseButton button)
{
    Result r;
    r.consumed = scene.handling == Handling::Portrait;
    m_lastPrePoint = p;
    if (usable(scene))
        hitTest(scene, p, r);
    if (button == Qt::RightButton && scene.menuAllowed) {
        r.openMenu = true;
        r.consumed = true;
    }
    return r;
}

void CameraOverlayHandler::hitTest(const Scene& scene, const QPoint& p, Result& r)
{
    const Factors f = factors(scene);
    const int L = int(float(scene.x) * f.sx);
    const int T = int(float(scene.y) * f.sy);
    const int W = int(scene.w * f.sx);
    const int H = int(scene.h * f.sy);
    // A mirrored camera's width is negative: its rectangle lies left of L.
    const int left = W < 0 ? L + W : L;
    const int top = H < 0 ? T + H : T;
    const bool inside =
        p.x() >= left && p.x() < left + std::abs(W) && p.y() >= top && p.y() < top + std::abs(H);
    if (!inside) {
        m_moving = false;
        return;
    }

    const int b = scene.handling == Handling::Portrait ? kPortraitBand : kBand;
    const float R = float(L) + scene.w * f.sx;
    const float B = float(T) + scene.h * f.sy;
    const float px = float(p.x());
    const float py = float(p.y());
    r.setsCursor = true;
    if (L - b < p.x() && p.x() <= L + b) {
        m_edges[Left] = true;
        r.cursor = Qt::SizeHorCursor;
    } else if (T - b < p.y() && p.y() <= T + b) {
        m_edges[Top] = true;
        r.cursor = Qt::SizeVerCursor;
    } else if (R - float(b) <= px && px < R + float(b)) {
        m_edges[Right] = true;
        r.cursor = Qt::SizeHorCursor;
    } else if (B - float(b) <= py && py < B + float(b)) {
        m_edges[Bottom] = true;
        r.cursor = Qt::SizeVerCursor;
    } else {
        m_movePoint = p;
        m_edges[Left] = m_edges[Top] = m_edges[Right] = m_edges[Bottom] = false;
        m_moving = true;
        r.cursor = Qt::ArrowCursor;
    }
}

CameraOverlayHandler::Result CameraOverlayHandler::move(const Scene& scene, const QPoint& p,
                                                        Qt::MouseButtons buttons)
{
    Result r;
    r.consumed = scene.handling == Handling::Portrait;
    if (buttons != Qt::LeftButton || !usable(scene))
        return r;
    if (anyEdge()) {
        bool stepped = false;
        switch (scene.handling) {
        case Handling::LandscapeShare:
            stepped = resizeLandscape(scene, p, r);
            break;
        case Handling::Document:
            stepped = resizeDocument(scene, p, r);
            break;
        case Handling::Portrait:
            stepped = resizePortrait(scene, p, r);
            break;
        }
        if (!stepped)
            return r;
        m_lastPrePoint = p;
    } else if (m_moving) {
        moveOverlay(scene, p, r);
        if (r.calls.empty())
            return r;
    } else {
        return r;
    }
    r.hideCameraMenus = isShare(scene.handling);
    return r;
}

void CameraOverlayHandler::moveOverlay(const Scene& scene, const QPoint& p, Result& r)
{
    const Factors f = factors(scene);
    const QPoint d = m_movePoint - p;
    const float pw = float(scene.preview.width());
    const float ph = float(scene.preview.height());
    const bool mirrored = scene.w < 0;

    if (scene.handling == Handling::Document) {
        if (!scene.cameraReadF)
            return;
        const float s = previewScale(scene);
        float nx = s * scene.fx - (float(d.x()) / f.sx) / s;
        float ny = s * scene.fy - (float(d.y()) / f.sy) / s;
        if (!mirrored) {
            nx = std::max(nx, 0.0f);
            ny = std::max(ny, 0.0f);
            if ((nx + scene.fw) * s * f.sx > pw * s)
                nx = (pw * s - s * scene.fw * f.sx) / s / f.sx;
        } else {
            if (nx * s * f.sx > pw * s)
                nx = pw / f.sx;
            if ((nx + scene.fw) * s * f.sx < 0)
                nx = -scene.fw * s;
        }
        if ((ny + scene.fh) * s * f.sy > ph * s)
            ny = (ph * s - s * scene.fh * f.sy) / s / f.sy;
        add(r, EngineCall::PosfAbs, nx, ny);
        m_movePoint = p;
        return;
    }

    // The bounds are judged on the position before this step: one step may overshoot, the next
    // one brings the overlay back inside.
    const float X = float(scene.x) * f.sx;
    const float Y = float(scene.y) * f.sy;
    float nx = 0;
    if (!mirrored) {
        nx = (X - float(d.x())) / f.sx;
        if (X < 0)
            nx = 0;
        if (X + scene.w * f.sx > pw)
            nx = (pw - scene.w * f.sx) / f.sx;
    } else {
        // x is the picture's right edge.
        nx = X - float(d.x());
        if (X > pw)
            nx = pw;
        if (X + scene.w * f.sx < -2)
            nx = -scene.w * f.sx;
        nx /= f.sx;
    }
    float ny = (Y - float(d.y())) / f.sy;
    if (Y < 0)
        ny = 0;
    if (Y + scene.h * f.sy > ph)
        ny = (ph - scene.h * f.sy) / f.sy;
    add(r, EngineCall::Pos, float(int(nx)), float(int(ny)));
    m_movePoint = p;
}

bool CameraOverlayHandler::resizeLandscape(const Scene& scene, const QPoint& p, Result& r) const
{
    const Factors f = factors(scene);
    const bool mirrored = scene.w < 0;
    const float sign = mirrored ? -1.0f : 1.0f;
    float width = 0;
    float height = 0;
    bool moves = false;
    float nx = 0;
    float ny = 0;
    if (m_edges[Left]) {
        const float d = float(p.x() - m_lastPrePoint.x());
        width = scene.w * f.sx - d;
        height = std::abs(width) * 9 / 16;
        moves = true;
        if (!mirrored) {
            nx = std::trunc(float(scene.x) + d * f.sx);
            ny = std::trunc(float(scene.y) + std::abs(d) - 2);
        } else {
            nx = std::trunc(float(scene.x) + d);
            ny = std::trunc(float(scene.y) + d * f.sx);
        }
    } else if (m_edges[Top]) {
        const float d = float(p.y() - m_lastPrePoint.y());
        if (d == 0)
            return false;
        height = scene.h * f.sy - d;
        width = sign * height * 16 / 9;
        moves = true;
        nx = std::trunc((float(scene.x) * f.sx + d) / f.sx);
        ny = std::trunc((float(scene.y) * f.sy + d) / f.sy);
    } else if (m_edges[Right]) {
        const float d = float(p.x() - m_lastPrePoint.x());
        if (d == 0 && !mirrored)
            return false;
        width = scene.w * f.sx + d;
        height = std::abs(width) * 9 / 16;
    } else {
        const float d = float(p.y() - m_lastPrePoint.y());
        if (d == 0)
            return false;
        height = scene.h * f.sy + d;
        width = sign * height * 16 / 9;
    }
    if (!mirrored && (height < 90 || width < 160 || width / f.sx > float(scene.canvas.width() - 10) ||
                      height / f.sy > float(scene.canvas.height() - 10)))
        return false;
    add(r, EngineCall::BaseSize, width / f.sx, height / f.sy);
    if (moves)
        add(r, EngineCall::Pos, nx, ny);
    return true;
}

bool CameraOverlayHandler::resizeDocument(const Scene& scene, const QPoint& p, Result& r) const
{
    const float s = previewScale(scene);
    const bool mirrored = scene.w < 0;
    const float base = scene.w * s;
    // The top and bottom edges step by 2 pixels; no travel counts as moving down.
    const bool down = p.y() >= m_lastPrePoint.y();
    const float flip = mirrored ? -1.0f : 1.0f;
    float width = 0;
    bool limited = true;
    if (m_edges[Left]) {
        const float d = float(p.x() - m_lastPrePoint.x());
        width = base - d;
        limited = false;
        const float height = std::abs(width) * 9 / 16;
        add(r, EngineCall::BaseSize, width, height);
        if (!mirrored)
            add(r, EngineCall::Pos, float(int(float(scene.x) * s + d)), float(int(float(scene.y) * s + d)));
        else
            add(r, EngineCall::PosfAbs, float(scene.x) * s + d, float(scene.y) * s - d);
        return true;
    }
    if (m_edges[Top]) {
        width = base + flip * (down ? -2.0f : 2.0f);
    } else if (m_edges[Right]) {
        const float d = float(p.x() - m_lastPrePoint.x());
        if (d == 0 && !mirrored)
            return false;
        width = base + d;
    } else {
        width = base + flip * (down ? 2.0f : -2.0f);
    }
    const float height = std::abs(width) * 9 / 16;
    if (limited && !mirrored &&
        (height < 90 || width < 160 || width > float(scene.canvas.width() - 10) ||
         height > float(scene.canvas.height() - 10)))
        return false;
    add(r, EngineCall::BaseSize, width, height);
    return true;
}

bool CameraOverlayHandler::resizePortrait(const Scene& scene, const QPoint& p, Result& r) const
{
    // The share label shows the column; without it there is nothing to size against.
    if (scene.shareLabel.isEmpty())
        return false;
    const float CW = float(scene.canvas.width());
    const float CH = float(scene.canvas.height());
    // The canvas's width and height trade places for the column.
    const float fw = float(scene.shareLabel.width()) / CH;
    const float fh = float(scene.shareLabel.height()) / CW;
    const float s = scene.previewScale < 1e-10f ? fw : scene.previewScale;
    const bool mirrored = scene.w < 0;
    const bool maximized = scene.maximized;
    const Edge e = m_edges[Left] ? Left : m_edges[Top] ? Top : m_edges[Right] ? Right : Bottom;

    // A fixed step of the width per event, whatever the travel; only its direction counts.
    const int travel = (e == Left || e == Right) ? p.x() - m_lastPrePoint.x() : p.y() - m_lastPrePoint.y();
    if (travel == 0)
        return false;
    const bool back = travel < 0; // moving left or up
    const int step = portraitStep(e, mirrored, back);
    const int shift = step * 158 / 680;

    const bool byScale = maximized || (!mirrored && (e == Left || e == Right));
    float width = scene.w * (byScale ? s : fw) + float(step);
    float height = 0;
    if (!maximized && (e == Top || e == Bottom))
        height = scene.h * fh + float(e == Top ? -shift : shift);
    else
        height = float(maximized ? scene.shareLabel.width() : scene.shareLabel.height()) * std::abs(width) * 9 /
                 16 / CH;

    if (!portraitLowerLimits(e, mirrored, maximized, width, height))
        return false;
    if (height >= ((!mirrored && e == Right) ? CH - 25 : CW - 25))
        return false;
    if (!mirrored && ((e == Left && !maximized) || e == Right)) {
        if (width / fw > CW - 50)
            return false;
    } else {
        const bool loose = maximized && (mirrored ? (e == Left || e == Top) : e != Right);
        if (std::abs(width) >= (loose ? CH - 5 : CH - 25))
            return false;
    }

    add(r, EngineCall::BaseSize, width, height);
    if (shift != 0 && e != Right) {
        const int dx = e == Left ? -shift : shift;
        add(r, EngineCall::Pos, float(scene.x + dx), float(scene.y + shift));
    }
    return true;
}

CameraOverlayHandler::Result CameraOverlayHandler::release(const Scene& scene)
{
    Result r;
    r.consumed = scene.handling == Handling::Portrait;
    clearGrab();
    r.setsCursor = true;
    r.cursor = Qt::ArrowCursor;
    return r;
}

void CameraOverlayHandler::clearGrab()
{
    m_edges[Left] = m_edges[Top] = m_edges[Right] = m_edges[Bottom] = false;
    m_moving = false;
}
