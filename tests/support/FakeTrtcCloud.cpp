#include "support/FakeTrtcCloud.h"

namespace {
QString b(bool v) { return v ? QStringLiteral("true") : QStringLiteral("false"); }
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
