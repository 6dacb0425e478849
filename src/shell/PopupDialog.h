#pragma once
// Minimal settings popup (replaced by the full popup).
#include <QDialog>

class PopupDialog : public QDialog
{
    Q_OBJECT
public:
    explicit PopupDialog(QWidget* parent = nullptr) : QDialog(parent) {}
};
