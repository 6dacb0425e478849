#pragma once
// A recording stand-in for the group-messaging SDK.
//
//   FakeImSdk sdk;          // from here on V2TIMManager::GetInstance() returns &sdk
//   sdk.errors["SearchGroups"] = 10010;
//   ... drive the code under test ...
//   QCOMPARE(sdk.calls(), QStringList{"InitSDK 1400000001", "GetLoginStatus", "Login u s", ...});
//
// Every call is answered at once, on the calling thread, with success unless `errors` holds a
// code for it; a successful Login makes the status "logged in". The destructor puts the previous
// manager back. deliver() hands a message to the registered message listeners.

#include "platform/V2TIMManager.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <mutex>

class FakeImSdk : public V2TIMManager, public V2TIMMessageManager, public V2TIMGroupManager
{
public:
    FakeImSdk();
    ~FakeImSdk() override;

    // Calls other than the listener registrations, in order, with their key arguments.
    QStringList calls() const;
    void clearCalls();
    int sdkListenerCount() const;
    int msgListenerCount() const;
    V2TIMLogListener* logListener() const;

    QHash<QString, int> errors; // call name -> error code
    V2TIMLoginStatus loginStatus = V2TIM_STATUS_LOGOUT;
    QStringList groupsFound; // what SearchGroups finds

    // A message of `groupId` with text (type 1) and custom (type 2) elements, in order.
    struct Elem {
        int type;
        QByteArray bytes;
    };
    void deliver(const QByteArray& groupId, const QList<Elem>& elems);

    void AddSDKListener(V2TIMSDKListener* listener) override;
    bool InitSDK(uint32_t sdkAppID, const V2TIMSDKConfig& config) override;
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

private:
    void record(const QString& call);
    int errorFor(const QString& name) const;

    V2TIMManager* m_previous = nullptr;
    mutable std::mutex m_mutex;
    QStringList m_calls;
    QList<V2TIMSDKListener*> m_sdkListeners;
    QList<V2TIMAdvancedMsgListener*> m_msgListeners;
    V2TIMLogListener* m_logListener = nullptr;
};
