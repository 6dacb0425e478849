#pragma once
// A capture engine with lists set by the test: monitors and windows as given, each picture a PNG of
// one colour made with QImage, and the window titles the test changes "behind the picker's back".
// Counts what is asked of it. Install with FakeCaptureEngine::install(), which makes the share
// picker take this engine until the returned guard goes.

#include "engine/capture/ScreenCaptureEngine.h"

#include <QColor>
#include <QMap>

#include <memory>
#include <string>
#include <vector>

class FakeCaptureEngine : public ScreenCaptureEngine
{
public:
    const std::vector<MonitorInfo>* getScreens() override;
    std::string getScreenThumbnail(const MonitorInfo& monitor, int width, int height) override;
    const std::vector<WindowInfo>* getWindows() override;
    std::string getWindowThumbnail(const WindowInfo& window, int width, int height) override;
    std::string currentTitle(unsigned long window) override;

    // PNG bytes of a width x height picture of one colour.
    static std::string png(const QColor& colour, int width, int height);

    // A window with id 100 + its position, its title and a colour for its picture.
    void addWindow(const std::string& title, const QColor& colour = Qt::green);
    void setWindowCount(int count); // windows "w0", "w1"... with ids 100, 101...

    std::vector<MonitorInfo> monitors;
    std::vector<WindowInfo> windows;
    QMap<unsigned long, QColor> colours;
    QMap<unsigned long, std::string> titlesNow; // current titles that differ from the listing
    QColor screenColour = Qt::red;

    int windowListings = 0;
    int windowThumbnails = 0;
    int screenThumbnails = 0;

    // The picker's engine is this one until the guard is destroyed.
    struct Installed {
        ~Installed();
    };
    static std::unique_ptr<Installed> install(std::shared_ptr<FakeCaptureEngine> engine);

private:
    std::vector<WindowInfo> listed_;
};
