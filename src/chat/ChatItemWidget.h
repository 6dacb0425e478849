#pragma once
// One chat message in the chat list (or the pinned message above it): the sender's avatar, the
// name line, the bubble by message kind, the send time and the quoted line of a reply; and the
// message menu (pin, quote, delete) and sender menu (mute, block, shield, tag, mention).

#include "chat/ItemChatRecord.h"

#include <QJsonObject>
#include <QPoint>
#include <QPointer>
#include <QWidget>
#include <functional>

class ClickableLabel;
class MarkUserTagDialog;
class MessageLabel;
class UserWithTagLabel;
class QLabel;
#include <QMenu>
class QMouseEvent;
class QVBoxLayout;
class QHBoxLayout;

class ChatItemWidget : public QWidget
{
    Q_OBJECT
public:
    // What the row hands to the rest of the program; replaceable by tests and by the owners of
    // the dialogs (the tag dialog, the picture viewer); the online-user rows and the tag dialog use
    // them too and of the own-message ids.
    struct Hooks {
        std::function<void(QMenu* menu, const QPoint& globalPos)> execMenu;
        std::function<void(const QString& title, const QString& richContent, std::function<void()> onEnter)> confirm;
        std::function<void(const QString& text, int durationMs)> showTip;
        std::function<void(const QString& text, bool success, int durationMs)> showStatus;
        std::function<void(const ItemChatRecord& record, const QList<UserTag>& currentTags)> openTagDialog;
        // Runs a filled tag dialog (modally, by default) and lets it go.
        std::function<void(MarkUserTagDialog* dialog)> runTagDialog;
        std::function<void(const QString& address)> showBigImage;
        // The server's id of one of the host's own messages (known from its echo), or empty.
        std::function<QString(const ItemChatRecord& ownRecord)> serverMessageId;
    };
    static Hooks& hooks();
    static void resetHooks();

    // A row made inside `parent` takes the labels' look from the first holder above it that
    // shares it (shareLook); any other row carries its own style sheets. Build rows inside their
    // holder, so they are styled once.
    explicit ChatItemWidget(QWidget* parent = nullptr);

    // Lets every row inside `holder` take its look from one style sheet on the holder instead of
    // a sheet per label, which Qt parses and keeps for each widget.
    static void shareLook(QWidget* holder);

    void addChatRecord(const ItemChatRecord& record);

    // Menu entries, in order, for a record (message menu) and for a viewer-state reply "data"
    // object (sender menu).
    static QStringList messageMenuEntries(const ItemChatRecord& record);
    static QStringList senderMenuEntries(const QJsonObject& userInfo);
    // The size a picture bubble shows a picture of `picture` size at.
    static QSize scaledPictureSize(const QSize& picture, bool pinned);

    ClickableLabel* avatarLabel() const { return m_avatar; }
    UserWithTagLabel* nameLabel() const { return m_name; }
    MessageLabel* bubble() const { return m_bubble; }
    QLabel* timeLabel() const { return m_time; }
    MessageLabel* quoteBox() const { return m_quote; }
    QMenu* currentMenu() const { return m_menu; }
    const ItemChatRecord& currentRecord() const { return m_current; }
    int rowHeight() const { return m_rowHeight; }

public slots:
    void onShowMessageOptMenu(QVariant& payload, QMouseEvent* event);
    void onShowHeadImgOptMenu(QVariant& payload, QMouseEvent* event);
    void onShowBigImage(QVariant& payload);
    void onLabelPainted(bool isUpdate);

signals:
    void onLoadFinish(int height);
    void onClicked(QString action, ItemChatRecord item);
    void pixmapReady(QPixmap pixmap);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    QMenu* prepareMenu(const ItemChatRecord& record, const QStringList& entries);
    void runMenu(const QPoint& globalPos);
    void showSenderMenu(const ItemChatRecord& record, const QJsonObject& userInfo, const QPoint& globalPos);
    void pinMessage(const ItemChatRecord& record, const QString& entry);
    void fillPictureBubble(const ItemChatRecord& record);
    void styleLabel(QWidget* label, const char* name, const char* style);
    void scheduleHeightUpdate();
    void updateHeight();

    QPointer<QMenu> m_menu;
    ItemChatRecord m_current;
    int m_rowHeight = 0;
    QVBoxLayout* m_outer = nullptr;
    QHBoxLayout* m_row = nullptr;
    QVBoxLayout* m_content = nullptr;
    ClickableLabel* m_avatar = nullptr;
    UserWithTagLabel* m_name = nullptr;
    MessageLabel* m_bubble = nullptr;
    QLabel* m_time = nullptr;
    MessageLabel* m_quote = nullptr;
    bool m_heightUpdatePending = false;
    bool m_sharedLook = false;
};
