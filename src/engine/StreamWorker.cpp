#include "engine/StreamWorker.h"

StreamWorker::StreamWorker() : m_thread([this] { run(); }) {}

StreamWorker::~StreamWorker()
{
    finish();
    join();
}

bool StreamWorker::post(std::function<void()> job)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_finishing)
            return false;
        m_jobs.push_back(std::move(job));
    }
    m_wake.notify_one();
    return true;
}

void StreamWorker::finish()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_finishing = true;
    }
    m_wake.notify_one();
}

void StreamWorker::join()
{
    if (m_thread.joinable())
        m_thread.join();
}

void StreamWorker::run()
{
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait(lock, [this] { return m_finishing || !m_jobs.empty(); });
            if (m_jobs.empty())
                break; // finishing, and nothing left
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        job();
    }
    m_done = true;
}
