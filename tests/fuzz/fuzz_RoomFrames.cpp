// libFuzzer target: arbitrary bytes as a room-channel frame, an IM chat card, a chat object and the
// two viewer lists (online list message and user-list reply).
// Besides the sanitizers, it checks one property: every outgoing message built from the input's
// text is valid JSON that carries the text unchanged.
#include "chat/ItemChatRecord.h"
#include "chat/ItemOnlineUserInfo.h"
#include "chat/RoomMessageRouter.h"
#include "chat/RoomProtocol.h"
#include "core/LoginInfo.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>

#include <cstdint>
#include <cstdlib>

namespace {
RoomMessageRouter* g_router = nullptr;
LoginInfo g_login;
QString g_pinned;
int g_tick = 0;

void check(bool ok)
{
    if (!ok)
        abort();
}

// Rebuilt messages must parse and hand the same texts back.
void checkBuilders(const ItemChatRecord& r, const QString& text)
{
    const QJsonObject say = QJsonDocument::fromJson(
        RoomProtocol::sayTextMessage(text, text, r.wechat_user_space_id, r.from_client_name).toUtf8()).object();
    const QJsonObject inner = say.value("content").toObject().value("content").toObject();
    check(inner.value("content").toString() == text);
    check(inner.value("quote_content").toString() == (text.isEmpty() ? QString() : text));
    check(say.value("to_nick").toString() == r.from_client_name);
    const QJsonObject top = QJsonDocument::fromJson(RoomProtocol::topMessage(r).toUtf8()).object();
    check(top.value("msg_id").toString() == r.id);
    check(top.value("to_wechat_user_space_id").toString() == r.to_wechat_user_space_id);
    check(top.value("is_top").toInt() == (r.top ? 2 : 1));
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char arg0[] = "fuzz_RoomFrames";
    static char* argv[] = {arg0, nullptr};
    static QGuiApplication* app = new QGuiApplication(argc, argv);
    Q_UNUSED(app)
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});

    g_login.wechat_user_space_id = 321;
    g_login.token = "jwt";
    g_router = new RoomMessageRouter;
    g_router->setLoginInfo(&g_login);
    g_router->setRoom(77, QStringLiteral("room"), 1);
    g_router->setOnlineDownDelay(0);
    g_router->setTransport([](const QString&, RoomMessageRouter::JsonFn, RoomMessageRouter::ErrorFn) {},
                           [](const QString&, const QString&, RoomMessageRouter::JsonFn, RoomMessageRouter::ErrorFn) {},
                           [](const QString& m) { check(!m.isEmpty()); });
    auto& h = g_router->hooks;
    h.addItemChatRecord = [](ItemChatRecord& r, bool) { checkBuilders(r, r.content.content); };
    h.setPinnedMessage = [](const ItemChatRecord& r, bool on) { g_pinned = on ? r.id : QString(); };
    h.pinnedMessageId = [] { return g_pinned; };
    h.removeChatRow = [](const QString&, int seq) { check(seq >= -1); };
    h.chatListExists = [] { return true; };
    h.currentSideTab = [] { return g_tick % 3; };
    h.selectedOnlineTab = [] { return 0; };
    h.addRemindMessage = [](const QString&, bool) {};
    h.onlineList = [](int, const QJsonObject&) {};
    h.onlineCountChanged = [](int) {};
    h.onlineUserUp = [](const QJsonObject&) {};
    h.onlineUserDown = [](const QJsonObject&) {};
    h.reloadOnlineTab = [] {};
    h.handleTrtcOnline = [](QJsonObject&) {};
    h.handleRTrtcLogin = [](QJsonObject&) {};
    h.handleTrtcLogin = [](qint64) {};
    h.handleTrtcRemove_1 = [](qint64, bool) {};
    h.handleTrtcApply = [](qint64, const QString&, const QString&, const QString&) {};
    h.hasCoHostRow = [](qint64 id) { return id % 2 == 0; };
    h.showFailureStatus = [](const QString&) {};
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ++g_tick;
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    const QString text = QString::fromUtf8(bytes);

    // own messages waiting for their echo, keyed by texts the input may well contain
    if (g_tick % 64 == 0) {
        g_router->addPendingOwnMessage(QStringLiteral("hi"), g_router->takeNextLocalSeq());
        g_router->addPendingOwnMessage(text, g_router->takeNextLocalSeq());
    }
    g_router->onWsTextMessage(text);
    g_router->handleImSDKNewMessage(bytes);

    const QJsonDocument doc = QJsonDocument::fromJson(bytes);
    const ItemChatRecord record(doc.object());
    checkBuilders(record, text);
    const ChatRecordsList page(doc.object(), 77);
    check(page.size() <= doc.object().value("data").toArray().size());
    const QList<UserTag> tags = parseUserTagList(doc.isArray() ? QJsonValue(doc.array()) : QJsonValue(text));
    check(tags.size() == (doc.isArray() ? doc.array().size() : 0));
    ItemChatRecord::readUserTagList(QJsonValue(text));
    // one record per entry of "data", whatever the entries are
    const QJsonValue listData = doc.object().value("data");
    const int entries = listData.isArray() ? listData.toArray().size() : 0;
    const QList<ItemOnlineUserInfo> online = parseOnlineUsers(doc.object(), 77);
    check(online.size() == entries);
    for (const ItemOnlineUserInfo& u : online)
        check(u.list_type == 0);
    const QList<ItemOnlineUserInfo> listed = parseUserListPage(doc.object(), 2, 77);
    check(listed.size() == entries);
    for (const ItemOnlineUserInfo& u : listed)
        check(u.client_id.isEmpty() && u.room_id == 77 && u.list_type == 2);
    const ChatMessageContent content{QJsonValue(text)};
    Q_UNUSED(content)
    check(g_router->incomingQueue().isEmpty());
    QCoreApplication::processEvents();
    return 0;
}
