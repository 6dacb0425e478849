#pragma once
// The grabbing capture of this platform: reads pixels from the X server.
//
// captureRect and captureScreen read the root window (the screen as shown, without the mouse
// cursor); captureWindow reads the window's own pixels, from its composite pixmap when it is
// redirected, so windows above it don't show. Frames are BGRA; those of one-shot grabs and of
// screen captures come from the buffer pool. The X server can't leave windows out of a screen
// grab, so the exclusion list is kept but has no effect.

#include "engine/capture/ScreenCapture.h"

#include <QRect>

class ScreenCaptureX11 : public ScreenCapture
{
public:
    // A one-shot object (pooled frames) serves single grabs, such as a window's picture.
    explicit ScreenCaptureX11(bool oneShot = false);
    ~ScreenCaptureX11() override;

    std::shared_ptr<VideoFrame> captureWindow(const unsigned long& window) override;
    std::shared_ptr<VideoFrame> captureScreen(const MonitorInfo& monitor) override;
    // One grab of a rectangle of the screen, without the cursor.
    std::shared_ptr<VideoFrame> captureRect(const QRect& rect);

private:
    std::shared_ptr<VideoFrame> toFrame(const platform::X11Pixels& pixels, bool pooled) const;

    const bool one_shot_;
};
