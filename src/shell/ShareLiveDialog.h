#pragma once
// Minimal share-the-live dialog (replaced by the full dialog).
#include <QDialog>

class ShareLiveDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ShareLiveDialog(QWidget* parent = nullptr) : QDialog(parent)
    {
        setWindowFlags(Qt::FramelessWindowHint);
    }
};
