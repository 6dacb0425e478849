#pragma once
// One of the room's tags in the tag dialog: a pill that a left or right press selects or
// unselects. Filled with the tag's colour when selected, a dashed outline otherwise.

#include "chat/ItemChatRecord.h"

#include <QWidget>

class QLabel;

class UserTagCheckWidget : public QWidget
{
    Q_OBJECT
public:
    explicit UserTagCheckWidget(QWidget* parent = nullptr);

    void setTag(const UserTag& tag);
    // Sets the flag and the look, and reports the state like a press does.
    void setSelected(bool selected);

    const UserTag& tag() const { return m_tag; }
    bool isSelected() const { return m_selected; }
    QLabel* label() const { return m_label; }
    QString selectedStyle() const { return m_selectedStyle; }
    QString unselectedStyle() const { return m_unselectedStyle; }

signals:
    void onRemove(int id);
    void onAdd(int id);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    QLabel* m_label;
    UserTag m_tag;
    QString m_unselectedStyle;
    QString m_selectedStyle;
    QString m_textStyle;
    bool m_selected = false;
};
