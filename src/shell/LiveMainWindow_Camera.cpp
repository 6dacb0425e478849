// Camera transforms. Stand-in until the camera handling lands.
#include "shell/LiveMainWindow.h"

void LiveMainWindow::handleSceneWidgetMirror() {}

void LiveMainWindow::CancelCarmera() {}
