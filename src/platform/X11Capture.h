#pragma once
// What the capture library reads of the X server: monitors (RandR, else Qt's screens), the
// top-level windows with the properties that decide whether one may be shared, their icons and
// titles, and pixels of the root window, of a window or of its composite pixmap.
//
// Everything goes through Qt's X connection: libobs' own is not open before the engine starts.
// Without an X connection (offscreen) every list is empty and every grab fails. Other programs'
// windows are untrusted: each read runs under an X11ErrorTrap (the window may vanish at any moment)
// and each property read is bounded by its length and by a cap of its own.

#include <QImage>
#include <QRect>
#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// Caps on what another program's window may make us read.
constexpr long kMaxTitleBytes = 64 * 1024;
constexpr long kMaxIconPropertyItems = 1024 * 1024; // 32-bit items of _NET_WM_ICON
constexpr int kMaxIconSide = 512;
constexpr int kMaxGrabSide = 8192;

// Qt's Xlib display, null when the application does not run on X11.
void* captureDisplay();

// One monitor as the server reports it, in physical pixels.
struct X11Monitor {
    quintptr handle = 0; // RandR's name atom of the monitor (a QScreen pointer without RandR)
    QRect rect;
    bool primary = false;
};
// The monitors in the server's order; an entry without a usable geometry is nullopt, so the
// position of the others is kept. Without RandR, Qt's screens.
std::vector<std::optional<X11Monitor>> readX11Monitors();

// What decides whether a top-level window is offered for sharing.
struct X11WindowProperties {
    bool viewable = false;
    bool iconic = false;          // WM_STATE Iconic or _NET_WM_STATE_HIDDEN
    bool hasDesktop = false;      // _NET_WM_DESKTOP is set
    quint32 desktop = 0;
    bool hasCurrentDesktop = false; // the root's _NET_CURRENT_DESKTOP is set
    quint32 currentDesktop = 0;
    bool transient = false;       // WM_TRANSIENT_FOR names a window
    bool hasClass = false;        // WM_CLASS has a class name
    bool desktopOrDock = false;   // _NET_WM_WINDOW_TYPE holds DESKTOP or DOCK
    bool overrideRedirect = false;
    bool hasPid = false;          // _NET_WM_PID
    qint64 pid = 0;
    std::string exePath;          // the pid's /proc/<pid>/exe, empty when unreadable
    std::string title;            // UTF-8
};
// The windows to consider, topmost first: _NET_CLIENT_LIST_STACKING, or without a window manager
// the root's children.
std::vector<unsigned long> x11WindowsTopFirst();
// False when the window can't be read (gone, not a window).
bool readX11WindowProperties(unsigned long window, X11WindowProperties* out);
// The window's area on the root in pixels, its frame (_NET_FRAME_EXTENTS) included.
bool x11WindowFrameRect(unsigned long window, QRect* out);
// The largest _NET_WM_ICON (null when none is readable).
QImage x11WindowIcon(unsigned long window);
// _NET_WM_NAME, else WM_NAME by its type, in UTF-8; empty when the window has none or is gone.
std::string x11WindowTitle(unsigned long window);
// The path of a process's executable, empty when it can't be read.
std::string processExePath(qint64 pid);

bool x11WindowExists(unsigned long window);
// Brings a window to the front, de-iconifying it: through the window manager when there is one.
void x11RaiseWindow(unsigned long window);
// Shows a window maximised (asked of the window manager by _NET_WM_STATE, unless it already is
// maximised both ways) and puts it below all others: through the window manager when there is one.
void x11MaximizeAndLower(unsigned long window);

// Pixels of a grab as 32-bit BGRA rows `stride` bytes apart; `opaque` when the source has no alpha
// (the top byte then means nothing).
class X11Pixels
{
public:
    X11Pixels() = default;
    ~X11Pixels();
    X11Pixels(X11Pixels&& other) noexcept;
    X11Pixels& operator=(X11Pixels&& other) noexcept;
    X11Pixels(const X11Pixels&) = delete;
    X11Pixels& operator=(const X11Pixels&) = delete;

    bool isNull() const { return bits_ == nullptr; }
    int width() const { return width_; }
    int height() const { return height_; }
    int stride() const { return stride_; }
    bool opaque() const { return opaque_; }
    const unsigned char* bits() const { return bits_; }

    // Takes an XImage* of a grab (freed with this object); null when its layout can't be read.
    static X11Pixels adopt(void* image, bool opaque);

private:
    void* image_ = nullptr; // XImage*
    std::vector<unsigned char> converted_;
    const unsigned char* bits_ = nullptr;
    int width_ = 0, height_ = 0, stride_ = 0;
    bool opaque_ = true;
};

// A rectangle of the root window (screen pixels, no cursor); null when it is not on the screen.
X11Pixels grabX11Root(const QRect& rect);
// The window's own pixels: its composite pixmap when it is redirected, else the window; null when
// it is not viewable or is gone.
X11Pixels grabX11Window(unsigned long window);

} // namespace platform
