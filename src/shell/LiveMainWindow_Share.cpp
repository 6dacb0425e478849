// Desktop and window share. Stand-in until the share handling lands: the exits are only recorded.
#include "shell/LiveMainWindow.h"

void LiveMainWindow::desktop_share_clicked(int, QString) {}

void LiveMainWindow::desktop_cancel_clicked() {}

void LiveMainWindow::exit_desktop_share_clicked()
{
    m_standInCalls << "exit_desktop_share_clicked";
}

void LiveMainWindow::exit_window_share_clicked()
{
    m_standInCalls << "exit_window_share_clicked";
}
