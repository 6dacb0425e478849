#pragma once
// The open-API calls of the chat classes as replaceable functions: by default they go through
// the shared web client, tests put fakes in their place.

#include <QJsonObject>
#include <QString>

#include <functional>

namespace apitransport {

using JsonFn = std::function<void(const QJsonObject&)>;
using ErrorFn = std::function<void(const QString&)>;
using GetJsonFn = std::function<void(const QString& url, JsonFn ok, ErrorFn fail)>;
using PostJsonFn = std::function<void(const QString& url, const QString& body, JsonFn ok, ErrorFn fail)>;

// NetUtils::getJson and NetUtils::postJson (no content type).
GetJsonFn netGetJson();
PostJsonFn netPostJson();

} // namespace apitransport
