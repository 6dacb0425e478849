#include "chat/EmoteCacheJob.h"

EmoteCacheJob::EmoteCacheJob(FetchOne fetchOne, int count) : m_fetchOne(std::move(fetchOne)), m_count(count)
{
}

EmoteCacheJob::~EmoteCacheJob()
{
    stop();
}

void EmoteCacheJob::start()
{
    if (m_thread)
        return;
    m_stopRequested = false;
    m_thread.reset(QThread::create([this] {
        for (int n = 1; n <= m_count && !m_stopRequested; ++n) {
            if (m_fetchOne)
                m_fetchOne(n, m_stopRequested);
            ++m_fetched;
        }
    }));
    m_thread->setObjectName("EmoteCacheJob");
    m_thread->start();
}

void EmoteCacheJob::stop()
{
    m_stopRequested = true;
    if (m_thread)
        m_thread->wait();
}

bool EmoteCacheJob::isRunning() const
{
    return m_thread && m_thread->isRunning();
}
