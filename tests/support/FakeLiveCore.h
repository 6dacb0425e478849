#pragma once
// A call-recording stand-in for the broadcast engine.
//
//   FakeLiveCore fake;                 // from here on LiveCore::get_instance() returns &fake
//   fake.sources << "camera source";   // what exists; read-backs as the test wants them
//   ... drive the code under test ...
//   QCOMPARE(fake.callsNamed("scene_add_source"), {"scene_add_source(camera source,true)"});
//
// The destructor puts the previous engine back. Every call is recorded as "name(arg,arg,...)"
// (C strings as they are, null as "null", bools as true/false, floats with QString::number).
// The fake keeps a source list and a scene list (bottom first) the way the engine would, and
// answers every other read-back from members the test sets. Results of bool operations default to
// true (creation, display and stream operations) unless set in `results`.

#include "engine/LiveCore.h"

#include <QHash>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSet>
#include <QSizeF>
#include <QStringList>

#include <deque>

class FakeLiveCore : public LiveCore
{
public:
    FakeLiveCore();
    ~FakeLiveCore() override;

    // ---- what the test reads ----------------------------------------------------------------
    QStringList calls;
    QStringList callsNamed(const QString& op) const; // the calls of one operation, in order
    int count(const QString& op) const { return callsNamed(op).size(); }
    void clearCalls() { calls.clear(); }

    QStringList sources; // the source table's names (created, or set by the test)
    QStringList scene;   // names with an item in the scene, bottom first (a name may repeat)
    QSet<LiveWindowHandle> displays;
    QHash<QString, QPointF> positions; // last position given (as passed, after nothing)
    QHash<QString, QSizeF> sizes;      // last size given by any sizing operation
    bool started = false;
    bool streamInitialised = false;
    bool streaming = false; // started and not paused or stopped

    // ---- what the test sets -------------------------------------------------------------------
    QHash<QString, bool> results; // result of a bool operation by name (default true)
    int resetVideoResult = 0;
    int canvasWidth = 1920; // taken from core_reset_video's base size
    int canvasHeight = 1080;
    float previewScale = 0;        // core_get_preview_scale; core_update_preview_scale fits like the engine
    QRect previewRect{10, 10, 800, 600}; // core_get_preview_rect (which then zeroes previewScale)
    QStringList cameras;
    QStringList windows;
    QStringList microphones;
    float micVolume = 0;
    float desktopVolume = 0;
    QHash<QString, QRectF> rects;       // scene_get_source_rect(f): position and shown size
    QHash<QString, QPointF> transforms; // scene_get_source_transform: position in preview pixels
    QHash<QString, QPointF> scales;     // scene_get_source_transform: item scale (default 1, 1)

    // Delivers a stream event to the registered handler, as the engine does on the GUI thread.
    void emitStreamEvent(LiveStreamEvent event, int code);
    bool hasStreamEventHandler() const { return bool(m_streamHandler); }

    // ---- LiveCore -----------------------------------------------------------------------------
    bool core_startup(const char* bin_path, const char* data_path, const char* module_config_path) override;
    void core_load_modules() override;
    int core_reset_video(int base_w, int base_h, int out_w, int out_h, int fps) override;
    bool core_reset_audio(int samples_per_sec, int layout) override;
    void core_init_audio_devices() override;
    bool init_audio_info(const char* source_type, bool keep) override;
    bool core_create_scene(const char* name) override;
    void core_set_channel_source(const char* type, const char* device_id, const char* name, int channel) override;
    void core_set_mic_source(bool on) override;
    void core_set_desktop_audio_source(bool on) override;
    void core_shutdown() override;
    bool core_is_started() const override { return started; }

    bool core_create_camera_source(const char* name) override;
    bool core_create_image_source(const char* name, int unused) override;
    bool core_create_monitor_source(const char* name) override;
    bool core_create_win_capture_source(const char* name) override;
    bool core_duplicate_source(const char* from, const char* to) override;
    bool source_set_camera_device(const char* device, const char* source) override;
    bool source_set_image_file(const char* name, const QString& file, bool unused) override;
    bool core_set_win_capture_source(const char* window, const char* source) override;
    void source_set_camera_enabled(const char* name, bool on) override;
    void source_set_flip_vertically(const char* name, bool on) override;
    void source_set_rotation(const char* name, int degrees) override;

    bool scene_add_source(const char* scene_name, obs_source* source, const char* name, bool visible) override;
    void scene_remove_source(const char* name) override;
    bool scene_has_source(const char* name) override;
    int scene_get_source_order(const char* name, int* position, int* count) override;
    void scene_move_source_order(const char* name, int steps) override;

    int core_get_camera_count() override;
    int core_get_win_count() override;
    int core_get_audio_count() override;
    const char* core_get_camera_name(int index) override;
    const char* core_get_win_name(int index) override;
    const char* core_get_audio_name(int index) override;
    bool init_camera_info(obs_source* source) override;
    bool init_windows_info(obs_source* source) override;

    void source_set_mic_volume(float volume) override;
    void source_set_desktop_volume(float volume) override;
    float source_get_mic_volume() override;

    bool core_create_main_display(LiveWindowHandle window, bool show) override;
    void core_update_preview_scale(int width, int height) override;
    float core_get_preview_scale() override;
    bool core_get_preview_rect(int* x, int* y, int* width, int* height) override;
    bool core_create_display(const char* source, LiveWindowHandle window) override;
    bool core_destory_display(const char* source) override;
    bool core_destroy_main_display(const char* source) override;
    bool core_destroy_source_display(const char* source) override;
    void core_destroy_setting_display(const char* source) override;
    void core_set_source_display(LiveWindowHandle window) override;
    bool core_resize_display(LiveWindowHandle window) override;

    bool core_init_stream() override;
    bool set_stream_parameters(const char* server, const char* key, int unused, int audio_bitrate) override;
    bool start_stream() override;
    bool pause_stream(bool pause) override;
    void stop_stream() override;
    bool core_query_stream_stats(uint64_t* total_bytes) override;
    bool core_query_stream_stats(uint64_t* total_bytes, int* dropped_frames) override;
    void core_set_stream_event_handler(LiveStreamEventHandler handler) override;

    void scene_set_source_pos(const char* name, int x, int y) override;
    void scene_set_source_posf(const char* name, float x, float y, bool portrait) override;
    void scene_set_source_posf_abs(const char* name, float x, float y, bool portrait, bool canvas_units) override;
    void scene_set_source_size(const char* name, int width, int height, bool portrait, bool force_640x480) override;
    void scene_set_source_sizef(const char* name, float width, float height, bool portrait,
                                bool force_640x480) override;
    void scene_set_share_source_size(const char* name, int width, int height, bool portrait,
                                     bool force_640x480) override;
    void scene_set_source_base_size(const char* name, float width, float height, int unused, bool force_640x480,
                                    bool canvas_units) override;
    bool scene_get_source_transform(const char* name, int* x, int* y, float* x_scale, float* y_scale) override;
    bool scene_get_source_rect(const char* name, int* x, int* y, float* width, float* height) override;
    bool scene_get_source_rectf(const char* name, float* x, float* y, float* width, float* height) override;

private:
    template <typename... Args>
    void record(const char* op, const Args&... args);
    bool result(const char* op, bool fallback = true) const;
    const char* listName(const QStringList& list, int index);
    bool createSource(const char* op, const char* name);

    LiveCore* m_previous = nullptr;
    LiveStreamEventHandler m_streamHandler;
    std::deque<QByteArray> m_names; // keeps returned name pointers valid
};

// The fake, with the preview scale read after every fit pinned to 0.5 (the canvas tests' P).
class HalfScaleCore : public FakeLiveCore
{
public:
    void core_update_preview_scale(int width, int height) override
    {
        FakeLiveCore::core_update_preview_scale(width, height);
        previewScale = 0.5f;
    }
};
