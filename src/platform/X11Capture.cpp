#include "platform/X11Capture.h"

#include "platform/X11Window.h"

#include <QGuiApplication>
#include <QScreen>
#include <QX11Info>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xcomposite.h>
#include <X11/extensions/Xrandr.h>

#include <unistd.h>

#include <climits>
#include <cstring>
#include <mutex>
#include <unordered_map>

namespace platform {
namespace {

Display* dpy() { return static_cast<Display*>(captureDisplay()); }

Atom atom(Display* d, const char* name)
{
    static std::mutex mutex;
    static std::unordered_map<std::string, Atom> cache;
    std::lock_guard<std::mutex> lock(mutex);
    auto it = cache.find(name);
    if (it != cache.end())
        return it->second;
    const Atom a = XInternAtom(d, name, False);
    cache.emplace(name, a);
    return a;
}

// One property read, at most `maxBytes` of it; the data is freed with the object.
struct Property {
    Atom type = None;
    int format = 0;
    unsigned long items = 0;
    unsigned long bytesAfter = 0;
    unsigned char* data = nullptr;
    ~Property()
    {
        if (data)
            XFree(data);
    }
    // Format-32 items come as longs, whatever the width of long.
    const long* longs() const { return reinterpret_cast<const long*>(data); }
};

bool readProperty(Display* d, Window w, Atom name, long maxBytes, Property* out)
{
    const int rc = XGetWindowProperty(d, w, name, 0, (maxBytes + 3) / 4, False, AnyPropertyType, &out->type,
                                      &out->format, &out->items, &out->bytesAfter, &out->data);
    return rc == Success && out->type != None && out->data && out->items > 0;
}

bool readCardinal(Display* d, Window w, const char* name, quint32* value)
{
    Property p;
    if (!readProperty(d, w, atom(d, name), 4, &p) || p.format != 32)
        return false;
    *value = quint32(p.longs()[0]);
    return true;
}

bool atomListHolds(Display* d, Window w, const char* list, std::initializer_list<const char*> wanted)
{
    Property p;
    if (!readProperty(d, w, atom(d, list), 4096, &p) || p.type != XA_ATOM || p.format != 32)
        return false;
    for (unsigned long i = 0; i < p.items; ++i)
        for (const char* name : wanted)
            if (Atom(p.longs()[i]) == atom(d, name))
                return true;
    return false;
}

// Drops a UTF-8 sequence cut short by the read bound.
void trimCutSequence(std::string* s)
{
    size_t i = s->size();
    size_t continuation = 0;
    while (i > 0 && (static_cast<unsigned char>((*s)[i - 1]) & 0xC0) == 0x80 && continuation < 3) {
        --i;
        ++continuation;
    }
    if (i == 0)
        return;
    const unsigned char lead = static_cast<unsigned char>((*s)[i - 1]);
    const size_t need = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    if (need > continuation)
        s->resize(i - 1);
}

std::string textOf(Display* d, const Property& p)
{
    if (p.format != 8)
        return {};
    // A title ends at its first NUL, as C strings read it.
    const char* bytes = reinterpret_cast<const char*>(p.data);
    std::string raw(bytes, strnlen(bytes, p.items));
    if (p.bytesAfter > 0 && raw.size() == p.items)
        trimCutSequence(&raw);
    if (p.type == atom(d, "UTF8_STRING"))
        return QString::fromUtf8(raw.data(), int(raw.size())).toStdString();
    if (p.type == XA_STRING)
        return QString::fromLatin1(raw.data(), int(raw.size())).toStdString();
    if (p.type == atom(d, "COMPOUND_TEXT")) {
        XTextProperty tp;
        tp.value = p.data;
        tp.encoding = p.type;
        tp.format = 8;
        tp.nitems = raw.size();
        char** list = nullptr;
        int count = 0;
        std::string out;
        if (Xutf8TextPropertyToTextList(d, &tp, &list, &count) >= Success && list && count > 0 && list[0])
            out = QString::fromUtf8(list[0]).toStdString();
        if (list)
            XFreeStringList(list);
        return out;
    }
    return {};
}

std::string titleOf(Display* d, Window w)
{
    {
        Property p;
        if (readProperty(d, w, atom(d, "_NET_WM_NAME"), kMaxTitleBytes, &p)) {
            std::string t = textOf(d, p);
            if (!t.empty())
                return t;
        }
    }
    Property p;
    if (readProperty(d, w, XA_WM_NAME, kMaxTitleBytes, &p))
        return textOf(d, p);
    return {};
}

bool hasWindowManager(Display* d, Window root)
{
    Property p;
    return readProperty(d, root, atom(d, "_NET_SUPPORTING_WM_CHECK"), 4, &p) && p.format == 32 &&
           p.longs()[0] != 0;
}

int maskShift(unsigned long mask)
{
    int shift = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

int maskBits(unsigned long mask)
{
    int bits = 0;
    for (; mask; mask >>= 1)
        bits += int(mask & 1);
    return bits;
}

unsigned char channel(unsigned long pixel, unsigned long mask)
{
    const int bits = maskBits(mask);
    if (bits == 0)
        return 0;
    const unsigned long v = (pixel & mask) >> maskShift(mask);
    return static_cast<unsigned char>(bits >= 8 ? v >> (bits - 8) : v * 255 / ((1ul << bits) - 1));
}

bool compositeAvailable(Display* d)
{
    static std::once_flag once;
    static bool available = false;
    std::call_once(once, [d] {
        int event = 0, error = 0, major = 0, minor = 2;
        available = XCompositeQueryExtension(d, &event, &error) && XCompositeQueryVersion(d, &major, &minor) &&
                    (major > 0 || minor >= 2);
    });
    return available;
}

// A pixmap's image comes without colour masks: `visual`, when given, supplies them.
X11Pixels getImage(Display* d, Drawable drawable, int x, int y, int width, int height, bool opaque,
                   const Visual* visual = nullptr)
{
    if (width <= 0 || height <= 0 || width > kMaxGrabSide || height > kMaxGrabSide)
        return {};
    X11ErrorTrap trap(d);
    XImage* image = XGetImage(d, drawable, x, y, unsigned(width), unsigned(height), AllPlanes, ZPixmap);
    if (trap.failed() || !image) {
        if (image)
            XDestroyImage(image);
        return {};
    }
    if (visual && image->red_mask == 0 && image->green_mask == 0 && image->blue_mask == 0) {
        image->red_mask = visual->red_mask;
        image->green_mask = visual->green_mask;
        image->blue_mask = visual->blue_mask;
    }
    return X11Pixels::adopt(image, opaque);
}

} // namespace

void* captureDisplay()
{
    if (!QX11Info::isPlatformX11())
        return nullptr;
    return QX11Info::display();
}

// ---- monitors ------------------------------------------------------------------------------------

std::vector<std::optional<X11Monitor>> readX11Monitors()
{
    std::vector<std::optional<X11Monitor>> out;
    Display* d = dpy();
    if (!d)
        return out;
    int event = 0, error = 0, major = 0, minor = 0;
    if (XRRQueryExtension(d, &event, &error) && XRRQueryVersion(d, &major, &minor) &&
        (major > 1 || (major == 1 && minor >= 5))) {
        X11ErrorTrap trap(d);
        int count = 0;
        XRRMonitorInfo* monitors = XRRGetMonitors(d, DefaultRootWindow(d), True, &count);
        if (monitors && !trap.failed()) {
            for (int i = 0; i < count; ++i) {
                const XRRMonitorInfo& m = monitors[i];
                if (m.width <= 0 || m.height <= 0) {
                    out.emplace_back(std::nullopt);
                    continue;
                }
                out.emplace_back(X11Monitor{quintptr(m.name), QRect(m.x, m.y, m.width, m.height), m.primary != 0});
            }
        }
        if (monitors)
            XRRFreeMonitors(monitors);
        if (!out.empty())
            return out;
    }
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        for (QScreen* screen : app->screens()) {
            const qreal dpr = screen->devicePixelRatio();
            const QRect g = screen->geometry();
            const QRect physical(qRound(g.x() * dpr), qRound(g.y() * dpr), qRound(g.width() * dpr),
                                 qRound(g.height() * dpr));
            if (physical.isEmpty())
                out.emplace_back(std::nullopt);
            else
                out.emplace_back(
                    X11Monitor{quintptr(screen), physical, screen == QGuiApplication::primaryScreen()});
        }
    }
    return out;
}

// ---- windows -------------------------------------------------------------------------------------

std::vector<unsigned long> x11WindowsTopFirst()
{
    std::vector<unsigned long> out;
    Display* d = dpy();
    if (!d)
        return out;
    const Window root = DefaultRootWindow(d);
    X11ErrorTrap trap(d);
    Property stacking;
    // The stacking list runs bottom to top.
    if (readProperty(d, root, atom(d, "_NET_CLIENT_LIST_STACKING"), 65536 * 4, &stacking) &&
        stacking.format == 32) {
        for (unsigned long i = stacking.items; i > 0; --i)
            out.push_back(static_cast<unsigned long>(stacking.longs()[i - 1]));
        return out;
    }
    Window rootReturn = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(d, root, &rootReturn, &parent, &children, &count) && children) {
        for (unsigned int i = count; i > 0; --i)
            out.push_back(children[i - 1]);
    }
    if (children)
        XFree(children);
    return out;
}

std::string processExePath(qint64 pid)
{
    if (pid <= 0)
        return {};
    char link[64];
    std::snprintf(link, sizeof link, "/proc/%lld/exe", static_cast<long long>(pid));
    char path[PATH_MAX];
    const ssize_t n = readlink(link, path, sizeof path);
    if (n <= 0 || n >= ssize_t(sizeof path))
        return {};
    return std::string(path, size_t(n));
}

bool readX11WindowProperties(unsigned long window, X11WindowProperties* out)
{
    *out = X11WindowProperties();
    Display* d = dpy();
    if (!d || window == 0)
        return false;
    const Window w = window;
    X11ErrorTrap trap(d);
    XWindowAttributes attrs;
    if (!XGetWindowAttributes(d, w, &attrs) || trap.failed())
        return false;
    out->viewable = attrs.map_state == IsViewable;
    out->overrideRedirect = attrs.override_redirect;
    {
        Property state;
        const Atom wmState = atom(d, "WM_STATE");
        out->iconic = (readProperty(d, w, wmState, 8, &state) && state.type == wmState && state.format == 32 &&
                       state.longs()[0] == IconicState) ||
                      atomListHolds(d, w, "_NET_WM_STATE", {"_NET_WM_STATE_HIDDEN"});
    }
    out->hasDesktop = readCardinal(d, w, "_NET_WM_DESKTOP", &out->desktop);
    out->hasCurrentDesktop = readCardinal(d, DefaultRootWindow(d), "_NET_CURRENT_DESKTOP", &out->currentDesktop);
    {
        Property transient;
        out->transient = readProperty(d, w, XA_WM_TRANSIENT_FOR, 4, &transient) && transient.format == 32 &&
                         transient.longs()[0] != 0;
    }
    {
        Property cls;
        if (readProperty(d, w, XA_WM_CLASS, 1024, &cls) && cls.format == 8)
            for (unsigned long i = 0; i < cls.items && !out->hasClass; ++i)
                out->hasClass = cls.data[i] != 0;
    }
    out->desktopOrDock =
        atomListHolds(d, w, "_NET_WM_WINDOW_TYPE", {"_NET_WM_WINDOW_TYPE_DESKTOP", "_NET_WM_WINDOW_TYPE_DOCK"});
    quint32 pid = 0;
    out->hasPid = readCardinal(d, w, "_NET_WM_PID", &pid);
    out->pid = pid;
    if (out->hasPid)
        out->exePath = processExePath(out->pid);
    out->title = titleOf(d, w);
    // The window went away during the reads: what was read may be half of it.
    return !trap.failed();
}

bool x11WindowFrameRect(unsigned long window, QRect* out)
{
    Display* d = dpy();
    if (!d || window == 0)
        return false;
    X11ErrorTrap trap(d);
    XWindowAttributes attrs;
    int x = 0, y = 0;
    Window child = 0;
    if (!XGetWindowAttributes(d, window, &attrs) ||
        !XTranslateCoordinates(d, window, DefaultRootWindow(d), 0, 0, &x, &y, &child) || trap.failed())
        return false;
    long left = 0, right = 0, top = 0, bottom = 0;
    Property extents;
    if (readProperty(d, window, atom(d, "_NET_FRAME_EXTENTS"), 16, &extents) && extents.format == 32 &&
        extents.items >= 4) {
        // Frames are a few pixels wide; anything else is nonsense and ignored.
        auto sane = [](long v) { return v >= 0 && v <= 1000 ? v : 0; };
        left = sane(extents.longs()[0]);
        right = sane(extents.longs()[1]);
        top = sane(extents.longs()[2]);
        bottom = sane(extents.longs()[3]);
    }
    *out = QRect(QPoint(int(x - left), int(y - top)),
                 QPoint(int(x + attrs.width + right - 1), int(y + attrs.height + bottom - 1)));
    return !trap.failed();
}

QImage x11WindowIcon(unsigned long window)
{
    Display* d = dpy();
    if (!d || window == 0)
        return {};
    X11ErrorTrap trap(d);
    Property p;
    if (!readProperty(d, window, atom(d, "_NET_WM_ICON"), kMaxIconPropertyItems * 4, &p) || p.format != 32 ||
        trap.failed())
        return {};
    // Icons follow each other as width, height and width x height ARGB values; only those that fit
    // wholly in what was read count.
    const long* v = p.longs();
    const unsigned long n = p.items;
    unsigned long best = 0, bestArea = 0;
    bool found = false;
    for (unsigned long i = 0; i + 2 <= n;) {
        const unsigned long w = static_cast<unsigned long>(v[i]) & 0xFFFFFFFFul;
        const unsigned long h = static_cast<unsigned long>(v[i + 1]) & 0xFFFFFFFFul;
        if (w == 0 || h == 0 || w > unsigned(kMaxIconSide) || h > unsigned(kMaxIconSide) || w * h > n - i - 2)
            break;
        if (w * h > bestArea) {
            bestArea = w * h;
            best = i;
            found = true;
        }
        i += 2 + w * h;
    }
    if (!found)
        return {};
    const int w = int(v[best]), h = int(v[best + 1]);
    QImage icon(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<quint32*>(icon.scanLine(y));
        for (int x = 0; x < w; ++x)
            line[x] = quint32(v[best + 2 + unsigned(y) * unsigned(w) + unsigned(x)]);
    }
    return icon;
}

std::string x11WindowTitle(unsigned long window)
{
    Display* d = dpy();
    if (!d || window == 0)
        return {};
    X11ErrorTrap trap(d);
    std::string title = titleOf(d, window);
    return trap.failed() ? std::string() : title;
}

bool x11WindowExists(unsigned long window)
{
    Display* d = dpy();
    if (!d || window == 0)
        return false;
    X11ErrorTrap trap(d);
    XWindowAttributes attrs;
    return XGetWindowAttributes(d, window, &attrs) && !trap.failed();
}

void x11RaiseWindow(unsigned long window)
{
    Display* d = dpy();
    if (!d || window == 0)
        return;
    X11ErrorTrap trap(d);
    const Window root = DefaultRootWindow(d);
    if (hasWindowManager(d, root)) {
        // A pager's request (source 2): the window manager de-iconifies, raises and focuses it.
        XEvent e;
        std::memset(&e, 0, sizeof e);
        e.xclient.type = ClientMessage;
        e.xclient.window = window;
        e.xclient.message_type = atom(d, "_NET_ACTIVE_WINDOW");
        e.xclient.format = 32;
        e.xclient.data.l[0] = 2;
        e.xclient.data.l[1] = CurrentTime;
        XSendEvent(d, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
    } else {
        XMapRaised(d, window);
    }
    XFlush(d);
}

void x11MaximizeAndLower(unsigned long window)
{
    Display* d = dpy();
    if (!d || window == 0)
        return;
    X11ErrorTrap trap(d);
    const Window root = DefaultRootWindow(d);
    auto sendToRoot = [&](const char* type, std::initializer_list<long> data) {
        XEvent e;
        std::memset(&e, 0, sizeof e);
        e.xclient.type = ClientMessage;
        e.xclient.window = window;
        e.xclient.message_type = atom(d, type);
        e.xclient.format = 32;
        int i = 0;
        for (long v : data)
            e.xclient.data.l[i++] = v;
        XSendEvent(d, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &e);
    };
    const bool maximized = atomListHolds(d, window, "_NET_WM_STATE", {"_NET_WM_STATE_MAXIMIZED_VERT"}) &&
                           atomListHolds(d, window, "_NET_WM_STATE", {"_NET_WM_STATE_MAXIMIZED_HORZ"});
    if (!maximized) {
        XWindowAttributes attrs;
        // An iconified window is shown again, as showing it maximised implies.
        if (XGetWindowAttributes(d, window, &attrs) && attrs.map_state != IsViewable)
            XMapWindow(d, window);
        constexpr long kAdd = 1, kSourcePager = 2;
        sendToRoot("_NET_WM_STATE", {kAdd, long(atom(d, "_NET_WM_STATE_MAXIMIZED_VERT")),
                                     long(atom(d, "_NET_WM_STATE_MAXIMIZED_HORZ")), kSourcePager});
    }
    if (hasWindowManager(d, root)) {
        // The client sits inside the manager's frame: only the manager can restack the frame.
        constexpr long kSourcePager = 2, kBelow = 1;
        sendToRoot("_NET_RESTACK_WINDOW", {kSourcePager, long(None), kBelow});
    } else {
        XLowerWindow(d, window);
    }
    XFlush(d);
}

// ---- pixels --------------------------------------------------------------------------------------

X11Pixels::~X11Pixels()
{
    if (image_)
        XDestroyImage(static_cast<XImage*>(image_));
}

X11Pixels::X11Pixels(X11Pixels&& other) noexcept { *this = std::move(other); }

X11Pixels& X11Pixels::operator=(X11Pixels&& other) noexcept
{
    if (this != &other) {
        if (image_)
            XDestroyImage(static_cast<XImage*>(image_));
        image_ = other.image_;
        converted_ = std::move(other.converted_);
        bits_ = other.bits_;
        width_ = other.width_;
        height_ = other.height_;
        stride_ = other.stride_;
        opaque_ = other.opaque_;
        other.image_ = nullptr;
        other.bits_ = nullptr;
        other.width_ = other.height_ = other.stride_ = 0;
    }
    return *this;
}

X11Pixels X11Pixels::adopt(void* xImage, bool opaque)
{
    X11Pixels px;
    auto* image = static_cast<XImage*>(xImage);
    px.image_ = image;
    px.width_ = image->width;
    px.height_ = image->height;
    px.opaque_ = opaque;
    const bool bgra = image->bits_per_pixel == 32 && image->byte_order == LSBFirst &&
                      image->red_mask == 0xFF0000 && image->green_mask == 0xFF00 && image->blue_mask == 0xFF;
    if (bgra && image->bytes_per_line >= 4 * image->width) {
        px.bits_ = reinterpret_cast<const unsigned char*>(image->data);
        px.stride_ = image->bytes_per_line;
        return px;
    }
    if (image->red_mask == 0 || image->green_mask == 0 || image->blue_mask == 0)
        return {};
    // Any other layout is turned into BGRA pixel by pixel.
    px.stride_ = 4 * px.width_;
    px.converted_.resize(size_t(px.stride_) * size_t(px.height_));
    for (int y = 0; y < px.height_; ++y) {
        unsigned char* row = px.converted_.data() + size_t(y) * size_t(px.stride_);
        for (int x = 0; x < px.width_; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            row[4 * x + 0] = channel(pixel, image->blue_mask);
            row[4 * x + 1] = channel(pixel, image->green_mask);
            row[4 * x + 2] = channel(pixel, image->red_mask);
            row[4 * x + 3] = 0xFF;
        }
    }
    px.opaque_ = true;
    px.bits_ = px.converted_.data();
    return px;
}

X11Pixels grabX11Root(const QRect& rect)
{
    Display* d = dpy();
    if (!d)
        return {};
    const int screen = DefaultScreen(d);
    const QRect onScreen(0, 0, DisplayWidth(d, screen), DisplayHeight(d, screen));
    if (rect.isEmpty() || !onScreen.contains(rect))
        return {};
    return getImage(d, DefaultRootWindow(d), rect.x(), rect.y(), rect.width(), rect.height(), true);
}

X11Pixels grabX11Window(unsigned long window)
{
    Display* d = dpy();
    if (!d || window == 0)
        return {};
    XWindowAttributes attrs;
    {
        X11ErrorTrap trap(d);
        if (!XGetWindowAttributes(d, window, &attrs) || trap.failed())
            return {};
    }
    if (attrs.map_state != IsViewable || attrs.c_class == InputOnly)
        return {};
    const bool opaque = attrs.depth != 32;
    if (compositeAvailable(d)) {
        // Only a redirected window has a pixmap to name; any other answers BadMatch.
        X11ErrorTrap trap(d);
        const Pixmap pixmap = XCompositeNameWindowPixmap(d, window);
        if (!trap.failed() && pixmap) {
            X11Pixels px = getImage(d, pixmap, attrs.border_width, attrs.border_width, attrs.width, attrs.height,
                                    opaque, attrs.visual);
            XFreePixmap(d, pixmap);
            if (!px.isNull())
                return px;
        }
    }
    // Not redirected: the window's pixels on the screen, so only its part inside the screen.
    X11ErrorTrap trap(d);
    int x = 0, y = 0;
    Window child = 0;
    if (!XTranslateCoordinates(d, window, DefaultRootWindow(d), 0, 0, &x, &y, &child) || trap.failed())
        return {};
    const int screen = DefaultScreen(d);
    const QRect onRoot = QRect(x, y, attrs.width, attrs.height)
                             .intersected(QRect(0, 0, DisplayWidth(d, screen), DisplayHeight(d, screen)));
    if (onRoot.isEmpty())
        return {};
    return getImage(d, window, onRoot.x() - x, onRoot.y() - y, onRoot.width(), onRoot.height(), opaque);
}

} // namespace platform
