#include "shell/LiveControl.h"

#include "chat/RoomProtocol.h"
#include "platform/TrtcCloud.h"
#include "core/DataCenter.h"
#include "engine/PushStream.h"
#include "platform/X11Window.h"

#include <QDebug>
#include <QPointer>
#include <QTime>
#include <QTimer>

using mainwin::LiveState;

namespace livecontrol
{

QString pushFailedHint()
{
    return QString::fromUtf8(" 推流失败，请重试！");
}

QString switchWhileLiveHint()
{
    return QString::fromUtf8("直播推流中！请暂停推流后再切换开播方式");
}

QString statusText(LiveState state)
{
    switch (state) {
    case mainwin::LiveStateLive:
        return QString::fromUtf8("直播中");
    case mainwin::LiveStatePaused:
        return QString::fromUtf8("直播暂停中");
    default:
        return QString::fromUtf8("直播准备中");
    }
}

QString buttonText(LiveState state)
{
    switch (state) {
    case mainwin::LiveStateIdle:
        return QString::fromUtf8("选择\n开播方式");
    case mainwin::LiveStateReady:
        return QString::fromUtf8("开始直播");
    default:
        return QString();
    }
}

QString endLabelText(LiveState state)
{
    switch (state) {
    case mainwin::LiveStateLive:
        return QString::fromUtf8("结束直播");
    case mainwin::LiveStatePaused:
        return QString::fromUtf8("继续直播");
    default:
        return QString();
    }
}

QString clockText(int seconds)
{
    return QTime(0, 0, 0).addSecs(seconds).toString("HH:mm:ss");
}

} // namespace livecontrol

LiveControl::LiveControl(QObject* parent) : QObject(parent)
{
    hooks.screenSize = [] {
        int width = 0, height = 0;
        platform::primaryScreenSize(&width, &height);
        return QSize(width, height);
    };
}

LiveControl::~LiveControl()
{
    // The slots must not keep functions bound to this object.
    if (m_forwarding)
        unregisterForwarding();
}

bool LiveControl::clockRunning() const
{
    return m_liveTimer && m_liveTimer->isActive();
}

void LiveControl::setCanvasSize(int width, int height)
{
    m_canvasWidth = width;
    m_canvasHeight = height;
}

void LiveControl::setClockInterval(int ms)
{
    m_clockIntervalMs = ms;
    if (m_liveTimer)
        m_liveTimer->setInterval(ms);
}

void LiveControl::setState(LiveState state)
{
    m_state = state;
    emit stateChanged(int(state));
}

void LiveControl::send(const QString& text)
{
    if (hooks.sendRoomMessage)
        hooks.sendRoomMessage(text);
}

// ---- the choice ------------------------------------------------------------------------------

bool LiveControl::choose(const LiveRoomInfo& room)
{
    // A room's push address can arrive after the host has already started the previous room: the
    // running broadcast must not be cut loose from the controls.
    if (m_state == mainwin::LiveStateLive) {
        emit hintRequested(livecontrol::switchWhileLiveHint());
        return false;
    }
    // Rooms are told apart by their id; a custom address (id 0) is set up again at every choice.
    if (room.app_id != 0 && m_hasChoice && room.app_id == m_room.app_id)
        return false;

    // A paused broadcast still holds its output (and its real-time room): end it, or the next
    // start would go to the old room.
    if (m_state == mainwin::LiveStatePaused)
        endBroadcast();
    if (m_coHostMode == 1)
        UnRegisterRecvOBSAudioStreamCallback();
    if (hooks.handleStopLive)
        hooks.handleStopLive();

    m_room = room;
    m_roomName = QString::fromUtf8(room.push_app_nick);
    m_hasChoice = true;
    const bool isRoom = room.app_id != 0;
    qDebug() << "liveType: " << room.live_type;
    m_coHostMode = isRoom && room.live_type == livemode::kLiveTypeCoHost ? 1 : 0;
    if (m_coHostMode == 1) {
        registerVideoForwarding();
        registerAudioForwarding();
    } else if (m_forwarding) {
        // A normal broadcast must not hand its frames to the real-time room of an earlier choice.
        unregisterForwarding();
    }
    m_roomChosen = isRoom;
    m_liveModeChosen = true;
    // The co-host handshake belongs to this choice only.
    m_startPending = false;
    m_trtcLoginMsg.clear();
    stopClock();
    m_pausePending = false;
    m_stopPending = false;
    m_liveSeconds = 0;
    setState(mainwin::LiveStateReady);
    emit choiceTaken();
    return true;
}

bool LiveControl::selectButtonClicked()
{
    if (m_state == mainwin::LiveStateLive) {
        emit hintRequested(livecontrol::switchWhileLiveHint());
        return false;
    }
    return true;
}

// ---- start -----------------------------------------------------------------------------------

void LiveControl::liveButtonClicked()
{
    switch (m_state) {
    case mainwin::LiveStateLive:
        emit pauseOrStopRequested();
        break;
    case mainwin::LiveStatePaused:
        resume();
        break;
    case mainwin::LiveStateIdle:
        emit roomDialogRequested();
        break;
    case mainwin::LiveStateReady:
        start();
        break;
    }
}

void LiveControl::start()
{
    if (m_coHostMode != 1) {
        runStart();
        return;
    }
    // A co-host start waits for the server's answer; clicks meanwhile start nothing. Only when the
    // answer is long overdue does a click ask again, so a lost message never leaves the host with a
    // start that can no longer come.
    if (m_startPending && m_startPendingSince.elapsed() < m_trtcAnswerWaitMs)
        return;
    m_startPending = true;
    m_startPendingSince.start();
    if (!m_trtcLoginMsg.isEmpty())
        send(m_trtcLoginMsg);
    else if (hooks.requestTrtcLogin)
        hooks.requestTrtcLogin(); // the text follows through setTrtcLoginMessage
}

void LiveControl::setTrtcLoginMessage(const QString& text)
{
    m_trtcLoginMsg = text;
    if (m_startPending && m_state == mainwin::LiveStateReady && m_coHostMode == 1 && !text.isEmpty())
        send(text);
}

void LiveControl::handleRTrtcLogin(const QJsonObject& message)
{
    const QJsonValue codeValue = message.value(QLatin1String("code"));
    if (!codeValue.isDouble())
        return;
    const int code = codeValue.toInt();
    const bool waiting = m_startPending && m_state == mainwin::LiveStateReady && m_coHostMode == 1;
    if (code == 200) {
        send(RoomProtocol::getTrtcOnlineListMessage());
        if (waiting) {
            m_startPending = false;
            runStart();
        }
    } else if (code == 400 && waiting) {
        m_startPending = false;
        emit failureToastRequested(RoomProtocol::readText(message, QStringLiteral("err_msg")));
    }
}

void LiveControl::runStart()
{
    auto store = CDataCenter::getInstance();
    store->shareAtStart = hooks.isSharing ? hooks.isSharing() : false;
    // Whole addresses: libobs takes UTF-8 C strings of any length.
    const QByteArray server = store->pushServer.toUtf8();
    const QByteArray key = store->pushKey.toUtf8();
    const QSize screen = hooks.screenSize ? hooks.screenSize() : QSize(m_canvasWidth, m_canvasHeight);

    LiveCore* core = LiveCore::get_instance();
    QPointer<LiveControl> self(this);
    core->core_set_stream_event_handler([self](LiveStreamEvent event, int code) {
        if (self)
            self->onStreamEvent(event, code);
    });
    core->core_reset_video(screen.width(), screen.height(), m_canvasWidth, m_canvasHeight, 25);

    bool ok = false;
    if (m_coHostMode == 1) {
        send(RoomProtocol::trtcStartMessage());
        ok = startTrtcPush();
        ok = core->core_init_stream() && ok;
    } else {
        // Each step needs the one before; a failed step is not followed by the next.
        ok = core->core_init_stream();
        qDebug() << "obs init result:" << int(ok);
        if (ok) {
            ok = core->set_stream_parameters(server.constData(), key.constData(),
                                             livecontrol::kVideoBitrateArg, livecontrol::kAudioBitrate);
            qDebug() << "obs set_stream_parameters result:" << int(ok);
        }
        if (ok) {
            ok = core->start_stream();
            qDebug() << "obs start_stream result:" << int(ok);
        }
    }

    if (!ok) {
        failToIdle();
        return;
    }
    m_stopPending = false;
    m_pausePending = false;
    if (!m_liveTimer) {
        m_liveTimer = new QTimer(this);
        connect(m_liveTimer, &QTimer::timeout, this, &LiveControl::tick);
    }
    m_liveTimer->setInterval(m_clockIntervalMs);
    m_liveTimer->start();
    setState(mainwin::LiveStateLive);
    emit clockChanged(livecontrol::clockText(m_liveSeconds));
}

bool LiveControl::startTrtcPush()
{
    if (hooks.enterTrtcRoom)
        hooks.enterTrtcRoom(m_room);
    TrtcCloud* cloud = getTRTCShareInstance();
    cloud->setCustomVideoCaptureEnabled(TrtcVideoStreamType::Big, true);
    cloud->setCustomAudioCaptureEnabled(true);
    if (!m_pushStreamOwner) {
        m_pushStreamOwner = std::make_unique<PushStream>();
        m_pushStream.store(m_pushStreamOwner.get());
    }
    m_pushStreamOwner->initTrtcPushVideo();
    return true;
}

void LiveControl::failToIdle()
{
    emit hintRequested(livecontrol::pushFailedHint());
    endBroadcast();
    forgetChoice();
    m_startPending = false;
    stopClock();
    m_pausePending = false;
    m_stopPending = false;
    m_liveSeconds = 0;
    setState(mainwin::LiveStateIdle);
    emit pushFailed();
}

// ---- pause, resume, stop -----------------------------------------------------------------------

void LiveControl::pause()
{
    if (m_state != mainwin::LiveStateLive)
        return;
    LiveCore::get_instance()->pause_stream(true);
    if (m_coHostMode == 1) {
        getTRTCShareInstance()->muteLocalVideo(TrtcVideoStreamType::Big, true);
        UnRegisterRecvOBSAudioStreamCallback();
        if (hooks.handleStopLive)
            hooks.handleStopLive();
    }
    m_pausePending = true;
    setState(mainwin::LiveStatePaused);
}

void LiveControl::resume()
{
    bool ok = true;
    if (m_coHostMode == 1) {
        // The co-host output is the real-time room; the engine's RTMP output stays off.
        getTRTCShareInstance()->muteLocalVideo(TrtcVideoStreamType::Big, false);
        if (!m_hostAudioMuted)
            registerAudioForwarding();
    } else {
        ok = LiveCore::get_instance()->pause_stream(false);
    }
    if (!ok) {
        emit hintRequested(livecontrol::pushFailedHint());
        return;
    }
    // A pause tick still due must not stop the clock of the resumed broadcast.
    m_pausePending = false;
    m_stopPending = false;
    if (m_liveTimer)
        m_liveTimer->start();
    setState(mainwin::LiveStateLive);
}

void LiveControl::stop()
{
    if (m_state != mainwin::LiveStateLive)
        return;
    m_roomChosen = false;
    m_liveModeChosen = false;
    forgetChoice();
    endBroadcast();
    m_startPending = false;
    m_stopPending = true;
    setState(mainwin::LiveStateIdle);
    if (hooks.handleStopLive)
        hooks.handleStopLive();
    emit stopped();
}

void LiveControl::endBroadcast()
{
    unregisterForwarding();
    LiveCore::get_instance()->stop_stream();
    if (m_coHostMode == 1 && hooks.exitTrtcRoom)
        hooks.exitTrtcRoom();
}

void LiveControl::forgetChoice()
{
    m_roomName.clear();
    m_hasChoice = false;
}

void LiveControl::onStreamEvent(LiveStreamEvent event, int code)
{
    if (event != LiveStreamEvent::Stopped) {
        qDebug() << "stream output reconnect event" << int(event);
        return;
    }
    // Only a running RTMP broadcast has an output that can stop by itself.
    if (m_state != mainwin::LiveStateLive || m_coHostMode == 1)
        return;
    qDebug() << "stream output stopped with code" << code;
    failToIdle();
}

void LiveControl::coHostRoomFailed()
{
    if (m_coHostMode != 1 || (m_state != mainwin::LiveStateLive && m_state != mainwin::LiveStatePaused))
        return;
    qDebug() << "real-time room failed; the broadcast ends";
    failToIdle();
}

// ---- the clock --------------------------------------------------------------------------------

void LiveControl::tick()
{
    ++m_liveSeconds;
    if (m_pausePending) {
        m_pausePending = false;
        stopClock();
        return;
    }
    if (m_stopPending) {
        m_liveSeconds = 0;
        m_stopPending = false;
        stopClock();
        return;
    }
    LiveCore* core = LiveCore::get_instance();
    uint64_t totalBytes = 0;
    int droppedFrames = 0;
    core->core_query_stream_stats(&totalBytes);
    core->core_query_stream_stats(&totalBytes, &droppedFrames);
    emit clockChanged(livecontrol::clockText(m_liveSeconds));
}

void LiveControl::stopClock()
{
    if (m_liveTimer)
        m_liveTimer->stop();
}

// ---- raw frames --------------------------------------------------------------------------------

void LiveControl::setHostAudioMuted(bool muted)
{
    m_hostAudioMuted = muted;
    if (m_coHostMode != 1)
        return;
    if (muted)
        UnRegisterRecvOBSAudioStreamCallback();
    else
        registerAudioForwarding();
}

void LiveControl::registerVideoForwarding()
{
    m_forwarding = true;
    if (hooks.videoFrameReceiver) {
        RegisterRecvOBSVideoStreamCallback(hooks.videoFrameReceiver);
        return;
    }
    RegisterRecvOBSVideoStreamCallback(
        [this](void* userData, video_data* frame) { handleObsVideoData(userData, frame); });
}

void LiveControl::registerAudioForwarding()
{
    m_forwarding = true;
    if (hooks.audioFrameReceiver) {
        RegisterRecvOBSAudioStreamCallback(hooks.audioFrameReceiver);
        return;
    }
    RegisterRecvOBSAudioStreamCallback([this](void* userData, uint64_t mixIndex, audio_data* data) {
        handleObsAudioData(userData, mixIndex, data);
    });
}

void LiveControl::unregisterForwarding()
{
    UnRegisterRecvOBSVideoStreamCallback();
    UnRegisterRecvOBSAudioStreamCallback();
    m_forwarding = false;
}

void LiveControl::handleObsVideoData(void*, video_data* frame)
{
    if (PushStream* pusher = m_pushStream.load())
        pusher->sendCustomVideo(frame);
}

void LiveControl::handleObsAudioData(void*, uint64_t, audio_data* data)
{
    if (PushStream* pusher = m_pushStream.load())
        pusher->sendCustomAudio(data);
}
