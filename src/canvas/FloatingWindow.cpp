#include "canvas/FloatingWindow.h"

#include "canvas/HideWindow.h"
#include "ui_FloatingWindow.h"

#include <QDebug>
#include <QEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>

FloatingWindow::FloatingWindow(QWidget* parent, HideWindow* strip)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint), ui(new Ui::FloatingWindow)
{
    ui->setupUi(this);
    installEventFilter(this);
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    move((area.width() - width()) / 2, area.top() + 2);

    m_hideTimer = new QTimer(this);
    m_hideTimer->setInterval(kHideMs);
    connect(m_hideTimer, &QTimer::timeout, this, &FloatingWindow::hideWindow);
    m_hideTimer->start();
    if (strip)
        connect(strip, &HideWindow::showFloatingWindow, this, &FloatingWindow::showWindow);
}

FloatingWindow::~FloatingWindow()
{
    delete ui;
}

bool FloatingWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == this) {
        if (event->type() == QEvent::Enter) {
            qDebug() << "Mouse Enter";
            m_hideTimer->stop();
        } else if (event->type() == QEvent::Leave) {
            qDebug() << "Mouse Leave";
            m_hideTimer->start();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FloatingWindow::mouseMoveEvent(QMouseEvent* event)
{
    qDebug() << "current x:" << event->globalPos().x();
}

void FloatingWindow::hideWindow()
{
    hide();
}

void FloatingWindow::showWindow()
{
    show();
    m_hideTimer->stop();
    m_hideTimer->start();
}

void FloatingWindow::on_exit_share_btn_clicked()
{
    close();
    sharing = false;
    emit exit_desktop_share();
}
