#pragma once
// The scene strip: the saved scene layouts of the run (at most 10) as thumbnails in a horizontally
// scrolling row, and the two functions that empty a layout.
//
// The strip opens the layout editor for a new layout ("添加布局", run modally through a replaceable
// runner) or for editing a thumbnail's layout, stores what the editor saves (it receives the
// editor's save signals during the emission and turns the tiles into records at once), and tells
// the canvas which layout to use, to show full screen or to stop using; at most one layout is in
// use. Thumbnail indexes are never reused within the run. Layouts live in memory only.
//
// The main window makes one strip without a parent, handing it the editor, and connects its
// signals to the canvas handlers; the strip connects the editor's save signals itself, so the
// window's own save handlers (connected earlier) run first.

#include "scenes/InfoWidget.h"

#include <QDialog>
#include <QString>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

class AddSceneDialog;
class LayoutWidget;
class PreviewWidget;
class QHBoxLayout;
class QLabel;
class QLayout;
class QSpacerItem;

namespace Ui
{
class SceneLayoutControl;
}

// Takes every item out of `layout` (may be null) from the front, emptying and then deleting nested
// layouts; spacers are deleted, widgets taken out, hidden and released with deleteLater (one may be
// on the stack of the signal that led here).
void clearLayout(QLayout* layout);
// The same, but widgets are only taken out and hidden: their owners keep them.
void clearLayoutKeepWidgets(QLayout* layout);

namespace scenestrip
{
constexpr int kMaxLayouts = 10;
// Wheel scrolling: the step, and the header band above which the wheel does nothing.
constexpr int kWheelStep = 180;
constexpr int kWheelTopBand = 29;

// The new left of the thumbnails' row for one wheel step, or none when it stays: `left` is the row's
// current left (0 or negative), `maximum` the scroll bar's maximum, `away` a wheel turned away from
// the user (towards the start).
std::optional<int> wheelLeft(int left, int maximum, bool away);
} // namespace scenestrip

class SceneLayoutControl : public QWidget
{
    Q_OBJECT
public:
    // Runs the editor modally for a new layout; tests replace it.
    inline static std::function<int(QDialog&)> s_runModalDialog = [](QDialog& dialog) {
        return dialog.exec();
    };

    SceneLayoutControl(QWidget* parent, AddSceneDialog* dialog);
    ~SceneLayoutControl() override;

    // Adds a thumbnail for a new layout (refused with sendMaxSceneSig when 10 exist).
    LayoutWidget* addLayoutWidget(const std::vector<PreviewWidget*>& tiles, int type,
                                  const QString& background);
    // Rebuilds the thumbnail with that index from the tiles.
    void updateLayoutWidget(const std::vector<PreviewWidget*>& tiles, int type, int index,
                            const QString& background);
    // Puts the layout in use on the canvas again; nothing when none is in use.
    void reapplySceneInUse();

    AddSceneDialog* dialog() const { return m_dialog; }
    int layoutCount() const { return m_layoutCount; }
    int nextIndex() const { return m_nextIndex; }
    // The thumbnails in row order, and the one with an index (null when there is none).
    QList<LayoutWidget*> thumbnails() const;
    LayoutWidget* thumbnail(int index) const;

signals:
    // Never emitted: the main window keeps the connection of an earlier way of using layouts.
    void use_scene_click(std::vector<PreviewWidget*> preWidgetVec);
    void _use_scene_clickEX(InfoWidgetVec InfoWidgetVec, int count, int isImageNum, bool bLectureLayout);
    void close_cliceScene(int count, int isImageNum);
    void cancle_scene(int count, int isImageNum);
    void fullScreen(InfoWidgetVec InfoWidgetVec, int count, int isImageNum, int isCamNum);
    void sendMaxSceneSig();

public slots:
    void on_add_scene_btn_clicked();
    void save_btn_clicked(std::vector<PreviewWidget*> preWidgetVec, int type, bool isPreview, int index,
                          QString strPath);
    void save_and_use_btn_clicked(std::vector<PreviewWidget*> preWidgetVec, int type, bool isPreview,
                                  int index, QString strPath);
    void use_scene_clicked(int index, int count, int isImageNum);
    void full_screen_clicked(int index, int count, int isImageNum, int isCamNum);
    void preview_clicked(InfoWidgetVec v, int type, int index, int count, int isImageNum);
    void close_clicked(int index, int count, int isImageNum);
    void cancle_clicked(int type, int index, int count, int isImageNum);

protected:
    void wheelEvent(QWheelEvent* event) override;

private:
    // Saves the editor's tiles; the index of the saved thumbnail, or -1 when nothing was saved.
    int saveLayout(const std::vector<PreviewWidget*>& tiles, int type, bool isPreview, int index,
                   const QString& background);
    void markInUse(LayoutWidget* thumbnail);
    void showCount();

    Ui::SceneLayoutControl* ui;
    AddSceneDialog* m_dialog = nullptr;
    QHBoxLayout* m_row = nullptr;
    QSpacerItem* m_spacer = nullptr; // owned by the row, or by the strip while taken out
    int m_layoutCount = 0;
    int m_nextIndex = 0;
};
