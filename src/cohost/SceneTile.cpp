#include "cohost/SceneTile.h"

#include "core/UntrustedText.h"

#include <QDrag>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSpacerItem>
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

ToolBarForm buildToolBar(QWidget* bar, const char* title, QSize size, std::initializer_list<const char*> buttonNames)
{
    ToolBarForm form;
    bar->setObjectName(QString::fromLatin1(title));
    bar->setWindowTitle(QString::fromLatin1(title));
    bar->resize(size);
    form.layout = new QHBoxLayout(bar);
    form.layout->setObjectName("horizontalLayout");
    form.layout->setSpacing(2);
    form.layout->setContentsMargins(4, 0, 4, 0);
    form.nameLabel = new QLabel(bar);
    form.nameLabel->setObjectName("anchor_label");
    form.layout->addWidget(form.nameLabel);
    form.layout->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    for (const char* name : buttonNames) {
        auto* button = new QPushButton(bar);
        button->setObjectName(QString::fromLatin1(name));
        button->setFixedSize(20, 20);
        button->setStyleSheet("background-color: rgba(0, 0, 0, 0.5);border-radius: 4px;");
        button->setIconSize(QSize(16, 16));
        form.layout->addWidget(button);
        form.buttons << button;
    }
    bar->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    bar->setAttribute(Qt::WA_TranslucentBackground);
    return form;
}

} // namespace scenetile
