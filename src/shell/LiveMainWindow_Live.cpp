// Live control: engine start-up after login.
#include "shell/LiveMainWindow.h"

#include "cohost/SceneWidget.h"
#include "core/DataCenter.h"
#include "engine/EngineStartup.h"
#include "engine/LiveCore.h"

void LiveMainWindow::initLiveCore()
{
    auto store = CDataCenter::getInstance();
    m_canvasWidth = store->screenWidth;
    m_canvasHeight = store->screenHeight;
    runLiveCoreStartup(m_canvasWidth, m_canvasHeight);
    auto* core = LiveCore::get_instance();
    m_sceneWidget->setDeviceAvailability(core->core_get_audio_count() > 0, core->core_get_camera_count() > 0);
}
