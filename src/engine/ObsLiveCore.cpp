// ObsLiveCore: start-up, video and audio reset, the audio channels, the log handler, shut-down.
#include "engine/ObsLiveCore.h"

#include "core/DataCenter.h"
#include "platform/ObsPlatform.h"
#include "platform/ObsSourceTypes.h"
#include "platform/RtmpCustomService.h"

#include <obs.h>

#include <QCoreApplication>
#include <QDebug>
#include <QTimer>

#include <algorithm>
#include <cstdarg>
#include <cstdlib>
#include <cstdio>
#include <cstring>

namespace {
// Output channels: 0 the scene, 1 desktop sound, 3 microphone.
constexpr int kDesktopAudioChannel = 1;
constexpr int kMicChannel = 3;
constexpr const char kDesktopAudioName[] = "DesktopAudioDevice1";
constexpr const char kMicName[] = "AuxAudioDevice1";

// The context of queued calls to the GUI thread and of the quit connection: deleting it with the
// engine drops whatever is still pending.
QObject* newContext() { return new QObject; }

bool sameVideo(const obs_video_info& a, const obs_video_info& b)
{
    return a.graphics_module && b.graphics_module && std::strcmp(a.graphics_module, b.graphics_module) == 0 &&
           a.fps_num == b.fps_num && a.fps_den == b.fps_den && a.base_width == b.base_width &&
           a.base_height == b.base_height && a.output_width == b.output_width && a.output_height == b.output_height &&
           a.output_format == b.output_format && a.adapter == b.adapter && a.gpu_conversion == b.gpu_conversion &&
           a.colorspace == b.colorspace && a.range == b.range && a.scale_type == b.scale_type;
}

// The engine running libobs (one at a time: libobs is process-wide). libobs' threads must be
// stopped before the process tears down the X and EGL connections they render through, also when
// the event loop never ran (aboutToQuit is not sent then).
ObsLiveCore* g_running = nullptr;
void shutDownRunningEngine()
{
    if (g_running)
        g_running->core_shutdown();
}
} // namespace

ObsLiveCore::ObsLiveCore() : m_context(newContext())
{
    SetRecvOBSStreamDemandHandler([this] { syncRawCallbacks(); });
}

ObsLiveCore::~ObsLiveCore()
{
    SetRecvOBSStreamDemandHandler({});
    core_shutdown();
    delete m_windowWatch;
    delete m_context;
}

void ObsLiveCore::obs_log_to_debugger(int /*level*/, const char* format, va_list args, void* /*param*/)
{
    char text[4096];
    std::vsnprintf(text, sizeof(text), format, args); // longer messages are cut at 4095 characters
    platform::writeDebuggerLine(text);
}

bool ObsLiveCore::core_startup(const char* bin_path, const char* data_path, const char* module_config_path)
{
    if (status.obs_started)
        return true; // libobs runs once per engine; a second obs_startup would fail and look like a stop
    if (torn_down)
        return false;
    // Installed first so that start-up's own lines reach the same place.
    base_set_log_handler(obs_log_to_debugger, nullptr);
    if (!platform::prepareObsPlatform()) {
        status.obs_started = false;
        return false;
    }
    status.obs_started = obs_startup("en-US", module_config_path, nullptr);
    if (!status.obs_started) {
        platform::releaseObsPlatform();
        return false;
    }
    if (bin_path && data_path)
        obs_add_module_path(bin_path, data_path);
    g_running = this;
    if (QCoreApplication* app = QCoreApplication::instance()) {
        QObject::connect(app, &QCoreApplication::aboutToQuit, m_context, [this] { core_shutdown(); });
        qAddPostRoutine(shutDownRunningEngine); // the application object goes without an event loop
    }
    static const bool atExit = std::atexit(shutDownRunningEngine) == 0; // after the EGL driver's own
    Q_UNUSED(atExit);
    return true;
}

void ObsLiveCore::core_load_modules()
{
    if (!status.obs_started || modules_loaded)
        return;
    modules_loaded = true;
    platform::loadObsModuleWhitelist();
    platform::registerRtmpCustomService();
    obs_post_load_modules();
}

int ObsLiveCore::core_reset_video(int base_w, int base_h, int out_w, int out_h, int fps)
{
    // The sizes are kept whatever libobs answers: the preview geometry reads them.
    status.base_width = uint32_t(base_w);
    status.base_height = uint32_t(base_h);
    status.output_width = uint32_t(out_w);
    status.output_height = uint32_t(out_h);
    if (!status.obs_started)
        return OBS_VIDEO_FAIL;

    obs_video_info ovi = {};
    ovi.graphics_module = platform::obsGraphicsModule();
    ovi.fps_num = uint32_t(fps);
    ovi.fps_den = 1;
    ovi.base_width = uint32_t(base_w);
    ovi.base_height = uint32_t(base_h);
    ovi.output_width = uint32_t(out_w);
    ovi.output_height = uint32_t(out_h);
    ovi.output_format = VIDEO_FORMAT_NV12;
    ovi.adapter = 0;
    ovi.gpu_conversion = true;
    ovi.colorspace = VIDEO_CS_709;
    ovi.range = VIDEO_RANGE_FULL;
    ovi.scale_type = OBS_SCALE_DISABLE;
    // A reset to what libobs already runs changes nothing, yet rebuilds the video pipeline on this
    // thread: a fifth of a second of a frozen window on a loaded machine, at every broadcast start.
    // It also makes a reset put off earlier moot.
    obs_video_info current = {};
    if (obs_get_video_info(&current) && sameVideo(current, ovi)) {
        if (reset_pending) {
            reset_pending = false;
            applyPendingReset(); // lets a start that waited for it go
        }
        return OBS_VIDEO_SUCCESS;
    }
    if (!reset_pending)
        reset_retry_ms = kFirstResetRetryMs;
    pending_video = ovi;
    reset_pending = true;
    return applyPendingReset();
}

int ObsLiveCore::applyPendingReset()
{
    int result = OBS_VIDEO_SUCCESS;
    if (reset_pending) {
        // An output that can still begin data capture, or a raw callback job, would reach the
        // video this reset frees: put off until they are gone (see the invariant in the header).
        // libobs itself refuses while encoders or raw callbacks are attached: put off as well.
        if (!video_gate.isOpen()) {
            scheduleResetRetry();
            return OBS_VIDEO_CURRENTLY_ACTIVE;
        }
        result = obs_reset_video(&pending_video);
        if (result == OBS_VIDEO_CURRENTLY_ACTIVE) {
            scheduleResetRetry();
            return result;
        }
        // Even a failed reset may have freed the old video: every set made before is stale.
        ++video_serial;
        reset_pending = false;
        reset_retry_ms = kFirstResetRetryMs;
        if (result != OBS_VIDEO_SUCCESS)
            blog(LOG_WARNING, "[livecore] video reset failed: %d", result);
    }
    if (start_waiting) {
        start_waiting = false;
        if (start_waiting_epoch == output_epoch && stream_output)
            startOutput(start_waiting_preferred);
    }
    return result;
}

void ObsLiveCore::scheduleResetRetry()
{
    if (reset_retry_scheduled)
        return;
    reset_retry_scheduled = true;
    // Soon at first (an output ending, a raw callback job), then less often (a broadcast that
    // runs for hours keeps it off).
    const int delay = reset_retry_ms;
    reset_retry_ms = std::min(reset_retry_ms * 2, kLastResetRetryMs);
    QTimer::singleShot(delay, m_context, [this] {
        reset_retry_scheduled = false;
        if (status.obs_started)
            applyPendingReset();
    });
}

bool ObsLiveCore::core_reset_audio(int samples_per_sec, int layout)
{
    if (!status.obs_started)
        return false;
    obs_audio_info oai = {};
    oai.samples_per_sec = uint32_t(samples_per_sec);
    oai.speakers = layout == 8 ? SPEAKERS_MONO : SPEAKERS_STEREO;
    return obs_reset_audio(&oai);
}

std::vector<ObsListItem> ObsLiveCore::readPropertyList(obs_source* source, const char* property, bool logItems)
{
    std::vector<ObsListItem> items;
    obs_properties_t* props = obs_source_properties(source);
    if (!props)
        return items;
    for (obs_property_t* p = obs_properties_first(props); p; obs_property_next(&p)) {
        const char* name = obs_property_name(p);
        if (logItems)
            qDebug() << "obs_property_name:" << name;
        if (std::strcmp(name, property) != 0)
            continue;
        const size_t count = obs_property_list_item_count(p);
        for (size_t i = 0; i < count; ++i) {
            const char* itemName = obs_property_list_item_name(p, i);
            const char* itemValue = obs_property_list_item_string(p, i);
            if (logItems) {
                qDebug() << "obs_property_list_item_name:" << itemName;
                qDebug() << "obs_property_list_item_string:" << itemValue;
            }
            items.push_back({itemName ? itemName : "", itemValue ? itemValue : ""});
        }
    }
    obs_properties_destroy(props);
    return items;
}

bool ObsLiveCore::init_audio_info(const char* source_type, bool keep)
{
    if (!status.obs_started || !source_type)
        return false;
    obs_properties_t* props = obs_get_source_properties(source_type);
    if (!props)
        return false;
    size_t count = 0;
    obs_property_t* device = obs_properties_get(props, obs_types::audioDeviceKey);
    if (device)
        count = obs_property_list_item_count(device);
    if (keep && device) {
        std::vector<ObsListItem> items;
        for (size_t i = 0; i < count; ++i) {
            const char* name = obs_property_list_item_name(device, i);
            const char* value = obs_property_list_item_string(device, i);
            items.push_back({name ? name : "", value ? value : ""});
            std::printf("audio name = %s\n", name ? name : "");
        }
        status.audio_list = std::move(items);
    }
    obs_properties_destroy(props);
    return count != 0;
}

void ObsLiveCore::core_init_audio_devices()
{
    if (!status.obs_started)
        return;
    if (first_audio_probe) {
        init_audio_info(obs_types::desktopAudio, false); // counted, as the microphone; not used
        if (init_audio_info(obs_types::microphone, true))
            core_set_channel_source(obs_types::microphone, "default", kMicName, kMicChannel);
    }
    first_audio_probe = false;
}

bool ObsLiveCore::core_create_scene(const char* name)
{
    if (!status.obs_started)
        return false;
    obs_scene_t* scene = obs_scene_create(name);
    if (!scene)
        return false;
    obs_set_output_source(0, obs_scene_get_source(scene));
    if (status.scene) {
        // The old scene is off its channel now; its items go with it.
        status.scene_items.clear();
        obs_scene_release(status.scene);
    }
    status.scene = scene;
    return true;
}

void ObsLiveCore::core_set_channel_source(const char* type, const char* device_id, const char* name, int channel)
{
    if (!status.obs_started || !type || !device_id || !name)
        return;
    obs_source_t* kept = nullptr;
    if (obs_source_t* current = obs_get_output_source(uint32_t(channel))) {
        obs_data_t* settings = obs_source_get_settings(current);
        const bool sameDevice = std::strcmp(obs_data_get_string(settings, obs_types::audioDeviceKey), device_id) == 0;
        obs_data_release(settings);
        if (sameDevice) {
            kept = current;
        } else {
            // The channel lets go of this source below; entries pointing at it would dangle.
            status.remove_entries_of(current);
            obs_source_release(current);
        }
    }
    obs_source_t* onChannel = kept;
    if (!kept) {
        obs_set_output_source(uint32_t(channel), nullptr);
        if (std::strcmp(device_id, "disabled") == 0)
            return;
        obs_data_t* settings = obs_data_create();
        obs_data_set_string(settings, obs_types::audioDeviceKey, device_id);
        obs_source_t* created = obs_source_create(type, name, settings, nullptr);
        obs_data_release(settings);
        if (!created)
            return;
        obs_set_output_source(uint32_t(channel), created);
        obs_source_release(created); // the channel owns it
        onChannel = created;
    }
    if (std::strcmp(name, kDesktopAudioName) == 0)
        status.add_source("audio_output", 2, 1, onChannel);
    else if (std::strcmp(name, kMicName) == 0)
        status.add_source("audio_input", 2, 2, onChannel);
    if (kept)
        obs_source_release(kept);
}

void ObsLiveCore::releaseAudioEntries(const char* entryName, int channel)
{
    // Off means off: the source leaves its channel (so it is no longer heard) and every table entry
    // that points at it goes, so nothing reaches a released source by name.
    // Only audio entries: a video source that happens to carry the name is not the channel's.
    for (const LiveCoreSource* entry = status.find_entry(entryName); entry && entry->kind == 2;
         entry = status.find_entry(entryName)) {
        obs_source* source = entry->source;
        if (!source) {
            status.remove_source(entryName);
            continue;
        }
        obs_source_remove(source);
        status.remove_entries_of(source); // this entry among them
    }
    if (obs_source_t* current = obs_get_output_source(uint32_t(channel))) {
        status.remove_entries_of(current);
        obs_source_remove(current);
        obs_set_output_source(uint32_t(channel), nullptr);
        obs_source_release(current);
    }
}

void ObsLiveCore::core_set_mic_source(bool on)
{
    if (!status.obs_started)
        return;
    if (on)
        core_set_channel_source(obs_types::microphone, "default", kMicName, kMicChannel);
    else
        releaseAudioEntries("audio_input", kMicChannel);
}

void ObsLiveCore::core_set_desktop_audio_source(bool on)
{
    if (!status.obs_started)
        return;
    if (on)
        core_set_channel_source(obs_types::desktopAudio, "default", kDesktopAudioName, kDesktopAudioChannel);
    else
        releaseAudioEntries("audio_output", kDesktopAudioChannel);
}

void ObsLiveCore::core_shutdown()
{
    if (!status.obs_started) {
        torn_down = true;
        return;
    }
    // In order: the broadcast and the raw callbacks, the displays with their draw callbacks, the
    // sources, the channels and the scene, then libobs itself.
    reset_pending = false;
    start_waiting = false;
    releaseStreamObjects();
    joinRetiredOutputs(); // outputs still ending must be gone before libobs is
    while (!status.displays.empty())
        destroyDisplay(status.displays.begin()->first);
    status.scene_items.clear();
    for (LiveCoreSource& entry : status.sources) {
        if (entry.kind != 2 && entry.source)
            obs_source_release(entry.source);
    }
    status.sources.clear();
    for (uint32_t channel = 0; channel < MAX_CHANNELS; ++channel)
        obs_set_output_source(channel, nullptr);
    if (status.scene)
        obs_scene_release(status.scene);
    status.scene = nullptr;
    obs_shutdown();
    platform::releaseObsPlatform();
    if (g_running == this)
        g_running = nullptr;

    status.obs_started = false;
    status.main_preview_drawn = false;
    status.main_preview_hwnd = 0;
    status.share_preview_hwnd = 0;
    status.win_list.clear();
    status.camera_list.clear();
    status.audio_list.clear();
    draw_registrations.clear();
    torn_down = true;
}
