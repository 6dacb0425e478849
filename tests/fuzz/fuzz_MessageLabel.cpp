// Arbitrary message kinds, texts, widths and picture sizes through the chat bubble's parse and
// layout steps and the name line's layout; checks the invariants a row relies on.
//
// Input: byte 0 the kind, byte 1 the holder width / 4, byte 2 the name line width, byte 3 how
// picture runs get their pictures; the rest is UTF-8 split at 0x1F into the text, the name, the
// gift picture address, the gift count and tag titles.
#include "chat/MessageSegment.h"
#include "chat/TagItem.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

QGuiApplication* app = nullptr;

void failed(int line)
{
    fprintf(stderr, "invariant at line %d does not hold\n", line);
    abort();
}
#define check(ok) ((ok) ? void() : failed(__LINE__))

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    app = new QGuiApplication(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4)
        return 0;
    const int kind = data[0] % 4;
    const int holderWidth = data[1] * 4;
    const int tagWidth = data[2];
    const uint8_t pictureMode = data[3];
    const QStringList fields =
        QString::fromUtf8(reinterpret_cast<const char*>(data + 4), int(size - 4)).split(QChar(0x1F));
    auto field = [&](int i) { return i < fields.size() ? fields[i] : QString(); };

    MessageInput in;
    in.kind = MessageInput::Kind(kind);
    in.text = field(0);
    in.name = field(1);
    in.giftPicture = field(2);
    in.giftCount = field(3);
    QList<MessageSegment> segments = chatlabel::parseMessage(in);
    check(!segments.isEmpty());

    // Picture runs get a picture (sizes from the input, extreme ones included), none yet (still
    // loading), or stay null without an address.
    int n = 0;
    for (MessageSegment& s : segments) {
        if (s.isText)
            continue;
        check(!s.pictureUrl.isNull() || kind == MessageInput::Gift);
        const int mode = (pictureMode >> (2 * (n++ % 4))) & 3;
        if (mode == 1)
            s.picture = QPixmap(1 + pictureMode % 64, 1 + (pictureMode * 7) % 64);
        else if (mode == 2)
            s.picture = QPixmap(pictureMode % 2 ? 4096 : 1, pictureMode % 2 ? 1 : 4096);
        else if (mode == 3)
            s.pictureUrl.clear();
    }

    const QFontMetrics fm(chatlabel::messageFont());
    const int maxWidth = chatlabel::maxLineWidth(holderWidth);
    const chatlabel::MessageLayout l = chatlabel::layoutMessage(segments, QPixmap(), maxWidth, fm);
    check(l.size.width() >= 20 && l.size.height() >= 32);
    QString drawn;
    for (const chatlabel::DrawOp& op : l.ops) {
        check(op.rect.left() >= 10 && op.rect.top() >= 0);
        check(op.rect.bottom() < l.size.height());
        if (op.type != chatlabel::DrawOp::Text)
            check(op.rect.height() == chatlabel::kLineHeight && op.rect.width() <= maxWidth);
        else
            drawn += op.text;
    }
    if (!l.truncated) {
        QString runs;
        for (const MessageSegment& s : segments)
            runs += s.text;
        check(drawn == runs);
    } else {
        check(kind == MessageInput::Reply && l.size.height() == 23 + 29);
    }

    // A picture-only bubble.
    const QPixmap single(pictureMode % 50, pictureMode % 30);
    const auto pictureOnly = chatlabel::layoutMessage({}, single, maxWidth, fm);
    check(pictureOnly.size == QSize(single.width() + 16, single.height() + 18));

    // The name line: tag pills from the remaining fields, then the name.
    QList<TagItem> items;
    for (int i = 4; i < fields.size() && i < 8; ++i) {
        TagItem t;
        t.text = fields[i].left(64);
        t.gradient = i % 2;
        items.append(t);
    }
    TagItem name;
    name.text = field(1).left(64);
    name.fontSize = 14;
    name.wraps = true;
    items.append(name);
    // Measuring through rich-text documents is slow (and slower still under the sanitizers):
    // most inputs use font metrics of the same shape (advance plus the document's margins), short
    // lines with a width divisible by 16 the real documents.
    const QFontMetrics tagFm(chatlabel::messageFont());
    const chatlabel::TagTextSizer quick = [&tagFm](const QString& t, int) {
        return QSize(tagFm.horizontalAdvance(t) + 8, tagFm.height() + 8);
    };
    int chars = 0;
    for (const TagItem& t : items)
        chars += t.text.size();
    const bool real = tagWidth % 16 == 0 && chars <= 16;
    const chatlabel::TagLayout tl = chatlabel::layoutTags(items, tagWidth, real ? nullptr : quick);
    check(tl.height >= 21 && tl.singleLine == (tl.height == 21));
    return 0;
}
