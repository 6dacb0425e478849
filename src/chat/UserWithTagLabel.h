#pragma once
// The name line of a chat row or an online-user row: tag pills (pinned, alias, role, viewer
// tags), pictures (the shielded-viewer mark) and the sender's name, wrapping over as many lines
// as the width needs. Laid out when items or the width change, painted from the layout.

#include "chat/TagItem.h"

#include <QLabel>

class ItemChatRecord;

class UserWithTagLabel : public QLabel
{
    Q_OBJECT
public:
    // The longest sender name shown whole, in UTF-16 units; a longer one ends in "...".
    static constexpr int kMaxNameLength = 256;

    explicit UserWithTagLabel(QWidget* parent = nullptr);

    void addTag(const QString& text, bool gradient, const QGradientStops& stops, const QColor& color);
    void addGradientTag(const QString& text, const QGradientStops& stops);
    void addItem(const TagItem& item);
    // The record's viewer tags, then its sender's name; the list is not cleared first.
    void setUserTags(const ItemChatRecord& record);
    void clearTags();

    const QList<TagItem>& items() const { return m_items; }
    bool isSingleLine() const { return m_layout.singleLine; }
    int labelHeight() const { return m_layout.height; }
    const chatlabel::TagLayout& currentLayout() const { return m_layout; }

    void relayout();

    // Where the sender's name breaks over lines: the longest prefix of `text` whose estimated
    // width stays within `limit` (each character counts two thirds of its own width). The layout
    // step (chatlabel::layoutTags) uses the same function, chatlabel::fitTagText.
    static QString fitText(const QString& text, int fontSize, int limit,
                           const chatlabel::TagTextSizer& sizer = chatlabel::TagTextSizer());

signals:
    void paintEventFinished(bool isUpdate);
    void layoutChanged(int height);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QList<TagItem> m_items;
    chatlabel::TagLayout m_layout;
};
