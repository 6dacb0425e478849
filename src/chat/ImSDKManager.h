#pragma once
// The program's use of the IM group of a room: one process-wide manager held by a shared pointer.
//
// On every connection of the room channel InitSdk asks the service for the room's IM credentials,
// starts the SDK (platform/V2TIMManager.h), signs the host in when nobody is, then searches the
// room's group, creates it when the search fails, and joins it. Each step's callback logs and
// starts the next step through getInstance. The message listener picks the room group's custom
// elements that carry chat cards and raises a signal; the room connection wires that signal once
// per run. Nothing is ever sent to the group, left, logged out or removed.
//
// Threads: InitSdk, the credential reply and setLoginInfo run on the GUI thread; the SDK calls the
// step callbacks and the listeners on threads of its own. The room record's group id is read
// there too, so it is guarded by the manager's mutex.

#include "chat/ApiTransport.h"
#include "core/LoginInfo.h"
#include "platform/V2TIMManager.h"

#include <QJsonObject>
#include <QObject>

#include <memory>
#include <mutex>
#include <string>

// The room the group belongs to; one per manager, overwritten for each room.
struct ImRoomInfo {
    std::string roomName; // kept, read by nobody
    int roomId = 0;
    std::string groupId; // UTF-8; the current room's group from its credential reply, else empty
};

// The result of one step of the chain (0 log in, 1 search, 2 create, 3 join): both success
// operations act alike, both error operations act alike.
template <class T> class SvV2TIMCommonCallBack : public V2TIMCallback, public V2TIMValueCallback<T>
{
public:
    explicit SvV2TIMCommonCallBack(int step) : m_step(step) {}
    void OnSuccess() override;
    void OnSuccess(const T& value) override;
    void OnError(int code, const V2TIMString& message) override;
    int step() const { return m_step; }

private:
    void succeeded();
    void failed();
    int m_step;
};

// Raises one signal per received chat card of the current room's group. The text is valid only
// during the emission: receivers copy it at once (a queued delivery must carry its own copy).
class SvV2TIMAdvancedMsgListener : public QObject, public V2TIMAdvancedMsgListener
{
    Q_OBJECT
public:
    using QObject::QObject;
    void OnRecvNewMessage(const V2TIMMessage& message) override;

signals:
    void sigReceiveNewMessage(const char* msg);
};

class LogListener : public V2TIMLogListener
{
public:
    void OnLog(V2TIMLogLevel level, const V2TIMString& text) override;
};

// Overrides nothing: connection news are not acted on.
class SdkListener : public V2TIMSDKListener
{
};

class ImSDKManager
{
public:
    struct SafeDeletor {
        void operator()(ImSDKManager* manager) const;
    };

    static std::shared_ptr<ImSDKManager> getInstance();

    // Keeps the pointer (the record lives as long as the login dialog); null is ignored.
    void setLoginInfo(LoginInfo* loginInfo);
    // Starts the chain for a room; called on every connection of the room channel.
    void InitSdk(const std::string& roomName, int roomId);
    // Null before the first InitSdk; never changes afterwards.
    SvV2TIMAdvancedMsgListener* msgListener() const { return m_msgListener.get(); }

    // The steps, started by the step callbacks (any thread). Without a group id (the room changed
    // and its reply has not come) nothing is started.
    void searchGroup();
    void createGroup();
    void joinGroup();

    LoginInfo* loginInfo() const { return m_loginInfo; }
    int roomId() const;
    std::string roomName() const;
    // Any thread.
    std::string groupId() const;

    // The credential request; null goes back to the shared web client.
    void setTransport(apitransport::PostJsonFn post);

private:
    ImSDKManager() = default;
    ~ImSDKManager();

    void onCredentialReply(int roomId, const QJsonObject& reply);

    LoginInfo* m_loginInfo = nullptr;
    std::unique_ptr<ImRoomInfo> m_roomInfo;
    std::unique_ptr<LogListener> m_logListener;
    V2TIMManager* m_logSdk = nullptr; // the SDK given m_logListener
    std::unique_ptr<SvV2TIMCommonCallBack<int>> m_loginCallback;
    std::unique_ptr<SvV2TIMCommonCallBack<TXV2TIMGroupInfoVector>> m_searchCallback;
    std::unique_ptr<SvV2TIMCommonCallBack<V2TIMString>> m_createCallback;
    std::unique_ptr<SvV2TIMCommonCallBack<int>> m_joinCallback;
    std::unique_ptr<SdkListener> m_sdkListener;
    std::unique_ptr<SvV2TIMAdvancedMsgListener> m_msgListener;

    mutable std::mutex m_mutex; // guards the room record
    apitransport::PostJsonFn m_post;
};
