#include "scenes/AddSceneDialog.h"

#include "core/DataCenter.h"
#include "scenes/CustomFrameLabel.h"
#include "scenes/SceneLayoutPresets.h"
#include "scenes/SceneRecords.h"
#include "widgets/PopTipDlg.h"
#include "widgets/RoundedMask.h"

#include "ui_AddSceneDialog.h"

#include <QDebug>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {
const QString kAreaDefaultStyle =
    QStringLiteral("QWidget#preview_widget { border-image: url(:/images/live/backgroud.png); }");
// The tile area paints the background itself, through the bounded loader; the path never goes
// into a style sheet, where a "(" or ")" in a file name would break it and Qt would decode the
// file without any bound.
const QString kAreaPictureStyle = QStringLiteral("QWidget#preview_widget { border-image: none; }");
const QString kFrameSelected =
    QStringLiteral("QFrame#%1{ border-radius: 8px;border: 2px solid #0669F5; background-color: rgb(41, 44, 62);}");
const QString kFramePlain = QStringLiteral("QFrame#%1 { border-radius: 8px; background-color: rgb(41, 44, 62);}");
const QString kBlueButton = QStringLiteral(
    "QPushButton{background-color:rgb(6, 105, 245);color:#FFFFFF;border:none;border-radius:4px;font-size:14px;}");
const QString kWhiteButton = QStringLiteral(
    "QPushButton{background-color:#FFFFFF;color:#191919;border:none;border-radius:4px;font-size:14px;}");
constexpr int kHintWidth = 266;
constexpr int kHintTop = 12;
const QPoint kBackgroundAreaPos(648, 241);

QString countText(int count)
{
    return QStringLiteral("添加画面(%1/20)").arg(count);
}
} // namespace

AddSceneDialog::AddSceneDialog(QWidget* parent)
    : QDialog(parent), ui(new Ui::AddSceneDialog), m_smallTile(kSceneFirstSmallTile)
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_ShowModal);

    // The form keeps frames of presets it does not offer.
    ui->triple_screen_frame->hide();
    ui->triple_screen_caption->hide();
    ui->four_screen_frame->hide();
    ui->four_screen_caption->hide();
    ui->speaker_frame->hide();
    ui->speaker_caption->hide();
    ui->add_backgroud_frame->hide();
    for (int type = lecture_in_chief; type <= speaker; ++type)
        presetFrame(type)->setStyleSheet(kFramePlain.arg(presetFrame(type)->objectName()));
    ui->lecture_in_chief_frame->installEventFilter(this);
    ui->one_for_one_frame->installEventFilter(this);
    ui->courseware_frame->installEventFilter(this);
    ui->BKwidget->installEventFilter(this);
    ui->add_scene_btn->setText(countText(1));

    m_tipDlg = new PopTipDlg(nullptr);
    m_tipDlg->hide();
    m_hintTimer = new QTimer(this);
    m_hintTimer->setSingleShot(true);
    m_hintTimer->setInterval(kHintMs);
    connect(m_hintTimer, &QTimer::timeout, m_tipDlg, &QWidget::hide);

    m_clickTimer = new QTimer(this);
    m_clickTimer->setSingleShot(true);
    m_clickTimer->setInterval(kBackgroundClickMs);
    connect(m_clickTimer, &QTimer::timeout, this, &AddSceneDialog::on_TimeOut);

    buildBackgroundOverlay();
}

AddSceneDialog::~AddSceneDialog()
{
    delete m_tipDlg;
    delete ui;
}

void AddSceneDialog::buildBackgroundOverlay()
{
    m_bgOverlay = new CustomFrameLabel(ui->BKwidget);
    m_bgOverlay->setObjectName("bgOverlay");
    m_bgOverlay->setWindowFlags(Qt::FramelessWindowHint | Qt::Tool);
    m_bgOverlay->setAttribute(Qt::WA_TranslucentBackground);
    m_bgOverlay->setFixedSize(ui->BKwidget->size());
    m_bgOverlay->setMouseTracking(true);
    m_bgOverlay->installEventFilter(this);

    auto* column = new QVBoxLayout(m_bgOverlay);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(4);
    m_replaceButton = new QPushButton(QStringLiteral("替换"), m_bgOverlay);
    m_replaceButton->setStyleSheet(kBlueButton);
    m_replaceButton->setFixedSize(60, 32);
    m_deleteButton = new QPushButton(QStringLiteral("删除"), m_bgOverlay);
    m_deleteButton->setStyleSheet(kWhiteButton);
    m_deleteButton->setFixedSize(60, 32);
    row->addStretch();
    row->addWidget(m_replaceButton);
    row->addWidget(m_deleteButton);
    row->addStretch();
    column->addLayout(row);

    connect(m_replaceButton, &QPushButton::clicked, this, [this] {
        emit send_AddBackGroundSig();
        ui->add_label->hide();
        ui->add_bgd_label->hide();
    });
    connect(m_deleteButton, &QPushButton::clicked, this, [this] {
        clearBackground();
        m_bgOverlay->hide();
    });
    m_bgOverlay->hide();
}

void AddSceneDialog::setBackgroundClickInterval(int ms)
{
    m_clickTimer->setInterval(ms);
}

void AddSceneDialog::setHintDuration(int ms)
{
    m_hintTimer->setInterval(ms);
}

QFrame* AddSceneDialog::presetFrame(int type) const
{
    switch (type) {
    case lecture_in_chief:
        return ui->lecture_in_chief_frame;
    case one_for_one:
        return ui->one_for_one_frame;
    case courseware:
        return ui->courseware_frame;
    case triple_screen:
        return ui->triple_screen_frame;
    case four_screen:
        return ui->four_screen_frame;
    case speaker:
        return ui->speaker_frame;
    default:
        return nullptr;
    }
}

// --- Opening ----------------------------------------------------------------------------------

void AddSceneDialog::resetForNew(bool isPreview, int index)
{
    clearBackground();
    m_isPreview = isPreview;
    m_index = index;
    if (!isPreview)
        buildPreset(lecture_in_chief);
    // A size change runs the resize handling, which puts the background cover in place.
    const QRect geo = geometry();
    setGeometry(geo.adjusted(0, 0, 1, 1));
    setGeometry(geo);
}

void AddSceneDialog::loadScene(InfoWidgetVec infos, int type, int index, bool isPreview)
{
    m_isPreview = isPreview;
    if (type >= lecture_in_chief && type <= courseware)
        selectPresetFrame(type);
    clearTiles();

    const QSize area = ui->preview_widget->size();
    for (const InfoWidgetPtr& info : infos) {
        if (!info)
            continue;
        const float x = float(area.width()) * info->rect.x;
        const float y = float(area.height()) * info->rect.y;
        const float w = float(area.width()) * info->rect.w;
        const float h = float(area.height()) * info->rect.h;
        PreviewWidget* tile = addTile(QRect(int(x), int(y), int(w), int(h)));
        tile->setPosWeight({x / float(area.width()), y / float(area.height()), w / float(area.width()),
                            h / float(area.height())});
        if (info->content == kSceneCameraContent)
            tile->setContent(kSceneCameraContent);
        else if (info->content.isEmpty() || !tile->setPicture(info->content))
            // A picture whose document is gone leaves the tile asking for a choice; tile 1 would
            // otherwise keep its starting camera.
            tile->setContent(kSceneUnchosenContent);
    }
    showCount();
    m_type = type;
    m_index = index;

    const QString background = infos.empty() || !infos.front() ? QString() : infos.front()->background;
    if (background.isEmpty())
        clearBackground();
    else
        setBackground(background);
    refreshLooks();
    show();
}

void AddSceneDialog::setBackground(const QString& path)
{
    ui->BKwidget->setPicturePath(path);
    ui->preview_widget->setPicturePath(path);
    ui->preview_widget->setStyleSheet(kAreaPictureStyle);
    m_hasBackground = true;
    m_backgroundPath = path;
    ui->add_label->hide();
    ui->add_bgd_label->hide();
    CDataCenter::getInstance()->sceneBackground = path;
    ui->BKwidget->update();
    ui->preview_widget->update();
}

void AddSceneDialog::clearBackground()
{
    m_backgroundPath.clear();
    m_hasBackground = false;
    ui->BKwidget->setPicturePath(QString());
    ui->preview_widget->setPicturePath(QString());
    ui->add_label->show();
    ui->add_bgd_label->show();
    ui->preview_widget->setStyleSheet(kAreaDefaultStyle);
    ui->BKwidget->update();
    ui->preview_widget->update();
}

// --- Presets and tiles ------------------------------------------------------------------------

void AddSceneDialog::on_lecture_in_chief_frame_clicked()
{
    buildPreset(lecture_in_chief);
}

void AddSceneDialog::on_one_for_one_frame_clicked()
{
    buildPreset(one_for_one);
}

void AddSceneDialog::on_courseware_frame_clicked()
{
    buildPreset(courseware);
}

void AddSceneDialog::on_triple_screen_frame_clicked()
{
    buildPreset(triple_screen);
}

void AddSceneDialog::on_four_screen_frame_clicked()
{
    buildPreset(four_screen);
}

void AddSceneDialog::on_speaker_frame_clicked()
{
    buildPreset(speaker);
}

void AddSceneDialog::buildPreset(int type)
{
    clearTiles();
    const QSize area = ui->preview_widget->size();
    for (const ScenePresetTile& preset : scenePresetTiles(type, m_smallTile)) {
        PreviewWidget* tile = addTile(preset.rect);
        tile->setPosWeight(posWeightOf(preset.rect, area));
        if (preset.content != tile->content())
            tile->setContent(preset.content);
    }
    showCount();
    selectPresetFrame(type);
    m_type = type;
    refreshLooks();
}

void AddSceneDialog::clearTiles()
{
    // A tile may be on the stack of its own signal: it goes once control is back in the loop.
    for (PreviewWidget* tile : m_tiles) {
        tile->hide();
        tile->deleteLater();
    }
    m_tiles.clear();
    m_count = 0;
}

PreviewWidget* AddSceneDialog::addTile(const QRect& rect)
{
    ++m_count;
    auto* tile = new PreviewWidget(ui->preview_widget, m_count, rect);
    tile->setAreaRect(ui->preview_widget->geometry());
    connect(tile, &PreviewWidget::close_clicked, this, &AddSceneDialog::on_delOverLayWidget_clicked);
    connect(tile, &PreviewWidget::send_showisBorder, this, &AddSceneDialog::on_SelectWidget);
    tile->show();
    m_tiles.push_back(tile);
    return tile;
}

void AddSceneDialog::showCount()
{
    ui->add_scene_btn->setText(countText(m_count));
}

void AddSceneDialog::selectPresetFrame(int type)
{
    for (int t = lecture_in_chief; t <= speaker; ++t) {
        QFrame* frame = presetFrame(t);
        frame->setStyleSheet((t == type ? kFrameSelected : kFramePlain).arg(frame->objectName()));
    }
}

void AddSceneDialog::refreshLooks()
{
    for (PreviewWidget* tile : m_tiles)
        tile->refreshLook();
}

void AddSceneDialog::on_add_scene_btn_clicked()
{
    if (m_count >= kSceneMaxTiles) {
        showHint(QStringLiteral("最多支持添加20个画面！"));
        return;
    }
    m_smallTile = kSceneAddedSmallTile;
    const QRect rect(QPoint(kScenePreviewWidth - m_smallTile.width(), kScenePreviewHeight - m_smallTile.height()),
                     m_smallTile);
    PreviewWidget* tile = addTile(rect);
    tile->setPosWeight(posWeightOf(rect, QSize(kScenePreviewWidth, kScenePreviewHeight)));
    showCount();
}

void AddSceneDialog::on_delOverLayWidget_clicked(int num)
{
    if (m_count == 1) {
        showHint(QStringLiteral("请至少保留一个画面"));
        for (PreviewWidget* tile : m_tiles)
            tile->setRemoveMark(false);
        return;
    }
    const auto marked = std::find_if(m_tiles.begin(), m_tiles.end(),
                                     [](PreviewWidget* tile) { return tile->isRemoveMarked(); });
    if (marked == m_tiles.end())
        return;
    PreviewWidget* removed = *marked;
    m_tiles.erase(marked);
    removed->hide();
    removed->deleteLater(); // it is still sending close_clicked
    for (PreviewWidget* tile : m_tiles) {
        if (tile->getNum() > num)
            tile->setNum(tile->getNum() - 1);
    }
    m_count = std::max(m_count - 1, 0);
    showCount();
}

void AddSceneDialog::on_SelectWidget(PreviewWidget* w)
{
    for (PreviewWidget* tile : m_tiles) {
        tile->setPressed(tile == w);
        tile->setSelected(tile == w);
    }
}

// --- Saving and closing -----------------------------------------------------------------------

void AddSceneDialog::on_save_btn_clicked()
{
    save(false);
}

void AddSceneDialog::on_save_and_use_btn_clicked()
{
    save(true);
}

void AddSceneDialog::save(bool use)
{
    for (PreviewWidget* tile : m_tiles) {
        tile->overlay()->hide();
        if (tile->content() == kSceneUnchosenContent) {
            showHint(QStringLiteral("请选择画面展示内容"));
            return;
        }
    }
    // A pending background request must not open a chooser over a closed editor.
    m_clickTimer->stop();
    const std::vector<PreviewWidget*> tiles = m_tiles;
    if (use)
        emit save_and_use_clicked(tiles, m_type, m_isPreview, m_index, m_backgroundPath);
    else
        emit save_clicked(tiles, m_type, m_isPreview, m_index, m_backgroundPath);
    m_isPreview = false;
    close();
}

void AddSceneDialog::on_close_btn_clicked()
{
    close();
}

void AddSceneDialog::on_cancel_btn_clicked()
{
    close();
}

void AddSceneDialog::reject()
{
    m_hasBackground = false;
    for (PreviewWidget* tile : m_tiles)
        tile->overlay()->hide();
    m_isPreview = false;
    m_clickTimer->stop();
    m_bgOverlay->hide();
    QDialog::reject();
}

// --- Hints, background area, dragging ---------------------------------------------------------

void AddSceneDialog::showHint(const QString& text)
{
    const QPoint topLeft = mapToGlobal(QPoint(0, 0));
    m_tipDlg->setText(text);
    m_tipDlg->move(topLeft.x() + (width() - kHintWidth) / 2, topLeft.y() + kHintTop);
    m_tipDlg->show();
    m_hintTimer->start();
}

void AddSceneDialog::on_TimeOut()
{
    m_clickTimer->stop();
    qInfo() << "click BKwidget start";
    emit send_AddBackGroundSig();
}

bool AddSceneDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        if (watched == ui->lecture_in_chief_frame) {
            on_lecture_in_chief_frame_clicked();
            return true;
        }
        if (watched == ui->one_for_one_frame) {
            on_one_for_one_frame_clicked();
            return true;
        }
        if (watched == ui->courseware_frame) {
            on_courseware_frame_clicked();
            return true;
        }
        if (watched == ui->BKwidget) {
            m_clickTimer->start(); // restarts a running wait
            return true;
        }
    }
    if (watched == ui->BKwidget && event->type() == QEvent::Enter && !m_backgroundPath.isEmpty()) {
        placeOverlay();
        m_bgOverlay->show();
        m_bgOverlay->raise();
    }
    if (watched == m_bgOverlay && event->type() == QEvent::Leave)
        m_bgOverlay->hide();
    return QDialog::eventFilter(watched, event);
}

void AddSceneDialog::placeOverlay()
{
    m_bgOverlay->move(mapToGlobal(kBackgroundAreaPos));
}

void AddSceneDialog::moveEvent(QMoveEvent* event)
{
    QDialog::moveEvent(event);
    placeOverlay();
}

void AddSceneDialog::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    placeOverlay();
}

void AddSceneDialog::paintEvent(QPaintEvent* event)
{
    paintRoundedWindow(*this, 8);
    QDialog::paintEvent(event);
}

void AddSceneDialog::mousePressEvent(QMouseEvent* event)
{
    m_drag.press(*event);
}

void AddSceneDialog::mouseMoveEvent(QMouseEvent* event)
{
    m_drag.move(*this, *event);
}

void AddSceneDialog::mouseReleaseEvent(QMouseEvent* event)
{
    m_drag.release(*this, *event);
}
