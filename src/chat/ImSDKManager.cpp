#include "chat/ImSDKManager.h"

#include "core/NetUtils.h"
#include "core/ServiceConstants.h"

#include <QDebug>
#include <QJsonValue>

#include <cstdio>
#include <cstring>
#include <limits>

namespace
{
std::shared_ptr<ImSDKManager> g_manager;
std::mutex g_managerMutex;

constexpr char kCardMarker[] = "\"card_name\":";
constexpr int kCardMarkerBytes = sizeof(kCardMarker) - 1; // 12

const char* stepLine(int step, bool ok)
{
    switch (step) {
    case 0:
        return ok ? "Login success" : "Login OnError";
    case 1:
        return ok ? "SearchGroup success" : "SearchGroup OnError";
    case 2:
        return ok ? "CreateGroup success;" : "CreateGroup OnError;";
    case 3:
        return ok ? "JoinGroup success" : "JoinGroup OnError";
    default:
        return "";
    }
}

QString text(const V2TIMString& s)
{
    return QString::fromUtf8(s.CString(), int(s.Size()));
}

// "imSdkAppId" as the SDK takes it: a number in range, else 0.
uint32_t readAppId(const QJsonValue& value)
{
    if (!value.isDouble())
        return 0;
    const double v = value.toDouble();
    if (!(v >= 0 && v <= double(std::numeric_limits<uint32_t>::max())))
        return 0;
    return uint32_t(v);
}
} // namespace

// ---- step callbacks ----------------------------------------------------------------------------

template <class T> void SvV2TIMCommonCallBack<T>::OnSuccess()
{
    qDebug().noquote() << "SvV2TIMCommonCallBack onSuccess";
    succeeded();
}

template <class T> void SvV2TIMCommonCallBack<T>::OnSuccess(const T&)
{
    succeeded();
}

template <class T> void SvV2TIMCommonCallBack<T>::OnError(int, const V2TIMString& message)
{
    qDebug().noquote() << "SvV2TIMCommonCallBack OnError";
    qDebug().noquote().nospace() << "error_message:"
                                 << solvek::loggable(QByteArray(message.CString(), int(message.Size())));
    failed();
}

template <class T> void SvV2TIMCommonCallBack<T>::succeeded()
{
    qDebug().noquote() << stepLine(m_step, true);
    switch (m_step) {
    case 0:
        ImSDKManager::getInstance()->searchGroup();
        break;
    case 1:
        ImSDKManager::getInstance()->joinGroup();
        break; // whatever the search found
    case 2:
        ImSDKManager::getInstance()->joinGroup();
        break;
    default:
        break;
    }
}

template <class T> void SvV2TIMCommonCallBack<T>::failed()
{
    qDebug().noquote() << stepLine(m_step, false);
    switch (m_step) {
    case 1:
        ImSDKManager::getInstance()->createGroup();
        break;
    case 2:
        ImSDKManager::getInstance()->joinGroup();
        break; // it may exist already
    default:
        break;
    }
}

template class SvV2TIMCommonCallBack<int>;
template class SvV2TIMCommonCallBack<V2TIMString>;
template class SvV2TIMCommonCallBack<TXV2TIMGroupInfoVector>;

// ---- listeners ---------------------------------------------------------------------------------

void SvV2TIMAdvancedMsgListener::OnRecvNewMessage(const V2TIMMessage& message)
{
    qDebug().noquote() << "OnRecvNewMessage";
    // Groups of rooms chosen before stay joined: only the current room's cards become its rows.
    const std::string current = ImSDKManager::getInstance()->groupId();
    if (current.empty() || current.size() != message.groupID.Size() ||
        std::memcmp(current.data(), message.groupID.CString(), current.size()) != 0) {
        qDebug().noquote() << "OnRecvNewMessage: not the current room's group, dropped";
        return;
    }
    for (size_t i = 0; i < message.elemList.Size(); ++i) {
        const V2TIMElem* elem = message.elemList[i];
        if (!elem)
            continue;
        if (elem->elemType == V2TIM_ELEM_TYPE_TEXT) {
            const auto* t = static_cast<const V2TIMTextElem*>(elem);
            qDebug().noquote().nospace()
                << "V2TIMMessage:" << solvek::loggable(QByteArray(t->text.CString(), int(t->text.Size())));
        } else if (elem->elemType == V2TIM_ELEM_TYPE_CUSTOM) {
            const auto* c = static_cast<const V2TIMCustomElem*>(elem);
            const QByteArray data(reinterpret_cast<const char*>(c->data.Data()), int(c->data.Size()));
            if (data.size() >= kCardMarkerBytes &&
                data.contains(QByteArray::fromRawData(kCardMarker, kCardMarkerBytes)))
                emit sigReceiveNewMessage(data.constData());
            qDebug().noquote().nospace() << "V2TIM_ELEM_TYPE_CUSTOM V2TIMMessage:" << solvek::loggable(data);
        }
    }
}

void LogListener::OnLog(V2TIMLogLevel, const V2TIMString& line)
{
    qDebug().noquote().nospace() << "logContent:" << text(line);
}

// ---- the manager -------------------------------------------------------------------------------

void ImSDKManager::SafeDeletor::operator()(ImSDKManager* manager) const
{
    std::fputs("this is safe deleter operator()\n", stdout);
    std::fflush(stdout);
    delete manager;
}

ImSDKManager::~ImSDKManager()
{
    // The SDK logs through our listener from its own thread: it lets go of it before it goes.
    if (m_logListener && m_logSdk && m_logSdk == V2TIMManager::GetInstance())
        m_logSdk->UnInitSDK();
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

void ImSDKManager::setTransport(apitransport::PostJsonFn post)
{
    m_post = std::move(post);
}

int ImSDKManager::roomId() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_roomInfo ? m_roomInfo->roomId : 0;
}

std::string ImSDKManager::roomName() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_roomInfo ? m_roomInfo->roomName : std::string();
}

std::string ImSDKManager::groupId() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_roomInfo ? m_roomInfo->groupId : std::string();
}

void ImSDKManager::InitSdk(const std::string& roomName, int roomId)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_roomInfo)
            m_roomInfo = std::make_unique<ImRoomInfo>();
    }
    if (!m_loginCallback)
        m_loginCallback = std::make_unique<SvV2TIMCommonCallBack<int>>(0);
    if (!m_searchCallback)
        m_searchCallback = std::make_unique<SvV2TIMCommonCallBack<TXV2TIMGroupInfoVector>>(1);
    if (!m_createCallback)
        m_createCallback = std::make_unique<SvV2TIMCommonCallBack<V2TIMString>>(2);
    if (!m_joinCallback)
        m_joinCallback = std::make_unique<SvV2TIMCommonCallBack<int>>(3);
    if (!m_msgListener)
        m_msgListener = std::make_unique<SvV2TIMAdvancedMsgListener>();
    if (!m_sdkListener)
        m_sdkListener = std::make_unique<SdkListener>();

    V2TIMManager* sdk = V2TIMManager::GetInstance();
    sdk->AddSDKListener(m_sdkListener.get());
    sdk->GetMessageManager()->AddAdvancedMsgListener(m_msgListener.get());
    sdk->GetMessageManager()->AddAdvancedMsgListener(m_msgListener.get());

    {
        std::lock_guard<std::mutex> lock(m_mutex);
        // Cards of the room left behind must not pass while the new room's group is not known.
        if (m_roomInfo->roomId != roomId)
            m_roomInfo->groupId.clear();
        m_roomInfo->roomName = roomName;
        m_roomInfo->roomId = roomId;
    }

    if (!m_loginInfo) {
        qDebug() << "ImSDKManager::InitSdk without a signed-in host";
        return;
    }
    const QString body = QStringLiteral("{\"uid\":%1,\"roomId\":%2}").arg(m_loginInfo->uid).arg(roomId);
    const apitransport::PostJsonFn post = m_post ? m_post : apitransport::netPostJson();
    post(
        API_GET_IMSDK_LOGININFO, body,
        [roomId](const QJsonObject& reply) { ImSDKManager::getInstance()->onCredentialReply(roomId, reply); },
        [](const QString&) { qDebug().noquote() << "API_GET_IMSDK_LOGININFO error"; });
}

void ImSDKManager::onCredentialReply(int roomId, const QJsonObject& reply)
{
    const QJsonValue dataValue = reply.value(QLatin1String("data"));
    if (!dataValue.isObject())
        return;
    const QJsonObject data = dataValue.toObject();
    const uint32_t appId = readAppId(data.value(QLatin1String("imSdkAppId")));
    const QJsonValue group = data.value(QLatin1String("imGroupId"));
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        // Another room was chosen meanwhile: its own reply names its group.
        if (!m_roomInfo || m_roomInfo->roomId != roomId) {
            qDebug() << "IM credentials of a room no longer current dropped";
            return;
        }
        m_roomInfo->groupId = group.isString() ? group.toString().toStdString() : std::string();
    }

    if (!m_logListener)
        m_logListener = std::make_unique<LogListener>();
    V2TIMSDKConfig config;
    config.logLevel = V2TIM_LOG_INFO;
    config.logListener = m_logListener.get();
    V2TIMManager* sdk = V2TIMManager::GetInstance();
    m_logSdk = sdk;
    if (!sdk->InitSDK(appId, config)) {
        qDebug().noquote() << "TIMInit error";
        return;
    }
    const QJsonValue sig = data.value(QLatin1String("sig"));
    const QJsonValue userId = data.value(QLatin1String("imUserId"));
    const std::string sigText = sig.isString() ? sig.toString().toStdString() : std::string();
    const std::string userText = userId.isString() ? userId.toString().toStdString() : std::string();
    if (sdk->GetLoginStatus() == V2TIM_STATUS_LOGOUT)
        sdk->Login(V2TIMString(userText), V2TIMString(sigText), m_loginCallback.get());
    else
        searchGroup();
}

void ImSDKManager::searchGroup()
{
    const std::string group = groupId();
    if (group.empty())
        return;
    V2TIMGroupSearchParam param;
    param.keywordList.PushBack(V2TIMString(group));
    param.isSearchGroupID = true;
    V2TIMManager::GetInstance()->GetGroupManager()->SearchGroups(param, m_searchCallback.get());
}

void ImSDKManager::createGroup()
{
    const std::string group = groupId();
    if (group.empty())
        return;
    V2TIMManager::GetInstance()->CreateGroup(V2TIMString("AVChatRoom"), V2TIMString(group),
                                             V2TIMString(group), m_createCallback.get());
}

void ImSDKManager::joinGroup()
{
    const std::string group = groupId();
    if (group.empty())
        return;
    V2TIMManager::GetInstance()->JoinGroup(V2TIMString(group), V2TIMString(""), m_joinCallback.get());
}
