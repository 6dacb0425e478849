#pragma once
// Minimal preview overlay (replaced by the full co-host video overlay).
#include <QWidget>

class VideoWindows : public QWidget
{
    Q_OBJECT
public:
    explicit VideoWindows(QWidget* parent = nullptr) : QWidget(parent) {}
};
