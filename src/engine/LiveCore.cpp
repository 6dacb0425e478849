#include "engine/LiveCore.h"

namespace
{
LiveCore* g_override = nullptr;
}

LiveCore* LiveCore::get_instance()
{
    static LiveCore builtIn;
    return g_override ? g_override : &builtIn;
}

void LiveCore::set_instance(LiveCore* core)
{
    g_override = core;
}
