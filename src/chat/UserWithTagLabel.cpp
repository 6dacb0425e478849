#include "chat/UserWithTagLabel.h"

#include "chat/ItemChatRecord.h"

#include <QAbstractTextDocumentLayout>
#include <QLinearGradient>
#include <QPainter>
#include <QResizeEvent>
#include <QTextDocument>

UserWithTagLabel::UserWithTagLabel(QWidget* parent) : QLabel(parent) {}

void UserWithTagLabel::addTag(const QString& text, bool gradient, const QGradientStops& stops, const QColor& color)
{
    TagItem item;
    item.text = text;
    item.gradient = gradient;
    item.stops = stops;
    item.color = color;
    addItem(item);
}

void UserWithTagLabel::addGradientTag(const QString& text, const QGradientStops& stops)
{
    addTag(text, true, stops, QColor(0, 0, 0, 0));
}

void UserWithTagLabel::addItem(const TagItem& item)
{
    m_items.append(item);
    relayout();
}

void UserWithTagLabel::setUserTags(const ItemChatRecord& record)
{
    for (const UserTag& tag : record.tags)
        m_items.append(TagItem{tag.title, {}, false, {}, QColor(tag.color), 12, 20, true, false});
    TagItem name;
    // Wrapping measures what is left of the name once per line, so the work grows with the
    // square of its length: a name from the room beyond any real nickname is cut.
    name.text = record.from_client_name;
    if (name.text.size() > kMaxNameLength) {
        int cut = kMaxNameLength;
        if (name.text.at(cut - 1).isHighSurrogate())
            --cut;
        name.text = name.text.left(cut) + QStringLiteral("...");
    }
    name.color = QColor(0, 0, 0, 0);
    name.fontSize = 14;
    name.lineHeight = 20;
    name.wraps = true;
    m_items.append(name);
    relayout();
}

void UserWithTagLabel::clearTags()
{
    m_items.clear();
    relayout();
}

QString UserWithTagLabel::fitText(const QString& text, int fontSize, int limit,
                                  const chatlabel::TagTextSizer& sizer)
{
    return chatlabel::fitTagText(text, fontSize, limit, sizer);
}

void UserWithTagLabel::relayout()
{
    m_layout = chatlabel::layoutTags(m_items, width());
    const bool changed = height() != m_layout.height;
    if (changed)
        setFixedHeight(m_layout.height);
    update();
    if (changed)
        emit layoutChanged(m_layout.height);
}

void UserWithTagLabel::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    if (event->size().width() != event->oldSize().width())
        relayout();
}

void UserWithTagLabel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    for (const chatlabel::TagDrawOp& op : qAsConst(m_layout.ops)) {
        switch (op.type) {
        case chatlabel::TagDrawOp::Picture:
            p.drawPixmap(op.rect.topLeft(), op.picture);
            break;
        case chatlabel::TagDrawOp::Pill: {
            p.setPen(Qt::NoPen);
            if (op.gradient) {
                QLinearGradient g(op.rect.topLeft(), op.rect.topLeft() + QPoint(op.rect.width(), op.rect.height()));
                g.setStops(op.stops);
                p.setBrush(g);
            } else {
                p.setBrush(op.color);
            }
            p.drawRoundedRect(op.rect, 4, 4);
            break;
        }
        case chatlabel::TagDrawOp::Text: {
            QTextDocument doc;
            doc.setDefaultStyleSheet(QStringLiteral("color:white"));
            doc.setHtml(chatlabel::tagTextHtml(op.text, op.fontSize));
            p.save();
            p.translate(op.rect.topLeft());
            doc.drawContents(&p);
            p.restore();
            break;
        }
        }
    }
    emit paintEventFinished(true);
}
