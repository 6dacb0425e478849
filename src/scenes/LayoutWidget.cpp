#include "scenes/LayoutWidget.h"

#include "scenes/PreviewWidget.h"
#include "scenes/SceneRecords.h"

#include <QDebug>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace
{
const char* kIdleStyle = "background: #292C3E; border-radius: 4px; border: 1px solid #464C71;";
const char* kInUseStyle = "background: #292C3E; border-radius: 4px; border: 1px solid #0669F5;";
const char* kBoxStyle = "QLabel{background:#888A98;border: 1px solid #A9ACC0; border-radius:2px;font-family: "
                        "Microsoft YaHei;font-size: 12px; color: #FFFFFF;}";
const char* kMaskStyle = "background-color: rgba(0, 0, 0, 0.5);border: 1px solid #51587E; border-radius:2px;";
const char* kTagStyle =
    "QLabel{background:#0669F5;border:none; border-top-left-radius:4px;border-bottom-right-radius:"
    "4px;font-family: Microsoft YaHei;font-size: 12px; color: #FFFFFF;}";
const char* kCloseStyle =
    "QPushButton{background:rgb(68,69,76);border-image: url(:/images/live/layout_close.png); border:none;}";
const char* kBlueButtonStyle =
    "QPushButton {background:#0669F5; border:none; border-radius: 4px;font-family: "
    "Microsoft YaHei;font-size: 12px; color: #FFFFFF;}";
const char* kWhiteButtonStyle =
    "QPushButton {background:#FFFFFF;border:none; border-radius: 4px;font-family: "
    "Microsoft YaHei;font-size: 12px; color: #191919;}";

QString useText()
{
    return QStringLiteral("使用");
}
QString editText()
{
    return QStringLiteral("编辑");
}
QString fullScreenText()
{
    return QStringLiteral("全屏");
}
QString cancelText()
{
    return QStringLiteral("取消");
}

QPushButton* actionButton(QWidget* parent, const QString& text, const char* style, const char* name)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setFixedSize(40, 24);
    button->setStyleSheet(style);
    button->setCursor(Qt::PointingHandCursor);
    return button;
}
} // namespace

LayoutWidget::LayoutWidget(QWidget* parent, int type, int index, const std::vector<PreviewWidget*>& tiles,
                           const QString& background)
    : QWidget(parent), m_type(type), m_index(index)
{
    setStyleSheet(kIdleStyle);
    setFixedSize(kWidth, kHeight);
    createPresetLayout(tiles);
    buildHoverControls();
    buildRecords(tiles, background);
}

void LayoutWidget::setPreviewWidgets(const std::vector<PreviewWidget*>& tiles, int type,
                                     const QString& background)
{
    m_type = type;
    // Never reached from the mask's own buttons: deleting it at once is safe.
    delete m_mask;
    m_mask = nullptr;
    createPresetLayout(tiles);
    buildHoverControls();
    buildRecords(tiles, background);
}

void LayoutWidget::createPresetLayout(const std::vector<PreviewWidget*>& tiles)
{
    qDeleteAll(m_boxes);
    m_boxes.clear();
    for (PreviewWidget* tile : tiles) {
        if (!tile)
            continue;
        const PosWeight w = tile->posWeight();
        const int x = int(kWidth * w.x);
        const int y = int(kHeight * w.y);
        const int width = int(kWidth * w.w);
        const int height = int(kHeight * w.h);
        auto* box = new QLabel(
            tile->content() == kSceneCameraContent ? kSceneCameraContent : QStringLiteral("文档"), this);
        box->setStyleSheet(kBoxStyle);
        box->setAlignment(Qt::AlignCenter);
        box->setGeometry(x, y, width, height);
        box->show();
        qDebug() << "createPresetLayout x:" << x << " y: " << y << " w: " << width << " h: " << height;
        m_boxes.append(box);
    }
    if (m_mask)
        m_mask->raise();
}

void LayoutWidget::buildHoverControls()
{
    m_mask = new QLabel(this);
    m_mask->setObjectName("layout_mask");
    m_mask->setStyleSheet(kMaskStyle);
    m_mask->hide();
    auto* column = new QVBoxLayout(m_mask);
    column->setSpacing(0);
    column->setContentsMargins(0, 0, 0, 0);

    auto* top = new QHBoxLayout;
    m_tag = new QLabel(QStringLiteral("使用中"), m_mask);
    m_tag->setObjectName("layout_tag");
    m_tag->setFixedSize(36, 16);
    m_tag->setAlignment(Qt::AlignCenter);
    m_tag->setStyleSheet(kTagStyle);
    m_tag->hide();
    m_closeBtn = new QPushButton(m_mask);
    m_closeBtn->setObjectName("close_btn");
    m_closeBtn->setFixedSize(16, 16);
    m_closeBtn->setStyleSheet(kCloseStyle);
    top->addWidget(m_tag);
    top->addStretch();
    top->addWidget(m_closeBtn);
    column->addLayout(top);
    column->addStretch();

    auto* middle = new QHBoxLayout;
    middle->setSpacing(4);
    middle->setContentsMargins(0, 0, 0, 0);
    m_operateBtn = actionButton(m_mask, useText(), kBlueButtonStyle, "operate_btn");
    m_previewBtn = actionButton(m_mask, editText(), kWhiteButtonStyle, "preview_btn");
    m_previewBtn->hide();
    middle->addStretch();
    middle->addWidget(m_operateBtn);
    middle->addWidget(m_previewBtn);
    middle->addStretch();
    column->addLayout(middle);
    column->addSpacing(25);

    connect(m_operateBtn, &QPushButton::clicked, this, &LayoutWidget::on_operate_btn_clicked);
    connect(m_previewBtn, &QPushButton::clicked, this, &LayoutWidget::on_preview_btn_clicked);
    connect(m_closeBtn, &QPushButton::clicked, this, &LayoutWidget::on_close_btn_clicked);
}

void LayoutWidget::buildRecords(const std::vector<PreviewWidget*>& tiles, const QString& background)
{
    // New records: those handed out earlier stay as they were.
    m_records.clear();
    m_count = m_isImageNum = m_isCamNum = 0;
    for (PreviewWidget* tile : tiles) {
        if (!tile)
            continue;
        InfoWidgetPtr record = makeInfoWidget(tile->tileFields(), background);
        if (record->kind == 2)
            ++m_isImageNum;
        else if (record->kind == 0)
            ++m_isCamNum;
        m_records.push_back(std::move(record));
    }
    m_count = int(m_records.size());
}

void LayoutWidget::setState(int state)
{
    switch (state) {
    case InUse:
        m_state = InUse;
        showInUseLook();
        showMask();
        break;
    case IdleOtherInUse:
        setStyleSheet(kIdleStyle);
        m_tag->hide();
        showIdleButtons();
        m_mask->hide();
        m_state = IdleOtherInUse;
        break;
    case Idle:
        m_state = Idle;
        setStyleSheet(kIdleStyle);
        break;
    default:
        break;
    }
}

void LayoutWidget::hideButtons()
{
    m_operateBtn->hide();
    m_previewBtn->hide();
    m_closeBtn->hide();
}

void LayoutWidget::showInUseLook()
{
    setStyleSheet(kInUseStyle);
    m_operateBtn->setText(fullScreenText());
    m_previewBtn->setText(cancelText());
    m_tag->show();
}

void LayoutWidget::showIdleButtons()
{
    m_operateBtn->setText(useText());
    m_previewBtn->setText(editText());
}

void LayoutWidget::showMask()
{
    m_mask->resize(size());
    m_mask->raise();
    m_mask->show();
}

void LayoutWidget::on_operate_btn_clicked()
{
    if (m_state == InUse) {
        emit full_screen_click(m_index, m_count, m_isImageNum, m_isCamNum);
        return;
    }
    m_state = InUse;
    showInUseLook();
    emit use_scene_click(m_index, m_count, m_isImageNum);
}

void LayoutWidget::on_preview_btn_clicked()
{
    if (m_state == InUse) {
        showIdleButtons();
        m_tag->hide();
        emit cancle_btn_click(m_type, m_index, m_count, m_isImageNum);
        return;
    }
    emit preview_click(m_records, m_type, m_index, m_count, m_isImageNum);
}

void LayoutWidget::on_close_btn_clicked()
{
    emit close_click(m_index, m_count, m_isImageNum);
}

void LayoutWidget::enterEvent(QEvent* event)
{
    showMask();
    m_operateBtn->show();
    m_previewBtn->show();
    m_closeBtn->show();
    QWidget::enterEvent(event);
}

void LayoutWidget::leaveEvent(QEvent* event)
{
    if (m_state == InUse)
        hideButtons();
    else
        m_mask->hide();
    QWidget::leaveEvent(event);
}
