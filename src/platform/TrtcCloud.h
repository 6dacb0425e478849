#pragma once
// The real-time room service as the program sees it: one process-wide cloud object
// (getTRTCShareInstance) through which the host enters a room, publishes the canvas as custom
// audio and video, has the cloud mix the host with the co-hosts and relay the mix to the CDN,
// shows remote videos in widgets, and receives callbacks. This is our own interface, written
// from what the program does with the service; implementations: TrtcLoopback (the default of the
// running program: talks to the service simulator's loopback room), TrtcCloudCounting (accepts
// every call and counts frames, no network; for benchmarks) and test fakes.
//
// Every call but the two send calls comes from the GUI thread, and callbacks are delivered on the
// GUI thread. Send calls may come from libobs' video and audio threads; an implementation copies
// the frame during the call, so the caller may overwrite its buffer right after.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

// The stream a video goes to.
enum class TrtcVideoStreamType : int {
    Big = 0,   // the main stream
    Small = 1, // the low-resolution companion
    Sub = 2,   // the screen-share stream
};

// Video encoder resolutions.
enum TrtcVideoResolution : int {
    TrtcVideoResolution_640_360 = 108,
    TrtcVideoResolution_1280_720 = 112,
    TrtcVideoResolution_1920_1080 = 114,
};

enum TrtcResolutionMode : int {
    TrtcResolutionMode_Landscape = 0,
    TrtcResolutionMode_Portrait = 1,
};

struct TrtcVideoEncoderParams {
    int resolution = TrtcVideoResolution_640_360;
    int resolutionMode = TrtcResolutionMode_Landscape;
    int fps = 15;
    int bitrateKbps = 0;
    int minBitrateKbps = 0;
    bool adaptResolution = false; // let the service lower the resolution on a weak network
};

enum TrtcPixelFormat : int {
    TrtcPixelFormat_Unknown = 0,
    TrtcPixelFormat_I420 = 1,
};

enum TrtcBufferType : int {
    TrtcBufferType_Unknown = 0,
    TrtcBufferType_Memory = 1,
};

// One custom video frame: tightly packed planes in `data`.
struct TrtcCustomVideoFrame {
    int pixelFormat = TrtcPixelFormat_Unknown;
    int bufferType = TrtcBufferType_Unknown;
    const char* data = nullptr;
    uint32_t length = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    uint64_t timestamp = 0; // 0: the service stamps it
    int rotation = 0;
};

enum TrtcAudioFormat : int {
    TrtcAudioFormat_Unknown = 0,
    TrtcAudioFormat_PCM = 1,
};

// One custom audio block: interleaved 16-bit samples.
struct TrtcCustomAudioFrame {
    int format = TrtcAudioFormat_Unknown;
    const char* data = nullptr;
    uint32_t length = 0; // bytes
    uint32_t sampleRate = 0;
    uint32_t channels = 0;
    uint64_t timestamp = 0;
};

// ---- records of room entry, the mixed publication and remote rendering --------------------------
// Texts are owned: a record may be dropped or changed as soon as the call that took it returns.

struct TrtcEnterParams {
    uint32_t sdkAppId = 0;
    std::string userId;
    std::string userSig;
    uint32_t roomId = 0;
    std::string roomText; // a room named by text instead of roomId (unused: empty)
    int role = 20;        // 20 anchor, 21 audience
};

enum TrtcAppScene : int {
    TrtcAppScene_VideoCall = 0,
    TrtcAppScene_Live = 1,
};

// One address the mix is relayed to.
struct TrtcPublishCdnUrl {
    std::string url;
    bool viaServiceLine = true; // relayed by the service's own line (not a third-party CDN)
};

enum TrtcPublishMode : int {
    TrtcPublishMode_Unknown = 0,
    TrtcPublishMode_MixStreamToCdn = 3, // mix in the cloud and relay the mix to the CDN
};

struct TrtcPublishTarget {
    int mode = TrtcPublishMode_Unknown;
    std::vector<TrtcPublishCdnUrl> cdnUrls;
};

struct TrtcStreamEncodeParams {
    uint32_t videoWidth = 0;
    uint32_t videoHeight = 0;
    uint32_t videoFps = 0;
    uint32_t videoGop = 0; // seconds
    uint32_t videoBitrateKbps = 0; // 0: the service chooses
    uint32_t audioSampleRate = 0;
    uint32_t audioChannels = 0;
    uint32_t audioBitrateKbps = 0;
    uint32_t audioCodec = 0;
    uint32_t videoCodec = 0;
};

// Whose video a mix box shows.
struct TrtcMixUser {
    std::string userId;
    uint32_t roomId = 0;
    std::string roomText;
};

// One box of the mix, in pixels of the mixed picture (right and bottom exclusive).
struct TrtcMixLayout {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int zOrder = 0;
    int fillMode = 0;
    uint32_t backgroundColor = 0;
    std::string placeholderImage;
    TrtcMixUser user;
    int streamType = 0; // TrtcVideoStreamType
};

struct TrtcMixConfig {
    uint32_t backgroundColor = 0;
    std::string backgroundImage;
    std::vector<TrtcMixLayout> layouts; // in z order of the caller's choosing; the service sorts
};

enum TrtcVideoFillMode : int {
    TrtcVideoFillMode_Fill = 0, // covers the view, the overhang cut off
    TrtcVideoFillMode_Fit = 1,  // whole picture inside the view, bars around it
};

enum TrtcVideoMirrorType : int {
    TrtcVideoMirrorType_Auto = 0, // remote videos: not mirrored
    TrtcVideoMirrorType_Enable = 1,
    TrtcVideoMirrorType_Disable = 2,
};

// How a remote video is drawn into its view.
struct TrtcRenderParams {
    int rotation = 0; // quarter turns clockwise, 0 to 3
    int fillMode = TrtcVideoFillMode_Fit;
    int mirrorType = TrtcVideoMirrorType_Disable;
};

// A native window id of a widget (QWidget::winId) that a remote video is drawn into.
using TrtcViewId = uintptr_t;

// What the service reports, on the GUI thread. Every callback has an empty default body.
class TrtcCloudCallback
{
public:
    virtual ~TrtcCloudCallback() = default;
    virtual void onError(int /*code*/, const char* /*message*/) {}
    virtual void onWarning(int /*code*/, const char* /*message*/) {}
    // result > 0: entered after that many milliseconds; otherwise an error code.
    virtual void onEnterRoom(int /*result*/) {}
    virtual void onExitRoom(int /*reason*/) {}
    virtual void onRemoteUserEnterRoom(const char* /*userId*/) {}
    virtual void onRemoteUserLeaveRoom(const char* /*userId*/, int /*reason*/) {}
    virtual void onUserVideoAvailable(const char* /*userId*/, bool /*available*/) {}
    virtual void onUserAudioAvailable(const char* /*userId*/, bool /*available*/) {}
    virtual void onFirstVideoFrame(const char* /*userId*/, TrtcVideoStreamType /*stream*/, int /*width*/,
                                   int /*height*/)
    {
    }
    virtual void onSendFirstLocalVideoFrame(TrtcVideoStreamType /*stream*/) {}
    virtual void onStartPublishMediaStream(const char* /*taskId*/, int /*code*/, const char* /*message*/,
                                           void* /*extraInfo*/)
    {
    }
    virtual void onUpdatePublishMediaStream(const char* /*taskId*/, int /*code*/, const char* /*message*/,
                                            void* /*extraInfo*/)
    {
    }
    virtual void onStopPublishMediaStream(const char* /*taskId*/, int /*code*/, const char* /*message*/,
                                          void* /*extraInfo*/)
    {
    }
};

// The receiver that overrides nothing: a base for classes that only need to be a receiver.
class TrtcCloudCallbackDefaultImpl : public TrtcCloudCallback
{
};

class TrtcCloud
{
public:
    virtual ~TrtcCloud() = default;

    virtual void addCallback(TrtcCloudCallback* callback) = 0;
    virtual void removeCallback(TrtcCloudCallback* callback) = 0;

    // Entering answers with onEnterRoom (result > 0: entered; otherwise refused or unreachable),
    // leaving with onExitRoom.
    virtual void enterRoom(const TrtcEnterParams& params, int scene) = 0;
    virtual void exitRoom() = 0;

    // The cloud mix and its relay. Starting answers with onStartPublishMediaStream, whose task id
    // the update and the stop take.
    virtual void startPublishMediaStream(const TrtcPublishTarget& target, const TrtcStreamEncodeParams& params,
                                         const TrtcMixConfig& config) = 0;
    virtual void updatePublishMediaStream(const std::string& taskId, const TrtcPublishTarget& target,
                                          const TrtcStreamEncodeParams& params, const TrtcMixConfig& config) = 0;
    virtual void stopPublishMediaStream(const std::string& taskId) = 0;

    // A remote user's video drawn into the widget of a window id; update moves it to another.
    virtual void startRemoteView(const std::string& userId, TrtcVideoStreamType stream, TrtcViewId view) = 0;
    virtual void updateRemoteView(const std::string& userId, TrtcVideoStreamType stream, TrtcViewId view) = 0;
    virtual void stopRemoteView(const std::string& userId, TrtcVideoStreamType stream) = 0;
    virtual void setRemoteRenderParams(const std::string& userId, TrtcVideoStreamType stream,
                                       const TrtcRenderParams& params) = 0;
    virtual void muteRemoteAudio(const std::string& userId, bool mute) = 0;

    // Custom capture: the program supplies the frames instead of a camera and microphone.
    virtual void setCustomVideoCaptureEnabled(TrtcVideoStreamType stream, bool enabled) = 0;
    virtual void setCustomAudioCaptureEnabled(bool enabled) = 0;
    virtual void setVideoEncoderParams(const TrtcVideoEncoderParams& params) = 0;
    // A JSON request for settings that have no call of their own; returns the service's answer.
    virtual std::string callExperimentalApi(const std::string& json) = 0;
    virtual void sendCustomVideoData(TrtcVideoStreamType stream, const TrtcCustomVideoFrame& frame) = 0;
    virtual void sendCustomAudioData(const TrtcCustomAudioFrame& frame) = 0;

    // Muting keeps the publication but sends nothing of that kind.
    virtual void muteLocalVideo(TrtcVideoStreamType stream, bool mute) = 0;
    virtual void muteLocalAudio(bool mute) = 0;
};

// Reaches no service: accepts every call, keeps the settings it was given and counts what was
// sent (the frame path's benchmark measures against it). It reports nothing back.
class TrtcCloudCounting : public TrtcCloud
{
public:
    void addCallback(TrtcCloudCallback* callback) override;
    void removeCallback(TrtcCloudCallback* callback) override;
    void enterRoom(const TrtcEnterParams&, int) override {}
    void exitRoom() override {}
    void startPublishMediaStream(const TrtcPublishTarget&, const TrtcStreamEncodeParams&,
                                 const TrtcMixConfig&) override
    {
    }
    void updatePublishMediaStream(const std::string&, const TrtcPublishTarget&, const TrtcStreamEncodeParams&,
                                  const TrtcMixConfig&) override
    {
    }
    void stopPublishMediaStream(const std::string&) override {}
    void startRemoteView(const std::string&, TrtcVideoStreamType, TrtcViewId) override {}
    void updateRemoteView(const std::string&, TrtcVideoStreamType, TrtcViewId) override {}
    void stopRemoteView(const std::string&, TrtcVideoStreamType) override {}
    void setRemoteRenderParams(const std::string&, TrtcVideoStreamType, const TrtcRenderParams&) override {}
    void muteRemoteAudio(const std::string&, bool) override {}
    void setCustomVideoCaptureEnabled(TrtcVideoStreamType stream, bool enabled) override;
    void setCustomAudioCaptureEnabled(bool enabled) override;
    void setVideoEncoderParams(const TrtcVideoEncoderParams& params) override;
    std::string callExperimentalApi(const std::string& json) override;
    void sendCustomVideoData(TrtcVideoStreamType stream, const TrtcCustomVideoFrame& frame) override;
    void sendCustomAudioData(const TrtcCustomAudioFrame& frame) override;
    void muteLocalVideo(TrtcVideoStreamType stream, bool mute) override;
    void muteLocalAudio(bool mute) override;

    uint64_t videoFrames() const { return m_videoFrames; }
    uint64_t videoBytes() const { return m_videoBytes; }
    uint64_t audioFrames() const { return m_audioFrames; }
    uint64_t audioBytes() const { return m_audioBytes; }
    bool customVideoCapture() const { return m_customVideo; }
    bool customAudioCapture() const { return m_customAudio; }
    bool localVideoMuted() const { return m_videoMuted; }
    bool localAudioMuted() const { return m_audioMuted; }
    TrtcVideoEncoderParams encoderParams() const;

private:
    std::atomic<uint64_t> m_videoFrames{0};
    std::atomic<uint64_t> m_videoBytes{0};
    std::atomic<uint64_t> m_audioFrames{0};
    std::atomic<uint64_t> m_audioBytes{0};
    std::atomic<bool> m_customVideo{false};
    std::atomic<bool> m_customAudio{false};
    std::atomic<bool> m_videoMuted{false};
    std::atomic<bool> m_audioMuted{false};
    mutable std::mutex m_mutex;
    TrtcVideoEncoderParams m_encoder;
    std::vector<TrtcCloudCallback*> m_callbacks;
};

// The process-wide cloud object: the installed one, else the loopback (made on first use, never
// released).
TrtcCloud* getTRTCShareInstance();
// Installs `cloud` (tests, or a loopback implementation); null goes back to the default. Returns
// the previously installed object; the caller keeps ownership.
TrtcCloud* setTRTCShareInstance(TrtcCloud* cloud);
