#pragma once
// One viewer's row in the online-users list: for now the viewer's round photo and name only (the
// badge, the "更多" menu and the undo labels of the moderation tabs come with the rows' own work).
//
// The row keeps its own copy of the record. Its photo is fetched through PictureCache from web
// addresses only; until it arrives, and for any other address, the row shows the fallback.

#include "chat/ItemOnlineUserInfo.h"

#include <QWidget>

class QLabel;

class ItemOnlineUserWidget : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kRowHeight = 56;
    static constexpr int kPhotoSide = 40;

    explicit ItemOnlineUserWidget(const ItemOnlineUserInfo& record, QWidget* parent = nullptr);

    const ItemOnlineUserInfo& record() const { return m_record; }
    QLabel* photoLabel() const { return m_photo; }
    QLabel* nameLabel() const { return m_name; }

signals:
    // After every paint, with the row's size: the list then sizes the row and its item.
    void loadFinished(int width, int height);
    // The row asks the list to delete it.
    void onRemoveItem(ItemOnlineUserWidget* item);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ItemOnlineUserInfo m_record;
    QLabel* m_photo;
    QLabel* m_name;
};
