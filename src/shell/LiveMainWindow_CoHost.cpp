// Co-host handling. Stand-in until the co-host work lands.
#include "shell/LiveMainWindow.h"

void LiveMainWindow::showConnMicInviteDialogSlot() {}

void LiveMainWindow::handleRemoteVideoAvailable(const char*, bool) {}

void LiveMainWindow::handleRemoteAudioAvailable(const char*, bool) {}

// Without co-host rows there is nobody to ask about: the popup's choice applies at once.
void LiveMainWindow::onPauseRequested() { pause_live(); }

void LiveMainWindow::onStopRequested() { stop_live(); }
