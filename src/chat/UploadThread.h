#pragma once
// Minimal picture-upload worker (replaced by the full worker).
#include <QThread>
#include <atomic>

class UploadThread : public QThread
{
    Q_OBJECT
public:
    explicit UploadThread(QObject* parent = nullptr) : QThread(parent) {}
    void setRunning(bool running) { m_running = running; }
    void clearWork() {}

protected:
    void run() override
    {
        while (m_running)
            msleep(50);
    }

private:
    std::atomic_bool m_running{true};
};
