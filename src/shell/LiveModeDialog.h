#pragma once
// Minimal room dialog (replaced by the full dialog).
#include <QDialog>

class LiveModeDialog : public QDialog
{
    Q_OBJECT
public:
    explicit LiveModeDialog(QWidget* parent = nullptr) : QDialog(parent) {}
};
