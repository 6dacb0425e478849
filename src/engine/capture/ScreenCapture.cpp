#include "engine/capture/ScreenCapture.h"

#include "platform/X11Capture.h"

#include <chrono>
#include <iostream>

namespace {
constexpr auto kFramePause = std::chrono::milliseconds(100);
constexpr auto kNoFramePause = std::chrono::milliseconds(200);
} // namespace

ScreenCapture::~ScreenCapture() { ScreenCapture::stop(); }

void ScreenCapture::startScreen(const MonitorInfo& monitor, const CaptureOptions& options)
{
    if (running_)
        return;
    running_ = true;
    monitor_ = monitor;
    options_ = options;
    screen_mode_ = true;
    thread_ = std::thread(&ScreenCapture::run, this);
}

void ScreenCapture::startWindow(const WindowInfo& window, const CaptureOptions& options)
{
    if (running_)
        return;
    raiseWindow(window.hwnd);
    running_ = true;
    options_ = options;
    window_ = window;
    screen_mode_ = false;
    thread_ = std::thread(&ScreenCapture::run, this);
}

void ScreenCapture::stop()
{
    if (!running_)
        return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        running_ = false;
    }
    wake_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

void ScreenCapture::setSink(std::shared_ptr<CaptureSink> sink)
{
    std::lock_guard<std::mutex> lock(mutex_);
    sink_ = sink;
}

void ScreenCapture::setExcludeWindows(const std::vector<unsigned long>& windows)
{
    std::lock_guard<std::mutex> lock(mutex_);
    exclude_windows_ = windows;
}

std::vector<unsigned long> ScreenCapture::excludeWindows() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return exclude_windows_;
}

std::shared_ptr<CaptureSink> ScreenCapture::sink() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return sink_.lock();
}

std::shared_ptr<VideoFrame> ScreenCapture::captureWindow(const unsigned long&) { return {}; }

std::shared_ptr<VideoFrame> ScreenCapture::captureScreen(const MonitorInfo&) { return {}; }

bool ScreenCapture::windowExists(unsigned long window) { return platform::x11WindowExists(window); }

void ScreenCapture::raiseWindow(unsigned long window) { platform::x11RaiseWindow(window); }

void ScreenCapture::run()
{
    while (running_) {
        std::shared_ptr<VideoFrame> frame;
        if (screen_mode_) {
            frame = captureScreen(monitor_);
        } else {
            if (!windowExists(window_.hwnd)) {
                if (auto s = sink())
                    s->onCaptureStopped(0);
                return;
            }
            frame = captureWindow(window_.hwnd);
        }
        auto pause = kFramePause;
        if (frame) {
            if (auto s = sink())
                s->onFrame(frame);
        } else {
            std::cout << "video_frame is nullptr" << std::endl;
            pause = kNoFramePause;
        }
        // The period runs from the end of each grab; stop() cuts the pause short.
        const auto due = std::chrono::steady_clock::now() + pause;
        std::unique_lock<std::mutex> lock(mutex_);
        wake_.wait_until(lock, due, [this] { return !running_; });
    }
}
