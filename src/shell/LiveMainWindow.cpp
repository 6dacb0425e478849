#include "shell/LiveMainWindow.h"

LiveMainWindow::LiveMainWindow(QWidget* parent) : QMainWindow(parent) {}

void LiveMainWindow::initLiveMainWindowParams(LoginInfo* loginInfo) { m_loginInfo = loginInfo; }

void LiveMainWindow::initFromLogin() {}
