#include "engine/PushStream.h"

#include "platform/TrtcCloud.h"
#include "core/DataCenter.h"
#include "engine/LiveCore.h"

#include <obs.h>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/imgutils.h>
#include <libavutil/mem.h>
}

#include <QDebug>

#include <cstring>
#include <mutex>

namespace {
// One plane of `rows` rows of `width` bytes, read at the frame's line size, written tightly.
inline uint8_t* copyPlane(uint8_t* dst, const uint8_t* src, uint32_t lineSize, int width, int rows)
{
    if (lineSize == uint32_t(width)) {
        std::memcpy(dst, src, size_t(width) * size_t(rows));
        return dst + size_t(width) * size_t(rows);
    }
    for (int r = 0; r < rows; ++r) {
        std::memcpy(dst, src + size_t(r) * lineSize, size_t(width));
        dst += width;
    }
    return dst;
}
} // namespace

PushStream::PushStream() = default;

PushStream::~PushStream()
{
    if (avFrame) {
        av_freep(&avFrame->data[0]);
        av_frame_free(&avFrame);
    }
    delete[] frameBuffer;
    delete videoFrame;
    delete audioFrame.load();
}

int PushStream::resolutionValue(int quality)
{
    switch (quality) {
    case 0:
        return TrtcVideoResolution_640_360;
    case 1:
        return TrtcVideoResolution_1280_720;
    default:
        return TrtcVideoResolution_1920_1080;
    }
}

std::string PushStream::encoderRequestText(int width, int height, int bitrate)
{
    return "{\"api\":\"setVideoEncodeParamEx\",\"params\":{\"codecType\":0,\"softwareCodecParams\":{\"profile\":1,"
           "\"enableRealTime\":0},\"videoWidth\":" +
           std::to_string(width) + ",\"videoHeight\":" + std::to_string(height) +
           ",\"videoBitrate\":" + std::to_string(bitrate) +
           ",\"streamType\":0,\"resolutionMode\": 0,\"scene\":\"screen\"}}";
}

void PushStream::initTrtcPushVideo()
{
    // The raw video function may still be registered and running on libobs' thread (a pause, or a
    // choice made while paused): replace what it reads under its own mutex.
    std::lock_guard<std::mutex> lock(RecvOBSVideoStreamMutex());

    delete[] frameBuffer;
    frameBuffer = nullptr;
    frameBufferLength = 0;

    const int quality = CDataCenter::getInstance()->streamQuality;
    const StreamQualitySize push = streamQualitySize(quality);
    pushWidth = push.width;
    pushHeight = push.height;

    if (!avFrame)
        avFrame = av_frame_alloc();
    else
        av_freep(&avFrame->data[0]);
    avFrame->width = pushWidth;
    avFrame->height = pushHeight;
    avFrame->format = AV_PIX_FMT_YUV420P;
    av_image_alloc(avFrame->data, avFrame->linesize, pushWidth, pushHeight, AV_PIX_FMT_YUV420P, 1);

    const auto length = uint32_t(double(pushWidth) * double(pushHeight) * 1.5);
    frameBufferLength = size_t(length) + 1;
    frameBuffer = new uint8_t[frameBufferLength]();

    TrtcVideoEncoderParams params;
    params.resolution = resolutionValue(quality);
    params.resolutionMode = TrtcResolutionMode_Landscape;
    params.fps = 30;
    params.bitrateKbps = push.bitrate;
    params.minBitrateKbps = 0;
    params.adaptResolution = false;
    getTRTCShareInstance()->setVideoEncoderParams(params);
    qDebug() << "setVideoEncoderParam width:" << pushWidth << "height: " << pushHeight;

    const std::string answer =
        getTRTCShareInstance()->callExperimentalApi(encoderRequestText(pushWidth, pushHeight, push.bitrate));
    qDebug() << "call api res:" << answer.c_str();

    if (!videoFrame)
        videoFrame = new TrtcCustomVideoFrame;
    videoFrame->pixelFormat = TrtcPixelFormat_I420;
    videoFrame->bufferType = TrtcBufferType_Memory;
    videoFrame->data = reinterpret_cast<const char*>(frameBuffer);
    videoFrame->length = length;
    videoFrame->width = uint32_t(pushWidth);
    videoFrame->height = uint32_t(pushHeight);
    streamType = 0;

    if (!audioFrame.load()) {
        auto* audio = new TrtcCustomAudioFrame;
        audio->format = TrtcAudioFormat_PCM;
        audio->channels = 2;
        audio->sampleRate = 44100;
        audioFrame.store(audio); // complete before the audio thread can see it
    }
}

void PushStream::sendCustomVideo(video_data* frame)
{
    if (!frame || !frameBuffer || !videoFrame)
        return;
    uint32_t rawWidth = 0, rawHeight = 0;
    RecvOBSVideoStreamSize(&rawWidth, &rawHeight);
    if (rawWidth != uint32_t(pushWidth) || rawHeight != uint32_t(pushHeight))
        return; // libobs' planes are not of the push size: reading them as such would overrun
    const int chromaWidth = pushWidth / 2;
    const int chromaRows = pushHeight / 2;
    uint8_t* dst = frameBuffer;
    dst = copyPlane(dst, frame->data[0], frame->linesize[0], pushWidth, pushHeight);
    dst = copyPlane(dst, frame->data[1], frame->linesize[1], chromaWidth, chromaRows);
    copyPlane(dst, frame->data[2], frame->linesize[2], chromaWidth, chromaRows);
    videoFrame->data = reinterpret_cast<const char*>(frameBuffer);
    getTRTCShareInstance()->sendCustomVideoData(TrtcVideoStreamType(streamType), *videoFrame);
}

void PushStream::sendCustomAudio(audio_data* data)
{
    TrtcCustomAudioFrame* audio = audioFrame.load();
    if (!data || !audio)
        return;
    audio->data = reinterpret_cast<const char*>(data->data[0]);
    audio->length = data->frames * 4;
    getTRTCShareInstance()->sendCustomAudioData(*audio);
}
