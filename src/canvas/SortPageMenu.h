#pragma once
// The layer-order submenu of a co-host's video: "移至顶层" and "移至底层". A left press hides it,
// emits the row's signal with the co-host's id and confirms with a toast. The rows "上移一层" and
// "下移一层" are built with their signals but not offered.

#include "canvas/PopupMenuFrame.h"

class SortPageMenu : public PopupMenuFrame
{
    Q_OBJECT
public:
    enum RowId { TopRow, BottomRow, UpRow, DownRow };
    static constexpr int kToastMs = 2000;

    explicit SortPageMenu(QWidget* parent = nullptr);

    const Row& row(RowId id) const { return m_rows[id]; }

signals:
    void sigUpPage(int userId);
    void sigDownPage(int userId);
    void sigTopPage(int userId);
    void sigBottomPage(int userId);

protected:
    bool rowPressed(int row) override;

private:
    Row m_rows[4];
};
