#pragma once
// The group-messaging service of the running program here: the service simulator's loopback IM
// channel.
//
// One WebSocket "<open-API base>/loopback/im", owned by a worker thread of this object's own, one
// JSON object per text frame. Every call but InitSDK and GetLoginStatus goes out as
// {"op": name, "seq": N, fields} and its answer comes back as {"op": "result", "seq": N, "code",
// "desc", "groups"}; the simulator pushes {"op": "message", "groupID", "sender", "elems"} to the
// members of a group. Every callback and listener is called on the worker thread.
//
// InitSDK is local (an application id of 0 is refused). The channel is opened by the first call
// that needs it; when it drops (or cannot be opened), the calls still waiting fail with
// kErrConnection and the login status goes back to V2TIM_STATUS_LOGOUT, so the next start signs
// in again. The worker ends when the application quits (the program keeps the SDK manager for
// the whole process, beyond the application object).

#include "platform/V2TIMManager.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QMetaObject>
#include <QString>
#include <QUrl>

#include <atomic>
#include <functional>
#include <mutex>
#include <vector>

class QCoreApplication;
class QThread;
class ImLoopbackWorker;

namespace imloopback
{

// A frame from the service beyond this is refused by the socket.
constexpr qint64 kMaxIncomingFrameBytes = 1024 * 1024;
// Elements of one message beyond this are ignored.
constexpr int kMaxElems = 64;
// Result codes of our own (the service's codes are positive).
constexpr int kErrConnection = -1;    // the channel closed or could not be opened before the answer
constexpr int kErrNoApplication = -2; // no application object to run the channel in

// The channel's address under an http(s) base ("" for anything else).
QUrl channelUrl(const QString& serviceBase);
// Reads a pushed "message" frame; false when the frame is not one. Bad fields are read as empty.
bool readMessage(const QJsonObject& frame, V2TIMMessage* out);

// One frame of the channel, read: the answer to a call, a pushed message, or nothing of use.
struct Frame {
    enum Kind { Other, Result, Message };
    Kind kind = Other;
    int seq = -1;
    int code = kErrConnection; // an answer without a readable code is no success
    QString desc;
    QJsonArray groups;
    V2TIMMessage message;
};
Frame readFrame(const QString& text);
// The groups of a search's answer (an entry without a text id gives an empty one).
TXV2TIMGroupInfoVector readGroups(const QJsonArray& groups);

} // namespace imloopback

class ImLoopback : public V2TIMManager, public V2TIMMessageManager, public V2TIMGroupManager
{
public:
    // serviceBase: the open-API base; empty takes the program's one when the channel opens.
    explicit ImLoopback(const QString& serviceBase = QString());
    ~ImLoopback() override;

    void AddSDKListener(V2TIMSDKListener* listener) override;
    bool InitSDK(uint32_t sdkAppID, const V2TIMSDKConfig& config) override;
    void UnInitSDK() override;
    V2TIMLoginStatus GetLoginStatus() override;
    void Login(const V2TIMString& userID, const V2TIMString& userSig, V2TIMCallback* callback) override;
    void CreateGroup(const V2TIMString& groupType, const V2TIMString& groupID, const V2TIMString& groupName,
                     V2TIMValueCallback<V2TIMString>* callback) override;
    void JoinGroup(const V2TIMString& groupID, const V2TIMString& message, V2TIMCallback* callback) override;
    V2TIMMessageManager* GetMessageManager() override { return this; }
    V2TIMGroupManager* GetGroupManager() override { return this; }
    void AddAdvancedMsgListener(V2TIMAdvancedMsgListener* listener) override;
    void SearchGroups(const V2TIMGroupSearchParam& param,
                      V2TIMValueCallback<TXV2TIMGroupInfoVector>* callback) override;

    // Closes the channel and ends the worker; a later call starts them again.
    void shutdown();
    // The channel's handshake bound for connections opened from now on (tests shorten it; 0 or
    // less restores kLoopbackHandshakeTimeoutMs). Calls waiting for a channel not open by then
    // fail with kErrConnection.
    void setHandshakeTimeout(int ms) { m_handshakeTimeoutMs = ms; }
    bool workerRunning() const;
    // The worker thread (null while none runs).
    QThread* workerThread() const;

private:
    friend class ImLoopbackWorker;
    using Done = std::function<void(int code, const QString& desc, const QJsonArray& groups)>;

    // Hands an operation to the worker, starting it when needed; without an application object
    // the operation fails at once on the calling thread.
    void post(const QJsonObject& op, Done done);
    bool ensureWorkerLocked();
    void stopWorker(bool quitting);
    // Worker thread:
    void deliver(const V2TIMMessage& message);
    void notifyConnected(bool ok, const QString& why);
    void log(V2TIMLogLevel level, const QString& text);
    void setStatus(V2TIMLoginStatus status) { m_status = status; }

    QString m_serviceBase;
    std::mutex m_logMutex; // held while a line goes to the log listener (taken before m_mutex)
    mutable std::mutex m_mutex; // guards what follows up to m_status
    std::vector<V2TIMSDKListener*> m_sdkListeners;
    std::vector<V2TIMAdvancedMsgListener*> m_msgListeners;
    V2TIMLogListener* m_logListener = nullptr; // called with m_logMutex held
    V2TIMLogLevel m_logLevel = V2TIM_LOG_INFO;
    uint32_t m_appId = 0;
    QThread* m_thread = nullptr;
    ImLoopbackWorker* m_worker = nullptr;
    QCoreApplication* m_quitApp = nullptr; // the application whose quitting ended the worker
    QMetaObject::Connection m_quitConnection;
    std::atomic<int> m_status{V2TIM_STATUS_LOGOUT};
    std::atomic<int> m_handshakeTimeoutMs{0};
};
