#pragma once
// Minimal IM group manager (replaced by the full manager).
#include "login/LoginInfo.h"

#include <QObject>
#include <memory>

class ImSDKManager : public QObject
{
    Q_OBJECT
public:
    static std::shared_ptr<ImSDKManager> getInstance()
    {
        static std::shared_ptr<ImSDKManager> instance(new ImSDKManager);
        return instance;
    }
    void setLoginInfo(LoginInfo* info)
    {
        if (info)
            m_loginInfo = info;
    }
    LoginInfo* loginInfo() const { return m_loginInfo; }

private:
    ImSDKManager() = default;
    LoginInfo* m_loginInfo = nullptr;
};
