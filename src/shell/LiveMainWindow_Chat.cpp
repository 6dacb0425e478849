// Chat and audience. Stand-in until the side panel and the emote cache land.
#include "shell/LiveMainWindow.h"

void LiveMainWindow::initChatTabBar() {}

void LiveMainWindow::initTipPage() {}

void LiveMainWindow::initChatPage() {}

void LiveMainWindow::initOnlineUserPage() {}

void LiveMainWindow::downloadEmote(int) {}
