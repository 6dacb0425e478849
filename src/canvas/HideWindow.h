#pragma once
// Minimal share strip (replaced by the full strip).
#include <QWidget>

class HideWindow : public QWidget
{
    Q_OBJECT
public:
    explicit HideWindow(QWidget* parent = nullptr) : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint) {}

signals:
    void showFloatingWindow();
};
