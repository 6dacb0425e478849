#include "support/FakeLiveCore.h"

#include "core/DataCenter.h"
#include "engine/SceneGeometry.h"

#include <algorithm>

namespace {
QString arg(const char* s) { return s ? QString::fromUtf8(s) : QStringLiteral("null"); }
QString arg(const QString& s) { return s; }
QString arg(bool b) { return b ? QStringLiteral("true") : QStringLiteral("false"); }
QString arg(int i) { return QString::number(i); }
QString arg(float f) { return QString::number(double(f)); }
QString arg(LiveWindowHandle w) { return QString::number(w); }
QString name(const char* s) { return s ? QString::fromUtf8(s) : QString(); }
} // namespace

FakeLiveCore::FakeLiveCore() { m_previous = LiveCore::set_instance(this); }

FakeLiveCore::~FakeLiveCore() { LiveCore::set_instance(m_previous); }

template <typename... Args>
void FakeLiveCore::record(const char* op, const Args&... args)
{
    QStringList parts{arg(args)...};
    calls << QString::fromUtf8(op) + QLatin1Char('(') + parts.join(QLatin1Char(',')) + QLatin1Char(')');
}

QStringList FakeLiveCore::callsNamed(const QString& op) const
{
    QStringList out;
    const QString prefix = op + QLatin1Char('(');
    for (const QString& c : calls) {
        if (c.startsWith(prefix))
            out << c;
    }
    return out;
}

bool FakeLiveCore::result(const char* op, bool fallback) const
{
    return results.value(QString::fromUtf8(op), fallback);
}

const char* FakeLiveCore::listName(const QStringList& list, int index)
{
    if (index < 0 || index >= list.size())
        return nullptr;
    m_names.push_back(list.at(index).toUtf8());
    return m_names.back().constData();
}

bool FakeLiveCore::createSource(const char* op, const char* n)
{
    if (!result(op))
        return false;
    sources << name(n);
    return true;
}

void FakeLiveCore::emitStreamEvent(LiveStreamEvent event, int code)
{
    if (m_streamHandler)
        m_streamHandler(event, code);
}

// ---- start-up and audio --------------------------------------------------------------------------
bool FakeLiveCore::core_startup(const char* bin_path, const char* data_path, const char* module_config_path)
{
    record("core_startup", bin_path, data_path, module_config_path);
    started = result("core_startup");
    return started;
}

void FakeLiveCore::core_load_modules() { record("core_load_modules"); }

int FakeLiveCore::core_reset_video(int base_w, int base_h, int out_w, int out_h, int fps)
{
    record("core_reset_video", base_w, base_h, out_w, out_h, fps);
    canvasWidth = base_w;
    canvasHeight = base_h;
    return resetVideoResult;
}

bool FakeLiveCore::core_reset_audio(int samples_per_sec, int layout)
{
    record("core_reset_audio", samples_per_sec, layout);
    return started && result("core_reset_audio");
}

void FakeLiveCore::core_init_audio_devices() { record("core_init_audio_devices"); }

bool FakeLiveCore::init_audio_info(const char* source_type, bool keep)
{
    record("init_audio_info", source_type, keep);
    return !microphones.isEmpty();
}

bool FakeLiveCore::core_create_scene(const char* n)
{
    record("core_create_scene", n);
    return result("core_create_scene");
}

void FakeLiveCore::core_set_channel_source(const char* type, const char* device_id, const char* n, int channel)
{
    record("core_set_channel_source", type, device_id, n, channel);
}

void FakeLiveCore::core_set_mic_source(bool on)
{
    record("core_set_mic_source", on);
    // As the engine: on keeps a source that exists; a new one starts at full volume.
    const bool had = sources.contains(QStringLiteral("audio_input"));
    if (!on) {
        sources.removeAll(QStringLiteral("audio_input"));
    } else if (!had) {
        sources << QStringLiteral("audio_input");
        micVolume = 1;
    }
}

void FakeLiveCore::core_set_desktop_audio_source(bool on)
{
    record("core_set_desktop_audio_source", on);
    const bool had = sources.contains(QStringLiteral("audio_output"));
    if (!on) {
        sources.removeAll(QStringLiteral("audio_output"));
    } else if (!had) {
        sources << QStringLiteral("audio_output");
        desktopVolume = 1;
    }
}

void FakeLiveCore::core_shutdown()
{
    record("core_shutdown");
    started = false;
}

// ---- sources -------------------------------------------------------------------------------------
bool FakeLiveCore::core_create_camera_source(const char* n)
{
    record("core_create_camera_source", n);
    return createSource("core_create_camera_source", n);
}

bool FakeLiveCore::core_create_image_source(const char* n, int unused)
{
    record("core_create_image_source", n, unused);
    return createSource("core_create_image_source", n);
}

bool FakeLiveCore::core_create_monitor_source(const char* n)
{
    record("core_create_monitor_source", n);
    return createSource("core_create_monitor_source", n);
}

bool FakeLiveCore::core_create_win_capture_source(const char* n)
{
    record("core_create_win_capture_source", n);
    return createSource("core_create_win_capture_source", n);
}

bool FakeLiveCore::core_duplicate_source(const char* from, const char* to)
{
    record("core_duplicate_source", from, to);
    if (!sources.contains(name(from)) || !result("core_duplicate_source"))
        return false;
    sources << name(to);
    scene << name(to);
    return true;
}

bool FakeLiveCore::source_set_camera_device(const char* device, const char* source)
{
    record("source_set_camera_device", device, source);
    return cameras.contains(name(device)) && sources.contains(name(source)) && result("source_set_camera_device");
}

bool FakeLiveCore::source_set_image_file(const char* n, const QString& file, bool unused)
{
    record("source_set_image_file", n, file, unused);
    return sources.contains(name(n)) && result("source_set_image_file");
}

bool FakeLiveCore::core_set_win_capture_source(const char* window, const char* source)
{
    record("core_set_win_capture_source", window, source);
    return sources.contains(name(source)) && result("core_set_win_capture_source");
}

void FakeLiveCore::source_set_camera_enabled(const char* n, bool on)
{
    record("source_set_camera_enabled", n, on);
    if (!sources.contains(name(n))) {
        sources << name(n);
        scene << name(n);
    }
}

void FakeLiveCore::source_set_flip_vertically(const char* n, bool on) { record("source_set_flip_vertically", n, on); }

void FakeLiveCore::source_set_rotation(const char* n, int degrees) { record("source_set_rotation", n, degrees); }

// ---- scene ---------------------------------------------------------------------------------------
bool FakeLiveCore::scene_add_source(const char*, obs_source*, const char* n, bool visible)
{
    record("scene_add_source", n, visible);
    if (!sources.contains(name(n)) || !result("scene_add_source"))
        return false;
    scene << name(n);
    return true;
}

void FakeLiveCore::scene_remove_source(const char* n)
{
    record("scene_remove_source", n);
    const QString key = name(n);
    const int at = scene.lastIndexOf(key);
    if (at < 0 || !sources.contains(key))
        return;
    scene.removeAt(at);
    if (key != QLatin1String("camera source"))
        sources.removeOne(key);
}

bool FakeLiveCore::scene_has_source(const char* n)
{
    record("scene_has_source", n);
    return sources.contains(name(n)) && scene.contains(name(n));
}

int FakeLiveCore::scene_get_source_order(const char* n, int* position, int* count)
{
    record("scene_get_source_order", n);
    if (count)
        *count = sources.size();
    const int at = scene.lastIndexOf(name(n));
    if (at < 0)
        return 0;
    if (position)
        *position = at;
    return at;
}

void FakeLiveCore::scene_move_source_order(const char* n, int steps)
{
    record("scene_move_source_order", n, steps);
    const int at = scene.lastIndexOf(name(n));
    if (at < 0)
        return;
    const int to = std::max(0, std::min(int(scene.size()) - 1, at + steps));
    scene.move(at, to);
}

// ---- lists and volumes ---------------------------------------------------------------------------
int FakeLiveCore::core_get_camera_count() { return cameras.size(); }
int FakeLiveCore::core_get_win_count() { return windows.size(); }
int FakeLiveCore::core_get_audio_count() { return microphones.size(); }
const char* FakeLiveCore::core_get_camera_name(int index) { return listName(cameras, index); }
const char* FakeLiveCore::core_get_win_name(int index) { return listName(windows, index); }
const char* FakeLiveCore::core_get_audio_name(int index) { return listName(microphones, index); }

bool FakeLiveCore::init_camera_info(obs_source*)
{
    record("init_camera_info");
    return true;
}

bool FakeLiveCore::init_windows_info(obs_source*)
{
    record("init_windows_info");
    return true;
}

void FakeLiveCore::source_set_mic_volume(float volume)
{
    record("source_set_mic_volume", volume);
    micVolume = (volume < 0 || volume > 1) ? 0 : volume;
}

void FakeLiveCore::source_set_desktop_volume(float volume)
{
    record("source_set_desktop_volume", volume);
    desktopVolume = (volume < 0 || volume > 1) ? 0 : volume;
}

float FakeLiveCore::source_get_mic_volume() { return micVolume; }

// ---- displays ------------------------------------------------------------------------------------
bool FakeLiveCore::core_create_main_display(LiveWindowHandle window, bool show)
{
    record("core_create_main_display", window, show);
    if (!result("core_create_main_display"))
        return false;
    displays.insert(window);
    return true;
}

void FakeLiveCore::core_update_preview_scale(int width, int height)
{
    record("core_update_preview_scale", width, height);
    const geometry::PreviewFit fit = geometry::fitCanvas(width, height, uint32_t(canvasWidth), uint32_t(canvasHeight));
    if (!fit.valid)
        return;
    previewScale = fit.scale;
    previewRect.moveTo(fit.x, fit.y);
}

float FakeLiveCore::core_get_preview_scale() { return previewScale; }

bool FakeLiveCore::core_get_preview_rect(int* x, int* y, int* width, int* height)
{
    record("core_get_preview_rect");
    if (x)
        *x = previewRect.x();
    if (y)
        *y = previewRect.y();
    if (width)
        *width = previewRect.width();
    if (height)
        *height = previewRect.height();
    previewScale = 0;
    return true;
}

bool FakeLiveCore::core_create_display(const char* source, LiveWindowHandle window)
{
    record("core_create_display", source, window);
    const QString key = name(source);
    if (!sources.contains(key) || key.startsWith(QLatin1String("audio_")) || !result("core_create_display"))
        return false;
    displays.insert(window);
    return true;
}

bool FakeLiveCore::core_destory_display(const char* source)
{
    record("core_destory_display", source);
    return sources.contains(name(source));
}

bool FakeLiveCore::core_destroy_main_display(const char* source)
{
    record("core_destroy_main_display", source);
    return sources.contains(name(source));
}

bool FakeLiveCore::core_destroy_source_display(const char* source)
{
    record("core_destroy_source_display", source);
    return sources.contains(name(source));
}

void FakeLiveCore::core_destroy_setting_display(const char* source)
{
    record("core_destroy_setting_display", source);
    // As the engine: the display of the settings preview window the store names goes.
    if (sources.contains(name(source)))
        displays.remove(LiveWindowHandle(CDataCenter::getInstance()->settingPreviewWinId));
}

void FakeLiveCore::core_set_source_display(LiveWindowHandle window) { record("core_set_source_display", window); }

bool FakeLiveCore::core_resize_display(LiveWindowHandle window)
{
    record("core_resize_display", window);
    return displays.contains(window) && result("core_resize_display");
}

// ---- stream --------------------------------------------------------------------------------------
bool FakeLiveCore::core_init_stream()
{
    record("core_init_stream");
    streamInitialised = result("core_init_stream");
    return streamInitialised;
}

bool FakeLiveCore::set_stream_parameters(const char* server, const char* key, int unused, int audio_bitrate)
{
    record("set_stream_parameters", server, key, unused, audio_bitrate);
    return result("set_stream_parameters");
}

bool FakeLiveCore::start_stream()
{
    record("start_stream");
    streaming = result("start_stream");
    return streaming;
}

bool FakeLiveCore::pause_stream(bool pause)
{
    record("pause_stream", pause);
    if (pause) {
        streaming = false;
        return true;
    }
    streaming = result("pause_stream");
    return streaming;
}

void FakeLiveCore::stop_stream()
{
    record("stop_stream");
    streaming = false;
    streamInitialised = false;
}

bool FakeLiveCore::core_query_stream_stats(uint64_t*)
{
    record("core_query_stream_stats");
    return false;
}

bool FakeLiveCore::core_query_stream_stats(uint64_t*, int*)
{
    record("core_query_stream_stats");
    return false;
}

void FakeLiveCore::core_set_stream_event_handler(LiveStreamEventHandler handler)
{
    record("core_set_stream_event_handler", bool(handler));
    m_streamHandler = std::move(handler);
}

// ---- geometry ------------------------------------------------------------------------------------
void FakeLiveCore::scene_set_source_pos(const char* n, int x, int y)
{
    record("scene_set_source_pos", n, x, y);
    positions[name(n)] = QPointF(x, y);
}

void FakeLiveCore::scene_set_source_posf(const char* n, float x, float y, bool portrait)
{
    record("scene_set_source_posf", n, x, y, portrait);
    positions[name(n)] = QPointF(double(x), double(y));
}

void FakeLiveCore::scene_set_source_posf_abs(const char* n, float x, float y, bool portrait, bool canvas_units)
{
    record("scene_set_source_posf_abs", n, x, y, portrait, canvas_units);
    positions[name(n)] = QPointF(double(x), double(y));
}

void FakeLiveCore::scene_set_source_size(const char* n, int width, int height, bool portrait, bool force_640x480)
{
    record("scene_set_source_size", n, width, height, portrait, force_640x480);
    sizes[name(n)] = QSizeF(width, height);
}

void FakeLiveCore::scene_set_source_sizef(const char* n, float width, float height, bool portrait,
                                          bool force_640x480)
{
    record("scene_set_source_sizef", n, width, height, portrait, force_640x480);
    sizes[name(n)] = QSizeF(double(width), double(height));
}

void FakeLiveCore::scene_set_share_source_size(const char* n, int width, int height, bool portrait,
                                               bool force_640x480)
{
    record("scene_set_share_source_size", n, width, height, portrait, force_640x480);
    sizes[name(n)] = QSizeF(width, height);
}

void FakeLiveCore::scene_set_source_base_size(const char* n, float width, float height, int unused,
                                              bool force_640x480, bool canvas_units)
{
    record("scene_set_source_base_size", n, width, height, unused, force_640x480, canvas_units);
    sizes[name(n)] = QSizeF(double(width), double(height));
}

bool FakeLiveCore::scene_get_source_transform(const char* n, int* x, int* y, float* x_scale, float* y_scale)
{
    const QString key = name(n);
    if (!scene.contains(key))
        return false;
    const QPointF pos = transforms.value(key);
    const QPointF scale = scales.value(key, QPointF(1, 1));
    if (x)
        *x = int(pos.x());
    if (y)
        *y = int(pos.y());
    if (x_scale)
        *x_scale = float(scale.x());
    if (y_scale)
        *y_scale = float(scale.y());
    return true;
}

bool FakeLiveCore::scene_get_source_rectf(const char* n, float* x, float* y, float* width, float* height)
{
    const QString key = name(n);
    if (!scene.contains(key))
        return false;
    const QRectF r = rects.value(key);
    if (x)
        *x = float(r.x());
    if (y)
        *y = float(r.y());
    if (width)
        *width = float(r.width());
    if (height)
        *height = float(r.height());
    return true;
}

bool FakeLiveCore::scene_get_source_rect(const char* n, int* x, int* y, float* width, float* height)
{
    float fx = 0, fy = 0;
    if (!scene_get_source_rectf(n, &fx, &fy, width, height))
        return false;
    if (x)
        *x = int(fx);
    if (y)
        *y = int(fy);
    return true;
}
