// Scene layouts on the canvas: applying a saved layout as engine sources, cancelling it, showing it
// full screen, turning the pages of its picture tiles with the wheel, what the editor's save
// buttons mean for the window, the editor's background picture and the layout hints.
#include "shell/LiveMainWindow.h"

#include "canvas/SceneCanvasGeometry.h"
#include "cohost/SceneWidget.h"
#include "core/DataCenter.h"
#include "core/ImageUtils.h"
#include "core/PictureDecoder.h"
#include "engine/LiveCore.h"
#include "scenes/AddSceneDialog.h"
#include "scenes/SceneLayoutControl.h"
#include "scenes/SceneRecords.h"
#include "widgets/PopTipDlg.h"
#include "ui_LiveMainWindow.h"

#include <QDebug>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <utility>

namespace
{
const char* kCameraSource = "camera source";

// A background picture this large or larger is refused (2 MiB + 1 KiB).
constexpr qint64 kMaxBackgroundBytes = 2098176;

// Every picture source of an application takes the next number ("image_source%1"), the
// background first; each application starts again at 1.
int s_pictureSourceCounter = 1;

QString nextPictureSourceName()
{
    return QString("image_source%1").arg(s_pictureSourceCounter++);
}

QByteArray utf8(const QString& text)
{
    return text.toUtf8();
}

using PictureSizes = std::map<QString, QSize>;

// Reads the pictures' pixel sizes off the window's thread and hands them to `done` on it, unless
// `receiver` is gone by then. A picture that does not load (or is larger than pictures may be)
// counts as 0 x 0. With nothing to read, `done` runs at once.
void readPictureSizes(const QStringList& paths, QObject* receiver, std::function<void(const PictureSizes&)> done)
{
    QStringList toRead;
    for (const QString& path : paths) {
        if (!path.isEmpty() && !toRead.contains(path))
            toRead << path;
    }
    if (toRead.isEmpty()) {
        done({});
        return;
    }
    auto sizes = std::make_shared<PictureSizes>();
    auto left = std::make_shared<int>(toRead.size());
    auto finish = std::make_shared<std::function<void(const PictureSizes&)>>(std::move(done));
    for (const QString& path : toRead) {
        PictureDecoder::decodeFileLater(path, -1, QSize(), receiver,
                                        [sizes, left, finish, path](const QImage& picture) {
                                            (*sizes)[path] = QSize(picture.width(), picture.height());
                                            if (--*left == 0)
                                                (*finish)(*sizes);
                                        });
    }
}

// The picture's pixel size as read; the store keeps it too, where the engine's sizing reads it.
QSize pictureSize(const PictureSizes& sizes, const QString& path)
{
    const auto found = sizes.find(path);
    const QSize size = found == sizes.end() ? QSize(0, 0) : found->second;
    auto store = CDataCenter::getInstance();
    store->docImageWidth = size.width();
    store->docImageHeight = size.height();
    return size;
}

void place(LiveCore* core, const QString& name, const scenecanvas::Placement& p)
{
    const QByteArray n = utf8(name);
    switch (p.call) {
    case scenecanvas::SizeCall::None:
        return;
    case scenecanvas::SizeCall::Size:
        core->scene_set_source_size(n.constData(), p.width, p.height, false, false);
        break;
    case scenecanvas::SizeCall::SizeF:
        core->scene_set_source_sizef(n.constData(), p.widthF, p.heightF, false, false);
        break;
    case scenecanvas::SizeCall::BaseSize:
        core->scene_set_source_base_size(n.constData(), p.widthF, p.heightF, 0, false, false);
        break;
    }
    core->scene_set_source_pos(n.constData(), p.x, p.y);
}

// Moves every source by its value, in name order first and then stably by value, so equal values
// keep their name order.
void stackByValue(LiveCore* core, const std::map<QString, int>& order)
{
    std::vector<std::pair<QString, int>> pairs(order.begin(), order.end());
    std::stable_sort(pairs.begin(), pairs.end(),
                     [](const auto& a, const auto& b) { return a.second < b.second; });
    for (const auto& pair : pairs)
        core->scene_move_source_order(utf8(pair.first).constData(), pair.second);
}

bool isCameraTile(const InfoWidgetPtr& tile)
{
    return tile && tile->content == kSceneCameraContent;
}

// The number of files in a page folder, whatever their names.
int fileCount(const QString& folder)
{
    if (folder.isEmpty())
        return 0;
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System).size();
}
} // namespace

std::function<QString(QWidget*, const QString&, const QString&, const QString&)> LiveMainWindow::s_chooseOpenFile =
    [](QWidget* parent, const QString& caption, const QString& folder, const QString& filter) {
        return QFileDialog::getOpenFileName(parent, caption, folder, filter);
    };

void LiveMainWindow::save_btn_clicked(std::vector<PreviewWidget*>, int, bool, int, QString)
{
    clearLayout(m_placeholderLayout);
    m_sceneState = 0;
}

void LiveMainWindow::save_and_use_btn_clicked(std::vector<PreviewWidget*>, int, bool, int, QString)
{
    // The strip applies the scene itself.
    clearLayout(m_placeholderLayout);
    m_sceneState = 1;
}

void LiveMainWindow::on_SetAddSceneBackground()
{
    const QString path = s_chooseOpenFile(m_addSceneDialog, QString::fromUtf8("选择图片"), QDir::homePath(),
                                          "all(*.png *.jpg)");
    if (path.isEmpty() || !m_addSceneDialog)
        return;
    if (QFileInfo(path).size() < kMaxBackgroundBytes)
        m_addSceneDialog->setBackground(path);
    else
        showSceneHint(QString::fromUtf8("仅支持2M以内的图片"), m_addSceneDialog);
}

// Nothing emits the strip's use_scene_click; the slot only keeps the connection's other end.
void LiveMainWindow::use_scene_clicked(std::vector<PreviewWidget*>) {}

void LiveMainWindow::_use_scene_clickedEX(InfoWidgetVec InfoWidgetVec, int, int, bool bLectureLayout)
{
    applySceneWhenRead(InfoWidgetVec, bLectureLayout, nullptr);
}

QString LiveMainWindow::sceneTilePicturePath(const InfoWidgetPtr& tile, const QString& sourceName,
                                             bool fullScreen) const
{
    if (fullScreen) {
        const auto page = m_pageIndexes.find(sourceName);
        if (page != m_pageIndexes.end())
            return tile->folder + "/pic" + QString::number(page->second) + ".png";
    }
    return tile->filePath;
}

void LiveMainWindow::dropPendingSceneWork()
{
    ++m_sceneApplyGeneration;
    m_sceneApplyPending = false;
}

void LiveMainWindow::applySceneWhenRead(const InfoWidgetVec& tiles, bool lectureLayout, std::function<void()> then)
{
    // The pictures the layout shows, named as the apply will name their sources: the background
    // first, then the picture tiles. An apply asked for in full screen keeps the pages turned there
    // even when the host left full screen while the sizes were read.
    const bool fullScreen = m_isFullScreen;
    QStringList paths;
    int number = 1;
    if (!tiles.empty() && tiles.front() && !tiles.front()->background.isEmpty()) {
        paths << tiles.front()->background;
        ++number;
    }
    for (const InfoWidgetPtr& tile : tiles) {
        if (tile && !isCameraTile(tile))
            paths << sceneTilePicturePath(tile, QString("image_source%1").arg(number++), fullScreen);
    }
    dropPendingSceneWork();
    const quint64 generation = m_sceneApplyGeneration;
    m_sceneApplyPending = true;
    readPictureSizes(paths, this,
                     [this, generation, tiles, lectureLayout, fullScreen, then](const PictureSizes& sizes) {
        if (generation != m_sceneApplyGeneration)
            return;
        m_sceneApplyPending = false;
        applySceneLayout(tiles, lectureLayout, fullScreen, sizes);
        if (then)
            then();
    });
}

void LiveMainWindow::applySceneLayout(const InfoWidgetVec& InfoWidgetVec, bool bLectureLayout, bool fullScreen,
                                      const std::map<QString, QSize>& sizes)
{
    auto* core = LiveCore::get_instance();
    auto store = CDataCenter::getInstance();
    QWidget* preview = ui->preview_widget;
    const auto fitPreviewToFrame = [this, preview] {
        preview->resize(ui->render_frame->size());
        preview->move(ui->render_frame->pos());
    };

    // 1. Outside full screen the label covers the preview.
    if (!m_isFullScreen) {
        fitPreviewToFrame();
        m_sceneLbl->setMinimumSize(0, 0);
        m_sceneLbl->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        m_sceneLbl->setGeometry(QRect(QPoint(0, 0), preview->size()));
    }
    // 2.
    core->source_set_camera_enabled(kCameraSource, true);
    clearLayout(m_placeholderLayout);
    m_sceneState = 1;
    // 3.
    m_sceneZOrder.clear();
    // Also a label shown inside a window not shown yet.
    m_sceneLbl->hide();
    m_Prelbl->hide();
    m_sceneInfoWidgets.clear();
    // 4. Full screen keeps the pages the host turned to.
    removeSceneSources();
    if (!fullScreen)
        m_pageIndexes.clear();
    // 5.
    m_sceneInfoWidgets = InfoWidgetVec;
    // 6.
    for (const QString& name : m_cameraNames) {
        core->core_destory_display(utf8(name).constData());
        core->core_destroy_main_display(utf8(name).constData());
    }
    removeCameraCopies();
    // 7.
    fitPreviewToFrame();
    // 8.
    s_pictureSourceCounter = 1;
    qDebug() << "_use_scene_clickedEX start\n";
    // 9.
    core->core_destory_display(kCameraSource);
    core->core_destroy_main_display(kCameraSource);
    if (!core->scene_has_source(kCameraSource))
        core->scene_add_source(nullptr, nullptr, kCameraSource, true);
    // 10. The main display on the label also fits the preview scale to it.
    const int W = preview->width();
    const int H = preview->height();
    m_sceneDisplayWindow = quintptr(m_sceneLbl->winId());
    core->core_create_main_display(static_cast<LiveWindowHandle>(m_sceneDisplayWindow), true);

    // 11. Camera pass: the host camera for the first camera tile, copies for the others.
    for (const InfoWidgetPtr& tile : InfoWidgetVec) {
        if (isCameraTile(tile)) {
            if (m_cameraNames.empty()) {
                m_cameraNames.push_back(kCameraSource);
                m_sceneZOrder[kCameraSource] = tile->num;
            } else {
                const QString name = QString("camera source%1").arg(m_cameraNames.size());
                m_sceneZOrder[name] = tile->num;
                core->core_duplicate_source(kCameraSource, utf8(name).constData());
                m_cameraNames.push_back(name);
            }
        }
    }
    // Every record of a layout carries its background; the first one's counts.
    const QString backgroundPath =
        !InfoWidgetVec.empty() && InfoWidgetVec.front() ? InfoWidgetVec.front()->background : QString();

    // 12. The background, at the bottom.
    if (!backgroundPath.isEmpty()) {
        const QSize size = pictureSize(sizes, backgroundPath);
        const QString name = nextPictureSourceName();
        m_sceneSources.push_back(SceneSourceInfo{name, 0, 0, 0, 0, "", "", true, -1});
        m_sceneZOrder[name] = -1;
        const QByteArray n = utf8(name);
        core->core_create_image_source(n.constData(), 0);
        core->source_set_image_file(n.constData(), backgroundPath, false);
        if (!core->scene_has_source(n.constData()))
            core->scene_add_source(nullptr, nullptr, n.constData(), true);
        place(core, name,
              scenecanvas::background(size.width(), size.height(), m_sceneLbl->width(), m_sceneLbl->height(),
                                      m_canvasWidth, m_canvasHeight));
        core->scene_move_source_order(n.constData(), -100);
    }
    // 13.
    if (m_cameraNames.empty())
        core->source_set_camera_enabled(kCameraSource, false);
    // 14.
    core->core_update_preview_scale(store->screenWidth, store->screenHeight);
    const float P = core->core_get_preview_scale();

    // 15. Picture pass.
    for (const InfoWidgetPtr& tile : InfoWidgetVec) {
        if (!tile || isCameraTile(tile))
            continue;
        const QString name = nextPictureSourceName();
        const QString path = sceneTilePicturePath(tile, name, fullScreen);
        m_sceneZOrder[name] = tile->num;
        if (!fullScreen)
            m_pageIndexes[name] = 0;
        const QSize size = pictureSize(sizes, path);
        m_sceneSources.push_back(SceneSourceInfo{name, tile->rect.x, tile->rect.y, tile->rect.w, tile->rect.h,
                                                 tile->folder, path, false, tile->num});
        const QByteArray n = utf8(name);
        if (!path.isEmpty()) {
            core->core_create_image_source(n.constData(), 0);
            core->source_set_image_file(n.constData(), path, false);
            if (!core->scene_has_source(n.constData()))
                core->scene_add_source(nullptr, nullptr, n.constData(), true);
        }
        place(core, name,
              scenecanvas::pictureOnApply(scenecanvas::tilePixels(tile->rect, W, H), size.width(), size.height(),
                                          W, H, m_canvasWidth, m_canvasHeight, P));
    }

    // 16. Camera placement, in tile order.
    size_t camera = 0;
    for (const InfoWidgetPtr& tile : InfoWidgetVec) {
        if (!isCameraTile(tile) || camera >= m_cameraNames.size())
            continue;
        const int previewW = preview->width();
        const int previewH = preview->height();
        place(core, m_cameraNames[camera++],
              scenecanvas::cameraTile(scenecanvas::tilePixels(tile->rect, previewW, previewH), previewW, previewH,
                                      m_canvasWidth, m_canvasHeight, store->cameraMirror));
    }
    // 17.
    if (bLectureLayout)
        core->scene_move_source_order(kCameraSource, 100);
    // 18.
    stackByValue(core, m_sceneZOrder);
    // 19.
    m_sceneLbl->show();
    if (m_sceneWidget)
        m_sceneWidget->setCameraShown(false);
}

void LiveMainWindow::_cancle_scene_clicked(int, int)
{
    dropPendingSceneWork();
    auto* core = LiveCore::get_instance();
    core->source_set_camera_enabled(kCameraSource, true);
    m_sceneState = -1;
    m_sceneLbl->hide();
    m_Prelbl->hide();

    removeSceneSources();
    for (const QString& name : m_cameraNames) {
        core->core_destory_display(utf8(name).constData());
        core->core_destroy_main_display(utf8(name).constData());
    }
    removeCameraCopies();
    m_sceneInfoWidgets.clear();
    m_pageIndexes.clear();

    // The camera goes back into the host's own tile and over the whole canvas.
    core->core_create_display(kCameraSource, static_cast<LiveWindowHandle>(m_sceneWidget->cameraViewWinId()));
    placeCameraOverCanvas();
    selectLivetype(mainwin::LiveTypeSceneLayout);
}

void LiveMainWindow::placeCameraOverCanvas()
{
    auto* core = LiveCore::get_instance();
    auto store = CDataCenter::getInstance();
    const int width = store->screenWidth;
    const int height = store->screenHeight;
    core->core_update_preview_scale(width, height);
    // Mirrored, the camera is drawn leftwards from the canvas's right edge.
    if (store->cameraMirror) {
        core->scene_set_source_size(kCameraSource, -width, height, true, false);
        core->scene_set_source_pos(kCameraSource, width, 0);
    } else {
        core->scene_set_source_size(kCameraSource, width, height, true, false);
        core->scene_set_source_pos(kCameraSource, 0, 0);
    }
}

void LiveMainWindow::_fullScreen(InfoWidgetVec InfoWidgetVec, int count, int isImageNum, int)
{
    qDebug() << "LiveMainWindow::_fullScreen";
    m_isFullScreen = true;
    if (!m_sceneLbl->isVisible())
        return;

    m_sceneLbl->setParent(nullptr);
    m_sceneLbl->setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    m_sceneLbl->move(0, 0);
    m_sceneLbl->setFixedSize(m_canvasWidth, m_canvasHeight);
    qDebug() << "LiveMainWindow::_fullScreen111111111111111111111111";
    m_sceneLbl->showFullScreen();
    m_sceneLbl->raise();

    // The re-application stacks by tile number; the host's own order is put back afterwards.
    auto* core = LiveCore::get_instance();
    std::map<QString, int> order;
    const auto keepOrder = [core, &order](const QString& name) {
        int position = 0;
        int total = 0;
        core->scene_get_source_order(utf8(name).constData(), &position, &total);
        order.emplace(name, position); // the first value of a name wins
    };
    for (const QString& name : m_cameraNames)
        keepOrder(name);
    for (const SceneSourceInfo& source : m_sceneSources)
        keepOrder(source.name);

    applySceneWhenRead(InfoWidgetVec, false, [core, order] { stackByValue(core, order); });
}

void LiveMainWindow::leaveSceneFullScreen()
{
    m_isFullScreen = false;
    m_sceneLbl->setParent(ui->preview_widget);
    m_sceneLbl->setWindowFlags(Qt::SubWindow);
    // The full-screen size was fixed; later fits of the preview must be able to size the label.
    m_sceneLbl->setMinimumSize(0, 0);
    m_sceneLbl->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    m_sceneLbl->setGeometry(QRect(QPoint(0, 0), ui->preview_widget->size()));
    m_sceneLbl->show();

    // The engine drops a display whose native window goes: a label that came back with a new
    // window gets the main display anew, the scene itself stays as it is.
    if (m_sceneDisplayWindow == 0)
        return;
    const quintptr window = quintptr(m_sceneLbl->winId());
    if (window == m_sceneDisplayWindow)
        return;
    m_sceneDisplayWindow = window;
    LiveCore::get_instance()->core_create_main_display(static_cast<LiveWindowHandle>(window), true);
}

void LiveMainWindow::wheelEvent(QWheelEvent* event)
{
    const int delta = event->angleDelta().y();
    if (delta == 0 || std::abs(delta) > 120)
        return;
    qDebug() << std::abs(delta);
    if (m_wheelBusy) {
        qDebug() << "no press";
        return;
    }
    m_wheelBusy = true;
    turnLayoutPage(delta > 0, ui->preview_widget->width(), ui->preview_widget->height(), event);
    m_wheelBusy = false;
}

void LiveMainWindow::turnLayoutPage(bool up, int width, int height, QWheelEvent* event)
{
    if (width <= 0 || height <= 0 || m_canvasWidth <= 0 || m_canvasHeight <= 0)
        return;
    // The scene being applied has no pages to turn yet.
    if (m_sceneApplyPending)
        return;
    auto* core = LiveCore::get_instance();
    const float e = float(width) / float(m_canvasWidth);
    const float g = float(height) / float(m_canvasHeight);

    // Higher tile numbers lie on top: they are hit first.
    std::sort(m_sceneSources.begin(), m_sceneSources.end(),
              [](const SceneSourceInfo& a, const SceneSourceInfo& b) { return a.num > b.num; });

    QPoint point = event->position().toPoint();
    if (!m_isFullScreen)
        point -= QPoint(ui->frame_5->x(), ui->frame_3->y() - 9);

    SceneSourceInfo* hit = nullptr;
    for (SceneSourceInfo& source : m_sceneSources) {
        if (source.isBackground)
            continue;
        int x = 0, y = 0;
        float w = 0, h = 0;
        if (!core->scene_get_source_rect(utf8(source.name).constData(), &x, &y, &w, &h))
            continue;
        const QRect shown(int(float(x) * e), int(float(y) * g), int(w * e), int(h * g));
        if (shown.contains(point)) {
            hit = &source;
            break;
        }
    }
    if (!hit)
        return;

    const int last = std::max(fileCount(hit->folder) - 1, 0);
    int page = 0;
    const auto entry = m_pageIndexes.find(hit->name);
    if (entry != m_pageIndexes.end()) {
        page = up ? std::max(entry->second - 1, 0) : std::min(entry->second + 1, last);
        entry->second = page;
    }
    const QString path = hit->folder + QString("/pic%1.png").arg(page);
    const QString name = hit->name;
    const quint64 generation = m_sceneApplyGeneration;
    // The page is placed once its size is read; a later turn of the same tile, or a scene applied
    // anew meanwhile, wins over it.
    readPictureSizes({path}, this, [=](const PictureSizes& sizes) {
        if (generation != m_sceneApplyGeneration)
            return;
        const auto current = m_pageIndexes.find(name);
        if ((current == m_pageIndexes.end() ? 0 : current->second) != page)
            return;
        const auto source = std::find_if(m_sceneSources.begin(), m_sceneSources.end(),
                                         [&name](const SceneSourceInfo& s) { return s.name == name; });
        if (source == m_sceneSources.end())
            return;
        auto* core = LiveCore::get_instance();
        const QSize size = pictureSize(sizes, path);
        const PosWeight rect{source->x, source->y, source->w, source->h};
        place(core, name,
              scenecanvas::pictureOnPageTurn(scenecanvas::tilePixels(rect, width, height), size.width(),
                                             size.height(), width, height, m_canvasWidth, m_canvasHeight,
                                             core->core_get_preview_scale()));
        source->imagePath = path;
        core->source_set_image_file(utf8(name).constData(), path, false);
    });
}

void LiveMainWindow::showMaxSceneHint()
{
    showSceneHint(QString::fromUtf8("最多添加10个画面布局"), this);
}

void LiveMainWindow::showSceneHint(const QString& text, QWidget* reference)
{
    if (!m_popTipDlg || !reference)
        return;
    if (!m_popTipTimer) {
        m_popTipTimer = new QTimer(m_popTipDlg);
        m_popTipTimer->setSingleShot(true);
        m_popTipTimer->setInterval(mainwin::kBroadcastHintMs);
        connect(m_popTipTimer, &QTimer::timeout, m_popTipDlg, &QWidget::hide);
    }
    m_popTipDlg->setText(text);
    m_popTipDlg->move(mainwin::broadcastHintPos(reference->mapToGlobal(QPoint(0, 0)), reference->width()));
    m_popTipDlg->show();
    m_popTipTimer->start();
}
