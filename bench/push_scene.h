#pragma once
// The scene both push programs send: a colour source filling the canvas and a picture on it.

#include <obs.h>

namespace push_scene {

inline void addColour(obs_scene_t* scene, uint32_t w, uint32_t h)
{
    obs_data_t* s = obs_data_create();
    obs_data_set_int(s, "color", 0xff3a6ea5);
    obs_data_set_int(s, "width", w);
    obs_data_set_int(s, "height", h);
    obs_source_t* colour = obs_source_create("color_source", "colour", s, nullptr);
    obs_data_release(s);
    obs_scene_add(scene, colour);
    obs_source_release(colour);
}

// The encoder settings of a 1280 x 720 broadcast.
inline void applyVideoSettings(obs_data_t* s)
{
    obs_data_set_int(s, "bitrate", 2000);
    obs_data_set_string(s, "encoder", "x264");
    obs_data_set_string(s, "profile", "baseline");
    obs_data_set_int(s, "keyint_sec", 1);
    obs_data_set_bool(s, "abr", true);
    obs_data_set_string(s, "preset", "veryfast");
}

} // namespace push_scene
