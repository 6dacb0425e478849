#pragma once
// Minimal pause/stop popup (replaced by the full popup).
#include <QDialog>

class LivePauseOrStopWidget : public QDialog
{
    Q_OBJECT
public:
    explicit LivePauseOrStopWidget(QWidget* parent = nullptr) : QDialog(parent)
    {
        setWindowFlags(Qt::FramelessWindowHint);
        setFixedSize(156, 126);
    }

signals:
    void sendPause();
    void sendStop();
};
