#include "chat/TagItem.h"

#include <QCache>
#include <QGuiApplication>
#include <QTextBoundaryFinder>
#include <QTextDocument>

namespace chatlabel {

QString tagTextHtml(const QString& text, int fontSize)
{
    return QStringLiteral("<span style='color:white;font-size:%2px;font-family:Microsoft YaHei;'>%1</span>")
        .arg(text.toHtmlEscaped(), QString::number(fontSize));
}

namespace {

QSize measureTagText(const QString& text, int fontSize)
{
    QTextDocument doc;
    doc.setDefaultStyleSheet(QStringLiteral("color:white"));
    doc.setHtml(tagTextHtml(text, fontSize));
    const QSizeF s = doc.size();
    return QSize(int(s.width()), int(s.height()));
}

} // namespace

QSize tagTextSize(const QString& text, int fontSize)
{
    // A document per measure is slow, and the same names, tag titles and characters come back
    // with every message of a sender: sizes are remembered (for the application font they were
    // measured with).
    static QCache<QPair<QString, int>, QSize> cache(8192);
    static QFont measuredWith;
    const QFont appFont = QGuiApplication::font();
    if (appFont != measuredWith) {
        cache.clear();
        measuredWith = appFont;
    }
    const auto key = qMakePair(text, fontSize);
    if (const QSize* known = cache.object(key))
        return *known;
    const QSize size = measureTagText(text, fontSize);
    cache.insert(key, new QSize(size));
    return size;
}

QString fitTagText(const QString& text, int fontSize, int limit, const TagTextSizer& sizer)
{
    QTextBoundaryFinder bf(QTextBoundaryFinder::Grapheme, text);
    int sum = 0;
    int prev = 0;
    for (int next = bf.toNextBoundary(); next != -1; next = bf.toNextBoundary()) {
        const QString ch = text.mid(prev, next - prev);
        const int w = (sizer ? sizer(ch, fontSize) : tagTextSize(ch, fontSize)).width();
        sum += (2 * w) / 3;
        if (sum > limit)
            return text.left(prev);
        prev = next;
    }
    return text;
}

TagLayout layoutTags(const QList<TagItem>& items, int width, const TagTextSizer& sizerIn)
{
    const TagTextSizer sizer = sizerIn ? sizerIn : TagTextSizer(tagTextSize);
    TagLayout out;
    int x = 0;
    int y = 0;
    auto textOp = [&](const QString& text, int fontSize, int left, int top, const QSize& size) {
        TagDrawOp op;
        op.type = TagDrawOp::Text;
        op.text = text;
        op.fontSize = fontSize;
        op.rect = QRect(QPoint(left, top), size);
        out.ops.append(op);
    };
    for (const TagItem& item : items) {
        const int lh = item.lineHeight;
        int endX = x;
        if (!item.isText) {
            const int pw = item.picture.width();
            if (x + pw > width) {
                y += lh + 2;
                x = 0;
            }
            TagDrawOp op;
            op.type = TagDrawOp::Picture;
            op.rect = QRect(QPoint(x, y), item.picture.size());
            op.picture = item.picture;
            out.ops.append(op);
            out.height = y + lh;
            endX = x + pw;
        } else if (!item.wraps) {
            const QSize ts = sizer(item.text, item.fontSize);
            const int w = ts.width();
            if (x + w > width) {
                y += lh + 2;
                x = 0;
            }
            TagDrawOp pill;
            pill.type = TagDrawOp::Pill;
            pill.rect = QRect(x, y, w, lh);
            pill.gradient = item.gradient;
            pill.stops = item.stops;
            pill.color = item.color;
            out.ops.append(pill);
            textOp(item.text, item.fontSize, x, int((lh - ts.height()) * 0.5 + y), ts);
            out.height = y + lh + 1;
            endX = x + w;
        } else {
            QString rest = item.text;
            QSize rs = sizer(rest, item.fontSize);
            int w = rs.width();
            bool broke = false;
            while (x + w > width) {
                const QString part = fitTagText(rest, item.fontSize, width - x, sizerIn);
                if (part.isEmpty())
                    break;
                rest.remove(0, part.size());
                const QSize ps = sizer(part, item.fontSize);
                textOp(part, item.fontSize, x, int((lh - ps.height()) * 0.5 + y - 2), ps);
                y += lh + 2;
                broke = true;
                if (!rest.isEmpty())
                    x = 0;
                else
                    x += w;
                rs = rest.isEmpty() ? QSize() : sizer(rest, item.fontSize);
                w = rs.width();
            }
            if (!rest.isEmpty()) {
                textOp(rest, item.fontSize, x, int((lh - rs.height()) * 0.5 + y), rs);
                w = rs.width();
            } else if (broke) {
                // The last piece was drawn on the line just left: step back onto it.
                y -= lh + 2;
            }
            out.height = y + lh + 1;
            endX = x + w;
        }
        x = endX + 2;
    }
    out.singleLine = (y == 0);
    return out;
}

} // namespace chatlabel
