#pragma once
// The libobs engine behind LiveCore. One instance runs libobs at a time (libobs is process-wide);
// LiveCore::get_instance makes it on first use. Its implementation is split by concern:
// ObsLiveCore.cpp (start-up, reset, audio channels, shut-down), _Sources, _Display, _Geometry,
// _Stream.
//
// The life of a broadcast's outputs, which holds by construction:
// - One set of stream objects (output, encoders, service) per broadcast, made on the window's
//   thread (core_init_stream). Each set has a worker thread of its own (StreamWorker); only that
//   worker starts, stops and releases the set's output, in the order the window's thread posted
//   the calls. The window's thread only posts, and never waits for libobs' output threads.
// - Retries of the engine (outputStopped -> retryStream) and resumes post a start to the current
//   set's worker; a start is void once a later call (pause, stop, a new start) has bumped the
//   epoch. A set handed to its release (retireOutputSet) is no longer reachable from the window's
//   thread: nothing posts to it, nothing starts it again; its worker ends it, releases it and ends.
// - An RTMP output's connect thread detaches itself, and libobs joins it in a stop or a release
//   that comes while it runs. So nothing stops or releases an output while its connect thread
//   runs: the worker waits for the thread's report (start or stop) and for its end first.
// - A video reset frees the video that encoders and outputs were bound to. It happens only while
//   the video gate (VideoGate) is open: no output of any set, current or ending, can still begin
//   data capture (a start posted and not run, or a start run and its stop not reported) or still
//   has encoders attached to the video (until libobs' "deactivate"), and no raw callback job is
//   queued. Otherwise the reset is put off (core_reset_video answers
//   OBS_VIDEO_CURRENTLY_ACTIVE) and tried again from a timer on the window's thread until the gate
//   opens; a start asked for meanwhile waits for it. A set made before the last reset is made
//   anew, with the same parameters, at its next start, so that its encoders and output are bound
//   to the video that is current at every start, resume and retry.
// - Shut-down ends the current set and joins every worker (the raw callback worker too) before
//   libobs goes.

#include "engine/LiveCore.h"
#include "engine/LiveCoreState.h"
#include "engine/StreamWorker.h"
#include "engine/VideoGate.h"

#include <obs.h>

#include <atomic>
#include <condition_variable>
#include <cstdarg>
#include <memory>
#include <mutex>
#include <string>
#include <sys/types.h>
#include <vector>

class QObject;
struct obs_data;
struct obs_encoder;
struct obs_output;
struct obs_service;
struct calldata;

class ObsLiveCore : public LiveCore
{
public:
    ObsLiveCore();
    ~ObsLiveCore() override;

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
    bool core_is_started() const override { return status.obs_started; }

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

    // ---- read-backs and settings for tests and benchmarks -------------------------------------
    const LiveCoreState& state() const { return status; }
    // Stands a picture in for the host camera on machines without one (the benchmarks' scene):
    // "camera source" becomes a picture of `file`, out of the scene until a caller adds it, and
    // the camera list holds one entry, so the canvas code places it as it places a camera.
    bool standInCameraPicture(const QString& file);
    obs_output* streamOutput() const { return stream_output; }
    // Reconnect settings of start_stream (20 retries, 10 s apart); tests shorten them.
    static constexpr int kReconnectRetries = 20;
    static constexpr int kReconnectDelaySec = 10;
    void setReconnectSettings(int retries, int delaySec);
    // Number of draw registrations attached to a window's display by this engine.
    int drawRegistrations(LiveWindowHandle window) const;
    // libobs' raw video and audio callbacks are attached (or on their way, on the raw callback worker).
    bool rawVideoAttached() const { return raw_video_added; }
    bool rawAudioAttached() const { return raw_audio_added; }
    // A video reset is put off until the outputs that can still begin data capture are gone.
    bool videoResetPending() const { return reset_pending; }
    // Resets libobs carried out (or tried: a failed one may have freed the video too).
    int videoResetsDone() const { return video_serial; }
    const VideoGate& videoGate() const { return video_gate; }

    // The libobs log handler: one line of at most 4095 characters to the debugger output.
    static void obs_log_to_debugger(int level, const char* format, va_list args, void* param);

private:
    // ---- start-up, audio ----
    void releaseAudioEntries(const char* entryName, int channel);

    // ---- displays ----
    obs_display* get_display(LiveWindowHandle window);
    void destroyDisplay(LiveWindowHandle window);
    void windowGone(LiveWindowHandle window);
    void windowResized(LiveWindowHandle window, int width, int height);
    void windowSeen(LiveWindowHandle window, bool seen);
    void fitPreview(int width, int height, bool withMargin, bool storeShownSize);

    // ---- sources ----
    obs_source* createVideoSource(const char* type, const char* obsName, const char* tableName, int subtype);
    obs_scene_item* findItem(const char* name) const;
    std::vector<ObsListItem> readPropertyList(obs_source* source, const char* property, bool logItems);

    // ---- geometry ----
    void setPosition(const char* name, float x, float y);
    void setItemSize(int op, const char* name, float width, float height, bool portrait, bool force640x480,
                     bool canvasUnits);

    // ---- video reset ----
    int applyPendingReset();
    void scheduleResetRetry();

    // ---- stream ----
    // One set's output as its threads see it: the engine (window's thread), the set's worker and
    // libobs' output threads. Guarded by `mutex`.
    struct OutputLife
    {
        std::mutex mutex;
        std::condition_variable changed;
        VideoGate* gate = nullptr;
        VideoGate::Holder holder;
        int pendingStarts = 0; // starts posted and not yet run
        bool running = false;  // started, and its stop not reported yet
        bool connecting = false; // started, and neither its start nor its stop reported yet
        // Between libobs' "activate" and "deactivate": the encoders are attached to the video.
        // libobs reports the stop, and lets a reset through, before its end thread has detached
        // them from the video; "deactivate" comes once it has.
        bool capturing = false;
        pid_t reporter = 0;    // the thread of the last report
        // The gate is held while a start is pending, the output runs or its encoders are still
        // attached (call with the mutex held).
        void updateGate();
    };
    static void onLifeStart(void* data, calldata* params);
    static void onLifeStop(void* data, calldata* params);
    static void onLifeActivate(void* data, calldata* params);
    static void onLifeDeactivate(void* data, calldata* params);
    void releaseStreamObjects();
    // Hands the output set to its worker to be ended and released there, and keeps the worker
    // until it is done.
    void retireOutputSet();
    // On the worker: stops the output as the host asked, once its connect thread is over (a
    // broadcast still connecting is ended before it sends anything), and waits for its stop.
    static void endOutput(obs_output* output, OutputLife& life);
    // Posts a job to the raw callback worker; it holds the video gate until it has run.
    void postRawJob(std::function<void()> job);
    // Makes the stream objects anew with the last parameters (a video reset came in between),
    // keeping the engine's retry state.
    bool renewOutputSet();
    void reapRetiredOutputs();
    // Adds and removes the raw frame callbacks, in order: libobs takes a removal only between two
    // frames, and the encoders encode inside a frame, so a removal can wait a long while.
    StreamWorker* rawCallbackWorker();
    void syncRawCallbacks();
    void joinRetiredOutputs();
    // Starts the output on its worker (once a lost or paused output has ended); false only when
    // there is no output. A start that libobs refuses is reported as a stop with an error.
    bool startOutput(bool setPreferredSize);
    // The push size, width and height swapped for a portrait broadcast started while sharing.
    static void preferredOutputSize(uint32_t* width, uint32_t* height);
    void connectOutputSignals();
    void disconnectOutputSignals();
    static void onOutputStop(void* data, calldata* params);
    static void onOutputStart(void* data, calldata* params);
    void postToContext(void (ObsLiveCore::*handler)(int), int code, int generation);
    void outputStopped(int code);
    void outputStarted(int);
    void retryStream(int token);
    void endReconnecting();
    void reportStreamEvent(LiveStreamEvent event, int code);

    LiveCoreState status;
    bool first_audio_probe = true;
    obs_service* service = nullptr;
    obs_data* video_settings = nullptr;
    obs_data* audio_settings = nullptr;
    obs_encoder* video_encoder = nullptr;
    obs_encoder* audio_encoder = nullptr;
    obs_output* stream_output = nullptr;

    // The preview rectangle (preview pixels) and scale.
    float preview_wnd_scale = 0;
    int preview_x = 0;
    int preview_y = 0;
    int preview_width = 800;
    int preview_height = 600;

    QObject* m_context = nullptr; // GUI-thread context of queued reports and the quit connection
    QObject* m_windowWatch = nullptr; // destroys a display before its window goes
    bool modules_loaded = false;
    bool torn_down = false;
    // Raw frames: the stream objects are set up (raw_stream_ready) for frames of this size, and
    // libobs' callbacks are attached only while a function sits in the matching slot.
    bool raw_stream_ready = false;
    bool raw_video_added = false;
    bool raw_audio_added = false;
    uint32_t raw_width = 0;
    uint32_t raw_height = 0;
    bool output_signals_connected = false;
    int reconnect_retries = kReconnectRetries;
    int reconnect_delay_sec = kReconnectDelaySec;
    // The engine's own retries after a lost connection (GUI thread): attempts made so far, and a
    // token that a pending retry must still hold to run.
    bool reconnecting = false;
    int reconnect_attempts = 0;
    int reconnect_token = 0;
    std::map<LiveWindowHandle, int> draw_registrations;
    LiveStreamEventHandler stream_event_handler;
    // Set while the output has been started and has reported neither its start nor a stop: an RTMP
    // output is then in libobs' connect thread, and ending it waits for the handshake (up to the
    // socket time-out), so such an output is force-stopped (on its worker, as every end is).
    std::atomic<bool> output_connecting{false};
    // Runs the calls on the current output set that wait for the network or for the output's
    // threads (start, stop, release), so the GUI thread never does; ended sets stay with their
    // worker until it is done.
    std::unique_ptr<StreamWorker> output_worker;
    // The current set's life, shared with the jobs of its worker and libobs' output threads.
    std::shared_ptr<OutputLife> output_life;
    std::vector<std::unique_ptr<StreamWorker>> retired_workers;
    std::unique_ptr<StreamWorker> raw_worker;
    // Bumped by every call that supersedes a queued start (pause, stop, a new start): such a start
    // does not run.
    std::atomic<int> output_epoch{0};
    // The last parameters given, so that a pause while connecting can set up a fresh output.
    std::string last_server;
    std::string last_key;
    int last_audio_bitrate = 0;
    // Bumped for each set of stream objects, so a late report of an earlier output is dropped.
    std::atomic<int> stream_generation{0};

    // Video resets (window's thread): what keeps them off, the reset put off, and a start that
    // waits for it (valid while output_epoch still holds start_waiting_epoch).
    VideoGate video_gate;
    bool reset_pending = false;
    bool reset_retry_scheduled = false;
    static constexpr int kFirstResetRetryMs = 20;
    static constexpr int kLastResetRetryMs = 320;
    int reset_retry_ms = kFirstResetRetryMs;
    obs_video_info pending_video = {};
    bool start_waiting = false;
    bool start_waiting_preferred = false;
    int start_waiting_epoch = 0;
    // Bumped by every reset libobs carried out; a set remembers the one it was made for.
    int video_serial = 0;
    int set_video_serial = 0;
};
