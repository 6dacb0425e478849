#pragma once
// Minimal main window (replaced by the full window and its form).
#include "login/LoginInfo.h"

#include <QMainWindow>

class LiveMainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit LiveMainWindow(QWidget* parent = nullptr);
    void initLiveMainWindowParams(LoginInfo* loginInfo);
    void initFromLogin();

private:
    LoginInfo* m_loginInfo = nullptr;
};
