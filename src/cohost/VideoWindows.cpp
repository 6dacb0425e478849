#include "cohost/VideoWindows.h"

#include "cohost/RemoteVideoWidget.h"

#include <QCursor>
#include <QDebug>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>

#include <algorithm>

namespace
{
// Unparented at once, freed later: the request may come from the video's own menu, whose signal
// is still on the video's stack.
void release(RemoteVideoWidget* widget)
{
    widget->disconnect();
    widget->hide();
    widget->setParent(nullptr);
    widget->deleteLater();
}
} // namespace

VideoWindows::VideoWindows(QWidget* parent) : QWidget(parent)
{
    setObjectName("VideoWindows");
    setWindowTitle("VideoWindows");
    resize(400, 300);
    setAcceptDrops(true);
    hooks.updateMixUser = [](int spaceId, TrtcMixRect rect, int zOrder) {
        TrtcManager::getInstance()->updateMixUser(spaceId, rect, zOrder);
    };
    hooks.removeMixUser = [](int spaceId) { TrtcManager::getInstance()->removeMixUser(spaceId); };
    hooks.setRemoteRender = [](int spaceId, int rotation, int mirrorType) {
        TrtcManager::getInstance()->setRemoteRender(spaceId, rotation, mirrorType);
    };
}

VideoWindows::~VideoWindows() = default;

TrtcMixRect VideoWindows::mixRect(QPoint p, QSize overlay)
{
    TrtcMixRect rect;
    // An overlay not laid out yet has no size to measure against: the box goes to the corner.
    if (overlay.width() > 0)
        rect.left = int(double(p.x()) / overlay.width() * TrtcManager::kMixWidth);
    if (overlay.height() > 0)
        rect.top = int(double(p.y()) / overlay.height() * TrtcManager::kMixHeight);
    rect.right = rect.left + kMixBoxWidth;
    rect.bottom = rect.top + kMixBoxHeight;
    return rect;
}

// ---- drops --------------------------------------------------------------------------------------

void VideoWindows::dragEnterEvent(QDragEnterEvent* event)
{
    // Text dragged from another program is no tile of ours (it would put anything in the mix).
    if (event->source() && event->mimeData()->hasText())
        event->acceptProposedAction();
}

void VideoWindows::dropEvent(QDropEvent* event)
{
    if (event->source() && event->mimeData()->hasText()) {
        dropAt(event->mimeData()->text(), event->pos());
        event->acceptProposedAction();
    }
    QWidget::dropEvent(event);
}

void VideoWindows::handleDropEvent(const QString& id)
{
    dropAt(id, mapFromGlobal(QCursor::pos()));
}

void VideoWindows::dropAt(const QString& text, QPoint pos)
{
    qDebug() << "drop to preview_widget";
    bool ok = false;
    int id = text.toInt(&ok, 10);
    if (!ok)
        id = 0;
    // The strip starts no drag for a video already here; should one come, a second widget would
    // be orphaned and the reply would flip the tile back.
    if (id != 0 && m_widgets.contains(id)) {
        qDebug() << "co-host already on the preview:" << id;
        return;
    }
    emit sigReplyDragEvent(id);
    if (id == 0) {
        emit sigDragSceneWidget();
        return;
    }

    if (m_referenceWidth == -1 && width() > 0)
        m_referenceWidth = width();
    auto* widget = new RemoteVideoWidget(this);
    widget->setUser(id, m_roomId);
    widget->placeAt(pos);
    widget->show();
    if (m_scale > 1.0f)
        widget->resize(int(widget->width() * m_scale), int(widget->height() * m_scale));
    hooks.updateMixUser(id, mixRect(pos, size()), kDropZOrder);
    qDebug() << "m_widget_map add wechat_id:" << id;

    m_widgets.insert(id, widget);
    RemoteVideoState state;
    state.x = widget->x();
    state.y = widget->y();
    state.scale = m_scale;
    m_states.insert(id, state);
    connect(widget, &RemoteVideoWidget::sigShowRightMenu, this, &VideoWindows::sigShowRightMenu);
    connect(widget, &RemoteVideoWidget::sigUpdataLayout, this, &VideoWindows::updateLayout);
}

// ---- taking videos off ----------------------------------------------------------------------------

void VideoWindows::handleRightMenuCancelRef(int id)
{
    qDebug() << "handleRightMenuCancelRef " << id;
    if (RemoteVideoWidget* widget = m_widgets.take(id)) {
        qDebug() << "handleRightMenuCancelRef11111:" << id;
        release(widget);
        m_states.remove(id);
        hooks.removeMixUser(id);
    }
    update();
}

void VideoWindows::clearRemoteVideos()
{
    for (RemoteVideoWidget* widget : qAsConst(m_widgets))
        release(widget);
    m_widgets.clear();
    m_states.clear();
}

// ---- resizing -------------------------------------------------------------------------------------

void VideoWindows::handleResize()
{
    // A width of 0 (not laid out, or minimised) is never a reference: the next resize divides by it.
    if (width() <= 0)
        return;
    if (m_referenceWidth == -1) {
        m_referenceWidth = width();
        return;
    }
    m_scale = float(width()) / float(m_referenceWidth);
    for (RemoteVideoWidget* widget : qAsConst(m_widgets)) {
        const QRect g = widget->geometry();
        widget->setGeometry(int(g.x() * m_scale), int(g.y() * m_scale), int(g.width() * m_scale),
                            int(g.height() * m_scale));
    }
    m_referenceWidth = width();
}

// ---- menu operations -----------------------------------------------------------------------------

void VideoWindows::updateLayout(int id)
{
    RemoteVideoWidget* widget = m_widgets.value(id);
    if (!widget)
        return;
    hooks.updateMixUser(id, mixRect(widget->pos(), size()), m_states.value(id).zOrder);
}

void VideoWindows::changeRender(int id, void (*change)(RemoteVideoState&))
{
    auto it = m_states.find(id);
    if (it == m_states.end())
        return;
    change(*it);
    hooks.setRemoteRender(id, it->rotation, it->mirror);
}

void VideoWindows::rotateClockwise(int id)
{
    changeRender(id, [](RemoteVideoState& s) { s.rotation = (s.rotation + 1) % 4; });
}

void VideoWindows::rotateAnticlockwise(int id)
{
    changeRender(id, [](RemoteVideoState& s) { s.rotation = (s.rotation + 3) % 4; });
}

void VideoWindows::toggleMirror(int id)
{
    changeRender(id, [](RemoteVideoState& s) { s.mirror = s.mirror == 0 ? 1 : 0; });
}

void VideoWindows::resetPosition(int id)
{
    RemoteVideoWidget* widget = m_widgets.value(id);
    auto it = m_states.find(id);
    if (!widget || it == m_states.end())
        return;
    int x = it->x;
    int y = it->y;
    // The drop point was taken at the state's scale; only a change across 1.0 moves it.
    if ((m_scale > 1.0f) != (it->scale > 1.0f)) {
        x = int(x * m_scale);
        y = int(y * m_scale);
    }
    widget->move(x, y);
    hooks.updateMixUser(id, mixRect(QPoint(x, y), size()), kDropZOrder);
    it->zOrder = kDropZOrder;
}

void VideoWindows::moveLayerTop(int id)
{
    auto it = m_states.find(id);
    if (it != m_states.end())
        it->zOrder = kMaxZOrder;
    updateLayout(id);
    if (RemoteVideoWidget* widget = m_widgets.value(id))
        widget->raise();
}

void VideoWindows::moveLayerBottom(int id)
{
    auto it = m_states.find(id);
    if (it != m_states.end())
        it->zOrder = 0;
    updateLayout(id);
    RemoteVideoWidget* widget = m_widgets.value(id);
    if (!widget)
        return;
    // Below the other videos only: under the window's display labels it could be neither seen
    // nor right-clicked again.
    for (QObject* child : children()) {
        auto* other = qobject_cast<RemoteVideoWidget*>(child);
        if (other && other != widget && m_widgets.value(other->spaceId()) == other) {
            widget->stackUnder(other);
            break;
        }
    }
}

void VideoWindows::moveLayerUp(int id)
{
    auto it = m_states.find(id);
    if (it != m_states.end())
        it->zOrder = std::min(it->zOrder + 1, kMaxZOrder);
    updateLayout(id);
}

void VideoWindows::moveLayerDown(int id)
{
    auto it = m_states.find(id);
    if (it != m_states.end())
        it->zOrder = std::max(it->zOrder - 1, 0);
    updateLayout(id);
}
