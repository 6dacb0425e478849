// Camera transforms. Stand-in until the camera handling lands: the calls are only recorded.
#include "shell/LiveMainWindow.h"

void LiveMainWindow::handleSceneWidgetMirror() {}

void LiveMainWindow::CancelCarmera()
{
    m_standInCalls << "CancelCarmera";
}

void LiveMainWindow::handleDragSceneWidget()
{
    m_standInCalls << "handleDragSceneWidget";
}

void LiveMainWindow::handleGetDocumentCameraPosAndSize()
{
    m_standInCalls << "handleGetDocumentCameraPosAndSize";
}
