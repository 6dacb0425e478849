#pragma once
// Minimal window-share bar (replaced by the full bar).
#include <QWidget>

class AppPopupWindow : public QWidget
{
    Q_OBJECT
public:
    explicit AppPopupWindow(QWidget* parent = nullptr) : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint)
    {
    }

signals:
    void exit_window_share();
};
