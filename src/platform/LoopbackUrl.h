#pragma once
// Where a loopback channel of the service simulator lives under the open-API base.

#include <QString>
#include <QUrl>

// An opening handshake not answered by then is given up (the room channel's bound): a peer that
// accepts the connection and never answers would otherwise leave its caller waiting for good.
constexpr int kLoopbackHandshakeTimeoutMs = 30000;

// The WebSocket address of `path` under an http(s) base (ws for http, wss for https); an empty
// address for any other base.
QUrl loopbackChannelUrl(const QString& serviceBase, const QString& path);
