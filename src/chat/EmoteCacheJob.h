#pragma once
// The one-off emote download after login: cacheEmotePictures stores every emote picture in the
// emote cache (EmoteFiles), and EmoteCacheJob runs it on a thread of its own. The job can be
// stopped and is always joined before it is destroyed, so it never outlives the window (and the
// application) that started it. Each fetch is handed the stop flag: a fetch that watches it ends
// at once when the job is stopped, so closing the program does not wait for a slow host.
#include "chat/EmoteFiles.h"

#include <QThread>
#include <atomic>
#include <functional>
#include <memory>

using EmoteFetch = std::function<void(int number, const std::atomic_bool& stopRequested)>;

// Fetches emotes 1 .. count in order with fetchOne (EmoteFiles::fetchToCache when empty), until
// `stop` is raised: the fetch in progress returns, no further one starts. Counts each fetch done
// in `fetched` when given.
void cacheEmotePictures(const std::atomic_bool& stop, std::atomic_int* fetched = nullptr,
                        const EmoteFetch& fetchOne = EmoteFetch(), int count = EmoteFiles::kCount);

class EmoteCacheJob
{
public:
    static constexpr int kEmoteCount = EmoteFiles::kCount;
    using FetchOne = EmoteFetch;

    // cacheEmotePictures on the job's thread: fetchOne(n, stop) for n = 1 .. count, in order
    // (the emote cache's own fetch when empty).
    explicit EmoteCacheJob(FetchOne fetchOne = FetchOne(), int count = kEmoteCount);
    ~EmoteCacheJob();

    void start();
    // Raises the stop flag and waits until the fetch in progress has returned; no further one
    // starts.
    void stop();
    bool isRunning() const;
    int fetchedCount() const { return m_fetched; }

private:
    FetchOne m_fetchOne;
    int m_count;
    std::atomic_bool m_stopRequested{false};
    std::atomic_int m_fetched{0};
    std::unique_ptr<QThread> m_thread;
};
