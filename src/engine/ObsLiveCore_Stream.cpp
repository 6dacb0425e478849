// ObsLiveCore: the stream output, its encoders and service, the raw frame callbacks, and what the
// running output reports by itself.
#include "engine/ObsLiveCore.h"

#include "core/DataCenter.h"
#include "platform/ObsSourceTypes.h"

#include <obs.h>

#include <QCoreApplication>
#include <QDebug>
#include <QMetaObject>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <malloc.h>
#include <thread>
#include <unistd.h>

namespace {
void logEncoderFailure(const char* what)
{
    blog(LOG_DEBUG, "[livecore : '%s'] Failed to create %s streaming encoder (simple output)", "obs interface ", what);
}

// An RTMP output's connect thread ("rtmp-stream: connect_thread", cut to 15 characters by the
// kernel) still runs a few steps after its report, then detaches itself. Waits (at most `limit`)
// until the thread `tid` is gone or is another thread by now.
void waitForConnectThreadEnd(pid_t tid, std::chrono::milliseconds limit)
{
    if (tid <= 0 || tid == gettid())
        return;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    char path[64];
    std::snprintf(path, sizeof(path), "/proc/self/task/%d/comm", int(tid));
    static constexpr char kName[] = "rtmp-stream: co";
    while (std::chrono::steady_clock::now() < deadline) {
        char name[32] = {};
        const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return;
        const ssize_t got = ::read(fd, name, sizeof(name) - 1);
        ::close(fd);
        if (got < ssize_t(sizeof(kName) - 1) || std::memcmp(name, kName, sizeof(kName) - 1) != 0)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

// How long an ending output may take to report: a connect thread gives up at the socket's
// time-out at the latest; past this the worker falls back to a force stop.
constexpr auto kReportLimit = std::chrono::seconds(120);
} // namespace

void ObsLiveCore::OutputLife::updateGate()
{
    if (pendingStarts > 0 || running || capturing)
        gate->hold(holder);
    else
        gate->letGo(holder);
    changed.notify_all();
}

// The set's own view of its output, on libobs' output threads; connected for the output's whole
// life (the engine's reports are disconnected when the set is retired, these are not).
void ObsLiveCore::onLifeStart(void* data, calldata*)
{
    auto* life = static_cast<OutputLife*>(data);
    std::lock_guard<std::mutex> lock(life->mutex);
    life->connecting = false;
    life->reporter = gettid();
    life->updateGate();
}

void ObsLiveCore::onLifeStop(void* data, calldata*)
{
    auto* life = static_cast<OutputLife*>(data);
    std::lock_guard<std::mutex> lock(life->mutex);
    life->connecting = false;
    life->running = false;
    life->reporter = gettid();
    life->updateGate();
}

void ObsLiveCore::onLifeActivate(void* data, calldata*)
{
    auto* life = static_cast<OutputLife*>(data);
    std::lock_guard<std::mutex> lock(life->mutex);
    life->capturing = true;
    life->updateGate();
}

void ObsLiveCore::onLifeDeactivate(void* data, calldata*)
{
    auto* life = static_cast<OutputLife*>(data);
    std::lock_guard<std::mutex> lock(life->mutex);
    life->capturing = false;
    life->updateGate();
}

void ObsLiveCore::postRawJob(std::function<void()> job)
{
    video_gate.holdJob();
    const bool posted = rawCallbackWorker()->post([this, job = std::move(job)] {
        job();
        video_gate.jobDone();
    });
    if (!posted)
        video_gate.jobDone();
}

void ObsLiveCore::releaseStreamObjects()
{
    if (raw_stream_ready) {
        raw_stream_ready = false;
        syncRawCallbacks();
        postRawJob([] { SetRecvOBSVideoStreamSize(0, 0); });
    }
    ++stream_generation; // whatever the old output still reports is stale now
    endReconnecting();
    disconnectOutputSignals();
    output_connecting = false;
    if (audio_settings) {
        obs_data_release(audio_settings);
        audio_settings = nullptr;
    }
    if (video_settings) {
        obs_data_release(video_settings);
        video_settings = nullptr;
    }
    retireOutputSet();
}

void ObsLiveCore::retireOutputSet()
{
    obs_output* output = stream_output;
    obs_service* oldService = service;
    obs_encoder* video = video_encoder;
    obs_encoder* audio = audio_encoder;
    stream_output = nullptr;
    service = nullptr;
    video_encoder = nullptr;
    audio_encoder = nullptr;
    if (!output_worker)
        return;
    // The release waits for the output's threads, and the stop of a connecting output for its
    // handshake.
    output_worker->post([output, oldService, video, audio, life = output_life] {
        if (output) {
            endOutput(output, *life);
            obs_output_release(output); // no report comes after this
            // Released: its threads are joined, nothing of it is attached to the video.
            std::lock_guard<std::mutex> lock(life->mutex);
            life->running = false;
            life->capturing = false;
            life->updateGate();
        }
        obs_service_release(oldService);
        obs_encoder_release(video);
        obs_encoder_release(audio);
        // The encoders' and the output's threads freed their buffers in arenas of their own,
        // which the allocator keeps mapped; a host broadcasting many times a day would see the
        // resident size climb with each broadcast. Hand the free pages back.
        malloc_trim(0);
    });
    output_worker->finish();
    retired_workers.push_back(std::move(output_worker));
}

StreamWorker* ObsLiveCore::rawCallbackWorker()
{
    if (!raw_worker)
        raw_worker = std::make_unique<StreamWorker>();
    return raw_worker.get();
}

void ObsLiveCore::reapRetiredOutputs()
{
    for (auto it = retired_workers.begin(); it != retired_workers.end();) {
        if ((*it)->done()) {
            (*it)->join();
            it = retired_workers.erase(it);
        } else {
            ++it;
        }
    }
}

void ObsLiveCore::joinRetiredOutputs()
{
    raw_worker.reset(); // runs what is queued, then ends
    for (auto& worker : retired_workers)
        worker->join();
    retired_workers.clear();
}

void ObsLiveCore::endOutput(obs_output* output, OutputLife& life)
{
    std::unique_lock<std::mutex> lock(life.mutex);
    const bool wasConnecting = life.connecting;
    // A stop or a release now would join the connect thread that detaches itself: wait for its
    // report (the handshake's end), then for the thread itself.
    if (!life.changed.wait_for(lock, kReportLimit, [&] { return !life.connecting; })) {
        // Never reported: the old way, a force stop that waits for the handshake.
        lock.unlock();
        obs_output_force_stop(output);
        lock.lock();
        life.connecting = false;
        life.running = false;
        life.updateGate();
        return;
    }
    pid_t reporter = life.reporter;
    const bool running = life.running;
    lock.unlock();
    waitForConnectThreadEnd(reporter, std::chrono::seconds(5));
    if (running && obs_output_active(output)) {
        // One that was still connecting when its end was asked for goes at once, its queued
        // packets with it; a live one sends what it has.
        if (wasConnecting)
            obs_output_force_stop(output);
        else
            obs_output_stop(output);
    }
    lock.lock();
    if (!life.changed.wait_for(lock, kReportLimit, [&] { return !life.running; })) {
        life.running = false;
        life.updateGate();
    }
    reporter = life.reporter;
    lock.unlock();
    waitForConnectThreadEnd(reporter, std::chrono::seconds(5));
}

bool ObsLiveCore::renewOutputSet()
{
    const bool wasReconnecting = reconnecting;
    const int attempts = reconnect_attempts;
    const std::string server = last_server, key = last_key;
    const int audioBitrate = last_audio_bitrate;
    const bool ok = core_init_stream() && set_stream_parameters(server.c_str(), key.c_str(), 0, audioBitrate);
    reconnecting = wasReconnecting;
    reconnect_attempts = attempts;
    return ok;
}

bool ObsLiveCore::startOutput(bool setPreferredSize)
{
    if (!stream_output || !output_worker)
        return false;
    if (reset_pending) {
        // The start goes out once the video is what was asked for (applyPendingReset).
        start_waiting = true;
        start_waiting_epoch = ++output_epoch;
        start_waiting_preferred = setPreferredSize;
        scheduleResetRetry();
        return true;
    }
    // Made for a video that a reset has freed since: its output and encoders are bound to it.
    if (set_video_serial != video_serial && !renewOutputSet())
        return false;
    obs_output* output = stream_output;
    const int epoch = ++output_epoch;
    const int generation = stream_generation;
    uint32_t width = 0, height = 0;
    if (setPreferredSize)
        preferredOutputSize(&width, &height);
    output_connecting = true;
    std::shared_ptr<OutputLife> life = output_life;
    {
        // Closed here, on the window's thread, before the start is posted (see VideoGate).
        std::lock_guard<std::mutex> lock(life->mutex);
        ++life->pendingStarts;
        life->updateGate();
    }
    output_worker->post([this, output, epoch, generation, width, height, life] {
        // Marked again before the check (the end of the paused output may have cleared it), so a
        // pause that comes after the check finds the output connecting.
        if (generation == stream_generation)
            output_connecting = true;
        const auto startDone = [&life](bool refused) {
            std::lock_guard<std::mutex> lock(life->mutex);
            --life->pendingStarts;
            if (refused) {
                life->running = false;
                life->connecting = false;
            }
            life->updateGate();
        };
        // A paused or lost output is still ending for a while (its last packets, its encoders);
        // libobs refuses a start, and a new preferred size, until it has; and its stop report
        // must not be taken for one of this start.
        for (;;) {
            if (epoch != output_epoch)
                break;
            bool running;
            {
                std::lock_guard<std::mutex> lock(life->mutex);
                running = life->running;
            }
            if (!running && !obs_output_active(output))
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (epoch != output_epoch) {
            startDone(false); // paused, stopped or started anew meanwhile
            return;
        }
        if (width && height)
            obs_output_set_preferred_size(output, width, height);
        obs_output_set_delay(output, 0, OBS_OUTPUT_DELAY_PRESERVE);
        // libobs' own retries stay off: its retry can fall due while the lost output is still
        // ending, and then it gives up without reporting anything (the broadcast would hang
        // "reconnecting" for good). The engine retries instead (outputStopped).
        obs_output_set_reconnect_settings(output, 0, 0);
        {
            // Before the start: its report can come before obs_output_start returns.
            std::lock_guard<std::mutex> lock(life->mutex);
            life->running = true;
            life->connecting = true;
            life->reporter = 0;
        }
        if (obs_output_start(output)) {
            startDone(false);
            return;
        }
        startDone(true);
        if (generation == stream_generation)
            output_connecting = false;
        postToContext(&ObsLiveCore::outputStopped, OBS_OUTPUT_ERROR, generation);
    });
    return true;
}

bool ObsLiveCore::core_init_stream()
{
    if (!status.obs_started)
        return false;
    // One set of stream objects per broadcast: a failed start may have left the last ones.
    releaseStreamObjects();
    reapRetiredOutputs();
    output_worker = std::make_unique<StreamWorker>();
    output_life = std::make_shared<OutputLife>();
    output_life->gate = &video_gate;
    set_video_serial = video_serial;
    const auto store = CDataCenter::getInstance();
    if (store->pushKey.isEmpty()) {
        stream_output = obs_output_create("ffmpeg_mpegts_muxer", "simple_stream", nullptr, nullptr);
    } else {
        obs_data_t* settings = obs_data_create();
        obs_data_t* hotkeys = obs_data_create();
        stream_output = obs_output_create("rtmp_output", "simple_stream", settings, hotkeys);
        obs_data_release(hotkeys);
        obs_data_release(settings);
    }
    if (stream_output) {
        signal_handler_t* sh = obs_output_get_signal_handler(stream_output);
        signal_handler_connect(sh, "start", onLifeStart, output_life.get());
        signal_handler_connect(sh, "stop", onLifeStop, output_life.get());
        signal_handler_connect(sh, "activate", onLifeActivate, output_life.get());
        signal_handler_connect(sh, "deactivate", onLifeDeactivate, output_life.get());
    }
    connectOutputSignals();
    audio_settings = obs_data_create();

    video_encoder = obs_video_encoder_create("obs_x264", "simple_h264_stream", nullptr, nullptr);
    if (!video_encoder) {
        logEncoderFailure("h264");
        return false;
    }
    audio_encoder = obs_audio_encoder_create("ffmpeg_aac", "simple_aac", nullptr, 0, nullptr);
    if (!audio_encoder) {
        logEncoderFailure("aac");
        return false;
    }

    const StreamQualitySize push = streamQualitySize(store->streamQuality);
    qDebug() << "obs raw callback width:" << push.width << "height: " << push.height;
    raw_width = uint32_t(push.width);
    raw_height = uint32_t(push.height);
    // The size first: no frame of this registration may be read at an earlier size.
    postRawJob([push] { SetRecvOBSVideoStreamSize(uint32_t(push.width), uint32_t(push.height)); });
    raw_stream_ready = true;
    syncRawCallbacks();
    return true;
}

void ObsLiveCore::syncRawCallbacks()
{
    // Decided here, carried out in order on the raw callback worker. Only what was added is
    // removed: libobs counts raw video users, and a removal without an addition would leave the
    // count below zero and stop frames for the next broadcast.
    const bool video = raw_stream_ready && status.obs_started && RecvOBSVideoStreamWanted();
    if (video && !raw_video_added) {
        postRawJob([width = raw_width, height = raw_height] {
            video_scale_info info = {};
            info.format = VIDEO_FORMAT_I420;
            info.width = width;
            info.height = height;
            info.range = VIDEO_RANGE_DEFAULT;
            info.colorspace = VIDEO_CS_DEFAULT;
            obs_add_raw_video_callback(&info, obs_raw_video_callback, nullptr);
        });
    } else if (!video && raw_video_added) {
        postRawJob([] { obs_remove_raw_video_callback(obs_raw_video_callback, nullptr); });
    }
    raw_video_added = video;
    const bool audio = raw_stream_ready && status.obs_started && RecvOBSAudioStreamWanted();
    if (audio && !raw_audio_added) {
        postRawJob([] {
            audio_convert_info info = {};
            info.samples_per_sec = 44100;
            info.format = AUDIO_FORMAT_16BIT;
            info.speakers = SPEAKERS_STEREO;
            obs_add_raw_audio_callback(0, &info, obs_raw_audio_callback, nullptr);
        });
    } else if (!audio && raw_audio_added) {
        postRawJob([] { obs_remove_raw_audio_callback(0, obs_raw_audio_callback, nullptr); });
    }
    raw_audio_added = audio;
}

bool ObsLiveCore::set_stream_parameters(const char* server, const char* key, int /*unused*/, int audio_bitrate)
{
    if (!status.obs_started || !stream_output || !video_encoder || !audio_encoder)
        return false;
    last_server = server ? server : "";
    last_key = key ? key : "";
    last_audio_bitrate = audio_bitrate;
    obs_data_t* serviceSettings = obs_data_create();
    obs_data_set_string(serviceSettings, "server", server ? server : "");
    obs_data_set_string(serviceSettings, "key", key ? key : "");
    if (!service) {
        obs_data_t* hotkeys = obs_data_create();
        service = obs_service_create(obs_types::rtmpService, "default_service", serviceSettings, hotkeys);
        obs_data_release(hotkeys);
    } else {
        // Each broadcast goes to the address chosen for it, not to an earlier one.
        obs_service_update(service, serviceSettings);
    }
    obs_data_release(serviceSettings);

    const auto store = CDataCenter::getInstance();
    const StreamQualitySize push = streamQualitySize(store->streamQuality);
    if (video_settings)
        obs_data_release(video_settings);
    video_settings = obs_encoder_get_settings(video_encoder);
    obs_data_set_int(video_settings, "bitrate", push.bitrate);
    obs_data_set_string(video_settings, "encoder", "x264");
    obs_data_set_string(video_settings, "profile", "baseline");
    obs_data_set_int(video_settings, "keyint_sec", 1);
    obs_data_set_bool(video_settings, "abr", true);
    obs_data_set_string(video_settings, "preset", "veryfast");
    obs_encoder_update(video_encoder, video_settings);

    obs_data_set_bool(audio_settings, "cbr", true);
    obs_data_set_int(audio_settings, "bitrate", audio_bitrate);
    if (service)
        obs_service_apply_encoder_settings(service, video_settings, nullptr);

    obs_video_info ovi = {};
    if (obs_get_video_info(&ovi) && ovi.output_format != VIDEO_FORMAT_I420 && ovi.output_format != VIDEO_FORMAT_NV12)
        obs_encoder_set_preferred_video_format(video_encoder, VIDEO_FORMAT_NV12);

    obs_encoder_update(video_encoder, video_settings);
    obs_encoder_update(audio_encoder, audio_settings);
    obs_encoder_set_video(video_encoder, obs_get_video());
    obs_encoder_set_audio(audio_encoder, obs_get_audio());
    obs_output_set_video_encoder(stream_output, video_encoder);
    obs_output_set_audio_encoder(stream_output, audio_encoder, 0);
    obs_output_set_service(stream_output, service);
    uint32_t width = 0, height = 0;
    preferredOutputSize(&width, &height);
    obs_output_set_preferred_size(stream_output, width, height);
    return true;
}

void ObsLiveCore::preferredOutputSize(uint32_t* width, uint32_t* height)
{
    const auto store = CDataCenter::getInstance();
    const StreamQualitySize push = streamQualitySize(store->streamQuality);
    const bool portraitShare = store->liveMode && store->shareAtStart;
    *width = uint32_t(portraitShare ? push.height : push.width);
    *height = uint32_t(portraitShare ? push.width : push.height);
}

void ObsLiveCore::setReconnectSettings(int retries, int delaySec)
{
    reconnect_retries = retries;
    reconnect_delay_sec = delaySec;
}

bool ObsLiveCore::start_stream()
{
    if (!status.obs_started || !stream_output)
        return false;
    endReconnecting();
    return startOutput(false);
}

bool ObsLiveCore::pause_stream(bool pause)
{
    if (!status.obs_started || !stream_output)
        return false;
    endReconnecting(); // a retry due later would undo the pause; a start still queued is void
    if (!pause)
        return startOutput(true);
    if (output_connecting && !obs_output_active(stream_output)) {
        // Still connecting: that output is ended on its worker, and a fresh one with the same
        // parameters waits for the resume.
        const std::string server = last_server, key = last_key;
        return core_init_stream() && set_stream_parameters(server.c_str(), key.c_str(), 0, last_audio_bitrate);
    }
    obs_output* output = stream_output;
    output_worker->post([output, life = output_life] { endOutput(output, *life); });
    return true;
}

void ObsLiveCore::stop_stream()
{
    if (!status.obs_started)
        return;
    releaseStreamObjects();
}

bool ObsLiveCore::core_query_stream_stats(uint64_t* /*total_bytes*/) { return false; }

bool ObsLiveCore::core_query_stream_stats(uint64_t* /*total_bytes*/, int* /*dropped_frames*/) { return false; }

void ObsLiveCore::core_set_stream_event_handler(LiveStreamEventHandler handler)
{
    stream_event_handler = std::move(handler);
}

void ObsLiveCore::connectOutputSignals()
{
    if (!stream_output)
        return;
    signal_handler_t* sh = obs_output_get_signal_handler(stream_output);
    signal_handler_connect(sh, "stop", onOutputStop, this);
    signal_handler_connect(sh, "start", onOutputStart, this);
    output_signals_connected = true;
}

void ObsLiveCore::disconnectOutputSignals()
{
    if (!stream_output || !output_signals_connected)
        return;
    signal_handler_t* sh = obs_output_get_signal_handler(stream_output);
    signal_handler_disconnect(sh, "stop", onOutputStop, this);
    signal_handler_disconnect(sh, "start", onOutputStart, this);
    output_signals_connected = false;
}

// The two run on libobs' output threads; the work is done on the GUI thread.
void ObsLiveCore::onOutputStop(void* data, calldata* params)
{
    auto* core = static_cast<ObsLiveCore*>(data);
    core->output_connecting = false;
    const int code = int(calldata_int(params, "code"));
    if (code != OBS_OUTPUT_SUCCESS)
        core->postToContext(&ObsLiveCore::outputStopped, code, core->stream_generation);
}

void ObsLiveCore::onOutputStart(void* data, calldata*)
{
    auto* core = static_cast<ObsLiveCore*>(data);
    core->output_connecting = false;
    core->postToContext(&ObsLiveCore::outputStarted, 0, core->stream_generation);
}

void ObsLiveCore::postToContext(void (ObsLiveCore::*handler)(int), int code, int generation)
{
    QMetaObject::invokeMethod(
        m_context,
        [this, generation, handler, code] {
            if (generation == stream_generation)
                (this->*handler)(code);
        },
        Qt::QueuedConnection);
}

void ObsLiveCore::outputStopped(int code)
{
    // A dropped connection, and any failure of a retry, is retried until the retries run out.
    if ((code == OBS_OUTPUT_DISCONNECTED || reconnecting) && reconnect_attempts < reconnect_retries) {
        ++reconnect_attempts;
        reconnecting = true;
        const int token = ++reconnect_token;
        QTimer::singleShot(reconnect_delay_sec * 1000, m_context, [this, token] { retryStream(token); });
        reportStreamEvent(LiveStreamEvent::Reconnecting, 0);
        return;
    }
    endReconnecting();
    reportStreamEvent(LiveStreamEvent::Stopped, code);
}

void ObsLiveCore::outputStarted(int)
{
    if (!reconnecting)
        return; // the first start of a broadcast is not news
    endReconnecting();
    reportStreamEvent(LiveStreamEvent::Reconnected, 0);
}

void ObsLiveCore::retryStream(int token)
{
    if (token != reconnect_token || !stream_output)
        return;
    // The lost output may still be ending (slow on a loaded machine): the start waits for that on
    // the worker, and a start that fails comes back here as a stop.
    startOutput(false);
}

void ObsLiveCore::endReconnecting()
{
    reconnecting = false;
    reconnect_attempts = 0;
    ++reconnect_token; // a pending retry is void
    ++output_epoch;    // and so is a start still queued
}

void ObsLiveCore::reportStreamEvent(LiveStreamEvent event, int code)
{
    if (!stream_event_handler)
        return;
    qDebug() << "stream output event" << int(event) << "code" << code;
    stream_event_handler(event, code);
}
