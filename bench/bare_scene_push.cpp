// The baseline of the whole-program broadcast comparison (bench/cpu_program_compare.sh): libobs
// alone (no Qt, nothing of the program) rebuilding the scene the program held, from the JSON the
// tour wrote (--bench-scene): the same sources with the same settings, positions, sizes and crops,
// the same audio channels, video settings, encoders and output size; with no display, or with one
// display of the canvas for each display the program drew into, at the same sizes. CPU is counted
// as the tour counts it: from the moment the output runs (polled at the same interval) for SECONDS.
// Usage: bare_scene_push SCENE.json RTMP_URL KEY SECONDS none|same
#include "bare_obs.h"

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

namespace {
double cpuSeconds()
{
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    return double(use.ru_utime.tv_sec + use.ru_stime.tv_sec) + double(use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1e6;
}

obs_source_t* createSource(obs_data_t* record, const char* name)
{
    obs_data_t* settings = obs_data_get_obj(record, "settings");
    obs_source_t* source = obs_source_create(obs_data_get_string(record, "id"), name, settings, nullptr);
    obs_data_release(settings);
    if (source)
        obs_source_set_enabled(source, obs_data_get_bool(record, "enabled"));
    return source;
}

void addItem(obs_scene_t* scene, obs_data_t* record, int index)
{
    const std::string name = "item " + std::to_string(index);
    obs_source_t* source = createSource(record, name.c_str());
    if (!source)
        return;
    obs_sceneitem_t* item = obs_scene_add(scene, source);
    obs_source_release(source);
    obs_transform_info t = {};
    t.pos.x = float(obs_data_get_double(record, "pos_x"));
    t.pos.y = float(obs_data_get_double(record, "pos_y"));
    t.scale.x = float(obs_data_get_double(record, "scale_x"));
    t.scale.y = float(obs_data_get_double(record, "scale_y"));
    t.rot = float(obs_data_get_double(record, "rot"));
    t.alignment = uint32_t(obs_data_get_int(record, "alignment"));
    t.bounds_type = obs_bounds_type(obs_data_get_int(record, "bounds_type"));
    t.bounds_alignment = uint32_t(obs_data_get_int(record, "bounds_alignment"));
    t.bounds.x = float(obs_data_get_double(record, "bounds_x"));
    t.bounds.y = float(obs_data_get_double(record, "bounds_y"));
    obs_sceneitem_set_info(item, &t);
    obs_sceneitem_crop crop = {};
    crop.left = int(obs_data_get_int(record, "crop_left"));
    crop.top = int(obs_data_get_int(record, "crop_top"));
    crop.right = int(obs_data_get_int(record, "crop_right"));
    crop.bottom = int(obs_data_get_int(record, "crop_bottom"));
    obs_sceneitem_set_crop(item, &crop);
    obs_sceneitem_set_visible(item, obs_data_get_bool(record, "visible"));
}

// The canvas stretched over the display, as a plain preview draws it.
void drawCanvas(void*, uint32_t cx, uint32_t cy)
{
    obs_video_info ovi = {};
    if (!obs_get_video_info(&ovi))
        return;
    gs_viewport_push();
    gs_projection_push();
    gs_ortho(0.0f, float(ovi.base_width), 0.0f, float(ovi.base_height), -100.0f, 100.0f);
    gs_set_viewport(0, 0, int(cx), int(cy));
    obs_render_main_texture();
    gs_projection_pop();
    gs_viewport_pop();
}

// A window of its own for each display, side by side, so none covers another.
obs_display_t* createDisplay(Display* x, int left, int width, int height)
{
    const Window window =
        XCreateSimpleWindow(x, DefaultRootWindow(x), left, 0, unsigned(width), unsigned(height), 0, 0, 0);
    XMapWindow(x, window);
    XSync(x, False);
    gs_init_data info = {};
    info.window.id = uint32_t(window);
    info.window.display = x;
    info.cx = uint32_t(width);
    info.cy = uint32_t(height);
    info.format = GS_RGBA;
    info.zsformat = GS_ZS_NONE;
    obs_display_t* display = obs_display_create(&info, 0);
    if (display)
        obs_display_add_draw_callback(display, drawCanvas, nullptr);
    return display;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 6) {
        std::fprintf(stderr, "usage: bare_scene_push SCENE.json RTMP_URL KEY SECONDS none|same\n");
        return 2;
    }
    obs_data_t* scene = obs_data_create_from_json_file(argv[1]);
    if (!scene) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 2;
    }
    const bool withDisplays = std::strcmp(argv[5], "same") == 0;
    Display* x = XOpenDisplay(nullptr);
    obs_data_t* v = obs_data_get_obj(scene, "video");
    obs_video_info ovi = {};
    ovi.base_width = uint32_t(obs_data_get_int(v, "base_width"));
    ovi.base_height = uint32_t(obs_data_get_int(v, "base_height"));
    ovi.output_width = uint32_t(obs_data_get_int(v, "output_width"));
    ovi.output_height = uint32_t(obs_data_get_int(v, "output_height"));
    ovi.fps_num = uint32_t(obs_data_get_int(v, "fps_num"));
    ovi.fps_den = uint32_t(obs_data_get_int(v, "fps_den"));
    ovi.output_format = video_format(obs_data_get_int(v, "output_format"));
    ovi.colorspace = video_colorspace(obs_data_get_int(v, "colorspace"));
    ovi.range = video_range_type(obs_data_get_int(v, "range"));
    ovi.scale_type = obs_scale_type(obs_data_get_int(v, "scale_type"));
    obs_data_release(v);
    if (!x || !bare::startup(x, ovi))
        return 1;
    bare::registerService();

    obs_scene_t* bareScene = obs_scene_create("bare");
    obs_set_output_source(0, obs_scene_get_source(bareScene));
    obs_data_array_t* items = obs_data_get_array(scene, "items");
    for (size_t i = 0; i < obs_data_array_count(items); ++i) {
        obs_data_t* record = obs_data_array_item(items, i);
        addItem(bareScene, record, int(i));
        obs_data_release(record);
    }
    obs_data_array_release(items);
    obs_data_array_t* channels = obs_data_get_array(scene, "channels");
    for (size_t i = 0; i < obs_data_array_count(channels); ++i) {
        obs_data_t* record = obs_data_array_item(channels, i);
        const std::string name = "channel " + std::to_string(i);
        if (obs_source_t* source = createSource(record, name.c_str())) {
            obs_set_output_source(uint32_t(obs_data_get_int(record, "channel")), source);
            obs_source_release(source);
        }
        obs_data_release(record);
    }
    obs_data_array_release(channels);

    std::vector<obs_display_t*> displays;
    if (withDisplays) {
        obs_data_array_t* list = obs_data_get_array(scene, "displays");
        int left = 0;
        for (size_t i = 0; i < obs_data_array_count(list); ++i) {
            obs_data_t* record = obs_data_array_item(list, i);
            const int width = int(obs_data_get_int(record, "width"));
            if (obs_data_get_bool(record, "enabled")) {
                displays.push_back(createDisplay(x, left, width, int(obs_data_get_int(record, "height"))));
                left += width;
            }
            obs_data_release(record);
        }
        obs_data_array_release(list);
    }

    obs_data_t* vrec = obs_data_get_obj(scene, "video_encoder");
    obs_data_t* vs = obs_data_get_obj(vrec, "settings");
    obs_encoder_t* venc = obs_video_encoder_create(obs_data_get_string(vrec, "id"), "h264", vs, nullptr);
    obs_data_release(vs);
    obs_data_release(vrec);
    obs_data_t* arec = obs_data_get_obj(scene, "audio_encoder");
    obs_data_t* as = obs_data_get_obj(arec, "settings");
    obs_encoder_t* aenc = obs_audio_encoder_create(obs_data_get_string(arec, "id"), "aac", as, 0, nullptr);
    obs_data_release(as);
    obs_data_release(arec);
    const bare::Output o =
        bare::rtmpOutput(argv[2], argv[3], venc, aenc, uint32_t(obs_data_get_int(scene, "output_width")),
                         uint32_t(obs_data_get_int(scene, "output_height")));
    obs_output_t* out = o.output;
    obs_service_t* service = o.service;
    if (!venc || !aenc || !out)
        return 1;
    obs_output_set_delay(out, 0, OBS_OUTPUT_DELAY_PRESERVE);
    obs_output_set_reconnect_settings(out, 0, 0);
    if (!obs_output_start(out))
        return 1;
    // The counted time starts with the running output, seen at the tour's poll interval.
    while (!obs_output_active(out))
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = cpuSeconds();
    std::this_thread::sleep_for(std::chrono::seconds(std::atoi(argv[4])));
    const double wallS = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("live seconds=%.1f cpu_percent=%.1f frames=%d dropped=%d lagged=%u displays=%zu\n", wallS,
                100.0 * (cpuSeconds() - cpuStart) / wallS, obs_output_get_total_frames(out),
                obs_output_get_frames_dropped(out), obs_get_lagged_frames(), displays.size());
    std::fflush(stdout);

    obs_output_stop(out);
    obs_output_release(out);
    obs_service_release(service);
    obs_encoder_release(venc);
    obs_encoder_release(aenc);
    for (obs_display_t* d : displays)
        obs_display_destroy(d);
    for (uint32_t channel = 0; channel < MAX_CHANNELS; ++channel)
        obs_set_output_source(channel, nullptr);
    obs_scene_release(bareScene);
    obs_data_release(scene);
    obs_shutdown();
    XCloseDisplay(x);
    return 0;
}
