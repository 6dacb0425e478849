#pragma once
// The side panel's search bar (online users and the co-host list): a dark 40 px frame with the
// name edit (search icon in front, placeholder "请输入用户昵称搜索") and the "搜索" button. The
// clear action sits at the edit's end while the edit has text, and empties it.

#include <QFrame>

class ClickableLabel;
class QAction;
class QLineEdit;

class SideSearchBar : public QFrame
{
    Q_OBJECT
public:
    // The edit and the button are named <prefix>_search_edit and <prefix>_search_button.
    SideSearchBar(const QString& namePrefix, QWidget* parent = nullptr);

    QLineEdit* edit() const { return m_edit; }
    ClickableLabel* button() const { return m_button; }
    QAction* clearAction() const { return m_clearAction; }

private:
    QLineEdit* m_edit = nullptr;
    ClickableLabel* m_button = nullptr;
    QAction* m_clearAction = nullptr;
};
