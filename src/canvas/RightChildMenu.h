#pragma once
// The rotate and flip submenu of the host's camera, opened beside the context menu's "翻转" row. A
// choice does not close it: a press elsewhere in the main window does. Local signals serve the
// host's camera (id 0), the ones with an id a co-host's video.

#include "canvas/PopupMenuFrame.h"

class RightChildMenu : public PopupMenuFrame
{
    Q_OBJECT
public:
    enum RowId { ClockwiseRow, AnticlockwiseRow, LevelRow, VerticalRow };

    explicit RightChildMenu(QWidget* parent = nullptr);

    const Row& row(RowId id) const { return m_rows[id]; }

signals:
    void sendClockwiseClicked();
    void sendAanticlockwiseClicked();
    void sendLevelClicked();
    void sendVerticalClicked();
    void sigClockwiseRotate(int userId);
    void sigUnClockwiseRotate(int userId);
    void sigRemoteLevelClicked(int userId);

protected:
    bool rowPressed(int row) override;

private:
    Row m_rows[4];
};
