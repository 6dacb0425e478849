#pragma once
// The chat list: a QListWidget whose message rows are widgets (ChatItemWidget) made only where
// they are seen.
//
// A message row is an item holding its record and a size; its widget is made by the row factory
// when the row comes within reach of the viewport (and on request, rowWidget), and let go again
// once it is far out of view and nothing holds it (the pointer over it, an open menu). A row let
// go keeps the size its widget measured; a row never made is sized like the last row of its
// shape. So a busy room costs a record per message, and widgets only for the rows on screen.
// Items without a record (the load-more header, say) keep the widget they are given.
//
// A list view places all of its row widgets again after every row inserted while it is visible,
// which lays the whole list out each time. Rows that arrive together are added as a group instead:
// between beginRows and endRows the list does not place its row widgets; endRows places them once,
// before anything is painted.

#include <QHash>
#include <QListWidget>
#include <QPointer>

#include <functional>

class ChatListWidget : public QListWidget
{
    Q_OBJECT
public:
    // Item data: the record a message row shows (an ItemChatRecord), and its shape.
    static constexpr int kRecordRole = Qt::UserRole + 18;
    static constexpr int kShapeRole = Qt::UserRole + 19;

    using QListWidget::QListWidget;

    // Makes the widget of a message row from its item (a child of the viewport).
    using RowFactory = std::function<QWidget*(QListWidgetItem* item)>;
    void setRowFactory(RowFactory factory) { m_factory = std::move(factory); }

    // A message row's item: the record, its shape (rows of one shape are sized alike until made)
    // and the size of the shape's last made row.
    QListWidgetItem* makeRowItem(const QVariant& record, const QString& shape) const;

    // The row's widget, made now when it has none.
    QWidget* rowWidget(int row);
    // Message rows that have a widget now.
    int madeRows() const { return m_made.size(); }

    void beginRows() { m_grouping = true; }
    void endRows();
    bool isGrouping() const { return m_grouping; }

public slots:
    void reset() override;

protected:
    void updateEditorGeometries() override;
    void doItemsLayout() override;
    void scrollContentsBy(int dx, int dy) override;
    void rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) override;

private:
    // Makes the rows within reach of the viewport and lets go of those far from it.
    void updateRows();
    QWidget* makeRow(QListWidgetItem* item);
    bool isHeld(QWidget* row) const;

    RowFactory m_factory;
    QHash<QListWidgetItem*, QPointer<QWidget>> m_made;
    QHash<QString, QSize> m_shapeSizes;
    bool m_grouping = false;
    bool m_updating = false;
    bool m_followQueued = false;
};
