#pragma once
// The emote grid that pops up over the chat page: 205 cells, a left press on one hands its code
// ("[_em_N]") out through emoteSelected. The cells are made once; a resize only re-places them.
// A picture missing from the emote cache comes through PictureCache (the load-failed picture when
// it cannot be had); the cell sends its code either way.

#include <QVector>
#include <QWidget>

class ClickableLabel;
class QGridLayout;
class QScrollArea;

class EmoteListWidget : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kCellSize = 32;
    static constexpr int kPictureSize = 24;
    static constexpr int kColumnWidth = 36; // of the parent's width, per column
    static constexpr int kHeight = 168;

    // bottomOffset: the distance kept between this widget's bottom and the parent's bottom.
    EmoteListWidget(QWidget* parent, int bottomOffset);

    // Recomputes the columns, rebuilds the grid when they changed and places the widget.
    void updateLayout();
    // Lays the cells out in rows of the current columns. The cells themselves (and their
    // pictures) are made once, at construction, and kept: a rebuild only re-places them.
    void rebuildGrid();

    int columns() const { return m_columns; }
    ClickableLabel* cell(int number) const; // 1 .. 205
    QGridLayout* grid() const { return m_grid; }

signals:
    void emoteSelected(QString emote);

protected:
    void focusOutEvent(QFocusEvent* event) override;

private:
    void makeCells();

    QGridLayout* m_grid = nullptr;
    QScrollArea* m_scrollArea = nullptr;
    int m_columns = 0;
    int m_bottomOffset = 0;
    QVector<ClickableLabel*> m_cells;
};
