#pragma once
// The real-time room cloud of the running program here: the service simulator's loopback room.
//
// Two WebSockets under the open-API base. The control channel "<base>/loopback/trtc" lives on the
// GUI thread: every call goes out as {"op": call, fields} and every callback comes back as
// {"ev": callback, args}, delivered to the receivers on the GUI thread. The media channel
// "<base>/loopback/trtc/media" lives on a sender thread of its own and carries binary frames
// (a header, then I420 or PCM) both ways.
//
// Send calls come from libobs' threads. They copy the frame into a bounded queue of reused
// buffers and return at once; when the queue is full the oldest frame is dropped and counted, so
// a stalled channel never holds up the caller. Frames travel only while the room is entered and
// custom capture of that kind is on and unmuted; otherwise they are dropped.
//
// Remote videos are painted into the widget of the window id a view was started with, with the
// user's render parameters (rotation, fill mode, mirror); updating a view moves it, stopping it
// gives the widget its own painting back.

#include "platform/TrtcCloud.h"

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QUrl>

#include <atomic>
#include <functional>
#include <mutex>
#include <vector>

class QThread;
class QTimer;
class QWebSocket;
class QWidget;
class TrtcMediaSender;

namespace trtcloopback {

// The binary frame header of the media channel (little-endian):
// "SVMF", u8 kind, u8 stream, u16 user-id length, u32 width or sample rate, u32 height or
// channels, u64 timestamp; then the user id, then the payload.
constexpr int kHeaderBytes = 24;
constexpr quint8 kKindVideo = 1;
constexpr quint8 kKindAudio = 2;
// Frames waiting for the media channel; the oldest is dropped beyond this.
constexpr int kQueueFrames = 8;
// Bytes handed to the media socket but not yet written to the network, beyond which nothing more
// is handed over (the queue then fills and drops).
constexpr qint64 kMaxUnwrittenBytes = 4 * 1024 * 1024;
// Bounds of what the media channel accepts from the cloud.
constexpr int kMaxRemoteSide = 4096;
constexpr quint64 kMaxIncomingMessage = 32 * 1024 * 1024;
// What the control channel accepts from the cloud, per frame and per message.
constexpr quint64 kMaxControlMessage = 1024 * 1024;
// The result reported when the control channel cannot be reached.
constexpr int kUnreachableResult = -1;

// Fills `out` with one media frame (header, user id, payload).
void writeFrame(QByteArray& out, quint8 kind, int stream, quint32 a, quint32 b, quint64 timestamp,
                const QByteArray& userId, const char* payload, int payloadBytes);
// One media frame as read from the cloud; the payload points into the message read.
struct MediaFrame {
    quint8 kind = 0;
    QByteArray userId;
    quint32 a = 0; // width or sample rate
    quint32 b = 0; // height or channels
    const char* payload = nullptr;
    int payloadBytes = 0;
};
// Reads a media frame; false when the message is not one (too short, another mark, a user id
// longer than what follows the header).
bool readMediaFrame(const QByteArray& message, MediaFrame* out);
// An I420 picture (tightly packed planes, even sides) as an RGB image; null when the length does
// not fit the sides.
QImage i420ToImage(const char* data, int length, int width, int height);
// The control channel's address under an http(s) base ("" for anything else).
QUrl controlUrl(const QString& serviceBase);

} // namespace trtcloopback

class TrtcLoopback : public QObject, public TrtcCloud
{
    Q_OBJECT
public:
    // serviceBase: the open-API base; empty takes the program's one at the first entry.
    explicit TrtcLoopback(const QString& serviceBase = QString());
    ~TrtcLoopback() override;

    void addCallback(TrtcCloudCallback* callback) override;
    void removeCallback(TrtcCloudCallback* callback) override;
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
    void setCustomVideoCaptureEnabled(TrtcVideoStreamType stream, bool enabled) override;
    void setCustomAudioCaptureEnabled(bool enabled) override;
    void setVideoEncoderParams(const TrtcVideoEncoderParams& params) override;
    std::string callExperimentalApi(const std::string& json) override;
    void sendCustomVideoData(TrtcVideoStreamType stream, const TrtcCustomVideoFrame& frame) override;
    void sendCustomAudioData(const TrtcCustomAudioFrame& frame) override;
    void muteLocalVideo(TrtcVideoStreamType stream, bool mute) override;
    void muteLocalAudio(bool mute) override;

    bool inRoom() const { return m_inRoom; }
    // Frames taken into the media queue, and frames dropped because the queue was full.
    quint64 queuedFrames() const;
    quint64 droppedFrames() const;
    // Closes both channels and ends the sender thread (also run when the application quits).
    void shutdown();
    // The control channel's handshake bound for connections opened from now on (tests shorten
    // it; 0 or less restores kLoopbackHandshakeTimeoutMs). An entry whose channel is not open by
    // then fails as an unreachable one.
    void setHandshakeTimeout(int ms);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void onControlConnected();
    void onControlText(const QString& text);
    void onControlClosed();
    void onRemoteVideo(const QByteArray& userId, const QImage& image);

private:
    struct RemoteView {
        TrtcViewId view = 0;
        QPointer<QWidget> widget;
        QImage frame;
        bool firstFrame = true;
    };

    void ensureChannels();
    void sendOp(const QJsonObject& op);
    void dispatch(const std::function<void(TrtcCloudCallback*)>& call);
    void postToGui(std::function<void()> fn);
    void attachView(RemoteView& view, TrtcViewId id);
    void detachView(RemoteView& view);
    void paintView(QWidget* widget, const RemoteView& view, const TrtcRenderParams& params);

    QString m_serviceBase;
    mutable std::mutex m_callbackMutex;
    std::vector<TrtcCloudCallback*> m_callbacks;

    QWebSocket* m_control = nullptr;
    QTimer* m_handshakeTimer = nullptr;
    QStringList m_pendingOps; // written once the control channel is open
    bool m_entering = false;  // an entry awaits its answer
    QThread* m_senderThread = nullptr;
    TrtcMediaSender* m_sender = nullptr;
    std::atomic<TrtcMediaSender*> m_senderReady{nullptr}; // what libobs' threads read
    bool m_shutDown = false;

    std::atomic<bool> m_inRoom{false};
    std::atomic<bool> m_customVideo{false};
    std::atomic<bool> m_customAudio{false};
    std::atomic<bool> m_videoMuted{false};
    std::atomic<bool> m_audioMuted{false};
    std::atomic<bool> m_firstLocalFrameSent{false};

    QHash<QByteArray, RemoteView> m_views;
    QHash<QByteArray, TrtcRenderParams> m_render;
};
