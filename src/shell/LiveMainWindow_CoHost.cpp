// Co-host handling. Stand-in until the co-host work lands.
#include "shell/LiveMainWindow.h"

void LiveMainWindow::showConnMicInviteDialogSlot() {}

void LiveMainWindow::handleRemoteVideoAvailable(const char*, bool) {}

void LiveMainWindow::handleRemoteAudioAvailable(const char*, bool) {}

void LiveMainWindow::onPauseRequested() {}

void LiveMainWindow::onStopRequested() {}
