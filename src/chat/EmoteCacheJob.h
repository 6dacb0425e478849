#pragma once
// Runs the one-off emote download after login on a thread of its own. The job can be stopped
// and is always joined before it is destroyed, so it never outlives the window (and the
// application) that started it. Each fetch is handed the stop flag: a fetch that watches it ends
// at once when the job is stopped, so closing the program does not wait for a slow host.
#include <QThread>
#include <atomic>
#include <functional>
#include <memory>

class EmoteCacheJob
{
public:
    static constexpr int kEmoteCount = 205;
    using FetchOne = std::function<void(int number, const std::atomic_bool& stopRequested)>;

    // fetchOne(n, stop) is called on the job's thread for n = 1 .. count, in order.
    explicit EmoteCacheJob(FetchOne fetchOne, int count = kEmoteCount);
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
