// Scene layouts on the canvas. Stand-in until the scene handling lands.
#include "shell/LiveMainWindow.h"

void LiveMainWindow::save_btn_clicked(std::vector<PreviewWidget*>, int, bool, int, QString) {}

void LiveMainWindow::save_and_use_btn_clicked(std::vector<PreviewWidget*>, int, bool, int, QString) {}

void LiveMainWindow::on_SetAddSceneBackground() {}
