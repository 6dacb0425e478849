#pragma once
// libobs driven directly, with nothing of the program: the baseline of the engine benchmarks.
// Same platform set-up, the same modules and the same video and audio settings as the engine.

#include <obs-nix-platform.h>
#include <obs.h>

#include <X11/Xlib.h>

#include <cstdarg>
#include <cstring>
#include <string>

namespace bare {

inline const char* const kModules[] = {"image-source",     "linux-capture", "linux-v4l2", "linux-pulseaudio",
                                       "obs-x264",         "obs-ffmpeg",    "obs-outputs"};

inline void quietLog(int, const char*, va_list, void*) {}

inline void loadModules()
{
    obs_find_modules2(
        [](void*, const obs_module_info2* info) {
            for (const char* name : kModules) {
                if (std::strcmp(name, info->name) != 0)
                    continue;
                obs_module_t* module = nullptr;
                if (obs_open_module(&module, info->bin_path, info->data_path) == MODULE_SUCCESS)
                    obs_init_module(module);
            }
        },
        nullptr);
    obs_post_load_modules();
}

// Starts libobs on `display` with the modules, the video settings `ovi` (graphics module and
// GPU conversion set here) and 44.1 kHz stereo audio.
inline bool startup(Display* display, obs_video_info ovi)
{
    base_set_log_handler(quietLog, nullptr);
    obs_set_nix_platform(OBS_NIX_PLATFORM_X11_EGL);
    obs_set_nix_platform_display(display);
    if (!obs_startup("en-US", nullptr, nullptr))
        return false;
    loadModules();
    ovi.graphics_module = "libobs-opengl";
    ovi.gpu_conversion = true;
    if (obs_reset_video(&ovi) != OBS_VIDEO_SUCCESS)
        return false;
    obs_audio_info oai = {};
    oai.samples_per_sec = 44100;
    oai.speakers = SPEAKERS_STEREO;
    return obs_reset_audio(&oai);
}

// The same with the engine's video settings at w x h and fps.
inline bool startup(Display* display, uint32_t w, uint32_t h, uint32_t fps)
{
    obs_video_info ovi = {};
    ovi.fps_num = fps;
    ovi.fps_den = 1;
    ovi.base_width = ovi.output_width = w;
    ovi.base_height = ovi.output_height = h;
    ovi.output_format = VIDEO_FORMAT_NV12;
    ovi.colorspace = VIDEO_CS_709;
    ovi.range = VIDEO_RANGE_FULL;
    ovi.scale_type = OBS_SCALE_DISABLE;
    return startup(display, ovi);
}

// A stream service holding server and key (the module that brings one is not loaded).
inline const char kServiceId[] = "bare_rtmp";

inline void registerService()
{
    struct Service {
        std::string server, key;
    };
    static obs_service_info info = [] {
        obs_service_info i = {};
        i.id = kServiceId;
        i.get_name = [](void*) -> const char* { return "bare"; };
        i.create = [](obs_data_t* s, obs_service_t*) -> void* {
            return new Service{obs_data_get_string(s, "server"), obs_data_get_string(s, "key")};
        };
        i.destroy = [](void* d) { delete static_cast<Service*>(d); };
        i.get_url = [](void* d) -> const char* { return static_cast<Service*>(d)->server.c_str(); };
        i.get_key = [](void* d) -> const char* { return static_cast<Service*>(d)->key.c_str(); };
        i.get_output_type = [](void*) -> const char* { return "rtmp_output"; };
        return i;
    }();
    obs_register_service(&info);
}

// An RTMP output to server/key through the service above, of the two encoders (set on libobs'
// video and audio), at the preferred size. The caller releases output, service and encoders.
struct Output {
    obs_output_t* output = nullptr;
    obs_service_t* service = nullptr;
};
inline Output rtmpOutput(const char* server, const char* key, obs_encoder_t* venc, obs_encoder_t* aenc,
                         uint32_t width, uint32_t height)
{
    obs_data_t* ss = obs_data_create();
    obs_data_set_string(ss, "server", server);
    obs_data_set_string(ss, "key", key);
    Output o;
    o.service = obs_service_create(kServiceId, "service", ss, nullptr);
    obs_data_release(ss);
    o.output = obs_output_create("rtmp_output", "out", nullptr, nullptr);
    if (!o.output || !venc || !aenc)
        return o;
    obs_encoder_set_video(venc, obs_get_video());
    obs_encoder_set_audio(aenc, obs_get_audio());
    obs_output_set_video_encoder(o.output, venc);
    obs_output_set_audio_encoder(o.output, aenc, 0);
    obs_output_set_service(o.output, o.service);
    obs_output_set_preferred_size(o.output, width, height);
    return o;
}

} // namespace bare
