// ObsLiveCore: preview displays, draw callbacks and the preview rectangle.
#include "engine/ObsLiveCore.h"

#include "core/DataCenter.h"
#include "engine/SceneGeometry.h"
#include "platform/ObsPlatform.h"
#include "platform/X11Window.h"

#include <obs.h>

#include <QDebug>
#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QHash>
#include <QPointer>
#include <QPlatformSurfaceEvent>
#include <QResizeEvent>
#include <QWidget>
#include <QWindow>

#include <cstdio>
#include <functional>

namespace {
bool canvasSize(float* width, float* height)
{
    obs_video_info ovi = {};
    if (!obs_get_video_info(&ovi))
        return false;
    *width = float(ovi.base_width);
    *height = float(ovi.base_height);
    return true;
}

// Both callbacks stretch the canvas over the display's whole client area.
void drawCanvas(uint32_t cx, uint32_t cy, bool mainTexture)
{
    float baseWidth = 0, baseHeight = 0;
    if (!canvasSize(&baseWidth, &baseHeight))
        return;
    gs_viewport_push();
    gs_projection_push();
    gs_ortho(0.0f, baseWidth, 0.0f, baseHeight, -100.0f, 100.0f);
    gs_set_viewport(0, 0, int(cx), int(cy));
    if (mainTexture) {
        obs_render_main_texture();
    } else {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        obs_render_main_view(); // a source display renders the scene itself
#pragma GCC diagnostic pop
    }
    gs_load_vertexbuffer(nullptr);
    gs_ortho(0.0f, float(cx), 0.0f, float(cy), -100.0f, 100.0f);
    gs_reset_viewport();
    gs_projection_pop();
    gs_viewport_pop();
}

void render_main_texture_callback(void*, uint32_t cx, uint32_t cy) { drawCanvas(cx, cy, true); }
void render_main_view_callback(void*, uint32_t cx, uint32_t cy) { drawCanvas(cx, cy, false); }
} // namespace

// Watches the program's own windows that hold a display: when one is about to lose its native
// window (the widget is deleted, or made non-native), its display goes first, so libobs never
// renders into a window that no longer exists; when one changes size (a label taken out to full
// screen and put back keeps its window), its display follows, so the canvas fills the window.
// A display that cannot be seen (its window wholly covered, or the window it sits in unmapped:
// minimised by the window manager, or hidden) is not drawn until it can be seen again.
class DisplayWindowWatch : public QObject, public QAbstractNativeEventFilter
{
public:
    DisplayWindowWatch(std::function<void(LiveWindowHandle)> gone,
                       std::function<void(LiveWindowHandle, int, int)> resized,
                       std::function<void(LiveWindowHandle, bool)> seen)
        : m_gone(std::move(gone)), m_resized(std::move(resized)), m_seen(std::move(seen))
    {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~DisplayWindowWatch() override
    {
        if (QCoreApplication::instance())
            QCoreApplication::instance()->removeNativeEventFilter(this);
    }

    void watch(LiveWindowHandle window)
    {
        QWidget* widget = QWidget::find(WId(window));
        QWindow* handle = widget ? widget->windowHandle() : nullptr;
        if (!handle || m_watched.contains(handle))
            return;
        m_watched.insert(handle, window);
        handle->installEventFilter(this);
        connect(handle, &QObject::destroyed, this, [this, handle] { m_watched.remove(handle); });
        platform::watchCovering(window);
        // The window the display sits in: unmapped (minimised or hidden), nothing of it is seen.
        // Its exposure is what the X server says; a minimise that no window manager carries out
        // leaves it on the screen.
        QWindow* top = widget->window()->windowHandle();
        if (top && top != handle) {
            if (!m_top.key(top))
                top->installEventFilter(this);
            m_top.insert(window, top);
        }
        update(window);
    }

    void forget(LiveWindowHandle window)
    {
        for (auto it = m_watched.begin(); it != m_watched.end();) {
            if (it.value() == window) {
                it.key()->removeEventFilter(this);
                disconnect(it.key(), nullptr, this, nullptr);
                it = m_watched.erase(it);
            } else {
                ++it;
            }
        }
        if (QWindow* top = m_top.take(window); top && !m_top.key(top))
            top->removeEventFilter(this);
        m_covered.remove(window);
    }

    bool nativeEventFilter(const QByteArray& type, void* message, long*) override
    {
        LiveWindowHandle window = 0;
        bool covered = false;
        if (type == "xcb_generic_event_t" && platform::coveringReport(message, &window, &covered) &&
            m_watched.key(window)) {
            m_covered[window] = covered;
            update(window);
        }
        return false;
    }

protected:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (event->type() == QEvent::PlatformSurface &&
            static_cast<QPlatformSurfaceEvent*>(event)->surfaceEventType() ==
                QPlatformSurfaceEvent::SurfaceAboutToBeDestroyed) {
            auto it = m_watched.find(static_cast<QWindow*>(object));
            if (it != m_watched.end())
                m_gone(it.value()); // forgets the window on its way
        } else if (event->type() == QEvent::Expose) {
            topChanged(static_cast<QWindow*>(object));
        } else if (event->type() == QEvent::Resize) {
            auto* window = static_cast<QWindow*>(object);
            auto it = m_watched.find(window);
            if (it != m_watched.end()) {
                const QSize size = static_cast<QResizeEvent*>(event)->size() * window->devicePixelRatio();
                m_resized(it.value(), size.width(), size.height());
            }
        }
        return false;
    }

private:
    void topChanged(QWindow* top)
    {
        for (auto it = m_top.begin(); it != m_top.end(); ++it) {
            if (it.value() == top)
                update(it.key());
        }
    }

    void update(LiveWindowHandle window)
    {
        QWindow* top = m_top.value(window);
        const bool topShown = !top || top->isExposed();
        m_seen(window, topShown && !m_covered.value(window));
    }

    std::function<void(LiveWindowHandle)> m_gone;
    std::function<void(LiveWindowHandle, int, int)> m_resized;
    std::function<void(LiveWindowHandle, bool)> m_seen;
    QHash<QWindow*, LiveWindowHandle> m_watched;
    QHash<LiveWindowHandle, QPointer<QWindow>> m_top;
    QHash<LiveWindowHandle, bool> m_covered;
};

void ObsLiveCore::windowGone(LiveWindowHandle window)
{
    if (status.main_preview_hwnd == window) {
        status.main_preview_drawn = false;
        status.main_preview_hwnd = 0;
    }
    if (status.share_preview_hwnd == window)
        status.share_preview_hwnd = 0;
    destroyDisplay(window);
}

void ObsLiveCore::windowSeen(LiveWindowHandle window, bool seen)
{
    auto it = status.displays.find(window);
    if (it != status.displays.end() && it->second && obs_display_enabled(it->second) != seen)
        obs_display_set_enabled(it->second, seen);
}

void ObsLiveCore::windowResized(LiveWindowHandle window, int width, int height)
{
    auto it = status.displays.find(window);
    if (it == status.displays.end() || !it->second || width <= 0 || height <= 0)
        return;
    obs_display_resize(it->second, uint32_t(width), uint32_t(height));
}

obs_display* ObsLiveCore::get_display(LiveWindowHandle window)
{
    auto it = status.displays.find(window);
    if (it != status.displays.end())
        return it->second;
    obs_display_t* display = nullptr;
    int width = 0, height = 0;
    if (platform::nativeClientSize(window, &width, &height)) {
        gs_init_data info = {};
        info.window.id = uint32_t(window);
        info.window.display = platform::obsX11Display();
        info.cx = uint32_t(width);
        info.cy = uint32_t(height);
        info.num_backbuffers = 0;
        info.format = GS_RGBA;
        info.zsformat = GS_ZS_NONE;
        info.adapter = 0;
        display = obs_display_create(&info, 0);
        status.displays[window] = display; // before the watch, which may switch it off at once
        if (display) {
            if (!m_windowWatch)
                m_windowWatch = new DisplayWindowWatch(
                    [this](LiveWindowHandle w) { windowGone(w); },
                    [this](LiveWindowHandle w, int width, int height) { windowResized(w, width, height); },
                    [this](LiveWindowHandle w, bool seen) { windowSeen(w, seen); });
            static_cast<DisplayWindowWatch*>(m_windowWatch)->watch(window);
        }
    } else {
        std::printf("CreateDisplay 句柄无效\n");
    }
    // A failed creation is remembered as null until a destroy operation forgets the window.
    status.displays[window] = display;
    return display;
}

void ObsLiveCore::destroyDisplay(LiveWindowHandle window)
{
    auto it = status.displays.find(window);
    if (it == status.displays.end())
        return;
    if (obs_display_t* display = it->second) {
        std::printf("obs_display_destroy 释放开始\n");
        obs_display_destroy(display); // drops every draw callback still attached
        std::printf("obs_display_destroy 释放完成\n");
    }
    status.displays.erase(it);
    draw_registrations.erase(window);
    if (m_windowWatch)
        static_cast<DisplayWindowWatch*>(m_windowWatch)->forget(window);
}

int ObsLiveCore::drawRegistrations(LiveWindowHandle window) const
{
    auto it = draw_registrations.find(window);
    return it == draw_registrations.end() ? 0 : it->second;
}

void ObsLiveCore::fitPreview(int width, int height, bool withMargin, bool storeShownSize)
{
    const geometry::PreviewFit fit = geometry::fitCanvas(width, height, status.base_width, status.base_height);
    if (!fit.valid)
        return;
    preview_wnd_scale = fit.scale;
    preview_x = fit.x + (withMargin ? 10 : 0);
    preview_y = fit.y + (withMargin ? 10 : 0);
    if (storeShownSize) {
        preview_width = fit.shownWidth;
        preview_height = fit.shownHeight;
    }
}

bool ObsLiveCore::core_create_main_display(LiveWindowHandle window, bool show)
{
    if (!status.obs_started)
        return false;
    status.preview_hwnd = window;
    int width = 0, height = 0;
    if (!platform::nativeClientSize(window, &width, &height))
        return false;
    fitPreview(width, height, true, true);
    obs_display_t* display = get_display(window);
    if (!display)
        return false;
    if (show) {
        if (status.main_preview_drawn)
            return true;
        status.main_preview_hwnd = window;
        std::printf("obs_display_add_draw_callback !!!!!!!!!!! = %p\n", static_cast<void*>(display));
        obs_display_add_draw_callback(display, render_main_texture_callback, nullptr);
        ++draw_registrations[window];
        status.main_preview_drawn = true;
        return true;
    }
    if (status.main_preview_drawn) {
        // Detached from the display that holds it, which is the main preview's.
        auto it = status.displays.find(status.main_preview_hwnd);
        obs_display_t* drawn = it != status.displays.end() ? it->second : display;
        std::printf("LiveCore  obs_display_remove_draw_callback11111111111 = %p\n", static_cast<void*>(drawn));
        if (drawn) {
            obs_display_remove_draw_callback(drawn, render_main_texture_callback, nullptr);
            const LiveWindowHandle key = it != status.displays.end() ? it->first : window;
            if (draw_registrations[key] > 0)
                --draw_registrations[key];
        }
        status.main_preview_drawn = false;
    }
    return true;
}

void ObsLiveCore::core_update_preview_scale(int width, int height)
{
    if (!status.obs_started)
        return;
    std::printf(" w  h    status.base_width = %d \t status.base_height = %d\n", int(status.base_width),
                int(status.base_height));
    fitPreview(width, height, false, false);
}

float ObsLiveCore::core_get_preview_scale() { return preview_wnd_scale; }

bool ObsLiveCore::core_get_preview_rect(int* x, int* y, int* width, int* height)
{
    if (x)
        *x = preview_x;
    if (y)
        *y = preview_y;
    if (width)
        *width = preview_width;
    if (height)
        *height = preview_height;
    preview_wnd_scale = 0; // the share set-up gives canvas pixels from here on
    return true;
}

bool ObsLiveCore::core_create_display(const char* source, LiveWindowHandle window)
{
    if (!status.obs_started)
        return false;
    const LiveCoreSource* entry = status.find_entry(source);
    if (!entry || entry->kind != 1)
        return false;
    obs_display_t* display = get_display(window);
    if (!display || !entry->source)
        return false;
    std::printf("obs_display_add_draw_callback@@@@@@ = %p\n", static_cast<void*>(display));
    obs_display_add_draw_callback(display, render_main_view_callback, nullptr);
    ++draw_registrations[window];
    return true;
}

bool ObsLiveCore::core_destory_display(const char* source)
{
    if (!status.obs_started || !status.find_source(source)) {
        qDebug() << "core_destory_display false";
        return false;
    }
    std::vector<LiveWindowHandle> others;
    for (const auto& d : status.displays) {
        if (d.first != status.main_preview_hwnd)
            others.push_back(d.first);
    }
    for (LiveWindowHandle window : others) {
        std::printf("obs_display_remove_draw_callback222222222 = %p\n", static_cast<void*>(status.displays[window]));
        destroyDisplay(window);
    }
    qDebug() << "core_destory_display true";
    return true;
}

bool ObsLiveCore::core_destroy_main_display(const char* source)
{
    if (!status.obs_started || !status.find_source(source))
        return false;
    status.main_preview_drawn = false;
    auto it = status.displays.find(status.main_preview_hwnd);
    if (it != status.displays.end()) {
        std::printf("obs_display_remove_draw_callbackscene = %p\n", static_cast<void*>(it->second));
        destroyDisplay(status.main_preview_hwnd);
        status.main_preview_hwnd = 0;
    }
    return true;
}

bool ObsLiveCore::core_destroy_source_display(const char* source)
{
    if (!status.obs_started || !status.find_source(source))
        return false;
    status.main_preview_drawn = false;
    if (status.displays.count(status.share_preview_hwnd)) {
        destroyDisplay(status.share_preview_hwnd);
        status.share_preview_hwnd = 0;
    }
    return true;
}

void ObsLiveCore::core_destroy_setting_display(const char* source)
{
    if (!status.obs_started || !status.find_source(source))
        return;
    const auto window = LiveWindowHandle(CDataCenter::getInstance()->settingPreviewWinId);
    auto it = status.displays.find(window);
    if (it != status.displays.end()) {
        std::printf("obs_display_remove_draw_callbackscene = %p\n", static_cast<void*>(it->second));
        destroyDisplay(window);
    }
}

void ObsLiveCore::core_set_source_display(LiveWindowHandle window)
{
    if (!status.obs_started)
        return;
    status.share_preview_hwnd = window;
}

bool ObsLiveCore::core_resize_display(LiveWindowHandle window)
{
    if (!status.obs_started)
        return false;
    auto it = status.displays.find(window);
    if (it == status.displays.end() || !it->second)
        return false;
    // A widget of this program has its new size at once; the server may not have it yet.
    int width = 0, height = 0;
    if (QWidget* widget = QWidget::find(WId(window))) {
        const QSize size = widget->size() * widget->devicePixelRatioF();
        width = size.width();
        height = size.height();
    } else if (!platform::nativeClientSize(window, &width, &height)) {
        return false;
    }
    if (width <= 0 || height <= 0)
        return false;
    windowResized(window, width, height);
    return true;
}
