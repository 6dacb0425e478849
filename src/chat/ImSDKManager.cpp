#include "chat/ImSDKManager.h"

#include <QDebug>

#include <cstdio>

namespace {
std::shared_ptr<ImSDKManager> g_manager;
std::mutex g_managerMutex;
} // namespace

void ImSDKManager::SafeDeletor::operator()(ImSDKManager* manager) const
{
    std::fputs("this is safe deleter operator()\n", stdout);
    std::fflush(stdout);
    delete manager;
}

std::shared_ptr<ImSDKManager> ImSDKManager::getInstance()
{
    std::lock_guard<std::mutex> lock(g_managerMutex);
    if (!g_manager)
        g_manager = std::shared_ptr<ImSDKManager>(new ImSDKManager(), SafeDeletor());
    return g_manager;
}

void ImSDKManager::setLoginInfo(LoginInfo* loginInfo)
{
    if (loginInfo)
        m_loginInfo = loginInfo;
}

void ImSDKManager::InitSdk(const std::string& roomName, int roomId)
{
    if (!m_msgListener)
        m_msgListener.reset(new SvV2TIMAdvancedMsgListener());
    m_roomName = roomName;
    m_roomId = roomId;
    ++m_initCount;
    qDebug() << "ImSDKManager::InitSdk room" << roomId << QString::fromStdString(roomName)
             << "(IM group not connected in this build)";
}
