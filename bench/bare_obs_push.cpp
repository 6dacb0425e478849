// The same broadcast as livecore_push with libobs alone (no Qt, nothing of the program): same
// modules, a colour source and a picture, x264 and AAC with the same settings, an RTMP output.
// Usage: bare_obs_push RTMP_URL KEY SECONDS PICTURE
#include "bare_obs.h"
#include "push_scene.h"

#include <cstdio>
#include <cstdlib>
#include <thread>

int main(int argc, char** argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: bare_obs_push RTMP_URL KEY SECONDS PICTURE\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display || !bare::startup(display, 1280, 720, 25))
        return 1;
    bare::registerService();

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
    const bare::Output o = bare::rtmpOutput(argv[1], argv[2], venc, aenc, 1280, 720);
    obs_output_t* out = o.output;
    obs_service_t* service = o.service;
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
