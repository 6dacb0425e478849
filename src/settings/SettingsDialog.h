#pragma once
// Minimal settings window (replaced by the full dialog with its pages). The main window makes it
// on the first "更多设置", keeps it, and listens to the three requests below.
#include <QDialog>

class SettingsDialog : public QDialog
{
    Q_OBJECT
public:
    explicit SettingsDialog(QWidget* parent = nullptr) : QDialog(parent) {}

signals:
    // A page refused a change because a broadcast runs.
    void sendLiveInfoSig();
    // The account page's logout.
    void sendLoginOutSig();
    // The video page has set up the camera again.
    void sendShowCameraSig();
};
