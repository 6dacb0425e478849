#pragma once
// The chat bubble's content as pure steps, so they can be tested by tables and fuzzed:
//   parse:  the message kind and its fields -> segments (text runs and picture runs with the
//           address their picture comes from; no I/O),
//   layout: segments, line width and font metrics -> draw operations and the bubble's size,
//   paint:  MessageLabel draws the operations and nothing else.
// Viewer text is only ever drawn as plain text, so markup in a message shows literally.

#include <QColor>
#include <QFont>
#include <QList>
#include <QPixmap>
#include <QRect>
#include <QSize>
#include <QString>
#include <QVector>

class QFontMetrics;

// One run of a message.
struct MessageSegment {
    bool isText = true;
    QString text;          // the run's text (null for picture runs)
    QPixmap picture;       // the run's picture once known (null for text runs and while loading)
    bool isReplyName = false;
    bool isGift = false;
    bool isMention = false;
    QString pictureUrl;    // where a picture run's picture comes from
};

// What a bubble shows: the message kind and its fields. Prefixes are never read out of the
// message text, so a viewer cannot make a text look like a gift, a mention or a reply.
struct MessageInput {
    enum Kind { Plain, Mention, Reply, Gift };
    Kind kind = Plain;
    QString text;        // Plain, Mention, Reply: the message text (may hold emote codes)
    QString name;        // Mention: the nickname; Reply: the quoted author
    QString giftPicture; // Gift: the gift picture's address
    QString giftCount;   // Gift: the count as given (may be empty)
};

namespace chatlabel {

constexpr int kLineHeight = 20;      // every line of a bubble, and the height of inline pictures
constexpr int kMinLineWidth = 228;   // the narrowest maximum line width
constexpr int kClassicEmoteMax = 75; // "[em_N]" shows a picture for N up to this
constexpr int kNewEmoteMax = 205;    // "[_em_N]" likewise

QString emotePictureUrl(bool classicSet, const QString& digits);
QList<MessageSegment> parseMessage(const MessageInput& input);

// The bubble's font: pixel size 14, "Microsoft YaHei" (or what the system substitutes).
QFont messageFont();
// The widest a line may grow for a label whose row sits in a holder `holderWidth` wide.
int maxLineWidth(int holderWidth);

struct DrawOp {
    enum Type { Text, Picture, Placeholder };
    Type type = Text;
    QRect rect;     // Text: the text's box (left, top, advance, font height); pictures: the target
    QString text;
    QColor color;
    QPixmap picture;
};

struct MessageLayout {
    QVector<DrawOp> ops;
    QSize size;             // the label's fixed size
    bool truncated = false; // a reply was cut after its second line
};

// A picture run whose picture is still loading takes a line-height square; one with neither a
// picture nor an address takes no room.
MessageLayout layoutMessage(const QList<MessageSegment>& segments, const QPixmap& picture, int maxWidth,
                            const QFontMetrics& fm);

QColor runColor(const MessageSegment& segment);

} // namespace chatlabel
