#pragma once
// Minimal call-recording engine fake (replaced by the full fake).
#include "engine/LiveCore.h"

#include <QString>
#include <QStringList>

class FakeLiveCore : public LiveCore
{
public:
    FakeLiveCore() { LiveCore::set_instance(this); }
    ~FakeLiveCore() override { LiveCore::set_instance(nullptr); }

    QStringList calls;
    QStringList sceneSources;
    int cameraCount = 0;
    int audioCount = 0;

    bool core_startup(const char*, const char*, const char*) override { return record("core_startup"), true; }
    void core_load_modules() override { record("core_load_modules"); }
    int core_reset_video(int bw, int bh, int ow, int oh, int fps) override
    {
        record(QString("core_reset_video %1 %2 %3 %4 %5").arg(bw).arg(bh).arg(ow).arg(oh).arg(fps));
        return 0;
    }
    bool core_reset_audio(int rate, int layout) override
    {
        return record(QString("core_reset_audio %1 %2").arg(rate).arg(layout)), true;
    }
    void core_init_audio_devices() override { record("core_init_audio_devices"); }
    bool core_create_scene(const char* name) override
    {
        return record(QString("core_create_scene %1").arg(name)), true;
    }
    void core_set_mic_source(bool on) override { record(QString("core_set_mic_source %1").arg(on)); }
    void core_set_desktop_audio_source(bool on) override
    {
        record(QString("core_set_desktop_audio_source %1").arg(on));
    }
    bool core_create_camera_source(const char* name) override
    {
        return record(QString("core_create_camera_source %1").arg(name)), true;
    }
    bool core_create_image_source(const char* name, int) override
    {
        return record(QString("core_create_image_source %1").arg(name)), true;
    }
    int core_get_camera_count() override { return cameraCount; }
    int core_get_audio_count() override { return audioCount; }
    bool scene_add_source(const char*, void*, const char* name, bool visible) override
    {
        record(QString("scene_add_source %1 %2").arg(name).arg(visible));
        if (!sceneSources.contains(name))
            sceneSources << name;
        return true;
    }
    bool scene_has_source(const char* name) override { return sceneSources.contains(name); }
    void core_update_preview_scale(int w, int h) override
    {
        record(QString("core_update_preview_scale %1 %2").arg(w).arg(h));
    }
    void scene_set_source_size(const char* name, int w, int h, bool portrait, bool force) override
    {
        record(
            QString("scene_set_source_size %1 %2 %3 %4 %5").arg(name).arg(w).arg(h).arg(portrait).arg(force));
    }
    bool core_create_display(const char* name, uintptr_t) override
    {
        return record(QString("core_create_display %1").arg(name)), true;
    }

private:
    void record(const QString& call) { calls << call; }
};
