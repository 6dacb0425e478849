#include "chat/MessageSegment.h"

#include "core/ServiceConstants.h"

#include <QFontMetrics>
#include <QRegularExpression>
#include <QTextBoundaryFinder>

namespace chatlabel {

namespace {

MessageSegment textRun(const QString& text)
{
    MessageSegment s;
    s.text = text;
    return s;
}

MessageSegment pictureRun(const QString& url)
{
    MessageSegment s;
    s.isText = false;
    s.pictureUrl = url;
    return s;
}

// Splits a text at its emote codes: text before, between and after codes become separate runs;
// a bracketed code within its range becomes a picture run; everything else stays text.
void appendWithEmotes(QList<MessageSegment>& out, const QString& text)
{
    if (!text.contains(QLatin1String("[em_")) && !text.contains(QLatin1String("[_em_"))) {
        out.append(textRun(text));
        return;
    }
    static const QRegularExpression code(QStringLiteral("(\\[)?_?em_([0-9]{1,3})(\\])?"));
    int pos = 0;
    auto it = code.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        const QString whole = m.captured(0);
        const QString digits = m.captured(2);
        out.append(textRun(text.mid(pos, m.capturedStart(0) - pos)));
        pos = m.capturedEnd(0);
        const bool classic = whole.startsWith(QLatin1String("[em_"));
        const bool newSet = whole.startsWith(QLatin1String("[_em_"));
        const int n = digits.toInt();
        if ((classic && n <= kClassicEmoteMax) || (newSet && n <= kNewEmoteMax))
            out.append(pictureRun(emotePictureUrl(classic, digits)));
        else
            out.append(textRun(whole)); // out of range or without its bracket: keep it as typed
    }
    if (pos < text.size())
        out.append(textRun(text.mid(pos)));
}

} // namespace

QString emotePictureUrl(bool classicSet, const QString& digits)
{
    const char* path = classicSet ? "/Public/Home/Images/Faces/%1.png" : "/Public/Home/Images/newFaces/%1.png";
    return STATIC_HOST_URL + QString::fromLatin1(path).arg(digits);
}

QList<MessageSegment> parseMessage(const MessageInput& input)
{
    QList<MessageSegment> out;
    switch (input.kind) {
    case MessageInput::Gift: {
        out.append(textRun(QStringLiteral("送出了 ")));
        MessageSegment pic = pictureRun(input.giftPicture);
        pic.isGift = true;
        out.append(pic);
        MessageSegment count = textRun(QStringLiteral(" x") + input.giftCount);
        count.isGift = true;
        out.append(count);
        return out;
    }
    case MessageInput::Mention: {
        MessageSegment at = textRun(QLatin1Char('@') + input.name);
        at.isMention = true;
        out.append(at);
        break;
    }
    case MessageInput::Reply: {
        MessageSegment name = textRun(input.name + QStringLiteral("："));
        name.isReplyName = true;
        out.append(name);
        break;
    }
    case MessageInput::Plain:
        break;
    }
    appendWithEmotes(out, input.text);
    return out;
}

QFont messageFont()
{
    QFont f(QStringLiteral("Microsoft YaHei"));
    f.setPixelSize(14);
    return f;
}

int maxLineWidth(int holderWidth)
{
    return qMax(kMinLineWidth, holderWidth - 78);
}

QColor runColor(const MessageSegment& s)
{
    if (s.isGift)
        return QColor(QStringLiteral("#FF0E4C"));
    if (s.isReplyName)
        return QColor(QStringLiteral("#888A98"));
    if (s.isMention)
        return QColor(QStringLiteral("#7AB1FF"));
    return QColor(Qt::white);
}

namespace {

struct Cursor {
    Cursor(const QFontMetrics& metrics, int width) : fm(metrics), maxWidth(width) {}

    const QFontMetrics& fm;
    int maxWidth;
    int x = 6;
    int y = 3;
    int r = 6;
    bool reply = false;
    bool cut = false;
    MessageLayout out;

    int textTop() const { return y + (kLineHeight - fm.height()) / 2 - 2 + 4; }

    void drawText(const QString& text, const QColor& color)
    {
        if (text.isEmpty())
            return;
        DrawOp op;
        op.type = DrawOp::Text;
        // The text sits 4 px inside the pen position, as in a rich-text document with its margin.
        op.rect = QRect(x + 4, textTop(), fm.horizontalAdvance(text), fm.height());
        op.text = text;
        op.color = color;
        out.ops.append(op);
    }

    bool onFirstLine() const { return y <= 3; }

    void textRun(const MessageSegment& s)
    {
        const QColor color = runColor(s);
        const int a = fm.horizontalAdvance(s.text);
        r = qMin(maxWidth, r + a);
        if (x + a <= maxWidth) {
            drawText(s.text, color);
            x += a;
            return;
        }
        r = maxWidth;
        // Break the run: a line grows one character (grapheme) at a time and is drawn as soon
        // as it reaches the maximum width.
        QTextBoundaryFinder bf(QTextBoundaryFinder::Grapheme, s.text);
        int lineStart = 0;
        int lineAdvance = 0;
        int prev = 0;
        for (int next = bf.toNextBoundary(); next != -1; next = bf.toNextBoundary()) {
            // One-unit characters take the cheap single-character measure.
            lineAdvance += next - prev == 1 ? fm.horizontalAdvance(s.text.at(prev))
                                            : fm.horizontalAdvance(s.text.mid(prev, next - prev));
            const int lastStart = prev;
            prev = next;
            if (x + lineAdvance < maxWidth)
                continue;
            QString line = s.text.mid(lineStart, next - lineStart);
            if (reply && !onFirstLine()) {
                // A quoted reply shows two lines at most; the second ends in "...".
                line = s.text.mid(lineStart, lastStart - lineStart) + QStringLiteral("...");
                drawText(line, color);
                x = 6;
                cut = true;
                out.truncated = true;
                return;
            }
            drawText(line, color);
            y += kLineHeight;
            x = 6;
            lineStart = next;
            lineAdvance = 0;
        }
        const QString rest = s.text.mid(lineStart);
        drawText(rest, color);
        x += fm.horizontalAdvance(rest);
    }

    void pictureRun(const MessageSegment& s)
    {
        QSize src;
        DrawOp op;
        if (!s.picture.isNull()) {
            src = s.picture.size();
            op.type = DrawOp::Picture;
            op.picture = s.picture;
        } else if (!s.pictureUrl.isEmpty()) {
            src = QSize(kLineHeight, kLineHeight);
            op.type = DrawOp::Placeholder;
        } else {
            return;
        }
        if (src.height() <= 0 || src.width() <= 0)
            return;
        qint64 scaled = qint64(src.width()) * kLineHeight / src.height();
        if (scaled <= 0)
            return;
        // A picture never gets wider than a line: an extreme aspect ratio must not stretch the row.
        scaled = qMin<qint64>(scaled, qMax(1, maxWidth - 6));
        const int w = int(scaled);
        const int advance = w + (s.isGift ? 4 : 0);
        if (x + w > maxWidth) {
            if (reply && !onFirstLine()) {
                cut = true;
                out.truncated = true;
                return;
            }
            x = 6;
            y += kLineHeight;
            r = maxWidth + 6;
        } else {
            r += advance;
        }
        op.rect = QRect(x + 4, y + 2, w, kLineHeight);
        out.ops.append(op);
        x += advance;
    }
};

} // namespace

MessageLayout layoutMessage(const QList<MessageSegment>& segments, const QPixmap& picture, int maxWidth,
                            const QFontMetrics& fm)
{
    if (segments.isEmpty()) {
        MessageLayout out;
        if (!picture.isNull()) {
            DrawOp op;
            op.type = DrawOp::Picture;
            op.rect = QRect(QPoint(8, 10), picture.size());
            op.picture = picture;
            out.ops.append(op);
        }
        out.size = QSize(picture.width() + 16, picture.height() + 18);
        return out;
    }
    Cursor c(fm, maxWidth);
    for (const MessageSegment& s : segments) {
        if (c.cut)
            break; // nothing follows a reply cut at its second line
        if (s.isReplyName)
            c.reply = true;
        if (s.isText)
            c.textRun(s);
        else
            c.pictureRun(s);
    }
    c.out.size = QSize(c.r + 14, c.y + 29);
    return c.out;
}

} // namespace chatlabel
