#pragma once
// Minimal desktop-share bar (replaced by the full bar).
#include "canvas/HideWindow.h"

#include <QWidget>

class FloatingWindow : public QWidget
{
    Q_OBJECT
public:
    FloatingWindow(QWidget* parent, HideWindow* strip)
        : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint), m_strip(strip)
    {
    }
    bool sharing = false;

signals:
    void exit_desktop_share();

private:
    HideWindow* m_strip = nullptr;
};
