#include "chat/MessageLabel.h"

#include "chat/PictureCache.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>

namespace {

// Tells the labels whose rows sit in a holder that the holder was resized. One per holder, however
// many labels it serves: the chat list's viewport holds thousands of rows, and a filter per label
// on it would make every event of the viewport (each row added, moved or shown) visit all of them.
class HolderResizeWatch : public QObject
{
    Q_OBJECT
public:
    static HolderResizeWatch* of(QWidget* holder)
    {
        static const char kProperty[] = "_chat_holder_resize_watch";
        if (auto* watch = qobject_cast<HolderResizeWatch*>(holder->property(kProperty).value<QObject*>()))
            return watch;
        auto* watch = new HolderResizeWatch(holder);
        holder->setProperty(kProperty, QVariant::fromValue<QObject*>(watch));
        holder->installEventFilter(watch);
        return watch;
    }

signals:
    void resized();

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Resize)
            emit resized();
        return false;
    }

private:
    using QObject::QObject;
};

} // namespace

MessageLabel::MessageLabel(QWidget* parent) : ClickableLabel(parent)
{
    watchAncestors();
}

void MessageLabel::setMessage(const QString& text)
{
    setMessage(MessageInput{MessageInput::Plain, text, {}, {}, {}});
}

void MessageLabel::setMention(const QString& nickname, const QString& text)
{
    setMessage(MessageInput{MessageInput::Mention, text, nickname, {}, {}});
}

void MessageLabel::setReply(const QString& author, const QString& text)
{
    setMessage(MessageInput{MessageInput::Reply, text, author, {}, {}});
}

void MessageLabel::setGift(const QString& pictureAddress, const QString& count)
{
    setMessage(MessageInput{MessageInput::Gift, {}, {}, pictureAddress, count});
}

void MessageLabel::setMessage(const MessageInput& input)
{
    m_segments = chatlabel::parseMessage(input);
    relayout();
}

void MessageLabel::clearSegments()
{
    m_segments.clear();
    relayout();
}

void MessageLabel::setPicture(const QPixmap& picture)
{
    m_picture = picture;
    relayout();
}

void MessageLabel::setBubbleColor(const QString& color)
{
    m_bubbleColor = color;
    update();
}

void MessageLabel::setCornerRadius(int radius)
{
    m_cornerRadius = radius;
    update();
}

int MessageLabel::maxLineWidth() const
{
    const QWidget* holder = parentWidget() ? parentWidget()->parentWidget() : nullptr;
    return chatlabel::maxLineWidth(holder ? holder->width() : 0);
}

void MessageLabel::relayout()
{
    bool pending = false;
    PictureCache& cache = PictureCache::instance();
    for (MessageSegment& s : m_segments) {
        if (!s.isText && s.picture.isNull() && !s.pictureUrl.isEmpty()) {
            s.picture = cache.picture(s.pictureUrl);
            pending = pending || s.picture.isNull();
        }
    }
    if (pending && !m_cacheConnection)
        m_cacheConnection = connect(&cache, &PictureCache::pictureReady, this, &MessageLabel::onPictureReady);
    else if (!pending && m_cacheConnection)
        disconnect(m_cacheConnection);

    m_layoutWidth = maxLineWidth();
    m_layout = chatlabel::layoutMessage(m_segments, m_picture, m_layoutWidth, QFontMetrics(chatlabel::messageFont()));
    const QSize before = size();
    setFixedSize(m_layout.size);
    update();
    if (before != m_layout.size)
        emit layoutChanged(m_layout.size);
}

void MessageLabel::onPictureReady(const QString& address)
{
    for (const MessageSegment& s : qAsConst(m_segments)) {
        if (!s.isText && s.picture.isNull() && s.pictureUrl == address) {
            relayout();
            return;
        }
    }
}

void MessageLabel::watchAncestors()
{
    QWidget* parent = parentWidget();
    QWidget* holder = parent ? parent->parentWidget() : nullptr;
    if (m_watchedParent != parent) {
        if (m_watchedParent)
            m_watchedParent->removeEventFilter(this);
        m_watchedParent = parent;
        if (parent)
            parent->installEventFilter(this);
    }
    if (m_watchedHolder != holder) {
        disconnect(m_holderConnection);
        m_watchedHolder = holder;
        if (holder)
            m_holderConnection = connect(HolderResizeWatch::of(holder), &HolderResizeWatch::resized, this,
                                         &MessageLabel::onHolderResized);
    }
}

void MessageLabel::onHolderResized()
{
    if (maxLineWidth() != m_layoutWidth)
        relayout();
}

bool MessageLabel::event(QEvent* event)
{
    if (event->type() == QEvent::ParentChange) {
        watchAncestors();
        relayout();
    }
    return ClickableLabel::event(event);
}

bool MessageLabel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_watchedParent && event->type() == QEvent::ParentChange) {
        watchAncestors();
        relayout();
    }
    return ClickableLabel::eventFilter(watched, event);
}

void MessageLabel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (!m_segments.isEmpty()) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(m_bubbleColor));
        p.drawRoundedRect(rect(), m_cornerRadius, m_cornerRadius);
    }
    p.setFont(chatlabel::messageFont());
    const int ascent = p.fontMetrics().ascent();
    for (const chatlabel::DrawOp& op : qAsConst(m_layout.ops)) {
        switch (op.type) {
        case chatlabel::DrawOp::Text:
            p.setPen(op.color);
            p.drawText(QPoint(op.rect.left(), op.rect.top() + ascent), op.text);
            break;
        case chatlabel::DrawOp::Picture:
            p.drawPixmap(op.rect, op.picture);
            break;
        case chatlabel::DrawOp::Placeholder:
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(255, 255, 255, 40));
            p.drawRoundedRect(op.rect, 4, 4);
            break;
        }
    }
    emit paintEventFinished(true);
}

#include "MessageLabel.moc"
