#pragma once
// Minimal engine facade (replaced by the full libobs owner). Operations are virtual so tests can
// install a recording fake with LiveCore::set_instance.
#include <cstdint>

class LiveCore
{
public:
    static LiveCore* get_instance();
    // Installs another engine (a test fake); nullptr goes back to the built-in one.
    static void set_instance(LiveCore* core);
    virtual ~LiveCore() = default;

    virtual bool core_startup(const char*, const char*, const char*) { return false; }
    virtual void core_load_modules() {}
    virtual int core_reset_video(int, int, int, int, int) { return -1; }
    virtual bool core_reset_audio(int, int) { return false; }
    virtual void core_init_audio_devices() {}
    virtual bool core_create_scene(const char*) { return false; }
    virtual void core_set_mic_source(bool) {}
    virtual void core_set_desktop_audio_source(bool) {}
    virtual bool core_create_camera_source(const char*) { return false; }
    virtual bool core_create_image_source(const char*, int) { return false; }
    virtual int core_get_camera_count() { return 0; }
    virtual int core_get_audio_count() { return 0; }
    virtual bool scene_add_source(const char*, void*, const char*, bool) { return false; }
    virtual bool scene_has_source(const char*) { return false; }
    virtual void core_update_preview_scale(int, int) {}
    virtual void scene_set_source_size(const char*, int, int, bool, bool) {}
    virtual bool core_create_display(const char*, uintptr_t) { return false; }
};
