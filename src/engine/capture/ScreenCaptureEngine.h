#pragma once
// The capture engine: lists the monitors and the shareable top-level windows of the desktop and
// renders a small PNG picture of any one of them, for the share picker.
//
// ScreenCaptureEngine is a thin facade over one implementation object; the lists it hands out are
// its own vectors, refilled in place by each refresh, so a kept pointer stays valid for the
// engine's life. Everything runs on the calling thread (the GUI thread). Without an X connection
// (offscreen) the lists are empty and the pictures blank (monitors) or empty (windows).
//
// The rules that decide what is listed are pure functions below, so they can be checked without a
// desktop; the X11 reading lives in platform/X11Capture.

#include "platform/X11Capture.h"

#include <QImage>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// One monitor. The area's fields run left, right, top, bottom (in that order), in physical
// pixels of the desktop.
struct MonitorInfo {
    quintptr handle = 0; // the server's name for the monitor
    int32_t index = 0;   // position in the server's monitor list, from 0
    int32_t left = 0;
    int32_t right = 0;
    int32_t top = 0;
    int32_t bottom = 0;
    bool primary = false;
};

// One shareable window: its X11 window id, large icon, UTF-8 title (never empty) and its area at
// the last refresh, frame included, as left, right, top, bottom.
struct WindowInfo {
    unsigned long hwnd = 0;
    QImage icon;
    std::string title;
    int32_t left = 0;
    int32_t right = 0;
    int32_t top = 0;
    int32_t bottom = 0;
};

// The PNG bytes of `source` letterboxed into width x height: the source keeps its aspect ratio,
// the bars are transparent white (ARGB 0x00FFFFFF). A null or empty source (a failed grab) gives
// the blank picture; a target without area gives no bytes.
std::string renderThumbnail(const QImage& source, int width, int height);

namespace capture {

// Which rule leaves a window out of the list (0: it is listed). The rules are checked in this
// order; 6 and 7 have no counterpart here.
enum WindowRule {
    kListed = 0,
    kNotShown = 1,        // neither viewable nor iconic
    kOtherDesktop = 2,    // on a virtual desktop that is neither the current one nor all
    kTransient = 3,       // a dialog or helper of another window
    kNoClass = 4,         // no WM_CLASS
    kDesktopOrDock = 5,   // the desktop, a panel, or override-redirect (menus, tooltips)
    kExcludedProcess = 8, // its executable's path holds a name of EXCLUDE_PROCESS_LIST
    kOwnProcess = 9,
    kNoTitle = 10,
};
WindowRule windowRule(const platform::X11WindowProperties& window, qint64 ownPid, const QStringList& excluded);

// The monitor list from the server's entries: an unreadable entry (nullopt) is left out but its
// position is used up, so indexes may skip. Without a primary from the server the first is primary.
std::vector<MonitorInfo> monitorList(const std::vector<std::optional<platform::X11Monitor>>& entries);

// Lowers the desktop origin (x, y) to the monitors': a monitor further left takes both its left and
// top; one at the same left but higher takes its top. Never raises it.
void updateDesktopOrigin(const std::vector<MonitorInfo>& monitors, int32_t* x, int32_t* y);

} // namespace capture

class ScreenCaptureEngine
{
public:
    class ScreenCaptureEngineImpl;

    ScreenCaptureEngine();
    // The operations are virtual so that a test can hand the share picker an engine of its own.
    virtual ~ScreenCaptureEngine();

    // Refills the engine's monitor list and returns it (the same vector every time).
    virtual const std::vector<MonitorInfo>* getScreens();
    // PNG bytes of a width x height picture of the monitor (blank when it can't be read, none without X).
    virtual std::string getScreenThumbnail(const MonitorInfo& monitor, int width, int height);
    // Refills the engine's window list, topmost first, and returns it (the same vector every time).
    virtual const std::vector<WindowInfo>* getWindows();
    // PNG bytes of a width x height picture of the window, which fills the target; empty when the
    // window is not shown or gone.
    virtual std::string getWindowThumbnail(const WindowInfo& window, int width, int height);
    // The window's current title through this engine: windowTitle.
    virtual std::string currentTitle(unsigned long window);

    // The window's whole title in UTF-8, as the list reads it; empty when it has none or is gone.
    static std::string windowTitle(unsigned long window);

private:
    std::shared_ptr<ScreenCaptureEngineImpl> impl_;
};
