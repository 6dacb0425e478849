#pragma once
// Minimal real-time room manager (replaced by the full manager).
#include "login/LoginInfo.h"

#include <QObject>
#include <memory>
#include <string>

struct LiveRoomInfo;

class TrtcManager : public QObject
{
    Q_OBJECT
public:
    static std::shared_ptr<TrtcManager> getInstance()
    {
        static std::shared_ptr<TrtcManager> instance(new TrtcManager);
        return instance;
    }
    void setUserInfo(LoginInfo* info) { m_loginInfo = info; }
    LoginInfo* userInfo() const { return m_loginInfo; }
    void setLiveInfo(const LiveRoomInfo* info) { m_liveInfo = info; }
    void enterRoom(int roomId, std::string userId, int scene, int role)
    {
        (void)roomId, (void)userId, (void)scene, (void)role;
    }
    void exitRoom() {}

signals:
    void sigUserVideoAvailable(const char* userId, bool available);
    void sigUserAudioAvailable(const char* userId, bool available);

private:
    TrtcManager() = default;
    LoginInfo* m_loginInfo = nullptr;
    const LiveRoomInfo* m_liveInfo = nullptr;
};
