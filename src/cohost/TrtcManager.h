#pragma once
// The host's side of the real-time room of a co-host room: one process-wide manager (getInstance,
// released through SafeDeletor) that enters and leaves the room, fetches the user signature and
// the room's push address from the open API, starts, updates and stops the cloud mix that is
// relayed to that address, keeps one mix box per co-host whose video the host placed on the
// preview, applies render parameters to remote videos, and turns the cloud's callbacks into log
// lines and signals.
//
// The cloud is reached through getTRTCShareInstance() before every call; the manager registers
// itself as a callback receiver at construction. The open API and the room channel go through the
// hooks (the shared web client and sendChatWsMessage by default), so tests replace them.
//
// One stay in the room runs from enterRoom to exitRoom. Replies and callbacks that belong to an
// earlier stay are dropped, so a stopped broadcast never goes live again by a late answer. A step
// that fails after the start (no signature, entry refused, no push address, publication refused)
// raises sigRoomFailed once per stay; the live control then ends the broadcast.

#include "chat/ApiTransport.h"
#include "core/LoginInfo.h"
#include "platform/TrtcCloud.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

struct LiveRoomInfo;

// One co-host, co-host candidate or the host's own row ("main_broad").
struct TrtcMicUserInfo {
    TrtcMicUserInfo() = default;
    TrtcMicUserInfo(qint64 spaceId, const QString& name, const QString& photo, const QString& tag)
        : wechat_user_space_id(spaceId), name(name), photo(photo), trtc_tag(tag)
    {
    }
    qint64 wechat_user_space_id = 0;
    QString name;
    QString photo;
    QString trtc_tag;
};

enum class TrtcUserKind {
    Host,   // "user_<space id>_<room id>"
    CoHost, // "wechat_<space id>_<room id>"
};

// A user id of the real-time room: the space id as a signed decimal, the room id unsigned.
std::string trtcUserId(TrtcUserKind kind, qint64 spaceId, quint32 roomId);

// A mix box in pixels of the 1920 x 1080 mix (right = left + width, bottom = top + height).
struct TrtcMixRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

class TrtcManager : public QObject, public TrtcCloudCallbackDefaultImpl
{
    Q_OBJECT
public:
    static constexpr int kMixWidth = 1920;
    static constexpr int kMixHeight = 1080;
    // The host and at most 15 co-hosts.
    static constexpr int kMaxMixLayouts = 16;

    struct SafeDeletor {
        void operator()(TrtcManager* manager) const;
    };

    // The program's one manager, made on first use (after login).
    static std::shared_ptr<TrtcManager> getInstance();

    struct Hooks {
        apitransport::PostJsonFn post;                          // the open API
        std::function<void(const QString& text)> sendRoomMessage; // the room channel
    };
    Hooks hooks;

    // The program uses getInstance(); tests make managers of their own.
    TrtcManager();
    ~TrtcManager() override;

    // The signed-in user (kept, not owned; null is ignored).
    void setUserInfo(LoginInfo* info);
    LoginInfo* userInfo() const { return m_loginInfo; }
    // The chosen room (kept, not owned), read by the next enterRoom.
    void setLiveInfo(const LiveRoomInfo* info) { m_liveInfo = info; }

    // Starts a stay: asks for the signature, then enters. userText is not read.
    void enterRoom(quint32 roomId, const std::string& userText, int scene, int role);
    // Ends the stay: stops the publication, forgets every mix box, leaves the room.
    void exitRoom();
    // Publishes the mix (the host's full box alone) to pushUrl.
    void startMixPublish(int hostSpaceId, const std::string& pushUrl);
    // Places or moves a co-host's box (shifted back inside the mix, z order at least 1). Before
    // the publication runs only the boxes change; the first update carries them all.
    void updateMixUser(int spaceId, TrtcMixRect rect, int zOrder);
    void removeMixUser(int spaceId);
    void setRemoteRender(int spaceId, int rotation, int mirrorType);

    // ---- what tests read ----
    quint32 roomId() const { return m_roomId; }
    const std::string& userId() const { return m_userId; }
    const std::string& taskId() const { return m_taskId; }
    TrtcRenderParams renderParams() const { return m_render; }
    int mixLayoutCount() const { return int(m_layouts.size()); }

    // Cloud callbacks (GUI thread).
    void onEnterRoom(int result) override;
    void onExitRoom(int reason) override;
    void onUserVideoAvailable(const char* userId, bool available) override;
    void onUserAudioAvailable(const char* userId, bool available) override;
    void onFirstVideoFrame(const char* userId, TrtcVideoStreamType streamType, int width, int height) override;
    void onSendFirstLocalVideoFrame(TrtcVideoStreamType streamType) override;
    void onStartPublishMediaStream(const char* taskId, int code, const char* message, void* extraInfo) override;

signals:
    void onEnterRoomSig();
    void onExitRoomSig();
    // The user id belongs to the cloud and is valid only during the emission: receivers parse it
    // before they return.
    void sigUserVideoAvailable(const char* userId, bool available);
    void sigUserAudioAvailable(const char* userId, bool available);
    // A step after the start failed; raised once per stay.
    void sigRoomFailed();

private:
    enum class Phase {
        Out,        // no stay
        Signing,    // signature asked for
        Entering,   // enter called, result awaited
        Entered,    // in the room, no publication yet
        Publishing, // publication started, task id awaited
        Published,  // task id known
    };

    void fail(const char* what);
    void requestPushUrl();
    void publishMix();
    // Refills the mix's layout list from the boxes and, while a publication runs, sends it.
    void updatePublication();
    std::vector<std::pair<int, TrtcMixLayout>>::iterator findLayout(int spaceId);

    LoginInfo* m_loginInfo = nullptr;
    const LiveRoomInfo* m_liveInfo = nullptr;
    quint32 m_roomId = 0;
    std::string m_userId;
    int m_scene = 0;
    int m_role = 0;
    std::string m_streamId;
    int m_enterScene = 0;
    std::string m_userSig;
    quint32 m_sdkAppId = 0;
    qint64 m_roomAppId = 0; // the room record's id, for the live-start message
    std::unique_ptr<TrtcPublishTarget> m_target;
    std::unique_ptr<TrtcStreamEncodeParams> m_encode;
    std::unique_ptr<TrtcMixConfig> m_mix;
    TrtcRenderParams m_render;
    // Mix boxes by space id, in the order they were placed (the host's first).
    std::vector<std::pair<int, TrtcMixLayout>> m_layouts;
    std::string m_taskId;

    Phase m_phase = Phase::Out;
    quint64 m_stay = 0;     // counts stays; replies carry the stay they were asked in
    bool m_failed = false;  // this stay has reported its failure
    bool m_mixDirty = false; // boxes changed while no publication ran
};
