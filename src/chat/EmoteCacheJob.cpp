#include "chat/EmoteCacheJob.h"

void cacheEmotePictures(const std::atomic_bool& stop, std::atomic_int* fetched, const EmoteFetch& fetchOne,
                        int count)
{
    for (int n = 1; n <= count && !stop; ++n) {
        if (fetchOne)
            fetchOne(n, stop);
        else
            EmoteFiles::fetchToCache(n, &stop);
        if (fetched)
            ++*fetched;
    }
}

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
    m_thread.reset(
        QThread::create([this] { cacheEmotePictures(m_stopRequested, &m_fetched, m_fetchOne, m_count); }));
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
