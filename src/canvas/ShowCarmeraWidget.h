#pragma once
// Minimal separate camera preview (replaced by the full window with its menus).
#include <QWidget>

class ShowCarmeraWidget : public QWidget
{
    Q_OBJECT
public:
    explicit ShowCarmeraWidget(QWidget* parent = nullptr) : QWidget(parent) {}

signals:
    void sendCancleCamera();
};
