// Scene layouts on the canvas. Stand-in until the scene handling lands: the strip's requests are
// only recorded.
#include "shell/LiveMainWindow.h"

void LiveMainWindow::save_btn_clicked(std::vector<PreviewWidget*>, int, bool, int, QString) {}

void LiveMainWindow::save_and_use_btn_clicked(std::vector<PreviewWidget*>, int, bool, int, QString) {}

void LiveMainWindow::on_SetAddSceneBackground() {}

// Nothing emits the strip's use_scene_click; the slot only keeps the connection's other end.
void LiveMainWindow::use_scene_clicked(std::vector<PreviewWidget*>) {}

void LiveMainWindow::_use_scene_clickedEX(InfoWidgetVec, int, int, bool bLectureLayout)
{
    m_standInCalls << QString("_use_scene_clickedEX(%1)").arg(bLectureLayout);
}

void LiveMainWindow::_cancle_scene_clicked(int, int)
{
    m_standInCalls << "_cancle_scene_clicked";
}

void LiveMainWindow::_fullScreen(InfoWidgetVec, int, int, int)
{
    m_standInCalls << "_fullScreen";
}

void LiveMainWindow::showMaxSceneHint()
{
    m_standInCalls << "showMaxSceneHint";
}
