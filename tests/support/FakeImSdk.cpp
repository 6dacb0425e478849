#include "support/FakeImSdk.h"

namespace
{
QString text(const V2TIMString& s)
{
    return QString::fromUtf8(s.CString(), int(s.Size()));
}
} // namespace

FakeImSdk::FakeImSdk()
{
    m_previous = V2TIMManager::SetInstance(this);
}

FakeImSdk::~FakeImSdk()
{
    V2TIMManager::SetInstance(m_previous);
}

QStringList FakeImSdk::calls() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_calls;
}

void FakeImSdk::clearCalls()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_calls.clear();
}

int FakeImSdk::sdkListenerCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_sdkListeners.size();
}

int FakeImSdk::msgListenerCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_msgListeners.size();
}

V2TIMLogListener* FakeImSdk::logListener() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_logListener;
}

void FakeImSdk::record(const QString& call)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_calls << call;
}

int FakeImSdk::errorFor(const QString& name) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return errors.value(name, 0);
}

void FakeImSdk::deliver(const QByteArray& groupId, const QList<Elem>& elems)
{
    V2TIMMessage message;
    message.groupID = V2TIMString(groupId.constData(), size_t(groupId.size()));
    for (const Elem& e : elems) {
        if (e.type == V2TIM_ELEM_TYPE_TEXT) {
            auto t = std::make_unique<V2TIMTextElem>();
            t->text = V2TIMString(e.bytes.constData(), size_t(e.bytes.size()));
            message.elemList.PushBack(std::move(t));
        } else if (e.type == V2TIM_ELEM_TYPE_CUSTOM) {
            auto c = std::make_unique<V2TIMCustomElem>();
            c->data =
                V2TIMBuffer(reinterpret_cast<const uint8_t*>(e.bytes.constData()), size_t(e.bytes.size()));
            message.elemList.PushBack(std::move(c));
        } else {
            message.elemList.PushBack(std::make_unique<V2TIMElem>(e.type));
        }
    }
    QList<V2TIMAdvancedMsgListener*> listeners;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        listeners = m_msgListeners;
    }
    for (V2TIMAdvancedMsgListener* l : listeners)
        l->OnRecvNewMessage(message);
}

void FakeImSdk::AddSDKListener(V2TIMSDKListener* listener)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (listener && !m_sdkListeners.contains(listener))
        m_sdkListeners << listener;
}

void FakeImSdk::AddAdvancedMsgListener(V2TIMAdvancedMsgListener* listener)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (listener && !m_msgListeners.contains(listener))
        m_msgListeners << listener;
}

bool FakeImSdk::InitSDK(uint32_t sdkAppID, const V2TIMSDKConfig& config)
{
    record(QStringLiteral("InitSDK %1").arg(sdkAppID));
    std::lock_guard<std::mutex> lock(m_mutex);
    m_logListener = config.logListener;
    return sdkAppID != 0;
}

V2TIMLoginStatus FakeImSdk::GetLoginStatus()
{
    record(QStringLiteral("GetLoginStatus"));
    return loginStatus;
}

void FakeImSdk::Login(const V2TIMString& userID, const V2TIMString& userSig, V2TIMCallback* callback)
{
    record(QStringLiteral("Login %1 %2").arg(text(userID), text(userSig)));
    const int code = errorFor(QStringLiteral("Login"));
    if (code) {
        callback->OnError(code, V2TIMString("login refused"));
        return;
    }
    loginStatus = V2TIM_STATUS_LOGINED;
    callback->OnSuccess();
}

void FakeImSdk::SearchGroups(const V2TIMGroupSearchParam& param,
                             V2TIMValueCallback<TXV2TIMGroupInfoVector>* callback)
{
    QStringList keywords;
    for (size_t i = 0; i < param.keywordList.Size(); ++i)
        keywords << text(param.keywordList[i]);
    record(QStringLiteral("SearchGroups %1%2").arg(keywords.join(','), param.isSearchGroupID ? " byId" : ""));
    const int code = errorFor(QStringLiteral("SearchGroups"));
    if (code) {
        callback->OnError(code, V2TIMString("search failed"));
        return;
    }
    TXV2TIMGroupInfoVector found;
    for (const QString& id : qAsConst(groupsFound)) {
        V2TIMGroupInfo info;
        info.groupID = V2TIMString(id.toStdString());
        found.PushBack(info);
    }
    callback->OnSuccess(found);
}

void FakeImSdk::CreateGroup(const V2TIMString& groupType, const V2TIMString& groupID,
                            const V2TIMString& groupName, V2TIMValueCallback<V2TIMString>* callback)
{
    record(QStringLiteral("CreateGroup %1 %2 %3").arg(text(groupType), text(groupID), text(groupName)));
    const int code = errorFor(QStringLiteral("CreateGroup"));
    if (code) {
        callback->OnError(code, V2TIMString("group exists"));
        return;
    }
    callback->OnSuccess(groupID);
}

void FakeImSdk::JoinGroup(const V2TIMString& groupID, const V2TIMString& message, V2TIMCallback* callback)
{
    record(QStringLiteral("JoinGroup %1 '%2'").arg(text(groupID), text(message)));
    const int code = errorFor(QStringLiteral("JoinGroup"));
    if (code) {
        callback->OnError(code, V2TIMString("no such group"));
        return;
    }
    callback->OnSuccess();
}
