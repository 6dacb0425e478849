#include "platform/RtmpCustomService.h"

#include "platform/ObsSourceTypes.h"

#include <obs.h>

#include <string>

namespace platform {
namespace {
struct RtmpCustom {
    std::string server;
    std::string key;
};

void updateService(void* data, obs_data_t* settings)
{
    auto* s = static_cast<RtmpCustom*>(data);
    s->server = obs_data_get_string(settings, "server");
    s->key = obs_data_get_string(settings, "key");
}

obs_service_info makeInfo()
{
    obs_service_info info = {};
    info.id = obs_types::rtmpService;
    info.get_name = [](void*) -> const char* { return "Custom RTMP"; };
    info.create = [](obs_data_t* settings, obs_service_t*) -> void* {
        auto* s = new RtmpCustom;
        updateService(s, settings);
        return s;
    };
    info.destroy = [](void* data) { delete static_cast<RtmpCustom*>(data); };
    info.update = updateService;
    info.get_url = [](void* data) -> const char* { return static_cast<RtmpCustom*>(data)->server.c_str(); };
    info.get_key = [](void* data) -> const char* { return static_cast<RtmpCustom*>(data)->key.c_str(); };
    info.get_output_type = [](void*) -> const char* { return "rtmp_output"; };
    return info;
}
} // namespace

void registerRtmpCustomService()
{
    static const obs_service_info info = makeInfo();
    obs_register_service(&info);
}

} // namespace platform
