#include "platform/TrtcLoopback.h"

#include "core/ServiceConstants.h"
#include "platform/LoopbackUrl.h"

#include <QCoreApplication>
#include <QDebug>
#include <QEvent>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QThread>
#include <QTimer>
#include <QTransform>
#include <QWebSocket>
#include <QWidget>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <deque>

namespace trtcloopback {

void writeFrame(QByteArray& out, quint8 kind, int stream, quint32 a, quint32 b, quint64 timestamp,
                const QByteArray& userId, const char* payload, int payloadBytes)
{
    const int idBytes = std::min(userId.size(), 0xFFFF);
    out.resize(kHeaderBytes + idBytes + payloadBytes);
    char* p = out.data();
    std::memcpy(p, "SVMF", 4);
    p[4] = char(kind);
    p[5] = char(stream);
    qToLittleEndian<quint16>(quint16(idBytes), p + 6);
    qToLittleEndian<quint32>(a, p + 8);
    qToLittleEndian<quint32>(b, p + 12);
    qToLittleEndian<quint64>(timestamp, p + 16);
    std::memcpy(p + kHeaderBytes, userId.constData(), size_t(idBytes));
    if (payloadBytes > 0)
        std::memcpy(p + kHeaderBytes + idBytes, payload, size_t(payloadBytes));
}

bool readMediaFrame(const QByteArray& message, MediaFrame* out)
{
    if (message.size() < kHeaderBytes || !message.startsWith("SVMF"))
        return false;
    const char* p = message.constData();
    const int idBytes = qFromLittleEndian<quint16>(p + 6);
    if (message.size() < kHeaderBytes + idBytes)
        return false;
    out->kind = quint8(p[4]);
    out->a = qFromLittleEndian<quint32>(p + 8);
    out->b = qFromLittleEndian<quint32>(p + 12);
    out->userId = QByteArray(p + kHeaderBytes, idBytes);
    out->payload = p + kHeaderBytes + idBytes;
    out->payloadBytes = message.size() - kHeaderBytes - idBytes;
    return true;
}

QImage i420ToImage(const char* data, int length, int width, int height)
{
    if (!data || width <= 0 || height <= 0 || width % 2 || height % 2 || width > kMaxRemoteSide
        || height > kMaxRemoteSide || qint64(length) != qint64(width) * height * 3 / 2)
        return QImage();
    QImage image(width, height, QImage::Format_RGB32);
    const auto* yPlane = reinterpret_cast<const uchar*>(data);
    const uchar* uPlane = yPlane + width * height;
    const uchar* vPlane = uPlane + (width / 2) * (height / 2);
    auto clamp = [](int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); };
    for (int row = 0; row < height; ++row) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(row));
        const uchar* yRow = yPlane + row * width;
        const uchar* uRow = uPlane + (row / 2) * (width / 2);
        const uchar* vRow = vPlane + (row / 2) * (width / 2);
        for (int col = 0; col < width; ++col) {
            // BT.601, limited range, in fixed point.
            const int c = 298 * (yRow[col] - 16);
            const int d = uRow[col / 2] - 128;
            const int e = vRow[col / 2] - 128;
            line[col] = qRgb(clamp((c + 409 * e + 128) >> 8), clamp((c - 100 * d - 208 * e + 128) >> 8),
                             clamp((c + 516 * d + 128) >> 8));
        }
    }
    return image;
}

QUrl controlUrl(const QString& serviceBase)
{
    return loopbackChannelUrl(serviceBase, QStringLiteral("/loopback/trtc"));
}

} // namespace trtcloopback

using namespace trtcloopback;

// The media channel on its own thread: a bounded queue of reused buffers filled by any thread,
// drained into the socket only as fast as the network takes it.
class TrtcMediaSender : public QObject
{
    Q_OBJECT
public:
    // Any thread: copies the frame; false when it pushed out (dropped) the oldest.
    void push(quint8 kind, int stream, quint32 a, quint32 b, quint64 timestamp, const char* data, int bytes)
    {
        bool wake = false;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            QByteArray buffer;
            if (int(m_queue.size()) >= kQueueFrames) {
                buffer = std::move(m_queue.front());
                m_queue.pop_front();
                ++m_dropped;
            } else if (!m_free.empty()) {
                buffer = std::move(m_free.back());
                m_free.pop_back();
            }
            writeFrame(buffer, kind, stream, a, b, timestamp, QByteArray(), data, bytes);
            m_queue.push_back(std::move(buffer));
            ++m_queued;
            if (!m_drainPosted) {
                m_drainPosted = true;
                wake = true;
            }
        }
        if (wake)
            QMetaObject::invokeMethod(this, &TrtcMediaSender::drain, Qt::QueuedConnection);
    }

    quint64 queued() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_queued;
    }
    quint64 dropped() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_dropped;
    }

    // Sender thread.
    void open(const QUrl& url)
    {
        close();
        m_socket = new QWebSocket(QString(), QWebSocketProtocol::VersionLatest, this);
        m_socket->setMaxAllowedIncomingMessageSize(kMaxIncomingMessage);
        m_socket->setMaxAllowedIncomingFrameSize(kMaxIncomingMessage);
        connect(m_socket, &QWebSocket::connected, this, &TrtcMediaSender::drain);
        connect(m_socket, &QWebSocket::bytesWritten, this, &TrtcMediaSender::drain);
        connect(m_socket, &QWebSocket::binaryMessageReceived, this, &TrtcMediaSender::onBinary);
        m_socket->open(url);
    }

    void close()
    {
        if (m_socket) {
            m_socket->disconnect(this);
            m_socket->abort();
            m_socket->deleteLater();
            m_socket = nullptr;
        }
        // Frames of a stay that ended go nowhere.
        std::lock_guard<std::mutex> lock(m_mutex);
        while (!m_queue.empty()) {
            m_free.push_back(std::move(m_queue.front()));
            m_queue.pop_front();
        }
    }

    void drain()
    {
        for (;;) {
            const bool ready = m_socket && m_socket->state() == QAbstractSocket::ConnectedState
                               && m_socket->bytesToWrite() < kMaxUnwrittenBytes;
            QByteArray buffer;
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                if (!ready || m_queue.empty()) {
                    // A later push (or the socket's progress) drains again.
                    m_drainPosted = false;
                    return;
                }
                buffer = std::move(m_queue.front());
                m_queue.pop_front();
            }
            m_socket->sendBinaryMessage(buffer);
            std::lock_guard<std::mutex> lock(m_mutex);
            m_free.push_back(std::move(buffer));
        }
    }

signals:
    void remoteVideo(const QByteArray& userId, const QImage& image);

private:
    void onBinary(const QByteArray& message)
    {
        MediaFrame frame;
        if (!readMediaFrame(message, &frame) || frame.kind != kKindVideo)
            return;
        const QImage image =
            i420ToImage(frame.payload, frame.payloadBytes, int(std::min<quint32>(frame.a, 1u << 20)),
                        int(std::min<quint32>(frame.b, 1u << 20)));
        if (!image.isNull())
            emit remoteVideo(frame.userId, image);
    }

    QWebSocket* m_socket = nullptr;
    mutable std::mutex m_mutex;
    std::deque<QByteArray> m_queue;
    std::vector<QByteArray> m_free;
    bool m_drainPosted = false;
    quint64 m_queued = 0;
    quint64 m_dropped = 0;
};

namespace {

QString text(const std::string& s) { return QString::fromStdString(s); }

QJsonObject targetJson(const TrtcPublishTarget& target)
{
    QJsonArray urls;
    for (const TrtcPublishCdnUrl& url : target.cdnUrls)
        urls.append(QJsonObject{{"url", text(url.url)}, {"via_service_line", url.viaServiceLine}});
    return QJsonObject{{"mode", target.mode}, {"cdn", urls}};
}

QJsonObject encodeJson(const TrtcStreamEncodeParams& p)
{
    return QJsonObject{{"width", qint64(p.videoWidth)},         {"height", qint64(p.videoHeight)},
                       {"fps", qint64(p.videoFps)},             {"gop", qint64(p.videoGop)},
                       {"video_kbps", qint64(p.videoBitrateKbps)}, {"sample_rate", qint64(p.audioSampleRate)},
                       {"channels", qint64(p.audioChannels)},   {"audio_kbps", qint64(p.audioBitrateKbps)},
                       {"audio_codec", qint64(p.audioCodec)},   {"video_codec", qint64(p.videoCodec)}};
}

QJsonObject mixJson(const TrtcMixConfig& config)
{
    QJsonArray layouts;
    for (const TrtcMixLayout& l : config.layouts) {
        layouts.append(QJsonObject{{"user_id", text(l.user.userId)},
                                   {"room_id", qint64(l.user.roomId)},
                                   {"rect", QJsonArray{l.left, l.top, l.right, l.bottom}},
                                   {"z", l.zOrder},
                                   {"fill_mode", l.fillMode},
                                   {"stream", l.streamType}});
    }
    return QJsonObject{{"background", qint64(config.backgroundColor)}, {"layouts", layouts}};
}

} // namespace

TrtcLoopback::TrtcLoopback(const QString& serviceBase)
    : m_serviceBase(serviceBase), m_handshakeTimer(new QTimer(this))
{
    m_handshakeTimer->setInterval(kLoopbackHandshakeTimeoutMs);
    m_handshakeTimer->setSingleShot(true);
    connect(m_handshakeTimer, &QTimer::timeout, this, [this] {
        if (!m_control || m_control->state() == QAbstractSocket::ConnectedState ||
            m_control->state() == QAbstractSocket::UnconnectedState)
            return;
        qWarning() << "real-time room channel: opening handshake not answered within"
                   << m_handshakeTimer->interval() << "ms";
        m_control->abort(); // reported as closed: an entry waiting for it fails
    });
    // The first use may come from a libobs thread; the channels belong to the GUI thread.
    if (QCoreApplication* app = QCoreApplication::instance())
        moveToThread(app->thread());
}

TrtcLoopback::~TrtcLoopback() { shutdown(); }

void TrtcLoopback::shutdown()
{
    if (m_shutDown)
        return;
    m_shutDown = true;
    m_inRoom = false;
    m_senderReady = nullptr;
    if (m_senderThread) {
        TrtcMediaSender* sender = m_sender;
        QMetaObject::invokeMethod(sender, [sender] { sender->close(); }, Qt::BlockingQueuedConnection);
        m_senderThread->quit();
        m_senderThread->wait();
        delete m_sender;
        m_sender = nullptr;
        delete m_senderThread;
        m_senderThread = nullptr;
    }
    if (m_control) {
        m_control->disconnect(this);
        m_control->flush();
        m_control->abort();
        delete m_control;
        m_control = nullptr;
    }
    for (RemoteView& view : m_views)
        detachView(view);
    m_views.clear();
}

quint64 TrtcLoopback::queuedFrames() const
{
    TrtcMediaSender* sender = m_senderReady.load();
    return sender ? sender->queued() : 0;
}

quint64 TrtcLoopback::droppedFrames() const
{
    TrtcMediaSender* sender = m_senderReady.load();
    return sender ? sender->dropped() : 0;
}

void TrtcLoopback::addCallback(TrtcCloudCallback* callback)
{
    std::lock_guard<std::mutex> lock(m_callbackMutex);
    if (callback && std::find(m_callbacks.begin(), m_callbacks.end(), callback) == m_callbacks.end())
        m_callbacks.push_back(callback);
}

void TrtcLoopback::removeCallback(TrtcCloudCallback* callback)
{
    std::lock_guard<std::mutex> lock(m_callbackMutex);
    m_callbacks.erase(std::remove(m_callbacks.begin(), m_callbacks.end(), callback), m_callbacks.end());
}

void TrtcLoopback::dispatch(const std::function<void(TrtcCloudCallback*)>& call)
{
    std::vector<TrtcCloudCallback*> callbacks;
    {
        std::lock_guard<std::mutex> lock(m_callbackMutex);
        callbacks = m_callbacks;
    }
    for (TrtcCloudCallback* callback : callbacks) {
        {
            // A receiver removed by an earlier one in this round hears nothing more.
            std::lock_guard<std::mutex> lock(m_callbackMutex);
            if (std::find(m_callbacks.begin(), m_callbacks.end(), callback) == m_callbacks.end())
                continue;
        }
        call(callback);
    }
}

void TrtcLoopback::postToGui(std::function<void()> fn)
{
    QMetaObject::invokeMethod(this, std::move(fn), Qt::QueuedConnection);
}

// ---- the control channel ----------------------------------------------------------------------

void TrtcLoopback::ensureChannels()
{
    if (m_control || m_shutDown)
        return;
    m_control = new QWebSocket(QString(), QWebSocketProtocol::VersionLatest, this);
    // The frame bound is checked at the frame's header, the message bound only once the frame is
    // whole: without the first, a frame announcing a gigabyte is gathered first.
    m_control->setMaxAllowedIncomingMessageSize(kMaxControlMessage);
    m_control->setMaxAllowedIncomingFrameSize(kMaxControlMessage);
    connect(m_control, &QWebSocket::connected, this, &TrtcLoopback::onControlConnected);
    connect(m_control, &QWebSocket::textMessageReceived, this, &TrtcLoopback::onControlText);
    // A refused connection never reports "disconnected": the state is watched instead.
    connect(m_control, &QWebSocket::stateChanged, this, [this](QAbstractSocket::SocketState state) {
        if (state == QAbstractSocket::UnconnectedState)
            onControlClosed();
    });

    m_senderThread = new QThread;
    m_senderThread->setObjectName(QStringLiteral("trtc-media"));
    m_sender = new TrtcMediaSender;
    m_sender->moveToThread(m_senderThread);
    connect(m_sender, &TrtcMediaSender::remoteVideo, this, &TrtcLoopback::onRemoteVideo, Qt::QueuedConnection);
    m_senderThread->start();
    m_senderReady = m_sender;

    // Connected after the receivers' own quit handlers (they leave the room first).
    if (QCoreApplication* app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, &TrtcLoopback::shutdown);
}

void TrtcLoopback::sendOp(const QJsonObject& op)
{
    if (QThread::currentThread() != thread() || !m_control)
        return;
    const QString text = QString::fromUtf8(QJsonDocument(op).toJson(QJsonDocument::Compact));
    if (m_control->state() == QAbstractSocket::ConnectedState) {
        m_control->sendTextMessage(text);
        m_control->flush(); // the last call before a quit must leave too
    } else if (m_control->state() != QAbstractSocket::UnconnectedState) {
        m_pendingOps << text;
    }
}

void TrtcLoopback::setHandshakeTimeout(int ms)
{
    m_handshakeTimer->setInterval(ms > 0 ? ms : kLoopbackHandshakeTimeoutMs);
}

void TrtcLoopback::onControlConnected()
{
    m_handshakeTimer->stop();
    const QStringList ops = m_pendingOps;
    m_pendingOps.clear();
    for (const QString& op : ops)
        m_control->sendTextMessage(op);
    m_control->flush();
}

void TrtcLoopback::onControlClosed()
{
    m_handshakeTimer->stop();
    m_pendingOps.clear();
    const bool wasInRoom = m_inRoom.exchange(false);
    if (m_sender)
        QMetaObject::invokeMethod(m_sender, [sender = m_sender] { sender->close(); }, Qt::QueuedConnection);
    if (m_entering) {
        m_entering = false;
        qWarning() << "real-time room channel unreachable";
        dispatch([](TrtcCloudCallback* c) { c->onEnterRoom(kUnreachableResult); });
    } else if (wasInRoom) {
        qWarning() << "real-time room channel lost";
        dispatch([](TrtcCloudCallback* c) { c->onError(kUnreachableResult, "real-time room channel lost"); });
    }
}

void TrtcLoopback::onControlText(const QString& message)
{
    const QJsonObject msg = QJsonDocument::fromJson(message.toUtf8()).object();
    const QString ev = msg.value("ev").toString();
    const QByteArray userId = msg.value("user_id").toString().toUtf8();
    const QByteArray taskId = msg.value("task_id").toString().toUtf8();
    const QByteArray note = msg.value("message").toString().toUtf8();
    const int code = msg.value("code").toInt();
    const bool available = msg.value("available").toBool();

    if (ev == QLatin1String("onEnterRoom")) {
        if (!m_entering)
            return;
        m_entering = false;
        const int result = msg.value("result").toInt(kUnreachableResult);
        if (result > 0) {
            m_inRoom = true;
            m_firstLocalFrameSent = false;
            QUrl media = m_control->requestUrl();
            media.setPath(media.path() + QStringLiteral("/media"));
            media.setQuery(QStringLiteral("token=") + msg.value("media").toString());
            QMetaObject::invokeMethod(m_sender, [sender = m_sender, media] { sender->open(media); },
                                      Qt::QueuedConnection);
        }
        dispatch([result](TrtcCloudCallback* c) { c->onEnterRoom(result); });
    } else if (ev == QLatin1String("onExitRoom")) {
        const int reason = msg.value("reason").toInt();
        dispatch([reason](TrtcCloudCallback* c) { c->onExitRoom(reason); });
    } else if (ev == QLatin1String("onRemoteUserEnterRoom")) {
        dispatch([&](TrtcCloudCallback* c) { c->onRemoteUserEnterRoom(userId.constData()); });
    } else if (ev == QLatin1String("onRemoteUserLeaveRoom")) {
        const int reason = msg.value("reason").toInt();
        dispatch([&](TrtcCloudCallback* c) { c->onRemoteUserLeaveRoom(userId.constData(), reason); });
    } else if (ev == QLatin1String("onUserVideoAvailable")) {
        dispatch([&](TrtcCloudCallback* c) { c->onUserVideoAvailable(userId.constData(), available); });
    } else if (ev == QLatin1String("onUserAudioAvailable")) {
        dispatch([&](TrtcCloudCallback* c) { c->onUserAudioAvailable(userId.constData(), available); });
    } else if (ev == QLatin1String("onStartPublishMediaStream")) {
        dispatch([&](TrtcCloudCallback* c) {
            c->onStartPublishMediaStream(taskId.constData(), code, note.constData(), nullptr);
        });
    } else if (ev == QLatin1String("onUpdatePublishMediaStream")) {
        dispatch([&](TrtcCloudCallback* c) {
            c->onUpdatePublishMediaStream(taskId.constData(), code, note.constData(), nullptr);
        });
    } else if (ev == QLatin1String("onStopPublishMediaStream")) {
        dispatch([&](TrtcCloudCallback* c) {
            c->onStopPublishMediaStream(taskId.constData(), code, note.constData(), nullptr);
        });
    } else if (ev == QLatin1String("onError")) {
        dispatch([&](TrtcCloudCallback* c) { c->onError(code, note.constData()); });
    }
}

// ---- room and publication ---------------------------------------------------------------------

void TrtcLoopback::enterRoom(const TrtcEnterParams& params, int scene)
{
    ensureChannels();
    if (!m_control)
        return;
    m_inRoom = false;
    m_entering = true;
    if (m_control->state() == QAbstractSocket::UnconnectedState) {
        const QUrl url = controlUrl(m_serviceBase.isEmpty() ? QString(API_HOST_URL) : m_serviceBase);
        m_pendingOps.clear();
        if (!url.isValid()) {
            m_entering = false;
            postToGui([this] { dispatch([](TrtcCloudCallback* c) { c->onEnterRoom(kUnreachableResult); }); });
            return;
        }
        m_handshakeTimer->start();
        m_control->open(url);
    }
    sendOp(QJsonObject{{"op", "enterRoom"},
                       {"sdk_app_id", qint64(params.sdkAppId)},
                       {"user_id", text(params.userId)},
                       {"user_sig", text(params.userSig)},
                       {"room_id", qint64(params.roomId)},
                       {"role", params.role},
                       {"scene", scene}});
}

void TrtcLoopback::exitRoom()
{
    m_entering = false;
    m_inRoom = false;
    if (m_sender)
        QMetaObject::invokeMethod(m_sender, [sender = m_sender] { sender->close(); }, Qt::QueuedConnection);
    sendOp(QJsonObject{{"op", "exitRoom"}});
}

void TrtcLoopback::startPublishMediaStream(const TrtcPublishTarget& target, const TrtcStreamEncodeParams& params,
                                           const TrtcMixConfig& config)
{
    sendOp(QJsonObject{{"op", "startPublishMediaStream"},
                       {"target", targetJson(target)},
                       {"encode", encodeJson(params)},
                       {"mix", mixJson(config)}});
}

void TrtcLoopback::updatePublishMediaStream(const std::string& taskId, const TrtcPublishTarget& target,
                                            const TrtcStreamEncodeParams& params, const TrtcMixConfig& config)
{
    sendOp(QJsonObject{{"op", "updatePublishMediaStream"},
                       {"task_id", text(taskId)},
                       {"target", targetJson(target)},
                       {"encode", encodeJson(params)},
                       {"mix", mixJson(config)}});
}

void TrtcLoopback::stopPublishMediaStream(const std::string& taskId)
{
    sendOp(QJsonObject{{"op", "stopPublishMediaStream"}, {"task_id", text(taskId)}});
}

// ---- local media ------------------------------------------------------------------------------

void TrtcLoopback::setCustomVideoCaptureEnabled(TrtcVideoStreamType stream, bool enabled)
{
    m_customVideo = enabled;
    sendOp(QJsonObject{{"op", "setCustomVideoCapture"}, {"stream", int(stream)}, {"enabled", enabled}});
}

void TrtcLoopback::setCustomAudioCaptureEnabled(bool enabled)
{
    m_customAudio = enabled;
    sendOp(QJsonObject{{"op", "setCustomAudioCapture"}, {"enabled", enabled}});
}

void TrtcLoopback::setVideoEncoderParams(const TrtcVideoEncoderParams& params)
{
    sendOp(QJsonObject{{"op", "setVideoEncoderParams"},
                       {"resolution", params.resolution},
                       {"fps", params.fps},
                       {"kbps", params.bitrateKbps}});
}

std::string TrtcLoopback::callExperimentalApi(const std::string&) { return "{\"code\":0,\"message\":\"\"}"; }

void TrtcLoopback::muteLocalVideo(TrtcVideoStreamType stream, bool mute)
{
    m_videoMuted = mute;
    sendOp(QJsonObject{{"op", "muteLocalVideo"}, {"stream", int(stream)}, {"mute", mute}});
}

void TrtcLoopback::muteLocalAudio(bool mute)
{
    m_audioMuted = mute;
    sendOp(QJsonObject{{"op", "muteLocalAudio"}, {"mute", mute}});
}

void TrtcLoopback::sendCustomVideoData(TrtcVideoStreamType stream, const TrtcCustomVideoFrame& frame)
{
    if (!m_inRoom || !m_customVideo || m_videoMuted || !frame.data || frame.pixelFormat != TrtcPixelFormat_I420
        || frame.width == 0 || frame.height == 0 || frame.width > 8192 || frame.height > 8192
        || quint64(frame.length) != quint64(frame.width) * frame.height * 3 / 2)
        return;
    TrtcMediaSender* sender = m_senderReady.load();
    if (!sender)
        return;
    sender->push(kKindVideo, int(stream), frame.width, frame.height, frame.timestamp, frame.data, int(frame.length));
    if (!m_firstLocalFrameSent.exchange(true))
        postToGui([this, stream] { dispatch([stream](TrtcCloudCallback* c) { c->onSendFirstLocalVideoFrame(stream); }); });
}

void TrtcLoopback::sendCustomAudioData(const TrtcCustomAudioFrame& frame)
{
    if (!m_inRoom || !m_customAudio || m_audioMuted || !frame.data || frame.format != TrtcAudioFormat_PCM
        || frame.channels == 0 || frame.length == 0 || frame.length > 1024 * 1024)
        return;
    if (TrtcMediaSender* sender = m_senderReady.load())
        sender->push(kKindAudio, 0, frame.sampleRate, frame.channels, frame.timestamp, frame.data,
                     int(frame.length));
}

// ---- remote views -----------------------------------------------------------------------------

void TrtcLoopback::attachView(RemoteView& view, TrtcViewId id)
{
    detachView(view);
    view.view = id;
    view.widget = QWidget::find(WId(id));
    if (view.widget) {
        view.widget->installEventFilter(this);
        view.widget->update();
    }
}

void TrtcLoopback::detachView(RemoteView& view)
{
    QPointer<QWidget> widget = view.widget;
    view.widget = nullptr;
    if (!widget)
        return;
    bool shared = false;
    for (const RemoteView& other : qAsConst(m_views))
        shared = shared || (&other != &view && other.widget == widget);
    if (!shared)
        widget->removeEventFilter(this);
    widget->update();
}

void TrtcLoopback::startRemoteView(const std::string& userId, TrtcVideoStreamType stream, TrtcViewId view)
{
    ensureChannels();
    RemoteView& remote = m_views[QByteArray::fromStdString(userId)];
    remote.frame = QImage();
    remote.firstFrame = true;
    attachView(remote, view);
    sendOp(QJsonObject{{"op", "startRemoteView"}, {"user_id", text(userId)}, {"stream", int(stream)},
                       {"view", QString::number(quint64(view))}});
}

void TrtcLoopback::updateRemoteView(const std::string& userId, TrtcVideoStreamType stream, TrtcViewId view)
{
    auto it = m_views.find(QByteArray::fromStdString(userId));
    if (it == m_views.end()) {
        startRemoteView(userId, stream, view);
        return;
    }
    attachView(*it, view);
    sendOp(QJsonObject{{"op", "updateRemoteView"}, {"user_id", text(userId)}, {"stream", int(stream)},
                       {"view", QString::number(quint64(view))}});
}

void TrtcLoopback::stopRemoteView(const std::string& userId, TrtcVideoStreamType stream)
{
    auto it = m_views.find(QByteArray::fromStdString(userId));
    if (it != m_views.end()) {
        detachView(*it);
        m_views.erase(it);
    }
    sendOp(QJsonObject{{"op", "stopRemoteView"}, {"user_id", text(userId)}, {"stream", int(stream)}});
}

void TrtcLoopback::setRemoteRenderParams(const std::string& userId, TrtcVideoStreamType stream,
                                         const TrtcRenderParams& params)
{
    const QByteArray id = QByteArray::fromStdString(userId);
    m_render[id] = params;
    auto it = m_views.find(id);
    if (it != m_views.end() && it->widget)
        it->widget->update();
    sendOp(QJsonObject{{"op", "setRemoteRenderParams"},
                       {"user_id", text(userId)},
                       {"stream", int(stream)},
                       {"rotation", params.rotation},
                       {"fill_mode", params.fillMode},
                       {"mirror_type", params.mirrorType}});
}

void TrtcLoopback::muteRemoteAudio(const std::string& userId, bool mute)
{
    sendOp(QJsonObject{{"op", "muteRemoteAudio"}, {"user_id", text(userId)}, {"mute", mute}});
}

void TrtcLoopback::onRemoteVideo(const QByteArray& userId, const QImage& image)
{
    auto it = m_views.find(userId);
    if (it == m_views.end())
        return;
    it->frame = image;
    if (it->widget)
        it->widget->update();
    if (it->firstFrame) {
        it->firstFrame = false;
        const int w = image.width(), h = image.height();
        dispatch([&](TrtcCloudCallback* c) { c->onFirstVideoFrame(userId.constData(), TrtcVideoStreamType::Big, w, h); });
    }
}

bool TrtcLoopback::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::Paint)
        return QObject::eventFilter(watched, event);
    for (auto it = m_views.cbegin(); it != m_views.cend(); ++it) {
        if (it->widget != watched)
            continue;
        paintView(it->widget, *it, m_render.value(it.key()));
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void TrtcLoopback::paintView(QWidget* widget, const RemoteView& view, const TrtcRenderParams& params)
{
    QPainter painter(widget);
    painter.fillRect(widget->rect(), Qt::black);
    if (view.frame.isNull())
        return;
    QImage image = view.frame;
    if (params.rotation & 3)
        image = image.transformed(QTransform().rotate(90.0 * (params.rotation & 3)));
    if (params.mirrorType == TrtcVideoMirrorType_Enable)
        image = image.mirrored(true, false);
    const QSizeF area = widget->size();
    const double sx = area.width() / image.width();
    const double sy = area.height() / image.height();
    const double scale = params.fillMode == TrtcVideoFillMode_Fill ? std::max(sx, sy) : std::min(sx, sy);
    const QSizeF size(image.width() * scale, image.height() * scale);
    const QRectF target(QPointF((area.width() - size.width()) / 2, (area.height() - size.height()) / 2), size);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, image);
}

#include "TrtcLoopback.moc"
