// The same broadcast as livecore_push with libobs alone (no Qt, nothing of the program): same
// modules, a colour source and a picture, x264 and AAC with the same settings, an RTMP output.
// Usage: bare_obs_push RTMP_URL KEY SECONDS PICTURE
#include "bare_obs.h"
#include "push_scene.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace {
// A service holding server and key (the module that brings one is not loaded).
struct Service {
    std::string server, key;
};

obs_service_info serviceInfo()
{
    obs_service_info info = {};
    info.id = "bare_rtmp";
    info.get_name = [](void*) -> const char* { return "bare"; };
    info.create = [](obs_data_t* s, obs_service_t*) -> void* {
        return new Service{obs_data_get_string(s, "server"), obs_data_get_string(s, "key")};
    };
    info.destroy = [](void* d) { delete static_cast<Service*>(d); };
    info.get_url = [](void* d) -> const char* { return static_cast<Service*>(d)->server.c_str(); };
    info.get_key = [](void* d) -> const char* { return static_cast<Service*>(d)->key.c_str(); };
    info.get_output_type = [](void*) -> const char* { return "rtmp_output"; };
    return info;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: bare_obs_push RTMP_URL KEY SECONDS PICTURE\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display || !bare::startup(display, 1280, 720, 25))
        return 1;
    static const obs_service_info info = serviceInfo();
    obs_register_service(&info);

    obs_scene_t* scene = obs_scene_create("bare");
    obs_set_output_source(0, obs_scene_get_source(scene));
    push_scene::addColour(scene, 1280, 720);
    obs_data_t* file = obs_data_create();
    obs_data_set_string(file, "file", argv[4]);
    obs_source_t* picture = obs_source_create("image_source", "picture", file, nullptr);
    obs_data_release(file);
    obs_scene_add(scene, picture);
    obs_source_release(picture);

    obs_data_t* vs = obs_data_create();
    push_scene::applyVideoSettings(vs);
    obs_encoder_t* venc = obs_video_encoder_create("obs_x264", "h264", vs, nullptr);
    obs_data_release(vs);
    obs_data_t* as = obs_data_create();
    obs_data_set_bool(as, "cbr", true);
    obs_data_set_int(as, "bitrate", 160);
    obs_encoder_t* aenc = obs_audio_encoder_create("ffmpeg_aac", "aac", as, 0, nullptr);
    obs_data_release(as);
    obs_data_t* ss = obs_data_create();
    obs_data_set_string(ss, "server", argv[1]);
    obs_data_set_string(ss, "key", argv[2]);
    obs_service_t* service = obs_service_create("bare_rtmp", "service", ss, nullptr);
    obs_data_release(ss);
    obs_output_t* out = obs_output_create("rtmp_output", "out", nullptr, nullptr);
    obs_encoder_set_video(venc, obs_get_video());
    obs_encoder_set_audio(aenc, obs_get_audio());
    obs_output_set_video_encoder(out, venc);
    obs_output_set_audio_encoder(out, aenc, 0);
    obs_output_set_service(out, service);
    obs_output_set_preferred_size(out, 1280, 720);
    if (!obs_output_start(out))
        return 1;
    std::this_thread::sleep_for(std::chrono::seconds(std::atoi(argv[3])));
    std::printf("frames %d dropped %d\n", obs_output_get_total_frames(out), obs_output_get_frames_dropped(out));
    obs_output_stop(out);
    obs_output_release(out);
    obs_service_release(service);
    obs_encoder_release(venc);
    obs_encoder_release(aenc);
    obs_set_output_source(0, nullptr);
    obs_scene_release(scene);
    obs_shutdown();
    XCloseDisplay(display);
    return 0;
}
