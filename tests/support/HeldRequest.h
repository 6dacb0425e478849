#pragma once
// A request that the code under test handed to its transport hook, held by the test until it
// answers it through ok (a JSON reply) or fail (a transport error).

#include "chat/ApiTransport.h"

#include <QString>

struct HeldRequest {
    QString url;
    QString body;
    apitransport::JsonFn ok;
    apitransport::ErrorFn fail;
};
