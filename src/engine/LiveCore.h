#pragma once
// The broadcast engine: the one owner of libobs in the program.
//
// Every other part of the program reaches libobs through LiveCore::get_instance() only. The class
// is an interface so tests can put a call-recording fake in its place (LiveCore::set_instance);
// the running program gets the libobs engine (ObsLiveCore). All operations are called on the GUI
// thread. Sources are known by the caller's name; the first source of a name wins.
//
// Start-up, as the main window runs it once after login:
//   core_startup(nullptr, nullptr, nullptr); core_load_modules();
//   core_reset_video(screen w, screen h, canvas w, canvas h, 25); core_reset_audio(44100, 32);
//   core_init_audio_devices(); core_create_scene("solvek"); core_set_mic_source(...); ...
// Shut-down happens by itself when the application quits (core_shutdown at aboutToQuit); after
// it every operation does nothing and returns false, 0 or null.

#include <QString>
#include <QtGlobal>

#include <cstdint>
#include <functional>
#include <mutex>

struct obs_source;
struct video_data;
struct audio_data;

// A native window: the X11 window id (QWidget::winId()).
using LiveWindowHandle = quintptr;

// What the stream output reports after it has started (see core_set_stream_event_handler).
enum class LiveStreamEvent {
    Reconnecting, // the connection dropped; the engine retries
    Reconnected,  // a retry succeeded
    Stopped,      // the output stopped by itself with an error (code: the libobs output code)
};
using LiveStreamEventHandler = std::function<void(LiveStreamEvent event, int code)>;

class LiveCore
{
public:
    // The engine in use: the installed one, else the libobs engine, made on the first call.
    static LiveCore* get_instance();
    // Puts `core` in place of the engine (tests); null goes back to the libobs engine. Returns the
    // previous installed engine. The caller keeps ownership.
    static LiveCore* set_instance(LiveCore* core);

    virtual ~LiveCore();

    // ---- start-up, reset, audio channels -------------------------------------------------
    virtual bool core_startup(const char* bin_path, const char* data_path, const char* module_config_path) = 0;
    virtual void core_load_modules() = 0;
    // libobs' reset result (0 is success).
    virtual int core_reset_video(int base_w, int base_h, int out_w, int out_h, int fps) = 0;
    // layout 8 is mono, anything else stereo.
    virtual bool core_reset_audio(int samples_per_sec, int layout) = 0;
    virtual void core_init_audio_devices() = 0;
    virtual bool init_audio_info(const char* source_type, bool keep) = 0;
    virtual bool core_create_scene(const char* name) = 0;
    virtual void core_set_channel_source(const char* type, const char* device_id, const char* name,
                                         int channel) = 0;
    virtual void core_set_mic_source(bool on) = 0;
    virtual void core_set_desktop_audio_source(bool on) = 0;
    // Releases everything in order and shuts libobs down; later calls do nothing.
    virtual void core_shutdown() = 0;
    virtual bool core_is_started() const = 0;

    // ---- sources --------------------------------------------------------------------------
    virtual bool core_create_camera_source(const char* name) = 0;
    virtual bool core_create_image_source(const char* name, int unused) = 0;
    virtual bool core_create_monitor_source(const char* name) = 0;
    virtual bool core_create_win_capture_source(const char* name) = 0;
    virtual bool core_duplicate_source(const char* from, const char* to) = 0;
    virtual bool source_set_camera_device(const char* device, const char* source) = 0;
    virtual bool source_set_image_file(const char* name, const QString& file, bool unused) = 0;
    virtual bool core_set_win_capture_source(const char* window, const char* source) = 0;
    virtual void source_set_camera_enabled(const char* name, bool on) = 0;
    virtual void source_set_flip_vertically(const char* name, bool on) = 0;
    virtual void source_set_rotation(const char* name, int degrees) = 0;

    // ---- the scene --------------------------------------------------------------------------
    // scene_name and source are ignored (pass nulls): the source is the table entry `name`.
    virtual bool scene_add_source(const char* scene_name, obs_source* source, const char* name,
                                  bool visible) = 0;
    virtual void scene_remove_source(const char* name) = 0;
    virtual bool scene_has_source(const char* name) = 0;
    // Writes the number of table entries to *count always, the item's place to *position.
    virtual int scene_get_source_order(const char* name, int* position, int* count) = 0;
    virtual void scene_move_source_order(const char* name, int steps) = 0;

    // ---- device and window lists ------------------------------------------------------------
    virtual int core_get_camera_count() = 0;
    virtual int core_get_win_count() = 0;
    virtual int core_get_audio_count() = 0;
    // The item's name, owned by the list (valid until the list is read again); null out of range.
    virtual const char* core_get_camera_name(int index) = 0;
    virtual const char* core_get_win_name(int index) = 0;
    virtual const char* core_get_audio_name(int index) = 0;
    virtual bool init_camera_info(obs_source* source) = 0;
    virtual bool init_windows_info(obs_source* source) = 0;

    // ---- volumes (0..1; anything else becomes 0) ----------------------------------------------
    virtual void source_set_mic_volume(float volume) = 0;
    virtual void source_set_desktop_volume(float volume) = 0;
    virtual float source_get_mic_volume() = 0;

    // ---- preview displays -------------------------------------------------------------------
    virtual bool core_create_main_display(LiveWindowHandle window, bool show) = 0;
    virtual void core_update_preview_scale(int width, int height) = 0;
    // Preview pixels per canvas pixel; 0 means callers give canvas pixels.
    virtual float core_get_preview_scale() = 0;
    virtual bool core_get_preview_rect(int* x, int* y, int* width, int* height) = 0;
    virtual bool core_create_display(const char* source, LiveWindowHandle window) = 0;
    virtual bool core_destory_display(const char* source) = 0;
    virtual bool core_destroy_main_display(const char* source) = 0;
    virtual bool core_destroy_source_display(const char* source) = 0;
    virtual void core_destroy_setting_display(const char* source) = 0;
    virtual void core_set_source_display(LiveWindowHandle window) = 0;
    // Fits the display on `window` to the window's client size (a display keeps the size it was
    // made with); false when the window holds no display.
    virtual bool core_resize_display(LiveWindowHandle window) = 0;

    // ---- stream output ------------------------------------------------------------------------
    virtual bool core_init_stream() = 0;
    virtual bool set_stream_parameters(const char* server, const char* key, int unused, int audio_bitrate) = 0;
    // Starting, stopping and releasing the output never wait on the GUI thread (the libobs engine
    // does them on a thread of the broadcast's own): the results say whether the call was taken,
    // and a start that libobs refuses later comes as a stop (see core_set_stream_event_handler).
    virtual bool start_stream() = 0;
    // Pause stops the output (true); resume starts it again and returns whether it was taken.
    virtual bool pause_stream(bool pause) = 0;
    virtual void stop_stream() = 0;
    virtual bool core_query_stream_stats(uint64_t* total_bytes) = 0;
    virtual bool core_query_stream_stats(uint64_t* total_bytes, int* dropped_frames) = 0;
    // Receives, on the GUI thread, what the running output reports by itself: a stop with an error
    // (a refused address, reconnects run out) and reconnect attempts. One handler; null clears it.
    virtual void core_set_stream_event_handler(LiveStreamEventHandler handler) = 0;

    // ---- scene item geometry ------------------------------------------------------------------
    virtual void scene_set_source_pos(const char* name, int x, int y) = 0;
    virtual void scene_set_source_posf(const char* name, float x, float y, bool portrait) = 0;
    virtual void scene_set_source_posf_abs(const char* name, float x, float y, bool portrait,
                                           bool canvas_units) = 0;
    virtual void scene_set_source_size(const char* name, int width, int height, bool portrait,
                                       bool force_640x480) = 0;
    virtual void scene_set_source_sizef(const char* name, float width, float height, bool portrait,
                                        bool force_640x480) = 0;
    virtual void scene_set_share_source_size(const char* name, int width, int height, bool portrait,
                                             bool force_640x480) = 0;
    virtual void scene_set_source_base_size(const char* name, float width, float height, int unused,
                                            bool force_640x480, bool canvas_units) = 0;
    virtual bool scene_get_source_transform(const char* name, int* x, int* y, float* x_scale,
                                            float* y_scale) = 0;
    virtual bool scene_get_source_rect(const char* name, int* x, int* y, float* width, float* height) = 0;
    virtual bool scene_get_source_rectf(const char* name, float* x, float* y, float* width,
                                        float* height) = 0;

protected:
    LiveCore() = default;
    LiveCore(const LiveCore&) = delete;
    LiveCore& operator=(const LiveCore&) = delete;
};

// Push size and video bitrate (kbit/s) by the stream quality of the settings store:
// 0 640 x 360 at 1000, 1 1280 x 720 at 2000, anything else 1920 x 1080 at 3000.
struct StreamQualitySize {
    int width;
    int height;
    int bitrate;
};
StreamQualitySize streamQualitySize(int quality);

// ---- raw frames of the canvas ---------------------------------------------------------------
// libobs hands every raw video frame (I420 at the push size) and audio block (44100 Hz, 16-bit,
// stereo, interleaved) of a broadcast to the function in the slot, on its own threads, while the
// slot's mutex is held. The frame is valid only during the call. A function must not register or
// unregister in its own slot.
using ObsAudioStreamCallback = std::function<void(void* user_data, uint64_t mix_idx, audio_data* data)>;
using ObsVideoStreamCallback = std::function<void(void* user_data, video_data* frame)>;

int RegisterRecvOBSAudioStreamCallback(ObsAudioStreamCallback callback);
int RegisterRecvOBSVideoStreamCallback(ObsVideoStreamCallback callback);
int UnRegisterRecvOBSAudioStreamCallback();
int UnRegisterRecvOBSVideoStreamCallback();

// The mutex the video function runs under; whoever replaces what that function reads holds it.
std::mutex& RecvOBSVideoStreamMutex();
// The raw video size libobs delivers in (0 x 0 while no broadcast has registered for frames).
// Frames of another size must not be read as if they had the push size.
void RecvOBSVideoStreamSize(uint32_t* width, uint32_t* height);
void SetRecvOBSVideoStreamSize(uint32_t width, uint32_t height);

// Whether a function sits in the video or the audio slot now. The engine asks libobs for raw
// frames only while one does: converting every frame for nobody costs a share of a core.
bool RecvOBSVideoStreamWanted();
bool RecvOBSAudioStreamWanted();
// Called on the registering thread after a slot gained or lost its function (the engine follows
// with its libobs callbacks); one handler, an empty function removes it.
void SetRecvOBSStreamDemandHandler(std::function<void()> handler);

// The entry points libobs calls (also usable to push a frame through the bridge in tests).
void obs_raw_video_callback(void* user_data, video_data* frame);
void obs_raw_audio_callback(void* user_data, size_t mix_idx, audio_data* data);
