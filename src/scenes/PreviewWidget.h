#pragma once
// Minimal layout tile (replaced by the full tile).
#include <QWidget>

class PreviewWidget : public QWidget
{
    Q_OBJECT
public:
    explicit PreviewWidget(QWidget* parent = nullptr) : QWidget(parent) {}
};
