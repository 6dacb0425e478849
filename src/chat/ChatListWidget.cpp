#include "chat/ChatListWidget.h"

void ChatListWidget::endRows()
{
    if (!m_grouping)
        return;
    m_grouping = false;
    // Runs the layout the insertions asked for and places every row widget.
    updateEditorGeometries();
}

void ChatListWidget::updateEditorGeometries()
{
    if (m_grouping)
        return;
    QListWidget::updateEditorGeometries();
}
