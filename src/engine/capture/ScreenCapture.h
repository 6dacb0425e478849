#pragma once
// Continuous capture of one monitor or one window on a thread of its own, and the interface of the
// one-shot grabs.
//
// ScreenCapture runs the capture thread: it grabs through the virtual captureScreen or
// captureWindow (empty in this base) about every 100 ms after a frame, 200 ms after a failed grab,
// and hands frames to the sink, held weakly. A window capture whose window is gone tells the sink
// once (onCaptureStopped(0)) and its thread ends; the capture still counts as running until stop(),
// so a new start is ignored until then. The sink is called on the capture thread.
//
// A class that grabs must call stop() in its own destructor: the base destructor runs after the
// derived part is gone, while the thread may still be inside one of its grabs.

#include "engine/capture/ScreenCaptureEngine.h"
#include "engine/capture/VideoFrame.h"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class CaptureSink
{
public:
    virtual ~CaptureSink() = default;
    virtual void onFrame(std::shared_ptr<VideoFrame> frame) = 0;
    virtual void onCaptureStopped(int code) = 0;
};

// The caller's settings of a continuous capture; kept with the capture, not read by it.
struct CaptureOptions {
    int frameRate = 10;
    bool showCursor = true;
};

class ScreenCapture
{
public:
    ScreenCapture() = default;
    virtual ~ScreenCapture();
    ScreenCapture(const ScreenCapture&) = delete;
    ScreenCapture& operator=(const ScreenCapture&) = delete;

    // Both are ignored while a capture runs.
    virtual void startScreen(const MonitorInfo& monitor, const CaptureOptions& options);
    // Brings the window to the front (de-iconified) first.
    virtual void startWindow(const WindowInfo& window, const CaptureOptions& options);
    // Returns once the capture thread has ended.
    virtual void stop();
    virtual void setSink(std::shared_ptr<CaptureSink> sink);
    // Windows to leave out of grabs, where the grabbing class can.
    virtual void setExcludeWindows(const std::vector<unsigned long>& windows);

    virtual std::shared_ptr<VideoFrame> captureWindow(const unsigned long& window);
    virtual std::shared_ptr<VideoFrame> captureScreen(const MonitorInfo& monitor);

    bool isRunning() const { return running_; }

protected:
    // Whether the window of a window capture still exists (checked before every grab).
    virtual bool windowExists(unsigned long window);
    // Brings a window to the front before a window capture starts.
    virtual void raiseWindow(unsigned long window);
    std::vector<unsigned long> excludeWindows() const;
    bool screenMode() const { return screen_mode_; }

private:
    void run();
    std::shared_ptr<CaptureSink> sink() const;

    MonitorInfo monitor_;
    WindowInfo window_;
    CaptureOptions options_;
    bool screen_mode_ = false;
    // Written by the starting thread, read by the capture thread at every turn.
    std::atomic<bool> running_{false};
    std::thread thread_;

    mutable std::mutex mutex_; // guards what follows, and wakes the thread's pause on stop
    std::condition_variable wake_;
    std::weak_ptr<CaptureSink> sink_;
    std::vector<unsigned long> exclude_windows_;
};
