// Pushes the canvas through LiveCore as the program does (start-up sequence, a picture, a video
// reset and an RTMP broadcast at 1280 x 720, 25 fps) for a number of seconds, then prints the
// output's frame counts. Usage: livecore_push RTMP_URL KEY SECONDS PICTURE
#include "push_scene.h"

#include "core/DataCenter.h"
#include "engine/EngineStartup.h"
#include "engine/ObsLiveCore.h"

#include <QString>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <thread>

int main(int argc, char** argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: livecore_push RTMP_URL KEY SECONDS PICTURE\n");
        return 2;
    }
    QTemporaryDir dir;
    auto store = std::make_shared<CDataCenter>(dir.filePath("config.ini"));
    store->screenWidth = 1280;
    store->screenHeight = 720;
    store->streamQuality = 1;
    store->pushServer = QString::fromUtf8(argv[1]);
    store->pushKey = QString::fromUtf8(argv[2]);
    CDataCenter::setInstanceForTesting(store);
    LiveCore* core = LiveCore::get_instance();
    if (!runLiveCoreStartup(1280, 720))
        return 1;
    push_scene::addColour(static_cast<ObsLiveCore*>(core)->state().scene, 1280, 720);
    core->core_create_image_source("image_source", 0);
    core->source_set_image_file("image_source", QString::fromUtf8(argv[4]), false);
    core->scene_add_source(nullptr, nullptr, "image_source", true);

    core->core_reset_video(1280, 720, 1280, 720, 25);
    if (!core->core_init_stream() || !core->set_stream_parameters(argv[1], argv[2], 2500, 160) ||
        !core->start_stream())
        return 1;
    std::this_thread::sleep_for(std::chrono::seconds(std::atoi(argv[3])));
    obs_output_t* out = static_cast<ObsLiveCore*>(core)->streamOutput();
    std::printf("frames %d dropped %d\n", obs_output_get_total_frames(out), obs_output_get_frames_dropped(out));
    core->stop_stream();
    core->core_shutdown();
    return 0;
}
