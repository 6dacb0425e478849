// Preview interaction. Stand-in until the preview handling lands.
#include "shell/LiveMainWindow.h"

void LiveMainWindow::initConnections() {}

bool LiveMainWindow::eventFilter(QObject* watched, QEvent* event)
{
    return QMainWindow::eventFilter(watched, event);
}
