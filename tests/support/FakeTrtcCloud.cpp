#include "support/FakeTrtcCloud.h"

namespace {
QString b(bool v) { return v ? QStringLiteral("true") : QStringLiteral("false"); }
QString t(const std::string& text) { return QString::fromStdString(text); }
} // namespace

FakeTrtcCloud::FakeTrtcCloud() { m_previous = setTRTCShareInstance(this); }

FakeTrtcCloud::~FakeTrtcCloud() { setTRTCShareInstance(m_previous); }

void FakeTrtcCloud::record(const QString& call)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_calls << call;
}

QStringList FakeTrtcCloud::calls() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_calls;
}

void FakeTrtcCloud::clearCalls()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_calls.clear();
}

TrtcVideoEncoderParams FakeTrtcCloud::encoderParams() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_encoder;
}

std::string FakeTrtcCloud::lastExperimentalRequest() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lastRequest;
}

QList<TrtcCloudCallback*> FakeTrtcCloud::callbacks() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_callbacks;
}

QByteArray FakeTrtcCloud::lastVideoData() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lastVideo;
}

TrtcCustomVideoFrame FakeTrtcCloud::lastVideoFrame() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lastVideoFrame;
}

TrtcCustomAudioFrame FakeTrtcCloud::lastAudioFrame() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lastAudioFrame;
}

void FakeTrtcCloud::addCallback(TrtcCloudCallback* callback)
{
    record(QStringLiteral("addCallback"));
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_callbacks.contains(callback))
        m_callbacks << callback;
}

void FakeTrtcCloud::removeCallback(TrtcCloudCallback* callback)
{
    record(QStringLiteral("removeCallback"));
    std::lock_guard<std::mutex> lock(m_mutex);
    m_callbacks.removeAll(callback);
}

void FakeTrtcCloud::setCustomVideoCaptureEnabled(TrtcVideoStreamType stream, bool enabled)
{
    record(QStringLiteral("setCustomVideoCaptureEnabled(%1,%2)").arg(int(stream)).arg(b(enabled)));
}

void FakeTrtcCloud::setCustomAudioCaptureEnabled(bool enabled)
{
    record(QStringLiteral("setCustomAudioCaptureEnabled(%1)").arg(b(enabled)));
}

void FakeTrtcCloud::setVideoEncoderParams(const TrtcVideoEncoderParams& params)
{
    record(QStringLiteral("setVideoEncoderParams(%1,%2,%3,%4,%5,%6)")
               .arg(params.resolution)
               .arg(params.resolutionMode)
               .arg(params.fps)
               .arg(params.bitrateKbps)
               .arg(params.minBitrateKbps)
               .arg(b(params.adaptResolution)));
    std::lock_guard<std::mutex> lock(m_mutex);
    m_encoder = params;
}

std::string FakeTrtcCloud::callExperimentalApi(const std::string& json)
{
    record(QStringLiteral("callExperimentalApi"));
    std::lock_guard<std::mutex> lock(m_mutex);
    m_lastRequest = json;
    return experimentalAnswer;
}

void FakeTrtcCloud::sendCustomVideoData(TrtcVideoStreamType, const TrtcCustomVideoFrame& frame)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_lastVideoFrame = frame;
    m_lastVideo = QByteArray(frame.data, int(frame.length)); // copied during the call, as the service does
    ++m_videoFrames;
}

void FakeTrtcCloud::sendCustomAudioData(const TrtcCustomAudioFrame& frame)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_lastAudioFrame = frame;
    ++m_audioFrames;
}

void FakeTrtcCloud::muteLocalVideo(TrtcVideoStreamType stream, bool mute)
{
    record(QStringLiteral("muteLocalVideo(%1,%2)").arg(int(stream)).arg(b(mute)));
}

void FakeTrtcCloud::muteLocalAudio(bool mute) { record(QStringLiteral("muteLocalAudio(%1)").arg(b(mute))); }

TrtcEnterParams FakeTrtcCloud::lastEnterParams() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_enter;
}

TrtcPublishTarget FakeTrtcCloud::lastTarget() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_target;
}

TrtcStreamEncodeParams FakeTrtcCloud::lastEncodeParams() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_encode;
}

TrtcMixConfig FakeTrtcCloud::lastMixConfig() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_mix;
}

TrtcRenderParams FakeTrtcCloud::lastRenderParams() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_render;
}

void FakeTrtcCloud::keepPublication(const TrtcPublishTarget& target, const TrtcStreamEncodeParams& params,
                                    const TrtcMixConfig& config)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_target = target;
    m_encode = params;
    m_mix = config;
}

void FakeTrtcCloud::enterRoom(const TrtcEnterParams& params, int scene)
{
    record(QStringLiteral("enterRoom(%1,%2,%3,%4)").arg(t(params.userId)).arg(params.roomId).arg(params.role).arg(scene));
    std::lock_guard<std::mutex> lock(m_mutex);
    m_enter = params;
}

void FakeTrtcCloud::exitRoom() { record(QStringLiteral("exitRoom")); }

void FakeTrtcCloud::startPublishMediaStream(const TrtcPublishTarget& target, const TrtcStreamEncodeParams& params,
                                            const TrtcMixConfig& config)
{
    record(QStringLiteral("startPublishMediaStream(%1)").arg(config.layouts.size()));
    keepPublication(target, params, config);
}

void FakeTrtcCloud::updatePublishMediaStream(const std::string& taskId, const TrtcPublishTarget& target,
                                             const TrtcStreamEncodeParams& params, const TrtcMixConfig& config)
{
    record(QStringLiteral("updatePublishMediaStream(%1,%2)").arg(t(taskId)).arg(config.layouts.size()));
    keepPublication(target, params, config);
}

void FakeTrtcCloud::stopPublishMediaStream(const std::string& taskId)
{
    record(QStringLiteral("stopPublishMediaStream(%1)").arg(t(taskId)));
}

void FakeTrtcCloud::startRemoteView(const std::string& userId, TrtcVideoStreamType stream, TrtcViewId view)
{
    record(QStringLiteral("startRemoteView(%1,%2,%3)").arg(t(userId)).arg(int(stream)).arg(quint64(view)));
}

void FakeTrtcCloud::updateRemoteView(const std::string& userId, TrtcVideoStreamType stream, TrtcViewId view)
{
    record(QStringLiteral("updateRemoteView(%1,%2,%3)").arg(t(userId)).arg(int(stream)).arg(quint64(view)));
}

void FakeTrtcCloud::stopRemoteView(const std::string& userId, TrtcVideoStreamType stream)
{
    record(QStringLiteral("stopRemoteView(%1,%2)").arg(t(userId)).arg(int(stream)));
}

void FakeTrtcCloud::setRemoteRenderParams(const std::string& userId, TrtcVideoStreamType stream,
                                          const TrtcRenderParams& params)
{
    record(QStringLiteral("setRemoteRenderParams(%1,%2,%3,%4,%5)")
               .arg(t(userId))
               .arg(int(stream))
               .arg(params.rotation)
               .arg(params.fillMode)
               .arg(params.mirrorType));
    std::lock_guard<std::mutex> lock(m_mutex);
    m_render = params;
}

void FakeTrtcCloud::muteRemoteAudio(const std::string& userId, bool mute)
{
    record(QStringLiteral("muteRemoteAudio(%1,%2)").arg(t(userId)).arg(b(mute)));
}
