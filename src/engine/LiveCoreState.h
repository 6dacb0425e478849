#pragma once
// The engine's state record: the source table, the displays, the scene and its items, the lists
// read from libobs, and the sizes last asked of libobs.

#include "engine/LiveCore.h"

#include <map>
#include <string>
#include <vector>

struct obs_display;
struct obs_scene;
struct obs_scene_item;

// One item of a libobs property list (a camera, a window, a microphone).
struct ObsListItem {
    std::string name;  // shown name
    std::string value; // the value libobs expects (device id, window specifier)
};

// The name a window is listed under: "<class>: <title>" from its value "<id>\r\n<title>\r\n<class>"
// (libobs lists it by the bare title). The share code matches windows by the text after the first
// ": ", and looks the window up by this same name. An item whose value has no class keeps its name.
std::string windowListName(const ObsListItem& item);

// One entry of the source table.
struct LiveCoreSource {
    int id = 0;
    std::string name; // the caller's name, the key of every lookup
    int kind = 0;     // 1 video, 2 audio
    // video: 1 window capture, 2 monitor capture, 3 camera or its copy, 4 picture;
    // audio: 1 desktop sound, 2 microphone
    int subtype = 0;
    // video: one reference owned by the table; audio: a plain pointer, the output channel owns it
    obs_source* source = nullptr;
};

struct LiveCoreState {
    bool obs_started = false;
    bool main_preview_drawn = false;
    std::vector<LiveCoreSource> sources;
    int last_source_id = -1;
    std::map<LiveWindowHandle, obs_display*> displays;
    LiveWindowHandle main_preview_hwnd = 0;
    LiveWindowHandle share_preview_hwnd = 0;
    obs_scene* scene = nullptr;
    std::map<std::string, obs_scene_item*> scene_items;
    std::vector<ObsListItem> win_list;
    std::vector<ObsListItem> camera_list;
    std::vector<ObsListItem> audio_list;
    LiveWindowHandle preview_hwnd = 0;
    uint32_t base_width = 0;
    uint32_t base_height = 0;
    uint32_t output_width = 0;
    uint32_t output_height = 0;

    // Appends an entry with the next id (names may repeat) and returns that id.
    int add_source(const char* name, int kind, int subtype, obs_source* source);
    // The source of the first entry of that name (byte for byte), or null.
    obs_source* find_source(const char* name) const;
    // The first entry of that name, or null.
    const LiveCoreSource* find_entry(const char* name) const;
    // How many entries carry that name.
    int entry_count(const char* name) const;
    // Erases the first entry of that name, releasing its source unless it is an audio entry.
    bool remove_source(const char* name);
    // Erases every entry that points at `source` (an audio source leaving its channel).
    int remove_entries_of(obs_source* source);
};
