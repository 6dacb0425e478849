#include "platform/TrtcCloud.h"

#include "platform/TrtcLoopback.h"

#include <algorithm>

namespace {
std::atomic<TrtcCloud*> g_installed{nullptr};
} // namespace

TrtcCloud* getTRTCShareInstance()
{
    if (TrtcCloud* cloud = g_installed)
        return cloud;
    static TrtcLoopback* loopback = new TrtcLoopback; // never released, like the service's own
    return loopback;
}

TrtcCloud* setTRTCShareInstance(TrtcCloud* cloud) { return g_installed.exchange(cloud); }

void TrtcCloudCounting::addCallback(TrtcCloudCallback* callback)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (callback && std::find(m_callbacks.begin(), m_callbacks.end(), callback) == m_callbacks.end())
        m_callbacks.push_back(callback);
}

void TrtcCloudCounting::removeCallback(TrtcCloudCallback* callback)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_callbacks.erase(std::remove(m_callbacks.begin(), m_callbacks.end(), callback), m_callbacks.end());
}

void TrtcCloudCounting::setCustomVideoCaptureEnabled(TrtcVideoStreamType, bool enabled) { m_customVideo = enabled; }

void TrtcCloudCounting::setCustomAudioCaptureEnabled(bool enabled) { m_customAudio = enabled; }

void TrtcCloudCounting::setVideoEncoderParams(const TrtcVideoEncoderParams& params)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_encoder = params;
}

TrtcVideoEncoderParams TrtcCloudCounting::encoderParams() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_encoder;
}

std::string TrtcCloudCounting::callExperimentalApi(const std::string&) { return "{\"code\":0,\"message\":\"\"}"; }

void TrtcCloudCounting::sendCustomVideoData(TrtcVideoStreamType, const TrtcCustomVideoFrame& frame)
{
    if (!m_customVideo || m_videoMuted || !frame.data)
        return;
    ++m_videoFrames;
    m_videoBytes += frame.length;
}

void TrtcCloudCounting::sendCustomAudioData(const TrtcCustomAudioFrame& frame)
{
    if (!m_customAudio || m_audioMuted || !frame.data)
        return;
    ++m_audioFrames;
    m_audioBytes += frame.length;
}

void TrtcCloudCounting::muteLocalVideo(TrtcVideoStreamType, bool mute) { m_videoMuted = mute; }

void TrtcCloudCounting::muteLocalAudio(bool mute) { m_audioMuted = mute; }
