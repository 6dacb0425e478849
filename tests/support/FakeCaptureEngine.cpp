#include "support/FakeCaptureEngine.h"

#include "canvas/DesktopShareDialog.h"

#include <QBuffer>
#include <QImage>

const std::vector<MonitorInfo>* FakeCaptureEngine::getScreens() { return &monitors; }

std::string FakeCaptureEngine::getScreenThumbnail(const MonitorInfo&, int width, int height)
{
    ++screenThumbnails;
    return png(screenColour, width, height);
}

const std::vector<WindowInfo>* FakeCaptureEngine::getWindows()
{
    ++windowListings;
    listed_ = windows;
    return &listed_;
}

std::string FakeCaptureEngine::getWindowThumbnail(const WindowInfo& window, int width, int height)
{
    ++windowThumbnails;
    return png(colours.value(window.hwnd, Qt::gray), width, height);
}

std::string FakeCaptureEngine::currentTitle(unsigned long window)
{
    if (titlesNow.contains(window))
        return titlesNow.value(window);
    for (const WindowInfo& w : windows)
        if (w.hwnd == window)
            return w.title;
    return {};
}

std::string FakeCaptureEngine::png(const QColor& colour, int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

void FakeCaptureEngine::addWindow(const std::string& title, const QColor& colour)
{
    WindowInfo info;
    info.hwnd = 100 + windows.size();
    info.title = title;
    info.right = 640;
    info.bottom = 480;
    colours[info.hwnd] = colour;
    windows.push_back(info);
}

void FakeCaptureEngine::setWindowCount(int count)
{
    windows.clear();
    for (int i = 0; i < count; ++i)
        addWindow("w" + std::to_string(i));
}

FakeCaptureEngine::Installed::~Installed()
{
    DesktopShareDialog::s_makeCaptureEngine = [] { return std::make_shared<ScreenCaptureEngine>(); };
}

std::unique_ptr<FakeCaptureEngine::Installed> FakeCaptureEngine::install(std::shared_ptr<FakeCaptureEngine> engine)
{
    DesktopShareDialog::s_makeCaptureEngine = [engine] { return engine; };
    return std::make_unique<Installed>();
}
