#pragma once
// A recording stand-in for the real-time room service.
//
//   FakeTrtcCloud cloud;   // from here on getTRTCShareInstance() returns &cloud
//   ... drive the code under test ...
//   QCOMPARE(cloud.calls(), QStringList{"setCustomVideoCaptureEnabled(0,true)", ...});
//
// The destructor puts the previous object back. Send calls may come from any thread; they are
// counted, and the last video frame's bytes and the last audio block's length are kept (send
// calls are not added to calls()). Room, publication and view calls are logged with their key
// arguments; the last records handed over are kept whole. Callbacks are raised by the test
// through callbacks().

#include "platform/TrtcCloud.h"

#include <QByteArray>
#include <QStringList>

#include <atomic>
#include <mutex>

class FakeTrtcCloud : public TrtcCloud
{
public:
    FakeTrtcCloud();
    ~FakeTrtcCloud() override;

    QStringList calls() const;
    void clearCalls();
    TrtcVideoEncoderParams encoderParams() const;
    std::string lastExperimentalRequest() const;
    std::string experimentalAnswer = "{\"code\":0}";
    QList<TrtcCloudCallback*> callbacks() const;

    int videoFrames() const { return m_videoFrames; }
    int audioFrames() const { return m_audioFrames; }
    QByteArray lastVideoData() const;        // a copy of the last frame's bytes
    TrtcCustomVideoFrame lastVideoFrame() const; // its record (data pointer as sent)
    TrtcCustomAudioFrame lastAudioFrame() const;
    TrtcEnterParams lastEnterParams() const;
    // The records of the last start or update of the publication.
    TrtcPublishTarget lastTarget() const;
    TrtcStreamEncodeParams lastEncodeParams() const;
    TrtcMixConfig lastMixConfig() const;
    TrtcRenderParams lastRenderParams() const;

    void addCallback(TrtcCloudCallback* callback) override;
    void removeCallback(TrtcCloudCallback* callback) override;
    void setCustomVideoCaptureEnabled(TrtcVideoStreamType stream, bool enabled) override;
    void setCustomAudioCaptureEnabled(bool enabled) override;
    void setVideoEncoderParams(const TrtcVideoEncoderParams& params) override;
    std::string callExperimentalApi(const std::string& json) override;
    void sendCustomVideoData(TrtcVideoStreamType stream, const TrtcCustomVideoFrame& frame) override;
    void sendCustomAudioData(const TrtcCustomAudioFrame& frame) override;
    void muteLocalVideo(TrtcVideoStreamType stream, bool mute) override;
    void muteLocalAudio(bool mute) override;
    void enterRoom(const TrtcEnterParams& params, int scene) override;
    void exitRoom() override;
    void startPublishMediaStream(const TrtcPublishTarget& target, const TrtcStreamEncodeParams& params,
                                 const TrtcMixConfig& config) override;
    void updatePublishMediaStream(const std::string& taskId, const TrtcPublishTarget& target,
                                  const TrtcStreamEncodeParams& params, const TrtcMixConfig& config) override;
    void stopPublishMediaStream(const std::string& taskId) override;
    void startRemoteView(const std::string& userId, TrtcVideoStreamType stream, TrtcViewId view) override;
    void updateRemoteView(const std::string& userId, TrtcVideoStreamType stream, TrtcViewId view) override;
    void stopRemoteView(const std::string& userId, TrtcVideoStreamType stream) override;
    void setRemoteRenderParams(const std::string& userId, TrtcVideoStreamType stream,
                               const TrtcRenderParams& params) override;
    void muteRemoteAudio(const std::string& userId, bool mute) override;

private:
    void keepPublication(const TrtcPublishTarget& target, const TrtcStreamEncodeParams& params,
                         const TrtcMixConfig& config);

    void record(const QString& call);

    TrtcCloud* m_previous = nullptr;
    mutable std::mutex m_mutex;
    QStringList m_calls;
    TrtcVideoEncoderParams m_encoder;
    std::string m_lastRequest;
    QList<TrtcCloudCallback*> m_callbacks;
    std::atomic<int> m_videoFrames{0};
    std::atomic<int> m_audioFrames{0};
    QByteArray m_lastVideo;
    TrtcCustomVideoFrame m_lastVideoFrame;
    TrtcCustomAudioFrame m_lastAudioFrame;
    TrtcEnterParams m_enter;
    TrtcPublishTarget m_target;
    TrtcStreamEncodeParams m_encode;
    TrtcMixConfig m_mix;
    TrtcRenderParams m_render;
};
