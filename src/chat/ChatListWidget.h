#pragma once
// The chat list: a QListWidget whose rows are widgets (ChatItemWidget).
//
// A list view places all of its row widgets again after every row inserted while it is visible,
// which lays the whole list out each time: adding n rows one by one costs n layouts of up to n
// rows. Rows that arrive together are added as a group instead: between beginRows and endRows
// the list does not place its row widgets; endRows places them once, before anything is painted.

#include <QListWidget>

class ChatListWidget : public QListWidget
{
    Q_OBJECT
public:
    using QListWidget::QListWidget;

    void beginRows() { m_grouping = true; }
    void endRows();
    bool isGrouping() const { return m_grouping; }

protected:
    void updateEditorGeometries() override;

private:
    bool m_grouping = false;
};
