#include "login/LoginDialog.h"

LoginDialog::LoginDialog(QWidget* parent) : QDialog(parent) {}

void LoginDialog::onLoginStatusNotify(void* loginInfo, int code)
{
    if (code != 200 || !loginInfo)
        return;
    m_loginInfo = *static_cast<LoginInfo*>(loginInfo);
    emit sigAccounLoginSuccess();
}
