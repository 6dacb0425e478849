#include "support/CoHostLoopback.h"

#include "support/SimulatorProcess.h"

#include "cohost/SceneCenterWidget.h"
#include "cohost/SceneRemoteWidget.h"
#include "core/DataCenter.h"
#include "core/NetUtils.h"
#include "platform/TrtcLoopback.h"
#include "shell/LiveModeDialog.h"

#include <QtTest>

#include <QJsonArray>
#include <QJsonObject>
#include <QtGlobal>

#include <cstdio>

namespace cohostloopback
{

bool startSignedIn(SimulatorProcess& sim, const QString& docRoot, LoginInfo& login)
{
    if (!sim.start())
        return false;
    CDataCenter::getInstance()->userDocRoot = docRoot;
    login.uid = 4242;
    login.wechat_user_space_id = 10001;
    login.token = "token-1";
    NetUtils::getInstance()->setLoginInfo(login);
    return true;
}

bool nearColour(QRgb a, QRgb b, int tolerance)
{
    return qAbs(qRed(a) - qRed(b)) <= tolerance && qAbs(qGreen(a) - qGreen(b)) <= tolerance &&
           qAbs(qBlue(a) - qBlue(b)) <= tolerance;
}

int coHostId(const char* userId)
{
    int id = -1, room = 0;
    return std::sscanf(userId, "wechat_%d_%d", &id, &room) == 2 ? id : -1;
}

bool setCoHostRoom(const SimulatorProcess& sim, int roomId, const QString& stream)
{
    const QJsonObject room{{"app_id", QString::number(roomId)},
                           {"push_app_nick", "room"},
                           {"live_type", 5},
                           {"push_app_stream", stream}};
    return !sim.control("/_sim/rooms/set", QJsonObject{{"rooms", QJsonArray{room}}}).isNull();
}

bool setRemoteUser(const SimulatorProcess& sim, int roomId, const QString& userId, bool video, bool audio)
{
    return !sim.control(
                   "/_sim/trtc/user",
                   QJsonObject{{"room_id", roomId}, {"user_id", userId}, {"video", video}, {"audio", audio}})
                .isNull();
}

QRgb injectedColour(const SimulatorProcess& sim, int roomId, const QString& userId)
{
    const QJsonArray rgb = sim.getJson("/_sim/trtc")
                               .toObject()
                               .value("rooms")
                               .toObject()
                               .value(QString::number(roomId))
                               .toObject()
                               .value(userId)
                               .toObject()
                               .value("colour")
                               .toArray();
    return qRgb(rgb.at(0).toInt(), rgb.at(1).toInt(), rgb.at(2).toInt());
}

LoopbackStage::LoopbackStage(LoginInfo* login, int roomId, int coHostSpaceId)
    : m_roomId(roomId), m_loopback(std::make_unique<TrtcLoopback>())
{
    m_previous = setTRTCShareInstance(m_loopback.get());
    m_manager = std::make_unique<TrtcManager>();
    m_manager->setUserInfo(login);
    m_strip = std::make_unique<SceneCenterWidget>();
    m_strip->setRoomId(roomId);
    m_strip->resize(800, 140);
    m_strip->show();
    SceneCenterWidget* strip = m_strip.get();
    QObject::connect(
        m_manager.get(), &TrtcManager::sigUserVideoAvailable, strip,
        [strip](const char* userId, bool on) { strip->handleRemoteVideoAvailable(coHostId(userId), on); });
    m_user = TrtcMicUserInfo(coHostSpaceId, "Bob", QString(), QString());
    if (m_strip->addRemoteUser(&m_user))
        m_tile = m_strip->remoteWidget(coHostSpaceId);
}

LoopbackStage::~LoopbackStage()
{
    m_manager->exitRoom();
    // The tiles and the manager still call the cloud on their way out.
    m_strip.reset();
    m_manager.reset();
    setTRTCShareInstance(m_previous);
}

bool LoopbackStage::enterPublished(LiveRoomInfo& room, const QString& stream, int waitMs)
{
    room.app_id = m_roomId;
    room.live_type = 5;
    room.push_app_stream = stream.toUtf8();
    m_manager->setLiveInfo(&room);
    m_manager->enterRoom(quint32(m_roomId), "4242", 1, 20);
    return QTest::qWaitFor([this] { return !m_manager->taskId().empty(); }, waitMs);
}

} // namespace cohostloopback
