#include "canvas/AppPopupWindow.h"

#include "ui_AppPopupWindow.h"

#include <QBitmap>
#include <QEvent>
#include <QPainter>
#include <QRegion>

// Not kept on top: the bar belongs to the main window, not over other applications.
AppPopupWindow::AppPopupWindow(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint), ui(new Ui::AppPopupWindow)
{
    ui->setupUi(this);
    ui->exit_label->installEventFilter(this);
}

AppPopupWindow::~AppPopupWindow()
{
    delete ui;
}

bool AppPopupWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->exit_label && event->type() == QEvent::MouseButtonPress) {
        close();
        emit exit_window_share();
    }
    return QWidget::eventFilter(watched, event);
}

QPainterPath AppPopupWindow::tabPath(const QRect& rect)
{
    const int x = rect.x(), y = rect.y(), w = rect.width(), h = rect.height();
    const int cx = x + w - h / 2;
    const int cy = y + h / 2;
    QPainterPath path;
    path.moveTo(cx, cy);
    path.arcTo(QRectF(x + w - h, y, h, h), 270, 180);
    path.moveTo(cx, y + h);
    path.lineTo(x, y + h);
    path.lineTo(x, y);
    path.lineTo(cx, y);
    path.closeSubpath();
    return path;
}

void AppPopupWindow::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    painter.setPen(Qt::NoPen);
    const QRegion tab(tabPath(rect()).toFillPolygon().toPolygon());
    if (mask() != tab) // setting the same mask again would only schedule another paint
        setMask(tab);
    QWidget::paintEvent(event);
}
