#include "platform/X11Window.h"

#include "platform/ObsPlatform.h"

#include <QDebug>
#include <QGuiApplication>
#include <QScreen>

#include <X11/Xlib.h>

#include <atomic>

namespace platform {
namespace {
std::atomic<int> g_lastErrorCode{0};

int logX11Error(Display* display, XErrorEvent* event)
{
    char text[256] = {0};
    XGetErrorText(display, event->error_code, text, sizeof(text) - 1);
    g_lastErrorCode = event->error_code;
    qWarning().nospace() << "X error " << int(event->error_code) << " (" << text << ") request "
                         << int(event->request_code) << " resource 0x" << Qt::hex << event->resourceid;
    return 0;
}

Display* display() { return static_cast<Display*>(obsX11Display()); }
} // namespace

void installX11ErrorHandler()
{
    static bool installed = false;
    if (!installed) {
        XSetErrorHandler(logX11Error);
        installed = true;
    }
}

bool nativeClientSize(quintptr window, int* width, int* height)
{
    *width = 0;
    *height = 0;
    Display* d = display();
    if (!d || window == 0)
        return false;
    installX11ErrorHandler();
    XSync(d, False);
    g_lastErrorCode = 0;
    XWindowAttributes attrs;
    const Status ok = XGetWindowAttributes(d, static_cast<Window>(window), &attrs);
    XSync(d, False);
    if (!ok || g_lastErrorCode != 0)
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
