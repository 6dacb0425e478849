#include "engine/LiveCore.h"

#include "engine/ObsLiveCore.h"

#include <QDebug>

#include <atomic>

namespace {
LiveCore* g_installed = nullptr;

// One slot: a function called under the slot's own mutex.
std::function<void()>& demandHandler()
{
    static auto* handler = new std::function<void()>;
    return *handler;
}

template <typename Fn>
struct CallbackSlot {
    std::mutex mutex;
    Fn callback;
    std::atomic<bool> filled{false};

    void replace(Fn fn)
    {
        Fn old;
        {
            std::lock_guard<std::mutex> lock(mutex);
            old = std::move(callback);
            callback = std::move(fn);
            filled = bool(callback);
        }
        // `old` goes here, outside the lock; no call made after the swap sees it. The engine is
        // told outside the lock too: libobs' video thread holds its own lock while it calls in.
        if (demandHandler())
            demandHandler()();
    }
    template <typename... Args>
    void call(Args... args)
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (callback)
            callback(args...);
    }
};

struct VideoSlot : CallbackSlot<ObsVideoStreamCallback> {
    std::atomic<uint32_t> width{0};
    std::atomic<uint32_t> height{0};
};

// Never destroyed: libobs' threads may call in while other statics are being torn down.
CallbackSlot<ObsAudioStreamCallback>& audioSlot()
{
    static auto* slot = new CallbackSlot<ObsAudioStreamCallback>;
    return *slot;
}
VideoSlot& videoSlot()
{
    static auto* slot = new VideoSlot;
    return *slot;
}
} // namespace

LiveCore::~LiveCore()
{
    if (g_installed == this)
        g_installed = nullptr;
}

LiveCore* LiveCore::get_instance()
{
    if (g_installed)
        return g_installed;
    // Made on first use and never destroyed: libobs stays up until the application quits.
    static ObsLiveCore* engine = new ObsLiveCore;
    return engine;
}

LiveCore* LiveCore::set_instance(LiveCore* core)
{
    LiveCore* previous = g_installed;
    g_installed = core;
    return previous;
}

StreamQualitySize streamQualitySize(int quality)
{
    switch (quality) {
    case 0:
        return {640, 360, 1000};
    case 1:
        return {1280, 720, 2000};
    default:
        return {1920, 1080, 3000};
    }
}

int RegisterRecvOBSAudioStreamCallback(ObsAudioStreamCallback callback)
{
    qDebug() << "RegisterRecvOBSAudioStreamCallback";
    audioSlot().replace(std::move(callback));
    return 0;
}

int UnRegisterRecvOBSAudioStreamCallback()
{
    qDebug() << "UnRegisterRecvOBSAudioStreamCallback";
    audioSlot().replace(nullptr);
    return 0;
}

int RegisterRecvOBSVideoStreamCallback(ObsVideoStreamCallback callback)
{
    videoSlot().replace(std::move(callback));
    return 0;
}

int UnRegisterRecvOBSVideoStreamCallback()
{
    videoSlot().replace(nullptr);
    return 0;
}

bool RecvOBSVideoStreamWanted() { return videoSlot().filled; }
bool RecvOBSAudioStreamWanted() { return audioSlot().filled; }

void SetRecvOBSStreamDemandHandler(std::function<void()> handler) { demandHandler() = std::move(handler); }

std::mutex& RecvOBSVideoStreamMutex() { return videoSlot().mutex; }

void RecvOBSVideoStreamSize(uint32_t* width, uint32_t* height)
{
    *width = videoSlot().width;
    *height = videoSlot().height;
}

void SetRecvOBSVideoStreamSize(uint32_t width, uint32_t height)
{
    VideoSlot& slot = videoSlot();
    std::lock_guard<std::mutex> lock(slot.mutex);
    slot.width = width;
    slot.height = height;
}

void obs_raw_video_callback(void* user_data, video_data* frame) { videoSlot().call(user_data, frame); }

void obs_raw_audio_callback(void* user_data, size_t mix_idx, audio_data* data)
{
    audioSlot().call(user_data, uint64_t(mix_idx), data);
}
