#pragma once
// Where a loopback channel of the service simulator lives under the open-API base.

#include <QString>
#include <QUrl>

// The WebSocket address of `path` under an http(s) base (ws for http, wss for https); an empty
// address for any other base.
QUrl loopbackChannelUrl(const QString& serviceBase, const QString& path);
