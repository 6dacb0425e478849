#pragma once
// The live control's state machine: a chosen room or custom push address becomes a broadcast and
// back (idle 0 -> ready 1 -> live 2 <-> paused 4 -> idle).
//
// The main window owns one and delegates its named slots to it; the window only draws what the
// control reports (state, clock, hints). The engine is reached through LiveCore::get_instance(),
// the real-time room's media through getTRTCShareInstance(), and everything else (the room
// channel, entering and leaving the real-time room, the co-host clean-up, the share state) through
// the hooks below, so every transition runs without the window.
//
// A normal room or a custom address pushes RTMP through the engine on the first start click. A
// co-host room first sends the current room's "trtc_login" text over the room channel and starts
// only when the answer "r_trtc_login" with code 200 arrives; the canvas then goes to the real-time
// room as custom audio and video and the engine's output is never started.

#include "engine/LiveCore.h"
#include "shell/LiveMainWindowRules.h"
#include "shell/LiveModeDialog.h"

#include <QElapsedTimer>
#include <QJsonObject>
#include <QObject>
#include <QSize>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

class PushStream;
class QTimer;

namespace livecontrol
{

constexpr int kClockIntervalMs = 1000;
constexpr int kFailureToastMs = 2000;
// Push bitrates handed to the engine (kbit/s): the video value has no effect there.
constexpr int kVideoBitrateArg = 2500;
constexpr int kAudioBitrate = 160;
// A co-host start whose "r_trtc_login" answer has not come for this long (the message or the
// answer was lost, say while the room channel was down) is asked for again by the next click.
constexpr int kTrtcAnswerWaitMs = 5000;
constexpr int kTrtcScene = 1; // live
constexpr int kTrtcRoleAnchor = 20;

// Texts of the controls.
QString pushFailedHint(); // " 推流失败，请重试！" (with the leading blank)
QString switchWhileLiveHint();
QString statusText(mainwin::LiveState state);
// The live button's own text; empty while live or paused (two labels show instead).
QString buttonText(mainwin::LiveState state);
// The upper label on the button while live or paused; empty otherwise.
QString endLabelText(mainwin::LiveState state);
// The clock: the time of day 00:00:00 plus `seconds`, "HH:mm:ss" (it wraps after 24 hours).
QString clockText(int seconds);

} // namespace livecontrol

class LiveControl : public QObject
{
    Q_OBJECT
public:
    using LiveState = mainwin::LiveState;

    // What the control reaches besides the engine and the real-time media. Hooks left empty are
    // skipped.
    struct Hooks {
        // Sends one text frame over the room channel (dropped there when no channel is open).
        std::function<void(const QString& text)> sendRoomMessage;
        // Asks the room channel for a fresh co-host login text; it arrives via setTrtcLoginMessage.
        std::function<void()> requestTrtcLogin;
        // Enters (asynchronously) and leaves the real-time room of a co-host room.
        std::function<void(const LiveRoomInfo& room)> enterTrtcRoom;
        std::function<void()> exitTrtcRoom;
        // The co-host clean-up of a room: ends every co-host link and clears their views.
        std::function<void()> handleStopLive;
        // Whether a desktop or window share runs (the engine then prefers another output size).
        std::function<bool()> isSharing;
        // The primary screen's size now (the engine's base size at each start).
        std::function<QSize()> screenSize;
        // The raw-frame receivers registered in a co-host room (called on libobs' threads); when
        // empty, handleObsVideoData and handleObsAudioData are registered themselves.
        ObsVideoStreamCallback videoFrameReceiver;
        ObsAudioStreamCallback audioFrameReceiver;
    };
    Hooks hooks;

    explicit LiveControl(QObject* parent = nullptr);
    ~LiveControl() override;

    // ---- what the window reads ----
    LiveState state() const { return m_state; }
    int coHostMode() const { return m_coHostMode; }
    const LiveRoomInfo& room() const { return m_room; }
    qint64 roomId() const { return m_room.app_id; }
    // The chosen room's name; empty for a custom address and once the choice is forgotten.
    QString roomName() const { return m_roomName; }
    // A room (not a custom address) is chosen; cleared by a stop.
    bool roomChosen() const { return m_roomChosen; }
    // A choice was taken (the room dialog's choice reached the control); cleared by a stop.
    bool liveModeChosen() const { return m_liveModeChosen; }
    void setLiveModeChosen(bool chosen) { m_liveModeChosen = chosen; }
    bool startPending() const { return m_startPending; }
    bool pausePending() const { return m_pausePending; }
    bool stopPending() const { return m_stopPending; }
    int liveSeconds() const { return m_liveSeconds; }
    bool clockRunning() const;
    QString trtcLoginMessage() const { return m_trtcLoginMsg; }
    PushStream* pushStream() const { return m_pushStream.load(); }
    bool hostAudioMuted() const { return m_hostAudioMuted; }

    // The output size the engine gets at each start (the canvas size).
    void setCanvasSize(int width, int height);
    void setClockInterval(int ms);
    void setTrtcAnswerWait(int ms) { m_trtcAnswerWaitMs = ms; }

    // ---- events ----
    // A choice reported by the room dialog. False when nothing changed: the room already chosen
    // (same non-zero id), or a choice that arrives while live (refused with the hint).
    bool choose(const LiveRoomInfo& room);
    // The select button: false (with the hint) while live, when the room dialog must not open.
    bool selectButtonClicked();
    // The live button: idle asks for the room dialog, ready starts, live asks for the pause/stop
    // popup, paused resumes.
    void liveButtonClicked();
    void pause();
    void stop();
    // The clock's tick (once a second while it runs).
    void tick();
    // "r_trtc_login" from the room channel.
    void handleRTrtcLogin(const QJsonObject& message);
    // The co-host login text of the current room, prepared by the room channel after a token reply.
    void setTrtcLoginMessage(const QString& text);
    // The host tile's microphone switch in a co-host room: muted stops forwarding the host's sound.
    void setHostAudioMuted(bool muted);
    // What the running output reports by itself (GUI thread).
    void onStreamEvent(LiveStreamEvent event, int code);
    // A step of the real-time room failed after a co-host start (signature, entry, push address,
    // publication): the broadcast ends with the push-failed hint, as a failed start does.
    void coHostRoomFailed();

    // The raw-frame forwarders bound into the engine's slots in a co-host room; they run on
    // libobs' threads and drop frames until the pusher exists.
    void handleObsVideoData(void* userData, video_data* frame);
    void handleObsAudioData(void* userData, uint64_t mixIndex, audio_data* data);

signals:
    void stateChanged(int state);
    // A new choice has been taken (state 1); the window sets up the room's pages and channel.
    void choiceTaken();
    // The host stopped the broadcast (state 0); the window shows the idle pages.
    void stopped();
    // The start or the running output failed and the control went back to idle.
    void pushFailed();
    void clockChanged(const QString& text);
    void hintRequested(const QString& text);
    void failureToastRequested(const QString& text);
    // The live button while live: the window shows the pause/stop popup.
    void pauseOrStopRequested();
    // The live button while idle: the window opens the room dialog.
    void roomDialogRequested();

private:
    void setState(LiveState state);
    void start();
    void runStart();
    bool startTrtcPush();
    void resume();
    // Ends what a broadcast (started, paused or failed) holds in the engine and the real-time room.
    void endBroadcast();
    // Forgets the current choice so that choosing the same room again sets it up anew.
    void forgetChoice();
    void failToIdle();
    void stopClock();
    void registerVideoForwarding();
    void registerAudioForwarding();
    void unregisterForwarding();
    void send(const QString& text);

    LiveState m_state = mainwin::LiveStateIdle;
    int m_coHostMode = 0;
    LiveRoomInfo m_room;
    QString m_roomName;
    bool m_hasChoice = false; // a choice is current (the same-room check applies)
    bool m_roomChosen = false;
    bool m_liveModeChosen = false;
    bool m_startPending = false;
    QElapsedTimer m_startPendingSince;
    int m_trtcAnswerWaitMs = livecontrol::kTrtcAnswerWaitMs;
    QString m_trtcLoginMsg;
    bool m_pausePending = false;
    bool m_stopPending = false;
    int m_liveSeconds = 0;
    QTimer* m_liveTimer = nullptr;
    int m_clockIntervalMs = livecontrol::kClockIntervalMs;
    int m_canvasWidth = 1920;
    int m_canvasHeight = 1080;
    bool m_hostAudioMuted = false;
    bool m_forwarding = false;
    // Made at the first co-host start, kept for the control's life; read by libobs' threads.
    std::unique_ptr<PushStream> m_pushStreamOwner;
    std::atomic<PushStream*> m_pushStream{nullptr};
};
