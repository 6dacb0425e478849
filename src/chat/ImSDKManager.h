#pragma once
// The program's use of the IM group of a room: one process-wide manager held by a shared pointer.
//
// For now the group itself is not reached: starting the group for a room only records the room
// and logs; the message listener exists so the room connection can wire it once per run.

#include "login/LoginInfo.h"

#include <QObject>

#include <memory>
#include <mutex>
#include <string>

// Raises one signal per received group chat card. The text is valid only during the emission:
// receivers copy it at once (a queued delivery must carry its own copy).
class SvV2TIMAdvancedMsgListener : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

signals:
    void sigReceiveNewMessage(const char* msg);
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
    // Starts the room's group; called on every connection of the room channel.
    void InitSdk(const std::string& roomName, int roomId);
    // Null before the first InitSdk; never changes afterwards.
    SvV2TIMAdvancedMsgListener* msgListener() const { return m_msgListener.get(); }

    LoginInfo* loginInfo() const { return m_loginInfo; }
    int roomId() const { return m_roomId; }
    const std::string& roomName() const { return m_roomName; }
    int initCount() const { return m_initCount; }

private:
    ImSDKManager() = default;
    ~ImSDKManager() = default;

    LoginInfo* m_loginInfo = nullptr;
    std::string m_roomName;
    int m_roomId = 0;
    int m_initCount = 0;
    std::unique_ptr<SvV2TIMAdvancedMsgListener> m_msgListener;
};
