#pragma once
// The chat bubble: coloured text runs (mention, reply author, gift) and inline pictures (emotes,
// the gift picture), or a single picture. Content is set by kind and fields, parsed into segments,
// laid out whenever content, pictures or the holder's width change (never while painting), and
// painted from the laid-out operations.

#include "chat/MessageSegment.h"
#include "widgets/ClickableLabel.h"

#include <QPointer>

class MessageLabel : public ClickableLabel
{
    Q_OBJECT
public:
    explicit MessageLabel(QWidget* parent = nullptr);

    // Plain text with emote codes.
    void setMessage(const QString& text);
    void setMessage(const MessageInput& input);
    void setMention(const QString& nickname, const QString& text);
    void setReply(const QString& author, const QString& text);
    void setGift(const QString& pictureAddress, const QString& count);
    void clearSegments();

    // Shown when there are no segments (a picture message).
    void setPicture(const QPixmap& picture);
    QPixmap picture() const { return m_picture; }
    void setBubbleColor(const QString& color);
    void setCornerRadius(int radius);

    const QList<MessageSegment>& segments() const { return m_segments; }
    const chatlabel::MessageLayout& currentLayout() const { return m_layout; }
    int maxLineWidth() const;

    // Lays the content out again at the holder's current width and takes the resulting size.
    void relayout();

signals:
    void layoutChanged(const QSize& size);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onPictureReady(const QString& address);
    void onHolderResized();
    void watchAncestors();

    QString m_bubbleColor = QStringLiteral("#404364");
    int m_cornerRadius = 14;
    QPixmap m_picture;
    QList<MessageSegment> m_segments;
    chatlabel::MessageLayout m_layout;
    int m_layoutWidth = -1; // the maximum line width the layout was made for
    QPointer<QWidget> m_watchedParent;
    QPointer<QWidget> m_watchedHolder;
    QMetaObject::Connection m_cacheConnection;
    QMetaObject::Connection m_holderConnection;
};
