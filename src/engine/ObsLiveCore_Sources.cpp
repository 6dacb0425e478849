// ObsLiveCore: sources, scene items, device and window lists, volumes.
#include "engine/ObsLiveCore.h"

#include "core/DataCenter.h"
#include "platform/ObsSourceTypes.h"
#include "platform/X11Window.h"

#include <obs.h>

#include <QDebug>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {
const char* itemName(const std::vector<ObsListItem>& list, int index)
{
    if (index < 0 || index >= int(list.size()))
        return nullptr;
    return list[size_t(index)].name.c_str();
}

} // namespace

obs_source* ObsLiveCore::createVideoSource(const char* type, const char* obsName, const char* tableName, int subtype)
{
    obs_source_t* source = obs_source_create(type, obsName, nullptr, nullptr);
    if (!source)
        return nullptr;
    status.add_source(tableName, 1, subtype, source);
    return source;
}

obs_scene_item* ObsLiveCore::findItem(const char* name) const
{
    if (!name || !status.find_source(name))
        return nullptr;
    auto it = status.scene_items.find(name);
    return it == status.scene_items.end() ? nullptr : it->second;
}

bool ObsLiveCore::core_create_camera_source(const char* name)
{
    if (!status.obs_started || !name)
        return false;
    obs_source_t* source = createVideoSource(obs_types::camera, "v4l2_input source", name, 3);
    if (!source)
        return false;
    obs_source_set_async_unbuffered(source, true);
    init_camera_info(source);
    return true;
}

bool ObsLiveCore::core_create_image_source(const char* name, int /*unused*/)
{
    if (!status.obs_started || !name)
        return false;
    return createVideoSource(obs_types::image, "Image Source", name, 4) != nullptr;
}

bool ObsLiveCore::standInCameraPicture(const QString& file)
{
    const char* camera = "camera source";
    if (!status.obs_started)
        return false;
    scene_remove_source(camera); // the entry stays: the camera is kept out of the scene only
    while (status.remove_source(camera)) {
    }
    if (!createVideoSource(obs_types::image, "camera picture", camera, 3))
        return false;
    status.camera_list = {ObsListItem{"camera picture", file.toStdString()}};
    return source_set_image_file(camera, file, false);
}

bool ObsLiveCore::core_create_monitor_source(const char* name)
{
    // Modules were loaded once at start-up; loading them again here is not needed.
    if (!status.obs_started || !name)
        return false;
    int sw = 0, sh = 0;
    platform::primaryScreenSize(&sw, &sh);
    core_reset_video(sw, sh, sw, sh, CDataCenter::getInstance()->liveFps);
    obs_source_t* source = createVideoSource(obs_types::screen, "Monitor source", name, 2);
    if (!source)
        return false;
    obs_data_t* settings = obs_source_get_settings(source);
    obs_data_set_int(settings, obs_types::screenKey, 0); // the primary screen
    obs_source_update(source, settings);
    obs_data_release(settings);
    return true;
}

bool ObsLiveCore::core_create_win_capture_source(const char* name)
{
    if (!status.obs_started || !name)
        return false;
    int sw = 0, sh = 0;
    platform::primaryScreenSize(&sw, &sh);
    core_reset_video(sw, sh, sw, sh, CDataCenter::getInstance()->liveFps);
    obs_source_t* source = createVideoSource(obs_types::window, "window_capture source", name, 1);
    if (!source)
        return false;
    init_windows_info(source);
    return true;
}

bool ObsLiveCore::core_duplicate_source(const char* from, const char* to)
{
    if (!status.obs_started || !to)
        return false;
    obs_source_t* original = status.find_source(from);
    if (!original)
        return false; // nothing to copy: no entry without a source
    obs_source_t* copy = obs_source_duplicate(original, to, true);
    if (!copy)
        return false;
    status.add_source(to, 1, 3, copy);
    scene_add_source(nullptr, nullptr, to, true);
    return true;
}

bool ObsLiveCore::source_set_camera_device(const char* device, const char* source)
{
    if (!status.obs_started || !device)
        return false;
    auto item = std::find_if(status.camera_list.begin(), status.camera_list.end(),
                             [device](const ObsListItem& i) { return i.name == device; });
    obs_source_t* camera = status.find_source(source);
    if (item == status.camera_list.end() || !camera)
        return false;
    obs_data_t* settings = obs_source_get_settings(camera);
    obs_data_set_string(settings, obs_types::cameraDeviceKey, item->value.c_str());
    obs_source_update(camera, settings);
    obs_data_release(settings);
    return true;
}

bool ObsLiveCore::source_set_image_file(const char* name, const QString& file, bool /*unused*/)
{
    if (!status.obs_started)
        return false;
    obs_source_t* source = status.find_source(name);
    if (!source)
        return false;
    obs_data_t* settings = obs_data_create();
    obs_data_set_string(settings, obs_types::imageFileKey, file.toUtf8().constData());
    obs_source_update(source, settings); // merged into the source's settings
    obs_data_release(settings);
    return true;
}

bool ObsLiveCore::core_set_win_capture_source(const char* window, const char* source)
{
    if (!status.obs_started)
        return false;
    std::string value;
    auto item = std::find_if(status.win_list.begin(), status.win_list.end(),
                             [window](const ObsListItem& i) { return window && i.name == window; });
    if (item == status.win_list.end())
        qDebug() << "core_set_win_capture_source GetWinID nullptr";
    else
        value = item->value;
    obs_source_t* capture = status.find_source(source);
    if (!capture)
        return false;
    std::printf("-----------------obs_source_get_settings\n");
    obs_data_t* settings = obs_source_get_settings(capture);
    obs_data_set_string(settings, obs_types::windowKey, value.c_str());
    obs_source_update(capture, settings);
    obs_data_release(settings);
    return true;
}

void ObsLiveCore::source_set_camera_enabled(const char* name, bool on)
{
    if (!status.obs_started || !name)
        return;
    if (!status.find_entry(name)) {
        if (core_create_camera_source(name))
            scene_add_source(nullptr, nullptr, name, true);
    }
    if (obs_source_t* source = status.find_source(name))
        obs_source_set_enabled(source, on);
}

void ObsLiveCore::source_set_flip_vertically(const char* name, bool on)
{
    if (!status.obs_started)
        return;
    obs_source_t* source = status.find_source(name);
    if (!source)
        return;
    obs_data_t* settings = obs_source_get_settings(source);
    obs_data_set_bool(settings, "flip_vertically", on);
    obs_source_update(source, settings);
    obs_data_release(settings);
}

void ObsLiveCore::source_set_rotation(const char* name, int degrees)
{
    if (!status.obs_started)
        return;
    if (obs_source_t* source = status.find_source(name))
        obs_source_set_async_rotation(source, degrees);
}

bool ObsLiveCore::scene_add_source(const char* /*scene_name*/, obs_source* /*source*/, const char* name, bool visible)
{
    if (!status.obs_started || !name)
        return false;
    obs_source_t* source = status.find_source(name);
    if (!source || !status.scene)
        return false;
    obs_sceneitem_t* item = obs_scene_add(status.scene, source);
    if (!item) {
        qDebug() << name << " obs_add_scene error";
        return false;
    }
    const vec2 one = {{{1.0f, 1.0f}}};
    obs_sceneitem_set_scale(item, &one);
    obs_sceneitem_set_visible(item, visible);
    // An earlier item of the same name stays in the scene but is no longer reachable by name.
    status.scene_items[name] = item;
    return true;
}

void ObsLiveCore::scene_remove_source(const char* name)
{
    obs_sceneitem_t* item = status.obs_started ? findItem(name) : nullptr;
    if (!item)
        return;
    obs_sceneitem_remove(item);
    status.scene_items.erase(name);
    // The host camera stays in the table so it can come back without a new device open.
    if (std::strcmp(name, "camera source") != 0)
        status.remove_source(name);
}

bool ObsLiveCore::scene_has_source(const char* name)
{
    return status.obs_started && findItem(name) != nullptr;
}

int ObsLiveCore::scene_get_source_order(const char* name, int* position, int* count)
{
    if (count)
        *count = int(status.sources.size());
    obs_sceneitem_t* item = status.obs_started ? findItem(name) : nullptr;
    if (!item)
        return 0;
    const int order = obs_sceneitem_get_order_position(item);
    if (position)
        *position = order;
    return order;
}

void ObsLiveCore::scene_move_source_order(const char* name, int steps)
{
    if (!status.obs_started || !status.find_source(name))
        return;
    const int n = int(status.sources.size());
    steps = std::max(-n, std::min(n, steps));
    const obs_order_movement movement = steps > 0 ? OBS_ORDER_MOVE_UP : OBS_ORDER_MOVE_DOWN;
    for (int i = 0; i < std::abs(steps); ++i) {
        obs_sceneitem_t* item = findItem(name);
        if (!item)
            return;
        obs_sceneitem_set_order(item, movement);
    }
}

int ObsLiveCore::core_get_camera_count() { return int(status.camera_list.size()); }
int ObsLiveCore::core_get_win_count() { return int(status.win_list.size()); }
int ObsLiveCore::core_get_audio_count() { return int(status.audio_list.size()); }
const char* ObsLiveCore::core_get_camera_name(int index) { return itemName(status.camera_list, index); }
const char* ObsLiveCore::core_get_win_name(int index) { return itemName(status.win_list, index); }
const char* ObsLiveCore::core_get_audio_name(int index) { return itemName(status.audio_list, index); }

bool ObsLiveCore::init_camera_info(obs_source* source)
{
    if (!status.obs_started || !source)
        return false;
    // Every Video4Linux device is a camera; there is no id convention to filter on here.
    std::vector<ObsListItem> cameras = readPropertyList(source, obs_types::cameraDeviceKey, false);
    for (const ObsListItem& camera : cameras)
        std::printf("carmer name = %s\n", camera.name.c_str());
    status.camera_list = std::move(cameras);
    return true;
}

bool ObsLiveCore::init_windows_info(obs_source* source)
{
    if (!status.obs_started || !source)
        return false;
    std::vector<ObsListItem> windows = readPropertyList(source, obs_types::windowKey, true);
    for (ObsListItem& window : windows)
        window.name = windowListName(window);
    status.win_list = std::move(windows);
    return true;
}

void ObsLiveCore::source_set_mic_volume(float volume)
{
    if (!status.obs_started)
        return;
    if (volume < 0 || volume > 1)
        volume = 0;
    if (obs_source_t* source = status.find_source("audio_input"))
        obs_source_set_volume(source, volume);
}

void ObsLiveCore::source_set_desktop_volume(float volume)
{
    if (!status.obs_started)
        return;
    if (volume < 0 || volume > 1)
        volume = 0;
    if (obs_source_t* source = status.find_source("audio_output"))
        obs_source_set_volume(source, volume);
}

float ObsLiveCore::source_get_mic_volume()
{
    if (!status.obs_started)
        return 0;
    obs_source_t* source = status.find_source("audio_input");
    return source ? obs_source_get_volume(source) : 0.0f;
}
