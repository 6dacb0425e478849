#pragma once
// The base of the settings dialog's pages. A page is a dialog placed inside the settings dialog's
// page area, so QDialog's own Escape handling would hide the page and leave the area empty. A page
// ignores Escape instead; the key goes on to the settings dialog, where it acts as the close button.

#include <QDialog>

class QComboBox;

class SettingsPage : public QDialog
{
    Q_OBJECT
public:
    explicit SettingsPage(QWidget* parent = nullptr) : QDialog(parent) {}

protected:
    void keyPressEvent(QKeyEvent* event) override;

    // The look of the camera and microphone lists: a list view and item delegate of their own (so
    // the style sheet's item height holds), "Microsoft YaHei" 10 pt.
    static void styleDeviceList(QComboBox* box);
};
