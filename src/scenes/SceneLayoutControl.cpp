#include "scenes/SceneLayoutControl.h"

#include "scenes/AddSceneDialog.h"
#include "scenes/LayoutWidget.h"
#include "ui_SceneLayoutControl.h"

#include <QHBoxLayout>
#include <QLayout>
#include <QPointer>
#include <QScrollBar>
#include <QSpacerItem>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>

namespace
{
void emptyLayout(QLayout* layout, bool deleteWidgets)
{
    if (!layout)
        return;
    while (QLayoutItem* item = layout->takeAt(0)) {
        if (QLayout* child = item->layout()) {
            emptyLayout(child, deleteWidgets);
            // The nested layout is the item itself: deleting the item deletes it.
        } else if (QWidget* widget = item->widget()) {
            widget->hide();
            if (deleteWidgets)
                widget->deleteLater();
        }
        delete item;
    }
}
} // namespace

void clearLayout(QLayout* layout)
{
    emptyLayout(layout, true);
}

void clearLayoutKeepWidgets(QLayout* layout)
{
    emptyLayout(layout, false);
}

std::optional<int> scenestrip::wheelLeft(int left, int maximum, bool away)
{
    if (away) {
        if (left >= 0)
            return std::nullopt;
        return std::min(left + kWheelStep, 0);
    }
    if (std::abs(left) > maximum)
        return std::nullopt;
    const int next = left - kWheelStep;
    return std::abs(next) > maximum ? -maximum : next;
}

SceneLayoutControl::SceneLayoutControl(QWidget* parent, AddSceneDialog* dialog)
    : QWidget(parent), ui(new Ui::SceneLayoutControl), m_dialog(dialog)
{
    ui->setupUi(this);
    m_row = ui->row_layout;
    m_spacer = new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum);
    m_row->addItem(m_spacer);
    if (m_dialog) {
        connect(m_dialog, &AddSceneDialog::save_clicked, this, &SceneLayoutControl::save_btn_clicked);
        connect(m_dialog, &AddSceneDialog::save_and_use_clicked, this,
                &SceneLayoutControl::save_and_use_btn_clicked);
    }
}

SceneLayoutControl::~SceneLayoutControl()
{
    delete ui;
}

QList<LayoutWidget*> SceneLayoutControl::thumbnails() const
{
    QList<LayoutWidget*> out;
    for (int i = 0; i < m_row->count(); ++i) {
        if (auto* thumbnail = qobject_cast<LayoutWidget*>(m_row->itemAt(i)->widget()))
            out.append(thumbnail);
    }
    return out;
}

LayoutWidget* SceneLayoutControl::thumbnail(int index) const
{
    for (LayoutWidget* thumbnail : thumbnails()) {
        if (thumbnail->getIndex() == index)
            return thumbnail;
    }
    return nullptr;
}

void SceneLayoutControl::showCount()
{
    ui->layout_num_label->setText(QString("(%1/%2)").arg(m_layoutCount).arg(scenestrip::kMaxLayouts));
}

void SceneLayoutControl::on_add_scene_btn_clicked()
{
    if (m_layoutCount >= scenestrip::kMaxLayouts) {
        emit sendMaxSceneSig();
        return;
    }
    if (!m_dialog)
        return;
    m_dialog->resetForNew(false, 0);
    s_runModalDialog(*m_dialog);
}

LayoutWidget* SceneLayoutControl::addLayoutWidget(const std::vector<PreviewWidget*>& tiles, int type,
                                                  const QString& background)
{
    // The canvas page's own button opens the editor too: the limit holds here for every way in.
    if (m_layoutCount >= scenestrip::kMaxLayouts) {
        emit sendMaxSceneSig();
        return nullptr;
    }
    m_row->removeItem(m_spacer);
    auto* thumbnail = new LayoutWidget(ui->scrollAreaWidgetContents, type, m_nextIndex, tiles, background);
    connect(thumbnail, &LayoutWidget::full_screen_click, this, &SceneLayoutControl::full_screen_clicked);
    connect(thumbnail, &LayoutWidget::preview_click, this, &SceneLayoutControl::preview_clicked);
    connect(thumbnail, &LayoutWidget::close_click, this, &SceneLayoutControl::close_clicked);
    connect(thumbnail, &LayoutWidget::use_scene_click, this, &SceneLayoutControl::use_scene_clicked);
    connect(thumbnail, &LayoutWidget::cancle_btn_click, this, &SceneLayoutControl::cancle_clicked);
    m_row->addWidget(thumbnail);
    m_row->addItem(m_spacer);
    thumbnail->show();
    ++m_nextIndex;
    ++m_layoutCount;
    showCount();
    return thumbnail;
}

void SceneLayoutControl::updateLayoutWidget(const std::vector<PreviewWidget*>& tiles, int type, int index,
                                            const QString& background)
{
    for (LayoutWidget* thumbnail : thumbnails()) {
        if (thumbnail->getIndex() == index)
            thumbnail->setPreviewWidgets(tiles, type, background);
    }
}

int SceneLayoutControl::saveLayout(const std::vector<PreviewWidget*>& tiles, int type, bool isPreview,
                                   int index, const QString& background)
{
    if (isPreview) {
        // The thumbnail may have been deleted while the editor was open.
        if (!thumbnail(index))
            return -1;
        updateLayoutWidget(tiles, type, index, background);
        return index;
    }
    LayoutWidget* added = addLayoutWidget(tiles, type, background);
    return added ? added->getIndex() : -1;
}

void SceneLayoutControl::save_btn_clicked(std::vector<PreviewWidget*> preWidgetVec, int type, bool isPreview,
                                          int index, QString strPath)
{
    saveLayout(preWidgetVec, type, isPreview, index, strPath);
    // Saving stops nothing: the layout in use gets its in-use look back (a rebuilt thumbnail lost it)
    // and the canvas its current records, and the window's scene flag, reset by its own save
    // handler before this one ran, is set again.
    reapplySceneInUse();
}

void SceneLayoutControl::save_and_use_btn_clicked(std::vector<PreviewWidget*> preWidgetVec, int type,
                                                  bool isPreview, int index, QString strPath)
{
    const int saved = saveLayout(preWidgetVec, type, isPreview, index, strPath);
    if (saved >= 0)
        use_scene_clicked(saved, 0, 0);
    else
        reapplySceneInUse();
}

void SceneLayoutControl::markInUse(LayoutWidget* thumbnail)
{
    thumbnail->setState(LayoutWidget::InUse);
    thumbnail->hideButtons();
}

void SceneLayoutControl::use_scene_clicked(int index, int, int)
{
    // An index that is gone changes nothing: the layout in use stays in use.
    const QPointer<LayoutWidget> used = thumbnail(index);
    if (!used)
        return;
    for (LayoutWidget* other : thumbnails()) {
        if (other != used)
            other->setState(LayoutWidget::IdleOtherInUse);
    }
    markInUse(used);
    emit _use_scene_clickEX(used->records(), used->getCount(), used->getImageNum(), used->getType() == 0);
}

void SceneLayoutControl::full_screen_clicked(int index, int count, int isImageNum, int isCamNum)
{
    if (LayoutWidget* shown = thumbnail(index))
        emit fullScreen(shown->records(), count, isImageNum, isCamNum);
}

void SceneLayoutControl::preview_clicked(InfoWidgetVec v, int type, int index, int, int)
{
    if (m_dialog)
        m_dialog->loadScene(v, type, index, true);
}

void SceneLayoutControl::cancle_clicked(int, int index, int count, int isImageNum)
{
    LayoutWidget* cancelled = thumbnail(index);
    if (!cancelled || cancelled->getState() != LayoutWidget::InUse)
        return;
    cancelled->setState(LayoutWidget::Idle);
    emit cancle_scene(count, isImageNum);
}

void SceneLayoutControl::close_clicked(int index, int count, int isImageNum)
{
    QPointer<LayoutWidget> closed = thumbnail(index);
    if (!closed)
        return;
    // The canvas stops using the layout while its thumbnail is still there.
    if (closed->getState() == LayoutWidget::InUse)
        emit close_cliceScene(count, isImageNum);
    if (!closed || m_row->indexOf(closed) < 0)
        return;
    m_row->removeWidget(closed);
    closed->hide();
    // The request came from the thumbnail's own close button.
    closed->deleteLater();
    --m_layoutCount;
    showCount();
}

void SceneLayoutControl::reapplySceneInUse()
{
    for (LayoutWidget* thumbnail : thumbnails()) {
        if (thumbnail->getState() != LayoutWidget::InUse)
            continue;
        markInUse(thumbnail);
        emit _use_scene_clickEX(thumbnail->records(), thumbnail->getCount(), thumbnail->getImageNum(),
                                thumbnail->getType() == 0);
        return;
    }
}

void SceneLayoutControl::wheelEvent(QWheelEvent* event)
{
    QScrollBar* bar = ui->scrollArea->horizontalScrollBar();
    const int maximum = bar->maximum();
    if (event->position().y() < scenestrip::kWheelTopBand || maximum == 0) {
        event->ignore();
        return;
    }
    QWidget* contents = ui->scrollAreaWidgetContents;
    const std::optional<int> left =
        scenestrip::wheelLeft(contents->x(), maximum, event->angleDelta().y() >= 0);
    if (left) {
        contents->move(*left, contents->y());
        bar->setValue(std::abs(*left));
    }
    event->accept();
}
