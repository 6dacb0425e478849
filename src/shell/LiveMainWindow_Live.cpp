// Live control: engine start-up after login.
#include "shell/LiveMainWindow.h"

#include "cohost/SceneWidget.h"
#include "core/DataCenter.h"
#include "engine/LiveCore.h"

void LiveMainWindow::initLiveCore()
{
    auto store = CDataCenter::getInstance();
    m_canvasWidth = store->screenWidth;
    m_canvasHeight = store->screenHeight;
    auto* core = LiveCore::get_instance();
    core->core_startup(nullptr, nullptr, nullptr);
    core->core_load_modules();
    core->core_reset_video(m_canvasWidth, m_canvasHeight, m_canvasWidth, m_canvasHeight, 25);
    core->core_reset_audio(44100, 32);
    core->core_init_audio_devices();
    core->core_create_scene("solvek");
    core->core_set_mic_source(!store->closeMicAudio);
    core->core_set_desktop_audio_source(false);
    if (!store->closeDesktopAudio)
        core->core_set_desktop_audio_source(true);
    core->core_create_camera_source("camera source");
    core->scene_add_source(nullptr, nullptr, "camera source", true);
    m_sceneWidget->setDeviceAvailability(core->core_get_audio_count() > 0, core->core_get_camera_count() > 0);
}
