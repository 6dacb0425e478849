// libFuzzer target: arbitrary bytes as a control frame of the real-time room's loopback channel
// (dispatched to a receiver as the cloud's callbacks, each user id read as the main window reads
// it) and as a media frame (its header read, a video payload turned into a picture).
// Besides the sanitizers it checks that a media frame's parts lie within the message and that a
// picture comes only from a payload of the size its sides ask for.
#include "FuzzCheck.h"

#include "cohost/CoHostList.h"
#include "platform/TrtcLoopback.h"

#include <QCoreApplication>
#include <QImage>
#include <QMetaObject>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace
{
void readUser(const char* userId)
{
    fuzz::check(userId != nullptr);
    int id = 0;
    if (CoHostList::parseCoHostUserId(userId, &id))
        fuzz::check(std::strncmp(userId, "wechat_", 7) == 0);
}

struct Receiver : TrtcCloudCallback {
    void onError(int, const char* message) override { fuzz::check(message != nullptr); }
    void onEnterRoom(int) override { abort(); } // no entry awaits an answer here
    void onRemoteUserEnterRoom(const char* userId) override { readUser(userId); }
    void onRemoteUserLeaveRoom(const char* userId, int) override { readUser(userId); }
    void onUserVideoAvailable(const char* userId, bool) override { readUser(userId); }
    void onUserAudioAvailable(const char* userId, bool) override { readUser(userId); }
    void onStartPublishMediaStream(const char* taskId, int, const char* message, void*) override
    {
        fuzz::check(taskId && message && std::strlen(taskId) + std::strlen(message) < (1u << 24));
    }
    void onUpdatePublishMediaStream(const char* taskId, int code, const char* message, void* extra) override
    {
        onStartPublishMediaStream(taskId, code, message, extra);
    }
    void onStopPublishMediaStream(const char* taskId, int code, const char* message, void* extra) override
    {
        onStartPublishMediaStream(taskId, code, message, extra);
    }
};

TrtcLoopback* g_cloud = nullptr;
Receiver g_receiver;
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    static int argc = 1;
    static char arg0[] = "fuzz_TrtcLoopbackFrames";
    static char* argv[] = {arg0, nullptr};
    static QCoreApplication* app = new QCoreApplication(argc, argv);
    Q_UNUSED(app)
    fuzz::quietLog();
    g_cloud = new TrtcLoopback(QStringLiteral("http://127.0.0.1:9"));
    g_cloud->addCallback(&g_receiver);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), int(size));
    QMetaObject::invokeMethod(g_cloud, "onControlText", Qt::DirectConnection,
                              Q_ARG(QString, QString::fromUtf8(bytes)));

    trtcloopback::MediaFrame frame;
    if (!trtcloopback::readMediaFrame(bytes, &frame))
        return 0;
    fuzz::check(frame.payload >= bytes.constData() + trtcloopback::kHeaderBytes);
    fuzz::check(frame.payloadBytes >= 0 &&
                frame.payload + frame.payloadBytes == bytes.constData() + bytes.size());
    fuzz::check(frame.userId.size() == frame.payload - bytes.constData() - trtcloopback::kHeaderBytes);
    if (frame.kind != trtcloopback::kKindVideo)
        return 0;
    const int w = int(std::min<quint32>(frame.a, 1u << 20));
    const int h = int(std::min<quint32>(frame.b, 1u << 20));
    const QImage image = trtcloopback::i420ToImage(frame.payload, frame.payloadBytes, w, h);
    if (!image.isNull())
        fuzz::check(image.width() == w && image.height() == h && qint64(w) * h * 3 / 2 == frame.payloadBytes);
    return 0;
}
