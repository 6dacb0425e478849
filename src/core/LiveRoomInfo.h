#pragma once
// The room the host goes live in, as chosen in the room dialog (src/shell/LiveModeDialog) and
// read by the live control, the co-host room manager (src/cohost/TrtcManager) and the main
// window; and the rules of a push address, whose server and key the settings store keeps. They
// live in core because more than one area reads them.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// The chosen room (a custom push address: id 0, live type -1, empty texts).
struct LiveRoomInfo {
    qint64 app_id = 0;
    int live_type = 0; // 5 is a co-host room
    QByteArray push_app_stream; // UTF-8
    QByteArray push_app_nick;   // UTF-8

    bool operator==(const LiveRoomInfo& o) const
    {
        return app_id == o.app_id && live_type == o.live_type && push_app_stream == o.push_app_stream
               && push_app_nick == o.push_app_nick;
    }
};

namespace livemode {

// The live_type of a co-host room.
constexpr int kLiveTypeCoHost = 5;

// A push address split at every "/": rtmp://H/A/K -> server rtmp://H/A, key K. Parts after
// the fifth are dropped; a query behind the key stays in the key. `complete` is false with
// fewer than five parts (server and key then stay empty).
struct PushAddress {
    bool complete = false;
    QString server;
    QString key;
    QStringList parts;
};
PushAddress splitPushAddress(const QString& url);
// A typed address: as above, but with fewer than five parts the whole text is the server and
// the key is empty (such an address is pushed without a stream key).
PushAddress customPushAddress(const QString& text);

} // namespace livemode
