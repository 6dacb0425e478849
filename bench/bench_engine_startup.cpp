// Engine start-up (libobs, modules, video and audio reset, scene) through LiveCore, beside the same
// start of bare libobs. Needs an X display. Each iteration starts and shuts down; only the start is
// timed. Compare the medians: the engine's is the figure, the bare one the floor.
#include "engine/ObsLiveCore.h"

#include "bare_obs.h" // X11 after Qt: its macros clash with Qt names

#include <benchmark/benchmark.h>

namespace {
int screenWidth()
{
    Display* d = XOpenDisplay(nullptr);
    const int w = d ? DisplayWidth(d, DefaultScreen(d)) : 0;
    if (d)
        XCloseDisplay(d);
    return w;
}

void BM_BareLibobsStartup(benchmark::State& state)
{
    // One X connection for the process, as the engine keeps one.
    Display* display = XOpenDisplay(nullptr);
    for (auto _ : state) {
        const bool ok = bare::startup(display, 1920, 1080, 25);
        obs_scene_t* scene = obs_scene_create("solvek");
        obs_set_output_source(0, obs_scene_get_source(scene));
        state.PauseTiming();
        if (!ok)
            state.SkipWithError("libobs did not start");
        obs_set_output_source(0, nullptr);
        obs_scene_release(scene);
        obs_shutdown();
        state.ResumeTiming();
    }
    XCloseDisplay(display);
}

void BM_LiveCoreStartup(benchmark::State& state)
{
    for (auto _ : state) {
        auto* core = new ObsLiveCore;
        bool ok = core->core_startup(nullptr, nullptr, nullptr);
        core->core_load_modules();
        ok = ok && core->core_reset_video(1920, 1080, 1920, 1080, 25) == 0;
        ok = ok && core->core_reset_audio(44100, 32);
        ok = ok && core->core_create_scene("solvek");
        state.PauseTiming();
        if (!ok)
            state.SkipWithError("the engine did not start");
        delete core; // shuts libobs down
        state.ResumeTiming();
    }
}
} // namespace

BENCHMARK(BM_BareLibobsStartup)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(5);
BENCHMARK(BM_LiveCoreStartup)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(5);

int main(int argc, char** argv)
{
    if (screenWidth() <= 0) {
        fprintf(stderr, "needs an X display (DISPLAY)\n");
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
