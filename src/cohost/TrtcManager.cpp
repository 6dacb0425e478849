#include "cohost/TrtcManager.h"

#include "chat/ChatWebSocketClient.h"
#include "chat/RoomProtocol.h"
#include "core/FormBody.h"
#include "core/LiveRoomInfo.h"
#include "core/ServiceConstants.h"

#include <QCoreApplication>
#include <QDebug>
#include <QJsonObject>

#include <algorithm>
#include <cstdio>
#include <mutex>

namespace {
std::shared_ptr<TrtcManager> g_manager;
std::mutex g_managerMutex;

TrtcCloud* cloud() { return getTRTCShareInstance(); }
} // namespace

std::string trtcUserId(TrtcUserKind kind, qint64 spaceId, quint32 roomId)
{
    const char* prefix = kind == TrtcUserKind::Host ? "user_" : "wechat_";
    return prefix + std::to_string(spaceId) + "_" + std::to_string(roomId);
}

void TrtcManager::SafeDeletor::operator()(TrtcManager* manager) const
{
    std::fputs("this is safe deleter operator()\n", stdout);
    std::fflush(stdout);
    delete manager;
}

std::shared_ptr<TrtcManager> TrtcManager::getInstance()
{
    std::lock_guard<std::mutex> lock(g_managerMutex);
    if (!g_manager)
        g_manager = std::shared_ptr<TrtcManager>(new TrtcManager(), SafeDeletor());
    return g_manager;
}

TrtcManager::TrtcManager()
{
    hooks.post = apitransport::netPostJson();
    hooks.sendRoomMessage = [](const QString& text) { sendChatWsMessage(text); };
    m_render.rotation = 0;
    m_render.fillMode = 1;
    m_render.mirrorType = 2;
    m_layouts.reserve(kMaxMixLayouts);
    cloud()->addCallback(this);
    // The manager itself outlives the application object: the stay ends while the event loop and
    // the cloud's channels still exist.
    if (QCoreApplication* app = QCoreApplication::instance()) {
        connect(app, &QCoreApplication::aboutToQuit, this, [this] {
            if (m_phase != Phase::Out || !m_taskId.empty())
                exitRoom();
        });
    }
}

TrtcManager::~TrtcManager()
{
    if (!m_taskId.empty())
        cloud()->stopPublishMediaStream(m_taskId);
    cloud()->removeCallback(this);
}

void TrtcManager::setUserInfo(LoginInfo* info)
{
    if (info)
        m_loginInfo = info;
}

void TrtcManager::fail(const char* what)
{
    qWarning() << "real-time room:" << what;
    if (m_failed)
        return;
    m_failed = true;
    emit sigRoomFailed();
}

// ---- entering ---------------------------------------------------------------------------------

void TrtcManager::enterRoom(quint32 roomId, const std::string&, int scene, int role)
{
    ++m_stay;
    m_phase = Phase::Signing;
    m_failed = false;
    m_roomId = roomId;
    m_scene = scene;
    m_enterScene = scene;
    m_role = role;
    m_streamId = m_liveInfo ? m_liveInfo->push_app_stream.toStdString() : std::string();
    m_roomAppId = m_liveInfo ? m_liveInfo->app_id : qint64(roomId);
    std::printf("streamId:%s\n", m_streamId.c_str());
    std::fflush(stdout);
    m_userId = trtcUserId(TrtcUserKind::Host, m_loginInfo ? m_loginInfo->wechat_user_space_id : 0, roomId);
    // Each stay needs a signature of its own: a reply without one must not enter with the last.
    m_userSig.clear();

    const quint64 stay = m_stay;
    const QString body = solvek::FormBody()
                             .add("uid", QString::fromStdString(m_userId))
                             .add("room_id", QString::number(roomId))
                             .toString();
    hooks.post(
        API_GET_TRTC_USIG, body,
        [this, stay](const QJsonObject& reply) {
            if (stay != m_stay || m_phase != Phase::Signing) {
                qDebug() << "getTrtcUsig reply of an earlier stay dropped";
                return;
            }
            qDebug() << "getTrtcUsig success";
            for (auto it = reply.begin(); it != reply.end(); ++it) {
                if (!it->isObject())
                    continue;
                const QJsonObject data = it->toObject();
                if (data.contains("app_id"))
                    m_sdkAppId = quint32(qint64(data.value("app_id").toDouble()));
                if (data.value("sig").isString())
                    m_userSig = data.value("sig").toString().toStdString();
            }
            if (m_userSig.empty()) {
                m_phase = Phase::Out;
                fail("getTrtcUsig reply has no signature");
                return;
            }
            TrtcEnterParams params;
            params.sdkAppId = m_sdkAppId;
            params.userId = m_userId;
            params.userSig = m_userSig;
            params.roomId = m_roomId;
            params.role = m_role;
            m_phase = Phase::Entering;
            cloud()->enterRoom(params, m_enterScene);
        },
        [this, stay](const QString&) {
            if (stay != m_stay || m_phase != Phase::Signing)
                return;
            qDebug() << "getTrtcUsig error";
            m_phase = Phase::Out;
            fail("no signature");
        });
}

void TrtcManager::onEnterRoom(int result)
{
    if (m_phase != Phase::Entering) {
        qDebug() << "onEnterRoom" << result << "outside an entry dropped";
        return;
    }
    if (result < 1) {
        m_phase = Phase::Out;
        cloud()->exitRoom();
        qDebug() << "user " << QString::fromStdString(m_userId) << " enterRoom failed code:" << result;
        fail("entry refused");
        return;
    }
    qDebug() << "user " << QString::fromStdString(m_userId) << " enterRoom successed";
    m_phase = Phase::Entered;
    emit onEnterRoomSig();
    requestPushUrl();
    if (hooks.sendRoomMessage)
        hooks.sendRoomMessage(RoomProtocol::adminCommonStartMessage(m_roomAppId));
}

void TrtcManager::requestPushUrl()
{
    const quint64 stay = m_stay;
    hooks.post(
        API_GET_PUSHFLOW_URL, solvek::FormBody().add("room_id", QString::number(m_roomId)).toString(),
        [this, stay](const QJsonObject& reply) {
            if (stay != m_stay || m_phase != Phase::Entered) {
                qDebug() << "API_GET_PUSHFLOW_URL reply of an earlier stay dropped";
                return;
            }
            qDebug() << "API_GET_PUSHFLOW_URL Data 111sucess";
            const QJsonValue url = reply.value("data").toObject().value("push_url");
            if (!url.isString() || url.toString().isEmpty()) {
                qDebug() << "push_url field is missing or not a string!";
                fail("no push address");
                return;
            }
            startMixPublish(m_loginInfo ? m_loginInfo->wechat_user_space_id : 0, url.toString().toStdString());
        },
        [this, stay](const QString&) {
            if (stay != m_stay || m_phase != Phase::Entered)
                return;
            qDebug() << "API_GET_PUSHFLOW_URL error";
            fail("no push address");
        });
}

// ---- the mix ----------------------------------------------------------------------------------

std::vector<std::pair<int, TrtcMixLayout>>::iterator TrtcManager::findLayout(int spaceId)
{
    return std::find_if(m_layouts.begin(), m_layouts.end(),
                        [spaceId](const std::pair<int, TrtcMixLayout>& entry) { return entry.first == spaceId; });
}

void TrtcManager::startMixPublish(int hostSpaceId, const std::string& pushUrl)
{
    if (!m_target)
        m_target = std::make_unique<TrtcPublishTarget>();
    if (!m_encode)
        m_encode = std::make_unique<TrtcStreamEncodeParams>();
    if (!m_mix) {
        m_mix = std::make_unique<TrtcMixConfig>();
        m_mix->layouts.reserve(kMaxMixLayouts);
    }

    auto host = findLayout(hostSpaceId);
    if (host == m_layouts.end()) {
        TrtcMixLayout layout;
        layout.right = kMixWidth;
        layout.bottom = kMixHeight;
        layout.user.userId = trtcUserId(TrtcUserKind::Host, hostSpaceId, m_roomId);
        layout.user.roomId = m_roomId;
        // The host's full box lies under every co-host's.
        m_layouts.insert(m_layouts.begin(), {hostSpaceId, layout});
        host = m_layouts.begin();
    }

    m_target->mode = TrtcPublishMode_MixStreamToCdn;
    m_target->cdnUrls.assign(1, TrtcPublishCdnUrl{pushUrl, true});

    m_encode->videoWidth = kMixWidth;
    m_encode->videoHeight = kMixHeight;
    m_encode->videoFps = 25;
    m_encode->videoGop = 3;
    m_encode->audioSampleRate = 44100;
    m_encode->audioChannels = 2;
    m_encode->audioBitrateKbps = 50;
    m_encode->audioCodec = 0;

    // The start carries the host alone; boxes placed meanwhile follow in one update once the
    // task id is known.
    m_mix->layouts.clear();
    m_mix->layouts.push_back(host->second);
    m_mixDirty = m_layouts.size() > 1;
    if (m_phase == Phase::Entered)
        m_phase = Phase::Publishing;
    cloud()->startPublishMediaStream(*m_target, *m_encode, *m_mix);
}

void TrtcManager::onStartPublishMediaStream(const char* taskId, int code, const char*, void*)
{
    const std::string task = taskId ? taskId : "";
    qDebug() << "onStartPublishMediaStream code: " << code;
    if (m_phase != Phase::Publishing) {
        // A publication whose stay ended before its answer came must not stay on the CDN.
        if (code == 0 && !task.empty())
            cloud()->stopPublishMediaStream(task);
        return;
    }
    if (code != 0) {
        m_phase = Phase::Entered;
        fail("publication refused");
        return;
    }
    m_taskId = task;
    m_phase = Phase::Published;
    if (m_mixDirty)
        updatePublication();
}

void TrtcManager::publishMix()
{
    m_mix->layouts.clear();
    for (const auto& entry : m_layouts)
        m_mix->layouts.push_back(entry.second);
    cloud()->updatePublishMediaStream(m_taskId, *m_target, *m_encode, *m_mix);
}

void TrtcManager::updatePublication()
{
    if (m_taskId.empty() || !m_mix) {
        m_mixDirty = true;
        return;
    }
    m_mixDirty = false;
    publishMix();
}

void TrtcManager::updateMixUser(int spaceId, TrtcMixRect rect, int zOrder)
{
    if (rect.right > kMixWidth) {
        rect.left += kMixWidth - rect.right;
        rect.right = kMixWidth;
    }
    if (rect.bottom > kMixHeight) {
        rect.top += kMixHeight - rect.bottom;
        rect.bottom = kMixHeight;
    }
    if (zOrder < 1)
        zOrder = 1;

    auto it = findLayout(spaceId);
    if (it == m_layouts.end()) {
        if (int(m_layouts.size()) >= kMaxMixLayouts) {
            qWarning() << "mix has no room for another box; co-host" << spaceId << "left out";
            return;
        }
        TrtcMixLayout layout;
        layout.user.userId = trtcUserId(TrtcUserKind::CoHost, spaceId, m_roomId);
        layout.user.roomId = m_roomId;
        m_layouts.push_back({spaceId, layout});
        it = m_layouts.end() - 1;
    }
    it->second.left = rect.left;
    it->second.top = rect.top;
    it->second.right = rect.right;
    it->second.bottom = rect.bottom;
    it->second.zOrder = zOrder;
    updatePublication();
}

void TrtcManager::removeMixUser(int spaceId)
{
    auto it = findLayout(spaceId);
    if (it == m_layouts.end())
        return;
    m_layouts.erase(it);
    updatePublication();
}

void TrtcManager::setRemoteRender(int spaceId, int rotation, int mirrorType)
{
    m_render.rotation = rotation;
    m_render.mirrorType = mirrorType;
    cloud()->setRemoteRenderParams(trtcUserId(TrtcUserKind::CoHost, spaceId, m_roomId), TrtcVideoStreamType::Big,
                                   m_render);
}

// ---- leaving ----------------------------------------------------------------------------------

void TrtcManager::exitRoom()
{
    qDebug() << "TrtcManager::exitRoom()";
    ++m_stay;
    m_phase = Phase::Out;
    if (!m_taskId.empty()) {
        cloud()->stopPublishMediaStream(m_taskId);
        m_taskId.clear();
    }
    m_layouts.clear();
    m_mixDirty = false;
    cloud()->exitRoom();
}

void TrtcManager::onExitRoom(int reason)
{
    qDebug() << "onExitRoom reason: " << reason;
    emit onExitRoomSig();
}

// ---- remote users -----------------------------------------------------------------------------

void TrtcManager::onUserVideoAvailable(const char* userId, bool available)
{
    qDebug() << userId << "_onUserVideoAvailable status: " << available;
    emit sigUserVideoAvailable(userId, available);
}

void TrtcManager::onUserAudioAvailable(const char* userId, bool available)
{
    emit sigUserAudioAvailable(userId, available);
}

void TrtcManager::onFirstVideoFrame(const char* userId, TrtcVideoStreamType, int, int)
{
    qDebug() << userId << "_onFirstVideoFrame render success";
}

void TrtcManager::onSendFirstLocalVideoFrame(TrtcVideoStreamType)
{
    qDebug() << "onSendFirstLocalVideoFrame";
}
