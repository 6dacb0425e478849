#pragma once
// One small block of raw audio handed to the engine's raw-audio bridge, as libobs would.
#include "engine/LiveCore.h"

#include <obs.h>

#include <cstdint>
#include <vector>

inline void deliverAudioBlock()
{
    static std::vector<uint8_t> samples(16, 1);
    audio_data block = {};
    block.data[0] = samples.data();
    block.frames = 4;
    obs_raw_audio_callback(nullptr, 0, &block);
}
