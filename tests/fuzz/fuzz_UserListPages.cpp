// libFuzzer target: arbitrary bytes as a page of the viewer lists (the open API's user-list reply
// of the online, muted and blocked tabs) and as the room channel's online list, read into rows.
// Besides the sanitizers it checks one row per entry of "data", each of the page's tab and room.
#include "FuzzCheck.h"

#include "chat/ItemOnlineUserInfo.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const int tab = data[0] % 3;
    const QJsonObject reply =
        QJsonDocument::fromJson(
            QByteArray::fromRawData(reinterpret_cast<const char*>(data + 1), int(size - 1)))
            .object();
    const QJsonValue list = reply.value(QStringLiteral("data"));
    const int entries = list.isArray() ? list.toArray().size() : 0;

    const QList<ItemOnlineUserInfo> page = parseUserListPage(reply, tab, 77);
    fuzz::check(page.size() == entries);
    for (const ItemOnlineUserInfo& row : page)
        fuzz::check(row.list_type == tab && row.room_id == 77 && row.client_id.isEmpty());

    const QList<ItemOnlineUserInfo> online = parseOnlineUsers(reply, 77);
    fuzz::check(online.size() == entries);
    for (const ItemOnlineUserInfo& row : online)
        fuzz::check(row.list_type == 0);
    return 0;
}
