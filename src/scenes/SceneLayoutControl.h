#pragma once
// The scene strip of saved layouts, and the two functions that empty a layout.
//
// The strip here is a minimal stand-in (replaced by the full strip with its thumbnails): it has
// the signals the main window connects and counts the requests to use the layout in use again.

#include "scenes/InfoWidget.h"

#include <QWidget>

#include <vector>

class AddSceneDialog;
class PreviewWidget;
class QLayout;

// Takes every item out of `layout` (may be null), emptying nested layouts first; widgets and
// spacers are deleted.
void clearLayout(QLayout* layout);
// The same, but widgets are only taken out and hidden: their owners keep them.
void clearLayoutKeepWidgets(QLayout* layout);

class SceneLayoutControl : public QWidget
{
    Q_OBJECT
public:
    SceneLayoutControl(QWidget* parent, AddSceneDialog* dialog) : QWidget(parent), m_dialog(dialog) {}

    // Puts the layout in use on the canvas again (the full strip emits _use_scene_clickEX).
    void reapplySceneInUse() { ++m_reapplyCount; }
    int reapplyCount() const { return m_reapplyCount; }
    AddSceneDialog* dialog() const { return m_dialog; }

signals:
    void use_scene_click(std::vector<PreviewWidget*> preWidgetVec);
    void _use_scene_clickEX(InfoWidgetVec InfoWidgetVec, int count, int isImageNum, bool bLectureLayout);
    void close_cliceScene(int count, int isImageNum);
    void cancle_scene(int count, int isImageNum);
    void fullScreen(InfoWidgetVec InfoWidgetVec, int count, int isImageNum, int isCamNum);
    void sendMaxSceneSig();

private:
    AddSceneDialog* m_dialog = nullptr;
    int m_reapplyCount = 0;
};
