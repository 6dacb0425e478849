#pragma once
// Tags one viewer: the viewer's photo, name, id and region, and every tag of the room as a
// selectable pill, five per row, the viewer's current tags selected. Saving sends the whole
// selection, in the order it was made, which replaces the viewer's tags on the service.
//
// Made without a parent for one viewer and run modally (through the chat row's runTagDialog hook)
// by either opener: the online-user row's menu and the chat row's sender menu.

#include "chat/ItemChatRecord.h"

#include <QDialog>
#include <QList>

class ClickableLabel;
class QGridLayout;
class QLabel;
class QPushButton;
class QScrollArea;
class UserTagCheckWidget;

class MarkUserTagDialog : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kBaseHeight = 198; // the dialog's height without the tag area
    static constexpr int kMaxTagAreaHeight = 176;

    explicit MarkUserTagDialog(QWidget* parent = nullptr);

    // Makes, fills and runs the dialog for one viewer; the photo is fetched from its address.
    static void openFor(const QString& name, const QString& photoAddress, int spaceId, const QString& region,
                     qint64 roomId, const QList<UserTag>& viewerTags);

    void setUserInfo(const QString& name, const QPixmap& photo, int spaceId, const QString& region, qint64 roomId);
    // The photo from a web address (the fallback until it arrives, and for anything else).
    void setPhotoAddress(const QString& address);
    void setViewerTags(const QList<UserTag>& tags) { m_viewerTags = tags; }
    void requestTagList();

    // The tag area's height for a number of tags (0 for none).
    static int tagAreaHeight(int tagCount);

    QLabel* photoLabel() const { return m_photo; }
    QLabel* nameLabel() const { return m_name; }
    QLabel* infoLabel() const { return m_info; }
    QGridLayout* grid() const { return m_grid; }
    QScrollArea* scrollArea() const { return m_scroll; }
    QPushButton* confirmButton() const { return m_confirm; }
    QPushButton* cancelButton() const { return m_cancel; }
    ClickableLabel* closeIcon() const { return m_close; }
    const QList<int>& selectedIds() const { return m_selectedIds; }
    QList<UserTagCheckWidget*> tagWidgets() const;

private:
    void fillGrid(const QList<UserTag>& roomTags);
    void save();

    QLabel* m_photo;
    QLabel* m_name;
    QLabel* m_info;
    QGridLayout* m_grid;
    QScrollArea* m_scroll;
    QList<UserTag> m_viewerTags;
    QList<int> m_selectedIds;
    qint32 m_spaceId = 0;
    qint64 m_roomId = 0;
    ClickableLabel* m_close;
    QPushButton* m_cancel;
    QPushButton* m_confirm;
};
