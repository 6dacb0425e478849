#include "engine/capture/ScreenCaptureEngine.h"

#include "core/ServiceConstants.h"
#include "engine/capture/ScreenCaptureX11.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QPainter>

#include <iostream>

std::string renderThumbnail(const QImage& source, int width, int height)
{
    if (width <= 0 || height <= 0)
        return {};
    QImage target(width, height, QImage::Format_ARGB32);
    target.fill(QColor::fromRgba(0x00FFFFFF));
    const int sw = source.width();
    const int sh = source.height();
    // A failed grab (no pixels, or a monitor whose mode could not be read) stays the blank picture:
    // its ratios would divide by zero.
    if (!source.isNull() && sw > 0 && sh > 0) {
        const float rs = float(sw) / float(sh);
        const float rt = float(width) / float(height);
        QRect place;
        if (rs >= rt) {
            const float s = float(width) / float(sw);
            const int gap = int(float(height) - float(sh) * s);
            place = QRect(0, gap / 2, width, height - gap);
        } else {
            const float s = float(height) / float(sh);
            const int gap = int(float(width) - float(sw) * s);
            place = QRect(gap / 2, 0, width - gap, height);
        }
        QPainter painter(&target);
        painter.drawImage(place, source);
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    target.save(&buffer, "PNG");
    return std::string(png.constData(), size_t(png.size()));
}

namespace capture {

WindowRule windowRule(const platform::X11WindowProperties& w, qint64 ownPid, const QStringList& excluded)
{
    if (!w.viewable && !w.iconic)
        return kNotShown;
    constexpr quint32 kAllDesktops = 0xFFFFFFFFu;
    if (w.hasDesktop && w.hasCurrentDesktop && w.desktop != kAllDesktops && w.desktop != w.currentDesktop)
        return kOtherDesktop;
    if (w.transient)
        return kTransient;
    if (!w.hasClass)
        return kNoClass;
    if (w.desktopOrDock || w.overrideRedirect)
        return kDesktopOrDock;
    if (!w.exePath.empty()) {
        const QString path = QString::fromStdString(w.exePath);
        for (const QString& name : excluded)
            if (path.contains(name, Qt::CaseSensitive))
                return kExcludedProcess;
    }
    if (w.hasPid && w.pid == ownPid)
        return kOwnProcess;
    if (w.title.empty())
        return kNoTitle;
    return kListed;
}

std::vector<MonitorInfo> monitorList(const std::vector<std::optional<platform::X11Monitor>>& entries)
{
    std::vector<MonitorInfo> out;
    bool primarySeen = false;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (!entries[i])
            continue;
        const platform::X11Monitor& m = *entries[i];
        MonitorInfo info;
        info.handle = m.handle;
        info.index = int32_t(i);
        info.left = m.rect.x();
        info.right = m.rect.x() + m.rect.width();
        info.top = m.rect.y();
        info.bottom = m.rect.y() + m.rect.height();
        // One primary at most, as the server should have said.
        info.primary = m.primary && !primarySeen;
        primarySeen = primarySeen || info.primary;
        out.push_back(info);
    }
    if (!primarySeen && !out.empty())
        out.front().primary = true;
    return out;
}

void updateDesktopOrigin(const std::vector<MonitorInfo>& monitors, int32_t* x, int32_t* y)
{
    for (const MonitorInfo& m : monitors) {
        if (m.left < *x) {
            *x = m.left;
            *y = m.top;
        } else if (m.left == *x && m.top < *y) {
            *y = m.top;
        }
    }
}

} // namespace capture

class ScreenCaptureEngine::ScreenCaptureEngineImpl
{
public:
    std::vector<MonitorInfo> monitors_;
    std::vector<WindowInfo> windows_;
    // Kept for the placement of off-screen helpers; starts at (0, 0) and only moves left or up.
    int32_t desktop_x_ = 0;
    int32_t desktop_y_ = 0;
};

ScreenCaptureEngine::ScreenCaptureEngine() : impl_(std::make_shared<ScreenCaptureEngineImpl>()) {}

ScreenCaptureEngine::~ScreenCaptureEngine() = default;

const std::vector<MonitorInfo>* ScreenCaptureEngine::getScreens()
{
    impl_->monitors_ = capture::monitorList(platform::readX11Monitors());
    capture::updateDesktopOrigin(impl_->monitors_, &impl_->desktop_x_, &impl_->desktop_y_);
    std::cout << "desktop_x_: " << impl_->desktop_x_ << "\n"
              << "desktop_y_: " << impl_->desktop_y_ << std::endl;
    return &impl_->monitors_;
}

std::string ScreenCaptureEngine::getScreenThumbnail(const MonitorInfo& monitor, int width, int height)
{
    // No X connection, no monitors: nothing to picture. A grab that fails is the blank picture.
    if (!platform::captureDisplay())
        return {};
    ScreenCaptureX11 grabber(true);
    const auto frame = grabber.captureScreen(monitor);
    QImage picture;
    if (frame)
        picture = QImage(frame->data(), int(frame->width()), int(frame->height()), int(frame->width()) * 4,
                         QImage::Format_ARGB32_Premultiplied);
    return renderThumbnail(picture, width, height);
}

const std::vector<WindowInfo>* ScreenCaptureEngine::getWindows()
{
    auto& windows = impl_->windows_;
    windows.clear();
    const qint64 ownPid = QCoreApplication::applicationPid();
    for (unsigned long id : platform::x11WindowsTopFirst()) {
        platform::X11WindowProperties props;
        if (!platform::readX11WindowProperties(id, &props))
            continue;
        if (capture::windowRule(props, ownPid, EXCLUDE_PROCESS_LIST()) != capture::kListed)
            continue;
        QRect area;
        // Gone since it was read.
        if (!platform::x11WindowFrameRect(id, &area))
            continue;
        WindowInfo info;
        info.hwnd = id;
        info.icon = platform::x11WindowIcon(id);
        info.title = props.title;
        info.left = area.x();
        info.right = area.x() + area.width();
        info.top = area.y();
        info.bottom = area.y() + area.height();
        windows.push_back(std::move(info));
    }
    return &windows;
}

std::string ScreenCaptureEngine::getWindowThumbnail(const WindowInfo& window, int width, int height)
{
    if (width <= 0 || height <= 0)
        return {};
    ScreenCaptureX11 grabber(true);
    const auto frame = grabber.captureWindow(window.hwnd);
    if (!frame)
        return {};
    const QImage picture(frame->data(), int(frame->width()), int(frame->height()), int(frame->width()) * 4,
                         QImage::Format_ARGB32_Premultiplied);
    // The picture fills the target, whatever the window's shape.
    return renderThumbnail(picture.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation), width,
                           height);
}

std::string ScreenCaptureEngine::windowTitle(unsigned long window) { return platform::x11WindowTitle(window); }

std::string ScreenCaptureEngine::currentTitle(unsigned long window) { return windowTitle(window); }
