#pragma once
// The system page: stream quality ("LiveType"), frame rate ("LiveFps"), whether closing the main
// window asks first ("noTitleTipcheck") and what closing does without asking ("ExitCheck"). Each
// change is written at once to the settings file and to the store's member; the engine and the
// main window read them when they next need them. Building the page writes nothing: the controls
// take their state before the handlers are connected, and the handlers act on `toggled`, so a
// click on the button already checked changes nothing.

#include "settings/SettingsPage.h"

namespace Ui
{
class SystemSettingDialog;
}

class SystemSettingDialog : public SettingsPage
{
    Q_OBJECT
public:
    explicit SystemSettingDialog(QWidget* parent = nullptr);
    ~SystemSettingDialog() override;

public slots:
    // Scrolls the content widget (the page's scroll bar is not shown, so nothing calls it today).
    void changeScroll(int value);

private:
    void setQuality(int quality);
    void setFps(int fps);
    void setDontAsk(bool dontAsk);
    void setExit(bool exit);

    Ui::SystemSettingDialog* ui;
};
