#pragma once
// The picture-upload worker: takes queued pictures oldest first and uploads each with the
// current storage client, one at a time. The queue and the client pointer are guarded by one
// mutex; an upload runs unlocked with its own reference to the client, so replacing or dropping
// the client meanwhile is safe. Results come back as queued signals on the receiver's thread.

#include "chat/UploadWork.h"

#include <QList>
#include <QMutex>
#include <QThread>
#include <atomic>
#include <memory>

class OssClient;

class UploadThread : public QThread
{
    Q_OBJECT
public:
    explicit UploadThread(QObject* parent = nullptr);
    ~UploadThread() override;

    void setRunning(bool running) { m_running = running; }
    // Drops every queued picture that has not started uploading.
    void clearWork();
    void addWork(const UploadWork& work);
    int queuedCount() const;
    // Whether an upload is in progress.
    bool isUploading() const;

    std::shared_ptr<OssClient> client() const;
    bool hasClient() const { return client() != nullptr; }
    // Replaces the client (none drops it); an upload in progress keeps the one it started with.
    void setClient(std::shared_ptr<OssClient> client);
    // Ends the upload in progress at once (closing the window).
    void abortUpload();

    QString bucket() const { return m_bucket; }
    void setIdleSleepMs(int ms) { m_idleSleepMs = ms; }

signals:
    // The object's plain address (no query) for the room the picture was chosen in.
    void sigGeneratePresignedUrl(QString imgUrl, qint64 roomId);
    // The storage refused the credentials (HTTP 403); the client has been dropped.
    void sigUploadRefused(UploadWork work);

protected:
    void run() override;

private:
    std::atomic_bool m_running{true};
    std::shared_ptr<OssClient> m_client;
    std::shared_ptr<OssClient> m_busyClient; // the client of the upload in progress
    mutable QMutex m_mutex;
    QList<UploadWork> m_queue;
    QString m_bucket;
    int m_idleSleepMs = 50;
};

Q_DECLARE_METATYPE(UploadWork)
