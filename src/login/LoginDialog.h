#pragma once
// Minimal login dialog (replaced by the full dialog with its panels).
#include "login/LoginInfo.h"

#include <QDialog>

class LoginDialog : public QDialog, public LoginObserver
{
    Q_OBJECT
public:
    explicit LoginDialog(QWidget* parent = nullptr);
    LoginInfo* loginInfo() { return &m_loginInfo; }
    void onLoginStatusNotify(void* loginInfo, int code) override;

signals:
    void sigAccounLoginSuccess();

private:
    LoginInfo m_loginInfo;
};
