#pragma once
// libobs driven directly, with nothing of the program: the baseline of the engine benchmarks.
// Same platform set-up, the same modules and the same video and audio settings as the engine.

#include <obs-nix-platform.h>
#include <obs.h>

#include <X11/Xlib.h>

#include <cstdarg>
#include <cstring>

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

// Starts libobs on `display` with the modules, video (w x h, fps) and 44.1 kHz stereo audio.
inline bool startup(Display* display, uint32_t w, uint32_t h, uint32_t fps)
{
    base_set_log_handler(quietLog, nullptr);
    obs_set_nix_platform(OBS_NIX_PLATFORM_X11_EGL);
    obs_set_nix_platform_display(display);
    if (!obs_startup("en-US", nullptr, nullptr))
        return false;
    loadModules();
    obs_video_info ovi = {};
    ovi.graphics_module = "libobs-opengl";
    ovi.fps_num = fps;
    ovi.fps_den = 1;
    ovi.base_width = ovi.output_width = w;
    ovi.base_height = ovi.output_height = h;
    ovi.output_format = VIDEO_FORMAT_NV12;
    ovi.gpu_conversion = true;
    ovi.colorspace = VIDEO_CS_709;
    ovi.range = VIDEO_RANGE_FULL;
    ovi.scale_type = OBS_SCALE_DISABLE;
    if (obs_reset_video(&ovi) != OBS_VIDEO_SUCCESS)
        return false;
    obs_audio_info oai = {};
    oai.samples_per_sec = 44100;
    oai.speakers = SPEAKERS_STEREO;
    return obs_reset_audio(&oai);
}

} // namespace bare
