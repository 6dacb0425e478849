// Preview menus. Stand-in until the menus land.
#include "shell/LiveMainWindow.h"

void LiveMainWindow::initRightMenu() {}
