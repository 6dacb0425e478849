#include "chat/EmoteListWidget.h"

#include "chat/EmoteFiles.h"
#include "chat/PictureCache.h"
#include "core/ImageUtils.h"
#include "core/PictureDecoder.h"
#include "core/PictureLimits.h"
#include "widgets/ClickableLabel.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QScrollArea>
#include <QScrollBar>

#include <algorithm>

namespace
{
const char* const kPanelStyle = "QWidget{background: #5F6281;border - radius: 8px;} ";
const char* const kScrollAreaStyle = "background: #5F6281;border - radius: 8px; ";
const char* const kScrollBarStyle =
    "QScrollArea{border:none;background-color:transparent;margin:0,4px,10px,4px;}"
    "QScrollArea QScrollBar:vertical{width:2px;background:#777987;padding-top:0px;padding-bottom:0px;"
    "border-radius:2px;}"
    "QScrollArea QScrollBar::handle:vertical{background:#40414A;min-height: 40px;max-height: 40px;"
    "border-radius:2px;}"
    "QScrollArea QScrollBar::handle:vertical:hover{background:#40414A;border-radius:2px;}"
    "QScrollArea QScrollBar::add-page:vertical,QScrollBar::sub-page:vertical{background:#777987;"
    "border-radius:2px;}"
    "QScrollArea QScrollBar::add-line:vertical,QScrollBar::sub-line:vertical{height:0px;width:0px;}";
const char* const kCellStyle =
    "ClickableLabel:hover{background: rgba(255,255,255,0.2);border - radius: 4px; }";

QPixmap cellPicture(const QPixmap& picture)
{
    return picture.scaled(EmoteListWidget::kPictureSize, EmoteListWidget::kPictureSize, Qt::IgnoreAspectRatio,
                          Qt::FastTransformation);
}
} // namespace

EmoteListWidget::EmoteListWidget(QWidget* parent, int bottomOffset)
    : QWidget(parent), m_bottomOffset(bottomOffset)
{
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus); // it takes the focus when shown and hides when it loses it

    m_scrollArea = new QScrollArea(this);
    m_scrollArea->setWidgetResizable(true);
    m_scrollArea->setStyleSheet(kScrollAreaStyle);
    m_scrollArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_scrollArea->setContentsMargins(0, 0, 0, 0);
    m_scrollArea->verticalScrollBar()->setStyleSheet(kScrollBarStyle);
    m_scrollArea->setFocusPolicy(Qt::NoFocus);

    auto* inner = new QWidget;
    m_grid = new QGridLayout(inner);
    m_grid->setSpacing(0);
    m_grid->setContentsMargins(4, 4, 4, 4);
    m_scrollArea->setWidget(inner);

    setStyleSheet(kPanelStyle);
    setContentsMargins(0, 4, 0, 4);
    auto* container = new QWidget(this);
    container->setStyleSheet(kPanelStyle);
    auto* containerLayout = new QHBoxLayout(container);
    containerLayout->setContentsMargins(0, 4, 4, 4);
    containerLayout->addWidget(m_scrollArea);
    auto* ownLayout = new QHBoxLayout(this);
    ownLayout->addWidget(container);

    makeCells();
    setFixedHeight(kHeight);
    updateLayout();
}

ClickableLabel* EmoteListWidget::cell(int number) const
{
    return number >= 1 && number <= m_cells.size() ? m_cells[number - 1] : nullptr;
}

void EmoteListWidget::makeCells()
{
    m_cells.reserve(EmoteFiles::kCount);
    for (int n = 1; n <= EmoteFiles::kCount; ++n) {
        auto* cell = new ClickableLabel;
        cell->setAlignment(Qt::AlignCenter);
        cell->setFixedSize(kCellSize, kCellSize);
        cell->setStyleSheet(kCellStyle);
        cell->setPayload(EmoteFiles::code(n));
        // The cached file holds what the emote host sent: decoded off the window's thread. When
        // it is missing or refused, the picture is fetched without blocking; the failed picture
        // when it cannot be had.
        const QString address = EmoteFiles::address(n);
        PictureDecoder::decodeFileLater(
            EmoteFiles::filePath(n), PictureLimits::kMaxWebBytes, QSize(kPictureSize, kPictureSize), cell,
            [cell, address](const QImage& cached) {
                if (!cached.isNull()) {
                    cell->setPixmap(cellPicture(QPixmap::fromImage(cached)));
                    return;
                }
                PictureCache::instance().fetch(address, cell, [cell](const QPixmap& picture) {
                    cell->setPixmap(cellPicture(picture.isNull() ? PictureCache::fallback() : picture));
                });
            });
        connect(cell, &ClickableLabel::clicked, this,
                [this](QVariant& payload, QMouseEvent*) { emit emoteSelected(payload.toString()); });
        m_cells.append(cell);
    }
}

void EmoteListWidget::rebuildGrid()
{
    for (int i = 0; i < m_cells.size(); ++i)
        m_grid->removeWidget(m_cells[i]);
    for (int i = 0; i < m_cells.size(); ++i)
        m_grid->addWidget(m_cells[i], i / m_columns, i % m_columns);
}

void EmoteListWidget::updateLayout()
{
    QWidget* parent = parentWidget();
    const int columns = std::max(1, parent ? parent->width() / kColumnWidth : (width() - 8) / kCellSize);
    if (columns != m_columns) {
        m_columns = columns;
        rebuildGrid();
    }
    if (parent) {
        move(0, parent->height() - m_bottomOffset - height());
        resize(parent->width(), height());
    }
}

void EmoteListWidget::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    hide();
}
