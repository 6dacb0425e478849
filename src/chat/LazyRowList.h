#pragma once
// A QListWidget whose rows are widgets made only where they are seen (the chat list, the online
// users).
//
// A row is an item holding its record and a size; its widget is made by the row factory when the
// row comes within reach of the viewport (and on request, rowWidget), and let go again once it is
// far out of view and nothing holds it (the pointer over it, an open menu, kHeldProperty). A row let go keeps
// the size its widget measured; a row never made is sized like the last row of its shape (or the
// list's first guess). So a long list costs a record per row, and widgets only for the rows on
// screen. Items without a record (the load-more header, say) keep the widget they are given.
//
// The list does its own layout. A list view lays every row out again (asking each row its size)
// after each row inserted, removed or resized, so each message would cost more the longer the
// list. Here each row's height is kept in a ChatRowHeights as the row comes, changes or goes, and
// only the rows in view are asked where they are or are painted: adding or removing a row, at the
// end or anywhere else, costs about the same at 50,000 rows as at 1,000. Rows are as wide as the viewport (or their own width if wider), one
// under the other, and scroll by the pixel, as a list view in list mode places them.
//
// Rows that arrive together are added as a group: between beginRows and endRows the list does not
// place its row widgets; endRows places them once, before anything is painted.

#include "chat/ChatRowHeights.h"

#include <QHash>
#include <QListWidget>
#include <QPointer>

#include <functional>

class LazyRowList : public QListWidget
{
    Q_OBJECT
public:
    // Item data: the record a message row shows (an ItemChatRecord), and its shape.
    static constexpr int kRecordRole = Qt::UserRole + 18;
    static constexpr int kShapeRole = Qt::UserRole + 19;
    // A row widget whose property of this name is above 0 is kept like a hovered one (an
    // operation on its way that will come back to the row).
    static constexpr const char* kHeldProperty = "lazyRowHeld";

    using QListWidget::QListWidget;

    // Makes the widget of a message row from its item (a child of the viewport).
    using RowFactory = std::function<QWidget*(QListWidgetItem* item)>;
    void setRowFactory(RowFactory factory) { m_factory = std::move(factory); }
    const RowFactory& rowFactory() const { return m_factory; }

    // A row's item: the record, its shape (rows of one shape are sized alike until made) and the
    // size of the shape's last made row (the first guess before any was made).
    QListWidgetItem* makeRowItem(const QVariant& record, const QString& shape) const;
    void setFirstGuess(const QSize& size) { m_firstGuess = size; }

    // The row's widget, made now when it has none.
    QWidget* rowWidget(int row);
    // Rows that have a widget now.
    int madeRows() const { return m_made.size(); }
    // The item whose made widget is `row` (null when the row is not one of this list's now).
    QListWidgetItem* itemForRow(const QWidget* row) const;

    void beginRows() { m_grouping = true; }
    void endRows();
    bool isGrouping() const { return m_grouping; }

    QRect visualRect(const QModelIndex& index) const override;
    QModelIndex indexAt(const QPoint& point) const override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

public slots:
    void reset() override;

protected slots:
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QVector<int>& roles = QVector<int>()) override;
    void rowsInserted(const QModelIndex& parent, int start, int end) override;
    void rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) override;
    void updateEditorGeometries() override;
    void updateGeometries() override;

protected:
    void doItemsLayout() override;
    void scrollContentsBy(int dx, int dy) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    int horizontalOffset() const override { return 0; }
    int verticalOffset() const override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) override;

private:
    // Makes the rows within reach of the viewport and lets go of those far from it.
    void updateRows();
    QWidget* makeRow(QListWidgetItem* item);
    bool isHeld(QWidget* row) const;
    // Takes the widget off its item, finding the item's row from where the widget stands.
    void releaseRow(QListWidgetItem* item, QWidget* row);
    // The size a row asks for (its item's size hint).
    QSize rowSize(const QModelIndex& index) const;
    // Heights read anew from every row when they no longer match the model (a reset).
    void syncHeights() const;
    // The row at the viewport's y (-1: none).
    int rowAtViewportY(int y) const;

    mutable ChatRowHeights m_heights;
    QPersistentModelIndex m_hover;
    RowFactory m_factory;
    QHash<QListWidgetItem*, QPointer<QWidget>> m_made;
    QHash<QString, QSize> m_shapeSizes;
    QSize m_firstGuess{0, 76};
    bool m_grouping = false;
    bool m_updating = false;
    bool m_followQueued = false;
};
