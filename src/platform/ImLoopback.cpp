#include "platform/ImLoopback.h"

#include "core/ServiceConstants.h"
#include "platform/LoopbackUrl.h"

#include <QCoreApplication>
#include <QDebug>
#include <QHash>
#include <QJsonDocument>
#include <QStringList>
#include <QThread>
#include <QTimer>
#include <QWebSocket>

#include <algorithm>
#include <set>

namespace imloopback
{

QUrl channelUrl(const QString& serviceBase)
{
    return loopbackChannelUrl(serviceBase, QStringLiteral("/loopback/im"));
}

namespace
{
std::string utf8(const QJsonValue& value)
{
    return value.isString() ? value.toString().toStdString() : std::string();
}
} // namespace

bool readMessage(const QJsonObject& frame, V2TIMMessage* out)
{
    if (frame.value(QLatin1String("op")).toString() != QLatin1String("message"))
        return false;
    out->groupID = V2TIMString(utf8(frame.value(QLatin1String("groupID"))));
    out->sender = V2TIMString(utf8(frame.value(QLatin1String("sender"))));
    const QJsonArray elems = frame.value(QLatin1String("elems")).toArray();
    for (int i = 0; i < elems.size() && i < kMaxElems; ++i) {
        const QJsonObject e = elems.at(i).toObject();
        const QJsonValue type = e.value(QLatin1String("type"));
        const int kind = type.isDouble() ? type.toInt(V2TIM_ELEM_TYPE_NONE) : int(V2TIM_ELEM_TYPE_NONE);
        if (kind == V2TIM_ELEM_TYPE_TEXT) {
            auto text = std::make_unique<V2TIMTextElem>();
            text->text = V2TIMString(utf8(e.value(QLatin1String("text"))));
            out->elemList.PushBack(std::move(text));
        } else if (kind == V2TIM_ELEM_TYPE_CUSTOM) {
            auto custom = std::make_unique<V2TIMCustomElem>();
            const auto decoded =
                QByteArray::fromBase64Encoding(e.value(QLatin1String("data")).toString().toLatin1(),
                                               QByteArray::AbortOnBase64DecodingErrors);
            if (decoded)
                custom->data = V2TIMBuffer(reinterpret_cast<const uint8_t*>(decoded.decoded.constData()),
                                           size_t(decoded.decoded.size()));
            out->elemList.PushBack(std::move(custom));
        } else {
            out->elemList.PushBack(std::make_unique<V2TIMElem>(kind));
        }
    }
    return true;
}

Frame readFrame(const QString& text)
{
    Frame out;
    const QJsonObject obj = QJsonDocument::fromJson(text.toUtf8()).object();
    const QString op = obj.value(QLatin1String("op")).toString();
    if (op == QLatin1String("result")) {
        out.kind = Frame::Result;
        out.seq = obj.value(QLatin1String("seq")).toInt(-1);
        const QJsonValue code = obj.value(QLatin1String("code"));
        out.code = code.isDouble() ? code.toInt(kErrConnection) : kErrConnection;
        out.desc = obj.value(QLatin1String("desc")).toString();
        out.groups = obj.value(QLatin1String("groups")).toArray();
    } else if (readMessage(obj, &out.message)) {
        out.kind = Frame::Message;
    }
    return out;
}

TXV2TIMGroupInfoVector readGroups(const QJsonArray& groups)
{
    TXV2TIMGroupInfoVector found;
    for (const QJsonValue& g : groups) {
        V2TIMGroupInfo info;
        info.groupID = V2TIMString(g.toObject().value(QLatin1String("groupID")).toString().toStdString());
        found.PushBack(info);
    }
    return found;
}

} // namespace imloopback

using namespace imloopback;

namespace
{

QString text(const V2TIMString& s)
{
    return QString::fromUtf8(s.CString(), int(s.Size()));
}

// Answers a callback of either kind: success with the value (if any), or the error.
template <class Callback, class... Value>
void answer(Callback* callback, int code, const QString& desc, const Value&... value)
{
    if (!callback)
        return;
    if (code == 0)
        callback->OnSuccess(value...);
    else
        callback->OnError(code, V2TIMString(desc.toStdString()));
}

// Loopbacks whose workers must end before the application object goes.
std::mutex g_liveMutex;
std::set<ImLoopback*> g_live;

void stopAllWorkers()
{
    std::vector<ImLoopback*> live;
    {
        std::lock_guard<std::mutex> lock(g_liveMutex);
        live.assign(g_live.begin(), g_live.end());
    }
    for (ImLoopback* loopback : live)
        loopback->shutdown();
}

} // namespace

// The channel, on the worker thread: operations waiting for their answer by sequence number, and
// frames written once the socket is open.
class ImLoopbackWorker : public QObject
{
public:
    explicit ImLoopbackWorker(ImLoopback* owner) : m_owner(owner) {}
    ~ImLoopbackWorker() override { close(); }

    void send(QJsonObject op, ImLoopback::Done done)
    {
        const int seq = m_nextSeq++;
        op.insert(QStringLiteral("seq"), seq);
        m_pending.insert(seq, std::move(done));
        const QString frame = QString::fromUtf8(QJsonDocument(op).toJson(QJsonDocument::Compact));
        if (m_socket && m_socket->state() == QAbstractSocket::ConnectedState) {
            m_socket->sendTextMessage(frame);
            return;
        }
        m_unsent << frame;
        if (!m_socket)
            open();
    }

    // Drops the channel; what still waits is not answered (the program is ending).
    void close()
    {
        if (!m_socket)
            return;
        m_socket->disconnect(this);
        m_socket->abort();
        delete m_socket;
        m_socket = nullptr;
        m_pending.clear();
        m_unsent.clear();
    }

private:
    void open()
    {
        const QUrl url =
            channelUrl(m_owner->m_serviceBase.isEmpty() ? QString(API_HOST_URL) : m_owner->m_serviceBase);
        m_socket = new QWebSocket(QString(), QWebSocketProtocol::VersionLatest, this);
        m_socket->setMaxAllowedIncomingMessageSize(quint64(kMaxIncomingFrameBytes));
        m_socket->setMaxAllowedIncomingFrameSize(quint64(kMaxIncomingFrameBytes));
        connect(m_socket, &QWebSocket::connected, this, &ImLoopbackWorker::onConnected);
        connect(m_socket, &QWebSocket::disconnected, this, [this] { onGone(); });
        connect(m_socket, QOverload<QAbstractSocket::SocketError>::of(&QWebSocket::error), this,
                [this](QAbstractSocket::SocketError) {
                    if (m_socket && m_socket->state() == QAbstractSocket::UnconnectedState)
                        onGone();
                });
        connect(m_socket, &QWebSocket::textMessageReceived, this, &ImLoopbackWorker::onText);
        m_owner->log(V2TIM_LOG_INFO, QStringLiteral("connecting to %1").arg(url.toString(QUrl::RemoveQuery)));
        if (url.isEmpty()) {
            // No address to go to: fail what waits once this call has returned.
            QMetaObject::invokeMethod(
                this, [this] { onGone(); }, Qt::QueuedConnection);
            return;
        }
        const int bound = m_owner->m_handshakeTimeoutMs > 0 ? int(m_owner->m_handshakeTimeoutMs)
                                                            : kLoopbackHandshakeTimeoutMs;
        QTimer::singleShot(bound, m_socket, [this, bound, socket = m_socket] {
            if (socket != m_socket || m_open)
                return;
            m_owner->log(V2TIM_LOG_WARN,
                         QStringLiteral("opening handshake not answered within %1 ms").arg(bound));
            onGone(QStringLiteral("opening handshake timed out"));
        });
        m_socket->open(url);
    }

    void onConnected()
    {
        for (const QString& frame : qAsConst(m_unsent))
            m_socket->sendTextMessage(frame);
        m_unsent.clear();
        m_open = true;
        m_owner->log(V2TIM_LOG_INFO, QStringLiteral("connected"));
        m_owner->notifyConnected(true, QString());
    }

    // `reason`: why the channel is given up, when it is not the socket's own error.
    void onGone(const QString& reason = QString())
    {
        if (!m_socket)
            return;
        const bool wasOpen = m_open;
        m_open = false;
        const QString why = reason.isEmpty() ? m_socket->errorString() : reason;
        m_socket->disconnect(this);
        m_socket->abort();
        m_socket->deleteLater();
        m_socket = nullptr;
        m_unsent.clear();
        m_owner->setStatus(V2TIM_STATUS_LOGOUT);
        m_owner->log(V2TIM_LOG_WARN, QStringLiteral("connection closed: %1").arg(why));
        if (!wasOpen)
            m_owner->notifyConnected(false, why);
        // Answers can no longer come: every waiting call fails, in the order it was made.
        QHash<int, ImLoopback::Done> pending;
        pending.swap(m_pending);
        QList<int> seqs = pending.keys();
        std::sort(seqs.begin(), seqs.end());
        for (int seq : seqs)
            pending.value(seq)(kErrConnection, QStringLiteral("connection closed"), QJsonArray());
    }

    void onText(const QString& text)
    {
        const Frame frame = readFrame(text);
        if (frame.kind == Frame::Result) {
            const ImLoopback::Done done = m_pending.take(frame.seq);
            if (done)
                done(frame.code, frame.desc, frame.groups);
        } else if (frame.kind == Frame::Message) {
            m_owner->deliver(frame.message);
        }
    }

    ImLoopback* m_owner;
    QWebSocket* m_socket = nullptr;
    QHash<int, ImLoopback::Done> m_pending;
    QStringList m_unsent;
    bool m_open = false;
    int m_nextSeq = 1;
};

ImLoopback::ImLoopback(const QString& serviceBase) : m_serviceBase(serviceBase)
{
    std::lock_guard<std::mutex> lock(g_liveMutex);
    g_live.insert(this);
}

ImLoopback::~ImLoopback()
{
    {
        std::lock_guard<std::mutex> lock(g_liveMutex);
        g_live.erase(this);
    }
    shutdown();
}

namespace
{
template <class T> void addOnce(std::vector<T*>& listeners, T* listener)
{
    if (listener && std::find(listeners.begin(), listeners.end(), listener) == listeners.end())
        listeners.push_back(listener);
}
} // namespace

void ImLoopback::AddSDKListener(V2TIMSDKListener* listener)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    addOnce(m_sdkListeners, listener);
}

void ImLoopback::AddAdvancedMsgListener(V2TIMAdvancedMsgListener* listener)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    addOnce(m_msgListeners, listener);
}

bool ImLoopback::InitSDK(uint32_t sdkAppID, const V2TIMSDKConfig& config)
{
    if (sdkAppID == 0)
        return false;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_appId = sdkAppID;
    m_logLevel = config.logLevel;
    m_logListener = config.logListener;
    return true;
}

void ImLoopback::UnInitSDK()
{
    std::lock_guard<std::mutex> logLock(m_logMutex); // waits for a line in progress
    std::lock_guard<std::mutex> lock(m_mutex);
    m_logListener = nullptr;
}

V2TIMLoginStatus ImLoopback::GetLoginStatus()
{
    return V2TIMLoginStatus(m_status.load());
}

void ImLoopback::Login(const V2TIMString& userID, const V2TIMString& userSig, V2TIMCallback* callback)
{
    uint32_t appId;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        appId = m_appId;
    }
    m_status = V2TIM_STATUS_LOGINING;
    post(QJsonObject{{"op", "login"},
                     {"sdkAppId", qint64(appId)},
                     {"userId", text(userID)},
                     {"userSig", text(userSig)}},
         [this, callback](int code, const QString& desc, const QJsonArray&) {
             m_status = code == 0 ? V2TIM_STATUS_LOGINED : V2TIM_STATUS_LOGOUT;
             answer(callback, code, desc);
         });
}

void ImLoopback::SearchGroups(const V2TIMGroupSearchParam& param,
                              V2TIMValueCallback<TXV2TIMGroupInfoVector>* callback)
{
    QJsonArray keywords;
    for (size_t i = 0; i < param.keywordList.Size(); ++i)
        keywords.append(text(param.keywordList[i]));
    post(QJsonObject{{"op", "searchGroups"}, {"keywords", keywords}, {"byGroupId", param.isSearchGroupID}},
         [callback](int code, const QString& desc, const QJsonArray& groups) {
             answer(callback, code, desc, readGroups(groups));
         });
}

void ImLoopback::CreateGroup(const V2TIMString& groupType, const V2TIMString& groupID,
                             const V2TIMString& groupName, V2TIMValueCallback<V2TIMString>* callback)
{
    const V2TIMString id = groupID;
    post(QJsonObject{{"op", "createGroup"},
                     {"groupType", text(groupType)},
                     {"groupID", text(groupID)},
                     {"groupName", text(groupName)}},
         [callback, id](int code, const QString& desc, const QJsonArray&) {
             answer(callback, code, desc, id);
         });
}

void ImLoopback::JoinGroup(const V2TIMString& groupID, const V2TIMString& message, V2TIMCallback* callback)
{
    post(QJsonObject{{"op", "joinGroup"}, {"groupID", text(groupID)}, {"message", text(message)}},
         [callback](int code, const QString& desc, const QJsonArray&) { answer(callback, code, desc); });
}

void ImLoopback::post(const QJsonObject& op, Done done)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!ensureWorkerLocked()) {
        lock.unlock();
        if (op.value(QLatin1String("op")).toString() == QLatin1String("login"))
            m_status = V2TIM_STATUS_LOGOUT;
        done(kErrNoApplication, QStringLiteral("no application"), QJsonArray());
        return;
    }
    ImLoopbackWorker* worker = m_worker;
    // Posted while the lock is held, so the worker cannot be stopped in between.
    QMetaObject::invokeMethod(
        worker, [worker, op, done = std::move(done)]() mutable { worker->send(op, std::move(done)); },
        Qt::QueuedConnection);
}

bool ImLoopback::ensureWorkerLocked()
{
    if (m_worker)
        return true;
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || app == m_quitApp)
        return false;
    m_quitApp = nullptr;
    m_thread = new QThread;
    m_thread->setObjectName(QStringLiteral("im-loopback"));
    m_worker = new ImLoopbackWorker(this);
    m_worker->moveToThread(m_thread);
    m_thread->start();
    m_quitConnection =
        QObject::connect(app, &QCoreApplication::aboutToQuit, app, [this] { stopWorker(true); });
    // Also when the application object goes without having run its loop (tests).
    qAddPostRoutine(stopAllWorkers);
    return true;
}

void ImLoopback::shutdown()
{
    stopWorker(false);
}

void ImLoopback::stopWorker(bool quitting)
{
    QThread* thread;
    ImLoopbackWorker* worker;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        thread = m_thread;
        worker = m_worker;
        m_thread = nullptr;
        m_worker = nullptr;
        if (quitting)
            m_quitApp = QCoreApplication::instance();
        QObject::disconnect(m_quitConnection);
    }
    m_status = V2TIM_STATUS_LOGOUT;
    if (!thread)
        return;
    if (QThread::currentThread() == thread) {
        // From a callback of the worker itself: the thread ends once the callback returns.
        worker->close();
        worker->deleteLater();
        QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
        thread->quit();
        return;
    }
    QMetaObject::invokeMethod(
        worker, [worker] { worker->close(); }, Qt::BlockingQueuedConnection);
    thread->quit();
    thread->wait();
    delete worker;
    delete thread;
}

bool ImLoopback::workerRunning() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_worker != nullptr;
}

QThread* ImLoopback::workerThread() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_thread;
}

void ImLoopback::deliver(const V2TIMMessage& message)
{
    std::vector<V2TIMAdvancedMsgListener*> listeners;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        listeners = m_msgListeners;
    }
    for (V2TIMAdvancedMsgListener* listener : listeners)
        listener->OnRecvNewMessage(message);
}

void ImLoopback::notifyConnected(bool ok, const QString& why)
{
    std::vector<V2TIMSDKListener*> listeners;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        listeners = m_sdkListeners;
    }
    for (V2TIMSDKListener* listener : listeners) {
        if (ok)
            listener->OnConnectSuccess();
        else
            listener->OnConnectFailed(kErrConnection, V2TIMString(why.toStdString()));
    }
}

void ImLoopback::log(V2TIMLogLevel level, const QString& line)
{
    // Held through the call, so the listener's owner can take it away (UnInitSDK) before it goes.
    std::lock_guard<std::mutex> logLock(m_logMutex);
    V2TIMLogListener* listener;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (level < m_logLevel)
            return;
        listener = m_logListener;
    }
    if (listener)
        listener->OnLog(level, V2TIMString(line.toStdString()));
}
