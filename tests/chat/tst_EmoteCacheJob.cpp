// test-label: unit
// The emote download job: every emote in order, stoppable between fetches, joined on destruction.
#include "chat/EmoteCacheJob.h"

#include <QMutex>
#include <QSemaphore>
#include <QtTest>
#include <thread>
#include <vector>

class tst_EmoteCacheJob : public QObject
{
    Q_OBJECT

private slots:
    void fetchesEveryEmoteInOrder();
    void stopEndsAfterTheFetchInProgress();
    void destructionWaitsForTheJob();
};

void tst_EmoteCacheJob::fetchesEveryEmoteInOrder()
{
    QMutex mutex;
    std::vector<int> seen;
    EmoteCacheJob job([&](int n, const std::atomic_bool&) {
        QMutexLocker lock(&mutex);
        seen.push_back(n);
    });
    job.start();
    QTRY_VERIFY_WITH_TIMEOUT(!job.isRunning(), 10000);
    QCOMPARE(job.fetchedCount(), 205);
    QMutexLocker lock(&mutex);
    QCOMPARE(int(seen.size()), 205);
    for (int i = 0; i < 205; ++i)
        QCOMPARE(seen[size_t(i)], i + 1);
}

void tst_EmoteCacheJob::stopEndsAfterTheFetchInProgress()
{
    QSemaphore entered;
    QSemaphore release;
    std::atomic_int calls{0};
    EmoteCacheJob job([&](int, const std::atomic_bool&) {
        ++calls;
        entered.release();
        release.acquire(); // a fetch that waits for its reply
    });
    job.start();
    QVERIFY(entered.tryAcquire(1, 10000));
    QVERIFY(entered.tryAcquire(0)); // the first fetch is in progress
    release.release();              // let it finish; the second one starts
    QVERIFY(entered.tryAcquire(1, 10000));
    // stop() must wait for the fetch in progress, so its reply comes while stop() waits.
    std::thread replier([&] {
        QThread::msleep(100);
        release.release();
    });
    job.stop();
    replier.join();
    QVERIFY(!job.isRunning());
    QCOMPARE(calls.load(), 2);
}

void tst_EmoteCacheJob::destructionWaitsForTheJob()
{
    std::atomic_int calls{0};
    std::atomic_bool inFetch{false};
    {
        EmoteCacheJob job([&](int, const std::atomic_bool&) {
            inFetch = true;
            ++calls;
            QThread::msleep(5);
            inFetch = false;
        });
        job.start();
        QTRY_VERIFY(calls.load() > 0);
    }
    // The destructor returned only after the fetch in progress, and no further one started.
    QVERIFY(!inFetch);
    QVERIFY(calls.load() < 205);
}

QTEST_GUILESS_MAIN(tst_EmoteCacheJob)
#include "tst_EmoteCacheJob.moc"
