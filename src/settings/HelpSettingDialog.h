#pragma once
// The help page: the program's version. Its update check and help centre are not offered.

#include "settings/SettingsPage.h"

namespace Ui
{
class HelpSettingDialog;
}

class HelpSettingDialog : public SettingsPage
{
    Q_OBJECT
public:
    explicit HelpSettingDialog(QWidget* parent = nullptr);
    ~HelpSettingDialog() override;

private:
    Ui::HelpSettingDialog* ui;
};
