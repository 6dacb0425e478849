#include "settings/HelpSettingDialog.h"
#include "ui_HelpSettingDialog.h"

#include "core/ServiceConstants.h"

HelpSettingDialog::HelpSettingDialog(QWidget* parent) : SettingsPage(parent), ui(new Ui::HelpSettingDialog)
{
    ui->setupUi(this);
    ui->version_label->setText(QLatin1Char('V') + QLatin1String(solvek::kAppVersion));
}

HelpSettingDialog::~HelpSettingDialog()
{
    delete ui;
}
