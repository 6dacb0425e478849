#pragma once
// The co-host page: an empty page the settings dialog holds and never shows (its tab is hidden).

#include <QDialog>

class ConnMicSettingDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ConnMicSettingDialog(QWidget* parent = nullptr);
};
