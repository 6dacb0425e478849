#include "engine/capture/ScreenCaptureX11.h"

ScreenCaptureX11::ScreenCaptureX11(bool oneShot) : one_shot_(oneShot) {}

// The capture thread may be inside one of this object's grabs: it ends before this part goes.
ScreenCaptureX11::~ScreenCaptureX11() { stop(); }

std::shared_ptr<VideoFrame> ScreenCaptureX11::toFrame(const platform::X11Pixels& pixels, bool pooled) const
{
    if (pixels.isNull())
        return {};
    auto frame = std::make_shared<VideoFrame>(unsigned(pixels.width()), unsigned(pixels.height()),
                                              VideoFrame::kTypeBgra, pooled);
    if (!frame->copyFromBgra(pixels.bits(), pixels.width(), pixels.height(), pixels.stride(), pixels.opaque()))
        return {};
    return frame;
}

std::shared_ptr<VideoFrame> ScreenCaptureX11::captureWindow(const unsigned long& window)
{
    return toFrame(platform::grabX11Window(window), one_shot_);
}

std::shared_ptr<VideoFrame> ScreenCaptureX11::captureScreen(const MonitorInfo& monitor)
{
    const QRect area(QPoint(monitor.left, monitor.top), QPoint(monitor.right - 1, monitor.bottom - 1));
    return toFrame(platform::grabX11Root(area), true);
}

std::shared_ptr<VideoFrame> ScreenCaptureX11::captureRect(const QRect& rect)
{
    return toFrame(platform::grabX11Root(rect), true);
}
