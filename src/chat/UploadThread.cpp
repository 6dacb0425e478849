#include "chat/UploadThread.h"

#include "core/ServiceConstants.h"
#include "platform/OssClient.h"

#include <QDebug>
#include <QMutexLocker>

UploadThread::UploadThread(QObject* parent) : QThread(parent), m_bucket(QString::fromLatin1(OSS_BUCKET_NAME))
{
    qRegisterMetaType<UploadWork>("UploadWork");
}

UploadThread::~UploadThread()
{
    m_running = false;
    abortUpload();
    wait();
}

void UploadThread::clearWork()
{
    QMutexLocker lock(&m_mutex);
    m_queue.clear();
}

void UploadThread::addWork(const UploadWork& work)
{
    QMutexLocker lock(&m_mutex);
    m_queue.append(work);
}

int UploadThread::queuedCount() const
{
    QMutexLocker lock(&m_mutex);
    return m_queue.size();
}

bool UploadThread::isUploading() const
{
    QMutexLocker lock(&m_mutex);
    return m_busyClient != nullptr;
}

std::shared_ptr<OssClient> UploadThread::client() const
{
    QMutexLocker lock(&m_mutex);
    return m_client;
}

void UploadThread::setClient(std::shared_ptr<OssClient> client)
{
    QMutexLocker lock(&m_mutex);
    m_client = std::move(client);
}

void UploadThread::abortUpload()
{
    QMutexLocker lock(&m_mutex);
    if (m_busyClient)
        m_busyClient->abort();
}

void UploadThread::run()
{
    while (m_running) {
        m_mutex.lock();
        if (m_queue.isEmpty() || !m_client) {
            // Work waits for a client; the lock is never kept across rounds.
            m_mutex.unlock();
            msleep(m_idleSleepMs);
            continue;
        }
        const UploadWork work = m_queue.takeFirst();
        const std::shared_ptr<OssClient> client = m_client;
        m_busyClient = client;
        m_mutex.unlock();
        if (!m_running)
            break;

        qDebug() << "work.filename:" << work.key << work.filename;
        const OssClient::Result r = client->PutObject(m_bucket, work.key, work.filename);
        {
            QMutexLocker lock(&m_mutex);
            m_busyClient.reset();
            if (!r.ok && r.status == 403 && m_client == client)
                m_client.reset();
        }
        if (r.ok) {
            // Only the plain address reaches the room: no signature travels with it.
            const QString url = client->GeneratePresignedUrl(m_bucket, work.key).section(QLatin1Char('?'), 0, 0);
            qDebug() << "UploadThread::imgUrl:" << url;
            emit sigGeneratePresignedUrl(url, work.roomId);
        } else {
            qWarning() << "PutObject " << work.filename << "failed! code:" << r.code << ", message:" << r.message;
            if (r.status == 403)
                emit sigUploadRefused(work);
        }
    }
}
