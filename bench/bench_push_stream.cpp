// Packing one 1920 x 1080 I420 frame with padded rows for the real-time room (PushStream) beside
// a plain memcpy of the same number of bytes. The ratio of the two is the figure.
#include "platform/TrtcCloud.h"
#include "core/DataCenter.h"
#include "engine/LiveCore.h"
#include "engine/PushStream.h"

#include <obs.h>

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include <cstring>
#include <vector>

namespace {
constexpr int kW = 1920;
constexpr int kH = 1080;
constexpr int kYStride = kW + 64; // libobs' planes may be wider than the picture
constexpr int kCStride = kW / 2 + 32;

struct Frame {
    std::vector<uint8_t> y = std::vector<uint8_t>(size_t(kYStride) * kH, 16);
    std::vector<uint8_t> u = std::vector<uint8_t>(size_t(kCStride) * kH / 2, 128);
    std::vector<uint8_t> v = std::vector<uint8_t>(size_t(kCStride) * kH / 2, 128);
    video_data data = {};
    Frame()
    {
        data.data[0] = y.data();
        data.data[1] = u.data();
        data.data[2] = v.data();
        data.linesize[0] = kYStride;
        data.linesize[1] = data.linesize[2] = kCStride;
    }
};

void BM_MemcpyFrame(benchmark::State& state)
{
    const size_t bytes = size_t(kW) * kH * 3 / 2;
    std::vector<uint8_t> src(bytes, 1), dst(bytes);
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), bytes);
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
}

void BM_PushStreamPackFrame(benchmark::State& state)
{
    QTemporaryDir dir;
    auto store = std::make_shared<CDataCenter>(dir.filePath("config.ini"));
    store->streamQuality = 2;
    CDataCenter::setInstanceForTesting(store);
    TrtcCloudCounting cloud; // counts what it is sent, as the running program's default does
    cloud.setCustomVideoCaptureEnabled(TrtcVideoStreamType::Big, true);
    setTRTCShareInstance(&cloud);
    SetRecvOBSVideoStreamSize(kW, kH);
    PushStream push;
    push.initTrtcPushVideo();
    Frame frame;
    for (auto _ : state) {
        push.sendCustomVideo(&frame.data);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kW) * kH * 3 / 2);
    if (cloud.videoFrames() != uint64_t(state.iterations()))
        state.SkipWithError("frames were dropped");
    setTRTCShareInstance(nullptr);
    CDataCenter::setInstanceForTesting(nullptr);
}
} // namespace

BENCHMARK(BM_MemcpyFrame)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_PushStreamPackFrame)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
