#include "canvas/RightMenu.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

RightMenu::RightMenu(QWidget* parent) : PopupMenuFrame(parent, QSize(100, 110))
{
    setAttribute(Qt::WA_MouseTracking);
    const QMargins margins(8, 1, 0, 1);
    m_rows[CancelRow] = addRow(CancelRow, "cancle.png", "取消应用", margins);
    m_rows[OverturnRow] = addRow(OverturnRow, "overturn.png", "翻转", QMargins(8, 1, 20, 1), true);
    m_rows[SortRow] = addRow(SortRow, "sort.png", "排序", margins, true);
    m_rows[ResetRow] = addRow(ResetRow, "reset.png", "重置", margins);
    setMode(0, 0);
}

RightMenu::~RightMenu()
{
    // The row taken out of the column has no owner.
    for (const Row& row : m_rows)
        if (!row.layout->parent())
            delete row.layout;
}

void RightMenu::setRowShown(const Row& row, bool shown)
{
    column()->removeItem(row.layout);
    row.layout->setParent(nullptr);
    for (QLabel* label : {row.icon, row.text, row.arrow})
        if (label)
            label->setVisible(shown);
    if (shown)
        column()->insertLayout(1, row.layout);
}

void RightMenu::setMode(int userId, int roomId)
{
    m_userId = userId;
    m_roomId = roomId;
    // The two rows share the second place: the one of the other kind of video is taken out.
    const bool own = userId == 0;
    setRowShown(m_rows[own ? SortRow : OverturnRow], false);
    setRowShown(m_rows[own ? OverturnRow : SortRow], true);
}

bool RightMenu::rowPressed(int row)
{
    hide();
    const int id = m_userId;
    switch (row) {
    case CancelRow:
        if (id == 0)
            emit sendCancleClicked();
        else
            emit sigCancelRefClicked(id);
        return false;
    case OverturnRow:
        emit sendOverturnClicked(id);
        return true;
    case SortRow:
        emit sigSortPageClicked(id);
        return true;
    case ResetRow:
        if (id == 0)
            emit sendResetClicked();
        else
            emit sigResetClicked(id);
        return false;
    default:
        return false;
    }
}
