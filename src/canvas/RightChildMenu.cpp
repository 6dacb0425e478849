#include "canvas/RightChildMenu.h"

RightChildMenu::RightChildMenu(QWidget* parent) : PopupMenuFrame(parent, QSize(140, 136))
{
    const QMargins margins(8, 6, 0, 6);
    m_rows[ClockwiseRow] = addRow(ClockwiseRow, "clockwise.png", "顺时针旋转90度", margins);
    m_rows[AnticlockwiseRow] = addRow(AnticlockwiseRow, "anticlockwise.png", "逆时针旋转90度", margins);
    m_rows[LevelRow] = addRow(LevelRow, "level.png", "水平翻转", margins);
    m_rows[VerticalRow] = addRow(VerticalRow, "vertical.png", "垂直翻转", margins);
}

bool RightChildMenu::rowPressed(int row)
{
    const int id = m_userId;
    switch (row) {
    case ClockwiseRow:
        if (id == 0)
            emit sendClockwiseClicked();
        else
            emit sigClockwiseRotate(id);
        return true;
    case AnticlockwiseRow:
        if (id == 0)
            emit sendAanticlockwiseClicked();
        else
            emit sigUnClockwiseRotate(id);
        return true;
    case LevelRow:
        if (id == 0)
            emit sendLevelClicked();
        else
            emit sigRemoteLevelClicked(id);
        return true;
    case VerticalRow:
        emit sendVerticalClicked();
        return true;
    default:
        return false;
    }
}
