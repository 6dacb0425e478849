#include "engine/capture/VideoFrame.h"

#include <cstring>
#include <limits>

Buffer::Buffer(uint32_t size) : size_(size), bytes_(new uint8_t[size ? size : 1]) {}

BufferPool& BufferPool::instance()
{
    static BufferPool pool;
    return pool;
}

BufferPool::Queue& BufferPool::queueFor(int size)
{
    std::lock_guard<std::mutex> lock(mutex_);
    auto& queue = queues_[size];
    if (!queue)
        queue = std::make_unique<Queue>();
    return *queue;
}

uint32_t VideoFrame::byteSize(unsigned width, unsigned height, int type)
{
    const uint64_t pixels = uint64_t(width) * uint64_t(height);
    uint64_t bytes = 0;
    if (type == kTypeBgra)
        bytes = pixels * 4;
    else if (type == kTypeI420 || type == kTypeNv12)
        bytes = pixels * 3 / 2;
    // The pool's table is keyed by an int.
    return bytes <= uint64_t(std::numeric_limits<int>::max()) ? uint32_t(bytes) : 0;
}

VideoFrame::VideoFrame(unsigned width, unsigned height, int type, bool pooled)
    : width_(width), height_(height), type_(type), size_(byteSize(width, height, type)), pooled_(pooled)
{
    if (size_ == 0 && uint64_t(width) * height != 0) {
        width_ = 0;
        height_ = 0;
    }
    if (pooled_) {
        std::shared_ptr<Buffer> spare;
        if (BufferPool::instance().queueFor(int(size_)).try_dequeue(spare) && spare && spare->size() == size_)
            buffer_ = std::move(spare);
        else
            buffer_ = std::make_shared<Buffer>(size_);
    } else {
        data_.reset(new uint8_t[size_ ? size_ : 1]);
    }
}

VideoFrame::~VideoFrame()
{
    // A buffer the queue can't take is simply freed with the frame.
    if (pooled_ && buffer_)
        BufferPool::instance().queueFor(int(size_)).enqueue(std::move(buffer_));
}

bool VideoFrame::copyFromBgra(const uint8_t* bits, int width, int height, int stride, bool opaque)
{
    if (type_ != kTypeBgra || !bits || width <= 0 || height <= 0 || unsigned(width) > width_ ||
        unsigned(height) > height_ || stride < 4 * width || !data())
        return false;
    uint8_t* out = data();
    const size_t rowBytes = size_t(4) * width_;
    for (int y = 0; y < height; ++y) {
        uint8_t* row = out + size_t(y) * rowBytes;
        std::memcpy(row, bits + size_t(y) * size_t(stride), size_t(4) * size_t(width));
        if (opaque)
            for (int x = 0; x < width; ++x)
                row[4 * x + 3] = 0xFF;
    }
    return true;
}
