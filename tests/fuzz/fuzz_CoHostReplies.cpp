// libFuzzer target: arbitrary bytes as the co-host replies: the room channel's co-host online
// list, the invitation reply (link and password), and the real-time room's co-host user ids.
// Besides the sanitizers it checks one entry per element of a list that is there, nothing for one
// that is not, and that an id read from a user id is the number the id holds.
#include "FuzzCheck.h"

#include "cohost/CoHostList.h"
#include "cohost/ConnectMicInviteDialog.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::quietLog();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), int(size));
    const QJsonObject reply = QJsonDocument::fromJson(bytes).object();

    QList<CoHostList::OnlineEntry> entries;
    const QJsonValue list = reply.value(QStringLiteral("data"));
    const bool isList = CoHostList::readOnlineList(reply, &entries);
    fuzz::check(isList == list.isArray() && entries.size() == (isList ? list.toArray().size() : 0));

    const ConnectMicInviteDialog::WebCastInfo info = ConnectMicInviteDialog::readWebCastInfo(reply);
    fuzz::check(
        !info.link ||
        reply.value(QStringLiteral("data")).toObject().value(QStringLiteral("second_broad_url")).isString());

    // The bytes as a user id of the real-time room (a C string ends at its first NUL).
    const std::string userId(reinterpret_cast<const char*>(data), size);
    int id = 0;
    if (CoHostList::parseCoHostUserId(userId.c_str(), &id)) {
        const std::string digits = userId.c_str() + 7; // after "wechat_"
        fuzz::check(std::to_string(id) == std::to_string(std::stoll(digits)));
    }
    return 0;
}
