// Documents on the canvas. Stand-in until the document handling lands.
#include "shell/LiveMainWindow.h"

void LiveMainWindow::recvUsePicslot(QString, QString) {}

void LiveMainWindow::onDocumentTileDeleted(QString, QString) {}
