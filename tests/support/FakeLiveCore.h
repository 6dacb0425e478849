#pragma once
// Minimal call-recording engine fake (replaced by the full fake). Calls are recorded as
// "name(arg,arg,...)" with bools as true/false.
#include "engine/LiveCore.h"

#include <QString>
#include <QStringList>

class FakeLiveCore : public LiveCore
{
public:
    FakeLiveCore() { LiveCore::set_instance(this); }
    ~FakeLiveCore() override { LiveCore::set_instance(nullptr); }

    QStringList calls;
    QStringList sources;
    QStringList scene;
    QStringList cameras;
    QStringList microphones;

    QStringList callsNamed(const QString& op) const
    {
        QStringList out;
        for (const QString& c : calls)
            if (c.startsWith(op + '('))
                out << c;
        return out;
    }
    int count(const QString& op) const { return callsNamed(op).size(); }

    bool core_startup(const char*, const char*, const char*) override
    {
        return record("core_startup(null,null,null)");
    }
    void core_load_modules() override { record("core_load_modules()"); }
    int core_reset_video(int bw, int bh, int ow, int oh, int fps) override
    {
        record(QString("core_reset_video(%1,%2,%3,%4,%5)").arg(bw).arg(bh).arg(ow).arg(oh).arg(fps));
        return 0;
    }
    bool core_reset_audio(int rate, int layout) override
    {
        return record(QString("core_reset_audio(%1,%2)").arg(rate).arg(layout));
    }
    void core_init_audio_devices() override { record("core_init_audio_devices()"); }
    bool core_create_scene(const char* name) override
    {
        return record(QString("core_create_scene(%1)").arg(name));
    }
    void core_set_mic_source(bool on) override { record(QString("core_set_mic_source(%1)").arg(b(on))); }
    void core_set_desktop_audio_source(bool on) override
    {
        record(QString("core_set_desktop_audio_source(%1)").arg(b(on)));
    }
    bool core_create_camera_source(const char* name) override
    {
        sources << name;
        return record(QString("core_create_camera_source(%1)").arg(name));
    }
    bool core_create_image_source(const char* name, int unused) override
    {
        sources << name;
        return record(QString("core_create_image_source(%1,%2)").arg(name).arg(unused));
    }
    int core_get_camera_count() override { return cameras.size(); }
    int core_get_audio_count() override { return microphones.size(); }
    bool scene_add_source(const char*, void*, const char* name, bool visible) override
    {
        record(QString("scene_add_source(%1,%2)").arg(name, b(visible)));
        if (!sources.contains(name))
            return false;
        scene << name;
        return true;
    }
    bool scene_has_source(const char* name) override
    {
        record(QString("scene_has_source(%1)").arg(name));
        return sources.contains(name) && scene.contains(name);
    }
    void core_update_preview_scale(int w, int h) override
    {
        record(QString("core_update_preview_scale(%1,%2)").arg(w).arg(h));
    }
    void scene_set_source_size(const char* name, int w, int h, bool portrait, bool force) override
    {
        record(QString("scene_set_source_size(%1,%2,%3,%4,%5)")
                   .arg(name)
                   .arg(w)
                   .arg(h)
                   .arg(b(portrait), b(force)));
    }
    bool core_create_display(const char* name, uintptr_t window) override
    {
        return record(QString("core_create_display(%1,%2)").arg(name).arg(window));
    }

private:
    static QString b(bool v) { return v ? "true" : "false"; }
    bool record(const QString& call)
    {
        calls << call;
        return true;
    }
};
