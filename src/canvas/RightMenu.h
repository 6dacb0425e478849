#pragma once
// The preview's context menu of one video: "取消应用", then "翻转" (the host's own camera, id 0) or
// "排序" (a co-host's video), then "重置". A left press hides the menu and emits the row's signal:
// the local form for id 0, the form with the id for a co-host. The main window wires the signals
// (initRightMenu) and places the menu at the pointer.

#include "canvas/PopupMenuFrame.h"

#include <QPoint>

class RightMenu : public PopupMenuFrame
{
    Q_OBJECT
public:
    enum RowId { CancelRow, OverturnRow, SortRow, ResetRow };

    // A submenu opens this far from where the menu was opened, beside its second row.
    static QPoint submenuOffset() { return QPoint(104, 35); }

    explicit RightMenu(QWidget* parent = nullptr);
    ~RightMenu() override;

    // Id 0 shows "翻转" in the second place, any other id "排序"; both ids are kept.
    void setMode(int userId, int roomId);
    int roomId() const { return m_roomId; }

    const Row& row(RowId id) const { return m_rows[id]; }

signals:
    void sigCancelRefClicked(int userId);
    void sigSortPageClicked(int userId);
    void sendCancleClicked();
    void sendOverturnClicked(int userId);
    void sendResetClicked();
    void sigResetClicked(int userId);

protected:
    bool rowPressed(int row) override;

private:
    void setRowShown(const Row& row, bool shown);

    Row m_rows[4];
    int m_roomId = 0;
};
