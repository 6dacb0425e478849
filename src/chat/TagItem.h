#pragma once
// The name line's items and its layout as a pure step: items and the label's width -> draw
// operations, height and whether everything fitted on one line. Texts are measured and drawn as
// rich-text documents whose text is escaped, so a viewer's name or tag title shows literally.

#include <QColor>
#include <QGradientStops>
#include <QList>
#include <QPixmap>
#include <QRect>
#include <QString>
#include <QVector>
#include <functional>

// One item of the name line: a pill (tag), the sender's name (wraps), or a picture.
struct TagItem {
    QString text;
    QPixmap picture;
    bool gradient = false;  // fill the pill with a linear gradient instead of `color`
    QGradientStops stops;
    QColor color;
    int fontSize = 12;      // pixels
    int lineHeight = 20;
    bool isText = true;     // false: a picture item
    bool wraps = false;     // true for the sender's name: may break over lines, no pill
};

namespace chatlabel {

struct TagDrawOp {
    enum Type { Picture, Pill, Text };
    Type type = Text;
    QRect rect;      // Pill: the pill; Text: the document's origin (top-left) and size; Picture: target
    QString text;
    int fontSize = 12;
    QPixmap picture;
    bool gradient = false;
    QGradientStops stops;
    QColor color;
};

struct TagLayout {
    QVector<TagDrawOp> ops;
    int height = 0;
    bool singleLine = true;
};

// Size of a text as the name line draws it (a document with the text in a white span);
// remembered per text and size.
using TagTextSizer = std::function<QSize(const QString& text, int fontSize)>;
QSize tagTextSize(const QString& text, int fontSize);
QString tagTextHtml(const QString& text, int fontSize);

// The longest prefix of `text` whose estimated width stays within `limit`: each character
// counts two thirds of its own document's width. Without a sizer, tagTextSize measures.
// UserWithTagLabel::fitText is this step under the label's name.
QString fitTagText(const QString& text, int fontSize, int limit, const TagTextSizer& sizer = TagTextSizer());

TagLayout layoutTags(const QList<TagItem>& items, int width, const TagTextSizer& sizer = TagTextSizer());

} // namespace chatlabel
