#pragma once
// One viewer's row in the online-user lists: the round photo, the name (elided, full name as tool
// tip), an assistant or administrator badge on the online tab, and one action label: "更多" on the
// online tab (the moderation menu, read from the viewer's current state), or the undo of the
// muted, blocked or shielded tab.
//
// The row keeps its own copy of the record. Its photo is fetched through PictureCache from web
// addresses only; until it arrives, and for any other address, the row shows the fallback. Menus,
// confirmations and toasts go through the chat row's hooks. A row can be deleted while a request
// of it is pending (every reload clears the list): continuations hold it by QPointer.

#include "chat/ItemOnlineUserInfo.h"

#include <QJsonObject>
#include <QMenu>
#include <QPointer>
#include <QWidget>

class ClickableLabel;
class QLabel;
class QVBoxLayout;
class UserWithTagLabel;

class ItemOnlineUserWidget : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kRowHeight = 56;
    static constexpr int kPhotoSide = 40;

    explicit ItemOnlineUserWidget(const ItemOnlineUserInfo& record, QWidget* parent = nullptr);

    // Where the menu opens: right edge on the row's right edge, below the row, or above it when
    // no more than a row's height remains under the row's top.
    static QPoint menuPosition(const QPoint& rowTopRight, int availableHeight, const QSize& menuHint);

    const ItemOnlineUserInfo& record() const { return m_record; }
    QLabel* photoLabel() const { return m_photo; }
    QLabel* nameLabel() const { return m_name; }
    UserWithTagLabel* badgeLabel() const { return m_badge; }
    ClickableLabel* actionLabel() const { return m_action; }
    QMenu* currentMenu() const { return m_menu; }

public slots:
    // The "更多" label: asks for the viewer's state and opens the menu.
    void setOnlineListListener();
    void updateUsername();

signals:
    // After every paint, with the row's size: the list then sizes the row and its item.
    void loadFinished(int width, int height);
    // The row asks the list to delete it.
    void onRemoveItem(ItemOnlineUserWidget* item);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The undo label of the muted, blocked and shielded tabs.
    void setClickListener(const QString& buttonText);
    void showMenu(const QJsonObject& userInfo);
    void entryChosen(const QJsonObject& userInfo, const QString& entry, const QStringList& entries);
    // Sends a moderation measure for this viewer, the row held in the list until it is answered;
    // the row asks to be taken away when it was taken and the viewer leaves this list.
    void sendHeld(const QString& entry, qint64 roomId, const QString& spaceId, bool leavesList);

    QLabel* m_photo;
    QVBoxLayout* m_nameColumn;
    QLabel* m_name;
    UserWithTagLabel* m_badge = nullptr;
    ClickableLabel* m_action = nullptr;
    ItemOnlineUserInfo m_record;
    QPointer<QMenu> m_menu;
    bool m_badgeDone = false;
};
