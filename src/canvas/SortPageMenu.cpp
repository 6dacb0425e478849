#include "canvas/SortPageMenu.h"

#include "core/Toast.h"

SortPageMenu::SortPageMenu(QWidget* parent) : PopupMenuFrame(parent, QSize(140, 68))
{
    const QMargins margins(8, 6, 0, 6);
    m_rows[TopRow] = addRow(TopRow, "Topping.png", "移至顶层", margins);
    m_rows[BottomRow] = addRow(BottomRow, "anticlockwise.png", "移至底层", margins);
    m_rows[UpRow] = addRow(UpRow, "level.png", "上移一层", margins, false, false);
    m_rows[DownRow] = addRow(DownRow, "vertical.png", "下移一层", margins, false, false);
}

bool SortPageMenu::rowPressed(int row)
{
    hide();
    const int id = m_userId;
    switch (row) {
    case TopRow:
        emit sigTopPage(id);
        break;
    case BottomRow:
        emit sigBottomPage(id);
        break;
    case UpRow:
        emit sigUpPage(id);
        return false;
    case DownRow:
        emit sigDownPage(id);
        return false;
    default:
        return false;
    }
    // Confirmed whether or not the co-host still has a video over the preview.
    Toast::getInstance()->showStatus(QString::fromUtf8("操作成功"), true, kToastMs);
    return false;
}
