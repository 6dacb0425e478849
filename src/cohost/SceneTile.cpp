#include "cohost/SceneTile.h"

#include "core/UntrustedText.h"

#include <QDrag>
#include <QFontMetrics>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QWidget>

namespace scenetile
{

void paintTileFrame(QWidget* tile)
{
    QPainter painter(tile);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QColor(81, 88, 126));
    painter.setBrush(QColor(23, 26, 44));
    painter.drawRoundedRect(QRect(0, 0, tile->width() - 1, tile->height() - 1), 10, 10);
}

void placeToolBar(QWidget* tile, QWidget* toolBar)
{
    if (!tile || !toolBar)
        return;
    const QPoint global = tile->mapToGlobal(QPoint(0, 0));
    toolBar->setGeometry(global.x() + kToolBarLeft, global.y() + tile->height() - kToolBarAboveBottom,
                         toolBar->width(), toolBar->height());
}

TileDragStarter& tileDragStarter()
{
    static TileDragStarter starter = [](QWidget* source, QMimeData* mime) {
        auto* drag = new QDrag(source);
        drag->setMimeData(mime);
        return drag->exec(Qt::MoveAction);
    };
    return starter;
}

Qt::DropAction startTileDrag(QWidget* source, const QString& text)
{
    auto* mime = new QMimeData;
    mime->setText(text);
    return tileDragStarter()(source, mime);
}

void showAnchorName(QLabel* label, const QString& name, const QString& style)
{
    // Names come from the service: never read as markup.
    label->setTextFormat(Qt::PlainText);
    label->setStyleSheet(style);
    label->ensurePolished();
    label->setText(label->fontMetrics().elidedText(name, Qt::ElideRight, kAnchorNameWidth));
    label->setToolTip(solvek::plainToolTip(name));
    label->show();
}

} // namespace scenetile
