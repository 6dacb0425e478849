#include "cohost/RemoteVideoWidget.h"

#include "cohost/TrtcManager.h"
#include "platform/TrtcCloud.h"

#include <QDebug>
#include <QMouseEvent>
#include <QVBoxLayout>

#include <algorithm>

RemoteVideoWidget::RemoteVideoWidget(QWidget* parent) : QWidget(parent)
{
    setObjectName("RemoteVideoWidget");
    setWindowTitle("RemoteVideoWidget");
    resize(400, 300);
    m_layout = new QVBoxLayout(this);
    m_layout->setContentsMargins(0, 0, 0, 0);
    m_videoView = new QWidget(this);
    m_videoView->setObjectName("video_view");
    m_layout->addWidget(m_videoView);
    installEventFilter(this);
}

RemoteVideoWidget::~RemoteVideoWidget()
{
    qDebug() << "RemoteVideoWidget delete";
}

void RemoteVideoWidget::setUser(int spaceId, int roomId)
{
    m_spaceId = spaceId;
    m_roomId = roomId;
    // The view moves from the co-host's tile to this widget; the tile shows its avatar from now on.
    getTRTCShareInstance()->updateRemoteView(trtcUserId(TrtcUserKind::CoHost, spaceId, quint32(roomId)),
                                             TrtcVideoStreamType::Big, TrtcViewId(m_videoView->winId()));
}

void RemoteVideoWidget::placeAt(QPoint p)
{
    setGeometry(p.x(), p.y(), kPlacedWidth, kPlacedHeight);
    moveClamped(p.x(), p.y());
}

void RemoteVideoWidget::moveClamped(int x, int y)
{
    if (QWidget* parent = parentWidget()) {
        // max after min: a widget wider than its parent sticks to the left (top) edge.
        x = std::max(std::min(x, parent->width() - width()), 0);
        y = std::max(std::min(y, parent->height() - height()), 0);
    }
    move(x, y);
}

bool RemoteVideoWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
        emit sigShowRightMenu(m_spaceId);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void RemoteVideoWidget::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_pressPoint = event->pos();
        m_pressed = true;
    }
    QWidget::mousePressEvent(event);
}

void RemoteVideoWidget::mouseMoveEvent(QMouseEvent* event)
{
    if ((event->buttons() & Qt::LeftButton) && m_pressed) {
        const QPoint to = event->pos() + pos() - m_pressPoint;
        moveClamped(to.x(), to.y());
    }
    QWidget::mouseMoveEvent(event);
}

void RemoteVideoWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && m_pressed) {
        m_pressed = false;
        emit sigUpdataLayout(m_spaceId);
    }
    QWidget::mouseReleaseEvent(event);
}
