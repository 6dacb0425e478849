#pragma once
// The popup above the live button while a broadcast runs: pause ("暂停直播") or stop ("结束直播").
// It only reports the choice and hides itself; the main window pauses and stops. It is an
// ordinary child of the main window (frameless, no window type), so it moves with the window.
#include <QDialog>

class QFrame;
class QLabel;

class LivePauseOrStopWidget : public QDialog
{
    Q_OBJECT
public:
    explicit LivePauseOrStopWidget(QWidget* parent = nullptr);

    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    void sendPause();
    void sendStop();

private:
    QFrame* m_frame = nullptr;
    QLabel* m_pauseIcon = nullptr;
    QLabel* m_pauseTitle = nullptr;
    QLabel* m_pauseDesc = nullptr;
    QLabel* m_stopIcon = nullptr;
    QLabel* m_stopTitle = nullptr;
    QLabel* m_stopDesc = nullptr;
};
