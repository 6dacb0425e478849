#include "settings/ConnMicSettingDialog.h"

ConnMicSettingDialog::ConnMicSettingDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ConnMicSettingDialog"));
    resize(482, 528);
    setWindowTitle(QStringLiteral("Dialog"));
}
