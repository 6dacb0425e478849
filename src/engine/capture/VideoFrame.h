#pragma once
// Captured images and the pool their pixel memory comes from.
//
// A VideoFrame is one image, always held through a shared pointer. Frames made with `pooled` take
// their bytes from BufferPool, one queue of spare buffers per byte size, and give them back when
// they go, so repeated grabs of one size reuse their memory; the others own their bytes. Frames may
// be released on any thread: the queues are lock-free, and the table of queues is guarded.

#include <concurrentqueue/concurrentqueue.h>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

// A block of pixel memory, allocated uninitialised.
class Buffer
{
public:
    explicit Buffer(uint32_t size);
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;
    uint32_t size() const { return size_; }
    uint8_t* data() { return bytes_.get(); }

private:
    uint32_t size_;
    std::unique_ptr<uint8_t[]> bytes_;
};

class BufferPool
{
public:
    using Queue = moodycamel::ConcurrentQueue<std::shared_ptr<Buffer>>;
    static BufferPool& instance();
    // The queue of spare buffers of `size` bytes, made empty on first use; it lives as long as the
    // pool.
    Queue& queueFor(int size);

private:
    BufferPool() = default;
    std::mutex mutex_;
    std::map<int, std::unique_ptr<Queue>> queues_;
};

class VideoFrame
{
public:
    // 32-bit BGRA, 4 bytes per pixel; the only type made by this program.
    static constexpr int kTypeBgra = 0;
    // Two layouts of 12 bits per pixel.
    static constexpr int kTypeI420 = 1;
    static constexpr int kTypeNv12 = 2;

    // A size whose bytes don't fit 32 bits gives an empty frame (0 x 0, no bytes).
    VideoFrame(unsigned width, unsigned height, int type = kTypeBgra, bool pooled = false);
    ~VideoFrame();
    VideoFrame(const VideoFrame&) = delete;
    VideoFrame& operator=(const VideoFrame&) = delete;

    uint8_t* data() { return pooled_ ? (buffer_ ? buffer_->data() : nullptr) : data_.get(); }
    const uint8_t* data() const { return const_cast<VideoFrame*>(this)->data(); }
    unsigned width() const { return width_; }
    unsigned height() const { return height_; }
    int type() const { return type_; }
    uint32_t size() const { return size_; }
    bool pooled() const { return pooled_; }

    // Bytes of a frame of that size and type (0 for an unknown type or one too large).
    static uint32_t byteSize(unsigned width, unsigned height, int type);

    // Copies BGRA rows `stride` bytes apart into a BGRA frame of at least that size; the alpha byte
    // is set to opaque when `opaque`. False when the frame is no BGRA frame of that size.
    bool copyFromBgra(const uint8_t* bits, int width, int height, int stride, bool opaque);

private:
    unsigned width_;
    unsigned height_;
    int type_;
    uint32_t size_;
    bool pooled_;
    std::unique_ptr<uint8_t[]> data_;
    std::shared_ptr<Buffer> buffer_;
};
