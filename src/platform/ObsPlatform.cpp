#include "platform/ObsPlatform.h"

#include "platform/X11Window.h"

#include <obs-nix-platform.h>
#include <obs.h>

#include <QDebug>

#include <X11/Xlib.h>

#include <algorithm>
#include <cstdio>

namespace platform {
namespace {
Display* g_display = nullptr;

struct ModuleLoad {
    int loaded = 0;
    std::vector<std::string> seen;
};
} // namespace

bool prepareObsPlatform()
{
    if (!g_display) {
        // A connection of our own, opened once: libobs uses it from its graphics thread, apart
        // from Qt's.
        g_display = XOpenDisplay(nullptr);
        if (!g_display) {
            qWarning() << "libobs: no X display to render on";
            return false;
        }
        installX11ErrorHandler();
    }
    obs_set_nix_platform(OBS_NIX_PLATFORM_X11_EGL);
    obs_set_nix_platform_display(g_display);
    return true;
}

void releaseObsPlatform()
{
    // The connection stays open for the rest of the process: the EGL driver keeps state per native
    // display, and a new connection that happens to get the old one's address would meet it again.
    obs_set_nix_platform_display(nullptr);
}

void* obsX11Display() { return g_display; }

const char* obsGraphicsModule() { return "libobs-opengl"; }

const std::vector<std::string>& obsModuleWhitelist()
{
    static const std::vector<std::string> names = {
        "image-source",     // pictures and colour sources
        "linux-capture",    // screen and window capture
        "linux-v4l2",       // cameras
        "linux-pulseaudio", // microphone and desktop sound
        "obs-x264",         // H.264 encoder
        "obs-ffmpeg",       // AAC encoder, MPEG-TS output
        "obs-outputs",      // RTMP output
    };
    return names;
}

int loadObsModuleWhitelist()
{
    ModuleLoad load;
    obs_find_modules2(
        [](void* param, const obs_module_info2* info) {
            auto* l = static_cast<ModuleLoad*>(param);
            const auto& names = obsModuleWhitelist();
            if (!info->name || std::find(names.begin(), names.end(), info->name) == names.end())
                return;
            if (std::find(l->seen.begin(), l->seen.end(), info->name) != l->seen.end())
                return; // the first location found wins
            l->seen.emplace_back(info->name);
            obs_module_t* module = nullptr;
            const int rc = obs_open_module(&module, info->bin_path, info->data_path);
            if (rc != MODULE_SUCCESS) {
                qWarning() << "libobs module" << info->name << "failed to open:" << rc;
                return;
            }
            if (!obs_init_module(module)) {
                qWarning() << "libobs module" << info->name << "failed to initialise";
                return;
            }
            ++l->loaded;
        },
        &load);
    for (const std::string& name : obsModuleWhitelist()) {
        if (std::find(load.seen.begin(), load.seen.end(), name) == load.seen.end())
            qWarning() << "libobs module not found:" << name.c_str();
    }
    return load.loaded;
}

void writeDebuggerLine(const char* text)
{
    flockfile(stderr);
    std::fputs(text, stderr);
    std::fputc('\n', stderr);
    funlockfile(stderr);
}

} // namespace platform
