#include "engine/EngineStartup.h"

#include "core/DataCenter.h"
#include "engine/LiveCore.h"
#include "platform/X11Window.h"

#include <QByteArray>

bool runLiveCoreStartup(int canvasWidth, int canvasHeight)
{
    LiveCore* core = LiveCore::get_instance();
    const auto store = CDataCenter::getInstance();
    const bool started = core->core_startup(nullptr, nullptr, nullptr);
    core->core_load_modules();
    int screenWidth = 0, screenHeight = 0;
    platform::primaryScreenSize(&screenWidth, &screenHeight);
    core->core_reset_video(screenWidth, screenHeight, canvasWidth, canvasHeight, 25);
    core->core_reset_audio(44100, 32);
    core->core_init_audio_devices();
    core->core_create_scene("solvek");
    core->core_set_mic_source(!store->closeMicAudio);
    if (!store->closeDesktopAudio) {
        core->core_set_desktop_audio_source(false);
        core->core_set_desktop_audio_source(true);
    } else {
        core->core_set_desktop_audio_source(false);
    }
    core->core_create_camera_source("camera source");
    QByteArray device = store->cameraName.toUtf8();
    if (device.isEmpty() && core->core_get_camera_count() > 0)
        device = QByteArray(core->core_get_camera_name(0));
    if (!device.isEmpty())
        core->source_set_camera_device(device.constData(), "camera source");
    core->scene_add_source(nullptr, nullptr, "camera source", true);
    return started;
}
