#pragma once
// Hands the canvas to the real-time room as custom capture: sets the room's video encoder for the
// push size and packs every raw I420 frame libobs delivers into one reused buffer, sent at once on
// the thread that delivered it (no queue). Audio blocks go through as they are.

#include <QString>

#include <atomic>
#include <cstdint>
#include <string>

struct AVFrame;
struct video_data;
struct audio_data;
struct TrtcCustomVideoFrame;
struct TrtcCustomAudioFrame;

class PushStream
{
public:
    PushStream();
    ~PushStream();
    PushStream(const PushStream&) = delete;
    PushStream& operator=(const PushStream&) = delete;

    // (Re)initialises for the store's stream quality and configures the room's video encoder.
    // GUI thread; safe while frames are being delivered.
    void initTrtcPushVideo();
    // libobs video thread (inside the raw video bridge): packs the frame and sends it. A frame of
    // another size than the push size (the quality changed between the steps) is dropped.
    void sendCustomVideo(video_data* frame);
    // libobs audio thread: sends the block (16-bit stereo, 4 bytes per sample frame).
    void sendCustomAudio(audio_data* data);

    // The JSON text of the encoder request for the service's experimental call.
    static std::string encoderRequestText(int width, int height, int bitrate);
    // The service's resolution value for a stream quality (108, 112 or 114).
    static int resolutionValue(int quality);

    int width() const { return pushWidth; }
    int height() const { return pushHeight; }
    // Bytes of the packed frame buffer (frame length + 1 spare byte; 0 before initialisation).
    size_t frameBufferSize() const { return frameBufferLength; }
    const uint8_t* frameData() const { return frameBuffer; }
    const TrtcCustomVideoFrame* videoFrameRecord() const { return videoFrame; }
    const TrtcCustomAudioFrame* audioFrameRecord() const { return audioFrame.load(); }

private:
    AVFrame* avFrame = nullptr; // a YUV 4:2:0 frame at the push size, kept with its planes
    int streamType = 0;         // the big stream
    TrtcCustomVideoFrame* videoFrame = nullptr;
    std::atomic<TrtcCustomAudioFrame*> audioFrame{nullptr};
    uint8_t* frameBuffer = nullptr;
    size_t frameBufferLength = 0;
    int pushWidth = 0;
    int pushHeight = 0;
};
