#pragma once
// Minimal close prompt (replaced by the full prompt).
#include <QDialog>

class CloseDialog : public QDialog
{
    Q_OBJECT
public:
    explicit CloseDialog(QWidget* parent = nullptr) : QDialog(parent) {}
};
