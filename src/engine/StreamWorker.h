#pragma once
// One thread that runs, in order, the calls on one broadcast's stream output that can wait on the
// network or on the output's own threads: starting it (libobs first waits for the end of its last
// stop, whose sender may be stuck on a full socket), stopping it, and releasing it (which waits
// for its threads). The GUI thread only posts. Once finished, the thread ends after its last job;
// the engine joins it when it is done, and at shut-down at the latest.

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

class StreamWorker
{
public:
    StreamWorker();
    // Finishes and waits for the queued jobs.
    ~StreamWorker();
    StreamWorker(const StreamWorker&) = delete;
    StreamWorker& operator=(const StreamWorker&) = delete;

    // False when the worker is finishing: the job does not run.
    bool post(std::function<void()> job);
    // No more jobs: the thread ends after running what is queued.
    void finish();
    // Finished and every job has run (join() then returns at once).
    bool done() const { return m_done; }
    void join();

private:
    void run();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_jobs;
    bool m_finishing = false;
    std::atomic<bool> m_done{false};
    std::thread m_thread;
};
