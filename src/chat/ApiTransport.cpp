#include "chat/ApiTransport.h"

#include "core/NetUtils.h"

namespace apitransport {

GetJsonFn netGetJson()
{
    return [](const QString& url, JsonFn ok, ErrorFn fail) {
        NetUtils::getInstance()->getJson(url, std::move(ok), std::move(fail));
    };
}

PostJsonFn netPostJson()
{
    return [](const QString& url, const QString& body, JsonFn ok, ErrorFn fail) {
        NetUtils::getInstance()->postJson(url, body, std::move(ok), std::move(fail), QString());
    };
}

} // namespace apitransport
