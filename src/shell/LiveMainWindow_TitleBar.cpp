// The frameless window's own title bar: dragging, painting, focus and the broadcast hint.
#include "shell/LiveMainWindow.h"

#include "canvas/AppPopupWindow.h"
#include "cohost/SceneCenterWidget.h"
#include "cohost/SceneWidget.h"
#include "widgets/PopTipDlg.h"
#include "ui_LiveMainWindow.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

void LiveMainWindow::on_minimize_btn_clicked()
{
    showMinimized();
}

void LiveMainWindow::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && ui->frame->geometry().contains(event->pos())) {
        m_dragging = true;
        m_dragStart = event->pos();
    }
    QWidget::mousePressEvent(event);
}

void LiveMainWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging || m_isMaximized)
        return;
    const QPoint delta = event->pos() - m_dragStart;
    const bool moved = mainwin::isDragStepAccepted(delta);
    if (moved)
        move(pos() + delta);
    if (m_sceneWidget)
        m_sceneWidget->placeToolWidget();
    if (m_sceneCenterWidget)
        m_sceneCenterWidget->updateRemoteWidgets();
    if (m_appPopupWindow && moved)
        m_appPopupWindow->move(m_appPopupWindow->pos() + delta);
}

void LiveMainWindow::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_dragging = false;
}

void LiveMainWindow::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QBrush(Qt::black, Qt::SolidPattern));
    painter.drawRoundedRect(rect(), 8, 8, Qt::AbsoluteSize);
    QWidget::paintEvent(event);
}

void LiveMainWindow::enterEvent(QEvent* event)
{
    Q_UNUSED(event);
    if (m_sceneWidget)
        m_sceneWidget->setFocus(Qt::OtherFocusReason);
}

void LiveMainWindow::leaveEvent(QEvent* event)
{
    Q_UNUSED(event);
}

void LiveMainWindow::showEvent(QShowEvent* event)
{
    setAttribute(Qt::WA_Mapped);
    QWidget::showEvent(event);
}

void LiveMainWindow::showBroadcastHint(const QString& text)
{
    if (!m_broadcastTipDlg)
        return;
    const QPoint topLeft = mapToGlobal(QPoint(0, 0));
    m_broadcastTipDlg->setText(text);
    m_broadcastTipDlg->move(mainwin::broadcastHintPos(topLeft, width()));
    m_broadcastTipDlg->show();
    m_broadcastTipTimer->start();
}
