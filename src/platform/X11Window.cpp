#include "platform/X11Window.h"

#include "platform/ObsPlatform.h"

#include <QDebug>
#include <QGuiApplication>
#include <QScreen>
#include <QX11Info>

#include <X11/Xlib.h>
#include <xcb/xcb.h>


namespace platform {
namespace {
// Xlib calls the handler on the thread whose request it answers, so the last error and the traps
// set are kept per thread: libobs' own connection, used from its threads, cannot spoil a trap.
thread_local int g_lastErrorCode = 0;
thread_local int g_trapDepth = 0;

int logX11Error(Display* display, XErrorEvent* event)
{
    g_lastErrorCode = event->error_code;
    if (g_trapDepth > 0)
        return 0;
    char text[256] = {0};
    XGetErrorText(display, event->error_code, text, sizeof(text) - 1);
    qWarning().nospace() << "X error " << int(event->error_code) << " (" << text << ") request "
                         << int(event->request_code) << " resource 0x" << Qt::hex << event->resourceid;
    return 0;
}

Display* display() { return static_cast<Display*>(obsX11Display()); }
} // namespace

void installX11ErrorHandler()
{
    XSetErrorHandler(logX11Error);
}

X11ErrorTrap::X11ErrorTrap(void* display) : display_(display)
{
    installX11ErrorHandler();
    if (display_)
        XSync(static_cast<Display*>(display_), False);
    ++g_trapDepth;
    g_lastErrorCode = 0;
}

X11ErrorTrap::~X11ErrorTrap()
{
    if (display_)
        XSync(static_cast<Display*>(display_), False);
    --g_trapDepth;
}

int X11ErrorTrap::errorCode()
{
    if (display_)
        XSync(static_cast<Display*>(display_), False);
    return g_lastErrorCode;
}

void X11ErrorTrap::reset()
{
    if (display_)
        XSync(static_cast<Display*>(display_), False);
    g_lastErrorCode = 0;
}

bool nativeClientSize(quintptr window, int* width, int* height)
{
    *width = 0;
    *height = 0;
    Display* d = display();
    if (!d || window == 0)
        return false;
    X11ErrorTrap trap(d);
    XWindowAttributes attrs;
    const Status ok = XGetWindowAttributes(d, static_cast<Window>(window), &attrs);
    if (!ok || trap.failed())
        return false;
    *width = attrs.width;
    *height = attrs.height;
    return true;
}

bool isNativeWindow(quintptr window)
{
    int w = 0, h = 0;
    return nativeClientSize(window, &w, &h);
}

bool watchCovering(quintptr window)
{
    Display* d = QX11Info::isPlatformX11() ? QX11Info::display() : nullptr;
    if (!d || window == 0)
        return false;
    X11ErrorTrap trap(d);
    XWindowAttributes attrs;
    if (!XGetWindowAttributes(d, static_cast<Window>(window), &attrs) || trap.failed())
        return false;
    XSelectInput(d, static_cast<Window>(window), attrs.your_event_mask | VisibilityChangeMask);
    return !trap.failed();
}

bool coveringReport(void* xcbEvent, quintptr* window, bool* covered)
{
    auto* event = static_cast<xcb_generic_event_t*>(xcbEvent);
    if (!event || (event->response_type & 0x7f) != XCB_VISIBILITY_NOTIFY)
        return false;
    auto* visibility = reinterpret_cast<xcb_visibility_notify_event_t*>(event);
    *window = visibility->window;
    *covered = visibility->state == XCB_VISIBILITY_FULLY_OBSCURED;
    return true;
}

void primaryScreenSize(int* width, int* height)
{
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        if (QScreen* screen = QGuiApplication::primaryScreen()) {
            const qreal dpr = screen->devicePixelRatio();
            *width = qRound(screen->size().width() * dpr);
            *height = qRound(screen->size().height() * dpr);
            return;
        }
    }
    if (Display* d = display()) {
        *width = DisplayWidth(d, DefaultScreen(d));
        *height = DisplayHeight(d, DefaultScreen(d));
        return;
    }
    *width = 0;
    *height = 0;
}

} // namespace platform
